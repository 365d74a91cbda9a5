#include "scrivlet/document.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "scrivlet/test_support.hpp"

namespace quarn::scrivlet {
namespace {

using testing::Note;
using testing::read_bytes;
using testing::write_bytes;

class DocumentTest : public ::testing::Test {
protected:
    [[nodiscard]] Environment environment() const {
        return testing::fake_environment({{"XDG_CACHE_HOME", dir / "cache"}});
    }
    [[nodiscard]] Document<Note> open_ok(const std::filesystem::path& path) const {
        auto opened = Document<Note>::open(path, environment());
        EXPECT_TRUE(opened) << path;
        return opened ? std::move(*opened) : Document<Note>(Note{}, environment());
    }
    void edit(Document<Note>& document, std::string text) const {
        document.content().text = std::move(text);
        document.mark_pending();
    }

    testing::TempDir dir;
    std::filesystem::path file = dir / "notes.txt";
};

TEST_F(DocumentTest, OpenKeepsBytesExactlyAndIsClean) {
    const std::string bytes = "\xEF\xBB\xBFline one\r\nline two";  // BOM, CRLF, no final LF
    write_bytes(file, bytes);
    Document<Note> document = open_ok(file);
    EXPECT_EQ(document.content().text, bytes);
    EXPECT_EQ(document.disk_text(), bytes);
    EXPECT_EQ(document.path(), file);
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.history().snapshots().size(), 1u);
    EXPECT_EQ(document.backup_count(), 1u);

    edit(document, bytes + "!");
    edit(document, bytes);
    ASSERT_TRUE(document.save());
    EXPECT_EQ(read_bytes(file), bytes);
}

struct OpenFailureCase {
    std::string_view name;
    std::string_view file;  // what sits at notes.txt; "" for nothing, "/" for a directory
    OpenErrorKind kind;
    std::string_view text;
};

constexpr OpenFailureCase open_failure_cases[] = {
    {"Missing", "", OpenErrorKind::Read, "could not read file"},
    {"Directory", "/", OpenErrorKind::Read, "could not read file"},
    {"OneInvalidByte", "good text\n\xFF and more", OpenErrorKind::Parse, "could not parse file"},
    {"TruncatedSequenceAtEnd", "caf\xC3", OpenErrorKind::Parse, "could not parse file"},
};

TEST_F(DocumentTest, OpenFailuresLeaveFileAlone) {
    for (const OpenFailureCase& c : open_failure_cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir here;
        const auto path = here / "notes.txt";
        if (c.file == "/") {
            std::filesystem::create_directory(path);
        } else if (!c.file.empty()) {
            write_bytes(path, c.file);
        }
        auto opened = Document<Note>::open(path, environment());
        ASSERT_FALSE(opened);
        EXPECT_EQ(opened.error().kind, c.kind);
        EXPECT_EQ(describe(opened.error()), c.text);
        EXPECT_EQ(opened.error().parse.has_value(), c.kind == OpenErrorKind::Parse);
        if (c.file != "/" && !c.file.empty()) {
            EXPECT_EQ(read_bytes(path), c.file);
        }
    }
}

TEST_F(DocumentTest, SaveWritesBacksUpAndRecords) {
    write_bytes(file, "before");
    Document<Note> document = open_ok(file);
    edit(document, "after");
    ASSERT_TRUE(document.modified());
    ASSERT_TRUE(document.save());
    EXPECT_EQ(read_bytes(file), "after");
    EXPECT_EQ(read_bytes(backup_path(file, 1, environment())), "before");
    EXPECT_EQ(document.disk_text(), "after");
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.history().saved(), 1u);
}

TEST_F(DocumentTest, SavingCleanDocumentWritesAgain) {
    write_bytes(file, "mine");
    Document<Note> document = open_ok(file);
    write_bytes(file, "changed behind our back");
    ASSERT_TRUE(document.save());
    EXPECT_EQ(read_bytes(file), "mine");
    EXPECT_EQ(read_bytes(backup_path(file, 1, environment())), "changed behind our back");
}

TEST_F(DocumentTest, SaveWithoutPathTouchesNothing) {
    Document<Note> document(Note{"text"}, environment());
    edit(document, "edited");
    auto saved = document.save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SaveErrorKind::NoPath);
    EXPECT_EQ(describe(saved.error()), "document has no path");
    EXPECT_TRUE(document.pending());
    EXPECT_EQ(document.disk_text(), "text");
}

TEST_F(DocumentTest, FailedSaveAsKeepsPathAndModifiedState) {
    write_bytes(file, "old");
    Document<Note> document = open_ok(file);
    edit(document, "new");
    auto saved = document.save_as(dir / "missing" / "other.txt");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SaveErrorKind::Write);
    EXPECT_EQ(saved.error().system, std::error_code(ENOENT, std::system_category()));
    EXPECT_EQ(describe(saved.error()), "could not write file");
    EXPECT_EQ(document.path(), file);
    EXPECT_TRUE(document.modified());
    EXPECT_TRUE(document.pending());
    EXPECT_EQ(document.disk_text(), "old");
    EXPECT_EQ(document.history().snapshots().size(), 1u);
}

