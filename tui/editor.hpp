#pragma once
// One tab: its document, live carets and every per-tab state the commands and the screen share.
// Invariant of `carets` after every command other than undo and redo: non-empty, sorted by
// (start, end), no overlaps (touching only between two non-empty selections), one primary.
// Commands are free functions over `Editor&` in their own modules (editing, movement, keys, ui).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/caret.hpp"
#include "core/options.hpp"
#include "core/plain_text.hpp"
#include "core/wrap.hpp"
#include "scrivlet/document.hpp"
#include "term/event.hpp"
#include "toolkit/rect.hpp"

namespace quarn::tui {

using core::Caret;
using Document = scrivlet::Document<core::PlainText>;
using Clock = std::chrono::steady_clock;

// Consecutive Typing edits share one undo step; any other edit is a step of its own; None means
// the group was sealed by a movement, selection or click.
enum class EditKind { Typing, Edit, None };

// The word-completion popup. Filled in by word completion; until then it stays hidden.
struct Completion {
    std::vector<std::string> items;
    std::size_t selected = 0;
    bool visible = false;
    bool dismissed = false;
    [[nodiscard]] bool active() const { return visible && !items.empty(); }
};

// The kinds of the tab's prompt box; its fields and keys come with the prompt itself.
enum class PromptKind { GoToLine, Find, Replace, Open, SaveAs };
struct InputPrompt {
    PromptKind kind = PromptKind::GoToLine;
    std::string input{};
};

// A loaded syntax definition; filled in by syntax highlighting.
struct Syntax {
    std::string name;
};

// A handle on the system clipboard; filled in by the clipboard commands.
struct ClipboardHandle {};

// A choice of the open overlay as last drawn, with the key that chooses it.
struct OverlayButton {
    toolkit::Rect rect;
    term::KeyEvent key;
};

// A completion popup row as last drawn, with the item it stands for.
struct CompletionHit {
    toolkit::Rect rect;
    std::size_t item = 0;
};

// The screen rows of the tab's text as last computed, kept while the text (by its revision), the
// wrap width and the wrap flag stay the same. Only `rows(Editor&)` (movement) reads or fills it.
struct RowsCache {
    bool valid = false;
    std::uint64_t revision = 0;
    std::size_t width = 0;  // 0 without wrapping: the width does not matter then
    bool soft_wrap = false;
    std::vector<core::Row> rows{};
};

struct Editor {
    // Opens the file at `path` (strict UTF-8); a file that cannot be opened for any reason gives
    // an empty document bound to the path, without a message. No path: an untitled document.
    [[nodiscard]] static Editor create(std::optional<std::filesystem::path> path,
                                       const core::Options& options = core::Options{});

    // The caret the view follows: the first flagged primary, else the first. Requires: nothing
    // (an empty list answers 0).
    [[nodiscard]] std::size_t primary_caret() const { return core::primary_index(carets); }
    // Position of the primary caret; 0 without carets.
    [[nodiscard]] std::size_t primary_position() const {
        return carets.empty() ? 0 : carets[primary_caret()].position;
    }
    [[nodiscard]] const linecraft::TextLine& text() const { return document.content().text; }

    // Stores the carets in the content, commits the document and ends the current undo group.
    // Every movement, selection and caret command starts with it.
    void seal_edit();

    Document document;
    std::vector<Caret> carets{core::primary_caret_at(0)};
    std::vector<std::pair<std::string, std::size_t>> words{};
    Completion completion{};
    std::vector<OverlayButton> overlay_buttons{};
    std::vector<CompletionHit> completion_hits{};
    std::string fallback_clipboard{};
    std::optional<std::string> status{};
    std::optional<InputPrompt> prompt{};
    std::optional<std::string> last_search{};
    std::optional<std::vector<Caret>> saved_carets{};
    std::optional<std::pair<std::size_t, std::size_t>> saved_scroll{};  // (top row, left column)
    std::optional<Syntax> syntax{};
    std::optional<Clock::time_point> last_click_time{};
    std::size_t last_click_position = 0;
    std::uint8_t click_count = 0;
    std::optional<Clock::time_point> overlay_since{};
    std::optional<Clock::time_point> overlay_blocked_at{};
    unsigned tab_width = 4;
    bool soft_wrap = true;
    std::size_t top_row = 0;
    std::size_t left_column = 0;
    std::pair<std::size_t, std::size_t> last_cursor{0, 0};  // (line, column)
    std::size_t text_width = 1;
    std::size_t text_height = 1;
    toolkit::Rect text_area{};
    std::size_t help_scroll = 0;
    std::optional<ClipboardHandle> clipboard{};
    bool confirm_close = false;
    bool disk_conflict = false;
    bool help_open = false;
    bool close_requested = false;
    EditKind last_edit = EditKind::None;
    RowsCache rows_cache{};
};

// --- The caret commands (each seals the edit group first and leaves the carets normalised) ---

void normalize_carets(Editor& editor);
// One caret at min(primary position, character count), for text replaced underneath the editor.
void clamp_cursor(Editor& editor);
// Keeps only the primary caret, unchanged.
void collapse_to_primary(Editor& editor);
// Adds a caret above (-1) or below (+1) every caret, at the goal column when it fits.
void add_caret_vertical(Editor& editor, int delta);
void select_all(Editor& editor);
void select_line(Editor& editor);

// The tab bar's text: the file name (invalid UTF-8 shown as U+FFFD) or "Untitled", with "*" in
// front while the document has unsaved changes.
[[nodiscard]] std::string tab_label(const Editor& editor);

// Ctrl+W and the close step of quitting: marks the tab for removal, or opens the close-unsaved
// overlay when it has unsaved changes.
void request_close(Editor& editor);

}  // namespace quarn::tui
