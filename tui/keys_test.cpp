#include "tui/keys.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string_view>
#include <vector>

#include "tui/marked_text.hpp"
#include "tui/temp_dir.hpp"

namespace quarn::term {
// Internal linkage, yet in the type's namespace so that gtest finds it.
static void PrintTo(const KeyEvent& k, std::ostream* os) {
    *os << "KeyEvent{code " << static_cast<int>(k.code) << ", ch U+" << std::hex
        << static_cast<std::uint32_t>(k.ch) << std::dec << ", shift " << k.mods.shift << ", ctrl "
        << k.mods.ctrl << ", alt " << k.mods.alt << "}";
}
}  // namespace quarn::term

namespace quarn::tui {
namespace {

using term::KeyCode;
using term::KeyEvent;
using term::KeyKind;
using term::Modifiers;
using testing::editor_with;
using testing::marked;

constexpr Modifiers none{};
constexpr Modifiers shift{true, false, false};
constexpr Modifiers ctrl{false, true, false};
constexpr Modifiers ctrl_shift{true, true, false};
constexpr Modifiers alt{false, false, true};
constexpr Modifiers alt_shift{true, false, true};
constexpr Modifiers ctrl_alt{false, true, true};

constexpr KeyEvent key(KeyCode code, Modifiers mods = none) {
    return KeyEvent{code, 0, 0, mods, KeyKind::Press};
}
constexpr KeyEvent ch(char32_t c, Modifiers mods = none) {
    return KeyEvent{KeyCode::Char, c, 0, mods, KeyKind::Press};
}

// Text with carets inline ("|" position, "^" anchor), keys pressed in order, text afterwards.
struct KeyCase {
    std::string_view name;
    std::string_view before;
    std::vector<KeyEvent> keys;
    std::string_view after;
};

const KeyCase key_cases[] = {
    // Typing.
    {"CharacterTypedAtEveryCaret", "a|b|", {ch(U'x')}, "ax|bx|"},
    {"ShiftedCharacterTypedAsReceived", "a|", {ch(U'X', shift)}, "aX|"},
    {"NonAsciiCharacterTyped", "|", {ch(U'é'), ch(U'€')}, "é€|"},
    {"C0ControlNotTyped", "a|", {ch(U'\x01'), ch(U'\x1b')}, "a|"},
    {"DeleteCharacterNotTyped", "a|", {ch(U'\x7f')}, "a|"},
    {"C1ControlNotTyped", "a|", {ch(U'\u0085'), ch(U'\u009b')}, "a|"},
    {"ReleaseDropped", "a|", {KeyEvent{KeyCode::Char, U'x', 0, none, KeyKind::Release}}, "a|"},
    {"RepeatTyped", "a|", {KeyEvent{KeyCode::Char, U'x', 0, none, KeyKind::Repeat}}, "ax|"},
    // Deleting.
    {"Backspace", "ab|c", {key(KeyCode::Backspace)}, "a|c"},
    {"ShiftBackspaceActsAsBackspace", "ab|c", {key(KeyCode::Backspace, shift)}, "a|c"},
    {"ShiftDeleteActsAsDelete", "ab|c", {key(KeyCode::Delete, shift)}, "ab|"},
    {"CtrlBackspaceDeletesWord", "foo bar|", {key(KeyCode::Backspace, ctrl)}, "foo |"},
    {"CtrlDeleteDeletesWord", "|foo bar", {key(KeyCode::Delete, ctrl)}, "| bar"},
    {"EnterBreaksLine", "ab|c", {key(KeyCode::Enter)}, "ab\n|c"},
    // Movement.
    {"Left", "ab|c", {key(KeyCode::Left)}, "a|bc"},
    {"ShiftRightExtends", "a|bc", {key(KeyCode::Right, shift)}, "a^b|c"},
    {"CtrlRightByWord", "|foo bar", {key(KeyCode::Right, ctrl)}, "foo| bar"},
    {"CtrlShiftLeftExtendsByWord", "foo bar|", {key(KeyCode::Left, ctrl_shift)}, "foo |bar^"},
    {"Down", "a|b\ncd", {key(KeyCode::Down)}, "ab\nc|d"},
    {"ShiftUpExtends", "ab\nc|d", {key(KeyCode::Up, shift)}, "a|b\nc^d"},
    {"HomeEnd", "a|bc", {key(KeyCode::End)}, "abc|"},
    {"ShiftHomeExtends", "ab|c", {key(KeyCode::Home, shift)}, "|ab^c"},
    {"CtrlEnd", "|ab\ncd", {key(KeyCode::End, ctrl)}, "ab\ncd|"},
    {"CtrlShiftHomeExtends", "ab\nc|d", {key(KeyCode::Home, ctrl_shift)}, "|ab\nc^d"},
    {"PageDownByTextHeight", "|a\nb\nc\nd", {key(KeyCode::PageDown)}, "a\nb\n|c\nd"},
    {"ShiftPageUpExtends", "a\nb\n|c\nd", {key(KeyCode::PageUp, shift)}, "|a\nb\n^c\nd"},
    // Carets and selections.
    {"CtrlASelectsAll", "a|bc", {ch(U'a', ctrl)}, "^abc|"},
    {"CtrlUpperASelectsAll", "a|bc", {ch(U'A', ctrl)}, "^abc|"},
    {"CtrlShiftAFallsThroughToSelectAll", "a|bc", {ch(U'A', ctrl_shift)}, "^abc|"},
    {"CtrlShiftLSelectsLine", "a\nb|c\nd", {ch(U'L', ctrl_shift)}, "a\n^bc\n|d"},
    {"CtrlLGrowsOnRepeat", "a|\nbc\nd", {ch(U'l', ctrl), ch(U'l', ctrl)}, "^a\nbc\n|d"},
    {"CtrlShiftDownAddsCaret", "a|b\ncd", {key(KeyCode::Down, ctrl_shift)}, "a|b\nc|d"},
    {"CtrlShiftUpAddsCaret", "ab\nc|d", {key(KeyCode::Up, ctrl_shift)}, "a|b\nc|d"},
    {"EscCollapsesToPrimary", "|ab|", {key(KeyCode::Esc)}, "|ab"},
    {"CtrlAltReachesCtrlTable", "a|bc", {ch(U'a', ctrl_alt)}, "^abc|"},
    // Undo and redo.
    {"CtrlZUndoes", "a|", {ch(U'b'), ch(U'z', ctrl)}, "a|"},
    {"CtrlYRedoes", "a|", {ch(U'b'), ch(U'z', ctrl), ch(U'y', ctrl)}, "ab|"},
    {"CtrlShiftYUndoes", "a|", {ch(U'b'), ch(U'Y', ctrl_shift)}, "a|"},
    {"CtrlShiftZRedoes", "a|", {ch(U'b'), ch(U'z', ctrl), ch(U'Z', ctrl_shift)}, "ab|"},
    // Keys that do nothing.
    {"AltLetterNotTyped", "a|", {ch(U'q', alt), ch(U'Q', alt_shift)}, "a|"},
    {"CtrlLetterNotTyped", "a|", {ch(U'q', ctrl), ch(U'E', ctrl_shift)}, "a|"},
    {"InsertFunctionNullIgnored",
     "a|",
     {key(KeyCode::Insert), key(KeyCode::F), key(KeyCode::Null)},
     "a|"},
    {"CtrlEnterIgnored", "a|b", {key(KeyCode::Enter, ctrl)}, "a|b"},
};

TEST(HandleKey, KeysReachTheirCommands) {
    for (const KeyCase& c : key_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with(c.before);
        editor.text_width = 80;
        editor.text_height = 2;
        for (const KeyEvent& k : c.keys) handle_key(editor, k);
        EXPECT_EQ(marked(editor), c.after);
    }
}

TEST(HandleKey, HelpScreenTakesOnlyItsKeys) {
    Editor editor = editor_with("a|");
    editor.help_open = true;
    editor.text_height = 10;
    handle_key(editor, ch(U'x'));
    handle_key(editor, ch(U'z', ctrl));
    EXPECT_TRUE(editor.help_open);
    EXPECT_EQ(marked(editor), "a|");

    struct Step {
        KeyEvent key;
        std::size_t scroll;
    };
    const Step steps[] = {
        {key(KeyCode::Down), 1},
        {key(KeyCode::PageDown), 11},
        {key(KeyCode::Up), 10},
        {key(KeyCode::PageUp), 0},
        {key(KeyCode::Up), 0},
        {key(KeyCode::PageDown), 10},
        {key(KeyCode::Home), 0},
        {key(KeyCode::End), std::numeric_limits<std::size_t>::max()},
        {key(KeyCode::Down), std::numeric_limits<std::size_t>::max()},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::PrintToString(step.key));
        handle_key(editor, step.key);
        EXPECT_EQ(editor.help_scroll, step.scroll);
    }
    handle_key(editor, key(KeyCode::Esc));
    EXPECT_FALSE(editor.help_open);
}

TEST(HandleKey, OverlayAndPromptKeepKeysFromTheText) {
    Editor editor = editor_with("a|");
    handle_key(editor, ch(U'b'));
    editor.confirm_close = true;
    handle_key(editor, ch(U'z', ctrl));
    handle_key(editor, ch(U'c'));
    EXPECT_EQ(marked(editor), "ab|");

    editor.confirm_close = false;
    editor.prompt = InputPrompt{PromptKind::Find, ""};
    handle_key(editor, ch(U'c'));
    handle_key(editor, key(KeyCode::Backspace));
    EXPECT_EQ(marked(editor), "ab|");
}

TEST(HandleKey, CtrlSSavesUnlessAPromptIsOpen) {
    const testing::TempDir dir;
    const std::filesystem::path path = dir / "a.txt";
    testing::write_bytes(path, "a");
    Editor editor = Editor::create(path);
    handle_key(editor, ch(U'b'));
    editor.prompt = InputPrompt{PromptKind::Find, ""};
    handle_key(editor, ch(U's', ctrl));
    EXPECT_EQ(testing::read_bytes(path), std::optional<std::string>{"a"});
    EXPECT_TRUE(editor.document.modified());

    editor.prompt.reset();
    // Ctrl+Alt reaches the Ctrl table.
    handle_key(editor, ch(U'S', ctrl_alt));
    EXPECT_EQ(testing::read_bytes(path), std::optional<std::string>{"ba"});
    EXPECT_FALSE(editor.document.modified());
}

TEST(HandleKey, CtrlWClosesCleanTabAndAsksForModifiedOne) {
    Editor clean = editor_with("a|");
    handle_key(clean, ch(U'W', ctrl));
    EXPECT_TRUE(clean.close_requested);
    EXPECT_FALSE(clean.confirm_close);

    Editor modified = editor_with("a|");
    handle_key(modified, ch(U'b'));
    handle_key(modified, ch(U'w', ctrl));
    EXPECT_FALSE(modified.close_requested);
    EXPECT_TRUE(modified.confirm_close);
}

TEST(HandleKey, EscapeSetsDismissedUntilAnotherKey) {
    Editor editor = editor_with("ab|");
    handle_key(editor, key(KeyCode::Esc));
    EXPECT_EQ(marked(editor), "ab|");
    EXPECT_TRUE(editor.completion.dismissed);
    handle_key(editor, key(KeyCode::Esc));
    EXPECT_TRUE(editor.completion.dismissed);
    handle_key(editor, key(KeyCode::Left));
    EXPECT_FALSE(editor.completion.dismissed);

    editor.completion = Completion{{"abc"}, 0, true, false};
    handle_key(editor, key(KeyCode::Esc));
    EXPECT_FALSE(editor.completion.visible);
    EXPECT_TRUE(editor.completion.dismissed);
}

struct PopupCase {
    std::string_view name;
    KeyEvent key;
    std::size_t selected_before, selected_after;
    bool visible_after, dismissed_after;
    std::string_view after;
};

// Two lines, caret on the second; the popup holds three items.
const PopupCase popup_cases[] = {
    {"UpSelectsPreviousItem", key(KeyCode::Up), 2, 1, true, false, "ab\ncd|"},
    {"UpOnFirstItemHidesAndMoves", key(KeyCode::Up), 0, 0, false, true, "ab|\ncd"},
    {"DownSelectsNextItem", key(KeyCode::Down), 0, 1, true, false, "ab\ncd|"},
    {"DownOnLastItemHidesAndMoves", key(KeyCode::Down), 2, 2, false, true, "ab\ncd|"},
    {"ShiftUpOnFirstItemExtends", key(KeyCode::Up, shift), 0, 0, false, true, "ab|\ncd^"},
};

TEST(HandleKey, UpDownStepThroughActivePopup) {
    for (const PopupCase& c : popup_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with("ab\ncd|");
        editor.text_width = 80;
        editor.completion = Completion{{"one", "two", "three"}, c.selected_before, true, false};
        handle_key(editor, c.key);
        EXPECT_EQ(editor.completion.selected, c.selected_after);
        EXPECT_EQ(editor.completion.dismissed, c.dismissed_after);
        EXPECT_EQ(marked(editor), c.after);
        // A movement hides the popup too; what matters is whether the list was stepped.
        if (c.visible_after) {
            EXPECT_TRUE(editor.completion.visible);
        }
    }
}

TEST(HandleKey, HiddenPopupDoesNotCaptureArrows) {
    Editor editor = editor_with("ab\ncd|");
    editor.text_width = 80;
    editor.completion = Completion{{"one", "two"}, 1, false, false};
    handle_key(editor, key(KeyCode::Up));
    EXPECT_EQ(marked(editor), "ab|\ncd");
    EXPECT_EQ(editor.completion.selected, 1u);
}

}  // namespace
}  // namespace quarn::tui
