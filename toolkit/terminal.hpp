#pragma once
// A full-screen terminal drawn through two buffers: each frame is painted into a fresh buffer,
// compared with the previous one, and only the changed cells go to the Backend. Invariant between
// frames: the previous buffer holds exactly what the screen shows (after a size change, a backend
// failure or on the first frame the screen is cleared first, so that it holds again).

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "toolkit/buffer.hpp"
#include "toolkit/rect.hpp"

namespace quarn::toolkit {

// Where frames go. Every call may buffer its output until flush().
class Backend {
public:
    virtual ~Backend() = default;
    [[nodiscard]] virtual std::expected<Size, std::error_code> size() = 0;
    // Paints the cells at their positions; afterwards the cursor position is unspecified.
    [[nodiscard]] virtual std::expected<void, std::error_code> draw(
        std::span<const CellUpdate> cells) = 0;
    [[nodiscard]] virtual std::expected<void, std::error_code> hide_cursor() = 0;
    [[nodiscard]] virtual std::expected<void, std::error_code> show_cursor() = 0;
    [[nodiscard]] virtual std::expected<void, std::error_code> set_cursor(std::uint16_t x,
                                                                          std::uint16_t y) = 0;
    // Every cell blank with default colours.
    [[nodiscard]] virtual std::expected<void, std::error_code> clear() = 0;
    [[nodiscard]] virtual std::expected<void, std::error_code> flush() = 0;
};

// A Backend that keeps the screen in a Buffer, for tests. `fail` makes every call fail with it.
class TestBackend final : public Backend {
public:
    explicit TestBackend(Size size);

    [[nodiscard]] std::expected<Size, std::error_code> size() override;
    [[nodiscard]] std::expected<void, std::error_code> draw(
        std::span<const CellUpdate> cells) override;
    [[nodiscard]] std::expected<void, std::error_code> hide_cursor() override;
    [[nodiscard]] std::expected<void, std::error_code> show_cursor() override;
    [[nodiscard]] std::expected<void, std::error_code> set_cursor(std::uint16_t x,
                                                                  std::uint16_t y) override;
    [[nodiscard]] std::expected<void, std::error_code> clear() override;
    [[nodiscard]] std::expected<void, std::error_code> flush() override;

    // The terminal window changes size: the screen content is kept where it still fits.
    void resize(Size size);

    [[nodiscard]] const Buffer& screen() const { return screen_; }
    [[nodiscard]] std::vector<std::string> rows() const { return to_rows(screen_); }

    Position cursor;
    bool cursor_visible = true;
    std::size_t cells_drawn = 0;      // over all draw() calls
    std::size_t last_draw_cells = 0;  // in the last draw() call
    std::size_t clears = 0;
    std::size_t flushes = 0;
    std::optional<std::error_code> fail;

private:
    Buffer screen_;
};

// What a drawing step gets: the whole screen area, its buffer and the cursor to show.
class Frame {
public:
    explicit Frame(Buffer& buffer) : buffer_(buffer) {}
    [[nodiscard]] Rect area() const { return buffer_.area(); }
    [[nodiscard]] Buffer& buffer() { return buffer_; }
    // Shows the terminal cursor at (x, y) after this frame; without a call it is hidden.
    void set_cursor(std::uint16_t x, std::uint16_t y) { cursor_ = Position{x, y}; }
    [[nodiscard]] std::optional<Position> cursor() const { return cursor_; }

private:
    Buffer& buffer_;
    std::optional<Position> cursor_;
};

class Terminal {
public:
    // Queries the size once: a backend that cannot tell it gives no terminal.
    [[nodiscard]] static std::expected<Terminal, std::error_code> create(
        std::unique_ptr<Backend> backend);
    Terminal(Terminal&&) noexcept = default;
    Terminal& operator=(Terminal&&) = delete;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    // Shows the cursor again if this terminal hid it (failures ignored: nothing is left to tell).
    ~Terminal();

    // One frame: queries the size (clearing the screen and drawing everything when it changed),
    // calls draw_step(Frame&) on a blank buffer of that size, sends the changed cells, places or
    // hides the cursor and flushes. Cost: linear in the screen area plus the draw step.
    template <class DrawStep>
    [[nodiscard]] std::expected<void, std::error_code> draw(DrawStep&& draw_step) {
        if (auto begun = begin_frame(); !begun) return std::unexpected(begun.error());
        Frame frame(current_);
        draw_step(frame);
        return end_frame(frame.cursor());
    }

    [[nodiscard]] Size size() const { return size_; }
    [[nodiscard]] Backend& backend() { return *backend_; }

private:
    Terminal(std::unique_ptr<Backend> backend, Size size);
    [[nodiscard]] std::expected<void, std::error_code> begin_frame();
    [[nodiscard]] std::expected<void, std::error_code> end_frame(std::optional<Position> cursor);

    std::unique_ptr<Backend> backend_;  // null only in a moved-from terminal
    Size size_;
    bool screen_known_ = false;  // the previous buffer matches the screen
    bool cursor_hidden_ = false;
    Buffer previous_;
    Buffer current_;
    std::vector<CellUpdate> updates_;  // reused from frame to frame
};

}  // namespace quarn::toolkit
