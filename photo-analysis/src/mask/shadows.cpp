#include "mask/shadows.hpp"

#include <algorithm>
#include <array>
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

// Light scales what a surface sends back, not the levels the photo encodes it
// in: the wall in shade is its linear colour times one factor, which on a
// coloured wall is no scaling of its encoded levels. Per pixel, what is left of
// the colour, in 8-bit levels, once the nearest such shade of the wall is taken
// off, and that as a share of the colour's own size.
struct ShadeFit {
    cv::Mat off;       // CV_32F
    cv::Mat offShare;  // CV_32F
};
double linearOf(double level) {
    const double c = level / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double levelOf(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    return 255.0 * (c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055);
}
ShadeFit shadeFit(const cv::Mat& rgb, const BackgroundField& field) {
    std::array<double, 256> linear;
    for (int v = 0; v < 256; ++v) linear[static_cast<std::size_t>(v)] = linearOf(v);
    ShadeFit fit{cv::Mat(rgb.size(), CV_32F), cv::Mat(rgb.size(), CV_32F)};
    for (int y = 0; y < rgb.rows; ++y) {
        const std::uint8_t* p = rgb.ptr<std::uint8_t>(y);
        const float* f = field.colours.ptr<float>(y);
        for (int x = 0; x < rgb.cols; ++x, p += 3, f += 3) {
            double along = 0, squared = 0, own = 0;
            std::array<double, 3> wall;
            for (int c = 0; c < 3; ++c) {
                wall[static_cast<std::size_t>(c)] = linearOf(std::clamp<double>(f[c], 0.0, 255.0));
                along += linear[p[c]] * wall[static_cast<std::size_t>(c)];
                squared += wall[static_cast<std::size_t>(c)] * wall[static_cast<std::size_t>(c)];
                own += static_cast<double>(p[c]) * p[c];
            }
            const double scale = squared > 0 ? along / squared : 0;
            double off = 0;
            for (int c = 0; c < 3; ++c) {
                const double d = p[c] - levelOf(scale * wall[static_cast<std::size_t>(c)]);
                off += d * d;
            }
            fit.off.at<float>(y, x) = static_cast<float>(std::sqrt(off));
            fit.offShare.at<float>(y, x) = own > 0 ? static_cast<float>(std::sqrt(off / own)) : 0.0f;
        }
    }
    return fit;
}

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

// A shadow falls on the wall, outside the device casting it: what the peel
// took within the device's hull is the device's own shading, a highlight
// fading across its face, unless it runs on within the hull to a bend of the
// device that holds lit wall (under a lamp's head, inside an L, past a thin
// part), `bendWallShare` as much as the peel beside it at least: a face's
// highlight brought to the wall's level is a patch, a bend mostly wall. Only
// beside a face of the wall's own hue (`ownHue`) may a highlight fade as a
// shadow would. What is the device's is given back; the count of pixels given
// back is returned.
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

// Wall the subject encloses is wall seen past a thin part when a shadow band
// parts it from the rest of the wall, and the peel, from both sides, crosses
// that band along this share of its rim at least. A stretch of the wall's
// level that the peel reaches only through a gap in a rim is a face of the
// wall's own shade, lit as the wall: it is the device's, and so is what the
// peel took from it. Returns both; `peeled` loses what was taken from the
// faces. `regions` labels what does not depart, `outer` tells the labels the
// border reaches, `origin` the label each peeled pixel was reached from.
struct Enclosed {
    cv::Mat faces;  // a face of the wall's own shade
    cv::Mat wall;   // wall seen past a thin part
};
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

}  // namespace

