#include "testing/pty_session.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ostream>

namespace quarn::testing {
namespace {

using Clock = std::chrono::steady_clock;

// argv and envp for execve, built before fork: the child may only make async-signal-safe calls.
class CStrings {
public:
    explicit CStrings(std::vector<std::string> strings) : strings_(std::move(strings)) {
        for (std::string& s : strings_) pointers_.push_back(s.data());
        pointers_.push_back(nullptr);
    }
    char** get() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

void append_utf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

[[nodiscard]] int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long>(left, 1000));
}

[[nodiscard]] int decode_status(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

[[nodiscard]] int open_pidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

// In the child between fork and exec: a clean signal state and no descriptors but 0, 1 and 2.
void prepare_child() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGWINCH}) signal(sig, SIG_DFL);
    ::syscall(SYS_close_range, 3U, ~0U, 0U);
}

[[noreturn]] void exec_or_die(const char* binary, char** argv, char** envp) {
    ::execve(binary, argv, envp);
    const char message[] = "pty harness: cannot execute the program\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(127);
}

Colour colour_of(const VTermScreen* screen, VTermColor colour, bool foreground) {
    Colour out;
    const int default_flag = foreground ? VTERM_COLOR_DEFAULT_FG : VTERM_COLOR_DEFAULT_BG;
    if ((colour.type & default_flag) != 0) {
        out.kind = ColourKind::Default;
    } else if (VTERM_COLOR_IS_INDEXED(&colour)) {
        out.kind = ColourKind::Indexed;
        out.index = colour.indexed.idx;
    } else {
        out.kind = ColourKind::Rgb;
    }
    vterm_screen_convert_color_to_rgb(screen, &colour);
    out.red = colour.rgb.red;
    out.green = colour.rgb.green;
    out.blue = colour.rgb.blue;
    return out;
}

int on_movecursor(VTermPos pos, VTermPos, int, void* user) {
    static_cast<PtySession*>(user)->on_cursor(pos.row, pos.col);
    return 1;
}

int on_settermprop(VTermProp prop, VTermValue* value, void* user) {
    auto* session = static_cast<PtySession*>(user);
    switch (prop) {
        case VTERM_PROP_CURSORVISIBLE:
            session->on_cursor_visible(value->boolean != 0);
            return 1;
        case VTERM_PROP_TITLE:
            session->on_title(value->string != nullptr ? value->string : "");
            return 1;
        default:  // libvterm's enum: the other properties don't matter to tests
            return 0;
    }
}

void on_output(const char* bytes, std::size_t length, void* user) {
    static_cast<PtySession*>(user)->on_reply(std::string_view(bytes, length));
}

constexpr VTermScreenCallbacks screen_callbacks = {
    .damage = nullptr,
    .moverect = nullptr,
    .movecursor = on_movecursor,
    .settermprop = on_settermprop,
    .bell = nullptr,
    .resize = nullptr,
    .sb_pushline = nullptr,
    .sb_popline = nullptr,
};

}  // namespace

void PrintTo(const Colour& colour, std::ostream* out) {
    switch (colour.kind) {
        case ColourKind::Default:
            *out << "default";
            return;
        case ColourKind::Indexed:
            *out << "index " << int{colour.index};
            return;
        case ColourKind::Rgb:
            *out << "rgb(" << int{colour.red} << "," << int{colour.green} << "," << int{colour.blue}
                 << ")";
            return;
    }
}

