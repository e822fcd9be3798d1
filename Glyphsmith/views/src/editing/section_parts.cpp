#include "editing/section_parts.hpp"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/editing_panel.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

QString inspectorText(const char* text) {
    return QCoreApplication::translate("Inspector", text);
}

QGroupBox* sectionGroup(const QString& title) {
    auto* group = new QGroupBox(title);
    group->setAccessibleName(title);
    return group;
}

QFormLayout* sectionForm(QWidget* owner) {
    auto* form = new QFormLayout(owner);
    form->setContentsMargins(0, 0, 0, 0);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setHorizontalSpacing(static_cast<int>(Spacing::small));
    form->setVerticalSpacing(static_cast<int>(Spacing::extraSmall));
    return form;
}

void addSliderRow(QFormLayout* form, QLabel* label, QSlider* slider) {
    label->setBuddy(slider);
    form->addRow(label);
    form->addRow(slider);
}

Picker::Picker(const QString& label, QWidget* parent) : QComboBox(parent) {
    setAccessibleName(label);
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(10);
}

void Picker::wheelEvent(QWheelEvent* event) {
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

QLabel* noteLabel(const QString& text, QWidget* parent) {
    QLabel* label = plainLabel(text, parent);
    label->setWordWrap(true);
    label->setFont(roleFont(label->font(), TextRole::caption));
    setTextColour(*label, Palette::neutral());
    return label;
}

QPushButton* menuButton(const QString& label, QMenu* menu, QWidget* parent) {
    auto* button = new QPushButton(label, parent);
    button->setAccessibleName(label);
    menu->setParent(button, menu->windowFlags());
    button->setMenu(menu);
    return button;
}

QToolButton* iconButton(const QString& symbol, const QString& label, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol, Palette::neutral()));
    button->setText(label);
    button->setAccessibleName(label);
    if (!help.isEmpty()) button->setToolTip(help);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    return button;
}

SelectButton::SelectButton(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setSelectedRow(false);
}

void SelectButton::setTitle(const QString& title) {
    if (text() == title) return;
    setText(title);
    setAccessibleName(title);
}

void SelectButton::setSelectedRow(bool selected) {
    const QSignalBlocker blocker(this);
    setChecked(selected);
    if (selected == selected_ && shownOnce_) return;
    selected_ = selected;
    shownOnce_ = true;
    setIcon(symbolIcon(selected ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                       selected ? Palette::selection() : Palette::neutral()));
}

SelectableRow::SelectableRow(Actions actions, QWidget* parent) : QWidget(parent), actions_(std::move(actions)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    select_ = new SelectButton(this);
    layout->addWidget(select_, 1);
    connect(select_, &QToolButton::clicked, this, [this] {
        actions_.toggle();
        refresh();
    });
    if (actions_.remove) {
        auto* remove =
            iconButton(QStringLiteral("minus.circle"), inspectorText("Supprimer"), actions_.removeHelp, this);
        layout->addWidget(remove);
        connect(remove, &QToolButton::clicked, this, [this] { actions_.remove(); });
    }
    refresh();
}

void SelectableRow::refresh() {
    select_->setTitle(actions_.title());
    select_->setSelectedRow(actions_.isSelected());
}

void controlsChanged(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* panel = qobject_cast<InspectorPanel*>(w)) {
            panel->scheduleReadingOrder();
            return;
        }
    }
}

void remakeRows(QVBoxLayout* layout, std::vector<SelectableRow*>& rows, int count, bool sameKinds,
                const std::function<SelectableRow::Actions(int)>& actions) {
    if (sameKinds && static_cast<int>(rows.size()) == count) {
        for (SelectableRow* row : rows) row->refresh();
        return;
    }
    // The old rows go once control has left them: the change may come from one of them.
    for (SelectableRow* row : rows) {
        layout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    rows.clear();
    for (int i = 0; i < count; ++i) {
        auto* row = new SelectableRow(actions(i));
        layout->addWidget(row);
        rows.push_back(row);
    }
    controlsChanged(layout->parentWidget());
}

ValueSlider::ValueSlider(const QString& label, double lower, double upper, double scale,
                         std::function<void(double)> moved, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), scale_(scale) {
    setAccessibleName(label);
    setRange(static_cast<int>(std::lround(lower * scale)), static_cast<int>(std::lround(upper * scale)));
    // Arrow keys move a tenth of a unit (a whole unit for whole-unit sliders).
    setSingleStep(std::max(1, static_cast<int>(std::lround(scale / 10))));
    setPageStep(std::max(1, static_cast<int>(std::lround(scale))));
    setMinimumWidth(80);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::valueChanged, this,
            [this, moved = std::move(moved)](int position) { moved(static_cast<double>(position) / scale_); });
}

void ValueSlider::wheelEvent(QWheelEvent* event) {
    if (hasFocus())
        QSlider::wheelEvent(event);
    else
        event->ignore();
}

void ValueSlider::showValue(double value) {
    const QSignalBlocker blocker(this);
    if (!std::isfinite(value)) return;
    const double scaled = std::clamp(value * scale_, static_cast<double>(minimum()), static_cast<double>(maximum()));
    const int position = static_cast<int>(std::lround(scaled));
    if (position != this->value()) setValue(position);
}

}  // namespace glyphsmith_views
