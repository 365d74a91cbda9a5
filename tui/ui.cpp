#include "tui/ui.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "core/wrap.hpp"
#include "toolkit/layout.hpp"
#include "toolkit/widgets.hpp"
#include "tui/movement.hpp"
#include "tui/overlay.hpp"
#include "tui/rows_view.hpp"

namespace quarn::tui {
namespace {

using toolkit::Buffer;
using toolkit::Constraint;
using toolkit::Direction;
using toolkit::Frame;
using toolkit::Length;
using toolkit::Min;
using toolkit::Palette;
using toolkit::Rect;
using toolkit::Style;
using toolkit::to_u16;

constexpr std::array<std::string_view, 3> menu_titles = {" File ", " Search ", " Options "};

struct Layout {
    Rect menu_bar;
    std::optional<Rect> tab_bar;
    Rect body;
    Rect gutter;
    Rect text_area;
    Rect status_row;
    Rect hint_row;
};

[[nodiscard]] std::size_t decimal_digits(std::size_t n) {
    std::size_t digits = 1;
    for (; n >= 10; n /= 10) ++digits;
    return digits;
}

[[nodiscard]] Layout lay_out(Rect area, bool with_tab_bar, std::size_t digits) {
    Layout layout;
    constexpr Constraint bar_and_rest[] = {Length{1}, Min{1}};
    std::vector<Rect> parts = toolkit::split(area, Direction::Vertical, bar_and_rest);
    layout.menu_bar = parts[0];
    Rect rest = parts[1];
    if (with_tab_bar) {
        parts = toolkit::split(rest, Direction::Vertical, bar_and_rest);
        layout.tab_bar = parts[0];
        rest = parts[1];
    }
    constexpr Constraint body_status_hint[] = {Min{1}, Length{1}, Length{1}};
    parts = toolkit::split(rest, Direction::Vertical, body_status_hint);
    layout.status_row = parts[1];
    layout.hint_row = parts[2];
    layout.body = parts[0];
    const Constraint gutter_and_text[] = {Length{to_u16(digits + 1)}, Min{1}};
    parts = toolkit::split(layout.body, Direction::Horizontal, gutter_and_text);
    layout.gutter = parts[0];
    layout.text_area = parts[1];
    return layout;
}

// The decorations of the characters that the visible rows can show. Carets are sorted and free of
// overlaps, so their starts and ends both ascend: a binary search finds the first caret that
// reaches the window, and the walk stops at the first one past it.
[[nodiscard]] Decorations collect_decorations(const Editor& editor,
                                              const std::vector<core::Row>& rows,
                                              std::size_t top_row, std::size_t height) {
    Decorations decorations;
    if (top_row >= rows.size() || height == 0) return decorations;
    const linecraft::TextLine& text = editor.text();
    const core::Row& top = rows[top_row];
    const core::Row& bottom = rows[std::min(rows.size(), top_row + height) - 1];
    const std::size_t first = text.position_of(top.line, 0) + top.start;
    // The caret after the bottom row's last character still shows on that row.
    const std::size_t last = text.position_of(bottom.line, 0) + bottom.end;

    const std::size_t primary = editor.primary_caret();
    const auto begin = std::partition_point(editor.carets.begin(), editor.carets.end(),
                                            [first](const Caret& c) { return c.end() < first; });
    for (auto it = begin; it != editor.carets.end() && it->start() <= last; ++it) {
        if (static_cast<std::size_t>(it - editor.carets.begin()) != primary) {
            decorations.secondary_carets.push_back(it->position);
        }
        if (auto selection = it->selection()) decorations.selections.push_back(*selection);
    }
    // Sorted again so that a list left unsorted (carets between undo and normalisation) only
    // looks wrong for a frame instead of breaking the lookups.
    std::sort(decorations.secondary_carets.begin(), decorations.secondary_carets.end());
    std::sort(decorations.selections.begin(), decorations.selections.end());
    // Search highlights, the bracket pair and syntax spans join here as those features arrive;
    // until then a frame shows none of them.
    return decorations;
}

// Text, gutter and cursor of the current tab.
void draw_text(Frame& frame, Editor& editor, const Layout& layout, std::size_t digits) {
    const Rect area = layout.text_area;
    const std::vector<core::Row>& rows = tui::rows(editor);
    const linecraft::TextLine& text = editor.text();
    const std::size_t position = editor.primary_position();
    const std::size_t line = text.line_of(position);
    const std::size_t column = text.column_of(position);

    const Decorations decorations = collect_decorations(editor, rows, editor.top_row, area.height);
    const RowRenderer renderer{text, decorations, line, digits, editor.left_column, area.width};
    RowRenderer::Body body = renderer.body(rows, editor.top_row, area.height);
    toolkit::render(frame.buffer(), layout.gutter,
                    toolkit::Paragraph{.lines = std::move(body.gutter),
                                       .style = Style{.fg = Palette::DarkGray}});
    toolkit::render(frame.buffer(), area, toolkit::Paragraph{.lines = std::move(body.text)});

    const auto [row, row_column] = core::locate(rows, line, column);
    if (row >= editor.top_row && row - editor.top_row < area.height &&
        row_column >= editor.left_column && row_column - editor.left_column < area.width) {
        frame.set_cursor(to_u16(area.x + row_column - editor.left_column),
                         to_u16(area.y + row - editor.top_row));
    }
}

void draw_bar_text(Buffer& buffer, Rect row, std::string_view text, Style style) {
    toolkit::render(
        buffer, row,
        toolkit::Paragraph{.lines = {{toolkit::Span{std::string(text), Style{}}}}, .style = style});
}

// TODO: the completion popup is drawn here once word completion fills `editor.completion`;
// until then it is never visible.
void draw_completion(Frame&, Editor&) {}
// TODO: the prompt box (which takes over the cursor) is drawn here once prompts have their view.
void draw_prompt(Frame&, Editor&) {}
// TODO: the help box is drawn here, clamping `help_scroll`, once the help screen exists.
void draw_help(Frame&, Editor&, Rect /*body*/) {}
// TODO: the drop-down is drawn here, appending its entries to `menu_hits`, once the menus have
// their entries.
void draw_drop_down(Frame&, const Menu&, Rect /*menu_bar*/, Hits&) {}

void draw_tab_bar(Buffer& buffer, Rect bar, const std::vector<std::string>& labels,
                  std::size_t current, Hits& hits) {
    std::uint16_t x = bar.x;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Style style = i == current ? Style{.fg = Palette::Black, .bg = Palette::Yellow}
                                         : Style{.fg = Palette::White, .bg = Palette::DarkGray};
        // The bar never scrolls: a run is cut at the right edge and later runs get no width.
        std::uint16_t width = 0;
        if (!bar.empty() && x < bar.right()) {
            width = buffer.set_string(x, bar.y, " " + labels[i] + " ", style,
                                      toolkit::saturating_sub(bar.right(), x));
        }
        hits.tab_hits.emplace_back(Rect{x, bar.y, width, 1}, i);
        x = toolkit::saturating_add(x, width);
    }
}

void draw_menu_bar(Buffer& buffer, Rect bar, const Menu& menu, Hits& hits) {
    buffer.set_style(bar, Style{.bg = bar_grey});
    std::uint16_t x = bar.x;
    for (std::size_t i = 0; i < menu_titles.size(); ++i) {
        const std::string_view title = menu_titles[i];
        if (!bar.empty()) {
            (void)buffer.set_string(x, bar.y, title,
                                    Style{}.with_reverse(menu.open && menu.menu == i),
                                    toolkit::saturating_sub(bar.right(), x));  // cut at the edge
        }
        const std::uint16_t width = to_u16(title.size());  // the titles are ASCII
        hits.menu_hits.emplace_back(Rect{x, bar.y, width, 1}, MenuTitle{i});
        x = toolkit::saturating_add(x, width);
    }
}

}  // namespace

