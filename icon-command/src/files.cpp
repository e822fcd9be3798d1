#include "icon_command/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <file_access/bounded_read.hpp>
#include <filesystem>
#include <homey_project/file_writing.hpp>
#include <system_error>
#include <vector>

#include "messages.hpp"

namespace icon_command {

namespace {

namespace fs = std::filesystem;

// Closes a descriptor on every path out of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now, reporting whether the close (which can surface a late write
    // error) succeeded.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Opens a fresh temporary file beside the target. Created with 0666 so that the
// process's umask alone decides the published file's mode.
std::optional<std::pair<fs::path, int>> createTemporary(const fs::path& target) {
    const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = target;
        // Cut long names so the temporary one stays within the name limit.
        candidate.replace_filename("." + target.filename().string().substr(0, 200) + "." + std::to_string(::getpid()) +
                                   "." + std::to_string((seed + attempt * 7919ULL) % 1000000ULL) + ".tmp");
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return std::pair(std::move(candidate), fd);
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// Replaces the file through a temporary file in its folder and a rename; the
// temporary file takes `mode` when one is given (a replaced file keeps its own).
bool replaceAtomically(std::string_view bytes, const fs::path& target, std::optional<mode_t> mode) {
    const auto temporary = createTemporary(target);
    if (!temporary) return false;
    Descriptor fd(temporary->second);
    const bool complete = (!mode || ::fchmod(fd.get(), *mode) == 0) && homey_project::writeAll(fd.get(), bytes) &&
                          ::fsync(fd.get()) == 0 && fd.close() &&
                          ::rename(temporary->first.c_str(), target.c_str()) == 0;
    if (!complete) ::unlink(temporary->first.c_str());
    return complete;
}

// Devices, pipes and sockets are written into as they are, as every tool does
// with "-o /dev/stdout": there is no file to replace.
bool writeStraight(std::string_view bytes, const fs::path& target) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return false;
    return homey_project::writeAll(fd.get(), bytes) && fd.close();
}

// The folders made for a write, removed again, deepest first, when it fails.
class CreatedFolders {
public:
    // Makes the missing folders above `target` one level at a time.
    bool create(const fs::path& folder) {
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
    void removeAll() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) ::rmdir(it->c_str());
        made_.clear();
    }

private:
    std::vector<fs::path> made_;
};

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
                if (error || !replaceAtomically(bytes, linked, standing.st_mode & 07777)) fail();
                return;
            }
        }
        if (!S_ISREG(standing.st_mode) && !S_ISLNK(standing.st_mode)) fail();
    }

    CreatedFolders folders;
    if (!folders.create(target.parent_path()) || !replaceAtomically(bytes, target, std::nullopt)) {
        folders.removeAll();
        fail();
    }
}

}  // namespace IconCommand
}  // namespace icon_command
