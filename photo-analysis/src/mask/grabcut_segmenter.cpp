#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "mask/refined_map.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/segmenter.hpp"
#include "platform/mask_ops.hpp"
#include "platform/subject_gate.hpp"
#include "platform/subject_model.hpp"

namespace photo_analysis {

namespace {

using platform::BackgroundField;

// The share of the field's subject GrabCut's result must agree with (overlap over union).
constexpr double minimumAgreement = 0.7;
// A subject with shadows taken off over more than this share of its area keeps
// its edges from GrabCut.
constexpr double shadedShare = 0.02;
// On a textured wall, the least share of the inside in colours the border lacks:
// a thin device, a strip or a cable, fills a few hundredths of the frame, where
// a stone's stray grains fill a few thousandths.
constexpr double minimumForeignShare = 0.008;

// On a plain background the colour models grow so narrow that JPEG ringing
// beside the subject reads as subject, a halo of about a block; a little fixed
// noise widens them past such small deviations.
cv::Mat dithered(const cv::Mat& small, double deviation) {
    if (deviation <= 0) return small;
    cv::RNG random(0xd17e);
    cv::Mat noise(small.size(), CV_32FC3);
    random.fill(noise, cv::RNG::NORMAL, 0.0, deviation);
    cv::Mat widened, out;
    small.convertTo(widened, CV_32FC3);
    widened += noise;
    widened.convertTo(out, CV_8UC3);
    return out;
}

// GrabCut started from a band of probable background along the border and
// probable subject inside: no certain labels, so a subject cut by the photo's
// edge can keep its part there.
cv::Mat bandCut(const cv::Mat& rgb, double borderBand, int iterations, cv::Mat& raw) {
    const int band = std::max(2, static_cast<int>(std::lround(borderBand * std::max(rgb.cols, rgb.rows))));
    cv::Mat labels(rgb.size(), CV_8U, cv::Scalar(cv::GC_PR_FGD));
    labels.rowRange(0, band).setTo(cv::GC_PR_BGD);
    labels.rowRange(rgb.rows - band, rgb.rows).setTo(cv::GC_PR_BGD);
    labels.colRange(0, band).setTo(cv::GC_PR_BGD);
    labels.colRange(rgb.cols - band, rgb.cols).setTo(cv::GC_PR_BGD);
    platform::grabCutFromLabels(rgb, labels, iterations);
    raw = (labels == cv::GC_FGD) | (labels == cv::GC_PR_FGD);
    return platform::largestFilled(raw);
}

// The share of the inside in colours (bins of 32 levels a channel) at least
// twice as common there as in the border band. A subject brings colours the
// wall shows less of, all in one place; a texture filling the frame is the same
// inside as along its border, but for a stray grain or two.
double foreignShare(const cv::Mat& rgb, double borderBand) {
    const int band = std::max(2, static_cast<int>(std::lround(borderBand * std::max(rgb.cols, rgb.rows))));
    const auto binOf = [](const std::uint8_t* p) {
        return static_cast<std::size_t>((p[0] >> 5) * 64 + (p[1] >> 5) * 8 + (p[2] >> 5));
    };
    std::vector<double> border(512, 0.0), inside(512, 0.0);
    double borderCount = 0, insideCount = 0;
    for (int y = 0; y < rgb.rows; ++y) {
        const std::uint8_t* p = rgb.ptr<std::uint8_t>(y);
        for (int x = 0; x < rgb.cols; ++x, p += 3) {
            if (y < band || y >= rgb.rows - band || x < band || x >= rgb.cols - band) {
                border[binOf(p)] += 1;
                borderCount += 1;
            } else {
                inside[binOf(p)] += 1;
                insideCount += 1;
            }
        }
    }
    if (borderCount == 0 || insideCount == 0) return 0;
    double foreign = 0;
    for (std::size_t b = 0; b < border.size(); ++b)
        if (inside[b] / insideCount > 2 * border[b] / borderCount) foreign += inside[b];
    return foreign / insideCount;
}

}  // namespace

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    const cut_out::WallModel wall = cut_out::wallModel(photo, options_);
    const platform::WorkingPhoto& working = wall.working;
    const cv::Mat& small = working.small;
    if (small.cols < 8 || small.rows < 8) throw PhotoAnalysisError::noSubjectFound();

