#include "scrivlet/paths.hpp"

#include <unicode/utf8.h>

#include <cstdint>
#include <system_error>
#include <vector>

namespace quarn::scrivlet {

std::string lossy_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::int32_t offset = 0;
    while (offset < length) {
        const std::int32_t start = offset;
        UChar32 c = 0;
        U8_NEXT(data, offset, length, c);
        if (c < 0) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(bytes.substr(static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(offset - start)));
        }
    }
    return out;
}

std::optional<std::string> final_name(const std::filesystem::path& path) {
    const std::string name = path.filename().native();
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;
    }
    return lossy_utf8(name);
}

std::filesystem::path normalised_absolute(const std::filesystem::path& path) {
    if (path.empty()) {
        return path;
    }
    std::filesystem::path absolute = path;
    if (path.is_relative()) {
        std::error_code error;
        std::filesystem::path cwd = std::filesystem::current_path(error);
        if (!error) {
            absolute = cwd / path;
        }
    }
    std::vector<std::string> parts;
    for (const std::filesystem::path& part : absolute.relative_path()) {
        const std::string& text = part.native();
        if (text.empty() || text == ".") {
            continue;
        }
        if (text == ".." && !parts.empty() && parts.back() != "..") {
            parts.pop_back();
        } else {
            parts.push_back(text);
        }
    }
    std::string result = absolute.has_root_directory() ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            result += '/';
        }
        result += parts[i];
    }
    return result;
}

}  // namespace quarn::scrivlet
