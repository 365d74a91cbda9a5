// End-to-end timings of the real program in a pseudo-terminal, through the test harness: how long
// until the first frame shows a large file, how long a typed key takes to reach the screen (with
// soft wrapping on and off), and how much CPU the program burns while nobody touches it.
// Prints figures and asserts nothing. The harness's own floor is measured on `cat` for comparison.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "testing/keys.hpp"
#include "testing/pty_session.hpp"

namespace {

using namespace quarn::testing;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int first_frame_runs = 5;
constexpr int typed_keys = 200;
// A key with no visible effect after this long counts as unanswered; long, because a key into a
// 10 MB text may well take a while, and that is what is measured.
constexpr std::chrono::milliseconds key_timeout{2000};
constexpr std::chrono::seconds idle_time{5};
// Text that only shows while long lines wrap: the end of the file's second line, which is wider
// than any screen used here.
constexpr std::string_view wrap_probe = "probe-tail";
// After this many unanswered keys in a row the program is taken not to echo typing at all.
constexpr int give_up_after = 10;

// Lines of varied length and content: words, indentation, punctuation, some non-ASCII.
std::string make_text(std::size_t bytes, unsigned seed) {
    static const char* const words[] = {
        "quarn", "editor", "line",     "buffer", "caret",  "select",     "the",   "a",
        "of",    "über",   "naïve",    "中文",   "return", "if",         "(x)",   "{",
        "}",     "//",     "value_42", "TODO:",  "é",      "lorem",      "ipsum", "dolor",
        "sit",   "amet",   "=",        "+=",     "->",     "std::string"};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(words)) - 1);
    std::uniform_int_distribution<int> length(0, 16);
    std::uniform_int_distribution<int> indent(0, 9);
    // A known ASCII first line, so that the screen can be searched for it whatever follows, and a
    // second line whose end shows only with soft wrapping.
    std::string text = "first line of the benchmark text\nwrap probe " + std::string(100, '-') +
                       " " + std::string(wrap_probe) + "\n";
    text.reserve(bytes + 200);
    while (text.size() < bytes) {
        const int depth = indent(random);
        if (depth < 4) text.append(static_cast<std::size_t>(depth) * 4, ' ');
        const int count = length(random);
        for (int i = 0; i < count; ++i) {
            if (i > 0) text += ' ';
            text += words[pick(random)];
        }
        text += '\n';
    }
    return text;
}

struct Stats {
    std::vector<double> samples;  // milliseconds
    [[nodiscard]] double percentile(double p) const {
        std::vector<double> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        const auto rank = static_cast<std::size_t>(p * static_cast<double>(sorted.size()) + 0.999);
        return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
    }
};

void print(const char* what, const Stats& stats, const char* note = "") {
    if (stats.samples.empty()) {
        std::printf("%-44s no samples %s\n", what, note);
        return;
    }
    std::printf("%-44s n=%3zu  median %8.2f ms  p95 %8.2f ms  min %8.2f ms %s\n", what,
                stats.samples.size(), stats.percentile(0.5), stats.percentile(0.95),
                *std::min_element(stats.samples.begin(), stats.samples.end()), note);
}

[[nodiscard]] bool shows(const PtySession& s, std::string_view text) {
    for (const std::string& row : s.screen())
        if (row.find(text) != std::string::npos) return true;
    return false;
}

