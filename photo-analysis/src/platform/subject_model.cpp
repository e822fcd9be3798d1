#include "platform/subject_model.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "platform/mask_ops.hpp"
#include "platform/subject_gate.hpp"

namespace photo_analysis::platform {

namespace {

// Least squares over the band, then outliers over 3 spreads dropped, twice more.
constexpr int fitPasses = 3;
constexpr double outlierSpreads = 3.0;
// The first cut, about the median: wide, since a graded wall spreads far from
// its median, and never under a few levels.
constexpr double medianCutSpreads = 4.0, medianCutFloor = 4.0;
// A wall departs from its field by noise alone; the subject by more than this
// many noise spreads, and never by less than `minimumDeparture` 8-bit units.
constexpr double departureSpreads = 4.0;
constexpr double minimumDeparture = 3.0;
// Certain background: met from the border, under this share of the departure threshold.
constexpr double certainBackgroundShare = 0.5;
// At the refining size the departure is averaged over at most this many pixels.
constexpr double fineSmoothing = 0.7;

// Edges of a closed outline: the grey smoothed over this many refining pixels,
// edges where its slope passes these multiples of the wall's own slopes (the
// border band's median), and never under `leastEdgeSlope` 8-bit units a pixel.
constexpr double outlineSmoothing = 1.0;
constexpr double strongEdgeSlopes = 6.0, weakEdgeSlopes = 3.0;
constexpr double leastEdgeSlope = 1.5;
// The grown subject may not come nearer the border than this share of the
// longer side, nor grow past this many times the subject's area.
constexpr double outlineBorderShare = 0.01;
constexpr double largestGrowth = 6.0;
// What the outline adds counts only in stretches thicker than this share of the
// longer side, and only when they come to this share of the subject.
constexpr double outlineSliverShare = 0.003;
constexpr double leastAddedShare = 0.02;
// An outline that holds this share of the subject holds all of it, and bounds it
// on the photo's own edges; the subject may not shrink below this share.
constexpr double wholeOutlineShare = 0.97;
constexpr double leastKeptShare = 0.85;
constexpr double partOutlineShare = 0.5;
// A side of another hue beside such an outline reaches this share of the longer
// side out from it, and departs from every blend of the wall and the subject
// (and from the wall's shade) by more than this many levels, and is lighter
// than the wall in some channel by more than half as many.
constexpr double hueSideShare = 0.006;
constexpr double hueSideLevels = 16.0;
// An outline this much within the hull of a subject it holds little of lies
// inside the subject: the subject is the device's shade and side around it.
constexpr double shadeAroundShare = 0.95;
// An outline broken where face and wall meet in the same shade (a highlight, a
// corner's rounding) is closed across gaps up to this share of the longer side;
// past this many loose ends the edges are a texture's, left as they are.
constexpr double outlineGapShare = 0.04;
constexpr std::size_t mostLooseEnds = 400;
// Ends that run on towards each other within this angle are joined across gaps
// up to the larger share; an end's heading is read over this many pixels.
constexpr double straightGapShare = 0.2;
constexpr double straightGapAngle = 20.0 * std::numbers::pi / 180;
constexpr int endReach = 5;
// Two edges that, run on, meet at a corner at least this far from straight.
constexpr double leastCornerAngle = 50.0 * std::numbers::pi / 180;
// Two edges that run the same way within the first angle, their ends side by
// side within the second and at most this share of the longer side apart.
constexpr double sideTurn = 45.0 * std::numbers::pi / 180;
constexpr double sideAngle = 30.0 * std::numbers::pi / 180;
constexpr double sideGapShare = 0.4;
// Corners and sides are not drawn across the subject deeper than this share of
// the longer side in from its edge.
constexpr double bodyDepthShare = 0.01;
// A piece of the subject outside its outline is edged when this share of its
// rim against the wall lies within this share of the longer side of an edge;
// unedged, it is the wall's shade when its colour lies within these levels, or
// this share of the wall's, of the wall's beside it scaled down.
constexpr double leastEdgedRim = 0.5;
constexpr double edgeSnapShare = 0.005;
constexpr double shadeColourLevels = 4.0, shadeColourShare = 0.08;
// Only a piece that meets the wall along this share of its edge at least.
constexpr double wallRimShare = 0.5;

// Shadows: a pixel at most this share of the field's brightness and at least
// the lower one, its channels within `shadowTint` of the same share; a slope of
// at least `sharpSlope` 8-bit units a pixel that is `sharpShare` of the rise
// over five pixels is an edge a shadow never has; a peel taking more than
// `largestPeel` of the subject took the subject itself.
constexpr double shadowDarkest = 0.4, shadowLightest = 1.0, shadowTint = 0.04;
constexpr double sharpSlope = 1.0, sharpShare = 0.3;
// A soft shadow is a ramp: at the working size its brightness changes by at
// least this much a pixel (8-bit units), where a device's flat side does not.
constexpr double shadowRamp = 0.35, rampNoiseSpreads = 0.8;
// A shadow's fringe: darker than the field by under this many departure thresholds.
constexpr double fringeSpreads = 1.5;
constexpr double largestPeel = 0.6;

// Each loose end of a thin edge map joined by a straight line to the nearest
// other loose end within `reach` pixels, or within `straightReach` where the
// two edges run on towards each other: one straight edge broken where face
// and wall meet in the same shade. Ends left over are joined through the
// corner where their edges, run on, would meet, or across a side up to
// `sideReach` pixels long where their edges run the same way side by side;
// neither is drawn across `body`, the subject's inside.
void bridgeGaps(cv::Mat& edges, const cv::Mat& body, double reach, double straightReach, double sideReach) {
    struct End {
        cv::Point at;
        cv::Point2d heading;  // unit, the way the edge runs out
    };
    std::vector<End> ends;
    for (int y = 1; y + 1 < edges.rows; ++y) {
        for (int x = 1; x + 1 < edges.cols; ++x) {
            if (!edges.at<std::uint8_t>(y, x)) continue;
            // An end: its neighbours, walked round, form one run of at most three.
            static constexpr int ring[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
            int neighbours = 0, runs = 0;
            for (int k = 0; k < 8; ++k) {
                const bool on = edges.at<std::uint8_t>(y + ring[k][1], x + ring[k][0]) != 0;
                const bool before = edges.at<std::uint8_t>(y + ring[(k + 7) % 8][1], x + ring[(k + 7) % 8][0]) != 0;
                neighbours += on;
                runs += on && !before;
            }
            if (runs != 1 || neighbours > 3) continue;
            // The heading: from the edge's pixels just behind the end to the end.
            cv::Point2d behind(0, 0);
            int count = 0;
            for (int dy = -endReach; dy <= endReach; ++dy)
                for (int dx = -endReach; dx <= endReach; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u < 0 || v < 0 || u >= edges.cols || v >= edges.rows || !edges.at<std::uint8_t>(v, u)) continue;
                    behind += cv::Point2d(u, v);
                    ++count;
                }
            cv::Point2d heading = cv::Point2d(x, y) - behind * (1.0 / count);
            const double length = std::hypot(heading.x, heading.y);
            heading = length > 0 ? heading * (1.0 / length) : cv::Point2d(0, 0);
            ends.push_back({{x, y}, heading});
        }
    }
    if (ends.size() > mostLooseEnds) return;
    const double aligned = std::cos(straightGapAngle);
    std::vector<std::pair<cv::Point, cv::Point>> links;
    std::vector<char> linked(ends.size(), 0);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        double best = std::numeric_limits<double>::max();
        std::size_t partner = i;
        for (std::size_t j = 0; j < ends.size(); ++j) {
            const cv::Point2d d = cv::Point2d(ends[j].at - ends[i].at);
            const double distance = std::hypot(d.x, d.y);
            if (j == i || distance <= 2 || distance >= best) continue;
            const cv::Point2d way = d * (1.0 / distance);
            const bool straight = ends[i].heading.dot(way) >= aligned && ends[j].heading.dot(-way) >= aligned;
            if (distance < reach || (straight && distance < straightReach)) {
                best = distance;
                partner = j;
            }
        }
        if (partner != i) {
            links.push_back({ends[i].at, ends[partner].at});
            linked[i] = linked[partner] = 1;
        }
    }
    const auto crossesBody = [&](cv::Point a, cv::Point b) {
        cv::LineIterator line(body, a, b, 8);
        for (int k = 0; k < line.count; ++k, ++line)
            if (**line) return true;
        return false;
    };
    // A rounded corner lost in the wall's shade: two ends left over whose
    // edges, run on, cross ahead of both within the straight reach are joined
    // through that corner.
    const double bent = std::sin(leastCornerAngle);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        if (linked[i]) continue;
        double best = std::numeric_limits<double>::max();
        std::size_t partner = i;
        cv::Point corner;
        for (std::size_t j = 0; j < ends.size(); ++j) {
            if (j == i || linked[j]) continue;
            const cv::Point2d a(ends[i].at), b(ends[j].at), u = ends[i].heading, v = ends[j].heading;
            const double turn = u.cross(v);
            if (std::abs(turn) < bent) continue;
            const double t = (b - a).cross(v) / turn, s = (b - a).cross(u) / turn;
            if (t <= 0 || s <= 0 || t > straightReach || s > straightReach || t + s >= best) continue;
            const cv::Point2d meet = a + u * t;
            const cv::Point at(cvRound(meet.x), cvRound(meet.y));
            if (crossesBody(ends[i].at, at) || crossesBody(at, ends[j].at)) continue;
            best = t + s;
            partner = j;
            corner = at;
        }
        if (partner == i) continue;
        links.push_back({ends[i].at, corner});
        links.push_back({corner, ends[partner].at});
        linked[i] = linked[partner] = 1;
    }
    // A whole side lost in the wall's shade: two ends left over whose edges
    // run the same way, side by side, are joined straight across.
    const double parallel = std::cos(sideTurn), across = std::sin(sideAngle);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        if (linked[i]) continue;
        double best = std::numeric_limits<double>::max();
        std::size_t partner = i;
        for (std::size_t j = 0; j < ends.size(); ++j) {
            if (j == i || linked[j]) continue;
            const cv::Point2d d = cv::Point2d(ends[j].at - ends[i].at);
            const double distance = std::hypot(d.x, d.y);
            if (distance <= 2 || distance > sideReach || distance >= best) continue;
            const cv::Point2d way = d * (1.0 / distance);
            if (ends[i].heading.dot(ends[j].heading) < parallel || std::abs(ends[i].heading.dot(way)) > across ||
                std::abs(ends[j].heading.dot(way)) > across || crossesBody(ends[i].at, ends[j].at))
                continue;
            best = distance;
            partner = j;
        }
        if (partner == i) continue;
        // The end further back runs on until level with the other, so that
        // the side drawn stands square to the edges it joins; their way is
        // read from the end that stands squarer to the gap, the other's may
        // already turn with a corner's rounding.
        const End& first = ends[i];
        const End& second = ends[partner];
        cv::Point2d gap = cv::Point2d(second.at - first.at);
        gap *= 1.0 / std::hypot(gap.x, gap.y);
        const cv::Point2d way =
            std::abs(first.heading.dot(gap)) <= std::abs(second.heading.dot(gap)) ? first.heading : second.heading;
        const double lead = (cv::Point2d(second.at) - cv::Point2d(first.at)).dot(way);
        const End& behind = lead > 0 ? first : second;
        const End& ahead = lead > 0 ? second : first;
        const cv::Point2d runOn = cv::Point2d(behind.at) + behind.heading * (std::abs(lead) / behind.heading.dot(way));
        const cv::Point level(cvRound(runOn.x), cvRound(runOn.y));
        links.push_back({behind.at, level});
        links.push_back({level, ahead.at});
        linked[i] = linked[partner] = 1;
    }
    for (const auto& [a, b] : links) cv::line(edges, a, b, cv::Scalar(255));
}

