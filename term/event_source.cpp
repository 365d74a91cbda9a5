#include "term/event_source.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>
#include <string_view>
#include <utility>

namespace quarn::term {
namespace {

// The signal handler can reach nothing but statics; these are the only ones in the package.
// winch_fd is the self-pipe's write end, -1 while no EventSource exists.
std::atomic<int> winch_fd{-1};
struct sigaction previous_winch_action {};

extern "C" void on_winch(int) {
    const int saved_errno = errno;
    const int fd = winch_fd.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)::write(fd, &byte,
                      1);  // a full pipe already holds a wake-up; dropping this one is fine
    }
    errno = saved_errno;
}

class EventSourceCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "quarn.term.event_source"; }
    std::string message(int) const override { return "end of input from the terminal"; }
};

[[nodiscard]] std::error_code last_error() { return {errno, std::system_category()}; }

void drain(int fd) {
    std::array<char, 64> sink{};
    while (::read(fd, sink.data(), sink.size()) > 0) {
    }
}

}  // namespace

std::error_code end_of_input_error() {
    static const EventSourceCategory category;
    return {1, category};
}

std::expected<EventSource, std::error_code> EventSource::create(int tty_fd) {
    std::array<int, 2> fds{};
    if (::pipe2(fds.data(), O_NONBLOCK | O_CLOEXEC) != 0) return std::unexpected(last_error());
    int expected_none = -1;
    if (!winch_fd.compare_exchange_strong(expected_none, fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::unexpected(std::make_error_code(std::errc::device_or_resource_busy));
    }
    EventSource source(tty_fd, fds[0], fds[1]);
    struct sigaction action {};
    action.sa_handler = on_winch;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // other blocking calls of the program must not see EINTR
    if (::sigaction(SIGWINCH, &action, &previous_winch_action) != 0) {
        const std::error_code error = last_error();
        winch_fd.store(-1);
        return std::unexpected(error);
    }
    return source;
}

EventSource::EventSource(int tty_fd, int wake_read, int wake_write)
    : tty_fd_(tty_fd), wake_read_(wake_read), wake_write_(wake_write) {}

EventSource::EventSource(EventSource&& other) noexcept
    : tty_fd_(std::exchange(other.tty_fd_, -1)),
      wake_read_(std::exchange(other.wake_read_, -1)),
      wake_write_(std::exchange(other.wake_write_, -1)),
      decoder_(std::move(other.decoder_)),
      last_input_(other.last_input_),
      flushed_(other.flushed_) {}

EventSource::~EventSource() { close_all(); }

void EventSource::close_all() {
    if (wake_write_ < 0) return;
    int mine = wake_write_;
    if (winch_fd.compare_exchange_strong(mine, -1))
        (void)::sigaction(SIGWINCH, &previous_winch_action, nullptr);  // best effort on teardown
    ::close(wake_read_);
    ::close(wake_write_);
    wake_read_ = wake_write_ = tty_fd_ = -1;
}

std::expected<std::optional<Event>, EventError> EventSource::wait(
    std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (std::optional<Event> event = decoder_.next()) return event;
        Clock::time_point now = Clock::now();
        if (decoder_.pending() && !flushed_ && now - last_input_ >= esc_delay) {
            flushed_ = true;
            if (std::optional<Event> event = decoder_.flush()) return event;
        }
        Clock::time_point wake = deadline;
        if (decoder_.pending() && !flushed_) wake = std::min(wake, last_input_ + esc_delay);
        const auto wait_ms = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        std::array<pollfd, 2> fds{pollfd{tty_fd_, POLLIN, 0}, pollfd{wake_read_, POLLIN, 0}};
        const int ready =
            ::poll(fds.data(), fds.size(), static_cast<int>(std::max<long>(wait_ms, 0)));
        if (ready < 0) {
            if (errno == EINTR) continue;  // SIGWINCH: its byte is in the pipe now
            return std::unexpected(EventError{EventErrorKind::Poll, last_error()});
        }
        if (ready == 0) {
            now = Clock::now();
            if (now < deadline) continue;
            if (decoder_.pending() && !flushed_ && now - last_input_ >= esc_delay) {
                flushed_ = true;
                return decoder_.flush();
            }
            return std::nullopt;
        }
        if ((fds[0].revents & POLLNVAL) != 0 || (fds[1].revents & POLLNVAL) != 0)
            return std::unexpected(EventError{
                EventErrorKind::Poll, std::make_error_code(std::errc::bad_file_descriptor)});
        if ((fds[1].revents & POLLIN) != 0) {
            drain(wake_read_);
            winsize size{};
            if (::ioctl(tty_fd_, TIOCGWINSZ, &size) != 0)
                return std::unexpected(EventError{EventErrorKind::Read, last_error()});
            return Event{ResizeEvent{size.ws_col, size.ws_row}};
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            std::array<char, 4096> bytes{};
            const ssize_t n = ::read(tty_fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return std::unexpected(EventError{EventErrorKind::Read, last_error()});
            }
            if (n == 0)
                return std::unexpected(EventError{EventErrorKind::Read, end_of_input_error()});
            decoder_.feed(std::string_view(bytes.data(), static_cast<std::size_t>(n)));
            last_input_ = Clock::now();
            flushed_ = false;
        }
    }
}

}  // namespace quarn::term