// Spawn until the screen shows the start of the file's first line. A program that does not draw
// file content yet (the placeholder) is timed until it shows the file's name instead.
void first_frame(const std::shared_ptr<Sandbox>& sandbox, const std::string& name,
                 const std::string& first_line) {
    const std::string content = first_line.substr(0, 20);
    Stats content_times;
    Stats name_times;
    for (int run = 0; run < first_frame_runs; ++run) {
        const Clock::time_point start = Clock::now();
        auto session =
            PtySession::start({.binary = QUARN_BINARY, .args = {name}, .sandbox = sandbox});
        if (!session) {
            std::printf("cannot start: %s\n", session.error().c_str());
            return;
        }
        PtySession& s = **session;
        std::optional<Clock::time_point> name_seen;
        const bool drawn = s.wait_until(
            [&] {
                if (!name_seen && shows(s, name)) name_seen = Clock::now();
                if (shows(s, content)) return true;
                return name_seen && Clock::now() - *name_seen > std::chrono::seconds(2);
            },
            "the first frame", std::chrono::seconds(30));
        if (drawn && shows(s, content))
            content_times.samples.push_back(Millis(Clock::now() - start).count());
        else if (name_seen)
            name_times.samples.push_back(Millis(*name_seen - start).count());
        s.send(keys::ctrl('q'));
        (void)s.wait_for_exit(std::chrono::seconds(10));  // the next run starts fresh anyway
    }
    const std::string label = "first frame, " + name;
    if (!content_times.samples.empty()) print(label.c_str(), content_times, "(file content shown)");
    if (!name_times.samples.empty())
        print(label.c_str(), name_times, "(file NAME only: content not drawn by this build)");
}

// Brings a started session to the state to measure; false when it never gets there.
using Prepare = std::function<bool(PtySession&)>;

[[nodiscard]] bool ready_when_shown(PtySession& s, std::string_view text) {
    return s.wait_for_text(text, std::chrono::seconds(60));
}

// Shows the file with wrapping on (the default), or turns it off with Alt+Z and waits until the
// wrapped tail of the probe line has gone from the screen.
[[nodiscard]] Prepare with_wrapping(bool wrap) {
    return [wrap](PtySession& s) {
        if (!ready_when_shown(s, wrap_probe)) return false;
        if (wrap) return true;
        s.send(keys::alt('z'));
        return static_cast<bool>(s.wait_until([&] { return !shows(s, wrap_probe); }, "wrapping off",
                                              std::chrono::seconds(30)));
    };
}

[[nodiscard]] std::unique_ptr<PtySession> start_prepared(const char* label, SessionOptions options,
                                                         const Prepare& prepare) {
    auto session = PtySession::start(std::move(options));
    if (!session) {
        std::printf("%s: cannot start: %s\n", label, session.error().c_str());
        return nullptr;
    }
    if (!prepare(**session)) {
        std::printf("%s: never became ready\n", label);
        return nullptr;
    }
    return std::move(*session);
}

// Per key: send one printable character, then time until the screen changes (and, separately,
// until the first output byte arrives). Keys the program does not answer are counted, not timed.
void typing(const char* label, SessionOptions options, const Prepare& prepare) {
    const std::unique_ptr<PtySession> session = start_prepared(label, std::move(options), prepare);
    if (!session) return;
    PtySession& s = *session;
    Stats screen_times;
    Stats output_times;
    int unanswered = 0;
    int unanswered_in_a_row = 0;
    int sent = 0;
    for (; sent < typed_keys && unanswered_in_a_row < give_up_after; ++sent) {
        const std::vector<std::string> before = s.screen();
        const std::size_t output_before = s.output().size();
        const char key = static_cast<char>('a' + sent % 26);
        std::optional<Clock::time_point> output_seen;
        const Clock::time_point start = Clock::now();
        s.send(std::string(1, key));
        const bool changed = s.wait_until(
            [&] {
                if (!output_seen && s.output().size() > output_before) output_seen = Clock::now();
                return output_seen && s.screen() != before;
            },
            "the key's effect", key_timeout);
        if (output_seen) output_times.samples.push_back(Millis(*output_seen - start).count());
        if (changed) {
            screen_times.samples.push_back(Millis(Clock::now() - start).count());
            unanswered_in_a_row = 0;
        } else {
            ++unanswered;
            ++unanswered_in_a_row;
        }
    }
    std::printf("%s: %d keys sent, %d without a visible effect within %lld ms%s\n", label, sent,
                unanswered, static_cast<long long>(key_timeout.count()),
                unanswered_in_a_row >= give_up_after ? " (gave up: typing shows nothing yet)" : "");
    print("  key -> screen changed", screen_times);
    print("  key -> first output byte", output_times);
}

