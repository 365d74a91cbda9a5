#pragma once
// Test support: a fresh directory per test, removed with everything in it. While it lives,
// backups of the files a test overwrites go inside it too, never into the user's cache.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::tui::testing {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
    std::optional<std::string> previous_cache_;
};

void write_bytes(const std::filesystem::path& path, std::string_view bytes);
// The file's bytes, or nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> read_bytes(const std::filesystem::path& path);

}  // namespace quarn::tui::testing
