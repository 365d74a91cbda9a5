#pragma once
// Bytes read from the terminal → events. `parse` is a pure function over a byte buffer: it never
// reads past what it was given, reports how many bytes it used, and never needs more than
// max_sequence_bytes to recognise a sequence (a bracketed paste excepted). `InputDecoder` keeps
// the bytes between reads and turns what timing alone can tell apart (a lone ESC) into events.
// Everything here also compiles with clang 14 for the fuzzer: no <expected>, no <format>.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "term/event.hpp"

namespace quarn::term {

// Longest escape sequence we wait for. Anything longer is garbage and is dropped, so a broken
// sender cannot make us buffer forever. Real key and mouse reports are under 30 bytes.
inline constexpr std::size_t max_sequence_bytes = 64;

// A paste larger than this is handed on in pieces of about this size, so an unterminated paste
// cannot grow without bound. Ordinary pastes arrive as one PasteEvent.
inline constexpr std::size_t max_paste_bytes = std::size_t{4} << 20;

enum class ParseStatus {
    NeedMore,  // the bytes are the start of something longer: wait for more (consumed == 0)
    Invalid,   // drop the first `consumed` bytes (> 0) and parse again
    Ok,        // `event` stands for the first `consumed` bytes (> 0)
};

struct ParseResult {
    ParseStatus status = ParseStatus::NeedMore;
    Event event;
    std::size_t consumed = 0;
};

// Decodes the event at the start of `bytes`. Cost: O(consumed), at most O(max_sequence_bytes)
// for a NeedMore or Invalid result, except for a bracketed paste, which scans for its end marker.
// A lone ESC, ESC O and ESC [ at the end are NeedMore: only InputDecoder::flush can decide them.
[[nodiscard]] ParseResult parse(std::string_view bytes);

// Stateful front of `parse` for the event source. Feed it every read; drain next(); if pending()
// stays true and no byte comes for a short delay, call flush().
class InputDecoder {
public:
    // Appends bytes read from the tty. Cost: O(bytes.size()) amortised.
    void feed(std::string_view bytes);

    // The next complete event, if any. Malformed bytes before it are dropped.
    [[nodiscard]] std::optional<Event> next();

    // True when bytes are held that may still become an event (a lone ESC, half a UTF-8
    // character, an unfinished sequence, an open paste).
    [[nodiscard]] bool pending() const;

    // Called when no byte came within a short delay after pending() turned true: a lone ESC
    // becomes the Esc key, ESC O and ESC [ become Alt+'O' and Alt+'[', any other unfinished
    // sequence is dropped. An open paste hands on the text so far and stays open.
    [[nodiscard]] std::optional<Event> flush();

private:
    [[nodiscard]] std::optional<Event> next_in_paste();
    void compact();

    std::string buffer_;
    std::size_t start_ = 0;  // bytes of buffer_ before this are consumed
    bool in_paste_ = false;  // between the paste start and end markers
    std::string paste_;      // paste text collected so far, without the markers
};

// The event in the notation of the captured terminal vectors, e.g. "key Char('t') Ctrl+Shift
// press", "mouse drag Left col=22 row=7 Alt", "paste \"text\"". For logs and test failures.
[[nodiscard]] std::string to_string(const Event& event);

}  // namespace quarn::term
