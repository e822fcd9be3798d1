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
    friend bool operator==(const Manifest&, const Manifest&) = default;
};

// Strict JSON: no comments, no exceptions; nothing when the bytes do not parse.
[[nodiscard]] std::optional<nlohmann::json> parseStrict(std::string_view bytes);

// Whether the bytes are a usable manifest candidate: a JSON object.
[[nodiscard]] std::optional<nlohmann::json> candidate(std::string_view bytes);

// The manifest from a kept candidate; nothing when "id" is not text.
[[nodiscard]] std::optional<Manifest> interpret(const nlohmann::json& object);

// Names from a "driver.compose.json": its "name" when the file is an object and
// the name has a usable shape.
[[nodiscard]] std::optional<LocalizedNames> composeNames(std::string_view bytes);

}  // namespace homey_project::manifest
