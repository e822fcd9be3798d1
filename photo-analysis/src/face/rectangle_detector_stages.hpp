#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "face/rectangle_detector.hpp"
#include "platform/line_segments.hpp"

// The stages of our rectangle detector, in the order it runs them, in working
// pixels (the region of interest resampled, x right, y down), one file each
// under face/rectangle/:
// 1. lines: the faint edges on the subject that no plain edge carries, and
//    lines through the image's segments (lines.cpp);
// 2. the straight runs of the subject's outline (outline_runs.cpp);
// 3. how far the image's edges carry a side (side_cover.cpp);
// 4. quadrilaterals closed from two pairs of nearly parallel lines
//    (closing.cpp);
// 5. the shade of the surface a quadrilateral holds, and how it changes across
//    a line (shade_surface.cpp);
// 6. faces closed on a faint edge beside a side of the body (side_strips.cpp);
// 7. a face and a strip of the body around it left out, a piece of the face
//    cut off by a line across it put last (nesting.cpp);
// 8. the proposals, best first, without repeats (rectangle_detector.cpp, with
//    the detector that runs them all).
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

// The one conversion of the options' degrees.
double radians(double degrees);

// The angle between two directions, whichever way each points: 0 to π/2.
double undirectedAngle(Vector2 u, Vector2 v);

// --- lines ---

// Refits a line through its segments: the length-weighted principal direction.
void refit(Line& line);

// The stretch the segments of `line` cover, as positions along `reference`.
std::pair<double, double> extentAlong(const Line& reference, const Line& line);

std::optional<Vector2> intersection(const Line& l, const Line& m);

// The faint edges on the subject that no plain edge already carries.
std::vector<Segment> faintInnerSegments(const platform::RegionEdges& edges, const RectangleDetectorOptions& o);

// Segments on one line gathered, pieces of one edge joined end to end; the
// lines at least `minimumLength` long, the longest first, at most
// `o.maximumLines` of them.
std::vector<Line> collinearLines(std::vector<Segment> segments, double minimumLength,
                                 const RectangleDetectorOptions& o);

// --- outline runs ---

// The vertices of a closed outline simplified so that no point strays more than
// `tolerance` from the polygon (Douglas–Peucker), as indices in order round it.
std::vector<std::size_t> outlineVertices(const std::vector<Vector2>& outline, double tolerance);

// The straight runs of a closed outline at least `minimumLength` long, each a
// line fitted to its points and carried by one segment over its straight
// stretch.
std::vector<Line> outlineRuns(const std::vector<Vector2>& outline, double minimumLength, double tolerance,
                              const RectangleDetectorOptions& o);

// The runs that no one line of `lines` already carries along most of their
// length: such a run adds nothing but more quadrilaterals to weigh. Pieces of
// an edge a pixel or two apart may carry it between them while no
// quadrilateral closes on any one of them: that run stays.
std::vector<Line> uncarriedRuns(std::vector<Line> runs, std::span<const Line> lines, const RectangleDetectorOptions& o);

// --- side cover ---

// The stretches between along-positions lo and hi of `line` that straight image
// edges along it cover (the segments of every line collinear with it), sorted.
std::vector<std::pair<double, double>> coveredSpans(std::span<const Line> lines, const Line& line, double lo, double hi,
                                                    const RectangleDetectorOptions& o);

// How far straight image edges carry the side from p to q on `line`.
struct SideCover {
    double share = 0;      // of the side's length
    double length = 0;     // of the side
    double covered = 0;    // the length carried
    double fromStart = 0;  // uncovered from p to the first edge
    double toEnd = 0;      // uncovered from the last edge to q
};

SideCover cover(std::span<const Line> lines, const Line& line, Vector2 p, Vector2 q, const RectangleDetectorOptions& o);

// The share of each side's straight stretch that edges carry, on a face whose
// rounded corners leave every side bare near its ends; the least of them.
std::array<double, 4> straightShares(const std::array<SideCover, 4>& sides, double shortSide,
                                     const RectangleDetectorOptions& o);
double straightSupport(const std::array<SideCover, 4>& sides, double shortSide, const RectangleDetectorOptions& o);

// --- closing ---

