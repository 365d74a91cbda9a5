#include "testing/keys.hpp"

#include <cassert>

namespace quarn::testing::keys {
namespace {

[[nodiscard]] int modifier_parameter(Mods mods) {
    return 1 + (mods.shift ? 1 : 0) + (mods.alt ? 2 : 0) + (mods.ctrl ? 4 : 0);
}

[[nodiscard]] bool any(Mods mods) { return mods.shift || mods.alt || mods.ctrl; }

[[nodiscard]] int mouse_modifier_bits(Mods mods) {
    return (mods.shift ? 4 : 0) + (mods.alt ? 8 : 0) + (mods.ctrl ? 16 : 0);
}

[[nodiscard]] std::string sgr_mouse(int code, int column, int row, Mods mods, bool release) {
    assert(column >= 0 && row >= 0);
    // Built by appending: g++ 12 -O2 warns falsely (-Wrestrict) on "literal" + std::string.
    std::string out = "\x1b[<";
    out += std::to_string(code + mouse_modifier_bits(mods));
    out += ';';
    out += std::to_string(column + 1);
    out += ';';
    out += std::to_string(row + 1);
    out += release ? 'm' : 'M';
    return out;
}

[[nodiscard]] int button_code(Button button) {
    switch (button) {
        case Button::Left:
            return 0;
        case Button::Middle:
            return 1;
        case Button::Right:
            return 2;
    }
    return 0;
}

// Keys with a final letter ("\x1b[A") take modifiers as "\x1b[1;<m>A"; the others as
// "\x1b[<n>;<m>~".
[[nodiscard]] std::string letter_key(char final, Mods mods) {
    std::string out = "\x1b[";
    if (any(mods)) {
        out += "1;";
        out += std::to_string(modifier_parameter(mods));
    }
    out += final;
    return out;
}

[[nodiscard]] std::string tilde_key(int number, Mods mods) {
    std::string out = "\x1b[";
    out += std::to_string(number);
    if (any(mods)) {
        out += ';';
        out += std::to_string(modifier_parameter(mods));
    }
    out += '~';
    return out;
}

}  // namespace

std::string nav(Nav key, Mods mods) {
    switch (key) {
        case Nav::Up:
            return letter_key('A', mods);
        case Nav::Down:
            return letter_key('B', mods);
        case Nav::Right:
            return letter_key('C', mods);
        case Nav::Left:
            return letter_key('D', mods);
        case Nav::Home:
            return letter_key('H', mods);
        case Nav::End:
            return letter_key('F', mods);
        case Nav::PageUp:
            return tilde_key(5, mods);
        case Nav::PageDown:
            return tilde_key(6, mods);
        case Nav::Insert:
            return tilde_key(2, mods);
        case Nav::Delete:
            return tilde_key(3, mods);
    }
    return {};
}

std::string function(int number, Mods mods) {
    assert(number >= 1 && number <= 12);
    if (number <= 4) {
        const char final = static_cast<char>('P' + (number - 1));
        if (!any(mods)) return {'\x1b', 'O', final};
        return letter_key(final, mods);
    }
    constexpr int codes[] = {15, 17, 18, 19, 20, 21, 23, 24};
    return tilde_key(codes[number - 5], mods);
}

std::string ctrl(char letter) {
    assert((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'));
    return std::string(1, static_cast<char>(letter & 0x1f));
}

std::string ctrl_shift(char letter) {
    assert((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'));
    const char lower =
        (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter - 'A' + 'a') : letter;
    return csi_u(static_cast<char32_t>(lower), with_ctrl_shift);
}

std::string alt(char c) { return {'\x1b', c}; }

std::string csi_u(char32_t code, Mods mods) {
    std::string out = "\x1b[";
    out += std::to_string(static_cast<std::uint32_t>(code));
    if (any(mods)) {
        out += ';';
        out += std::to_string(modifier_parameter(mods));
    }
    out += 'u';
    return out;
}

std::string mouse_press(Button button, int column, int row, Mods mods) {
    return sgr_mouse(button_code(button), column, row, mods, false);
}

std::string mouse_release(Button button, int column, int row, Mods mods) {
    return sgr_mouse(button_code(button), column, row, mods, true);
}

std::string mouse_drag(Button button, int column, int row, Mods mods) {
    return sgr_mouse(32 + button_code(button), column, row, mods, false);
}

std::string mouse_move(int column, int row, Mods mods) {
    return sgr_mouse(35, column, row, mods, false);
}

std::string wheel_up(int column, int row, Mods mods) {
    return sgr_mouse(64, column, row, mods, false);
}

std::string wheel_down(int column, int row, Mods mods) {
    return sgr_mouse(65, column, row, mods, false);
}

}  // namespace quarn::testing::keys
