#include "icon_geometry/cubic.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace icon_geometry::Cubic {
namespace {

constexpr double twoThirds = 0.6666666666666666;
constexpr double fourThirds = 1.3333333333333333;
using std::numbers::pi;
constexpr double twoPi = 6.283185307179586;
constexpr double halfPi = 1.5707963267948966;

struct Cut {
    Curve before;
    Curve after;
};

// One de Casteljau cut.
Cut cutAt(const Curve& c, double t) {
    const Vector2 q0 = c[0] + (c[1] - c[0]) * t;
    const Vector2 q1 = c[1] + (c[2] - c[1]) * t;
    const Vector2 q2 = c[2] + (c[3] - c[2]) * t;
    const Vector2 r0 = q0 + (q1 - q0) * t;
    const Vector2 r1 = q1 + (q2 - q1) * t;
    const Vector2 s = r0 + (r1 - r0) * t;
    return {{c[0], q0, r0, s}, {s, r1, q2, c[3]}};
}

bool allFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

Vector2 point(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, double t) {
    const double u = 1 - t;
    const double b0 = u * (u * u);
    const double k = u * 3;
    const double b1 = t * (u * k);
    const double b2 = t * (t * k);
    const double b3 = t * (t * t);
    return {((p0.x * b0 + c1.x * b1) + c2.x * b2) + p1.x * b3, ((p0.y * b0 + c1.y * b1) + c2.y * b2) + p1.y * b3};
}

Curve subcurve(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, double t0, double t1) {
    Curve curve{p0, c1, c2, p1};
    if (t1 < 1) curve = cutAt(curve, t1).before;
    if (t0 > 0 && t1 > 0) curve = cutAt(curve, t0 / t1).after;
    return curve;
}

std::vector<Curve> split(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, long long count) {
    long long k = std::max(count, 1LL);
    std::vector<Curve> pieces;
    pieces.reserve(static_cast<std::size_t>(k));
    Curve remainder{p0, c1, c2, p1};
    while (k > 1) {
        const Cut cut = cutAt(remainder, 1.0 / static_cast<double>(k));
        pieces.push_back(cut.before);
        remainder = cut.after;
        --k;
    }
    pieces.push_back(remainder);
    return pieces;
}

PathSegment fromQuadratic(Vector2 from, Vector2 control, Vector2 to) {
    return PathSegment::cubic(from + (control - from) * twoThirds, to + (control - to) * twoThirds, to);
}

double arcHandle(double sweepRadians) {
    return std::tan(sweepRadians * 0.25) * fourThirds;
}

std::vector<PathSegment> arcSegments(Vector2 from, Vector2 to, double rx, double ry, double xAxisRotationDegrees,
                                     bool largeArc, bool sweep) {
    const double x1 = from.x, y1 = from.y, x2 = to.x, y2 = to.y;
    if (x1 == x2 && y1 == y2) return {};
    if (!allFinite({x1, y1, x2, y2, rx, ry, xAxisRotationDegrees}) || rx == 0 || ry == 0) {
        return {PathSegment::line(to)};
    }
    const double angle = xAxisRotationDegrees * pi / 180;
    const double s = std::sin(angle);
    const double c = std::cos(angle);

    const double hx = (x1 - x2) * 0.5;
    const double hy = (y1 - y2) * 0.5;
    const double x1r = hx * c + hy * s;
    const double y1r = hy * c - hx * s;

    const double lambda = y1r * y1r / (ry * ry) + x1r * x1r / (rx * rx);
    const double sigma = lambda > 1 ? std::sqrt(lambda) : 1;
    const double rxc = std::fabs(rx) * sigma;
    const double ryc = std::fabs(ry) * sigma;

    const double den = y1r * (y1r * (rxc * rxc)) + x1r * (x1r * (ryc * ryc));
    double coef = 0;
    if (den > 0) {
        const double num = rxc * rxc * (ryc * ryc) - y1r * y1r * (rxc * rxc) - x1r * x1r * (ryc * ryc);
        coef = std::sqrt(std::max(num, 0.0) / den);
    }
    if (largeArc == sweep) coef = -coef;

    const double cxr = y1r * (rxc * coef) / ryc;
    const double cyr = x1r * (ryc * -coef) / rxc;

    const double ux = (x1r - cxr) / rxc;
    const double uy = (y1r - cyr) / ryc;
    const double vx = (-x1r - cxr) / rxc;
    const double vy = (-y1r - cyr) / ryc;

    const double theta1 = std::atan2(uy, ux);
    double delta = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    if (!sweep && delta > 0) delta -= twoPi;
    if (sweep && delta < 0) delta += twoPi;
    if (!std::isfinite(theta1) || !std::isfinite(delta)) return {PathSegment::line(to)};

    const int n = static_cast<int>(std::max(1.0, std::ceil(std::fabs(delta) / halfPi - 1e-9)));
    const double step = delta / n;
    const double k = arcHandle(step);

    const double centreX = (x1 + x2) * 0.5 + (cxr * c - cyr * s);
    const double centreY = (y1 + y2) * 0.5 + (cxr * s + cyr * c);
    const auto onEllipse = [&](double theta) {
        const double ct = std::cos(theta);
        const double st = std::sin(theta);
        return Vector2{centreX + rxc * ct * c - ryc * st * s, centreY + rxc * ct * s + ryc * st * c};
    };
    const auto tangent = [&](double theta) {
        const double ct = std::cos(theta);
        const double st = std::sin(theta);
        return Vector2{-rxc * st * c - ryc * ct * s, -rxc * st * s + ryc * ct * c};
    };

    std::vector<PathSegment> segments;
    segments.reserve(static_cast<std::size_t>(n));
    double thetaA = theta1;
    for (int i = 0; i < n; ++i) {
        const double thetaB = thetaA + step;
        const Vector2 end = i == n - 1 ? to : onEllipse(thetaB);
        segments.push_back(PathSegment::cubic(onEllipse(thetaA) + tangent(thetaA) * k, end - tangent(thetaB) * k, end));
        thetaA = thetaA + step;
    }
    return segments;
}

}  // namespace icon_geometry::Cubic
