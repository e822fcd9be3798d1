#include "mask/shadows.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <queue>
#include <vector>

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::WorkingPhoto;

namespace {

constexpr int around[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// A shadow falls outside the device casting it: what the peel took within the
// hull of what it leaves (strands of the shadow left along the edges aside, and
// deeper than they are thick) is the device's own shading, a highlight fading
// across its face. It is given back; the count of pixels given back is returned.
int giveBackWithinHull(const cv::Mat& subject, cv::Mat& peeled, int strandWidth) {
    cv::Mat rest;
    const int strand = 2 * strandWidth + 1;
    const cv::Mat strands = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(strand, strand));
    cv::morphologyEx(subject & ~peeled, rest, cv::MORPH_OPEN, strands);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(largestFilled(rest), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    if (contours.empty()) return 0;
    std::vector<cv::Point> hull;
    cv::convexHull(contours.front(), hull);
    cv::Mat inHull = cv::Mat::zeros(subject.size(), CV_8U);
    cv::fillConvexPoly(inHull, hull, cv::Scalar(255));
    cv::erode(inHull, inHull, strands);
    inHull &= peeled;
    peeled &= ~inHull;
    return cv::countNonZero(inHull);
}

}  // namespace

cv::Mat withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& distance,
                       const cv::Mat& subject, const ShadowOptions& options, const TraceSink& sink) {
    const cv::Mat& small = working.small;
    // Sharp edges: a step of a pixel or two, where the slope is a large share
    // of the rise over a few pixels around; a soft shadow's ramp rises as much
    // only over many pixels.
    cv::Mat grey, smooth, dx, dy, slope, highest, lowest;
    cv::cvtColor(small, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, smooth, cv::Size(0, 0), options.edgeSmoothing);
    cv::Sobel(smooth, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(smooth, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(options.riseWindow, options.riseWindow));
    cv::dilate(smooth, highest, window);
    cv::erode(smooth, lowest, window);
    cv::Mat sharp = (slope > options.sharpSlope) & (slope > options.sharpShare * (highest - lowest));
    cv::dilate(sharp, sharp, cv::Mat());

    // Unsmoothed, so that a step's blur does not reach into a flat side beside it.
    cv::Mat ramp;
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, ramp);

    // Noise alone makes slopes too: a ramp rises clear of it.
    const double leastRamp = std::max(options.ramp, options.rampNoiseSpreads * field.noise);
    const double tintReach = std::max(options.tintLevels, options.tintNoiseSpreads * field.noise);

    // In the wall's shade: darker than the field, in its own colour, what is
    // left once the wall's colour, scaled, is taken off lying within the noise.
    const auto inWallsShade = [&](int x, int y) {
        const std::uint8_t* p = small.ptr<std::uint8_t>(y) + 3 * x;
        const float* f = field.colours.ptr<float>(y) + 3 * x;
        const double wall = static_cast<double>(f[0]) + f[1] + f[2];
        if (!(wall > options.darkestWall)) return false;
        const double share = (static_cast<double>(p[0]) + p[1] + p[2]) / wall;
        if (share < options.darkest || share > options.lightest) return false;
        double along = 0, squared = 0;
        for (int c = 0; c < 3; ++c) {
            along += p[c] * static_cast<double>(f[c]);
            squared += static_cast<double>(f[c]) * f[c];
        }
        const double scale = along / squared;
        double off = 0;
        for (int c = 0; c < 3; ++c) off += (p[c] - scale * f[c]) * (p[c] - scale * f[c]);
        return std::sqrt(off) <= tintReach;
    };
    // How deep each pixel lies in the subject, for the fringe along its rim.
    cv::Mat rimDepth;
    cv::distanceTransform(subject, rimDepth, cv::DIST_L2, 3);
    const double fringeDepth = options.fringeDepthShare * std::max(small.cols, small.rows);
    // Pixels of the subject that may be shadow: in the wall's shade, on a ramp
    // without a sharp edge, departing from the wall (those the subject merely
    // encloses are a device of the wall's own shade).
    const auto shadowLike = [&](int x, int y) {
        if (sharp.at<std::uint8_t>(y, x) || !(distance.at<float>(y, x) > field.departure) || !inWallsShade(x, y))
            return false;
        // The shadow's faint outer fringe is all but flat: there, along the
        // subject's rim, a pixel barely darker than the wall passes without the
        // ramp.
        if (!(ramp.at<float>(y, x) < leastRamp)) return true;
        const std::uint8_t* p = small.ptr<std::uint8_t>(y) + 3 * x;
        const float* f = field.colours.ptr<float>(y) + 3 * x;
        const double darkening = (static_cast<double>(f[0]) + f[1] + f[2] - p[0] - p[1] - p[2]) / 3.0;
        return darkening < options.fringeSpreads * field.departure && rimDepth.at<float>(y, x) <= fringeDepth;
    };

    // Each pixel's share of the wall's light, smoothed as the edges were, and the
    // rise of the noise in those units.
    cv::Mat wallGrey, share, rise;
    cv::transform(field.colours, wallGrey, cv::Matx13f(0.299f, 0.587f, 0.114f));
    wallGrey = cv::max(wallGrey, 1.0);
    cv::divide(smooth, wallGrey, share);
    cv::divide(std::max(options.leastRise, options.riseNoiseSpreads * field.noise), wallGrey, rise);
    const auto shareAt = [&](int x, int y) { return share.at<float>(y, x); };
    const auto riseAt = [&](int x, int y) { return rise.at<float>(y, x); };
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < small.cols && y < small.rows; };

    // A shadow deepens towards what casts it: from its fringe on the wall to the
    // device its share of the wall's light only falls. The peel is a widest-path
    // flood that carries the darkest share met on the way in, and a pixel lighter
    // than that by more than the noise is no deeper shadow but the device beyond
    // it (a face of the shadow's own shade lit by a highlight, say).
    cv::Mat peeled = cv::Mat::zeros(small.size(), CV_8U);
    cv::Mat darkestOn(small.size(), CV_32F, cv::Scalar(0));
    struct Step {
        float darkest;
        int x, y;
        bool operator<(const Step& other) const { return darkest < other.darkest; }
    };
    std::priority_queue<Step> queue;
    const auto visit = [&](int x, int y, float darkest) {
        if (!inside(x, y) || !subject.at<std::uint8_t>(y, x) || peeled.at<std::uint8_t>(y, x)) return;
        if (!shadowLike(x, y) || shareAt(x, y) > darkest + riseAt(x, y)) return;
        peeled.at<std::uint8_t>(y, x) = 255;
        darkestOn.at<float>(y, x) = std::min(darkest, shareAt(x, y));
        queue.push({darkestOn.at<float>(y, x), x, y});
    };
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (!subject.at<std::uint8_t>(y, x))
                for (const auto& d : around) visit(x + d[0], y + d[1], std::numeric_limits<float>::max());
    while (!queue.empty()) {
        const Step p = queue.top();
        queue.pop();
        for (const auto& d : around) visit(p.x + d[0], p.y + d[1], p.darkest);
    }

    // The foot of a shadow: where it meets a device lighter than its darkest,
    // the last pixels of its ramp fall as steeply as an edge. They are taken
    // when the shadow keeps darkening into them, a few pixels at most, and the
    // device rises from where it stops; a darker device's own edge falls onto
    // a plateau as dark, and stays.
    const int footDepth =
        std::max(1, static_cast<int>(std::lround(options.footDepthShare * std::max(small.cols, small.rows))));
    cv::Mat foot = cv::Mat::zeros(small.size(), CV_8U);
    const auto open = [&](int x, int y) {
        return inside(x, y) && subject.at<std::uint8_t>(y, x) && !peeled.at<std::uint8_t>(y, x) &&
               !foot.at<std::uint8_t>(y, x);
    };
    struct Reach {
        int x, y, depth;
        float darkest;
    };
    std::vector<Reach> frontier;
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (peeled.at<std::uint8_t>(y, x)) frontier.push_back({x, y, 0, darkestOn.at<float>(y, x)});
    while (!frontier.empty()) {
        const Reach r = frontier.back();
        frontier.pop_back();
        if (r.depth >= footDepth) continue;
        for (const auto& d : around) {
            const int x = r.x + d[0], y = r.y + d[1];
            if (!open(x, y) || !(distance.at<float>(y, x) > field.departure) || !inWallsShade(x, y) ||
                !(shareAt(x, y) < r.darkest))
                continue;
            foot.at<std::uint8_t>(y, x) = 255;
            frontier.push_back({x, y, r.depth + 1, shareAt(x, y)});
        }
    }
    // Each piece of foot is judged at its darkest pixels beside the device: the
    // device rises from them when its lightest pixel a couple of pixels on,
    // past the blur of its own edge, is lighter by more than the noise.
    cv::Mat pieces;
    const int count = cv::connectedComponents(foot, pieces, 4, CV_32S);
    std::vector<int> judged(static_cast<std::size_t>(count), 0), rising(static_cast<std::size_t>(count), 0);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const auto piece = static_cast<std::size_t>(pieces.at<int>(y, x));
            if (piece == 0) continue;
            bool beside = false, darkest = true;
            for (const auto& d : around) {
                const int u = x + d[0], v = y + d[1];
                if (!inside(u, v) || !subject.at<std::uint8_t>(v, u) || peeled.at<std::uint8_t>(v, u)) continue;
                beside = beside || !foot.at<std::uint8_t>(v, u);
                darkest = darkest && !(shareAt(u, v) < shareAt(x, y));
            }
            if (!beside || !darkest) continue;
            float lightest = 0;
            for (int v = y - 2; v <= y + 2; ++v)
                for (int u = x - 2; u <= x + 2; ++u)
                    if (open(u, v)) lightest = std::max(lightest, shareAt(u, v));
            ++judged[piece];
            rising[piece] += lightest > shareAt(x, y) + riseAt(x, y);
        }
    int feet = 0;
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const auto piece = static_cast<std::size_t>(pieces.at<int>(y, x));
            if (piece == 0 || judged[piece] == 0 || 2 * rising[piece] < judged[piece]) continue;
            peeled.at<std::uint8_t>(y, x) = 255;
            ++feet;
        }

    const int whole = cv::countNonZero(subject);
    const StageTrace trace(sink);
    if (const int taken = cv::countNonZero(peeled); taken > options.largestPeel * whole) {
        if (trace)
            trace("  ombres : " + traced(taken) + " px sur " + traced(whole) + ", plus de " +
                  percent(options.largestPeel) + " : le sujet lui-même, gardé entier");
        return subject;
    }
    const int withinHull = giveBackWithinHull(subject, peeled, options.strandWidth);
    const int peel = cv::countNonZero(peeled);
    if (trace)
        trace("  ombres : " + traced(peel) + " px ôtés sur " + traced(whole) + ", dont " + traced(feet) +
              " au pied d'un appareil plus clair ; " + traced(withinHull) +
              " rendus, dans l'enveloppe de ce qui reste");
    return largestFilled(subject & ~peeled);
}

}  // namespace photo_analysis::cut_out
