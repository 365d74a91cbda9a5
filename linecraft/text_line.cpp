#include "linecraft/text_line.hpp"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>
#include <iterator>

#include "linecraft/unicode.hpp"

// Chunk size in bytes. A test build lowers it so that small texts already span many chunks.
#ifndef QUARN_TEXT_CHUNK_BYTES
#define QUARN_TEXT_CHUNK_BYTES 16384
#endif

namespace quarn::linecraft {

namespace {

constexpr std::size_t max_chunk_bytes = QUARN_TEXT_CHUNK_BYTES;
// Chunks other than a lone one never get shorter: bounds the chunk count by bytes / min.
constexpr std::size_t min_chunk_bytes = max_chunk_bytes / 4;
// Fresh chunks are filled to about this much, leaving room to type before a split.
constexpr std::size_t fill_chunk_bytes = max_chunk_bytes - max_chunk_bytes / 4;
// In-chunk offsets and positions are 16-bit; an even split must leave every piece above min.
static_assert(max_chunk_bytes >= 64 && max_chunk_bytes <= 65535);

constexpr std::size_t block_shift = 5;
constexpr std::size_t block_chars = std::size_t{1} << block_shift;

// Length of the character that starts with this byte; the text is well-formed UTF-8.
[[nodiscard]] std::size_t lead_length(char byte) noexcept {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80) return 1;
    if (b < 0xE0) return 2;
    return b < 0xF0 ? 3 : 4;
}

[[nodiscard]] bool is_continuation(char byte) noexcept {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

[[nodiscard]] std::uint16_t narrow16(std::size_t value) noexcept {
    assert(value <= 0xFFFF);
    return static_cast<std::uint16_t>(value);
}

// Turns the `count` entries of v from `first` on into `new_count` entries: the ones kept hold
// their old values, added ones are value-initialised.
template <class T>
void splice(std::vector<T>& v, std::size_t first, std::size_t count, std::size_t new_count) {
    const auto at = v.begin() + static_cast<std::ptrdiff_t>(first + std::min(count, new_count));
    if (new_count > count) {
        v.insert(at, new_count - count, T{});
    } else {
        v.erase(at, at + static_cast<std::ptrdiff_t>(count - new_count));
    }
}

// Index of the first entry of the ascending `ends` greater than value (ends.size() if none):
// a binary search without branches to mispredict, as every position and line lookup needs one.
[[nodiscard]] std::size_t first_above(const std::vector<std::size_t>& ends,
                                      std::size_t value) noexcept {
    const std::size_t* base = ends.data();
    std::size_t count = ends.size();
    if (count == 0) return 0;
    while (count > 1) {
        const std::size_t half = count / 2;
        base = base[half - 1] <= value ? base + half : base;
        count -= half;
    }
    return static_cast<std::size_t>(base - ends.data()) + (*base <= value ? 1 : 0);
}

enum class CharClass { Whitespace, Word, Other };

[[nodiscard]] CharClass class_of(char32_t ch) noexcept {
    if (is_white_space(ch)) return CharClass::Whitespace;
    return is_alphanumeric(ch) ? CharClass::Word : CharClass::Other;
}

}  // namespace

// Immutable once built: copies of a text share it.
struct TextLine::Chunk {
    std::string bytes;
    std::size_t chars = 0;
    // Byte offset of character 32·k, for every k; empty when the chunk is pure ASCII.
    std::vector<std::uint16_t> blocks;
    // Character index of every line feed, ascending.
    std::vector<std::uint16_t> line_feeds;
    // Byte offset of every line feed, so that walking lines never scans for them; empty when the
    // chunk is pure ASCII, where line_feeds holds the same numbers.
    std::vector<std::uint16_t> line_feed_bytes;

    // Byte offset of line feed k (k < line_feeds.size()).
    [[nodiscard]] std::size_t line_feed_byte(std::size_t k) const noexcept {
        return blocks.empty() ? line_feeds[k] : line_feed_bytes[k];
    }

    // Byte offset of character `local`; bytes.size() from chars on.
    [[nodiscard]] std::size_t byte_of(std::size_t local) const noexcept {
        if (local >= chars) return bytes.size();
        if (blocks.empty()) return local;
        std::size_t byte = blocks[local >> block_shift];
        for (std::size_t n = local & (block_chars - 1); n > 0; --n)
            byte += lead_length(bytes[byte]);
        return byte;
    }

