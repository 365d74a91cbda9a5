#pragma once
// TextLine: the whole text of one document, edited and read by character position (a count of
// Unicode scalar values, 0 to char_count()). Callers never see bytes or the storage layout: every
// read goes through the queries below, so the representation can change without touching them.
//
// Design note (current representation):
// - `text_` is valid UTF-8, always. Text handed in that is not valid UTF-8 has each maximal
//   ill-formed subsequence replaced by U+FFFD, so the invariants hold whatever a caller passes.
// - Character index → byte offset in O(1) through a "base" table plus at most one "patch":
//   * The base table describes the text as it was at the last full rebuild (`base_chars_`
//     characters). It is empty when that text was pure ASCII (offset = index); otherwise
//     `block_base_[j / 64]` is the byte offset of base character 64·(j / 64) and
//     `block_offset_[j]` the offset of base character j relative to it (≤ 63 · 4 < 256, one byte).
//   * The patch is the run of characters changed since then: characters before `patch_start_`
//     are base characters at the same index; the next `patch_offsets_.size()` characters have
//     their byte offsets (relative to `patch_start_byte_`) in `patch_offsets_`; every later
//     character p is base character p - patch_start_ - patch size + `patch_tail_base_`, its
//     offset shifted by `patch_byte_shift_` (modular arithmetic, the shift may be negative).
//   An edit next to or inside the patch only rebuilds the patch (O(patch); at most 8192
//   characters, fewer in small texts); an edit elsewhere, or one that would make the patch too
//   long, folds everything into a new base from the earlier of the edit and the patch on
//   (O(bytes after it)). Pure ASCII text carries no table and no patch.
// - `line_starts_` holds the position of every line start, ascending, beginning with 0; a text
//   with n line feeds has n + 1 entries. Every edit updates it (cost proportional to the number
//   of lines after the edit), so line queries are O(log lines).
// - Every edit moves the bytes after it once (one memmove of the string's tail).
//
// Positions around a line, "ab\ncd" (line feed shown as ⏎):
//   a b ⏎ c d
//  0 1 2 3 4 5      line_start(4) = 3, line_end(1) = 2, line_of(3) = 1, column_of(5) = 2

#include <cstddef>
#include <cstdint>
#include <optional>
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
    // Requires: nothing; pos is clamped to text.char_count(). Cost: O(1).
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
    const TextLine* text_;
    std::size_t pos_ = 0;
    std::size_t byte_ = 0;
};

class TextLine {
public:
    // The empty text: one empty line.
    TextLine();

    // Takes the string and builds the tables. Requires: valid UTF-8 (ill-formed bytes become
    // U+FFFD). Cost: O(bytes).
    [[nodiscard]] static TextLine from_string(std::string text);

    // Cost: O(1).
    [[nodiscard]] std::size_t char_count() const noexcept { return char_count_; }
    // Size of the UTF-8 form (what to_string() would return). Cost: O(1).
    [[nodiscard]] std::size_t byte_count() const noexcept { return text_.size(); }
    [[nodiscard]] bool empty() const noexcept { return char_count_ == 0; }

    // Requires: index < char_count() (otherwise asserts; in release returns U+0000). Cost: O(1).
    [[nodiscard]] char32_t char_at(std::size_t index) const;

    // --- Edit primitives (the `editing` and `selection` modules build on these) ---

    // Edit cost (insert, remove_range, replace_range): one move of the bytes after the edit, an
    // update of the line starts after it, and the offset update: O(patch) (≤ 8192 characters)
    // when the edit is at or next to the previous one, as in typing and deleting; otherwise
    // O(bytes after the edit). Measured on 10 MiB of mixed 1- to 4-byte text, -O2: a typed
    // character at the start ~0.3 ms; typing in turn at two distant places ~7 ms per edit.

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
    // Cost: O(to - from).
    [[nodiscard]] std::string text_range(std::size_t from, std::size_t to) const;
    // A copy of the whole text, for saving and serialising. Cost: O(bytes).
    [[nodiscard]] std::string to_string() const;

    // Calls fn(pos, ch) for every character with from <= pos < to (clamped), in order. When fn
    // returns bool, false stops the walk. The text must not be edited inside fn.
    // Cost: O(to - from) plus fn.
    template <class Fn>
    void for_each_char(std::size_t from, std::size_t to, Fn&& fn) const;

    // Calls fn(bytes) with consecutive pieces of the UTF-8 text of from..to (clamped); every piece
    // holds whole characters. The view lives only during the call. Cost: O(to - from) plus fn.
    template <class Fn>
    void for_each_chunk(std::size_t from, std::size_t to, Fn&& fn) const;

    // --- Lines (a text with n line feeds has n + 1 lines; lines and columns count from 0) ---

