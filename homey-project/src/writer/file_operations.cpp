#include "writer/file_operations.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_access/descriptor.hpp"

namespace homey_project {

int FileOperations::openFolder(int parent, const std::string& name, bool& made) {
    made = ::mkdirat(parent, name.c_str(), 0777) == 0;
    if (!made && errno != EEXIST) return -1;
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

FileOperations::Outcome FileOperations::appendToFile(int folder, const std::string& name, std::string_view bytes) {
    file_access::Descriptor fd(
        ::openat(folder, name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) return Outcome::failed;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) return Outcome::failed;
    const ssize_t written = ::write(fd.get(), bytes.data(), bytes.size());
    if (written != static_cast<ssize_t>(bytes.size())) {
        // Leave no fragment behind.
        [[maybe_unused]] const int cut = ::ftruncate(fd.get(), status.st_size);
        return Outcome::failed;
    }
    ::fsync(fd.get());
    return Outcome::done;
}

void FileOperations::cutBack(int folder, const std::string& name, off_t length, off_t appendedLength) {
    const file_access::Descriptor fd(::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!fd.isOpen() || ::fstat(fd.get(), &status) != 0 || status.st_size != appendedLength) return;
    if (::ftruncate(fd.get(), length) == 0) ::fsync(fd.get());
}

}  // namespace homey_project
