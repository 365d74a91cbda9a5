#include "tui/ui.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/test_print.hpp"
#include "tui/marked_text.hpp"
#include "tui/rows_view.hpp"

namespace quarn::tui {
namespace {

using testing::editor_with;
using toolkit::Buffer;
using toolkit::Frame;
using toolkit::Palette;
using toolkit::Position;
using toolkit::Rect;
using toolkit::Style;
using Rows = std::vector<std::string>;

struct Drawn {
    Buffer buffer;
    std::optional<Position> cursor;
    Hits hits;
    Rows rows;
};

Drawn draw(Editor& editor, std::uint16_t width, std::uint16_t height,
           const std::vector<std::string>& labels = {"x"}, std::size_t current = 0,
           const Menu& menu = Menu{}) {
    Drawn drawn{Buffer(Rect{0, 0, width, height}), std::nullopt, {}, {}};
    Frame frame(drawn.buffer);
    drawn.hits = render(frame, editor, labels, current, menu);
    drawn.cursor = frame.cursor();
    drawn.rows = toolkit::to_rows(drawn.buffer);
    return drawn;
}

// `text` padded with spaces to `width` characters: how a screen row reads.
std::string row(std::string_view text, std::size_t width) {
    std::size_t chars = 0;
    for (const char byte : text) chars += (static_cast<unsigned char>(byte) & 0xC0u) != 0x80u;
    return std::string(text) + std::string(width > chars ? width - chars : 0, ' ');
}

Rows rows(std::initializer_list<std::string_view> texts, std::size_t width) {
    Rows out;
    for (const std::string_view text : texts) out.push_back(row(text, width));
    return out;
}

struct LayoutCase {
    std::string_view name;
    std::vector<std::string> labels;
    std::size_t current;
    Rows expected;
    Rect text_area;
    Position cursor;
};

TEST(Render, LaysOutBarsTextStatusAndHints) {
    const LayoutCase cases[] = {
        {"OneTabHasNoTabBar",
         {"x"},
         0,
         rows({" File  Search  Options", "1 ab", "2 cd", "", "Untitled — quarn",
               "Ctrl+W Close  Ctrl+S Sav"},
              24),
         Rect{2, 1, 22, 3},
         Position{3, 2}},
        {"TwoTabsPutTheTabBarOnRowOne",
         {"a.txt", "b"},
         1,
         rows({" File  Search  Options", " a.txt  b ", "1 ab", "2 cd", "Untitled — quarn",
               "Ctrl+W Close  Ctrl+S Sav"},
              24),
         Rect{2, 2, 22, 2},
         Position{3, 3}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with("ab\nc|d");
        const Drawn drawn = draw(editor, 24, 6, c.labels, c.current);
        EXPECT_EQ(drawn.rows, c.expected);
        EXPECT_EQ(editor.text_area, c.text_area);
        EXPECT_EQ(editor.text_width, c.text_area.width);
        EXPECT_EQ(editor.text_height, c.text_area.height);
        EXPECT_EQ(drawn.cursor, c.cursor);
    }
}

TEST(Render, GutterWidensAtTheTenthLine) {
    struct Case {
        std::size_t lines;
        std::uint16_t text_x;
        std::string first_row;
    };
    const Case cases[] = {{1, 2, "1 x"}, {9, 2, "1 x"}, {10, 3, " 1 x"}, {100, 4, "  1 x"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        std::string text = "|x";
        for (std::size_t i = 1; i < c.lines; ++i) text += "\nx";
        Editor editor = editor_with(text);
        const Drawn drawn = draw(editor, 10, 5);
        EXPECT_EQ(editor.text_area.x, c.text_x);
        EXPECT_EQ(drawn.rows[1], row(c.first_row, 10));
        EXPECT_EQ(drawn.buffer.cell(0, 1).style.fg, Palette::DarkGray);
    }
    Editor empty = editor_with("|");
    (void)draw(empty, 10, 5);
    EXPECT_EQ(empty.text_area.x, 2);
}

TEST(Render, StatusRowShowsTheTitleOrTheMessage) {
    struct Case {
        std::string_view name;
        bool modified;
        std::optional<std::string> status;
        std::string_view expected;
    };
    const Case cases[] = {
        {"Clean", false, std::nullopt, "Untitled — quarn"},
        {"Modified", true, std::nullopt, "*Untitled — quarn"},
        {"MessageReplacesTheTitle", true, "Saved notes.txt", "Saved notes.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with("|");
        if (c.modified) editor.document.mark_pending();
        editor.status = c.status;
        const Drawn drawn = draw(editor, 30, 5);
        EXPECT_EQ(drawn.rows[3], row(c.expected, 30));
        EXPECT_EQ(drawn.rows[4], row(std::string(hint_text).substr(0, 30), 30));
        for (std::uint16_t x = 0; x < 30; ++x) {
            EXPECT_EQ(drawn.buffer.cell(x, 3).style,
                      (Style{.fg = Palette::Black, .bg = Palette::Gray}));
            EXPECT_EQ(drawn.buffer.cell(x, 4).style,
                      (Style{.fg = Palette::DarkGray, .bg = Palette::Black}));
        }
    }
    EXPECT_EQ(hint_text.size(), 78u);
}

TEST(Render, WrapsLongLinesWithBlankGutterOnContinuations) {
    Editor editor = editor_with("abcd efgh ijkl|\nxy");
    const Drawn drawn = draw(editor, 12, 6);
    EXPECT_EQ(drawn.rows[1], row("1 abcd efgh ", 12));
    EXPECT_EQ(drawn.rows[2], row("  ijkl", 12));
    EXPECT_EQ(drawn.rows[3], row("2 xy", 12));
    EXPECT_EQ(drawn.cursor, (Position{6, 2}));

    editor.soft_wrap = false;
    const Drawn unwrapped = draw(editor, 12, 6);
    EXPECT_EQ(unwrapped.rows[2], row("2 xy", 12));
}

TEST(Render, CurrentLineIsFilledToTheRightEdge) {
    Editor editor = editor_with("ab\ncd|");
    const Drawn drawn = draw(editor, 10, 5);
    for (std::uint16_t x = 2; x < 10; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(drawn.buffer.cell(x, 2).style.bg, bar_grey);
        EXPECT_TRUE(drawn.buffer.cell(x, 1).style.bg.is_default());
    }
    EXPECT_TRUE(drawn.buffer.cell(0, 2).style.bg.is_default());  // the gutter has no bar
}

TEST(Render, SelectionsAndSecondaryCarets) {
    // Carets at 0 (primary), 2 and 4: the line end caret shows as a reverse space.
    Editor editor = editor_with("|ab|cd|\nx^yz|");
    const Drawn drawn = draw(editor, 10, 5);
    const Buffer& b = drawn.buffer;
    EXPECT_EQ(drawn.cursor, (Position{2, 1}));
    EXPECT_EQ(drawn.rows[1], row("1 abcd", 10));
    EXPECT_EQ(b.cell(2, 1).style, (Style{.bg = bar_grey}));  // the primary is only the cursor
    EXPECT_TRUE(b.cell(4, 1).style.reverse);
    EXPECT_TRUE(b.cell(6, 1).style.reverse);
    EXPECT_EQ(b.cell(7, 1).style, (Style{.bg = bar_grey}));
    EXPECT_EQ(b.cell(3, 2).style.bg, Palette::Blue);
    EXPECT_EQ(b.cell(4, 2).style.bg, Palette::Blue);
    EXPECT_TRUE(b.cell(2, 2).style.bg.is_default());
    EXPECT_TRUE(b.cell(5, 2).style.reverse);  // the selecting caret at the line end
}

TEST(Render, CursorHiddenWhenTheCaretIsScrolledAway) {
    Editor editor = editor_with("a\nb\nc\nd\ne\nf|");
    EXPECT_EQ(draw(editor, 10, 5).cursor, (Position{3, 2}));  // the view follows the caret
    // The view stays where it was put while the caret does not move, as after wheel scrolling.
    editor.top_row = 0;
    EXPECT_EQ(draw(editor, 10, 5).cursor, std::nullopt);

    Editor wide = editor_with("0123456789a|bcdef");
    wide.soft_wrap = false;
    (void)draw(wide, 8, 5);
    wide.left_column = 0;
    const Drawn drawn = draw(wide, 8, 5);
    EXPECT_EQ(drawn.cursor, std::nullopt);
    EXPECT_EQ(drawn.rows[1], row("1 012345", 8));
}

TEST(Render, TabRunsAreCutAtTheBarEdge) {
    Editor editor = editor_with("|");
    const Drawn drawn = draw(editor, 12, 5, {"a.txt", "bb", "c", "d"}, 1);
    EXPECT_EQ(drawn.rows[1], " a.txt  bb  ");
    using TabHit = std::pair<Rect, std::size_t>;
    EXPECT_EQ(drawn.hits.tab_hits, (std::vector<TabHit>{{Rect{0, 1, 7, 1}, 0},
                                                        {Rect{7, 1, 4, 1}, 1},
                                                        {Rect{11, 1, 1, 1}, 2},
                                                        {Rect{12, 1, 0, 1}, 3}}));
    EXPECT_EQ(drawn.buffer.cell(0, 1).style,
              (Style{.fg = Palette::White, .bg = Palette::DarkGray}));
    EXPECT_EQ(drawn.buffer.cell(7, 1).style, (Style{.fg = Palette::Black, .bg = Palette::Yellow}));
    EXPECT_TRUE(draw(editor, 12, 5).hits.tab_hits.empty());
}

TEST(Render, MenuTitlesAndTheirRectangles) {
    Editor editor = editor_with("|");
    const Drawn drawn = draw(editor, 30, 5, {"x"}, 0, Menu{.open = true, .menu = 1, .item = 0});
    EXPECT_EQ(drawn.rows[0], row(" File  Search  Options", 30));
    using MenuHit = std::pair<Rect, Hit>;
    EXPECT_EQ(drawn.hits.menu_hits, (std::vector<MenuHit>{{Rect{0, 0, 6, 1}, MenuTitle{0}},
                                                          {Rect{6, 0, 8, 1}, MenuTitle{1}},
                                                          {Rect{14, 0, 9, 1}, MenuTitle{2}}}));
    for (std::uint16_t x = 0; x < 30; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(drawn.buffer.cell(x, 0).style,
                  (Style{.bg = bar_grey, .reverse = x >= 6 && x < 14}));
    }
}

TEST(Render, ControlCharactersArePaintedAsSubstitutes) {
    Editor editor = editor_with("a\x01\x1b[2Jb\t|");
    const Drawn drawn = draw(editor, 12, 4);
    EXPECT_EQ(drawn.rows[1], row("1 a␁␛[2Jb␉", 12));
}

TEST(Render, TinyScreensDoNotBreakTheLayout) {
    for (std::uint16_t height = 0; height <= 4; ++height) {
        for (std::uint16_t width = 0; width <= 3; ++width) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            Editor editor = editor_with("abc\nd|ef");
            const Drawn drawn = draw(editor, width, height, {"a", "b"});
            if (drawn.cursor) {
                EXPECT_TRUE(editor.text_area.contains(drawn.cursor->x, drawn.cursor->y));
            }
        }
    }
}

}  // namespace
}  // namespace quarn::tui
