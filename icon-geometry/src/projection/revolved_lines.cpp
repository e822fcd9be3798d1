#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "icon_geometry/cubic.hpp"
#include "projection/revolved_frame.hpp"

namespace icon_geometry::Silhouette {
namespace {

using std::numbers::pi;
// A visible half-width this close to π is the whole ring: rounding in the
// half-angle must not turn a fully visible ring into an arc with a seam.
constexpr double wholeTurnHalfWidth = pi - 1e-9;
constexpr double creaseAngle = 0.3490658503988659;   // 20°
constexpr double knurlMargin = 0.13962634015954636;  // 8°
constexpr int ringAzimuths = 48;                     // 49 azimuths
constexpr int knurlPoints = 8;                       // 9 points
constexpr int sightSamples = 48;                     // 49 samples along a sight line
constexpr int heightLookupSamples = 64;
constexpr int tableSamples = 32;

// Heights strictly ascending with the largest radius at each.
struct ProfileTable {
    std::vector<double> heights;
    std::vector<double> radii;
};

struct ProfilePoint {
    double radius;
    Vector2 tangent;
};

// Everything the lines of one body share.
struct LineContext {
    const PlacedRevolvedBody& placed;
    AxisFrame frame;
    BodyEye eye;
    double azimuth;
    std::vector<Piece> pieces;
    ProfileTable table;
    double size;
};

std::vector<Vector2> polyline(const Piece& piece, int samples) {
    if (const auto* c = piece.segment.asCubic()) {
        std::vector<Vector2> points;
        points.reserve(static_cast<std::size_t>(samples) + 1);
        for (int k = 0; k <= samples; ++k)
            points.push_back(
                Cubic::point(piece.start, c->control1, c->control2, c->to, static_cast<double>(k) / samples));
        return points;
    }
    return {piece.start, piece.segment.end()};
}

ProfileTable profileTable(const std::vector<Piece>& pieces) {
    ProfileTable table;
    for (const Piece& piece : pieces) {
        for (const Vector2& p : polyline(piece, tableSamples)) {
            if (table.heights.empty()) {
                table.heights.push_back(p.y);
                table.radii.push_back(p.x);
            } else if (std::abs(p.y - table.heights.back()) < 1e-12) {
                table.radii.back() = std::max(table.radii.back(), p.x);
            } else if (p.y > table.heights.back()) {
                table.heights.push_back(p.y);
                table.radii.push_back(p.x);
            }
        }
    }
    return table;
}

std::optional<double> radiusAtHeight(const ProfileTable& table, double h) {
    if (table.heights.empty() || !(h >= table.heights.front() && h <= table.heights.back())) return std::nullopt;
    std::size_t lo = 0;
    std::size_t hi = table.heights.size() - 1;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        if (h >= table.heights[mid])
            lo = mid;
        else
            hi = mid;
    }
    const double span = table.heights[hi] - table.heights[lo];
    if (span > 0) return table.radii[lo] + (h - table.heights[lo]) * (table.radii[hi] - table.radii[lo]) / span;
    return std::max(table.radii[lo], table.radii[hi]);
}

std::optional<ProfilePoint> profileAtHeight(const std::vector<Piece>& pieces, double h) {
    for (const Piece& piece : pieces) {
        const std::vector<Vector2> points = polyline(piece, heightLookupSamples);
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const Vector2 p = points[i];
            const Vector2 q = points[i + 1];
            if (p.y < q.y && p.y <= h && h <= q.y) {
                const Vector2 d = q - p;
                const double length = d.length();
                return ProfilePoint{p.x + (h - p.y) / (q.y - p.y) * (q.x - p.x), {d.x / length, d.y / length}};
            }
        }
    }
    return std::nullopt;
}

Vector2 unit(Vector2 v) {
    const double length = v.length();
    return length == 0 ? Vector2{0, 0} : Vector2{v.x / length, v.y / length};
}