// The quadratic terms of a position, in coordinates that run over −1…1 along
// the longer side, so the fit stays well conditioned at any size.
struct Terms {
    double centreX, centreY, scale;
    std::array<double, 6> at(int x, int y) const {
        const double u = (x + 0.5 - centreX) / scale, v = (y + 0.5 - centreY) / scale;
        return {1.0, u, v, u * u, u * v, v * v};
    }
};

// 1.4826 × the median absolute value: the spread of normal noise, unmoved by outliers.
double robustSpread(std::vector<double> values) {
    if (values.empty()) return 0;
    for (double& v : values) v = std::abs(v);
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return 1.4826 * *middle;
}

}  // namespace

BackgroundField fittedField(const cv::Mat& rgb, double bandShare) {
    const int band = std::max(2, static_cast<int>(std::lround(bandShare * std::max(rgb.cols, rgb.rows))));
    const Terms terms{rgb.cols / 2.0, rgb.rows / 2.0, std::max(rgb.cols, rgb.rows) / 2.0};
    struct Sample {
        std::array<double, 6> terms;
        std::array<double, 3> colour;
    };
    std::vector<Sample> samples;
    for (int y = 0; y < rgb.rows; ++y) {
        const bool edgeRow = y < band || y >= rgb.rows - band;
        const std::uint8_t* row = rgb.ptr<std::uint8_t>(y);
        for (int x = 0; x < rgb.cols; ++x) {
            if (!edgeRow && x >= band && x < rgb.cols - band) x = rgb.cols - band;
            const std::uint8_t* p = row + 3 * x;
            samples.push_back({terms.at(x, y), {double(p[0]), double(p[1]), double(p[2])}});
        }
    }

    std::array<cv::Mat, 3> coefficients;
    // A first cut about the band's median colour, so that a subject crossing
    // the border (bright on a dark wall, say) does not bend the first fit.
    std::vector<char> kept(samples.size(), 1);
    for (int c = 0; c < 3; ++c) {
        std::vector<double> values(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) values[i] = samples[i].colour[c];
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        const double median = *middle;
        for (double& v : values) v -= median;
        const double spread = std::max(robustSpread(values), medianCutFloor);
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (std::abs(samples[i].colour[c] - median) > medianCutSpreads * spread) kept[i] = 0;
    }
    double noise = 0;
    for (int pass = 0; pass < fitPasses; ++pass) {
        cv::Mat normal = cv::Mat::zeros(6, 6, CV_64F), right = cv::Mat::zeros(6, 3, CV_64F);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (!kept[i]) continue;
            const Sample& s = samples[i];
            for (int a = 0; a < 6; ++a) {
                for (int b = 0; b < 6; ++b) normal.at<double>(a, b) += s.terms[a] * s.terms[b];
                for (int c = 0; c < 3; ++c) right.at<double>(a, c) += s.terms[a] * s.colour[c];
            }
        }
        cv::Mat solution;
        if (!cv::solve(normal, right, solution, cv::DECOMP_SVD)) break;
        for (int c = 0; c < 3; ++c) coefficients[c] = solution.col(c).clone();
        // Residuals of every sample, the spread from those kept.
        std::array<std::vector<double>, 3> residuals;
        std::vector<std::array<double, 3>> all(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            for (int c = 0; c < 3; ++c) {
                double fit = 0;
                for (int a = 0; a < 6; ++a) fit += coefficients[c].at<double>(a) * samples[i].terms[a];
                all[i][c] = samples[i].colour[c] - fit;
                if (kept[i]) residuals[c].push_back(all[i][c]);
            }
        }
        noise = 0;
        std::array<double, 3> spread;
        for (int c = 0; c < 3; ++c) {
            spread[c] = std::max(robustSpread(residuals[c]), 0.5);
            noise = std::max(noise, spread[c]);
        }
        for (std::size_t i = 0; i < samples.size(); ++i) {
            kept[i] = 1;
            for (int c = 0; c < 3; ++c)
                if (std::abs(all[i][c]) > outlierSpreads * spread[c]) kept[i] = 0;
        }
    }

    BackgroundField field;
    field.noise = noise;
    field.colours.create(rgb.size(), CV_32FC3);
    for (int y = 0; y < rgb.rows; ++y) {
        float* q = field.colours.ptr<float>(y);
        for (int x = 0; x < rgb.cols; ++x, q += 3) {
            const std::array<double, 6> t = terms.at(x, y);
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                if (!coefficients[c].empty())
                    for (int a = 0; a < 6; ++a) v += coefficients[c].at<double>(a) * t[a];
                q[c] = static_cast<float>(v);
            }
        }
    }
    return field;
}

