#pragma once

// The choices the editor offers the views: face shape kinds, detail templates
// placed on the face, what a click on the face photo does, part templates, and
// the French labels of the device templates.

#include <QString>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <variant>

#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/model_template.hpp"
#include "icon_geometry/vector.hpp"

namespace glyphsmith_state {

// The face shapes the inspector offers; a rounded polygon reads as a rounded rectangle.
struct ShapeKind {
    enum Case : unsigned char { roundedRectangle, superellipse, ellipse, capsule };

    Case value = roundedRectangle;

    constexpr ShapeKind() = default;
    constexpr ShapeKind(Case c) : value(c) {}

    static constexpr std::array<Case, 4> allCases{roundedRectangle, superellipse, ellipse, capsule};

    // The case name, which is also its identity.
    std::string_view rawValue() const;
    static std::optional<ShapeKind> fromRawValue(std::string_view raw);

    friend constexpr bool operator==(ShapeKind, ShapeKind) = default;
};

// A detail the user places on the face, sized after the face.
struct DetailTemplate {
    enum Case : unsigned char {
        roundButton,
        rectangularButton,
        indicator,
        screen,
        slot,
        separator,
        dotGrid,
        socket,
        cable,
        // The pictograms.
        power,
        chevronUp,
        chevronDown,
        sun,
        thermometer,
        plus,
        minus,
        wifi,
    };

    Case value = roundButton;

    constexpr DetailTemplate() = default;
    constexpr DetailTemplate(Case c) : value(c) {}

    static constexpr std::array<Case, 17> allCases{
        roundButton, rectangularButton, indicator,   screen, slot,        separator, dotGrid, socket, cable,
        power,       chevronUp,         chevronDown, sun,    thermometer, plus,      minus,   wifi};

    std::string_view rawValue() const;
    static std::optional<DetailTemplate> fromRawValue(std::string_view raw);

    // The French label ("Bouton rond", …), through the app's translations.
    QString label() const;
    // The detail at a point of the face (millimetres from the face centre), on a
    // face `faceWidth` × `faceHeight` mm; sizes follow u = faceHeight ÷ 10. A
    // separator spans the face at the point's height, and a cable leaves the
    // face's right edge there: both ignore the point's x.
    icon_geometry::FaceDetail makeDetail(icon_geometry::Vector2 point, double faceWidth, double faceHeight) const;

    friend constexpr bool operator==(DetailTemplate, DetailTemplate) = default;
};

// What a click on the face photo does.
struct PhotoTool {
    // The next click places a detail of the template.
    struct Place {
        DetailTemplate detailTemplate;
        friend constexpr bool operator==(Place, Place) = default;
    };
    // A click does nothing.
    struct None {
        friend constexpr bool operator==(None, None) = default;
    };
    // A click adds a face corner.
    struct Corners {
        friend constexpr bool operator==(Corners, Corners) = default;
    };

    std::variant<Place, None, Corners> value{None{}};

    static constexpr PhotoTool place(DetailTemplate t) { return {Place{t}}; }
    static constexpr PhotoTool none() { return {None{}}; }
    static constexpr PhotoTool corners() { return {Corners{}}; }

    friend constexpr bool operator==(const PhotoTool&, const PhotoTool&) = default;
};

// The pieces the user adds beside the main body, sized after it.
struct PartTemplate {
    enum Case : unsigned char { box, knob, cylinder };

    Case value = box;

    constexpr PartTemplate() = default;
    constexpr PartTemplate(Case c) : value(c) {}

    static constexpr std::array<Case, 3> allCases{box, knob, cylinder};

    // "box", "knob" or "cylinder", also its identity.
    std::string_view rawValue() const;
    static std::optional<PartTemplate> fromRawValue(std::string_view raw);

    friend constexpr bool operator==(PartTemplate, PartTemplate) = default;
};

// The French label of a device template ("Panneau mural", …).
QString modelTemplateLabel(icon_geometry::ModelTemplate modelTemplate);

}  // namespace glyphsmith_state

template <>
struct std::hash<glyphsmith_state::PartTemplate> {
    std::size_t operator()(glyphsmith_state::PartTemplate t) const noexcept {
        return std::hash<std::string_view>{}(t.rawValue());
    }
};