std::pair<Vector2, Vector2> endTangents(const Piece& piece) {
    const Vector2 start = piece.start;
    const Vector2 end = piece.segment.end();
    const auto* c = piece.segment.asCubic();
    if (!c) return {unit(end - start), unit(end - start)};
    Vector2 first = c->control1 - start;
    if (c->control1 == start) first = c->control2 == start ? end - start : c->control2 - start;
    Vector2 last = end - c->control2;
    if (c->control2 == end) last = c->control1 == end ? end - start : end - c->control1;
    return {unit(first), unit(last)};
}

std::vector<std::pair<int, int>> visibleRuns(const std::vector<bool>& flags) {
    std::vector<std::pair<int, int>> runs;
    const int n = static_cast<int>(flags.size());
    for (int i = 0; i < n;) {
        if (!flags[static_cast<std::size_t>(i)]) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < n && flags[static_cast<std::size_t>(j + 1)]) ++j;
        if (j > i) runs.emplace_back(i, j);
        i = j + 1;
    }
    return runs;
}

// Walks the sight line from just off the surface to the eye and asks whether it
// passes inside the body.
bool isUnoccluded(const LineContext& c, Vector3 p) {
    const Vector3 d = c.eye.e - p;
    const double squared = d.dot(d);
    if (squared <= 0) return true;
    const double f0 = 0.02 * c.size / std::sqrt(squared);
    if (f0 >= 1) return true;
    const double tolerance = 0.004 * c.size;
    if (c.table.heights.empty()) return true;
    for (int k = 0; k <= sightSamples; ++k) {
        const double s = f0 + (1 - f0) * k / sightSamples;
        const Vector3 point = p + d * s;
        const double h = point.dot(c.frame.w);
        if (!(h >= c.table.heights.front() && h <= c.table.heights.back())) continue;
        const std::optional<double> rho = radiusAtHeight(c.table, h);
        if (rho && (point - c.frame.w * h).length() < *rho - tolerance) return false;
    }
    return true;
}

BezierPath projectedArc(const LineContext& c, double r, double h, double phi0, double phi1) {
    const double n = std::max(std::ceil(std::abs(phi1 - phi0) / (pi / 2)), 1.0);
    if (!std::isfinite(n) || n > 1e6) return {};
    const double delta = (phi1 - phi0) / n;
    const double k = 4.0 / 3.0 * std::tan(delta / 4);
    PathBuilder builder;
    builder.moveTo({r * std::cos(phi0), r * std::sin(phi0)});
    for (int i = 0; i < static_cast<int>(n); ++i) {
        const double a = phi0 + delta * i;
        const double b = a + delta;
        builder.curveTo({r * std::cos(b), r * std::sin(b)},
                        {r * std::cos(a) - k * r * std::sin(a), r * std::sin(a) + k * r * std::cos(a)},
                        {r * std::cos(b) + k * r * std::sin(b), r * std::sin(b) - k * r * std::cos(b)});
    }
    const BezierPath arc = builder.finish();
    if (arc.subpaths.empty()) return {};
    return c.placed.projection.projectCrossSectionPath(arc, c.placed.body.axis, c.placed.pose, h, c.placed.step);
}

std::vector<BezierPath> ringLines(const LineContext& c, const std::vector<Vector2>& tangents, double r, double h) {
    if (r <= 1e-6 || tangents.empty()) return {};
    double v = -std::numeric_limits<double>::infinity();
    for (const Vector2& t : tangents) v = std::max(v, visibleHalfAngle(r, h, t.x, t.y, c.placed));
    if (v <= 1e-6) return {};
    std::vector<double> azimuths;
    std::vector<bool> flags;
    for (int j = 0; j <= ringAzimuths; ++j) {
        const double phi = c.azimuth - v + 2 * v * j / ringAzimuths;
        azimuths.push_back(phi);
        flags.push_back(isUnoccluded(c, bodyPoint(c.placed, r, h, phi)));
    }
    if (v >= wholeTurnHalfWidth && std::all_of(flags.begin(), flags.end(), [](bool f) { return f; }))
        return {projectedCircle(c.placed, r, h)};
    std::vector<BezierPath> arcs;
    for (const auto& [first, last] : visibleRuns(flags))
        arcs.push_back(
            projectedArc(c, r, h, azimuths[static_cast<std::size_t>(first)], azimuths[static_cast<std::size_t>(last)]));
    return arcs;
}

