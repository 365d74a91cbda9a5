#include "core/files.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <variant>

namespace quarn::core::files {

void PrintTo(const Saved&, std::ostream* out) { *out << "Saved"; }
void PrintTo(const Cancelled&, std::ostream* out) { *out << "Cancelled"; }
void PrintTo(const Failed& failed, std::ostream* out) {
    *out << "Failed(" << failed.message << ")";
}

namespace {

namespace fs = std::filesystem;

// A fresh directory per test; backups of overwritten files land inside it, never in the user's
// cache.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quarn-files-XXXXXX").native();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    static void write(const fs::path& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path dir_;
};

TEST_F(FilesTest, OpenPathGivesTheDocumentBoundToThePathAsPassed) {
    write(dir_ / "a.txt", "one\r\ntwo");
    OpenOutcome outcome = open_path(dir_ / "a.txt");
    Opened* opened = std::get_if<Opened>(&outcome);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(PlainText::serialise(opened->document.content()), "one\r\ntwo");
    EXPECT_EQ(opened->document.path(), dir_ / "a.txt");
    EXPECT_FALSE(opened->document.modified());
}

TEST_F(FilesTest, OpenPathFailuresNameThePathAndTheReason) {
    write(dir_ / "bad.txt", "ok\xff");
    struct Case {
        std::string_view name;
        fs::path path;
        std::string reason;
    };
    const Case cases[] = {
        {"Missing", dir_ / "missing.txt", "could not read file"},
        {"Directory", dir_, "could not read file"},
        {"InvalidUtf8", dir_ / "bad.txt", "could not parse file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenOutcome outcome = open_path(c.path);
        ASSERT_TRUE(std::holds_alternative<Failed>(outcome));
        EXPECT_EQ(std::get<Failed>(outcome).message,
                  "failed to open " + c.path.string() + ": " + c.reason);
    }
}

TEST_F(FilesTest, SaveToWritesAndRebindsTheDocument) {
    TextDocument document(PlainText{.text = linecraft::TextLine::from_string("héllo\n")});
    document.mark_pending();
    const fs::path target = dir_ / "new.txt";
    EXPECT_EQ(save_to(document, target), SaveOutcome{Saved{}});
    EXPECT_EQ(read(target), "héllo\n");
    EXPECT_EQ(document.path(), target);
    EXPECT_FALSE(document.modified());
}

TEST_F(FilesTest, SaveToFailureKeepsTheOldPathAndTheModifiedState) {
    write(dir_ / "file", "x");
    TextDocument document(PlainText{.text = linecraft::TextLine::from_string("text")});
    document.attach_path(dir_ / "old.txt");
    document.mark_pending();
    const SaveOutcome outcome = save_to(document, dir_ / "file" / "child.txt");
    EXPECT_EQ(outcome, SaveOutcome{Failed{"failed to save: could not write file"}});
    EXPECT_EQ(document.path(), dir_ / "old.txt");
    EXPECT_TRUE(document.modified());
    EXPECT_FALSE(fs::exists(dir_ / "old.txt"));
}

}  // namespace
}  // namespace quarn::core::files
