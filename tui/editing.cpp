#include "tui/editing.hpp"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <vector>

#include "linecraft/editing.hpp"
#include "linecraft/selection.hpp"

namespace quarn::tui {
namespace {

using linecraft::TextLine;

// TODO(completion): the completion word list is rebuilt from the new text here once word
// completion exists; every edit and undo step already calls it once (not once per caret).
void rebuild_words(Editor& editor) { (void)editor; }

void hide_completion(Editor& editor) { editor.completion.visible = false; }

// TODO(completion): shows the candidates for the word at the caret once word completion exists;
// until then there is nothing to show.
void refresh_completion(Editor& editor) { hide_completion(editor); }

// The shift that a run of later edits applies to a caret handled earlier: x ↦ max(x + add, floor).
// Each edit maps x to max(x + delta, 0); composing those maps keeps this form, so every handled
// caret can be shifted once at the end, exactly as if it had been shifted after each edit, in
// linear time for any number of carets.
struct Shift {
    std::ptrdiff_t add = 0;
    std::ptrdiff_t floor = 0;

    [[nodiscard]] std::size_t apply(std::size_t value) const {
        return static_cast<std::size_t>(std::max(static_cast<std::ptrdiff_t>(value) + add, floor));
    }
    // This shift after one more edit of `delta` that runs before it.
    [[nodiscard]] Shift after_edit(std::ptrdiff_t delta) const {
        return Shift{delta + add, std::max(add, floor)};
    }
};

void shift_caret(Caret& caret, const Shift& shift) {
    caret.position = shift.apply(caret.position);
    if (caret.anchor) caret.anchor = shift.apply(*caret.anchor);
}

[[nodiscard]] std::ptrdiff_t size_delta(std::size_t before, std::size_t after) {
    return static_cast<std::ptrdiff_t>(after) - static_cast<std::ptrdiff_t>(before);
}

// Shifts every caret in `handled` (in the order it was handled) by the edits that came after it;
// deltas[i] is what handling handled[i] itself changed.
void shift_handled(std::vector<Caret>& carets, const std::vector<std::size_t>& handled,
                   const std::vector<std::ptrdiff_t>& deltas) {
    Shift shift;
    for (std::size_t i = handled.size(); i-- > 0;) {
        shift_caret(carets[handled[i]], shift);
        shift = shift.after_edit(deltas[i]);
    }
}

// Caret indices ordered by start; stable, so equal starts keep the list order.
[[nodiscard]] std::vector<std::size_t> order_by_start(const std::vector<Caret>& carets) {
    std::vector<std::size_t> order(carets.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return carets[a].start() < carets[b].start();
    });
    return order;
}

// The common finish of every edit.
void finish_edit(Editor& editor) {
    rebuild_words(editor);
    core::normalize_carets(editor.carets);
    for (Caret& caret : editor.carets) caret.goal_column.reset();
    hide_completion(editor);
}

// Carets restored from a snapshot belong to that snapshot's text, but a snapshot committed
// without fresh carets (a save in the middle of a group) could hold stale ones: clamping keeps
// every position inside the text whatever the history holds.
void restore_carets(Editor& editor, std::vector<Caret> carets) {
    if (carets.empty()) carets.push_back(core::primary_caret_at(0));
    const std::size_t count = editor.text().char_count();
    for (Caret& caret : carets) {
        caret.position = std::min(caret.position, count);
        if (caret.anchor) caret.anchor = std::min(*caret.anchor, count);
    }
    core::repair_primary(carets);
    editor.carets = std::move(carets);
    hide_completion(editor);
    rebuild_words(editor);
}

}  // namespace

void begin_edit(Editor& editor, EditKind kind) {
    editor.status.reset();
    if (kind == EditKind::Typing && editor.last_edit == EditKind::Typing) return;
    editor.document.content().carets = editor.carets;
    editor.document.commit();
    editor.document.content().carets_before = editor.carets;
    editor.last_edit = kind;
}

void edit_each(Editor& editor, const CaretOp& op) {
    std::vector<Caret> carets = std::move(editor.carets);
    const std::vector<std::size_t> order = order_by_start(carets);
    editor.document.mark_pending();
    TextLine& text = editor.document.content().text;
    std::vector<std::size_t> handled;
    std::vector<std::ptrdiff_t> deltas;
    handled.reserve(order.size());
    deltas.reserve(order.size());
    for (std::size_t i = order.size(); i-- > 0;) {
        Caret& caret = carets[order[i]];
        const std::size_t before = text.char_count();
        op(text, caret.position, caret.anchor);
        handled.push_back(order[i]);
        deltas.push_back(size_delta(before, text.char_count()));
    }
    shift_handled(carets, handled, deltas);
    editor.carets = std::move(carets);
}

