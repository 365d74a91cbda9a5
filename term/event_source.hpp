#pragma once
// Waiting for the next terminal event: key and mouse input decoded from the terminal's bytes, and
// window size changes reported by SIGWINCH. A lone ESC is held back for `esc_delay`, because it may
// begin an escape sequence; when nothing follows in that time it becomes the Esc key.
// At most one EventSource exists at a time: it owns the process's SIGWINCH handler.

#include <chrono>
#include <expected>
#include <optional>
#include <system_error>

#include "term/event.hpp"
#include "term/input_parser.hpp"

namespace quarn::term {

inline constexpr std::chrono::milliseconds esc_delay{30};

enum class EventErrorKind {
    Poll,  // waiting for input failed
    Read,  // reading input failed, or the terminal closed it
};

struct EventError {
    EventErrorKind kind = EventErrorKind::Poll;
    std::error_code system;  // system.message() is the text shown to the user
};

// The error code of a terminal that reached end of input (read returned 0).
[[nodiscard]] std::error_code end_of_input_error();

class EventSource {
public:
    // Installs the SIGWINCH handler (restored on destruction) and reads input from `tty_fd`.
    // Fails with EBUSY while another EventSource exists.
    // Requires: `tty_fd` stays open for the life of the returned value; it should be in raw mode.
    [[nodiscard]] static std::expected<EventSource, std::error_code> create(int tty_fd);

    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    EventSource(EventSource&& other) noexcept;
    EventSource& operator=(EventSource&&) = delete;
    ~EventSource();

    // The next event, waiting at most `timeout` for it (0 just looks); nullopt when none came.
    // Reads whatever input is available in one call, so a burst of keys costs one read.
    [[nodiscard]] std::expected<std::optional<Event>, EventError> wait(
        std::chrono::milliseconds timeout);

private:
    using Clock = std::chrono::steady_clock;
    EventSource(int tty_fd, int wake_read, int wake_write);
    void close_all();

    int tty_fd_ = -1;
    int wake_read_ = -1;  // the self-pipe the SIGWINCH handler writes one byte into
    int wake_write_ = -1;
    InputDecoder decoder_;
    Clock::time_point last_input_{};  // when the decoder last received bytes
    bool flushed_ = false;            // flush() already ran since then: don't spin on an open paste
};

}  // namespace quarn::term
