#pragma once
// Commands that keys and menus already reach but whose modules have not been written yet. Each
// is a named no-op here so that the key table is complete; when a command's module lands, its
// declaration moves there and the stub below is deleted.

#include "term/event.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// Which block of lines Alt+Up/Down and their Shift and Ctrl variants move.
enum class SegmentKind { Line, Paragraph, Section };

// Clipboard.
void copy(Editor& editor);
void cut(Editor& editor);
void paste(Editor& editor);

// Line and block commands; `down` false moves up.
void delete_line(Editor& editor);
void move_segment(Editor& editor, SegmentKind kind, bool down);

// Word swap with the next (right) or the previous word.
void swap_word(Editor& editor, bool right);

// Indentation: Shift+Tab and Ctrl+Tab.
void dedent(Editor& editor);

// Word completion: Ctrl+Space opens the popup, Enter/Tab take its selected item.
void open_completion(Editor& editor);
void accept_completion(Editor& editor);

// Search and go to line.
void open_find_prompt(Editor& editor, PromptKind kind);
void jump_to_match(Editor& editor, bool forward);
void open_goto_line_prompt(Editor& editor);

// Files: save as (Ctrl+Shift+S), open (Ctrl+O), reload (Ctrl+Shift+O).
void save_as_dialog(Editor& editor);
void open_dialog(Editor& editor);
void reload_command(Editor& editor);

// Alt+H: opens the help screen at its top.
void open_help(Editor& editor);

// Keys while a prompt is open.
void handle_prompt_key(Editor& editor, const term::KeyEvent& key);

}  // namespace quarn::tui
