#pragma once

// An open file descriptor owned by one scope.

namespace file_access {

// Closes the descriptor on every way out of its scope; −1 holds nothing.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) noexcept : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool isOpen() const noexcept { return fd_ >= 0; }

    // Closes the one held, then holds `fd`.
    void reset(int fd = -1) noexcept;
    // Hands the descriptor over without closing it.
    [[nodiscard]] int release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now, telling whether the close (which can report a late write
    // error) succeeded.
    [[nodiscard]] bool close() noexcept;

private:
    int fd_;
};

}  // namespace file_access
