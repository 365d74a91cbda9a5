// Entry point: takes over the terminal, builds one tab per argument and runs the main loop until
// the last tab is closed, then gives the terminal back. Every failure of the terminal itself ends
// the program with one line on standard error and status 1. The terminal is restored on every
// exit after a successful set-up because the locals are dropped in reverse order: the App, the
// event source, the toolkit terminal (which shows the cursor again), then the guard.

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "term/event_source.hpp"
#include "term/guard.hpp"
#include "term/output.hpp"
#include "toolkit/terminal.hpp"
#include "tui/app.hpp"
#include "tui/main_loop.hpp"

namespace {

using namespace quarn;

void fatal(std::string_view message) {
    (void)term::write_all(STDERR_FILENO, message);  // nowhere left to report a failure
}

[[nodiscard]] int run(const std::vector<std::filesystem::path>& paths) {
    auto guard = term::setup_terminal(STDIN_FILENO, STDOUT_FILENO);
    if (!guard) {
        fatal("failed to initialise terminal\n");
        return 1;
    }
    auto terminal =
        toolkit::Terminal::create(std::make_unique<term::TerminalBackend>(STDOUT_FILENO));
    if (!terminal) {
        fatal("failed to initialise terminal backend\n");
        return 1;
    }
    auto events = term::EventSource::create(STDIN_FILENO);
    if (!events) {
        fatal("failed to poll events: " + events.error().message() + "\n");
        return 1;
    }
    tui::App app = tui::App::create(paths);
    tui::apply_options(app);
    if (auto ran = tui::run_loop(app, *terminal, *events, STDOUT_FILENO); !ran) {
        // Written while the alternate screen is still up; the drops below restore the terminal.
        fatal(ran.error().message + "\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A closed standard output must surface as a failed draw with its message, not kill the
    // process before the terminal is restored.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);
    return run(paths);
}
