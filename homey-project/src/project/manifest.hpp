#pragma once

// The interpretation of a project's JSON files, as pure functions of their
// bytes: the folder walk reads the files, these decide what they say.

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "homey_project/homey_app.hpp"

namespace homey_project::manifest {

// What a manifest contributes to the app.
struct Manifest {
    std::string id;
    LocalizedNames names;
    std::optional<std::string> brandColor;
    std::map<std::string, LocalizedNames> driverNames;  // by driver id; only names, never drivers
    ImageNames images;                                  // the app's own
    std::map<std::string, ImageNames> driverImages;     // by driver id, for entries with an "images" object
    friend bool operator==(const Manifest&, const Manifest&) = default;
};

// What a "driver.compose.json" says of its driver.
struct ComposeDriver {
    std::optional<LocalizedNames> names;  // its "name", when of a usable shape
    std::optional<ImageNames> images;     // its "images", when an object
};

// Strict JSON: no comments, no exceptions; nothing when the bytes do not parse.
[[nodiscard]] std::optional<nlohmann::json> parseStrict(std::string_view bytes);

// Whether the bytes are a usable manifest candidate: a JSON object.
[[nodiscard]] std::optional<nlohmann::json> candidate(std::string_view bytes);

// The manifest from a kept candidate; nothing when "id" is not text.
[[nodiscard]] std::optional<Manifest> interpret(const nlohmann::json& object);

// The text values of an "images" object for "small", "large" and "xlarge";
// nothing when the value is no object.
[[nodiscard]] std::optional<ImageNames> imageNames(const nlohmann::json& value);

// A "driver.compose.json" that is an object; nothing otherwise.
[[nodiscard]] std::optional<ComposeDriver> composeDriver(std::string_view bytes);

}  // namespace homey_project::manifest