// A convex quadrilateral, clockwise on screen, as four half-planes: whether a
// point lies within `margin` of it (inside it by -margin for a negative one).
class ConvexRegion {
public:
    explicit ConvexRegion(const std::array<Vector2, 4>& corners) {
        for (int i = 0; i < 4; ++i) {
            const Vector2 edge = corners[(i + 1) % 4] - corners[i];
            const double length = edge.length();
            normals_[i] = length > 0 ? Vector2{-edge.y, edge.x} * (1 / length) : Vector2{0, 0};
            offsets_[i] = normals_[i].dot(corners[i]);
        }
    }
    // Inline: asked for every point of a grid.
    bool contains(Vector2 p, double margin) const {
        for (int i = 0; i < 4; ++i) {
            if (normals_[i].dot(p) - offsets_[i] < -margin) return false;
        }
        return true;
    }
    // The x from `lo` to `hi` at which the row at y lies within `margin` of it;
    // lo > hi where none does.
    std::pair<double, double> row(double y, double margin) const {
        double lo = std::numeric_limits<double>::lowest(), hi = std::numeric_limits<double>::max();
        for (int i = 0; i < 4; ++i) {
            // normal.x · x ≥ offset − margin − normal.y · y
            const double bound = offsets_[i] - margin - normals_[i].y * y;
            if (normals_[i].x > 0) {
                lo = std::max(lo, bound / normals_[i].x);
            } else if (normals_[i].x < 0) {
                hi = std::min(hi, bound / normals_[i].x);
            } else if (bound > 0) {
                return {1, 0};
            }
        }
        return {lo, hi};
    }

private:
    std::array<Vector2, 4> normals_;
    std::array<double, 4> offsets_{};
};

bool contains(const std::array<Vector2, 4>& quad, Vector2 p, double margin);

// Why two pairs of lines closed no quadrilateral.
enum class Refusal { none, outsideRegion, notRightAngled, proportions, size, confidence, support };
inline constexpr int refusalKinds = 7;

struct Closing {
    std::vector<Quad> quads;
    std::size_t pairs = 0;  // pairs of nearly parallel lines far enough apart
    std::array<std::size_t, refusalKinds> refused{};

    std::size_t& refusedFor(Refusal why) { return refused[static_cast<std::size_t>(why)]; }
    std::size_t refusedFor(Refusal why) const { return refused[static_cast<std::size_t>(why)]; }
};

// Every quadrilateral two pairs of lines close within the request's limits, in
// a region of regionWidth × regionHeight whose shorter side is regionSide.
Closing closeQuadrilaterals(const std::vector<Line>& lines, double regionSide, const RectangleRequest& request,
                            double regionWidth, double regionHeight, const RectangleDetectorOptions& o);

// `quad` with its side `side` moved onto line `line`, which edges carry only
// faintly: the quadrilateral it closes within the request's limits, its other
// sides carried as any quadrilateral's.
std::optional<Quad> closeOnFaintSide(const std::vector<Line>& lines, const Quad& quad, int side, int line,
                                     double regionSide, const RectangleRequest& request, double regionWidth,
                                     double regionHeight, const RectangleDetectorOptions& o);

// --- shade surface ---

struct GreySample {
    Vector2 point;
    double grey = 0;
};

// The face's shade as a plane over the photo, g = a + b x + c y: light falling
// off across a face changes its grey smoothly. Fitted to the face's own grey,
// the details on it (text, ribs, rings) left out as they stray from it.
struct ShadePlane {
    double a = 0, b = 0, c = 0;
    Vector2 origin;
    bool valid = false;
    double at(Vector2 p) const { return a + b * (p.x - origin.x) + c * (p.y - origin.y); }
};

// The plane of the samples' prevailing shade, reckoned from `origin`: flat at
// their most common grey, then following the light ever closer. At least 16
// samples.
ShadePlane shadePlane(const std::vector<GreySample>& samples, Vector2 origin, const RectangleDetectorOptions& o);

// What a quadrilateral holds: the points of a grid two working pixels inside
// its sides (away from the edges' own blur), with their grey where they lie on
// the subject, and the plane of the subject's prevailing shade there.
struct Surface {
    std::array<Vector2, 4> corners{};  // the quadrilateral's
    std::vector<GreySample> samples;   // row by row, left to right; a negative grey off the subject
    std::vector<std::pair<std::size_t, std::size_t>> rows;  // each row's first sample and its end
    ShadePlane plane;
};

Surface surfaceOf(const platform::RegionEdges& edges, const Quad& quad, const RectangleDetectorOptions& o);

// The grid points of `outer` beyond `inner`: how many, how many on the subject,
// and how many of those in the shade of `inner`'s face, the light's fall-off
// across it allowed for.
struct Beyond {
    int points = 0;
    int onSubject = 0;
    int faceShaded = 0;
};

Beyond beyond(const Surface& outer, const Quad& inner, const ShadePlane& face, const RectangleDetectorOptions& o);

// Whether the part of `outer` beyond `inner` is a plain surface on the subject.
bool plainStrip(const Surface& outer, const Quad& inner, const RectangleDetectorOptions& o);
// The same, leaving out the points within `margin` of `inner` or of the edge of
// `outer` (the blur of either edge), with at least `onSubject` of the rest on the
// subject and `inShade` of those in the strip's own shade.
struct Plainness {
    double margin = 2;
    double onSubject = 0;
    double inShade = 0;
};
bool plainStrip(const Surface& outer, const Quad& inner, const Plainness& plain, const RectangleDetectorOptions& o);

