#pragma once

#include <cstdint>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"

// The raster toolkit of detail detection. Grids are row-major lists of
// width × height cells, cell (x, y) at index y × width + x; a grid whose list
// does not hold width × height cells, or with a side ≤ 0, gives empty results.
namespace photo_analysis {

using icon_geometry::BezierPath;
using icon_geometry::Vector2;

// The 8-connected components of a mask, in the order of their seed pixels.
struct Components {
    struct Component {
        // Cell indices, seed first, in the order they left the search stack.
        std::vector<std::int64_t> pixels;
        int minX = 0;
        int minY = 0;
        int maxX = 0;
        int maxY = 0;
        // The width of the grid the component was found in.
        int width = 0;

        friend bool operator==(const Component&, const Component&) = default;
    };

    std::vector<Component> list;

    Components() = default;
    Components(const std::vector<bool>& mask, int width, int height);
};

// Unmasked cells that no 4-connected path of unmasked cells joins to the border.
std::vector<bool> enclosedHoles(const std::vector<bool>& mask, int width, int height);
std::vector<bool> fillHoles(const std::vector<bool>& mask, int width, int height);
// More than two hole cells: single stray cells do not make a ring.
bool hasHoles(const std::vector<bool>& mask, int width, int height);

struct Centroid {
    double x = 0;
    double y = 0;
    std::int64_t count = 0;
};
// The mean of the pixel centres; NaN means for an empty component.
Centroid componentCentroid(const Components::Component& component);

// The component's box grown by one blank cell on each side.
struct ComponentRaster {
    std::vector<bool> grid;
    int width = 0;
    int height = 0;
    int originX = 0;
    int originY = 0;
};
ComponentRaster componentRaster(const Components::Component& component);

// The closed boundaries between ink and background, each as the midpoints of
// the pixel sides along it, clockwise on screen around the ink. Ink pieces
// touching only at a corner get a boundary each.
std::vector<std::vector<Vector2>> traceContours(const std::vector<bool>& mask, int width, int height);
// The contour of largest area, the first on a tie; empty when there is none.
std::vector<Vector2> largestContour(const std::vector<bool>& mask, int width, int height);

// The closed polygon, averaged over five neighbours when it has six points or
// more, fitted with cubics; empty when a point is not finite.
BezierPath smoothedClosedPath(const std::vector<Vector2>& points, double tolerance);

// Zhang–Suen thinning to one-pixel-wide lines; cells outside the grid count as unset.
std::vector<bool> thin(std::vector<bool> mask, int width, int height);
// The set 4-neighbours (right, left, down, up), then the set diagonal ones
// ((1, 1), (1, −1), (−1, 1), (−1, −1)) not already joined through a 4-neighbour.
std::vector<std::int64_t> skeletonNeighbours(std::int64_t index, int width, int height, const std::vector<bool>& mask);

struct Polyline {
    std::vector<Vector2> points;
    bool isClosed = false;

    friend bool operator==(const Polyline&, const Polyline&) = default;
};
// The skeleton's lines between ends and junctions (open, first), then its
// loops without junctions (closed), through pixel centres.
std::vector<Polyline> skeletonPolylines(const std::vector<bool>& skeleton, int width, int height);
double polylineLength(const std::vector<Vector2>& points);

// Fitted paths along the skeleton of a mask, in grid units, keeping lines of at
// least minimumLength and a fifth of the longest.
std::vector<BezierPath> strokePaths(const std::vector<bool>& mask, int width, int height, double minimumLength);
// Fitted paths along the border of a region inside the face.
std::vector<BezierPath> boundaryPaths(const std::vector<bool>& region, const std::vector<bool>& face, int width,
                                      int height, double minimumLength);

}  // namespace photo_analysis
