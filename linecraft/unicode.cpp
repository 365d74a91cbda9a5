#include "linecraft/unicode.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstring>

namespace quarn::linecraft {

namespace {

[[nodiscard]] UChar32 to_icu(char32_t ch) noexcept { return static_cast<UChar32>(ch); }

struct RawDecoded {
    UChar32 ch;  // negative for an ill-formed subsequence
    std::size_t length;
};

// Requires: !bytes.empty(). A character is at most 4 bytes, so the int32 length cannot overflow.
[[nodiscard]] RawDecoded decode_raw(std::string_view bytes) noexcept {
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size() < 4 ? bytes.size() : 4);
    int32_t i = 0;
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    return {c, static_cast<std::size_t>(i)};
}

}  // namespace

bool is_white_space(char32_t ch) noexcept {
    if (ch < 0x80) return ch == ' ' || (ch >= '\t' && ch <= '\r');
    return u_hasBinaryProperty(to_icu(ch), UCHAR_WHITE_SPACE) != 0;
}

bool is_alphabetic(char32_t ch) noexcept {
    if (ch < 0x80) return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    return u_isUAlphabetic(to_icu(ch)) != 0;
}

bool is_numeric(char32_t ch) noexcept {
    if (ch < 0x80) return ch >= '0' && ch <= '9';
    switch (u_charType(to_icu(ch))) {
        case U_DECIMAL_DIGIT_NUMBER:
        case U_LETTER_NUMBER:
        case U_OTHER_NUMBER:
            return true;
        default:  // ICU's enum, not ours: every other category is not a number
            return false;
    }
}

bool is_alphanumeric(char32_t ch) noexcept { return is_alphabetic(ch) || is_numeric(ch); }

LowerChars lowercase_full(char32_t ch) noexcept {
    LowerChars out;
    if (ch < 0x80) {
        out.chars[0] = (ch >= 'A' && ch <= 'Z') ? ch + ('a' - 'A') : ch;
        out.size = 1;
        return out;
    }
    UChar src[2] = {};
    int32_t src_length = 0;
    UBool error = false;
    U16_APPEND(src, src_length, 2, to_icu(ch), error);
    // UTF-16 of at most three characters; SpecialCasing never maps a character to more.
    UChar dest[8] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strToLower(dest, 8, src, src_length, "", &status);
    if (error || U_FAILURE(status) || length <= 0) {
        out.chars[0] = ch;
        out.size = 1;
        return out;
    }
    for (int32_t i = 0; i < length && out.size < out.chars.size();) {
        UChar32 c = 0;
        U16_NEXT(dest, i, length, c);
        out.chars[out.size++] = static_cast<char32_t>(c);
    }
    return out;
}

Decoded decode_utf8(std::string_view bytes) noexcept {
    const RawDecoded d = decode_raw(bytes);
    return {d.ch < 0 ? replacement_char : static_cast<char32_t>(d.ch), d.length};
}

std::size_t utf8_length(char32_t ch) noexcept {
    if (ch < 0x80) return 1;
    if (ch < 0x800) return 2;
    if (ch < 0x10000) return 3;
    return ch <= 0x10FFFF ? 4 : 3;  // out-of-range values are written as U+FFFD
}

void append_utf8(std::string& out, char32_t ch) {
    if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) ch = replacement_char;
    uint8_t buffer[4];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, to_icu(ch));
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

std::string encode_utf8(char32_t ch) {
    std::string out;
    append_utf8(out, ch);
    return out;
}

bool is_valid_utf8(std::string_view bytes) noexcept {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Files are mostly ASCII: skip eight such bytes at a time.
        std::uint64_t eight = 0;
        if (i + 8 <= bytes.size()) std::memcpy(&eight, bytes.data() + i, 8);
        if (i + 8 <= bytes.size() && (eight & 0x8080808080808080u) == 0) {
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const RawDecoded d = decode_raw(bytes.substr(i));
        if (d.ch < 0) return false;
        i += d.length;
    }
    return true;
}

std::string sanitize_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            out.push_back(bytes[i++]);
            continue;
        }
        const Decoded d = decode_utf8(bytes.substr(i));
        append_utf8(out, d.ch);
        i += d.length;
    }
    return out;
}

std::size_t utf8_char_count(std::string_view bytes) noexcept {
    std::size_t count = 0;
    for (const char b : bytes) count += (static_cast<unsigned char>(b) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::u32string to_u32(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const Decoded d = decode_utf8(bytes.substr(i));
        out.push_back(d.ch);
        i += d.length;
    }
    return out;
}

std::string to_utf8(std::u32string_view chars) {
    std::string out;
    out.reserve(chars.size());
    for (const char32_t ch : chars) append_utf8(out, ch);
    return out;
}

}  // namespace quarn::linecraft
