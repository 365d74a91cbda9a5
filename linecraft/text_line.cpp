#include "linecraft/text_line.hpp"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>

#include "linecraft/unicode.hpp"

namespace quarn::linecraft {

namespace {

constexpr std::size_t block_shift = 6;
constexpr std::size_t block_chars = std::size_t{1} << block_shift;
// Longest patch kept before folding it into the base: bounds the work of one keystroke. Small
// texts fold early, where a rebuild costs little anyway.
constexpr std::size_t max_patch_chars = 8192;
[[nodiscard]] std::size_t patch_limit(std::size_t char_count) noexcept {
    return std::clamp<std::size_t>(char_count / 8, 16, max_patch_chars);
}

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

// Appends the position just after every line feed of bytes, whose first character is at pos.
void collect_line_starts(std::string_view bytes, std::size_t pos, std::vector<std::size_t>& out) {
    std::size_t from = 0;
    while (from < bytes.size()) {
        const void* hit = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
        if (hit == nullptr) return;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
        pos += utf8_char_count(bytes.substr(from, at + 1 - from));
        out.push_back(pos);
        from = at + 1;
    }
}

enum class CharClass { Whitespace, Word, Other };

[[nodiscard]] CharClass class_of(char32_t ch) noexcept {
    if (is_white_space(ch)) return CharClass::Whitespace;
    return is_alphanumeric(ch) ? CharClass::Word : CharClass::Other;
}

}  // namespace

// --- CharCursor ---

CharCursor::CharCursor(const TextLine& text, std::size_t pos)
    : text_(&text), pos_(std::min(pos, text.char_count())), byte_(text.byte_offset(pos_)) {}

bool CharCursor::at_end() const noexcept { return pos_ >= text_->char_count_; }

char32_t CharCursor::get() const {
    assert(!at_end());
    if (at_end()) return 0;
    const char byte = text_->text_[byte_];
    if (static_cast<unsigned char>(byte) < 0x80) return static_cast<char32_t>(byte);
    return decode_utf8(std::string_view(text_->text_).substr(byte_)).ch;
}

char32_t CharCursor::get_before() const {
    assert(!at_start());
    if (at_start()) return 0;
    std::size_t start = byte_ - 1;
    while (is_continuation(text_->text_[start])) --start;
    return decode_utf8(std::string_view(text_->text_).substr(start)).ch;
}

void CharCursor::next() {
    if (at_end()) return;
    byte_ += lead_length(text_->text_[byte_]);
    ++pos_;
}

void CharCursor::prev() {
    if (at_start()) return;
    --byte_;
    while (is_continuation(text_->text_[byte_])) --byte_;
    --pos_;
}

// --- TextLine ---

TextLine::TextLine() : line_starts_{0} {}

TextLine TextLine::from_string(std::string text) {
    TextLine line;
    line.text_ = is_valid_utf8(text) ? std::move(text) : sanitize_utf8(text);
    line.char_count_ = utf8_char_count(line.text_);
    if (line.char_count_ != line.text_.size()) line.rebuild_offsets(0, 0);
    line.base_chars_ = line.char_count_;
    collect_line_starts(line.text_, 0, line.line_starts_);
    return line;
}

std::size_t TextLine::base_byte(std::size_t j) const noexcept {
    if (block_offset_.empty()) return j;
    return block_base_[j >> block_shift] + block_offset_[j];
}

std::size_t TextLine::byte_offset(std::size_t pos) const noexcept {
    if (pos >= char_count_) return text_.size();
    if (!has_patch_ || pos < patch_start_) return base_byte(pos);
    const std::size_t in_patch = pos - patch_start_;
    if (in_patch < patch_offsets_.size()) return patch_start_byte_ + patch_offsets_[in_patch];
    return base_byte(in_patch - patch_offsets_.size() + patch_tail_base_) + patch_byte_shift_;
}

void TextLine::drop_offsets() {
    std::vector<std::size_t>().swap(block_base_);
    std::vector<std::uint8_t>().swap(block_offset_);
    std::vector<std::uint32_t>().swap(patch_offsets_);
    has_patch_ = false;
    base_chars_ = char_count_;
}

void TextLine::update_offsets(std::size_t before_start, std::size_t before_end, std::size_t added,
                              std::size_t low_byte) {
    if (char_count_ == text_.size()) {
        drop_offsets();  // pure ASCII again: no tables at all
        return;
    }
    // Grow the patch (an empty one at the edit when there is none) to cover the edit. Before
    // the edit, characters from patch end on map to base characters from tail_base on.
    const std::size_t start = has_patch_ ? patch_start_ : before_start;
    const std::size_t end = has_patch_ ? patch_start_ + patch_offsets_.size() : before_start;
    const std::size_t tail_base = has_patch_ ? patch_tail_base_ : before_start;
    const std::size_t low = std::min(start, before_start);
    const std::size_t high = std::max(end, before_end);
    const std::size_t length = high - low - (before_end - before_start) + added;
    if (length > patch_limit(char_count_)) {
        // Base entries before `low` describe the current text; an ASCII base has none.
        if (block_offset_.empty()) {
            rebuild_offsets(0, 0);
        } else {
            rebuild_offsets(low, low_byte);
        }
        return;
    }
    has_patch_ = true;
    patch_start_ = low;
    patch_start_byte_ = low_byte;
    patch_tail_base_ = tail_base + (high - end);
    patch_offsets_.resize(length);
    std::size_t byte = low_byte;
    for (std::size_t i = 0; i < length; ++i) {
        patch_offsets_[i] = static_cast<std::uint32_t>(byte - low_byte);
        byte += lead_length(text_[byte]);
    }
    // Unsigned wrap-around stands for a negative shift; only the sum is ever used.
    const std::size_t tail_old_byte =
        patch_tail_base_ < base_chars_ ? base_byte(patch_tail_base_) : 0;
    patch_byte_shift_ = byte - tail_old_byte;
}

void TextLine::rebuild_offsets(std::size_t from, std::size_t from_byte) {
    // Blocks that start before `from` keep their base: nothing before `from` moved.
    has_patch_ = false;
    patch_offsets_.clear();
    base_chars_ = char_count_;
    block_base_.resize((char_count_ + block_chars - 1) >> block_shift);
    block_offset_.resize(char_count_);
    const auto* data = reinterpret_cast<const unsigned char*>(text_.data());
    std::uint8_t* offsets = block_offset_.data();
    std::size_t pos = from;
    std::size_t byte = from_byte;
    while (pos < char_count_) {
        const std::size_t block = pos >> block_shift;
        if ((pos & (block_chars - 1)) == 0) block_base_[block] = byte;
        const std::size_t base = block_base_[block];
        const std::size_t block_end = std::min((block + 1) << block_shift, char_count_);
        std::size_t relative = byte - base;
        while (pos < block_end) {
            // Eight ASCII characters at once: most non-ASCII text is still mostly ASCII.
            std::uint64_t eight = 0;
            if (pos + 8 <= block_end) std::memcpy(&eight, data + base + relative, 8);
            if (pos + 8 <= block_end && (eight & 0x8080808080808080u) == 0) {
                for (std::size_t i = 0; i < 8; ++i)
                    offsets[pos + i] = static_cast<std::uint8_t>(relative + i);
                pos += 8;
                relative += 8;
                continue;
            }
            // Byte by byte without a dependency on the loaded length: a continuation byte
            // writes the next character's slot, which that character's lead byte overwrites.
            const unsigned char* bytes = data + base;
            const std::size_t stop = std::min(pos + 8, block_end);
            while (pos < stop) {
                offsets[pos] = static_cast<std::uint8_t>(relative);
                pos += (bytes[relative] & 0xC0) != 0x80 ? 1 : 0;
                ++relative;
            }
        }
        // Step over the continuation bytes of the block's last character.
        while (base + relative < text_.size() && is_continuation(text_[base + relative]))
            ++relative;
        byte = base + relative;
    }
}

char32_t TextLine::char_at(std::size_t index) const {
    assert(index < char_count_);
    if (index >= char_count_) return 0;
    const std::size_t byte = byte_offset(index);
    if (static_cast<unsigned char>(text_[byte]) < 0x80) return static_cast<char32_t>(text_[byte]);
    return decode_utf8(std::string_view(text_).substr(byte)).ch;
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

    const std::size_t start_byte = byte_offset(start);
    const std::size_t end_byte = byte_offset(end);
    const std::size_t low_byte =
        has_patch_ ? byte_offset(std::min(patch_start_, start)) : start_byte;
    const std::size_t removed = end - start;
    const std::size_t added = utf8_char_count(text);
    text_.replace(start_byte, end_byte - start_byte, text);
    char_count_ = char_count_ - removed + added;
    update_offsets(start, end, added, low_byte);

    // Line starts in (start, end] belonged to removed line feeds; later ones shift.
    const auto first = std::upper_bound(line_starts_.begin(), line_starts_.end(), start);
    const auto last = std::upper_bound(first, line_starts_.end(), end);
    for (auto it = last; it != line_starts_.end(); ++it) *it = *it - removed + added;
    const auto insert_at = line_starts_.erase(first, last);
    std::vector<std::size_t> new_starts;
    collect_line_starts(text, start, new_starts);
    line_starts_.insert(insert_at, new_starts.begin(), new_starts.end());
    return added;
}

std::string TextLine::text_range(std::size_t from, std::size_t to) const {
    to = std::min(to, char_count_);
    from = std::min(from, to);
    const std::size_t begin = byte_offset(from);
    return text_.substr(begin, byte_offset(to) - begin);
}

std::string TextLine::to_string() const { return text_; }

std::size_t TextLine::line_of(std::size_t pos) const {
    pos = std::min(pos, char_count_);
    const auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), pos);
    return static_cast<std::size_t>(it - line_starts_.begin()) - 1;
}

