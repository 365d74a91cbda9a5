#include "tui/editor.hpp"

#include <algorithm>

namespace quarn::tui {

namespace {

// The syntax definition for a path's extension; definitions are read once syntax highlighting
// exists, until then no file is coloured.
std::optional<Syntax> choose_syntax(const std::filesystem::path&) { return std::nullopt; }

// The caret position remembered for a path when its tab was last closed, as (line, column);
// nothing is remembered until the position file exists.
std::optional<std::pair<std::size_t, std::size_t>> remembered_position(
    const std::filesystem::path&) {
    return std::nullopt;
}

// A handle on the system clipboard; until clipboard commands exist there is none, and the tab's
// own fallback text serves.
std::optional<ClipboardHandle> open_clipboard() { return std::nullopt; }

}  // namespace

Editor Editor::create(std::optional<std::filesystem::path> path, const core::Options& options) {
    std::optional<Document> document;
    if (path) {
        if (auto opened = Document::open(*path); opened) {
            document.emplace(std::move(*opened));
        } else {
            // A missing, unreadable or non-UTF-8 file still gives a tab: an empty document that
            // saving will write to this path. The file itself is left untouched.
            document.emplace(core::PlainText{});
            document->attach_path(*path);
        }
    } else {
        document.emplace(core::PlainText{});
    }
    Editor editor{.document = std::move(*document)};
    std::size_t position = 0;
    if (path) {
        editor.syntax = choose_syntax(*path);
        if (auto remembered = remembered_position(*path)) {
            position = editor.text().position_of(remembered->first, remembered->second);
        }
    }
    // The completion word list is built from the text once word completion exists.
    editor.carets = {core::primary_caret_at(position)};
    editor.clipboard = open_clipboard();
    editor.tab_width = options.tab_width;
    editor.soft_wrap = options.soft_wrap;
    return editor;
}

void Editor::seal_edit() {
    document.content().carets = carets;
    document.commit();
    last_edit = EditKind::None;
}

void normalize_carets(Editor& editor) { core::normalize_carets(editor.carets); }

void clamp_cursor(Editor& editor) {
    const std::size_t pos = std::min(editor.primary_position(), editor.text().char_count());
    editor.carets = {core::primary_caret_at(pos)};
}

void collapse_to_primary(Editor& editor) {
    editor.seal_edit();
    if (editor.carets.empty()) {
        editor.carets = {core::primary_caret_at(0)};
        return;
    }
    Caret primary = editor.carets[editor.primary_caret()];
    primary.primary = true;
    editor.carets = {primary};
}

void add_caret_vertical(Editor& editor, int delta) {
    editor.seal_edit();
    std::vector<Caret> added = core::carets_added_vertical(editor.text(), editor.carets, delta);
    if (added.empty()) return;
    editor.carets.insert(editor.carets.end(), added.begin(), added.end());
    core::normalize_carets(editor.carets);
}

void select_all(Editor& editor) {
    editor.seal_edit();
    editor.carets = {Caret{editor.text().char_count(), 0, std::nullopt, true}};
}

void select_line(Editor& editor) {
    editor.seal_edit();
    for (Caret& caret : editor.carets) core::select_line_for(editor.text(), caret);
    core::normalize_carets(editor.carets);
}

std::string tab_label(const Editor& editor) {
    const std::string name = scrivlet::display_name(editor.document.path());
    return editor.document.modified() ? "*" + name : name;
}

void request_close(Editor& editor) {
    if (editor.document.modified()) {
        editor.confirm_close = true;
    } else {
        editor.close_requested = true;
    }
}

}  // namespace quarn::tui