cv::Mat fieldDistance(const cv::Mat& rgb, const BackgroundField& field, double sigma) {
    cv::Mat difference;
    rgb.convertTo(difference, CV_32FC3);
    difference -= field.colours;
    if (sigma > 0) cv::GaussianBlur(difference, difference, cv::Size(0, 0), sigma);
    cv::Mat squared = difference.mul(difference);
    cv::Mat distance;
    cv::transform(squared, distance, cv::Matx13f(1, 1, 1));
    cv::sqrt(distance, distance);
    return distance;
}

double departureThreshold(const BackgroundField& field) {
    return std::max(departureSpreads * field.noise, minimumDeparture);
}

cv::Mat fieldSubject(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field) {
    // Averaging spreads a strong edge's departure onto the wall beside it: a
    // pixel also departs by half the threshold on its own.
    const double threshold = departureThreshold(field);
    cv::Mat departs = (distance > threshold) & (fieldDistance(rgb, field, 0) > 0.5 * threshold);
    return withoutThinLines(departs);
}

cv::Mat withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject) {
    const cv::Mat& small = working.small;
    // Sharp edges: a step of a pixel or two, where the slope is a large share
    // of the rise over a few pixels around; a soft shadow's ramp rises as much
    // only over many pixels.
    cv::Mat grey, smooth, dx, dy, slope, highest, lowest;
    cv::cvtColor(small, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, smooth, cv::Size(0, 0), 0.7);
    cv::Sobel(smooth, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(smooth, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5));
    cv::dilate(smooth, highest, window);
    cv::erode(smooth, lowest, window);
    cv::Mat sharp = (slope > sharpSlope) & (slope > sharpShare * (highest - lowest));
    cv::dilate(sharp, sharp, cv::Mat());

    // Unsmoothed, so that a step's blur does not reach into a flat side beside it.
    cv::Mat ramp;
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, ramp);

    // Noise alone makes slopes too: a ramp rises clear of it.
    const double leastRamp = std::max(shadowRamp, rampNoiseSpreads * field.noise);

    // Pixels of the subject that may be shadow: on a ramp without a sharp edge,
    // darker than the field, in its tint.
    const auto shadowLike = [&](int x, int y) {
        if (sharp.at<std::uint8_t>(y, x)) return false;
        const std::uint8_t* p = small.ptr<std::uint8_t>(y) + 3 * x;
        const float* f = field.colours.ptr<float>(y) + 3 * x;
        const double wall = static_cast<double>(f[0]) + f[1] + f[2];
        if (!(wall > 30)) return false;
        const double share = (static_cast<double>(p[0]) + p[1] + p[2]) / wall;
        if (share < shadowDarkest || share > shadowLightest) return false;
        // The shadow's faint outer fringe is all but flat: there, a pixel
        // barely darker than the wall passes without the ramp.
        const double darkening = (wall - (static_cast<double>(p[0]) + p[1] + p[2])) / 3.0;
        if (ramp.at<float>(y, x) < leastRamp && darkening >= fringeSpreads * departureThreshold(field)) return false;
        for (int c = 0; c < 3; ++c)
            if (f[c] > 10 && std::abs(p[c] / static_cast<double>(f[c]) - share) > shadowTint) return false;
        return true;
    };
    cv::Mat peeled = cv::Mat::zeros(small.size(), CV_8U);
    std::vector<cv::Point> stack;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= small.cols || y >= small.rows) return;
        if (!subject.at<std::uint8_t>(y, x) || peeled.at<std::uint8_t>(y, x)) return;
        if (!shadowLike(x, y)) return;
        peeled.at<std::uint8_t>(y, x) = 255;
        stack.push_back({x, y});
    };
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (!subject.at<std::uint8_t>(y, x)) {
                visit(x + 1, y);
                visit(x - 1, y);
                visit(x, y + 1);
                visit(x, y - 1);
            }
    while (!stack.empty()) {
        const cv::Point p = stack.back();
        stack.pop_back();
        visit(p.x + 1, p.y);
        visit(p.x - 1, p.y);
        visit(p.x, p.y + 1);
        visit(p.x, p.y - 1);
    }
    if (cv::countNonZero(peeled) > largestPeel * cv::countNonZero(subject)) return subject;
    return largestFilled(subject & ~peeled);
}

