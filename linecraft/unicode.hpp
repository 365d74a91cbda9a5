#pragma once
// Unicode character data and UTF-8 helpers, the one place the program asks about characters.
// All property data comes from ICU; ASCII characters are answered without calling it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarn::linecraft {

// White_Space property (tab, line feed, vertical tab, form feed, carriage return, space, U+0085,
// U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000). Cost: O(1).
[[nodiscard]] bool is_white_space(char32_t ch) noexcept;
// Alphabetic property. Cost: O(1).
[[nodiscard]] bool is_alphabetic(char32_t ch) noexcept;
// General category Nd, Nl or No. Cost: O(1).
[[nodiscard]] bool is_numeric(char32_t ch) noexcept;
// is_alphabetic or is_numeric (the underscore is neither). Cost: O(1).
[[nodiscard]] bool is_alphanumeric(char32_t ch) noexcept;

// The full lowercase mapping of one character: one to three characters (U+0130 → "i̇").
struct LowerChars {
    std::array<char32_t, 3> chars{};
    std::uint8_t size = 0;

    [[nodiscard]] std::u32string_view view() const noexcept { return {chars.data(), size}; }
    [[nodiscard]] bool operator==(const LowerChars& other) const noexcept {
        return view() == other.view();
    }
};
// Root-locale full lowercase mapping, without context (no final-sigma rule). Cost: O(1).
[[nodiscard]] LowerChars lowercase_full(char32_t ch) noexcept;

// --- UTF-8 ---

inline constexpr char32_t replacement_char = U'\uFFFD';

struct Decoded {
    char32_t ch = 0;         // replacement_char when the bytes are ill-formed
    std::size_t length = 0;  // bytes consumed: a whole character or one maximal ill-formed part
};
// Decodes the character at the start of bytes. Requires: !bytes.empty(). Cost: O(1).
[[nodiscard]] Decoded decode_utf8(std::string_view bytes) noexcept;
// Appends the UTF-8 form of ch; a surrogate or a value above U+10FFFF appends U+FFFD. Cost: O(1).
void append_utf8(std::string& out, char32_t ch);
// The UTF-8 form of ch (see append_utf8).
[[nodiscard]] std::string encode_utf8(char32_t ch);
// Bytes of ch in UTF-8: 1 to 4. Cost: O(1).
[[nodiscard]] std::size_t utf8_length(char32_t ch) noexcept;
// Strictly well-formed UTF-8 (no overlongs, surrogates or values above U+10FFFF). Cost: O(bytes).
[[nodiscard]] bool is_valid_utf8(std::string_view bytes) noexcept;
// bytes with each maximal ill-formed subsequence replaced by U+FFFD. Cost: O(bytes).
[[nodiscard]] std::string sanitize_utf8(std::string_view bytes);
// Number of characters in well-formed UTF-8 (counts lead bytes). Cost: O(bytes).
[[nodiscard]] std::size_t utf8_char_count(std::string_view bytes) noexcept;
// Converts well-formed UTF-8 to code points and back. Cost: O(bytes).
[[nodiscard]] std::u32string to_u32(std::string_view bytes);
[[nodiscard]] std::string to_utf8(std::u32string_view chars);

}  // namespace quarn::linecraft