// User plus system CPU seconds of a process so far, from /proc/<pid>/stat (fields 14 and 15,
// counted after the command name, which may itself hold spaces and parentheses).
[[nodiscard]] std::optional<double> cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all;
    if (!std::getline(stat, all)) return std::nullopt;
    const std::size_t name_end = all.rfind(')');
    if (name_end == std::string::npos) return std::nullopt;
    std::istringstream fields(all.substr(name_end + 1));
    std::string field;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) utime = std::stoull(field);
        if (number == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// VmRSS in MiB from /proc/<pid>/status; 0 when it cannot be read.
[[nodiscard]] double resident_mib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

// CPU the program uses over `idle_time` with no input, after a second to settle; the terminal is
// read meanwhile, so a program that keeps drawing is not stalled on a full pty.
void idle(const char* label, SessionOptions options, const Prepare& prepare) {
    const std::unique_ptr<PtySession> session = start_prepared(label, std::move(options), prepare);
    if (!session) return;
    PtySession& s = *session;
    const auto wait_idle = [&](std::chrono::milliseconds how_long) {
        // Never done: this only reads output for the given time, and its timeout is the point.
        (void)s.wait_until([] { return false; }, "nothing", how_long);
    };
    wait_idle(std::chrono::seconds(1));
    const std::optional<double> before = cpu_seconds(s.pid());
    const std::size_t output_before = s.output().size();
    const Clock::time_point start = Clock::now();
    wait_idle(idle_time);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const std::optional<double> after = cpu_seconds(s.pid());
    if (!before || !after) {
        std::printf("%s: cannot read /proc/%d/stat\n", label, static_cast<int>(s.pid()));
        return;
    }
    std::printf(
        "%-44s CPU %6.3f s in %.1f s (%5.2f %% of a core), %zu bytes written, VmRSS %.1f MiB\n",
        label, *after - *before, wall, 100.0 * (*after - *before) / wall,
        s.output().size() - output_before, resident_mib(s.pid()));
}

}  // namespace

int main() {
    auto sandbox = Sandbox::create();
    if (!sandbox) {
        std::printf("%s\n", sandbox.error().c_str());
        return 1;
    }
    struct File {
        std::string name;
        std::size_t bytes;
    };
    const File files[] = {{"one_mb.txt", std::size_t{1} << 20},
                          {"ten_mb.txt", std::size_t{10} << 20}};
    std::vector<std::string> first_lines;
    for (const File& file : files) {
        const std::string text = make_text(file.bytes, 7);
        if (!(*sandbox)->write_file(file.name, text)) {
            std::printf("cannot write %s\n", file.name.c_str());
            return 1;
        }
        first_lines.push_back(text.substr(0, text.find('\n')));
    }
    std::printf("binary: %s\n", QUARN_BINARY);
    for (std::size_t i = 0; i < std::size(files); ++i)
        first_frame(*sandbox, files[i].name, first_lines[i]);

    typing("harness floor (cat echoing raw input)",
           {.binary = "/bin/sh", .args = {"-c", "stty raw -echo; printf ready; exec cat"}},
           [](PtySession& s) { return ready_when_shown(s, "ready"); });
    const auto quarn_on = [&](const std::string& name) {
        return SessionOptions{.binary = QUARN_BINARY, .args = {name}, .sandbox = *sandbox};
    };
    typing("typing into one_mb.txt, wrapping on", quarn_on("one_mb.txt"), with_wrapping(true));
    typing("typing into ten_mb.txt, wrapping on", quarn_on("ten_mb.txt"), with_wrapping(true));
    typing("typing into ten_mb.txt, wrapping off", quarn_on("ten_mb.txt"), with_wrapping(false));
    idle("idle, ten_mb.txt, wrapping on", quarn_on("ten_mb.txt"), with_wrapping(true));
    idle("idle, ten_mb.txt, wrapping off", quarn_on("ten_mb.txt"), with_wrapping(false));
    return 0;
}
