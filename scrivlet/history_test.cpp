#include "scrivlet/history.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "scrivlet/document.hpp"
#include "scrivlet/test_support.hpp"

namespace quarn::scrivlet {
namespace {

using testing::Note;

constexpr std::ptrdiff_t absent = -1;

[[nodiscard]] std::ptrdiff_t saved_or_absent(const std::optional<std::size_t>& saved) {
    return saved ? static_cast<std::ptrdiff_t>(*saved) : absent;
}

[[nodiscard]] std::vector<std::string> texts_of(const History<Note>& history) {
    std::vector<std::string> texts;
    for (const Note& snapshot : history.snapshots()) {
        texts.push_back(snapshot.text);
    }
    return texts;
}

// Steps on a document opened from a file holding "x":
//   e:T  set the text to T and mark it pending (one keystroke of a typing run)
//   m    move the caret only (pending, text unchanged)
//   c    commit            s  save (must succeed)
//   u+ / u-   undo, expecting true / false;   r+ / r-   the same for redo
struct DocumentCase {
    std::string_view name;
    std::string_view steps;
    std::string_view text;
    std::size_t snapshots;
    std::size_t index;
    std::ptrdiff_t saved;
    bool modified;
};

constexpr DocumentCase document_cases[] = {
    {"TypingRunUndoesAsOneStep", "e:xa e:xab u+ u-", "x", 2, 0, 0, false},
    {"TypeThenDeleteStaysModified", "e:xa c e:x c", "x", 3, 2, 0, true},
    {"UnchangedTextMakesNoSnapshot", "e:xa e:x c", "x", 1, 0, 0, false},
    {"CaretMovesMakeNoSnapshot", "m c m c", "x", 1, 0, 0, false},
    {"UndoCommitsPendingEditFirst", "e:xa u+ r+", "xa", 2, 1, 0, true},
    {"UndoToSavedIsClean", "e:xa c u+", "x", 2, 0, 0, false},
    {"SaveUndoRedoIsClean", "e:xa c s u+ r+", "xa", 2, 1, 1, false},
    {"SaveCommitsPendingEdit", "e:xa s", "xa", 2, 1, 1, false},
    {"EditAfterUndoDropsRedoTail", "e:x1 c e:x12 c u+ u+ e:y c r-", "y", 2, 1, 0, true},
    {"SavedInDroppedTailBecomesAbsent", "e:x1 c e:x12 c s u+ u+ e:y c r-", "y", 2, 1, absent, true},
    {"AbsentSavedStaysModifiedWhateverIsUndone", "e:x1 c s u+ e:y c u+ r+ u+", "x", 2, 0, absent,
     true},
    {"RedoReplacesUncommittedEdit", "e:xa c u+ e:xb r+", "xa", 2, 1, 0, true},
    {"RedoAtNewestFails", "e:xa c r-", "xa", 2, 1, 0, true},
};

TEST(DocumentHistory, FollowsStepScripts) {
    for (const DocumentCase& c : document_cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        testing::write_bytes(dir / "file.txt", "x");
        auto opened = Document<Note>::open(
            dir / "file.txt", testing::fake_environment({{"XDG_CACHE_HOME", dir / "cache"}}));
        ASSERT_TRUE(opened);
        Document<Note>& document = *opened;
        std::istringstream steps{std::string(c.steps)};
        for (std::string step; steps >> step;) {
            SCOPED_TRACE(step);
            if (step.starts_with("e:")) {
                document.content().text = step.substr(2);
                document.mark_pending();
            } else if (step == "m") {
                ++document.content().caret;
                document.mark_pending();
            } else if (step == "c") {
                document.commit();
            } else if (step == "s") {
                ASSERT_TRUE(document.save());
            } else if (step == "u+" || step == "u-") {
                EXPECT_EQ(document.undo(), step == "u+");
            } else if (step == "r+" || step == "r-") {
                EXPECT_EQ(document.redo(), step == "r+");
            } else {
                FAIL() << "unknown step";
            }
        }
        EXPECT_EQ(document.content().text, c.text);
        EXPECT_EQ(document.history().snapshots().size(), c.snapshots);
        EXPECT_EQ(document.history().index(), c.index);
        EXPECT_EQ(saved_or_absent(document.history().saved()), c.saved);
        EXPECT_EQ(document.modified(), c.modified);
    }
}

// The undo step of a caret-only commit restores the caret of the snapshot, not the live one.
TEST(DocumentHistory, UndoRestoresTheWholeSnapshot) {
    Document<Note> document(Note{"a", 1}, testing::fake_environment({}));
    document.content() = Note{"ab", 2};
    document.mark_pending();
    document.commit();
    document.content().caret = 0;
    document.content().text += "!";
    document.mark_pending();
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.content(), (Note{"ab", 2}));
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.content(), (Note{"a", 1}));
    ASSERT_TRUE(document.redo());
    ASSERT_TRUE(document.redo());
    EXPECT_EQ(document.content().text, "ab!");
}

// Steps on a bare history that starts with the snapshot "0" (index 0, saved 0):
//   c:T  commit a note with text T      s  mark saved      b  step back
struct LimitCase {
    std::string_view name;
    std::size_t limit;
    std::string_view steps;
    std::vector<std::string> texts;
    std::size_t index;
    std::ptrdiff_t saved;
};

const LimitCase limit_cases[] = {
    {"FiveCommitsUnderThreeKeepNewest", 3, "c:1 c:2 c:3 c:4 c:5", {"3", "4", "5"}, 2, absent},
    {"TrimShiftsSaved", 3, "c:1 c:2 s c:3", {"1", "2", "3"}, 2, 1},
    {"TrimAtSavedNewest", 2, "c:1 s c:2 c:3", {"2", "3"}, 1, absent},
    {"CommitAfterUndoDropsTailBeforeTrim", 3, "c:1 c:2 b b c:3", {"0", "3"}, 1, 0},
    {"NoLimitKeepsEverything", 0, "c:1 c:2 c:3 c:4", {"0", "1", "2", "3", "4"}, 4, 0},
    {"SameBytesTwiceIsOneSnapshot", 3, "c:1 c:1", {"0", "1"}, 1, 0},
};

TEST(History, KeepsLimit) {
    for (const LimitCase& c : limit_cases) {
        SCOPED_TRACE(c.name);
        History<Note> history(Note{"0"}, c.limit);
        std::istringstream steps{std::string(c.steps)};
        for (std::string step; steps >> step;) {
            if (step.starts_with("c:")) {
                (void)history.commit(Note{step.substr(2)});  // the table checks the outcome
            } else if (step == "s") {
                history.mark_saved();
            } else if (step == "b") {
                ASSERT_TRUE(history.step_back());
            }
        }
        EXPECT_EQ(texts_of(history), c.texts);
        EXPECT_EQ(history.index(), c.index);
        EXPECT_EQ(saved_or_absent(history.saved()), c.saved);
    }
}

}  // namespace
}  // namespace quarn::scrivlet
