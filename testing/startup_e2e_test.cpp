// The program's start and end as seen from a terminal: the exact control bytes around a session,
// the exit statuses, and the refusal to run without a terminal.

#include <gtest/gtest.h>

#include <string>

#include "testing/keys.hpp"
#include "testing/pty_session.hpp"

namespace quarn::testing {
namespace {

constexpr std::string_view start_bytes =
    "\x1b[?1049h"
    "\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1015h\x1b[?1006h"
    "\x1b[>1u";
// The guard's release sequence. (The toolkit shows the cursor just before, when it had hidden it;
// here the last frame shows it at the caret.)
constexpr std::string_view end_bytes =
    "\x1b[<1u"
    "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l"
    "\x1b[?1049l";

std::unique_ptr<PtySession> start_quarn(std::vector<std::string> args, std::uint16_t columns = 80,
                                        std::uint16_t rows = 24) {
    auto session = PtySession::start(
        {.binary = QUARN_BINARY, .args = std::move(args), .columns = columns, .rows = rows});
    EXPECT_TRUE(session) << session.error();
    return session ? std::move(*session) : nullptr;
}

struct QuitCase {
    std::string_view name;
    std::string key;
};

TEST(Startup, CtrlQRestoresTheTerminalAndExitsWithZero) {
    const QuitCase cases[] = {
        {"ControlByte", keys::ctrl('q')},
        {"Disambiguated", keys::csi_u(U'q', keys::with_ctrl)},
        {"UpperCase", keys::csi_u(U'Q', keys::with_ctrl)},
    };
    for (const QuitCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = start_quarn({"first.txt", "--second"});
        ASSERT_TRUE(s);
        ASSERT_TRUE(s->wait_for_text("quarn"));
        ASSERT_TRUE(s->wait_for_text("--second"));
        EXPECT_TRUE(s->output().starts_with(start_bytes))
            << ::testing::PrintToString(s->output().substr(0, 60));
        // Both arguments are files, the one that starts with dashes too: two tabs.
        EXPECT_EQ(s->row(1), " first.txt  --second");
        s->send(c.key);
        ASSERT_TRUE(s->wait_for_exit());
        EXPECT_EQ(s->exit_code(), 0);
        EXPECT_TRUE(s->output().ends_with(end_bytes))
            << ::testing::PrintToString(s->output().substr(s->output().size() - 60));
        EXPECT_TRUE(s->cursor().visible);
    }
}

TEST(Startup, OtherKeysDoNotQuit) {
    auto s = start_quarn({});
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->wait_for_text("quarn"));
    s->send(keys::text("q") + keys::ctrl_shift('q') + keys::alt('q') + keys::esc());
    EXPECT_FALSE(s->wait_until([&] { return !s->running(); }, "an early end",
                               std::chrono::milliseconds(300)));
    s->send(keys::ctrl('q'));  // the typed "q" is unsaved: quitting asks first
    ASSERT_TRUE(s->wait_for_text("Unsaved changes"));
    s->send(keys::text("d"));
    ASSERT_TRUE(s->wait_for_exit());
    EXPECT_EQ(s->exit_code(), 0);
}

TEST(Startup, RedrawsAtTheNewSizeAfterAResize) {
    auto s = start_quarn({}, 40, 10);
    ASSERT_TRUE(s);
    const std::string status = "Untitled \u2014 quarn";
    ASSERT_TRUE(s->wait_for_row(8, status));
    s->resize(60, 15);
    ASSERT_TRUE(s->wait_for_row(13, status));
    EXPECT_EQ(s->row(8), "");
}

TEST(Startup, RefusesToRunWithoutATerminal) {
    auto sandbox = Sandbox::create();
    ASSERT_TRUE(sandbox);
    auto result = run_without_terminal(QUARN_BINARY, {"file.txt"}, **sandbox);
    ASSERT_TRUE(result) << result.error();
    EXPECT_EQ(result->err, "failed to initialise terminal\n");
    EXPECT_EQ(result->out, "");
    EXPECT_EQ(result->exit_code, 1);
}

}  // namespace
}  // namespace quarn::testing
