#include "icon_geometry/revolved_body.hpp"

#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/revolved_body_coding.hpp"

namespace icon_geometry {

RevolvedBody RevolvedBody::cylinder(double radius, double y0, double y1, Axis axis,
                                    std::vector<RevolvedDetail> details) {
    PathBuilder builder;
    builder.moveTo({radius, y0});
    builder.lineTo({radius, y1});
    return {builder.finish(), axis, std::move(details)};
}

double RevolvedBody::diameter() const {
    const Rect box = profile.bounds();
    if (box.isNull()) return 0;
    return 2 * box.maxX();
}

double RevolvedBody::height() const {
    const Rect box = profile.bounds();
    if (box.isNull()) return 0;
    return box.maxY() - box.minY();
}

RevolvedBody RevolvedBody::scaled(double radiusFactor, double heightFactor) const {
    const Rect box = profile.bounds();
    // Without a lowest point every height would become NaN and the model could
    // no longer be written.
    if (box.isNull()) return *this;
    const double m = box.minY();
    const auto height = [&](double y) { return m + heightFactor * (y - m); };
    const auto point = [&](Vector2 p) { return Vector2{radiusFactor * p.x, height(p.y)}; };

    RevolvedBody result{profile.mapPoints(point), axis, {}};
    result.details.reserve(details.size());
    for (const RevolvedDetail& detail : details) {
        result.details.push_back(std::visit(
            [&](const auto& d) -> RevolvedDetail {
                using T = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<T, RevolvedDetail::Ring>) {
                    return RevolvedDetail::ring(height(d.at));
                } else if constexpr (std::is_same_v<T, RevolvedDetail::Rings>) {
                    return RevolvedDetail::rings(height(d.from), height(d.to), d.count);
                } else if constexpr (std::is_same_v<T, RevolvedDetail::Knurl>) {
                    return RevolvedDetail::knurl(height(d.from), height(d.to), d.count);
                } else {
                    return RevolvedDetail::meridian(d.path.mapPoints(point));
                }
            },
            detail.value));
    }
    return result;
}

namespace json {

RevolvedAxis Coding<RevolvedAxis>::decode(const Decoder& d) {
    const std::size_t index = d.rawValue({"vertical", "depth", "horizontal"});
    return RevolvedAxis::allCases[index];
}

Tree Coding<RevolvedAxis>::encode(RevolvedAxis axis) {
    return std::string(axis.rawValue());
}

RevolvedDetail Coding<RevolvedDetail>::decode(const Decoder& d) {
    const auto [name, payload] = d.singleCase({"ring", "rings", "knurl", "meridian"});
    if (name == "ring") return RevolvedDetail::ring(payload.required<double>("at"));
    if (name == "meridian") return RevolvedDetail::meridian(payload.required<BezierPath>("_0"));
    const double from = payload.required<double>("from");
    const double to = payload.required<double>("to");
    const std::int64_t count = payload.required<std::int64_t>("count");
    if (name == "rings") return RevolvedDetail::rings(from, to, count);
    return RevolvedDetail::knurl(from, to, count);
}

Tree Coding<RevolvedDetail>::encode(const RevolvedDetail& detail) {
    return std::visit(
        [](const auto& d) -> Tree {
            using T = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<T, RevolvedDetail::Ring>) {
                return encodeCase("ring", Tree{{"at", d.at}});
            } else if constexpr (std::is_same_v<T, RevolvedDetail::Rings>) {
                return encodeCase("rings", Tree{{"from", d.from}, {"to", d.to}, {"count", d.count}});
            } else if constexpr (std::is_same_v<T, RevolvedDetail::Knurl>) {
                return encodeCase("knurl", Tree{{"from", d.from}, {"to", d.to}, {"count", d.count}});
            } else {
                return encodeCase("meridian", Tree{{"_0", json::encode(d.path)}});
            }
        },
        detail.value);
}

RevolvedBody Coding<RevolvedBody>::decode(const Decoder& d) {
    RevolvedBody body;
    body.profile = d.required<BezierPath>("profile");
    body.axis = d.required<RevolvedAxis>("axis");
    body.details = d.required<std::vector<RevolvedDetail>>("details");
    return body;
}

Tree Coding<RevolvedBody>::encode(const RevolvedBody& body) {
    return Tree{{"profile", json::encode(body.profile)},
                {"axis", json::encode(body.axis)},
                {"details", json::encode(body.details)}};
}

}  // namespace json
}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::RevolvedDetail>::operator()(const icon_geometry::RevolvedDetail& detail) const {
    icon_geometry::Hasher h;
    h.combine(detail.caseIndex());
    std::visit(
        [&](const auto& d) {
            using T = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<T, icon_geometry::RevolvedDetail::Ring>) {
                h.combine(d.at);
            } else if constexpr (std::is_same_v<T, icon_geometry::RevolvedDetail::Meridian>) {
                h.combine(std::hash<icon_geometry::BezierPath>{}(d.path));
            } else {
                h.combine(d.from);
                h.combine(d.to);
                h.combine(static_cast<long long>(d.count));
            }
        },
        detail.value);
    return h.state;
}

std::size_t std::hash<icon_geometry::RevolvedBody>::operator()(const icon_geometry::RevolvedBody& body) const {
    icon_geometry::Hasher h;
    h.combine(std::hash<icon_geometry::BezierPath>{}(body.profile));
    h.combine(std::hash<icon_geometry::RevolvedAxis>{}(body.axis));
    h.combine(body.details.size());
    for (const auto& detail : body.details) h.combine(std::hash<icon_geometry::RevolvedDetail>{}(detail));
    return h.state;
}
