#pragma once
// Opening and saving a text document by path for the editor: the document package's errors
// become the one-line texts the user reads. Whichever front end asked for the path (the prompt or
// a file chooser), the open and save-as flows end in these outcomes and hand them to the tab.

#include <filesystem>
#include <string>
#include <variant>

#include "core/plain_text.hpp"
#include "scrivlet/document.hpp"

namespace quarn::core {

using TextDocument = scrivlet::Document<PlainText>;

namespace files {

struct Opened {
    TextDocument document;  // handed over whole: the caller replaces its document with it
};
struct Saved {
    bool operator==(const Saved&) const = default;
};
// The user dismissed a file chooser: nothing happens, not even a status text.
struct Cancelled {
    bool operator==(const Cancelled&) const = default;
};
struct Failed {
    std::string message;
    bool operator==(const Failed&) const = default;
};

using OpenOutcome = std::variant<Opened, Cancelled, Failed>;
using SaveOutcome = std::variant<Saved, Cancelled, Failed>;

// Opens `path` (strict UTF-8). Failure: "failed to open {path}: {error}", the path as passed in
// and the error's fixed words ("could not read file", "could not parse file").
[[nodiscard]] OpenOutcome open_path(const std::filesystem::path& path);

// Writes `document` to `path` and binds it there. Failure: "failed to save: could not write
// file"; the document keeps its old path and stays modified.
[[nodiscard]] SaveOutcome save_to(TextDocument& document, const std::filesystem::path& path);

}  // namespace files
}  // namespace quarn::core
