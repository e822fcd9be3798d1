#include "photo_analysis/shape_fitting.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>

#include "geometry/shape_fitting_detail.hpp"
#include "icon_geometry/convex_hull.hpp"

namespace photo_analysis {

namespace detail = shape_fitting_detail;

Vector2 FaceFit::localPoint(double x, double y) const {
    const double dx = x - center.x, dy = y - center.y;
    const double c = std::cos(rotation), s = std::sin(rotation);
    return {dx * c + dy * s, dy * c - dx * s};
}

std::string_view rawValue(FaceFit::Kind kind) {
    switch (kind) {
        case FaceFit::Kind::ellipse:
            return "ellipse";
        case FaceFit::Kind::superellipse:
            return "superellipse";
        case FaceFit::Kind::roundedRectangle:
            return "roundedRectangle";
    }
    return {};
}

std::optional<FaceFit::Kind> faceFitKind(std::string_view text) {
    for (auto kind : {FaceFit::Kind::ellipse, FaceFit::Kind::superellipse, FaceFit::Kind::roundedRectangle}) {
        if (rawValue(kind) == text) return kind;
    }
    return std::nullopt;
}

namespace shape_fitting_detail {

std::vector<Vector2> finitePoints(std::span<const Vector2> points) {
    std::vector<Vector2> kept;
    kept.reserve(points.size());
    for (Vector2 p : points) {
        if (std::isfinite(p.x) && std::isfinite(p.y)) kept.push_back(p);
    }
    return kept;
}

namespace {

constexpr double quarterTurn = std::numbers::pi / 2;
constexpr double eighthTurn = std::numbers::pi / 4;

Vector2 meanOf(std::span<const Vector2> points) {
    Vector2 c{0, 0};
    for (Vector2 p : points) c = c + p;
    if (!points.empty()) c = c * (1.0 / static_cast<double>(points.size()));
    return c;
}

double foldedToAnEighthTurn(double theta) {
    theta = std::remainder(theta, quarterTurn);
    if (theta > eighthTurn) {
        theta -= quarterTurn;
    } else if (theta < -eighthTurn) {
        theta += quarterTurn;
    }
    return theta;
}

// The direction of the hull's side along which the box holding the points has
// the least area (rotating calipers): a box's sides lie along the hull's.
std::optional<double> smallestBoxRotation(std::span<const Vector2> points) {
    const std::vector<Vector2> hull = icon_geometry::convexHull(std::vector<Vector2>(points.begin(), points.end()));
    if (hull.size() < 3) return std::nullopt;
    std::optional<double> best;
    double leastArea = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const Vector2 edge = hull[(i + 1) % hull.size()] - hull[i];
        const double length = edge.length();
        if (!(length > 0)) continue;
        const Vector2 u = edge * (1 / length), v{-u.y, u.x};
        double loU = std::numeric_limits<double>::infinity(), hiU = -loU, loV = loU, hiV = -loU;
        for (const Vector2 p : hull) {
            loU = std::min(loU, p.dot(u));
            hiU = std::max(hiU, p.dot(u));
            loV = std::min(loV, p.dot(v));
            hiV = std::max(hiV, p.dot(v));
        }
        const double area = (hiU - loU) * (hiV - loV);
        if (area < leastArea) {
            leastArea = area;
            best = std::atan2(u.y, u.x);
        }
    }
    return best;
}

}  // namespace

std::vector<double> startRotations(std::span<const Vector2> points) {
    const Vector2 c = meanOf(points);
    double sxx = 0, sxy = 0, syy = 0;
    for (Vector2 p : points) {
        const double dx = p.x - c.x, dy = p.y - c.y;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    std::vector<double> rotations{foldedToAnEighthTurn(std::atan2(2 * sxy, sxx - syy) * 0.5)};
    // Within half a degree the two are one start.
    constexpr double sameStart = 0.5 * std::numbers::pi / 180;
    if (const auto box = smallestBoxRotation(points)) {
        const double folded = foldedToAnEighthTurn(*box);
        if (std::abs(foldedToAnEighthTurn(folded - rotations.front())) > sameStart) rotations.push_back(folded);
    }
    return rotations;
}

SearchStart searchStart(std::span<const Vector2> points, FaceFit::Kind kind, double theta) {
    const Vector2 c = meanOf(points);
    double a = 1, b = 1;
    if (!points.empty()) {
        a = 0;
        b = 0;
        const double cs = std::cos(theta), sn = std::sin(theta);
        for (Vector2 p : points) {
            const double dx = p.x - c.x, dy = p.y - c.y;
            a = std::max(a, std::abs(dx * cs + dy * sn));
            b = std::max(b, std::abs(-dx * sn + dy * cs));
        }
    }
    const double big = std::max(a, b), small = std::min(a, b);
    SearchStart start{{c.x, c.y, theta, a, b}, {0.05 * big, 0.05 * big, 0.05, 0.05 * a, 0.05 * b}};
    if (kind == FaceFit::Kind::superellipse) {
        start.vector.push_back(4.0);
        start.steps.push_back(0.5);
    } else if (kind == FaceFit::Kind::roundedRectangle) {
        start.vector.push_back(0.2 * small);
        start.steps.push_back(0.05 * small);
    }
    return start;
}

std::vector<double> minimize(const Cost& rawCost, std::vector<double> start, std::span<const double> steps,
                             int maxIterations) {
    // A NaN cost would break the ordering; it ranks as the worst possible.
    const auto cost = [&](std::span<const double> v) {
        const double c = rawCost(v);
        return std::isnan(c) ? std::numeric_limits<double>::infinity() : c;
    };
    const std::size_t n = start.size();
    std::vector<std::vector<double>> vertices(n + 1, start);
    for (std::size_t i = 0; i < n; ++i) vertices[i + 1][i] += steps[i];
    std::vector<double> costs(n + 1);
    for (std::size_t i = 0; i <= n; ++i) costs[i] = cost(vertices[i]);

    std::vector<std::size_t> order(n + 1);
    std::vector<double> centroid(n), trial(n), reflected(n);
    const auto trialPoint = [&](double t, std::vector<double>& out) {
        const auto& worst = vertices[order[n]];
        for (std::size_t j = 0; j < n; ++j) out[j] = centroid[j] + t * (worst[j] - centroid[j]);
    };
    for (int iteration = 0; iteration < maxIterations; ++iteration) {
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return costs[l] < costs[r]; });
        const double best = costs[order[0]], worst = costs[order[n]], secondWorst = costs[order[n - 1]];
        const double spread = std::abs(worst - best);
        if (std::abs(best) >= 1 ? spread <= 1e-12 * std::abs(best) : spread <= 1e-12) break;

        std::fill(centroid.begin(), centroid.end(), 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) centroid[j] += vertices[order[i]][j];
        }
        for (double& v : centroid) v /= static_cast<double>(n);

