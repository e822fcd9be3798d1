#include "platform/platform_path.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "icon_geometry/raster.hpp"

using namespace icon_geometry;

namespace {

using Kind = PlatformPath::ElementKind;
using Ring = std::vector<Vector2>;
constexpr double pi = std::numbers::pi;
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

PlatformPath polyline(const Ring& points, bool closed) {
    PlatformPath path;
    path.moveTo(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) path.addLineTo(points[i]);
    if (closed) path.closeSubpath();
    return path;
}

// A circular arc as cubics of at most 45° each, far closer to the circle than the flattening.
void addArc(PlatformPath& path, Vector2 c, double r, double from, double sweep, bool move) {
    const int pieces = static_cast<int>(std::ceil(std::fabs(sweep) / (pi / 4)));
    const double step = sweep / pieces;
    const double handle = 4.0 / 3.0 * std::tan(step / 4) * r;
    const auto at = [&](double a) { return Vector2{c.x + r * std::cos(a), c.y + r * std::sin(a)}; };
    const auto tangent = [&](double a) { return Vector2{-std::sin(a), std::cos(a)}; };
    if (move) {
        path.moveTo(at(from));
    } else {
        path.addLineTo(at(from));
    }
    for (int i = 0; i < pieces; ++i) {
        const double a0 = from + step * i, a1 = a0 + step;
        path.addCurveTo(at(a0) + tangent(a0) * handle, at(a1) - tangent(a1) * handle, at(a1));
    }
}

PlatformPath circle(Vector2 c, double r) {
    PlatformPath path;
    addArc(path, c, r, 0, 2 * pi, true);
    path.closeSubpath();
    return path;
}

PlatformPath roundedRect(double x, double y, double w, double h, double r) {
    PlatformPath path;
    addArc(path, {x + w - r, y + r}, r, -pi / 2, pi / 2, true);
    addArc(path, {x + w - r, y + h - r}, r, 0, pi / 2, false);
    addArc(path, {x + r, y + h - r}, r, pi / 2, pi / 2, false);
    addArc(path, {x + r, y + r}, r, pi, pi / 2, false);
    path.closeSubpath();
    return path;
}

double roundedRectDistance(Vector2 p, double x, double y, double w, double h, double r) {
    const double qx = std::fabs(p.x - (x + w / 2)) - (w / 2 - r);
    const double qy = std::fabs(p.y - (y + h / 2)) - (h / 2 - r);
    return std::hypot(std::fmax(qx, 0), std::fmax(qy, 0)) + std::fmin(std::fmax(qx, qy), 0) - r;
}

double segmentDistance(Vector2 p, Vector2 a, Vector2 b) {
    const Vector2 ab = b - a;
    const double squared = ab.dot(ab);
    const double t = squared > 0 ? std::clamp((p - a).dot(ab) / squared, 0.0, 1.0) : 0;
    return p.distance(a + ab * t);
}

double polylineDistance(Vector2 p, const Ring& points, bool closed) {
    double best = infinity;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        best = std::min(best, segmentDistance(p, points[i], points[i + 1]));
    if (closed) best = std::min(best, segmentDistance(p, points.back(), points.front()));
    return best;
}

int windingNumber(Vector2 p, const Ring& ring) {
    int winding = 0;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Vector2 a = ring[j], b = ring[i];
        const double side = (b - a).cross(p - a);
        if (a.y <= p.y && b.y > p.y && side > 0) ++winding;
        if (a.y > p.y && b.y <= p.y && side < 0) --winding;
    }
    return winding;
}

// The exact region a test shape stands for, and how far a point lies from its edge.
struct Exact {
    std::function<bool(Vector2)> inside;
    std::function<double(Vector2)> boundaryDistance;
};

struct Random {
    std::mt19937_64 engine;
    double uniform(double lo, double hi) { return lo + (hi - lo) * static_cast<double>(engine() >> 11) * 0x1p-53; }
    int integer(int lo, int hi) { return lo + static_cast<int>(engine() % static_cast<unsigned>(hi - lo + 1)); }
    Vector2 point(double lo = 80, double hi = 880) { return {uniform(lo, hi), uniform(lo, hi)}; }
};

