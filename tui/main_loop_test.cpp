#include "tui/main_loop.hpp"

#include <gtest/gtest.h>

#include "tui/editing.hpp"

namespace quarn::tui {
namespace {

using term::KeyCode;
using term::KeyEvent;
using term::Modifiers;

KeyEvent chr(char32_t ch, Modifiers mods = {}) {
    return KeyEvent{.code = KeyCode::Char, .ch = ch, .mods = mods};
}
KeyEvent key(KeyCode code, Modifiers mods = {}) { return KeyEvent{.code = code, .mods = mods}; }
constexpr Modifiers ctrl{.ctrl = true};
constexpr Modifiers ctrl_shift{.shift = true, .ctrl = true};

App three_tabs() {
    App app = App::create({});
    new_tab(app);
    new_tab(app);
    app.current = 0;
    return app;
}

TEST(RouteEvent, CancellingTheCloseQuestionStopsQuitting) {
    App app = three_tabs();
    insert_text_all(app.tabs[0], "draft", EditKind::Typing);
    route_event(app, chr(U'q', ctrl), Hits{});
    EXPECT_TRUE(app.quitting);
    EXPECT_TRUE(app.tabs[0].confirm_close);
    route_event(app, key(KeyCode::Esc), Hits{});
    EXPECT_FALSE(app.quitting);
    EXPECT_FALSE(app.tabs[0].confirm_close);
    EXPECT_EQ(app.tabs.size(), 3u);
}

TEST(RouteEvent, ApplicationKeysActWhateverTheTabShows) {
    App app = three_tabs();
    app.tabs[0].prompt = InputPrompt{.kind = PromptKind::Find};
    route_event(app, chr(U'T', ctrl), Hits{});  // upper-case letters count too
    ASSERT_EQ(app.tabs.size(), 4u);
    EXPECT_EQ(app.current, 1u);
    EXPECT_TRUE(app.tabs[0].prompt.has_value());
    EXPECT_FALSE(app.tabs[1].prompt.has_value());

    route_event(app, key(KeyCode::PageUp, ctrl_shift), Hits{});
    EXPECT_EQ(app.current, 0u);
    EXPECT_TRUE(app.tabs[1].prompt.has_value());  // the Find tab moved one place right
    route_event(app, key(KeyCode::PageUp, ctrl), Hits{});
    EXPECT_EQ(app.current, 3u);
}

TEST(RouteEvent, AltZTogglesWrappingInEveryTab) {
    App app = three_tabs();
    route_event(app, chr(U'z', Modifiers{.alt = true}), Hits{});
    EXPECT_FALSE(app.options.soft_wrap);
    for (const Editor& editor : app.tabs) EXPECT_FALSE(editor.soft_wrap);
}

TEST(RouteEvent, ClickOnATabMakesItCurrent) {
    App app = three_tabs();
    Hits hits;
    hits.tab_hits = {{toolkit::Rect{0, 1, 10, 1}, 0}, {toolkit::Rect{10, 1, 10, 1}, 1}};
    route_event(app,
                term::MouseEvent{.kind = term::MouseKind::Press,
                                 .button = term::MouseButton::Left,
                                 .column = 12,
                                 .row = 1},
                hits);
    EXPECT_EQ(app.current, 1u);
}

}  // namespace
}  // namespace quarn::tui
