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
    if (const auto images = object.find("images"); images != object.end())
        manifest.images = imageNames(*images).value_or(ImageNames{});

    // One element that is no object spoils the whole list.
    const auto drivers = object.find("drivers");
    if (drivers != object.end() && drivers->is_array()) {
        bool allObjects = true;
        for (const nlohmann::json& element : *drivers) allObjects = allObjects && element.is_object();
        if (allObjects) {
            for (const nlohmann::json& element : *drivers) {
                const auto driverID = element.find("id");
                if (driverID == element.end() || !driverID->is_string()) continue;
                const std::string id = driverID->get<std::string>();
                if (const auto name = element.find("name"); name != element.end())
                    if (std::optional<LocalizedNames> names = HomeyProjectReader::parseNames(*name))
                        manifest.driverNames[id] = std::move(*names);
                if (const auto images = element.find("images"); images != element.end())
                    if (std::optional<ImageNames> named = imageNames(*images))
                        manifest.driverImages[id] = std::move(*named);
            }
        }
    }
    return manifest;
}

std::optional<ImageNames> imageNames(const nlohmann::json& value) {
    if (!value.is_object()) return std::nullopt;
    ImageNames names;
    for (const auto& [key, size] :
         {std::pair{"small", DriverImageSize::small}, std::pair{"large", DriverImageSize::large},
          std::pair{"xlarge", DriverImageSize::xlarge}}) {
        const auto named = value.find(key);
        if (named != value.end() && named->is_string()) names.emplace(size, named->get<std::string>());
    }
    return names;
}

std::optional<ComposeDriver> composeDriver(std::string_view bytes) {
    const std::optional<nlohmann::json> value = parseStrict(bytes);
    if (!value || !value->is_object()) return std::nullopt;
    ComposeDriver driver;
    if (const auto name = value->find("name"); name != value->end())
        driver.names = HomeyProjectReader::parseNames(*name);
    if (const auto images = value->find("images"); images != value->end()) driver.images = imageNames(*images);
    return driver;
}

}  // namespace homey_project::manifest
