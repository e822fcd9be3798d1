#include "mask/plausibility_gate.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "mask/stage_trace.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;

namespace {

double heldShare(const cv::Mat& line) {
    return static_cast<double>(cv::countNonZero(line)) / line.total();
}

// Along the subject's outline, the mean colour just inside against the mean
// just outside, each over a window of the given size: the median of their
// distances, and the median spread of the outside colours about the wall's
// own smooth course.
struct EdgeContrast {
    double contrast;
    double wallSpread;
};
EdgeContrast edgeContrast(const cv::Mat& image, const cv::Mat& inside, const cv::Mat& outside, const cv::Mat& outline,
                          int window) {
    const cv::Size box(window, window);
    cv::Mat colours, squares;
    image.convertTo(colours, CV_32FC3);
    const auto sumOver = [&](const cv::Mat& values, const cv::Mat& mask) {
        cv::Mat masked = cv::Mat::zeros(values.size(), values.type());
        values.copyTo(masked, mask);
        cv::Mat sum;
        cv::boxFilter(masked, sum, CV_32F, box, cv::Point(-1, -1), false);
        return sum;
    };
    const auto countOver = [&](const cv::Mat& mask) {
        cv::Mat ones, sum;
        mask.convertTo(ones, CV_32F, 1.0 / 255.0);
        cv::boxFilter(ones, sum, CV_32F, box, cv::Point(-1, -1), false);
        return sum;
    };
    // The wall's course: its colours smoothed over about half the ring's
    // width, the subject left out. Light falling off and a soft shadow's ramp
    // beside the subject follow it and are no texture; a grain does not.
    cv::Mat weight, weightSum;
    outside.convertTo(weight, CV_32F, 1.0 / 255.0);
    const double course = std::max(1.0, window / 8.0);
    cv::GaussianBlur(weight, weightSum, cv::Size(0, 0), course);
    weightSum = cv::max(weightSum, 1e-3f);
    std::vector<cv::Mat> channels;
    cv::split(colours, channels);
    for (cv::Mat& channel : channels) {
        cv::Mat smoothed;
        cv::GaussianBlur(channel.mul(weight), smoothed, cv::Size(0, 0), course);
        channel -= smoothed / weightSum;
    }
    cv::Mat residual;
    cv::merge(channels, residual);
    squares = residual.mul(residual);
    const cv::Mat inSum = sumOver(colours, inside), inCount = countOver(inside);
    const cv::Mat outSum = sumOver(colours, outside), outSquares = sumOver(squares, outside),
                  outCount = countOver(outside);
    std::vector<double> contrasts, spreads;
    for (int y = 0; y < image.rows; ++y) {
        const std::uint8_t* on = outline.ptr<std::uint8_t>(y);
        for (int x = 0; x < image.cols; ++x) {
            if (!on[x]) continue;
            const float n = inCount.at<float>(y, x), m = outCount.at<float>(y, x);
            if (n < 1 || m < 1) continue;
            const cv::Vec3f a = inSum.at<cv::Vec3f>(y, x) / n, b = outSum.at<cv::Vec3f>(y, x) / m;
            const cv::Vec3f b2 = outSquares.at<cv::Vec3f>(y, x) / m;
            contrasts.push_back(cv::norm(a - b));
            double variance = 0;
            for (int c = 0; c < 3; ++c) variance += b2[c];
            spreads.push_back(std::sqrt(variance / 3));
        }
    }
    const auto median = [](std::vector<double>& v) {
        if (v.empty()) return 0.0;
        const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), middle, v.end());
        return *middle;
    };
    return {median(contrasts), median(spreads)};
}

// The share of the subject's colours (8 levels a channel) in excess of the
// rest of the photo's: near 1 for a device before a wall of other colours.
double foreignColours(const cv::Mat& image, const cv::Mat& subject) {
    std::vector<double> in(512, 0.0), out(512, 0.0);
    double inCount = 0, outCount = 0;
    for (int y = 0; y < image.rows; ++y) {
        const std::uint8_t* p = image.ptr<std::uint8_t>(y);
        const std::uint8_t* m = subject.ptr<std::uint8_t>(y);
        for (int x = 0; x < image.cols; ++x, p += 3) {
            const std::size_t bin = static_cast<std::size_t>((p[0] >> 5) * 64 + (p[1] >> 5) * 8 + (p[2] >> 5));
            (m[x] ? in : out)[bin] += 1;
            (m[x] ? inCount : outCount) += 1;
        }
    }
    if (inCount == 0 || outCount == 0) return 0;
    double excess = 0;
    for (std::size_t b = 0; b < in.size(); ++b) excess += std::max(0.0, in[b] / inCount - out[b] / outCount);
    return excess;
}

}  // namespace

