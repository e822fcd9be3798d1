#include "icon_geometry/face_shape.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/face_shape_coding.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/polygon.hpp"

namespace icon_geometry {
namespace {

using std::numbers::pi;
// A corner whose edges turn back within a millionth of a radian of a full
// reversal is a spike: its arc's tangent distance and handles would blow up, so
// it stays sharp.
constexpr double nearlyStraight = pi - 1e-6;
constexpr double halfPi = 1.5707963267948966;

bool finite(double v) {
    return std::isfinite(v);
}

// x when positive, 0 otherwise (NaN included).
double clampPositive(double x) {
    return x > 0 ? x : 0;
}

// The superellipse abs(x/a)^n + abs(y/b)^n = 1, sampled into cubics whose radial
// deviation stays within a tolerance.
class SuperellipseSampler {
public:
    SuperellipseSampler(double a, double b, double n, PathBuilder& builder) : a_(a), b_(b), n_(n), builder_(builder) {}

    Vector2 point(double theta) const {
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        const double u = std::abs(c / a_);
        const double v = std::abs(s / b_);
        double r = std::pow(std::pow(u, n_) + std::pow(v, n_), -1.0 / n_);
        if (!(r > 0) || !std::isfinite(r)) {
            // Large exponents underflow (or overflow) the sum of powers on a big (or
            // tiny) shape; the same radius with the larger term factored out does not.
            const double m = std::max(u, v);
            const double k = std::min(u, v) / m;
            r = 1.0 / (m * std::pow(1.0 + std::pow(k, n_), 1.0 / n_));
        }
        return {c * r, s * r};
    }

    // The unit tangent at a point of the curve, pointing towards increasing angle.
    Vector2 tangent(Vector2 p) const {
        const double sx = p.x < 0 ? -1.0 : 1.0;
        const double sy = p.y < 0 ? -1.0 : 1.0;
        const double gx = sx * (n_ / a_) * std::pow(std::abs(p.x / a_), n_ - 1);
        const double gy = sy * (n_ / b_) * std::pow(std::abs(p.y / b_), n_ - 1);
        const double sum = gx * gx + gy * gy;
        if (!(sum > 0)) return {0, 0};
        const double l = std::sqrt(sum);
        return {-gy / l, gx / l};
    }

    double deviation(Vector2 q) const {
        const double r = std::pow(std::pow(std::abs(q.x / a_), n_) + std::pow(std::abs(q.y / b_), n_), 1.0 / n_);
        return std::abs(r - 1);
    }

    void sample(double thetaA, double thetaB, double tolerance, int depth) {
        const Vector2 e = point(thetaB);
        for (;;) {
            const Vector2 s = point(thetaA);
            const Vector2 ts = tangent(s);
            const Vector2 te = tangent(e);
            const double alpha = std::acos(std::clamp(ts.dot(te), -1.0, 1.0));
            const double q = std::cos(alpha / 4);
            const double handle = s.distance(e) / (3 * (q * q));
            const Vector2 c1 = s + ts * handle;
            const Vector2 c2 = e - te * handle;

            const double worst =
                std::max({deviation(bernstein(s, c1, c2, e, 27.0 / 64, 27.0 / 64, 9.0 / 64, 1.0 / 64)),
                          deviation(bernstein(s, c1, c2, e, 1.0 / 8, 3.0 / 8, 3.0 / 8, 1.0 / 8)),
                          deviation(bernstein(s, c1, c2, e, 1.0 / 64, 9.0 / 64, 27.0 / 64, 27.0 / 64))});
            if (worst > tolerance && depth < 6) {
                depth += 1;
                const double mid = (thetaA + thetaB) * 0.5;
                sample(thetaA, mid, tolerance, depth);
                thetaA = mid;
                continue;
            }
            builder_.curveTo(e, c1, c2);
            return;
        }
    }

private:
    static Vector2 bernstein(Vector2 s, Vector2 c1, Vector2 c2, Vector2 e, double w0, double w1, double w2, double w3) {
        return {((s.x * w0 + c1.x * w1) + c2.x * w2) + e.x * w3, ((s.y * w0 + c1.y * w1) + c2.y * w2) + e.y * w3};
    }

