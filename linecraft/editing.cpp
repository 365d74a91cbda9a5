#include "linecraft/editing.hpp"

#include <cassert>

namespace quarn::linecraft {

void insert_str(TextLine& text, std::size_t& pos, std::string_view s) {
    pos += text.insert(pos, s);
}

char32_t remove(TextLine& text, std::size_t index) {
    assert(index < text.char_count());
    if (index >= text.char_count()) return 0;
    const char32_t ch = text.char_at(index);
    text.remove_range(index, index + 1);
    return ch;
}

void remove_range(TextLine& text, std::size_t start, std::size_t end) {
    text.remove_range(start, end);
}

bool remove_forward(TextLine& text, std::size_t pos) {
    if (pos >= text.char_count()) return false;
    text.remove_range(pos, pos + 1);
    return true;
}

bool remove_backward(TextLine& text, std::size_t& pos) {
    assert(pos <= text.char_count());
    if (pos == 0 || pos > text.char_count()) return false;
    --pos;
    text.remove_range(pos, pos + 1);
    return true;
}

bool remove_forward_skip(TextLine& text, std::size_t pos) {
    std::size_t end = pos;
    (void)skip_forward(text, end);  // trailing whitespace is removed even when no run follows
    if (end <= pos) return false;
    text.remove_range(pos, end);
    return true;
}

bool remove_backward_skip(TextLine& text, std::size_t& pos) {
    const std::size_t old = pos;
    (void)skip_backward(text, pos);  // the distance moved decides, not the reported run
    if (pos >= old) return false;
    text.remove_range(pos, old);
    return true;
}

}  // namespace quarn::linecraft
