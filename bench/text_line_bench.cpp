// Figures for TextLine on large texts: edits, character lookup and line queries.
// Arguments: text size in MiB, then 1 for pure ASCII or 0 for mixed 1- to 4-byte characters.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "linecraft/text_line.hpp"

namespace {

using quarn::linecraft::TextLine;

// Lines of about 60 characters; the mixed text has one non-ASCII character in four.
std::string make_text(std::size_t mib, bool ascii) {
    const std::size_t bytes = mib << 20;
    std::string out;
    out.reserve(bytes + 64);
    std::mt19937 rng(7);
    const char* const pieces[] = {"\u00E9", "\u4E2D", "\U0001F600"};
    std::size_t column = 0;
    while (out.size() < bytes) {
        if (column == 60) {
            out.push_back('\n');
            column = 0;
            continue;
        }
        if (!ascii && rng() % 4 == 0) {
            out += pieces[rng() % 3];
        } else {
            out.push_back(static_cast<char>('a' + rng() % 26));
        }
        ++column;
    }
    return out;
}

TextLine make_line(const benchmark::State& state) {
    return TextLine::from_string(
        make_text(static_cast<std::size_t>(state.range(0)), state.range(1) != 0));
}

void BM_FromString(benchmark::State& state) {
    const std::string text =
        make_text(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextLine::from_string(text));
    }
}

// A typed character and its removal, as one keystroke and one backspace.
void BM_InsertRemoveAt(benchmark::State& state, double where) {
    TextLine line = make_line(state);
    const auto pos = static_cast<std::size_t>(static_cast<double>(line.char_count()) * where);
    for (auto _ : state) {
        (void)line.insert(pos, "x");
        line.remove_range(pos, pos + 1);
    }
}
void BM_InsertRemoveStart(benchmark::State& state) { BM_InsertRemoveAt(state, 0.0); }
void BM_InsertRemoveMiddle(benchmark::State& state) { BM_InsertRemoveAt(state, 0.5); }
void BM_InsertRemoveEnd(benchmark::State& state) { BM_InsertRemoveAt(state, 1.0); }

// A typed line feed and its removal: also updates the line index.
void BM_InsertRemoveLineFeedMiddle(benchmark::State& state) {
    TextLine line = make_line(state);
    const std::size_t pos = line.char_count() / 2;
    for (auto _ : state) {
        (void)line.insert(pos, "\n");
        line.remove_range(pos, pos + 1);
    }
}

// Typing at two distant places in turn (as with two far-apart carets): every edit is away from
// the previous one, so the offsets after it are rebuilt.
void BM_InsertAlternatingFar(benchmark::State& state) {
    TextLine line = make_line(state);
    const std::size_t first = line.char_count() / 4;
    const std::size_t second = line.char_count() / 4 * 3;
    bool at_first = true;
    for (auto _ : state) {
        (void)line.insert(at_first ? first : second, "x");
        at_first = !at_first;
    }
}

void BM_CharAt(benchmark::State& state) {
    const TextLine line = make_line(state);
    std::mt19937_64 rng(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(line.char_at(rng() % line.char_count()));
    }
}

void BM_LineOf(benchmark::State& state) {
    const TextLine line = make_line(state);
    std::mt19937_64 rng(2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(line.line_of(rng() % line.char_count()));
    }
}

void BM_PositionOf(benchmark::State& state) {
    const TextLine line = make_line(state);
    std::mt19937_64 rng(3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(line.position_of(rng() % line.line_count(), rng() % 80));
    }
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"MiB", "ascii"});
    for (const std::int64_t mib : {1, 10})
        for (const std::int64_t ascii : {1, 0}) b->Args({mib, ascii});
}

BENCHMARK(BM_FromString)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRemoveStart)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertRemoveMiddle)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertRemoveEnd)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertRemoveLineFeedMiddle)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertAlternatingFar)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CharAt)->Apply(sizes);
BENCHMARK(BM_LineOf)->Apply(sizes);
BENCHMARK(BM_PositionOf)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
