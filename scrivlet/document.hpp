#pragma once
// A content value bound to an optional file: its undo history, whether it differs from what was
// last saved, the bytes last read from or written to the file, and how many backups to keep.
// Modified is derived, never stored: an edit is pending or the history is not at its saved
// snapshot. A failed open, reload or save leaves the document and the file as they were.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "scrivlet/atomic.hpp"
#include "scrivlet/backups.hpp"
#include "scrivlet/file_format.hpp"
#include "scrivlet/history.hpp"

namespace quarn::scrivlet {

enum class OpenErrorKind { Read, Parse };

template <typename LoadError>
struct OpenError {
    OpenErrorKind kind;
    std::error_code system;          // Read: why the file could not be read
    std::optional<LoadError> parse;  // Parse: the format's own error
};

enum class SaveErrorKind { NoPath, Write };

struct SaveError {
    SaveErrorKind kind;
    std::error_code system;  // Write: the system's reason
    bool operator==(const SaveError&) const = default;
};

// The fixed user-facing words; the carried system error is never part of them.
[[nodiscard]] std::string_view describe(OpenErrorKind kind);
template <typename LoadError>
[[nodiscard]] std::string_view describe(const OpenError<LoadError>& error) {
    return describe(error.kind);
}
[[nodiscard]] std::string_view describe(const SaveError& error);

// "Untitled" or the path's final component made valid UTF-8.
[[nodiscard]] std::string display_name(const std::optional<std::filesystem::path>& path);
// "{*}{name} — {suffix}", with "*" when modified.
[[nodiscard]] std::string document_title(const std::optional<std::filesystem::path>& path,
                                         bool modified, std::string_view suffix);
// The path's parent ("" for a bare file name); without a path (or with only a root) the
// current directory; "" when that is unknown.
[[nodiscard]] std::filesystem::path dialog_directory_of(
    const std::optional<std::filesystem::path>& path);

// TODO(watch): a Watcher on `path` belongs here once disk-change polling exists; it starts in
// `open`, `attach_path` and a successful `save_as`, and `poll` / `merge_disk` use `disk_text`.
template <FileFormat F>
class Document {
public:
    using LoadError = typename F::LoadError;
    using Error = OpenError<LoadError>;

    // A clean untitled document: one snapshot of `content`, saved; `disk_text` is its bytes.
    // `environment` decides where backups go.
    explicit Document(F content, Environment environment = process_environment())
        : content_(std::move(content)),
          history_(content_),
          disk_text_(serialised_bytes(content_)),
          environment_(std::move(environment)) {}

    // Reads and loads the whole file; on success a clean document bound to `path` as passed.
    [[nodiscard]] static std::expected<Document, Error> open(
        const std::filesystem::path& path, Environment environment = process_environment()) {
        std::expected<F, Error> loaded = read_and_load(path);
        if (!loaded) {
            return std::unexpected(std::move(loaded.error()));
        }
        Document document(std::move(*loaded), std::move(environment));
        document.attach_path(path);
        return document;
    }

    // The live content. Whoever changes it calls `mark_pending`.
    [[nodiscard]] F& content() { return content_; }
    [[nodiscard]] const F& content() const { return content_; }
    void mark_pending() { pending_ = true; }

    [[nodiscard]] const std::optional<std::filesystem::path>& path() const { return path_; }
    [[nodiscard]] const History<F>& history() const { return history_; }
    [[nodiscard]] bool pending() const { return pending_; }
    [[nodiscard]] const std::string& disk_text() const { return disk_text_; }
    [[nodiscard]] unsigned backup_count() const { return backup_count_; }
    [[nodiscard]] bool modified() const { return pending_ || !history_.at_saved(); }

    // Binds `path` without touching disk_text or history: the untitled fallback of a file that
    // could not be opened, which saving will then create.
    void attach_path(std::filesystem::path path) { path_ = std::move(path); }

    // A pending edit becomes a snapshot when its bytes differ from the current one.
    void commit() {
        if (!pending_) {
            return;
        }
        pending_ = false;
        (void)history_.commit(content_);  // no snapshot for unchanged bytes is the point
    }

    // Commits first, so a pending edit is its own step; false at the oldest snapshot.
    [[nodiscard]] bool undo() {
        commit();
        if (!history_.step_back()) {
            return false;
        }
        content_ = history_.current();
        return true;
    }

    // Does not commit: a pending edit is replaced by the next snapshot, the redo tail kept.
    [[nodiscard]] bool redo() {
        if (!history_.step_forward()) {
            return false;
        }
        content_ = history_.current();
        pending_ = false;
        return true;
    }

    [[nodiscard]] std::expected<void, SaveError> save() {
        if (!path_) {
            return std::unexpected(SaveError{SaveErrorKind::NoPath, {}});
        }
        return write_to(*path_);
    }

    // On failure the path stays as it was.
    [[nodiscard]] std::expected<void, SaveError> save_as(std::filesystem::path path) {
        if (auto written = write_to(path); !written) {
            return written;
        }
        path_ = std::move(path);
        return {};
    }

    // Backup, atomic write, then record: disk_text, commit, saved = index. Writes even when
    // clean. A failed write changes nothing in the document.
    [[nodiscard]] std::expected<void, SaveError> write_to(const std::filesystem::path& path) {
        std::string bytes = serialised_bytes(content_);
        rotate_backups(path, backup_count_, environment_);
        if (auto written = write_atomic(path, bytes); !written) {
            return std::unexpected(SaveError{SaveErrorKind::Write, written.error()});
        }
        disk_text_ = std::move(bytes);
        commit();
        history_.mark_saved();
        return {};
    }

    [[nodiscard]] std::string title(std::string_view suffix) const {
        return document_title(path_, modified(), suffix);
    }
    [[nodiscard]] std::filesystem::path dialog_directory() const {
        return dialog_directory_of(path_);
    }

    // Freshly loaded content becomes the saved state: history of one snapshot, clean.
    void adopt(F content) {
        disk_text_ = serialised_bytes(content);
        history_.reset(content);
        content_ = std::move(content);
        pending_ = false;
    }

    // Re-reads the file and adopts it, losing the undo history. Without a path nothing
    // happens; on failure the document is unchanged.
    [[nodiscard]] std::expected<void, Error> reload() {
        if (!path_) {
            return {};
        }
        std::expected<F, Error> loaded = read_and_load(*path_);
        if (!loaded) {
            return std::unexpected(std::move(loaded.error()));
        }
        adopt(std::move(*loaded));
        return {};
    }

private:
    [[nodiscard]] static std::expected<F, Error> read_and_load(const std::filesystem::path& path) {
        std::expected<std::string, std::error_code> bytes = read_file(path);
        if (!bytes) {
            return std::unexpected(Error{OpenErrorKind::Read, bytes.error(), std::nullopt});
        }
        std::expected<F, LoadError> loaded = F::load(*bytes, path);
        if (!loaded) {
            return std::unexpected(Error{OpenErrorKind::Parse, {}, std::move(loaded.error())});
        }
        return std::move(*loaded);
    }

    F content_;
    History<F> history_;
    std::string disk_text_;
    Environment environment_;
    std::optional<std::filesystem::path> path_;
    bool pending_ = false;
    unsigned backup_count_ = 1;
};

}  // namespace quarn::scrivlet
