#include "toolkit/layout.hpp"

#include <algorithm>

namespace quarn::toolkit {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

// Hands out at most `want` of `left`.
std::uint16_t take(std::uint16_t& left, std::uint16_t want) {
    const std::uint16_t got = std::min(left, want);
    left = static_cast<std::uint16_t>(left - got);
    return got;
}

}  // namespace

std::vector<Rect> split(Rect area, Direction direction, std::span<const Constraint> constraints) {
    const bool vertical = direction == Direction::Vertical;
    std::uint16_t left = vertical ? area.height : area.width;
    std::vector<std::uint16_t> sizes(constraints.size(), 0);
    std::size_t mins = 0;
    for (std::size_t i = 0; i < constraints.size(); ++i) {
        if (const auto* length = std::get_if<Length>(&constraints[i]))
            sizes[i] = take(left, length->n);
    }
    for (std::size_t i = 0; i < constraints.size(); ++i) {
        if (const auto* min = std::get_if<Min>(&constraints[i])) {
            sizes[i] = take(left, min->n);
            ++mins;
        }
    }
    if (mins > 0) {
        const std::size_t share = left / mins;
        std::size_t odd = left % mins;
        for (std::size_t i = 0; i < constraints.size(); ++i) {
            if (!std::holds_alternative<Min>(constraints[i])) continue;
            const std::size_t extra = share + (odd > 0 ? 1 : 0);
            if (odd > 0) --odd;
            sizes[i] = to_u16(sizes[i] + extra);
        }
    }
    std::vector<Rect> out;
    out.reserve(constraints.size());
    std::uint16_t offset = vertical ? area.y : area.x;
    for (const std::uint16_t size : sizes) {
        out.push_back(vertical ? Rect{area.x, offset, area.width, size}
                               : Rect{offset, area.y, size, area.height});
        offset = saturating_add(offset, size);
    }
    return out;
}

}  // namespace quarn::toolkit