TEST_F(DocumentTest, SaveAsMovesPathAndBacksUpReplacedFile) {
    write_bytes(file, "mine");
    write_bytes(dir / "other.txt", "theirs");
    Document<Note> document = open_ok(file);
    ASSERT_TRUE(document.save_as(dir / "other.txt"));
    EXPECT_EQ(document.path(), dir / "other.txt");
    EXPECT_EQ(read_bytes(dir / "other.txt"), "mine");
    EXPECT_EQ(read_bytes(backup_path(dir / "other.txt", 1, environment())), "theirs");
    EXPECT_FALSE(document.modified());
}

TEST_F(DocumentTest, FirstSaveOfAttachedPathCreatesFileWithoutBackup) {
    Document<Note> document(Note{}, environment());
    document.attach_path(file);
    edit(document, "fresh");
    ASSERT_TRUE(document.save());
    EXPECT_EQ(read_bytes(file), "fresh");
    EXPECT_FALSE(testing::exists_no_follow(dir / "cache"));
}

TEST_F(DocumentTest, UnwritableBackupNeverStopsSave) {
    write_bytes(dir / "cache", "not a directory");
    write_bytes(file, "old");
    Document<Note> document = open_ok(file);
    edit(document, "new");
    ASSERT_TRUE(document.save());
    EXPECT_EQ(read_bytes(file), "new");
}

struct TitleCase {
    std::string_view name;
    std::optional<std::string_view> path;
    bool modified;
    std::string_view expected;
};

const TitleCase title_cases[] = {
    {"CleanUntitled", std::nullopt, false, "Untitled \u2014 quarn"},
    {"ModifiedWithPath", "/home/u/notes.txt", true, "*notes.txt \u2014 quarn"},
    {"InvalidUtf8Name", "dir/b\xFF", false, "b\uFFFD \u2014 quarn"},
    {"NoFinalComponent", "dir/", true, "*Untitled \u2014 quarn"},
};

TEST(DocumentTitle, MarksModifiedAndNamesFile) {
    for (const TitleCase& c : title_cases) {
        SCOPED_TRACE(c.name);
        Document<Note> document(Note{}, testing::fake_environment({}));
        if (c.path) {
            document.attach_path(*c.path);
        }
        if (c.modified) {
            document.content().text = "edit";
            document.mark_pending();
        }
        EXPECT_EQ(document.title("quarn"), c.expected);
    }
}

TEST(DialogDirectory, ParentOrCurrentDirectory) {
    EXPECT_EQ(dialog_directory_of(std::filesystem::path("/a/b.txt")), "/a");
    EXPECT_EQ(dialog_directory_of(std::filesystem::path("b.txt")), "");
    EXPECT_EQ(dialog_directory_of(std::nullopt), std::filesystem::current_path());
    EXPECT_EQ(dialog_directory_of(std::filesystem::path("/")), std::filesystem::current_path());
}

TEST_F(DocumentTest, ReloadAdoptsDiskAndDropsHistory) {
    write_bytes(file, "one");
    Document<Note> document = open_ok(file);
    edit(document, "two");
    document.content().caret = 2;
    document.commit();
    write_bytes(file, "three");
    ASSERT_TRUE(document.reload());
    EXPECT_EQ(document.content(), (Note{"three", 0}));
    EXPECT_EQ(document.disk_text(), "three");
    EXPECT_EQ(document.history().snapshots().size(), 1u);
    EXPECT_FALSE(document.modified());
    EXPECT_FALSE(document.undo());
}

TEST_F(DocumentTest, FailedReloadChangesNothing) {
    write_bytes(file, "one");
    Document<Note> document = open_ok(file);
    edit(document, "two");
    write_bytes(file, "bad \xFF");
    auto reloaded = document.reload();
    ASSERT_FALSE(reloaded);
    EXPECT_EQ(reloaded.error().kind, OpenErrorKind::Parse);
    EXPECT_EQ(document.content().text, "two");
    EXPECT_TRUE(document.pending());
    EXPECT_EQ(document.disk_text(), "one");
    EXPECT_EQ(read_bytes(file), "bad \xFF");
}

TEST(DocumentReload, WithoutPathSucceedsAndKeepsEdits) {
    Document<Note> document(Note{"a"}, testing::fake_environment({}));
    document.content().text = "b";
    document.mark_pending();
    EXPECT_TRUE(document.reload());
    EXPECT_EQ(document.content().text, "b");
    EXPECT_TRUE(document.modified());
}

}  // namespace
}  // namespace quarn::scrivlet
