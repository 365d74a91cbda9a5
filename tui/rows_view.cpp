#include "tui/rows_view.hpp"

#include <algorithm>
#include <string>
#include <string_view>

namespace quarn::tui {
namespace {

using toolkit::Palette;
using toolkit::Style;

[[nodiscard]] bool in_ranges(const std::vector<CharRange>& ranges, std::size_t pos) {
    // The last range starting at or before pos is the only one that can hold it.
    auto it =
        std::upper_bound(ranges.begin(), ranges.end(), pos,
                         [](std::size_t p, const CharRange& range) { return p < range.first; });
    if (it == ranges.begin()) return false;
    --it;
    return pos < it->second;
}

[[nodiscard]] bool has_caret(const std::vector<std::size_t>& carets, std::size_t pos) {
    return std::binary_search(carets.begin(), carets.end(), pos);
}

// The byte offset of character `pos` in the text: the size of the UTF-8 text before it.
[[nodiscard]] std::size_t byte_position(const linecraft::TextLine& text, std::size_t pos) {
    std::size_t bytes = 0;
    text.for_each_chunk(0, pos, [&](std::string_view piece) { bytes += piece.size(); });
    return bytes;
}

[[nodiscard]] std::size_t char_length(std::string_view bytes, std::size_t at) {
    std::size_t end = at + 1;
    while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0xC0u) == 0x80u) ++end;
    return end - at;
}

// Appends text in one style, joining it to the last run when the style is the same.
void append(toolkit::Line& line, std::string_view text, Style style) {
    if (!line.empty() && line.back().style == style) {
        line.back().text += text;
    } else {
        line.push_back(toolkit::Span{std::string(text), style});
    }
}

}  // namespace

toolkit::Color class_color(SpanClass kind) {
    switch (kind) {
        case SpanClass::Comment:
            return Palette::DarkGray;
        case SpanClass::String:
            return Palette::Green;
        case SpanClass::Keyword:
            return Palette::Magenta;
        case SpanClass::Type:
            return Palette::Cyan;
        case SpanClass::Number:
            return Palette::LightYellow;
    }
    return {};
}

toolkit::Line RowRenderer::gutter(const core::Row& screen_row) const {
    if (screen_row.start != 0) return {toolkit::Span{std::string(digits + 1, ' '), Style{}}};
    const std::string number = std::to_string(screen_row.line + 1);
    std::string label(digits > number.size() ? digits - number.size() : 0, ' ');
    label += number;
    label += ' ';
    return {toolkit::Span{std::move(label), Style{}}};
}

toolkit::Line RowRenderer::row(const core::Row& screen_row) const {
    const Decorations& d = decorations;
    const bool current = screen_row.line == cursor_line;
    const std::size_t line_pos = text.position_of(screen_row.line, 0);
    const std::size_t length = text.line_length(screen_row.line);
    const std::size_t first = screen_row.start + left_column;
    const std::size_t last = std::min(first + width, screen_row.end);

    const auto style_at = [&](std::size_t pos, std::size_t byte) {
        if (has_caret(d.secondary_carets, pos)) return Style{.reverse = true};
        if (in_ranges(d.selections, pos)) return Style{.bg = Palette::Blue};
        if (in_ranges(d.highlights, pos)) return Style{.fg = Palette::Black, .bg = Palette::Yellow};
        if (d.bracket_pair && (pos == d.bracket_pair->first || pos == d.bracket_pair->second)) {
            return Style{.bg = bracket_grey};
        }
        Style style{};
        // The first span ending after the byte holds it when it starts at or before it.
        const auto span =
            std::partition_point(d.spans.begin(), d.spans.end(),
                                 [byte](const SyntaxSpan& s) { return s.end_byte <= byte; });
        if (span != d.spans.end() && span->start_byte <= byte) style.fg = class_color(span->kind);
        if (current) style.bg = bar_grey;
        return style;
    };

    toolkit::Line out;
    std::size_t cells = 0;
    if (first < last) {
        std::size_t pos = line_pos + first;
        // Byte positions matter only for syntax spans; skip the lookup without them.
        std::size_t byte = d.spans.empty() ? 0 : byte_position(text, pos);
        text.for_each_chunk(pos, line_pos + last, [&](std::string_view bytes) {
            for (std::size_t at = 0; at < bytes.size();) {
                const std::size_t n = char_length(bytes, at);
                append(out, bytes.substr(at, n), style_at(pos, byte));
                ++pos;
                ++cells;
                byte += n;
                at += n;
            }
        });
    }
    // A secondary caret after the line's last character has no character to invert.
    if (screen_row.end == length && cells < width && first <= screen_row.end &&
        has_caret(d.secondary_carets, line_pos + length)) {
        append(out, " ", Style{.reverse = true});
        ++cells;
    }
    if (current && cells < width)
        append(out, std::string(width - cells, ' '), Style{.bg = bar_grey});
    return out;
}

RowRenderer::Body RowRenderer::body(const std::vector<core::Row>& rows, std::size_t top_row,
                                    std::size_t height) const {
    Body out;
    const std::size_t end = std::min(rows.size(), top_row + std::min(height, rows.size()));
    for (std::size_t i = top_row; i < end; ++i) {
        out.gutter.push_back(gutter(rows[i]));
        out.text.push_back(row(rows[i]));
    }
    return out;
}

}  // namespace quarn::tui
