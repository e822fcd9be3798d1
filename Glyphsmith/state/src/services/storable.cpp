#include "glyphsmith_state/storable.hpp"

#include <exception>

#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"

namespace glyphsmith_state {

bool isStorable(const icon_geometry::IconModel& model) {
    using namespace icon_geometry;
    try {
        const std::string bytes = json::write(json::encode(model));
        (void)ModelInput::decode<IconModel>(bytes);
        return true;
    } catch (const std::exception&) {
        // Not finite, out of the input's bounds, or not decodable.
        return false;
    }
}

}  // namespace glyphsmith_state
