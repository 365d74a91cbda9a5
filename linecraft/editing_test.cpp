#include "linecraft/editing.hpp"

#include <gtest/gtest.h>

#include <string>

#include "linecraft/unicode.hpp"

namespace quarn::linecraft {
namespace {

// "he|llo": the text "hello" with the caret at 2.
struct Marked {
    std::string text;
    std::size_t pos = 0;
};
Marked parse(std::string_view marked) {
    const std::size_t bar = marked.find('|');
    return {std::string(marked.substr(0, bar)) + std::string(marked.substr(bar + 1)),
            utf8_char_count(marked.substr(0, bar))};
}

enum class Op { RemoveForward, RemoveBackward, RemoveForwardSkip, RemoveBackwardSkip };

struct RemoveCase {
    std::string_view name;
    Op op;
    std::string_view before, after;
    bool removed;
};
constexpr RemoveCase remove_cases[] = {
    {"ForwardRemovesNextChar", Op::RemoveForward, "a|\u00E9b", "a|b", true},
    {"ForwardAtEnd", Op::RemoveForward, "ab|", "ab|", false},
    {"BackwardRemovesPreviousChar", Op::RemoveBackward, "a\U0001F600|b", "a|b", true},
    {"BackwardAtStart", Op::RemoveBackward, "|ab", "|ab", false},
    {"BackwardJoinsLines", Op::RemoveBackward, "a\n|b", "a|b", true},
    {"ForwardSkipWord", Op::RemoveForwardSkip, "|foo bar", "| bar", true},
    {"ForwardSkipSpacesAndWord", Op::RemoveForwardSkip, "foo| bar", "foo|", true},
    {"ForwardSkipTrailingSpaces", Op::RemoveForwardSkip, "ab|  ", "ab|", true},
    {"ForwardSkipAtEnd", Op::RemoveForwardSkip, "ab|", "ab|", false},
    {"BackwardSkipMidWord", Op::RemoveBackwardSkip, "hello wor|ld", "hello |ld", true},
    {"BackwardSkipUnderscoreRun", Op::RemoveBackwardSkip, "foo__|", "foo|", true},
    {"BackwardSkipFirstChar", Op::RemoveBackwardSkip, "a|b", "|b", true},
    {"BackwardSkipAtStart", Op::RemoveBackwardSkip, "|ab", "|ab", false},
};

TEST(RemoveOperations, RemoveWhatTheCaretCrosses) {
    for (const RemoveCase& c : remove_cases) {
        SCOPED_TRACE(c.name);
        const Marked before = parse(c.before);
        const Marked after = parse(c.after);
        TextLine text = TextLine::from_string(before.text);
        std::size_t pos = before.pos;
        bool removed = false;
        switch (c.op) {
            case Op::RemoveForward:
                removed = remove_forward(text, pos);
                break;
            case Op::RemoveBackward:
                removed = remove_backward(text, pos);
                break;
            case Op::RemoveForwardSkip:
                removed = remove_forward_skip(text, pos);
                break;
            case Op::RemoveBackwardSkip:
                removed = remove_backward_skip(text, pos);
                break;
        }
        EXPECT_EQ(removed, c.removed);
        EXPECT_EQ(text.to_string(), after.text);
        EXPECT_EQ(pos, after.pos);
        EXPECT_EQ(text.check_invariants(), std::nullopt);
    }
}

TEST(InsertStr, AdvancesByCharactersInserted) {
    TextLine text = TextLine::from_string("ab");
    std::size_t pos = 1;
    insert_str(text, pos, "\u00E9\U0001F600\n");
    EXPECT_EQ(text.to_string(), "a\u00E9\U0001F600\nb");
    EXPECT_EQ(pos, 4u);
    insert_str(text, pos, "");
    EXPECT_EQ(pos, 4u);
}

TEST(Remove, ReturnsTheRemovedCharacter) {
    TextLine text = TextLine::from_string("x\u4E2Dy");
    EXPECT_EQ(remove(text, 1), U'\u4E2D');
    EXPECT_EQ(text.to_string(), "xy");
    remove_range(text, 0, 2);
    EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace quarn::linecraft