// Whether the part of `outer` beside `inner` is another surface than `inner`.
bool shadeChanges(const Beyond& b, const RectangleDetectorOptions& o);

// Whether the part of `outer` beside `inner` is plainly more of the face.
bool moreOfTheFace(const Beyond& b, const RectangleDetectorOptions& o);

// How the grey changes across a line between positions `from` and `to` along
// it: read `reach` working pixels to each side, averaged over lengths of
// `o.stepStretch`, each stretch a step from one shade to another, a stroke
// printed along the line (beyond both sides' shades), or neither. Nothing is
// told where the surface beside the line, `width` across, is too narrow for
// the reach.
struct Crossing {
    int stretches = 0;  // read on the subject on both sides
    int steps = 0;
    int strokes = 0;
};

Crossing crossing(const platform::RegionEdges& edges, const Line& line, double from, double to, double reach,
                  double width, const RectangleDetectorOptions& o);

// The crossings of the sides of quadrilaterals, each stretch of a line read
// once however many quadrilaterals it bounds. Read at `o.stepReachShare` of the
// region's shorter side.
class CrossingReader {
public:
    CrossingReader(const platform::RegionEdges& edges, const std::vector<Line>& lines,
                   const RectangleDetectorOptions& o);
    // Across line `line` between its points nearest `from` and `to`, the
    // stretches laid along it from its own point.
    Crossing across(int line, Vector2 from, Vector2 to, double width);

private:
    const platform::RegionEdges& edges_;
    const std::vector<Line>& lines_;
    const RectangleDetectorOptions& o_;
    double reach_ = 0;
    std::map<std::pair<int, long>, int> read_;  // what each stretch is
};

// Whether a crossing is where one surface meets another: steps along most of
// it, and few strokes among them.
bool stepsAcross(const Crossing& c, const RectangleDetectorOptions& o);

// --- side strips ---

// A face closed on a faint edge inside the quadrilateral `outer`: the face, and
// beside it a side of the body, a plain strip out to the silhouette.
struct SideStrip {
    std::size_t outer = 0;
    Quad face;
};

// Whether `face` lies beside a side of the body, a surface `width` across
// beyond its side `side`: that edge drawn longer than the face's opposite one,
// and the shade stepping across it along its length, however little of it the
// edges show.
bool faceBesideASide(const Quad& face, int side, double width, CrossingReader& crossings,
                     const RectangleDetectorOptions& o);

// The faces beside a side of the body whose edge with the side is too faint for
// their quadrilateral to close on its own: in a quadrilateral one of whose sides
// is on the silhouette, a line nearly parallel to it, carried over a part of
// its length, across which the shade steps, with a plain strip beyond it.
// Where no line of the image's edges is such an edge, the largest
// quadrilateral's sides on the silhouette are searched for the edge across
// which the shade steps most, read along its whole length; each one found
// joins `lines` and is tried in the quadrilaterals nearly as large along the
// same side.
std::vector<SideStrip> sideStrips(std::vector<Line>& lines, const std::vector<Quad>& quads,
                                  const platform::RegionEdges& edges, double regionSide,
                                  const RectangleRequest& request, CrossingReader& crossings,
                                  const RectangleDetectorOptions& o);

// Within the strip of `outer` beside its side `side`, out to
// `o.widestSideShare` of the sides beside it, the chord across which the shade
// steps most along its middle, as a line carried by the stretches where it
// steps; absent where nothing steps by `o.stepContrast`.
std::optional<Line> stepLine(const platform::RegionEdges& edges, const Quad& outer, int side,
                             const RectangleDetectorOptions& o);

// --- nesting ---

// Every corner within `o.sameOutline` of the other's: one outline seen on two
// edges a pixel or two apart (the photo's and the subject mask's).
bool sameQuad(const Quad& a, const Quad& b, const RectangleDetectorOptions& o);

// For each quadrilateral: the inner one it was left out for, being that face
// and a strip of the body beside it; the outer one it is a piece of, cut off by
// a line across the face.
struct Nesting {
    std::vector<std::optional<std::size_t>> droppedFor;
    std::vector<std::optional<std::size_t>> cutFrom;
};

// `strips` name faces already known to lie beside a side of the body within
// their outer quadrilateral.
Nesting nestedChoice(const std::vector<Line>& lines, const std::vector<Quad>& quads, const platform::RegionEdges& edges,
                     CrossingReader& crossings, const RectangleDetectorOptions& o,
                     const std::vector<std::pair<std::size_t, std::size_t>>& strips = {});

// --- proposals ---

// The quadrilaterals not left out, whole ones before pieces, then by
// confidence and area; repeats of an earlier one dropped; at most `maximum`.
std::vector<Quad> proposals(const std::vector<Quad>& quads, const Nesting& nesting, int maximum,
                            const RectangleDetectorOptions& o);

}  // namespace photo_analysis::rectangle_stages
