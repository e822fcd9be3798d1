#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "editing/section_parts.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/text_roles.hpp"
#include "project/project_views.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;
using homey_project::DriverAssetsState;

DriverRowLook driverRowLook(const std::string& id, const std::optional<DriverAssetsState>& state) {
    if (!state) return {DriverMark::neutral, QString::fromStdString(id)};
    using Icon = DriverAssetsState::IconState;
    using Image = DriverAssetsState::ImageState;
    const bool iconInvalid = std::holds_alternative<Icon::Invalid>(state->icon.value);
    const bool anImageInvalid = std::any_of(state->images.begin(), state->images.end(), [](const auto& entry) {
        return std::holds_alternative<Image::Invalid>(entry.second.value);
    });
    DriverMark mark = DriverMark::warning;
    if (state->isCompliant())
        mark = DriverMark::passed;
    else if (iconInvalid || anImageInvalid)
        mark = DriverMark::failed;

    QString icon;
    if (const auto* valid = std::get_if<Icon::Valid>(&state->icon.value))
        icon = valid->identicalToAppIcon ? QObject::tr("icône copiée de l’app") : QObject::tr("icône conforme");
    else if (iconInvalid)
        icon = QObject::tr("icône non conforme");
    else
        icon = QObject::tr("icône absente");
    const auto valid = std::count_if(state->images.begin(), state->images.end(),
                                     [](const auto& entry) { return entry.second == Image{Image::Valid{}}; });
    // The 3 is the number of driver image sizes, whatever the table holds.
    return {mark, QObject::tr("%1, images conformes : %2 sur 3").arg(icon).arg(valid)};
}

QColor driverMarkColor(DriverMark mark) {
    switch (mark) {
        case DriverMark::passed:
            return Palette::passed();
        case DriverMark::failed:
            return Palette::failed();
        case DriverMark::warning:
            return Palette::warning();
        case DriverMark::neutral:
            break;
    }
    return Palette::neutral();
}

namespace {

// One line of text from outside: its line breaks would otherwise cut the row's line.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) c = u' ';
    return text;
}

// A row: the state mark, then the name over the state line in the caption font.
class DriverRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics name(option.font);
        const QFontMetrics line(roleFont(option.font, TextRole::caption));
        // The state line takes a second line where the column is too narrow for
        // it: its count must show.
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int width = view ? view->viewport()->width() : option.rect.width();
        // As wide as the painted line's room (see paint).
        const int textWidth =
            width - 1 - 2 * padding - static_cast<int>(PreviewMetrics::statusDotSide + Spacing::small);
        const QString text = oneLine(index.data(DriverListView::lineRole).toString());
        const bool twoLines = textWidth > 0 && line.horizontalAdvance(text) > textWidth;
        return {width, name.height() + (twoLines ? 2 : 1) * line.height() + 2 * padding + 2};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem base = option;
        initStyleOption(&base, index);
        base.text.clear();
        base.features &= ~QStyleOptionViewItem::HasDisplay;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &base, painter, widget);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRect area = option.rect.adjusted(padding, padding, -padding, -padding);
        const double side = PreviewMetrics::statusDotSide;
        const auto mark = static_cast<DriverMark>(index.data(DriverListView::markRole).toInt());
        painter->setPen(Qt::NoPen);
        painter->setBrush(driverMarkColor(mark));
        painter->drawEllipse(QRectF(area.left(), area.center().y() - side / 2 + 0.5, side, side));

        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
        const QColor text = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
        const int left = area.left() + static_cast<int>(side + Spacing::small);
        const QRect textArea(left, area.top(), area.right() - left, area.height());
        const QFontMetrics nameMetrics(option.font);
        painter->setFont(option.font);
        painter->setPen(text);
        painter->drawText(
            QRect(textArea.left(), textArea.top(), textArea.width(), nameMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            nameMetrics.elidedText(oneLine(index.data(Qt::DisplayRole).toString()), Qt::ElideRight, textArea.width()));
        const QFont caption = roleFont(option.font, TextRole::caption);
        const QFontMetrics lineMetrics(caption);
        painter->setFont(caption);
        QColor secondary = selected ? text : Palette::neutral();
        if (selected) secondary.setAlphaF(0.8f);
        painter->setPen(secondary);
        const QRect lineArea(textArea.left(), textArea.top() + nameMetrics.height(), textArea.width(),
                             2 * lineMetrics.height() + 2);
        const QString line = oneLine(index.data(DriverListView::lineRole).toString());
        // Wrapped at its words; cut only when two lines cannot hold it (a very long id).
        const bool fits = lineMetrics.boundingRect(lineArea, Qt::TextWordWrap, line).height() <= lineArea.height();
        painter->drawText(lineArea, Qt::AlignLeft | Qt::AlignTop | (fits ? Qt::TextWordWrap : 0),
                          fits ? line : lineMetrics.elidedText(line, Qt::ElideMiddle, textArea.width()));
        painter->restore();
    }

