#include "testing/sandbox.hpp"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

extern char** environ;

namespace quarn::testing {
namespace {

[[nodiscard]] std::string name_of(std::string_view entry) {
    return std::string(entry.substr(0, entry.find('=')));
}

void set_variable(std::vector<std::string>& env, const std::string& name,
                  const std::string& value) {
    std::erase_if(env, [&](const std::string& entry) { return name_of(entry) == name; });
    if (!value.empty()) env.push_back(name + "=" + value);
}

}  // namespace

std::expected<std::shared_ptr<Sandbox>, std::string> Sandbox::create() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "quarn-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return std::unexpected("cannot create a temporary directory under " + base.string());
    auto sandbox = std::make_shared<Sandbox>(Key{}, std::filesystem::path(pattern));
    for (const std::filesystem::path& dir :
         {sandbox->home(), sandbox->config_home(), sandbox->state_home(), sandbox->cache_home(),
          sandbox->data_home(), sandbox->tmp(), sandbox->work()}) {
        if (!std::filesystem::create_directory(dir, error))
            return std::unexpected("cannot create " + dir.string() + ": " + error.message());
    }
    return sandbox;
}

Sandbox::Sandbox(Key, std::filesystem::path root) : root_(std::move(root)) {}

Sandbox::~Sandbox() {
    std::error_code ignored;  // a leftover temporary directory must not fail a test
    std::filesystem::remove_all(root_, ignored);
}

std::vector<std::string> Sandbox::environment(const EnvironmentOverrides& overrides) const {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
    set_variable(env, "DISPLAY", "");
    set_variable(env, "WAYLAND_DISPLAY", "");
    set_variable(env, "HOME", home().string());
    set_variable(env, "XDG_CONFIG_HOME", config_home().string());
    set_variable(env, "XDG_STATE_HOME", state_home().string());
    set_variable(env, "XDG_CACHE_HOME", cache_home().string());
    set_variable(env, "XDG_DATA_HOME", data_home().string());
    set_variable(env, "TMPDIR", tmp().string());
    set_variable(env, "TERM", "xterm-256color");
    for (const auto& [name, value] : overrides) set_variable(env, name, value);
    return env;
}

bool Sandbox::write_file(const std::filesystem::path& path, std::string_view bytes) const {
    const std::filesystem::path full = path.is_absolute() ? path : work() / path;
    std::error_code error;
    std::filesystem::create_directories(full.parent_path(), error);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::optional<std::string> Sandbox::read_file(const std::filesystem::path& path) const {
    const std::filesystem::path full = path.is_absolute() ? path : work() / path;
    std::ifstream in(full, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quarn::testing
