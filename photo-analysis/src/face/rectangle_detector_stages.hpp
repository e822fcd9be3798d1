#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "face/rectangle_detector.hpp"
#include "platform/line_segments.hpp"

// The stages of our rectangle detector, in the order it runs them, in working
// pixels (the region of interest resampled, x right, y down):
// 1. the faint edges on the subject that no plain edge carries;
// 2. lines through the image's segments, and the straight runs of the
//    subject's outline;
// 3. quadrilaterals closed from two pairs of nearly parallel lines;
// 4. a face and a strip of the body around it left out, a piece of the face
//    cut off by a line across it put last;
// 5. the proposals, best first, without repeats.
namespace photo_analysis::rectangle_stages {

using Segment = platform::LineSegment;

// An infinite line and the stretches of it that image edges carry.
struct Line {
    Vector2 point;      // a point on the line
    Vector2 direction;  // unit
    double weight = 0;  // total length of its segments
    std::vector<Segment> segments;

    Vector2 normal() const { return {-direction.y, direction.x}; }
    double offset(Vector2 p) const { return (p - point).dot(normal()); }
    double along(Vector2 p) const { return (p - point).dot(direction); }
};

struct Quad {
    std::array<Vector2, 4> corners;  // top left, top right, bottom right, bottom left
    std::array<int, 4> lines;        // the line of each side, from corner i to i + 1
    double confidence = 0;
    double minimumSupport = 0;
    double area = 0;
};

std::vector<Segment> faintInnerSegments(const platform::RegionEdges& edges, const RectangleDetectorOptions& o);

// Segments on one line gathered, pieces of one edge joined end to end; the
// lines at least `minimumLength` long, the longest first, at most
// `o.maximumLines` of them.
std::vector<Line> collinearLines(std::vector<Segment> segments, double minimumLength,
                                 const RectangleDetectorOptions& o);

// The vertices of a closed outline simplified so that no point strays more than
// `tolerance` from the polygon (Douglas–Peucker), as indices in order round it.
std::vector<std::size_t> outlineVertices(const std::vector<Vector2>& outline, double tolerance);

// The straight runs of a closed outline at least `minimumLength` long, each a
// line fitted to its points and carried by one segment over its straight
// stretch.
std::vector<Line> outlineRuns(const std::vector<Vector2>& outline, double minimumLength, double tolerance,
                              const RectangleDetectorOptions& o);

// Why two pairs of lines closed no quadrilateral.
enum class Refusal { none, outsideRegion, notRightAngled, proportions, size, confidence, support };
inline constexpr int refusalKinds = 7;

struct Closing {
    std::vector<Quad> quads;
    std::size_t pairs = 0;  // pairs of nearly parallel lines far enough apart
    std::array<std::size_t, refusalKinds> refused{};
};

// Every quadrilateral two pairs of lines close within the request's limits, in
// a region of regionWidth × regionHeight whose shorter side is regionSide.
Closing closeQuadrilaterals(const std::vector<Line>& lines, double regionSide, const RectangleRequest& request,
                            double regionWidth, double regionHeight, const RectangleDetectorOptions& o);

// For each quadrilateral: the inner one it was left out for, being that face
// and a strip of the body beside it; the outer one it is a piece of, cut off by
// a line across the face.
struct Nesting {
    std::vector<std::optional<std::size_t>> droppedFor;
    std::vector<std::optional<std::size_t>> cutFrom;
};

Nesting nestedChoice(const std::vector<Line>& lines, const std::vector<Quad>& quads, const platform::RegionEdges& edges,
                     const RectangleDetectorOptions& o);

// The quadrilaterals not left out, whole ones before pieces, then by
// confidence and area; repeats of an earlier one dropped; at most `maximum`.
std::vector<Quad> proposals(const std::vector<Quad>& quads, const Nesting& nesting, int maximum,
                            const RectangleDetectorOptions& o);

}  // namespace photo_analysis::rectangle_stages