    // Requires: bytes is valid UTF-8, 1 to max_chunk_bytes long. Cost: O(bytes).
    [[nodiscard]] static std::shared_ptr<const Chunk> make(std::string bytes);
    // Appends bytes as evenly sized chunks (none for no bytes). Requires: valid UTF-8.
    static void split(std::string&& bytes, std::vector<std::shared_ptr<const Chunk>>& out);
};

std::shared_ptr<const TextLine::Chunk> TextLine::Chunk::make(std::string bytes) {
    assert(!bytes.empty() && bytes.size() <= max_chunk_bytes);
    auto chunk = std::make_shared<Chunk>();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < size) {
        // Eight bytes without a line feed and without a block start at once: the bulk of any
        // text. Characters start at the bytes that are not continuation bytes (10xxxxxx).
        if (i + 8 <= size) {
            std::uint64_t eight = 0;
            std::memcpy(&eight, data + i, 8);
            const std::uint64_t feeds = eight ^ 0x0A0A0A0A0A0A0A0Au;
            const bool has_feed =
                ((feeds - 0x0101010101010101u) & ~feeds & 0x8080808080808080u) != 0;
            const std::uint64_t continuations = eight & ~(eight << 1) & 0x8080808080808080u;
            // Sums the eight flags into the top byte (no popcount instruction in a generic build).
            const auto starts =
                8 - static_cast<std::size_t>(((continuations >> 7) * 0x0101010101010101u) >> 56);
            const std::size_t next_block = (chars + block_chars - 1) & ~(block_chars - 1);
            const bool ascii = (eight & 0x8080808080808080u) == 0;
            if (!has_feed && (next_block >= chars + starts || ascii)) {
                if (next_block < chars + starts)
                    chunk->blocks.push_back(narrow16(i + next_block - chars));
                chars += starts;
                i += 8;
                continue;
            }
        }
        if ((data[i] & 0xC0) != 0x80) {
            if ((chars & (block_chars - 1)) == 0) chunk->blocks.push_back(narrow16(i));
            if (data[i] == '\n') {
                chunk->line_feeds.push_back(narrow16(chars));
                chunk->line_feed_bytes.push_back(narrow16(i));
            }
            ++chars;
        }
        ++i;
    }
    chunk->chars = chars;
    if (chars == size) {
        std::vector<std::uint16_t>().swap(chunk->blocks);
        std::vector<std::uint16_t>().swap(chunk->line_feed_bytes);
    } else {
        chunk->blocks.shrink_to_fit();
        chunk->line_feed_bytes.shrink_to_fit();
    }
    chunk->line_feeds.shrink_to_fit();
    chunk->bytes = std::move(bytes);
    return chunk;
}

void TextLine::Chunk::split(std::string&& bytes, std::vector<std::shared_ptr<const Chunk>>& out) {
    if (bytes.empty()) return;
    const std::size_t size = bytes.size();
    const std::size_t pieces = (size + fill_chunk_bytes - 1) / fill_chunk_bytes;
    if (pieces == 1) {
        out.push_back(make(std::move(bytes)));
        return;
    }
    out.reserve(out.size() + pieces);
    // Cuts at even distances, each moved back to a character start: every piece is at most
    // fill + 3 bytes and, since there are two or more, at least fill / 2 - 3.
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= pieces; ++i) {
        std::size_t cut = size / pieces * i + size % pieces * i / pieces;
        while (cut < size && is_continuation(bytes[cut])) --cut;
        out.push_back(make(bytes.substr(begin, cut - begin)));
        begin = cut;
    }
}

// --- CharCursor ---

CharCursor::CharCursor(const TextLine& text, std::size_t pos)
    : text_(&text), pos_(std::min(pos, text.char_count())) {
    const TextLine::Location at = text.locate(pos_);
    enter_chunk(at.chunk);
    byte_ = at.byte;
}

void CharCursor::enter_chunk(std::size_t chunk) {
    chunk_ = chunk;
    byte_ = 0;
    bytes_ = chunk < text_->chunks_.size() ? text_->chunk_bytes(chunk) : std::string_view();
}

bool CharCursor::at_end() const noexcept { return pos_ >= text_->char_count_; }

char32_t CharCursor::get() const {
    assert(!at_end());
    if (at_end()) return 0;
    const char byte = bytes_[byte_];
    if (static_cast<unsigned char>(byte) < 0x80) return static_cast<char32_t>(byte);
    return decode_utf8(bytes_.substr(byte_)).ch;
}

