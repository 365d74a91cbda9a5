#pragma once
// Insertion and single-step removal at a caret position. All positions are character indices;
// an in-out position is read and updated. None of these fails: callers keep to the Requires.

#include <cstddef>
#include <string_view>

#include "linecraft/text_line.hpp"

namespace quarn::linecraft {

// Inserts s at pos and advances pos by the characters inserted. Requires: pos <= char_count().
// Cost: as TextLine::insert.
void insert_str(TextLine& text, std::size_t& pos, std::string_view s);
// Removes and returns the character at index. Requires: index < char_count() (in release: returns
// U+0000 and changes nothing). Cost: as TextLine::remove_range.
char32_t remove(TextLine& text, std::size_t index);
// Removes start..end (end excluded). Requires: start <= end <= char_count().
void remove_range(TextLine& text, std::size_t start, std::size_t end);
// Removes the character after pos when there is one; pos does not change.
[[nodiscard]] bool remove_forward(TextLine& text, std::size_t pos);
// Removes the character before pos when there is one and moves pos back over it.
[[nodiscard]] bool remove_backward(TextLine& text, std::size_t& pos);
// Removes pos..(pos moved by skip_forward) when that is not empty; pos does not change.
[[nodiscard]] bool remove_forward_skip(TextLine& text, std::size_t pos);
// Moves pos by skip_backward and removes what it crossed, when anything.
[[nodiscard]] bool remove_backward_skip(TextLine& text, std::size_t& pos);

}  // namespace quarn::linecraft
