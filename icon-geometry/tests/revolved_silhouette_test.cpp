#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "icon_geometry/convex_hull.hpp"
#include "icon_geometry/face_shape.hpp"
#include "projection/silhouette.hpp"

using namespace icon_geometry;
using Silhouette::PlacedRevolvedBody;

namespace {

using std::numbers::pi;

// A cylinder of radius 10 from height 0 to 40 about the vertical axis, seen from
// the default camera at the given distance in scene units.
PlacedRevolvedBody cylinderSeenFrom(const Camera& camera, double diagonal, std::vector<RevolvedDetail> details = {},
                                    Vector3 offset = {0, -20, 0}) {
    return {RevolvedBody::cylinder(10, 0, 40, RevolvedAxis::vertical, std::move(details)), Pose{Rotation3{}, offset},
            PerspectiveProjection(camera, diagonal), 0.25 * diagonal};
}

bool inside(const Rect& outer, const Rect& inner, double slack) {
    return inner.minX() >= outer.minX() - slack && inner.maxX() <= outer.maxX() + slack &&
           inner.minY() >= outer.minY() - slack && inner.maxY() <= outer.maxY() + slack;
}

}  // namespace

TEST(RevolvedProfile, ACylinderHasItsSideAndTwoCaps) {
    const auto pieces =
        Silhouette::profilePieces(RevolvedBody::cylinder(10, 5, 25, RevolvedAxis::vertical, {}).profile);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].start, (Vector2{0, 5}));
    EXPECT_EQ(pieces[0].segment.end(), (Vector2{10, 5}));
    EXPECT_EQ(pieces[1].segment.end(), (Vector2{10, 25}));
    EXPECT_EQ(pieces[2].segment.end(), (Vector2{0, 25}));

    const BezierPath fromAxis{{Subpath{{0, 0}, {PathSegment::line({10, 0}), PathSegment::line({0, 10})}, false}}};
    EXPECT_EQ(Silhouette::profilePieces(fromAxis).size(), 2u);
    EXPECT_TRUE(Silhouette::profilePieces(BezierPath{}).empty());
}

TEST(RevolvedProfile, BoundingCornersEncloseTheControlPolygon) {
    const PlacedRevolvedBody placed = cylinderSeenFrom(Camera{}, 1, {}, {1, 2, 3});
    const auto corners = Silhouette::boundingCorners(placed);
    ASSERT_EQ(corners.size(), 8u);
    EXPECT_EQ(corners[0], (Vector3{-9, 2, -7}));
    EXPECT_EQ(corners[7], (Vector3{11, 42, 13}));

    const PlacedRevolvedBody empty{RevolvedBody{}, Pose{Rotation3{}, {1, 2, 3}}, PerspectiveProjection(Camera{}, 1), 1};
    for (const Vector3& corner : Silhouette::boundingCorners(empty)) EXPECT_EQ(corner, (Vector3{1, 2, 3}));
    EXPECT_TRUE(Silhouette::revolvedOutline(empty).isEmpty());
}

TEST(RevolvedProfile, TheNearerBodyHasTheSmallerDepthKey) {
    const PlacedRevolvedBody near = cylinderSeenFrom(Camera{}, 100, {}, {0, -20, -30});
    const PlacedRevolvedBody far = cylinderSeenFrom(Camera{}, 100, {}, {0, -20, 30});
    EXPECT_LT(Silhouette::depthKey(near), Silhouette::depthKey(far));
    // Axis middle at the origin: the key is the eye distance.
    EXPECT_NEAR(Silhouette::depthKey(cylinderSeenFrom(Camera{}, 100)), 250, 1e-9);
}

