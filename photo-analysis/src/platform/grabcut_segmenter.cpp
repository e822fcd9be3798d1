#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/segmenter.hpp"
#include "platform/subject_gate.hpp"

namespace photo_analysis {

namespace {

struct RandomSeed {
    cv::RNG saved = cv::theRNG();
    RandomSeed() { cv::theRNG() = cv::RNG(0x5eed); }
    ~RandomSeed() { cv::theRNG() = saved; }
};

cv::Mat shrunkTo(const cv::Mat& image, int longer) {
    const int side = std::max(image.cols, image.rows);
    if (side <= longer) return image;
    const double f = static_cast<double>(longer) / side;
    const cv::Size size(std::max(1, static_cast<int>(std::lround(image.cols * f))),
                        std::max(1, static_cast<int>(std::lround(image.rows * f))));
    cv::Mat out;
    cv::resize(image, out, size, 0, 0, cv::INTER_AREA);
    return out;
}

// Premultiplied RGBA over white as RGB: C + 255 − A.
cv::Mat overWhite(const cv::Mat& rgba) {
    cv::Mat rgb(rgba.size(), CV_8UC3);
    for (int y = 0; y < rgba.rows; ++y) {
        const std::uint8_t* p = rgba.ptr<std::uint8_t>(y);
        std::uint8_t* q = rgb.ptr<std::uint8_t>(y);
        for (int x = 0; x < rgba.cols; ++x, p += 4, q += 3)
            for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>(std::min(p[c] + 255 - p[3], 255));
    }
    return rgb;
}

// The largest 4-connected region of the binary mask, with its enclosed holes filled.
cv::Mat largestFilled(const cv::Mat& binary) {
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(binary, labels, stats, centroids, 4, CV_32S);
    int best = 0, bestArea = 0;
    for (int i = 1; i < count; ++i) {
        const int area = stats.at<int>(i, cv::CC_STAT_AREA);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    cv::Mat kept = labels == best;
    if (best == 0) kept.setTo(0);
    // Holes: background regions that do not reach the border.
    cv::Mat outside = kept == 0;
    cv::Mat holeLabels, holeStats;
    const int holes = cv::connectedComponentsWithStats(outside, holeLabels, holeStats, centroids, 4, CV_32S);
    for (int i = 1; i < holes; ++i) {
        const int x = holeStats.at<int>(i, cv::CC_STAT_LEFT), y = holeStats.at<int>(i, cv::CC_STAT_TOP);
        const int w = holeStats.at<int>(i, cv::CC_STAT_WIDTH), h = holeStats.at<int>(i, cv::CC_STAT_HEIGHT);
        if (x > 0 && y > 0 && x + w < kept.cols && y + h < kept.rows) kept.setTo(255, holeLabels == i);
    }
    return kept;
}

// Edge-aware smoothing of a soft mask with the photo's grey levels as guide.
cv::Mat guidedFilter(const cv::Mat& guide, const cv::Mat& source, int radius, double eps) {
    const cv::Size box(2 * radius + 1, 2 * radius + 1);
    cv::Mat meanI, meanP, corrI, corrIP;
    cv::boxFilter(guide, meanI, CV_32F, box);
    cv::boxFilter(source, meanP, CV_32F, box);
    cv::boxFilter(guide.mul(guide), corrI, CV_32F, box);
    cv::boxFilter(guide.mul(source), corrIP, CV_32F, box);
    const cv::Mat varI = corrI - meanI.mul(meanI);
    const cv::Mat covIP = corrIP - meanI.mul(meanP);
    cv::Mat a = covIP / (varI + eps);
    cv::Mat b = meanP - a.mul(meanI);
    cv::boxFilter(a, a, CV_32F, box);
    cv::boxFilter(b, b, CV_32F, box);
    return a.mul(guide) + b;
}

}  // namespace

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    const cv::Mat rgba(photo.height(), photo.width(), CV_8UC4, const_cast<std::uint8_t*>(photo.pixels().data()));