cv::Mat seededCut(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field, const cv::Mat& subject,
                  const cv::Mat& shadows, int iterations) {
    cv::Mat labels(rgb.size(), CV_8U, cv::Scalar(cv::GC_PR_BGD));
    labels.setTo(cv::GC_PR_FGD, subject);
    // Certain background: wall that barely departs, reached from the border.
    const cv::Mat quiet = distance < certainBackgroundShare * departureThreshold(field);
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
    const int inset = std::max(2, std::max(rgb.cols, rgb.rows) / 100);
    cv::erode(subject, core, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * inset + 1, 2 * inset + 1)));
    labels.setTo(cv::GC_FGD, core);
    grabCutFromLabels(rgb, labels, iterations);
    return largestFilled((labels == cv::GC_FGD) | (labels == cv::GC_PR_FGD));
}

// The pieces of `rest` (outside the outline, 8-bit, the size of `image`) that
// are not the device's shade: a piece whose rim against the wall mostly runs
// along no edge of the photo, and whose colour is the wall's beside it, only
// darker, is a soft shadow; a side of the body has an edge or a colour of
// its own.
cv::Mat withoutSoftShade(const cv::Mat& image, const cv::Mat& rest, const cv::Mat& subject, const cv::Mat& edges,
                         const cv::Mat& reach) {
    const int longer = std::max(image.cols, image.rows);
    const int snap = std::max(2, static_cast<int>(std::lround(edgeSnapShare * longer)));
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
        // A piece the outline's own edges wrap lies within the device.
        if (rimLength < wallRimShare * cv::countNonZero(edge(box) & inside)) continue;
        if (rimLength == 0 || cv::countNonZero(pieceRim & nearEdge(box)) >= leastEdgedRim * rimLength) continue;
        cv::Mat beside;
        cv::dilate(inside, beside, disc, cv::Point(-1, -1), 2);
        beside &= ~subject(box) & ~nearOutline(box);
        if (cv::countNonZero(beside) == 0) continue;
        const cv::Scalar own = cv::mean(image(box), inside), wall = cv::mean(image(box), beside);
        const double scale = own.dot(wall) / std::max(1.0, wall.dot(wall));
        const cv::Scalar residual = own - wall * scale;
        const double off = std::sqrt(residual.dot(residual)), wallLevel = std::sqrt(wall.dot(wall));
        if (scale < 1.0 && off <= std::max(shadeColourLevels, shadeColourShare * wallLevel)) kept(box).setTo(0, inside);
    }
    return kept;
}

