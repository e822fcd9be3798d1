#include "mask/cut_out.hpp"

#include <cstddef>
#include <opencv2/imgproc.hpp>
#include <optional>
#include <utility>

#include "mask/alpha_subject.hpp"
#include "mask/band_cut.hpp"
#include "mask/clean_up.hpp"
#include "mask/closed_outline.hpp"
#include "mask/field_subject.hpp"
#include "mask/finer_edge.hpp"
#include "mask/plausibility_gate.hpp"
#include "mask/product_shot.hpp"
#include "mask/refined_map.hpp"
#include "mask/seeded_cut.hpp"
#include "mask/shadows.hpp"
#include "mask/stage_trace.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

namespace {

// The overlap over union of two subjects of the same size.
double agreement(const cv::Mat& a, const cv::Mat& b) {
    const double common = cv::countNonZero(a & b), either = cv::countNonZero(a | b);
    return either > 0 ? common / either : 0.0;
}

// The ways to the subject on a photo of a wall, each an empty matrix when it
// finds nothing the gate accepts.
class Routes {
public:
    Routes(const WallModel& wall, const CutOutOptions& options, Segmentation segmentation, const TraceSink& sink)
        : wall_(wall),
          small_(wall.working.small),
          options_(options),
          grabCut_(segmentation == Segmentation::grabCut),
          sink_(sink),
          trace_(sink) {}

    // What departs from the field, its shadows taken off; GrabCut seeded from
    // it when it is a stage; the edge placed at the refining size and grown to
    // the closed outline around it. Where the field's subject itself is
    // refused, the closed outline it lies around.
    cv::Mat field() const {
        if (trace_) trace_("  voie du champ");
        const FieldSubject seen = fieldSubjectOf();
        if (seen.subject.empty()) return {};
        if (grabCut_) {
            const cv::Mat cut =
                platform::withoutThinLines(seededCut(small_, seen.distance, wall_.field, seen.subject, seen.shadows,
                                                     options_.grabCut.iterations, options_.seeds, sink_));
            // GrabCut strays from a faint subject into its colours: then the
            // field's subject stands alone.
            const double agrees = agreement(cut, seen.subject);
            const bool kept = agrees >= options_.routes.minimumAgreement;
            if (trace_)
                trace_("  GrabCut semé : accord avec le sujet du champ " + traced(agrees) +
                       (kept ? "" : ", trop faible"));
            if (kept && accepted(cut, cut)) {
                if (trace_) trace_("  voie du champ : GrabCut semé retenu");
                return placed(cut, seen);
            }
        }
        if (accepted(seen.subject, seen.subject)) {
            if (trace_) trace_("  voie du champ : le sujet du champ retenu");
            return placed(seen.subject, seen);
        }
        // A light device on a wall of its own shade departs from the wall only
        // along its side and its shade: the outline those close may still be a
        // device where they are not.
        if (trace_) trace_("  voie du champ : le contour fermé qu'entoure le sujet du champ, peut-être");
        return closedOutlineAround(wall_.working, seen.subject, options_, sink_, seen.cast).value_or(cv::Mat());
    }

    // GrabCut from a band of probable background along the border, where the
    // field does not hold (a textured wall) or found nothing.
    cv::Mat band() const {
        if (!grabCut_) return {};
        if (trace_) trace_("  voie de la bande du bord");
        cv::Mat raw;
        const cv::Mat subject = bandCut(small_, options_.grabCut.borderBand, options_.grabCut.iterations,
                                        options_.grabCut.dither, raw, sink_);
        if (!accepted(raw, subject)) return {};
        if (trace_) trace_("  voie de la bande du bord : retenue");
        return subject;
    }

