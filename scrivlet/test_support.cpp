#include "scrivlet/test_support.hpp"

#include <sys/stat.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace quarn::scrivlet::testing {

TempDir::TempDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        base = "/tmp";
    }
    std::string pattern = (base / "scrivlet-test-XXXXXX").native();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();  // no test can run without its directory
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;  // a leftover directory in /tmp is harmless
    std::filesystem::remove_all(path_, ignored);
}

void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t permission_bits(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return static_cast<mode_t>(-1);
    }
    return info.st_mode & 07777;
}

bool exists_no_follow(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

Environment fake_environment(std::map<std::string, std::string> variables,
                             std::optional<std::filesystem::path> account_home) {
    return Environment{
        [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
            auto found = variables.find(name);
            if (found == variables.end()) {
                return std::nullopt;
            }
            return found->second;
        },
        [account_home = std::move(account_home)] { return account_home; },
    };
}

UmaskGuard::UmaskGuard(mode_t mask) : previous_(::umask(mask)) {}
UmaskGuard::~UmaskGuard() { ::umask(previous_); }

std::expected<Note, NoteLoadError> Note::load(std::string_view bytes,
                                              const std::filesystem::path&) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    for (std::int32_t offset = 0; offset < length;) {
        UChar32 c = 0;
        U8_NEXT(data, offset, length, c);
        if (c < 0) {
            return std::unexpected(NoteLoadError::InvalidUtf8);
        }
    }
    return Note{std::string(bytes), 0};
}

void PrintTo(const Note& note, std::ostream* out) {
    *out << "Note{\"" << note.text << "\", caret " << note.caret << "}";
}

}  // namespace quarn::scrivlet::testing
