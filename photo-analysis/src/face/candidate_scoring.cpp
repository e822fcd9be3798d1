#include <algorithm>
#include <cmath>
#include <string>

#include "face/face_finding_detail.hpp"
#include "icon_geometry/number_text.hpp"
#include "icon_geometry/polygon.hpp"
#include "trace.hpp"

namespace photo_analysis::face_finding_detail {

namespace NumberText = icon_geometry::NumberText;

namespace {

constexpr const char* traceVariable = "FACE_DEBUG";

bool finite(Vector2 p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The pixel holding a point, or a position beyond the mask for points far off it
// (they need no exact index, and converting them would overflow).
long long pixelIndex(double v, double limit) {
    if (v < -1e9) return -1;
    if (v > limit + 1e9) return static_cast<long long>(limit) + 1;
    return static_cast<long long>(v);
}

bool insideAt(const SubjectMask& mask, long long x, long long y) {
    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) return false;
    return mask.coverage[static_cast<std::size_t>(y * mask.width + x)] >= SubjectMask::insideThreshold;
}

std::string truncatedPoint(Vector2 p) {
    const auto whole = [](double v) {
        if (!std::isfinite(v) || std::abs(v) >= 9e18) return trace::shortest(v);
        return NumberText::integer(static_cast<long long>(v));
    };
    return "(" + whole(p.x) + "," + whole(p.y) + ")";
}

}  // namespace

bool passesEdgeTest(Vector2 point, double radius, const SubjectMask& mask) {
    if (!finite(point) || !std::isfinite(radius) || radius < 0 || radius > 1e6 || !mask.isWellFormed()) return false;
    const long long r = static_cast<long long>(std::ceil(radius));
    const long long step = r > 5 ? r / 6 : 1;
    const long long cx = pixelIndex(point.x, mask.width), cy = pixelIndex(point.y, mask.height);
    // The states seen since the last sample read within the mask, that one included.
    bool sawInside = false, sawOutside = false;
    for (long long dy = -r; dy <= r; dy += step) {
        for (long long dx = -r; dx <= r; dx += step) {
            const long long x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) {
                sawOutside = true;
                continue;
            }
            const bool inside = insideAt(mask, x, y);
            (inside ? sawInside : sawOutside) = true;
            if (sawInside && sawOutside) return true;
            sawInside = inside;
            sawOutside = !inside;
        }
    }
    return false;
}

RectangleRequest requestFor(const icon_geometry::Rect& box, int imageWidth, int imageHeight) {
    // Grown by 0.02 of the photo's sides and clipped to it, reckoned in shares of
    // the sides with the origin at the bottom left as the platform's detector
    // took it, so that the region rounds to the same pixels.
    const double w = imageWidth, h = imageHeight;
    double x0 = box.x / w - 0.02, y0 = 1 - (box.y + box.height) / h - 0.02;
    double x1 = (box.x + box.width) / w + 0.02, y1 = 1 - box.y / h + 0.02;
    x0 = std::max(x0, 0.0);
    y0 = std::max(y0, 0.0);
    x1 = std::min(x1, 1.0);
    y1 = std::min(y1, 1.0);
    const double width = std::max(x1 - x0, 0.0), height = std::max(y1 - y0, 0.0);
    RectangleRequest request;
    request.regionOfInterest = {x0 * w, (1 - y0 - height) * h, (x0 + width) * w, (1 - y0) * h};
    return request;
}

std::optional<FaceCorners> bestQuadrilateral(std::span<const RectangleObservation> observations,
                                             const SubjectMask& mask, int imageWidth, int imageHeight,
                                             const TraceSink& sink) {
    if (!mask.isWellFormed() || mask.width != imageWidth || mask.height != imageHeight) return std::nullopt;
    const auto box = mask.boundingBox();
    if (!box) return std::nullopt;
    const double w = imageWidth, h = imageHeight;
    const double subjectArea = mask.coverageShare() * w * h;
    const double radius = 0.05 * std::max(mask.width, mask.height);
    const std::string boxText = "(" + trace::shortest(box->x) + ", " + trace::shortest(box->y) + ", " +
                                trace::shortest(box->width) + ", " + trace::shortest(box->height) + ")";

    std::optional<FaceCorners> best;
    double bestArea = 0;
    for (const auto& observation : observations) {
        const FaceCorners corners{observation.topLeft, observation.topRight, observation.bottomRight,
                                  observation.bottomLeft};
        const double area = std::abs(icon_geometry::signedArea(corners.points()));
        const auto points = corners.points();
        // A corner on the subject, or on its edge; one that is not a number is neither.
        const bool inside = corners.isFinite() && std::all_of(points.begin(), points.end(), [&](Vector2 p) {
                                const double rx = std::round(p.x), ry = std::round(p.y);
                                const bool onMask =
                                    rx >= 0 && ry >= 0 && rx < w && ry < h &&
                                    insideAt(mask, static_cast<long long>(rx), static_cast<long long>(ry));
                                return onMask || passesEdgeTest(p, radius, mask);
                            });
        trace::line(sink, traceVariable,
                    "    quad conf " + NumberText::fixed(observation.confidence, 2) + " aire " +
                        NumberText::fixed(area / subjectArea, 2) + " dedans " + (inside ? "oui" : "non"));
        if (!inside || !(area >= 0.6 * subjectArea && area <= 1.15 * subjectArea)) continue;

        int sides = 0;
        for (int i = 0; i < 4; ++i) {
            const Vector2 from = points[i], to = points[(i + 1) % 4];
            int onEdge = 0;
            for (int k = 1; k <= 9; ++k) {
                if (passesEdgeTest(from.lerp(to, k / 10.0), radius, mask)) ++onEdge;
            }
            if (onEdge >= 6) ++sides;
        }
        trace::line(sink, traceVariable,
                    "      côtés sur la silhouette : " + NumberText::integer(sides) + " ; coins " +
                        truncatedPoint(points[0]) + " " + truncatedPoint(points[1]) + " " + truncatedPoint(points[2]) +
                        " " + truncatedPoint(points[3]) + " ; objet " + boxText);
        if (sides >= 3 && area > bestArea) {
            best = corners;
            bestArea = area;
        }
    }
    return best;
}

std::optional<FaceCorners> rectangleCandidates(const Photo& photo, const SubjectMask& mask,
                                               const RectangleDetector& detector, const TraceSink& sink) {
    if (photo.isEmpty() || !mask.isWellFormed() || mask.width != photo.width() || mask.height != photo.height()) {
        return std::nullopt;
    }
    const auto box = mask.boundingBox();
    if (!box) return std::nullopt;
    const auto observations = detector.detect(photo, mask, requestFor(*box, photo.width(), photo.height()), sink);
    if (!observations || observations->empty()) return std::nullopt;
    trace::line(sink, traceVariable,
                "    " + NumberText::integer(static_cast<long long>(observations->size())) + " quadrilatères");
    return bestQuadrilateral(*observations, mask, photo.width(), photo.height(), sink);
}

}  // namespace photo_analysis::face_finding_detail