    // On a textured wall, which the field strays from and whose shade it does
    // not tell: what departs from it, alone.
    cv::Mat departures() const {
        if (trace_) trace_("  voie du champ, seul sur un mur texturé");
        const cv::Mat distance = fieldDistance(small_, wall_.field, options_.field.smoothing);
        const cv::Mat departs = fieldSubject(small_, distance, wall_.field, options_.departures, sink_);
        if (!accepted(departs, departs)) return {};
        if (trace_) trace_("  voie du champ : son sujet retenu");
        return departs;
    }

private:
    struct FieldSubject {
        cv::Mat distance;
        cv::Mat subject;   // empty when nothing departs
        cv::Mat shadows;   // taken off it
        CastShadows cast;  // of those, the ones surely no device
    };
    FieldSubject fieldSubjectOf() const {
        FieldSubject seen;
        seen.distance = fieldDistance(small_, wall_.field, options_.field.smoothing);
        cv::Mat departs = fieldSubject(small_, seen.distance, wall_.field, options_.departures, sink_);
        Peel peel = withoutShadows(wall_.working, wall_.field, seen.distance, departs, options_.shadows, sink_);
        // A subject that is a shadow alone lies beside its device, which departs
        // less than it: the device is the largest of what else departs, and the
        // shadow goes with those it casts. Where nothing else is found, the
        // shadow is all there is to go on, kept whole as any subject the peel
        // would take most of: the outline it closes may be the device's.
        const Peel whole = peel;
        cv::Mat shade = cv::Mat::zeros(small_.size(), CV_8U);
        for (int turn = 0; peel.onlyShade && turn < options_.shadows.shadowsAlone; ++turn) {
            if (trace_) trace_("  voie du champ : une ombre seule, l'appareil est ailleurs");
            cv::Mat reach;
            cv::dilate(departs, reach, cv::Mat(), cv::Point(-1, -1), 2);
            shade |= reach;
            const cv::Mat rest = fieldSubject(small_, seen.distance, wall_.field, options_.departures, sink_, shade);
            if (cv::countNonZero(rest) == 0) break;
            departs = rest;
            peel = withoutShadows(wall_.working, wall_.field, seen.distance, departs, options_.shadows, sink_);
        }
        if (peel.onlyShade) {
            peel = whole;
            shade.setTo(0);
        }
        if (cv::countNonZero(peel.subject) == 0) {
            if (trace_) trace_("  voie du champ : rien ne s'en écarte");
            return seen;
        }
        seen.subject = std::move(peel.subject);
        seen.shadows = std::move(peel.shadows) | (shade & ~seen.subject);
        seen.cast = std::move(peel.cast);
        seen.cast.core |= shade & ~seen.subject;
        return seen;
    }

    bool accepted(const cv::Mat& raw, const cv::Mat& subject) const {
        return cv::countNonZero(subject) > 0 && plausibleSubject(small_, raw, subject, options_.gate, sink_);
    }

    // The subject's edge taken again at the refining size where the field
    // holds: it places a faint edge (a white device on a white wall) better
    // than the guided filter can, and only moves the edge, never adds a region.
    // Then grown to the closed outline around it. Beside shadows taken off over
    // more than a sliver, the edge stays where the working size placed it: the
    // finer threshold would take the shadow back.
    cv::Mat placed(const cv::Mat& subject, const FieldSubject& seen) const {
        const cv::Mat& shadows = seen.shadows;
        const bool shaded = cv::countNonZero(shadows) > options_.routes.shadedShare * cv::countNonZero(subject);
        const cv::Mat fine = finerFieldSubject(wall_.working, wall_.field, subject, options_.field.smoothing,
                                               options_.finerEdge, sink_, shaded ? shadows : cv::Mat());
        cv::Mat coarse;
        cv::resize(subject, coarse, fine.size(), 0, 0, cv::INTER_NEAREST);
        const double agrees = agreement(fine, coarse);
        const bool kept = agrees >= options_.routes.minimumAgreement;
        if (trace_) trace_("  bord plus fin : accord " + traced(agrees) + (kept ? ", retenu" : ", écarté"));
        return withinClosedOutline(wall_.working, kept ? fine : subject, options_, sink_, seen.cast);
    }

