#pragma once
// Key dispatch for one tab: which key reaches which command, and in what order the help screen,
// the overlays, the prompt and the editing keys are offered a key. The dispatch keeps no state of
// its own; it reads and sets the tab's flags (help, overlays, prompt, completion popup).
// Application keys (menus, tabs, quitting) are taken by the main loop before a key gets here.

#include "term/event.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// The tab-level entry: drops releases, then help screen, overlays, prompt, and the editing keys
// split by modifiers below.
void handle_key(Editor& editor, const term::KeyEvent& key);

// Keys without Ctrl or Alt. A character (no control character) is typed at every caret.
void handle_plain_key(Editor& editor, const term::KeyEvent& key, bool shift);
void handle_control_key(Editor& editor, const term::KeyEvent& key);
// False when the key has no Ctrl+Shift binding; the caller then offers it to the Ctrl table.
[[nodiscard]] bool handle_control_shift_key(Editor& editor, const term::KeyEvent& key);
void handle_alt_key(Editor& editor, const term::KeyEvent& key);

}  // namespace quarn::tui
