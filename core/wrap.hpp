#pragma once
// Soft wrapping: the mapping from logical lines to screen rows. Columns count characters; there
// is no display width. Every line has at least one row; the rows of a line are contiguous and
// cover it exactly; a row holds at most `width` characters, plus one when that extra last
// character is a space.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "linecraft/text_line.hpp"

namespace quarn::core {

struct Row {
    std::size_t line = 0;
    std::size_t start = 0;  // first column of the line on this row
    std::size_t end = 0;    // column after the last one on this row
    friend bool operator==(const Row&, const Row&) = default;
};

// The rows of every line of `text` for a wrap width (0 counts as 1). Cost: O(lines) without
// wrapping, O(characters) with it.
[[nodiscard]] std::vector<Row> rows(const linecraft::TextLine& text, std::size_t width,
                                    bool soft_wrap);

// (row index, column within that row) of a line and column; see the implementation for the
// rules at row breaks and past the end of a line.
[[nodiscard]] std::pair<std::size_t, std::size_t> locate(const std::vector<Row>& rows,
                                                         std::size_t line, std::size_t column);

// Where the End key stops on `row` of its line: before the trailing space a break left on the
// row, or the true line end on the line's last row.
[[nodiscard]] std::size_t visible_end(const linecraft::TextLine& text, const Row& row);

}  // namespace quarn::core
