#include "face/rectangle_detector.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "face/rectangle_detector_stages.hpp"
#include "icon_geometry/number_text.hpp"
#include "platform/line_segments.hpp"
#include "trace.hpp"

namespace photo_analysis {

namespace rectangle_stages {

std::vector<Quad> proposals(const std::vector<Quad>& quads, const Nesting& nesting, int maximum,
                            const RectangleDetectorOptions& o) {
    std::vector<std::pair<bool, Quad>> kept;
    for (std::size_t q = 0; q < quads.size(); ++q) {
        if (!nesting.droppedFor[q]) kept.push_back({nesting.cutFrom[q].has_value(), quads[q]});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const auto& l, const auto& r) {
        if (l.first != r.first) return !l.first;
        const Quad &a = l.second, &b = r.second;
        return a.confidence != b.confidence ? a.confidence > b.confidence : a.area > b.area;
    });
    // Near-duplicates keep the first.
    std::vector<Quad> distinct;
    for (const auto& entry : kept) {
        const Quad& q = entry.second;
        const bool duplicate = std::any_of(distinct.begin(), distinct.end(), [&](const Quad& d) {
            for (int c = 0; c < 4; ++c) {
                if (d.corners[c].distance(q.corners[c]) > o.duplicateDistance) return false;
            }
            return true;
        });
        if (!duplicate) distinct.push_back(q);
        if (static_cast<int>(distinct.size()) >= maximum) break;
    }

    return distinct;
}

}  // namespace rectangle_stages

