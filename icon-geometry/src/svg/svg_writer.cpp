#include "icon_geometry/svg_writer.hpp"

#include <cmath>
#include <variant>

namespace icon_geometry::SVGWriter {
namespace {

constexpr double coordinateBound = 1'000'000;

struct EmittedLine {
    Tenths to;
};
struct EmittedCubic {
    Tenths control1;
    Tenths control2;
    Tenths to;
};
using Emitted = std::variant<EmittedLine, EmittedCubic>;

Tenths tenthsOf(Vector2 p) {
    return {tenths(p.x), tenths(p.y)};
}

void appendPoint(std::string& out, Tenths p) {
    out += numberText(p.x);
    out += ' ';
    out += numberText(p.y);
}

void appendSubpath(std::string& out, const Subpath& subpath) {
    const Tenths start = tenthsOf(subpath.start);
    Tenths current = start;
    std::vector<Emitted> emitted;
    emitted.reserve(subpath.segments.size());
    for (const PathSegment& segment : subpath.segments) {
        if (const auto* line = segment.asLine()) {
            const Tenths end = tenthsOf(line->to);
            if (end == current) continue;
            emitted.push_back(EmittedLine{end});
            current = end;
        } else {
            const auto& c = *segment.asCubic();
            const Tenths c1 = tenthsOf(c.control1);
            const Tenths c2 = tenthsOf(c.control2);
            const Tenths end = tenthsOf(c.to);
            if (c1 == current && c2 == current && end == current) continue;
            if (c1 == current && c2 == end)
                emitted.push_back(EmittedLine{end});
            else
                emitted.push_back(EmittedCubic{c1, c2, end});
            current = end;
        }
    }
    if (subpath.isClosed && !emitted.empty()) {
        if (const auto* last = std::get_if<EmittedLine>(&emitted.back()); last && last->to == start) {
            emitted.pop_back();
        }
    }
    if (emitted.empty()) return;
    if (subpath.isClosed && emitted.size() == 1 && std::holds_alternative<EmittedLine>(emitted.front())) return;

    out += 'M';
    appendPoint(out, start);
    for (const Emitted& entry : emitted) {
        if (const auto* line = std::get_if<EmittedLine>(&entry)) {
            out += 'L';
            appendPoint(out, line->to);
        } else {
            const auto& cubic = std::get<EmittedCubic>(entry);
            out += 'C';
            appendPoint(out, cubic.control1);
            out += ' ';
            appendPoint(out, cubic.control2);
            out += ' ';
            appendPoint(out, cubic.to);
        }
    }
    if (subpath.isClosed) out += 'Z';
}

}  // namespace

std::int64_t tenths(double value) {
    if (!std::isfinite(value)) return 0;
    if (value <= -coordinateBound)
        value = -coordinateBound;
    else if (value > coordinateBound)
        value = coordinateBound;
    const double rounded = std::round(value * 10);
    return rounded == 0 ? 0 : static_cast<std::int64_t>(rounded);
}

std::string numberText(std::int64_t t) {
    const std::uint64_t a = t < 0 ? static_cast<std::uint64_t>(-(t + 1)) + 1 : static_cast<std::uint64_t>(t);
    std::string text = t < 0 ? "-" : "";
    text += std::to_string(a / 10);
    if (const auto r = a % 10; r != 0) {
        text += '.';
        text += static_cast<char>('0' + r);
    }
    return text;
}

std::string pathData(const BezierPath& path) {
    std::string out;
    for (const Subpath& subpath : path.subpaths) appendSubpath(out, subpath);
    return out;
}

std::string document(const std::vector<BezierPath>& paths) {
    const std::string side = numberText(tenths(Canvas::side));
    std::string out = "<svg width=\"" + side + "\" height=\"" + side + "\" viewBox=\"0 0 " + side + " " + side +
                      "\" xmlns=\"http://www.w3.org/2000/svg\">\n"
                      "<g fill=\"#000000\" fill-rule=\"evenodd\">\n";
    for (const BezierPath& path : paths) {
        const std::string data = pathData(path);
        if (data.empty()) continue;
        out += "<path d=\"";
        out += data;
        out += "\"/>\n";
    }
    out += "</g>\n</svg>\n";
    return out;
}

std::string drawingDocument(const IconDrawing& drawing) {
    return document(drawing.path());
}

}  // namespace icon_geometry::SVGWriter
