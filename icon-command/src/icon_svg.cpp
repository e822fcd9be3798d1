#include <icon_geometry/icon_svg.hpp>

#include "commands.hpp"
#include "icon_command/icon_command.hpp"

namespace icon_command::IconCommand {

std::string iconSVG(const icon_geometry::IconModel& model, const icon_geometry::Camera& brandCamera) {
    return icon_geometry::iconSvg(model, brandCamera);
}

}  // namespace icon_command::IconCommand