std::optional<std::vector<RectangleObservation>> SegmentRectangleDetector::detect(const Photo& photo,
                                                                                  const SubjectMask& mask,
                                                                                  const RectangleRequest& request,
                                                                                  const TraceSink& trace) const {
    using namespace rectangle_stages;
    constexpr const char* traceVariable = "FACE_DEBUG";
    const RectangleDetectorOptions& o = options_;
    const int width = photo.width(), height = photo.height();
    if (photo.isEmpty() || mask.width != width || mask.height != height || !mask.isWellFormed()) return std::nullopt;
    const auto& roi = request.regionOfInterest;
    if (!std::isfinite(roi.left) || !std::isfinite(roi.top) || !std::isfinite(roi.right) ||
        !std::isfinite(roi.bottom)) {
        return std::nullopt;
    }
    // The region in whole photo pixels, rounded outward.
    const int x0 = static_cast<int>(std::clamp(std::floor(roi.left), 0.0, double(width)));
    const int x1 = static_cast<int>(std::clamp(std::ceil(roi.right), 0.0, double(width)));
    const int y0 = static_cast<int>(std::clamp(std::floor(roi.top), 0.0, double(height)));
    const int y1 = static_cast<int>(std::clamp(std::ceil(roi.bottom), 0.0, double(height)));
    if (x1 - x0 < 8 || y1 - y0 < 8) return std::vector<RectangleObservation>{};

    const platform::RegionEdges edges =
        platform::regionEdges(photo, mask.coverage, SubjectMask::insideThreshold, {x0, y0, x1, y1}, o.workingSide);
    const double scale = edges.scale;
    // Image edges and the silhouette's straight runs: a face edge against a
    // background of the same shade is only seen in the mask.
    std::vector<Segment> segments = edges.greyEdges;
    segments.insert(segments.end(), edges.insideEdges.begin(), edges.insideEdges.end());
    const std::vector<Segment> faint = faintInnerSegments(edges, o);
    segments.insert(segments.end(), faint.begin(), faint.end());
    const double regionSide = std::min(edges.width, edges.height);
    const std::size_t segmentCount = segments.size();
    const double shortestLine = o.shortestLineShare * regionSide;
    auto lines = collinearLines(std::move(segments), shortestLine, o);
    const std::size_t imageLines = lines.size();
    for (Line& run : uncarriedRuns(outlineRuns(edges.outline, shortestLine,
                                               std::max(o.outlineTolerance, o.outlineToleranceShare * regionSide), o),
                                   lines, o)) {
        lines.push_back(std::move(run));
    }
    namespace NumberText = icon_geometry::NumberText;
    const auto count = [](std::size_t v) { return NumberText::integer(static_cast<long long>(v)); };
    const auto inPhoto = [&](Vector2 p) { return Vector2{p.x / scale + x0, p.y / scale + y0}; };
    const auto pointText = [](Vector2 p) {
        return "(" + NumberText::integer(std::lround(p.x)) + "," + NumberText::integer(std::lround(p.y)) + ")";
    };
    // A line's carried stretch, from end to end.
    const auto lineText = [&](const Line& line) {
        const auto [lo, hi] = extentAlong(line, line);
        return pointText(inPhoto(line.point + line.direction * lo)) + " " +
               pointText(inPhoto(line.point + line.direction * hi));
    };
    const auto cornersText = [&](const Quad& q) {
        std::string text;
        for (const Vector2 c : q.corners) text += (text.empty() ? "" : " ") + pointText(inPhoto(c));
        return text;
    };
    trace::line(trace, traceVariable,
                "    détecteur : " + count(edges.greyEdges.size()) + " segments du gris, " +
                    count(edges.insideEdges.size()) + " du contour, " + count(faint.size()) + " faibles ; " +
                    count(segmentCount) + " en tout ; " + count(imageLines) + " droites des segments, " +
                    count(lines.size() - imageLines) + " du contour");
    if (trace::enabled(trace, traceVariable)) {
        for (std::size_t q = 0; q < lines.size(); ++q) {
            trace::line(trace, traceVariable,
                        "      droite " + count(q) + (q < imageLines ? " des segments " : " du contour ") +
                            lineText(lines[q]) + ", portée " +
                            NumberText::integer(std::lround(lines[q].weight / scale)));
        }
    }
    const Closing closing = closeQuadrilaterals(lines, regionSide, request, edges.width, edges.height, o);
    std::vector<Quad> quads = closing.quads;
    const auto refused = [&](Refusal why) { return count(closing.refusedFor(why)); };
    trace::line(trace, traceVariable,
                "    détecteur : " + count(closing.pairs) + " paires de droites, " + count(quads.size()) +
                    " quadrilatères fermés ; refusés : " + refused(Refusal::outsideRegion) + " hors de la région, " +
                    refused(Refusal::notRightAngled) + " angles, " + refused(Refusal::proportions) + " proportions, " +
                    refused(Refusal::size) + " taille, " + refused(Refusal::confidence) + " confiance, " +
                    refused(Refusal::support) + " appui");

    // Faces whose edge with a side of the body is faint, each within the
    // quadrilateral of the face and the side together.
    std::vector<std::pair<std::size_t, std::size_t>> besideSides;
    const std::size_t closedLines = lines.size();
    CrossingReader crossings(edges, lines, o);
    const std::vector<SideStrip> strips = sideStrips(lines, closing.quads, edges, regionSide, request, crossings, o);
    for (std::size_t q = closedLines; q < lines.size(); ++q)
        trace::line(trace, traceVariable,
                    "    détecteur : droite " + count(q) + " où la teinte change " + lineText(lines[q]));
    for (const SideStrip& strip : strips) {
        trace::line(trace, traceVariable,
                    "    détecteur : " + cornersText(strip.face) + " fermé sur un bord faible : le visage dans " +
                        cornersText(quads[strip.outer]) + ", une bande unie du corps à côté");
        besideSides.push_back({strip.outer, quads.size()});
        quads.push_back(strip.face);
    }
    const Nesting nesting = nestedChoice(lines, quads, edges, crossings, o, besideSides);
    for (std::size_t q = 0; q < quads.size(); ++q) {
        if (nesting.cutFrom[q])
            trace::line(trace, traceVariable,
                        "    détecteur : " + cornersText(quads[q]) + " mis après : un morceau du visage " +
                            cornersText(quads[*nesting.cutFrom[q]]));
        if (nesting.droppedFor[q])
            trace::line(trace, traceVariable,
                        "    détecteur : " + cornersText(quads[q]) + " écarté : le visage " +
                            cornersText(quads[*nesting.droppedFor[q]]) + " et une bande du corps");
    }
    const std::vector<Quad> distinct = proposals(quads, nesting, request.maximumObservations, o);

    std::vector<RectangleObservation> observations;
    for (const auto& q : distinct) {
        trace::line(trace, traceVariable,
                    "    détecteur : proposé " + cornersText(q) + " conf " + NumberText::fixed(q.confidence, 2) +
                        " appui " + NumberText::fixed(q.minimumSupport, 2));
        observations.push_back(
            {inPhoto(q.corners[0]), inPhoto(q.corners[1]), inPhoto(q.corners[2]), inPhoto(q.corners[3]), q.confidence});
    }
    return observations;
}

}  // namespace photo_analysis