char32_t CharCursor::get_before() const {
    assert(!at_start());
    if (at_start()) return 0;
    // At the start of a chunk the character before ends the previous chunk.
    const std::string_view bytes = byte_ > 0 ? bytes_ : text_->chunk_bytes(chunk_ - 1);
    std::size_t start = (byte_ > 0 ? byte_ : bytes.size()) - 1;
    while (is_continuation(bytes[start])) --start;
    return decode_utf8(bytes.substr(start)).ch;
}

void CharCursor::next() {
    if (at_end()) return;
    byte_ += lead_length(bytes_[byte_]);
    ++pos_;
    if (byte_ == bytes_.size()) enter_chunk(chunk_ + 1);
}

void CharCursor::prev() {
    if (at_start()) return;
    if (byte_ == 0) {
        enter_chunk(chunk_ - 1);
        byte_ = bytes_.size();
    }
    --byte_;
    while (is_continuation(bytes_[byte_])) --byte_;
    --pos_;
}

// --- TextLine ---

TextLine TextLine::from_string(std::string text) {
    TextLine line;
    std::string clean = is_valid_utf8(text) ? std::move(text) : sanitize_utf8(text);
    line.byte_count_ = clean.size();
    Chunk::split(std::move(clean), line.chunks_);
    line.refresh_counts(0, line.chunks_.size());
    return line;
}

void TextLine::refresh_counts(std::size_t from, std::size_t to) {
    char_ends_.resize(chunks_.size());
    line_feed_ends_.resize(chunks_.size());
    std::size_t chars = chars_before(from);
    std::size_t line_feeds = from == 0 ? 0 : line_feed_ends_[from - 1];
    for (std::size_t i = from; i < to; ++i) {
        chars += chunks_[i]->chars;
        line_feeds += chunks_[i]->line_feeds.size();
        char_ends_[i] = chars;
        line_feed_ends_[i] = line_feeds;
    }
    char_count_ = char_ends_.empty() ? 0 : char_ends_.back();
}

TextLine::Location TextLine::locate(std::size_t pos) const noexcept {
    if (pos >= char_count_) return Location{chunks_.size(), 0};
    const auto chunk = first_above(char_ends_, pos);
    return Location{chunk, chunks_[chunk]->byte_of(pos - chars_before(chunk))};
}

std::string_view TextLine::chunk_bytes(std::size_t chunk) const noexcept {
    return chunks_[chunk]->bytes;
}

char32_t TextLine::char_at(std::size_t index) const {
    assert(index < char_count_);
    if (index >= char_count_) return 0;
    const Location at = locate(index);
    const std::string_view bytes = chunks_[at.chunk]->bytes;
    if (static_cast<unsigned char>(bytes[at.byte]) < 0x80)
        return static_cast<char32_t>(bytes[at.byte]);
    return decode_utf8(bytes.substr(at.byte)).ch;
}

