#include "platform/mask_ops.hpp"

#include <opencv2/imgproc.hpp>

namespace photo_analysis::platform {

namespace {

struct RandomSeed {
    cv::RNG saved = cv::theRNG();
    RandomSeed() { cv::theRNG() = cv::RNG(0x5eed); }
    ~RandomSeed() { cv::theRNG() = saved; }
};

}  // namespace

void grabCutFromLabels(const cv::Mat& rgb, cv::Mat& labels, int iterations) {
    cv::Mat backgroundModel, foregroundModel;
    // GrabCut seeds its colour models from OpenCV's per-thread generator: a
    // fixed seed makes the mask a function of the photo alone, and the caller's
    // generator is put back afterwards.
    const RandomSeed seeded;
    cv::grabCut(rgb, labels, cv::Rect(), backgroundModel, foregroundModel, iterations, cv::GC_INIT_WITH_MASK);
}

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

cv::Mat withoutThinLines(const cv::Mat& binary) {
    const cv::Mat round = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(3, 3));
    cv::Mat opened, reach;
    cv::morphologyEx(binary, opened, cv::MORPH_OPEN, round);
    cv::dilate(largestFilled(opened), reach, round);
    return largestFilled(binary & reach);
}

std::vector<char> regionsOnBorder(const cv::Mat& regions, int count) {
    std::vector<char> touches(static_cast<std::size_t>(count), 0);
    for (int x = 0; x < regions.cols; ++x) {
        touches[static_cast<std::size_t>(regions.at<int>(0, x))] = 1;
        touches[static_cast<std::size_t>(regions.at<int>(regions.rows - 1, x))] = 1;
    }
    for (int y = 0; y < regions.rows; ++y) {
        touches[static_cast<std::size_t>(regions.at<int>(y, 0))] = 1;
        touches[static_cast<std::size_t>(regions.at<int>(y, regions.cols - 1))] = 1;
    }
    return touches;
}

}  // namespace photo_analysis::platform
