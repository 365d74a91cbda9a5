#include "linecraft/unicode.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn::linecraft {
namespace {

struct PropertyCase {
    std::string_view name;
    char32_t ch;
    bool white, alpha, numeric;
};
constexpr PropertyCase property_cases[] = {
    {"AsciiLetter", U'q', false, true, false},
    {"AsciiDigit", U'7', false, false, true},
    {"Underscore", U'_', false, false, false},
    {"Space", U' ', true, false, false},
    {"Tab", U'\t', true, false, false},
    {"VerticalTab", U'\v', true, false, false},
    {"CarriageReturn", U'\r', true, false, false},
    {"AsciiControlIsNothing", U'\x01', false, false, false},
    {"NextLine", U'\u0085', true, false, false},
    {"NoBreakSpace", U'\u00A0', true, false, false},
    {"OghamSpace", U'\u1680', true, false, false},
    {"HairSpace", U'\u200A', true, false, false},
    {"ZeroWidthSpaceIsNotWhite", U'\u200B', false, false, false},
    {"ParagraphSeparator", U'\u2029', true, false, false},
    {"IdeographicSpace", U'\u3000', true, false, false},
    {"LatinAccented", U'é', false, true, false},
    {"Han", U'中', false, true, false},
    {"ArabicIndicDigit", U'\u0663', false, false, true},
    {"RomanNumeralIsLetterNumber", U'\u2163', false, true, true},
    {"VulgarFractionIsOtherNumber", U'½', false, false, true},
    {"SuperscriptTwo", U'²', false, false, true},
    {"EuroSign", U'€', false, false, false},
    {"Emoji", U'\U0001F600', false, false, false},
    {"DeseretCapital", U'\U00010400', false, true, false},
};

TEST(UnicodeProperties, FollowTheCharacterDatabase) {
    for (const PropertyCase& c : property_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(is_white_space(c.ch), c.white);
        EXPECT_EQ(is_alphabetic(c.ch), c.alpha);
        EXPECT_EQ(is_numeric(c.ch), c.numeric);
        EXPECT_EQ(is_alphanumeric(c.ch), c.alpha || c.numeric);
    }
}

struct LowerCase {
    std::string_view name;
    char32_t ch;
    std::u32string_view lower;
};
constexpr LowerCase lower_cases[] = {
    {"AsciiUpper", U'A', U"a"},
    {"AsciiLower", U'z', U"z"},
    {"Digit", U'1', U"1"},
    {"CapitalSigmaWithoutContext", U'Σ', U"σ"},
    {"DottedCapitalIExpands", U'\u0130', U"i\u0307"},
    {"SharpSStays", U'ß', U"ß"},
    {"CapitalSharpS", U'\u1E9E', U"ß"},
    {"TitlecaseDz", U'\u01C5', U"\u01C6"},
    {"Cyrillic", U'Ж', U"ж"},
    {"Deseret", U'\U00010400', U"\U00010428"},
    {"Uncased", U'中', U"中"},
};

TEST(LowercaseFull, MapsOneCharacterToItsFullLowercase) {
    for (const LowerCase& c : lower_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lowercase_full(c.ch).view(), c.lower);
    }
}

struct Utf8Case {
    std::string_view name, bytes;
    bool valid;
    std::string_view sanitized;
};
const Utf8Case utf8_cases[] = {
    {"Empty", "", true, ""},
    {"Ascii", "abc", true, "abc"},
    {"AllLengths", "a\u00E9\u4E2D\U0001F600", true, "a\u00E9\u4E2D\U0001F600"},
    {"ReplacementCharItself", "\uFFFD", true, "\uFFFD"},
    {"Overlong",
     "a\xC0\xAF"
     "b",
     false,
     "a\uFFFD\uFFFD"
     "b"},
    {"Surrogate", "\xED\xA0\x80", false, "\uFFFD\uFFFD\uFFFD"},
    {"AboveMax", "\xF4\x90\x80\x80", false, "\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"TruncatedAtEnd", "x\xE2\x82", false, "x\uFFFD"},
    {"TruncatedBeforeAscii", "\xE2\x82x", false, "\uFFFDx"},
    {"LoneContinuation", "\x80", false, "\uFFFD"},
};

TEST(Utf8, ValidatesStrictlyAndReplacesMaximalIllFormedParts) {
    for (const Utf8Case& c : utf8_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(is_valid_utf8(c.bytes), c.valid);
        EXPECT_EQ(sanitize_utf8(c.bytes), c.sanitized);
        EXPECT_TRUE(is_valid_utf8(sanitize_utf8(c.bytes)));
    }
}

TEST(Utf8, EncodesAndDecodesEveryLengthBoundary) {
    for (const char32_t ch :
         {U'\0', U'\x7F', U'\x80', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        SCOPED_TRACE(static_cast<unsigned>(ch));
        const std::string bytes = encode_utf8(ch);
        EXPECT_EQ(bytes.size(), utf8_length(ch));
        const Decoded d = decode_utf8(bytes);
        EXPECT_EQ(d.ch, ch);
        EXPECT_EQ(d.length, bytes.size());
    }
    EXPECT_EQ(encode_utf8(0xD800), "\uFFFD");
    EXPECT_EQ(encode_utf8(0x110000), "\uFFFD");
}

TEST(Utf8, ConvertsToCodePointsAndBack) {
    const std::string text = "a\u00E9\n\u4E2D\U0001F600";
    EXPECT_EQ(to_u32(text), U"a\u00E9\n\u4E2D\U0001F600");
    EXPECT_EQ(to_utf8(to_u32(text)), text);
    EXPECT_EQ(utf8_char_count(text), 5u);
}

}  // namespace
}  // namespace quarn::linecraft