TEST(RevolvedProfile, VisibleHalfAngleOfASideAndOfTheCaps) {
    const PlacedRevolvedBody placed = cylinderSeenFrom(Camera{29.5, 0, 2.5}, 100);
    const double er = 250;  // the eye lies on the horizontal plane through the origin
    // The side faces the eye over acos(r / Er) about the eye azimuth.
    EXPECT_NEAR(Silhouette::visibleHalfAngle(10, 20, 0, 1, placed), std::acos(10 / er), 1e-12);
    // The eye stands at height 20 in body coordinates. A cap facing up the axis
    // is seen all round from beyond its height, and not at all from below it.
    EXPECT_EQ(Silhouette::visibleHalfAngle(10, 10, -1, 0, placed), pi);
    EXPECT_EQ(Silhouette::visibleHalfAngle(10, 40, -1, 0, placed), 0);
    EXPECT_NEAR(Silhouette::eyeAzimuth(placed),
                std::atan2(-250 * std::cos(29.5 * pi / 180), -250 * std::sin(29.5 * pi / 180)), 1e-12);
}

TEST(RevolvedOutline, ACylinderSpansBothOfItsRims) {
    const PlacedRevolvedBody placed = cylinderSeenFrom(Camera{}, 100);
    const BezierPath outline = Silhouette::revolvedOutline(placed);
    ASSERT_EQ(outline.subpaths.size(), 1u);
    // The silhouette's box is the box of both rims: the sides run straight between them.
    const auto rim = [&](double h) {
        return placed.projection.projectCrossSectionPath(FaceShape::ellipsePath(20, 20), RevolvedAxis::vertical,
                                                         placed.pose, h, 25);
    };
    const Rect expected = rim(0).bounds().united(rim(40).bounds());
    const Rect actual = outline.bounds();
    const double slack = 0.002 * std::max(expected.width, expected.height);
    EXPECT_TRUE(inside(expected, actual, slack) && inside(actual, expected, slack))
        << actual.x << " " << actual.y << " " << actual.width << " " << actual.height << " vs " << expected.x << " "
        << expected.y << " " << expected.width << " " << expected.height;
}

TEST(RevolvedOutline, ADomeIsFilledToItsPole) {
    // A hemisphere-like dome on a short cylinder, seen from slightly above.
    const double k = 0.5522847498307935 * 10;
    const BezierPath profile{
        {Subpath{{10, 0}, {PathSegment::line({10, 10}), PathSegment::cubic({10, 10 + k}, {k, 20}, {0, 20})}, false}}};
    const PlacedRevolvedBody placed{RevolvedBody{profile, RevolvedAxis::vertical, {}}, Pose{Rotation3{}, {0, -10, 0}},
                                    PerspectiveProjection(Camera{30, 5, 2.5}, 40), 10};
    const BezierPath outline = Silhouette::revolvedOutline(placed);
    ASSERT_EQ(outline.subpaths.size(), 1u);
    // The pole of the dome projects inside the outline's bounds, and the whole
    // outline stays within the projected bounding prism.
    const Vector2 pole = placed.projection.projectPoint(placed.pose.apply({0, 20, 0}));
    const Rect bounds = outline.bounds();
    EXPECT_GE(pole.y, bounds.minY() - 1e-6);
    Rect prism = Rect::null();
    for (const Vector3& corner : Silhouette::boundingCorners(placed)) {
        const Vector2 p = placed.projection.projectPoint(corner);
        prism = prism.united({p.x, p.y, 0, 0});
    }
    EXPECT_TRUE(inside(prism, bounds, 1e-3));
}

TEST(RevolvedOutline, HullOutlineAndConvexHull) {
    const auto hull = convexHull({{0, 0}, {2, 0}, {1, 1}, {1, 0.5}, {2, 2}, {0, 2}, {1, 0}});
    EXPECT_EQ(hull, (std::vector<Vector2>{{0, 0}, {2, 0}, {2, 2}, {0, 2}}));
    EXPECT_TRUE(Silhouette::hullOutline({}, 48).subpaths.empty());
    const BezierPath square{
        {Subpath{{0, 0}, {PathSegment::line({10, 0}), PathSegment::line({10, 10}), PathSegment::line({0, 10})}, true}}};
    const BezierPath smooth = Silhouette::hullOutline({square}, 48);
    ASSERT_EQ(smooth.subpaths.size(), 1u);
    EXPECT_TRUE(smooth.subpaths[0].isClosed);
    EXPECT_EQ(smooth.subpaths[0].segments.size(), 48u);
    EXPECT_NEAR(smooth.bounds().width, 10, 0.5);
}

