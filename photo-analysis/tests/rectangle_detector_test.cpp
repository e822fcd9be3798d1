// Each stage of our rectangle detector on a small drawn input.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "face/rectangle_detector_stages.hpp"
#include "icon_geometry/polygon.hpp"

namespace photo_analysis {
namespace {

using namespace rectangle_stages;

const RectangleDetectorOptions defaults;

Line lineThrough(Vector2 a, Vector2 b) {
    return {a, (b - a).normalized(), a.distance(b), {{a, b}}};
}

// The four sides of the box from (x0, y0) to (x1, y1), each carried whole.
std::vector<Line> sidesOf(double x0, double y0, double x1, double y1) {
    return {lineThrough({x0, y0}, {x0, y1}), lineThrough({x0, y0}, {x1, y0}), lineThrough({x1, y0}, {x1, y1}),
            lineThrough({x0, y1}, {x1, y1})};
}

// A working region of `width` × `height`: grey and inside painted box by box,
// later boxes over earlier ones; the wall is 240 and outside the subject.
struct Painted {
    double x0, y0, x1, y1;
    std::uint8_t grey;
};
platform::RegionEdges regionOf(int width, int height, const std::vector<Painted>& boxes) {
    platform::RegionEdges edges;
    edges.width = width;
    edges.height = height;
    edges.grey.assign(static_cast<std::size_t>(width * height), 240);
    edges.inside.assign(static_cast<std::size_t>(width * height), 0);
    for (const Painted& b : boxes) {
        for (int y = static_cast<int>(b.y0); y < static_cast<int>(b.y1); ++y) {
            for (int x = static_cast<int>(b.x0); x < static_cast<int>(b.x1); ++x) {
                edges.grey[static_cast<std::size_t>(y * width + x)] = b.grey;
                edges.inside[static_cast<std::size_t>(y * width + x)] = 255;
            }
        }
    }
    return edges;
}

// Convex polygons painted on a region, later ones over earlier ones, on the
// subject.
void paint(platform::RegionEdges& edges, const std::array<Vector2, 4>& corners, std::uint8_t grey) {
    const ConvexRegion region(corners);
    for (int y = 0; y < edges.height; ++y) {
        for (int x = 0; x < edges.width; ++x) {
            if (!region.contains({x + 0.5, y + 0.5}, 0)) continue;
            edges.grey[static_cast<std::size_t>(y * edges.width + x)] = grey;
            edges.inside[static_cast<std::size_t>(y * edges.width + x)] = 255;
        }
    }
}

TEST(RectangleStages, ARunOneLineCarriesAddsNothingButOneThatPiecesCarryStays) {
    const Line run = lineThrough({0, 100}, {300, 100});
    // Pieces of the edge a pixel and a half either side of it: together they
    // carry the run, none of them alone.
    const std::vector<Line> pieces{lineThrough({0, 98.5}, {100, 98.5}), lineThrough({100, 101.5}, {200, 101.5}),
                                   lineThrough({200, 98.5}, {300, 98.5})};
    EXPECT_EQ(uncarriedRuns({run}, pieces, defaults).size(), 1u);
    EXPECT_TRUE(uncarriedRuns({run}, std::vector<Line>{lineThrough({0, 99}, {290, 99})}, defaults).empty());
}

// Across a face's edge with a side of nearly its shade the grey steps; across
// a line printed on a face it dips and comes back.
TEST(RectangleStages, AStepAcrossAnEdgeIsToldFromAStrokeAlongIt) {
    const auto step = regionOf(800, 600, {{100, 40, 400, 560, 40}, {400, 40, 700, 560, 46}});
    const auto stroke = regionOf(800, 600, {{100, 40, 700, 560, 200}, {396, 40, 400, 560, 90}});
    const Line edge = lineThrough({400, 60}, {400, 540});
    const Crossing across = crossing(step, edge, 0, 480, 9, 300, defaults);
    EXPECT_TRUE(stepsAcross(across, defaults)) << across.steps << " steps of " << across.stretches;
    const Crossing along = crossing(stroke, edge, 0, 480, 9, 300, defaults);
    EXPECT_FALSE(stepsAcross(along, defaults));
    EXPECT_GT(along.strokes, 0);
    // Beside a surface narrower than the reach nothing is told.
    EXPECT_EQ(crossing(step, edge, 0, 480, 9, 10, defaults).stretches, 0);
}

// A dark face turned so that a side of its body, a shade lighter, shows beside
// its nearer edge, which no line of the image carries: the face is closed on
// the edge where the shade steps, within the quadrilateral of the two
// together. Seen from the other side, where the strip lies beside the face's
// farther edge, it is no side of the body.
TEST(RectangleStages, AFaceIsClosedOnAFaintEdgeWithASideOfItsBody) {
    const auto besideSide = [](bool nearer) {
        // The face's edge beside the strip 220 long and the opposite one 200, or
        // the other way round.
        const double tl = nearer ? 100 : 90, tr = nearer ? 90 : 100, bl = nearer ? 300 : 310, br = nearer ? 310 : 300;
        const Line top = lineThrough({100, tl}, {300, tr}), bottom = lineThrough({100, bl}, {300, br});
        const Line side = lineThrough({340, 0}, {340, 400}), left = lineThrough({100, 0}, {100, 400});
        const Vector2 stripTop = *intersection(top, side), stripBottom = *intersection(bottom, side);
        platform::RegionEdges edges = regionOf(500, 400, {});
        paint(edges, {Vector2{100, tl}, {300, tr}, {300, br}, {100, bl}}, 40);
        paint(edges, {Vector2{300, tr}, stripTop, stripBottom, {300, br}}, 48);
        std::vector<Line> lines{top, side, bottom, left};
        Quad both{
            {*intersection(left, top), stripTop, stripBottom, *intersection(bottom, left)}, {0, 1, 2, 3}, 1, 1, 0};
        both.area = std::abs(icon_geometry::signedArea(both.corners));
        CrossingReader crossings(edges, lines, defaults);
        const auto strips = sideStrips(lines, {both}, edges, 400, RectangleRequest{}, crossings, defaults);
        return std::pair{strips, lines.size()};
    };
    const auto [strips, lineCount] = besideSide(true);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(lineCount, 5u);  // the edge where the shade steps
    const std::array<Vector2, 4> face{Vector2{100, 100}, {300, 90}, {300, 310}, {100, 300}};
    // Drawn without blur, the edge steps alike wherever the step's reach
    // straddles it: within that reach.
    for (std::size_t c = 0; c < 4; ++c) EXPECT_LT(strips[0].face.corners[c].distance(face[c]), 3) << c;
    EXPECT_TRUE(besideSide(false).first.empty());
}

// A plate whose buttons, a shade darker and outlined by their gap, fill most of
// it: the quadrilateral out to the buttons' edges is a piece of the plate, not
// the face beside a strip of the body.
TEST(RectangleStages, TheWholePlateStaysBesideItsButtons) {
    platform::RegionEdges edges = regionOf(800, 600, {{100, 80, 700, 520, 236}, {116, 96, 600, 460, 120}});
    paint(edges, {Vector2{120, 100}, {596, 100}, {596, 456}, {120, 456}}, 229);
    std::vector<Line> lines = sidesOf(100, 80, 700, 520);  // left, top, right, bottom
    lines.push_back(lineThrough({600, 80}, {600, 460}));
    lines.push_back(lineThrough({100, 460}, {600, 460}));
    const Quad plate{{Vector2{100, 80}, {700, 80}, {700, 520}, {100, 520}}, {1, 2, 3, 0}, 0.9, 0.9, 600 * 440};
    const Quad piece{{Vector2{100, 80}, {600, 80}, {600, 460}, {100, 460}}, {1, 4, 5, 0}, 0.9, 0.9, 500 * 380};
    CrossingReader crossings(edges, lines, defaults);
    const Nesting nesting = nestedChoice(lines, {plate, piece}, edges, crossings, defaults);
    EXPECT_FALSE(nesting.droppedFor[0]);
}

TEST(RectangleStages, PiecesOfOneEdgeAreOneLineAndShortStrokesNone) {
    // A side broken in three, each piece a pixel off the last, and a stroke across it.
    const std::vector<Segment> segments{
        {{10, 100}, {110, 101}}, {{112, 101}, {212, 102}}, {{214, 102}, {314, 103}}, {{150, 40}, {150, 70}}};
    const auto lines = collinearLines(segments, 60, defaults);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].weight, 300, 1);
    EXPECT_LT(std::abs(lines[0].direction.y), 0.02);
}

