#include "file_access/bounded_read.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "file_access/descriptor.hpp"

namespace file_access {

std::optional<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO with no writer must not wait for one.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;

    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return std::nullopt;
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) > maxBytes) return std::nullopt;

    std::string contents(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t used = 0;
    while (used < contents.size()) {
        const ssize_t got = ::read(file.get(), contents.data() + used, contents.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;  // shrank while reading: keep what is there
        used += static_cast<std::size_t>(got);
    }
    // A file that grew after fstat is read on, but never past the limit.
    char spare[65536];
    while (used == contents.size()) {
        const ssize_t got = ::read(file.get(), spare, sizeof spare);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        if (static_cast<std::size_t>(got) > maxBytes - used) return std::nullopt;
        contents.append(spare, static_cast<std::size_t>(got));
        used = contents.size();
    }
    contents.resize(used);
    return contents;
}

}  // namespace file_access
