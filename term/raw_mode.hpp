#pragma once
// Raw mode on a terminal file descriptor as an owned value: while a RawMode lives, the terminal
// delivers every byte at once, unechoed and untranslated (no line editing, no Ctrl+C/Ctrl+Z
// signals, no flow control, no CR to LF mapping); dropping it puts back the attributes saved on
// entry.

#include <termios.h>

#include <expected>
#include <system_error>

namespace quarn::term {

class RawMode {
public:
    // Saves the attributes of `fd` and switches it to raw mode.
    // Fails (ENOTTY and the like) when `fd` is not a terminal; the terminal is then unchanged.
    // Requires: `fd` stays open for the life of the returned value.
    [[nodiscard]] static std::expected<RawMode, std::error_code> enable(int fd);

    RawMode(const RawMode&) = delete;
    RawMode& operator=(const RawMode&) = delete;
    RawMode(RawMode&& other) noexcept;
    RawMode& operator=(RawMode&& other) noexcept;
    ~RawMode();

    // Puts the saved attributes back now; later calls and the destructor do nothing.
    [[nodiscard]] std::expected<void, std::error_code> disable();

private:
    RawMode(int fd, const termios& saved) : fd_(fd), saved_(saved) {}

    int fd_ = -1;  // -1 once restored or moved from
    termios saved_{};
};

}  // namespace quarn::term
