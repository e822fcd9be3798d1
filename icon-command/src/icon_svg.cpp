#include <icon_geometry/icon_drawing.hpp>
#include <icon_geometry/icon_model.hpp>

#include "icon_command/icon_command.hpp"

namespace icon_command::IconCommand {

std::string iconSVG(const icon_geometry::IconModel& model, const icon_geometry::Camera& brandCamera) {
    return model.svg(brandCamera);
}

}  // namespace icon_command::IconCommand
