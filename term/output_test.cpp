#include "term/output.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quarn::term {
namespace {

using toolkit::Cell;
using toolkit::CellUpdate;
using toolkit::Palette;
using toolkit::Rgb;
using toolkit::Style;

// Bytes shown with ESC as "^[" so that failures are readable.
std::string visible(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        if (c == '\x1b')
            out += "^[";
        else
            out += c;
    }
    return out;
}

CellUpdate at(std::uint16_t x, std::uint16_t y, char32_t symbol, Style style = {}) {
    return CellUpdate{x, y, Cell{symbol, style}};
}

struct DrawCase {
    std::string_view name;
    std::vector<CellUpdate> cells;
    std::string_view bytes;
};
const DrawCase draw_cases[] = {
    {"AdjacentCellsOneMove", {at(0, 0, 'a'), at(1, 0, 'b')}, "\x1b[1;1H\x1b[0mab"},
    {"GapsAndRowsMove",
     {at(2, 0, 'a'), at(5, 0, 'b'), at(0, 1, 'c')},
     "\x1b[1;3H\x1b[0ma\x1b[1;6Hb\x1b[2;1Hc"},
    {"SgrOnlyOnChange",
     {at(0, 0, 'a', {.fg = Palette::Red}), at(1, 0, 'b', {.fg = Palette::Red}), at(2, 0, 'c')},
     "\x1b[1;1H\x1b[0;31mab\x1b[0mc"},
    {"StyledLastCellIsReset",
     {at(3, 2, 'x', {.bg = Palette::Blue})},
     "\x1b[3;4H\x1b[0;44mx\x1b[0m"},
    {"BrightAndRgbAndReverse",
     {at(0, 0, 'a', {.fg = Palette::LightYellow, .bg = Palette::DarkGray, .reverse = true}),
      at(1, 0, 'b', {.fg = Rgb{50, 60, 70}, .bg = Rgb{100, 100, 100}}),
      at(2, 0, 'c', {.fg = Palette::White, .bg = Palette::Black})},
     "\x1b[1;1H\x1b[0;7;93;100ma\x1b[0;38;2;50;60;70;48;2;100;100;100mb\x1b[0;97;40mc\x1b[0m"},
    // After a non-ASCII character the next cell is placed explicitly: terminals disagree on
    // the width of some of them.
    {"MoveAfterNonAscii",
     {at(0, 0, U'┌'), at(1, 0, U'─'), at(2, 0, 'a'), at(3, 0, 'b')},
     "\x1b[1;1H\x1b[0m┌\x1b[1;2H─\x1b[1;3Hab"},
    // Cells written straight into a buffer bypass set_string: the writer substitutes again.
    {"ControlsNeverLeave",
     {at(0, 0, 0x1b), at(1, 0, 0x9b), at(2, 0, 0x7f), at(3, 0, U'\n'), at(4, 0, U'中')},
     "\x1b[1;1H\x1b[0m␛\x1b[1;2H\uFFFD\x1b[1;3H␡\x1b[1;4H␊\x1b[1;5H\uFFFD"},
    {"NothingToDraw", {}, "\x1b[0m"},
};

TEST(TerminalBackendDraw, ExactBytes) {
    for (const DrawCase& c : draw_cases) {
        SCOPED_TRACE(c.name);
        TerminalBackend backend(-1);
        ASSERT_TRUE(backend.draw(c.cells));
        EXPECT_EQ(visible(backend.pending()), visible(c.bytes));
    }
}

TEST(TerminalBackendDraw, KnownDefaultPenSkipsTheReset) {
    TerminalBackend backend(-1);
    ASSERT_TRUE(backend.draw(std::vector{at(0, 0, 'a', {.fg = Palette::Green})}));
    ASSERT_TRUE(backend.clear());
    ASSERT_TRUE(backend.draw(std::vector{at(0, 0, 'b')}));
    EXPECT_EQ(visible(backend.pending()), visible("\x1b[1;1H\x1b[0;32ma\x1b[0m\x1b[2J\x1b[1;1Hb"));
}

TEST(TerminalBackend, CursorAndClear) {
    TerminalBackend backend(-1);
    ASSERT_TRUE(backend.clear());  // the pen is unknown yet: reset first, for the background
    ASSERT_TRUE(backend.hide_cursor());
    ASSERT_TRUE(backend.set_cursor(4, 2));
    ASSERT_TRUE(backend.show_cursor());
    EXPECT_EQ(visible(backend.pending()), visible("\x1b[0m\x1b[2J\x1b[?25l\x1b[3;5H\x1b[?25h"));
}

struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        read_end = fds[0];
        write_end = fds[1];
    }
    ~Pipe() {
        close(read_end);
        close(write_end);
    }
    std::string read_available() const {
        std::string out;
        char chunk[4096];
        (void)fcntl(read_end, F_SETFL, O_NONBLOCK);
        for (ssize_t n; (n = read(read_end, chunk, sizeof chunk)) > 0;)
            out.append(chunk, static_cast<std::size_t>(n));
        return out;
    }
};

TEST(TerminalBackend, FlushWritesEverythingOnce) {
    Pipe pipe;
    TerminalBackend backend(pipe.write_end);
    ASSERT_TRUE(backend.hide_cursor());
    EXPECT_EQ(pipe.read_available(), "");  // nothing before flush
    ASSERT_TRUE(backend.flush());
    ASSERT_TRUE(backend.set_cursor(0, 0));
    ASSERT_TRUE(backend.flush());
    ASSERT_TRUE(backend.flush());
    EXPECT_EQ(visible(pipe.read_available()), visible("\x1b[?25l\x1b[1;1H"));
}

TEST(TerminalBackend, WriteFailureIsReportedAndDropped) {
    const int read_only = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(read_only, 0);
    TerminalBackend backend(read_only);
    ASSERT_TRUE(backend.hide_cursor());
    const auto flushed = backend.flush();
    ASSERT_FALSE(flushed);
    EXPECT_EQ(flushed.error(), std::errc::bad_file_descriptor);
    EXPECT_EQ(backend.pending(), "");
    close(read_only);
}

TEST(TerminalBackend, SizeFromTheTerminal) {
    int master = -1;
    int slave = -1;
    winsize window{};
    window.ws_row = 24;
    window.ws_col = 91;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &window), 0);
    TerminalBackend backend(slave);
    const auto size = backend.size();
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, (toolkit::Size{91, 24}));
    close(master);
    close(slave);

    Pipe pipe;
    EXPECT_EQ(TerminalBackend(pipe.write_end).size().error(),
              std::errc::inappropriate_io_control_operation);
}

TEST(WriteAll, LargeOutputArrivesWhole) {
    Pipe pipe;
    const std::string big(200000, 'x');  // more than a pipe holds: the reader drains meanwhile
    std::string received;
    std::thread reader([&] {
        char chunk[65536];
        for (ssize_t n; (n = read(pipe.read_end, chunk, sizeof chunk)) > 0;) {
            received.append(chunk, static_cast<std::size_t>(n));
            if (received.size() == big.size()) break;
        }
    });
    EXPECT_TRUE(write_all(pipe.write_end, big));
    reader.join();
    EXPECT_EQ(received.size(), big.size());
}

}  // namespace
}  // namespace quarn::term
