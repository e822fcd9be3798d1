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
#include "mask/stage_trace.hpp"
#include "mask/wall_field.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/segmenter.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis {

using cut_out::BackgroundField;

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    return segment(photo, TraceSink{});
}

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo, const TraceSink& sink) const {
    const cut_out::StageTrace trace(sink);
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    const cut_out::CutOutOptions tuning;
    const cut_out::RouteOptions& routes = tuning.routes;
    const cut_out::WallModel wall = cut_out::wallModel(photo, options_, tuning.field, sink);
    const platform::WorkingPhoto& working = wall.working;
    const cv::Mat& small = working.small;
    if (small.cols < 8 || small.rows < 8) throw PhotoAnalysisError::noSubjectFound();

    const BackgroundField& field = wall.field;
    const auto accepted = [&](const cv::Mat& raw, const cv::Mat& subject) {
        return cv::countNonZero(subject) > 0 && cut_out::plausibleSubject(small, raw, subject, tuning.gate, sink);
    };
    const auto finished = [&](const cv::Mat& subject) {
        return cut_out::refinedMap(working, subject, photo.width(), photo.height(), tuning.refine);
    };
    // The overlap over union of two subjects of the same size.
    const auto agreement = [](const cv::Mat& a, const cv::Mat& b) {
        const double common = cv::countNonZero(a & b), either = cv::countNonZero(a | b);
        return either > 0 ? common / either : 0.0;
    };
    // Where the field holds, its threshold taken again at the refining size
    // places a faint edge (a white device on a white wall) better than the
    // guided filter can; it only moves the edge, never adds a region.
    const auto finer = [&](const cv::Mat& subject, const cv::Mat& shadows) {
        const cv::Mat fine = cut_out::finerFieldSubject(working, field, subject, options_.fieldSmoothing,
                                                        tuning.finerEdge, sink, shadows);
        cv::Mat coarse;
        cv::resize(subject, coarse, fine.size(), 0, 0, cv::INTER_NEAREST);
        const double common = cv::countNonZero(fine & coarse), either = cv::countNonZero(fine | coarse);
        const bool kept = either > 0 && common / either >= routes.minimumAgreement;
        if (trace)
            trace("  bord plus fin : accord " + cut_out::traced(agreement(fine, coarse)) +
                  (kept ? ", retenu" : ", écarté"));
        return kept ? fine : subject;
    };
    // GrabCut seeded from the field's subject, then that subject itself when
    // GrabCut strays from it (lost in a faint subject's colours).
    const bool textured = wall.textured;
    const auto fieldRoute = [&]() -> cv::Mat {
        if (trace) trace("  voie du champ");
        const cv::Mat distance = cut_out::fieldDistance(small, field, options_.fieldSmoothing);
        const cv::Mat departs = cut_out::fieldSubject(small, distance, field, tuning.departures, sink);
        // The wall's shade is told by the field, which a textured wall strays from.
        const cv::Mat region =
            textured ? departs : cut_out::withoutShadows(working, field, distance, departs, tuning.shadows, sink);
        if (cv::countNonZero(region) == 0) {
            if (trace) trace("  voie du champ : rien ne s'en écarte");
            return {};
        }
        // On a textured wall the field's subject stands alone: GrabCut there
        // already had its turn from the border band.
        if (textured) {
            if (accepted(region, region)) {
                if (trace) trace("  voie du champ : son sujet retenu, seul sur un mur texturé");
                return region;
            }
            return cv::Mat();
        }
        const cv::Mat cut = platform::withoutThinLines(cut_out::seededCut(
            small, distance, field, region, departs & ~region, options_.iterations, tuning.seeds, sink));
        const double common = cv::countNonZero(cut & region), either = cv::countNonZero(cut | region);
        // Beside shadows taken off over more than a sliver, the edge stays where
        // GrabCut placed it: the finer threshold would take the shadow back.
        const cv::Mat shadows = departs & ~region;
        const bool shaded = cv::countNonZero(shadows) > routes.shadedShare * cv::countNonZero(region);
        const auto placed = [&](const cv::Mat& subject) {
            return cut_out::withinClosedOutline(working, finer(subject, shaded ? shadows : cv::Mat()), tuning, sink);
        };
        const bool agrees = either > 0 && common / either >= routes.minimumAgreement;
        if (trace)
            trace("  GrabCut semé : accord avec le sujet du champ " + cut_out::traced(agreement(cut, region)) +
                  (agrees ? "" : ", trop faible"));
        if (agrees && accepted(cut, cut)) {
            if (trace) trace("  voie du champ : GrabCut semé retenu");
            return placed(cut);
        }
        if (accepted(region, region)) {
            if (trace) trace("  voie du champ : le sujet du champ retenu");
            return placed(region);
        }
        // A light device on a wall of its own shade departs from the wall only
        // along its side and its shade: the outline those close may still be
        // a device where they are not.
        if (trace) trace("  voie du champ : le contour fermé qu'entoure le sujet du champ, peut-être");
        return cut_out::closedOutlineAround(working, region, tuning, sink).value_or(cv::Mat());
    };
    const auto bandRoute = [&]() -> cv::Mat {
        if (trace) trace("  voie de la bande du bord");
        cv::Mat raw;
        const cv::Mat subject =
            cut_out::bandCut(small, options_.borderBand, options_.iterations, options_.dither, raw, sink);
        if (accepted(raw, subject)) {
            if (trace) trace("  voie de la bande du bord : retenue");
            return subject;
        }
        return {};
    };
    // The band's noise about the field tells a textured wall, where the field
    // does not hold, from a plain or graded one; each kind tries the other's
    // route second.
    // A texture filling the frame: nothing inside that the border lacks.
    if (textured) {
        const double foreign = cut_out::foreignShare(small, options_.fieldBand);
        if (trace)
            trace("  segmenteur : couleurs absentes du bord " + cut_out::percent(foreign) +
                  (foreign < routes.minimumForeignShare ? ", moins de " + cut_out::percent(routes.minimumForeignShare) +
                                                              " : une texture seule, aucun sujet"
                                                        : ""));
        if (foreign < routes.minimumForeignShare) throw PhotoAnalysisError::noSubjectFound();
    }
    cv::Mat subject = textured ? bandRoute() : fieldRoute();
    if (subject.empty()) subject = textured ? fieldRoute() : bandRoute();
    if (subject.empty()) {
        if (trace) trace("  segmenteur : aucune voie n'a donné de sujet");
        throw PhotoAnalysisError::noSubjectFound();
    }
    return finished(subject);
}

}  // namespace photo_analysis