std::expected<std::unique_ptr<PtySession>, std::string> PtySession::start(SessionOptions options) {
    if (!options.sandbox) {
        auto sandbox = Sandbox::create();
        if (!sandbox) return std::unexpected(sandbox.error());
        options.sandbox = std::move(*sandbox);
    }
    auto session = std::make_unique<PtySession>(Key{});
    session->sandbox_ = options.sandbox;
    session->columns_ = options.columns;
    session->rows_ = options.rows;
    session->vterm_ = vterm_new(options.rows, options.columns);
    vterm_set_utf8(session->vterm_, 1);
    vterm_output_set_callback(session->vterm_, on_output, session.get());
    session->screen_ = vterm_obtain_screen(session->vterm_);
    vterm_screen_set_callbacks(session->screen_, &screen_callbacks, session.get());
    vterm_screen_enable_altscreen(session->screen_, 1);
    vterm_screen_reset(session->screen_, 1);

    std::vector<std::string> arguments{options.binary.string()};
    arguments.insert(arguments.end(), options.args.begin(), options.args.end());
    CStrings argv(std::move(arguments));
    CStrings envp(options.sandbox->environment(options.environment));
    const std::string binary = options.binary.string();
    const std::string directory = options.working_directory.empty()
                                      ? options.sandbox->work().string()
                                      : options.working_directory.string();
    winsize size{};
    size.ws_row = options.rows;
    size.ws_col = options.columns;

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) return std::unexpected(std::string("forkpty: ") + std::strerror(errno));
    if (pid == 0) {
        prepare_child();
        if (::chdir(directory.c_str()) != 0) ::_exit(126);
        exec_or_die(binary.c_str(), argv.get(), envp.get());
    }
    session->pid_ = pid;
    session->master_ = master;
    (void)::fcntl(master, F_SETFD, FD_CLOEXEC);  // later sessions' children must not hold it
    if (::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0)
        return std::unexpected(std::string("fcntl: ") + std::strerror(errno));
    session->pidfd_ = open_pidfd(pid);
    return session;
}

PtySession::~PtySession() {
    if (pid_ > 0 && !exit_code_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        (void)::waitpid(pid_, &status, 0);
    }
    if (pidfd_ >= 0) ::close(pidfd_);
    if (master_ >= 0) ::close(master_);
    if (vterm_ != nullptr) vterm_free(vterm_);
}

void PtySession::on_cursor(int row, int column) {
    cursor_.row = row;
    cursor_.column = column;
}

void PtySession::send(std::string_view bytes) {
    const Clock::time_point deadline = Clock::now() + default_wait;
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            ADD_FAILURE() << "cannot send to the program: " << std::strerror(errno);
            return;
        }
        if (Clock::now() >= deadline) {
            ADD_FAILURE() << "the program does not read its input\n" << dump();
            return;
        }
        // The input queue is full; the program may be blocked writing to us, so read meanwhile.
        pollfd fd{master_, POLLIN | POLLOUT, 0};
        (void)::poll(&fd, 1, remaining_ms(deadline));
        read_available();
    }
}

void PtySession::update() {
    // Reaped first: what the program wrote before it ended is then certainly readable below.
    reap(WNOHANG);
    read_available();
}

void PtySession::read_available() {
    std::array<char, 65536> buffer{};
    while (!eof_) {
        const ssize_t n = ::read(master_, buffer.data(), buffer.size());
        if (n > 0) {
            const std::string_view chunk(buffer.data(), static_cast<std::size_t>(n));
            output_ += chunk;
            vterm_input_write(vterm_, chunk.data(), chunk.size());
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        eof_ = true;  // EIO: the last holder of the terminal's other side has closed it
    }
    flush_replies();
}

void PtySession::flush_replies() {
    while (!replies_.empty() && !eof_) {
        const ssize_t n = ::write(master_, replies_.data(), replies_.size());
        if (n <= 0) return;  // the program is not reading; the answer waits for the next read
        replies_.erase(0, static_cast<std::size_t>(n));
    }
}

void PtySession::reap(int options) {
    if (exit_code_ || pid_ <= 0) return;
    int status = 0;
    if (::waitpid(pid_, &status, options) == pid_) exit_code_ = decode_status(status);
}

void PtySession::pump(int wait_ms) {
    std::array<pollfd, 2> fds{};
    nfds_t count = 0;
    if (!eof_) fds[count++] = pollfd{master_, POLLIN, 0};
    if (!exit_code_ && pidfd_ >= 0) fds[count++] = pollfd{pidfd_, POLLIN, 0};
    // Without a pidfd an ended program that left the terminal open is noticed by a short poll.
    if (!exit_code_ && pidfd_ < 0) wait_ms = std::min(wait_ms, 10);
    (void)::poll(fds.data(), count, wait_ms);
    update();
}

::testing::AssertionResult PtySession::wait_until(const std::function<bool()>& done,
                                                  std::string_view what,
                                                  std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        update();
        if (done()) return ::testing::AssertionSuccess();
        if (Clock::now() >= deadline || (eof_ && exit_code_)) return timed_out(what, timeout);
        pump(remaining_ms(deadline));
    }
}

