#pragma once
// Reading a whole file, and replacing one so that no reader ever sees it half written: the bytes
// go to "<path>.new", are synced, and a rename puts them in place. On any failure the target is
// untouched and the temporary file is gone.

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace quarn::scrivlet {

// Failures of our own that have no errno.
enum class WriteFailure { ZeroWrite = 1 };  // "failed to write whole buffer"

[[nodiscard]] const std::error_category& write_category();
[[nodiscard]] std::error_code make_error_code(WriteFailure failure);

// The whole content of the file at `path` (symbolic links followed).
[[nodiscard]] std::expected<std::string, std::error_code> read_file(
    const std::filesystem::path& path);

// Replaces `path` with `bytes` through the temporary file "<path>.new":
//  - a leftover entry of that name is removed first, so nothing is ever written through a
//    symbolic link planted there;
//  - the temporary file is created with mode 0666 (umask applies) and, when `path` exists
//    (links followed), given its permission bits before any byte is written;
//  - every byte is written (interrupted and partial writes are retried), then fsync, close, and
//    the rename; the directory is synced afterwards on a best-effort basis.
// A symbolic link at `path` is replaced by a regular file; its former target stays as it was.
// Failure returns the system error; the target then keeps its old bytes and "<path>.new" does
// not exist (unless it could not be removed before we started).
[[nodiscard]] std::expected<void, std::error_code> write_atomic(const std::filesystem::path& path,
                                                                std::string_view bytes);

}  // namespace quarn::scrivlet

template <>
struct std::is_error_code_enum<quarn::scrivlet::WriteFailure> : std::true_type {};
