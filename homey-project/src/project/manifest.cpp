#include "project/manifest.hpp"

namespace homey_project::manifest {

std::optional<nlohmann::json> parseStrict(std::string_view bytes) {
    nlohmann::json value = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false,
                                                 /*ignore_comments=*/false);
    if (value.is_discarded()) return std::nullopt;
    return value;
}

std::optional<nlohmann::json> candidate(std::string_view bytes) {
    std::optional<nlohmann::json> value = parseStrict(bytes);
    if (!value || !value->is_object()) return std::nullopt;
    return value;
}

std::optional<Manifest> interpret(const nlohmann::json& object) {
    if (!object.is_object()) return std::nullopt;
    const auto id = object.find("id");
    if (id == object.end() || !id->is_string()) return std::nullopt;

    Manifest manifest;
    manifest.id = id->get<std::string>();
    if (const auto name = object.find("name"); name != object.end())
        manifest.names = HomeyProjectReader::parseNames(*name).value_or(LocalizedNames{});
    if (const auto color = object.find("brandColor"); color != object.end() && color->is_string())
        manifest.brandColor = color->get<std::string>();

    // One element that is no object spoils the whole list.
    const auto drivers = object.find("drivers");
    if (drivers != object.end() && drivers->is_array()) {
        bool allObjects = true;
        for (const nlohmann::json& element : *drivers) allObjects = allObjects && element.is_object();
        if (allObjects) {
            for (const nlohmann::json& element : *drivers) {
                const auto driverID = element.find("id");
                const auto name = element.find("name");
                if (driverID == element.end() || !driverID->is_string() || name == element.end()) continue;
                if (std::optional<LocalizedNames> names = HomeyProjectReader::parseNames(*name))
                    manifest.driverNames[driverID->get<std::string>()] = std::move(*names);
            }
        }
    }
    return manifest;
}

std::optional<LocalizedNames> composeNames(std::string_view bytes) {
    const std::optional<nlohmann::json> value = parseStrict(bytes);
    if (!value || !value->is_object()) return std::nullopt;
    const auto name = value->find("name");
    if (name == value->end()) return std::nullopt;
    return HomeyProjectReader::parseNames(*name);
}

}  // namespace homey_project::manifest
