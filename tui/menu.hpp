#pragma once
// The menu actions: what a drop-down entry stands for and what the main loop carries out for it.
// Every value but the last stands alone; SetTabWidth carries the width it sets.

namespace quarn::tui {

enum class ActionKind {
    NewTab,
    ReopenClosedTab,
    Open,
    Save,
    SaveAs,
    Reload,
    CloseTab,
    Quit,
    Find,
    FindAndReplace,
    FindNext,
    FindPrevious,
    GoToLine,
    ToggleWrap,
    SetTabWidth,
};

struct Action {
    ActionKind kind = ActionKind::NewTab;
    unsigned tab_width = 0;  // with SetTabWidth only
    friend bool operator==(const Action&, const Action&) = default;
};

}  // namespace quarn::tui
