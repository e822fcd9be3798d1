#include "icon_geometry/model_template.hpp"

#include <array>
#include <utility>

namespace icon_geometry {

namespace {

constexpr std::array<std::string_view, 7> modelTemplateNames{
    "panel", "bulb", "filamentBulb", "radiatorHead", "dialThermostat", "contactSensor", "ceilingDetector"};

BodyPart extrudedPart(ExtrudedBody body, Vector3 offset = Vector3::zero(), double turn = 0) {
    return {Solid::extruded(std::move(body)), offset, turn};
}

BodyPart revolvedPart(RevolvedBody body, Vector3 offset = Vector3::zero(), double turn = 0) {
    return {Solid::revolved(std::move(body)), offset, turn};
}

// The side of a bulb from the tip of its glass (on the axis, at height 0) to the
// top of its base (back on the axis, at 108): 135 degrees of a circle of radius
// 30 about (0, 30) for the glass, a taper to the neck at radius 14, the base.
BezierPath bulbProfile() {
    PathBuilder b;
    b.moveTo({0, 0});
    b.curveTo({30, 30}, {16.568542494923804, 0}, {30, 13.431457505076196});
    b.curveTo({21.213203435596427, 51.21320343559643}, {30, 37.95649469518632},
              {26.839294789037467, 45.587112082155386});
    b.curveTo({14, 80}, {17.67766952966369, 54.748737341529164}, {14, 68});
    b.lineTo({13.5, 80});
    b.lineTo({13.5, 100});
    b.lineTo({9, 104});
    b.curveTo({0, 108}, {9, 106.5}, {5, 108});
    return b.finish();
}

BezierPath radiatorHeadProfile() {
    PathBuilder b;
    b.moveTo({21, 0});
    b.curveTo({25, 4}, {23.5, 0}, {25, 1.5});
    b.lineTo({25, 60});
    b.lineTo({17, 66});
    b.lineTo({17, 80});
    return b.finish();
}

BezierPath ceilingDetectorProfile() {
    PathBuilder b;
    b.moveTo({50, 0});
    b.curveTo({57.5, 8}, {54.5, 0}, {57.5, 3.5});
    b.lineTo({57.5, 44});
    return b.finish();
}

// Three filament lines from the neck of the bulb down into the glass; the middle
// one is shorter because it runs along the axis.
std::vector<RevolvedDetail> filamentLines() {
    static constexpr std::array<std::pair<double, double>, 3> pairs{{{-6, -13}, {0, 0}, {6, 13}}};
    std::vector<RevolvedDetail> lines;
    for (const auto& [a, b] : pairs) {
        const double h = b == 0 ? 18 : 22;
        PathBuilder builder;
        builder.moveTo({a, 72});
        builder.lineTo({b, h});
        lines.push_back(RevolvedDetail::meridian(builder.finish()));
    }
    return lines;
}

IconModel bulbModel(bool filament) {
    std::vector<RevolvedDetail> details{RevolvedDetail::rings(84, 97, 4)};
    if (filament) {
        for (RevolvedDetail& line : filamentLines()) details.push_back(std::move(line));
    } else {
        details.push_back(RevolvedDetail::ring(48));
    }
    return IconModel({revolvedPart({bulbProfile(), RevolvedAxis::vertical, std::move(details)})});
}

IconModel panelModel() {
    return IconModel::withSingleBody({FaceShape::roundedRectangle(86, 86, 6),
                                      ExtrudedBody::proportionalDepth(86),
                                      ExtrudedBody::defaultBevel,
                                      {},
                                      {}});
}

IconModel radiatorHeadModel() {
    RevolvedBody head{radiatorHeadProfile(),
                      RevolvedAxis::depth,
                      {RevolvedDetail::knurl(6, 24, 36), RevolvedDetail::ring(6), RevolvedDetail::ring(24)}};
    return IconModel({revolvedPart(std::move(head), Vector3::zero(), 30)});
}

IconModel dialThermostatModel() {
    ExtrudedBody panel{FaceShape::roundedRectangle(86, 86, 10), 12, ExtrudedBody::defaultBevel, {}, {}};
    // A cylinder of radius 26 standing 16 in front of the panel's face.
    RevolvedBody dial = RevolvedBody::cylinder(26, -16, 0, RevolvedAxis::depth, {RevolvedDetail::knurl(-13, -1, 60)});
    return IconModel({extrudedPart(std::move(panel)), revolvedPart(std::move(dial))});
}

IconModel contactSensorModel() {
    ExtrudedBody sensor{FaceShape::roundedRectangle(22, 72, 6),
                        12,
                        std::nullopt,
                        {FaceDetail::indicator({0, -28}, 2.5, DetailStyle::automatic)},
                        {}};
    // Beside the sensor, its back face flush with the sensor's (4 + 8 = 12).
    ExtrudedBody magnet{FaceShape::roundedRectangle(12, 30, 4), 8, std::nullopt, {}, {}};
    return IconModel({extrudedPart(std::move(sensor)), extrudedPart(std::move(magnet), {21, 0, 4})});
}

IconModel ceilingDetectorModel() {
    RevolvedBody detector{ceilingDetectorProfile(), RevolvedAxis::depth, {RevolvedDetail::rings(30, 38, 3)}};
    return IconModel({revolvedPart(std::move(detector))}, Orientation::ceiling);
}

}  // namespace

std::string_view ModelTemplate::rawValue() const {
    return modelTemplateNames[value];
}

std::optional<ModelTemplate> ModelTemplate::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < allCases.size(); ++i)
        if (modelTemplateNames[i] == raw) return allCases[i];
    return std::nullopt;
}

IconModel ModelTemplate::model() const {
    switch (value) {
        case panel:
            return panelModel();
        case bulb:
            return bulbModel(false);
        case filamentBulb:
            return bulbModel(true);
        case radiatorHead:
            return radiatorHeadModel();
        case dialThermostat:
            return dialThermostatModel();
        case contactSensor:
            return contactSensorModel();
        case ceilingDetector:
            return ceilingDetectorModel();
    }
    return panelModel();
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::ModelTemplate>::operator()(icon_geometry::ModelTemplate t) const {
    return std::hash<std::string_view>{}(t.rawValue());
}