::testing::AssertionResult PtySession::wait_for_text(std::string_view text,
                                                     std::chrono::milliseconds timeout) {
    return wait_until(
        [&] {
            for (int r = 0; r < rows_; ++r)
                if (row(r).find(text) != std::string::npos) return true;
            return false;
        },
        "the text \"" + std::string(text) + "\" on the screen", timeout);
}

::testing::AssertionResult PtySession::wait_for_row(int row_index, std::string_view text,
                                                    std::chrono::milliseconds timeout) {
    return wait_until([&] { return row(row_index) == text; },
                      "row " + std::to_string(row_index) + " reading \"" + std::string(text) + "\"",
                      timeout);
}

::testing::AssertionResult PtySession::wait_for_output(std::string_view bytes, std::size_t from,
                                                       std::chrono::milliseconds timeout) {
    return wait_until(
        [&] { return output_.size() >= from && output_.find(bytes, from) != std::string::npos; },
        "output bytes " + ::testing::PrintToString(std::string(bytes)), timeout);
}

::testing::AssertionResult PtySession::wait_for_exit(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        update();
        if (exit_code_ && eof_) return ::testing::AssertionSuccess();
        if (Clock::now() >= deadline) return timed_out("the end of the program", timeout);
        pump(remaining_ms(deadline));
    }
}

::testing::AssertionResult PtySession::timed_out(std::string_view what,
                                                 std::chrono::milliseconds timeout) const {
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "waited " << timeout.count() << " ms for " << what << "; ";
    if (exit_code_)
        failure << "the program ended with status " << *exit_code_;
    else
        failure << "the program is still running";
    return failure << "\n" << dump();
}