void appendAll(std::vector<BezierPath>& to, std::vector<BezierPath>&& paths) {
    for (BezierPath& p : paths) to.push_back(std::move(p));
}

// Thinning lines that lie closer together on the image than a stroke can show.
// The thinned spacing depends only on the body, the camera and the detail's
// ends, never on the detail's count, so any count beyond it draws the same.
constexpr int rateSamples = 64;
constexpr int rateAzimuths = 8;

Vector2 imageAt(const LineContext& c, double r, double h, double phi) {
    return projectBodyPoint(c.placed, bodyPoint(c.placed, r, h, phi));
}

// How many equal steps the rings from `from` to `to` need so that neighbours
// lie no farther apart on the image than the line spacing.
double ringSteps(const LineContext& c, double from, double to) {
    double largest = 0;
    std::optional<ProfilePoint> previous = profileAtHeight(c.pieces, from);
    for (int k = 1; k <= rateSamples; ++k) {
        const double h0 = from + (to - from) * (k - 1) / rateSamples;
        const double h1 = from + (to - from) * k / rateSamples;
        const std::optional<ProfilePoint> next = profileAtHeight(c.pieces, h1);
        if (previous && next) {
            for (int a = 0; a < rateAzimuths; ++a) {
                const double phi = c.azimuth + 2 * pi * a / rateAzimuths;
                largest = std::max(largest,
                                   imageAt(c, previous->radius, h0, phi).distance(imageAt(c, next->radius, h1, phi)));
            }
        }
        previous = next;
    }
    return std::ceil(largest * rateSamples / c.placed.lineSpacing);
}

// How many knurl lines around the body keep neighbours no farther apart on the
// image than the line spacing.
double knurlSteps(const LineContext& c, const RevolvedDetail::Knurl& knurl, double r0, double r1) {
    double largest = 0;
    for (int a = 0; a < rateSamples; ++a) {
        const double phi0 = 2 * pi * a / rateSamples;
        const double phi1 = 2 * pi * (a + 1) / rateSamples;
        for (const double f : {0.0, 0.5, 1.0}) {
            const double r = r0 + (r1 - r0) * f;
            const double h = knurl.from + (knurl.to - knurl.from) * f;
            largest = std::max(largest, imageAt(c, r, h, phi0).distance(imageAt(c, r, h, phi1)));
        }
    }
    return std::ceil(largest * rateSamples / c.placed.lineSpacing);
}

bool thins(const LineContext& c) {
    return c.placed.lineSpacing > 0 && std::isfinite(c.placed.lineSpacing);
}

void ringAt(const LineContext& c, double at, std::vector<BezierPath>& lines) {
    if (const auto p = profileAtHeight(c.pieces, at)) appendAll(lines, ringLines(c, {p->tangent}, p->radius, at));
}

