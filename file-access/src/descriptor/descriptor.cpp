#include "file_access/descriptor.hpp"

#include <unistd.h>

namespace file_access {

void Descriptor::reset(int fd) noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool Descriptor::close() noexcept {
    const int fd = release();
    return fd >= 0 && ::close(fd) == 0;
}

}  // namespace file_access