    double a_;
    double b_;
    double n_;
    PathBuilder& builder_;
};

struct Corner {
    Vector2 entry;
    Vector2 exit;
    Vector2 c1;
    Vector2 c2;
    bool rounded = false;
};

Corner polygonCorner(Vector2 p, Vector2 v, Vector2 n, double r) {
    const Vector2 towardsP = p - v;
    const Vector2 towardsN = n - v;
    const double la = towardsP.length();
    const double lb = towardsN.length();
    const Vector2 ua = towardsP.normalized();
    const Vector2 ub = towardsN.normalized();
    const double theta = std::acos(std::clamp(ua.dot(ub), -1.0, 1.0));
    if (r > 0 && theta > 1e-6 && theta < nearlyStraight) {
        const double halfTan = std::tan(theta / 2);
        const double d = std::min(std::min(la, lb) * 0.5, r / halfTan);
        const double k = Cubic::arcHandle(pi - theta) * (halfTan * d);
        Corner corner;
        corner.entry = v + ua * d;
        corner.exit = v + ub * d;
        corner.c1 = corner.entry - ua * k;
        corner.c2 = corner.exit - ub * k;
        corner.rounded = true;
        return corner;
    }
    return {v, v, v, v, false};
}

bool allFinite(const std::vector<Vector2>& points) {
    return std::all_of(points.begin(), points.end(), [](Vector2 p) { return finite(p.x) && finite(p.y); });
}

}  // namespace

BezierPath FaceShape::roundedRectanglePath(double width, double height, double radius) {
    // A non-finite side has no outline to draw.
    if (!finite(width) || !finite(height)) return {};
    const double hw = width * 0.5;
    const double hh = height * 0.5;
    // A radius that is not a number draws sharp corners, as a negative one does.
    double rho = std::isnan(radius) ? 0.0 : std::min(std::min(width, height) * 0.5, radius);
    if (!(rho >= 0)) rho = 0;

    PathBuilder b;
    b.moveTo({-hw + rho, -hh});
    b.lineTo({hw - rho, -hh});
    if (rho > 0) {
        const double k = rho * Cubic::circleKappa;
        b.curveTo({hw, -hh + rho}, {hw - rho + k, -hh}, {hw, -hh + rho - k});
        b.lineTo({hw, hh - rho});
        b.curveTo({hw - rho, hh}, {hw, hh - rho + k}, {hw - rho + k, hh});
        b.lineTo({-hw + rho, hh});
        b.curveTo({-hw, hh - rho}, {-hw + rho - k, hh}, {-hw, hh - rho + k});
        b.lineTo({-hw, -hh + rho});
        b.curveTo({-hw + rho, -hh}, {-hw, -hh + rho - k}, {-hw + rho - k, -hh});
    } else {
        b.lineTo({hw, hh});
        b.lineTo({-hw, hh});
        b.lineTo({-hw, -hh});
    }
    b.closeSubpath();
    return b.finish();
}

BezierPath FaceShape::ellipsePath(double width, double height) {
    if (!finite(width) || !finite(height)) return {};
    const double a = width * 0.5;
    const double b = height * 0.5;
    const double ka = a * Cubic::circleKappa;
    const double kb = b * Cubic::circleKappa;
    PathBuilder builder;
    builder.moveTo({0, -b});
    builder.curveTo({a, 0}, {ka, -b}, {a, -kb});
    builder.curveTo({0, b}, {a, kb}, {ka, b});
    builder.curveTo({-a, 0}, {-ka, b}, {-a, kb});
    builder.curveTo({0, -b}, {-a, -kb}, {-ka, -b});
    builder.closeSubpath();
    return builder.finish();
}

BezierPath FaceShape::superellipsePath(double width, double height, double exponent) {
    // The curve depends on the sides' sizes only: a shape scaled by a negative
    // factor keeps its outline, as an ellipse does.
    const double a = std::abs(width) * 0.5;
    const double b = std::abs(height) * 0.5;
    double n = exponent;
    if (n <= 1.01) n = 1.01;
    // A flat or unbounded shape (a bevel inset can clamp a side to 0) would divide
    // by a zero half-axis; it has no outline.
    if (!(a > 0) || !(b > 0) || !finite(a) || !finite(b) || !finite(n)) return {};
    if (std::abs(n - 2) < 1e-12) return ellipsePath(std::abs(width), std::abs(height));

    PathBuilder builder;
    SuperellipseSampler sampler(a, b, n, builder);
    builder.moveTo(sampler.point(-halfPi));
    sampler.sample(-halfPi, 0, 0.001, 0);
    sampler.sample(0, halfPi, 0.001, 0);
    sampler.sample(halfPi, pi, 0.001, 0);
    sampler.sample(pi, 4.71238898038469, 0.001, 0);
    builder.closeSubpath();
    return builder.finish();
}

BezierPath FaceShape::roundedPolygonPath(const std::vector<Vector2>& vertices, double radius) {
    const std::size_t n = vertices.size();
    if (n < 3 || !allFinite(vertices)) return {};

    std::vector<Corner> corners;
    corners.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        corners.push_back(polygonCorner(vertices[(i + n - 1) % n], vertices[i], vertices[(i + 1) % n], radius));

    PathBuilder b;
    b.moveTo(corners[0].exit);
    for (std::size_t step = 1; step <= n; ++step) {
        const Corner& corner = corners[step % n];
        b.lineTo(corner.entry);
        if (corner.rounded) b.curveTo(corner.exit, corner.c1, corner.c2);
    }
    b.closeSubpath();
    return b.finish();
}

std::vector<Vector2> FaceShape::offsetVertices(const std::vector<Vector2>& vertices, double d) {
    const std::size_t n = vertices.size();
    if (n < 3) return vertices;

    const double sigma = signedArea(vertices) > 0 ? 1.0 : -1.0;

    std::vector<Vector2> result;
    result.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vector2 p = vertices[(i + n - 1) % n];
        const Vector2 v = vertices[i];
        const Vector2 next = vertices[(i + 1) % n];
        const Vector2 e = (v - p).normalized();
        const Vector2 f = (next - v).normalized();
        const Vector2 nE{sigma * -e.y, sigma * e.x};
        const Vector2 nF{sigma * -f.y, sigma * f.x};
        const Vector2 a1 = p + nE * d;
        const Vector2 a2 = v + nF * d;
        const double c = e.cross(f);
        if (std::abs(c) > 1e-12) {
            const double t = (a2 - a1).cross(f) / c;
            result.push_back(a1 + e * t);
        } else {
            result.push_back(a2);
        }
    }
    return result;
}

