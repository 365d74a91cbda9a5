#pragma once
// Path texts as the document package shows and keys them: a file's display name (never invalid
// UTF-8, so it is safe to draw) and the lexically normalised absolute form that names its backups.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::scrivlet {

// `bytes` with every ill-formed UTF-8 sequence replaced by U+FFFD (one per maximal subpart).
[[nodiscard]] std::string lossy_utf8(std::string_view bytes);

// The final component of `path`, made valid UTF-8 by `lossy_utf8`; nothing when the path has no
// final component ("", "/", "dir/", or one ending in "." or "..").
[[nodiscard]] std::optional<std::string> final_name(const std::filesystem::path& path);

// Absolute and lexically normalised; symbolic links are not resolved.
// Relative paths get the current directory in front (left relative when it cannot be found);
// "." and empty components drop; ".." removes the name before it, otherwise it stays (so "/.."
// stays "/.."). An empty path stays empty.
[[nodiscard]] std::filesystem::path normalised_absolute(const std::filesystem::path& path);

}  // namespace quarn::scrivlet
