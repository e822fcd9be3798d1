#include "detection/text_lines.hpp"

#include <algorithm>
#include <cmath>

namespace photo_analysis::TextLines {

namespace {

// A Latin letter or digit, accented letters included: a line without one is
// punctuation read into shapes, not text.
bool holdsLetterOrDigit(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
            ++i;
            continue;
        }
        // Two-byte sequences cover U+0080–U+07FF; Latin-1 and Latin Extended
        // letters are U+00C0–U+024F without × and ÷.
        if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            if (code >= 0xC0 && code <= 0x24F && code != 0xD7 && code != 0xF7) return true;
            i += 2;
            continue;
        }
        ++i;
    }
    return false;
}

struct Letter {
    std::size_t index = 0;
    double minX = 0;
    double maxX = 0;
    double midY = 0;
    double height = 0;
};

}  // namespace

std::vector<Rectangle> trustedLines(const std::vector<TextRecognizer::Line>& lines, int width, int height) {
    std::vector<Rectangle> rectangles;
    if (width <= 0 || height <= 0) return rectangles;
    for (const TextRecognizer::Line& line : lines) {
        if (!std::isfinite(line.x) || !std::isfinite(line.y) || !std::isfinite(line.width) ||
            !std::isfinite(line.height) || !std::isfinite(line.confidence)) {
            continue;
        }
        // Boxes reaching outside the image are cut to it.
        const double x0 = std::clamp(line.x, 0.0, 1.0);
        const double y0 = std::clamp(line.y, 0.0, 1.0);
        const double x1 = std::clamp(line.x + line.width, 0.0, 1.0);
        const double y1 = std::clamp(line.y + line.height, 0.0, 1.0);
        const double rawHeight = y1 - y0;
        if (!(x1 > x0) || rawHeight < minimumTextHeight || rawHeight > maximumTextHeight) continue;
        if (line.confidence < minimumConfidence || !holdsLetterOrDigit(line.text)) continue;
        const double h = rawHeight * height;
        rectangles.push_back({x0 * width - 0.15 * h, y0 * height - 0.25 * h, (x1 - x0) * width + 0.3 * h, 1.5 * h});
    }
    return rectangles;
}

std::vector<Rectangle> recognize(TextRecognizer& recognizer, const RgbaView& image, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    return trustedLines(recognizer.recognizeLines(image), width, height);
}

std::set<std::size_t> letterIndices(const std::vector<Components::Component>& marks, double largestLetterHeight) {
    const double limit = largestLetterHeight;
    std::vector<Letter> letters;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const Components::Component& mark = marks[i];
        const double w = mark.maxX - mark.minX + 1;
        const double h = mark.maxY - mark.minY + 1;
        if (h >= 3 && h <= limit && w <= 1.6 * limit) {
            letters.push_back(
                {i, static_cast<double>(mark.minX), static_cast<double>(mark.maxX), (mark.minY + mark.maxY) / 2.0, h});
        }
    }
    std::stable_sort(letters.begin(), letters.end(), [](const Letter& a, const Letter& b) { return a.minX < b.minX; });

    std::set<std::size_t> result;
    std::vector<bool> used(letters.size(), false);
    std::vector<std::size_t> row;
    for (std::size_t s = 0; s < letters.size(); ++s) {
        if (used[s]) continue;
        row.assign(1, s);
        double heights = letters[s].height;
        for (std::size_t c = s + 1; c < letters.size(); ++c) {
            if (used[c]) continue;
            const Letter& last = letters[row.back()];
            const Letter& candidate = letters[c];
            const double m = heights / static_cast<double>(row.size());
            const double gap = candidate.minX - last.maxX;
            if (std::abs(candidate.midY - last.midY) < 0.35 * m && gap < m && gap > -0.3 * m &&
                candidate.height < 1.8 * m && candidate.height > 0.45 * m) {
                row.push_back(c);
                heights += candidate.height;
            }
        }
        if (row.size() >= 4) {
            for (const std::size_t member : row) {
                used[member] = true;
                result.insert(letters[member].index);
            }
        }
    }
    return result;
}

}  // namespace photo_analysis::TextLines
