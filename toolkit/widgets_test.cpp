#include "toolkit/widgets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/test_print.hpp"

namespace quarn::toolkit {
namespace {

using Rows = std::vector<std::string>;

Buffer dotted(std::uint16_t width, std::uint16_t height) {
    Buffer buffer(Rect{0, 0, width, height});
    buffer.fill(buffer.area(), Cell{U'.', {}});
    return buffer;
}

TEST(Clear, BlanksStyleAndSymbolClipped) {
    Buffer buffer = dotted(4, 3);
    buffer.set_style(buffer.area(), Style{}.with_bg(Palette::Blue));
    clear(buffer, Rect{2, 1, 10, 10});
    EXPECT_EQ(to_rows(buffer), (Rows{"....", "..  ", "..  "}));
    EXPECT_EQ(buffer.cell(3, 2), Cell{});
    EXPECT_EQ(buffer.cell(1, 1).style.bg, Color(Palette::Blue));
}

struct BlockCase {
    std::string name;
    Rect area;
    std::string title;
    Rows screen;
};
const BlockCase block_cases[] = {
    {"Titled", {1, 0, 8, 4}, "Find", {".┌Find──┐.", ".│......│.", ".│......│.", ".└──────┘."}},
    {"TitleCutBeforeCorner",
     {0, 0, 6, 3},
     "Shortcuts",
     {"┌Shor┐....", "│....│....", "└────┘....", ".........."}},
    {"NoTitle", {7, 1, 3, 3}, "", {"..........", ".......┌─┐", ".......│.│", ".......└─┘"}},
    // A box running past the screen keeps only the sides that are on it.
    {"CutByScreenEdge",
     {6, 2, 8, 5},
     "Help",
     {"..........", "..........", "......┌Hel", "......│..."}},
    {"TwoWide", {0, 0, 2, 2}, "x", {"┌┐........", "└┘........", "..........", ".........."}},
    {"Empty", {3, 1, 0, 2}, "x", {"..........", "..........", "..........", ".........."}},
};
TEST(BlockRender, BordersAndTitle) {
    for (const BlockCase& c : block_cases) {
        SCOPED_TRACE(c.name);
        Buffer buffer = dotted(10, 4);
        render(buffer, c.area, Block{.title = c.title});
        EXPECT_EQ(to_rows(buffer), c.screen);
    }
}

TEST(BlockRender, StylesPatchBoxThenBorder) {
    Buffer buffer(Rect{0, 0, 5, 3});
    const Block block{.title = "T",
                      .style = Style{}.with_fg(Palette::Red),
                      .border_style = Style{}.with_bg(Palette::Yellow)};
    render(buffer, buffer.area(), block);
    EXPECT_EQ(buffer.cell(1, 0).style, Style{}.with_fg(Palette::Red).with_bg(Palette::Yellow));
    EXPECT_EQ(buffer.cell(0, 1).style, Style{}.with_fg(Palette::Red).with_bg(Palette::Yellow));
    EXPECT_EQ(buffer.cell(2, 1).style, Style{}.with_fg(Palette::Red));  // inside
    EXPECT_EQ(block.inner(buffer.area()), (Rect{1, 1, 3, 1}));
}

Paragraph three_lines(std::uint16_t scroll) {
    return Paragraph{.lines = {{{"one", {}}},
                               {{"tw", Style{}.with_fg(Palette::Green)}, {"o!", {}}},
                               {{"", {}}, {"three", Style{}.with_reverse()}}},
                     .style = Style{}.with_bg(Palette::Gray),
                     .scroll = scroll};
}

struct ParagraphCase {
    std::string name;
    Rect area;
    std::uint16_t scroll;
    Rows screen;
};
const ParagraphCase paragraph_cases[] = {
    {"AllLines", {1, 0, 5, 4}, 0, {".one..", ".two!.", ".three", "......"}},
    {"CutAtAreaEdge", {0, 0, 3, 2}, 0, {"one...", "two..."}},
    {"Scrolled", {0, 0, 6, 3}, 1, {"two!..", "three.", "......"}},
    {"ScrolledPastTheEnd", {0, 0, 6, 2}, 7, {"......", "......"}},
    {"CutAtScreenEdge", {3, 2, 10, 10}, 0, {"......", "......", "...one", "...two"}},
    {"ZeroHeight", {0, 0, 6, 0}, 0, {"......", "......"}},
};
TEST(ParagraphRender, ScrollAndClip) {
    for (const ParagraphCase& c : paragraph_cases) {
        SCOPED_TRACE(c.name);
        const std::uint16_t rows = static_cast<std::uint16_t>(c.screen.size());
        Buffer buffer = dotted(6, rows);
        render(buffer, c.area, three_lines(c.scroll));
        EXPECT_EQ(to_rows(buffer), c.screen);
    }
}

TEST(ParagraphRender, RunStylesOverAreaStyle) {
    Buffer buffer(Rect{0, 0, 6, 3});
    render(buffer, Rect{0, 0, 6, 3}, three_lines(0));
    const Style area = Style{}.with_bg(Palette::Gray);
    EXPECT_EQ(buffer.cell(0, 0).style, area);
    EXPECT_EQ(buffer.cell(1, 1).style, area.with_fg(Palette::Green));
    EXPECT_EQ(buffer.cell(2, 1).style, area);
    EXPECT_EQ(buffer.cell(5, 1).style, area);  // past the text: the area style only
    EXPECT_EQ(buffer.cell(0, 2).style, area.with_reverse());
}

}  // namespace
}  // namespace quarn::toolkit
