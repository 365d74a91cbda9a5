#pragma once
// The whole application state: the open tabs (never empty while the program runs), the tabs
// closed during this run, the menu, the options and the quitting flag. `current` always indexes
// `tabs` while there is a tab.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "core/options.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// The drop-down menu state: open flag, menu index (0 File, 1 Search, 2 Options), selected item.
struct Menu {
    bool open = false;
    std::size_t menu = 0;
    std::size_t item = 0;
};

struct App {
    // One tab per path in order, or one untitled tab; options from the options file.
    [[nodiscard]] static App create(const std::vector<std::filesystem::path>& paths);

    [[nodiscard]] Editor& tab() { return tabs[current]; }
    [[nodiscard]] const Editor& tab() const { return tabs[current]; }

    Menu menu;
    std::vector<Editor> tabs;
    std::vector<Editor> closed_tabs;  // a stack: the most recently closed last
    core::Options options;
    std::size_t current = 0;
    bool quitting = false;
};

// A new untitled tab right after the current one, made current.
void new_tab(App& app);
// The most recently closed tab back, right after the current one, made current.
void reopen_tab(App& app);
// Saves the options and copies them into every open tab; a failed save is reported in the
// current tab's status.
void apply_options(App& app);

void previous_tab(App& app);
void next_tab(App& app);
void move_tab_left(App& app);
void move_tab_right(App& app);

// Marks the current tab for removal, or opens the close-unsaved overlay when it has unsaved
// changes.
void request_close(App& app);
// Removes the current tab when it is marked: an untitled empty tab is dropped, any other is kept
// on `closed_tabs`.
void finish_close(App& app);
// Sets the quitting flag and asks the current tab to close.
void start_quit(App& app);

// True while the current tab shows the close-unsaved or the changed-on-disk overlay.
[[nodiscard]] bool shows_overlay(const Editor& editor);

}  // namespace quarn::tui
