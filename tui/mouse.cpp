#include "tui/mouse.hpp"

namespace quarn::tui {

// Caret placement, selection by dragging and the wheel arrive with mouse input; until then a
// mouse event in the text area does nothing.
void handle_mouse(Editor&, const term::MouseEvent&, toolkit::Rect) {}

}  // namespace quarn::tui
