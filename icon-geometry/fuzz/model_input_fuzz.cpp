// Bytes from outside through the guarded model input: every input must end in a
// value or a typed error, never a crash, a hang or a huge allocation. What reads
// as a model must also write, and read back as the same model.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/model_input.hpp"

using namespace icon_geometry;

namespace {

template <class T>
void roundTrip(std::string_view bytes) {
    T value;
    try {
        value = ModelInput::decode<T>(bytes);
    } catch (const ModelInput::Failure&) {
        return;
    } catch (const json::DecodingError&) {
        return;
    }
    // Numbers within the bounds are finite, so writing cannot fail.
    const std::string text = json::write(json::encode(value));
    if (!(ModelInput::decode<T>(text) == value)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::optional<std::int64_t> version = ModelInput::version(bytes);
    roundTrip<IconModel>(bytes);
    roundTrip<Camera>(bytes);
    roundTrip<std::vector<Vector2>>(bytes);

    // A model that reads is current, whatever its file said; the peek agrees
    // with the decoder about newer files.
    if (version && *version > IconModel::currentVersion) {
        try {
            (void)ModelInput::decode<IconModel>(bytes);
            __builtin_trap();
        } catch (const ModelInput::Failure&) {
        } catch (const json::DecodingError&) {
        }
    }
    return 0;
}
