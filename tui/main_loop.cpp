#include "tui/main_loop.hpp"

#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <string_view>
#include <variant>
#include <vector>

#include "tui/keys.hpp"
#include "tui/mouse.hpp"

namespace quarn::tui {

namespace {

using term::KeyCode;
using term::KeyEvent;

[[nodiscard]] bool is_letter(const KeyEvent& key, char lower) {
    return key.code == KeyCode::Char &&
           (key.ch == static_cast<char32_t>(lower) || key.ch == static_cast<char32_t>(lower - 32));
}

// The title as it may stand inside the title command: a file name holding BEL, ESC or another
// control character (C0, DEL, C1) must not end the command early or start one of its own.
std::string title_text(std::string_view title) {
    std::string text;
    text.reserve(title.size());
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto byte = static_cast<unsigned char>(title[i]);
        const bool c1 = byte == 0xC2 && i + 1 < title.size() &&
                        static_cast<unsigned char>(title[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(title[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            text += "\xEF\xBF\xBD";  // U+FFFD
            if (c1) ++i;
            continue;
        }
        text += title[i];
    }
    return text;
}

// Failures are ignored: a title is a courtesy, and the next change tries again.
void write_title(int fd, const std::string& title) {
    const std::string bytes = "\x1b]0;" + title_text(title) + "\x07";
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The application shortcuts: they act whatever the tab shows. Returns whether the key was one.
[[nodiscard]] bool handle_app_key(App& app, const KeyEvent& key) {
    const term::Modifiers m = key.mods;
    if (m.alt && key.code == KeyCode::Char) {
        // The drop-down menus (Alt+F, Alt+S, Alt+O) open here once menus exist.
        if (is_letter(key, 'z')) {
            app.options.soft_wrap = !app.options.soft_wrap;
            apply_options(app);
            return true;
        }
    }
    if (m.ctrl && !m.shift && key.code == KeyCode::Char) {
        if (is_letter(key, 't')) {
            new_tab(app);
            return true;
        }
        if (is_letter(key, 'q')) {
            start_quit(app);
            return true;
        }
    }
    if (m.ctrl && m.shift && key.code == KeyCode::Char) {
        if (is_letter(key, 't')) {
            reopen_tab(app);
            return true;
        }
        if (is_letter(key, 'w')) {
            start_quit(app);
            return true;
        }
    }
    const bool page_up = key.code == KeyCode::PageUp;
    const bool page_down = key.code == KeyCode::PageDown;
    if (m.ctrl && m.shift && (page_up || page_down)) {
        page_up ? move_tab_left(app) : move_tab_right(app);
        return true;
    }
    if (m.ctrl && !m.shift && (page_up || page_down)) {
        page_up ? previous_tab(app) : next_tab(app);
        return true;
    }
    return false;
}

void route_key(App& app, const KeyEvent& key) {
    if (app.menu.open) {
        // The open menu takes every key once menus exist; until then it never opens.
        return;
    }
    if (handle_app_key(app, key)) return;
    Editor& editor = app.tab();
    const bool overlay_before = shows_overlay(editor);
    handle_key(editor, key);
    // Test builds check after every command what every command promises of the carets.
    assert(core::carets_are_normal(editor.carets, editor.text().char_count()));
    // Answering an overlay without closing the tab (cancel) stops quitting.
    if (overlay_before && !shows_overlay(editor) && !editor.close_requested) app.quitting = false;
}

void route_mouse(App& app, const term::MouseEvent& mouse, const Hits& hits) {
    const bool left_press =
        mouse.kind == term::MouseKind::Press && mouse.button == term::MouseButton::Left;
    if (left_press) {
        for (const auto& [rect, hit] : hits.menu_hits) {
            if (!rect.contains(mouse.column, mouse.row)) continue;
            (void)hit;  // menu titles and entries act once menus exist
            return;
        }
        if (app.menu.open) {
            app.menu.open = false;
            return;
        }
        for (const auto& [rect, index] : hits.tab_hits) {
            if (rect.contains(mouse.column, mouse.row) && index < app.tabs.size()) {
                app.current = index;
                return;
            }
        }
    }
    Editor& editor = app.tab();
    handle_mouse(editor, mouse, editor.text_area);
}

}  // namespace

void route_event(App& app, const term::Event& event, const Hits& hits) {
    if (app.tabs.empty()) return;
    if (const auto* key = std::get_if<term::KeyEvent>(&event)) {
        route_key(app, *key);
    } else if (const auto* mouse = std::get_if<term::MouseEvent>(&event)) {
        route_mouse(app, *mouse, hits);
    }
    // Paste, resize and focus events are dropped: the next draw picks up a new size.
}

std::expected<void, LoopFailure> run_loop(App& app, toolkit::Terminal& terminal,
                                          term::EventSource& events, int title_fd) {
    std::string last_title;
    Hits hits;
    std::vector<std::string> labels;
    while (!app.tabs.empty()) {
        // Disk changes are polled here once documents are watched.
        const std::string title = app.tab().document.title("quarn");
        if (title != last_title) {
            write_title(title_fd, title);
            last_title = title;
        }
        labels.clear();
        for (const Editor& editor : app.tabs) labels.push_back(tab_label(editor));
        Hits drawn;
        auto draw_result = terminal.draw([&](toolkit::Frame& frame) {
            drawn = render(frame, app.tab(), labels, app.current, app.menu);
        });
        if (!draw_result) return std::unexpected(LoopFailure{"failed to draw terminal"});
        hits = std::move(drawn);

        if (app.quitting && !shows_overlay(app.tab())) request_close(app);

        auto waited = events.wait(event_wait);
        if (!waited) {
            const term::EventError& error = waited.error();
            const char* prefix = error.kind == term::EventErrorKind::Poll
                                     ? "failed to poll events: "
                                     : "failed to read event: ";
            return std::unexpected(LoopFailure{prefix + error.system.message()});
        }
        if (*waited) route_event(app, **waited, hits);

        finish_close(app);
    }
    return {};
}

}  // namespace quarn::tui
