#pragma once
// Caret movement and the viewport. Every movement seals the edit group first, moves every caret,
// then normalises the carets and hides the completion popup. Vertical movement works on screen
// rows (soft wrapping), and the view follows the primary caret.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/wrap.hpp"
#include "toolkit/rect.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

void move_horizontal(Editor& editor, bool backward, bool by_word, bool extend);
void move_vertical(Editor& editor, std::ptrdiff_t delta, bool extend);
void move_page(Editor& editor, std::ptrdiff_t delta, bool extend);
void move_row_start(Editor& editor, bool extend);  // Home
void move_row_end(Editor& editor, bool extend);    // End
void move_document_start(Editor& editor, bool extend);
void move_document_end(Editor& editor, bool extend);

// Called by the renderer every frame with the size of the text area.
void set_viewport(Editor& editor, std::size_t width, std::size_t height);

// The screen rows of the tab's text for its `text_width` and `soft_wrap`. The reference lives
// until the next change of the text, width or wrap flag.
[[nodiscard]] const std::vector<core::Row>& rows(Editor& editor);

// The character position under a screen cell of `area`, nothing outside it.
[[nodiscard]] std::optional<std::size_t> cursor_at_screen(Editor& editor, std::uint16_t column,
                                                          std::uint16_t row, toolkit::Rect area);

}  // namespace quarn::tui
