// Figures for drawing: the screen rows of a large document and one whole frame of it.
// Argument: 1 with soft wrapping, 0 without. The document is about 10 MB of words in lines of
// 20 to 200 characters, so that wrapping has work to do.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "core/wrap.hpp"
#include "linecraft/text_line.hpp"
#include "toolkit/buffer.hpp"
#include "toolkit/terminal.hpp"
#include "tui/app.hpp"
#include "tui/editor.hpp"
#include "tui/ui.hpp"

namespace {

using quarn::linecraft::TextLine;
namespace core = quarn::core;
namespace toolkit = quarn::toolkit;
namespace tui = quarn::tui;

constexpr std::size_t document_bytes = 10'000'000;

std::string make_text() {
    std::string out;
    out.reserve(document_bytes + 256);
    std::mt19937 rng(11);
    while (out.size() < document_bytes) {
        const std::size_t line = 20 + rng() % 181;
        std::size_t column = 0;
        while (column < line) {
            const std::size_t word = 1 + rng() % 9;
            for (std::size_t i = 0; i < word; ++i)
                out.push_back(static_cast<char>('a' + rng() % 26));
            out.push_back(' ');
            column += word + 1;
        }
        out.push_back('\n');
    }
    return out;
}

const std::string& document() {
    static const std::string text = make_text();
    return text;
}

void BM_Rows(benchmark::State& state) {
    const TextLine text = TextLine::from_string(document());
    const bool wrap = state.range(0) != 0;
    for (auto _ : state) benchmark::DoNotOptimize(core::rows(text, 80, wrap));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document().size()));
}
BENCHMARK(BM_Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

tui::Editor make_editor(bool wrap) {
    tui::Editor editor = tui::Editor::create(std::nullopt);
    editor.document.content().text = TextLine::from_string(document());
    editor.soft_wrap = wrap;
    // The caret in the middle of the text, with a few secondary carets and a selection in view.
    const std::size_t middle = editor.text().position_of(editor.text().line_count() / 2, 0);
    editor.carets = {core::Caret{middle, std::nullopt, std::nullopt, true},
                     core::Caret{middle + 300, middle + 200, std::nullopt, false},
                     core::Caret{middle + 500, std::nullopt, std::nullopt, false}};
    return editor;
}

// One frame on a 200 x 50 screen once the screen rows are known (the steady state while the
// user moves around without editing).
void BM_RenderFrame(benchmark::State& state) {
    tui::Editor editor = make_editor(state.range(0) != 0);
    const std::vector<std::string> labels = {"a.txt", "b.txt"};
    const tui::Menu menu;
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 200, 50});
    for (auto _ : state) {
        buffer.reset();
        toolkit::Frame frame(buffer);
        benchmark::DoNotOptimize(tui::render(frame, editor, labels, 0, menu));
    }
}
BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One frame after a one-character edit: the screen rows are computed again.
void BM_RenderFrameAfterEdit(benchmark::State& state) {
    tui::Editor editor = make_editor(state.range(0) != 0);
    const std::vector<std::string> labels = {"a.txt"};
    const tui::Menu menu;
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 200, 50});
    const std::size_t at = editor.primary_position();
    bool insert = true;
    for (auto _ : state) {
        TextLine& text = editor.document.content().text;
        if (insert) {
            text.insert(at, "x");
        } else {
            text.remove_range(at, at + 1);
        }
        insert = !insert;
        buffer.reset();
        toolkit::Frame frame(buffer);
        benchmark::DoNotOptimize(tui::render(frame, editor, labels, 0, menu));
    }
}
BENCHMARK(BM_RenderFrameAfterEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