        trialPoint(-1, reflected);
        const double reflectedCost = cost(reflected);
        if (reflectedCost < best) {
            trialPoint(-2, trial);
            const double expandedCost = cost(trial);
            if (reflectedCost > expandedCost) {
                vertices[order[n]] = trial;
                costs[order[n]] = expandedCost;
            } else {
                vertices[order[n]] = reflected;
                costs[order[n]] = reflectedCost;
            }
        } else if (reflectedCost < secondWorst) {
            vertices[order[n]] = reflected;
            costs[order[n]] = reflectedCost;
        } else {
            trialPoint(reflectedCost < worst ? -0.5 : 0.5, trial);
            const double contractedCost = cost(trial);
            if (contractedCost < std::min(worst, reflectedCost)) {
                vertices[order[n]] = trial;
                costs[order[n]] = contractedCost;
            } else {
                const auto& bestVertex = vertices[order[0]];
                for (std::size_t i = 1; i <= n; ++i) {
                    auto& v = vertices[order[i]];
                    for (std::size_t j = 0; j < n; ++j) v[j] = bestVertex[j] + (v[j] - bestVertex[j]) * 0.5;
                    costs[order[i]] = cost(v);
                }
            }
        }
    }
    std::size_t least = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        if (costs[i] < costs[least]) least = i;
    }
    return vertices[least];
}

