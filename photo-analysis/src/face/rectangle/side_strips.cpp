#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

#include "face/rectangle_detector_stages.hpp"

// Side strips: a face whose edge with a side of the body shows only faintly,
// where the face's shade and the side's come close, closed on that edge inside
// the quadrilateral of the face and the side together.
namespace photo_analysis::rectangle_stages {

namespace {

bool insideAt(const platform::RegionEdges& edges, Vector2 v) {
    const double x = std::floor(v.x), y = std::floor(v.y);
    if (!(x >= 0 && y >= 0 && x < edges.width && y < edges.height)) return false;
    return edges.inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(edges.width) +
                        static_cast<std::size_t>(x)] >= 128;
}

// Whether the side from p to q of a quadrilateral clockwise on screen runs
// along the silhouette: the wall just beyond it, the subject just within, over
// most of its straight middle.
bool onSilhouette(const platform::RegionEdges& edges, Vector2 p, Vector2 q, const RectangleDetectorOptions& o) {
    const Vector2 along = q - p;
    const double length = along.length();
    if (!(length > 0)) return false;
    const Vector2 inward = Vector2{-along.y, along.x} * ((o.maskSlack + 1) / length);
    int on = 0;
    constexpr int samples = 16;
    for (int k = 0; k < samples; ++k) {
        // The middle, away from the rounded corners.
        const Vector2 v = p.lerp(q, 0.2 + 0.6 * (k + 0.5) / samples);
        on += insideAt(edges, v + inward) && !insideAt(edges, v - inward);
    }
    return on >= 0.7 * samples;
}

// Where `p` lies along the side from a to b: 0 at a, 1 at b.
double positionOn(Vector2 p, Vector2 a, Vector2 b) {
    const Vector2 side = b - a;
    const double squared = side.dot(side);
    return squared > 0 ? (p - a).dot(side) / squared : -1;
}

// The step across the side of a quadrilateral at a working pixel of the strip
// beside it: the grey a little outward less the grey a little inward, where
// both lie on the subject.
class StepMap {
public:
    StepMap(const platform::RegionEdges& edges, Vector2 inward, double distance)
        : edges_(edges), reach_(inward * distance) {}
    // The step at p; NaN where either side is off the subject.
    double at(Vector2 p) const {
        const auto out = grey(p - reach_), in = grey(p + reach_);
        return out >= 0 && in >= 0 ? out - in : std::numeric_limits<double>::quiet_NaN();
    }

private:
    // The grey at v, or -1 off the subject.
    double grey(Vector2 v) const {
        const double x = std::floor(v.x), y = std::floor(v.y);
        if (!(x >= 0 && y >= 0 && x < edges_.width && y < edges_.height)) return -1;
        const std::size_t i =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(edges_.width) + static_cast<std::size_t>(x);
        return edges_.inside[i] == 255 ? edges_.grey[i] : -1;
    }

    const platform::RegionEdges& edges_;
    Vector2 reach_;
};

// The mean step along the chord from a to b, its middle only, and the share of
// the chord read.
std::pair<double, double> meanStep(const StepMap& map, Vector2 a, Vector2 b) {
    const int samples = std::max(2, static_cast<int>(0.7 * a.distance(b)));
    double sum = 0;
    int read = 0;
    for (int s = 0; s < samples; ++s) {
        const double step = map.at(a.lerp(b, 0.15 + 0.7 * (s + 0.5) / samples));
        if (std::isnan(step)) continue;
        sum += step;
        ++read;
    }
    return {read > 0 ? sum / read : 0.0, static_cast<double>(read) / samples};
}

}  // namespace