// A closed path of random cubics, together with a fine sampling of it.
std::pair<PlatformPath, Ring> randomCurveLoop(Random& random) {
    PlatformPath path;
    Ring samples;
    Vector2 current = random.point();
    path.moveTo(current);
    const Vector2 start = current;
    const int count = random.integer(2, 4);
    for (int i = 0; i < count; ++i) {
        const Vector2 c1 = random.point(), c2 = random.point(), end = i + 1 == count ? start : random.point();
        path.addCurveTo(c1, c2, end);
        for (int k = 0; k < 600; ++k) {
            const double t = k / 600.0, mt = 1 - t;
            samples.push_back(current * (mt * mt * mt) + c1 * (3 * mt * mt * t) + c2 * (3 * mt * t * t) +
                              end * (t * t * t));
        }
        current = end;
    }
    path.closeSubpath();
    return {path, samples};
}

// One random operand: a self-intersecting polygon or curve loop under a random
// rule, or a stroke of a random open or closed polyline.
std::pair<Region, Exact> randomOperand(Random& random) {
    const int kind = random.integer(0, 2);
    if (kind == 2) {
        Ring points;
        const int count = random.integer(2, 7);
        for (int i = 0; i < count; ++i) points.push_back(random.point());
        const bool closed = random.integer(0, 1) == 1;
        const double half = random.uniform(2, 30);
        const Exact exact{[=](Vector2 p) { return polylineDistance(p, points, closed) <= half; },
                          [=](Vector2 p) { return std::fabs(polylineDistance(p, points, closed) - half); }};
        return {Region::stroked(polyline(points, closed), 2 * half), exact};
    }
    PlatformPath path;
    Ring ring;
    if (kind == 0) {
        const int count = random.integer(3, 9);
        for (int i = 0; i < count; ++i) ring.push_back(random.point());
        path = polyline(ring, true);
    } else {
        std::tie(path, ring) = randomCurveLoop(random);
    }
    const bool evenOdd = random.integer(0, 1) == 1;
    const Exact exact{[=](Vector2 p) {
                          const int w = windingNumber(p, ring);
                          return evenOdd ? (w % 2 != 0) : w != 0;
                      },
                      [=](Vector2 p) { return polylineDistance(p, ring, true); }};
    return {Region::filled(path, evenOdd ? FillRule::evenOdd : FillRule::winding), exact};
}

struct Tally {
    int checked = 0;
    int regionMismatches = 0;
    int refitMismatches = 0;
};

// Compares the region, and its refitted outline filled again, with the exact
// shape at random points clear of the boundary.
void compare(const Region& region, const Exact& exact, Random& random, Tally& tally) {
    constexpr double regionMargin = 0.05 + 0.02;
    constexpr double refitMargin = regionMargin + 0.3;
    const Region refitted = Region::filled(region.path(), FillRule::winding);
    for (int i = 0; i < 1500; ++i) {
        const Vector2 p = random.point(0, 960);
        const double distance = exact.boundaryDistance(p);
        if (distance <= regionMargin) continue;
        ++tally.checked;
        const bool expected = exact.inside(p);
        if (region.contains(p) != expected) ++tally.regionMismatches;
        if (distance > refitMargin && refitted.contains(p) != expected) ++tally.refitMismatches;
    }
}

int elementCount(const PlatformPath& path, Kind kind) {
    return static_cast<int>(std::count_if(path.elements().begin(), path.elements().end(),
                                          [kind](const PlatformPath::Element& e) { return e.kind == kind; }));
}