Hits render(Frame& frame, Editor& editor, const std::vector<std::string>& tab_labels,
            std::size_t current_tab, const Menu& menu) {
    Hits hits;
    Buffer& buffer = frame.buffer();
    const std::size_t digits = decimal_digits(editor.text().line_count());
    const Layout layout = lay_out(frame.area(), tab_labels.size() > 1, digits);

    set_viewport(editor, layout.text_area.width, layout.text_area.height);
    editor.text_area = layout.text_area;
    draw_text(frame, editor, layout, digits);

    draw_bar_text(buffer, layout.status_row,
                  editor.status ? *editor.status : editor.document.title("quarn"),
                  Style{.fg = Palette::Black, .bg = Palette::Gray});
    draw_completion(frame, editor);
    draw_overlay(frame, editor);
    draw_prompt(frame, editor);
    draw_help(frame, editor, layout.body);
    draw_bar_text(buffer, layout.hint_row, hint_text,
                  Style{.fg = Palette::DarkGray, .bg = Palette::Black});
    if (layout.tab_bar) draw_tab_bar(buffer, *layout.tab_bar, tab_labels, current_tab, hits);
    draw_menu_bar(buffer, layout.menu_bar, menu, hits);
    draw_drop_down(frame, menu, layout.menu_bar, hits);
    return hits;
}

}  // namespace quarn::tui
