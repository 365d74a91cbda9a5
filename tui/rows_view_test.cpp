#include "tui/rows_view.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/test_print.hpp"

namespace quarn::toolkit {
void PrintTo(const Span& span, std::ostream* os) {
    *os << "\"" << span.text << "\" ";
    PrintTo(span.style, os);
}
}  // namespace quarn::toolkit

namespace quarn::tui {
namespace {

using linecraft::TextLine;
using toolkit::Line;
using toolkit::Palette;
using toolkit::Span;
using toolkit::Style;

const Style plain{};
const Style reverse{.reverse = true};
const Style selected{.bg = Palette::Blue};
const Style hit{.fg = Palette::Black, .bg = Palette::Yellow};
const Style bracket{.bg = bracket_grey};
const Style bar{.bg = bar_grey};

TEST(RowRendererGutter, RightAlignsLineNumbersAndBlanksContinuations) {
    const TextLine text;
    const Decorations none;
    const RowRenderer renderer{text, none, 0, 3, 0, 10};
    EXPECT_EQ(renderer.gutter({0, 0, 5}), (Line{Span{"  1 ", plain}}));
    EXPECT_EQ(renderer.gutter({99, 0, 5}), (Line{Span{"100 ", plain}}));
    EXPECT_EQ(renderer.gutter({99, 5, 9}), (Line{Span{"    ", plain}}));
}

struct RowCase {
    std::string_view name;
    std::string_view text;
    core::Row row;
    Decorations decorations;
    std::size_t cursor_line = 99;
    std::size_t left_column = 0;
    std::size_t width = 8;
    Line expected;
};

const RowCase row_cases[] = {
    {"PlainRowIsOneRun", "abc", {0, 0, 3}, {}, 99, 0, 8, {{"abc", plain}}},
    {"SelectionJoinsOneRun",
     "abcd",
     {0, 0, 4},
     {.selections = {{1, 3}}},
     99,
     0,
     8,
     {{"a", plain}, {"bc", selected}, {"d", plain}}},
    {"SelectionBeatsHighlight",
     "abcd",
     {0, 0, 4},
     {.selections = {{0, 2}}, .highlights = {{1, 4}}},
     99,
     0,
     8,
     {{"ab", selected}, {"cd", hit}}},
    {"SecondaryCaretBeatsSelection",
     "abcd",
     {0, 0, 4},
     {.selections = {{0, 4}}, .secondary_carets = {2}},
     99,
     0,
     8,
     {{"ab", selected}, {"c", reverse}, {"d", selected}}},
    {"BracketInsideSelectionIsBlue",
     "(a)",
     {0, 0, 3},
     {.bracket_pair = std::pair<std::size_t, std::size_t>{0, 2}, .selections = {{2, 3}}},
     99,
     0,
     8,
     {{"(", bracket}, {"a", plain}, {")", selected}}},
    {"CurrentLineFillsToTheRightEdge",
     "abc",
     {0, 0, 3},
     {.selections = {{1, 2}}},
     0,
     0,
     6,
     {{"a", bar}, {"b", selected}, {"c   ", bar}}},
    {"OtherLinesAreNotFilled", "abc\nde", {1, 0, 2}, {}, 0, 0, 6, {{"de", plain}}},
    {"SecondaryCaretAtTheLineEnd",
     "ab\ncd",
     {0, 0, 2},
     {.secondary_carets = {2}},
     99,
     0,
     8,
     {{"ab", plain}, {" ", reverse}}},
    {"SecondaryCaretOnAnEmptyLine",
     "ab\n\ncd",
     {1, 0, 0},
     {.secondary_carets = {3}},
     99,
     0,
     8,
     {{" ", reverse}}},
    {"EndOfLineCaretNeedsRoom",
     "abcd",
     {0, 0, 4},
     {.secondary_carets = {4}},
     99,
     0,
     4,
     {{"abcd", plain}}},
    // "abcd efgh ijkl" at width 10: a caret on the break shows on the next row's first cell.
    {"CaretAtAWrapBreakIsNotAtTheRowEnd",
     "abcd efgh ijkl",
     {0, 0, 10},
     {.secondary_carets = {10}},
     99,
     0,
     10,
     {{"abcd efgh ", plain}}},
    {"CaretAtAWrapBreakStartsTheNextRow",
     "abcd efgh ijkl",
     {0, 10, 14},
     {.secondary_carets = {10}},
     99,
     0,
     10,
     {{"i", reverse}, {"jkl", plain}}},
    {"WindowStartsAtTheLeftColumn", "abcdefgh", {0, 0, 8}, {}, 99, 3, 4, {{"defg", plain}}},
    {"ScrolledPastTheLineShowsNothing",
     "abcde",
     {0, 0, 5},
     {.secondary_carets = {5}},
     99,
     10,
     4,
     {}},
    {"ScrolledPastTheCurrentLineIsAllBar", "abcde", {0, 0, 5}, {}, 0, 10, 4, {{"    ", bar}}},
    {"SpaceBeyondTheWidthIsNotDrawn",
     "abcdefghij klm",
     {0, 0, 11},
     {},
     99,
     0,
     10,
     {{"abcdefghij", plain}}},
    // Syntax spans are byte ranges: "é" is bytes 1..3 and colours when its first byte is inside.
    {"SpanColoursByFirstByte",
     "aé b",
     {0, 0, 4},
     {.spans = {{1, 2, SpanClass::String}, {4, 5, SpanClass::Keyword}}},
     99,
     0,
     8,
     {{"a", plain},
      {"é", Style{.fg = Palette::Green}},
      {" ", plain},
      {"b", Style{.fg = Palette::Magenta}}}},
    {"SpanOverASecondByteOnly",
     "aé",
     {0, 0, 2},
     {.spans = {{2, 3, SpanClass::String}}},
     99,
     0,
     8,
     {{"aé", plain}}},
    {"SpanOnALaterLineUsesDocumentBytes",
     "é\nxy",
     {1, 0, 2},
     {.spans = {{4, 5, SpanClass::Number}}},
     1,
     0,
     3,
     {{"x", bar}, {"y", Style{.fg = Palette::LightYellow, .bg = bar_grey}}, {" ", bar}}},
    {"TabReachesTheToolkitUnchanged", "a\tb", {0, 0, 3}, {}, 99, 0, 8, {{"a\tb", plain}}},
};

TEST(RowRendererRow, LayersDecorationsInOrder) {
    for (const RowCase& c : row_cases) {
        SCOPED_TRACE(c.name);
        const TextLine text = TextLine::from_string(std::string(c.text));
        const RowRenderer renderer{text, c.decorations, c.cursor_line, 1, c.left_column, c.width};
        EXPECT_EQ(renderer.row(c.row), c.expected);
    }
}

TEST(RowRendererBody, ReturnsTheVisibleRowsThatExist) {
    const TextLine text = TextLine::from_string("a\nb\nc");
    const Decorations none;
    const RowRenderer renderer{text, none, 99, 1, 0, 4};
    const std::vector<core::Row> rows = core::rows(text, 4, true);
    const RowRenderer::Body body = renderer.body(rows, 1, 5);
    ASSERT_EQ(body.text.size(), 2u);
    ASSERT_EQ(body.gutter.size(), 2u);
    EXPECT_EQ(body.text[0], (Line{Span{"b", plain}}));
    EXPECT_EQ(body.gutter[1], (Line{Span{"3 ", plain}}));
    EXPECT_TRUE(renderer.body(rows, 3, 5).text.empty());
}

}  // namespace
}  // namespace quarn::tui
