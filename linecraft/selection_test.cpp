#include "linecraft/selection.hpp"

#include <gtest/gtest.h>

#include <string>

#include "linecraft/unicode.hpp"

namespace quarn::linecraft {
namespace {

// "h^ell|o": the text "hello", anchor 1, position 4. No '^' means no anchor.
struct Marked {
    std::string text;
    std::size_t pos = 0;
    std::optional<std::size_t> anchor;
};
Marked parse(std::string_view marked) {
    Marked out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        if (marked[i] == '|') {
            out.pos = chars;
        } else if (marked[i] == '^') {
            out.anchor = chars;
        } else {
            out.text.push_back(marked[i]);
            chars += (static_cast<unsigned char>(marked[i]) & 0xC0) != 0x80 ? 1 : 0;
        }
    }
    return out;
}

TEST(SelectionRange, OrdersAnchorAndPosition) {
    EXPECT_EQ(selection_range(std::nullopt, 3), std::nullopt);
    EXPECT_EQ(selection_range(7, 3), (CharRange{3, 7}));
    EXPECT_EQ(selection_range(3, 3), (CharRange{3, 3}));
}

TEST(SelectedText, CopiesCharactersBetweenAnchorAndPosition) {
    const TextLine text = TextLine::from_string("h\u00E9llo");
    EXPECT_EQ(selected_text(text, std::nullopt, 2), std::nullopt);
    EXPECT_EQ(selected_text(text, 4, 1), "\u00E9ll");
    EXPECT_EQ(selected_text(text, 2, 2), "");
}

enum class Op { Delete, ReplaceWithBye, SelectForward, SelectBackward };

struct SelectionCase {
    std::string_view name;
    Op op;
    std::string_view before, after;
    bool result;  // ignored for ReplaceWithBye
};
constexpr SelectionCase selection_cases[] = {
    {"DeleteForwardSelection", Op::Delete, "^hello| world", "| world", true},
    {"DeleteBackwardSelection", Op::Delete, "he|ll\u00F6^ world", "he| world", true},
    {"DeleteEmptySelectionClearsAnchor", Op::Delete, "he^|llo", "he|llo", false},
    {"DeleteWithoutAnchor", Op::Delete, "he|llo", "he|llo", false},
    {"ReplaceSelection", Op::ReplaceWithBye, "^hello| world", "bye| world", false},
    {"ReplaceWithoutSelectionInserts", Op::ReplaceWithBye, "a|b", "abye|b", false},
    {"SelectForwardSetsAnchor", Op::SelectForward, "|foo bar", "^foo| bar", true},
    {"SelectForwardKeepsAnchor", Op::SelectForward, "^foo| bar", "^foo bar|", true},
    {"SelectForwardAtEnd", Op::SelectForward, "ab|", "ab^|", false},
    {"SelectBackwardSetsAnchor", Op::SelectBackward, "foo bar|", "foo |bar^", true},
    {"SelectBackwardKeepsAnchor", Op::SelectBackward, "foo ^bar|", "foo ^|bar", true},
};

TEST(SelectionOperations, ChangeTextPositionAndAnchor) {
    for (const SelectionCase& c : selection_cases) {
        SCOPED_TRACE(c.name);
        const Marked before = parse(c.before);
        const Marked after = parse(c.after);
        TextLine text = TextLine::from_string(before.text);
        std::size_t pos = before.pos;
        std::optional<std::size_t> anchor = before.anchor;
        switch (c.op) {
            case Op::Delete:
                EXPECT_EQ(delete_selection(text, pos, anchor), c.result);
                break;
            case Op::ReplaceWithBye:
                replace_selection(text, pos, anchor, "bye");
                break;
            case Op::SelectForward:
                EXPECT_EQ(select_forward_skip(text, pos, anchor), c.result);
                break;
            case Op::SelectBackward:
                EXPECT_EQ(select_backward_skip(text, pos, anchor), c.result);
                break;
        }
        EXPECT_EQ(text.to_string(), after.text);
        EXPECT_EQ(pos, after.pos);
        EXPECT_EQ(anchor, after.anchor);
    }
}

}  // namespace
}  // namespace quarn::linecraft
