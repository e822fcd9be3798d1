#pragma once

#include <array>
#include <cstdint>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

#include "photo_analysis/photo.hpp"
#include "photo_analysis/segmenter.hpp"

namespace photo_analysis::platform {

// The photo over white at two reduced sizes: `refine`, where the mask's edges
// are snapped to the photo's, and `small`, where the subject is found. 8-bit RGB.
struct WorkingPhoto {
    cv::Mat refine;
    cv::Mat small;
};
WorkingPhoto workingPhoto(const Photo& photo, int workingSide, int refineSide);

// The wall as a smooth field: per channel a quadratic surface in x and y fitted
// to the border band, outliers dropped, so that light falling off across a wall
// and vignettes stay background. `noise` is the band's robust spread about it in
// 8-bit units: a few units on plain and graded walls, tens on textured ones.
struct BackgroundField {
    cv::Mat colours;  // CV_32FC3, the image's size
    double noise = 0;
};
BackgroundField fittedField(const cv::Mat& rgb, double bandShare);

// How far each pixel's colour lies from the field, after averaging the
// difference over a few pixels (a Gaussian of `sigma` pixels): CV_32F.
cv::Mat fieldDistance(const cv::Mat& rgb, const BackgroundField& field, double sigma);

// The largest region of the binary mask, holes filled, without the lines a
// pixel or two wide that lead off it: a board's seam, a crack or a skirting's
// edge that departs from the wall too must not tie the wall to the device.
cv::Mat withoutThinLines(const cv::Mat& binary);

// The subject the field alone sees: what departs from it by more than the
// wall's own noise allows, its largest region with holes filled (empty when
// nothing departs). `distance` is fieldDistance's of `rgb`.
cv::Mat fieldSubject(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field);

// The field's subject less the shadows it holds: what can be reached from the
// wall without crossing a sharp edge (measured on the refining copy, where a
// device's outline is a step of a pixel or two and a soft shadow's a slow
// ramp) through pixels darker than the field in its own colour. When that would
// take most of the subject it was no shadow, and the subject stays whole.
cv::Mat withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject);

// GrabCut on `rgb` started from the field's subject: certain background where
// the wall is met at the border and barely departs from the field, and on the
// shadows taken off it, certain subject deep inside the field's subject,
// probable labels between.
cv::Mat seededCut(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field, const cv::Mat& subject,
                  const cv::Mat& shadows, int iterations);

// GrabCut from the given labels (cv::GC_*), a function of its input alone: its
// colour models are seeded from a fixed generator, the caller's put back after.
void grabCutFromLabels(const cv::Mat& rgb, cv::Mat& labels, int iterations);

// The largest 4-connected region of the binary mask, with its enclosed holes filled.
cv::Mat largestFilled(const cv::Mat& binary);

// The field's subject taken again at the refining size, near the one found at
// the working size (`subject`), for edges finer than a working pixel.
cv::Mat finerFieldSubject(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject,
                          double smoothing);

// The subject grown to the closed outline around it, at the refining size: on
// a plain wall a light device meets a light wall along a faint rim, a shading
// step or its own cast edge that no colour threshold follows all the way round,
// but that closes an outline of edges. The wall is what the border reaches
// without crossing an edge; what it leaves around the subject is the device.
// A subject that lies around such an outline rather than within it (the shade
// and the darker side of a device the wall's shade hides) gives way to it.
// A side just outside the outline in a hue no blur of wall and device makes
// (a grey side on a blue wall of its shade) stays with the device.
// Nothing when no such outline holds it, or the grown one would reach the
// border or be no plausible subject.
std::optional<cv::Mat> closedOutlineAround(const WorkingPhoto& working, const cv::Mat& subject);
// The subject grown to its closed outline, or as given where none holds it.
cv::Mat withinClosedOutline(const WorkingPhoto& working, const cv::Mat& subject);

// A subject found at the small or the refining size brought back to the photo's size as a soft
// mask, its edges snapped to the photo's own with a guided filter at the refining
// size.
ProbabilityMap refinedMap(const WorkingPhoto& working, const cv::Mat& subject, int width, int height);

// What the fallback knows of a photo's wall: the working copies, the field,
// and whether the wall is flat (one colour within a few levels all over), where
// one background colour at the photo's own size follows it exactly.
struct BackgroundModel {
    WorkingPhoto working;
    BackgroundField field;
    bool flat = false;
};
BackgroundModel backgroundModel(const Photo& photo);

// A mask at the photo's size judged by the plausibility gate at the working size.
bool plausibleMask(const BackgroundModel& model, const std::vector<std::uint8_t>& coverage, int width, int height);

// A flat wall's mask from one background colour (`wall`, over white) with its
// outline weighed: a colour threshold keeps every pixel past it, so the outline
// sits at the outer foot of the photo's blurred step, a pixel or more out on
// every side. Each pixel within a few pixels of the outside gets the share of
// the step it has made, its departure from the wall over the least departure
// of the subject's inner pixels beside it; the least, so that a bright or dark
// detail near the edge never makes the step look taller. Pixels with no inner
// pixel beside them (a thin cable's run) keep their coverage.
void weighOutline(const Photo& photo, const std::array<double, 3>& wall, std::vector<std::uint8_t>& coverage);

// The subject the field alone finds, shadows taken off, judged by the
// plausibility gate and brought back to the photo's size: the fallback when a
// segmenter finds nothing. Throws PhotoAnalysisError (noSubjectFound) when the
// wall is textured or the result implausible.
ProbabilityMap fieldSubjectMap(const BackgroundModel& model, int width, int height);

}  // namespace photo_analysis::platform
