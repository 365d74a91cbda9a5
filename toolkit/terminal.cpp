#include "toolkit/terminal.hpp"

#include <utility>

namespace quarn::toolkit {

namespace {

Rect full(Size size) { return Rect{0, 0, size.columns, size.rows}; }

}  // namespace

TestBackend::TestBackend(Size size) : screen_(full(size)) {}

std::expected<Size, std::error_code> TestBackend::size() {
    if (fail) return std::unexpected(*fail);
    return Size{screen_.area().width, screen_.area().height};
}

std::expected<void, std::error_code> TestBackend::draw(std::span<const CellUpdate> cells) {
    if (fail) return std::unexpected(*fail);
    for (const CellUpdate& update : cells) {
        if (screen_.area().contains(update.x, update.y))
            screen_.cell(update.x, update.y) = update.cell;
    }
    cells_drawn += cells.size();
    last_draw_cells = cells.size();
    return {};
}

std::expected<void, std::error_code> TestBackend::hide_cursor() {
    if (fail) return std::unexpected(*fail);
    cursor_visible = false;
    return {};
}

std::expected<void, std::error_code> TestBackend::show_cursor() {
    if (fail) return std::unexpected(*fail);
    cursor_visible = true;
    return {};
}

std::expected<void, std::error_code> TestBackend::set_cursor(std::uint16_t x, std::uint16_t y) {
    if (fail) return std::unexpected(*fail);
    cursor = Position{x, y};
    return {};
}

std::expected<void, std::error_code> TestBackend::clear() {
    if (fail) return std::unexpected(*fail);
    screen_.reset();
    ++clears;
    return {};
}

std::expected<void, std::error_code> TestBackend::flush() {
    if (fail) return std::unexpected(*fail);
    ++flushes;
    return {};
}

void TestBackend::resize(Size size) {
    Buffer resized(full(size));
    const Rect kept = intersection(resized.area(), screen_.area());
    for (std::uint16_t y = kept.y; y < kept.bottom(); ++y) {
        for (std::uint16_t x = kept.x; x < kept.right(); ++x)
            resized.cell(x, y) = screen_.cell(x, y);
    }
    screen_ = std::move(resized);
}

std::expected<Terminal, std::error_code> Terminal::create(std::unique_ptr<Backend> backend) {
    auto size = backend->size();
    if (!size) return std::unexpected(size.error());
    return Terminal(std::move(backend), *size);
}

Terminal::Terminal(std::unique_ptr<Backend> backend, Size size)
    : backend_(std::move(backend)), size_(size), previous_(full(size)), current_(full(size)) {}

Terminal::~Terminal() {
    if (!backend_ || !cursor_hidden_) return;
    // Nothing is left to report a failure to: the terminal is going away either way.
    if (backend_->show_cursor()) (void)backend_->flush();
}

std::expected<void, std::error_code> Terminal::begin_frame() {
    auto size = backend_->size();
    if (!size) return std::unexpected(size.error());
    if (*size != size_) {
        size_ = *size;
        previous_.resize(full(size_));
        current_.resize(full(size_));
        screen_known_ = false;
    }
    if (!screen_known_) {
        // After a clear the screen is blank, which is what a fresh previous buffer holds: the
        // diff then sends every cell that is not blank, that is a full redraw.
        if (auto cleared = backend_->clear(); !cleared) return std::unexpected(cleared.error());
        previous_.reset();
        screen_known_ = true;
    }
    current_.reset();
    return {};
}

std::expected<void, std::error_code> Terminal::end_frame(std::optional<Position> cursor) {
    diff(previous_, current_, updates_);
    // Until this frame is out completely the screen may show anything.
    screen_known_ = false;
    if (auto drawn = backend_->draw(updates_); !drawn) return std::unexpected(drawn.error());
    if (cursor) {
        if (auto placed = backend_->set_cursor(cursor->x, cursor->y); !placed)
            return std::unexpected(placed.error());
        if (cursor_hidden_) {
            if (auto shown = backend_->show_cursor(); !shown) return std::unexpected(shown.error());
            cursor_hidden_ = false;
        }
    } else if (!cursor_hidden_) {
        if (auto hidden = backend_->hide_cursor(); !hidden) return std::unexpected(hidden.error());
        cursor_hidden_ = true;
    }
    if (auto flushed = backend_->flush(); !flushed) return std::unexpected(flushed.error());
    std::swap(previous_, current_);
    screen_known_ = true;
    return {};
}

}  // namespace quarn::toolkit
