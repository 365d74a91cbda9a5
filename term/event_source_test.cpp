#include "term/event_source.hpp"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "term/raw_mode.hpp"

namespace quarn::term {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

KeyEvent key(KeyCode code, Modifiers mods = {}) { return KeyEvent{.code = code, .mods = mods}; }
KeyEvent character(char32_t ch, Modifiers mods = {}) {
    return KeyEvent{.code = KeyCode::Char, .ch = ch, .mods = mods};
}

// The program reads `tty` (raw) through the event source; the test types into `master`.
class EventSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&master, &tty, nullptr, nullptr, nullptr), 0);
        auto raw_mode = RawMode::enable(tty);
        ASSERT_TRUE(raw_mode);
        raw.emplace(std::move(*raw_mode));
        auto created = EventSource::create(tty);
        ASSERT_TRUE(created) << created.error().message();
        source.emplace(std::move(*created));
    }
    void TearDown() override {
        source.reset();
        raw.reset();
        if (master >= 0) ::close(master);
        ::close(tty);
    }

    void type(std::string_view bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    std::optional<Event> next(std::chrono::milliseconds timeout = 2000ms) {
        auto event = source->wait(timeout);
        EXPECT_TRUE(event) << event.error().system.message();
        return event ? *event : std::nullopt;
    }

    int master = -1;
    int tty = -1;
    std::optional<RawMode> raw;
    std::optional<EventSource> source;
};

TEST_F(EventSourceTest, TypedBytesBecomeEventsInOrder) {
    type("ab\x1b[1;5A\x1b[<0;3;2M\xc3\xa9\r");
    const std::vector<Event> expected{
        character(U'a'),
        character(U'b'),
        key(KeyCode::Up, {.ctrl = true}),
        MouseEvent{.kind = MouseKind::Press,
                   .button = MouseButton::Left,
                   .column = 2,
                   .row = 1,
                   .mods = {}},
        character(U'é'),
        key(KeyCode::Enter),
    };
    for (const Event& want : expected) EXPECT_EQ(next(), want);
    EXPECT_EQ(next(20ms), std::nullopt);
}

TEST_F(EventSourceTest, SequenceSplitAcrossReadsIsJoined) {
    type("\x1b[1;5");
    // Well below the ESC delay: the half sequence must be held, not flushed as keys.
    EXPECT_EQ(next(5ms), std::nullopt);
    type("A");
    EXPECT_EQ(next(), Event{key(KeyCode::Up, {.ctrl = true})});
}

TEST_F(EventSourceTest, LoneEscBecomesEscAfterTheDelay) {
    type("\x1b");
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(next(), Event{key(KeyCode::Esc)});
    EXPECT_GE(Clock::now() - start, esc_delay - 5ms);  // the write reached the tty a bit earlier
    EXPECT_EQ(next(20ms), std::nullopt);
}

TEST_F(EventSourceTest, ShortWaitsKeepAPendingEscUntilItsDelayPassed) {
    type("\x1b");
    // Several waits shorter than the delay: the ESC is neither lost nor reported early.
    std::optional<Event> event;
    const Clock::time_point start = Clock::now();
    while (!event && Clock::now() - start < 2s) event = next(1ms);
    EXPECT_EQ(event, Event{key(KeyCode::Esc)});
}

TEST_F(EventSourceTest, EscFollowedByMoreIsNotALoneEsc) {
    type(
        "\x1b"
        "a");
    EXPECT_EQ(next(), Event{character(U'a', {.alt = true})});
}

TEST_F(EventSourceTest, TimeoutWithoutInputGivesNothing) {
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(next(40ms), std::nullopt);
    EXPECT_GE(Clock::now() - start, 40ms);
}

TEST_F(EventSourceTest, WindowChangeGivesTheNewSize) {
    winsize size{};
    size.ws_row = 31;
    size.ws_col = 101;
    ASSERT_EQ(::ioctl(master, TIOCSWINSZ, &size), 0);
    ASSERT_EQ(::raise(SIGWINCH), 0);
    const Event resized = ResizeEvent{.columns = 101, .rows = 31};
    EXPECT_EQ(next(), resized);
    EXPECT_EQ(next(20ms), std::nullopt);
}

TEST_F(EventSourceTest, ClosedTerminalIsAReadError) {
    ::close(master);
    master = -1;
    auto event = source->wait(2000ms);
    ASSERT_FALSE(event);
    EXPECT_EQ(event.error().kind, EventErrorKind::Read);
    EXPECT_FALSE(event.error().system.message().empty());
}

TEST(EventSourceCreate, OnlyOneAtATime) {
    auto first = EventSource::create(STDIN_FILENO);
    ASSERT_TRUE(first);
    auto second = EventSource::create(STDIN_FILENO);
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error(), std::errc::device_or_resource_busy);
    first = std::unexpected(std::error_code());  // drops the first source
    EXPECT_TRUE(EventSource::create(STDIN_FILENO));
}

TEST(EndOfInput, HasAClearText) {
    EXPECT_EQ(end_of_input_error().message(), "end of input from the terminal");
}

}  // namespace
}  // namespace quarn::term
