#include "linecraft/text_line.hpp"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "linecraft/unicode.hpp"

namespace quarn::linecraft {

namespace {

constexpr std::size_t block_shift = 6;
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
    collect_line_starts(line.text_, 0, line.line_starts_);
    return line;
}

std::size_t TextLine::byte_offset(std::size_t pos) const noexcept {
    if (block_offset_.empty()) return pos;
    if (pos >= char_count_) return text_.size();
    return block_base_[pos >> block_shift] + block_offset_[pos];
}

void TextLine::rebuild_offsets(std::size_t from, std::size_t from_byte) {
    // Blocks that start before `from` keep their base: nothing before `from` moved.
    block_base_.resize((char_count_ + block_chars - 1) >> block_shift);
    block_offset_.resize(char_count_);
    std::size_t byte = from_byte;
    std::size_t base = from_byte;
    if ((from & (block_chars - 1)) != 0) base = block_base_[from >> block_shift];
    const char* data = text_.data();
    for (std::size_t pos = from; pos < char_count_; ++pos) {
        if ((pos & (block_chars - 1)) == 0) {
            base = byte;
            block_base_[pos >> block_shift] = byte;
        }
        block_offset_[pos] = static_cast<std::uint8_t>(byte - base);
        byte += lead_length(data[byte]);
    }
}

char32_t TextLine::char_at(std::size_t index) const {
    assert(index < char_count_);
    if (index >= char_count_) return 0;
    const std::size_t byte = byte_offset(index);
    if (static_cast<unsigned char>(text_[byte]) < 0x80) return static_cast<char32_t>(text_[byte]);
    return decode_utf8(std::string_view(text_).substr(byte)).ch;
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

    const bool was_ascii = block_offset_.empty();
    const std::size_t start_byte = byte_offset(start);
    const std::size_t end_byte = byte_offset(end);
    const std::size_t removed = end - start;
    const std::size_t added = utf8_char_count(text);
    text_.replace(start_byte, end_byte - start_byte, text);
    char_count_ = char_count_ - removed + added;

    if (char_count_ == text_.size()) {
        // Pure ASCII again: drop the tables and their memory.
        std::vector<std::size_t>().swap(block_base_);
        std::vector<std::uint8_t>().swap(block_offset_);
    } else if (was_ascii) {
        rebuild_offsets(0, 0);
    } else {
        rebuild_offsets(start, start_byte);
    }

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
    if (ascii != block_offset_.empty() || ascii != block_base_.empty())
        return "offset tables present exactly when the text is not pure ASCII: broken";
    if (!ascii) {
        if (block_offset_.size() != char_count_) return "one offset per character: broken";
        if (block_base_.size() != (char_count_ + block_chars - 1) / block_chars)
            return "one base per block of characters: broken";
        std::size_t byte = 0;
        for (std::size_t pos = 0; pos < char_count_; ++pos) {
            if (byte_offset(pos) != byte)
                return "byte offset of character " + std::to_string(pos) + " is wrong";
            byte += lead_length(text_[byte]);
        }
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
