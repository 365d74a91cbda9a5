#include "core/caret.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace quarn::core {

void PrintTo(const Caret& c, std::ostream* os) {
    *os << "{pos " << c.position;
    if (c.anchor) *os << " anchor " << *c.anchor;
    if (c.goal_column) *os << " goal " << *c.goal_column;
    if (c.primary) *os << " primary";
    *os << "}";
}

namespace {

using linecraft::TextLine;

Caret at(std::size_t pos, bool primary = false) {
    return Caret{pos, std::nullopt, std::nullopt, primary};
}
Caret sel(std::size_t anchor, std::size_t pos, bool primary = false) {
    return Caret{pos, anchor, std::nullopt, primary};
}

struct NormalizeCase {
    std::string_view name;
    std::vector<Caret> in;
    std::vector<Caret> out;
};

TEST(NormalizeCarets, SortsMergesAndRepairsPrimary) {
    const NormalizeCase cases[] = {
        {"EmptyGetsOnePrimaryAtZero", {}, {at(0, true)}},
        {"SamePositionMergesKeepingPrimary", {at(3), at(3, true)}, {at(3, true)}},
        {"CaretAtSelectionEndMergesIntoIt", {at(5, true), sel(2, 5)}, {sel(2, 5, true)}},
        {"TouchingSelectionsStayApart", {sel(5, 8), sel(2, 5, true)}, {sel(2, 5, true), sel(5, 8)}},
        {"OverlappingSelectionsMerge", {sel(2, 6, true), sel(5, 8)}, {sel(2, 8, true)}},
        {"BackwardSelectionMergesForward", {sel(9, 4, true), at(6)}, {sel(4, 9, true)}},
        {"NoPrimaryMakesLastPrimary", {at(9), at(1), at(5)}, {at(1), at(5), at(9, true)}},
        {"SeveralPrimariesKeepFirstInOrder", {at(7, true), at(2, true)}, {at(2, true), at(7)}},
        {"EmptySelectionTouchingSelectionMerges", {sel(2, 5, true), sel(5, 5)}, {sel(2, 5, true)}},
        {"MergedToEmptyDropsAnchor", {sel(4, 4, true), at(4)}, {at(4, true)}},
    };
    for (const NormalizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Caret> carets = c.in;
        normalize_carets(carets);
        EXPECT_EQ(carets, c.out);
    }
}

TEST(CaretsAreNormal, HoldsExactlyAfterNormalising) {
    const NormalizeCase cases[] = {
        {"Empty", {}, {}},
        {"Unsorted", {at(5, true), at(2)}, {}},
        {"Overlap", {sel(2, 6, true), sel(5, 8)}, {}},
        {"CaretTouchingSelection", {sel(2, 5, true), at(5)}, {}},
        {"TwoPrimaries", {at(1, true), at(3, true)}, {}},
        {"PastTheEnd", {at(11, true)}, {}},
    };
    for (const NormalizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(carets_are_normal(c.in, 10));
        std::vector<Caret> carets = c.in;
        normalize_carets(carets);
        EXPECT_EQ(carets_are_normal(carets, 11), true);
    }
    EXPECT_TRUE(carets_are_normal({sel(2, 5, true), sel(5, 8)}, 10));
}

TEST(NormalizeCarets, MergingClearsGoalColumn) {
    std::vector<Caret> carets{Caret{4, std::nullopt, 10, true}, Caret{4, std::nullopt, 3, false}};
    normalize_carets(carets);
    ASSERT_EQ(carets.size(), 1u);
    EXPECT_FALSE(carets[0].goal_column);
}

TEST(SecondaryCaretOffsets, SkipsThePrimary) {
    EXPECT_EQ(secondary_caret_offsets({at(1), at(4, true), sel(9, 7)}),
              (std::vector<std::size_t>{1, 7}));
}

struct SelectLineCase {
    std::string_view name, text;
    Caret caret;
    int times;
    Caret expected;
};

TEST(SelectLineFor, SelectsWholeLinesAndGrowsDownward) {
    const SelectLineCase cases[] = {
        {"LastLineHasNoLineFeed", "a\nbb\ncc", at(6), 1, sel(5, 7)},
        {"LineFeedIncluded", "a\nbb\ncc\n", at(6), 1, sel(5, 8)},
        {"TwiceGrowsByOneLine", "a\nbb\ncc", at(0), 2, sel(0, 5)},
        {"StopsGrowingAtLastLine", "a\nbb", at(0), 3, sel(0, 4)},
        {"PartialSelectionRestartsAtPositionLine", "abc\ndef", sel(1, 5), 1, sel(4, 7)},
        {"EmptyText", "", at(0), 1, sel(0, 0)},
    };
    for (const SelectLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TextLine text = TextLine::from_string(std::string(c.text));
        Caret caret = c.caret;
        for (int i = 0; i < c.times; ++i) select_line_for(text, caret);
        EXPECT_EQ(caret, c.expected);
    }
}

TEST(CaretsAddedVertical, KeepsGoalColumnAcrossShortLines) {
    const TextLine text = TextLine::from_string("0123456789ab\nxyz\n0123456789ab");
    const std::vector<Caret> first = carets_added_vertical(text, {at(10, true)}, +1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], (Caret{16, std::nullopt, 10, false}));  // column 3 of "xyz"
    const std::vector<Caret> second = carets_added_vertical(text, first, +1);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].position, text.position_of(2, 10));
}

TEST(CaretsAddedVertical, NothingBeyondFirstOrLastLine) {
    const TextLine text = TextLine::from_string("ab\ncd");
    EXPECT_TRUE(carets_added_vertical(text, {at(4, true)}, +1).empty());
    EXPECT_TRUE(carets_added_vertical(text, {at(1, true)}, -1).empty());
    EXPECT_EQ(carets_added_vertical(text, {at(4, true)}, -1).size(), 1u);
}

}  // namespace
}  // namespace quarn::core
