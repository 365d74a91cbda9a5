#pragma once
// Taking over the terminal and giving it back. setup_terminal() switches raw mode on, enters the
// alternate screen, turns mouse reporting on and pushes keyboard disambiguation; the TerminalGuard
// it returns undoes all of that, in reverse order, when dropped. Every sequence written is below.

#include <unistd.h>

#include <expected>
#include <string_view>
#include <system_error>

#include "term/raw_mode.hpp"

namespace quarn::term {

inline constexpr std::string_view enter_alternate_screen = "\x1b[?1049h";
// Press/release, button-motion and any-motion reporting, extended coordinates (decimal and SGR).
inline constexpr std::string_view enable_mouse =
    "\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1015h\x1b[?1006h";
// Keyboard enhancement flag 1: disambiguate escape codes (Ctrl+Shift+letter, Ctrl+Enter, ...).
inline constexpr std::string_view push_keyboard_enhancement = "\x1b[>1u";
inline constexpr std::string_view pop_keyboard_enhancement = "\x1b[<1u";
inline constexpr std::string_view disable_mouse =
    "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l";
inline constexpr std::string_view leave_alternate_screen = "\x1b[?1049l";

// Owner of the terminal's modified state. Dropping it (or release()) writes, ignoring every
// failure:
//   1. pop_keyboard_enhancement
//   2. disable_mouse then leave_alternate_screen (both skipped when the first write fails)
//   3. raw mode off
// Not copyable; a moved-from guard releases nothing.
class TerminalGuard {
public:
    TerminalGuard(const TerminalGuard&) = delete;
    TerminalGuard& operator=(const TerminalGuard&) = delete;
    TerminalGuard(TerminalGuard&& other) noexcept;
    TerminalGuard& operator=(TerminalGuard&& other) noexcept;
    ~TerminalGuard();

    // Runs the release sequence now; later calls and the destructor do nothing.
    void release();

private:
    friend std::expected<TerminalGuard, std::error_code> setup_terminal(int, int);
    TerminalGuard(RawMode raw, int out_fd);

    RawMode raw_;
    int out_fd_ = -1;  // -1 once released or moved from
};

// Raw mode on `tty_fd`, then enter_alternate_screen and enable_mouse written to `out_fd`; a failure
// of any of these is returned (the caller reports "failed to initialise terminal") and raw mode is
// switched off again so the shell gets a usable terminal back. Then push_keyboard_enhancement,
// whose failure is ignored: terminals without the protocol still work.
// Requires: both descriptors stay open for the life of the guard.
[[nodiscard]] std::expected<TerminalGuard, std::error_code> setup_terminal(
    int tty_fd = STDIN_FILENO, int out_fd = STDOUT_FILENO);

}  // namespace quarn::term