std::uint64_t TextLine::Stamp::next() noexcept {
    // One counter for the whole process, not one per text: undo swaps older copies of a text
    // back in, so a stamp must never be handed out twice, whichever text asks.
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::size_t TextLine::insert(std::size_t pos, std::string_view text) {
    return replace_range(pos, pos, text);
}

void TextLine::remove_range(std::size_t start, std::size_t end) {
    (void)replace_range(start, end, {});  // nothing inserted, nothing to count
}

std::size_t TextLine::replace_range(std::size_t start, std::size_t end, std::string_view text) {
    assert(start <= end && end <= char_count_);
    if (start > end || end > char_count_) return 0;
    std::string clean;
    if (!is_valid_utf8(text)) {
        clean = sanitize_utf8(text);
        text = clean;
    }
    if (start == end && text.empty()) return 0;
    revision_.value = Stamp::next();
    const std::size_t added = utf8_char_count(text);
    if (chunks_.empty()) {
        byte_count_ = text.size();
        Chunk::split(std::string(text), chunks_);
        refresh_counts(0, chunks_.size());
        return added;
    }

    // The chunks holding the edit: an insertion on a chunk boundary extends the chunk before
    // it (typing at its end); a removal starts in the chunk holding its first character.
    const auto chunk_at = [&](std::size_t pos, bool before_boundary) {
        const auto it = before_boundary
                            ? std::lower_bound(char_ends_.begin(), char_ends_.end(), pos)
                            : std::upper_bound(char_ends_.begin(), char_ends_.end(), pos);
        return static_cast<std::size_t>(it - char_ends_.begin());
    };
    std::size_t first = chunk_at(start, start == end);
    std::size_t last = chunk_at(end, true);
    const Chunk& head = *chunks_[first];
    const Chunk& tail = *chunks_[last];
    const std::size_t head_bytes = head.byte_of(start - chars_before(first));
    const std::size_t tail_byte = tail.byte_of(end - chars_before(last));
    std::string joined;
    joined.reserve(head_bytes + text.size() + (tail.bytes.size() - tail_byte));
    joined.append(head.bytes, 0, head_bytes);
    joined += text;
    joined.append(tail.bytes, tail_byte);
    // Too short a result takes in a neighbour, which holds at least min_chunk_bytes.
    if (joined.size() < min_chunk_bytes) {
        if (first > 0) {
            --first;
            joined.insert(0, chunks_[first]->bytes);
        } else if (last + 1 < chunks_.size()) {
            ++last;
            joined += chunks_[last]->bytes;
        }
    }
    std::size_t old_bytes = 0;
    for (std::size_t i = first; i <= last; ++i) old_bytes += chunks_[i]->bytes.size();
    byte_count_ = byte_count_ - old_bytes + joined.size();

    std::vector<std::shared_ptr<const Chunk>> fresh;
    Chunk::split(std::move(joined), fresh);
    const std::size_t old_count = last - first + 1;
    const std::size_t old_chars = char_ends_[last];
    const std::size_t old_feeds = line_feed_ends_[last];
    splice(chunks_, first, old_count, fresh.size());
    std::move(fresh.begin(), fresh.end(), chunks_.begin() + static_cast<std::ptrdiff_t>(first));
    splice(char_ends_, first, old_count, fresh.size());
    splice(line_feed_ends_, first, old_count, fresh.size());
    const std::size_t fresh_end = first + fresh.size();
    refresh_counts(first, fresh_end);
    // The counts after the touched chunks all move by what the edit changed (modular
    // arithmetic: the change may be negative). No chunk is read: they may be far in memory.
    const std::size_t char_shift = chars_before(fresh_end) - old_chars;
    const std::size_t feed_shift =
        (fresh_end == 0 ? 0 : line_feed_ends_[fresh_end - 1]) - old_feeds;
    for (std::size_t i = fresh_end; i < chunks_.size(); ++i) {
        char_ends_[i] += char_shift;
        line_feed_ends_[i] += feed_shift;
    }
    char_count_ = char_ends_.empty() ? 0 : char_ends_.back();
    return added;
}

std::string TextLine::text_range(std::size_t from, std::size_t to) const {
    std::string out;
    for_each_chunk(from, to, [&](std::string_view piece) { out += piece; });
    return out;
}

std::string TextLine::to_string() const {
    std::string out;
    out.reserve(byte_count_);
    for (const auto& chunk : chunks_) out += chunk->bytes;
    return out;
}

std::size_t TextLine::start_of_line(std::size_t line) const noexcept {
    if (line == 0) return 0;
    // Line n starts after line feed n - 1 (counting from 0).
    const std::size_t feed = line - 1;
    const auto chunk = first_above(line_feed_ends_, feed);
    const std::size_t feeds_before = chunk == 0 ? 0 : line_feed_ends_[chunk - 1];
    return chars_before(chunk) + chunks_[chunk]->line_feeds[feed - feeds_before] + 1;
}

std::size_t TextLine::line_of(std::size_t pos) const {
    if (pos >= char_count_) return line_count() - 1;
    const auto chunk = first_above(char_ends_, pos);
    const std::vector<std::uint16_t>& feeds = chunks_[chunk]->line_feeds;
    const std::size_t local = pos - chars_before(chunk);
    const auto before = std::lower_bound(feeds.begin(), feeds.end(), local) - feeds.begin();
    return (chunk == 0 ? 0 : line_feed_ends_[chunk - 1]) + static_cast<std::size_t>(before);
}

std::size_t TextLine::column_of(std::size_t pos) const {
    pos = std::min(pos, char_count_);
    return pos - start_of_line(line_of(pos));
}

TextLine::LineSpan TextLine::line_span(std::size_t line) const noexcept {
    if (line + 1 >= line_count()) return LineSpan{start_of_line(line), char_count_};
    // Line feed `line` ends the line; the one before it, usually in the same chunk, starts it.
    const auto chunk = first_above(line_feed_ends_, line);
    const std::vector<std::uint16_t>& feeds = chunks_[chunk]->line_feeds;
    const std::size_t feed = line - (chunk == 0 ? 0 : line_feed_ends_[chunk - 1]);
    const std::size_t end = chars_before(chunk) + feeds[feed];
    if (feed > 0) return LineSpan{chars_before(chunk) + feeds[feed - 1] + 1, end};
    return LineSpan{start_of_line(line), end};
}

std::size_t TextLine::line_length(std::size_t line) const {
    const LineSpan span = line_span(std::min(line, line_count() - 1));
    return span.end - span.start;
}

std::size_t TextLine::position_of(std::size_t line, std::size_t column) const {
    const LineSpan span = line_span(std::min(line, line_count() - 1));
    return span.start + std::min(column, span.end - span.start);
}

std::size_t TextLine::line_start(std::size_t pos) const { return start_of_line(line_of(pos)); }

std::size_t TextLine::line_end(std::size_t pos) const { return line_span(line_of(pos)).end; }

std::string TextLine::line_text(std::size_t line) const {
    const LineSpan span = line_span(std::min(line, line_count() - 1));
    return text_range(span.start, span.end);
}

TextLine::LineWalk TextLine::walk_from(std::size_t line) const noexcept {
    const std::size_t pos = start_of_line(line);
    if (pos >= char_count_) return LineWalk{chunks_.size(), 0, 0, pos};
    const auto chunk = first_above(char_ends_, pos);
    const Chunk& here = *chunks_[chunk];
    const std::size_t local = pos - chars_before(chunk);
    const auto feed = std::lower_bound(here.line_feeds.begin(), here.line_feeds.end(), local) -
                      here.line_feeds.begin();
    return LineWalk{chunk, here.byte_of(local), static_cast<std::size_t>(feed), pos};
}

std::span<const std::uint16_t> TextLine::line_feeds_of(std::size_t chunk) const noexcept {
    return chunks_[chunk]->line_feeds;
}

std::string_view TextLine::next_line(LineWalk& walk, std::string& scratch) const {
    // Moves the walk just past line feed `feed` of chunk, found at byte `at`.
    const auto step_past = [&](std::size_t chunk, std::size_t at, std::size_t feed) {
        const Chunk& c = *chunks_[chunk];
        walk = LineWalk{chunk, at + 1, feed + 1, chars_before(chunk) + c.line_feeds[feed] + 1};
        if (walk.byte == c.bytes.size()) walk = LineWalk{chunk + 1, 0, 0, walk.pos};
    };
    if (walk.chunk >= chunks_.size()) return {};
    const Chunk& here = *chunks_[walk.chunk];
    const std::string_view bytes = here.bytes;
    if (walk.line_feed < here.line_feeds.size()) {
        const std::size_t begin = walk.byte;
        const std::size_t at = here.line_feed_byte(walk.line_feed);
        step_past(walk.chunk, at, walk.line_feed);
        return bytes.substr(begin, at - begin);
    }
    // The line runs on past this chunk: the last line, or one to assemble.
    const std::size_t begin = walk.byte;
    if (walk.chunk + 1 == chunks_.size()) {
        walk = LineWalk{chunks_.size(), 0, 0, char_count_};
        return bytes.substr(begin);
    }
    scratch.assign(bytes.substr(begin));
    for (std::size_t chunk = walk.chunk + 1; chunk < chunks_.size(); ++chunk) {
        const Chunk& next = *chunks_[chunk];
        if (next.line_feeds.empty()) {
            scratch += next.bytes;
            continue;
        }
        const std::size_t at = next.line_feed_byte(0);
        scratch.append(next.bytes, 0, at);
        step_past(chunk, at, 0);
        return scratch;
    }
    walk = LineWalk{chunks_.size(), 0, 0, char_count_};
    return scratch;
}

bool TextLine::operator==(const TextLine& other) const noexcept {
    if (revision_.value == other.revision_.value) return true;
    if (byte_count_ != other.byte_count_ || char_count_ != other.char_count_) return false;
    // Chunk boundaries may differ: compare the overlap of the current pieces, skipping a
    // shared chunk whole.
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t a = 0;
    std::size_t b = 0;
    while (i < chunks_.size() && j < other.chunks_.size()) {
        if (a == 0 && b == 0 && chunks_[i] == other.chunks_[j]) {
            ++i;
            ++j;
            continue;
        }
        const std::string_view x = std::string_view(chunks_[i]->bytes).substr(a);
        const std::string_view y = std::string_view(other.chunks_[j]->bytes).substr(b);
        const std::size_t n = std::min(x.size(), y.size());
        if (x.substr(0, n) != y.substr(0, n)) return false;
        a += n;
        b += n;
        if (a == chunks_[i]->bytes.size()) {
            ++i;
            a = 0;
        }
        if (b == other.chunks_[j]->bytes.size()) {
            ++j;
            b = 0;
        }
    }
    return i == chunks_.size() && j == other.chunks_.size();
}

std::optional<std::string> TextLine::check_invariants() const {
    if (char_ends_.size() != chunks_.size() || line_feed_ends_.size() != chunks_.size())
        return "one count per chunk: broken";
    std::size_t chars = 0;
    std::size_t line_feeds = 0;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        const std::string at = "chunk " + std::to_string(i) + ": ";
        if (chunks_[i] == nullptr) return at + "missing";
        const Chunk& chunk = *chunks_[i];
        if (chunk.bytes.empty()) return at + "empty";
        if (chunk.bytes.size() > max_chunk_bytes) return at + "too long";
        if (chunks_.size() > 1 && chunk.bytes.size() < min_chunk_bytes) return at + "too short";
        if (!is_valid_utf8(chunk.bytes)) return at + "not valid UTF-8 (or splits a character)";
        if (chunk.chars != utf8_char_count(chunk.bytes)) return at + "character count is wrong";
        const bool ascii = chunk.chars == chunk.bytes.size();
        if (ascii != chunk.blocks.empty()) return at + "offset table present iff not ASCII: broken";
        if (!ascii && chunk.blocks.size() != (chunk.chars + block_chars - 1) / block_chars)
            return at + "one offset per block of characters: broken";
        std::vector<std::uint16_t> feeds;
        std::vector<std::uint16_t> feed_bytes;
        std::size_t byte = 0;
        for (std::size_t local = 0; local < chunk.chars; ++local) {
            if (!ascii && local % block_chars == 0 && chunk.blocks[local / block_chars] != byte)
                return at + "offset of character " + std::to_string(local) + " is wrong";
            if (chunk.bytes[byte] == '\n') {
                feeds.push_back(narrow16(local));
                feed_bytes.push_back(narrow16(byte));
            }
            byte += lead_length(chunk.bytes[byte]);
        }
        if (feeds != chunk.line_feeds) return at + "line feeds do not match the text";
        if (chunk.line_feed_bytes != (ascii ? std::vector<std::uint16_t>() : feed_bytes))
            return at + "byte offsets of the line feeds do not match the text";
        chars += chunk.chars;
        line_feeds += chunk.line_feeds.size();
        bytes += chunk.bytes.size();
        if (char_ends_[i] != chars) return at + "character count before it is wrong";
        if (line_feed_ends_[i] != line_feeds) return at + "line feed count before it is wrong";
    }
    if (chars != char_count_) return "character count does not match the chunks";
    if (bytes != byte_count_) return "byte count does not match the chunks";
    return std::nullopt;
}

// --- Word skipping ---

bool skip_forward(const TextLine& text, std::size_t& pos) {
    const std::size_t count = text.char_count();
    if (pos >= count) {
        pos = count;
        return false;
    }
    while (is_white_space(text.char_at(pos))) {
        if (++pos == count) return false;
    }
    const CharClass run = class_of(text.char_at(pos));
    ++pos;
    while (pos < count && class_of(text.char_at(pos)) == run) ++pos;
    return true;
}

bool skip_backward(const TextLine& text, std::size_t& pos) {
    assert(pos <= text.char_count());
    pos = std::min(pos, text.char_count());
    if (pos == 0) return false;
    if (--pos == 0) return false;
    while (is_white_space(text.char_at(pos))) {
        if (--pos == 0) return false;
    }
    const CharClass run = class_of(text.char_at(pos));
    while (pos > 0 && class_of(text.char_at(pos - 1)) == run) --pos;
    return true;
}

}  // namespace quarn::linecraft
