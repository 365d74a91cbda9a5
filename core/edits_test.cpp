#include "core/edits.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quarn::core {
namespace {

using linecraft::TextLine;

// "ab|c" is the text "abc" with the caret at 2 (a character position, so multi-byte characters
// count once).
struct WithCaret {
    TextLine text;
    std::size_t position = 0;
};

WithCaret parse(std::string_view marked) {
    const std::size_t bar = marked.find('|');
    std::string text(marked.substr(0, bar));
    text += marked.substr(bar + 1);
    TextLine line = TextLine::from_string(std::string(marked.substr(0, bar)));
    const std::size_t position = line.char_count();
    return WithCaret{TextLine::from_string(std::move(text)), position};
}

std::string show(const TextLine& text, std::size_t position) {
    return text.text_range(0, position) + "|" + text.text_range(position, text.char_count());
}

// Applies the edit the way the editor does and shows the result with its caret.
template <class Fn>
std::string run(std::string_view marked, Fn&& make_edit) {
    WithCaret in = parse(marked);
    const TextEdit edit = make_edit(in.text, in.position);
    const std::size_t position = apply_edit(in.text, edit);
    EXPECT_EQ(in.text.check_invariants(), std::nullopt);
    return show(in.text, position);
}

struct EditCase {
    std::string_view name, before;
    std::size_t width;
    std::string_view after;
};

TEST(IndentLine, InsertsWidthSpacesAtLineStartAndShiftsCaret) {
    constexpr EditCase cases[] = {
        {"CaretAfterText", "  x|", 4, "      x|"},
        {"CaretInsideLeadingSpaces", " | x", 2, "   | x"},
        {"CaretAtLineStart", "ab\n|cd", 4, "ab\n    |cd"},
        {"OnlyTheCaretsLine", "a\nb|c\nd", 2, "a\n  b|c\nd"},
        {"EmptyLastLineAfterFeed", "ab\n|", 3, "ab\n   |"},
        {"EmptyText", "|", 2, "  |"},
        {"TabLineGetsSpacesInFront", "\tx|", 2, "  \tx|"},
        {"MultiByteBeforeCaret", "é\nüö|", 1, "é\n üö|"},
        {"WidthZeroChangesNothing", "  x|", 0, "  x|"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.before, [&](const TextLine& text,
                                    std::size_t pos) { return indent_line(text, pos, c.width); }),
                  c.after);
    }
}

TEST(NewlineIndent, RepeatsTheLinesLeadingSpacesAndTabs) {
    constexpr EditCase cases[] = {
        {"TabAndSpacesNothingMoreAfterBracket", "\t  foo(|", 0, "\t  foo(\n\t  |"},
        {"CaretInsideIndentRepeatsAllOfIt", "  |  x", 0, "  \n    |  x"},
        {"CaretAtLineStartRepeatsIndent", "  a\n|  b", 0, "  a\n\n  |  b"},
        {"NoIndent", "ab|c", 0, "ab\n|c"},
        {"IndentOfTheCaretsLineOnly", "    a\nb|", 0, "    a\nb\n|"},
        {"LineOfBlanksOnly", " \t |", 0, " \t \n \t |"},
        {"EmptyText", "|", 0, "\n|"},
        {"OtherWhitespaceIsNotIndent", "\u00a0x|", 0, "\u00a0x\n|"},
        {"MultiByteText", "  é|ü", 0, "  é\n  |ü"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.before, [](const TextLine& text,
                                   std::size_t pos) { return newline_indent(text, pos); }),
                  c.after);
    }
}

}  // namespace
}  // namespace quarn::core
