#include "mask/finer_edge.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::WorkingPhoto;

cv::Mat finerFieldSubject(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject,
                          double smoothing, const FinerEdgeOptions& options, const TraceSink& sink,
                          const cv::Mat& shadows) {
    const cv::Mat& fine = working.refine;
    if (fine.size() == working.small.size()) return subject;
    const double ratio = static_cast<double>(fine.cols) / working.small.cols;
    BackgroundField finer;
    cv::resize(field.colours, finer.colours, fine.size(), 0, 0, cv::INTER_LINEAR);
    finer.noise = field.noise;
    const cv::Mat distance = fieldDistance(fine, finer, std::min(smoothing * ratio, options.smoothing));
    // Within about a working pixel of the subject found at the working size.
    cv::Mat near;
    cv::resize(subject, near, fine.size(), 0, 0, cv::INTER_NEAREST);
    const int reach = static_cast<int>(std::ceil(ratio));
    cv::dilate(near, near, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1)));
    // The edge where the departure is a share of the subject's own beside it,
    // past the ringing JPEG leaves around it.
    const int across = static_cast<int>(std::ceil(options.stepReach * ratio));
    cv::Mat level;
    cv::dilate(distance, level, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * across + 1, 2 * across + 1)));
    cv::Mat threshold = cv::max(level * options.stepShare, field.departure);
    // Only the band along the outline is decided again: inside it, a faint face
    // beside a strong side must not fall to the side's level.
    cv::Mat inner;
    cv::resize(subject, inner, fine.size(), 0, 0, cv::INTER_NEAREST);
    cv::erode(inner, inner, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1)));
    cv::Mat departs = ((distance > threshold) & near) | inner;
    // Beside the shadows taken off, which depart from the wall as much as the
    // device, the threshold would take them back: there the edge stays where
    // the working size placed it.
    cv::Mat shade;
    if (!shadows.empty() && cv::countNonZero(shadows) > 0) {
        cv::Mat coarse;
        cv::resize(shadows, shade, fine.size(), 0, 0, cv::INTER_NEAREST);
        const int margin = options.shadowMargin * reach;
        cv::dilate(shade, shade,
                   cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * margin + 1, 2 * margin + 1)));
        cv::resize(subject, coarse, fine.size(), 0, 0, cv::INTER_NEAREST);
        departs = (departs & ~shade) | (coarse & shade);
    }
    cv::Mat taken = largestFilled(departs);
    if (const StageTrace trace(sink); trace)
        trace("  bord plus fin : " + traced(cv::countNonZero(taken)) + " px à " + traced(fine.cols) + " × " +
              traced(fine.rows) + ", " + traced(cv::countNonZero(subject)) + " à la taille de travail" +
              (shade.empty()
                   ? ""
                   : ", celui-ci gardé sur " + traced(cv::countNonZero(shade)) + " px à côté des ombres ôtées"));
    return taken;
}

}  // namespace photo_analysis::cut_out
