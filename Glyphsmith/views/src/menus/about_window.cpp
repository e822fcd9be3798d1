#include "glyphsmith_views/about_window.hpp"

#include <QCalendar>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>

#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

namespace {

// A web link that the keyboard reaches like a button: Tab, then Space or Enter.
class LinkButton final : public QPushButton {
public:
    LinkButton(const QString& label, const QUrl& url, QWidget* parent) : QPushButton(label, parent) {
        setFlat(true);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(label);
        setAccessibleDescription(url.toString());
        setToolTip(url.toString());
        QPalette linkColours = palette();
        linkColours.setColor(QPalette::ButtonText, linkColours.color(QPalette::Link));
        setPalette(linkColours);
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setAutoDefault(false);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    // A flat button shows no focus of its own: the keyboard's place is framed.
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus()) return;
        QStylePainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
    // Enter opens a link as Space does.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// The address text as a link target: a valid address with a scheme and a host.
std::optional<QUrl> linkTarget(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty()) return std::nullopt;
    return url;
}

QVBoxLayout* group(QVBoxLayout* stack) {
    auto* lines = new QVBoxLayout;
    lines->setSpacing(static_cast<int>(AboutMetrics::lineSpacing));
    lines->setAlignment(Qt::AlignHCenter);
    stack->addLayout(lines);
    return lines;
}

}  // namespace

AboutFacts AboutFacts::current() {
    AboutFacts facts;
    facts.name = AppInfo::name();
    facts.version = AppInfo::version();
    facts.build = AppInfo::build();
    facts.site = AppLinks::site();
    facts.productPage = AppLinks::productPage();
    facts.year = QDate::currentDate().year(QCalendar());
    return facts;
}

AboutWindow::AboutWindow(AboutFacts facts, QWidget* parent, PageOpener opener)
    : QDialog(parent), opener_(std::move(opener)) {
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(tr("À propos de %1").arg(facts.name));

    auto* stack = new QVBoxLayout(this);
    const int padding = static_cast<int>(AboutMetrics::padding);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setSpacing(static_cast<int>(AboutMetrics::spacing));
    stack->setAlignment(Qt::AlignHCenter);
    // The window takes its content's size: the width of the wrapped lines
    // (AboutMetrics::width with the padding), the height of the stack.
    stack->setSizeConstraint(QLayout::SetFixedSize);

    const int iconSide = static_cast<int>(AboutMetrics::iconSide);
    auto* icon = new QLabel(this);
    icon->setPixmap(appIconPixmap(iconSide, devicePixelRatioF()));
    icon->setFixedSize(iconSide, iconSide);
    icon->setAlignment(Qt::AlignCenter);
    stack->addWidget(icon, 0, Qt::AlignHCenter);

    QLabel* name = plainLabel(facts.name, this);
    QFont title = roleFont(name->font(), TextRole::largeTitle);
    title.setWeight(QFont::DemiBold);
    name->setFont(title);
    name->setAlignment(Qt::AlignCenter);
    stack->addWidget(name);

    const int contentWidth = static_cast<int>(AboutMetrics::width) - 2 * padding;
    const auto wrapped = [&](QLabel* label) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedWidth(contentWidth);
        return label;
    };

    QVBoxLayout* author = group(stack);
    author->addWidget(
        wrapped(plainLabel(tr("© %1 les auteurs de %2").arg(QString::number(facts.year), facts.name), this)));
    if (facts.site) author->addWidget(addLink(facts.site->toString(), *facts.site, this), 0, Qt::AlignHCenter);

    versionLine_ = wrapped(plainLabel(tr("Version %1 (build %2)").arg(facts.version, facts.build), this));
    setTextColour(*versionLine_, Palette::neutral());
    stack->addWidget(versionLine_);

    QVBoxLayout* pages = group(stack);
    if (const auto support = linkTarget(facts.productPage + QStringLiteral("/support.html")))
        pages->addWidget(addLink(tr("Support"), *support, this), 0, Qt::AlignHCenter);
    if (const auto privacy = linkTarget(facts.productPage + QStringLiteral("/privacy.html")))
        pages->addWidget(addLink(tr("Confidentialité"), *privacy, this), 0, Qt::AlignHCenter);
}

QAbstractButton* AboutWindow::addLink(const QString& label, const QUrl& url, QWidget* parent) {
    auto* link = new LinkButton(label, url, parent);
    connect(link, &QPushButton::clicked, this, [this, url] {
        if (opener_) opener_(url);
    });
    links_ << link;
    return link;
}

}  // namespace glyphsmith_views
