// Figures for the editing commands on a 10 MB document, with the undo history included: what one
// keystroke costs before the screen is drawn. Arguments: text 0 = ASCII, 1 = mixed (about one
// character in eight takes two to four bytes); carets 0 = one in the middle, 1 = 100 on
// consecutive lines from the middle, 2 = 100 spread evenly over the document.
//
// An edit that opens an undo step is timed together with the movement before it: the movement
// seals the previous step, and that commit (compare with the current snapshot, then a copy of the
// content) is what the user waits for. Each timed step leaves an edit pending for the next, so
// every step pays one commit. The document is rebuilt (untimed) every few steps, because every
// step keeps a whole snapshot in the history.
//
// Usage: editing_bench [--fresh-memory] [benchmark flags]
//   Every snapshot is a copy of the whole content, and what a copy costs depends on where its
//   memory comes from. By default freed memory is kept and handed out again, already mapped, so
//   the figures are the copying and comparing alone. --fresh-memory gives every large block new
//   pages from the kernel, as a history that keeps growing gets them; the page faults are then
//   part of every commit (on a virtual machine they can cost more than the copy itself).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/caret.hpp"
#include "core/plain_text.hpp"
#include "linecraft/text_line.hpp"
#include "tui/editing.hpp"
#include "tui/editor.hpp"
#include "tui/movement.hpp"

namespace {

using quarn::linecraft::TextLine;
namespace core = quarn::core;
namespace tui = quarn::tui;

constexpr std::size_t document_bytes = 10'000'000;
// Snapshots kept before the document is rebuilt: bounds the history at about 170 MB.
constexpr int steps_per_document = 16;
constexpr std::size_t caret_column = 30;  // every line has at least 60 characters

// Words of letters in lines of 60 to 140 characters.
std::string make_text(bool mixed) {
    const std::string_view pieces[] = {"\u00E9", "\u2192", "\u4E2D", "\U0001D11E"};
    std::mt19937 rng(mixed ? 23 : 17);
    std::string out;
    out.reserve(document_bytes + 1024);
    while (out.size() < document_bytes) {
        const std::size_t length = 60 + rng() % 81;
        for (std::size_t column = 0; column < length; ++column) {
            if (column > 0 && rng() % 7 == 0) {
                out.push_back(' ');
            } else if (mixed && rng() % 8 == 0) {
                out += pieces[rng() % 4];
            } else {
                out.push_back(static_cast<char>('a' + rng() % 26));
            }
        }
        out.push_back('\n');
    }
    return out;
}

const TextLine& document(bool mixed) {
    static const TextLine ascii = TextLine::from_string(make_text(false));
    static const TextLine multi = TextLine::from_string(make_text(true));
    return mixed ? multi : ascii;
}

enum class Carets { One, Lines100, Spread100 };

std::vector<core::Caret> place_carets(const TextLine& text, Carets layout) {
    const std::size_t lines = text.line_count();
    std::vector<core::Caret> carets;
    switch (layout) {
        case Carets::One:
            carets.push_back(core::primary_caret_at(text.position_of(lines / 2, caret_column)));
            break;
        case Carets::Lines100:
            for (std::size_t i = 0; i < 100; ++i)
                carets.push_back(
                    core::primary_caret_at(text.position_of(lines / 2 + i, caret_column)));
            break;
        case Carets::Spread100:
            for (std::size_t i = 0; i < 100; ++i)
                carets.push_back(core::primary_caret_at(
                    text.position_of(lines / 200 + i * lines / 100, caret_column)));
            break;
    }
    for (std::size_t i = 1; i < carets.size(); ++i) carets[i].primary = false;
    return carets;
}

// A fresh tab on the document, as if just opened, with the carets placed and nothing pending.
void reset(tui::Editor& editor, bool mixed, Carets layout) {
    editor = tui::Editor::create(std::nullopt);
    editor.document = tui::Document(core::PlainText{.text = document(mixed)});
    editor.carets = place_carets(editor.text(), layout);
}

// A movement that keeps the carets where they were over two calls.
void move(tui::Editor& editor, int step) {
    tui::move_horizontal(editor, step % 2 == 0, false, false);
}

// Runs `edit` after a sealing movement, every step; the first step after a rebuild finds an
// edit pending, as every later step does.
template <typename Edit>
void sealed_edits(benchmark::State& state, Edit edit) {
    const bool mixed = state.range(0) != 0;
    const auto layout = static_cast<Carets>(state.range(1));
    tui::Editor editor = tui::Editor::create(std::nullopt);
    int step = steps_per_document;
    for (auto _ : state) {
        if (step == steps_per_document) {
            state.PauseTiming();
            reset(editor, mixed, layout);
            tui::insert_text_all(editor, "x", tui::EditKind::Typing);
            step = 0;
            state.ResumeTiming();
        }
        move(editor, step);
        edit(editor);
        ++step;
    }
}

void Args(benchmark::internal::Benchmark* bench, bool many_carets) {
    bench->ArgNames({"mixed", "carets"})->Unit(benchmark::kMicrosecond);
    for (int mixed : {0, 1}) {
        bench->Args({mixed, 0});
        if (many_carets) {
            bench->Args({mixed, 1});
            bench->Args({mixed, 2});
        }
    }
}
void OneCaret(benchmark::internal::Benchmark* bench) { Args(bench, false); }
void AnyCarets(benchmark::internal::Benchmark* bench) { Args(bench, true); }

// A character in the middle of a typing run: no commit.
void BM_TypeContinuing(benchmark::State& state) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    reset(editor, state.range(0) != 0, static_cast<Carets>(state.range(1)));
    tui::insert_text_all(editor, "x", tui::EditKind::Typing);
    for (auto _ : state) tui::insert_text_all(editor, "x", tui::EditKind::Typing);
}
BENCHMARK(BM_TypeContinuing)->Apply(AnyCarets);

