#include "editing/number_field.hpp"

#include <QEvent>
#include <QKeyEvent>
#include <cmath>

namespace glyphsmith_views {

NumberField::NumberField(const QString& label, int maxFractionDigits, std::function<double()> value,
                         std::function<void(double)> setValue, QWidget* parent)
    : QLineEdit(parent),
      maxFractionDigits_(maxFractionDigits),
      value_(std::move(value)),
      setValue_(std::move(setValue)) {
    setAccessibleName(label);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Return in a field left as shown writes nothing: the shown value may be
    // the stored one rounded.
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (isModified())
            commit();
        else
            show(value_());
    });
    show(value_());
}

QString NumberField::format(double value, int maxFractionDigits, const QLocale& locale) {
    if (!std::isfinite(value)) return locale.toString(value);
    QString text = locale.toString(value, 'f', maxFractionDigits);
    // Trailing zeros of the fraction go, and the separator with them.
    const QString decimal = locale.decimalPoint();
    const QString zero = locale.zeroDigit();
    if (maxFractionDigits > 0 && text.contains(decimal)) {
        while (text.endsWith(zero)) text.chop(zero.size());
        if (text.endsWith(decimal)) text.chop(decimal.size());
    }
    if (text == QLatin1Char('-') + zero) text = zero;
    return text;
}

std::optional<double> NumberField::parse(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (ok) return value;
    // Spaces typed for grouping, and a point for the decimal separator.
    QString loose = trimmed;
    loose.remove(QLatin1Char(' ')).remove(QChar(0x00A0)).remove(QChar(0x202F));
    value = locale.toDouble(loose, &ok);
    if (ok) return value;
    value = QLocale::c().toDouble(loose, &ok);
    if (ok) return value;
    if (locale.decimalPoint() != QLatin1String(".")) {
        QString swapped = loose;
        swapped.replace(locale.decimalPoint(), QStringLiteral("."));
        value = QLocale::c().toDouble(swapped, &ok);
        if (ok) return value;
    }
    return std::nullopt;
}

void NumberField::refresh() {
    if (hasFocus() && isModified()) return;
    show(value_());
}

void NumberField::commit() {
    if (const auto value = parse(text())) setValue_(*value);
    show(value_());
}

void NumberField::show(double value) {
    const QString text = format(value, maxFractionDigits_);
    if (text != this->text()) setText(text);
    setModified(false);
}

void NumberField::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) show(value_());
    QLineEdit::changeEvent(event);
}

void NumberField::keyPressEvent(QKeyEvent* event) {
    // Escape gives the model's value back without committing.
    if (event->key() == Qt::Key_Escape && isModified()) {
        show(value_());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace glyphsmith_views
