#include "core/wrap.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::core {

void PrintTo(const Row& row, std::ostream* os) {
    *os << "(" << row.line << ", " << row.start << ", " << row.end << ")";
}

namespace {

using linecraft::TextLine;

struct RowsCase {
    std::string_view name;
    std::string_view text;
    std::size_t width;
    bool soft_wrap;
    std::vector<Row> expected;
};

const RowsCase rows_cases[] = {
    {"SpaceAtTheWidthEdgeEndsTheRow", "abcd efgh ijkl", 10, true, {{0, 0, 10}, {0, 10, 14}}},
    {"SpaceOnePastTheWidthStaysOnTheRow", "abcdefghij klm", 10, true, {{0, 0, 11}, {0, 11, 14}}},
    {"HardCutWithoutSpaces", "abcdefghij", 4, true, {{0, 0, 4}, {0, 4, 8}, {0, 8, 10}}},
    {"RightmostSpaceThenHardCut", "ab  cdefgh", 5, true, {{0, 0, 4}, {0, 4, 9}, {0, 9, 10}}},
    {"ExactlyTheWidthIsOneRow", "abcd", 4, true, {{0, 0, 4}}},
    {"OnePastTheWidthIsTwoRows", "abcde", 4, true, {{0, 0, 4}, {0, 4, 5}}},
    // The caret after that space needs a row of its own: the space's cell lies past the width.
    {"SpaceBreakAtTheLineEndLeavesAnEmptyLastRow", "abc ", 3, true, {{0, 0, 4}, {0, 4, 4}}},
    {"EmptyText", "", 10, true, {{0, 0, 0}}},
    {"FinalLineFeedGivesAnEmptyLine", "a\n", 10, true, {{0, 0, 1}, {1, 0, 0}}},
    {"WrapOffKeepsLongLinesWhole",
     "abcdefghij\n\nxy",
     3,
     false,
     {{0, 0, 10}, {1, 0, 0}, {2, 0, 2}}},
    {"WidthZeroActsAsOne", "ab c", 0, true, {{0, 0, 1}, {0, 1, 3}, {0, 3, 4}}},
    {"TabIsNotABreak", "ab\tcdef", 3, true, {{0, 0, 3}, {0, 3, 6}, {0, 6, 7}}},
    {"ColumnStartIsNeverABreak", " abcdef", 3, true, {{0, 0, 3}, {0, 3, 6}, {0, 6, 7}}},
    // Columns count characters, not bytes: "é" and "€" are one column each.
    {"MultiByteCharacters", "ééé€€€ ab", 4, true, {{0, 0, 4}, {0, 4, 7}, {0, 7, 9}}},
    {"LinesWrapIndependently",
     "abcdef\nab cd",
     4,
     true,
     {{0, 0, 4}, {0, 4, 6}, {1, 0, 3}, {1, 3, 5}}},
};

TEST(Rows, BreaksAfterSpacesOrHardAtTheWidth) {
    for (const RowsCase& c : rows_cases) {
        SCOPED_TRACE(c.name);
        const TextLine text = TextLine::from_string(std::string(c.text));
        EXPECT_EQ(rows(text, c.width, c.soft_wrap), c.expected);
    }
}

// The row list covers every line exactly and no row exceeds the width except by a final space.
TEST(Rows, CoverEveryLineExactly) {
    const TextLine text = TextLine::from_string(
        "a b  c   d    e\n\nword  ä ö ü thing x\n  leading spaces and\ttabs  \n" +
        std::string(50, 'z') + "\n" + std::string(30, ' '));
    for (std::size_t width = 0; width <= 12; ++width) {
        SCOPED_TRACE(width);
        const std::vector<Row> list = rows(text, width, true);
        const std::size_t w = width == 0 ? 1 : width;
        std::size_t index = 0;
        for (std::size_t line = 0; line < text.line_count(); ++line) {
            std::size_t column = 0;
            const std::size_t line_start = text.position_of(line, 0);
            const std::size_t n = text.line_length(line);
            ASSERT_TRUE(index < list.size() && list[index].line == line);
            for (; index < list.size() && list[index].line == line; ++index) {
                const Row& row = list[index];
                ASSERT_EQ(row.start, column);
                // Only a line's last row may be empty: an empty line, or the row after a break
                // on a space at the line's very end.
                if (row.end == row.start) {
                    ASSERT_TRUE(index + 1 == list.size() || list[index + 1].line != line);
                }
                if (row.end - row.start > w) {
                    ASSERT_EQ(row.end - row.start, w + 1);
                    ASSERT_EQ(text.char_at(line_start + row.end - 1), U' ');
                }
                column = row.end;
            }
            ASSERT_EQ(column, n);
        }
        EXPECT_EQ(index, list.size());
    }
}

// Lines of one-byte characters reach a row's edge by arithmetic, others by counting character
// starts eight bytes at a time: a non-space character spelled in more bytes must not move any
// break.
TEST(Rows, MultiByteTextBreaksLikeAscii) {
    std::string ascii;
    std::mt19937 rng(5);
    for (int line = 0; line < 40; ++line) {
        const std::size_t length = rng() % 60;
        for (std::size_t i = 0; i < length; ++i) ascii += rng() % 4 == 0 ? ' ' : 'x';
        ascii += '\n';
    }
    // Two-, three- and four-byte characters in place of a third of the letters.
    constexpr std::string_view wide[] = {"\u00E9", "\u4E2D", "\U0001F600"};
    std::string mixed;
    for (const char ch : ascii) {
        if (ch == 'x' && rng() % 3 == 0) {
            mixed += wide[rng() % 3];
        } else {
            mixed += ch;
        }
    }
    const TextLine ascii_text = TextLine::from_string(ascii);
    const TextLine mixed_text = TextLine::from_string(mixed);
    for (std::size_t width = 1; width <= 25; ++width) {
        SCOPED_TRACE(width);
        EXPECT_EQ(rows(ascii_text, width, true), rows(mixed_text, width, true));
    }
}

struct LocateCase {
    std::string_view name;
    std::size_t line, column;
    std::size_t row, row_column;
};

// Rows of "abcd efgh ijkl" at width 10, then an empty line: (0,0,10) (0,10,14) (1,0,0).
constexpr LocateCase locate_cases[] = {
    {"InsideTheFirstRow", 0, 9, 0, 9}, {"OnTheBreakShowsOnTheNextRow", 0, 10, 1, 0},
    {"AtTheLineEnd", 0, 14, 1, 4},     {"PastTheLineEndStaysOnTheLastRow", 0, 20, 1, 10},
    {"EmptyLine", 1, 0, 2, 0},         {"LineWithoutRowsFallsBackToRowZero", 5, 3, 0, 3},
};

TEST(Locate, FindsTheRowHoldingTheColumn) {
    const TextLine text = TextLine::from_string("abcd efgh ijkl\n");
    const std::vector<Row> list = rows(text, 10, true);
    for (const LocateCase& c : locate_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(locate(list, c.line, c.column), std::make_pair(c.row, c.row_column));
    }
    EXPECT_EQ(locate({}, 3, 7), std::make_pair(std::size_t{0}, std::size_t{7}));
}

struct VisibleEndCase {
    std::string_view name;
    std::string_view text;
    Row row;
    std::size_t expected;
};

const VisibleEndCase visible_end_cases[] = {
    {"StopsBeforeTheBreakSpace", "abcd efgh ijkl", {0, 0, 10}, 9},
    {"LastRowGoesToTheLineEnd", "abcd efgh ijkl", {0, 10, 14}, 14},
    {"LastRowKeepsTrailingSpaces", "ab  ", {0, 0, 4}, 4},
    {"AllSpacesGivesTheRowStart", "ab      cd", {0, 3, 6}, 3},
    {"OnASecondLine", "x\nabcd efgh ijkl", {1, 0, 10}, 9},
};

TEST(VisibleEnd, SkipsTheTrailingSpacesOfWrappedRows) {
    for (const VisibleEndCase& c : visible_end_cases) {
        SCOPED_TRACE(c.name);
        const TextLine text = TextLine::from_string(std::string(c.text));
        EXPECT_EQ(visible_end(text, c.row), c.expected);
    }
}

}  // namespace
}  // namespace quarn::core
