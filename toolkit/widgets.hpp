#pragma once
// The widgets the screen is built from. Each draws into a rectangle of a Buffer, clipped to the
// buffer; widths count characters, one column each (see display_char). Drawing cannot fail.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/buffer.hpp"
#include "toolkit/rect.hpp"
#include "toolkit/style.hpp"

namespace quarn::toolkit {

// Every cell of `area` becomes blank: a space with default colours, whatever was drawn before.
void clear(Buffer& buffer, Rect area);

// A box with all four borders in the plain line set and an optional title on the top border:
//   ┌Title───┐
//   │        │
//   └────────┘
// The title starts one column right of the corner and is cut before the right corner.
struct Block {
    std::string title{};   // UTF-8
    Style style{};         // patched over the whole box first (borders, title and inside)
    Style border_style{};  // patched over the borders and the title

    // The box without its border; empty when the box is narrower or lower than 3.
    [[nodiscard]] Rect inner(Rect area) const { return toolkit::inner(area, Margin{1, 1}); }
};
void render(Buffer& buffer, Rect area, const Block& block);

struct Span {
    std::string text{};  // UTF-8
    Style style{};
    friend bool operator==(const Span&, const Span&) = default;
};
using Line = std::vector<Span>;

// Lines of styled runs, one line per row, cut at the right edge (no wrapping). `style` is patched
// over the whole area first, then each run's style over its cells. The first `scroll` lines are
// skipped; rows after the last line keep just the area style.
struct Paragraph {
    std::vector<Line> lines{};
    Style style{};
    std::uint16_t scroll = 0;
};
void render(Buffer& buffer, Rect area, const Paragraph& paragraph);

}  // namespace quarn::toolkit