TEST(RevolvedLines, CylinderRimsAreCreases) {
    // The eye at mid-height sees both rims as arcs of the side's half-angle.
    const PlacedRevolvedBody placed = cylinderSeenFrom(Camera{}, 100);
    const auto lines = Silhouette::revolvedLines(placed);
    ASSERT_EQ(lines.size(), 2u);
    for (const BezierPath& rim : lines) {
        ASSERT_EQ(rim.subpaths.size(), 1u);
        EXPECT_FALSE(rim.subpaths[0].isClosed);
    }

    // Seen from above the top cap, the top rim is the whole ring.
    const PlacedRevolvedBody fromAbove = cylinderSeenFrom(Camera{29.5, 5, 2.5}, 1000, {}, {0, 10, 0});
    const auto aboveLines = Silhouette::revolvedLines(fromAbove);
    ASSERT_EQ(aboveLines.size(), 2u);
    EXPECT_TRUE(aboveLines[0].subpaths[0].isClosed);  // the wholly visible rim comes back as a closed circle
}

TEST(RevolvedLines, RingsKnurlsAndMeridians) {
    const auto countOf = [](std::vector<RevolvedDetail> details) {
        return Silhouette::revolvedLines(cylinderSeenFrom(Camera{}, 100, std::move(details))).size() -
               2;  // less the rims
    };
    EXPECT_EQ(countOf({RevolvedDetail::ring(20)}), 1u);
    EXPECT_EQ(countOf({RevolvedDetail::ring(60)}), 0u);  // beyond the profile
    EXPECT_EQ(countOf({RevolvedDetail::rings(10, 30, 0)}), 1u);
    EXPECT_EQ(countOf({RevolvedDetail::rings(10, 30, 1)}), 1u);
    EXPECT_EQ(countOf({RevolvedDetail::rings(10, 30, 3)}), 3u);
    EXPECT_EQ(countOf({RevolvedDetail::knurl(5, 35, 0)}), 0u);
    // Twelve knurl lines 30° apart: only those within acos(10/250) − 8° of the eye azimuth show.
    const std::size_t knurls = countOf({RevolvedDetail::knurl(5, 35, 12)});
    EXPECT_GE(knurls, 5u);
    EXPECT_LE(knurls, 6u);
    const BezierPath meridian{{Subpath{{10, 5}, {PathSegment::line({10, 35})}, false}}};
    EXPECT_EQ(countOf({RevolvedDetail::meridian(meridian)}), 1u);
}

TEST(RevolvedLines, ARingOnADescendingStretchDrawsNothing) {
    // Up the side from height 20 to 40, then down and inwards to height 0: heights
    // below 20 lie only on the descending stretch.
    const BezierPath profile{{Subpath{{10, 20}, {PathSegment::line({10, 40}), PathSegment::line({5, 0})}, false}}};
    const auto linesWith = [&](std::vector<RevolvedDetail> details) {
        const PlacedRevolvedBody placed{RevolvedBody{profile, RevolvedAxis::vertical, std::move(details)},
                                        Pose{Rotation3{}, {0, -20, 0}}, PerspectiveProjection(Camera{}, 100), 25};
        return Silhouette::revolvedLines(placed).size();
    };
    const std::size_t plain = linesWith({});
    EXPECT_EQ(linesWith({RevolvedDetail::ring(30)}), plain + 1);
    EXPECT_EQ(linesWith({RevolvedDetail::ring(10)}), plain);
}
