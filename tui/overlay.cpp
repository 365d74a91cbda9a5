#include "tui/overlay.hpp"

#include <algorithm>
#include <cstddef>

#include "linecraft/unicode.hpp"
#include "toolkit/rect.hpp"
#include "toolkit/style.hpp"
#include "toolkit/widgets.hpp"
#include "tui/document_commands.hpp"

namespace quarn::tui {
namespace {

using term::KeyCode;
using term::KeyEvent;

[[nodiscard]] constexpr KeyEvent key_of(KeyCode code, char32_t ch = 0) {
    KeyEvent key;
    key.code = code;
    key.ch = ch;
    return key;
}
[[nodiscard]] constexpr KeyEvent char_key(char32_t ch) { return key_of(KeyCode::Char, ch); }
inline constexpr KeyEvent escape_key = key_of(KeyCode::Esc);

// The name in an overlay's title: a file name that is not valid UTF-8 is not shown at all,
// unlike in the tab bar, where it is shown with replacement characters.
[[nodiscard]] std::string overlay_name(const Editor& editor) {
    const auto& path = editor.document.path();
    if (!path) return "Untitled";
    const std::string name = path->filename().string();
    if (name.empty() || !linecraft::is_valid_utf8(name)) return "Untitled";
    return name;
}

[[nodiscard]] std::uint8_t tone(const Editor& editor, Clock::time_point now) {
    if (!editor.overlay_since || now - *editor.overlay_since >= overlay_guard) return 2;
    if (editor.overlay_blocked_at && now - *editor.overlay_blocked_at < overlay_flash) return 1;
    return 0;
}

void close_overlays(Editor& editor) {
    editor.confirm_close = false;
    editor.disk_conflict = false;
    editor.overlay_since.reset();
}

[[nodiscard]] char32_t lower_ascii(char32_t ch) {
    return ch >= U'A' && ch <= U'Z' ? ch - U'A' + U'a' : ch;
}

void answer_close_unsaved(Editor& editor, const KeyEvent& key) {
    if (key.code == KeyCode::Esc) {
        close_overlays(editor);
        return;
    }
    if (key.code != KeyCode::Char) return;
    switch (lower_ascii(key.ch)) {
        case U's':
            close_overlays(editor);
            save(editor);
            // A failed write, an untitled document sent to Save As or a cancelled chooser leave
            // the document modified: the tab stays open and the question does not come back.
            if (!editor.document.modified()) editor.close_requested = true;
            return;
        case U'd':
            close_overlays(editor);
            editor.close_requested = true;
            return;
        default:
            return;
    }
}

[[nodiscard]] std::uint16_t chars(std::string_view text) {
    return toolkit::to_u16(linecraft::utf8_char_count(text));
}

[[nodiscard]] toolkit::Color tone_color(std::uint8_t tone) {
    switch (tone) {
        case 0:
            return toolkit::Palette::DarkGray;
        case 1:
            return toolkit::Palette::Red;
        default:
            return toolkit::Color{};
    }
}

}  // namespace

std::optional<OverlayView> overlay(const Editor& editor, Clock::time_point now) {
    if (editor.confirm_close) {
        return OverlayView{
            .title = "Unsaved changes \u2014 " + overlay_name(editor),
            .options = {{char_key(U's'), "Save & close"},
                        {char_key(U'd'), "Discard & close"},
                        {escape_key, "Cancel"}},
            .tone = tone(editor, now),
        };
    }
    if (editor.disk_conflict) {
        return OverlayView{
            .title = "File changed on disk \u2014 " + overlay_name(editor),
            .options = {{char_key(U'r'), "Reload (discard yours)"},
                        {char_key(U'm'), "Merge (combine both)"},
                        {char_key(U'o'), "Overwrite (keep yours)"},
                        {escape_key, "Cancel"}},
            .tone = tone(editor, now),
        };
    }
    return std::nullopt;
}

void handle_overlay_key(Editor& editor, const KeyEvent& key, Clock::time_point now) {
    if (editor.overlay_since && now - *editor.overlay_since < overlay_guard) {
        editor.overlay_since = now;
        editor.overlay_blocked_at = now;
        return;
    }
    if (editor.confirm_close) {
        answer_close_unsaved(editor, key);
        return;
    }
    // TODO(disk changes): the reload, merge, overwrite and cancel answers of the changed-on-disk
    // overlay belong here; nothing raises that overlay before disk changes are watched.
}

void handle_overlay_key(Editor& editor, const KeyEvent& key) {
    handle_overlay_key(editor, key, Clock::now());
}

std::string key_label(const KeyEvent& key) {
    switch (key.code) {
        case KeyCode::Char:
            return linecraft::encode_utf8(key.ch);
        case KeyCode::Esc:
            return "Esc";
        case KeyCode::Enter:
        case KeyCode::Tab:
        case KeyCode::BackTab:
        case KeyCode::Backspace:
        case KeyCode::Up:
        case KeyCode::Down:
        case KeyCode::Left:
        case KeyCode::Right:
        case KeyCode::Home:
        case KeyCode::End:
        case KeyCode::PageUp:
        case KeyCode::PageDown:
        case KeyCode::Delete:
        case KeyCode::Insert:
        case KeyCode::F:
        case KeyCode::Null:
            return "";
    }
    return "";
}

void draw_overlay(toolkit::Buffer& buffer, Editor& editor, Clock::time_point now) {
    editor.overlay_buttons.clear();
    const std::optional<OverlayView> view = overlay(editor, now);
    if (!view) return;

    std::vector<std::string> rows;
    std::uint16_t option_width = view->options.empty() ? 20 : 0;
    for (const OverlayOption& option : view->options) {
        rows.push_back("[" + key_label(option.key) + "] " + std::string(option.label));
        option_width = std::max(option_width, toolkit::saturating_add(chars(rows.back()), 1));
    }
    const toolkit::Rect frame = buffer.area();
    const std::uint16_t width =
        std::min(toolkit::saturating_add(
                     std::max(option_width, toolkit::saturating_add(chars(view->title), 4)), 2),
                 frame.width);
    const std::uint16_t height = toolkit::to_u16(view->options.size() + 2);
    const toolkit::Rect box = toolkit::intersection(
        toolkit::Rect{
            .x = toolkit::saturating_add(frame.x, toolkit::saturating_sub(frame.width, width) / 2),
            .y =
                toolkit::saturating_add(frame.y, toolkit::saturating_sub(frame.height, height) / 2),
            .width = width,
            .height = height,
        },
        frame);

    const toolkit::Style style{.fg = tone_color(view->tone)};
    toolkit::clear(buffer, box);
    const toolkit::Block block{.title = view->title, .style = style};
    toolkit::render(buffer, box, block);
    const toolkit::Rect inner = block.inner(box);
    toolkit::Paragraph paragraph{.style = style};
    for (const std::string& row : rows) paragraph.lines.push_back({toolkit::Span{.text = row}});
    toolkit::render(buffer, inner, paragraph);

    for (std::size_t i = 0; i < view->options.size() && i < inner.height; ++i) {
        editor.overlay_buttons.push_back(OverlayButton{
            .rect = {inner.x, toolkit::to_u16(inner.y + i), inner.width, 1},
            .key = view->options[i].key,
        });
    }
}

void draw_overlay(toolkit::Frame& frame, Editor& editor) {
    draw_overlay(frame.buffer(), editor, Clock::now());
}

}  // namespace quarn::tui
