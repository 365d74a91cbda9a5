#include "toolkit/terminal.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/test_print.hpp"
#include "toolkit/widgets.hpp"

namespace quarn::toolkit {
namespace {

using Rows = std::vector<std::string>;

// A terminal over a TestBackend, with the backend still in reach.
struct Fixture {
    TestBackend* backend;
    Terminal terminal;
};

Fixture make(Size size) {
    auto owned = std::make_unique<TestBackend>(size);
    TestBackend* backend = owned.get();
    auto terminal = Terminal::create(std::move(owned));
    EXPECT_TRUE(terminal.has_value());
    return Fixture{backend, std::move(*terminal)};
}

void text_at(Frame& frame, std::uint16_t x, std::uint16_t y, std::string_view text) {
    (void)frame.buffer().set_string(x, y, text, Style{});
}

TEST(Terminal, FirstFrameClearsThenSendsOnlyNonBlankCells) {
    Fixture f = make(Size{5, 2});
    ASSERT_TRUE(f.terminal.draw([](Frame& frame) { text_at(frame, 1, 1, "hi"); }));
    EXPECT_EQ(f.backend->clears, 1u);
    EXPECT_EQ(f.backend->last_draw_cells, 2u);
    EXPECT_EQ(f.backend->rows(), (Rows{"     ", " hi  "}));
    EXPECT_EQ(f.backend->flushes, 1u);
}

TEST(Terminal, LaterFramesSendOnlyTheDifference) {
    Fixture f = make(Size{6, 2});
    ASSERT_TRUE(f.terminal.draw([](Frame& frame) { text_at(frame, 0, 0, "abc"); }));
    ASSERT_TRUE(f.terminal.draw([](Frame& frame) { text_at(frame, 0, 0, "abc"); }));
    EXPECT_EQ(f.backend->last_draw_cells, 0u);
    // "abc" -> "aXc" plus a style change on "c": two cells; nothing of the old frame survives
    // in the new buffer, so the untouched second row stays blank and is not sent.
    ASSERT_TRUE(f.terminal.draw([](Frame& frame) {
        text_at(frame, 0, 0, "aX");
        (void)frame.buffer().set_string(2, 0, "c", Style{.fg = Palette::Red});
    }));
    EXPECT_EQ(f.backend->last_draw_cells, 2u);
    // Cells that disappear are sent as blanks.
    ASSERT_TRUE(f.terminal.draw([](Frame&) {}));
    EXPECT_EQ(f.backend->last_draw_cells, 3u);
    EXPECT_EQ(f.backend->rows(), (Rows{"      ", "      "}));
    EXPECT_EQ(f.backend->clears, 1u);
}

TEST(Terminal, SizeChangeClearsAndRedrawsEverything) {
    Fixture f = make(Size{4, 1});
    const auto draw = [](Frame& frame) {
        render(frame.buffer(), frame.area(), Block{.title = "T"});
    };
    ASSERT_TRUE(f.terminal.draw(draw));
    f.backend->resize(Size{5, 3});
    ASSERT_TRUE(f.terminal.draw(draw));
    EXPECT_EQ(f.terminal.size(), (Size{5, 3}));
    EXPECT_EQ(f.backend->clears, 2u);
    EXPECT_EQ(f.backend->rows(), (Rows{"┌T──┐", "│   │", "└───┘"}));
    EXPECT_EQ(f.backend->last_draw_cells, 12u);
}

TEST(Terminal, CursorHiddenUnlessSet) {
    auto owned = std::make_unique<TestBackend>(Size{10, 3});
    TestBackend* backend = owned.get();
    {
        auto terminal = Terminal::create(std::move(owned));
        ASSERT_TRUE(terminal);
        ASSERT_TRUE(terminal->draw([](Frame& frame) { frame.set_cursor(4, 2); }));
        EXPECT_TRUE(backend->cursor_visible);
        EXPECT_EQ(backend->cursor, (Position{4, 2}));
        ASSERT_TRUE(terminal->draw([](Frame&) {}));
        EXPECT_FALSE(backend->cursor_visible);
        ASSERT_TRUE(terminal->draw([](Frame& frame) { frame.set_cursor(1, 0); }));
        EXPECT_TRUE(backend->cursor_visible);
        EXPECT_EQ(backend->cursor, (Position{1, 0}));
        ASSERT_TRUE(terminal->draw([](Frame&) {}));
        EXPECT_FALSE(backend->cursor_visible);
    }
}

// Passes every call to a TestBackend that outlives the terminal; can fail draw() alone.
class ForwardingBackend final : public Backend {
public:
    explicit ForwardingBackend(TestBackend& target) : target_(target) {}
    std::expected<Size, std::error_code> size() override { return target_.size(); }
    std::expected<void, std::error_code> draw(std::span<const CellUpdate> cells) override {
        if (draw_failure) return std::unexpected(*draw_failure);
        return target_.draw(cells);
    }
    std::optional<std::error_code> draw_failure;

