#pragma once

#include <utility>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/revolved_body.hpp"
#include "icon_geometry/rotation.hpp"
#include "platform/platform_path.hpp"

namespace icon_geometry {

// Outlines and lines of projected bodies.
namespace Silhouette {

// A point on one of the input contours.
struct Sample {
    int contour = 0;
    int segment = 0;
    double t = 0;
    Vector2 point;
};

// One segment of a contour with the point it starts from.
struct Piece {
    Vector2 start;
    PathSegment segment;
};

// A revolved body as placed in the scene and seen through the projection;
// `step` is the piece length for cutting curves before they are projected.
struct PlacedRevolvedBody {
    RevolvedBody body;
    Pose pose;
    PerspectiveProjection projection;
    double step = 1;
    // Rings and knurl lines packed closer together on the image than this (in
    // projected units) add nothing a stroke can show: they are thinned to about
    // this spacing before the visibility work. 0 keeps every line.
    double lineSpacing = 0;
};

// The eight corners of the square prism around the axis that holds the profile's
// control polygon, posed into the scene.
std::vector<Vector3> boundingCorners(const PlacedRevolvedBody& placed);
// The filled outline of the body as seen.
BezierPath revolvedOutline(const PlacedRevolvedBody& placed);
// The region the outline is refitted from: the outline's pieces united at the
// working scale (the larger side 960 units, centred on the origin), notches and
// slivers narrower than a unit removed. Empty when the pieces bound nothing.
Region revolvedOutlineRegion(const PlacedRevolvedBody& placed);
// The distance from the eye to the middle of the body's axis.
double depthKey(const PlacedRevolvedBody& placed);
// Creases, then the lines of each detail in order: rings, knurls, meridians,
// drawn only where the surface faces the eye and nothing of the body hides them.
std::vector<BezierPath> revolvedLines(const PlacedRevolvedBody& placed);

// The profile's first drawn subpath, closed to the axis at both ends.
std::vector<Piece> profilePieces(const BezierPath& profile);
double eyeAzimuth(const PlacedRevolvedBody& placed);
// The half-width, in azimuth about the eye's, of the stretch of the ring at (r, h)
// that faces the eye, for the unit profile tangent (tx, ty).
double visibleHalfAngle(double r, double h, double tx, double ty, const PlacedRevolvedBody& placed);
std::vector<BezierPath> trace(Vector2 p0, Vector2 p1, Vector2 p2, Vector2 p3, double eyeAzimuth,
                              const PlacedRevolvedBody& placed);
void appendSmoothPolyline(const std::vector<Vector2>& points, int stride, PathBuilder& builder);
BezierPath hullOutline(const std::vector<BezierPath>& curves, int count);
std::vector<BezierPath> pairwiseOutlines(const std::vector<BezierPath>& curves);

// The boundary of the convex region wrapping the projected closed curves: the
// curves' own arcs where they lie on the hull, joined by straight bridges. One
// closed subpath, an input contour returned whole, or the empty path.
BezierPath outlineBetween(const std::vector<BezierPath>& curves);

// The pieces of a contour, closed back to its start when it does not end there.
std::vector<Piece> closedPieces(const std::vector<PathSegment>& segments, Vector2 start);
// The convex hull of the samples (monotone chain), nearly collinear samples dropped.
std::vector<Sample> sampleHull(std::vector<Sample> samples);
// Appends the contour from (a, t0) forward to (b, t1), wrapping around.
void appendContourArc(const std::vector<Piece>& pieces, int a, double t0, int b, double t1, PathBuilder& builder);

}  // namespace Silhouette
}  // namespace icon_geometry
