#pragma once

// A text field that edits one number of the model in the user's locale. It
// shows the model's value with 0 to `maxFractionDigits` fraction digits; when
// editing ends it reads the text (the locale's format, a point also taken for
// the decimal separator), hands a number to the setter, and then always shows
// the model's value again, so a value the model refused or clamped is shown as
// stored. Text that is no number changes nothing.

#include <QLineEdit>
#include <QLocale>
#include <functional>
#include <optional>

namespace glyphsmith_views {

class NumberField : public QLineEdit {
public:
    NumberField(const QString& label, int maxFractionDigits, std::function<double()> value,
                std::function<void(double)> setValue, QWidget* parent = nullptr);

    // Shows the model's value unless the user is typing in the field.
    void refresh();
    // Reads the text and commits it, as at the end of editing.
    void commit();

    int maxFractionDigits() const { return maxFractionDigits_; }

    // The value as the field writes it, and a text read back as a number.
    static QString format(double value, int maxFractionDigits, const QLocale& locale = QLocale());
    static std::optional<double> parse(const QString& text, const QLocale& locale = QLocale());

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void show(double value);

    int maxFractionDigits_;
    std::function<double()> value_;
    std::function<void(double)> setValue_;
};

}  // namespace glyphsmith_views
