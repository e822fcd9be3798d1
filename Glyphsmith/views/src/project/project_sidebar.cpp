#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/section_parts.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "project/project_views.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;

namespace {

// A borderless button with a symbol beside its text, as a link in a list.
QToolButton* linkButton(const QString& text, const QString& symbol, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setIcon(symbolIcon(symbol, Palette::selection()));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setCursor(Qt::PointingHandCursor);
    QPalette colours = button->palette();
    colours.setColor(QPalette::ButtonText, Palette::selection());
    button->setPalette(colours);
    return button;
}

// The section header of a sidebar list.
QLabel* sectionHeader(const QString& text, QWidget* parent) {
    QLabel* header = noteLabel(text, parent);
    QFont font = header->font();
    font.setBold(true);
    header->setFont(font);
    return header;
}

// The folder's own name; the whole path for a folder without one (the root).
QString folderName(const QString& folder) {
    const QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
    return name.isEmpty() ? folder : name;
}

// The room a recent project's name has beside its symbol in the column.
constexpr int recentTextWidth = WindowMetrics::sidebarWidth - 64;

}  // namespace

ProjectSidebar::ProjectSidebar(GlyphsmithApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAccessibleName(tr("Projet"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    const int small = static_cast<int>(Spacing::small);
    layout->setContentsMargins(small, small, small, small);
    layout->setSpacing(static_cast<int>(Spacing::extraSmall));

    // The free-standing icon: information only.
    auto* freeRow = new QHBoxLayout;
    freeRow->setSpacing(small);
    auto* freeSymbol = new QLabel(content);
    freeSymbol->setPixmap(symbolPixmap(QStringLiteral("square.on.square.dashed"), palette().color(QPalette::WindowText),
                                       16, devicePixelRatioF()));
    freeRow->addWidget(freeSymbol);
    QLabel* freeLabel = plainLabel(tr("Icône sans projet"), content);
    freeRow->addWidget(freeLabel, 1);
    layout->addLayout(freeRow);
    layout->addWidget(noteLabel(tr("Dessinez l’icône ici, puis exportez-la où vous voulez."), content));
    layout->addSpacing(static_cast<int>(Spacing::medium));

    layout->addWidget(sectionHeader(tr("Projet Homey"), content));
    openButton_ = linkButton(tr("Ouvrir une app Homey…"), QStringLiteral("folder"), content);
    connect(openButton_, &QAbstractButton::clicked, this, [this] { app_.store().chooseHomeyAppFolder(); });
    layout->addWidget(openButton_);
    recentsLayout_ = new QVBoxLayout;
    recentsLayout_->setSpacing(0);
    layout->addLayout(recentsLayout_);
    layout->addStretch(1);
    scroll->setWidget(content);

    connect(&app_.store(), &ProjectStore::recentProjectsChanged, this, &ProjectSidebar::refreshRecents);
    refreshRecents();
}

void ProjectSidebar::refreshRecents() {
    for (QAbstractButton* button : recentButtons_) button->deleteLater();
    recentButtons_.clear();
    for (const QString& folder : app_.store().recentProjects()) {
        const QString name = folderName(folder);
        QToolButton* button = linkButton(name, QStringLiteral("clock"), this);
        // A long name is shortened in its middle to the column; the tooltip tells it whole.
        // A button reads "&" as the mark of its shortcut letter: a folder's "&" is doubled.
        QString shown = button->fontMetrics().elidedText(name, Qt::ElideMiddle, recentTextWidth);
        button->setText(shown.replace(u'&', QStringLiteral("&&")));
        button->setToolTip(folder);
        button->setAccessibleDescription(folder);
        connect(button, &QAbstractButton::clicked, this, [this, folder] { reopen(folder); });
        recentsLayout_->addWidget(button);
        recentButtons_.append(button);
    }
}

void ProjectSidebar::reopen(const QString& folder) {
    // A folder that has gone or is no Homey app any more: the store says so in its error.
    app_.store().requestOpenHomeyApp(folder);
}

QWidget* makeProjectSidebar(GlyphsmithApp& app, QWidget* parent) {
    return new ProjectSidebar(app, parent);
}

}  // namespace glyphsmith_views
