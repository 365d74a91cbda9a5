#include "toolkit/buffer.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace quarn::toolkit {

namespace {

constexpr char32_t replacement = U'\uFFFD';

// Decodes one character at `byte_offset` and advances past it; an ill-formed sequence gives
// U+FFFD and advances by its maximal subpart, as ICU does.
char32_t next_char(std::string_view text, std::int32_t& byte_offset) {
    const auto first = static_cast<unsigned char>(text[static_cast<std::size_t>(byte_offset)]);
    if (first < 0x80) {
        ++byte_offset;
        return first;
    }
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    UChar32 c = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"  // inside ICU's macro
    U8_NEXT_OR_FFFD(text.data(), byte_offset, length, c);
#pragma GCC diagnostic pop
    return static_cast<char32_t>(c);
}

bool zero_width(char32_t c, std::int8_t type) {
    switch (type) {
        case U_NON_SPACING_MARK:
        case U_ENCLOSING_MARK:
        case U_FORMAT_CHAR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:  // ICU's category enum, not ours: every other category has width
            break;
    }
    return c >= 0x1160 && c <= 0x11FF;  // Hangul medial vowels and final consonants join
}

}  // namespace

char32_t display_char(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return c;
    if (c < 0x20) return U'\u2400' + c;
    if (c == 0x7F) return U'\u2421';
    if (c <= 0x9F || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return replacement;
    const auto uc = static_cast<UChar32>(c);
    const std::int8_t type = u_charType(uc);
    if (zero_width(c, type)) return replacement;
    const std::int32_t width = u_getIntPropertyValue(uc, UCHAR_EAST_ASIAN_WIDTH);
    if (width == U_EA_WIDE || width == U_EA_FULLWIDTH) return replacement;
    if (u_hasBinaryProperty(uc, UCHAR_EMOJI_PRESENTATION)) return replacement;
    if (u_hasBinaryProperty(uc, UCHAR_REGIONAL_INDICATOR)) return replacement;
    return c;
}

void append_utf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = replacement;
    const auto byte = [](char32_t bits) {
        return static_cast<char>(static_cast<unsigned char>(bits));
    };
    if (c < 0x80) {
        out += byte(c);
    } else if (c < 0x800) {
        out += byte(0xC0 | (c >> 6));
        out += byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += byte(0xE0 | (c >> 12));
        out += byte(0x80 | ((c >> 6) & 0x3F));
        out += byte(0x80 | (c & 0x3F));
    } else {
        out += byte(0xF0 | (c >> 18));
        out += byte(0x80 | ((c >> 12) & 0x3F));
        out += byte(0x80 | ((c >> 6) & 0x3F));
        out += byte(0x80 | (c & 0x3F));
    }
}

Buffer::Buffer(Rect area) : area_(area), cells_(area.area()) {}

std::size_t Buffer::index_of(std::uint16_t x, std::uint16_t y) const {
    assert(area_.contains(x, y));
    return std::size_t{static_cast<std::uint16_t>(y - area_.y)} * area_.width +
           static_cast<std::uint16_t>(x - area_.x);
}

Cell& Buffer::cell(std::uint16_t x, std::uint16_t y) { return cells_[index_of(x, y)]; }
const Cell& Buffer::cell(std::uint16_t x, std::uint16_t y) const { return cells_[index_of(x, y)]; }

std::uint16_t Buffer::set_string(std::uint16_t x, std::uint16_t y, std::string_view text,
                                 Style style, std::uint16_t max_width) {
    if (!area_.contains(x, y)) return 0;
    const std::uint16_t room = std::min(saturating_sub(area_.right(), x), max_width);
    Cell* row = &cells_[index_of(x, y)];
    std::uint16_t used = 0;
    std::int32_t byte_offset = 0;
    while (used < room && static_cast<std::size_t>(byte_offset) < text.size()) {
        Cell& cell = row[used];
        cell.symbol = display_char(next_char(text, byte_offset));
        cell.style = patch(cell.style, style);
        ++used;
    }
    return used;
}

void Buffer::set_style(Rect rect, Style style) {
    const Rect clipped = intersection(rect, area_);
    if (clipped.empty()) return;  // a row of width 0 has no first cell to index
    for (std::uint16_t y = clipped.y; y < clipped.bottom(); ++y) {
        Cell* row = &cells_[index_of(clipped.x, y)];
        for (std::uint16_t i = 0; i < clipped.width; ++i) row[i].style = patch(row[i].style, style);
    }
}

void Buffer::fill(Rect rect, Cell cell) {
    const Rect clipped = intersection(rect, area_);
    if (clipped.empty()) return;
    for (std::uint16_t y = clipped.y; y < clipped.bottom(); ++y) {
        Cell* row = &cells_[index_of(clipped.x, y)];
        std::fill(row, row + clipped.width, cell);
    }
}

void Buffer::reset() { std::fill(cells_.begin(), cells_.end(), Cell{}); }

void Buffer::resize(Rect area) {
    area_ = area;
    cells_.assign(area.area(), Cell{});
}

void diff(const Buffer& prev, const Buffer& next, std::vector<CellUpdate>& out) {
    assert(prev.area() == next.area());
    out.clear();
    const Rect area = next.area();
    const std::vector<Cell>& before = prev.cells();
    const std::vector<Cell>& after = next.cells();
    std::size_t i = 0;
    for (std::uint16_t row = 0; row < area.height; ++row) {
        for (std::uint16_t column = 0; column < area.width; ++column, ++i) {
            if (before[i] == after[i]) continue;
            out.push_back(CellUpdate{static_cast<std::uint16_t>(area.x + column),
                                     static_cast<std::uint16_t>(area.y + row), after[i]});
        }
    }
}

std::vector<CellUpdate> diff(const Buffer& prev, const Buffer& next) {
    std::vector<CellUpdate> out;
    diff(prev, next, out);
    return out;
}

std::vector<std::string> to_rows(const Buffer& buffer) {
    const Rect area = buffer.area();
    std::vector<std::string> rows(area.height);
    for (std::uint16_t row = 0; row < area.height; ++row) {
        for (std::uint16_t column = 0; column < area.width; ++column) {
            append_utf8(
                rows[row],
                buffer.cell(saturating_add(area.x, column), saturating_add(area.y, row)).symbol);
        }
    }
    return rows;
}

}  // namespace quarn::toolkit
