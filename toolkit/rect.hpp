#pragma once
// Screen rectangles in cells. Every size sum or difference saturates: a difference that would be
// negative is 0 and a sum past 65535 is 65535, so geometry never wraps around on tiny or huge
// screens. Coordinates are 0-based columns (x) and rows (y).

#include <cstddef>
#include <cstdint>

namespace quarn::toolkit {

// The one place where counts become screen sizes: anything past 65535 is capped.
[[nodiscard]] constexpr std::uint16_t to_u16(std::size_t n) {
    return n > 0xFFFFu ? std::uint16_t{0xFFFF} : static_cast<std::uint16_t>(n);
}
[[nodiscard]] constexpr std::uint16_t saturating_add(std::uint16_t a, std::uint16_t b) {
    return to_u16(std::size_t{a} + std::size_t{b});
}
[[nodiscard]] constexpr std::uint16_t saturating_sub(std::uint16_t a, std::uint16_t b) {
    return a > b ? static_cast<std::uint16_t>(a - b) : std::uint16_t{0};
}

struct Position {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    friend bool operator==(const Position&, const Position&) = default;
};

struct Size {
    std::uint16_t columns = 0;
    std::uint16_t rows = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Margin {
    std::uint16_t horizontal = 0;  // taken from the left and from the right
    std::uint16_t vertical = 0;    // taken from the top and from the bottom
};

struct Rect {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;

    // One past the last column / row, saturated at 65535.
    [[nodiscard]] constexpr std::uint16_t right() const { return saturating_add(x, width); }
    [[nodiscard]] constexpr std::uint16_t bottom() const { return saturating_add(y, height); }
    [[nodiscard]] constexpr bool empty() const { return width == 0 || height == 0; }
    [[nodiscard]] constexpr std::size_t area() const { return std::size_t{width} * height; }

    // x <= column < x + width and y <= row < y + height, computed without saturation.
    [[nodiscard]] constexpr bool contains(std::uint16_t column, std::uint16_t row) const {
        return column >= x && std::size_t{column} < std::size_t{x} + width && row >= y &&
               std::size_t{row} < std::size_t{y} + height;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The cells both rectangles cover. Without overlap the result is empty (width or height 0) and
// lies at the larger of the two origins.
[[nodiscard]] Rect intersection(Rect a, Rect b);

// The rectangle shrunk by the margin on every side; empty (never wrapped) when the margin does
// not fit.
[[nodiscard]] Rect inner(Rect area, Margin margin);

}  // namespace quarn::toolkit