std::optional<FaceFit> fitFrom(std::span<const double> v, FaceFit::Kind kind, double rms) {
    const double a = std::abs(v[3]), b = std::abs(v[4]);
    const double width = 2 * a, height = 2 * b;
    // A zero or non-finite outline cannot stand for a face.
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height) || !std::isfinite(rms) ||
        !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
        return std::nullopt;
    }
    FaceFit fit{kind, FaceShape::ellipse(width, height), {v[0], v[1]}, v[2], rms};
    if (kind == FaceFit::Kind::superellipse) {
        fit.shape = FaceShape::superellipse(width, height, std::max(v[5], 1.2));
    } else if (kind == FaceFit::Kind::roundedRectangle) {
        fit.shape = FaceShape::roundedRectangle(width, height, std::max(std::min({a, b, std::abs(v[5])}), 0.0));
    }
    return fit;
}

}  // namespace shape_fitting_detail

namespace {

// Mean of the k smallest squared distances, k = ⌊n × share⌋ (1 when below 2). Only
// which values are the k smallest matters, not their order.
double trimmedMean(std::vector<double>& squares, double share) {
    const std::size_t n = squares.size();
    std::size_t k = static_cast<std::size_t>(std::floor(static_cast<double>(n) * share));
    if (k < 2) k = 1;
    k = std::min(k, n);
    if (k < n) std::nth_element(squares.begin(), squares.begin() + static_cast<std::ptrdiff_t>(k - 1), squares.end());
    double sum = 0;
    for (std::size_t i = 0; i < k; ++i) sum += squares[i];
    return sum / static_cast<double>(k);
}

double roundedBoxDistance(double u, double v, double a, double b, double r) {
    const double qx = u + r - a, qy = v + r - b;
    const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::min(std::max(qx, qy), 0.0) + std::sqrt(ox * ox + oy * oy) - r;
}

// (u^e + v^e)^(1/e) for u, v ≥ 0, as max · (1 + (min/max)^e)^(1/e): two
// logarithms and two exponentials instead of three powers.
double superellipseRadius(double u, double v, double e, double inverse) {
    const double big = std::max(u, v), small = std::min(u, v);
    if (!(big > 0) || !std::isfinite(big)) return std::pow(std::pow(u, e) + std::pow(v, e), inverse);
    const double t = small > 0 ? std::exp(e * std::log(small / big)) : 0.0;
    return big * std::exp(std::log(1 + t) * inverse);
}

// Writes the signed distance of every point to the outline of `params` into `out`.
void signedDistances(std::span<const Vector2> points, FaceFit::Kind kind, std::span<const double> params,
                     std::vector<double>& out) {
    out.resize(points.size());
    const double cx = params[0], cy = params[1];
    const double cs = std::cos(params[2]), sn = std::sin(params[2]);
    const double a = std::abs(params[3]), b = std::abs(params[4]);
    const double ia = 1 / std::max(a, 1e-9), ib = 1 / std::max(b, 1e-9);
    const double scale = std::min(a, b);
    const std::size_t n = points.size();
    switch (kind) {
        case FaceFit::Kind::ellipse:
            for (std::size_t i = 0; i < n; ++i) {
                const double dx = points[i].x - cx, dy = points[i].y - cy;
                const double u = std::abs(dx * cs + dy * sn) * ia, v = std::abs(dy * cs - dx * sn) * ib;
                out[i] = scale * (std::sqrt(u * u + v * v) - 1);
            }
            break;
        case FaceFit::Kind::superellipse: {
            const double e = std::max(params[5], 1.2), inverse = 1 / e;
            for (std::size_t i = 0; i < n; ++i) {
                const double dx = points[i].x - cx, dy = points[i].y - cy;
                const double u = std::abs(dx * cs + dy * sn) * ia, v = std::abs(dy * cs - dx * sn) * ib;
                out[i] = scale * (superellipseRadius(u, v, e, inverse) - 1);
            }
            break;
        }
        case FaceFit::Kind::roundedRectangle: {
            const double r = std::max(std::min({std::abs(params[5]), a, b}), 0.0);
            for (std::size_t i = 0; i < n; ++i) {
                const double dx = points[i].x - cx, dy = points[i].y - cy;
                out[i] = roundedBoxDistance(std::abs(dx * cs + dy * sn), std::abs(dy * cs - dx * sn), a, b, r);
            }
            break;
        }
    }
}

}  // namespace

