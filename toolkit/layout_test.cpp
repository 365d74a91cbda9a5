#include "toolkit/layout.hpp"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "toolkit/test_print.hpp"

namespace quarn::toolkit {

namespace {

// Splits are compared by their sizes along the split; positions are checked to be consecutive.
struct SplitCase {
    std::string_view name;
    std::uint16_t space;
    std::vector<Constraint> constraints;
    std::vector<std::uint16_t> sizes;
};

const SplitCase split_cases[] = {
    {"MenuAndRest", 24, {Length{1}, Min{1}}, {1, 23}},
    {"BodyStatusHint", 22, {Min{1}, Length{1}, Length{1}}, {20, 1, 1}},
    {"GutterAndText", 80, {Length{3}, Min{1}}, {3, 77}},
    {"ExactFit", 3, {Length{1}, Min{1}, Length{1}}, {1, 1, 1}},
    // Short of space: Lengths first, in order, then the Mins.
    {"ShortByOne", 2, {Length{1}, Min{1}, Length{1}}, {1, 0, 1}},
    {"OneRow", 1, {Min{1}, Length{1}, Length{1}}, {0, 1, 0}},
    {"NoRoomAtAll", 0, {Length{1}, Min{1}}, {0, 0}},
    {"TwoMinsShare", 11, {Min{1}, Length{1}, Min{2}}, {5, 1, 5}},
    {"OddCellGoesFirst", 4, {Min{0}, Min{0}, Min{0}}, {2, 1, 1}},
    {"NoMinLeavesTheRest", 10, {Length{2}, Length{3}}, {2, 3}},
    {"HugeLengths", 65535, {Length{65535}, Length{65535}, Min{1}}, {65535, 0, 0}},
    {"NoConstraints", 10, {}, {}},
};

TEST(Split, SizesAlongTheAxis) {
    for (const Direction direction : {Direction::Vertical, Direction::Horizontal}) {
        for (const SplitCase& c : split_cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(direction == Direction::Vertical ? "vertical" : "horizontal");
            const bool vertical = direction == Direction::Vertical;
            const Rect area = vertical ? Rect{3, 4, 50, c.space} : Rect{3, 4, c.space, 50};
            const std::vector<Rect> parts = split(area, direction, c.constraints);
            ASSERT_EQ(parts.size(), c.sizes.size());
            std::uint16_t offset = vertical ? area.y : area.x;
            for (std::size_t i = 0; i < parts.size(); ++i) {
                const Rect expected =
                    vertical ? Rect{3, offset, 50, c.sizes[i]} : Rect{offset, 4, c.sizes[i], 50};
                EXPECT_EQ(parts[i], expected) << "part " << i;
                offset = saturating_add(offset, c.sizes[i]);
            }
        }
    }
}

TEST(Split, TakesABracedList) {
    EXPECT_EQ(split(Rect{0, 0, 80, 24}, Direction::Horizontal, {Length{3}, Min{1}}),
              (std::vector<Rect>{{0, 0, 3, 24}, {3, 0, 77, 24}}));
}

}  // namespace
}  // namespace quarn::toolkit
