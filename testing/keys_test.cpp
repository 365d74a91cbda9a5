#include "testing/keys.hpp"

#include <gtest/gtest.h>

namespace quarn::testing::keys {
namespace {

struct EncodingCase {
    std::string_view name;
    std::string bytes;
    std::string_view expected;  // what xterm sends, with keyboard disambiguation on
};

TEST(Keys, EncodeAsXtermDoes) {
    const EncodingCase cases[] = {
        {"Up", nav(Nav::Up), "\x1b[A"},
        {"ShiftRight", nav(Nav::Right, with_shift), "\x1b[1;2C"},
        {"CtrlLeft", nav(Nav::Left, with_ctrl), "\x1b[1;5D"},
        {"AltCtrlShiftDown", nav(Nav::Down, {.shift = true, .alt = true, .ctrl = true}),
         "\x1b[1;8B"},
        {"Home", nav(Nav::Home), "\x1b[H"},
        {"ShiftEnd", nav(Nav::End, with_shift), "\x1b[1;2F"},
        {"PageUp", nav(Nav::PageUp), "\x1b[5~"},
        {"CtrlShiftPageDown", nav(Nav::PageDown, with_ctrl_shift), "\x1b[6;6~"},
        {"Delete", nav(Nav::Delete), "\x1b[3~"},
        {"F1", function(1), "\x1bOP"},
        {"ShiftF4", function(4, with_shift), "\x1b[1;2S"},
        {"F5", function(5), "\x1b[15~"},
        {"F12", function(12), "\x1b[24~"},
        {"CtrlQ", ctrl('q'), "\x11"},
        {"CtrlUpperQ", ctrl('Q'), "\x11"},
        {"CtrlShiftT", ctrl_shift('T'), "\x1b[116;6u"},
        {"AltF", alt('f'),
         "\x1b"
         "f"},
        {"CtrlEnter", csi_u(13, with_ctrl), "\x1b[13;5u"},
        {"Backtab", backtab(), "\x1b[Z"},
        {"LeftPress", mouse_press(Button::Left, 10, 5), "\x1b[<0;11;6M"},
        {"RightRelease", mouse_release(Button::Right, 0, 0), "\x1b[<2;1;1m"},
        {"AltLeftPress", mouse_press(Button::Left, 3, 4, with_alt), "\x1b[<8;4;5M"},
        {"LeftDrag", mouse_drag(Button::Left, 22, 7), "\x1b[<32;23;8M"},
        {"Move", mouse_move(1, 1), "\x1b[<35;2;2M"},
        {"WheelUp", wheel_up(5, 6), "\x1b[<64;6;7M"},
        {"CtrlWheelDown", wheel_down(5, 6, with_ctrl), "\x1b[<81;6;7M"},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.bytes, c.expected);
    }
}

}  // namespace
}  // namespace quarn::testing::keys
