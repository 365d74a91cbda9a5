#include "tui/marked_text.hpp"

#include <map>
#include <vector>

namespace quarn::tui::testing {

Editor editor_with(std::string_view marked) {
    std::string text;
    std::size_t chars = 0;
    std::vector<std::pair<char, std::size_t>> markers;
    for (const char byte : marked) {
        if (byte == '|' || byte == '^') {
            markers.emplace_back(byte, chars);
        } else {
            text += byte;
            if ((static_cast<unsigned char>(byte) & 0xC0u) != 0x80u) ++chars;
        }
    }
    std::vector<Caret> carets;
    for (std::size_t i = 0; i < markers.size(); ++i) {
        if (markers[i].first == '|') {
            carets.push_back(Caret{markers[i].second, std::nullopt, std::nullopt, carets.empty()});
        } else if (i + 1 < markers.size() && markers[i + 1].first == '|') {
            carets.push_back(
                Caret{markers[i + 1].second, markers[i].second, std::nullopt, carets.empty()});
            ++i;
        } else if (!carets.empty()) {
            carets.back().anchor = markers[i].second;
        }
    }
    if (carets.empty()) carets.push_back(core::primary_caret_at(0));
    core::normalize_carets(carets);
    Editor editor = Editor::create(std::nullopt);
    // A clean document whose one snapshot is this text, as if the tab had opened it.
    editor.document =
        Document(core::PlainText{linecraft::TextLine::from_string(text), carets, carets});
    editor.carets = carets;
    return editor;
}

std::string marked(const Editor& editor) {
    std::multimap<std::size_t, char> marks;
    for (const Caret& caret : editor.carets) {
        if (caret.anchor && *caret.anchor <= caret.position) marks.emplace(*caret.anchor, '^');
        marks.emplace(caret.position, '|');
        if (caret.anchor && *caret.anchor > caret.position) marks.emplace(*caret.anchor, '^');
    }
    const linecraft::TextLine& text = editor.text();
    std::string out;
    auto mark = marks.begin();
    for (std::size_t pos = 0; pos <= text.char_count(); ++pos) {
        for (; mark != marks.end() && mark->first == pos; ++mark) out += mark->second;
        if (pos < text.char_count()) out += text.text_range(pos, pos + 1);
    }
    return out;
}

}  // namespace quarn::tui::testing
