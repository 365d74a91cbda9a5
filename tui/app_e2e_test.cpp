// The real program in a pseudo-terminal: what a user sees on the screen and finds on disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "testing/keys.hpp"
#include "testing/pty_session.hpp"
#include "testing/sandbox.hpp"

namespace quarn::tui {
namespace {

namespace keys = quarn::testing::keys;
using quarn::testing::PtySession;
using quarn::testing::SessionOptions;

constexpr int status_row = 22;  // on the default 80x24 screen: hint row below it
constexpr std::string_view em_dash = "\xe2\x80\x94";

std::unique_ptr<PtySession> start(std::vector<std::string> args = {},
                                  std::shared_ptr<quarn::testing::Sandbox> sandbox = {}) {
    auto session = PtySession::start(SessionOptions{
        .binary = QUARN_BINARY, .args = std::move(args), .sandbox = std::move(sandbox)});
    EXPECT_TRUE(session.has_value()) << (session ? "" : session.error());
    return session ? std::move(*session) : nullptr;
}

std::shared_ptr<quarn::testing::Sandbox> make_sandbox() {
    auto sandbox = quarn::testing::Sandbox::create();
    if (!sandbox) ADD_FAILURE() << sandbox.error();
    return sandbox ? *sandbox : nullptr;
}

std::string title_of(std::string_view name) {
    return std::string(name) + " " + std::string(em_dash) + " quarn";
}

std::optional<std::string> read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(EndToEndStartup, NoArgumentsGivesOneUntitledTab) {
    auto q = start();
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_until([&] { return q->title() == title_of("Untitled"); }, "title"));
    ASSERT_TRUE(q->wait_for_row(status_row, title_of("Untitled")));
    EXPECT_EQ(q->row(0).find("File"), 1u);
    EXPECT_EQ(q->row(1), "1");  // no tab bar with one tab: the text starts on row 1
}

TEST(EndToEndStartup, PathsOpenInOrderFirstCurrent) {
    auto sandbox = make_sandbox();
    ASSERT_TRUE(sandbox->write_file("b.txt", "bee\n"));
    ASSERT_TRUE(sandbox->write_file("a.txt", "ay\n"));
    auto q = start({"b.txt", "a.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_text("bee"));
    const std::string tabs = q->row(1);
    ASSERT_NE(tabs.find("b.txt"), std::string::npos);
    EXPECT_LT(tabs.find("b.txt"), tabs.find("a.txt"));
    EXPECT_TRUE(q->wait_until([&] { return q->title() == title_of("b.txt"); }, "title"));
    q->send(keys::nav(keys::Nav::PageDown, keys::with_ctrl));
    EXPECT_TRUE(q->wait_for_text("ay"));
    EXPECT_TRUE(q->wait_until([&] { return q->title() == title_of("a.txt"); }, "title"));
}

TEST(EndToEndStartup, InvalidUtf8FileGivesEmptyTabBoundToItAndIsLeftAlone) {
    auto sandbox = make_sandbox();
    const std::string bytes = "caf\xe9 au lait\n";
    ASSERT_TRUE(sandbox->write_file("latin1.txt", bytes));
    auto q = start({"latin1.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_row(status_row, title_of("latin1.txt")));
    EXPECT_EQ(q->row(1), "1");
    q->send(keys::ctrl('q'));
    ASSERT_TRUE(q->wait_for_exit());
    EXPECT_EQ(q->exit_code(), 0);
    EXPECT_EQ(sandbox->read_file("latin1.txt"), bytes);
}

TEST(EndToEndStartup, ControlCharactersInAFileNameNeverReachTheTerminal) {
    auto q = start({"bell\x07\x1b]0;evil\x07.txt"});
    ASSERT_TRUE(q);
    const std::string replacement = "\xef\xbf\xbd";
    const std::string shown = "bell" + replacement + replacement + "]0;evil" + replacement + ".txt";
    EXPECT_TRUE(q->wait_until([&] { return q->title() == title_of(shown); }, "sanitised title"));
    EXPECT_EQ(q->output().find("\x1b]0;evil"), std::string::npos);
}

TEST(EndToEndTyping, ThreeCaretsTypeAtOnce) {
    auto sandbox = make_sandbox();
    ASSERT_TRUE(sandbox->write_file("t.txt", "one\ntwo\nsix\n"));
    auto q = start({"t.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_text("six"));
    q->send(keys::nav(keys::Nav::Down, keys::with_ctrl_shift));
    q->send(keys::nav(keys::Nav::Down, keys::with_ctrl_shift));
    q->send(keys::text(">"));
    ASSERT_TRUE(q->wait_for_row(3, "3 >six"));
    EXPECT_EQ(q->row(1), "1 >one");
    EXPECT_EQ(q->row(2), "2 >two");
    EXPECT_EQ(q->row(status_row), title_of("*t.txt"));
    EXPECT_EQ(q->cursor().row, 1);  // the primary caret is the first one
    EXPECT_EQ(q->cursor().column, 3);
}

TEST(EndToEndFrame, GutterWidensAtTheTenthLine) {
    auto q = start();
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_row(1, "1"));
    for (int i = 0; i < 8; ++i) q->send(keys::enter());
    ASSERT_TRUE(q->wait_for_row(9, "9"));
    EXPECT_EQ(q->row(1), "1");
    q->send(keys::enter());
    ASSERT_TRUE(q->wait_for_row(10, "10"));
    EXPECT_EQ(q->row(1), " 1");
}

TEST(EndToEndFrame, LongLineWrapsAndCurrentLineIsFilled) {
    auto sandbox = make_sandbox();
    std::string words;
    for (int i = 0; i < 20; ++i) words += "word" + std::to_string(i) + " ";
    ASSERT_TRUE(sandbox->write_file("w.txt", words + "\nnext\n"));
    auto q = start({"w.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_text("next"));
    // Line 1 takes two rows, broken after a space; the next line number follows.
    EXPECT_EQ(q->row(1).substr(0, 8), "1 word0 ");
    EXPECT_EQ(q->row(2).substr(0, 2), "  ");
    EXPECT_EQ(q->row(3), "2 next");
    // The current line's bar reaches the right edge; other lines keep the default background.
    EXPECT_EQ(q->cell(1, 79).bg, quarn::testing::rgb(50, 50, 50));
    EXPECT_EQ(q->cell(3, 79).bg.kind, quarn::testing::ColourKind::Default);
}

TEST(EndToEndFrame, SelectionIsBlueAndStatusRowIsBlackOnGray) {
    auto sandbox = make_sandbox();
    ASSERT_TRUE(sandbox->write_file("s.txt", "select me\n"));
    auto q = start({"s.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_text("select me"));
    q->send(keys::nav(keys::Nav::Right, keys::with_shift));
    q->send(keys::nav(keys::Nav::Right, keys::with_shift));
    ASSERT_TRUE(q->wait_until([&] { return q->cursor().column == 4; }, "cursor after 's', 'e'"));
    EXPECT_EQ(q->cell(1, 2).bg, quarn::testing::indexed(4));
    EXPECT_EQ(q->cell(1, 3).bg, quarn::testing::indexed(4));
    EXPECT_NE(q->cell(1, 4).bg, quarn::testing::indexed(4));
    EXPECT_EQ(q->cell(status_row, 0).fg, quarn::testing::indexed(0));
    EXPECT_EQ(q->cell(status_row, 0).bg, quarn::testing::indexed(7));
}

TEST(EndToEndDocuments, SaveWritesBytesBacksUpAndClearsTheMark) {
    auto sandbox = make_sandbox();
    ASSERT_TRUE(sandbox->write_file("n.txt", "old\n"));
    auto q = start({"n.txt"}, sandbox);
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_text("old"));
    q->send(keys::text("new "));
    ASSERT_TRUE(q->wait_for_row(status_row, title_of("*n.txt")));
    q->send(keys::ctrl('s'));
    ASSERT_TRUE(q->wait_for_text("Saved n.txt"));
    EXPECT_TRUE(q->wait_until([&] { return q->title() == title_of("n.txt"); }, "clean title"));
    EXPECT_EQ(sandbox->read_file("n.txt"), "new old\n");
    bool backup_found = false;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(sandbox->cache_home(), ec)) {
        if (entry.is_regular_file() && read(entry.path()) == "old\n") backup_found = true;
    }
    EXPECT_TRUE(backup_found) << "no backup with the previous content under the cache root";

    // Undo past the saved state marks it modified; redo back to it clears the mark.
    q->send(keys::ctrl('z'));
    ASSERT_TRUE(q->wait_until([&] { return q->title() == title_of("*n.txt"); }, "modified"));
    q->send(keys::ctrl('y'));
    EXPECT_TRUE(q->wait_until([&] { return q->title() == title_of("n.txt"); }, "clean again"));
}

bool shows(const PtySession& q, std::string_view text) {
    for (const std::string& row : q.screen()) {
        if (row.find(text) != std::string::npos) return true;
    }
    return false;
}

TEST(EndToEndTabs, CloseKeepsTextForReopen) {
    auto q = start();
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_row(1, "1"));
    q->send(keys::text("kept"));
    q->send(keys::ctrl('t'));
    ASSERT_TRUE(q->wait_for_text("*Untitled  Untitled"));
    q->send(keys::nav(keys::Nav::PageUp, keys::with_ctrl));
    ASSERT_TRUE(q->wait_for_text("kept"));
    q->send(keys::ctrl('w'));  // unsaved text: asks first
    ASSERT_TRUE(q->wait_for_text("Unsaved changes"));
    q->send(keys::text("d"));
    ASSERT_TRUE(q->wait_until([&] { return !shows(*q, "kept") && !shows(*q, "Unsaved"); },
                              "the tab closed"));
    q->send(keys::ctrl_shift('t'));  // the closed tab comes back with its text
    ASSERT_TRUE(q->wait_for_text("kept"));
    EXPECT_TRUE(q->wait_for_text("Untitled  *Untitled"));
    q->send(keys::ctrl('z'));  // and with its undo history
    EXPECT_TRUE(q->wait_until([&] { return !shows(*q, "kept"); }, "typing undone"));
}

TEST(EndToEndQuit, ModifiedTabAsksEscCancelsDiscardExits) {
    auto q = start();
    ASSERT_TRUE(q);
    ASSERT_TRUE(q->wait_for_row(1, "1"));
    q->send(keys::text("draft"));
    q->send(keys::ctrl('q'));
    ASSERT_TRUE(q->wait_for_text("Unsaved changes"));
    q->send(keys::esc());
    ASSERT_TRUE(q->wait_until([&] { return !shows(*q, "Unsaved"); }, "overlay gone"));
    EXPECT_EQ(q->row(1), "1 draft");
    EXPECT_TRUE(q->running());
    q->send(keys::ctrl('q'));
    ASSERT_TRUE(q->wait_for_text("Unsaved changes"));
    q->send(keys::text("d"));
    ASSERT_TRUE(q->wait_for_exit());
    EXPECT_EQ(q->exit_code(), 0);
}

}  // namespace
}  // namespace quarn::tui
