#include "glyphsmith_views/design_system.hpp"

#include <QTextBoundaryFinder>

namespace glyphsmith_views {

namespace Palette {

// The platform's standard colours, as the light appearance shows them.
QColor previewBackground() {
    return Qt::white;
}
QColor border() {
    return QColor(0, 0, 0, 40);
}
QColor ink() {
    return Qt::black;
}
QColor onBrand() {
    return Qt::white;
}
QColor tileBackground() {
    return Qt::white;
}
QColor selection() {
    return QColor(0, 122, 255);
}
QColor passed() {
    return QColor(40, 167, 69);
}
QColor warning() {
    return QColor(242, 140, 0);
}
QColor failed() {
    return QColor(230, 50, 40);
}
QColor neutral() {
    return QColor(0, 0, 0, 128);
}
QColor defaultBrand() {
    return QColor::fromRgbF(0.0f, 0.627f, 0.89f, 1.0f);
}

namespace {

bool isBlank(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

int graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) ++count;
    return count;
}

}  // namespace

std::optional<QColor> color(const std::optional<QString>& hex) {
    if (!hex) return std::nullopt;
    qsizetype begin = 0;
    qsizetype end = hex->size();
    while (begin < end && isBlank(hex->at(begin))) ++begin;
    while (end > begin && isBlank(hex->at(end - 1))) --end;
    const QString text = hex->mid(begin, end - begin);
    if (!text.startsWith(u'#')) return std::nullopt;
    const QString digits = text.mid(1);
    if (graphemeCount(digits) != 6 || digits.size() != 6) return std::nullopt;
    // The integer reading of the digits: an optional sign, then base-16 digits
    // only (no "0x", no blanks); a negative number fits no unsigned value unless it is zero.
    qsizetype at = 0;
    bool negative = false;
    if (digits[0] == u'+' || digits[0] == u'-') {
        negative = digits[0] == u'-';
        at = 1;
    }
    std::uint32_t value = 0;
    for (; at < digits.size(); ++at) {
        const int digit = hexDigit(digits[at]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (negative && value != 0) return std::nullopt;
    return QColor::fromRgbF(static_cast<float>(((value >> 16) & 0xFF) / 255.0),
                            static_cast<float>(((value >> 8) & 0xFF) / 255.0),
                            static_cast<float>((value & 0xFF) / 255.0), 1.0f);
}

std::optional<QColor> color(const std::optional<std::string>& hex) {
    if (!hex) return std::nullopt;
    return color(std::optional<QString>(QString::fromStdString(*hex)));
}

}  // namespace Palette

}  // namespace glyphsmith_views
