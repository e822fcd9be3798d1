#pragma once

// The small pieces the inspector's sections are made of: a section group with
// its header, a form of labelled rows, notes, menu buttons, icon buttons, the
// selection button of a list row and a slider row whose label shows its value.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QString>
#include <QToolButton>
#include <functional>
#include <vector>

class QFormLayout;
class QMenu;
class QVBoxLayout;

namespace glyphsmith_views {

QString inspectorText(const char* text);

// A group headed by `title` (also its accessible name).
QGroupBox* sectionGroup(const QString& title);
// A form of labelled rows: the label at the leading side, wrapped above its
// control when the column is too narrow for both.
QFormLayout* sectionForm(QWidget* owner = nullptr);
// A labelled slider: its label (showing the value) above it, the slider across the form.
void addSliderRow(QFormLayout* form, QLabel* label, QSlider* slider);
// A picker that may be narrower than its longest entry, and that a wheel
// turned over it while scrolling the inspector leaves alone unless it has focus.
class Picker : public QComboBox {
public:
    explicit Picker(const QString& label, QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};
// A note in the caption font and the secondary colour, wrapped.
QLabel* noteLabel(const QString& text, QWidget* parent = nullptr);
// A button that opens `menu` when pressed; it takes the menu.
QPushButton* menuButton(const QString& label, QMenu* menu, QWidget* parent = nullptr);
// A borderless button showing only the symbol; `label` is what it says.
QToolButton* iconButton(const QString& symbol, const QString& label, const QString& help, QWidget* parent = nullptr);

// The button that selects one row of a list: its title beside a filled check
// mark when selected, an empty circle otherwise; checked (the accessible
// "selected") while its row is the selected one.
class SelectButton : public QToolButton {
public:
    explicit SelectButton(QWidget* parent = nullptr);
    void setTitle(const QString& title);
    void setSelectedRow(bool selected);

private:
    bool selected_ = false;
    bool shownOnce_ = false;
};

// One line of a list (bodies, details): a selection button and, when the row
// can go, a remove button with its help text.
class SelectableRow : public QWidget {
public:
    struct Actions {
        std::function<QString()> title;
        std::function<bool()> isSelected;
        std::function<void()> toggle;
        // Absent: the row has no remove button.
        std::function<void()> remove;
        QString removeHelp;
    };
    explicit SelectableRow(Actions actions, QWidget* parent = nullptr);
    void refresh();

private:
    Actions actions_;
    SelectButton* select_ = nullptr;
};

// Tells the inspector holding `widget` that its controls changed, so that Tab
// keeps the reading order.
void controlsChanged(QWidget* widget);

// Replaces the rows of a list by `count` new ones, or refreshes them in place
// when there are as many already and `sameKinds` holds.
void remakeRows(QVBoxLayout* layout, std::vector<SelectableRow*>& rows, int count, bool sameKinds,
                const std::function<SelectableRow::Actions(int)>& actions);

// A slider over [lower, upper] in steps of 1 / `scale`, for a labelled row. It
// never writes back what it is shown; a move calls `moved` with the value.
class ValueSlider : public QSlider {
public:
    ValueSlider(const QString& label, double lower, double upper, double scale, std::function<void(double)> moved,
                QWidget* parent = nullptr);
    // Shows the value, at the nearest end when it lies outside the range.
    void showValue(double value);
    double scale() const { return scale_; }

protected:
    // Scrolling the inspector over the slider moves the inspector, not the slider.
    void wheelEvent(QWheelEvent* event) override;

private:
    double scale_;
};

}  // namespace glyphsmith_views