// A rounded face's outline as a mask traces it: every side bowed a little by the
// lens and one wavering about its line, the whole turned; each side is one run
// on the true side's line.
TEST(RectangleStages, EachSideOfARoundedOutlineIsOneRunOnItsLine) {
    const double w = 400, h = 300, r = 45, turn = 5 * std::numbers::pi / 180;
    const double c = std::cos(turn), s = std::sin(turn);
    const auto placed = [&](Vector2 p) { return Vector2{500 + p.x * c - p.y * s, 400 + p.x * s + p.y * c}; };
    std::vector<Vector2> outline;
    for (int i = 0; i < 3000; ++i) {
        const double t = 2 * std::numbers::pi * i / 3000;
        // A point of the rounded box in direction t, then pushed out by the bow.
        const double dx = std::cos(t), dy = std::sin(t);
        double lo = 0, hi = 1000;
        for (int k = 0; k < 60; ++k) {
            const double m = (lo + hi) / 2, qx = std::abs(m * dx) - (w / 2 - r), qy = std::abs(m * dy) - (h / 2 - r);
            const bool inside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) <= r;
            (inside ? lo : hi) = m;
        }
        Vector2 p{lo * dx, lo * dy};
        const double along = std::abs(p.x) > w / 2 - 1 ? p.y / (h / 2) : p.x / (w / 2);
        const double bow = 1.5 * (1 - along * along);
        if (std::abs(p.x) > w / 2 - 1) p.x += (p.x > 0 ? bow : -bow) + (p.x > 0 ? 1.5 * std::sin(p.y / 9) : 0);
        if (std::abs(p.y) > h / 2 - 1) p.y += p.y > 0 ? bow : -bow;
        outline.push_back(placed(p));
    }
    const auto runs = outlineRuns(outline, 100, 5, defaults);
    ASSERT_EQ(runs.size(), 4u);
    const Vector2 middles[4] = {{w / 2, 0}, {0, h / 2}, {-w / 2, 0}, {0, -h / 2}};
    for (const Vector2 middle : middles) {
        const Vector2 m = placed(middle);
        const bool upright = middle.y == 0;
        const Vector2 along = upright ? Vector2{-s, c} : Vector2{c, s};
        const auto found = std::find_if(runs.begin(), runs.end(), [&](const Line& l) {
            return std::abs(l.offset(m)) < 3 && std::abs(l.direction.dot(along)) > 0.999;
        });
        ASSERT_NE(found, runs.end()) << middle.x << "," << middle.y;
        // The bow pushes the middle out by 1.5: the line lies between.
        EXPECT_LT(std::abs(found->offset(m)), 1.5) << middle.x << "," << middle.y;
        EXPECT_GT(std::abs(found->direction.dot(along)), std::cos(0.5 * std::numbers::pi / 180));
        // Carried over the straight stretch, not round the corners.
        EXPECT_LE(found->weight, (upright ? h : w) - 2 * r + 20);
        EXPECT_GE(found->weight, (upright ? h : w) - 2 * r - 40);
    }
}

