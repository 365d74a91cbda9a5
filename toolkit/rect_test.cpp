#include "toolkit/rect.hpp"

#include <gtest/gtest.h>

#include <string_view>

#include "toolkit/test_print.hpp"

namespace quarn::toolkit {
namespace {

TEST(Saturating, CapsAndFloors) {
    EXPECT_EQ(to_u16(0), 0);
    EXPECT_EQ(to_u16(65535), 65535);
    EXPECT_EQ(to_u16(65536), 65535);
    EXPECT_EQ(to_u16(std::size_t(-1)), 65535);
    EXPECT_EQ(saturating_add(65000, 1000), 65535);
    EXPECT_EQ(saturating_sub(3, 5), 0);
    EXPECT_EQ(saturating_sub(5, 3), 2);
}

struct ContainsCase {
    std::string_view name;
    Rect rect;
    std::uint16_t column, row;
    bool inside;
};
constexpr ContainsCase contains_cases[] = {
    {"TopLeftCorner", {2, 3, 4, 5}, 2, 3, true},
    {"LastCell", {2, 3, 4, 5}, 5, 7, true},
    {"RightEdgeIsOutside", {2, 3, 4, 5}, 6, 3, false},
    {"BottomEdgeIsOutside", {2, 3, 4, 5}, 2, 8, false},
    {"LeftOfIt", {2, 3, 4, 5}, 1, 3, false},
    {"EmptyHoldsNothing", {2, 3, 0, 5}, 2, 3, false},
    // x + width passes 65535: the sum must not wrap to a small number.
    {"NearTheEnd", {65530, 0, 10, 1}, 65535, 0, true},
};
TEST(RectContains, HalfOpen) {
    for (const ContainsCase& c : contains_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rect.contains(c.column, c.row), c.inside);
    }
}

struct PairCase {
    std::string_view name;
    Rect a, b, expected;
};
constexpr PairCase intersection_cases[] = {
    {"Overlap", {0, 0, 10, 5}, {5, 2, 10, 10}, {5, 2, 5, 3}},
    {"Inside", {0, 0, 80, 24}, {10, 10, 5, 5}, {10, 10, 5, 5}},
    {"Disjoint", {0, 0, 3, 3}, {10, 10, 2, 2}, {10, 10, 0, 0}},
    {"Touching", {0, 0, 3, 3}, {3, 0, 3, 3}, {3, 0, 0, 3}},
    {"PastTheScreen", {0, 0, 80, 24}, {70, 20, 20, 10}, {70, 20, 10, 4}},
    {"SaturatedRight", {65530, 0, 65535, 1}, {0, 0, 65535, 1}, {65530, 0, 5, 1}},
};
TEST(RectIntersection, ClipsBothWays) {
    for (const PairCase& c : intersection_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(intersection(c.a, c.b), c.expected);
        EXPECT_EQ(intersection(c.b, c.a), c.expected);
    }
}

struct InnerCase {
    std::string_view name;
    Rect area;
    Margin margin;
    Rect expected;
};
constexpr InnerCase inner_cases[] = {
    {"Border", {2, 3, 10, 5}, {1, 1}, {3, 4, 8, 3}},
    {"ExactlyTheBorder", {0, 0, 2, 2}, {1, 1}, {1, 1, 0, 0}},
    {"TooNarrow", {0, 0, 1, 9}, {1, 1}, {1, 1, 0, 7}},
    {"HugeMargin", {0, 0, 10, 10}, {40000, 40000}, {40000, 40000, 0, 0}},
    {"AtTheEnd", {65535, 65535, 5, 5}, {1, 1}, {65535, 65535, 3, 3}},
};
TEST(RectInner, ShrinksWithoutWrapping) {
    for (const InnerCase& c : inner_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(inner(c.area, c.margin), c.expected);
    }
}

}  // namespace
}  // namespace quarn::toolkit
