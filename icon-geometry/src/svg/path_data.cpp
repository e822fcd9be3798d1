#include <cmath>
#include <cstdint>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/number_reader.hpp"
#include "icon_geometry/svg_path_data.hpp"

namespace icon_geometry {

bool InterpretedSegment::isZeroLength() const {
    if (letter == 'Z' || letter == 'z') return false;
    for (const Vector2& p : points)
        if (!(p == from)) return false;
    return true;
}

namespace PathData {

namespace {

char upperCased(char letter) {
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One forward pass over the bytes; looks ahead at most two bytes (an exponent's
// sign and first digit) and never backtracks.
class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    std::vector<PathCommand> run() {
        std::vector<PathCommand> commands;
        skipSeparators();
        while (p_ < text_.size()) {
            const char letter = text_[p_];
            const std::optional<int> count = argumentCount(letter);
            if (!count) fail(p_);
            ++p_;
            if (*count == 0) {
                commands.push_back({letter, {}});
                skipSeparators();
                continue;
            }
            const bool isArc = letter == 'A' || letter == 'a';
            char groupLetter = letter;
            while (true) {
                PathCommand command{groupLetter, {}};
                command.arguments.reserve(static_cast<std::size_t>(*count));
                for (int i = 0; i < *count; ++i)
                    command.arguments.push_back(isArc && (i == 3 || i == 4) ? readFlag() : readNumber());
                commands.push_back(std::move(command));
                skipSeparators();
                if (p_ >= text_.size()) return commands;
                const char next = text_[p_];
                if (!(isDigit(next) || next == '+' || next == '-' || next == '.')) break;
                // A repeated group after a move draws lines.
                if (letter == 'M') groupLetter = 'L';
                if (letter == 'm') groupLetter = 'l';
            }
        }
        return commands;
    }

private:
    [[noreturn]] static void fail(std::size_t offset) {
        throw IconGeometryError::malformedPathData(static_cast<std::int64_t>(offset));
    }

    void skipSeparators() {
        while (p_ < text_.size() && isSeparator(text_[p_])) ++p_;
    }
    bool digitAt(std::size_t i) const { return i < text_.size() && isDigit(text_[i]); }

    double readNumber() {
        skipSeparators();
        const std::size_t q = p_;
        if (q >= text_.size()) fail(text_.size());
        std::size_t i = q;
        if (text_[i] == '+' || text_[i] == '-') ++i;
        bool sawDigit = false;
        while (digitAt(i)) ++i, sawDigit = true;
        if (i < text_.size() && text_[i] == '.') {
            ++i;
            while (digitAt(i)) ++i, sawDigit = true;
        }
        if (!sawDigit) fail(q);
        if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < text_.size() && (text_[j] == '+' || text_[j] == '-')) ++j;
            if (digitAt(j)) {
                i = j;
                while (digitAt(i)) ++i;
            }
        }
        const std::optional<double> value = icon_geometry::readNumber(text_.substr(q, i - q));
        if (!value || !std::isfinite(*value) || std::fabs(*value) > magnitudeLimit) fail(q);
        p_ = i;
        return *value;
    }

    double readFlag() {
        skipSeparators();
        if (p_ >= text_.size()) fail(text_.size());
        const char c = text_[p_];
        if (c != '0' && c != '1') fail(p_);
        ++p_;
        return c == '1' ? 1.0 : 0.0;
    }