void knurlLines(const LineContext& c, const RevolvedDetail::Knurl& knurl, std::vector<BezierPath>& lines) {
    if (knurl.count <= 0) return;
    const auto bottom = profileAtHeight(c.pieces, knurl.from);
    const auto top = profileAtHeight(c.pieces, knurl.to);
    if (!bottom || !top) return;
    const double half =
        visibleHalfAngle(bottom->radius, knurl.from, bottom->tangent.x, bottom->tangent.y, c.placed) - knurlMargin;
    double count = static_cast<double>(knurl.count);
    if (thins(c)) {
        const double steps = knurlSteps(c, knurl, bottom->radius, top->radius);
        if (steps >= 1 && steps < count) count = steps;
    }
    for (std::int64_t j = 0; j < static_cast<std::int64_t>(count); ++j) {
        const double a = 2 * pi * static_cast<double>(j) / count;
        if (!(half > std::abs(std::remainder(a - c.azimuth, 2 * pi)))) continue;
        std::vector<Vector3> points;
        std::vector<bool> flags;
        for (int k = 0; k <= knurlPoints; ++k) {
            const double f = static_cast<double>(k) / knurlPoints;
            const Vector3 p = bodyPoint(c.placed, bottom->radius + (top->radius - bottom->radius) * f,
                                        knurl.from + (knurl.to - knurl.from) * f, a);
            points.push_back(p);
            flags.push_back(isUnoccluded(c, p));
        }
        for (const auto& [first, last] : visibleRuns(flags)) {
            const Vector2 from = projectBodyPoint(c.placed, points[static_cast<std::size_t>(first)]);
            const Vector2 to = projectBodyPoint(c.placed, points[static_cast<std::size_t>(last)]);
            if (from.distance(to) > 1e-9)
                lines.push_back(BezierPath{{Subpath{from, {PathSegment::line(to)}, false}}});
            else
                lines.emplace_back();
        }
    }
}

BezierPath meridianLine(const LineContext& c, const BezierPath& path) {
    const Vector3 across = c.frame.u * c.eye.eu + c.frame.v * c.eye.ev;
    Vector3 n = c.frame.w.cross(across);
    const double squared = n.dot(n);
    if (squared > 0) {
        const double length = std::sqrt(squared);
        n = {n.x / length, n.y / length, n.z / length};
    }
    return c.placed.projection.projectMeridianPath(path, c.placed.body.axis, c.placed.pose,
                                                   {n.dot(c.frame.u), n.dot(c.frame.v)}, c.placed.step);
}

}  // namespace

std::vector<BezierPath> revolvedLines(const PlacedRevolvedBody& placed) {
    LineContext c{placed,
                  axisFrame(placed.body.axis),
                  bodyEye(placed),
                  eyeAzimuth(placed),
                  profilePieces(placed.body.profile),
                  {},
                  0};
    c.table = profileTable(c.pieces);
    const double span = c.table.heights.empty() ? 0 : c.table.heights.back() - c.table.heights.front();
    const double maxRadius = c.table.radii.empty() ? 0 : *std::max_element(c.table.radii.begin(), c.table.radii.end());
    c.size = std::max(span, 2 * maxRadius);

    std::vector<BezierPath> lines;
    for (std::size_t i = 0; i + 1 < c.pieces.size(); ++i) {
        const Vector2 before = endTangents(c.pieces[i]).second;
        const Vector2 after = endTangents(c.pieces[i + 1]).first;
        if (std::acos(std::clamp(before.dot(after), -1.0, 1.0)) > creaseAngle) {
            const Vector2 at = c.pieces[i].segment.end();
            appendAll(lines, ringLines(c, {before, after}, at.x, at.y));
        }
    }
    for (const RevolvedDetail& detail : placed.body.details) {
        if (const auto* ring = std::get_if<RevolvedDetail::Ring>(&detail.value)) {
            ringAt(c, ring->at, lines);
        } else if (const auto* rings = std::get_if<RevolvedDetail::Rings>(&detail.value)) {
            if (rings->count < 2) {
                ringAt(c, rings->from, lines);
            } else {
                double steps = static_cast<double>(rings->count - 1);
                if (thins(c)) {
                    const double needed = ringSteps(c, rings->from, rings->to);
                    if (needed >= 1 && needed < steps) steps = needed;
                }
                for (std::int64_t j = 0; j <= static_cast<std::int64_t>(steps); ++j)
                    ringAt(c, rings->from + (rings->to - rings->from) * static_cast<double>(j) / steps, lines);
            }
        } else if (const auto* knurl = std::get_if<RevolvedDetail::Knurl>(&detail.value)) {
            knurlLines(c, *knurl, lines);
        } else if (const auto* meridian = std::get_if<RevolvedDetail::Meridian>(&detail.value)) {
            lines.push_back(meridianLine(c, meridian->path));
        }
    }
    return lines;
}

}  // namespace icon_geometry::Silhouette
