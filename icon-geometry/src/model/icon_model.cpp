#include "icon_geometry/icon_model.hpp"

#include <charconv>
#include <string>

#include "icon_geometry/face_detail_coding.hpp"
#include "icon_geometry/face_shape_coding.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/revolved_body_coding.hpp"

namespace icon_geometry {

namespace {
constexpr std::array<std::string_view, 3> orientationNames{"wall", "ceiling", "floor"};
}  // namespace

std::string_view Orientation::rawValue() const {
    return orientationNames[value];
}

std::optional<Orientation> Orientation::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < allCases.size(); ++i)
        if (orientationNames[i] == raw) return allCases[i];
    return std::nullopt;
}

const Rotation3& Orientation::baseRotation() const {
    static const Rotation3 ceilingRotation{{Vector3{1, 0, 0}, Vector3{0, 0, -1}, Vector3{0, 1, 0}}};
    static const Rotation3 floorRotation{{Vector3{1, 0, 0}, Vector3{0, 0, 1}, Vector3{0, -1, 0}}};
    switch (value) {
        case wall:
            return Rotation3::identity();
        case ceiling:
            return ceilingRotation;
        case floor:
            return floorRotation;
    }
    return Rotation3::identity();
}

Rotation3 BodyPart::rotation(Orientation orientation) const {
    const Rotation3& base = orientation.baseRotation();
    if (turn == 0) return base;
    return base.multiplied(Rotation3::aboutVertical(turn));
}

IconModel IconModel::withSingleBody(ExtrudedBody body, std::optional<Camera> camera) {
    return IconModel({BodyPart{Solid::extruded(std::move(body)), Vector3::zero(), 0}}, Orientation::wall, camera);
}

ExtrudedBody IconModel::primaryBody() const {
    if (!parts.empty())
        if (const ExtrudedBody* body = parts.front().solid.extrudedBody()) return *body;
    return ExtrudedBody::defaultBody();
}

void IconModel::setPrimaryBody(ExtrudedBody body) {
    if (hasExtrudedPrimaryBody()) {
        parts.front().solid = Solid::extruded(std::move(body));
        return;
    }
    parts.insert(parts.begin(), BodyPart{Solid::extruded(std::move(body)), Vector3::zero(), 0});
}

bool IconModel::cameraDiffers(double yawDegrees, double elevationDegrees, double distanceInDiagonals) const {
    if (!camera) return false;
    return camera->yawDegrees != yawDegrees || camera->elevationDegrees != elevationDegrees ||
           camera->distanceInDiagonals != distanceInDiagonals;
}