    std::expected<void, std::error_code> hide_cursor() override { return target_.hide_cursor(); }
    std::expected<void, std::error_code> show_cursor() override { return target_.show_cursor(); }
    std::expected<void, std::error_code> set_cursor(std::uint16_t x, std::uint16_t y) override {
        return target_.set_cursor(x, y);
    }
    std::expected<void, std::error_code> clear() override { return target_.clear(); }
    std::expected<void, std::error_code> flush() override { return target_.flush(); }

private:
    TestBackend& target_;
};

TEST(Terminal, DestructionShowsTheCursorItHid) {
    TestBackend screen(Size{3, 1});
    {
        auto terminal = Terminal::create(std::make_unique<ForwardingBackend>(screen));
        ASSERT_TRUE(terminal);
        ASSERT_TRUE(terminal->draw([](Frame&) {}));
        EXPECT_FALSE(screen.cursor_visible);
        Terminal moved = std::move(*terminal);  // the moved-from terminal must do nothing
    }
    EXPECT_TRUE(screen.cursor_visible);
    EXPECT_EQ(screen.flushes, 2u);
}

TEST(Terminal, FailuresAreReportedAndForceAFullRedraw) {
    auto owned = std::make_unique<TestBackend>(Size{3, 1});
    owned->fail = std::make_error_code(std::errc::io_error);
    EXPECT_EQ(Terminal::create(std::move(owned)).error(), std::errc::io_error);

    TestBackend screen(Size{3, 1});
    auto forwarding = std::make_unique<ForwardingBackend>(screen);
    ForwardingBackend* backend = forwarding.get();
    auto terminal = Terminal::create(std::move(forwarding));
    ASSERT_TRUE(terminal);
    const auto draw = [](Frame& frame) { text_at(frame, 0, 0, "abc"); };
    ASSERT_TRUE(terminal->draw(draw));

    screen.fail = std::make_error_code(std::errc::broken_pipe);
    bool called = false;
    const auto failed_size = terminal->draw([&](Frame&) { called = true; });
    ASSERT_FALSE(failed_size);
    EXPECT_EQ(failed_size.error(), std::errc::broken_pipe);
    EXPECT_FALSE(called);
    screen.fail.reset();

    backend->draw_failure = std::make_error_code(std::errc::no_space_on_device);
    const auto failed_draw = terminal->draw([](Frame& frame) { text_at(frame, 0, 0, "xyz"); });
    ASSERT_FALSE(failed_draw);
    EXPECT_EQ(failed_draw.error(), std::errc::no_space_on_device);
    backend->draw_failure.reset();
    // Half a frame may have reached the screen: the next one clears and draws every cell.
    ASSERT_TRUE(terminal->draw(draw));
    EXPECT_EQ(screen.clears, 2u);
    EXPECT_EQ(screen.last_draw_cells, 3u);
    EXPECT_EQ(screen.rows(), (Rows{"abc"}));
}

}  // namespace
}  // namespace quarn::toolkit
