#include "tui/editing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::tui {
namespace {

using linecraft::TextLine;

// Carets inline: '|' is a caret's position; '^' its anchor, paired with the '|' right after it
// ("a^bc|d": anchor 1, position 3) or, when no '|' follows, with the '|' right before it
// ("a|bc^d": position 1, anchor 3). Positions count characters, not bytes.
struct Marked {
    std::string text;
    std::vector<Caret> carets;
};

Marked parse(std::string_view marked) {
    Marked out;
    std::vector<std::pair<char, std::size_t>> markers;
    std::size_t chars = 0;
    for (char ch : marked) {
        if (ch == '|' || ch == '^') {
            markers.emplace_back(ch, chars);
            continue;
        }
        out.text.push_back(ch);
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++chars;
    }
    for (std::size_t i = 0; i < markers.size(); ++i) {
        const auto [kind, pos] = markers[i];
        if (kind == '|') {
            out.carets.push_back(Caret{pos, std::nullopt, std::nullopt, false});
        } else if (i + 1 < markers.size() && markers[i + 1].first == '|') {
            out.carets.push_back(Caret{markers[i + 1].second, pos, std::nullopt, false});
            ++i;
        } else {
            EXPECT_TRUE(i > 0 && markers[i - 1].first == '|') << "lone '^' in " << marked;
            if (!out.carets.empty()) out.carets.back().anchor = pos;
        }
    }
    return out;
}

std::string show(const TextLine& text, const std::vector<Caret>& carets) {
    std::vector<std::pair<std::size_t, char>> markers;
    for (const Caret& caret : carets) {
        EXPECT_LE(std::max(caret.position, caret.anchor.value_or(0)), text.char_count())
            << "a caret outside the text";
        if (caret.anchor && *caret.anchor <= caret.position)
            markers.emplace_back(*caret.anchor, '^');
        markers.emplace_back(caret.position, '|');
        if (caret.anchor && *caret.anchor > caret.position)
            markers.emplace_back(*caret.anchor, '^');
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    std::size_t from = 0;
    for (const auto& [pos, mark] : markers) {
        out += text.text_range(from, pos);
        out.push_back(mark);
        from = std::max(from, pos);
    }
    return out + text.text_range(from, text.char_count());
}

std::string show(const Editor& editor) { return show(editor.text(), editor.carets); }

// A clean document holding the text, with the marked carets (the last one primary).
Editor make_editor(std::string_view marked, unsigned tab_width = 4) {
    Marked in = parse(marked);
    Editor editor = Editor::create(std::nullopt);
    editor.document.adopt(core::PlainText{TextLine::from_string(in.text), {}, {}});
    editor.carets = std::move(in.carets);
    core::repair_primary(editor.carets);
    editor.tab_width = tab_width;
    return editor;
}

void type(Editor& editor, std::string_view chars) {
    for (char ch : chars) insert_text_all(editor, std::string_view(&ch, 1), EditKind::Typing);
}

// What a movement does to the edit group, then the caret put where the movement would.
void move_to(Editor& editor, std::size_t position) {
    editor.seal_edit();
    editor.carets = {core::primary_caret_at(position)};
}

using Command = void (*)(Editor&);

struct EditCase {
    std::string_view name, before;
    Command command;
    std::string_view after;
};

void type_x(Editor& editor) { insert_text_all(editor, "x", EditKind::Typing); }
void type_z(Editor& editor) { insert_text_all(editor, "Z", EditKind::Typing); }
void paste_two_lines(Editor& editor) { insert_text_all(editor, "1\n2", EditKind::Edit); }

TEST(EditCommands, ApplyAtEveryCaretAndShiftTheOthers) {
    const EditCase cases[] = {
        {"TypingAtTwoCarets", "|abc|", type_x, "x|abcx|"},
        {"TypingReplacesSelectionOtherCaretFollows", "ab^cde|fg|h", type_z, "abZ|fgZ|h"},
        {"TypingReplacesBackwardSelection", "a|bc^d", type_x, "ax|d"},
        {"InsertingLinesAtTwoCarets", "a|b|", paste_two_lines, "a1\n2|b1\n2|"},
        {"BackspaceAtThreeCarets", "ab|cde|fghi|jk", delete_backward, "a|cd|fgh|jk"},
        {"BackspaceAtStartChangesNothing", "|abc", delete_backward, "|abc"},
        {"BackspaceRemovesOnlyTheSelection", "a^bc|d", delete_backward, "a|d"},
        {"BackspaceOverMultiByte", "é|ü", delete_backward, "|ü"},
        {"BackspaceAdjacentCaretsMerge", "a|b|c", delete_backward, "|c"},
        {"BackspaceJoinsLines", "ab\n|cd", delete_backward, "ab|cd"},
        {"DeleteAdjacentCaretsMerge", "ab|c|d", delete_forward, "ab|"},
        {"DeleteAtEndChangesNothing", "ab|", delete_forward, "ab|"},
        {"DeleteRemovesOnlyTheSelection", "a|bc^d", delete_forward, "a|d"},
        {"WordBackAtLineStartJoinsAndTakesWord", "foo bar\n|baz", delete_backward_word, "foo |baz"},
        {"WordBackAtStartChangesNothing", "|foo", delete_backward_word, "|foo"},
        {"WordBackRemovesOnlyTheSelection", "foo ^bar| baz", delete_backward_word, "foo | baz"},
        {"WordBackAtTwoCarets", "ab cd|\nef gh|", delete_backward_word, "ab |\nef |"},
        {"WordForwardSkipsBlanksThenWord", "foo| bar baz", delete_forward_word, "foo| baz"},
        {"WordForwardAtLineEndJoins", "foo|\n bar x", delete_forward_word, "foo| x"},
        {"EnterRepeatsIndent", "  ab|c", insert_newline, "  ab\n  |c"},
        {"EnterKeepsForwardSelection", "x ^abc|", insert_newline, "x abc\n|"},
        {"EnterKeepsBackwardSelection", "x |abc^", insert_newline, "x \n|abc"},
        {"EnterAtCaretsOnDifferentIndents", "  a|\n\tb|", insert_newline, "  a\n  |\n\tb\n\t|"},
        {"EnterTwiceOnOneLine", "  a|b|", insert_newline, "  a\n  |b\n  |"},
        {"TabTwoCaretsOnOneLineIndentOnce", "a|b|c", indent, "    a|b|c"},
        {"TabCaretsOnTwoLines", "a|\nb|", indent, "    a|\n    b|"},
        {"TabIndentsPositionsLineDropsSelection", "a^b\nc|d", indent, "ab\n    c|d"},
        {"TabSelectionSharingLineMovesWithIt", "^a|b|c", indent, "    ^a|b|c"},
        {"TabAtLineStart", "ab\n|", indent, "ab\n    |"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = make_editor(c.before);
        c.command(editor);
        EXPECT_EQ(show(editor), c.after);
        EXPECT_EQ(editor.text().check_invariants(), std::nullopt);
        EXPECT_EQ(std::count_if(editor.carets.begin(), editor.carets.end(),
                                [](const Caret& caret) { return caret.primary; }),
                  1);
    }
}

TEST(EditCommands, FinishClearsGoalColumnsAndPopupAndStatus) {
    Editor editor = make_editor("ab|\ncd|");
    for (Caret& caret : editor.carets) caret.goal_column = 7;
    editor.completion = Completion{{"abc"}, 0, true, false};
    editor.status = "Saved";
    delete_backward(editor);
    EXPECT_FALSE(editor.status);
    EXPECT_FALSE(editor.completion.visible);
    for (const Caret& caret : editor.carets) EXPECT_FALSE(caret.goal_column);
}

TEST(EditCommands, TabWidthZeroChangesNothingAndLeavesNoStep) {
    Editor editor = make_editor("  x|");
    editor.tab_width = 0;
    indent(editor);
    EXPECT_EQ(show(editor), "  x|");
    editor.seal_edit();
    EXPECT_FALSE(editor.document.modified());
    EXPECT_EQ(editor.document.history().snapshots().size(), 1u);
}

// A caret pushed below 0 by one edit stays at 0 even when a later edit grows the text again:
// shifting is applied edit by edit, each clamped, not summed.
TEST(EditEach, ShiftsClampAtZeroAfterEveryEdit) {
    Editor editor = make_editor("a|bc|de|f");
    edit_each(editor, [](TextLine& text, std::size_t& position, std::optional<std::size_t>&) {
        if (position == 3) {  // the whole text goes
            text.remove_range(0, text.char_count());
            position = 0;
        } else if (position == 1) {  // no longer inside the text: five characters at the start
            position = text.insert(0, "12345");
        }
    });
    // The caret at 5: max(5 - 6, 0) = 0, then 0 + 5; summing the shifts would give 4.
    EXPECT_EQ(editor.text().to_string(), "12345");
    ASSERT_EQ(editor.carets.size(), 3u);
    EXPECT_EQ(editor.carets[2].position, 5u);
    EXPECT_EQ(editor.carets[1].position, 5u);
    EXPECT_EQ(editor.carets[0].position, 5u);
}

TEST(Undo, TypingRunIsOneStep) {
    Editor editor = make_editor("|");
    type(editor, "hello");
    EXPECT_TRUE(editor.document.modified());
    undo(editor);
    EXPECT_EQ(show(editor), "|");
    EXPECT_FALSE(editor.document.modified());
    redo(editor);
    EXPECT_EQ(show(editor), "hello|");
    EXPECT_TRUE(editor.document.modified());
}

TEST(Undo, MovementEndsTypingRun) {
    Editor editor = make_editor("|");
    type(editor, "he");
    move_to(editor, 1);
    type(editor, "y");
    EXPECT_EQ(show(editor), "hy|e");
    undo(editor);
    EXPECT_EQ(show(editor), "h|e");
    undo(editor);
    EXPECT_EQ(show(editor), "|");
}

TEST(Undo, EditThatChangesNothingStillEndsTypingRun) {
    Editor editor = make_editor("|");
    type(editor, "ab");
    delete_forward(editor);  // at the end: nothing to remove
    EXPECT_EQ(editor.last_edit, EditKind::Edit);
    type(editor, "c");
    undo(editor);
    EXPECT_EQ(show(editor), "ab|");
    undo(editor);
    EXPECT_EQ(show(editor), "|");
}

TEST(Undo, BackspaceAtStartEndsTypingRun) {
    Editor editor = make_editor("|x");
    editor.last_edit = EditKind::Typing;  // as if in the middle of a run
    delete_backward(editor);
    EXPECT_EQ(editor.last_edit, EditKind::Edit);
    EXPECT_EQ(show(editor), "|x");
}

TEST(Undo, NothingToUndoOrRedoLeavesCarets) {
    Editor editor = make_editor("a^b|c|d");
    const std::vector<Caret> carets = editor.carets;
    undo(editor);
    EXPECT_EQ(editor.carets, carets);
    redo(editor);
    EXPECT_EQ(editor.carets, carets);
    EXPECT_EQ(show(editor), "a^b|c|d");
}

TEST(Undo, CaretsReturnToWhereTheStepBegan) {
    Editor editor = make_editor("a|bc^d|ef");
    insert_newline(editor);
    EXPECT_EQ(show(editor), "a\n|bcd\n|ef");
    move_to(editor, 0);
    undo(editor);
    EXPECT_EQ(show(editor), "a|bc^d|ef");
    redo(editor);
    // The carets as they stood when the step was sealed, not where the caret moved afterwards.
    EXPECT_EQ(show(editor), "a\n|bcd\n|ef");
}

TEST(Undo, BackToSavedStateIsClean) {
    Editor editor = make_editor("ab|");
    type(editor, "c");
    delete_backward(editor);
    // Same text as the file, but two steps away from it.
    EXPECT_EQ(show(editor), "ab|");
    EXPECT_TRUE(editor.document.modified());
    undo(editor);
    EXPECT_EQ(show(editor), "abc|");
    EXPECT_TRUE(editor.document.modified());
    undo(editor);
    EXPECT_EQ(show(editor), "ab|");
    EXPECT_FALSE(editor.document.modified());
}

// Typing right after an undo opens its own step, so undoing it returns the caret to where that
// typing began rather than to where an older step began.
TEST(Undo, TypingAfterUndoIsItsOwnStep) {
    Editor editor = make_editor("|");
    type(editor, "ab");
    move_to(editor, 2);
    type(editor, "cd");
    undo(editor);
    EXPECT_EQ(show(editor), "ab|");
    type(editor, "X");
    undo(editor);
    EXPECT_EQ(show(editor), "ab|");
}

// An edit made after an undo must survive a redo: it becomes a step and ends the redo tail.
TEST(Undo, RedoAfterNewEditKeepsTheEdit) {
    Editor editor = make_editor("|");
    type(editor, "ab");
    undo(editor);
    type(editor, "c");
    redo(editor);
    EXPECT_EQ(show(editor), "c|");
    undo(editor);
    EXPECT_EQ(show(editor), "|");
}

// A step that changed nothing makes no snapshot: undo then undoes the step before it, and the
// carets go back to where that step began, not to where the empty step began.
TEST(Undo, EditThatChangedNothingDoesNotLendItsCarets) {
    Editor editor = make_editor("abcd|ef");
    type(editor, "Z");
    move_to(editor, 7);
    delete_forward(editor);  // at the end: nothing to remove
    undo(editor);
    EXPECT_EQ(show(editor), "abcd|ef");
}

}  // namespace
}  // namespace quarn::tui
