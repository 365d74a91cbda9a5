#pragma once
// TextLine: the whole text of one document, edited and read by character position (a count of
// Unicode scalar values, 0 to char_count()). Callers never see bytes or the storage layout: every
// read goes through the queries below, so the representation can change without touching them.
//
// Design note (current representation):
// - The text is a sequence of immutable chunks (`chunks_`, shared pointers), each 1 to
//   `max_chunk_bytes` (16 KiB) of valid UTF-8 holding whole characters; with two or more chunks
//   every one holds at least a quarter of that. The empty text has no chunk. Text handed in that
//   is not valid UTF-8 has each maximal ill-formed subsequence replaced by U+FFFD.
// - A chunk knows its character count, the positions of its line feeds and, unless it is pure
//   ASCII, the byte offset of every 32nd character and of every line feed: character → byte
//   inside a chunk is one table read plus a walk over at most 31 characters, and a line's bytes
//   are found without scanning for its line feed.
// - `char_ends_[i]` and `line_feed_ends_[i]` count the characters and line feeds of chunks 0..i:
//   finding the chunk of a position or of a line is a binary search, O(log chunks). Walking
//   lines in order (for_each_line_extent, for_each_line) reads the chunks' line-feed tables one
//   after the other instead: no search per line.
// - Copies share every chunk: a copy is O(chunks) pointer copies, never a byte copy. Text as
//   loaded fills chunks to 12 KiB: about 850 chunks for 10 MiB, 87,000 for 1 GiB (edits keep it
//   under bytes / 4 KiB). An edit rebuilds only the chunks it touches into fresh ones (split
//   evenly when too long, joined with a neighbour when too short), so copies taken earlier
//   never change, then shifts the counts of the chunks after them: O(bytes of the touched
//   chunks + inserted bytes + chunks). At 1 GiB that is ~0.1 ms of count updates per edit and
//   a copy (an undo step) of ~87,000 pointers, about 3 MiB and 1 ms.
// - Measured on 10 MiB, -O2 (text_line_bench): a typed character ~5 µs wherever it lands;
//   char_at 80-220 ns, line_of ~110 ns, position_of ~60 ns.
//
// Positions around a line, "ab\ncd" (line feed shown as ⏎):
//   a b ⏎ c d
//  0 1 2 3 4 5      line_start(4) = 3, line_end(1) = 2, line_of(3) = 1, column_of(5) = 2

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quarn::linecraft {

class TextLine;

// A position in the text that can step over characters in both directions. It reads the text it
// was made from and is invalidated by any edit of that text (like an iterator).
class CharCursor {
public:
    // Requires: nothing; pos is clamped to text.char_count(). Cost: O(log chunks).
    CharCursor(const TextLine& text, std::size_t pos);

    [[nodiscard]] std::size_t pos() const noexcept { return pos_; }
    [[nodiscard]] bool at_start() const noexcept { return pos_ == 0; }
    [[nodiscard]] bool at_end() const noexcept;
    // The character after the cursor. Requires: !at_end(). Cost: O(1).
    [[nodiscard]] char32_t get() const;
    // The character before the cursor. Requires: !at_start(). Cost: O(1).
    [[nodiscard]] char32_t get_before() const;
    // Steps over one character; does nothing at the end / start. Cost: O(1).
    void next();
    void prev();

private:
    // Before the end, byte_ < bytes_.size(): the cursor sits in chunk_, whose bytes are bytes_.
    // At the end, chunk_ is the chunk count and bytes_ is empty.
    void enter_chunk(std::size_t chunk);

    const TextLine* text_;
    std::size_t pos_ = 0;
    std::size_t chunk_ = 0;
    std::size_t byte_ = 0;
    std::string_view bytes_;
};

class TextLine {
public:
    // The empty text: one empty line.
    TextLine() = default;

    // Takes the string and builds the chunks. Requires: valid UTF-8 (ill-formed bytes become
    // U+FFFD). Cost: O(bytes).
    [[nodiscard]] static TextLine from_string(std::string text);

    // Cost: O(1).
    [[nodiscard]] std::size_t char_count() const noexcept { return char_count_; }
    // Size of the UTF-8 form (what to_string() would return). Cost: O(1).
    [[nodiscard]] std::size_t byte_count() const noexcept { return byte_count_; }
    [[nodiscard]] bool empty() const noexcept { return char_count_ == 0; }

    // Requires: index < char_count() (otherwise asserts; in release returns U+0000).
    // Cost: O(log chunks).
    [[nodiscard]] char32_t char_at(std::size_t index) const;

    // --- Edit primitives (the `editing` and `selection` modules build on these) ---

    // Edit cost (insert, remove_range, replace_range): the touched chunks are rebuilt (at most
    // 16 KiB each, plus the inserted text) and the counts of the chunks after them shifted:
    // O(touched bytes + inserted bytes + chunks). Copies of the text are never touched.
    // Measured on 10 MiB, -O2: ~5 µs per typed or deleted character, wherever it lands.

    // Inserts text at pos and returns the number of characters inserted. Requires: pos <=
    // char_count() (otherwise asserts; in release changes nothing and returns 0); valid UTF-8
    // (ill-formed bytes become U+FFFD).
    std::size_t insert(std::size_t pos, std::string_view text);
    // Removes the characters start..end (end excluded); start == end removes nothing. Requires:
    // start <= end <= char_count() (otherwise asserts; in release changes nothing).
    void remove_range(std::size_t start, std::size_t end);
    // remove_range(start, end) then insert(start, text) as one edit; returns the characters
    // inserted. Requires: as both.
    std::size_t replace_range(std::size_t start, std::size_t end, std::string_view text);

    // --- Reading ---

    // The UTF-8 text of from..to (both clamped to char_count(), to clamped up to from).
    // Cost: O(log chunks + to - from).
    [[nodiscard]] std::string text_range(std::size_t from, std::size_t to) const;
    // A copy of the whole text, for saving and serialising. Cost: O(bytes).
    [[nodiscard]] std::string to_string() const;

    // Calls fn(pos, ch) for every character with from <= pos < to (clamped), in order. When fn
    // returns bool, false stops the walk. The text must not be edited inside fn.
    // Cost: O(log chunks + to - from) plus fn.
    template <class Fn>
    void for_each_char(std::size_t from, std::size_t to, Fn&& fn) const;

    // Calls fn(bytes) with consecutive pieces of the UTF-8 text of from..to (clamped): one piece
    // per chunk the range touches, each holding whole characters. The view lives only during
    // the call. Cost: O(log chunks + chunks in the range) plus fn.
    template <class Fn>
    void for_each_chunk(std::size_t from, std::size_t to, Fn&& fn) const;

    // --- Lines (a text with n line feeds has n + 1 lines; lines and columns count from 0) ---

    // Cost: O(1).
    [[nodiscard]] std::size_t line_count() const noexcept {
        return (line_feed_ends_.empty() ? 0 : line_feed_ends_.back()) + 1;
    }
    // The line holding pos (pos clamped to char_count(); a position just after a line feed is on
    // the next line). Cost: O(log chunks).
    [[nodiscard]] std::size_t line_of(std::size_t pos) const;
    // pos - line_start(pos). Cost: O(log chunks).
    [[nodiscard]] std::size_t column_of(std::size_t pos) const;
    // Position of line and column, the line clamped to the last line and the column to that
    // line's length. Cost: O(log chunks).
    [[nodiscard]] std::size_t position_of(std::size_t line, std::size_t column) const;
    // Start of the line holding pos: just after the last line feed before pos, or 0.
    // Cost: O(log chunks).
    [[nodiscard]] std::size_t line_start(std::size_t pos) const;
    // End of the line holding pos: the position of the first line feed at or after pos, or
    // char_count(). Cost: O(log chunks).
    [[nodiscard]] std::size_t line_end(std::size_t pos) const;
    // Characters of the line, line feed excluded (line clamped to the last line).
    // Cost: O(log chunks).
    [[nodiscard]] std::size_t line_length(std::size_t line) const;
    // A copy of the line's text, line feed excluded (line clamped).
    // Cost: O(log chunks + line length).
    [[nodiscard]] std::string line_text(std::size_t line) const;

    // Calls fn(line, start_pos, char_length) for each line first <= line < last (last clamped
    // to line_count()), char_length excluding the line feed: line_start and line_length of every
    // line in one pass. Reads only the chunks' line-feed tables, never the text: the way to
    // visit many lines, where line_length() per line would be a search per line. When fn returns
    // bool, false stops the walk. Cost: O(log chunks + chunks crossed + lines) plus fn.
    template <class Fn>
    void for_each_line_extent(std::size_t first, std::size_t last, Fn&& fn) const;

    // As for_each_line_extent, and hands the text too: fn(line, start_pos, char_length, bytes),
    // bytes being the line's UTF-8 text without its line feed, which lives only during the call.
    // A line inside one chunk is handed as a view of it, cut where the line-feed tables say (no
    // scan); a line that spans chunks is first assembled into a temporary string (one reused
    // buffer for the walk). Cost: O(log chunks + lines + bytes of the lines that span chunks)
    // plus fn.
    template <class Fn>
    void for_each_line(std::size_t first, std::size_t last, Fn&& fn) const;

    // Same characters. Equal stamps answer at once; otherwise the chunks are compared, shared
    // ones by pointer. Cost: O(1) to O(bytes).
    [[nodiscard]] bool operator==(const TextLine& other) const noexcept;

    // A stamp of this state of the text, for caches keyed by content: every edit takes a fresh
    // stamp and copies keep theirs, so equal stamps imply equal text (unequal stamps imply
    // nothing). Cost: O(1).
    [[nodiscard]] std::uint64_t revision() const noexcept { return revision_.value; }

    // For tests and debug builds: a description of the first broken invariant, or nothing.
    // Cost: O(bytes).
    [[nodiscard]] std::optional<std::string> check_invariants() const;

private:
    friend class CharCursor;
    struct Chunk;  // defined in text_line.cpp

    // A character position as chunk and byte offset in it; the end of the text is
    // {chunk count, 0}.
    struct Location {
        std::size_t chunk = 0;
        std::size_t byte = 0;
    };
    // Where a walk over lines stands: the start of the next line, and which of the line feeds
    // of its chunk comes next.
    struct LineWalk {
        std::size_t chunk = 0;
        std::size_t byte = 0;
        std::size_t line_feed = 0;
        std::size_t pos = 0;
    };

    // Requires: pos <= char_count(). Cost: O(log chunks).
    [[nodiscard]] Location locate(std::size_t pos) const noexcept;
    [[nodiscard]] std::string_view chunk_bytes(std::size_t chunk) const noexcept;
    // Characters before chunk i.
    [[nodiscard]] std::size_t chars_before(std::size_t chunk) const noexcept {
        return chunk == 0 ? 0 : char_ends_[chunk - 1];
    }
    // Position of the first character of line (line < line_count()).
    [[nodiscard]] std::size_t start_of_line(std::size_t line) const noexcept;
    // First position of a line and the position of its line feed (or char_count()).
    struct LineSpan {
        std::size_t start = 0;
        std::size_t end = 0;
    };
    // Requires: line < line_count(). Cost: O(log chunks), one search when both line feeds
    // around the line lie in one chunk.
    [[nodiscard]] LineSpan line_span(std::size_t line) const noexcept;
    [[nodiscard]] LineWalk walk_from(std::size_t line) const noexcept;
    // In-chunk positions of the line feeds of chunk (chunk < chunks_.size()), ascending.
    [[nodiscard]] std::span<const std::uint16_t> line_feeds_of(std::size_t chunk) const noexcept;
    // The bytes of the line the walk stands on, without its line feed, and steps to the next.
    // The view points into a chunk or, for a line that spans chunks, into scratch.
    [[nodiscard]] std::string_view next_line(LineWalk& walk, std::string& scratch) const;
    // Recounts char_ends_ and line_feed_ends_ of chunks from..to (to excluded) and the totals;
    // the counts before `from` must be right.
    void refresh_counts(std::size_t from, std::size_t to);

    // Copies keep the stamp. A move renews the source's: a moved-from text may hold anything.
    struct Stamp {
        Stamp() noexcept : value(next()) {}
        Stamp(const Stamp&) noexcept = default;
        Stamp& operator=(const Stamp&) noexcept = default;
        Stamp(Stamp&& other) noexcept : value(other.value) { other.value = next(); }
        Stamp& operator=(Stamp&& other) noexcept {
            value = other.value;
            other.value = next();
            return *this;
        }
        ~Stamp() = default;
        [[nodiscard]] static std::uint64_t next() noexcept;
        std::uint64_t value;
    };

    std::vector<std::shared_ptr<const Chunk>> chunks_;
    std::vector<std::size_t> char_ends_;
    std::vector<std::size_t> line_feed_ends_;
    std::size_t char_count_ = 0;
    std::size_t byte_count_ = 0;
    Stamp revision_;
};

// Word skipping. Classes: whitespace (White_Space), word (Alphabetic or general category Nd, Nl,
// No) and other (everything else, the underscore included). A run of whitespace is crossed
// together with the run after it.
//
// skip_forward: moves pos just past the next run of one class. Returns false, leaving pos at the
// end, when only whitespace follows (or pos is at the end). Cost: O(run length · log chunks).
[[nodiscard]] bool skip_forward(const TextLine& text, std::size_t& pos);
// skip_backward: moves pos to the start of the previous run. Returns false when it reached 0 on
// its first step or while crossing whitespace (pos is then 0); true when it stopped at a run's
// start, including at 0 inside a run. Requires: pos <= char_count().
// Cost: O(run length · log chunks).
[[nodiscard]] bool skip_backward(const TextLine& text, std::size_t& pos);

// --- Template bodies ---

template <class Fn>
void TextLine::for_each_char(std::size_t from, std::size_t to, Fn&& fn) const {
    CharCursor cursor(*this, from);
    to = to < char_count_ ? to : char_count_;
    while (cursor.pos() < to) {
        const std::size_t pos = cursor.pos();
        const char32_t ch = cursor.get();
        cursor.next();
        if constexpr (std::is_same_v<std::invoke_result_t<Fn&, std::size_t, char32_t>, bool>) {
            if (!fn(pos, ch)) return;
        } else {
            fn(pos, ch);
        }
    }
}

template <class Fn>
void TextLine::for_each_chunk(std::size_t from, std::size_t to, Fn&& fn) const {
    to = to < char_count_ ? to : char_count_;
    from = from < to ? from : to;
    if (from == to) return;
    const Location begin = locate(from);
    const Location end = locate(to);
    for (std::size_t chunk = begin.chunk; chunk <= end.chunk && chunk < chunks_.size(); ++chunk) {
        std::string_view piece = chunk_bytes(chunk);
        if (chunk == end.chunk) piece = piece.substr(0, end.byte);
        if (chunk == begin.chunk) piece.remove_prefix(begin.byte);
        if (!piece.empty()) fn(piece);
    }
}

template <class Fn>
void TextLine::for_each_line_extent(std::size_t first, std::size_t last, Fn&& fn) const {
    last = last < line_count() ? last : line_count();
    if (first >= last) return;
    // False when fn asks to stop.
    const auto visit = [&fn](std::size_t line, std::size_t start, std::size_t length) -> bool {
        if constexpr (std::is_same_v<
                          std::invoke_result_t<Fn&, std::size_t, std::size_t, std::size_t>, bool>) {
            return fn(line, start, length);
        } else {
            fn(line, start, length);
            return true;
        }
    };
    // Line feed k of the text ends line k: walking the feeds in order walks the lines.
    const LineWalk walk = walk_from(first);
    std::size_t line = first;
    std::size_t start = walk.pos;
    std::size_t feed = walk.line_feed;
    for (std::size_t chunk = walk.chunk; chunk < chunks_.size() && line < last; ++chunk) {
        const std::span<const std::uint16_t> feeds = line_feeds_of(chunk);
        const std::size_t base = chars_before(chunk);
        for (; feed < feeds.size() && line < last; ++feed) {
            const std::size_t end = base + feeds[feed];
            if (!visit(line, start, end - start)) return;
            start = end + 1;
            ++line;
        }
        feed = 0;
    }
    // With every line feed passed, what is left is the last line.
    if (line < last) visit(line, start, char_count_ - start);
}

template <class Fn>
void TextLine::for_each_line(std::size_t first, std::size_t last, Fn&& fn) const {
    last = last < line_count() ? last : line_count();
    if (first >= last) return;
    LineWalk walk = walk_from(first);
    std::string scratch;
    for (std::size_t line = first; line < last; ++line) {
        const std::size_t start = walk.pos;
        const std::string_view bytes = next_line(walk, scratch);
        // The walk now stands just past this line's line feed, or at the end after the last line.
        const std::size_t length = (line + 1 < line_count() ? walk.pos - 1 : walk.pos) - start;
        if constexpr (std::is_same_v<std::invoke_result_t<Fn&, std::size_t, std::size_t,
                                                          std::size_t, std::string_view>,
                                     bool>) {
            if (!fn(line, start, length, bytes)) return;
        } else {
            fn(line, start, length, bytes);
        }
    }
}

}  // namespace quarn::linecraft
