#pragma once
// The text rows of a frame: each visible screen row becomes a gutter line and a text line whose
// characters carry their own styles. Decorations are layered in a fixed order of precedence:
// secondary caret, selection, search highlight, bracket pair, then syntax colour and the
// current-line bar. The primary caret is not painted: it is the terminal cursor.
// Work per row is proportional to its visible cells times a binary search per decoration list.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/wrap.hpp"
#include "linecraft/text_line.hpp"
#include "toolkit/style.hpp"
#include "toolkit/widgets.hpp"

namespace quarn::tui {

// The kind of a highlighted stretch of text, in the order of its colour table.
enum class SpanClass : std::uint8_t { Comment, String, Keyword, Type, Number };

// A classified half-open byte range of the document text.
struct SyntaxSpan {
    std::size_t start_byte = 0;
    std::size_t end_byte = 0;
    SpanClass kind = SpanClass::Comment;
    friend bool operator==(const SyntaxSpan&, const SyntaxSpan&) = default;
};

// Half-open character range [first, second).
using CharRange = std::pair<std::size_t, std::size_t>;

// What a frame layers onto the text. Requires of every list: sorted by start, no two entries
// overlapping (what normalised carets, search matches and a tokenizer give). A frame may leave
// out entries that lie wholly outside the visible rows.
struct Decorations {
    std::optional<std::pair<std::size_t, std::size_t>> bracket_pair{};
    std::vector<CharRange> selections{};
    std::vector<CharRange> highlights{};
    std::vector<std::size_t> secondary_carets{};  // character positions, ascending
    std::vector<SyntaxSpan> spans{};
};

// Colours the screen shares with the boxes and bars.
inline constexpr toolkit::Color bar_grey = toolkit::Rgb{50, 50, 50};
inline constexpr toolkit::Color bracket_grey = toolkit::Rgb{100, 100, 100};
[[nodiscard]] toolkit::Color class_color(SpanClass kind);

// Built once per frame; it reads the text and the decorations without owning them, so it must not
// outlive either.
struct RowRenderer {
    const linecraft::TextLine& text;
    const Decorations& decorations;
    std::size_t cursor_line = 0;  // the primary caret's line: it gets the bar grey background
    std::size_t digits = 1;       // decimal digits of the line count
    std::size_t left_column = 0;  // first visible column (non-zero only without wrapping)
    std::size_t width = 1;        // columns of the text area

    // The line number right-aligned to `digits` and a space; blanks on a continuation row.
    [[nodiscard]] toolkit::Line gutter(const core::Row& row) const;
    // The visible characters of the row as runs of equal style, with the end-of-line secondary
    // caret and the current-line fill.
    [[nodiscard]] toolkit::Line row(const core::Row& row) const;

    struct Body {
        std::vector<toolkit::Line> gutter;
        std::vector<toolkit::Line> text;
    };
    // Lines for the rows top_row .. top_row + height - 1 that exist, top to bottom.
    [[nodiscard]] Body body(const std::vector<core::Row>& rows, std::size_t top_row,
                            std::size_t height) const;
};

}  // namespace quarn::tui