namespace json {

namespace {
std::string decimal(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
}  // namespace

Orientation Coding<Orientation>::decode(const Decoder& d) {
    return Orientation::allCases[d.rawValue({"wall", "ceiling", "floor"})];
}

Tree Coding<Orientation>::encode(Orientation orientation) {
    return std::string(orientation.rawValue());
}

ExtrudedBody Coding<ExtrudedBody>::decode(const Decoder& d) {
    ExtrudedBody body;
    body.face = d.required<FaceShape>("face");
    body.depth = d.required<double>("depth");
    body.bevel = d.optional<double>("bevel");
    body.details = d.optional<std::vector<FaceDetail>>("details").value_or(std::vector<FaceDetail>{});
    body.grooves = d.optional<std::vector<double>>("grooves").value_or(std::vector<double>{});
    return body;
}

Tree Coding<ExtrudedBody>::encode(const ExtrudedBody& body) {
    Tree t = Tree::object();
    t["face"] = json::encode(body.face);
    t["depth"] = body.depth;
    if (body.bevel) t["bevel"] = *body.bevel;
    t["details"] = json::encode(body.details);
    if (!body.grooves.empty()) t["grooves"] = json::encode(body.grooves);
    return t;
}

Solid Coding<Solid>::decode(const Decoder& d) {
    const auto [name, payload] = d.singleCase({"extruded", "revolved"});
    if (name == "extruded") return Solid::extruded(payload.required<ExtrudedBody>("_0"));
    return Solid::revolved(payload.required<RevolvedBody>("_0"));
}

Tree Coding<Solid>::encode(const Solid& solid) {
    if (const ExtrudedBody* body = solid.extrudedBody())
        return encodeCase("extruded", Tree{{"_0", json::encode(*body)}});
    return encodeCase("revolved", Tree{{"_0", json::encode(*solid.revolvedBody())}});
}

BodyPart Coding<BodyPart>::decode(const Decoder& d) {
    BodyPart part;
    part.solid = d.required<Solid>("solid");
    part.offset = d.optional<Vector3>("offset").value_or(Vector3::zero());
    part.turn = d.optional<double>("turn").value_or(0);
    return part;
}

Tree Coding<BodyPart>::encode(const BodyPart& part) {
    Tree t = Tree::object();
    t["solid"] = json::encode(part.solid);
    t["offset"] = json::encode(part.offset);
    if (part.turn != 0) t["turn"] = part.turn;
    return t;
}

IconModel Coding<IconModel>::decode(const Decoder& d) {
    const std::int64_t version = d.required<std::int64_t>("version");
    if (version > IconModel::currentVersion) {
        d.member("version").fail(DecodingError::Kind::dataCorrupted,
                                 "Modèle de version " + decimal(version) + ", plus récente que l'outil");
    }
    IconModel model;
    if (version == IconModel::currentVersion) {
        model.parts = d.required<std::vector<BodyPart>>("parts");
        model.orientation = d.optional<Orientation>("orientation").value_or(Orientation::wall);
    } else {
        // Older files held a single extruded body.
        model.parts = {BodyPart{Solid::extruded(d.required<ExtrudedBody>("body")), Vector3::zero(), 0}};
        model.orientation = Orientation::wall;
    }
    model.camera = d.optional<Camera>("camera");
    model.version = IconModel::currentVersion;
    return model;
}

Tree Coding<IconModel>::encode(const IconModel& model) {
    Tree t = Tree::object();
    t["version"] = IconModel::currentVersion;
    t["parts"] = json::encode(model.parts);
    t["orientation"] = json::encode(model.orientation);
    if (model.camera) t["camera"] = json::encode(*model.camera);
    return t;
}

}  // namespace json
}  // namespace icon_geometry

namespace {
void combineOptional(icon_geometry::Hasher& h, const std::optional<double>& value) {
    h.combine(static_cast<std::size_t>(value.has_value()));
    if (value) h.combine(*value);
}
}  // namespace

std::size_t std::hash<icon_geometry::Orientation>::operator()(icon_geometry::Orientation orientation) const {
    return std::hash<std::string_view>{}(orientation.rawValue());
}

std::size_t std::hash<icon_geometry::ExtrudedBody>::operator()(const icon_geometry::ExtrudedBody& body) const {
    icon_geometry::Hasher h;
    h.combine(std::hash<icon_geometry::FaceShape>{}(body.face));
    h.combine(body.depth);
    combineOptional(h, body.bevel);
    h.combine(body.details.size());
    for (const auto& detail : body.details) h.combine(std::hash<icon_geometry::FaceDetail>{}(detail));
    h.combine(body.grooves.size());
    for (const double g : body.grooves) h.combine(g);
    return h.state;
}

std::size_t std::hash<icon_geometry::Solid>::operator()(const icon_geometry::Solid& solid) const {
    icon_geometry::Hasher h;
    h.combine(solid.caseIndex());
    if (const auto* body = solid.extrudedBody()) h.combine(std::hash<icon_geometry::ExtrudedBody>{}(*body));
    if (const auto* body = solid.revolvedBody()) h.combine(std::hash<icon_geometry::RevolvedBody>{}(*body));
    return h.state;
}

std::size_t std::hash<icon_geometry::BodyPart>::operator()(const icon_geometry::BodyPart& part) const {
    icon_geometry::Hasher h;
    h.combine(std::hash<icon_geometry::Solid>{}(part.solid));
    h.combine(part.offset);
    h.combine(part.turn);
    return h.state;
}

std::size_t std::hash<icon_geometry::IconModel>::operator()(const icon_geometry::IconModel& model) const {
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(model.version));
    h.combine(model.parts.size());
    for (const auto& part : model.parts) h.combine(std::hash<icon_geometry::BodyPart>{}(part));
    h.combine(std::hash<icon_geometry::Orientation>{}(model.orientation));
    h.combine(static_cast<std::size_t>(model.camera.has_value()));
    if (model.camera) h.combine(std::hash<icon_geometry::Camera>{}(*model.camera));
    return h.state;
}
