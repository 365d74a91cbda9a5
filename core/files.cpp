#include "core/files.hpp"

#include <expected>
#include <string_view>
#include <utility>

namespace quarn::core::files {

OpenOutcome open_path(const std::filesystem::path& path) {
    std::expected<TextDocument, TextDocument::Error> opened = TextDocument::open(path);
    if (!opened) {
        return Failed{"failed to open " + path.string() + ": " +
                      std::string(scrivlet::describe(opened.error()))};
    }
    return Opened{std::move(*opened)};
}

SaveOutcome save_to(TextDocument& document, const std::filesystem::path& path) {
    if (auto saved = document.save_as(path); !saved) {
        return Failed{"failed to save: " + std::string(scrivlet::describe(saved.error()))};
    }
    return Saved{};
}

}  // namespace quarn::core::files
