#include "tui/keys.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "linecraft/unicode.hpp"
#include "tui/commands_pending.hpp"
#include "tui/document_commands.hpp"
#include "tui/editing.hpp"
#include "tui/movement.hpp"
#include "tui/overlay.hpp"

namespace quarn::tui {
namespace {

using term::KeyCode;

// One line per key. `ch` matters only for KeyCode::Char: letters are written in lower case and
// match both cases, since with Shift the terminal usually reports the upper-case letter.
struct Binding {
    KeyCode code;
    char32_t ch;
    void (*run)(Editor&);
};

// Plain keys get the Shift state, which makes movements extend the selection.
struct PlainBinding {
    KeyCode code;
    void (*run)(Editor&, bool shift);
};

[[nodiscard]] constexpr char32_t fold_ascii(char32_t ch) {
    return ch >= U'A' && ch <= U'Z' ? ch - U'A' + U'a' : ch;
}

[[nodiscard]] bool matches(KeyCode code, char32_t ch, const term::KeyEvent& key) {
    return code == key.code && (code != KeyCode::Char || ch == fold_ascii(key.ch));
}

template <class Table>
[[nodiscard]] const Binding* find_binding(const Table& table, const term::KeyEvent& key) {
    for (const Binding& binding : table) {
        if (matches(binding.code, binding.ch, key)) return &binding;
    }
    return nullptr;
}

// A page is the height of the text area, at least one row.
[[nodiscard]] std::ptrdiff_t page(const Editor& editor) {
    constexpr auto most = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
    return static_cast<std::ptrdiff_t>(std::clamp<std::size_t>(editor.text_height, 1, most));
}

// Up and Down step through an active popup; stepping out of either end hides it for good (until
// another key) and moves the caret in the same key press.
void popup_or_move(Editor& editor, bool down, bool shift) {
    Completion& popup = editor.completion;
    if (popup.active()) {
        if (!down && popup.selected > 0) {
            --popup.selected;
            return;
        }
        if (down && popup.selected + 1 < popup.items.size()) {
            ++popup.selected;
            return;
        }
        popup.visible = false;
        popup.dismissed = true;
    }
    move_vertical(editor, down ? 1 : -1, shift);
}

void escape(Editor& editor, bool) {
    if (editor.completion.visible) {
        editor.completion.visible = false;
        editor.completion.dismissed = true;
    } else if (editor.carets.size() > 1) {
        collapse_to_primary(editor);
    } else {
        // Nothing to close, but the popup must not pop up again until another key.
        editor.completion.dismissed = true;
    }
}

constexpr PlainBinding plain_keys[] = {
    {KeyCode::Backspace, [](Editor& e, bool) { delete_backward(e); }},
    {KeyCode::Delete, [](Editor& e, bool) { delete_forward(e); }},
    {KeyCode::Enter,
     [](Editor& e, bool) { e.completion.active() ? accept_completion(e) : insert_newline(e); }},
    {KeyCode::Tab,
     [](Editor& e, bool) { e.completion.active() ? accept_completion(e) : indent(e); }},
    {KeyCode::BackTab, [](Editor& e, bool) { dedent(e); }},
    {KeyCode::Left, [](Editor& e, bool shift) { move_horizontal(e, true, false, shift); }},
    {KeyCode::Right, [](Editor& e, bool shift) { move_horizontal(e, false, false, shift); }},
    {KeyCode::Up, [](Editor& e, bool shift) { popup_or_move(e, false, shift); }},
    {KeyCode::Down, [](Editor& e, bool shift) { popup_or_move(e, true, shift); }},
    {KeyCode::Home, [](Editor& e, bool shift) { move_row_start(e, shift); }},
    {KeyCode::End, [](Editor& e, bool shift) { move_row_end(e, shift); }},
    {KeyCode::PageUp, [](Editor& e, bool shift) { move_page(e, -page(e), shift); }},
    {KeyCode::PageDown, [](Editor& e, bool shift) { move_page(e, page(e), shift); }},
    {KeyCode::Esc, escape},
};

constexpr Binding control_keys[] = {
    {KeyCode::Backspace, 0, delete_backward_word},
    {KeyCode::Delete, 0, delete_forward_word},
    {KeyCode::Left, 0, [](Editor& e) { move_horizontal(e, true, true, false); }},
    {KeyCode::Right, 0, [](Editor& e) { move_horizontal(e, false, true, false); }},
    {KeyCode::Home, 0, [](Editor& e) { move_document_start(e, false); }},
    {KeyCode::End, 0, [](Editor& e) { move_document_end(e, false); }},
    {KeyCode::Tab, 0, dedent},
    {KeyCode::Char, U' ', open_completion},
    {KeyCode::Char, U'a', select_all},
    {KeyCode::Char, U'c', copy},
    {KeyCode::Char, U'd', delete_line},
    {KeyCode::Char, U'f', [](Editor& e) { open_find_prompt(e, PromptKind::Find); }},
    {KeyCode::Char, U'g', [](Editor& e) { jump_to_match(e, true); }},
    {KeyCode::Char, U'h', [](Editor& e) { open_find_prompt(e, PromptKind::Replace); }},
    {KeyCode::Char, U'i', open_goto_line_prompt},
    {KeyCode::Char, U'l', select_line},
    {KeyCode::Char, U'o', open_dialog},
    {KeyCode::Char, U's', save},
    {KeyCode::Char, U'v', paste},
    {KeyCode::Char, U'w', request_close},
    {KeyCode::Char, U'x', cut},
    {KeyCode::Char, U'y', redo},
    {KeyCode::Char, U'z', undo},
};

constexpr Binding control_shift_keys[] = {
    {KeyCode::Left, 0, [](Editor& e) { move_horizontal(e, true, true, true); }},
    {KeyCode::Right, 0, [](Editor& e) { move_horizontal(e, false, true, true); }},
    {KeyCode::Up, 0, [](Editor& e) { add_caret_vertical(e, -1); }},
    {KeyCode::Down, 0, [](Editor& e) { add_caret_vertical(e, 1); }},
    {KeyCode::Home, 0, [](Editor& e) { move_document_start(e, true); }},
    {KeyCode::End, 0, [](Editor& e) { move_document_end(e, true); }},
    {KeyCode::Char, U'g', [](Editor& e) { jump_to_match(e, false); }},
    {KeyCode::Char, U'o', reload_command},
    {KeyCode::Char, U's', save_as_dialog},
    {KeyCode::Char, U'y', undo},
    {KeyCode::Char, U'z', redo},
};

constexpr Binding alt_keys[] = {
    {KeyCode::Left, 0, [](Editor& e) { swap_word(e, false); }},
    {KeyCode::Right, 0, [](Editor& e) { swap_word(e, true); }},
    {KeyCode::Up, 0, [](Editor& e) { move_segment(e, SegmentKind::Line, false); }},
    {KeyCode::Down, 0, [](Editor& e) { move_segment(e, SegmentKind::Line, true); }},
    {KeyCode::Char, U'h', open_help},
};

// The help screen takes its own keys and swallows every other one.
void handle_help_key(Editor& editor, KeyCode code) {
    const auto step = static_cast<std::size_t>(page(editor));
    std::size_t& scroll = editor.help_scroll;
    switch (code) {
        case KeyCode::Up:
            scroll = scroll > 0 ? scroll - 1 : 0;
            break;
        case KeyCode::Down:
            scroll = scroll < std::numeric_limits<std::size_t>::max() ? scroll + 1 : scroll;
            break;
        case KeyCode::Home:
            scroll = 0;
            break;
        // The screen clamps this to its last page.
        case KeyCode::End:
            scroll = std::numeric_limits<std::size_t>::max();
            break;
        case KeyCode::PageUp:
            scroll = scroll > step ? scroll - step : 0;
            break;
        case KeyCode::PageDown:
            scroll = std::numeric_limits<std::size_t>::max() - scroll > step
                         ? scroll + step
                         : std::numeric_limits<std::size_t>::max();
            break;
        case KeyCode::Esc:
            editor.help_open = false;
            break;
        case KeyCode::Char:
        case KeyCode::Enter:
        case KeyCode::Tab:
        case KeyCode::BackTab:
        case KeyCode::Backspace:
        case KeyCode::Left:
        case KeyCode::Right:
        case KeyCode::Delete:
        case KeyCode::Insert:
        case KeyCode::F:
        case KeyCode::Null:
            break;
    }
}

// Control characters never reach the text as typing: a stray C0 or C1 byte from the terminal
// would otherwise end up in the file and, drawn raw, act on the terminal.
[[nodiscard]] bool typeable(char32_t ch) {
    if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch <= 0x9F)) return false;
    return ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF);
}

}  // namespace

