#pragma once
// Operations on a selection described by a position and an optional anchor that the caller owns:
// the selected range is min(anchor, position) .. max(anchor, position); no anchor, no selection.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "linecraft/text_line.hpp"

namespace quarn::linecraft {

// A range of character positions, start <= end.
struct CharRange {
    std::size_t start = 0;
    std::size_t end = 0;
    [[nodiscard]] bool operator==(const CharRange&) const = default;
};

// (min, max) with an anchor, nothing without. Cost: O(1).
[[nodiscard]] std::optional<CharRange> selection_range(std::optional<std::size_t> anchor,
                                                       std::size_t position) noexcept;
// A copy of the selected characters (possibly empty), nothing without an anchor.
// Requires: anchor and position <= char_count() (clamped otherwise). Cost: O(selection).
[[nodiscard]] std::optional<std::string> selected_text(const TextLine& text,
                                                       std::optional<std::size_t> anchor,
                                                       std::size_t position);
// Removes a non-empty selection and puts position at its start; always clears the anchor.
// Returns whether anything was removed. Requires: anchor, position <= char_count().
[[nodiscard]] bool delete_selection(TextLine& text, std::size_t& position,
                                    std::optional<std::size_t>& anchor);
// delete_selection, then inserts s at position; position ends after the inserted text.
void replace_selection(TextLine& text, std::size_t& position, std::optional<std::size_t>& anchor,
                       std::string_view s);
// Sets the anchor to position when there is none, then skip_forward / skip_backward.
[[nodiscard]] bool select_forward_skip(const TextLine& text, std::size_t& position,
                                       std::optional<std::size_t>& anchor);
[[nodiscard]] bool select_backward_skip(const TextLine& text, std::size_t& position,
                                        std::optional<std::size_t>& anchor);

}  // namespace quarn::linecraft
