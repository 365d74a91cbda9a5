#pragma once
// The application's life after the terminal is set up: one pass draws a frame, advances a
// pending quit and routes at most one terminal event, until no tab is left. The only place the
// loop blocks is the event wait, never longer than `event_wait`, so a pending quit (and later a
// change on disk) is handled even while the user does nothing.

#include <chrono>
#include <string>

#include "term/event.hpp"
#include "term/event_source.hpp"
#include "toolkit/terminal.hpp"
#include "tui/app.hpp"
#include "tui/ui.hpp"

namespace quarn::tui {

inline constexpr std::chrono::milliseconds event_wait{200};

// Hands one event to the menu, the application shortcuts or the current tab. `hits` is the click
// map of the last frame.
void route_event(App& app, const term::Event& event, const Hits& hits);

// A fatal failure of the terminal: the line for standard error (without the line feed).
struct LoopFailure {
    std::string message;
};

// Runs passes until the last tab is gone. Writes the window title to `title_fd` when it changes.
[[nodiscard]] std::expected<void, LoopFailure> run_loop(App& app, toolkit::Terminal& terminal,
                                                        term::EventSource& events, int title_fd);

}  // namespace quarn::tui