    std::string_view text_;
    std::size_t p_ = 0;
};

}  // namespace

std::optional<int> argumentCount(char letter) {
    const char upper = upperCased(letter);
    for (const auto& [l, count] : argumentCounts)
        if (l == upper) return count;
    return std::nullopt;
}

std::vector<PathCommand> tokenize(std::string_view text) {
    return Tokenizer(text).run();
}

Interpretation interpret(const std::vector<PathCommand>& commands) {
    Interpretation result;
    Vector2 current;
    Vector2 subpathStart;
    std::optional<Subpath> open;
    std::optional<Vector2> cubicMark;      // the last second control point of C or S
    std::optional<Vector2> quadraticMark;  // the last control point of Q or T

    const auto append = [&](const PathSegment& segment) {
        if (!open) open = Subpath{current, {}, false};
        open->segments.push_back(segment);
    };
    const auto finishOpen = [&](bool closed) {
        if (!open) return;
        open->isClosed = closed;
        if (!open->segments.empty()) result.path.subpaths.push_back(std::move(*open));
        open.reset();
    };

    for (const PathCommand& command : commands) {
        const std::optional<int> count = argumentCount(command.letter);
        if (!count || command.arguments.size() != static_cast<std::size_t>(*count)) continue;
        const std::vector<double>& a = command.arguments;
        const char upper = upperCased(command.letter);
        const bool relative = command.isRelative();
        const Vector2 base = relative ? current : Vector2::zero();
        const Vector2 from = current;
        std::optional<Vector2> nextCubicMark;
        std::optional<Vector2> nextQuadraticMark;

        switch (upper) {
            case 'M': {
                const Vector2 end = base + Vector2{a[0], a[1]};
                finishOpen(false);
                current = end;
                subpathStart = end;
                open = Subpath{end, {}, false};
                break;
            }
            case 'L':
            case 'H':
            case 'V': {
                Vector2 end;
                if (upper == 'H')
                    end = {relative ? from.x + a[0] : a[0], from.y};
                else if (upper == 'V')
                    end = {from.x, relative ? from.y + a[0] : a[0]};
                else
                    end = base + Vector2{a[0], a[1]};
                append(PathSegment::line(end));
                result.segments.push_back({command.letter, from, {end}});
                current = end;
                break;
            }
            case 'C':
            case 'S': {
                const bool smooth = upper == 'S';
                const std::size_t o = smooth ? 0 : 2;  // S has no first control point
                const Vector2 c1 = smooth ? (cubicMark ? from * 2.0 - *cubicMark : from) : base + Vector2{a[0], a[1]};
                const Vector2 c2 = base + Vector2{a[o], a[o + 1]};
                const Vector2 end = base + Vector2{a[o + 2], a[o + 3]};
                append(PathSegment::cubic(c1, c2, end));
                result.segments.push_back({command.letter, from, {c1, c2, end}});
                nextCubicMark = c2;
                current = end;
                break;
            }
            case 'Q':
            case 'T': {
                const bool smooth = upper == 'T';
                const Vector2 k =
                    smooth ? (quadraticMark ? from * 2.0 - *quadraticMark : from) : base + Vector2{a[0], a[1]};
                const Vector2 end = smooth ? base + Vector2{a[0], a[1]} : base + Vector2{a[2], a[3]};
                append(Cubic::fromQuadratic(from, k, end));
                result.segments.push_back({command.letter, from, {k, end}});
                nextQuadraticMark = k;
                current = end;
                break;
            }
            case 'A': {
                const Vector2 end = base + Vector2{a[5], a[6]};
                for (const PathSegment& segment : Cubic::arcSegments(from, end, a[0], a[1], a[2], a[3] != 0, a[4] != 0))
                    append(segment);
                result.segments.push_back({command.letter, from, {end}});
                current = end;
                break;
            }
            case 'Z': {
                result.segments.push_back({command.letter, from, {subpathStart}});
                finishOpen(true);
                current = subpathStart;
                break;
            }
        }
        cubicMark = nextCubicMark;
        quadraticMark = nextQuadraticMark;
    }
    finishOpen(false);
    return result;
}

}  // namespace PathData
}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::PathCommand>::operator()(const icon_geometry::PathCommand& c) const {
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(static_cast<unsigned char>(c.letter)));
    h.combine(static_cast<long long>(c.arguments.size()));
    for (double v : c.arguments) h.combine(v);
    return h.state;
}

std::size_t std::hash<icon_geometry::InterpretedSegment>::operator()(const icon_geometry::InterpretedSegment& s) const {
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(static_cast<unsigned char>(s.letter)));
    h.combine(s.from);
    h.combine(static_cast<long long>(s.points.size()));
    for (const auto& p : s.points) h.combine(p);
    return h.state;
}
