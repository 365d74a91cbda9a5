#include "term/guard.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <string>

namespace quarn::term {
namespace {

// The exact bytes the terminal must see; written out here rather than taken from guard.hpp, so a
// typo there shows up.
constexpr std::string_view start_bytes =
    "\x1b[?1049h"
    "\x1b[?1000h\x1b[?1002h\x1b[?1003h\x1b[?1015h\x1b[?1006h"
    "\x1b[>1u";
constexpr std::string_view release_bytes =
    "\x1b[<1u"
    "\x1b[?1006l\x1b[?1015l\x1b[?1003l\x1b[?1002l\x1b[?1000l"
    "\x1b[?1049l";

// A pseudo-terminal: the program side (`tty`) in cooked mode, and the emulator side (`master`).
class Pty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&master, &tty, nullptr, nullptr, nullptr), 0);
        ASSERT_EQ(tcgetattr(tty, &cooked), 0);
    }
    void TearDown() override {
        ::close(master);
        ::close(tty);
    }

    // Everything written to the tty so far.
    std::string drain() {
        std::string out;
        std::array<char, 1024> buffer{};
        pollfd fd{master, POLLIN, 0};
        while (::poll(&fd, 1, 100) > 0) {
            const ssize_t n = ::read(master, buffer.data(), buffer.size());
            if (n <= 0) break;
            out.append(buffer.data(), static_cast<std::size_t>(n));
        }
        return out;
    }

    termios current() const {
        termios now{};
        EXPECT_EQ(tcgetattr(tty, &now), 0);
        return now;
    }

    void expect_cooked() const {
        const termios now = current();
        EXPECT_EQ(now.c_iflag, cooked.c_iflag);
        EXPECT_EQ(now.c_oflag, cooked.c_oflag);
        EXPECT_EQ(now.c_cflag, cooked.c_cflag);
        EXPECT_EQ(now.c_lflag, cooked.c_lflag);
    }

    int master = -1;
    int tty = -1;
    termios cooked{};
};

TEST_F(Pty, SetupWritesStartBytesAndReleaseRestoresEverything) {
    {
        auto guard = setup_terminal(tty, tty);
        ASSERT_TRUE(guard) << guard.error().message();
        EXPECT_EQ(drain(), start_bytes);
        const termios raw = current();
        EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
        EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0U);

        // Moving hands the duty over: the source releases nothing, the target once.
        TerminalGuard moved = std::move(*guard);
        { TerminalGuard discard = std::move(*guard); }
        EXPECT_EQ(drain(), "");
    }
    EXPECT_EQ(drain(), release_bytes);
    expect_cooked();
}

TEST_F(Pty, ReleaseRunsOnceAndIgnoresWriteFailures) {
    const int out = ::dup(tty);
    auto guard = setup_terminal(tty, out);
    ASSERT_TRUE(guard);
    EXPECT_EQ(drain(), start_bytes);
    // The output breaks while running (say, the terminal went away): writes fail with EBADF.
    const int read_only = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(read_only, out), out);
    guard->release();
    expect_cooked();  // raw mode still goes off, last
    guard->release();
    EXPECT_EQ(drain(), "");
    ::close(read_only);
    ::close(out);
}

TEST(SetupTerminal, FailsOnANonTerminalWithoutWriting) {
    std::array<int, 2> pipe_fds{};
    ASSERT_EQ(::pipe(pipe_fds.data()), 0);
    auto guard = setup_terminal(pipe_fds[0], pipe_fds[1]);
    ASSERT_FALSE(guard);
    EXPECT_EQ(guard.error(), std::errc::inappropriate_io_control_operation);
    pollfd fd{pipe_fds[0], POLLIN, 0};
    EXPECT_EQ(::poll(&fd, 1, 0), 0) << "nothing may be written";
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
}

TEST_F(Pty, FailedStartWriteLeavesTheTerminalCooked) {
    const int read_only = ::open("/dev/null", O_RDONLY);
    auto guard = setup_terminal(tty, read_only);
    ASSERT_FALSE(guard);
    EXPECT_EQ(guard.error(), std::errc::bad_file_descriptor);
    // The shell must not be left with a terminal that neither echoes nor edits lines.
    expect_cooked();
    ::close(read_only);
}

}  // namespace
}  // namespace quarn::term
