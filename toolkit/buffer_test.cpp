#include "toolkit/buffer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/test_print.hpp"

namespace quarn::toolkit {
namespace {

struct CharCase {
    std::string_view name;
    char32_t in, out;
};
constexpr CharCase display_char_cases[] = {
    {"Ascii", U'a', U'a'},
    {"Space", U' ', U' '},
    {"Nul", 0x00, U'\u2400'},
    {"Tab", U'\t', U'\u2409'},
    {"LineFeed", U'\n', U'\u240A'},
    {"Escape", 0x1B, U'\u241B'},
    {"UnitSeparator", 0x1F, U'\u241F'},
    {"Delete", 0x7F, U'\u2421'},
    {"C1Csi", 0x9B, U'\uFFFD'},
    {"C1First", 0x80, U'\uFFFD'},
    {"NoBreakSpace", 0xA0, 0xA0},
    {"Latin", U'é', U'é'},
    {"Cyrillic", U'ж', U'ж'},
    {"AmbiguousEllipsisKept", U'…', U'…'},
    {"AmbiguousBoxKept", U'─', U'─'},
    {"AmbiguousArrowKept", U'↑', U'↑'},
    {"CjkWide", U'中', U'\uFFFD'},
    {"FullwidthA", U'Ａ', U'\uFFFD'},
    {"EmojiWide", U'\U0001F600', U'\uFFFD'},
    {"RegionalIndicator", U'\U0001F1E6', U'\uFFFD'},
    {"CombiningAcute", 0x301, U'\uFFFD'},
    {"ZeroWidthJoiner", 0x200D, U'\uFFFD'},
    {"ZeroWidthSpace", 0x200B, U'\uFFFD'},
    {"RightToLeftOverride", 0x202E, U'\uFFFD'},
    {"VariationSelector16", 0xFE0F, U'\uFFFD'},
    {"LineSeparator", 0x2028, U'\uFFFD'},
    {"HangulJungseong", 0x1161, U'\uFFFD'},
    {"Surrogate", 0xD800, U'\uFFFD'},
    {"PastUnicode", 0x110000, U'\uFFFD'},
};
TEST(DisplayChar, OneColumnOrSubstitute) {
    for (const CharCase& c : display_char_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(static_cast<std::uint32_t>(display_char(c.in)),
                  static_cast<std::uint32_t>(c.out));
    }
}

TEST(DisplayChar, NoControlEverComesOut) {
    for (char32_t c = 0; c < 0x20000; ++c) {
        const char32_t shown = display_char(c);
        ASSERT_FALSE(shown < 0x20 || (shown >= 0x7F && shown <= 0x9F))
            << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_EQ(display_char(shown), shown)
            << std::hex << static_cast<std::uint32_t>(c);  // substitutes are final
    }
}

struct StringCase {
    std::string_view name;
    std::string_view text;
    std::uint16_t x, max_width;
    std::uint16_t used;
    std::string_view row;  // the buffer is 6 columns wide, filled with '.'
};
constexpr StringCase set_string_cases[] = {
    {"Fits", "abc", 1, 0xFFFF, 3, ".abc.."},
    {"CutAtRightEdge", "abcdefgh", 2, 0xFFFF, 4, "..abcd"},
    {"CutAtMaxWidth", "abcdefgh", 0, 2, 2, "ab...."},
    {"OneColumnPerCharacter", "é中x", 0, 0xFFFF, 3, "é\uFFFDx..."},
    {"ControlsBecomePictures", "a\tb\x1b[2J", 0, 0xFFFF, 6, "a␉b␛[2"},
    {"C1InUtf8",
     "\xC2\x9B"
     "1m",
     0, 0xFFFF, 3, "\uFFFD1m..."},
    {"InvalidUtf8", "a\xFF\xC3z", 0, 0xFFFF, 4, "a\uFFFD\uFFFDz.."},
    {"TruncatedAtEnd", "ab\xE2\x94", 0, 0xFFFF, 3, "ab\uFFFD..."},
    {"Empty", "", 0, 0xFFFF, 0, "......"},
    {"StartsPastTheEdge", "abc", 6, 0xFFFF, 0, "......"},
};
TEST(BufferSetString, OneColumnPerCharacter) {
    for (const StringCase& c : set_string_cases) {
        SCOPED_TRACE(c.name);
        Buffer buffer(Rect{0, 0, 6, 1});
        buffer.fill(buffer.area(), Cell{U'.', {}});
        EXPECT_EQ(buffer.set_string(c.x, 0, c.text, Style{}, c.max_width), c.used);
        EXPECT_EQ(to_rows(buffer), std::vector<std::string>{std::string(c.row)});
    }
}

TEST(BufferSetString, PatchesStyleOverTheCell) {
    Buffer buffer(Rect{0, 0, 4, 1});
    buffer.set_style(buffer.area(), Style{Palette::Black, Palette::Gray, false});
    (void)buffer.set_string(0, 0, "ab", Style{}.with_fg(Palette::Red).with_reverse());
    EXPECT_EQ(buffer.cell(0, 0).style, (Style{Palette::Red, Palette::Gray, true}));
    EXPECT_EQ(buffer.cell(2, 0).style, (Style{Palette::Black, Palette::Gray, false}));
}

TEST(Buffer, OffsetAreaUsesScreenCoordinates) {
    Buffer buffer(Rect{10, 5, 3, 2});
    EXPECT_EQ(buffer.set_string(11, 6, "xyz", Style{}), 2);
    EXPECT_EQ(buffer.set_string(9, 5, "q", Style{}), 0);
    buffer.fill(Rect{0, 0, 11, 6}, Cell{U'#', {}});  // clipped to the one cell (10, 5)
    EXPECT_EQ(to_rows(buffer), (std::vector<std::string>{"#  ", " xy"}));
}

TEST(BufferDiff, ReportsOnlyChangedCellsInRowOrder) {
    Buffer prev(Rect{0, 0, 4, 3});
    Buffer next(Rect{0, 0, 4, 3});
    EXPECT_TRUE(diff(prev, next).empty());
    next.cell(3, 0).symbol = U'a';
    next.cell(0, 2).style.bg = Rgb{50, 50, 50};  // a style change alone counts
    next.cell(1, 1).symbol = U'b';
    prev.cell(2, 2).symbol = U'c';  // erased in next
    EXPECT_EQ(diff(prev, next), (std::vector<CellUpdate>{
                                    {3, 0, Cell{U'a', {}}},
                                    {1, 1, Cell{U'b', {}}},
                                    {0, 2, Cell{U' ', Style{}.with_bg(Rgb{50, 50, 50})}},
                                    {2, 2, Cell{}},
                                }));
}

TEST(Buffer, ResizeBlanksEverything) {
    Buffer buffer(Rect{0, 0, 3, 1});
    (void)buffer.set_string(0, 0, "abc", Style{}.with_fg(Palette::Red));
    buffer.resize(Rect{0, 0, 2, 2});
    EXPECT_EQ(to_rows(buffer), (std::vector<std::string>{"  ", "  "}));
    EXPECT_EQ(buffer.cell(1, 1), Cell{});
}

}  // namespace
}  // namespace quarn::toolkit
