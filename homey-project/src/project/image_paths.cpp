#include "project/image_paths.hpp"

#include <string>
#include <vector>

#include "project/confinement.hpp"

namespace homey_project::image_paths {
namespace {

void replaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

}  // namespace

std::optional<std::filesystem::path> namedFile(const std::filesystem::path& root, std::string_view named,
                                               std::optional<std::string_view> driverID) {
    if (named.find('\0') != std::string_view::npos) return std::nullopt;
    std::string path(named);
    if (driverID) {
        const std::string driverPath = "/drivers/" + std::string(*driverID);
        replaceAll(path, "{{driverId}}", *driverID);
        replaceAll(path, "{{driverPath}}", driverPath);
        replaceAll(path, "{{driverAssetsPath}}", driverPath + "/assets");
    }
    // Any ".." is refused, even one that would come back inside: lexically and
    // through a link it need not lead to the same place.
    std::string relative;
    std::string_view last;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view component = std::string_view(path).substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") return std::nullopt;
        if (!relative.empty()) relative.push_back('/');
        relative.append(component);
        last = component;
    }
    if (relative.empty() || !driverImageFormat(last)) return std::nullopt;

    const std::filesystem::path file = joinPath(root, relative);
    const std::optional<std::string> base = confinement::realRoot(root);
    const std::optional<confinement::Resolved> resolved = confinement::resolve(file);
    if (!base || !resolved || !confinement::isBelow(resolved->full(), *base)) return std::nullopt;
    return file;
}

ImageFiles namedFiles(const std::filesystem::path& root, const ImageNames& names,
                      std::optional<std::string_view> driverID) {
    ImageFiles files;
    for (const auto& [size, named] : names)
        if (std::optional<std::filesystem::path> file = namedFile(root, named, driverID)) files.emplace(size, *file);
    return files;
}

}  // namespace homey_project::image_paths
