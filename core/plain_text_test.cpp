#include "core/plain_text.hpp"

#include <gtest/gtest.h>

namespace quarn::core {
namespace {

TEST(PlainTextLoad, RejectsAnyInvalidByte) {
    for (std::string_view bytes : {std::string_view("ok\xff"), std::string_view("\xc3"),
                                   std::string_view("a\xed\xa0\x80z")}) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const auto loaded = PlainText::load(bytes, "f.txt");
        ASSERT_FALSE(loaded.has_value());
        EXPECT_EQ(loaded.error(), PlainText::LoadError::InvalidUtf8);
    }
}

TEST(PlainTextLoad, KeepsBytesExactlyAndStartsWithOnePrimaryCaret) {
    const std::string bytes = "\xef\xbb\xbfline\r\nnext\r\n";
    const auto loaded = PlainText::load(bytes, "f.txt");
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text.char_at(0), U'\uFEFF');
    EXPECT_EQ(PlainText::serialise(*loaded), bytes);
    EXPECT_EQ(loaded->carets, std::vector<Caret>{primary_caret_at(0)});
    EXPECT_EQ(loaded->carets_before, std::vector<Caret>{primary_caret_at(0)});
}

TEST(PlainTextSameBytes, AgreesWithComparingTheSerialisedBytes) {
    PlainText original;
    original.text = linecraft::TextLine::from_string("abc\n");
    PlainText copy = original;
    PlainText edited_back = original;
    edited_back.text.insert(1, "x");
    edited_back.text.remove_range(1, 2);  // same bytes, new revision
    PlainText changed = original;
    changed.text.insert(3, "d");
    changed.carets = {primary_caret_at(2)};
    for (const auto& [other, same] :
         {std::pair{&copy, true}, std::pair{&edited_back, true}, std::pair{&changed, false}}) {
        EXPECT_EQ(PlainText::same_bytes(original, *other), same);
        EXPECT_EQ(PlainText::serialise(original) == PlainText::serialise(*other), same);
    }
}

}  // namespace
}  // namespace quarn::core
