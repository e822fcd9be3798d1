#pragma once

// The seven starting models for common kinds of smart-home device. The labels
// users see belong to the app; a template's identifier is its case name.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "icon_geometry/icon_model.hpp"

namespace icon_geometry {

struct ModelTemplate {
    enum Case : unsigned char {
        panel,            // a square wall panel with a bevel
        bulb,             // a light bulb with a ring at its widest
        filamentBulb,     // the same bulb showing three filament lines
        radiatorHead,     // a knurled thermostatic radiator head, turned
        dialThermostat,   // a bevelled panel with a knurled dial in front
        contactSensor,    // a door contact sensor with its magnet beside it
        ceilingDetector,  // a round detector hanging from the ceiling
    };

    Case value = panel;

    constexpr ModelTemplate() = default;
    constexpr ModelTemplate(Case c) : value(c) {}

    static constexpr std::array<Case, 7> allCases{panel,          bulb,          filamentBulb,   radiatorHead,
                                                  dialThermostat, contactSensor, ceilingDetector};

    // The case name, which is also the identifier.
    std::string_view rawValue() const;
    std::string_view identifier() const { return rawValue(); }
    // Exactly the seven names, case-sensitively; nothing for any other text.
    static std::optional<ModelTemplate> fromRawValue(std::string_view raw);

    // A fresh model on every call: version 2, no camera, on a wall (the ceiling
    // detector on a ceiling), parts at the origin and unturned unless stated.
    IconModel model() const;

    friend constexpr bool operator==(ModelTemplate, ModelTemplate) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::ModelTemplate> {
    std::size_t operator()(icon_geometry::ModelTemplate t) const;
};