// What lies just outside the outline in a colour no blur of the wall and the
// subject beside it makes, nor a shadow on the wall: a side of another hue whose
// edge with the wall the grey edges miss (a grey side on a blue wall of its
// shade). The wall and the subject are the mean colours of each within a few
// pixels.
cv::Mat sideOfAnotherHue(const cv::Mat& image, const cv::Mat& outline) {
    const int longer = std::max(image.cols, image.rows);
    const int reach = std::max(2, static_cast<int>(std::lround(hueSideShare * longer)));
    const auto disc = [](int radius) {
        return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * radius + 1, 2 * radius + 1));
    };
    cv::Mat side(image.size(), CV_8U, cv::Scalar(0));
    // Mean colours of the masked pixels over a window that reaches both sides,
    // within the outline's box and that window around it.
    const int half = 2 * reach + 2;
    const cv::Rect box = cv::boundingRect(outline);
    if (box.empty()) return side;
    const cv::Rect area =
        (box + cv::Size(4 * half, 4 * half) - cv::Point(2 * half, 2 * half)) & cv::Rect(0, 0, image.cols, image.rows);
    const cv::Mat shape = outline(area);
    cv::Mat near, far, inner;
    cv::dilate(shape, near, disc(reach));
    cv::dilate(shape, far, disc(reach + 2));
    cv::erode(shape, inner, disc(2));
    // The means vary slowly: they are taken on cells of `cell` pixels a side,
    // over the cells wholly within each mask.
    const int cell = std::max(1, reach / 2);
    const cv::Size cells((area.width + cell - 1) / cell, (area.height + cell - 1) / cell);
    cv::Mat coarse;
    cv::resize(image(area), coarse, cells, 0, 0, cv::INTER_AREA);
    coarse.convertTo(coarse, CV_32FC3);
    const cv::Size window(2 * (half / cell) + 1, 2 * (half / cell) + 1);
    const auto localMean = [&](const cv::Mat& mask, cv::Mat& mean, cv::Mat& weight) {
        cv::resize(mask, weight, cells, 0, 0, cv::INTER_AREA);
        weight = weight == 255;
        mean = cv::Mat::zeros(cells, CV_32FC3);
        coarse.copyTo(mean, weight);
        weight.convertTo(weight, CV_32F, 1.0 / 255.0);
        cv::boxFilter(mean, mean, -1, window, cv::Point(-1, -1), false);
        cv::boxFilter(weight, weight, -1, window, cv::Point(-1, -1), false);
    };
    cv::Mat wall, wallWeight, own, ownWeight;
    localMean(far == 0, wall, wallWeight);
    localMean(inner, own, ownWeight);
    for (int y = 0; y < area.height; ++y) {
        const std::uint8_t* n = near.ptr<std::uint8_t>(y);
        const std::uint8_t* o = shape.ptr<std::uint8_t>(y);
        const cv::Vec3b* pixel = image.ptr<cv::Vec3b>(y + area.y) + area.x;
        const cv::Vec3f* w = wall.ptr<cv::Vec3f>(y / cell);
        const cv::Vec3f* f = own.ptr<cv::Vec3f>(y / cell);
        const float* ww = wallWeight.ptr<float>(y / cell);
        const float* fw = ownWeight.ptr<float>(y / cell);
        std::uint8_t* out = side.ptr<std::uint8_t>(y + area.y) + area.x;
        for (int x = 0; x < area.width; ++x) {
            const int k = x / cell;
            if (!n[x] || o[x] || ww[k] < 1 || fw[k] < 1) continue;
            const cv::Vec3f colour = pixel[x];
            const cv::Vec3f wallColour = w[k] / ww[k], ownColour = f[k] / fw[k];
            const cv::Vec3f fromWall = colour - wallColour, across = ownColour - wallColour;
            // The nearest blend of wall and subject, and the nearest shade of the wall.
            const float blend = std::clamp(fromWall.dot(across) / std::max(1.0f, across.dot(across)), 0.0f, 1.0f);
            const float shade =
                std::clamp(colour.dot(wallColour) / std::max(1.0f, wallColour.dot(wallColour)), 0.0f, 1.0f);
            const cv::Vec3f offBlend = fromWall - across * blend, offShade = colour - wallColour * shade;
            // A shadow darkens every channel, whatever the colour of its light.
            const bool darker = std::max({fromWall[0], fromWall[1], fromWall[2]}) <= hueSideLevels / 2;
            if (!darker && std::min(cv::norm(offBlend), cv::norm(offShade)) > hueSideLevels) out[x] = 255;
        }
    }
    return side;
}