// Every point of the outline, its curves sampled, in walking order.
std::vector<Vector2> outlinePoints(const PlatformPath& path) {
    std::vector<Vector2> points;
    Vector2 current;
    path.apply([&](const PlatformPath::Element& e) {
        if (e.kind == Kind::curveTo) {
            for (int k = 1; k <= 40; ++k) {
                const double t = k / 40.0, mt = 1 - t;
                points.push_back(current * (mt * mt * mt) + e.points[0] * (3 * mt * mt * t) +
                                 e.points[1] * (3 * mt * t * t) + e.points[2] * (t * t * t));
            }
        } else if (e.kind != Kind::closeSubpath) {
            points.push_back(e.points[0]);
        }
        if (e.kind != Kind::closeSubpath) current = points.back();
    });
    return points;
}

}  // namespace

// --- Building and walking ---------------------------------------------------

TEST(PlatformPathBuilding, LineOrCurveOnAnEmptyPathStartsAtItsFirstPoint) {
    PlatformPath line;
    line.addLineTo({3, 4});
    EXPECT_EQ(line.elements().size(), 2u);
    EXPECT_EQ(line.elements()[0].kind, Kind::moveTo);
    EXPECT_EQ(line.elements()[0].points[0], (Vector2{3, 4}));

    PlatformPath curve;
    curve.addCurveTo({1, 1}, {2, 0}, {3, 1});
    EXPECT_EQ(curve.elements()[0].points[0], (Vector2{1, 1}));
}

TEST(PlatformPathBuilding, ClosingNothingOrClosingTwiceChangesNothing) {
    PlatformPath path;
    path.closeSubpath();
    EXPECT_TRUE(path.isEmpty());
    path.moveTo({0, 0});
    path.addLineTo({1, 0});
    path.closeSubpath();
    path.closeSubpath();
    EXPECT_EQ(elementCount(path, Kind::closeSubpath), 1);
}

// --- Bounding boxes ---------------------------------------------------------

TEST(PlatformPathBounds, HoldTheCurvesNotTheirControlPoints) {
    struct Case {
        const char* name;
        std::function<void(PlatformPath&)> build;
        Rect expected;
    };
    const double extreme = 100 / std::sqrt(3.0);
    const std::vector<Case> cases = {
        {"arch",
         [](PlatformPath& p) {
             p.moveTo({0, 0});
             p.addCurveTo({0, 100}, {100, 100}, {100, 0});
         },
         {0, 0, 100, 75}},
        {"s-curve",
         [](PlatformPath& p) {
             p.moveTo({0, 0});
             p.addCurveTo({100, 200}, {200, -200}, {300, 0});
         },
         {0, -extreme, 300, 2 * extreme}},
        {"quadratic",
         [](PlatformPath& p) {
             p.moveTo({0, 0});
             p.addQuadCurveTo({50, 100}, {100, 0});
         },
         {0, 0, 100, 50}},
        {"line after close continues from the start",
         [](PlatformPath& p) {
             p.moveTo({0, 0});
             p.addLineTo({10, 10});
             p.closeSubpath();
             p.addLineTo({-5, 2});
         },
         {-5, 0, 15, 10}},
        {"non-finite subpath left out",
         [](PlatformPath& p) {
             p.moveTo({0, 0});
             p.addLineTo({notANumber, 5});
             p.moveTo({1, 1});
             p.addLineTo({2, 3});
         },
         {1, 1, 1, 2}},
    };
    for (const Case& c : cases) {
        PlatformPath path;
        c.build(path);
        const Rect box = path.boundingBox();
        EXPECT_NEAR(box.x, c.expected.x, 1e-9) << c.name;
        EXPECT_NEAR(box.y, c.expected.y, 1e-9) << c.name;
        EXPECT_NEAR(box.width, c.expected.width, 1e-9) << c.name;
        EXPECT_NEAR(box.height, c.expected.height, 1e-9) << c.name;
    }
}

TEST(PlatformPathBounds, NothingDrawnIsTheNullRectangle) {
    PlatformPath moves;
    EXPECT_TRUE(moves.boundingBox().isNull());
    moves.moveTo({5, 5});
    moves.moveTo({7, 1});
    EXPECT_TRUE(moves.boundingBox().isNull());
}