    const BackgroundField& field = wall.field;
    const auto accepted = [&](const cv::Mat& raw, const cv::Mat& subject) {
        return cv::countNonZero(subject) > 0 && platform::plausibleSubject(small, raw, subject);
    };
    const auto finished = [&](const cv::Mat& subject) {
        return cut_out::refinedMap(working, subject, photo.width(), photo.height());
    };
    // Where the field holds, its threshold taken again at the refining size
    // places a faint edge (a white device on a white wall) better than the
    // guided filter can; it only moves the edge, never adds a region.
    const auto finer = [&](const cv::Mat& subject) {
        const cv::Mat fine = platform::finerFieldSubject(working, field, subject, options_.fieldSmoothing);
        cv::Mat coarse;
        cv::resize(subject, coarse, fine.size(), 0, 0, cv::INTER_NEAREST);
        const double common = cv::countNonZero(fine & coarse), either = cv::countNonZero(fine | coarse);
        return either > 0 && common / either >= minimumAgreement ? fine : subject;
    };
    // GrabCut seeded from the field's subject, then that subject itself when
    // GrabCut strays from it (lost in a faint subject's colours).
    const bool textured = wall.textured;
    const auto fieldRoute = [&]() -> cv::Mat {
        const cv::Mat distance = platform::fieldDistance(small, field, options_.fieldSmoothing);
        const cv::Mat departs = platform::fieldSubject(small, distance, field);
        const cv::Mat region = platform::withoutShadows(working, field, departs);
        if (cv::countNonZero(region) == 0) return {};
        // On a textured wall the field's subject stands alone: GrabCut there
        // already had its turn from the border band.
        if (textured) return accepted(region, region) ? region : cv::Mat();
        const cv::Mat cut = platform::withoutThinLines(
            platform::seededCut(small, distance, field, region, departs & ~region, options_.iterations));
        const double common = cv::countNonZero(cut & region), either = cv::countNonZero(cut | region);
        // Beside a shadow taken off, the threshold would take the shadow back.
        const bool shaded = cv::countNonZero(departs & ~region) > shadedShare * cv::countNonZero(region);
        const auto placed = [&](const cv::Mat& subject) {
            return platform::withinClosedOutline(working, shaded ? subject : finer(subject));
        };
        if (either > 0 && common / either >= minimumAgreement && accepted(cut, cut)) return placed(cut);
        if (accepted(region, region)) return placed(region);
        // A light device on a wall of its own shade departs from the wall only
        // along its side and its shade: the outline those close may still be
        // a device where they are not.
        return platform::closedOutlineAround(working, region).value_or(cv::Mat());
    };
    const auto bandRoute = [&]() -> cv::Mat {
        cv::Mat raw;
        const cv::Mat subject =
            bandCut(dithered(small, options_.dither), options_.borderBand, options_.iterations, raw);
        if (accepted(raw, subject)) return subject;
        return {};
    };
    // The band's noise about the field tells a textured wall, where the field
    // does not hold, from a plain or graded one; each kind tries the other's
    // route second.
    // A texture filling the frame: nothing inside that the border lacks.
    if (textured && foreignShare(small, options_.fieldBand) < minimumForeignShare)
        throw PhotoAnalysisError::noSubjectFound();
    cv::Mat subject = textured ? bandRoute() : fieldRoute();
    if (subject.empty()) subject = textured ? fieldRoute() : bandRoute();
    if (subject.empty()) throw PhotoAnalysisError::noSubjectFound();
    return finished(subject);
}

}  // namespace photo_analysis
