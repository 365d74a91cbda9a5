#include "tui/app.hpp"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quarn::tui {

namespace {

void copy_options(const core::Options& options, Editor& editor) {
    editor.tab_width = options.tab_width;
    editor.soft_wrap = options.soft_wrap;
}

void insert_after_current(App& app, Editor editor) {
    const std::size_t at = app.tabs.empty() ? 0 : app.current + 1;
    app.tabs.insert(app.tabs.begin() + static_cast<std::ptrdiff_t>(at), std::move(editor));
    app.current = at;
}

void move_current_to(App& app, std::size_t target) {
    Editor editor = std::move(app.tabs[app.current]);
    app.tabs.erase(app.tabs.begin() + static_cast<std::ptrdiff_t>(app.current));
    app.tabs.insert(app.tabs.begin() + static_cast<std::ptrdiff_t>(target), std::move(editor));
    app.current = target;
}

}  // namespace

App App::create(const std::vector<std::filesystem::path>& paths) {
    App app;
    app.options = core::load_options();
    for (const std::filesystem::path& path : paths) {
        app.tabs.push_back(Editor::create(path, app.options));
    }
    if (app.tabs.empty()) app.tabs.push_back(Editor::create(std::nullopt, app.options));
    return app;
}

void new_tab(App& app) {
    Editor editor = Editor::create(std::nullopt, app.options);
    insert_after_current(app, std::move(editor));
}

void reopen_tab(App& app) {
    if (app.closed_tabs.empty()) return;
    Editor editor = std::move(app.closed_tabs.back());
    app.closed_tabs.pop_back();
    copy_options(app.options, editor);
    editor.confirm_close = false;
    editor.disk_conflict = false;
    editor.help_open = false;
    editor.close_requested = false;
    insert_after_current(app, std::move(editor));
}

void apply_options(App& app) {
    if (auto saved = core::save_options(app.options); !saved && !app.tabs.empty()) {
        app.tab().status = "failed to save options: " + saved.error();
    }
    for (Editor& editor : app.tabs) copy_options(app.options, editor);
}

void previous_tab(App& app) {
    const std::size_t n = app.tabs.size();
    if (n == 0) return;
    app.current = (app.current + n - 1) % n;
}

void next_tab(App& app) {
    const std::size_t n = app.tabs.size();
    if (n == 0) return;
    app.current = (app.current + 1) % n;
}

void move_tab_left(App& app) {
    const std::size_t n = app.tabs.size();
    if (n < 2) return;
    move_current_to(app, (app.current + n - 1) % n);
}

void move_tab_right(App& app) {
    const std::size_t n = app.tabs.size();
    if (n < 2) return;
    move_current_to(app, (app.current + 1) % n);
}

void request_close(App& app) {
    if (!app.tabs.empty()) request_close(app.tab());
}

void finish_close(App& app) {
    if (app.tabs.empty() || !app.tab().close_requested) return;
    Editor editor = std::move(app.tab());
    app.tabs.erase(app.tabs.begin() + static_cast<std::ptrdiff_t>(app.current));
    // The remembered caret position of a tab with a path is stored here once positions exist.
    const bool untitled_empty = !editor.document.path() && editor.text().empty();
    if (!untitled_empty) app.closed_tabs.push_back(std::move(editor));
    app.current = app.tabs.empty() ? 0 : std::min(app.current, app.tabs.size() - 1);
}

void start_quit(App& app) {
    app.quitting = true;
    request_close(app);
}

bool shows_overlay(const Editor& editor) { return editor.confirm_close || editor.disk_conflict; }

}  // namespace quarn::tui
