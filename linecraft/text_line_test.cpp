#include "linecraft/text_line.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "linecraft/unicode.hpp"

namespace quarn::linecraft {
namespace {

TextLine make(std::string_view s) { return TextLine::from_string(std::string(s)); }

TEST(TextLine, CountsCharactersNotBytes) {
    TextLine line = make("h\u00E9llo");
    EXPECT_EQ(line.char_count(), 5u);
    EXPECT_EQ(line.byte_count(), 6u);
    EXPECT_EQ(line.char_at(1), U'\u00E9');
    EXPECT_EQ(line.char_at(2), U'l');
    EXPECT_EQ(line.check_invariants(), std::nullopt);

    // Removing the only non-ASCII character must drop the offset tables.
    line.remove_range(1, 2);
    EXPECT_EQ(line.to_string(), "hllo");
    EXPECT_EQ(line.char_at(1), U'l');
    EXPECT_EQ(line.check_invariants(), std::nullopt);
}

TEST(TextLine, InsertingNonAsciiIntoLongAsciiTextKeepsOffsetsRight) {
    // Long enough to span several offset blocks on both sides of the edit.
    TextLine line = make(std::string(300, 'a'));
    EXPECT_EQ(line.insert(130, "\U0001F600\u4E2D"), 2u);
    EXPECT_EQ(line.check_invariants(), std::nullopt);
    EXPECT_EQ(line.char_at(129), U'a');
    EXPECT_EQ(line.char_at(130), U'\U0001F600');
    EXPECT_EQ(line.char_at(131), U'\u4E2D');
    EXPECT_EQ(line.char_at(301), U'a');
}

TEST(TextLine, IllFormedInputBecomesReplacementCharacters) {
    TextLine line = make(
        "a\xFF"
        "b");
    EXPECT_EQ(line.to_string(),
              "a\uFFFD"
              "b");
    EXPECT_EQ(line.insert(3, "\xC3"), 1u);
    EXPECT_EQ(line.to_string(),
              "a\uFFFD"
              "b\uFFFD");
    EXPECT_EQ(line.check_invariants(), std::nullopt);
}

TEST(TextLine, CopiesAreIndependentSnapshots) {
    TextLine line = make("one\ntw\u00F6");
    const TextLine snapshot = line;
    line.insert(0, "zero\n");
    EXPECT_EQ(snapshot.to_string(), "one\ntw\u00F6");
    EXPECT_EQ(snapshot.line_count(), 2u);
    EXPECT_EQ(line.line_count(), 3u);
    EXPECT_FALSE(line == snapshot);
}

TEST(TextLine, CopyAndOriginalEditIndependently) {
    // Long enough for several chunks, so the two share most of them after the edits.
    std::string text;
    for (int i = 0; i < 4000; ++i) text += "line \u00E9\u4E2D " + std::to_string(i) + "\n";
    TextLine original = TextLine::from_string(text);
    TextLine copy = original;
    EXPECT_TRUE(copy == original);
    original.insert(5, "A");
    copy.remove_range(text.size() / 2, text.size() / 2 + 3);
    copy.insert(0, "B\n");
    EXPECT_EQ(original.check_invariants(), std::nullopt);
    EXPECT_EQ(copy.check_invariants(), std::nullopt);
    EXPECT_EQ(original.text_range(0, 8), "line A\u00E9\u4E2D");
    EXPECT_EQ(copy.line_text(0), "B");
    EXPECT_EQ(copy.line_text(1), "line \u00E9\u4E2D 0");
    EXPECT_EQ(original.char_count(), utf8_char_count(text) + 1);
    EXPECT_EQ(copy.char_count(), utf8_char_count(text) - 1);
    EXPECT_FALSE(copy == original);
    // Undoing each edit by hand brings back equal texts, though their chunks now differ.
    original.remove_range(5, 6);
    EXPECT_TRUE(original == TextLine::from_string(text));
    EXPECT_EQ(original.to_string(), text);
}

TEST(TextLine, EveryEditTakesAFreshRevisionAndCopiesKeepIt) {
    TextLine line = make("ab");
    const TextLine copy = line;
    EXPECT_EQ(copy.revision(), line.revision());
    const std::uint64_t before = line.revision();
    line.insert(1, "x");
    EXPECT_NE(line.revision(), before);
    const std::uint64_t after_insert = line.revision();
    line.remove_range(0, 1);
    EXPECT_NE(line.revision(), after_insert);
    EXPECT_NE(line.revision(), before);
    // The copy kept its stamp; taking it back (as undo does) brings the stamp along.
    EXPECT_EQ(copy.revision(), before);
    line = copy;
    EXPECT_EQ(line.revision(), before);
    // A moved-from text may hold anything: it must not keep the stamp of what it held.
    TextLine moved = std::move(line);
    EXPECT_EQ(moved.revision(), before);
    EXPECT_NE(line.revision(), before);  // NOLINT(bugprone-use-after-move)
    // Equal content alone does not share a stamp.
    EXPECT_NE(make("ab").revision(), make("ab").revision());
}

TEST(TextLine, TextRangeClamps) {
    const TextLine line = make("a\u00E9\u4E2D");
    EXPECT_EQ(line.text_range(1, 3), "\u00E9\u4E2D");
    EXPECT_EQ(line.text_range(2, 99), "\u4E2D");
    EXPECT_EQ(line.text_range(3, 1), "");
}

struct LineQueryCase {
    std::string_view name, text;
    std::size_t pos, line, column, start, end;
};
constexpr LineQueryCase line_query_cases[] = {
    {"EmptyText", "", 0, 0, 0, 0, 0},
    {"FirstLineMiddle", "ab\ncd", 1, 0, 1, 0, 2},
    {"OnLineFeed", "ab\ncd", 2, 0, 2, 0, 2},
    {"AfterLineFeed", "ab\ncd", 3, 1, 0, 3, 5},
    {"AtEnd", "ab\ncd", 5, 1, 2, 3, 5},
    {"PastEndClamps", "ab\ncd", 9, 1, 2, 3, 5},
    {"EmptyLastLine", "ab\n", 3, 1, 0, 3, 3},
    {"EmptyMiddleLine", "a\n\nb", 2, 1, 0, 2, 2},
    {"NonAsciiColumnsAreCharacters", "\u00E9\u00E9\n\U0001F600x", 5, 1, 2, 3, 5},
};

TEST(TextLineLines, FindLineAndColumnOfPosition) {
    for (const LineQueryCase& c : line_query_cases) {
        SCOPED_TRACE(c.name);
        const TextLine line = make(c.text);
        EXPECT_EQ(line.line_of(c.pos), c.line);
        EXPECT_EQ(line.column_of(c.pos), c.column);
        EXPECT_EQ(line.line_start(c.pos), c.start);
        EXPECT_EQ(line.line_end(c.pos), c.end);
        EXPECT_EQ(line.position_of(c.line, c.column), std::min(c.pos, line.char_count()));
    }
}

TEST(TextLineLines, PositionOfClampsLineAndColumn) {
    const TextLine line = make("abc\nd\n\u00E9f");
    EXPECT_EQ(line.line_count(), 3u);
    EXPECT_EQ(line.position_of(1, 10), 5u);  // end of "d"
    EXPECT_EQ(line.position_of(7, 1), 7u);   // last line, column 1
    EXPECT_EQ(line.position_of(7, 99), 8u);
    EXPECT_EQ(line.line_text(2), "\u00E9f");
    EXPECT_EQ(line.line_text(9), "\u00E9f");
    EXPECT_EQ(line.line_length(0), 3u);
}

TEST(TextLineLines, ForEachLineGivesTextWithoutLineFeedAndCanStop) {
    const TextLine line = make("a\n\u00E9\u00E9\n\nlast");
    std::vector<std::string> seen;
    line.for_each_line(
        1, 99,
        [&](std::size_t index, std::size_t start, std::size_t length, std::string_view bytes) {
            seen.push_back(std::to_string(index) + "@" + std::to_string(start) + "+" +
                           std::to_string(length) + ":" + std::string(bytes));
        });
    EXPECT_EQ(seen, (std::vector<std::string>{"1@2+2:\u00E9\u00E9", "2@5+0:", "3@6+4:last"}));

    int calls = 0;
    line.for_each_line(
        0, 4, [&](std::size_t, std::size_t, std::size_t, std::string_view) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
    calls = 0;
    line.for_each_line_extent(0, 4,
                              [&](std::size_t, std::size_t, std::size_t) { return ++calls < 3; });
    EXPECT_EQ(calls, 3);
}

// Both line walks against line_start/line_length, one search per line, on every range of lines.
// Long lines cross chunk boundaries in the small-chunk build (64-byte chunks), some of them
// with a chunk that holds no line feed at all.
struct LineWalkCase {
    std::string_view name;
    std::string text;
};

const LineWalkCase line_walk_cases[] = {
    {"Empty", ""},
    {"OnlyLineFeeds", "\n\n\n"},
    {"FinalLineFeedEndsWithAnEmptyLine", "ab\ncd\n"},
    {"MixedLengths", "a\n\u00E9\u00E9\n\nlast"},
    {"LongAsciiLinesSpanChunks",
     std::string(150, 'x') + "\n" + std::string(3, 'y') + "\n" + std::string(200, 'z')},
    {"LongNonAsciiLinesSpanChunks", "\u4E2D\n" + std::string(90, 'a') + "\u00E9\U0001F600" +
                                        std::string(70, 'b') + "\n\n" + std::string(64, 'c') +
                                        "\n"},
};

TEST(TextLineLines, WalksAgreeWithLineStartAndLength) {
    for (const LineWalkCase& c : line_walk_cases) {
        SCOPED_TRACE(c.name);
        const TextLine line = make(c.text);
        const std::size_t count = line.line_count();
        for (std::size_t first = 0; first <= count; ++first) {
            for (std::size_t last = first; last <= count + 1; ++last) {
                SCOPED_TRACE(std::to_string(first) + ".." + std::to_string(last));
                std::vector<std::size_t> extent;
                line.for_each_line_extent(
                    first, last, [&](std::size_t index, std::size_t start, std::size_t length) {
                        extent.insert(extent.end(), {index, start, length});
                    });
                std::vector<std::size_t> walked;
                line.for_each_line(first, last,
                                   [&](std::size_t index, std::size_t start, std::size_t length,
                                       std::string_view bytes) {
                                       walked.insert(walked.end(), {index, start, length});
                                       EXPECT_EQ(bytes, line.line_text(index));
                                   });
                std::vector<std::size_t> expected;
                for (std::size_t index = first; index < std::min(last, count); ++index) {
                    expected.insert(expected.end(),
                                    {index, line.position_of(index, 0), line.line_length(index)});
                }
                EXPECT_EQ(extent, expected);
                EXPECT_EQ(walked, expected);
            }
        }
    }
}

TEST(CharCursor, WalksBothWaysOverEveryUtf8Length) {
    const std::u32string chars = U"a\u00E9\u4E2D\U0001F600\nz";
    const TextLine line = make(to_utf8(chars));
    CharCursor cursor(line, 0);
    std::u32string forward;
    while (!cursor.at_end()) {
        forward.push_back(cursor.get());
        cursor.next();
    }
    EXPECT_EQ(forward, chars);
    EXPECT_EQ(cursor.pos(), chars.size());
    std::u32string backward;
    while (!cursor.at_start()) {
        backward.insert(backward.begin(), cursor.get_before());
        cursor.prev();
    }
    EXPECT_EQ(backward, chars);
    EXPECT_EQ(CharCursor(line, 99).pos(), chars.size());
}

TEST(ForEachChar, VisitsRangeWithPositionsAndStopsOnFalse) {
    const TextLine line = make("x\u00E9y\U0001F600");
    std::u32string seen;
    std::vector<std::size_t> positions;
    line.for_each_char(1, 10, [&](std::size_t pos, char32_t ch) {
        positions.push_back(pos);
        seen.push_back(ch);
    });
    EXPECT_EQ(seen, U"\u00E9y\U0001F600");
    EXPECT_EQ(positions, (std::vector<std::size_t>{1, 2, 3}));

    std::size_t visited = 0;
    line.for_each_char(0, 4, [&](std::size_t, char32_t ch) {
        ++visited;
        return ch != U'\u00E9';
    });
    EXPECT_EQ(visited, 2u);
}

TEST(ForEachChunk, ConcatenatesToTheRange) {
    const TextLine line = make("ab\u00E9cd");
    std::string joined;
    line.for_each_chunk(1, 4, [&](std::string_view piece) { joined += piece; });
    EXPECT_EQ(joined, "b\u00E9c");
}

struct SkipCase {
    std::string_view name, text;
    std::size_t from, to;
    bool moved;
};
constexpr SkipCase skip_forward_cases[] = {
    {"SpacesThenWord", "  foo_bar(x)", 0, 5, true},
    {"UnderscoreIsOther", "  foo_bar(x)", 5, 6, true},
    {"WordAfterUnderscore", "  foo_bar(x)", 6, 9, true},
    {"PunctuationRun", "a->b", 1, 3, true},
    {"AtEnd", "ab", 2, 2, false},
    {"TrailingSpaces", "ab  ", 2, 4, false},
    {"AccentedLettersAreWord", "h\u00E9llo w\u00F6rld", 0, 5, true},
    {"DigitsJoinLetters", "abc123+", 0, 6, true},
    {"NoBreakSpaceSeparates", "ab\u00A0cd", 0, 2, true},
    {"LineFeedIsWhitespace", "ab\n\ncd", 2, 6, true},
    {"FractionIsWord", "x\u00BD!", 0, 2, true},
    {"EmojiIsOther", "\U0001F600\U0001F600a", 0, 2, true},
};

TEST(SkipForward, CrossesOneRun) {
    for (const SkipCase& c : skip_forward_cases) {
        SCOPED_TRACE(c.name);
        const TextLine line = make(c.text);
        std::size_t pos = c.from;
        EXPECT_EQ(skip_forward(line, pos), c.moved);
        EXPECT_EQ(pos, c.to);
    }
}

constexpr SkipCase skip_backward_cases[] = {
    {"TrailingSpaceThenWord", "foo bar ", 8, 4, true},
    {"ReachesZeroInsideRun", "foo bar ", 4, 0, true},
    {"FirstStepReachesZero", "ab", 1, 0, false},
    {"AtZero", "ab", 0, 0, false},
    {"WhitespaceDownToZero", "  ab", 2, 0, false},
    {"StopsAtRunStart", " ab", 3, 1, true},
    {"UnderscoreIsOther", "foo_bar", 7, 4, true},
    {"PunctuationRun", "x->", 3, 1, true},
    {"IdeographicSpaceSeparates", "ab\u3000\u4E2D\u6587", 5, 3, true},
    {"LineFeedsCrossedWithWord", "ab\n\ncd", 4, 0, true},
};

TEST(SkipBackward, CrossesOneRun) {
    for (const SkipCase& c : skip_backward_cases) {
        SCOPED_TRACE(c.name);
        const TextLine line = make(c.text);
        std::size_t pos = c.from;
        EXPECT_EQ(skip_backward(line, pos), c.moved);
        EXPECT_EQ(pos, c.to);
    }
}

// --- Model test: random edits against a std::u32string ---

std::size_t model_line_start(const std::u32string& m, std::size_t pos) {
    const std::size_t lf = m.rfind(U'\n', pos == 0 ? 0 : pos - 1);
    return (pos == 0 || lf == std::u32string::npos) ? 0 : lf + 1;
}

void expect_matches_model(const TextLine& line, const std::u32string& model, std::mt19937& rng) {
    ASSERT_EQ(line.check_invariants(), std::nullopt);
    ASSERT_EQ(line.to_string(), to_utf8(model));
    ASSERT_EQ(line.char_count(), model.size());
    const auto lines = static_cast<std::size_t>(std::count(model.begin(), model.end(), U'\n')) + 1;
    ASSERT_EQ(line.line_count(), lines);
    for (int probe = 0; probe < 8; ++probe) {
        const std::size_t pos = rng() % (model.size() + 1);
        SCOPED_TRACE("pos " + std::to_string(pos));
        if (pos < model.size()) {
            ASSERT_EQ(line.char_at(pos), model[pos]);
        }
        const std::size_t start = model_line_start(model, pos);
        const std::size_t end = std::min(model.find(U'\n', pos), model.size());
        const auto line_index = static_cast<std::size_t>(
            std::count(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(pos), U'\n'));
        ASSERT_EQ(line.line_start(pos), start);
        ASSERT_EQ(line.line_end(pos), end);
        ASSERT_EQ(line.line_of(pos), line_index);
        ASSERT_EQ(line.column_of(pos), pos - start);
        ASSERT_EQ(line.position_of(line_index, pos - start), pos);
        ASSERT_EQ(line.line_text(line_index), to_utf8(model.substr(start, end - start)));
        const std::size_t to = pos + rng() % 20;
        ASSERT_EQ(line.text_range(pos, to), to_utf8(model.substr(pos, to - pos)));
        std::string pieces;
        line.for_each_chunk(pos, to, [&](std::string_view piece) { pieces += piece; });
        ASSERT_EQ(pieces, to_utf8(model.substr(pos, to - pos)));
    }
}

// The walks that cross chunk boundaries: every line, every character both ways.
void expect_walks_match_model(const TextLine& line, const std::u32string& model) {
    std::vector<std::string> lines;
    std::vector<std::size_t> extents;  // start, length of every line
    std::size_t start = 0;
    for (std::size_t at = 0; at <= model.size(); ++at) {
        if (at == model.size() || model[at] == U'\n') {
            lines.push_back(to_utf8(model.substr(start, at - start)));
            extents.insert(extents.end(), {start, at - start});
            start = at + 1;
        }
    }
    std::vector<std::string> walked;
    std::size_t expected_start = 0;
    line.for_each_line(
        0, line.line_count(),
        [&](std::size_t index, std::size_t line_start, std::size_t length, std::string_view bytes) {
            EXPECT_EQ(index, walked.size());
            EXPECT_EQ(line_start, expected_start);
            EXPECT_EQ(length, utf8_char_count(bytes));
            expected_start += length + 1;
            walked.emplace_back(bytes);
        });
    ASSERT_EQ(walked, lines);
    std::vector<std::size_t> walked_extents;
    line.for_each_line_extent(0, line.line_count(),
                              [&](std::size_t index, std::size_t line_start, std::size_t length) {
                                  EXPECT_EQ(index, walked_extents.size() / 2);
                                  walked_extents.insert(walked_extents.end(), {line_start, length});
                              });
    ASSERT_EQ(walked_extents, extents);
    std::u32string forward;
    line.for_each_char(0, model.size(), [&](std::size_t, char32_t ch) { forward.push_back(ch); });
    ASSERT_EQ(forward, model);
    std::u32string backward;
    for (CharCursor cursor(line, model.size()); !cursor.at_start(); cursor.prev())
        backward.push_back(cursor.get_before());
    ASSERT_EQ(backward, std::u32string(model.rbegin(), model.rend()));
}

// A copy taken earlier, with what it must still hold.
struct Snapshot {
    TextLine text;
    std::u32string model;
    std::uint64_t revision;
};

void expect_snapshots_unchanged(const std::vector<Snapshot>& snapshots) {
    for (const Snapshot& snapshot : snapshots) {
        ASSERT_EQ(snapshot.text.check_invariants(), std::nullopt);
        ASSERT_EQ(snapshot.text.to_string(), to_utf8(snapshot.model));
        ASSERT_EQ(snapshot.text.revision(), snapshot.revision);
    }
}

TEST(TextLineModel, RandomEditsMatchACodePointString) {
    // Every UTF-8 length, line feeds and whitespace, so edits cross blocks, lines and tables.
    constexpr char32_t alphabet[] = {U'a',      U'b',      U' ',          U'\n',     U'_',
                                     U'\u00E9', U'\u4E2D', U'\U0001F600', U'\u3000', U'7'};
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        std::u32string model;
        TextLine line;
        // Some seeds stay pure ASCII for a while to exercise the table-free state.
        const std::size_t alphabet_size = seed % 4 == 0 ? 4 : std::size(alphabet);
        std::size_t last = 0;
        // Copies taken along the way must keep their text while the original is edited.
        std::vector<Snapshot> snapshots;
        for (int step = 0; step < 300; ++step) {
            if (step % 40 == 20) snapshots.push_back({line, model, line.revision()});
            SCOPED_TRACE("step " + std::to_string(step));
            // Half the edits near the previous one, as typing and deleting do.
            std::size_t pos = rng() % (model.size() + 1);
            if (rng() % 2 == 0)
                pos = std::min(last + rng() % 7 - std::min<std::size_t>(last, 3), model.size());
            last = pos;
            std::u32string piece;
            const std::size_t piece_length = rng() % (rng() % 8 == 0 ? 150 : 6);
            for (std::size_t i = 0; i < piece_length; ++i)
                piece.push_back(alphabet[rng() % alphabet_size]);
            const std::size_t end = pos + rng() % (model.size() - pos + 1) % 40;
            switch (model.size() > 600 ? 1 : rng() % 3) {
                case 0:
                    ASSERT_EQ(line.insert(pos, to_utf8(piece)), piece.size());
                    model.insert(pos, piece);
                    break;
                case 1:
                    line.remove_range(pos, end);
                    model.erase(pos, end - pos);
                    break;
                default:
                    ASSERT_EQ(line.replace_range(pos, end, to_utf8(piece)), piece.size());
                    model.replace(pos, end - pos, piece);
                    break;
            }
            expect_matches_model(line, model, rng);
            if (step % 10 == 0) expect_walks_match_model(line, model);
            if (HasFatalFailure()) return;
        }
        expect_walks_match_model(line, model);
        expect_snapshots_unchanged(snapshots);
        if (HasFatalFailure()) return;
        // A text built at once has other chunk boundaries than the edited one: same content.
        EXPECT_TRUE(TextLine::from_string(line.to_string()) == line);
        if (!model.empty()) {
            std::u32string changed = model;
            changed.back() = changed.back() == U'a' ? U'b' : U'a';
            EXPECT_FALSE(TextLine::from_string(to_utf8(changed)) == line);
        }
    }
}

// Texts of several chunks: edits that span, empty and refill chunks, a line longer than a chunk
// and a paste of many chunks, with copies that must stay as they were.
TEST(TextLineModel, LargeEditsAcrossChunksLeaveCopiesUnchanged) {
    std::mt19937 rng(11);
    constexpr char32_t alphabet[] = {U'a', U'\n', U'\u00E9', U'\u4E2D', U'\U0001F600', U' '};
    const auto random_text = [&](std::size_t length, bool line_feeds) {
        std::u32string out;
        for (std::size_t i = 0; i < length; ++i) {
            char32_t ch = alphabet[rng() % std::size(alphabet)];
            if (!line_feeds && ch == U'\n') ch = U'x';
            out.push_back(ch);
        }
        return out;
    };
    std::u32string model = random_text(60000, true);
    TextLine line = TextLine::from_string(to_utf8(model));
    std::vector<Snapshot> snapshots{{line, model, line.revision()}};

    struct Edit {
        std::size_t start, end;
        std::u32string text;
    };
    const Edit edits[] = {
        {30000, 30000, random_text(50000, false)},  // one line over many chunks
        {100, 70000, U""},                          // most of the text
        {0, 0, U"\u00E9"},
        {200, 200, random_text(3, true)},
        {10, 20, random_text(40000, true)},
        {0, 90000, random_text(5, true)},  // leaves a lone short chunk
        {2, 2, random_text(20000, true)},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE("edit at " + std::to_string(edit.start));
        const std::size_t end = std::min(edit.end, model.size());
        const std::size_t start = std::min(edit.start, end);
        EXPECT_EQ(line.replace_range(start, end, to_utf8(edit.text)), edit.text.size());
        model.replace(start, end - start, edit.text);
        expect_matches_model(line, model, rng);
        expect_walks_match_model(line, model);
        expect_snapshots_unchanged(snapshots);
        if (HasFatalFailure()) return;
        snapshots.push_back({line, model, line.revision()});
    }
    line.remove_range(0, line.char_count());
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(line.line_count(), 1u);
    EXPECT_EQ(line.check_invariants(), std::nullopt);
    expect_snapshots_unchanged(snapshots);
}

}  // namespace
}  // namespace quarn::linecraft
