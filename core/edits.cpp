#include "core/edits.hpp"

#include <cassert>

namespace quarn::core {

std::size_t apply_edit(linecraft::TextLine& text, const TextEdit& edit) {
    assert(edit.start <= edit.end && edit.end <= text.char_count());
    (void)text.replace_range(edit.start, edit.end, edit.text);  // the edit already knows its size
    return edit.position;
}

TextEdit indent_line(const linecraft::TextLine& text, std::size_t position, std::size_t width) {
    const std::size_t start = text.line_start(position);
    return TextEdit{start, start, std::string(width, ' '), position + width};
}

TextEdit newline_indent(const linecraft::TextLine& text, std::size_t position) {
    const std::size_t start = text.line_start(position);
    std::string inserted = "\n";
    text.for_each_char(start, text.char_count(), [&](std::size_t, char32_t ch) {
        if (ch != U' ' && ch != U'\t') return false;
        inserted.push_back(static_cast<char>(ch));
        return true;
    });
    const std::size_t new_position = position + inserted.size();  // all ASCII: bytes = characters
    return TextEdit{position, position, std::move(inserted), new_position};
}

}  // namespace quarn::core
