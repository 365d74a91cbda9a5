#pragma once
// Colours and styles of screen cells. A `Color` is the terminal's default (meaning "not set":
// drawing with it keeps the colour a cell already has), one of the 16 palette colours, or RGB.

#include <cstdint>

namespace quarn::toolkit {

// The enumerator's value is the palette index the terminal knows it by.
enum class Palette : std::uint8_t {
    Black,
    Red,
    Green,
    Yellow,
    Blue,
    Magenta,
    Cyan,
    Gray,
    DarkGray,
    LightRed,
    LightGreen,
    LightYellow,
    LightBlue,
    LightMagenta,
    LightCyan,
    White,
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ColorKind : std::uint8_t { Default, Palette, Rgb };

// Implicit from `Palette` and `Rgb` so that styles read `Style{.fg = Palette::Black}`.
struct Color {
    ColorKind kind = ColorKind::Default;
    Palette palette = Palette::Black;  // with ColorKind::Palette only
    Rgb rgb{};                         // with ColorKind::Rgb only

    constexpr Color() = default;
    constexpr Color(Palette p) : kind(ColorKind::Palette), palette(p) {}  // NOLINT: implicit
    constexpr Color(Rgb c) : kind(ColorKind::Rgb), rgb(c) {}              // NOLINT: implicit

    [[nodiscard]] constexpr bool is_default() const { return kind == ColorKind::Default; }
    friend bool operator==(const Color&, const Color&) = default;
};

// `Style{.bg = Palette::Blue}` or `Style{}.with_fg(Palette::Black).with_bg(Palette::Yellow)`.
// Every field of the toolkit's records has a default initializer, so designated initializers
// may skip fields without tripping g++'s -Wmissing-field-initializers.
struct Style {
    Color fg{};
    Color bg{};
    bool reverse = false;

    [[nodiscard]] constexpr Style with_fg(Color c) const { return Style{c, bg, reverse}; }
    [[nodiscard]] constexpr Style with_bg(Color c) const { return Style{fg, c, reverse}; }
    [[nodiscard]] constexpr Style with_reverse(bool on = true) const { return Style{fg, bg, on}; }
    friend bool operator==(const Style&, const Style&) = default;
};

// `over` drawn on top of `base`: colours that `over` sets win, default colours keep the base's,
// and reverse video is kept once either has it.
[[nodiscard]] constexpr Style patch(Style base, Style over) {
    return Style{over.fg.is_default() ? base.fg : over.fg, over.bg.is_default() ? base.bg : over.bg,
                 base.reverse || over.reverse};
}

}  // namespace quarn::toolkit