// --- Regions against exact geometry ---------------------------------------

TEST(RegionOperations, AgreeWithExactGeometryOnRandomShapes) {
    Random random{std::mt19937_64{20240617}};
    Tally tally;
    for (int round = 0; round < 12; ++round) {
        // Named copies rather than structured bindings: lambdas capture them.
        const auto operandA = randomOperand(random);
        const auto operandB = randomOperand(random);
        const auto operandC = randomOperand(random);
        const auto& a = operandA.first;
        const auto& b = operandB.first;
        const auto& c = operandC.first;
        const Exact exactA = operandA.second;
        const Exact exactB = operandB.second;
        const Exact exactC = operandC.second;
        const auto nearest = [](const Exact& x, const Exact& y) {
            return [=](Vector2 p) { return std::min(x.boundaryDistance(p), y.boundaryDistance(p)); };
        };
        compare(a, exactA, random, tally);
        compare(a.united(b), {[=](Vector2 p) { return exactA.inside(p) || exactB.inside(p); }, nearest(exactA, exactB)},
                random, tally);
        compare(a.subtracting(b),
                {[=](Vector2 p) { return exactA.inside(p) && !exactB.inside(p); }, nearest(exactA, exactB)}, random,
                tally);
        const Exact ab{[=](Vector2 p) { return exactA.inside(p) || exactB.inside(p); }, nearest(exactA, exactB)};
        compare(Region::unionOf({a, b, c}),
                {[=](Vector2 p) { return ab.inside(p) || exactC.inside(p); }, nearest(ab, exactC)}, random, tally);
    }
    EXPECT_GT(tally.checked, 60000);
    EXPECT_EQ(tally.regionMismatches, 0);
    EXPECT_EQ(tally.refitMismatches, 0);
}

TEST(RegionOperations, NormalisedOutlinesFillAlikeUnderBothRules) {
    Random random{std::mt19937_64{7}};
    for (int round = 0; round < 6; ++round) {
        const auto [path, ring] = randomCurveLoop(random);
        const PlatformPath normal = path.normalized(FillRule::winding);
        const Region byWinding = Region::filled(normal, FillRule::winding);
        const Region byEvenOdd = Region::filled(normal, FillRule::evenOdd);
        EXPECT_NEAR(byWinding.area(), byEvenOdd.area(), 1e-6 * byWinding.area() + 1e-6);
        double length = 0;
        for (std::size_t i = 1; i < ring.size(); ++i) length += ring[i].distance(ring[i - 1]);
        EXPECT_NEAR(byWinding.area(), Region::filled(path, FillRule::winding).area(), 0.25 * length);
    }
}

// --- Closed forms ----------------------------------------------------------

TEST(RegionStroking, AreasMatchClosedForms) {
    struct Case {
        const char* name;
        PlatformPath path;
        double width;
        double area;
        double perimeter;
    };
    PlatformPath arc;
    addArc(arc, {480, 480}, 200, 0.3, 2.0, true);
    const std::vector<Case> cases = {
        {"segment", polyline({{100, 100}, {400, 100}}, false), 40, 300 * 40 + pi * 400, 600 + 2 * pi * 20},
        {"hairpin out and back", polyline({{100, 100}, {400, 100}, {100, 100}}, false), 20, 300 * 20 + pi * 100,
         600 + 2 * pi * 10},
        {"closed two-point subpath", polyline({{100, 100}, {400, 100}}, true), 20, 300 * 20 + pi * 100,
         600 + 2 * pi * 10},
        {"arc", arc, 40, 2.0 * 200 * 40 + pi * 400, 2.0 * 400 + 2 * pi * 20},
        {"circle ring", circle({480, 480}, 200), 40, 2 * pi * 200 * 40, 2 * pi * 400},
        {"dot of a zero-length line", polyline({{50, 50}, {50, 50}}, false), 20, pi * 100, 2 * pi * 10},
    };
    for (const Case& c : cases) {
        const Region region = Region::stroked(c.path, c.width);
        // Flattened arcs are inscribed: the area falls short by at most the flattening tolerance along the edge.
        EXPECT_LE(region.area(), c.area + 1e-6) << c.name;
        EXPECT_GE(region.area(), c.area - 0.06 * c.perimeter) << c.name;
        EXPECT_NEAR(Region::filled(c.path.strokedRound(c.width), FillRule::winding).area(), c.area, 0.35 * c.perimeter)
            << c.name;
    }
}

