// Fuzz target for the terminal input decoder. Feeds the input whole and in pseudo-random pieces
// and checks that both give the same events, that every event used up input (so draining
// terminates) and that nothing is held once the input is flushed, paste aside.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "term/input_parser.hpp"

namespace {

using quarn::term::Event;
using quarn::term::InputDecoder;
using quarn::term::ParseStatus;

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "input parser invariant broken: %s\n", what);
    std::abort();
}

// Drains the decoder; every event must stand for at least one input byte.
void drain(InputDecoder& decoder, std::vector<Event>& events, std::size_t fed) {
    while (std::optional<Event> e = decoder.next()) {
        events.push_back(std::move(*e));
        check(events.size() <= fed, "more events than bytes");
    }
}

std::vector<Event> decode(std::string_view bytes, std::uint32_t seed) {
    InputDecoder decoder;
    std::vector<Event> events;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t length = bytes.size() - at;
        if (seed != 0) {
            seed = seed * 1103515245u + 12345u;
            length = std::min<std::size_t>(length, 1 + (seed >> 16) % 17);
        }
        decoder.feed(bytes.substr(at, length));
        at += length;
        drain(decoder, events, at);
    }
    if (std::optional<Event> e = decoder.flush()) events.push_back(std::move(*e));
    drain(decoder, events, at + 1);
    check(events.size() <= bytes.size(), "more events than bytes after flush");
    return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The pure function: progress on every call, NeedMore only for what runs to the end.
    for (std::string_view rest = bytes; !rest.empty();) {
        const quarn::term::ParseResult r = quarn::term::parse(rest);
        if (r.status == ParseStatus::NeedMore) {
            check(r.consumed == 0, "NeedMore consumed bytes");
            break;
        }
        check(r.consumed > 0 && r.consumed <= rest.size(), "parse made no progress or overran");
        if (r.status == ParseStatus::Ok) (void)quarn::term::to_string(r.event);  // must not crash
        rest.remove_prefix(r.consumed);
    }

    const std::vector<Event> whole = decode(bytes, 0);
    const std::uint32_t seed =
        static_cast<std::uint32_t>(size) * 2654435761u + (size > 0 ? data[0] : 0u) + 1u;
    check(decode(bytes, seed) == whole, "split reads changed the events");
    check(decode(bytes, seed ^ 0x9e3779b9u) == whole, "split reads changed the events");
    return 0;
}
