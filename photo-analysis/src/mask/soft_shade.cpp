#include "mask/soft_shade.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <string>

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

cv::Mat withoutSoftShade(const cv::Mat& image, const cv::Mat& rest, const cv::Mat& subject, const cv::Mat& edges,
                         const cv::Mat& reach, const SoftShadeOptions& options, const TraceSink& sink) {
    const StageTrace trace(sink);
    const int longer = std::max(image.cols, image.rows);
    const int snap = std::max(2, static_cast<int>(std::lround(options.edgeSnapShare * longer)));
    const cv::Mat disc = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * snap + 1, 2 * snap + 1));
    cv::Mat nearEdge, nearOutline, edge;
    cv::dilate(edges, nearEdge, disc);
    cv::dilate(reach, nearOutline, disc);
    cv::morphologyEx(rest, edge, cv::MORPH_GRADIENT, cv::Mat());
    edge &= rest;
    // The rim: where the piece meets the wall rather than the outline.
    const cv::Mat rim = edge & ~nearOutline;
    cv::Mat pieces, stats, centres;
    const int count = cv::connectedComponentsWithStats(rest, pieces, stats, centres, 8, CV_32S);
    cv::Mat kept = rest.clone();
    const cv::Rect frame(0, 0, rest.cols, rest.rows);
    for (int piece = 1; piece < count; ++piece) {
        // Each piece is judged within its box and the wall just beside it.
        const cv::Rect box = cv::Rect(stats.at<int>(piece, cv::CC_STAT_LEFT) - 3 * snap,
                                      stats.at<int>(piece, cv::CC_STAT_TOP) - 3 * snap,
                                      stats.at<int>(piece, cv::CC_STAT_WIDTH) + 6 * snap,
                                      stats.at<int>(piece, cv::CC_STAT_HEIGHT) + 6 * snap) &
                             frame;
        const cv::Mat inside = pieces(box) == piece;
        const cv::Mat pieceRim = rim(box) & inside;
        const double rimLength = cv::countNonZero(pieceRim);
        const auto judged = [&](const char* what) {
            if (trace)
                trace("  morceau hors du contour en (" + traced(stats.at<int>(piece, cv::CC_STAT_LEFT)) + ", " +
                      traced(stats.at<int>(piece, cv::CC_STAT_TOP)) + "), " +
                      traced(stats.at<int>(piece, cv::CC_STAT_AREA)) + " px : " + what);
        };
        // A piece the outline's own edges wrap lies within the device.
        if (rimLength < options.wallRimShare * cv::countNonZero(edge(box) & inside)) {
            judged("enveloppé par le contour, gardé");
            continue;
        }
        if (rimLength == 0 || cv::countNonZero(pieceRim & nearEdge(box)) >= options.leastEdgedRim * rimLength) {
            judged("bordé d'une arête, gardé");
            continue;
        }
        cv::Mat beside;
        cv::dilate(inside, beside, disc, cv::Point(-1, -1), 2);
        beside &= ~subject(box) & ~nearOutline(box);
        if (cv::countNonZero(beside) == 0) {
            judged("sans mur à côté, gardé");
            continue;
        }
        const cv::Scalar own = cv::mean(image(box), inside), wall = cv::mean(image(box), beside);
        const double scale = own.dot(wall) / std::max(1.0, wall.dot(wall));
        const cv::Scalar residual = own - wall * scale;
        const double off = std::sqrt(residual.dot(residual)), wallLevel = std::sqrt(wall.dot(wall));
        if (scale < 1.0 && off <= std::max(options.shadeColourLevels, options.shadeColourShare * wallLevel)) {
            kept(box).setTo(0, inside);
            judged("la couleur du mur, en plus sombre : une ombre douce, ôté");
        } else {
            judged("une couleur propre, gardé");
        }
    }
    return kept;
}

}  // namespace photo_analysis::cut_out
