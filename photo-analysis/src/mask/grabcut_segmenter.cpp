#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "mask/band_cut.hpp"
#include "mask/closed_outline.hpp"
#include "mask/cut_out_options.hpp"
#include "mask/field_subject.hpp"
#include "mask/finer_edge.hpp"
#include "mask/plausibility_gate.hpp"
#include "mask/refined_map.hpp"
#include "mask/seeded_cut.hpp"
#include "mask/shadows.hpp"
#include "mask/wall_field.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/segmenter.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis {

using cut_out::BackgroundField;

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    const cut_out::CutOutOptions tuning;
    const cut_out::RouteOptions& routes = tuning.routes;
    const cut_out::WallModel wall = cut_out::wallModel(photo, options_, tuning.field);
    const platform::WorkingPhoto& working = wall.working;
    const cv::Mat& small = working.small;
    if (small.cols < 8 || small.rows < 8) throw PhotoAnalysisError::noSubjectFound();

    const BackgroundField& field = wall.field;
    const auto accepted = [&](const cv::Mat& raw, const cv::Mat& subject) {
        return cv::countNonZero(subject) > 0 && cut_out::plausibleSubject(small, raw, subject, tuning.gate);
    };
    const auto finished = [&](const cv::Mat& subject) {
        return cut_out::refinedMap(working, subject, photo.width(), photo.height(), tuning.refine);
    };
    // Where the field holds, its threshold taken again at the refining size
    // places a faint edge (a white device on a white wall) better than the
    // guided filter can; it only moves the edge, never adds a region.
    const auto finer = [&](const cv::Mat& subject) {
        const cv::Mat fine =
            cut_out::finerFieldSubject(working, field, subject, options_.fieldSmoothing, tuning.finerEdge);
        cv::Mat coarse;
        cv::resize(subject, coarse, fine.size(), 0, 0, cv::INTER_NEAREST);
        const double common = cv::countNonZero(fine & coarse), either = cv::countNonZero(fine | coarse);
        return either > 0 && common / either >= routes.minimumAgreement ? fine : subject;
    };
    // GrabCut seeded from the field's subject, then that subject itself when
    // GrabCut strays from it (lost in a faint subject's colours).
    const bool textured = wall.textured;
    const auto fieldRoute = [&]() -> cv::Mat {
        const cv::Mat distance = cut_out::fieldDistance(small, field, options_.fieldSmoothing);
        const cv::Mat departs = cut_out::fieldSubject(small, distance, field, tuning.departures);
        const cv::Mat region = cut_out::withoutShadows(working, field, departs, tuning.shadows);
        if (cv::countNonZero(region) == 0) return {};
        // On a textured wall the field's subject stands alone: GrabCut there
        // already had its turn from the border band.
        if (textured) return accepted(region, region) ? region : cv::Mat();
        const cv::Mat cut = platform::withoutThinLines(
            cut_out::seededCut(small, distance, field, region, departs & ~region, options_.iterations, tuning.seeds));
        const double common = cv::countNonZero(cut & region), either = cv::countNonZero(cut | region);
        // Beside a shadow taken off, the threshold would take the shadow back.
        const bool shaded = cv::countNonZero(departs & ~region) > routes.shadedShare * cv::countNonZero(region);
        const auto placed = [&](const cv::Mat& subject) {
            return cut_out::withinClosedOutline(working, shaded ? subject : finer(subject), tuning);
        };
        if (either > 0 && common / either >= routes.minimumAgreement && accepted(cut, cut)) return placed(cut);
        if (accepted(region, region)) return placed(region);
        // A light device on a wall of its own shade departs from the wall only
        // along its side and its shade: the outline those close may still be
        // a device where they are not.
        return cut_out::closedOutlineAround(working, region, tuning).value_or(cv::Mat());
    };
    const auto bandRoute = [&]() -> cv::Mat {
        cv::Mat raw;
        const cv::Mat subject = cut_out::bandCut(small, options_.borderBand, options_.iterations, options_.dither, raw);
        if (accepted(raw, subject)) return subject;
        return {};
    };
    // The band's noise about the field tells a textured wall, where the field
    // does not hold, from a plain or graded one; each kind tries the other's
    // route second.
    // A texture filling the frame: nothing inside that the border lacks.
    if (textured && cut_out::foreignShare(small, options_.fieldBand) < routes.minimumForeignShare)
        throw PhotoAnalysisError::noSubjectFound();
    cv::Mat subject = textured ? bandRoute() : fieldRoute();
    if (subject.empty()) subject = textured ? fieldRoute() : bandRoute();
    if (subject.empty()) throw PhotoAnalysisError::noSubjectFound();
    return finished(subject);
}

}  // namespace photo_analysis