    const WallModel& wall_;
    const cv::Mat& small_;
    const CutOutOptions& options_;
    bool grabCut_;
    const TraceSink& sink_;
    StageTrace trace_;
};

// On a product shot, the background colour at the photo's own size, when the
// gate accepts what it finds.
std::optional<SubjectMask> productRoute(const Photo& photo, const WallModel& wall, const CutOutOptions& options,
                                        const TraceSink& sink) {
    try {
        SubjectMask mask = finishedMask(productSubject(photo, options.productShot, options.weighing, sink));
        if (plausibleMask(wall, mask.coverage, mask.width, mask.height, options.gate, sink)) return mask;
    } catch (const PhotoAnalysisError&) {
        if (const StageTrace trace(sink); trace) trace("  couleur du fond : aucun sujet");
    }
    return std::nullopt;
}

// A finished mask from the photo's alpha or a product shot, or the map the
// wall's routes give, still to be finished.
struct CutOut {
    std::optional<SubjectMask> finished;
    ProbabilityMap map;
};

CutOut cutOut(const Photo& photo, const CutOutOptions& options, Segmentation segmentation, const TraceSink& sink) {
    const StageTrace trace(sink);
    const auto none = [&](const char* why) {
        if (trace) trace(std::string("  découpe : aucun sujet, ") + why);
        return PhotoAnalysisError::noSubjectFound();
    };
    if (photo.isEmpty()) throw none("une photo vide");
    // A photo with real transparency shows the outline of what it holds itself.
    if (std::optional<SubjectMask> mask = alphaSubject(photo, options.alpha, sink)) {
        if (trace) trace("  découpe : donnée par la transparence de la photo");
        return {finishedMask(*std::move(mask)), {}};
    }
    const WallModel wall = wallModel(photo, options.sizes, options.field, sink);
    if (wall.field.colours.empty()) throw none("une photo trop petite pour en juger");
    // A product shot: the device alone on one flat colour, every level of
    // which the background colour at the photo's own size follows.
    if (isProductShot(photo, options.productShot, sink)) {
        if (std::optional<SubjectMask> mask = productRoute(photo, wall, options, sink)) {
            if (trace) trace("  découpe : donnée par la couleur du fond d'une photo de produit");
            return {std::move(mask), {}};
        }
    }
    const Routes routes(wall, options, segmentation, sink);
    cv::Mat subject;
    if (wall.textured) {
        // A texture filling the frame: nothing inside that the border lacks.
        const double foreign = foreignShare(wall.working.small, options.field.band);
        const bool alone = foreign < options.routes.minimumForeignShare;
        if (trace)
            trace("  découpe : couleurs absentes du bord " + percent(foreign) +
                  (alone ? ", moins de " + percent(options.routes.minimumForeignShare) + " : une texture seule" : ""));
        if (alone) throw none("une texture seule");
        subject = routes.band();
        if (subject.empty()) subject = routes.departures();
    } else {
        subject = routes.field();
        if (subject.empty()) subject = routes.band();
    }
    if (subject.empty()) throw none("aucune voie n'a donné de sujet");
    if (trace) trace("  découpe : donnée par le mur");
    return {std::nullopt, refinedMap(wall.working, subject, photo.width(), photo.height(), options.refine)};
}

}  // namespace

SubjectMask run(const Photo& photo, const CutOutOptions& options, Segmentation segmentation, const TraceSink& sink) {
    CutOut found = cutOut(photo, options, segmentation, sink);
    if (found.finished) return *std::move(found.finished);
    return SubjectExtraction::maskFromProbability(found.map, photo.width(), photo.height());
}

ProbabilityMap runToMap(const Photo& photo, const CutOutOptions& options, Segmentation segmentation,
                        const TraceSink& sink) {
    CutOut found = cutOut(photo, options, segmentation, sink);
    if (!found.finished) return std::move(found.map);
    ProbabilityMap map;
    map.width = found.finished->width;
    map.height = found.finished->height;
    map.format = ProbabilityMap::Format::byte;
    map.bytesPerRow = static_cast<std::size_t>(map.width);
    map.bytes = std::move(found.finished->coverage);
    return map;
}

}  // namespace photo_analysis::cut_out
