#include "tui/movement.hpp"

#include <algorithm>
#include <limits>

#include "linecraft/selection.hpp"
#include "linecraft/text_line.hpp"

namespace quarn::tui {
namespace {

using linecraft::TextLine;

// Every movement opens the same way, so that a following edit starts a new undo step.
void begin_move(Editor& editor) { editor.seal_edit(); }

void end_move(Editor& editor) {
    normalize_carets(editor);
    editor.completion.visible = false;
}

// The extension rule: with extend an existing anchor stays and a missing one is dropped at the
// old position; without extend the caret ends without an anchor.
void place(Caret& caret, std::size_t position, bool extend) {
    if (extend) {
        if (!caret.anchor) caret.anchor = caret.position;
    } else {
        caret.anchor.reset();
    }
    caret.position = position;
}

struct LineColumn {
    std::size_t line = 0;
    std::size_t column = 0;
};

[[nodiscard]] LineColumn line_column(const TextLine& text, std::size_t position) {
    const std::size_t pos = std::min(position, text.char_count());
    const std::size_t line = text.line_of(pos);
    return {line, pos - text.position_of(line, 0)};
}

// (row index, column within the row) of a position.
[[nodiscard]] std::pair<std::size_t, std::size_t> row_of(const std::vector<core::Row>& screen_rows,
                                                         const TextLine& text,
                                                         std::size_t position) {
    const LineColumn at = line_column(text, position);
    return core::locate(screen_rows, at.line, at.column);
}

[[nodiscard]] std::size_t saturating_add(std::size_t a, std::size_t b) {
    return a > std::numeric_limits<std::size_t>::max() - b ? std::numeric_limits<std::size_t>::max()
                                                           : a + b;
}

[[nodiscard]] std::size_t saturating_sub(std::size_t a, std::size_t b) { return a > b ? a - b : 0; }

[[nodiscard]] std::size_t magnitude(std::ptrdiff_t delta) {
    return delta < 0 ? static_cast<std::size_t>(-(delta + 1)) + 1 : static_cast<std::size_t>(delta);
}

}  // namespace

void move_horizontal(Editor& editor, bool backward, bool by_word, bool extend) {
    begin_move(editor);
    const TextLine& text = editor.text();
    const std::size_t count = text.char_count();
    for (Caret& caret : editor.carets) {
        caret.goal_column.reset();
        caret.position = std::min(caret.position, count);
        if (!extend && caret.has_selection()) {
            // A selection collapses to the side the key points at, by character or by word.
            caret.position = backward ? caret.start() : caret.end();
            caret.anchor.reset();
            continue;
        }
        if (by_word && extend) {
            if (backward) {
                (void)linecraft::select_backward_skip(text, caret.position, caret.anchor);
            } else {
                (void)linecraft::select_forward_skip(text, caret.position, caret.anchor);
            }
            continue;
        }
        std::size_t position = caret.position;
        if (by_word) {
            // Whether a word was crossed does not matter: the caret goes where the skip ends.
            if (backward) {
                (void)linecraft::skip_backward(text, position);
            } else {
                (void)linecraft::skip_forward(text, position);
            }
        } else if (backward) {
            position = position > 0 ? position - 1 : 0;
        } else {
            position = std::min(position + 1, count);
        }
        place(caret, position, extend);
    }
    end_move(editor);
}

void move_vertical(Editor& editor, std::ptrdiff_t delta, bool extend) {
    begin_move(editor);
    const std::vector<core::Row>& screen_rows = rows(editor);
    const TextLine& text = editor.text();
    const std::size_t last_row = screen_rows.empty() ? 0 : screen_rows.size() - 1;
    for (Caret& caret : editor.carets) {
        const auto [row, offset] = row_of(screen_rows, text, caret.position);
        const std::size_t goal = caret.goal_column.value_or(offset);
        // Beyond the first row the caret goes to the start of the text, beyond the last to its end.
        std::size_t position = 0;
        if (delta < 0 && magnitude(delta) > row) {
            position = 0;
        } else if (delta >= 0 && saturating_add(row, magnitude(delta)) > last_row) {
            position = text.char_count();
        } else {
            const std::size_t target = delta < 0 ? row - magnitude(delta) : row + magnitude(delta);
            if (target == row) continue;
            const core::Row& to = screen_rows[target];
            position = text.position_of(to.line, to.start + std::min(to.end - to.start, goal));
        }
        place(caret, position, extend);
        caret.goal_column = goal;
    }
    end_move(editor);
}

void move_page(Editor& editor, std::ptrdiff_t delta, bool extend) {
    const std::size_t old_row =
        row_of(rows(editor), editor.text(), editor.primary_position()).first;
    move_vertical(editor, delta, extend);
    const std::vector<core::Row>& screen_rows = rows(editor);
    const std::size_t new_row = row_of(screen_rows, editor.text(), editor.primary_position()).first;
    if (new_row == old_row) return;
    // The view scrolls with the caret, but never further than the position that shows the last
    // row at the bottom.
    const std::size_t scrolled = new_row > old_row
                                     ? saturating_add(editor.top_row, new_row - old_row)
                                     : saturating_sub(editor.top_row, old_row - new_row);
    const std::size_t lowest_top =
        screen_rows.size() > editor.text_height ? screen_rows.size() - editor.text_height : 0;
    editor.top_row = std::min(scrolled, lowest_top);
}

void move_row_start(Editor& editor, bool extend) {
    begin_move(editor);
    const std::vector<core::Row>& screen_rows = rows(editor);
    const TextLine& text = editor.text();
    for (Caret& caret : editor.carets) {
        const LineColumn at = line_column(text, caret.position);
        const std::size_t row = core::locate(screen_rows, at.line, at.column).first;
        if (row >= screen_rows.size()) continue;
        place(caret, text.position_of(at.line, 0) + screen_rows[row].start, extend);
        caret.goal_column.reset();
    }
    end_move(editor);
}

void move_row_end(Editor& editor, bool extend) {
    begin_move(editor);
    const std::vector<core::Row>& screen_rows = rows(editor);
    const TextLine& text = editor.text();
    for (Caret& caret : editor.carets) {
        const LineColumn at = line_column(text, caret.position);
        const std::size_t row = core::locate(screen_rows, at.line, at.column).first;
        if (row >= screen_rows.size() || at.line >= text.line_count()) continue;
        const std::size_t column = core::visible_end(text, screen_rows[row]);
        place(caret, text.position_of(at.line, 0) + column, extend);
        caret.goal_column.reset();
    }
    end_move(editor);
}

void move_document_start(Editor& editor, bool extend) {
    begin_move(editor);
    for (Caret& caret : editor.carets) {
        place(caret, 0, extend);
        caret.goal_column.reset();
    }
    end_move(editor);
}

void move_document_end(Editor& editor, bool extend) {
    begin_move(editor);
    const std::size_t count = editor.text().char_count();
    for (Caret& caret : editor.carets) {
        place(caret, count, extend);
        caret.goal_column.reset();
    }
    end_move(editor);
}

void set_viewport(Editor& editor, std::size_t width, std::size_t height) {
    editor.text_width = std::max<std::size_t>(width, 1);
    editor.text_height = std::max<std::size_t>(height, 1);
    if (editor.soft_wrap) editor.left_column = 0;
    const TextLine& text = editor.text();
    const LineColumn at = line_column(text, editor.primary_position());
    // A view scrolled by the wheel stays where it is until the caret moves.
    if (std::pair{at.line, at.column} == editor.last_cursor) return;
    editor.last_cursor = {at.line, at.column};
    const auto [row, offset] = core::locate(rows(editor), at.line, at.column);

    const std::size_t h = editor.text_height;
    if (row < editor.top_row) {
        editor.top_row = row;  // moving up puts the caret on the top row
    } else {
        const std::size_t margin = std::min<std::size_t>(3, (h - 1) / 2);
        if (row + margin >= editor.top_row + h) editor.top_row = row + margin - h + 1;
    }
    if (!editor.soft_wrap) {
        const std::size_t w = editor.text_width;
        if (offset < editor.left_column) editor.left_column = offset;
        if (offset >= editor.left_column + w) editor.left_column = offset - w + 1;
    }
}

const std::vector<core::Row>& rows(Editor& editor) {
    RowsCache& cache = editor.rows_cache;
    const TextLine& text = editor.text();
    // Without wrapping the width plays no part: a resize must not cost a pass over the text.
    const std::size_t width = editor.soft_wrap ? editor.text_width : 0;
    if (!cache.valid || cache.revision != text.revision() || cache.width != width ||
        cache.soft_wrap != editor.soft_wrap) {
        cache.rows = core::rows(text, editor.text_width, editor.soft_wrap);
        cache.revision = text.revision();
        cache.width = width;
        cache.soft_wrap = editor.soft_wrap;
        cache.valid = true;
    }
    return cache.rows;
}

std::optional<std::size_t> cursor_at_screen(Editor& editor, std::uint16_t column, std::uint16_t row,
                                            toolkit::Rect area) {
    if (!area.contains(column, row)) return std::nullopt;
    const std::vector<core::Row>& screen_rows = rows(editor);
    if (screen_rows.empty()) return std::nullopt;
    const std::size_t index =
        std::min(saturating_add(editor.top_row, static_cast<std::size_t>(row - area.y)),
                 screen_rows.size() - 1);
    const core::Row& at = screen_rows[index];
    const std::size_t line_column_at =
        std::min(at.end, saturating_add(saturating_add(at.start, editor.left_column),
                                        static_cast<std::size_t>(column - area.x)));
    return editor.text().position_of(at.line, line_column_at);
}

}  // namespace quarn::tui