    // Cost: O(1).
    [[nodiscard]] std::size_t line_count() const noexcept { return line_starts_.size(); }
    // The line holding pos (pos clamped to char_count(); a position just after a line feed is on
    // the next line). Cost: O(log lines).
    [[nodiscard]] std::size_t line_of(std::size_t pos) const;
    // pos - line_start(pos). Cost: O(log lines).
    [[nodiscard]] std::size_t column_of(std::size_t pos) const;
    // Position of line and column, the line clamped to the last line and the column to that
    // line's length. Cost: O(1).
    [[nodiscard]] std::size_t position_of(std::size_t line, std::size_t column) const;
    // Start of the line holding pos: just after the last line feed before pos, or 0.
    // Cost: O(log lines).
    [[nodiscard]] std::size_t line_start(std::size_t pos) const;
    // End of the line holding pos: the position of the first line feed at or after pos, or
    // char_count(). Cost: O(log lines).
    [[nodiscard]] std::size_t line_end(std::size_t pos) const;
    // Characters of the line, line feed excluded (line clamped to the last line). Cost: O(1).
    [[nodiscard]] std::size_t line_length(std::size_t line) const;
    // A copy of the line's text, line feed excluded (line clamped). Cost: O(line length).
    [[nodiscard]] std::string line_text(std::size_t line) const;

    // Calls fn(line, start_pos, bytes) for each line first <= line < last (last clamped to
    // line_count()); bytes is the line's UTF-8 text without its line feed and lives only during
    // the call. When fn returns bool, false stops the walk. Cost: O(bytes of those lines) plus fn.
    template <class Fn>
    void for_each_line(std::size_t first, std::size_t last, Fn&& fn) const;

    // Same characters. Cost: O(bytes).
    [[nodiscard]] bool operator==(const TextLine& other) const noexcept {
        return text_ == other.text_;
    }

    // A stamp of this state of the text, for caches keyed by content: every edit takes a fresh
    // stamp and copies keep theirs, so equal stamps imply equal text (unequal stamps imply
    // nothing). Cost: O(1).
    [[nodiscard]] std::uint64_t revision() const noexcept { return revision_.value; }

    // For tests and debug builds: a description of the first broken invariant, or nothing.
    // Cost: O(bytes).
    [[nodiscard]] std::optional<std::string> check_invariants() const;

private:
    friend class CharCursor;

    // Requires: pos <= char_count(). Cost: O(1).
    [[nodiscard]] std::size_t byte_offset(std::size_t pos) const noexcept;
    // Byte offset of base character j. Requires: j < base_chars_.
    [[nodiscard]] std::size_t base_byte(std::size_t j) const noexcept;
    // Makes the current text the base from character `from` on, given its byte offset; the
    // base entries before `from` must describe the current text. Drops the patch.
    void rebuild_offsets(std::size_t from, std::size_t from_byte);
    // Updates the offset tables after text_ changed: the characters before_start..before_end
    // (before the edit) became `added` characters. Runs after text_ and char_count_ changed,
    // while the tables still describe the old text; low_byte is the byte offset of
    // min(patch start, before_start), taken before the edit.
    void update_offsets(std::size_t before_start, std::size_t before_end, std::size_t added,
                        std::size_t low_byte);
    void drop_offsets();
    // Byte range of a line without its line feed.
    [[nodiscard]] std::string_view line_bytes(std::size_t line) const;

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

    std::string text_;
    std::size_t char_count_ = 0;
    std::size_t base_chars_ = 0;
    std::vector<std::size_t> block_base_;
    std::vector<std::uint8_t> block_offset_;
    bool has_patch_ = false;
    std::size_t patch_start_ = 0;
    std::size_t patch_start_byte_ = 0;
    std::size_t patch_tail_base_ = 0;
    std::size_t patch_byte_shift_ = 0;
    std::vector<std::uint32_t> patch_offsets_;
    std::vector<std::size_t> line_starts_;
    Stamp revision_;
};

// Word skipping. Classes: whitespace (White_Space), word (Alphabetic or general category Nd, Nl,
// No) and other (everything else, the underscore included). A run of whitespace is crossed
// together with the run after it.
//
// skip_forward: moves pos just past the next run of one class. Returns false, leaving pos at the
// end, when only whitespace follows (or pos is at the end). Cost: O(run length).
[[nodiscard]] bool skip_forward(const TextLine& text, std::size_t& pos);
// skip_backward: moves pos to the start of the previous run. Returns false when it reached 0 on
// its first step or while crossing whitespace (pos is then 0); true when it stopped at a run's
// start, including at 0 inside a run. Requires: pos <= char_count(). Cost: O(run length).
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
    const std::size_t begin = byte_offset(from);
    fn(std::string_view(text_).substr(begin, byte_offset(to) - begin));
}

template <class Fn>
void TextLine::for_each_line(std::size_t first, std::size_t last, Fn&& fn) const {
    last = last < line_starts_.size() ? last : line_starts_.size();
    for (std::size_t line = first; line < last; ++line) {
        if constexpr (std::is_same_v<
                          std::invoke_result_t<Fn&, std::size_t, std::size_t, std::string_view>,
                          bool>) {
            if (!fn(line, line_starts_[line], line_bytes(line))) return;
        } else {
            fn(line, line_starts_[line], line_bytes(line));
        }
    }
}

}  // namespace quarn::linecraft