std::optional<cv::Mat> closedOutlineAround(const WorkingPhoto& working, const cv::Mat& subject) {
    const cv::Mat& fine = working.refine;
    if (fine.cols < 16 || fine.rows < 16 || cv::countNonZero(subject) == 0) return std::nullopt;
    cv::Mat grey;
    cv::cvtColor(fine, grey, cv::COLOR_RGB2GRAY);
    cv::GaussianBlur(grey, grey, cv::Size(0, 0), outlineSmoothing);
    cv::Mat dx, dy, slope;
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    // The wall's own slopes: noise and light falling off, read along the border.
    const int band = std::max(2, static_cast<int>(std::lround(0.04 * std::max(fine.cols, fine.rows))));
    std::vector<float> wall;
    for (int y = 0; y < fine.rows; ++y) {
        const float* s = slope.ptr<float>(y);
        const bool edgeRow = y < band || y >= fine.rows - band;
        for (int x = 0; x < fine.cols; ++x) {
            if (!edgeRow && x >= band && x < fine.cols - band) x = fine.cols - band;
            wall.push_back(s[x]);
        }
    }
    const auto middle = wall.begin() + static_cast<std::ptrdiff_t>(wall.size() / 2);
    std::nth_element(wall.begin(), middle, wall.end());
    const double typical = *middle;
    // Canny's hysteresis on the slopes: its thresholds are in units of the
    // unnormalised 3 × 3 Sobel, eight times a slope per pixel.
    cv::Mat edges;
    cv::Canny(grey, edges, 8.0 * std::max(leastEdgeSlope, weakEdgeSlopes * typical),
              8.0 * std::max(2 * leastEdgeSlope, strongEdgeSlopes * typical), 3, true);
    const double longer = std::max(fine.cols, fine.rows);
    cv::Mat given;
    cv::resize(subject, given, fine.size(), 0, 0, cv::INTER_NEAREST);
    // A corner or a side drawn across the subject's own body joins edges of
    // its print or its parts, not of its outline.
    cv::Mat body;
    const int depth = std::max(2, static_cast<int>(std::lround(bodyDepthShare * longer)));
    cv::erode(given, body, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * depth + 1, 2 * depth + 1)));
    bridgeGaps(edges, body, outlineGapShare * longer, straightGapShare * longer, sideGapShare * longer);
    // Sealed: a gap of a pixel in an outline is still an outline.
    cv::dilate(edges, edges, cv::Mat());

    // The wall: open pixels the border reaches.
    cv::Mat open = edges == 0, regions;
    const int count = cv::connectedComponents(open, regions, 4, CV_32S);
    const std::vector<char> wallRegion = regionsOnBorder(regions, count);
    cv::Mat enclosed(fine.size(), CV_8U);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = regions.ptr<int>(y);
        const std::uint8_t* e = edges.ptr<std::uint8_t>(y);
        std::uint8_t* q = enclosed.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x) q[x] = (e[x] || !wallRegion[static_cast<std::size_t>(r[x])]) ? 255 : 0;
    }
    // The enclosed stretches that reach into the subject, the sealing taken back.
    cv::Mat pieces;
    const int pieceCount = cv::connectedComponents(enclosed, pieces, 4, CV_32S);
    std::vector<char> holds(static_cast<std::size_t>(pieceCount), 0);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = pieces.ptr<int>(y);
        const std::uint8_t* g = given.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x)
            if (g[x]) holds[static_cast<std::size_t>(r[x])] = 1;
    }
    cv::Mat outline(fine.size(), CV_8U);
    for (int y = 0; y < fine.rows; ++y) {
        const int* r = pieces.ptr<int>(y);
        std::uint8_t* q = outline.ptr<std::uint8_t>(y);
        for (int x = 0; x < fine.cols; ++x) q[x] = r[x] > 0 && holds[static_cast<std::size_t>(r[x])] ? 255 : 0;
    }
    outline = largestFilled(outline);
    cv::erode(outline, outline, cv::Mat());
    const double before = cv::countNonZero(given);
    // The subject may run a pixel or two past the outline's edge and still lie within it.
    cv::Mat reach;
    cv::dilate(outline, reach, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(5, 5)));
    // Whether the outline lies within the subject's hull: a subject around it
    // rather than a part of it.
    const auto outlineWithinHull = [&] {
        std::vector<std::vector<cv::Point>> contours;
        cv::findContours(given.clone(), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
        std::vector<cv::Point> points;
        for (const auto& contour : contours) points.insert(points.end(), contour.begin(), contour.end());
        if (points.size() < 3) return false;
        std::vector<cv::Point> hull;
        cv::convexHull(points, hull);
        cv::Mat inside(fine.size(), CV_8U, cv::Scalar(0));
        cv::fillConvexPoly(inside, hull, cv::Scalar(255));
        return cv::countNonZero(outline & ~inside) <= (1.0 - shadeAroundShare) * cv::countNonZero(outline);
    };
    // What is thicker than a sliver of the longer side.
    const int sliver = std::max(2, static_cast<int>(std::lround(outlineSliverShare * longer)));
    const auto withoutSlivers = [&](const cv::Mat& binary) {
        cv::Mat opened;
        cv::morphologyEx(binary, opened, cv::MORPH_OPEN,
                         cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * sliver + 1, 2 * sliver + 1)));
        return opened;
    };
    cv::Mat grown;
    const double held = cv::countNonZero(reach & given);
    if (held >= wholeOutlineShare * before) {
        // The outline holds the whole subject: its edges are the photo's own.
        grown = largestFilled(outline | sideOfAnotherHue(fine, outline));
    } else if (held >= partOutlineShare * before) {
        // It holds most of it (the face, say, beside a side of the body whose
        // edge with the wall stays open): the outline's edges where it has
        // them, and of the rest only what is thicker than a sliver.
        const cv::Mat rest = withoutSlivers(given & ~reach);
        cv::Mat kept = withoutSoftShade(fine, rest, given, edges, reach);
        cv::dilate(kept, kept, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(5, 5)));
        grown = largestFilled(outline | (kept & given));
    } else if (outlineWithinHull()) {
        // The subject hugs the outline from outside: a light device on a wall
        // of its own shade, found by the shade about it and its darker side.
        grown = outline.clone();
    } else {
        // Only whole stretches of the device the subject lacked: the slivers
        // along its edge where a broken outline runs a pixel outside it are
        // left out.
        const cv::Mat added = withoutSlivers(outline & ~given);
        if (cv::countNonZero(added) < leastAddedShare * before) return std::nullopt;
        grown = largestFilled(given | added);
    }
    const double after = cv::countNonZero(grown);
    if (!(after > leastKeptShare * before) || after > largestGrowth * before) return std::nullopt;
    const int margin = std::max(1, static_cast<int>(std::lround(outlineBorderShare * longer)));
    const cv::Rect inner(margin, margin, fine.cols - 2 * margin, fine.rows - 2 * margin);
    if (cv::countNonZero(grown) != cv::countNonZero(grown(inner))) return std::nullopt;
    cv::Mat small;
    cv::resize(grown, small, working.small.size(), 0, 0, cv::INTER_AREA);
    small = largestFilled(small >= 128);
    if (cv::countNonZero(small) == 0 || !plausibleSubject(working.small, small, small)) return std::nullopt;
    return grown;
}