TEST(RegionOperations, SharedEdgesTangentsAndIdenticalOperands) {
    const Region left =
        Region::filled(polyline({{100, 100}, {300, 100}, {300, 300}, {100, 300}}, true), FillRule::evenOdd);
    const Region right =
        Region::filled(polyline({{300, 100}, {500, 100}, {500, 300}, {300, 300}}, true), FillRule::evenOdd);
    const PlatformPath joined = left.united(right).path();
    EXPECT_EQ(elementCount(joined, Kind::moveTo), 1);
    EXPECT_EQ(elementCount(joined, Kind::curveTo), 0);
    EXPECT_LE(elementCount(joined, Kind::lineTo), 4);
    EXPECT_NEAR(left.united(right).area(), 80000, 1e-6);

    const Region a = Region::filled(circle({300, 300}, 100), FillRule::winding);
    const Region tangent = Region::filled(circle({500, 300}, 100), FillRule::winding);
    EXPECT_NEAR(a.united(tangent).area(), 2 * a.area(), 1e-6);
    EXPECT_NEAR(a.subtracting(tangent).area(), a.area(), 1e-6);

    EXPECT_NEAR(a.united(a).area(), a.area(), 1e-6);
    EXPECT_NEAR(Region::unionOf({a, a, a}).area(), a.area(), 1e-6);
    EXPECT_TRUE(a.subtracting(a).isEmpty());
    EXPECT_TRUE(circle({300, 300}, 100).subtracting(circle({300, 300}, 100), FillRule::winding).isEmpty());
}

TEST(RegionSlivers, NotchesAndSliversNarrowerThanTheWidthAreRemovedWiderOnesKept) {
    // A 200 × 200 square with a cut into its top edge or a spike on it.
    struct Case {
        const char* name;
        Ring ring;
        double area;  // of the mended region
    };
    const auto square = [](std::vector<Vector2> top) {
        Ring ring{{100, 300}, {100, 100}};
        ring.insert(ring.end(), top.begin(), top.end());
        ring.push_back({300, 100});
        ring.push_back({300, 300});
        return ring;
    };
    for (const Case& c : std::vector<Case>{
             {"hairline slit", square({{200, 100}, {200.05, 130}, {200.1, 100}}), 40000},
             {"narrow notch", square({{200, 100}, {200, 140}, {200.3, 140}, {200.3, 100}}), 40000},
             {"hairline spike", square({{200, 100}, {200.05, 60}, {200.1, 100}}), 40000},
             {"narrow sliver", square({{200, 100}, {200, 60}, {200.4, 60}, {200.4, 100}}), 40000},
             {"notch wider than the width", square({{200, 100}, {200, 140}, {205, 140}, {205, 100}}), 40000 - 200},
             {"flange wider than the width", square({{200, 100}, {200, 60}, {205, 60}, {205, 100}}), 40000 + 200},
         }) {
        const Region region = Region::filled(polyline(c.ring, true), FillRule::winding);
        const Region mended = region.withoutSlivers(1);
        EXPECT_NEAR(mended.area(), c.area, 0.05) << c.name;
        EXPECT_EQ(mended.polygons().size(), 1u) << c.name;
    }
}

