// Every escape sequence this writer emits (CSI = ESC "["):
//   CSI row ";" column "H"        cursor position (CUP), 1-based, before a cell that does not
//                                 directly follow the previous one, and for set_cursor
//   CSI "0" [";7"] [";" fg] [";" bg] "m"
//                                 select graphic rendition (SGR), reset plus the new style, only
//                                 where the style changes; 7 is reverse video; fg is 30-37 or
//                                 90-97 for the palette or "38;2;r;g;b" for RGB; bg is 40-47 or
//                                 100-107 or "48;2;r;g;b"; a default colour is left to the reset
//                                 (the defaults 39/49 are thereby implied, never sent alone)
//   CSI "0m"                      at the end of every draw whose last cell was styled
//   CSI "?25l" / CSI "?25h"       hide / show the cursor
//   CSI "2J"                      erase the whole screen (after CSI "0m" when a style is set, so
//                                 that the blank cells get the default background)
// Everything else is cell content encoded as UTF-8 after toolkit::display_char, so no byte below
// 0x20, no DEL and no C1 control is ever written from content.
#include "term/output.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace quarn::term {

namespace {

using toolkit::Color;
using toolkit::ColorKind;
using toolkit::Style;

void append_number(std::string& out, unsigned value) {
    char digits[8];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;  // eight digits hold every value passed here (at most 65536)
    out.append(digits, end);
}

// `base` is 30 for the foreground and 40 for the background.
void append_color(std::string& out, Color color, unsigned base) {
    switch (color.kind) {
        case ColorKind::Default:
            return;
        case ColorKind::Palette: {
            const auto index = static_cast<unsigned>(color.palette);
            out += ';';
            append_number(out, index < 8 ? base + index : base + 60 + index - 8);
            return;
        }
        case ColorKind::Rgb:
            out += ';';
            append_number(out, base + 8);
            out += ";2;";
            append_number(out, color.rgb.r);
            out += ';';
            append_number(out, color.rgb.g);
            out += ';';
            append_number(out, color.rgb.b);
            return;
    }
}

}  // namespace

std::expected<toolkit::Size, std::error_code> TerminalBackend::size() {
    winsize window{};
    if (ioctl(fd_, TIOCGWINSZ, &window) != 0)
        return std::unexpected(std::error_code(errno, std::system_category()));
    return toolkit::Size{window.ws_col, window.ws_row};
}

void TerminalBackend::move_to(std::uint16_t x, std::uint16_t y) {
    out_ += "\x1b[";
    append_number(out_, unsigned{y} + 1);
    out_ += ';';
    append_number(out_, unsigned{x} + 1);
    out_ += 'H';
}

void TerminalBackend::set_pen(Style style) {
    if (pen_ == style) return;
    out_ += "\x1b[0";
    if (style.reverse) out_ += ";7";
    append_color(out_, style.fg, 30);
    append_color(out_, style.bg, 40);
    out_ += 'm';
    pen_ = style;
}

std::expected<void, std::error_code> TerminalBackend::draw(
    std::span<const toolkit::CellUpdate> cells) {
    // Where the terminal cursor is after the previous cell, when we can be sure: only after an
    // ASCII character, since terminals disagree on the width of some others. (A plain flag, not
    // an optional: g++ 12 -O2 warns falsely on comparing an optional Position.)
    bool known = false;
    toolkit::Position next;
    for (const toolkit::CellUpdate& update : cells) {
        if (!known || next != toolkit::Position{update.x, update.y}) move_to(update.x, update.y);
        set_pen(update.cell.style);
        const char32_t symbol = toolkit::display_char(update.cell.symbol);
        toolkit::append_utf8(out_, symbol);
        known = symbol < 0x80 && update.x < 0xFFFF;
        next = toolkit::Position{static_cast<std::uint16_t>(update.x + 1), update.y};
    }
    set_pen(Style{});
    return {};
}

std::expected<void, std::error_code> TerminalBackend::hide_cursor() {
    out_ += "\x1b[?25l";
    return {};
}

std::expected<void, std::error_code> TerminalBackend::show_cursor() {
    out_ += "\x1b[?25h";
    return {};
}

std::expected<void, std::error_code> TerminalBackend::set_cursor(std::uint16_t x, std::uint16_t y) {
    move_to(x, y);
    return {};
}

std::expected<void, std::error_code> TerminalBackend::clear() {
    set_pen(Style{});
    out_ += "\x1b[2J";
    return {};
}

std::expected<void, std::error_code> TerminalBackend::flush() {
    auto written = write_all(fd_, out_);
    out_.clear();
    if (!written) pen_.reset();  // part of an SGR sequence may have gone out
    return written;
}

std::expected<void, std::error_code> write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::unexpected(std::error_code(errno, std::system_category()));
        }
        if (n == 0) return std::unexpected(std::make_error_code(std::errc::io_error));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

}  // namespace quarn::term
