#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "photo_analysis/photo.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::platform {

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

}  // namespace photo_analysis::platform
