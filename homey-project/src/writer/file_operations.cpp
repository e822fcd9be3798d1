#include "writer/file_operations.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "homey_project/file_writing.hpp"

namespace homey_project {

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

namespace {

// A hidden name beside the target, kept under the 255-byte limit of a name.
std::string temporaryName(const std::string& name, int attempt) {
    std::array<char, 24> number{};
    std::string result = "." + name.substr(0, 200) + ".tmp-";
    const auto pid = std::to_chars(number.data(), number.data() + number.size(), static_cast<long>(::getpid()));
    result.append(number.data(), pid.ptr);
    result.push_back('-');
    const auto n = std::to_chars(number.data(), number.data() + number.size(), attempt);
    result.append(number.data(), n.ptr);
    return result;
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

int FileOperations::openFolder(int parent, const std::string& name) {
    if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) return -1;
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

FileOperations::Outcome FileOperations::replaceFile(int folder, const std::string& name, std::string_view bytes,
                                                    bool replace) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(name, attempt);
        // The mode is masked by the umask, as for any new file.
        fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return Outcome::failed;
    }
    if (fd < 0) return Outcome::failed;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return Outcome::failed;
    }
    const int renamed = replace ? ::renameat(folder, temporary.c_str(), folder, name.c_str())
                                : renameNoReplace(folder, temporary, name);
    if (renamed != 0) {
        const Outcome outcome = errno == EEXIST ? Outcome::exists : Outcome::failed;
        ::unlinkat(folder, temporary.c_str(), 0);
        return outcome;
    }
    ::fsync(folder);
    return Outcome::done;
}

FileOperations::Outcome FileOperations::appendToFile(int folder, const std::string& name, std::string_view bytes) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Outcome::failed;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        ::close(fd);
        return Outcome::failed;
    }
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written != static_cast<ssize_t>(bytes.size())) {
        // Leave no fragment behind.
        [[maybe_unused]] const int cut = ::ftruncate(fd, status.st_size);
        ::close(fd);
        return Outcome::failed;
    }
    ::fsync(fd);
    ::close(fd);
    return Outcome::done;
}

}  // namespace homey_project
