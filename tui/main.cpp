// Entry point: takes over the terminal, draws frames and waits for events until Ctrl+Q, then gives
// the terminal back. Every failure of the terminal itself ends the program with one line on
// standard error and status 1; the terminal is restored on every exit after a successful set-up,
// because the locals below are dropped in reverse order: event source, terminal, guard.

#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "term/event.hpp"
#include "term/event_source.hpp"
#include "term/guard.hpp"
#include "term/output.hpp"
#include "toolkit/terminal.hpp"
#include "toolkit/widgets.hpp"

namespace {

using namespace quarn;

constexpr std::chrono::milliseconds event_wait{200};

void fatal(std::string_view message) {
    (void)term::write_all(STDERR_FILENO, message);  // nowhere left to report a failure
}

[[nodiscard]] bool is_quit(const term::Event& event) {
    const auto* key = std::get_if<term::KeyEvent>(&event);
    return key != nullptr && key->kind != term::KeyKind::Release &&
           key->code == term::KeyCode::Char && key->mods.ctrl && !key->mods.shift &&
           (key->ch == U'q' || key->ch == U'Q');
}

void draw_placeholder(toolkit::Frame& frame, const std::vector<std::string>& paths) {
    const toolkit::Block block{.title = "quarn"};
    toolkit::render(frame.buffer(), frame.area(), block);
    toolkit::Paragraph list;
    for (const std::string& path : paths) list.lines.push_back({toolkit::Span{.text = path}});
    toolkit::render(frame.buffer(), block.inner(frame.area()), list);
}

[[nodiscard]] int run(const std::vector<std::string>& paths) {
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
    for (;;) {
        if (auto drawn =
                terminal->draw([&](toolkit::Frame& frame) { draw_placeholder(frame, paths); });
            !drawn) {
            fatal("failed to draw terminal\n");
            return 1;
        }
        auto event = events->wait(event_wait);
        if (!event) {
            switch (event.error().kind) {
                case term::EventErrorKind::Poll:
                    fatal("failed to poll events: " + event.error().system.message() + "\n");
                    return 1;
                case term::EventErrorKind::Read:
                    fatal("failed to read event: " + event.error().system.message() + "\n");
                    return 1;
            }
            return 1;
        }
        if (*event && is_quit(**event)) return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> paths(argv + 1, argv + argc);
    return run(paths);
}
