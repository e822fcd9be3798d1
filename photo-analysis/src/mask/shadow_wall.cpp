#include "mask/shadow_wall.hpp"

#include <cstddef>
#include <cstdint>
#include <opencv2/imgproc.hpp>

#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;

namespace {

constexpr int around[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// The hull of what the peel leaves, without the strands of shadow it leaves
// along the edges, and deeper in than they are thick: where the device may
// have a face.
cv::Mat hullOfTheRest(const cv::Mat& rest, int strandWidth) {
    const int strand = 2 * strandWidth + 1;
    const cv::Mat strands = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(strand, strand));
    cv::Mat opened;
    cv::morphologyEx(rest, opened, cv::MORPH_OPEN, strands);
    cv::Mat inHull = cv::Mat::zeros(rest.size(), CV_8U);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(largestFilled(opened), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    if (contours.empty()) return inHull;
    std::vector<cv::Point> hull;
    cv::convexHull(contours.front(), hull);
    cv::fillConvexPoly(inHull, hull, cv::Scalar(255));
    cv::erode(inHull, inHull, strands);
    return inHull;
}

}  // namespace

int giveBackWithinHull(const cv::Mat& rest, cv::Mat& peeled, const cv::Mat& wall, const cv::Mat& ownHue,
                       int strandWidth, double bendWallShare) {
    const cv::Mat inHull = hullOfTheRest(rest, strandWidth);
    cv::Mat stretches;
    const int count = cv::connectedComponents(inHull & (peeled | wall), stretches, 4, CV_32S);
    std::vector<int> wallArea(static_cast<std::size_t>(count), 0), peelArea(wallArea);
    for (int y = 0; y < rest.rows; ++y)
        for (int x = 0; x < rest.cols; ++x) {
            const auto k = static_cast<std::size_t>(stretches.at<int>(y, x));
            ++(wall.at<std::uint8_t>(y, x) ? wallArea : peelArea)[k];
        }
    std::vector<int> touching(static_cast<std::size_t>(count), 0), touchingOwnHue(touching);
    for (int y = 0; y < rest.rows; ++y)
        for (int x = 0; x < rest.cols; ++x) {
            const auto k = static_cast<std::size_t>(stretches.at<int>(y, x));
            if (k == 0 || !peeled.at<std::uint8_t>(y, x)) continue;
            for (const auto& d : around) {
                const int u = x + d[0], v = y + d[1];
                if (u < 0 || v < 0 || u >= rest.cols || v >= rest.rows || !rest.at<std::uint8_t>(v, u)) continue;
                ++touching[k];
                touchingOwnHue[k] += ownHue.at<std::uint8_t>(v, u) != 0;
            }
        }
    std::vector<char> onWall(static_cast<std::size_t>(count), 0), besideOwnHue(onWall);
    for (std::size_t k = 1; k < onWall.size(); ++k) {
        onWall[k] = wallArea[k] >= bendWallShare * peelArea[k];
        besideOwnHue[k] = 2 * touchingOwnHue[k] >= touching[k];
    }
    int given = 0;
    for (int y = 0; y < rest.rows; ++y)
        for (int x = 0; x < rest.cols; ++x) {
            const auto k = static_cast<std::size_t>(stretches.at<int>(y, x));
            if (k == 0 || onWall[k] || !besideOwnHue[k] || !peeled.at<std::uint8_t>(y, x)) continue;
            peeled.at<std::uint8_t>(y, x) = 0;
            ++given;
        }
    return given;
}

Enclosed enclosedWall(const cv::Mat& departing, cv::Mat& peeled, const cv::Mat& regions, const std::vector<char>& outer,
                      const cv::Mat& origin, double passageShare) {
    cv::Mat open;
    const std::vector<char> reachesWall =
        platform::regionsOnBorder(open, cv::connectedComponents(~departing | peeled, open, 4, CV_32S));
    const std::size_t count = outer.size();
    std::vector<int> rim(count, 0), passage(count, 0);
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < departing.cols && y < departing.rows; };
    for (int y = 0; y < departing.rows; ++y)
        for (int x = 0; x < departing.cols; ++x) {
            const auto r = static_cast<std::size_t>(regions.at<int>(y, x));
            if (r == 0 || outer[r]) continue;
            bool onRim = false, crossed = false;
            for (const auto& d : around) {
                const int u = x + d[0], v = y + d[1];
                if (!inside(u, v) || !departing.at<std::uint8_t>(v, u)) continue;
                onRim = true;
                crossed = crossed ||
                          (peeled.at<std::uint8_t>(v, u) && reachesWall[static_cast<std::size_t>(open.at<int>(v, u))]);
            }
            rim[r] += onRim;
            passage[r] += crossed;
        }
    Enclosed enclosed{cv::Mat(departing.size(), CV_8U, cv::Scalar(0)), cv::Mat(departing.size(), CV_8U, cv::Scalar(0))};
    for (int y = 0; y < departing.rows; ++y)
        for (int x = 0; x < departing.cols; ++x) {
            const auto r = static_cast<std::size_t>(regions.at<int>(y, x));
            const auto from = static_cast<std::size_t>(origin.at<int>(y, x));
            const auto isFace = [&](std::size_t k) {
                return k != 0 && !outer[k] && passage[k] < passageShare * rim[k];
            };
            if (r != 0 && !outer[r]) (isFace(r) ? enclosed.faces : enclosed.wall).at<std::uint8_t>(y, x) = 255;
            if (peeled.at<std::uint8_t>(y, x) && isFace(from)) peeled.at<std::uint8_t>(y, x) = 0;
        }
    return enclosed;
}

}  // namespace photo_analysis::cut_out
