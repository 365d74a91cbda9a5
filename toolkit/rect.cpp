#include "toolkit/rect.hpp"

#include <algorithm>

namespace quarn::toolkit {

Rect intersection(Rect a, Rect b) {
    const std::uint16_t x = std::max(a.x, b.x);
    const std::uint16_t y = std::max(a.y, b.y);
    const std::uint16_t right = std::min(a.right(), b.right());
    const std::uint16_t bottom = std::min(a.bottom(), b.bottom());
    return Rect{x, y, saturating_sub(right, x), saturating_sub(bottom, y)};
}

Rect inner(Rect area, Margin margin) {
    const auto twice = [](std::uint16_t n) { return to_u16(std::size_t{n} * 2); };
    return Rect{saturating_add(area.x, margin.horizontal), saturating_add(area.y, margin.vertical),
                saturating_sub(area.width, twice(margin.horizontal)),
                saturating_sub(area.height, twice(margin.vertical))};
}

}  // namespace quarn::toolkit