BezierPath FaceShape::outline() const {
    struct Visitor {
        BezierPath operator()(const RoundedRectangle& s) const {
            return roundedRectanglePath(s.width, s.height, s.cornerRadius);
        }
        BezierPath operator()(const Superellipse& s) const { return superellipsePath(s.width, s.height, s.exponent); }
        BezierPath operator()(const Ellipse& s) const { return ellipsePath(s.width, s.height); }
        BezierPath operator()(const Capsule& s) const {
            return roundedRectanglePath(s.width, s.height, std::min(s.width, s.height) * 0.5);
        }
        BezierPath operator()(const RoundedPolygon& s) const { return roundedPolygonPath(s.vertices, s.cornerRadius); }
    };
    return std::visit(Visitor{}, value);
}

FaceShape FaceShape::inset(double d) const {
    struct Visitor {
        double d;
        FaceShape operator()(const RoundedRectangle& s) const {
            return roundedRectangle(clampPositive(s.width - 2 * d), clampPositive(s.height - 2 * d),
                                    clampPositive(s.cornerRadius - d));
        }
        FaceShape operator()(const Superellipse& s) const {
            return superellipse(clampPositive(s.width - 2 * d), clampPositive(s.height - 2 * d), s.exponent);
        }
        FaceShape operator()(const Ellipse& s) const {
            return ellipse(clampPositive(s.width - 2 * d), clampPositive(s.height - 2 * d));
        }
        FaceShape operator()(const Capsule& s) const {
            return capsule(clampPositive(s.width - 2 * d), clampPositive(s.height - 2 * d));
        }
        FaceShape operator()(const RoundedPolygon& s) const {
            return roundedPolygon(offsetVertices(s.vertices, d), clampPositive(s.cornerRadius - d));
        }
    };
    return std::visit(Visitor{d}, value);
}