std::size_t TextLine::column_of(std::size_t pos) const {
    pos = std::min(pos, char_count_);
    return pos - line_starts_[line_of(pos)];
}

std::size_t TextLine::line_length(std::size_t line) const {
    line = std::min(line, line_starts_.size() - 1);
    const std::size_t end =
        line + 1 < line_starts_.size() ? line_starts_[line + 1] - 1 : char_count_;
    return end - line_starts_[line];
}

std::size_t TextLine::position_of(std::size_t line, std::size_t column) const {
    line = std::min(line, line_starts_.size() - 1);
    return line_starts_[line] + std::min(column, line_length(line));
}

std::size_t TextLine::line_start(std::size_t pos) const { return line_starts_[line_of(pos)]; }

std::size_t TextLine::line_end(std::size_t pos) const {
    const std::size_t line = line_of(pos);
    return line_starts_[line] + line_length(line);
}

std::string_view TextLine::line_bytes(std::size_t line) const {
    line = std::min(line, line_starts_.size() - 1);
    const std::size_t begin = byte_offset(line_starts_[line]);
    const std::size_t end = byte_offset(line_starts_[line] + line_length(line));
    return std::string_view(text_).substr(begin, end - begin);
}

std::string TextLine::line_text(std::size_t line) const { return std::string(line_bytes(line)); }

