#pragma once
// The multi-caret edit framework and the basic edits built on it. Every change of a tab's text
// goes through edit_each or edit_each_line: carets are handled from the end of the text
// backwards, so an operation never shifts text before a caret still to be handled, and the carets
// already handled are shifted by each change in length.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/caret.hpp"
#include "core/edits.hpp"
#include "linecraft/text_line.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// Opens a new undo step, or continues the current one for consecutive typing.
void begin_edit(Editor& editor, EditKind kind);

// Runs `op` once per caret, from the last caret in the text to the first.
using CaretOp = std::function<void(linecraft::TextLine& text, std::size_t& position,
                                   std::optional<std::size_t>& anchor)>;
void edit_each(Editor& editor, const CaretOp& op);

// Runs `op` once per line that holds a caret (carets whose selections start on one line share
// one run). `op` answers with a local edit and the caret's new position rather than a new whole
// text, so a line edit costs what an insertion costs, not a copy of the document.
using LineOp = std::function<core::TextEdit(const linecraft::TextLine& text, std::size_t position)>;
void edit_each_line(Editor& editor, const LineOp& op);

// begin_edit, normalise, the framework, then the common finish.
void apply_text_op(Editor& editor, EditKind kind, const CaretOp& op);
void apply_line_text_op(Editor& editor, EditKind kind, const LineOp& op);

void insert_text_all(Editor& editor, std::string_view text, EditKind kind);
void delete_backward(Editor& editor);
void delete_forward(Editor& editor);
void delete_backward_word(Editor& editor);
void delete_forward_word(Editor& editor);
// Enter: a line break at each caret, repeating the line's leading spaces and tabs.
void insert_newline(Editor& editor);
// Tab: each line holding a caret indented once by the tab width.
void indent(Editor& editor);

void undo(Editor& editor);
void redo(Editor& editor);

}  // namespace quarn::tui
