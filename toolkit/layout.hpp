#pragma once
// Splitting a rectangle into consecutive stripes by constraints. The stripes never overlap, never
// leave the rectangle, and come out the same for the same input even when the space is short.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <variant>
#include <vector>

#include "toolkit/rect.hpp"

namespace quarn::toolkit {

struct Length {  // exactly n cells
    std::uint16_t n = 0;
};
struct Min {  // at least n cells; the Min stripes share whatever the Lengths leave
    std::uint16_t n = 0;
};
using Constraint = std::variant<Length, Min>;

enum class Direction { Vertical, Horizontal };

// One rectangle per constraint, top to bottom (Vertical) or left to right (Horizontal), each
// spanning the whole other dimension. Sizes are handed out in this order while space lasts:
//   1. every Length its n, first to last;  2. every Min its n, first to last;
//   3. what is left, in equal shares to the Min stripes (earlier ones get the odd cells).
// So all sizes are honoured whenever they fit; when they don't, the later Lengths and then the
// Mins shrink, down to 0. Without a Min, space that is left stays unused after the last stripe.
[[nodiscard]] std::vector<Rect> split(Rect area, Direction direction,
                                      std::span<const Constraint> constraints);
// split(area, Direction::Vertical, {Length{1}, Min{1}})
[[nodiscard]] inline std::vector<Rect> split(Rect area, Direction direction,
                                             std::initializer_list<Constraint> constraints) {
    return split(area, direction,
                 std::span<const Constraint>(constraints.begin(), constraints.size()));
}

}  // namespace quarn::toolkit
