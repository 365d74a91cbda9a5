#include "tui/movement.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tui/marked_text.hpp"

namespace quarn::tui {
namespace {

using testing::editor_with;
using testing::marked;

using Move = void (*)(Editor&);

// Texts are written with their carets inline ("|" position, "^" anchor); `moves` run in order.
struct MoveCase {
    std::string_view name;
    std::string_view before;
    Move moves[3];
    std::string_view after;
    bool soft_wrap = false;
    std::size_t width = 80;
};

void left(Editor& e) { move_horizontal(e, true, false, false); }
void right(Editor& e) { move_horizontal(e, false, false, false); }
void shift_left(Editor& e) { move_horizontal(e, true, false, true); }
void shift_right(Editor& e) { move_horizontal(e, false, false, true); }
void word_left(Editor& e) { move_horizontal(e, true, true, false); }
void word_right(Editor& e) { move_horizontal(e, false, true, false); }
void shift_word_left(Editor& e) { move_horizontal(e, true, true, true); }
void shift_word_right(Editor& e) { move_horizontal(e, false, true, true); }
void up(Editor& e) { move_vertical(e, -1, false); }
void down(Editor& e) { move_vertical(e, 1, false); }
void shift_up(Editor& e) { move_vertical(e, -1, true); }
void shift_down(Editor& e) { move_vertical(e, 1, true); }
void home(Editor& e) { move_row_start(e, false); }
void end(Editor& e) { move_row_end(e, false); }
void shift_home(Editor& e) { move_row_start(e, true); }
void shift_end(Editor& e) { move_row_end(e, true); }
void doc_start(Editor& e) { move_document_start(e, false); }
void doc_end(Editor& e) { move_document_end(e, false); }
void shift_doc_start(Editor& e) { move_document_start(e, true); }
void shift_doc_end(Editor& e) { move_document_end(e, true); }

const MoveCase move_cases[] = {
    // By character.
    {"LeftAtStartStays", "|abc", {left}, "|abc"},
    {"RightAtEndStays", "abc|", {right}, "abc|"},
    {"LeftCountsCharactersNotBytes", "aé|x", {left, left}, "|aéx"},
    {"LeftCollapsesForwardSelectionToStart", "abc^defgh|ij", {left}, "abc|defghij"},
    {"LeftCollapsesBackwardSelectionToStart", "abc|defgh^ij", {left}, "abc|defghij"},
    {"RightCollapsesSelectionToEnd", "abc|defgh^ij", {right}, "abcdefgh|ij"},
    {"WordLeftCollapsesSelectionToStart", "ab^c de|f", {word_left}, "ab|c def"},
    {"WordRightCollapsesSelectionToEnd", "ab|c de^f", {word_right}, "abc de|f"},
    {"ShiftLeftAtStartSetsAnchor", "|abc", {shift_left}, "^|abc"},
    {"EmptySelectionDoesNotCollapse", "|abc", {shift_left, right}, "a|bc"},
    {"ShiftRightKeepsAnchor", "a|bcd", {shift_right, shift_right}, "a^bc|d"},
    {"ShiftLeftShrinksSelection", "a^bc|d", {shift_left}, "a^b|cd"},
    // By word.
    {"WordRightCrossesOneRun", "|foo bar", {word_right}, "foo| bar"},
    {"WordRightCrossesSpacesWithNextRun", "foo| bar", {word_right}, "foo bar|"},
    {"WordLeftToRunStart", "foo bar|", {word_left}, "foo |bar"},
    {"ShiftWordRightSelects", "|foo bar", {shift_word_right}, "^foo| bar"},
    {"ShiftWordLeftKeepsAnchor", "foo bar^|", {shift_word_left, shift_word_left}, "|foo bar^"},
    // Vertical, one row per line.
    {"UpOnFirstRowGoesToStart", "ab|c\ndef", {up}, "|abc\ndef"},
    {"DownOnLastRowGoesToEnd", "abc\nd|ef", {down}, "abc\ndef|"},
    {"DownKeepsColumn", "ab|c\ndef", {down}, "abc\nde|f"},
    {"DownClampsToShorterLine", "abcd|e\nxy", {down}, "abcde\nxy|"},
    {"GoalColumnSurvivesShortLine",
     "0123456789|AB\nabc\n0123456789ABCDEF",
     {down, down},
     "0123456789AB\nabc\n0123456789|ABCDEF"},
    {"UpDownReturnsToColumn", "abc\nab|cdef", {up, down}, "abc\nab|cdef"},
    {"ShiftDownSelects", "ab|c\ndef", {shift_down}, "ab^c\nde|f"},
    {"ShiftUpOnFirstRowSelectsToStart", "ab|c", {shift_up}, "|ab^c"},
    // Vertical over wrapped rows (width 10: rows 0..10 and 10..20 of one line).
    {"WrappedDownStaysInLine", "abcd|efghijklmnopqrst", {down}, "abcdefghijklmn|opqrst", true, 10},
    {"WrappedUpStaysInLine", "abcdefghijklmn|opqrst", {up}, "abcd|efghijklmnopqrst", true, 10},
    {"WrappedLinesUnwrapped",
     "abcd|efghijklmnopqrst\nx",
     {down},
     "abcdefghijklmnopqrst\nx|",
     false,
     10},
    // Home and End on screen rows ("aaaa bbbb cccc" at width 10: rows 0..10 and 10..14).
    {"HomeToLineStart", "ab\ncd|e", {home}, "ab\n|cde"},
    {"EndToLineEnd", "a|b\ncde", {end}, "ab|\ncde"},
    {"EndOnWrappedRowStopsBeforeBreakSpace", "aa|aa bbbb cccc", {end}, "aaaa bbbb| cccc", true, 10},
    {"EndOnLastWrappedRowGoesToLineEnd", "aaaa bbbb c|ccc", {end}, "aaaa bbbb cccc|", true, 10},
    {"HomeOnWrappedRowGoesToRowStart", "aaaa bbbb cc|cc", {home}, "aaaa bbbb |cccc", true, 10},
    {"HomeIgnoresIndentation", "   ab|c", {home}, "|   abc"},
    {"ShiftEndSelects", "a|bc\nd", {shift_end}, "a^bc|\nd"},
    {"ShiftHomeKeepsAnchor", "ab^c|d", {shift_home}, "|ab^cd"},
    // Document ends.
    {"DocumentStart", "ab\nc|d", {doc_start}, "|ab\ncd"},
    {"DocumentEnd", "a|b\ncd", {doc_end}, "ab\ncd|"},
    {"ShiftDocumentStartSelects", "ab\nc|d", {shift_doc_start}, "|ab\nc^d"},
    {"DocumentEndDropsSelection", "a^b|\ncd", {doc_end}, "ab\ncd|"},
    {"DocumentEndMergesCarets", "a|b|\nc|d", {doc_end}, "ab\ncd|"},
    {"ShiftDocumentEndMergesFromOutermostAnchor", "a|bc|d", {shift_doc_end}, "a^bcd|"},
};

TEST(Movement, MovesCaretsAsTabulated) {
    for (const MoveCase& c : move_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with(c.before);
        editor.soft_wrap = c.soft_wrap;
        editor.text_width = c.width;
        for (const Move move : c.moves) {
            if (move) move(editor);
        }
        EXPECT_EQ(marked(editor), c.after);
    }
}

TEST(Movement, VerticalSetsGoalAndOtherMovesClearIt) {
    Editor editor = editor_with("abcdef\nab\nabcdef");
    editor.text_width = 80;
    editor.carets = {Caret{5, std::nullopt, std::nullopt, true}};
    move_vertical(editor, 1, false);
    EXPECT_EQ(editor.carets[0].goal_column, std::optional<std::size_t>{5});
    move_vertical(editor, -1, false);
    EXPECT_EQ(editor.carets[0].goal_column, std::optional<std::size_t>{5});
    move_horizontal(editor, true, false, false);
    EXPECT_EQ(editor.carets[0].goal_column, std::nullopt);
    // Off the first row the caret goes to 0, yet keeps the goal for the way back.
    editor.carets = {Caret{4, std::nullopt, std::nullopt, true}};
    move_vertical(editor, -1, false);
    move_vertical(editor, 1, false);
    EXPECT_EQ(marked(editor), "abcdef\nab|\nabcdef");
    move_vertical(editor, 1, false);
    EXPECT_EQ(marked(editor), "abcdef\nab\nabcd|ef");
}

TEST(Movement, SealsEditGroupAndHidesPopup) {
    Editor editor = editor_with("ab|c");
    editor.last_edit = EditKind::Typing;
    editor.completion = Completion{{"abc"}, 0, true, false};
    move_horizontal(editor, true, false, false);
    EXPECT_EQ(editor.last_edit, EditKind::None);
    EXPECT_FALSE(editor.completion.visible);
}

// Thirty one-character lines: row r holds line r.
std::string numbered_lines(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += i + 1 < count ? "x\n" : "x";
    return text;
}

struct PageCase {
    std::string_view name;
    std::size_t caret_line, top_row;
    std::ptrdiff_t delta;
    std::size_t expected_line, expected_top;
};

constexpr PageCase page_cases[] = {
    {"DownScrollsByPage", 0, 0, 10, 10, 10},
    {"DownKeepsCaretOffsetInView", 3, 1, 10, 13, 11},
    {"DownNeverScrollsPastLastPage", 25, 18, 10, 29, 20},
    {"UpFromTopRowsGoesToStart", 5, 5, -10, 0, 0},
    {"UpScrollsByPage", 25, 20, -10, 15, 10},
    {"UnmovedCaretDoesNotScroll", 29, 20, 10, 29, 20},
};

TEST(MovePage, MovesCaretAndScrollsTheSameRows) {
    for (const PageCase& c : page_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with(numbered_lines(30));
        editor.soft_wrap = false;
        editor.text_height = 10;
        editor.carets = {core::primary_caret_at(editor.text().position_of(c.caret_line, 0))};
        editor.top_row = c.top_row;
        move_page(editor, c.delta, false);
        EXPECT_EQ(editor.text().line_of(editor.primary_position()), c.expected_line);
        EXPECT_EQ(editor.top_row, c.expected_top);
    }
}

struct ViewportCase {
    std::string_view name;
    std::size_t height, top_row, caret_line, expected_top;
};

// The margin below the caret is min(3, (height - 1) / 2); moving up puts the caret on the top row.
constexpr ViewportCase viewport_cases[] = {
    {"Height5KeepsTwoBelow", 5, 0, 3, 1},
    {"Height5NoScrollWithRoom", 5, 0, 2, 0},
    {"Height1KeepsNone", 1, 0, 3, 3},
    {"Height1CaretOnTopRow", 1, 3, 3, 3},
    {"Height20KeepsThree", 20, 0, 17, 1},
    {"Height20NoScrollWithRoom", 20, 0, 16, 0},
    {"CaretAboveViewBecomesTopRow", 5, 10, 4, 4},
    {"FarBelowScrollsToCaret", 5, 0, 25, 23},
};

TEST(SetViewport, KeepsMarginBelowCaret) {
    for (const ViewportCase& c : viewport_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with(numbered_lines(30));
        editor.soft_wrap = false;
        editor.top_row = c.top_row;
        editor.carets = {core::primary_caret_at(editor.text().position_of(c.caret_line, 0))};
        set_viewport(editor, 40, c.height);
        EXPECT_EQ(editor.top_row, c.expected_top);
        EXPECT_EQ(editor.text_height, c.height);
    }
}

TEST(SetViewport, WheelScrolledViewStaysWhileCaretRests) {
    Editor editor = editor_with(numbered_lines(30));
    editor.carets = {core::primary_caret_at(editor.text().position_of(20, 0))};
    set_viewport(editor, 40, 10);
    EXPECT_EQ(editor.top_row, 14u);
    editor.top_row = 0;  // the wheel
    set_viewport(editor, 40, 10);
    EXPECT_EQ(editor.top_row, 0u);
    move_vertical(editor, 1, false);
    set_viewport(editor, 40, 10);
    EXPECT_EQ(editor.top_row, 15u);
}

TEST(SetViewport, FollowsColumnOnlyWithoutWrapping) {
    Editor editor = editor_with(std::string(30, 'a') + "|");
    editor.soft_wrap = false;
    editor.carets = {core::primary_caret_at(25)};
    set_viewport(editor, 10, 5);
    EXPECT_EQ(editor.left_column, 16u);
    editor.carets = {core::primary_caret_at(3)};
    set_viewport(editor, 10, 5);
    EXPECT_EQ(editor.left_column, 3u);
    editor.soft_wrap = true;
    editor.carets = {core::primary_caret_at(28)};
    set_viewport(editor, 10, 5);
    EXPECT_EQ(editor.left_column, 0u);
    // Wrapped at 10, column 28 lies on the third row.
    EXPECT_EQ(editor.top_row, 0u);
}

TEST(SetViewport, ZeroSizeCountsAsOne) {
    Editor editor = editor_with("a\nb|");
    set_viewport(editor, 0, 0);
    EXPECT_EQ(editor.text_width, 1u);
    EXPECT_EQ(editor.text_height, 1u);
    EXPECT_EQ(editor.top_row, 1u);
}

struct ClickCase {
    std::string_view name;
    std::uint16_t column, row;
    std::size_t top_row, left_column;
    std::optional<std::size_t> expected;
};

// Text "abc\ndefgh\nij" in an area at (2, 1) of 20 by 5 cells.
constexpr ClickCase click_cases[] = {
    {"OnCharacter", 3, 2, 0, 0, 5},
    {"BeyondRowEndGoesToRowEnd", 15, 1, 0, 0, 3},
    {"BelowLastRowGoesToLastRow", 3, 5, 0, 0, 11},
    {"ScrolledDown", 2, 1, 1, 0, 4},
    {"ScrolledRight", 2, 2, 0, 2, 6},
    {"LeftOfArea", 1, 2, 0, 0, std::nullopt},
    {"RightOfArea", 22, 2, 0, 0, std::nullopt},
    {"BelowArea", 3, 6, 0, 0, std::nullopt},
};

TEST(CursorAtScreen, MapsCellsToPositions) {
    for (const ClickCase& c : click_cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with("abc\ndefgh\nij");
        editor.soft_wrap = false;
        editor.top_row = c.top_row;
        editor.left_column = c.left_column;
        EXPECT_EQ(cursor_at_screen(editor, c.column, c.row, toolkit::Rect{2, 1, 20, 5}),
                  c.expected);
    }
}

TEST(CursorAtScreen, WrappedRowsMapToTheirLineColumns) {
    Editor editor = editor_with("aaaa bbbb cccc\nx");
    editor.soft_wrap = true;
    editor.text_width = 10;
    const toolkit::Rect area{0, 0, 10, 5};
    EXPECT_EQ(cursor_at_screen(editor, 1, 1, area), std::optional<std::size_t>{11});
    EXPECT_EQ(cursor_at_screen(editor, 9, 1, area), std::optional<std::size_t>{14});
    EXPECT_EQ(cursor_at_screen(editor, 0, 2, area), std::optional<std::size_t>{15});
}

TEST(Rows, FollowTextWidthAndWrapFlag) {
    Editor editor = editor_with("abcdef");
    editor.soft_wrap = true;
    editor.text_width = 4;
    EXPECT_EQ(rows(editor), (std::vector<core::Row>{{0, 0, 4}, {0, 4, 6}}));
    editor.text_width = 3;
    EXPECT_EQ(rows(editor), (std::vector<core::Row>{{0, 0, 3}, {0, 3, 6}}));
    editor.soft_wrap = false;
    EXPECT_EQ(rows(editor), (std::vector<core::Row>{{0, 0, 6}}));
    // An edit through the text itself must not leave stale rows behind.
    editor.document.content().text.insert(6, "\ngh");
    EXPECT_EQ(rows(editor), (std::vector<core::Row>{{0, 0, 6}, {1, 0, 2}}));
}

TEST(Rows, OlderCopyOfTheTextGetsItsOwnRows) {
    // Undo swaps an older copy of the text back in: the rows must be that copy's.
    Editor editor = editor_with("ab");
    editor.soft_wrap = false;
    const linecraft::TextLine older = editor.text();
    const std::vector<core::Row> older_rows = rows(editor);
    editor.document.content().text.insert(2, "\ncd");
    EXPECT_EQ(rows(editor).size(), 2u);
    editor.document.content().text = older;
    EXPECT_EQ(rows(editor), older_rows);
    editor.document.content().text = linecraft::TextLine::from_string("x\ny\nz");
    EXPECT_EQ(rows(editor).size(), 3u);
}

}  // namespace
}  // namespace quarn::tui
