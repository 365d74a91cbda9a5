#pragma once
// The events the terminal reports, as values. Produced by the input parser and the event source;
// consumed by the main loop. Columns and rows are 0-based screen cells.

#include <cstdint>
#include <string>
#include <variant>

namespace quarn::term {

enum class KeyCode {
    Char,  // the character is in KeyEvent::ch
    Enter,
    Tab,
    BackTab,  // Shift+Tab as terminals report it (CSI Z or CSI 9;2u)
    Backspace,
    Esc,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    PageUp,
    PageDown,
    Delete,
    Insert,
    F,     // function key; its number is in KeyEvent::function
    Null,  // a key the terminal reports that no handler uses (media, lock, modifier keys)
};

enum class KeyKind { Press, Repeat, Release };

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

struct KeyEvent {
    KeyCode code = KeyCode::Null;
    char32_t ch = 0;            // with KeyCode::Char only
    std::uint8_t function = 0;  // with KeyCode::F only: 1 for F1
    Modifiers mods{};
    KeyKind kind = KeyKind::Press;
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

enum class MouseKind { Press, Release, Drag, Move, WheelUp, WheelDown, WheelLeft, WheelRight };
enum class MouseButton { None, Left, Right, Middle };

struct MouseEvent {
    MouseKind kind = MouseKind::Move;
    MouseButton button = MouseButton::None;  // for Press, Release and Drag
    std::uint16_t column = 0;
    std::uint16_t row = 0;
    Modifiers mods{};
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

struct PasteEvent {
    std::string text;  // UTF-8, as the terminal sent it between the bracketed-paste markers
    friend bool operator==(const PasteEvent&, const PasteEvent&) = default;
};

struct ResizeEvent {
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    friend bool operator==(const ResizeEvent&, const ResizeEvent&) = default;
};

struct FocusEvent {
    bool gained = false;
    friend bool operator==(const FocusEvent&, const FocusEvent&) = default;
};

using Event = std::variant<KeyEvent, MouseEvent, PasteEvent, ResizeEvent, FocusEvent>;

}  // namespace quarn::term
