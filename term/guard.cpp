#include "term/guard.hpp"

#include <cerrno>
#include <utility>

namespace quarn::term {
namespace {

// Writes go straight to the descriptor, unbuffered: when this returns, the bytes are flushed.
[[nodiscard]] std::expected<void, std::error_code> write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(std::error_code(errno, std::system_category()));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

}  // namespace

TerminalGuard::TerminalGuard(RawMode raw, int out_fd) : raw_(std::move(raw)), out_fd_(out_fd) {}

TerminalGuard::TerminalGuard(TerminalGuard&& other) noexcept
    : raw_(std::move(other.raw_)), out_fd_(std::exchange(other.out_fd_, -1)) {}

TerminalGuard& TerminalGuard::operator=(TerminalGuard&& other) noexcept {
    if (this != &other) {
        release();
        raw_ = std::move(other.raw_);
        out_fd_ = std::exchange(other.out_fd_, -1);
    }
    return *this;
}

TerminalGuard::~TerminalGuard() { release(); }

void TerminalGuard::release() {
    if (out_fd_ < 0) return;
    const int fd = std::exchange(out_fd_, -1);
    (void)write_all(fd, pop_keyboard_enhancement);  // an old terminal may not know the protocol
    if (write_all(fd, disable_mouse)) (void)write_all(fd, leave_alternate_screen);
    (void)raw_.disable();  // restoring is best effort: there is no one left to tell
}

std::expected<TerminalGuard, std::error_code> setup_terminal(int tty_fd, int out_fd) {
    auto raw = RawMode::enable(tty_fd);
    if (!raw) return std::unexpected(raw.error());
    // On failure `raw` is dropped here, which switches raw mode off again.
    if (auto written = write_all(out_fd, enter_alternate_screen); !written)
        return std::unexpected(written.error());
    if (auto written = write_all(out_fd, enable_mouse); !written)
        return std::unexpected(written.error());
    (void)write_all(out_fd,
                    push_keyboard_enhancement);  // optional: legacy key encodings still work
    return TerminalGuard(std::move(*raw), out_fd);
}

}  // namespace quarn::term