bool plausibleSubject(const cv::Mat& image, const cv::Mat& raw, const cv::Mat& subject, const GateOptions& options,
                      const TraceSink& sink) {
    const StageTrace trace(sink);
    // A refusal, its reason written only when traced.
    const auto refused = [&](const auto& why) {
        if (trace) trace("  contrôle : refusé, " + std::string(why()));
        return false;
    };
    const double area = static_cast<double>(subject.total());
    const double kept = cv::countNonZero(subject);
    const double share = kept / area;
    if (share < options.minimumShare || share > options.maximumShare)
        return refused([&] {
            return "part de la photo " + percent(share) + " hors de " + percent(options.minimumShare) + " à " +
                   percent(options.maximumShare);
        });

    const double top = heldShare(subject.row(0)), bottom = heldShare(subject.row(subject.rows - 1));
    const double left = heldShare(subject.col(0)), right = heldShare(subject.col(subject.cols - 1));
    const int held = (top >= options.borderHeld) + (bottom >= options.borderHeld) + (left >= options.borderHeld) +
                     (right >= options.borderHeld);
    if (held > options.maximumBordersHeld) return refused([&] { return traced(held) + " bords tenus : le fond"; });
    // A device cut by the frame holds one border, or two at a corner; a band
    // across the photo holds two opposite ones.
    if ((top >= options.bandHeld && bottom >= options.bandHeld) ||
        (left >= options.bandHeld && right >= options.bandHeld))
        return refused([&] { return "deux bords opposés tenus : une bande de mur"; });

    // Scattered pieces, as GrabCut finds in noise.
    const double found = cv::countNonZero(raw);
    if (found <= 0 || kept / found < options.minimumKeptShare)
        return refused([&] {
            return "morceaux épars, la plus grande région " + percent(found > 0 ? kept / found : 0) +
                   " du sujet trouvé";
        });

    // The subject's edge against the wall just outside it, window by window
    // along the outline: light falling off across the wall does not count, and
    // a texture, measured against its own spread, does not stand out from itself.
    const int reach = std::max(2, std::max(image.cols, image.rows) / options.reachDivisor);
    const cv::Mat disc = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1));
    cv::Mat grown, shrunk;
    cv::dilate(subject, grown, disc);
    cv::erode(subject, shrunk, disc);
    const cv::Mat ring = grown & ~subject;
    const cv::Mat edge = subject & ~shrunk;
    cv::Mat outline;
    cv::morphologyEx(subject, outline, cv::MORPH_GRADIENT, cv::Mat());
    outline &= subject;
    const EdgeContrast measured = edgeContrast(image, edge, ring, outline, 4 * reach + 1);
    const double leastContrast = std::max(options.minimumContrast, options.contrastSpreads * measured.wallSpread);
    if (measured.contrast < leastContrast)
        return refused(
            [&] { return "contraste du bord " + traced(measured.contrast) + " < " + traced(leastContrast); });
    if (measured.wallSpread > options.texturedSpread) {
        const double foreign = foreignColours(image, subject);
        if (foreign < options.minimumForeignColours)
            return refused([&] {
                return "sur un mur texturé (écart " + traced(measured.wallSpread) + "), couleurs propres " +
                       percent(foreign) + " < " + percent(options.minimumForeignColours);
            });
    }

    if (trace)
        trace("  contrôle : accepté, part " + percent(share) + ", contraste du bord " + traced(measured.contrast));
    return true;
}

bool plausibleMask(const WallModel& model, const std::vector<std::uint8_t>& coverage, int width, int height,
                   const GateOptions& options, const TraceSink& sink) {
    const cv::Mat& small = model.working.small;
    if (small.empty() || coverage.size() != static_cast<std::size_t>(width) * height) return false;
    const cv::Mat full(height, width, CV_8U, const_cast<std::uint8_t*>(coverage.data()));
    cv::Mat shrunk;
    cv::resize(full, shrunk, small.size(), 0, 0, cv::INTER_AREA);
    const cv::Mat subject = largestFilled(shrunk >= SubjectMask::insideThreshold);
    return cv::countNonZero(subject) > 0 && plausibleSubject(small, subject, subject, options, sink);
}

}  // namespace photo_analysis::cut_out
