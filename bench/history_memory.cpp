// What the undo history costs in memory: opens a generated 10 MiB file in a tab, makes a number of
// edit groups (one typed character each, every group its own undo step) and prints the resident
// set size before and after. Every snapshot is a whole copy of the content, so the figure grows
// by about one text per group. Prints figures, checks nothing.
//
// Usage: history_memory [groups=100] [ascii|mixed]
//   mixed: one character in eight takes two to four bytes, so the text carries its offset table.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "tui/editing.hpp"
#include "tui/editor.hpp"

namespace {

constexpr std::size_t text_bytes = 10u << 20;

// VmRSS of this process in KiB, from /proc/self/status; 0 when it cannot be read.
std::size_t resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

std::string generated_text(bool mixed) {
    const std::string_view pieces[] = {"é", "→", "𝄞"};
    std::string text;
    text.reserve(text_bytes + 8);
    std::size_t n = 0;
    while (text.size() < text_bytes) {
        if (n % 64 == 63) {
            text += '\n';
        } else if (mixed && n % 8 == 7) {
            text += pieces[(n / 8) % 3];
        } else {
            text += static_cast<char>('a' + n % 26);
        }
        ++n;
    }
    return text;
}

double mib(std::size_t kib) { return static_cast<double>(kib) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
    const std::size_t groups = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const bool mixed = argc > 2 && std::string_view(argv[2]) == "mixed";

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("quarn-history-" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << generated_text(mixed);
    }
    const std::size_t before_open = resident_kib();
    quarn::tui::Editor editor = quarn::tui::Editor::create(path);
    std::filesystem::remove(path);
    const std::size_t after_open = resident_kib();

    for (std::size_t i = 0; i < groups; ++i) {
        quarn::tui::insert_text_all(editor, "x", quarn::tui::EditKind::Edit);
    }
    editor.seal_edit();  // the last group becomes a snapshot too
    const std::size_t after_edits = resident_kib();

    const std::size_t snapshots = editor.document.history().snapshots().size();
    const double per_group =
        groups == 0 ? 0.0 : (mib(after_edits) - mib(after_open)) / static_cast<double>(groups);
    std::printf("text: %zu bytes (%s), %zu characters\n", editor.text().byte_count(),
                mixed ? "mixed" : "ascii", editor.text().char_count());
    std::printf("VmRSS before open:   %10.1f MiB\n", mib(before_open));
    std::printf("VmRSS after open:    %10.1f MiB\n", mib(after_open));
    std::printf("VmRSS after %5zu edit groups: %10.1f MiB (%zu snapshots)\n", groups,
                mib(after_edits), snapshots);
    std::printf("per edit group:      %10.2f MiB\n", per_group);
    std::printf("extrapolated to 1000 groups: %10.1f MiB\n", mib(after_open) + per_group * 1000.0);
    return 0;
}