TEST(RegionSlivers, ARegionWithoutThemComesBackPolygonForPolygon) {
    const std::vector<Region> regions{
        Region::filled(circle({300, 300}, 100), FillRule::winding),
        Region::filled(polyline({{100, 100}, {300, 100}, {300, 300}, {200, 120}, {100, 300}}, true), FillRule::winding),
        Region::stroked(polyline({{100, 100}, {500, 120}, {200, 400}}, false), 40),
        Region::filled(circle({300, 300}, 100), FillRule::winding)
            .subtracting(Region::filled(circle({300, 300}, 50), FillRule::winding)),
    };
    for (std::size_t i = 0; i < regions.size(); ++i) EXPECT_EQ(regions[i].withoutSlivers(1), regions[i]) << i;
    EXPECT_TRUE(Region().withoutSlivers(1).isEmpty());
    EXPECT_EQ(regions[0].withoutSlivers(0), regions[0]);
    EXPECT_EQ(regions[0].withoutSlivers(notANumber), regions[0]);
}

TEST(RegionClipping, LinesAreCutToTheRegionAndKeptWholeWhenInside) {
    const Region square = Region::filled(polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true), FillRule::winding);
    const auto lines = [](std::vector<Vector2> points, bool closed) {
        PathBuilder b;
        b.moveTo(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) b.lineTo(points[i]);
        if (closed) b.closeSubpath();
        return b.finish();
    };
    // Inside, edge included: nothing to cut.
    EXPECT_FALSE(square.linesInside(lines({{10, 10}, {90, 90}}, false)));
    EXPECT_FALSE(square.linesInside(lines({{0, 50}, {100, 50}}, false)));
    // Horizontal, vertical and slanted lines running out, and a closed ring crossing the edge.
    struct Case {
        BezierPath path;
        Rect kept;
    };
    for (const Case& c : std::vector<Case>{
             {lines({{-500, 50}, {500, 50}}, false), {0, 50, 100, 0}},
             {lines({{50, -500}, {50, 500}}, false), {50, 0, 0, 100}},
             {lines({{-100, -100}, {200, 200}}, false), {0, 0, 100, 100}},
             {lines({{50, 50}, {150, 50}, {150, 80}, {50, 80}}, true), {50, 50, 50, 30}},
         }) {
        const std::optional<BezierPath> kept = square.linesInside(c.path);
        ASSERT_TRUE(kept);
        const Rect bounds = kept->bounds();
        EXPECT_NEAR(bounds.minX(), c.kept.minX(), 1e-3);
        EXPECT_NEAR(bounds.maxX(), c.kept.maxX(), 1e-3);
        EXPECT_NEAR(bounds.minY(), c.kept.minY(), 1e-3);
        EXPECT_NEAR(bounds.maxY(), c.kept.maxY(), 1e-3);
    }
    // Wholly outside: nothing kept.
    const std::optional<BezierPath> outside = square.linesInside(lines({{200, 50}, {300, 50}}, false));
    ASSERT_TRUE(outside);
    EXPECT_TRUE(outside->isEmpty());
}

// --- Bad input -------------------------------------------------------------

TEST(RegionOperations, BadWidthsAndEmptyPathsGiveEmptyRegions) {
    const PlatformPath line = polyline({{0, 0}, {100, 0}}, false);
    for (const double width : {0.0, -5.0, notANumber, infinity, -infinity}) {
        EXPECT_TRUE(Region::stroked(line, width).isEmpty()) << width;
        EXPECT_TRUE(line.strokedRound(width).isEmpty()) << width;
    }
    const PlatformPath empty;
    EXPECT_TRUE(Region::filled(empty, FillRule::winding).isEmpty());
    EXPECT_TRUE(Region::stroked(empty, 10).isEmpty());
    EXPECT_TRUE(Region::unionOf({}).isEmpty());
    EXPECT_TRUE(Region().path().isEmpty());
    EXPECT_EQ(Region().area(), 0);
    EXPECT_FALSE(Region::filled(circle({0, 0}, 10), FillRule::winding).contains({notANumber, 0}));
}

