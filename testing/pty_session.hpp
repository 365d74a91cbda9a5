#pragma once
// Drives a real program in a pseudo-terminal and watches its screen through libvterm, as a user at
// an xterm would. Everything the program writes is kept (output()) and fed to the emulator; queries
// read the emulated screen. Waits are "until this holds, at most that long", driven by poll on the
// terminal and on the process, never by fixed sleeps; a failed wait's message shows the screen.
//
//   auto session = PtySession::start({.binary = QUARN_BINARY, .args = {"notes.txt"}});
//   ASSERT_TRUE(session) << session.error();
//   PtySession& s = **session;
//   ASSERT_TRUE(s.wait_for_text("notes.txt"));
//   s.send(keys::ctrl('q'));
//   ASSERT_TRUE(s.wait_for_exit());
//   EXPECT_EQ(s.exit_code(), 0);

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/sandbox.hpp"

struct VTerm;
struct VTermScreen;

namespace quarn::testing {

// Generous, because sanitizer builds on a busy machine start slowly; a passing wait returns early.
inline constexpr std::chrono::milliseconds default_wait{10000};

struct SessionOptions {
    std::filesystem::path binary{};
    std::vector<std::string> args{};
    std::uint16_t columns = 80;
    std::uint16_t rows = 24;
    std::shared_ptr<Sandbox> sandbox{};         // empty: a fresh one
    std::filesystem::path working_directory{};  // empty: sandbox->work()
    EnvironmentOverrides environment{};         // on top of Sandbox::environment
};

enum class ColourKind { Default, Indexed, Rgb };

// A cell colour as the program set it (default, palette index or direct RGB), plus the RGB value
// the emulator's palette gives it.
struct Colour {
    ColourKind kind = ColourKind::Default;
    std::uint8_t index = 0;  // with ColourKind::Indexed
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    // Equal as set: the same kind, and the same index or RGB value; resolved values don't count.
    friend bool operator==(const Colour& a, const Colour& b) {
        if (a.kind != b.kind) return false;
        switch (a.kind) {
            case ColourKind::Default:
                return true;
            case ColourKind::Indexed:
                return a.index == b.index;
            case ColourKind::Rgb:
                return a.red == b.red && a.green == b.green && a.blue == b.blue;
        }
        return false;
    }
};
[[nodiscard]] inline Colour indexed(std::uint8_t index) {
    return Colour{ColourKind::Indexed, index, 0, 0, 0};
}
[[nodiscard]] inline Colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{ColourKind::Rgb, 0, red, green, blue};
}
void PrintTo(const Colour& colour, std::ostream* out);

struct Cell {
    std::string text;  // UTF-8; " " for an empty cell
    Colour fg;
    Colour bg;
    bool reverse = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct Cursor {
    int row = 0;
    int column = 0;
    bool visible = true;
    friend bool operator==(const Cursor&, const Cursor&) = default;
};

class PtySession {
    struct Key {
        explicit Key() = default;
    };

public:
    // Starts `options.binary` with `options.args` on a pseudo-terminal of the given size.
    // Boxed, because the emulator calls back into the session by address.
    [[nodiscard]] static std::expected<std::unique_ptr<PtySession>, std::string> start(
        SessionOptions options);

    explicit PtySession(Key) {}
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;
    // Kills the program if it still runs, then drops the sandbox unless someone else shares it.
    ~PtySession();

    // Typing: the bytes go to the program as keyboard input (see testing/keys.hpp for encodings).
    // Output is read meanwhile, so a program busy writing cannot deadlock the write.
    void send(std::string_view bytes);

    // Reads whatever output has arrived, without waiting.
    void update();

    [[nodiscard]] ::testing::AssertionResult wait_until(
        const std::function<bool()>& done, std::string_view what,
        std::chrono::milliseconds timeout = default_wait);
    // Some row contains `text`.
    [[nodiscard]] ::testing::AssertionResult wait_for_text(
        std::string_view text, std::chrono::milliseconds timeout = default_wait);
    // row(row) == text, trailing blanks ignored.
    [[nodiscard]] ::testing::AssertionResult wait_for_row(
        int row, std::string_view text, std::chrono::milliseconds timeout = default_wait);
    // output() contains `bytes` at or after byte `from`.
    [[nodiscard]] ::testing::AssertionResult wait_for_output(
        std::string_view bytes, std::size_t from = 0,
        std::chrono::milliseconds timeout = default_wait);
    // The program ended and all it wrote has been read.
    [[nodiscard]] ::testing::AssertionResult wait_for_exit(
        std::chrono::milliseconds timeout = default_wait);

    // The exit status once the program has ended: its exit code, or 128 + signal number.
    [[nodiscard]] std::optional<int> exit_code() const { return exit_code_; }
    [[nodiscard]] bool running() const { return !exit_code_.has_value(); }
    [[nodiscard]] pid_t pid() const { return pid_; }

    // The text of a row, trailing blanks removed.
    [[nodiscard]] std::string row(int row) const;
    [[nodiscard]] std::vector<std::string> screen() const;
    // All rows joined by line feeds, with row numbers, cursor and title: for failure messages.
    [[nodiscard]] std::string dump() const;
    [[nodiscard]] Cell cell(int row, int column) const;
    [[nodiscard]] Cursor cursor() const { return cursor_; }
    [[nodiscard]] const std::string& title() const { return title_; }
    // Every byte the program wrote so far, escape sequences included.
    [[nodiscard]] const std::string& output() const { return output_; }
    [[nodiscard]] int columns() const { return columns_; }
    [[nodiscard]] int rows() const { return rows_; }
    [[nodiscard]] const Sandbox& sandbox() const { return *sandbox_; }
    [[nodiscard]] std::shared_ptr<Sandbox> shared_sandbox() const { return sandbox_; }

    // Changes the window size; the kernel sends the program SIGWINCH.
    void resize(std::uint16_t columns, std::uint16_t rows);

    // Emulator callbacks; not for tests.
    void on_cursor(int row, int column);
    void on_cursor_visible(bool visible) { cursor_.visible = visible; }
    void on_title(std::string_view title) { title_ = title; }
    void on_reply(std::string_view bytes) { replies_ += bytes; }

private:
    // Reads available output; with `wait_ms` > 0 first waits that long for output or the exit.
    void pump(int wait_ms);
    void read_available();
    void reap(int options);
    void flush_replies();
    [[nodiscard]] ::testing::AssertionResult timed_out(std::string_view what,
                                                       std::chrono::milliseconds timeout) const;

    std::shared_ptr<Sandbox> sandbox_;
    pid_t pid_ = -1;
    int master_ = -1;
    int pidfd_ = -1;
    bool eof_ = false;  // the terminal reported that no process holds it any more
    std::optional<int> exit_code_;
    int columns_ = 0;
    int rows_ = 0;
    VTerm* vterm_ = nullptr;
    VTermScreen* screen_ = nullptr;
    std::string output_;
    std::string replies_;  // the emulator's answers to queries, on their way to the program
    Cursor cursor_;
    std::string title_;
};

// A run of the program without a terminal: standard input from `stdin_path`, standard output and
// error captured.
struct ProcessResult {
    int exit_code = -1;  // as PtySession::exit_code
    std::string out;
    std::string err;
};

[[nodiscard]] std::expected<ProcessResult, std::string> run_without_terminal(
    const std::filesystem::path& binary, const std::vector<std::string>& args,
    const Sandbox& sandbox, const std::filesystem::path& stdin_path = "/dev/null",
    std::chrono::milliseconds timeout = default_wait);

}  // namespace quarn::testing