FaceShape FaceShape::scaled(double sx, double sy) const {
    const double m = std::min(sx, sy);
    struct Visitor {
        double sx, sy, m;
        FaceShape operator()(const RoundedRectangle& s) const {
            return roundedRectangle(s.width * sx, s.height * sy, s.cornerRadius * m);
        }
        FaceShape operator()(const Superellipse& s) const {
            return superellipse(s.width * sx, s.height * sy, s.exponent);
        }
        FaceShape operator()(const Ellipse& s) const { return ellipse(s.width * sx, s.height * sy); }
        FaceShape operator()(const Capsule& s) const { return capsule(s.width * sx, s.height * sy); }
        FaceShape operator()(const RoundedPolygon& s) const {
            std::vector<Vector2> vertices;
            vertices.reserve(s.vertices.size());
            for (const Vector2 v : s.vertices) vertices.push_back({v.x * sx, v.y * sy});
            return roundedPolygon(std::move(vertices), s.cornerRadius * m);
        }
    };
    return std::visit(Visitor{sx, sy, m}, value);
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::FaceShape>::operator()(const icon_geometry::FaceShape& shape) const {
    using namespace icon_geometry;
    Hasher h;
    h.combine(shape.caseIndex());
    std::visit(
        [&h](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, FaceShape::RoundedRectangle>) {
                h.combine(s.width);
                h.combine(s.height);
                h.combine(s.cornerRadius);
            } else if constexpr (std::is_same_v<T, FaceShape::Superellipse>) {
                h.combine(s.width);
                h.combine(s.height);
                h.combine(s.exponent);
            } else if constexpr (std::is_same_v<T, FaceShape::RoundedPolygon>) {
                h.combine(s.vertices.size());
                for (const Vector2 v : s.vertices) h.combine(v);
                h.combine(s.cornerRadius);
            } else {
                h.combine(s.width);
                h.combine(s.height);
            }
        },
        shape.value);
    return h.state;
}

namespace icon_geometry::json {
FaceShape Coding<FaceShape>::decode(const Decoder& d) {
    // Braced initialisation reads the members in order, so the first failing key is the one reported.
    const auto [name, p] = d.singleCase({"roundedRectangle", "superellipse", "ellipse", "capsule", "roundedPolygon"});
    if (name == "roundedRectangle")
        return {FaceShape::RoundedRectangle{p.required<double>("width"), p.required<double>("height"),
                                            p.required<double>("cornerRadius")}};
    if (name == "superellipse")
        return {FaceShape::Superellipse{p.required<double>("width"), p.required<double>("height"),
                                        p.required<double>("exponent")}};
    if (name == "ellipse") return {FaceShape::Ellipse{p.required<double>("width"), p.required<double>("height")}};
    if (name == "capsule") return {FaceShape::Capsule{p.required<double>("width"), p.required<double>("height")}};
    return {
        FaceShape::RoundedPolygon{p.required<std::vector<Vector2>>("vertices"), p.required<double>("cornerRadius")}};
}

Tree Coding<FaceShape>::encode(const FaceShape& shape) {
    struct Visitor {
        Tree operator()(const FaceShape::RoundedRectangle& s) const {
            Tree t = Tree::object();
            t["width"] = s.width;
            t["height"] = s.height;
            t["cornerRadius"] = s.cornerRadius;
            return encodeCase("roundedRectangle", std::move(t));
        }
        Tree operator()(const FaceShape::Superellipse& s) const {
            Tree t = Tree::object();
            t["width"] = s.width;
            t["height"] = s.height;
            t["exponent"] = s.exponent;
            return encodeCase("superellipse", std::move(t));
        }
        Tree operator()(const FaceShape::Ellipse& s) const { return sides("ellipse", s.width, s.height); }
        Tree operator()(const FaceShape::Capsule& s) const { return sides("capsule", s.width, s.height); }
        Tree operator()(const FaceShape::RoundedPolygon& s) const {
            Tree t = Tree::object();
            t["vertices"] = json::encode(s.vertices);
            t["cornerRadius"] = s.cornerRadius;
            return encodeCase("roundedPolygon", std::move(t));
        }
        static Tree sides(std::string_view name, double width, double height) {
            Tree t = Tree::object();
            t["width"] = width;
            t["height"] = height;
            return encodeCase(name, std::move(t));
        }
    };
    return std::visit(Visitor{}, shape.value);
}

}  // namespace icon_geometry::json