    // GrabCut on a small copy, started from a band of probable background along
    // the border and probable subject inside: no certain labels, so a subject
    // cut by the photo's edge can keep its part there.
    // One pass over the full photo: the refining copy, and the working copy from it.
    const cv::Mat refineImage = overWhite(shrunkTo(rgba, std::max(options_.refineSide, options_.workingSide)));
    cv::Mat small = shrunkTo(refineImage, options_.workingSide).clone();
    if (small.cols < 8 || small.rows < 8) throw PhotoAnalysisError::noSubjectFound();
    if (options_.dither > 0) {
        // On a plain background the colour models grow so narrow that JPEG ringing
        // beside the subject reads as subject, a halo of about a block; a little
        // fixed noise widens them past such small deviations.
        cv::RNG random(0xd17e);
        cv::Mat noise(small.size(), CV_32FC3);
        random.fill(noise, cv::RNG::NORMAL, 0.0, options_.dither);
        cv::Mat widened;
        small.convertTo(widened, CV_32FC3);
        widened += noise;
        widened.convertTo(small, CV_8UC3);
    }
    const int band = std::max(2, static_cast<int>(std::lround(options_.borderBand * std::max(small.cols, small.rows))));
    cv::Mat labels(small.size(), CV_8U, cv::Scalar(cv::GC_PR_FGD));
    labels.rowRange(0, band).setTo(cv::GC_PR_BGD);
    labels.rowRange(small.rows - band, small.rows).setTo(cv::GC_PR_BGD);
    labels.colRange(0, band).setTo(cv::GC_PR_BGD);
    labels.colRange(small.cols - band, small.cols).setTo(cv::GC_PR_BGD);
    cv::Mat backgroundModel, foregroundModel;
    {
        // GrabCut seeds its colour models from OpenCV's per-thread generator: a
        // fixed seed makes the mask a function of the photo alone, and the
        // caller's generator is put back afterwards.
        const RandomSeed seeded;
        cv::grabCut(small, labels, cv::Rect(), backgroundModel, foregroundModel, options_.iterations,
                    cv::GC_INIT_WITH_MASK);
    }
    const cv::Mat raw = (labels == cv::GC_FGD) | (labels == cv::GC_PR_FGD);
    const cv::Mat subject = largestFilled(raw);
    if (!platform::plausibleSubject(small, raw, subject)) throw PhotoAnalysisError::noSubjectFound();

    // Back to a soft mask at the refining size, snapped to the photo's edges.
    cv::Mat grey;
    cv::cvtColor(refineImage, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F, 1.0 / 255.0);
    cv::Mat soft;
    subject.convertTo(soft, CV_32F, 1.0 / 255.0);
    cv::resize(soft, soft, refineImage.size(), 0, 0, cv::INTER_LINEAR);
    // Radius 4 at 1024 pixels, in proportion below.
    const int radius =
        std::max(2, static_cast<int>(std::lround(4.0 * std::max(refineImage.cols, refineImage.rows) / 1024.0)));
    soft = guidedFilter(grey, soft, radius, 1e-3);

    ProbabilityMap map;
    map.width = photo.width();
    map.height = photo.height();
    map.format = ProbabilityMap::Format::byte;
    map.bytesPerRow = static_cast<std::size_t>(photo.width());
    map.bytes.resize(map.bytesPerRow * static_cast<std::size_t>(photo.height()));
    cv::Mat bytes(photo.height(), photo.width(), CV_8U, map.bytes.data());
    cv::Mat softBytes;
    soft.convertTo(softBytes, CV_8U, 255.0);  // saturating, rounded
    if (softBytes.size() != bytes.size()) {
        cv::resize(softBytes, bytes, bytes.size(), 0, 0, cv::INTER_LINEAR);
    } else {
        softBytes.copyTo(bytes);
    }
    return map;
}

}  // namespace photo_analysis
