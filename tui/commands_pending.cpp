#include "tui/commands_pending.hpp"

namespace quarn::tui {

// TODO: every body below is empty because its module does not exist yet; each key already
// reaches the right name, so the module only has to take the declaration over.

void copy(Editor&) {}
void cut(Editor&) {}
void paste(Editor&) {}

void delete_line(Editor&) {}
void move_segment(Editor&, SegmentKind, bool) {}

void swap_word(Editor&, bool) {}

void dedent(Editor&) {}

void open_completion(Editor&) {}
void accept_completion(Editor&) {}

void open_find_prompt(Editor&, PromptKind) {}
void jump_to_match(Editor&, bool) {}
void open_goto_line_prompt(Editor&) {}

void save_as_dialog(Editor&) {}
void open_dialog(Editor&) {}
void reload_command(Editor&) {}

// Stays a no-op until the help screen is drawn: with the flag set and nothing on screen, every
// key but Esc would vanish without a trace.
void open_help(Editor&) {}

void handle_prompt_key(Editor&, const term::KeyEvent&) {}

}  // namespace quarn::tui
