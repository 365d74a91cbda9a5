#pragma once
// Indentation and line breaks as pure text functions. Each answers with a local edit (a range of
// the text and its replacement) rather than a new whole text, so that applying it costs what the
// text buffer's insertion costs, not a copy of the document. Applying the edit gives exactly the
// text and caret position the whole-text description calls for.

#include <cstddef>
#include <string>

#include "linecraft/text_line.hpp"

namespace quarn::core {

// Replace the characters start..end (end excluded) by `text`; the caret that asked for the edit
// then stands at `position` (a position in the edited text).
struct TextEdit {
    std::size_t start = 0;
    std::size_t end = 0;
    std::string text;
    std::size_t position = 0;

    friend bool operator==(const TextEdit&, const TextEdit&) = default;
};

// Applies `edit` and returns its new caret position. Requires: start <= end <= char_count().
// Cost: as TextLine::replace_range.
std::size_t apply_edit(linecraft::TextLine& text, const TextEdit& edit);

// `width` spaces inserted at the start of the position's line; the position moves right by width
// wherever it stood in the line. Only spaces, never a tab. Requires: position <= char_count().
// Cost: O(log lines + width).
[[nodiscard]] TextEdit indent_line(const linecraft::TextLine& text, std::size_t position,
                                   std::size_t width);

// A line feed followed by the position's line's leading spaces and tabs (all of them, even when
// the position lies inside them) inserted at the position, which ends after the inserted
// indentation. Requires: position <= char_count(). Cost: O(log lines + indentation).
[[nodiscard]] TextEdit newline_indent(const linecraft::TextLine& text, std::size_t position);

}  // namespace quarn::core