TEST(RectangleStages, TwoPairsOfLinesCloseARectangleButNotASlantedOne) {
    RectangleRequest request;
    const Closing box = closeQuadrilaterals(sidesOf(100, 80, 400, 280), 300, request, 500, 400, defaults);
    ASSERT_EQ(box.quads.size(), 1u);
    const std::array<Vector2, 4> corners{Vector2{100, 80}, {400, 80}, {400, 280}, {100, 280}};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_LT(box.quads[0].corners[i].distance(corners[i]), 1e-9);
    EXPECT_NEAR(box.quads[0].confidence, 1, 1e-9);

    // A bottom side rising by 34° meets a left side leaning by 5° at 51°: each pair
    // is parallel enough, but that corner is no face's.
    const double rise = std::tan(34 * std::numbers::pi / 180), lean = std::tan(5 * std::numbers::pi / 180);
    const std::vector<Line> slanted{lineThrough({100, 80}, {400, 80}), lineThrough({100, 300}, {400, 300 - 300 * rise}),
                                    lineThrough({100, 80}, {100 - 220 * lean, 300}),
                                    lineThrough({400, 80}, {400, 300})};
    const Closing skew = closeQuadrilaterals(slanted, 300, request, 500, 400, defaults);
    EXPECT_TRUE(skew.quads.empty());
    EXPECT_EQ(skew.refused[static_cast<std::size_t>(Refusal::notRightAngled)], 1u);
}

