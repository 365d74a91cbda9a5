#include "linecraft/selection.hpp"

#include <algorithm>

namespace quarn::linecraft {

std::optional<CharRange> selection_range(std::optional<std::size_t> anchor,
                                         std::size_t position) noexcept {
    if (!anchor) return std::nullopt;
    return CharRange{std::min(*anchor, position), std::max(*anchor, position)};
}

std::optional<std::string> selected_text(const TextLine& text, std::optional<std::size_t> anchor,
                                         std::size_t position) {
    const std::optional<CharRange> range = selection_range(anchor, position);
    if (!range) return std::nullopt;
    return text.text_range(range->start, range->end);
}

bool delete_selection(TextLine& text, std::size_t& position, std::optional<std::size_t>& anchor) {
    const std::optional<CharRange> range = selection_range(anchor, position);
    anchor.reset();
    if (!range || range->start == range->end) return false;
    text.remove_range(range->start, range->end);
    position = range->start;
    return true;
}

void replace_selection(TextLine& text, std::size_t& position, std::optional<std::size_t>& anchor,
                       std::string_view s) {
    (void)delete_selection(text, position, anchor);  // an empty selection just inserts
    position += text.insert(position, s);
}

bool select_forward_skip(const TextLine& text, std::size_t& position,
                         std::optional<std::size_t>& anchor) {
    if (!anchor) anchor = position;
    return skip_forward(text, position);
}

bool select_backward_skip(const TextLine& text, std::size_t& position,
                          std::optional<std::size_t>& anchor) {
    if (!anchor) anchor = position;
    return skip_backward(text, position);
}

}  // namespace quarn::linecraft
