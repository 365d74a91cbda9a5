#include "scrivlet/paths.hpp"

#include <gtest/gtest.h>

#include <string_view>

namespace quarn::scrivlet {
namespace {

struct NormaliseCase {
    std::string_view name, path, expected;
};

constexpr NormaliseCase normalise_cases[] = {
    {"Plain", "/a/b", "/a/b"},
    {"DotDrops", "/a/./b/.", "/a/b"},
    {"DotDotRemovesName", "/a/x/../b", "/a/b"},
    {"DoubledAndTrailingSlashes", "//a//b/", "/a/b"},
    {"DotDotAfterRootStays", "/../a", "/../a"},
    {"DotDotBackToRootThenStays", "/a/../..", "/.."},
    {"RootStaysRoot", "/", "/"},
    {"EmptyStaysEmpty", "", ""},
};

TEST(NormalisedAbsolute, RebuildsLexically) {
    for (const NormaliseCase& c : normalise_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(normalised_absolute(c.path).native(), c.expected);
    }
}

TEST(NormalisedAbsolute, RelativeGetsCurrentDirectory) {
    const std::filesystem::path cwd = std::filesystem::current_path();
    EXPECT_EQ(normalised_absolute("./sub/../notes.txt"), normalised_absolute(cwd / "notes.txt"));
    EXPECT_TRUE(normalised_absolute("notes.txt").is_absolute());
}

struct NameCase {
    std::string_view name, path;
    std::optional<std::string_view> expected;
};

const NameCase name_cases[] = {
    {"Plain", "/home/u/notes.txt", "notes.txt"},
    {"Relative", "notes.txt", "notes.txt"},
    {"MultiByteKept", "caf\xC3\xA9", "caf\xC3\xA9"},
    {"InvalidByteReplaced",
     "/a/b\xFF"
     "c",
     "b\xEF\xBF\xBD"
     "c"},
    {"TruncatedSequenceIsOneReplacement", "x\xE2\x82y", "x\xEF\xBF\xBDy"},
    {"Root", "/", std::nullopt},
    {"Empty", "", std::nullopt},
    {"TrailingSlash", "dir/", std::nullopt},
    {"EndsInDotDot", "a/..", std::nullopt},
};

TEST(FinalName, IsValidUtf8OrNothing) {
    for (const NameCase& c : name_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(final_name(c.path), c.expected);
    }
}

}  // namespace
}  // namespace quarn::scrivlet
