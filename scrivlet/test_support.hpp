#pragma once
// Shared by the scrivlet tests: a temporary directory per test, file helpers, an environment
// that never reads the process's, and `Note`, a small content type with a caret that is not
// part of its bytes (like a text's carets).

#include <sys/types.h>

#include <cstddef>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "scrivlet/backups.hpp"

namespace quarn::scrivlet::testing {

// A fresh directory under the system temporary directory, removed with everything in it.
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
};

void write_bytes(const std::filesystem::path& path, std::string_view bytes);
[[nodiscard]] std::optional<std::string> read_bytes(const std::filesystem::path& path);
[[nodiscard]] mode_t permission_bits(const std::filesystem::path& path);  // follows links
[[nodiscard]] bool exists_no_follow(const std::filesystem::path& path);

// Variables from `variables` only; the password database gives `account_home`.
[[nodiscard]] Environment fake_environment(std::map<std::string, std::string> variables,
                                           std::optional<std::filesystem::path> account_home = {});

// Sets the umask for its lifetime.
class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask);
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;
    ~UmaskGuard();

private:
    mode_t previous_;
};

enum class NoteLoadError { InvalidUtf8 };

struct Note {
    std::string text;
    std::size_t caret = 0;

    using LoadError = NoteLoadError;
    // Strict UTF-8: one ill-formed sequence rejects the whole file.
    [[nodiscard]] static std::expected<Note, NoteLoadError> load(std::string_view bytes,
                                                                 const std::filesystem::path&);
    [[nodiscard]] static std::string_view serialise(const Note& note) { return note.text; }
    [[nodiscard]] static std::optional<Note> merge(std::string_view, std::string_view,
                                                   std::string_view, const std::filesystem::path&) {
        return std::nullopt;
    }
    bool operator==(const Note&) const = default;
};

void PrintTo(const Note& note, std::ostream* out);

}  // namespace quarn::scrivlet::testing
