#include "toolkit/widgets.hpp"

namespace quarn::toolkit {

void clear(Buffer& buffer, Rect area) { buffer.fill(area, Cell{}); }

void render(Buffer& buffer, Rect area, const Block& block) {
    const Rect box = intersection(area, buffer.area());
    if (box.empty()) return;
    buffer.set_style(box, block.style);
    // Borders are placed from the unclipped area, so a box cut by the screen edge loses its
    // cut-off sides instead of growing new ones at the edge.
    const std::uint16_t last_column = saturating_sub(area.right(), 1);
    const std::uint16_t last_row = saturating_sub(area.bottom(), 1);
    const auto put = [&](std::uint16_t x, std::uint16_t y, char32_t symbol) {
        if (!box.contains(x, y)) return;
        Cell& cell = buffer.cell(x, y);
        cell.symbol = symbol;
        cell.style = patch(cell.style, block.border_style);
    };
    for (std::uint16_t x = box.x; x < box.right(); ++x) {
        put(x, area.y, U'─');
        put(x, last_row, U'─');
    }
    for (std::uint16_t y = box.y; y < box.bottom(); ++y) {
        put(area.x, y, U'│');
        put(last_column, y, U'│');
    }
    put(area.x, area.y, U'┌');
    put(last_column, area.y, U'┐');
    put(area.x, last_row, U'└');
    put(last_column, last_row, U'┘');
    if (!block.title.empty() && area.width > 2) {
        (void)buffer.set_string(saturating_add(area.x, 1), area.y, block.title, block.border_style,
                                static_cast<std::uint16_t>(area.width - 2));
    }
}

void render(Buffer& buffer, Rect area, const Paragraph& paragraph) {
    const Rect clipped = intersection(area, buffer.area());
    if (clipped.empty()) return;
    buffer.set_style(clipped, paragraph.style);
    for (std::uint16_t row = 0; row < area.height; ++row) {
        const std::size_t line_index = std::size_t{paragraph.scroll} + row;
        if (line_index >= paragraph.lines.size()) break;
        const std::uint16_t y = saturating_add(area.y, row);
        if (y >= clipped.bottom()) break;
        std::uint16_t x = area.x;
        std::uint16_t room = area.width;
        for (const Span& span : paragraph.lines[line_index]) {
            if (room == 0) break;
            const std::uint16_t used = buffer.set_string(x, y, span.text, span.style, room);
            if (used == 0 && !span.text.empty()) break;  // past the buffer's right edge
            x = saturating_add(x, used);
            room = saturating_sub(room, used);
        }
    }
}

}  // namespace quarn::toolkit
