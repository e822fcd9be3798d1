#include "project/confinement.hpp"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <system_error>

namespace homey_project::confinement {
namespace {

std::optional<std::string> realPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string standardized(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) absolute = path;
    return withoutTrailingSlash(absolute.lexically_normal().native());
}

std::string Resolved::full() const {
    std::string path = existing;
    for (const std::string& component : missing) {
        if (path.empty() || path.back() != '/') path.push_back('/');
        path.append(component);
    }
    return std::filesystem::path(path).lexically_normal().native();
}

std::optional<Resolved> resolve(const std::filesystem::path& path) {
    std::filesystem::path current = standardized(path);
    Resolved resolved;
    struct stat status {};
    while (::lstat(current.c_str(), &status) != 0) {
        const std::filesystem::path parent = current.parent_path();
        if (parent == current || current.filename().empty()) break;
        resolved.missing.insert(resolved.missing.begin(), current.filename().native());
        current = parent;
    }
    const std::optional<std::string> existing = realPath(current.native());
    if (!existing) return std::nullopt;
    resolved.existing = *existing;
    return resolved;
}

std::optional<std::string> realRoot(const std::filesystem::path& root) {
    const std::optional<std::string> real = realPath(standardized(root));
    if (!real) return std::nullopt;
    return withoutTrailingSlash(std::filesystem::path(*real).lexically_normal().native());
}

bool isBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

}  // namespace homey_project::confinement
