#pragma once
// Carets as small values and the free functions that keep a caret list sound. After
// normalize_carets a list is non-empty, sorted by (start, end), free of overlaps (two carets touch
// only when both select something), and has exactly one primary caret.

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "linecraft/text_line.hpp"

namespace quarn::core {

// One insertion point with an optional selection between `anchor` and `position` (characters).
struct Caret {
    std::size_t position = 0;
    std::optional<std::size_t> anchor;
    std::optional<std::size_t> goal_column;
    bool primary = false;

    [[nodiscard]] std::size_t start() const {
        return anchor ? std::min(*anchor, position) : position;
    }
    [[nodiscard]] std::size_t end() const {
        return anchor ? std::max(*anchor, position) : position;
    }
    // (start, end) when the caret selects at least one character.
    [[nodiscard]] std::optional<std::pair<std::size_t, std::size_t>> selection() const;
    [[nodiscard]] bool has_selection() const { return anchor && *anchor != position; }

    friend bool operator==(const Caret&, const Caret&) = default;
};

// A single primary caret at pos: what a new document and every reset start from.
[[nodiscard]] inline Caret primary_caret_at(std::size_t pos) {
    return Caret{pos, std::nullopt, std::nullopt, true};
}

// Index of the first primary caret, 0 when none is flagged (or the list is empty).
[[nodiscard]] std::size_t primary_index(const std::vector<Caret>& carets);

// Keeps the flag on the first primary caret only; with none flagged the last caret becomes
// primary. Cost: O(carets).
void repair_primary(std::vector<Caret>& carets);

// Sorts (stable, by start then end), merges overlapping carets into forward selections and
// repairs the primary flag. An empty list gets one primary caret at 0. Cost: O(n log n).
void normalize_carets(std::vector<Caret>& carets);

// Whether the list is as normalize_carets leaves it (and positions lie within `char_count`): the
// invariant every command but undo and redo keeps. Cost: O(carets).
[[nodiscard]] bool carets_are_normal(const std::vector<Caret>& carets, std::size_t char_count);

// The position of every caret but the primary one, in list order.
[[nodiscard]] std::vector<std::size_t> secondary_caret_offsets(const std::vector<Caret>& carets);

// Makes `caret` select the whole line(s) it stands on, line feed included; a caret that already
// selects whole lines grows by one line downward. Requires: positions <= char_count().
void select_line_for(const linecraft::TextLine& text, Caret& caret);

// The carets that adding one above (delta -1) or below (+1) each caret would create: same goal
// column, column clamped to the target line, not primary. Carets on the first/last line add none.
[[nodiscard]] std::vector<Caret> carets_added_vertical(const linecraft::TextLine& text,
                                                       const std::vector<Caret>& carets, int delta);

}  // namespace quarn::core
