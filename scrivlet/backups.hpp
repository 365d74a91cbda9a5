#pragma once
// One backup per file, outside the file's directory: <cache root>/scrivlet/<16 hex digits of the
// FNV-1a hash of the normalised absolute path>/<name>.<n>. Backups are a courtesy: nothing here
// reports a failure, and nothing here may stop a save.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::scrivlet {

// Where the process environment is read, so tests can supply their own values.
struct Environment {
    // The value of an environment variable, nothing when unset.
    std::function<std::optional<std::string>(const char* name)> variable;
    // The home directory of the current user's password database entry.
    std::function<std::optional<std::filesystem::path>()> account_home;
};

// Reads the real environment and password database.
[[nodiscard]] Environment process_environment();

// HOME when set and not empty, else the password database entry's home.
[[nodiscard]] std::optional<std::filesystem::path> home_directory(const Environment& environment);

// XDG_CACHE_HOME when absolute; else <home>/.cache; else TMPDIR when set and not empty; else /tmp.
[[nodiscard]] std::filesystem::path cache_root(const Environment& environment);

// 64-bit FNV-1a with the published offset basis and prime.
[[nodiscard]] std::uint64_t fnv1a_64(std::string_view bytes);

// Generation `n` of the backup of `path`: "<final name>.<n>", or "<n>" without a final name.
[[nodiscard]] std::filesystem::path backup_path(const std::filesystem::path& path, unsigned n,
                                                const Environment& environment);

// Creates the directory of `path`'s backups (mode 0777, umask applies); failures ignored.
void ensure_backup_dir(const std::filesystem::path& path, const Environment& environment);

// Moves generations n-1 to n for n = count..2 and copies `path` (with its permission bits) to
// generation 1. Does nothing when count is 0 or `path` cannot be stat'ed (a first save).
void rotate_backups(const std::filesystem::path& path, unsigned count,
                    const Environment& environment);

}  // namespace quarn::scrivlet
