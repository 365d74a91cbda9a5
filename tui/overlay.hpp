#pragma once
// The modal overlays of a tab, the choice dialogs that take every key while they show: the
// close-unsaved question (save, discard or cancel) and the changed-on-disk question. An overlay
// has no selected or default choice: only its listed keys (or a click on a choice) act.
// A key guard keeps the keys typed just before an overlay appeared from answering it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "term/event.hpp"
#include "toolkit/buffer.hpp"
#include "toolkit/terminal.hpp"
#include "tui/editor.hpp"

namespace quarn::tui {

// How long after the overlay appeared (or after the last swallowed key) keys are swallowed, and
// how long a swallowed key makes the overlay flash.
inline constexpr std::chrono::milliseconds overlay_guard{500};
inline constexpr std::chrono::milliseconds overlay_flash{300};

struct OverlayOption {
    term::KeyEvent key;  // a character key or Escape
    std::string_view label;
};

// What the screen draws of the open overlay. Tone: 0 while the guard swallows keys, 1 for a
// short flash after a swallowed key, 2 otherwise.
struct OverlayView {
    std::string title;
    std::vector<OverlayOption> options;
    std::uint8_t tone = 2;
};

// The close-unsaved overlay while `confirm_close` is set, else the changed-on-disk overlay while
// `disk_conflict` is set, else none.
[[nodiscard]] std::optional<OverlayView> overlay(const Editor& editor, Clock::time_point now);

// A key while an overlay shows; only the key code counts, modifiers are ignored. Within the guard
// the key is swallowed and restarts it. Close-unsaved: s saves and closes when the document is
// clean afterwards, d discards and closes, Escape cancels; any answer closes both overlays.
void handle_overlay_key(Editor& editor, const term::KeyEvent& key, Clock::time_point now);
void handle_overlay_key(Editor& editor, const term::KeyEvent& key);

// A key as an overlay shows it: the character itself, "Esc", or "" for any other key.
[[nodiscard]] std::string key_label(const term::KeyEvent& key);

// Draws the open overlay centred on the buffer's area, one "[key] label" row per choice, and
// replaces `overlay_buttons` with the rectangle of each row drawn (emptied without an overlay).
void draw_overlay(toolkit::Buffer& buffer, Editor& editor, Clock::time_point now);
void draw_overlay(toolkit::Frame& frame, Editor& editor);

}  // namespace quarn::tui
