#pragma once

#include <cmath>
#include <cstddef>
#include <span>

#include "platform/platform_path.hpp"

namespace icon_geometry::platform {

// How many points an element of the given kind carries.
constexpr int pointCount(PlatformPath::ElementKind kind) {
    switch (kind) {
        case PlatformPath::ElementKind::moveTo:
        case PlatformPath::ElementKind::lineTo:
            return 1;
        case PlatformPath::ElementKind::quadCurveTo:
            return 2;
        case PlatformPath::ElementKind::curveTo:
            return 3;
        case PlatformPath::ElementKind::closeSubpath:
            return 0;
    }
    return 0;
}

inline Vector2 endPoint(const PlatformPath::Element& element) {
    const int count = pointCount(element.kind);
    return count == 0 ? Vector2{} : element.points[count - 1];
}

// One subpath as it is drawn: its start and its lines and curves, in order.
struct SubpathView {
    Vector2 start;
    std::span<const PlatformPath::Element> drawing;  // lineTo, quadCurveTo and curveTo only
    bool isClosed = false;

    bool isFinite() const {
        if (!std::isfinite(start.x) || !std::isfinite(start.y)) return false;
        for (const PlatformPath::Element& element : drawing) {
            for (int i = 0; i < pointCount(element.kind); ++i) {
                if (!std::isfinite(element.points[i].x) || !std::isfinite(element.points[i].y)) return false;
            }
        }
        return true;
    }
};

// Calls visit for every subpath that draws something. After a close, a line or
// curve without a move continues from the start of the subpath just closed, as
// as a path walk expects; bare moves draw nothing and are skipped.
template <class Visit>
void forEachSubpath(const PlatformPath& path, Visit&& visit) {
    using Kind = PlatformPath::ElementKind;
    const std::vector<PlatformPath::Element>& elements = path.elements();
    const std::size_t count = elements.size();
    Vector2 start{};
    std::size_t i = 0;
    while (i < count) {
        if (elements[i].kind == Kind::moveTo) {
            start = elements[i].points[0];
            ++i;
            continue;
        }
        if (elements[i].kind == Kind::closeSubpath) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < count && elements[i].kind != Kind::moveTo && elements[i].kind != Kind::closeSubpath) ++i;
        const bool closed = i < count && elements[i].kind == Kind::closeSubpath;
        visit(SubpathView{start, std::span<const PlatformPath::Element>(elements.data() + first, i - first), closed});
        if (closed) ++i;
    }
}

}  // namespace icon_geometry::platform
