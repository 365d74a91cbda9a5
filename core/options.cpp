#include "core/options.hpp"

namespace quarn::core {

Options load_options() { return Options{}; }

std::expected<void, std::string> save_options(const Options&) { return {}; }

}  // namespace quarn::core
