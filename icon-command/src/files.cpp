#include "icon_command/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <file_access/bounded_read.hpp>
#include <file_access/descriptor.hpp>
#include <file_access/safe_write.hpp>
#include <file_access/staged_files.hpp>
#include <filesystem>
#include <system_error>
#include <vector>

#include "messages.hpp"

namespace icon_command {

namespace {

namespace fs = std::filesystem;

// Devices, pipes and sockets are written into as they are, as every tool does
// with "-o /dev/stdout": there is no file to replace.
bool writeStraight(std::string_view bytes, const fs::path& target) {
    file_access::Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.isOpen()) return false;
    return file_access::writeAll(fd.get(), bytes) && fd.close();
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit) {
    return file_access::readBoundedFile(path, limit);
}

fs::path fullPath(std::string_view path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error) absolute = fs::path(path);
    fs::path normal = absolute.lexically_normal();
    // "a/b/" keeps an empty last component; the folder is "a/b".
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

bool MadeFolders::create(const fs::path& folder) {
    std::vector<fs::path> missing;
    for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
        struct stat status {};
        if (::lstat(p.c_str(), &status) == 0) break;
        if (errno != ENOENT) return false;
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0777) != 0) return false;
        made_.push_back(*it);
    }
    return true;
}

void MadeFolders::removeAll() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) ::rmdir(it->c_str());
    made_.clear();
}

namespace IconCommand {

void writeFile(std::string_view bytes, const std::string& path, Language language) {
    const auto fail = [&] { throw CommandError(writeFailure(path, language), ExitCode::fileError); };
    std::error_code error;
    const fs::path target = fs::absolute(fs::path(path), error);
    // A path naming a folder ("out/", "" or ".") can never become a file.
    if (error || path.empty() || !target.has_filename() || target.filename() == "." || target.filename() == "..") {
        fail();
    }

    // What stands at the path, links followed.
    struct stat standing {};
    if (::stat(target.c_str(), &standing) == 0) {
        if (S_ISDIR(standing.st_mode)) fail();
        if (S_ISCHR(standing.st_mode) || S_ISFIFO(standing.st_mode) || S_ISSOCK(standing.st_mode)) {
            if (!writeStraight(bytes, target)) fail();
            return;
        }
        if (S_ISREG(standing.st_mode)) {
            struct stat link {};
            if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
                // A link stays a link: the file it leads to is replaced, keeping its mode.
                const fs::path linked = fs::canonical(target, error);
                if (error || !file_access::replaceFile(linked, bytes, standing.st_mode & 07777)) fail();
                return;
            }
        }
        if (!S_ISREG(standing.st_mode) && !S_ISLNK(standing.st_mode)) fail();
    }

    MadeFolders folders;
    if (!folders.create(target.parent_path()) || !file_access::replaceFile(target, bytes)) {
        folders.removeAll();
        fail();
    }
}

bool writeFilesTogether(const fs::path& folder, const std::vector<OutputFile>& files, Language language,
                        const std::function<bool()>& cancelled) {
    if (files.empty()) return true;
    const file_access::Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) throw CommandError(writeFailure(files.front().path, language), ExitCode::fileError);
    // Whatever is staged when this returns or throws before the renames is removed with it.
    file_access::StagedFiles staged;
    for (const OutputFile& file : files) {
        if (cancelled && cancelled()) return false;
        if (!staged.stage(fd.get(), fs::path(file.path).filename().native(), file.bytes, true))
            throw CommandError(writeFailure(file.path, language), ExitCode::fileError);
    }
    if (cancelled && cancelled()) return false;
    const file_access::StagedFiles::Placement placement = staged.placeAll();
    if (placement.complete()) return true;
    std::vector<std::string> paths;
    for (const OutputFile& file : files) paths.push_back(file.path);
    const auto failed = paths.begin() + static_cast<std::ptrdiff_t>(placement.placed);
    if (placement.placed == 0) throw CommandError(writeFailure(*failed, language), ExitCode::fileError);
    throw CommandError(partialWriteFailure(*failed, {paths.begin(), failed}, {failed, paths.end()}, language),
                       ExitCode::fileError);
}

}  // namespace IconCommand
}  // namespace icon_command
