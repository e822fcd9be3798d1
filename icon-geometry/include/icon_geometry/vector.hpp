#pragma once

#include <cmath>
#include <cstddef>
#include <functional>

namespace icon_geometry {

struct AffineTransform;

// A point or vector in the plane. Units are the caller's: millimetres on a face,
// canvas units on the icon, pixels in a photo.
struct Vector2 {
    double x = 0;
    double y = 0;

    static constexpr Vector2 zero() { return {0, 0}; }

    friend constexpr Vector2 operator+(Vector2 a, Vector2 b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Vector2 operator-(Vector2 a, Vector2 b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr Vector2 operator-(Vector2 a) { return {-a.x, -a.y}; }
    friend constexpr Vector2 operator*(Vector2 a, double s) { return {a.x * s, a.y * s}; }
    friend constexpr Vector2 operator*(double s, Vector2 a) { return {a.x * s, a.y * s}; }
    friend constexpr bool operator==(Vector2 a, Vector2 b) = default;

    constexpr double dot(Vector2 b) const { return x * b.x + y * b.y; }
    constexpr double cross(Vector2 b) const { return x * b.y - y * b.x; }
    double length() const { return std::sqrt(x * x + y * y); }
    double distance(Vector2 to) const {
        const double dx = to.x - x;
        const double dy = to.y - y;
        return std::sqrt(dx * dx + dy * dy);
    }
    // The zero vector, and any vector with a NaN component, normalises to (0, 0).
    Vector2 normalized() const {
        if (x * x + y * y > 0) {
            const double l = length();
            return {x / l, y / l};
        }
        return {0, 0};
    }
    constexpr Vector2 lerp(Vector2 b, double t) const { return {x + (b.x - x) * t, y + (b.y - y) * t}; }
    Vector2 applying(const AffineTransform& m) const;
};

struct Vector3 {
    double x = 0;
    double y = 0;
    double z = 0;

    static constexpr Vector3 zero() { return {0, 0, 0}; }

    friend constexpr Vector3 operator+(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
    friend constexpr Vector3 operator-(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
    friend constexpr Vector3 operator-(Vector3 a) { return {-a.x, -a.y, -a.z}; }
    friend constexpr Vector3 operator*(Vector3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
    friend constexpr Vector3 operator*(double s, Vector3 a) { return {a.x * s, a.y * s, a.z * s}; }
    friend constexpr bool operator==(Vector3 a, Vector3 b) = default;

    constexpr double dot(Vector3 b) const { return x * b.x + y * b.y + z * b.z; }
    constexpr Vector3 cross(Vector3 b) const { return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x}; }
    double length() const { return std::sqrt(x * x + y * y + z * z); }
    // Unlike Vector2, a vector that cannot be normalised comes back unchanged.
    Vector3 normalized() const {
        const double squares = x * x + y * y + z * z;
        if (squares > 0) {
            const double inverse = 1 / std::sqrt(squares);
            return {x * inverse, y * inverse, z * inverse};
        }
        return *this;
    }
};

// The square icon canvas.
namespace Canvas {
inline constexpr double side = 960.0;
inline constexpr double centre = side / 2;
// The square a model's icon is fitted into, centred on the canvas.
inline constexpr double fittedSize = 900.0;
}  // namespace Canvas

// Hashing feeds the components' bit patterns, with -0 folded to +0 so that equal
// values hash alike.
struct Hasher {
    std::size_t state = 0xcbf29ce484222325ULL;
    void combine(std::size_t value) { state ^= value + 0x9e3779b97f4a7c15ULL + (state << 6) + (state >> 2); }
    void combine(double value) {
        if (value == 0) value = 0;  // folds -0
        combine(std::hash<double>{}(value));
    }
    void combine(long long value) { combine(static_cast<std::size_t>(value)); }
    void combine(Vector2 v) {
        combine(v.x);
        combine(v.y);
    }
    void combine(Vector3 v) {
        combine(v.x);
        combine(v.y);
        combine(v.z);
    }
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::Vector2> {
    std::size_t operator()(icon_geometry::Vector2 v) const {
        icon_geometry::Hasher h;
        h.combine(v);
        return h.state;
    }
};

template <>
struct std::hash<icon_geometry::Vector3> {
    std::size_t operator()(icon_geometry::Vector3 v) const {
        icon_geometry::Hasher h;
        h.combine(v);
        return h.state;
    }
};
