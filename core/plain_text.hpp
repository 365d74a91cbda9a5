#pragma once
// The content of a document: its text plus the carets that belong to that state of the text.
// It is what the undo history stores and what a document loads and saves; loading is strict
// UTF-8, and nothing else about the bytes changes (a byte-order mark and carriage returns stay).

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/caret.hpp"
#include "linecraft/text_line.hpp"

namespace quarn::core {

struct PlainText {
    enum class LoadError { InvalidUtf8 };

    linecraft::TextLine text;
    // The live carets as they stood when this state was stored.
    std::vector<Caret> carets{primary_caret_at(0)};
    // The live carets just after the checkpoint that opened the edit group leading here: undoing
    // this state puts the carets back from these.
    std::vector<Caret> carets_before{primary_caret_at(0)};

    // Any invalid UTF-8 sequence rejects the whole file; nothing is repaired. Cost: O(bytes).
    [[nodiscard]] static std::expected<PlainText, LoadError> load(
        std::string_view bytes, const std::filesystem::path& path);
    // The text's bytes, unchanged. Cost: O(bytes).
    [[nodiscard]] static std::string serialise(const PlainText& content);
    // serialise(a) == serialise(b), without building either: equal revision stamps mean equal
    // text, otherwise the texts are compared in place. Cost: O(1) or O(bytes), no allocation.
    [[nodiscard]] static bool same_bytes(const PlainText& a, const PlainText& b) {
        return a.text.revision() == b.text.revision() || a.text == b.text;
    }
    // Three-way merge of disk changes; until merging exists nothing merges.
    [[nodiscard]] static std::optional<PlainText> merge(std::string_view base,
                                                        std::string_view ours,
                                                        std::string_view theirs,
                                                        const std::filesystem::path& path);
};

[[nodiscard]] std::string_view describe(PlainText::LoadError error);

}  // namespace quarn::core
