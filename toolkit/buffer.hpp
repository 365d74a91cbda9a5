#pragma once
// A grid of cells covering one rectangle of the screen, and the cell diff between two frames.
// Every character a Buffer paints takes exactly one column: text goes through `display_char`, so
// no control character reaches a cell through `set_string`, and no character that a terminal
// draws two cells wide or zero cells wide can shift the rest of a row.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/rect.hpp"
#include "toolkit/style.hpp"

namespace quarn::toolkit {

struct Cell {
    char32_t symbol = U' ';
    Style style{};
    friend bool operator==(const Cell&, const Cell&) = default;
};

// The character painted in place of `c`: `c` itself when every terminal draws it in one cell,
// otherwise a one-column substitute:
//   C0 controls U+0000..U+001F (tab too) -> the control pictures U+2400..U+241F ("␉" for tab);
//   DEL -> U+2421 "␡"; C1 controls, surrogates, values past U+10FFFF -> U+FFFD "�";
//   East Asian Wide or Fullwidth, emoji presentation, regional indicators -> U+FFFD;
//   zero-width characters (combining marks, format characters such as ZWJ and the bidi
//   controls, line and paragraph separators, Hangul medial and final jamo) -> U+FFFD.
// East Asian Ambiguous characters ("…", "─", "↑") are kept; the writer repositions the cursor
// after every non-ASCII cell so that a terminal drawing them wide cannot shift the row.
[[nodiscard]] char32_t display_char(char32_t c);

class Buffer {
public:
    Buffer() = default;
    explicit Buffer(Rect area);

    [[nodiscard]] Rect area() const { return area_; }

    // Requires: area().contains(x, y). Coordinates are screen coordinates, not area-relative.
    [[nodiscard]] Cell& cell(std::uint16_t x, std::uint16_t y);
    [[nodiscard]] const Cell& cell(std::uint16_t x, std::uint16_t y) const;
    [[nodiscard]] const std::vector<Cell>& cells() const { return cells_; }  // row by row

    // Paints the UTF-8 `text` from (x, y) rightwards, one character per column, at most
    // `max_width` columns and never past the buffer's right edge; `style` is patched over each
    // painted cell's style. Invalid UTF-8 paints U+FFFD per maximal bad sequence. Returns the
    // columns used (0 when (x, y) lies outside the buffer).
    std::uint16_t set_string(std::uint16_t x, std::uint16_t y, std::string_view text, Style style,
                             std::uint16_t max_width = 0xFFFF);
    // Patches `style` over the cells of `rect` clipped to the buffer.
    void set_style(Rect rect, Style style);
    // Sets every cell of `rect` clipped to the buffer to `cell`.
    void fill(Rect rect, Cell cell);
    // Every cell blank: a space with default colours.
    void reset();
    // Takes a new area; every cell is blank afterwards. Reuses the storage when it is large enough.
    void resize(Rect area);

private:
    [[nodiscard]] std::size_t index_of(std::uint16_t x, std::uint16_t y) const;

    Rect area_;
    std::vector<Cell> cells_;
};

struct CellUpdate {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    Cell cell{};
    friend bool operator==(const CellUpdate&, const CellUpdate&) = default;
};

// The cells of `next` that differ from `prev`, in row order, appended to `out` after clearing it
// (the vector's storage is reused from frame to frame). Requires: prev.area() == next.area().
// Cost: linear in the area.
void diff(const Buffer& prev, const Buffer& next, std::vector<CellUpdate>& out);
[[nodiscard]] std::vector<CellUpdate> diff(const Buffer& prev, const Buffer& next);

// The rows of the buffer as UTF-8 strings, styles dropped: how tests write expected screens.
[[nodiscard]] std::vector<std::string> to_rows(const Buffer& buffer);
// Appends `c` as UTF-8 (U+FFFD for a surrogate or a value past U+10FFFF).
void append_utf8(std::string& out, char32_t c);

}  // namespace quarn::toolkit
