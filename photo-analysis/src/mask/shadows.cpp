#include "mask/shadows.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <queue>
#include <vector>

#include "mask/shadow_cues.hpp"
#include "mask/shadow_wall.hpp"
#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::WorkingPhoto;

namespace {

constexpr int around[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

}  // namespace

Peel withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& distance,
                    const cv::Mat& subject, const ShadowOptions& options, const TraceSink& sink) {
    const cv::Mat& small = working.small;
    const ShadowCues cues(small, field, distance, options);
    const auto inside = [&](int x, int y) { return cues.inside(x, y); };
    const auto inWallsShade = [&](int x, int y) { return cues.inWallsShade(x, y); };
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
        return !cues.sharp(x, y) && cues.departs(x, y) && cues.inWallsShade(x, y);
    };
    // The shadow's faint outer fringe is all but flat: there, along the
    // subject's rim, a pixel barely darker than the wall passes without the
    // ramp.
    const auto inFringe = [&](int x, int y) {
        return cues.barelyDark(x, y, options.fringeSpreads) && rimDepth.at<float>(y, x) <= fringeDepth;
    };
    const auto shareAt = [&](int x, int y) { return cues.share(x, y); };
    const auto riseAt = [&](int x, int y) { return cues.rise(x, y); };

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
        if (!cues.onRamp(x, y) && !inFringe(x, y)) return;
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

    // The lit wall the border reaches, and the sharp edges along it: where a
    // device's face meets the wall, which a shadow meets softly.
    cv::Mat lit = cv::Mat::zeros(small.size(), CV_8U);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (const int r = regions.at<int>(y, x); r != 0 && outer[static_cast<std::size_t>(r)])
                lit.at<std::uint8_t>(y, x) = 255;
    cv::Mat wallEdge;
    cv::dilate(lit, wallEdge, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(5, 5)));
    wallEdge &= cues.sharpEdges();
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
                    cues.plainlyDark(x, y))
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
                        foreign[k] += cues.ofAnotherHue(u, v);
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
            if (!open(x, y) || !cues.departs(x, y) || !inWallsShade(x, y) || !(shareAt(x, y) < r.darkest)) continue;
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
    // A pixel beside one of another hue is a blend of the two, along the
    // device's edge with its shadow: its hue tells nothing.
    cv::Mat blended;
    cv::dilate(cues.anotherHue(), blended, cv::Mat());
    const int withinHull = giveBackWithinHull(departing & ~peeled, peeled, outerWall, departing & ~peeled & ~blended,
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
        return {subject, none, {none, none}, taken >= options.onlyShade * whole};
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
    // looks the same as its shadow: that one is not sure. Beside a device of
    // another hue, the shadow's faint fringe is no device either; a pixel or
    // two from such a device, the blend along its edge tells no hue.
    cv::Mat shadowPieces, nearHue;
    const int pieceCount = cv::connectedComponents(peel.shadows, shadowPieces, 4, CV_32S);
    std::vector<char> sure(static_cast<std::size_t>(pieceCount), 0), besideHue(sure);
    cv::dilate(cues.anotherHue() & peel.subject, nearHue, cv::Mat(), cv::Point(-1, -1), 2);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const auto piece = static_cast<std::size_t>(shadowPieces.at<int>(y, x));
            if (piece == 0 || (sure[piece] && besideHue[piece])) continue;
            bool beside = enclosed.wall.at<std::uint8_t>(y, x) != 0;
            for (const auto& d : around) {
                const int u = x + d[0], v = y + d[1];
                beside = beside || (inside(u, v) && peel.subject.at<std::uint8_t>(v, u) && !inWallsShade(u, v));
            }
            sure[piece] = sure[piece] || beside;
            besideHue[piece] = besideHue[piece] || nearHue.at<std::uint8_t>(y, x) != 0;
        }

    peel.cast.core = cv::Mat::zeros(small.size(), CV_8U);
    peel.cast.fringe = cv::Mat::zeros(small.size(), CV_8U);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const auto piece = static_cast<std::size_t>(shadowPieces.at<int>(y, x));
            if (!sure[piece]) continue;
            if (cues.plainlyDark(x, y) || enclosed.wall.at<std::uint8_t>(y, x))
                peel.cast.core.at<std::uint8_t>(y, x) = 255;
            else if (besideHue[piece])
                peel.cast.fringe.at<std::uint8_t>(y, x) = 255;
        }
    return peel;
}

}  // namespace photo_analysis::cut_out
