#include "testing/pty_session.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quarn::testing {
namespace {

using namespace std::chrono_literals;

// The harness is tested on the shell, whose behaviour is known, rather than on the editor.
std::unique_ptr<PtySession> shell(const std::string& script, SessionOptions options = {}) {
    options.binary = "/bin/sh";
    options.args = {"-c", script};
    auto session = PtySession::start(std::move(options));
    EXPECT_TRUE(session) << session.error();
    return session ? std::move(*session) : nullptr;
}

TEST(PtySession, ReadsTextColoursCursorTitleAndExitStatus) {
    auto s = shell(
        "printf '\\033[2J\\033[Hplain \\033[31mred\\033[0m \\033[48;5;21mblue\\033[0m "
        "\\033[38;2;1;2;3mrgb\\033[0m \\033[7mrev\\033[0m \\344\\270\\255|\\303\\251'"
        "; printf '\\033]0;a title\\007\\033[?25l\\033[3;5H'; exit 3");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_exit());
    EXPECT_EQ(s->exit_code(), 3);
    EXPECT_EQ(s->row(0), "plain red blue rgb rev 中|é");
    EXPECT_EQ(s->row(1), "");
    EXPECT_EQ(s->cell(0, 0).fg, Colour{});
    EXPECT_EQ(s->cell(0, 6).text, "r");
    EXPECT_EQ(s->cell(0, 6).fg, indexed(1));
    EXPECT_EQ(s->cell(0, 6).fg.red, 224);  // resolved through xterm's palette
    EXPECT_EQ(s->cell(0, 10).bg, indexed(21));
    EXPECT_EQ(s->cell(0, 10).fg, Colour{});
    EXPECT_EQ(s->cell(0, 15).fg, rgb(1, 2, 3));
    EXPECT_TRUE(s->cell(0, 19).reverse);
    EXPECT_FALSE(s->cell(0, 18).reverse);
    EXPECT_EQ(s->cell(0, 23).text, "中");
    EXPECT_EQ(s->cursor(), (Cursor{2, 4, false}));
    EXPECT_EQ(s->title(), "a title");
    EXPECT_NE(s->output().find("\x1b]0;a title\x07"), std::string::npos);
}

TEST(PtySession, SendsInputAndResizes) {
    auto s = shell(
        "trap 'printf \"size:%s.\" \"$(stty size)\"' WINCH; stty -echo; printf ready; "
        "read line; printf \"got:%s.\" \"$line\"; while :; do sleep 0.02; done");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_text("ready"));
    s->send("hello\r");
    ASSERT_TRUE(s->wait_for_text("got:hello."));
    s->resize(100, 30);
    ASSERT_TRUE(s->wait_for_text("size:30 100."));
    EXPECT_EQ(s->rows(), 30);
    EXPECT_EQ(s->screen().size(), 30U);
    EXPECT_TRUE(s->running());
}

TEST(PtySession, LargeInputDoesNotDeadlockAgainstEchoedOutput) {
    auto s = shell("stty raw -echo; printf ready; exec cat");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_text("ready"));
    const std::size_t before = s->output().size();
    s->send(std::string(200000, 'x'));
    ASSERT_TRUE(s->wait_until([&] { return s->output().size() >= before + 200000; },
                              "the echo of all input"));
}

TEST(PtySession, RunsInAFreshSandboxWithoutDisplay) {
    ASSERT_EQ(::setenv("DISPLAY", ":99", 1), 0);
    auto s = shell(
        "printf '%s\\n' \"$HOME\" \"$XDG_CONFIG_HOME\" \"$XDG_STATE_HOME\" \"$XDG_CACHE_HOME\" "
        "\"$XDG_DATA_HOME\" \"$TMPDIR\" \"$TERM\" \"${DISPLAY-none}\" \"${WAYLAND_DISPLAY-none}\" "
        "\"$(pwd)\"");
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_exit());
    const Sandbox& box = s->sandbox();
    EXPECT_TRUE(std::filesystem::is_directory(box.home()));
    const std::string expected = box.home().string() + "\r\n" + box.config_home().string() +
                                 "\r\n" + box.state_home().string() + "\r\n" +
                                 box.cache_home().string() + "\r\n" + box.data_home().string() +
                                 "\r\n" + box.tmp().string() + "\r\nxterm-256color\r\nnone\r\n" +
                                 "none\r\n" + box.work().string() + "\r\n";
    EXPECT_EQ(s->output(), expected);
    const std::filesystem::path root = box.root();
    s.reset();
    EXPECT_FALSE(std::filesystem::exists(root));
}

TEST(PtySession, SharedSandboxAndWorkingDirectoryOutliveASession) {
    auto sandbox = Sandbox::create();
    ASSERT_TRUE(sandbox);
    ASSERT_TRUE((*sandbox)->write_file("sub/note.txt", "from the test"));
    auto s = shell("cat note.txt; printf ' and back' > back.txt",
                   {.sandbox = *sandbox, .working_directory = (*sandbox)->work() / "sub"});
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_exit());
    EXPECT_EQ(s->row(0), "from the test");
    s.reset();
    EXPECT_EQ((*sandbox)->read_file("sub/back.txt"), " and back");
}

TEST(PtySession, FailedWaitShowsTheScreen) {
    auto s = shell("printf 'on screen'; exec cat");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_text("on screen"));
    const ::testing::AssertionResult missing = s->wait_for_text("absent", 50ms);
    ASSERT_FALSE(missing);
    const std::string message = missing.message();
    EXPECT_NE(message.find("  0|on screen"), std::string::npos) << message;
    EXPECT_NE(message.find("still running"), std::string::npos) << message;
}

TEST(PtySession, WaitEndsEarlyWhenTheProgramEnded) {
    auto s = shell("kill -TERM $$");
    ASSERT_TRUE(s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s->wait_for_text("never", 5000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4000ms);
    EXPECT_EQ(s->exit_code(), 128 + 15);
}

TEST(RunWithoutTerminal, CapturesBothStreamsAndStatus) {
    auto sandbox = Sandbox::create();
    ASSERT_TRUE(sandbox);
    auto result = run_without_terminal(
        "/bin/sh", {"-c", "test -t 0 || echo no tty >&2; read x || echo eof; exit 4"}, **sandbox);
    ASSERT_TRUE(result) << result.error();
    EXPECT_EQ(result->err, "no tty\n");
    EXPECT_EQ(result->out, "eof\n");
    EXPECT_EQ(result->exit_code, 4);
}

}  // namespace
}  // namespace quarn::testing