std::string PtySession::row(int row_index) const {
    std::string text;
    VTermScreenCell cell{};
    for (int column = 0; column < columns_; ++column) {
        vterm_screen_get_cell(screen_, VTermPos{row_index, column}, &cell);
        if (cell.chars[0] == 0) {
            text += ' ';
            continue;
        }
        if (cell.chars[0] == static_cast<std::uint32_t>(-1)) continue;  // right half of a wide one
        for (std::uint32_t c : cell.chars) {
            if (c == 0) break;
            append_utf8(text, c);
        }
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::vector<std::string> PtySession::screen() const {
    std::vector<std::string> rows;
    for (int r = 0; r < rows_; ++r) rows.push_back(row(r));
    return rows;
}

std::string PtySession::dump() const {
    std::string out = "screen " + std::to_string(columns_) + "x" + std::to_string(rows_) +
                      ", cursor at row " + std::to_string(cursor_.row) + " column " +
                      std::to_string(cursor_.column) + (cursor_.visible ? "" : " (hidden)") +
                      ", title \"" + title_ + "\"\n";
    for (int r = 0; r < rows_; ++r) {
        const std::string number = std::to_string(r);
        out += std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "|" + row(r) +
               "\n";
    }
    return out;
}

Cell PtySession::cell(int row_index, int column) const {
    VTermScreenCell raw{};
    vterm_screen_get_cell(screen_, VTermPos{row_index, column}, &raw);
    Cell out;
    if (raw.chars[0] == 0) {
        out.text = " ";
    } else {
        for (std::uint32_t c : raw.chars) {
            if (c == 0 || c == static_cast<std::uint32_t>(-1)) break;
            append_utf8(out.text, c);
        }
    }
    out.fg = colour_of(screen_, raw.fg, true);
    out.bg = colour_of(screen_, raw.bg, false);
    out.reverse = raw.attrs.reverse != 0;
    out.bold = raw.attrs.bold != 0;
    out.italic = raw.attrs.italic != 0;
    out.underline = raw.attrs.underline != 0;
    return out;
}

void PtySession::resize(std::uint16_t columns, std::uint16_t rows) {
    winsize size{};
    size.ws_row = rows;
    size.ws_col = columns;
    if (::ioctl(master_, TIOCSWINSZ, &size) != 0)
        ADD_FAILURE() << "TIOCSWINSZ: " << std::strerror(errno);
    vterm_set_size(vterm_, rows, columns);
    columns_ = columns;
    rows_ = rows;
}

std::expected<ProcessResult, std::string> run_without_terminal(
    const std::filesystem::path& binary, const std::vector<std::string>& args,
    const Sandbox& sandbox, const std::filesystem::path& stdin_path,
    std::chrono::milliseconds timeout) {
    std::array<int, 2> out_pipe{};
    std::array<int, 2> err_pipe{};
    if (::pipe2(out_pipe.data(), O_CLOEXEC) != 0) return std::unexpected("pipe failed");
    if (::pipe2(err_pipe.data(), O_CLOEXEC) != 0) {
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        return std::unexpected("pipe failed");
    }
    std::vector<std::string> arguments{binary.string()};
    arguments.insert(arguments.end(), args.begin(), args.end());
    CStrings argv(std::move(arguments));
    CStrings envp(sandbox.environment({}));
    const std::string binary_path = binary.string();
    const std::string input = stdin_path.string();
    const std::string directory = sandbox.work().string();

    const pid_t pid = ::fork();
    if (pid < 0) return std::unexpected(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        ::setsid();  // no controlling terminal: the program must not find one anywhere
        const int in = ::open(input.c_str(), O_RDONLY);
        if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(out_pipe[1], STDOUT_FILENO) < 0 ||
            ::dup2(err_pipe[1], STDERR_FILENO) < 0 || ::chdir(directory.c_str()) != 0)
            ::_exit(126);
        prepare_child();
        exec_or_die(binary_path.c_str(), argv.get(), envp.get());
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);

    ProcessResult result;
    const Clock::time_point deadline = Clock::now() + timeout;
    std::array<pollfd, 2> fds{pollfd{out_pipe[0], POLLIN, 0}, pollfd{err_pipe[0], POLLIN, 0}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    bool timed_out = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (Clock::now() >= deadline) {
            timed_out = true;
            break;
        }
        if (::poll(fds.data(), fds.size(), remaining_ms(deadline)) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            std::array<char, 4096> buffer{};
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0) ::close(fd.fd);
    // Both pipes are closed, so the program has normally ended or is about to.
    int status = 0;
    const int pidfd = open_pidfd(pid);
    while (!timed_out && ::waitpid(pid, &status, WNOHANG) != pid) {
        if (Clock::now() >= deadline) {
            timed_out = true;
            break;
        }
        pollfd exit_fd{pidfd, POLLIN, 0};
        (void)::poll(&exit_fd, pidfd >= 0 ? 1 : 0, pidfd >= 0 ? remaining_ms(deadline) : 10);
    }
    if (pidfd >= 0) ::close(pidfd);
    if (timed_out) {
        ::kill(pid, SIGKILL);
        (void)::waitpid(pid, &status, 0);
        return std::unexpected("the program did not end in time");
    }
    result.exit_code = decode_status(status);
    return result;
}

}  // namespace quarn::testing