// A movement with nothing pending: the floor under the sealed edits below.
void BM_MoveOnly(benchmark::State& state) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    reset(editor, state.range(0) != 0, static_cast<Carets>(state.range(1)));
    int step = 0;
    for (auto _ : state) move(editor, step++);
}
BENCHMARK(BM_MoveOnly)->Apply(AnyCarets);

// A movement, then the first character of a new typing run.
void BM_TypeAfterMove(benchmark::State& state) {
    sealed_edits(state,
                 [](tui::Editor& e) { tui::insert_text_all(e, "x", tui::EditKind::Typing); });
}
BENCHMARK(BM_TypeAfterMove)->Apply(AnyCarets);

void BM_Enter(benchmark::State& state) { sealed_edits(state, tui::insert_newline); }
BENCHMARK(BM_Enter)->Apply(OneCaret);

void BM_Backspace(benchmark::State& state) { sealed_edits(state, tui::delete_backward); }
BENCHMARK(BM_Backspace)->Apply(OneCaret);

void BM_Tab(benchmark::State& state) { sealed_edits(state, tui::indent); }
BENCHMARK(BM_Tab)->Apply(OneCaret);

// A tab with `steps_per_document` undo steps behind it, each one typed character.
void reset_with_history(tui::Editor& editor, bool mixed) {
    reset(editor, mixed, Carets::One);
    for (int step = 0; step < steps_per_document; ++step) {
        move(editor, step);
        tui::insert_text_all(editor, "x", tui::EditKind::Typing);
    }
    editor.seal_edit();
}

// Successive undos (nothing pending); at the oldest step the history is redone untimed.
void BM_Undo(benchmark::State& state) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    reset_with_history(editor, state.range(0) != 0);
    for (auto _ : state) {
        if (editor.document.history().index() == 0) {
            state.PauseTiming();
            while (editor.document.history().index() + 1 <
                   editor.document.history().snapshots().size())
                tui::redo(editor);
            state.ResumeTiming();
        }
        tui::undo(editor);
    }
}
BENCHMARK(BM_Undo)->Apply(OneCaret);

void BM_Redo(benchmark::State& state) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    reset_with_history(editor, state.range(0) != 0);
    for (auto _ : state) {
        if (editor.document.history().index() + 1 == editor.document.history().snapshots().size()) {
            state.PauseTiming();
            while (editor.document.history().index() > 0) tui::undo(editor);
            state.ResumeTiming();
        }
        tui::redo(editor);
    }
}
BENCHMARK(BM_Redo)->Apply(OneCaret);

// The first undo after typing: it commits the pending run first. The typing is untimed.
void BM_UndoAfterTyping(benchmark::State& state) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    reset(editor, state.range(0) != 0, Carets::One);
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        move(editor, step++);
        tui::insert_text_all(editor, "x", tui::EditKind::Typing);
        state.ResumeTiming();
        tui::undo(editor);
    }
}
BENCHMARK(BM_UndoAfterTyping)->Apply(OneCaret);

// Keeps freed memory in the heap, already faulted in, for every later block to reuse.
[[nodiscard]] bool reuse_memory() {
    constexpr int largest_heap_block = 32 << 20;  // glibc's upper bound for this setting
    if (mallopt(M_MMAP_THRESHOLD, largest_heap_block) != 1) return false;
    if (mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max()) != 1) return false;
    // Room for the largest history kept here (16 snapshots of the mixed text and its tables),
    // touched once so that no benchmark pays for mapping it.
    constexpr std::size_t block = 16u << 20;
    std::vector<void*> blocks(48);
    for (void*& b : blocks) {
        b = std::malloc(block);
        if (b != nullptr) std::memset(b, 1, block);
    }
    for (void* b : blocks) std::free(b);
    return true;
}

// Every block from 1 MiB up gets its own mapping, so new pages on every allocation.
[[nodiscard]] bool fresh_memory() { return mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1; }

}  // namespace

int main(int argc, char** argv) {
    bool fresh = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--fresh-memory") == 0) {
            fresh = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    if (!(fresh ? fresh_memory() : reuse_memory())) {
        std::fprintf(stderr, "mallopt refused the memory setting\n");
        return 1;
    }
    std::printf("memory: %s\n", fresh ? "fresh pages for every large block" : "reused, mapped");
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