std::optional<Line> stepLine(const platform::RegionEdges& edges, const Quad& outer, int side,
                             const RectangleDetectorOptions& o) {
    const auto corner = [&](int c) { return outer.corners[static_cast<std::size_t>((side + c + 4) % 4)]; };
    const Vector2 p = corner(0), q = corner(1);
    const double length = p.distance(q);
    const double widest = o.widestSideShare * std::min(corner(-1).distance(p), corner(2).distance(q));
    // Nearer the silhouette, its own blur steps; and a strip narrower than the
    // reach of its step cannot be told from a stroke.
    const double nearest = 1.5 * o.stepReachShare * std::min(edges.width, edges.height);
    if (!(length > 0) || !(widest > nearest)) return std::nullopt;
    const Vector2 along = (q - p) * (1 / length), inward{-along.y, along.x};
    const StepMap map(edges, inward, o.stepDistance);
    // The step read once on a grid over the strip: rows across its middle (a
    // face's rounded corners at its ends), a working pixel apart across.
    const int rows = std::max(8, static_cast<int>(0.7 * length / 8));
    const int columns = static_cast<int>(std::ceil(widest)) + 2;
    std::vector<double> grid(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
    std::vector<double> at(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        at[static_cast<std::size_t>(r)] = length * (0.15 + 0.7 * (r + 0.5) / rows);
        for (int v = 0; v < columns; ++v)
            grid[static_cast<std::size_t>(r * columns + v)] =
                map.at(p + along * at[static_cast<std::size_t>(r)] + inward * v);
    }
    // A chord through the strip, `from` working pixels in from side k at p and
    // `to` at q: its mean step, each clipped to `clip`, and the share of it
    // read. Clipped, a print's strong edge along a part of the chord weighs
    // less than a faint step all along it.
    struct Chord {
        double from = 0, to = 0, step = 0;
    };
    const auto read = [&](double from, double to, double clip) -> std::optional<double> {
        double sum = 0;
        int count = 0;
        for (int r = 0; r < rows; ++r) {
            const double v = from + (to - from) * at[static_cast<std::size_t>(r)] / length;
            const double step = grid[static_cast<std::size_t>(r * columns + static_cast<int>(v + 0.5))];
            if (std::isnan(step)) continue;
            sum += std::clamp(step, -clip, clip);
            ++count;
        }
        if (2 * count < rows) return std::nullopt;
        return sum / count;
    };
    // None turned from side k by more than a face's edge is from the side's.
    const double turn = std::tan(radians(o.sideEdgesAngleDegrees)) * length;
    std::vector<Chord> chords;
    const auto search = [&](double low, double high, double lowTo, double highTo, double spacing, double clip,
                            double sign) {
        chords.clear();
        Chord best;
        for (double from = std::max(nearest, low); from <= std::min(widest, high); from += spacing) {
            for (double to = std::max(nearest, lowTo); to <= std::min(widest, highTo); to += spacing) {
                if (std::abs(to - from) > turn + spacing) continue;
                const auto step = read(from, to, clip);
                if (!step || *step * sign < 0) continue;
                chords.push_back({from, to, *step});
                if (std::abs(*step) > std::abs(best.step)) best = chords.back();
            }
        }
        return best;
    };
    const auto about = [&](const Chord& chord, double reach, double spacing, double sign) {
        return search(chord.from - reach, chord.from + reach, chord.to - reach, chord.to + reach, spacing,
                      std::numeric_limits<double>::max(), sign);
    };
    // Clipped, the search finds the step all along the chord; unclipped, about
    // it, the middle of the edge's blur: the mean of the chords nearly as steep
    // as the steepest.
    constexpr double coarse = 8, finer = 2, finest = 1;
    const Chord found = search(nearest, widest, nearest, widest, coarse, 2 * o.stepContrast, 0);
    if (std::abs(found.step) < o.stepContrast) return std::nullopt;
    const Chord steepest = about(about(found, coarse, finer, found.step), finer, finest, found.step);
    if (chords.empty()) return std::nullopt;
    Chord best;
    int steep = 0;
    for (const Chord& chord : chords) {
        if (std::abs(chord.step) < 0.9 * std::abs(steepest.step)) continue;
        best.from += chord.from, best.to += chord.to, ++steep;
    }
    best.from /= steep, best.to /= steep;
    const Vector2 from = p + inward * best.from, to = q + inward * best.to;
    // Carried where it steps, stretch by stretch.
    Line line{from, (to - from).normalized(), 0, {}};
    const double chord = from.distance(to);
    for (double start = 0; start + o.stepStretch <= chord; start += o.stepStretch) {
        const Vector2 a = from + line.direction * start, b = from + line.direction * (start + o.stepStretch);
        const auto [step, share] = meanStep(map, a - (b - a) * (0.15 / 0.7), b + (b - a) * (0.15 / 0.7));
        if (share < 0.5 || std::abs(step) < o.stepContrast || (step > 0) != (steepest.step > 0)) continue;
        if (!line.segments.empty() && line.segments.back().b.distance(a) < 1e-9) {
            line.segments.back().b = b;
        } else {
            line.segments.push_back({a, b});
        }
        line.weight += o.stepStretch;
    }
    if (line.segments.empty()) return std::nullopt;
    return line;
}

bool edgeBesideASide(int line, Vector2 from, Vector2 to, double opposite, double width, CrossingReader& crossings,
                     const RectangleDetectorOptions& o) {
    // A box's side shows beside the face's edge nearer the camera, which
    // perspective draws longer than the face's opposite edge.
    return from.distance(to) >= o.nearerEdgeRatio * opposite && stepsAcross(crossings.across(line, from, to, width), o);
}

bool faceBesideASide(const Quad& face, int side, double width, CrossingReader& crossings,
                     const RectangleDetectorOptions& o) {
    const auto corner = [&](int c) { return face.corners[static_cast<std::size_t>((side + c) % 4)]; };
    return edgeBesideASide(face.lines[static_cast<std::size_t>(side)], corner(0), corner(1),
                           corner(2).distance(corner(3)), width, crossings, o);
}

std::vector<SideStrip> sideStrips(std::vector<Line>& lines, const std::vector<Quad>& quads,
                                  const platform::RegionEdges& edges, double regionSide,
                                  const RectangleRequest& request, CrossingReader& crossings,
                                  const RectangleDetectorOptions& o) {
    std::vector<SideStrip> strips;
    std::set<std::array<int, 4>> tried;
    std::vector<std::optional<Surface>> surfaces(quads.size());
    // For each quadrilateral, the sides along which another lies inside it,
    // sharing its three other lines, across whose own side the shade steps: a
    // side of the body there, where a line printed across the face would only
    // cut off a piece of it.
    struct Within {
        std::array<bool, 4> stepped{};
    };
    std::vector<std::optional<Within>> within(quads.size());
    const auto inside = [&](std::size_t q) -> const Within& {
        if (within[q]) return *within[q];
        Within sides;
        const ConvexRegion region(quads[q].corners);
        for (const Quad& inner : quads) {
            if (inner.area >= quads[q].area) continue;
            int shared = 0, own = -1;
            for (int c = 0; c < 4; ++c) {
                const int line = quads[q].lines[static_cast<std::size_t>(c)];
                if (std::find(inner.lines.begin(), inner.lines.end(), line) != inner.lines.end()) {
                    ++shared;
                } else {
                    own = c;
                }
            }
            if (shared != 3 || own < 0 || sides.stepped[static_cast<std::size_t>(own)]) continue;
            if (!std::all_of(inner.corners.begin(), inner.corners.end(),
                             [&](Vector2 c) { return region.contains(c, 2.0); }))
                continue;
            const auto innerOwn = std::find_if(inner.lines.begin(), inner.lines.end(), [&](int line) {
                return std::find(quads[q].lines.begin(), quads[q].lines.end(), line) == quads[q].lines.end();
            });
            const int d = static_cast<int>(innerOwn - inner.lines.begin());
            const Vector2 from = inner.corners[static_cast<std::size_t>(d)],
                          to = inner.corners[static_cast<std::size_t>((d + 1) % 4)];
            const double width =
                std::abs(lines[static_cast<std::size_t>(quads[q].lines[static_cast<std::size_t>(own)])].offset(
                    (from + to) * 0.5));
            sides.stepped[static_cast<std::size_t>(own)] = stepsAcross(crossings.across(*innerOwn, from, to, width), o);
        }
        return *(within[q] = sides);
    };
    const double parallel = radians(o.sideEdgesAngleDegrees);
    // The face within `outer`, quadrilateral q, closed on line m in place of its
    // side k, where that line bounds a side of the body.
    const auto tryLine = [&](std::size_t q, int k, std::size_t m) -> bool {
        const Quad& outer = quads[q];
        const auto corner = [&](int c) { return outer.corners[static_cast<std::size_t>((c + 4) % 4)]; };
        const auto sideLine = [&](int c) -> const Line& {
            return lines[static_cast<std::size_t>(outer.lines[static_cast<std::size_t>((c + 4) % 4)])];
        };
        const int candidate = static_cast<int>(m);
        if (std::find(outer.lines.begin(), outer.lines.end(), candidate) != outer.lines.end()) return false;
        if (undirectedAngle(lines[m].direction, sideLine(k).direction) > parallel) return false;
        // Where the line meets the two sides beside side k: within the strip's
        // widest reach of side k's corners.
        const auto before = intersection(lines[m], sideLine(k - 1)), after = intersection(lines[m], sideLine(k + 1));
        if (!before || !after) return false;
        const double atBefore = positionOn(*before, corner(k - 1), corner(k));
        const double atAfter = positionOn(*after, corner(k + 1), corner(k + 2));
        if (!(atBefore >= 1 - o.widestSideShare && atBefore < 1 && atAfter > 0 && atAfter <= o.widestSideShare))
            return false;
        const double width = std::min(before->distance(corner(k)), after->distance(corner(k + 1)));
        if (width < o.sameOutline) return false;
        std::array<int, 4> key = outer.lines;
        key[static_cast<std::size_t>(k)] = candidate;
        std::sort(key.begin(), key.end());
        if (!tried.insert(key).second) return false;
        // The side strip: beside the face's nearer edge across a step, and
        // plain, a side of the body bearing no print, away from the edge's blur.
        if (!edgeBesideASide(candidate, *before, *after, corner(k + 2).distance(corner(k + 3)), width, crossings, o))
            return false;
        // The face and one strip: none along another side.
        const Within& elsewhere = inside(q);
        for (int c = 0; c < 4; ++c) {
            if (c != k && elsewhere.stepped[static_cast<std::size_t>(c)]) return false;
        }
        auto face = closeOnFaintSide(lines, outer, k, candidate, regionSide, request, edges.width, edges.height, o);
        if (!face || face->area < o.innerAreaShare * outer.area) return false;
        if (std::any_of(quads.begin(), quads.end(), [&](const Quad& other) { return sameQuad(other, *face, o); }))
            return false;
        if (!surfaces[q]) surfaces[q] = surfaceOf(edges, outer, o);
        const double reach = o.stepReachShare * regionSide;
        if (!plainStrip(*surfaces[q], *face, {reach, o.sideOnSubjectShare, o.plainSideShare}, o)) return false;
        strips.push_back({q, *face});
        return true;
    };
    // Each side on the silhouette, with the lines of the image's edges.
    const std::size_t imageLines = lines.size();
    std::size_t largest = 0;
    std::vector<std::array<bool, 4>> found(quads.size());
    for (std::size_t q = 0; q < quads.size(); ++q) {
        if (quads[q].area > quads[largest].area) largest = q;
        for (int k = 0; k < 4; ++k) {
            const Vector2 from = quads[q].corners[static_cast<std::size_t>(k)],
                          to = quads[q].corners[static_cast<std::size_t>((k + 1) % 4)];
            if (!onSilhouette(edges, from, to, o)) continue;
            for (std::size_t m = 0; m < imageLines; ++m)
                found[q][static_cast<std::size_t>(k)] = tryLine(q, k, m) || found[q][static_cast<std::size_t>(k)];
        }
    }
    if (quads.empty()) return strips;
    // Where no such line lies within the largest, the face and a side of the
    // body together, and no face closes inside it along that side on an edge
    // where the shade steps: the edge within it where the shade steps most, read
    // along its whole length, for it and those nearly as large along the same
    // side.
    const Quad& outer = quads[largest];
    for (int k = 0; k < 4; ++k) {
        const Vector2 from = outer.corners[static_cast<std::size_t>(k)],
                      to = outer.corners[static_cast<std::size_t>((k + 1) % 4)];
        if (found[largest][static_cast<std::size_t>(k)] || inside(largest).stepped[static_cast<std::size_t>(k)] ||
            !onSilhouette(edges, from, to, o))
            continue;
        auto line = stepLine(edges, outer, k, o);
        if (!line) continue;
        // A line of the image's edges already there has been tried.
        const Segment& first = line->segments.front();
        const Segment& last = line->segments.back();
        const bool known =
            std::any_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(imageLines), [&](const Line& other) {
                return undirectedAngle(other.direction, line->direction) <= radians(o.sameLineAngleDegrees) &&
                       std::abs(other.offset(first.a)) <= o.sameOutline &&
                       std::abs(other.offset(last.b)) <= o.sameOutline;
            });
        if (known) continue;
        lines.push_back(std::move(*line));
        for (std::size_t q = 0; q < quads.size(); ++q) {
            if (quads[q].area < o.largeQuadShare * outer.area) continue;
            for (int j = 0; j < 4; ++j) {
                const Vector2 a = quads[q].corners[static_cast<std::size_t>(j)],
                              b = quads[q].corners[static_cast<std::size_t>((j + 1) % 4)];
                if (a.distance(from) <= o.sameOutline && b.distance(to) <= o.sameOutline)
                    tryLine(q, j, lines.size() - 1);
            }
        }
    }
    return strips;
}

}  // namespace photo_analysis::rectangle_stages
