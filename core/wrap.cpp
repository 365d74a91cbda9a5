#include "core/wrap.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace quarn::core {
namespace {

// Byte just after the character that starts at `byte`. The text is valid UTF-8, so skipping the
// continuation bytes lands on the next lead byte.
[[nodiscard]] std::size_t next_char(std::string_view bytes, std::size_t byte) {
    ++byte;
    while (byte < bytes.size() && (static_cast<unsigned char>(bytes[byte]) & 0xC0u) == 0x80u) {
        ++byte;
    }
    return byte;
}

// wrap_line for a line whose characters are all one byte: columns are byte offsets, so a row's
// break is the last space among columns start + 1 .. start + w, found by scanning back from the
// right edge, which usually stops within a word's length instead of reading the whole row.
void wrap_ascii_line(std::size_t line, std::string_view bytes, std::size_t w,
                     std::vector<Row>& out) {
    const std::size_t n = bytes.size();
    std::size_t start = 0;
    while (n - start > w) {
        std::size_t end = start + w;
        for (std::size_t column = start + w; column > start; --column) {
            if (bytes[column] == ' ') {
                // As in wrap_line: the space stays at the end of this row.
                end = column + 1;
                break;
            }
        }
        out.push_back(Row{line, start, end});
        start = end;
    }
    out.push_back(Row{line, start, n});
}

// The rows of one line of n > w characters. Each character is looked at a bounded number of
// times: a row's scan reaches at most w columns past its start, and the part of that window after
// the break holds no space, so the next row's break lies beyond it.
void wrap_line(std::size_t line, std::string_view bytes, std::size_t n, std::size_t w,
               std::vector<Row>& out) {
    if (bytes.size() == n) {
        wrap_ascii_line(line, bytes, w, out);
        return;
    }
    std::size_t start = 0;
    std::size_t start_byte = 0;
    while (n - start > w) {
        // Columns start + 1 .. start + w are the break candidates; start itself never is, so
        // every row holds at least one character.
        std::size_t byte = next_char(bytes, start_byte);
        std::size_t space_column = 0;
        std::size_t space_byte = 0;
        bool found_space = false;
        std::size_t hard_byte = byte;
        for (std::size_t column = start + 1; column <= start + w; ++column) {
            if (bytes[byte] == ' ') {
                found_space = true;
                space_column = column;
                space_byte = byte;
            }
            hard_byte = byte;
            if (column < start + w) byte = next_char(bytes, byte);
        }
        std::size_t end = start + w;
        std::size_t end_byte = hard_byte;
        if (found_space) {
            // The space stays at the end of this row (one past the width when it sits at
            // start + w: that cell is simply not drawn).
            end = space_column + 1;
            end_byte = space_byte + 1;
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
    out.reserve(text.line_count());
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
