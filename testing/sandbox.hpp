#pragma once
// A throw-away home for one run of the program under test: a fresh temporary directory holding
// HOME, the four XDG base directories, TMPDIR and a working directory, removed with everything in
// it when the last owner drops it. The program never sees the tester's own configuration or
// display.

#include <expected>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarn::testing {

using EnvironmentOverrides = std::vector<std::pair<std::string, std::string>>;

class Sandbox {
    struct Key {
        explicit Key() = default;
    };

public:
    // Shared, so that two runs of the program (say, one remembering state for the next) can use
    // one.
    [[nodiscard]] static std::expected<std::shared_ptr<Sandbox>, std::string> create();

    Sandbox(Key, std::filesystem::path root);
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    ~Sandbox();

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path home() const { return root_ / "home"; }
    std::filesystem::path config_home() const { return root_ / "config"; }
    std::filesystem::path state_home() const { return root_ / "state"; }
    std::filesystem::path cache_home() const { return root_ / "cache"; }
    std::filesystem::path data_home() const { return root_ / "data"; }
    std::filesystem::path tmp() const { return root_ / "tmp"; }
    std::filesystem::path work() const { return root_ / "work"; }

    // The environment of a program run here, as "NAME=value" strings: this process's own without
    // DISPLAY and WAYLAND_DISPLAY, HOME, XDG_CONFIG_HOME, XDG_STATE_HOME, XDG_CACHE_HOME,
    // XDG_DATA_HOME and TMPDIR pointing inside, TERM=xterm-256color, then `overrides` (an empty
    // value removes the variable).
    [[nodiscard]] std::vector<std::string> environment(const EnvironmentOverrides& overrides) const;

    // A relative `path` is taken inside work(). Parent directories are created.
    [[nodiscard]] bool write_file(const std::filesystem::path& path, std::string_view bytes) const;
    [[nodiscard]] std::optional<std::string> read_file(const std::filesystem::path& path) const;

private:
    std::filesystem::path root_;
};

}  // namespace quarn::testing
