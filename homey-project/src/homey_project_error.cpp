#include "homey_project/homey_project_error.hpp"

#include <functional>

#include "icon_geometry/vector.hpp"

namespace homey_project {

const char* HomeyProjectError::what() const noexcept {
    switch (kind_) {
        case Kind::unknownDriver:
            return "unknown driver";
        case Kind::wouldOverwrite:
            return "would overwrite";
        case Kind::outsideProject:
            return "outside the project";
        case Kind::writeFailed:
            return "write failed";
        case Kind::unreadableSource:
            return "unreadable source";
        case Kind::newerModel:
            return "newer model";
        case Kind::notAHomeyApp:
            return "not a Homey app";
    }
    return "homey project error";
}

}  // namespace homey_project

std::size_t std::hash<homey_project::HomeyProjectError>::operator()(
    const homey_project::HomeyProjectError& error) const noexcept {
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(error.kind()));
    h.combine(std::hash<std::string>{}(error.path()));
    for (const std::string& path : error.paths()) h.combine(std::hash<std::string>{}(path));
    return h.state;
}
