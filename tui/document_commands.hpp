#pragma once
// Saving from a tab: Ctrl+S, the Save menu entry, the overwrite answer of the changed-on-disk
// overlay and the save answer of the close-unsaved overlay all end here. Every outcome reaches
// the user through the tab's status row; nothing here asks a question.

#include "core/files.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// Writes the document to its path. Success: "Saved {path}". No path: the Save As command
// starts instead. A failed write: "failed to save: {the system's own reason}" (for example
// "Permission denied"), and the document stays modified.
void save(Editor& editor);

// Saved: "Saved {path}", the path as stored; Cancelled: the status is left alone; Failed: the
// message.
void report_save(Editor& editor, const core::files::SaveOutcome& outcome);

}  // namespace quarn::tui
