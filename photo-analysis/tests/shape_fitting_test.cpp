#include "photo_analysis/shape_fitting.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "face_scene.hpp"
#include "geometry/shape_fitting_detail.hpp"

namespace photo_analysis {
namespace {

namespace detail = shape_fitting_detail;
using Kind = FaceFit::Kind;

// The fit as first written: pow for every power, every squared distance sorted.
// The fast fit must find the same outlines.
double plainDistance(Vector2 point, Kind kind, std::span<const double> v) {
    const double dx = point.x - v[0], dy = point.y - v[1];
    const double u = std::abs(dx * std::cos(v[2]) + dy * std::sin(v[2]));
    const double w = std::abs(dy * std::cos(v[2]) - dx * std::sin(v[2]));
    const double a = std::abs(v[3]), b = std::abs(v[4]);
    if (kind == Kind::roundedRectangle) {
        const double r = std::max(std::min(std::min(std::abs(v[5]), a), b), 0.0);
        const double qx = u + r - a, qy = w + r - b;
        return std::min(std::max(qx, qy), 0.0) +
               std::sqrt(std::pow(std::max(qx, 0.0), 2) + std::pow(std::max(qy, 0.0), 2)) - r;
    }
    const double e = kind == Kind::ellipse ? 2 : std::max(v[5], 1.2);
    const double rho = std::pow(std::pow(u / std::max(a, 1e-9), e) + std::pow(w / std::max(b, 1e-9), e), 1 / e);
    return std::min(a, b) * (rho - 1);
}

std::optional<FaceFit> plainFit(std::span<const Vector2> points, Kind kind) {
    if (points.size() < 12) return std::nullopt;
    const auto cost = [&](std::span<const double> v) {
        std::vector<double> squares;
        for (Vector2 p : points) squares.push_back(std::pow(plainDistance(p, kind, v), 2));
        std::sort(squares.begin(), squares.end());
        std::size_t k = static_cast<std::size_t>(std::floor(squares.size() * 0.95));
        if (k < 2) k = 1;
        k = std::min(k, squares.size());
        double sum = 0;
        for (std::size_t i = 0; i < k; ++i) sum += squares[i];
        return sum / k;
    };
    std::optional<detail::SearchStart> start;
    for (const double rotation : detail::startRotations(points)) {
        auto candidate = detail::searchStart(points, kind, rotation);
        if (!start || cost(candidate.vector) < cost(start->vector)) start = std::move(candidate);
    }
    const auto found = detail::minimize(cost, start->vector, start->steps, detail::maxIterations);
    double sum = 0;
    for (Vector2 p : points) sum += std::pow(plainDistance(p, kind, found), 2);
    return detail::fitFrom(found, kind, std::sqrt(sum / points.size()));
}

// Points along a rounded rectangle's outline, turned and moved, with noise.
std::vector<Vector2> roundedRectanglePoints(double w, double h, double r, double turn, Vector2 centre, int count,
                                            double noise = 0, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::normal_distribution<double> jitter(0, noise > 0 ? noise : 1);
    std::vector<Vector2> points;
    const double a = w / 2 - r, b = h / 2 - r;
    const double perimeter = 4 * (a + b) + 2 * std::numbers::pi * r;
    for (int i = 0; i < count; ++i) {
        double s = perimeter * i / count;
        Vector2 p;
        // Walk: right side, bottom-right arc, bottom, … as one loop of straight runs and quarter arcs.
        const double runs[4] = {2 * b, 2 * a, 2 * b, 2 * a};
        const Vector2 corners[4] = {{a, -b}, {a, b}, {-a, b}, {-a, -b}};
        const Vector2 normals[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        const Vector2 along[4] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
        for (int side = 0; side < 4; ++side) {
            if (s <= runs[side]) {
                p = corners[side] + normals[side] * r + along[side] * s;
                break;
            }
            s -= runs[side];
            const double arc = std::numbers::pi / 2 * r;
            if (s <= arc) {
                const double angle = std::atan2(normals[side].y, normals[side].x) + s / std::max(r, 1e-12);
                p = corners[(side + 1) % 4] + Vector2{std::cos(angle), std::sin(angle)} * r;
                break;
            }
            s -= arc;
        }
        if (noise > 0) p = p + Vector2{jitter(random), jitter(random)} * 1.0;
        const double c = std::cos(turn), sn = std::sin(turn);
        points.push_back({centre.x + p.x * c - p.y * sn, centre.y + p.x * sn + p.y * c});
    }
    return points;
}

std::vector<Vector2> ellipsePoints(double w, double h, Vector2 centre, int count) {
    std::vector<Vector2> points;
    for (int i = 0; i < count; ++i) {
        const double t = 2 * std::numbers::pi * i / count;
        points.push_back({centre.x + w / 2 * std::cos(t), centre.y + h / 2 * std::sin(t)});
    }
    return points;
}

// Full width and height of an ellipse, superellipse or rounded rectangle.
Vector2 size(const FaceShape& s) {
    return std::visit(
        [](const auto& v) -> Vector2 {
            if constexpr (requires { v.width; }) {
                return {v.width, v.height};
            } else {
                return {0, 0};
            }
        },
        s.value);
}
double width(const FaceShape& s) {
    return size(s).x;
}
double height(const FaceShape& s) {
    return size(s).y;
}

TEST(ShapeFitting, EllipsePointsGiveTheEllipse) {
    const auto fit = ShapeFitting::fit(ellipsePoints(400, 200, {500, 300}, 400));
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->kind, Kind::ellipse);
    EXPECT_NEAR(fit->rotation, 0, 1e-3);
    EXPECT_NEAR(width(fit->shape), 400, 0.5);
    EXPECT_NEAR(height(fit->shape), 200, 0.5);
    EXPECT_NEAR(fit->rms, 0, 0.1);
    EXPECT_NEAR(fit->center.x, 500, 0.1);
}

TEST(ShapeFitting, RoundedRectanglePointsGiveItsCornerRadius) {
    const auto points = roundedRectanglePoints(300, 200, 30, 0, {400, 400}, 600);
    const auto fit = ShapeFitting::fit(points);
    ASSERT_TRUE(fit);
    const auto ellipse = ShapeFitting::fitKind(points, Kind::ellipse);
    const auto rounded = ShapeFitting::fitKind(points, Kind::roundedRectangle);
    ASSERT_TRUE(ellipse && rounded);
    if (ellipse->rms > 1.1 * rounded->rms) {
        EXPECT_EQ(fit->kind, Kind::roundedRectangle);
    }
    const auto& shape = std::get<FaceShape::RoundedRectangle>(rounded->shape.value);
    EXPECT_NEAR(shape.cornerRadius, 30, 2);
    EXPECT_NEAR(shape.width, 300, 1);
    EXPECT_NEAR(shape.height, 200, 1);
}

TEST(ShapeFitting, TurnedRectangleStartsWithinAnEighthTurn) {
    const double turn = 60 * std::numbers::pi / 180;
    const auto points = roundedRectanglePoints(400, 200, 0, turn, {600, 500}, 800);
    const auto rotations = detail::startRotations(points);
    ASSERT_EQ(rotations.size(), 1u);
    EXPECT_NEAR(rotations[0], -30 * std::numbers::pi / 180, 1e-3);
    const auto fit = ShapeFitting::fitKind(points, Kind::roundedRectangle);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(width(fit->shape), 200, 1);
    EXPECT_NEAR(height(fit->shape), 400, 1);
}

// A face as wide as high has no principal axis: its frame comes from its own
// sides, whatever its turn, seen as a mask's boundary pixels.
TEST(ShapeFitting, NearlySquareOutlinesAreFramedAlongTheirSides) {
    constexpr double degree = std::numbers::pi / 180;
    for (const double aspect : {1.0, 1.05, 1.1}) {
        for (int turnDegrees = 0; turnDegrees <= 90; ++turnDegrees) {
            const double turn = turnDegrees * degree, h = 80, w = h * aspect, r = 0.15 * h;
            const double c = std::cos(turn), s = std::sin(turn);
            std::vector<Vector2> points;
            for (const Vector2 p :
                 ShapeFitting::boundaryPoints(160, 160, test_scene::maskOf(160, 160, [&](double x, double y) {
                                                            const double dx = x - 80.3, dy = y - 79.6;
                                                            const double u = std::abs(dx * c + dy * s) - (w / 2 - r);
                                                            const double v = std::abs(dy * c - dx * s) - (h / 2 - r);
                                                            return std::hypot(std::max(u, 0.0), std::max(v, 0.0)) +
                                                                       std::min(std::max(u, v), 0.0) <=
                                                                   r;
                                                        }).coverage)) {
                points.push_back(p);
            }
            const auto fit = ShapeFitting::fit(points);
            ASSERT_TRUE(fit) << aspect << " " << turnDegrees;
            // The frame's turn, a quarter turn either way being the same frame.
            const double off = std::remainder(fit->rotation - turn, std::numbers::pi / 2);
            EXPECT_LE(std::abs(off), 1 * degree) << "aspect " << aspect << ", turned " << turnDegrees;
            const Vector2 found = size(fit->shape);
            const bool across = std::abs(std::remainder(fit->rotation - turn, std::numbers::pi)) > std::numbers::pi / 4;
            EXPECT_NEAR(across ? found.y : found.x, w, 0.02 * w) << "aspect " << aspect << ", turned " << turnDegrees;
            EXPECT_NEAR(across ? found.x : found.y, h, 0.02 * h) << "aspect " << aspect << ", turned " << turnDegrees;
        }
    }
}

TEST(ShapeFitting, TooFewFinitePointsGiveNoFit) {
    auto points = ellipsePoints(40, 20, {0, 0}, 11);
    for (Kind kind : {Kind::ellipse, Kind::superellipse, Kind::roundedRectangle}) {
        EXPECT_FALSE(ShapeFitting::fitKind(points, kind));
    }
    EXPECT_FALSE(ShapeFitting::fit(points));
    // Twelve points, one of them not finite, are eleven.
    points.push_back({NAN, 3});
    EXPECT_FALSE(ShapeFitting::fit(points));
    points.push_back({INFINITY, 3});
    EXPECT_FALSE(ShapeFitting::fit(points));
    points.push_back({10, 0});
    EXPECT_TRUE(ShapeFitting::fit(points));
}

TEST(ShapeFitting, CoincidentPointsGiveNoOutline) {
    // Every point in one place: sizes of zero are no face.
    const std::vector<Vector2> points(20, Vector2{5, 5});
    EXPECT_FALSE(ShapeFitting::fit(points));
}

TEST(ShapeFitting, PerfectFitOfOneKindIsOnlyBeatenByAnotherPerfectFit) {
    // A sharp rectangle: only the rounded rectangle reaches rms 0; the ellipse
    // cannot come within 10 % of it.
    const auto fit = ShapeFitting::fit(roundedRectanglePoints(200, 100, 0, 0, {0, 0}, 300));
    ASSERT_TRUE(fit);
    EXPECT_NE(fit->kind, Kind::ellipse);
}

TEST(ShapeFitting, FastFitFindsTheOracleOutline) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> size(80, 400), turn(-0.6, 0.6), share(0, 0.3);
    for (int trial = 0; trial < 6; ++trial) {
        const double w = size(random), h = size(random);
        const auto points = roundedRectanglePoints(w, h, share(random) * std::min(w, h), turn(random), {300, 200}, 300,
                                                   0.8, static_cast<unsigned>(trial));
        for (Kind kind : {Kind::ellipse, Kind::superellipse, Kind::roundedRectangle}) {
            const auto fast = ShapeFitting::fitKind(points, kind);
            const auto plain = plainFit(points, kind);
            ASSERT_TRUE(fast && plain);
            EXPECT_NEAR(fast->rms, plain->rms, 1e-3 * std::max(1.0, plain->rms)) << trial << rawValue(kind);
            EXPECT_NEAR(width(fast->shape), width(plain->shape), 0.05) << trial << rawValue(kind);
            EXPECT_NEAR(height(fast->shape), height(plain->shape), 0.05) << trial << rawValue(kind);
            EXPECT_NEAR(fast->center.x, plain->center.x, 0.05) << trial << rawValue(kind);
        }
    }
}

TEST(ShapeFitting, CornerRadiusOfAKnownBox) {
    EXPECT_NEAR(*ShapeFitting::cornerRadius(roundedRectanglePoints(300, 200, 30, 0, {0, 0}, 1000), 300, 200), 30, 1);
    // A sharp corner: every radius that bends fewer than the trimmed tenth of the
    // corner points costs nothing, so the search stops within a few units of 0.
    EXPECT_LT(*ShapeFitting::cornerRadius(roundedRectanglePoints(300, 200, 0, 0, {0, 0}, 1000), 300, 200), 5);
    // Seven points near the corners are too few.
    const std::vector<Vector2> seven = {{150, 100}, {-150, 100}, {150, -100}, {-150, -100},
                                        {149, 99},  {-149, 99},  {149, -99}};
    EXPECT_FALSE(ShapeFitting::cornerRadius(seven, 300, 200));
    auto eight = seven;
    eight.push_back({-149, -99});
    EXPECT_TRUE(ShapeFitting::cornerRadius(eight, 300, 200));
    eight.back().x = NAN;
    EXPECT_FALSE(ShapeFitting::cornerRadius(eight, 300, 200));
    EXPECT_FALSE(ShapeFitting::cornerRadius(eight, NAN, 200));
}

TEST(ShapeFitting, BoundaryPointsAreEdgePixelCentres) {
    struct Case {
        int width, height;
        std::vector<std::uint8_t> coverage;
        std::vector<Vector2> expected;
    };
    const Case cases[] = {
        {3, 3, {0, 0, 0, 0, 200, 0, 0, 0, 0}, {{1.5, 1.5}}},
        {3, 3, {127, 127, 127, 127, 127, 127, 127, 127, 127}, {}},
        // A full 3 × 3 block: all but the middle pixel are on the mask's border.
        {3,
         3,
         {255, 255, 255, 255, 255, 255, 255, 255, 255},
         {{0.5, 0.5}, {1.5, 0.5}, {2.5, 0.5}, {0.5, 1.5}, {2.5, 1.5}, {0.5, 2.5}, {1.5, 2.5}, {2.5, 2.5}}},
        {0, 0, {}, {}},
        // Coverage of the wrong length is no mask.
        {3, 3, {255, 255}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ShapeFitting::boundaryPoints(c.width, c.height, c.coverage), c.expected);
}

TEST(FaceFit, LocalPointTurnsBackByTheRotation) {
    const FaceFit fit{Kind::ellipse, FaceShape::ellipse(4, 2), {10, 20}, std::numbers::pi / 2, 0};
    const Vector2 p = fit.localPoint(10, 23);
    EXPECT_NEAR(p.x, 3, 1e-12);
    EXPECT_NEAR(p.y, 0, 1e-12);
}

TEST(FaceFit, KindsReadTheirCaseNames) {
    EXPECT_EQ(faceFitKind("roundedRectangle"), Kind::roundedRectangle);
    EXPECT_EQ(rawValue(Kind::superellipse), "superellipse");
    EXPECT_FALSE(faceFitKind("rectangle"));
}

}  // namespace
}  // namespace photo_analysis
