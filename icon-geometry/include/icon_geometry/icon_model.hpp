#pragma once

// The device model an icon is drawn from: body parts (extruded faces or revolved
// profiles, each placed by an offset and a turn), how the device is mounted, and
// optionally its own camera. Stored as JSON; outside bytes come in through
// ModelInput.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/revolved_body.hpp"
#include "icon_geometry/rotation.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// How the device is mounted. Millimetres of the model have x to the right, y
// downward and z away from the viewer toward the mounting surface.
struct Orientation {
    enum Case : unsigned char {
        wall,     // as modelled
        ceiling,  // the back face turned upward: (x, y, z) → (x, −z, y)
        floor,    // the back face turned downward: (x, y, z) → (x, z, −y)
    };

    Case value = wall;

    constexpr Orientation() = default;
    constexpr Orientation(Case c) : value(c) {}

    static constexpr std::array<Case, 3> allCases{wall, ceiling, floor};
    // The elevation, in degrees, the projector uses on a ceiling or a floor
    // instead of the camera's own.
    static constexpr double fixedElevation = 11.0;

    // The case name, which is also its JSON form.
    std::string_view rawValue() const;
    static std::optional<Orientation> fromRawValue(std::string_view raw);

    // Built once per orientation, on first use.
    const Rotation3& baseRotation() const;

    friend constexpr bool operator==(Orientation, Orientation) = default;
};

// A face outline extruded along z: the front face at z = 0, the back face at
// z = depth, toward the wall. A default-made body is the default body.
struct ExtrudedBody {
    // The bevel the app gives a body when a bevel is switched on.
    static constexpr double defaultBevel = 50.0;
    // The depth proportion of a panel.
    static constexpr double proportionalDepth(double width) { return width * 0.22; }
    // 86 × 86 with corner radius 6, 12 deep, no bevel, no details, no grooves.
    static ExtrudedBody defaultBody() { return {}; }

    FaceShape face = FaceShape::roundedRectangle(86, 86, 6);
    double depth = 12;
    // When present a bevel line is drawn inside the front face.
    std::optional<double> bevel;
    std::vector<FaceDetail> details;
    // Each g draws the outline again at z = depth × g.
    std::vector<double> grooves;

    friend bool operator==(const ExtrudedBody&, const ExtrudedBody&) = default;
};

struct Solid {
    // Alternatives in case order.
    std::variant<ExtrudedBody, RevolvedBody> value;

    static Solid extruded(ExtrudedBody body) { return {std::move(body)}; }
    static Solid revolved(RevolvedBody body) { return {std::move(body)}; }

    std::size_t caseIndex() const { return value.index(); }
    bool isExtruded() const { return value.index() == 0; }
    // The body of its case, or nothing.
    const ExtrudedBody* extrudedBody() const { return std::get_if<ExtrudedBody>(&value); }
    ExtrudedBody* extrudedBody() { return std::get_if<ExtrudedBody>(&value); }
    const RevolvedBody* revolvedBody() const { return std::get_if<RevolvedBody>(&value); }
    RevolvedBody* revolvedBody() { return std::get_if<RevolvedBody>(&value); }

    friend bool operator==(const Solid&, const Solid&) = default;
};

struct BodyPart {
    Solid solid;
    // Millimetres; the projector turns it with the orientation's base rotation.
    Vector3 offset;
    // Degrees about the vertical (y) axis.
    double turn = 0;

    // The part is first turned about its own vertical axis, then tipped with the
    // device: base rotation × turn.
    Rotation3 rotation(Orientation orientation) const;

    friend bool operator==(const BodyPart&, const BodyPart&) = default;
};

struct IconModel {
    static constexpr std::int64_t currentVersion = 2;

    std::int64_t version = currentVersion;
    // Part 0 is the primary part, the one the app edits as the device's body.
    std::vector<BodyPart> parts;
    Orientation orientation;
    // Absent: the projection uses the camera its caller passes.
    std::optional<Camera> camera;

    IconModel() = default;
    explicit IconModel(std::vector<BodyPart> parts, Orientation orientation = Orientation::wall,
                       std::optional<Camera> camera = std::nullopt)
        : parts(std::move(parts)), orientation(orientation), camera(camera) {}

    // One extruded part at the origin, unturned, on a wall.
    static IconModel withSingleBody(ExtrudedBody body, std::optional<Camera> camera = std::nullopt);

    // Part 0's extruded body, else the default body.
    ExtrudedBody primaryBody() const;
    // Replaces part 0's body when part 0 is extruded (keeping its offset and
    // turn); otherwise inserts a new part 0 at the origin, so a revolved part 0
    // moves to index 1 rather than being lost.
    void setPrimaryBody(ExtrudedBody body);
    // Reads the primary body, lets `change` edit it, and writes it back.
    template <class Change>
    void changePrimaryBody(Change&& change) {
        ExtrudedBody body = primaryBody();
        change(body);
        setPrimaryBody(std::move(body));
    }
    bool hasExtrudedPrimaryBody() const { return !parts.empty() && parts.front().solid.isExtruded(); }
    // False without a camera; otherwise whether any of the three differs, exactly.
    bool cameraDiffers(double yawDegrees, double elevationDegrees, double distanceInDiagonals) const;

    friend bool operator==(const IconModel&, const IconModel&) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::Orientation> {
    std::size_t operator()(icon_geometry::Orientation orientation) const;
};
template <>
struct std::hash<icon_geometry::ExtrudedBody> {
    std::size_t operator()(const icon_geometry::ExtrudedBody& body) const;
};
template <>
struct std::hash<icon_geometry::Solid> {
    std::size_t operator()(const icon_geometry::Solid& solid) const;
};
template <>
struct std::hash<icon_geometry::BodyPart> {
    std::size_t operator()(const icon_geometry::BodyPart& part) const;
};
template <>
struct std::hash<icon_geometry::IconModel> {
    std::size_t operator()(const icon_geometry::IconModel& model) const;
};
