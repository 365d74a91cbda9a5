#include "scrivlet/backups.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "scrivlet/paths.hpp"

namespace quarn::scrivlet {
namespace {

[[nodiscard]] std::optional<std::filesystem::path> password_database_home() {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (std::size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr || entry.pw_dir == nullptr || *entry.pw_dir == '\0') {
            return std::nullopt;
        }
        return std::filesystem::path(entry.pw_dir);
    }
}

[[nodiscard]] std::optional<std::string> non_empty_variable(const Environment& environment,
                                                            const char* name) {
    std::optional<std::string> value = environment.variable(name);
    if (value && value->empty()) {
        return std::nullopt;
    }
    return value;
}

[[nodiscard]] std::string hex16(std::uint64_t value) {
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; value >>= 4) {
        text[i] = "0123456789abcdef"[value & 0xF];
    }
    return text;
}

}  // namespace

Environment process_environment() {
    return Environment{
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            if (value == nullptr) {
                return std::nullopt;
            }
            return std::string(value);
        },
        password_database_home,
    };
}

std::optional<std::filesystem::path> home_directory(const Environment& environment) {
    if (std::optional<std::string> home = non_empty_variable(environment, "HOME")) {
        return std::filesystem::path(*home);
    }
    return environment.account_home();
}

std::filesystem::path cache_root(const Environment& environment) {
    if (std::optional<std::string> xdg = environment.variable("XDG_CACHE_HOME")) {
        std::filesystem::path root(*xdg);
        if (root.is_absolute()) {
            return root;
        }
    }
    if (std::optional<std::filesystem::path> home = home_directory(environment)) {
        return *home / ".cache";
    }
    if (std::optional<std::string> temp = non_empty_variable(environment, "TMPDIR")) {
        return std::filesystem::path(*temp);
    }
    return "/tmp";
}

std::uint64_t fnv1a_64(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::filesystem::path backup_path(const std::filesystem::path& path, unsigned n,
                                  const Environment& environment) {
    const std::string number = std::to_string(n);
    const std::optional<std::string> name = final_name(path);
    const std::string file = name ? *name + "." + number : number;
    const std::string key = normalised_absolute(path).native();
    return cache_root(environment) / "scrivlet" / hex16(fnv1a_64(key)) / file;
}

void ensure_backup_dir(const std::filesystem::path& path, const Environment& environment) {
    std::error_code ignored;  // a missing directory only makes the following copy fail
    std::filesystem::create_directories(backup_path(path, 1, environment).parent_path(), ignored);
}

void rotate_backups(const std::filesystem::path& path, unsigned count,
                    const Environment& environment) {
    if (count == 0) {
        return;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return;
    }
    ensure_backup_dir(path, environment);
    std::error_code ignored;  // every step is best effort; see the header
    for (unsigned n = count; n >= 2; --n) {
        std::filesystem::rename(backup_path(path, n - 1, environment),
                                backup_path(path, n, environment), ignored);
    }
    std::filesystem::copy_file(path, backup_path(path, 1, environment),
                               std::filesystem::copy_options::overwrite_existing, ignored);
}

}  // namespace quarn::scrivlet
