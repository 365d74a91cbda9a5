#pragma once
// The bytes a terminal emulator (xterm with keyboard disambiguation on) sends for keys and mouse
// actions, for feeding the program under test. Columns and rows are 0-based, as in the program's
// events; the mouse encoding adds the protocol's 1.

#include <cstdint>
#include <string>
#include <string_view>

namespace quarn::testing::keys {

struct Mods {
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
};
inline constexpr Mods with_shift{.shift = true};
inline constexpr Mods with_alt{.alt = true};
inline constexpr Mods with_ctrl{.ctrl = true};
inline constexpr Mods with_ctrl_shift{.shift = true, .ctrl = true};

enum class Nav { Up, Down, Right, Left, Home, End, PageUp, PageDown, Insert, Delete };

inline std::string text(std::string_view utf8) { return std::string(utf8); }
inline std::string enter() { return "\r"; }
inline std::string esc() { return "\x1b"; }
inline std::string tab() { return "\t"; }
inline std::string backtab() { return "\x1b[Z"; }
inline std::string backspace() { return "\x7f"; }

// Cursor and editing keys: "\x1b[A", "\x1b[1;5A" with Ctrl, "\x1b[5~", "\x1b[5;6~" with Ctrl+Shift.
[[nodiscard]] std::string nav(Nav key, Mods mods = {});
// Function key F1 to F12, xterm encoding.
[[nodiscard]] std::string function(int number, Mods mods = {});
// Ctrl+letter as the control byte (Ctrl+A is 0x01); `letter` in a-z or A-Z.
[[nodiscard]] std::string ctrl(char letter);
// Ctrl+Shift+letter in the disambiguated form: "\x1b[116;6u" for Ctrl+Shift+T.
[[nodiscard]] std::string ctrl_shift(char letter);
// Alt+character as ESC followed by the character.
[[nodiscard]] std::string alt(char c);
// Any key in the disambiguated form "\x1b[<code>;<mods>u" (Ctrl+Enter is csi_u(13, with_ctrl)).
[[nodiscard]] std::string csi_u(char32_t code, Mods mods = {});

enum class Button { Left, Middle, Right };
// SGR mouse reports: "\x1b[<0;11;6M" is a left press at column 10, row 5.
[[nodiscard]] std::string mouse_press(Button button, int column, int row, Mods mods = {});
[[nodiscard]] std::string mouse_release(Button button, int column, int row, Mods mods = {});
[[nodiscard]] std::string mouse_drag(Button button, int column, int row, Mods mods = {});
[[nodiscard]] std::string mouse_move(int column, int row, Mods mods = {});
[[nodiscard]] std::string wheel_up(int column, int row, Mods mods = {});
[[nodiscard]] std::string wheel_down(int column, int row, Mods mods = {});

}  // namespace quarn::testing::keys
