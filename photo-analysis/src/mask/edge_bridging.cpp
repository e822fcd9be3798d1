#include "mask/edge_bridging.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <string>
#include <utility>
#include <vector>

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

void bridgeGaps(cv::Mat& edges, const cv::Mat& body, const cv::Mat& hull, double reach, double straightReach,
                double sideReach, const BridgeOptions& options, const TraceSink& sink) {
    const StageTrace trace(sink);
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
            for (int dy = -options.endReach; dy <= options.endReach; ++dy)
                for (int dx = -options.endReach; dx <= options.endReach; ++dx) {
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
    if (ends.size() > options.mostLooseEnds) {
        if (trace)
            trace("  bouts libres : " + traced(static_cast<int>(ends.size())) + ", plus de " +
                  traced(static_cast<int>(options.mostLooseEnds)) + " : les arêtes d'une texture, rien n'est joint");
        return;
    }
    int near = 0, corners = 0, sides = 0;
    const double aligned = std::cos(options.straightGapAngle);
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
            ++near;
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
    const double bent = std::sin(options.leastCornerAngle);
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
            const bool bendsIn =
                at.x >= 0 && at.y >= 0 && at.x < hull.cols && at.y < hull.rows && hull.at<std::uint8_t>(at);
            if (bendsIn || crossesBody(ends[i].at, at) || crossesBody(at, ends[j].at)) continue;
            best = t + s;
            partner = j;
            corner = at;
        }
        if (partner == i) continue;
        links.push_back({ends[i].at, corner});
        links.push_back({corner, ends[partner].at});
        linked[i] = linked[partner] = 1;
        ++corners;
    }
    // A whole side lost in the wall's shade: two ends left over whose edges
    // run the same way, side by side, are joined straight across.
    const double parallel = std::cos(options.sideTurn), across = std::sin(options.sideAngle);
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
        ++sides;
    }
    for (const auto& [a, b] : links) cv::line(edges, a, b, cv::Scalar(255));
    if (trace)
        trace("  bouts libres : " + traced(static_cast<int>(ends.size())) + " ; joints de près ou droit devant : " +
              traced(near) + ", par un coin : " + traced(corners) + ", par un côté : " + traced(sides));
}

}  // namespace photo_analysis::cut_out
