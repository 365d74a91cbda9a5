#include "tui/editor.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tui/marked_text.hpp"

namespace quarn::tui {
namespace {

using tui::testing::editor_with;
using tui::testing::marked;

TEST(EditorCreate, MissingFileGivesCleanEmptyTabBoundToThePath) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "quarn-editor-test-does-not-exist" / "notes.txt";
    const Editor editor = Editor::create(path);
    EXPECT_TRUE(editor.text().empty());
    EXPECT_FALSE(editor.document.modified());
    EXPECT_EQ(editor.document.path(), path);
    EXPECT_EQ(editor.document.title("quarn"), "notes.txt \xe2\x80\x94 quarn");
    EXPECT_EQ(tab_label(editor), "notes.txt");
    EXPECT_EQ(editor.carets, std::vector<Caret>{core::primary_caret_at(0)});
}

struct CaretCommandCase {
    std::string_view name, before;
    void (*command)(Editor&);
    std::string_view after;
};

TEST(CaretCommands, ChangeCaretsAsSpecified) {
    const CaretCommandCase cases[] = {
        {"SelectAllOnEmptyTextIsAnEmptySelection", "|", select_all, "^|"},
        {"SelectAllIsOneForwardSelection", "a|b|c", select_all, "^abc|"},
        {"CollapseKeepsThePrimarySelection", "^ab|c|d", collapse_to_primary, "^ab|cd"},
        {"SelectLineTakesTheLineFeed", "a\nb|b\ncc\n", select_line, "a\n^bb\n|cc\n"},
        {"AddBelowKeepsExistingCarets", "ab|c\nde\nfghi",
         [](Editor& e) { add_caret_vertical(e, 1); }, "ab|c\nde|\nfghi"},
        {"AddAboveOnFirstLineAddsNothing", "a|bc\nd", [](Editor& e) { add_caret_vertical(e, -1); },
         "a|bc\nd"},
    };
    for (const CaretCommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = editor_with(c.before);
        c.command(editor);
        EXPECT_EQ(marked(editor), c.after);
        EXPECT_EQ(editor.carets[editor.primary_caret()].primary, true);
    }
}

TEST(CaretCommands, AddedCaretIsNotPrimaryAndKeepsGoalColumn) {
    Editor editor = editor_with("abcdef|\nx\nabcdefgh");
    add_caret_vertical(editor, 1);
    ASSERT_EQ(editor.carets.size(), 2u);
    EXPECT_TRUE(editor.carets[0].primary);
    EXPECT_FALSE(editor.carets[1].primary);
    EXPECT_EQ(editor.carets[1].goal_column, 6u);
}

TEST(CaretCommands, ClampCursorAfterTextShrankUnderneath) {
    Editor editor = editor_with("abc^de|f");
    editor.document.content().text = linecraft::TextLine::from_string("ab");
    clamp_cursor(editor);
    EXPECT_EQ(editor.carets, std::vector<Caret>{core::primary_caret_at(2)});
}

}  // namespace
}  // namespace quarn::tui
