#pragma once
// The user's settings. Reading and writing the options file comes with the options file format;
// until then every run starts from the defaults and saving stores nothing.

#include <expected>
#include <string>

namespace quarn::core {

struct Options {
    unsigned tab_width = 4;  // 1 to 16
    bool soft_wrap = true;
    friend bool operator==(const Options&, const Options&) = default;
};

[[nodiscard]] Options load_options();
[[nodiscard]] std::expected<void, std::string> save_options(const Options& options);

}  // namespace quarn::core
