#include "core/caret.hpp"

#include <algorithm>

namespace quarn::core {

std::optional<std::pair<std::size_t, std::size_t>> Caret::selection() const {
    if (!has_selection()) return std::nullopt;
    return std::pair{start(), end()};
}

std::size_t primary_index(const std::vector<Caret>& carets) {
    for (std::size_t i = 0; i < carets.size(); ++i) {
        if (carets[i].primary) return i;
    }
    return 0;
}

void repair_primary(std::vector<Caret>& carets) {
    bool seen = false;
    for (Caret& caret : carets) {
        if (caret.primary && seen) caret.primary = false;
        seen = seen || caret.primary;
    }
    if (!seen && !carets.empty()) carets.back().primary = true;
}

void normalize_carets(std::vector<Caret>& carets) {
    if (carets.empty()) {
        carets.push_back(primary_caret_at(0));
        return;
    }
    std::stable_sort(carets.begin(), carets.end(), [](const Caret& a, const Caret& b) {
        return std::pair{a.start(), a.end()} < std::pair{b.start(), b.end()};
    });
    std::vector<Caret> merged;
    merged.reserve(carets.size());
    for (const Caret& caret : carets) {
        if (merged.empty()) {
            merged.push_back(caret);
            continue;
        }
        Caret& last = merged.back();
        const bool apart =
            caret.start() > last.end() ||
            (caret.start() == last.end() && last.has_selection() && caret.has_selection());
        if (apart) {
            merged.push_back(caret);
            continue;
        }
        // A merged caret is always a forward selection, whatever the directions it came from.
        const std::size_t start = std::min(last.start(), caret.start());
        const std::size_t end = std::max(last.end(), caret.end());
        last.anchor = start != end ? std::optional<std::size_t>(start) : std::nullopt;
        last.position = end;
        last.goal_column.reset();
        last.primary = last.primary || caret.primary;
    }
    carets = std::move(merged);
    repair_primary(carets);
}

bool carets_are_normal(const std::vector<Caret>& carets, std::size_t char_count) {
    if (carets.empty()) return false;
    std::size_t primaries = 0;
    for (std::size_t i = 0; i < carets.size(); ++i) {
        const Caret& c = carets[i];
        if (c.end() > char_count) return false;
        primaries += c.primary ? 1 : 0;
        if (i == 0) continue;
        const Caret& p = carets[i - 1];
        if (std::pair{p.start(), p.end()} > std::pair{c.start(), c.end()}) return false;
        const bool touching_selections =
            c.start() == p.end() && p.has_selection() && c.has_selection();
        if (c.start() < p.end() || (c.start() == p.end() && !touching_selections)) return false;
    }
    return primaries == 1;
}

std::vector<std::size_t> secondary_caret_offsets(const std::vector<Caret>& carets) {
    std::vector<std::size_t> offsets;
    const std::size_t primary = primary_index(carets);
    for (std::size_t i = 0; i < carets.size(); ++i) {
        if (i != primary) offsets.push_back(carets[i].position);
    }
    return offsets;
}

void select_line_for(const linecraft::TextLine& text, Caret& caret) {
    std::size_t anchor = 0;
    std::size_t position = caret.position;
    const bool whole_lines =
        caret.anchor && *caret.anchor <= caret.position &&
        text.line_start(*caret.anchor) == *caret.anchor &&
        (caret.position == text.char_count() || text.line_start(caret.position) == caret.position);
    if (whole_lines) {
        anchor = *caret.anchor;
    } else {
        anchor = text.line_start(caret.position);
        position = anchor;
    }
    const std::size_t line_end = text.line_end(position);
    caret.position = line_end < text.char_count() ? line_end + 1 : line_end;
    caret.anchor = anchor;
    caret.goal_column.reset();
}

std::vector<Caret> carets_added_vertical(const linecraft::TextLine& text,
                                         const std::vector<Caret>& carets, int delta) {
    std::vector<Caret> added;
    const std::size_t lines = text.line_count();
    for (const Caret& caret : carets) {
        const std::size_t line = text.line_of(caret.position);
        const std::size_t goal = caret.goal_column.value_or(text.column_of(caret.position));
        if ((delta < 0 && line == 0) || (delta > 0 && line + 1 >= lines)) continue;
        const std::size_t target = delta < 0 ? line - 1 : line + 1;
        const std::size_t column = std::min(goal, text.line_length(target));
        added.push_back(Caret{text.position_of(target, column), std::nullopt, goal, false});
    }
    return added;
}

}  // namespace quarn::core