std::optional<std::string> TextLine::check_invariants() const {
    if (!is_valid_utf8(text_)) return "text is not valid UTF-8";
    if (char_count_ != utf8_char_count(text_)) return "character count does not match the text";
    const bool ascii = char_count_ == text_.size();
    if (ascii && (has_patch_ || !block_offset_.empty() || !block_base_.empty()))
        return "pure ASCII text carries a table";
    if (!ascii && !has_patch_ && block_offset_.empty()) return "non-ASCII text without a table";
    if (!block_offset_.empty() && block_offset_.size() != base_chars_)
        return "one base offset per base character: broken";
    if (block_base_.size() != (block_offset_.size() + block_chars - 1) / block_chars)
        return "one base per block of characters: broken";
    if (has_patch_) {
        if (patch_offsets_.size() > max_patch_chars) return "patch longer than allowed";
        const std::size_t patch_end = patch_start_ + patch_offsets_.size();
        if (patch_end > char_count_) return "patch beyond the text";
        if (patch_start_ > base_chars_ || patch_tail_base_ > base_chars_ ||
            char_count_ - patch_end != base_chars_ - patch_tail_base_)
            return "patch does not map the tail onto the base";
    } else if (!ascii && base_chars_ != char_count_) {
        return "base table does not cover the text";
    }
    std::size_t byte = 0;
    for (std::size_t pos = 0; pos < char_count_; ++pos) {
        if (byte_offset(pos) != byte)
            return "byte offset of character " + std::to_string(pos) + " is wrong";
        byte += lead_length(text_[byte]);
    }
    std::vector<std::size_t> starts{0};
    collect_line_starts(text_, 0, starts);
    if (starts != line_starts_) return "line starts do not match the line feeds";
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
