#include "mask/closed_outline.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "mask/edge_bridging.hpp"
#include "mask/hue_side.hpp"
#include "mask/plausibility_gate.hpp"
#include "mask/soft_shade.hpp"
#include "mask/stage_trace.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::regionsOnBorder;
using platform::WorkingPhoto;

namespace {

// The convex hull of what `binary` holds, filled; empty when it holds under
// three points. Its outer contours' corners span the same hull as every pixel.
cv::Mat filledHull(const cv::Mat& binary) {
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(binary.clone(), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    std::vector<cv::Point> points;
    for (const auto& contour : contours) points.insert(points.end(), contour.begin(), contour.end());
    cv::Mat inside = cv::Mat::zeros(binary.size(), CV_8U);
    if (points.size() < 3) return inside;
    std::vector<cv::Point> hull;
    cv::convexHull(points, hull);
    cv::fillConvexPoly(inside, hull, cv::Scalar(255));
    return inside;
}

}  // namespace

std::optional<cv::Mat> closedOutlineAround(const WorkingPhoto& working, const cv::Mat& subject,
                                           const CutOutOptions& options, const TraceSink& sink,
                                           const CastShadows& cast) {
    const OutlineOptions& tuning = options.outline;
    const StageTrace trace(sink);
    // Nothing, and why when traced.
    const auto none = [&](const auto& why) -> std::optional<cv::Mat> {
        if (trace) trace("  contour fermé : aucun, " + std::string(why()));
        return std::nullopt;
    };
    const cv::Mat& fine = working.refine;
    if (fine.cols < 16 || fine.rows < 16 || cv::countNonZero(subject) == 0)
        return none([] { return "une photo trop petite ou un sujet vide"; });
    cv::Mat grey;
    cv::cvtColor(fine, grey, cv::COLOR_RGB2GRAY);
    cv::GaussianBlur(grey, grey, cv::Size(0, 0), tuning.smoothing);
    cv::Mat dx, dy, slope;
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    // The wall's own slopes: noise and light falling off, read along the border.
    const int band = std::max(2, static_cast<int>(std::lround(tuning.wallBand * std::max(fine.cols, fine.rows))));
    std::vector<float> wall;
    for (int y = 0; y < fine.rows; ++y) {
        const float* s = slope.ptr<float>(y);
        const bool edgeRow = y < band || y >= fine.rows - band;
        for (int x = 0; x < fine.cols; ++x) {
            if (!edgeRow && x >= band && x < fine.cols - band) x = fine.cols - band;
            wall.push_back(s[x]);
        }
    }
    const auto middle = wall.begin() + static_cast<std::ptrdiff_t>(wall.size() / 2);
    std::nth_element(wall.begin(), middle, wall.end());
    const double typical = *middle;
    // Canny's hysteresis on the slopes: its thresholds are in units of the
    // unnormalised 3 × 3 Sobel, eight times a slope per pixel.
    cv::Mat edges;
    cv::Canny(grey, edges, 8.0 * std::max(tuning.leastEdgeSlope, tuning.weakEdgeSlopes * typical),
              8.0 * std::max(2 * tuning.leastEdgeSlope, tuning.strongEdgeSlopes * typical), 3, true);
    const double longer = std::max(fine.cols, fine.rows);
    cv::Mat given;
    cv::resize(subject, given, fine.size(), 0, 0, cv::INTER_NEAREST);
    // A corner or a side drawn across the subject's own body joins edges of
    // its print or its parts, not of its outline.
    const int depth = std::max(2, static_cast<int>(std::lround(tuning.bodyDepthShare * longer)));
    // Shrunk by `depth` through the distance to the edge: a round erosion that
    // costs the same whatever its reach.
    const auto shrunk = [&](const cv::Mat& binary) {
        cv::Mat distance;
        cv::distanceTransform(binary, distance, cv::DIST_L2, cv::DIST_MASK_5);
        return cv::Mat(distance > depth);
    };
    const cv::Mat body = shrunk(given);
    const cv::Mat givenHull = filledHull(given);
    const cv::Mat hull = shrunk(givenHull);
    bridgeGaps(edges, body, hull, tuning.gapShare * longer, tuning.straightGapShare * longer,
               tuning.sideGapShare * longer, options.bridges, sink);
    // Sealed: a gap of a pixel in an outline is still an outline.
    cv::dilate(edges, edges, cv::Mat());

    // The wall: open pixels the border reaches.
    cv::Mat open = edges == 0, regions;
    const int count = cv::connectedComponents(open, regions, 4, CV_32S);
    const std::vector<char> wallRegion = regionsOnBorder(regions, count);
    cv::Mat enclosed(fine.size(), CV_8U);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = regions.ptr<int>(y);
        const std::uint8_t* e = edges.ptr<std::uint8_t>(y);
        std::uint8_t* q = enclosed.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x) q[x] = (e[x] || !wallRegion[static_cast<std::size_t>(r[x])]) ? 255 : 0;
    }
    // The enclosed stretches that reach into the subject, the sealing taken back.
    cv::Mat pieces;
    const int pieceCount = cv::connectedComponents(enclosed, pieces, 4, CV_32S);
    std::vector<char> holds(static_cast<std::size_t>(pieceCount), 0);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = pieces.ptr<int>(y);
        const std::uint8_t* g = given.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x)
            if (g[x]) holds[static_cast<std::size_t>(r[x])] = 1;
    }
    cv::Mat outline(fine.size(), CV_8U);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = pieces.ptr<int>(y);
        std::uint8_t* q = outline.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x) q[x] = r[x] > 0 && holds[static_cast<std::size_t>(r[x])] ? 255 : 0;
    }
    outline = largestFilled(outline);
    cv::erode(outline, outline, cv::Mat());
    const double before = cv::countNonZero(given);
    // The subject may run a pixel or two past the outline's edge and still lie within it.
    const cv::Mat slack =
        cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * tuning.slack + 1, 2 * tuning.slack + 1));
    cv::Mat reach;
    cv::dilate(outline, reach, slack);
    // Whether the outline lies within the subject's hull: a subject around it
    // rather than a part of it.
    const auto outlineWithinHull = [&] {
        if (cv::countNonZero(givenHull) == 0) return false;
        return cv::countNonZero(outline & ~givenHull) <= (1.0 - tuning.shadeAroundShare) * cv::countNonZero(outline);
    };
    // What is thicker than a sliver of the longer side.
    const int sliver = std::max(2, static_cast<int>(std::lround(tuning.sliverShare * longer)));
    const auto withoutSlivers = [&](const cv::Mat& binary) {
        cv::Mat opened;
        cv::morphologyEx(binary, opened, cv::MORPH_OPEN,
                         cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * sliver + 1, 2 * sliver + 1)));
        return opened;
    };
    // What the subject holds outside the outline, thicker than a sliver and
    // not the wall's soft shade.
    double shade = 0;
    const auto keptOutside = [&] {
        const cv::Mat rest = withoutSlivers(given & ~reach);
        cv::Mat kept = withoutSoftShade(fine, rest, given, edges, reach, options.softShade, sink);
        shade = cv::countNonZero(rest & ~kept);
        cv::dilate(kept, kept, slack);
        return cv::Mat(kept & given);
    };
    cv::Mat grown;
    const double held = cv::countNonZero(reach & given);
    if (trace)
        trace("  contour fermé : " + traced(cv::countNonZero(outline)) + " px, tient " + percent(held / before) +
              " du sujet");
    if (held >= tuning.wholeShare * before) {
        // The outline holds the whole subject: its edges are the photo's own.
        if (trace) trace("  contour fermé : il tient tout le sujet, ses bords sont ceux de la photo");
        grown = largestFilled(outline | sideOfAnotherHue(fine, outline, options.hueSide, sink));
    } else if (held >= tuning.partShare * before) {
        // It holds most of it (the face, say, beside a side of the body whose
        // edge with the wall stays open): the outline's edges where it has
        // them, and of the rest only what is thicker than a sliver.
        if (trace) trace("  contour fermé : il tient la plus grande part, le reste sans ses ombres douces");
        grown = largestFilled(outline | keptOutside() | sideOfAnotherHue(fine, outline, options.hueSide, sink));
    } else if (outlineWithinHull()) {
        // The subject hugs the outline from outside: a light device on a wall
        // of its own shade, found by the shade about it and its darker side.
        if (trace) trace("  contour fermé : le sujet l'entoure, l'ombre et le côté d'un appareil");
        grown = outline.clone();
    } else {
        // Only whole stretches of the device the subject lacked: the slivers
        // along its edge where a broken outline runs a pixel outside it are
        // left out. Of the subject, the soft shade beside them goes too: the
        // outline is the device's, the rest may be the shadow about it.
        const cv::Mat added = withoutSlivers(outline & ~given);
        const double addedArea = cv::countNonZero(added);
        if (addedArea < tuning.leastAddedShare * before)
            return none([&] {
                return "il ajoute " + percent(addedArea / before) + " du sujet, moins de " +
                       percent(tuning.leastAddedShare);
            });
        if (trace) trace("  contour fermé : il ajoute " + percent(addedArea / before) + " du sujet");
        grown = largestFilled(outline | added | keptOutside());
    }
    // A shadow lies outside the device, however sharp the edges it adds to the
    // outline; its faint fringe only away from the subject's own edge.
    const auto atFineSize = [&](const cv::Mat& shadows) {
        cv::Mat fine = cv::Mat::zeros(given.size(), CV_8U);
        if (!shadows.empty()) cv::resize(shadows, fine, given.size(), 0, 0, cv::INTER_NEAREST);
        return fine;
    };
    if (const cv::Mat core = atFineSize(cast.core), fringe = atFineSize(cast.fringe);
        cv::countNonZero(core | fringe) > 0) {
        cv::Mat near;
        cv::dilate(given, near, slack);
        if (const cv::Mat off = grown & (core | (fringe & ~near)); cv::countNonZero(off) > 0)
            grown = largestFilled(grown & ~off);
    }
    const double after = cv::countNonZero(grown);
    // The soft shade taken off is no loss of the device.
    if (!(after > tuning.leastKeptShare * (before - shade)) || after > tuning.largestGrowth * before)
        return none([&] { return "le sujet passerait à " + percent(after / before) + " de lui-même"; });
    if (shade > tuning.largestShadeShare * after)
        return none([&] {
            return "l'ombre douce ôtée, " + traced(static_cast<int>(shade)) + " px, passe ce qui reste : l'appareil";
        });
    const int margin = std::max(1, static_cast<int>(std::lround(tuning.borderShare * longer)));
    const cv::Rect inner(margin, margin, fine.cols - 2 * margin, fine.rows - 2 * margin);
    if (cv::countNonZero(grown) != cv::countNonZero(grown(inner)))
        return none([] { return "il touche le bord de la photo"; });
    cv::Mat small;
    cv::resize(grown, small, working.small.size(), 0, 0, cv::INTER_AREA);
    small = largestFilled(small >= SubjectMask::insideThreshold);
    if (cv::countNonZero(small) == 0 || !plausibleSubject(working.small, small, small, options.gate, sink))
        return none([] { return "le sujet qu'il ferme est refusé"; });
    if (trace) trace("  contour fermé : retenu, " + traced(static_cast<int>(after)) + " px");
    return grown;
}

cv::Mat withinClosedOutline(const WorkingPhoto& working, const cv::Mat& subject, const CutOutOptions& options,
                            const TraceSink& sink, const CastShadows& cast) {
    return closedOutlineAround(working, subject, options, sink, cast).value_or(subject);
}

}  // namespace photo_analysis::cut_out
