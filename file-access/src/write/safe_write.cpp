#include "file_access/safe_write.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "file_access/descriptor.hpp"

namespace file_access {

namespace {

constexpr std::string_view temporaryMark = ".tmp-";
constexpr std::time_t abandonedAfter = 24 * 60 * 60;  // seconds

// A hidden name beside the target, kept under the 255-byte limit of a name.
std::string temporaryName(const std::string& name, int attempt) {
    std::array<char, 24> number{};
    std::string result = "." + name.substr(0, 200);
    result.append(temporaryMark);
    const auto pid = std::to_chars(number.data(), number.data() + number.size(), static_cast<long>(::getpid()));
    result.append(number.data(), pid.ptr);
    result.push_back('-');
    const auto n = std::to_chars(number.data(), number.data() + number.size(), attempt);
    result.append(number.data(), n.ptr);
    return result;
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Whether the process is gone: a process of another user still answers EPERM.
bool hasEnded(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Renames without replacing: renameat2 where the file system has it, else a hard
// link (which never replaces either) and the temporary name removed.
int renameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) return -1;
    ::unlinkat(folder, from.c_str(), 0);
    return 0;
}

}  // namespace

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<pid_t> temporaryFileOwner(std::string_view name) {
    // ".<name>.tmp-<pid>-<n>", the name itself not empty.
    const std::size_t mark = name.rfind(temporaryMark);
    if (name.size() < 2 || name.front() != '.' || mark == std::string_view::npos || mark < 2) return std::nullopt;
    const std::string_view numbers = name.substr(mark + temporaryMark.size());
    const std::size_t dash = numbers.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view pid = numbers.substr(0, dash);
    if (!allDigits(pid) || !allDigits(numbers.substr(dash + 1))) return std::nullopt;
    long value = 0;
    const auto parsed = std::from_chars(pid.data(), pid.data() + pid.size(), value);
    if (parsed.ec != std::errc() || value <= 0 || static_cast<pid_t>(value) != value) return std::nullopt;
    return static_cast<pid_t>(value);
}

void removeAbandonedTemporaries(int folder) {
    const int own = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return;
    DIR* listing = ::fdopendir(own);
    if (listing == nullptr) {
        ::close(own);
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<pid_t> owner = temporaryFileOwner(entry->d_name);
        if (!owner || *owner == ::getpid()) continue;
        struct stat status {};
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)) continue;
        // A number taken again by another process, or one from another machine
        // sharing the folder, still lets a day-old file go: no write lasts that long.
        if (hasEnded(*owner) || now - status.st_mtime > abandonedAfter) ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(listing);
}

std::optional<std::string> stageFile(int folder, const std::string& name, std::string_view bytes,
                                     std::optional<mode_t> mode) {
    std::string temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.isOpen(); ++attempt) {
        temporary = temporaryName(name, attempt);
        // The mode is masked by the umask, as for any new file.
        fd.reset(::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd.isOpen() && errno != EEXIST) return std::nullopt;
    }
    if (!fd.isOpen()) return std::nullopt;
    const bool written =
        (!mode || ::fchmod(fd.get(), *mode) == 0) && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return std::nullopt;
    }
    return temporary;
}

bool placeStaged(int folder, const std::string& temporary, const std::string& name, bool replace) {
    return (replace ? ::renameat(folder, temporary.c_str(), folder, name.c_str())
                    : renameNoReplace(folder, temporary, name)) == 0;
}

WriteOutcome replaceFileAt(int folder, const std::string& name, std::string_view bytes, bool replace,
                           std::optional<mode_t> mode) {
    const std::optional<std::string> temporary = stageFile(folder, name, bytes, mode);
    if (!temporary) return WriteOutcome::failed;
    if (!placeStaged(folder, *temporary, name, replace)) {
        const WriteOutcome outcome = errno == EEXIST ? WriteOutcome::exists : WriteOutcome::failed;
        ::unlinkat(folder, temporary->c_str(), 0);
        return outcome;
    }
    ::fsync(folder);
    return WriteOutcome::done;
}

bool replaceFile(const std::filesystem::path& target, std::string_view bytes, std::optional<mode_t> mode) {
    const std::filesystem::path folderPath = target.has_parent_path() ? target.parent_path() : ".";
    const Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) return false;
    removeAbandonedTemporaries(folder.get());
    return replaceFileAt(folder.get(), target.filename().native(), bytes, true, mode) == WriteOutcome::done;
}

}  // namespace file_access