void edit_each_line(Editor& editor, const LineOp& op) {
    std::vector<Caret> carets = std::move(editor.carets);
    std::vector<std::size_t> order(carets.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return carets[a].start() > carets[b].start();
    });
    // Line starts are measured in the text as it was before any change; reading them all now
    // spares a copy of the whole text.
    const TextLine& original = editor.document.content().text;
    std::vector<std::size_t> line_starts(carets.size());
    for (std::size_t index : order) line_starts[index] = original.line_start(carets[index].start());

    editor.document.mark_pending();
    TextLine& text = editor.document.content().text;
    std::vector<std::size_t> handled;
    std::vector<std::ptrdiff_t> deltas;
    handled.reserve(order.size());
    deltas.reserve(order.size());
    std::optional<std::size_t> last_line_start;
    std::ptrdiff_t last_delta = 0;
    for (std::size_t index : order) {
        Caret& caret = carets[index];
        if (line_starts[index] == last_line_start) {
            // Its line was changed already: it moves with that change and changes nothing itself.
            shift_caret(caret, Shift{last_delta, 0});
            handled.push_back(index);
            deltas.push_back(0);
            continue;
        }
        const std::size_t before = text.char_count();
        caret.position = core::apply_edit(text, op(text, caret.position));
        caret.anchor.reset();
        last_line_start = line_starts[index];
        last_delta = size_delta(before, text.char_count());
        handled.push_back(index);
        deltas.push_back(last_delta);
    }
    shift_handled(carets, handled, deltas);
    editor.carets = std::move(carets);
}

void apply_text_op(Editor& editor, EditKind kind, const CaretOp& op) {
    begin_edit(editor, kind);
    core::normalize_carets(editor.carets);
    edit_each(editor, op);
    finish_edit(editor);
}

void apply_line_text_op(Editor& editor, EditKind kind, const LineOp& op) {
    begin_edit(editor, kind);
    core::normalize_carets(editor.carets);
    edit_each_line(editor, op);
    finish_edit(editor);
}

void insert_text_all(Editor& editor, std::string_view text, EditKind kind) {
    begin_edit(editor, kind);
    core::normalize_carets(editor.carets);
    edit_each(editor,
              [text](TextLine& line, std::size_t& position, std::optional<std::size_t>& anchor) {
                  linecraft::replace_selection(line, position, anchor, text);
              });
    rebuild_words(editor);
    core::normalize_carets(editor.carets);
    for (Caret& caret : editor.carets) caret.goal_column.reset();
    switch (kind) {
        case EditKind::Typing:
            refresh_completion(editor);
            break;
        case EditKind::Edit:
        case EditKind::None:
            hide_completion(editor);
            break;
    }
}

namespace {

// The four deletions: the selection at each caret, or where there is none what `remove` takes
// (which may be nothing, at either end of the text).
template <class Remove>
void delete_at_each(Editor& editor, Remove remove) {
    apply_text_op(
        editor, EditKind::Edit,
        [&remove](TextLine& text, std::size_t& position, std::optional<std::size_t>& anchor) {
            if (linecraft::delete_selection(text, position, anchor)) return;
            (void)remove(text, position);
        });
}

}  // namespace

void delete_backward(Editor& editor) {
    delete_at_each(editor, [](TextLine& text, std::size_t& position) {
        return linecraft::remove_backward(text, position);
    });
}

void delete_forward(Editor& editor) {
    delete_at_each(editor, [](TextLine& text, std::size_t& position) {
        return linecraft::remove_forward(text, position);
    });
}

void delete_backward_word(Editor& editor) {
    delete_at_each(editor, [](TextLine& text, std::size_t& position) {
        return linecraft::remove_backward_skip(text, position);
    });
}

void delete_forward_word(Editor& editor) {
    delete_at_each(editor, [](TextLine& text, std::size_t& position) {
        return linecraft::remove_forward_skip(text, position);
    });
}

void insert_newline(Editor& editor) {
    // The selection stays: the break goes in at the caret's own end of it.
    apply_text_op(editor, EditKind::Edit,
                  [](TextLine& text, std::size_t& position, std::optional<std::size_t>& anchor) {
                      position = core::apply_edit(text, core::newline_indent(text, position));
                      anchor.reset();
                  });
}

void indent(Editor& editor) {
    const std::size_t width = editor.tab_width;
    apply_line_text_op(editor, EditKind::Edit, [width](const TextLine& text, std::size_t position) {
        return core::indent_line(text, position, width);
    });
}

void undo(Editor& editor) {
    editor.document.content().carets = editor.carets;
    // Commit first, then take the carets from the snapshot that is current: when the last group
    // changed nothing it made no snapshot, and its own carets would belong to a newer text than
    // the one undo goes back to.
    editor.document.commit();
    std::vector<Caret> before = editor.document.history().current().carets_before;
    // Undo ends a typing run: a character typed next opens a step of its own, with its own
    // carets to return to.
    editor.last_edit = EditKind::None;
    if (!editor.document.undo()) return;
    restore_carets(editor, std::move(before));
}

void redo(Editor& editor) {
    editor.document.content().carets = editor.carets;
    // An edit made since the undo becomes a step of its own and ends the redo tail, rather than
    // being replaced (and lost) by the next snapshot.
    editor.document.commit();
    editor.last_edit = EditKind::None;
    if (!editor.document.redo()) return;
    restore_carets(editor, editor.document.content().carets);
}

}  // namespace quarn::tui
