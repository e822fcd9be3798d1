#include "mask/band_cut.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::grabCutFromLabels;
using platform::largestFilled;

namespace {

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

}  // namespace

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

cv::Mat bandCut(const cv::Mat& image, double borderBand, int iterations, double dither, cv::Mat& raw,
                const TraceSink& sink) {
    const cv::Mat rgb = dithered(image, dither);
    const int band = std::max(2, static_cast<int>(std::lround(borderBand * std::max(rgb.cols, rgb.rows))));
    cv::Mat labels(rgb.size(), CV_8U, cv::Scalar(cv::GC_PR_FGD));
    labels.rowRange(0, band).setTo(cv::GC_PR_BGD);
    labels.rowRange(rgb.rows - band, rgb.rows).setTo(cv::GC_PR_BGD);
    labels.colRange(0, band).setTo(cv::GC_PR_BGD);
    labels.colRange(rgb.cols - band, rgb.cols).setTo(cv::GC_PR_BGD);
    grabCutFromLabels(rgb, labels, iterations);
    raw = (labels == cv::GC_FGD) | (labels == cv::GC_PR_FGD);
    cv::Mat subject = largestFilled(raw);
    if (const StageTrace trace(sink); trace)
        trace("  GrabCut de la bande du bord : " + traced(cv::countNonZero(raw)) + " px trouvés, " +
              traced(cv::countNonZero(subject)) + " dans la plus grande région");
    return subject;
}

}  // namespace photo_analysis::cut_out
