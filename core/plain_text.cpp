#include "core/plain_text.hpp"

#include "linecraft/unicode.hpp"

namespace quarn::core {

std::expected<PlainText, PlainText::LoadError> PlainText::load(std::string_view bytes,
                                                               const std::filesystem::path&) {
    if (!linecraft::is_valid_utf8(bytes)) return std::unexpected(LoadError::InvalidUtf8);
    PlainText content;
    content.text = linecraft::TextLine::from_string(std::string(bytes));
    return content;
}

std::string PlainText::serialise(const PlainText& content) { return content.text.to_string(); }

std::optional<PlainText> PlainText::merge(std::string_view, std::string_view, std::string_view,
                                          const std::filesystem::path&) {
    return std::nullopt;
}

std::string_view describe(PlainText::LoadError error) {
    switch (error) {
        case PlainText::LoadError::InvalidUtf8:
            return "the file is not valid UTF-8";
    }
    return "";
}

}  // namespace quarn::core
