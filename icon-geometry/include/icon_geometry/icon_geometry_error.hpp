#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// The failure of the SVG readers: path data that cannot be read (with the byte
// offset where reading stopped), or a document that cannot be parsed.
class IconGeometryError : public std::exception {
public:
    enum class Kind { malformedPathData, malformedDocument };

    static IconGeometryError malformedPathData(std::int64_t offset) { return {Kind::malformedPathData, offset}; }
    static IconGeometryError malformedDocument() { return {Kind::malformedDocument, 0}; }

    Kind kind() const { return kind_; }
    // The 0-based byte offset in the UTF-8 path data; 0 for a malformed document.
    std::int64_t offset() const { return offset_; }

    const char* what() const noexcept override {
        return kind_ == Kind::malformedPathData ? "malformed path data" : "malformed document";
    }

    // The same case and, for path data, the same offset.
    friend bool operator==(const IconGeometryError& a, const IconGeometryError& b) {
        return a.kind_ == b.kind_ && a.offset_ == b.offset_;
    }

private:
    IconGeometryError(Kind kind, std::int64_t offset) : kind_(kind), offset_(offset) {}

    Kind kind_;
    std::int64_t offset_;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::IconGeometryError> {
    std::size_t operator()(const icon_geometry::IconGeometryError& e) const {
        icon_geometry::Hasher h;
        h.combine(static_cast<long long>(e.kind()));
        if (e.kind() == icon_geometry::IconGeometryError::Kind::malformedPathData)
            h.combine(static_cast<long long>(e.offset()));
        return h.state;
    }
};
