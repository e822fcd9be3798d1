// The project's JSON files as the folder walk hands them over: a manifest
// candidate and its interpretation, and a driver's "driver.compose.json". Any
// bytes end in a manifest, in names and images or in nothing; never a crash or a throw.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "project/manifest.hpp"

using namespace homey_project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const std::optional<nlohmann::json> candidate = manifest::candidate(bytes)) {
        if (!candidate->is_object()) std::abort();
        if (const std::optional<manifest::Manifest> m = manifest::interpret(*candidate)) {
            // Only a text "id" makes a manifest.
            if (!candidate->at("id").is_string()) std::abort();
        }
    }
    (void)manifest::composeDriver(bytes);
    return 0;
}