private:
    static constexpr int padding = 4;
};

}  // namespace

DriverListView::DriverListView(GlyphsmithApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAccessibleName(tr("Pilotes"));
    auto* layout = new QVBoxLayout(this);
    const int small = static_cast<int>(Spacing::small);
    layout->setContentsMargins(0, small, 0, 0);
    layout->setSpacing(static_cast<int>(Spacing::extraSmall));
    QLabel* header = noteLabel(tr("Pilotes"), this);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    header->setContentsMargins(small, 0, small, 0);
    layout->addWidget(header);

    list_ = new QListWidget(this);
    list_->setAccessibleName(tr("Pilotes"));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows whose state line needs a second line are taller.
    list_->setUniformItemSizes(false);
    list_->setResizeMode(QListView::Adjust);
    list_->setItemDelegate(new DriverRowDelegate(list_));
    layout->addWidget(list_, 1);

    ProjectStore& store = app_.store();
    connect(&store, &ProjectStore::appChanged, this, &DriverListView::rebuildRows);
    connect(&store, &ProjectStore::statesChanged, this, &DriverListView::refreshStates);
    connect(&store, &ProjectStore::selectedDriverIDChanged, this, &DriverListView::refreshSelection);
    connect(list_, &QListWidget::itemSelectionChanged, this, &DriverListView::selectionMoved);
    rebuildRows();
}

void DriverListView::rebuildRows() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    shownStates_.clear();
    if (const auto& project = app_.store().app()) {
        const std::string language = ProjectStore::currentLanguageCode().toStdString();
        for (const auto& driver : project->drivers) {
            auto* item = new QListWidgetItem(QString::fromStdString(driver.displayName(language)));
            item->setData(idRole, QString::fromStdString(driver.id));
            list_->addItem(item);
        }
    }
    refreshStates();
    refreshSelection();
}

void DriverListView::refreshStates() {
    // States arrive one driver at a time: only the rows whose state moved are redone.
    const ProjectStore::States& states = app_.store().states();
    shownStates_.resize(static_cast<std::size_t>(list_->count()));
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        const std::string id = item->data(idRole).toString().toStdString();
        const auto found = states.find(id);
        std::optional<homey_project::DriverAssetsState> state;
        if (found != states.end()) state = found->second;
        auto& shown = shownStates_[static_cast<std::size_t>(row)];
        if (shown && *shown == state) continue;
        const DriverRowLook look = driverRowLook(id, state);
        shown = std::move(state);
        item->setData(lineRole, look.line);
        item->setData(markRole, static_cast<int>(look.mark));
        // What a screen reader says of the row, and the whole of it where the column cuts it.
        const QString whole = item->text() + QStringLiteral(", ") + look.line;
        item->setData(Qt::AccessibleTextRole, whole);
        item->setToolTip(whole);
    }
}

void DriverListView::refreshSelection() {
    // Following the store never writes back to it.
    const QSignalBlocker quiet(list_);
    const auto& selected = app_.store().selectedDriverID();
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        if (selected && item->data(idRole).toString().toStdString() == *selected) {
            list_->setCurrentItem(item);
            item->setSelected(true);
            list_->scrollToItem(item);
            return;
        }
    }
    list_->clearSelection();
}

void DriverListView::selectionMoved() {
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    std::optional<std::string> id;
    if (!chosen.isEmpty()) id = chosen.front()->data(idRole).toString().toStdString();
    ProjectStore& store = app_.store();
    store.setSelectedDriverID(id);
    // The store may keep another selection (a driver that has gone): show its own.
    if (store.selectedDriverID() != id) refreshSelection();
}

QWidget* makeDriverList(GlyphsmithApp& app, QWidget* parent) {
    return new DriverListView(app, parent);
}

}  // namespace glyphsmith_views