void handle_key(Editor& editor, const term::KeyEvent& key) {
    if (key.kind == term::KeyKind::Release) return;
    if (editor.help_open) {
        handle_help_key(editor, key.code);
        return;
    }
    if (key.code != KeyCode::Esc) editor.completion.dismissed = false;
    if (editor.confirm_close || editor.disk_conflict) {
        handle_overlay_key(editor, key);
        return;
    }
    if (editor.prompt) {
        // Media, lock and modifier keys mean nothing to a prompt.
        if (key.code != KeyCode::Null) handle_prompt_key(editor, key);
        return;
    }
    const term::Modifiers mods = key.mods;
    const bool vertical = key.code == KeyCode::Up || key.code == KeyCode::Down;
    if (mods.alt && !mods.ctrl) {
        if (mods.shift && vertical) {
            move_segment(editor, SegmentKind::Paragraph, key.code == KeyCode::Down);
        } else {
            handle_alt_key(editor, key);
        }
        return;
    }
    if (mods.alt && vertical) {  // Ctrl+Alt, Shift or not
        move_segment(editor, SegmentKind::Section, key.code == KeyCode::Down);
        return;
    }
    if (mods.ctrl) {  // Ctrl+Alt with other keys lands here too
        if (mods.shift && handle_control_shift_key(editor, key)) return;
        handle_control_key(editor, key);
        return;
    }
    handle_plain_key(editor, key, mods.shift);
}

void handle_plain_key(Editor& editor, const term::KeyEvent& key, bool shift) {
    if (key.code == KeyCode::Char) {
        if (typeable(key.ch))
            insert_text_all(editor, linecraft::encode_utf8(key.ch), EditKind::Typing);
        return;
    }
    for (const PlainBinding& binding : plain_keys) {
        if (binding.code == key.code) {
            binding.run(editor, shift);
            return;
        }
    }
}

void handle_control_key(Editor& editor, const term::KeyEvent& key) {
    if (const Binding* binding = find_binding(control_keys, key)) binding->run(editor);
}

bool handle_control_shift_key(Editor& editor, const term::KeyEvent& key) {
    const Binding* binding = find_binding(control_shift_keys, key);
    if (!binding) return false;
    binding->run(editor);
    return true;
}

void handle_alt_key(Editor& editor, const term::KeyEvent& key) {
    if (const Binding* binding = find_binding(alt_keys, key)) binding->run(editor);
}

}  // namespace quarn::tui
