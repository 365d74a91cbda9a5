#include "core/wrap.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

namespace quarn::core {
namespace {

[[nodiscard]] bool is_continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u;
}

// Byte of the character `count` characters after the one starting at `byte`, or bytes.size().
// The text is valid UTF-8: characters start at the bytes that are not continuation bytes
// (10xxxxxx), so eight bytes at a time can be passed by counting those.
[[nodiscard]] std::size_t skip_chars(std::string_view bytes, std::size_t byte, std::size_t count) {
    while (byte + 8 <= bytes.size()) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, bytes.data() + byte, 8);
        const std::uint64_t continuations = eight & ~(eight << 1) & 0x8080808080808080u;
        // Sums the eight flags into the top byte (no popcount instruction in a generic build).
        const auto starts =
            8 - static_cast<std::size_t>(((continuations >> 7) * 0x0101010101010101u) >> 56);
        if (starts > count) break;
        count -= starts;
        byte += 8;
    }
    // The eight bytes may have ended inside a character whose start is already counted.
    while (byte < bytes.size() && is_continuation(bytes[byte])) ++byte;
    for (; count > 0 && byte < bytes.size(); --count) {
        ++byte;
        while (byte < bytes.size() && is_continuation(bytes[byte])) ++byte;
    }
    return byte;
}

// The rows of one line of n > w characters. A row's break is after the last space among columns
// start + 1 .. start + w (start itself never is one, so every row holds a character), found by
// scanning back from the right edge: the scan usually stops within a word's length. Reaching
// that edge is free when every character is one byte (columns are byte offsets), else a count
// of character starts eight bytes at a time.
void wrap_line(std::size_t line, std::string_view bytes, std::size_t n, std::size_t w,
               std::vector<Row>& out) {
    const bool one_byte_chars = bytes.size() == n;
    std::size_t start = 0;
    std::size_t start_byte = 0;
    while (n - start > w) {
        const std::size_t edge = one_byte_chars ? start + w : skip_chars(bytes, start_byte, w);
        std::size_t space = edge;
        while (space > start_byte && bytes[space] != ' ') --space;
        std::size_t end = start + w;
        std::size_t end_byte = edge;
        if (space > start_byte) {
            // The space stays at the end of this row (one past the width when it sits at
            // start + w: that cell is simply not drawn). Its column is the edge's less the
            // characters after it.
            std::size_t after = edge - space;
            if (!one_byte_chars) {
                for (std::size_t byte = space + 1; byte <= edge; ++byte)
                    after -= is_continuation(bytes[byte]) ? 1 : 0;
            }
            end = start + w - after + 1;
            end_byte = space + 1;
        }
        out.push_back(Row{line, start, end});
        start = end;
        start_byte = end_byte;
    }
    out.push_back(Row{line, start, n});
}

}  // namespace

std::vector<Row> rows(const linecraft::TextLine& text, std::size_t width, bool soft_wrap) {
    const std::size_t w = std::max<std::size_t>(width, 1);
    std::vector<Row> out;
    // With wrapping, a row per line plus one per w characters: about the final count on prose
    // and code, where a vector left to grow would copy the rows and end up to twice too big.
    out.reserve(text.line_count() + (soft_wrap ? text.char_count() / w : 0));
    // Both walks hand each line's length with it: a line_length() per line would be a search
    // per line, rows() runs after every edit, and it is most of the cost without wrapping.
    if (!soft_wrap) {
        text.for_each_line_extent(0, text.line_count(),
                                  [&](std::size_t line, std::size_t, std::size_t n) {
                                      out.push_back(Row{line, 0, n});
                                  });
        return out;
    }
    text.for_each_line(0, text.line_count(),
                       [&](std::size_t line, std::size_t, std::size_t n, std::string_view bytes) {
                           if (n <= w) {
                               out.push_back(Row{line, 0, n});
                           } else {
                               wrap_line(line, bytes, n, w, out);
                           }
                       });
    return out;
}

std::pair<std::size_t, std::size_t> locate(const std::vector<Row>& rows, std::size_t line,
                                           std::size_t column) {
    const auto offset_in = [column](const Row& row) {
        return column > row.start ? column - row.start : std::size_t{0};
    };
    // Rows are sorted by line and, within a line, by column: the first row of the line whose end
    // lies past the column is the one holding it (a caret on a break shows on the next row).
    const auto it = std::partition_point(rows.begin(), rows.end(), [&](const Row& row) {
        return row.line < line || (row.line == line && row.end <= column);
    });
    if (it != rows.end() && it->line == line) {
        return {static_cast<std::size_t>(it - rows.begin()), offset_in(*it)};
    }
    if (it != rows.begin() && std::prev(it)->line == line) {
        // At or past the line's end: after the last character of its last row.
        return {static_cast<std::size_t>(it - rows.begin()) - 1, offset_in(*std::prev(it))};
    }
    if (rows.empty()) return {0, column};
    return {0, offset_in(rows.front())};
}

std::size_t visible_end(const linecraft::TextLine& text, const Row& row) {
    if (row.end >= text.line_length(row.line)) return row.end;
    const std::size_t line_start = text.position_of(row.line, 0);
    for (std::size_t column = row.end; column > row.start; --column) {
        if (text.char_at(line_start + column - 1) != U' ') return column;
    }
    return row.start;
}

}  // namespace quarn::core