// A face beside a side of the body in another shade: the face and the side
// together are left out for the face. The same outline on a face of one shade
// with a line across it: the piece the line cuts off goes after the whole.
TEST(RectangleStages, AFaceAndTheBodysSideAreTheFaceButAPieceOfAFaceIsNot) {
    const RectangleRequest request;
    std::vector<Line> lines = sidesOf(100, 80, 300, 220);
    lines.push_back(lineThrough({330, 80}, {330, 220}));
    const Closing closing = closeQuadrilaterals(lines, 300, request, 400, 300, defaults);
    ASSERT_EQ(closing.quads.size(), 2u);
    const std::size_t face = closing.quads[0].area < closing.quads[1].area ? 0 : 1, whole = 1 - face;

    const auto beside = regionOf(400, 300, {{100, 80, 300, 220, 200}, {300, 80, 330, 220, 150}});
    CrossingReader besideCrossings(beside, lines, defaults);
    const Nesting side = nestedChoice(lines, closing.quads, beside, besideCrossings, defaults);
    EXPECT_EQ(side.droppedFor[whole], face);
    EXPECT_FALSE(side.cutFrom[face]);
    EXPECT_FALSE(side.droppedFor[face]);

    const auto across = regionOf(400, 300, {{100, 80, 330, 220, 200}, {299, 82, 301, 218, 90}});
    CrossingReader acrossCrossings(across, lines, defaults);
    const Nesting piece = nestedChoice(lines, closing.quads, across, acrossCrossings, defaults);
    EXPECT_EQ(piece.cutFrom[face], whole);
    EXPECT_FALSE(piece.droppedFor[whole]);
    const auto order = proposals(closing.quads, piece, 12, defaults);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0].area, closing.quads[whole].area);
}

TEST(RectangleStages, ProposalsAreWholeFacesFirstWithoutRepeatsOrLeftOutOnes) {
    const auto quad = [](double x, double confidence) {
        return Quad{{Vector2{x, 0}, {x + 100, 0}, {x + 100, 80}, {x, 80}}, {0, 1, 2, 3}, confidence, 1, 8000};
    };
    const std::vector<Quad> quads{quad(0, 0.7), quad(50, 0.9), quad(1, 0.8), quad(200, 0.95)};
    Nesting nesting{std::vector<std::optional<std::size_t>>(4), std::vector<std::optional<std::size_t>>(4)};
    nesting.cutFrom[1] = 0;
    nesting.droppedFor[3] = 0;
    const auto kept = proposals(quads, nesting, 12, defaults);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].confidence, 0.8);  // the better of two repeats
    EXPECT_EQ(kept[1].confidence, 0.9);  // the piece, last
    EXPECT_EQ(proposals(quads, nesting, 1, defaults).size(), 1u);
}

TEST(RectangleStages, FaintEdgesAreKeptOnTheSubjectWhereNoPlainEdgeCarriesThem) {
    platform::RegionEdges edges = regionOf(400, 300, {{100, 80, 330, 220, 200}});
    edges.greyEdges = {{{100, 80}, {100, 220}}};
    edges.faintGreyEdges = {
        {{300, 90}, {300, 210}},      // on the subject alone: the face's edge beside a side of its shade
        {{100.5, 90}, {100.5, 200}},  // along a plain edge
        {{20, 20}, {20, 200}},        // on the wall
        {{331, 90}, {331, 210}},      // just outside a mask drawn a pixel tight
    };
    const auto kept = faintInnerSegments(edges, defaults);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].a.x, 300);
    EXPECT_EQ(kept[1].a.x, 331);
}

}  // namespace
}  // namespace photo_analysis
