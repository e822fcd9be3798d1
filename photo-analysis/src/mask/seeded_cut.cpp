#include "mask/seeded_cut.hpp"

#include <algorithm>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::grabCutFromLabels;
using platform::largestFilled;
using platform::regionsOnBorder;

cv::Mat seededCut(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field, const cv::Mat& subject,
                  const cv::Mat& shadows, int iterations, const SeedOptions& options, const TraceSink& sink) {
    cv::Mat labels(rgb.size(), CV_8U, cv::Scalar(cv::GC_PR_BGD));
    labels.setTo(cv::GC_PR_FGD, subject);
    // Certain background: wall that barely departs, reached from the border.
    const cv::Mat quiet = distance < options.certainBackgroundShare * field.departure;
    cv::Mat regions;
    const int count = cv::connectedComponents(quiet, regions, 4, CV_32S);
    std::vector<char> touches = regionsOnBorder(regions, count);
    touches[0] = 0;  // the pixels that are not quiet
    for (int y = 0; y < labels.rows; ++y) {
        const int* r = regions.ptr<int>(y);
        std::uint8_t* l = labels.ptr<std::uint8_t>(y);
        for (int x = 0; x < labels.cols; ++x)
            if (touches[static_cast<std::size_t>(r[x])] && l[x] == cv::GC_PR_BGD) l[x] = cv::GC_BGD;
    }
    // Shadows, but for a pixel beside the subject, where GrabCut finds the edge.
    cv::Mat beside;
    cv::dilate(subject, beside, cv::Mat());
    labels.setTo(cv::GC_BGD, shadows & ~beside);
    // Certain subject: the field's subject a few pixels in from its edge.
    cv::Mat core;
    const int inset = std::max(2, std::max(rgb.cols, rgb.rows) / options.coreDepthDivisor);
    cv::erode(subject, core, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * inset + 1, 2 * inset + 1)));
    labels.setTo(cv::GC_FGD, core);
    const StageTrace trace(sink);
    const int certainSubject = trace ? cv::countNonZero(labels == cv::GC_FGD) : 0;
    const int certainWall = trace ? cv::countNonZero(labels == cv::GC_BGD) : 0;
    grabCutFromLabels(rgb, labels, iterations);
    cv::Mat cut = largestFilled((labels == cv::GC_FGD) | (labels == cv::GC_PR_FGD));
    if (trace)
        trace("  GrabCut semé du champ : " + traced(certainSubject) + " px sûrs du sujet, " + traced(certainWall) +
              " sûrs du mur ; " + traced(cv::countNonZero(cut)) + " px trouvés");
    return cut;
}

}  // namespace photo_analysis::cut_out