namespace ShapeFitting {

std::vector<Vector2> boundaryPoints(int width, int height, std::span<const std::uint8_t> coverage) {
    std::vector<Vector2> points;
    if (width <= 0 || height <= 0) return points;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    if (coverage.size() != w * h) return points;
    const auto inside = [&](std::size_t x, std::size_t y) { return coverage[y * w + x] >= 128; };
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            if (!inside(x, y)) continue;
            const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            if (border || !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)) {
                points.push_back({static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5});
            }
        }
    }
    return points;
}

std::optional<FaceFit> fitKind(std::span<const Vector2> input, FaceFit::Kind kind) {
    const std::vector<Vector2> points = detail::finitePoints(input);
    if (points.size() < minimumPoints) return std::nullopt;
    std::vector<double> distances;
    const auto cost = [&](std::span<const double> params) {
        signedDistances(points, kind, params, distances);
        for (double& d : distances) d *= d;
        return trimmedMean(distances, 0.95);
    };
    // The search runs from the start of least cost, the first on equal costs: a
    // square started along its diagonal settles there, a third too large.
    std::optional<detail::SearchStart> start;
    double leastCost = std::numeric_limits<double>::infinity();
    for (const double rotation : detail::startRotations(points)) {
        auto candidate = detail::searchStart(points, kind, rotation);
        const double c = cost(candidate.vector);
        if (!start || c < leastCost) {
            start = std::move(candidate);
            leastCost = c;
        }
    }
    const auto found = detail::minimize(cost, start->vector, start->steps, detail::maxIterations);
    signedDistances(points, kind, found, distances);
    double sum = 0;
    for (double d : distances) sum += d * d;
    return detail::fitFrom(found, kind, std::sqrt(sum / static_cast<double>(points.size())));
}

std::optional<FaceFit> fit(std::span<const Vector2> input) {
    const std::vector<Vector2> points = detail::finitePoints(input);
    const auto ellipse = fitKind(points, FaceFit::Kind::ellipse);
    const auto superellipse = fitKind(points, FaceFit::Kind::superellipse);
    const auto rounded = fitKind(points, FaceFit::Kind::roundedRectangle);
    const std::optional<FaceFit>* inOrder[] = {&ellipse, &superellipse, &rounded};
    const FaceFit* best = nullptr;
    for (const auto* candidate : inOrder) {
        if (*candidate && (!best || (*candidate)->rms < best->rms)) best = &**candidate;
    }
    if (!best) return std::nullopt;
    const double limit = 1.1 * best->rms;
    if (ellipse && ellipse->rms <= limit) return ellipse;
    if (rounded && rounded->rms <= limit) return rounded;
    return *best;
}

std::optional<double> cornerRadius(std::span<const Vector2> input, double width, double height) {
    const double a = width * 0.5, b = height * 0.5, c = std::min(a, b);
    if (!std::isfinite(c) || !(c > 0)) return std::nullopt;
    std::vector<Vector2> corner;
    for (Vector2 p : detail::finitePoints(input)) {
        if (!(std::abs(p.x) > a * 0.5 && std::abs(p.y) > b * 0.5)) continue;
        const double fx = std::abs(p.x) - a, fy = std::abs(p.y) - b;
        const double ox = std::max(fx, 0.0), oy = std::max(fy, 0.0);
        const double toBox = std::abs(std::min(std::max(fx, fy), 0.0) + std::sqrt(ox * ox + oy * oy));
        if (toBox < 0.25 * c) corner.push_back(p);
    }
    if (corner.size() < 8) return std::nullopt;
    std::vector<double> squares(corner.size());
    const auto cost = [&](double r) {
        for (std::size_t i = 0; i < corner.size(); ++i) {
            const double d = roundedBoxDistance(std::abs(corner[i].x), std::abs(corner[i].y), a, b, r);
            squares[i] = d * d;
        }
        return trimmedMean(squares, 0.9);
    };
    double lo = 0, hi = c;
    for (int i = 0; i < 80; ++i) {
        const double e = (hi - lo) * 0.6180339887498949;
        if (cost(hi - e) < cost(lo + e)) {
            hi = lo + e;
        } else {
            lo = hi - e;
        }
    }
    return (lo + hi) * 0.5;
}

}  // namespace ShapeFitting

}  // namespace photo_analysis