Peel withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& distance,
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

    // What is left of each pixel's colour once the nearest shade of the wall is
    // taken off, in levels and as a share of its own.
    const ShadeFit fit = shadeFit(small, field);
    // In the wall's shade: darker than the field, in its own colour, what is
    // left once the wall's nearest shade is taken off lying within the noise.
    const auto inWallsShade = [&](int x, int y) {
        const std::uint8_t* p = small.ptr<std::uint8_t>(y) + 3 * x;
        const float* f = field.colours.ptr<float>(y) + 3 * x;
        const double wall = static_cast<double>(f[0]) + f[1] + f[2];
        if (!(wall > options.darkestWall)) return false;
        const double share = (static_cast<double>(p[0]) + p[1] + p[2]) / wall;
        if (share < options.darkest || share > options.lightest) return false;
        return fit.off.at<float>(y, x) <= tintReach;
    };
    // Of a hue of its own, not the wall's at any brightness: what is left of
    // its colour once the wall's nearest shade is taken off is this share of it.
    const auto ofAnotherHue = [&](int x, int y) { return fit.offShare.at<float>(y, x) > options.anotherHue; };
    cv::Mat anotherHue(small.size(), CV_8U, cv::Scalar(0));
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (ofAnotherHue(x, y)) anotherHue.at<std::uint8_t>(y, x) = 255;
    // What departs from the wall within the subject: the wall it encloses (seen
    // between a thin arm and the shadow it casts, say) is wall too, and a shadow
    // is reached from whichever side it darkens.
    const cv::Mat departing = subject & (distance > field.departure);
    // How deep each pixel lies in what departs, for the fringe along its rim.
    cv::Mat rimDepth;
    cv::distanceTransform(departing, rimDepth, cv::DIST_L2, 3);
    const double fringeDepth = options.fringeDepthShare * std::max(small.cols, small.rows);
    // Pixels of the subject that may be shadow: in the wall's shade, without a
    // sharp edge, departing from the wall (those the subject merely encloses
    // are a device of the wall's own shade).
    const auto shadowColoured = [&](int x, int y) {
        return !sharp.at<std::uint8_t>(y, x) && distance.at<float>(y, x) > field.departure && inWallsShade(x, y);
    };
    const auto onRamp = [&](int x, int y) { return !(ramp.at<float>(y, x) < leastRamp); };
    // The shadow's faint outer fringe is all but flat: there, along the
    // subject's rim, a pixel barely darker than the wall passes without the
    // ramp.
    const auto inFringe = [&](int x, int y) {
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
    // The wall seen within the subject (as a thin part and the shadow it
    // casts close it in) is reached too, each stretch of it a region of its own.
    cv::Mat regions;
    const std::vector<char> outer =
        platform::regionsOnBorder(regions, cv::connectedComponents(~departing, regions, 4, CV_32S));
    cv::Mat origin(small.size(), CV_32S, cv::Scalar(0)), reachOn(small.size(), CV_32S, cv::Scalar(0));
    struct Step {
        float darkest;
        int x, y, reach, from;
        bool operator<(const Step& other) const { return darkest < other.darkest; }
    };
    std::priority_queue<Step> queue;
    const auto visit = [&](int x, int y, float darkest, int reach, int from) {
        if (!inside(x, y) || !departing.at<std::uint8_t>(y, x) || peeled.at<std::uint8_t>(y, x)) return;
        if (!shadowColoured(x, y) || shareAt(x, y) > darkest + riseAt(x, y)) return;
        if (!onRamp(x, y) && !inFringe(x, y)) return;
        peeled.at<std::uint8_t>(y, x) = 255;
        darkestOn.at<float>(y, x) = std::min(darkest, shareAt(x, y));
        origin.at<int>(y, x) = from;
        reachOn.at<int>(y, x) = reach;
        queue.push({darkestOn.at<float>(y, x), x, y, reach, from});
    };
    // From the stretches of wall the test picks, each pixel reached at most
    // `limit` pixels away.
    const auto flood = [&](bool fromOuter, int limit) {
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x) {
                const int r = regions.at<int>(y, x);
                if (r == 0 || (outer[static_cast<std::size_t>(r)] != 0) != fromOuter) continue;
                for (const auto& d : around)
                    visit(x + d[0], y + d[1], std::numeric_limits<float>::max(), 1, fromOuter ? 0 : r);
            }
        while (!queue.empty()) {
            const Step p = queue.top();
            queue.pop();
            if (p.reach >= limit) continue;
            for (const auto& d : around) visit(p.x + d[0], p.y + d[1], p.darkest, p.reach + 1, p.from);
        }
    };
    // From the wall the border reaches first.
    flood(true, std::numeric_limits<int>::max());

    // Plainly darker than the wall, as a shadow cast on it is, by a few departure
    // thresholds: what barely departs may be a face of nearly its shade.
    const cv::Mat plainlyDark = (wallGrey - smooth) > options.castDepartures * field.departure;
    // The lit wall the border reaches, and the sharp edges along it: where a
    // device's face meets the wall, which a shadow meets softly.
    cv::Mat lit = cv::Mat::zeros(small.size(), CV_8U);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (const int r = regions.at<int>(y, x); r != 0 && outer[static_cast<std::size_t>(r)])
                lit.at<std::uint8_t>(y, x) = 255;
    cv::Mat wallEdge;
    cv::dilate(lit, wallEdge, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(5, 5)));
    wallEdge &= sharp;
    cv::dilate(wallEdge, wallEdge, cv::Mat());

    // A shadow's core may be flat, past the ramp of its penumbra: a flat stretch
    // of the wall's shade, plainly darker than the wall (a face barely under
    // the wall's level is no shadow's core), no lighter than the ramp beside it, that the ramp
    // taken borders along `coreShare` of its rim at least, and that meets the
    // lit wall along no edge. A device's flat face of the wall's shade meets
    // the wall along its edge.
    {
        cv::Mat cores;
        cv::Mat candidate(small.size(), CV_8U, cv::Scalar(0));
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x)
                if (departing.at<std::uint8_t>(y, x) && !peeled.at<std::uint8_t>(y, x) && shadowColoured(x, y) &&
                    plainlyDark.at<std::uint8_t>(y, x))
                    candidate.at<std::uint8_t>(y, x) = 255;
        const int count = cv::connectedComponents(candidate, cores, 4, CV_32S);
        std::vector<int> rim(static_cast<std::size_t>(count), 0), bordered(rim), reach(rim), edged(rim);
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x) {
                const auto k = static_cast<std::size_t>(cores.at<int>(y, x));
                if (k == 0) continue;
                bool onRim = false, beside = false;
                for (const auto& d : around) {
                    const int u = x + d[0], v = y + d[1];
                    if (inside(u, v) && cores.at<int>(v, u) == static_cast<int>(k)) continue;
                    onRim = true;
                    if (inside(u, v) && peeled.at<std::uint8_t>(v, u) &&
                        shareAt(x, y) <= darkestOn.at<float>(v, u) + riseAt(x, y)) {
                        beside = true;
                        reach[k] = std::max(reach[k], reachOn.at<int>(v, u) + 1);
                    }
                }
                rim[k] += onRim;
                bordered[k] += beside;
                edged[k] += onRim && wallEdge.at<std::uint8_t>(y, x);
            }
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x) {
                const auto k = static_cast<std::size_t>(cores.at<int>(y, x));
                if (k == 0 || bordered[k] < options.coreShare * rim[k] ||
                    edged[k] >= options.wallEdgeShare * (edged[k] + bordered[k]))
                    continue;
                peeled.at<std::uint8_t>(y, x) = 255;
                darkestOn.at<float>(y, x) = shareAt(x, y);
                reachOn.at<int>(y, x) = reach[k];
            }
    }

    // Beside a device of another hue than the wall's, the wall's shade is
    // shadow wherever the lit wall reaches it softly: what the wall reaches
    // through the wall's shade beyond the peel, lighter again or flat (a thin
    // part's shadow beyond the darker one of a larger part), and meeting no
    // device but of another hue, is shadow too, unless its rim runs along an
    // edge against the wall as a face's does.
    {
        // The wall's shade the lit wall and the peel reach, past neither a sharp edge nor another colour.
        cv::Mat reached = peeled.clone();
        std::vector<cv::Point> stack;
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x)
                if (lit.at<std::uint8_t>(y, x) || peeled.at<std::uint8_t>(y, x)) stack.push_back({x, y});
        while (!stack.empty()) {
            const cv::Point p = stack.back();
            stack.pop_back();
            for (const auto& d : around) {
                const int u = p.x + d[0], v = p.y + d[1];
                if (!inside(u, v) || reached.at<std::uint8_t>(v, u) || !departing.at<std::uint8_t>(v, u) ||
                    !shadowColoured(u, v))
                    continue;
                reached.at<std::uint8_t>(v, u) = 255;
                stack.push_back({u, v});
            }
        }
        cv::Mat beyond;
        const int count = cv::connectedComponents(reached & ~peeled, beyond, 4, CV_32S);
        // Where each stretch meets the wall's side, lit wall or the shadow met
        // before: along an edge against the wall, or softly. And what device it
        // meets: only of another hue than the wall's, or of its shade too, as
        // a device's own side may be, indistinguishable from a shadow.
        std::vector<int> soft(static_cast<std::size_t>(count), 0), edged(soft), device(soft), foreign(soft);
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x) {
                const auto k = static_cast<std::size_t>(beyond.at<int>(y, x));
                if (k == 0) continue;
                bool meets = false;
                for (const auto& d : around) {
                    const int u = x + d[0], v = y + d[1];
                    if (!inside(u, v)) continue;
                    meets = meets || lit.at<std::uint8_t>(v, u) || peeled.at<std::uint8_t>(v, u);
                    if (departing.at<std::uint8_t>(v, u) && !reached.at<std::uint8_t>(v, u)) {
                        ++device[k];
                        foreign[k] += anotherHue.at<std::uint8_t>(v, u) != 0;
                    }
                }
                if (wallEdge.at<std::uint8_t>(y, x))
                    ++edged[k];
                else
                    soft[k] += meets;
            }
        for (int y = 0; y < small.rows; ++y)
            for (int x = 0; x < small.cols; ++x) {
                const auto k = static_cast<std::size_t>(beyond.at<int>(y, x));
                if (k == 0 || soft[k] == 0 || edged[k] >= options.wallEdgeShare * (edged[k] + soft[k]) ||
                    foreign[k] < options.foreignDevice * device[k])
                    continue;
                peeled.at<std::uint8_t>(y, x) = 255;
                darkestOn.at<float>(y, x) = shareAt(x, y);
            }
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
        return inside(x, y) && departing.at<std::uint8_t>(y, x) && !peeled.at<std::uint8_t>(y, x) &&
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
                if (!inside(u, v) || !departing.at<std::uint8_t>(v, u) || peeled.at<std::uint8_t>(v, u)) continue;
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

    // What the peel took within the device's hull, but in a bend of it that
    // holds wall, is the device's own shading.
    cv::Mat outerWall(small.size(), CV_8U, cv::Scalar(0));
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (const int r = regions.at<int>(y, x); r != 0 && outer[static_cast<std::size_t>(r)])
                outerWall.at<std::uint8_t>(y, x) = 255;
    const int withinHull = giveBackWithinHull(departing & ~peeled, peeled, outerWall, departing & ~peeled & ~anotherHue,
                                              options.strandWidth, options.bendWallShare);
    // Then from the wall the subject encloses, no farther than the shadows met
    // from the border reach: a shadow cast by a thin part is no wider than the
    // rest of its shadow.
    int farthest = 0;
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (peeled.at<std::uint8_t>(y, x)) farthest = std::max(farthest, reachOn.at<int>(y, x));
    flood(false, farthest);
    const Enclosed enclosed = enclosedWall(departing, peeled, regions, outer, origin, options.passageShare);
    const cv::Mat& ownWall = enclosed.faces;
    const int whole = cv::countNonZero(subject);
    const StageTrace trace(sink);
    // What the peel leaves in other colours than the wall's shade: a device.
    int ownColours = 0;
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            ownColours += departing.at<std::uint8_t>(y, x) && !peeled.at<std::uint8_t>(y, x) && !inWallsShade(x, y);
    if (const int taken = cv::countNonZero(peeled);
        taken > options.largestPeel * whole && ownColours < options.leastOwnColours * whole) {
        if (trace)
            trace("  ombres : " + traced(taken) + " px sur " + traced(whole) + ", plus de " +
                  percent(options.largestPeel) + " sans appareil d'autres couleurs : le sujet lui-même, gardé entier");
        const cv::Mat none = cv::Mat::zeros(subject.size(), CV_8U);
        return {subject, none, none};
    }
    if (trace)
        trace("  ombres : " + traced(cv::countNonZero(peeled)) + " px ôtés sur " + traced(whole) + ", dont " +
              traced(feet) + " au pied d'un appareil plus clair ; " + traced(withinHull) +
              " rendus, dans l'enveloppe de ce qui reste sans mur qui les prolonge");
    // The wall the peel opened to the rest of the wall goes with it; what the
    // device encloses stays, and so does a face of the wall's own shade.
    Peel peel;
    peel.subject = largestFilled((departing & ~peeled) | ownWall);
    peel.shadows = subject & ~peel.subject;
    // Of what was taken off, the shadow beside a device of other colours than
    // the wall's shade (another hue, lighter than the wall, darker than any
    // shadow), and the wall seen past a thin part with the shadow around it,
    // are plainly no device. Beside a device of the wall's shade its own side
    // looks the same as its shadow: that one is not sure.
    cv::Mat shadowPieces;
    std::vector<char> sure(static_cast<std::size_t>(cv::connectedComponents(peel.shadows, shadowPieces, 4, CV_32S)), 0);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const auto piece = static_cast<std::size_t>(shadowPieces.at<int>(y, x));
            if (piece == 0 || sure[piece]) continue;
            bool beside = enclosed.wall.at<std::uint8_t>(y, x) != 0;
            for (const auto& d : around) {
                const int u = x + d[0], v = y + d[1];
                beside = beside || (inside(u, v) && peel.subject.at<std::uint8_t>(v, u) && !inWallsShade(u, v));
            }
            sure[piece] = beside;
        }

    peel.cast = cv::Mat::zeros(small.size(), CV_8U);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (sure[static_cast<std::size_t>(shadowPieces.at<int>(y, x))] &&
                (plainlyDark.at<std::uint8_t>(y, x) || enclosed.wall.at<std::uint8_t>(y, x)))
                peel.cast.at<std::uint8_t>(y, x) = 255;
    return peel;
}

}  // namespace photo_analysis::cut_out
