#pragma once
// The terminal writer: a toolkit Backend that turns cell updates into escape sequences on a file
// descriptor (standard output in the editor). Output is collected in one string and written by
// flush(), retrying partial and interrupted writes. No byte of cell content is ever sent as a
// control byte: every character goes through toolkit::display_char again before it is encoded.

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "toolkit/buffer.hpp"
#include "toolkit/rect.hpp"
#include "toolkit/style.hpp"
#include "toolkit/terminal.hpp"

namespace quarn::term {

class TerminalBackend final : public toolkit::Backend {
public:
    // Requires: `fd` stays open while the backend lives; it is not closed by the backend.
    explicit TerminalBackend(int fd) : fd_(fd) {}

    // The window size from ioctl(TIOCGWINSZ); fails (ENOTTY) when `fd` is not a terminal.
    [[nodiscard]] std::expected<toolkit::Size, std::error_code> size() override;
    [[nodiscard]] std::expected<void, std::error_code> draw(
        std::span<const toolkit::CellUpdate> cells) override;
    [[nodiscard]] std::expected<void, std::error_code> hide_cursor() override;
    [[nodiscard]] std::expected<void, std::error_code> show_cursor() override;
    [[nodiscard]] std::expected<void, std::error_code> set_cursor(std::uint16_t x,
                                                                  std::uint16_t y) override;
    [[nodiscard]] std::expected<void, std::error_code> clear() override;
    // Writes everything collected so far. On failure the unwritten rest is dropped, so a later
    // flush does not repeat half a frame.
    [[nodiscard]] std::expected<void, std::error_code> flush() override;

    // The bytes collected and not yet flushed (for tests).
    [[nodiscard]] const std::string& pending() const { return out_; }

private:
    void move_to(std::uint16_t x, std::uint16_t y);
    void set_pen(toolkit::Style style);

    int fd_;
    std::string out_;
    std::optional<toolkit::Style> pen_;  // the terminal's SGR state, when known
};

// Writes all of `bytes` to `fd`, retrying after EINTR and partial writes.
[[nodiscard]] std::expected<void, std::error_code> write_all(int fd, std::string_view bytes);

}  // namespace quarn::term
