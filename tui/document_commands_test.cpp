#include "tui/document_commands.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "tui/temp_dir.hpp"

namespace quarn::tui {
namespace {

namespace fs = std::filesystem;
using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

// A tab on `path` (or untitled) whose text was changed to `text` and not yet committed.
Editor edited(std::optional<fs::path> path, std::string_view text) {
    Editor editor = Editor::create(std::move(path));
    editor.document.content().text = linecraft::TextLine::from_string(std::string(text));
    editor.document.mark_pending();
    editor.carets = {core::primary_caret_at(2)};
    editor.last_edit = EditKind::Typing;
    return editor;
}

std::string system_text(int error) { return std::generic_category().message(error); }

TEST(Save, WritesTheFileAndReportsThePathAsStored) {
    TempDir dir;
    write_bytes(dir / "a.txt", "old");
    Editor editor = edited(dir / "a.txt", "new text");
    save(editor);
    EXPECT_EQ(read_bytes(dir / "a.txt"), "new text");
    EXPECT_EQ(editor.status, "Saved " + (dir / "a.txt").string());
    EXPECT_FALSE(editor.document.modified());
    EXPECT_EQ(editor.document.disk_text(), "new text");
    // The saved state is an undo step of its own that remembers where the caret was.
    EXPECT_EQ(editor.last_edit, EditKind::None);
    EXPECT_EQ(editor.document.history().current().carets,
              std::vector<Caret>{core::primary_caret_at(2)});
}

TEST(Save, ACleanDocumentIsWrittenAgain) {
    TempDir dir;
    write_bytes(dir / "a.txt", "same");
    Editor editor = Editor::create(dir / "a.txt");
    write_bytes(dir / "a.txt", "changed behind our back");
    save(editor);
    EXPECT_EQ(read_bytes(dir / "a.txt"), "same");
}

TEST(Save, AWriteFailureShowsTheSystemsReasonAndKeepsTheEdits) {
    TempDir dir;
    write_bytes(dir / "file", "x");
    fs::create_directory(dir / "folder");
    struct Case {
        std::string_view name;
        fs::path path;
        int error;
    };
    const Case cases[] = {
        {"ParentIsARegularFile", dir / "file" / "a.txt", ENOTDIR},
        {"PathIsADirectory", dir / "folder", EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = edited(c.path, "text");
        save(editor);
        EXPECT_EQ(editor.status, "failed to save: " + system_text(c.error));
        EXPECT_TRUE(editor.document.modified());
        EXPECT_EQ(editor.document.path(), c.path);
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

TEST(Save, AnUntitledDocumentWritesNothingAndReportsNothing) {
    Editor editor = edited(std::nullopt, "text");
    editor.status = "before";
    save(editor);
    EXPECT_EQ(editor.status, "before");
    EXPECT_TRUE(editor.document.modified());
}

TEST(ReportSave, SetsOrKeepsTheStatus) {
    struct Case {
        std::string_view name;
        core::files::SaveOutcome outcome;
        std::string status;
    };
    const Case cases[] = {
        {"Saved", core::files::Saved{}, "Saved notes/a.txt"},
        {"Cancelled", core::files::Cancelled{}, "before"},
        {"Failed", core::files::Failed{"failed to save: could not write file"},
         "failed to save: could not write file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor = Editor::create(std::nullopt);
        editor.document.attach_path("notes/a.txt");
        editor.status = "before";
        report_save(editor, c.outcome);
        EXPECT_EQ(editor.status, c.status);
    }
}

}  // namespace
}  // namespace quarn::tui