cv::Mat withinClosedOutline(const WorkingPhoto& working, const cv::Mat& subject) {
    return closedOutlineAround(working, subject).value_or(subject);
}

cv::Mat finerFieldSubject(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject,
                          double smoothing) {
    const cv::Mat& fine = working.refine;
    if (fine.size() == working.small.size()) return subject;
    const double ratio = static_cast<double>(fine.cols) / working.small.cols;
    BackgroundField finer;
    cv::resize(field.colours, finer.colours, fine.size(), 0, 0, cv::INTER_LINEAR);
    finer.noise = field.noise;
    const cv::Mat distance = fieldDistance(fine, finer, std::min(smoothing * ratio, fineSmoothing));
    // Within about a working pixel of the subject found at the working size.
    cv::Mat near;
    cv::resize(subject, near, fine.size(), 0, 0, cv::INTER_NEAREST);
    const int reach = static_cast<int>(std::ceil(ratio));
    cv::dilate(near, near, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1)));
    // The edge where the departure is half the subject's own beside it: the
    // middle of a blurred step, past the ringing JPEG leaves around it.
    cv::Mat level;
    const int across = static_cast<int>(std::ceil(1.5 * ratio));
    cv::dilate(distance, level, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * across + 1, 2 * across + 1)));
    cv::Mat threshold = cv::max(level * 0.5, departureThreshold(field));
    // Only the band along the outline is decided again: inside it, a faint face
    // beside a strong side must not fall to the side's level.
    cv::Mat inner;
    cv::resize(subject, inner, fine.size(), 0, 0, cv::INTER_NEAREST);
    cv::erode(inner, inner, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * reach + 1, 2 * reach + 1)));
    const cv::Mat departs = ((distance > threshold) & near) | inner;
    return largestFilled(departs);
}

}  // namespace photo_analysis::platform
