#pragma once
// One frame of the editor: menu bar, tab bar (two or more tabs), the current tab's text with its
// gutter, the status row and the hint row, then the boxes on top. Drawing keeps no state between
// frames; what survives is written back into the Editor (text area, viewport) and the click map.
// Cost per frame: proportional to the visible cells, plus the tab's cached screen rows.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "toolkit/rect.hpp"
#include "toolkit/terminal.hpp"
#include "tui/app.hpp"
#include "tui/editor.hpp"
#include "tui/menu.hpp"

namespace quarn::tui {

// A click on a menu title: 0 File, 1 Search, 2 Options.
struct MenuTitle {
    std::size_t index = 0;
    friend bool operator==(const MenuTitle&, const MenuTitle&) = default;
};
// A click on a row of the open drop-down.
struct MenuEntry {
    Action action{};
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};
using Hit = std::variant<MenuTitle, MenuEntry>;

// The click map of one frame. Lists are searched from the first element; the first rectangle
// that holds the point wins. A tab cut off by the bar's right edge has width 0.
struct Hits {
    std::vector<std::pair<toolkit::Rect, std::size_t>> tab_hits;  // (rectangle, tab index)
    std::vector<std::pair<toolkit::Rect, Hit>> menu_hits;         // titles, then drop-down entries
    friend bool operator==(const Hits&, const Hits&) = default;
};

// The hint row's fixed text.
inline constexpr std::string_view hint_text =
    "Ctrl+W Close  Ctrl+S Save  Ctrl+F Find  Ctrl+H Replace  Alt+F Menu  Alt+H Help";

// Draws the whole frame for the current tab `editor`; `tab_labels` holds every tab's label in
// order. Stores the text area in the editor and adjusts its viewport; places the cursor on the
// primary caret when it is in view (otherwise the frame's cursor stays unset, so it is hidden).
[[nodiscard]] Hits render(toolkit::Frame& frame, Editor& editor,
                          const std::vector<std::string>& tab_labels, std::size_t current_tab,
                          const Menu& menu);

}  // namespace quarn::tui