TEST(RegionOperations, NonFiniteAndHugeCoordinatesNeverFail) {
    const PlatformPath square = polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
    for (const double bad : {notANumber, infinity, -infinity}) {
        PlatformPath path = square;
        path.moveTo({10, 10});
        path.addLineTo({bad, 20});
        path.addLineTo({30, 40});
        path.closeSubpath();
        EXPECT_NEAR(Region::filled(path, FillRule::evenOdd).area(), 10000, 1e-6) << bad;
        EXPECT_NEAR(Region::stroked(path, 2).area(), Region::stroked(square, 2).area(), 1e-6) << bad;
    }
    PlatformPath huge = polyline({{0, 0}, {1e308, 0}, {0, 1e308}}, true);
    huge.addCurveTo({-1e308, 1e300}, {1e308, -1e308}, {5, 5});
    for (const Region& region :
         {Region::filled(huge, FillRule::winding), Region::stroked(huge, 1e308), Region::stroked(huge, 20)}) {
        EXPECT_TRUE(std::isfinite(region.area()));
        EXPECT_GT(region.area(), 0);
        for (const Vector2 p : outlinePoints(region.path())) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

// Offset edges of a pen far wider than the path's detail all cross one another;
// drawn at the canvas tolerance, such a stroke took seconds.
TEST(RegionOperations, HugePenAlongWildCurvesStaysCoarse) {
    PlatformPath wild;
    wild.moveTo({-139, 506});
    wild.addQuadCurveTo({-139, 506}, {1438.5, 494});
    wild.addQuadCurveTo({0, 1e308}, {1273.5, -154.5});
    wild.addCurveTo({172.5, 1e308}, {1e308, 35}, {-1e308, 1264});
    wild.addCurveTo({975, -241}, {0, -190.5}, {895, 1490.5});
    const Region region = Region::stroked(wild, 1e7);
    EXPECT_GT(region.area(), 1e14);
    EXPECT_LT(region.path().elements().size(), 1000u);
}

// --- Refitted outlines -----------------------------------------------------

TEST(RegionOutline, RoundedRectangleComesBackCloseWithItsStraightSides) {
    const Region region = Region::filled(roundedRect(200, 300, 400, 300, 60), FillRule::winding);
    const PlatformPath outline = region.path();
    for (const Vector2 p : outlinePoints(outline)) {
        ASSERT_LE(std::fabs(roundedRectDistance(p, 200, 300, 400, 300, 60)), 0.3) << p.x << ", " << p.y;
    }
    int longLines = 0;
    Vector2 current;
    outline.apply([&](const PlatformPath::Element& e) {
        if (e.kind == Kind::lineTo && current.distance(e.points[0]) > 150) ++longLines;
        if (e.kind != Kind::closeSubpath) current = e.points[e.kind == Kind::curveTo ? 2 : 0];
    });
    // The closing side is implied by the close, so three of the four sides are explicit lines.
    EXPECT_GE(longLines, 3);
    EXPECT_LE(elementCount(outline, Kind::lineTo) + elementCount(outline, Kind::curveTo), 16);
}

// --- Rasterising -----------------------------------------------------------

std::vector<std::uint8_t> rasterizedPlatformPaths(const std::vector<PlatformPath>& paths, int side,
                                                  double canvasSide = Canvas::side) {
    std::vector<BezierPath> converted;
    for (const PlatformPath& path : paths) converted.push_back(fromPlatformPath(path));
    return rasterizeEvenOdd(converted, side, canvasSide);
}

TEST(Rasterizing, FillsPixelCentresWithFullInkOnly) {
    const PlatformPath square = polyline({{0, 0}, {480, 0}, {480, 480}, {0, 480}}, true);
    const PlatformPath frame =
        polyline({{0, 0}, {960, 0}, {960, 960}, {0, 960}}, true).united(PlatformPath(), FillRule::evenOdd);
    PlatformPath withHole = polyline({{0, 0}, {960, 0}, {960, 960}, {0, 960}}, true);
    withHole.moveTo({240, 240});
    withHole.addLineTo({720, 240});
    withHole.addLineTo({720, 720});
    withHole.addLineTo({240, 720});
    withHole.closeSubpath();
    const auto inked = [](const std::vector<std::uint8_t>& pixels) {
        return std::count(pixels.begin(), pixels.end(), 255);
    };
    const auto raster = rasterizedPlatformPaths({square}, 96);
    ASSERT_EQ(raster.size(), 96u * 96u);
    EXPECT_EQ(inked(raster), 48 * 48);
    EXPECT_EQ(std::count(raster.begin(), raster.end(), 0), 96 * 96 - 48 * 48);
    EXPECT_EQ(raster[0], 255);
    EXPECT_EQ(raster[96 * 95 + 95], 0);
    EXPECT_EQ(inked(rasterizedPlatformPaths({withHole}, 100)), 100 * 100 - 50 * 50);
    EXPECT_EQ(inked(rasterizedPlatformPaths({square, square}, 96)), 48 * 48);
    EXPECT_EQ(inked(rasterizedPlatformPaths({frame}, 10)), 100);

    const auto topBand = rasterizedPlatformPaths({polyline({{0, 0}, {960, 0}, {960, 96}, {0, 96}}, true)}, 10);
    EXPECT_EQ(inked(topBand), 10);
    EXPECT_TRUE(std::all_of(topBand.begin(), topBand.begin() + 10, [](std::uint8_t v) { return v == 255; }));
}

TEST(Rasterizing, UnusableInputGivesNothingRatherThanFailing) {
    const PlatformPath square = polyline({{0, 0}, {480, 0}, {480, 480}, {0, 480}}, true);
    EXPECT_TRUE(rasterizedPlatformPaths({square}, 0).empty());
    EXPECT_TRUE(rasterizedPlatformPaths({square}, -3).empty());
    EXPECT_TRUE(rasterizedPlatformPaths({square}, 100000).empty());
    EXPECT_EQ(rasterizedPlatformPaths({}, 8), std::vector<std::uint8_t>(64, 0));
    EXPECT_EQ(rasterizedPlatformPaths({square}, 8, notANumber), std::vector<std::uint8_t>(64, 0));
    PlatformPath broken = polyline({{0, 0}, {notANumber, 0}, {480, 480}}, true);
    EXPECT_EQ(rasterizedPlatformPaths({broken}, 8), std::vector<std::uint8_t>(64, 0));
    const auto huge = rasterizedPlatformPaths({polyline({{0, 0}, {1e308, 0}, {0, 1e308}}, true)}, 8);
    EXPECT_EQ(huge.size(), 64u);
}

TEST(Rasterizing, PhotoMasksTakeAnyTransformAndSizeWithOrWithoutAntialiasing) {
    // A rectangle covering x 1…3, y 0.25…2 in pixels, drawn in units of a quarter pixel.
    PathBuilder builder;
    builder.moveTo({4, 1});
    builder.lineTo({12, 1});
    builder.lineTo({12, 8});
    builder.lineTo({4, 8});
    builder.closeSubpath();
    const std::vector<BezierPath> paths{builder.finish()};
    const AffineTransform toPixels = AffineTransform::scale(0.25, 0.25);
    const auto sharp = rasterizeEvenOdd(paths, 4, 3, toPixels);
    ASSERT_EQ(sharp.size(), 12u);
    EXPECT_EQ(sharp, (std::vector<std::uint8_t>{0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0}));
    const auto smooth = rasterizeEvenOdd(paths, 4, 3, toPixels, Antialiasing::smooth);
    // Row 0 is three quarters covered, row 1 fully, row 2 not at all.
    EXPECT_NEAR(smooth[1], 191, 2);
    EXPECT_EQ(smooth[5], 255);
    EXPECT_EQ(smooth[9], 0);
    EXPECT_EQ(smooth[0], 0);
    EXPECT_TRUE(rasterizeEvenOdd(paths, 0, 3, toPixels).empty());
}
