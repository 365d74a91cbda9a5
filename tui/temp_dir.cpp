#include "tui/temp_dir.hpp"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace quarn::tui::testing {

TempDir::TempDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "quarn-tui-XXXXXX").native();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();  // no file test runs without it
    path_ = pattern;
    if (const char* cache = std::getenv("XDG_CACHE_HOME")) previous_cache_ = cache;
    ::setenv("XDG_CACHE_HOME", (path_ / "cache").c_str(), 1);
}

TempDir::~TempDir() {
    if (previous_cache_) {
        ::setenv("XDG_CACHE_HOME", previous_cache_->c_str(), 1);
    } else {
        ::unsetenv("XDG_CACHE_HOME");
    }
    std::error_code ignored;  // a leftover directory under /tmp is harmless
    std::filesystem::remove_all(path_, ignored);
}

void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quarn::tui::testing
