#include "term/raw_mode.hpp"

#include <cerrno>
#include <utility>

namespace quarn::term {

std::expected<RawMode, std::error_code> RawMode::enable(int fd) {
    termios saved{};
    if (tcgetattr(fd, &saved) != 0)
        return std::unexpected(std::error_code(errno, std::system_category()));
    termios raw = saved;
    cfmakeraw(&raw);
    // TCSANOW rather than TCSAFLUSH: keys typed while the program starts are kept, not dropped.
    if (tcsetattr(fd, TCSANOW, &raw) != 0)
        return std::unexpected(std::error_code(errno, std::system_category()));
    return RawMode(fd, saved);
}

RawMode::RawMode(RawMode&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), saved_(other.saved_) {}

RawMode& RawMode::operator=(RawMode&& other) noexcept {
    if (this != &other) {
        (void)disable();  // a restore failure has nowhere to go from an assignment
        fd_ = std::exchange(other.fd_, -1);
        saved_ = other.saved_;
    }
    return *this;
}

RawMode::~RawMode() {
    (void)disable();  // nothing useful can be done about a failure while unwinding an owner
}

std::expected<void, std::error_code> RawMode::disable() {
    if (fd_ < 0) return {};
    const int fd = std::exchange(fd_, -1);
    if (tcsetattr(fd, TCSANOW, &saved_) != 0)
        return std::unexpected(std::error_code(errno, std::system_category()));
    return {};
}

}  // namespace quarn::term
