#pragma once
// Mouse input for a tab: clicks, drags, multi-clicks, Alt+click carets and the wheel. Events
// reach it after the main loop has tried the menu and the tab bar.

#include "term/event.hpp"
#include "toolkit/rect.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// `text_area` is the tab's text area as last drawn.
void handle_mouse(Editor& editor, const term::MouseEvent& event, toolkit::Rect text_area);

}  // namespace quarn::tui
