#include "tui/app.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tui/overlay.hpp"

namespace quarn::tui {
namespace {

using linecraft::TextLine;

term::KeyEvent key_of(term::KeyCode code, char32_t ch = 0) {
    term::KeyEvent key;
    key.code = code;
    key.ch = ch;
    return key;
}

// An untitled tab holding `text`, clean: its text is its first snapshot.
Editor tab_with(std::string_view text) {
    Editor editor = Editor::create(std::nullopt);
    editor.document.adopt(core::PlainText{.text = TextLine::from_string(std::string(text))});
    return editor;
}

App app_with(const std::vector<std::string>& texts, std::size_t current) {
    App app;
    for (const std::string& text : texts) app.tabs.push_back(tab_with(text));
    app.current = current;
    return app;
}

std::vector<std::string> texts(const std::vector<Editor>& tabs) {
    std::vector<std::string> out;
    for (const Editor& editor : tabs) out.push_back(editor.text().to_string());
    return out;
}

void close_current(App& app) {
    request_close(app);
    finish_close(app);
}

struct TabCase {
    std::string_view name;
    std::vector<std::string> tabs;
    std::size_t current;
    std::function<void(App&)> command;
    std::vector<std::string> expected;
    std::size_t expected_current;
};

// Tabs are named by their text; a new tab is the empty one.
const TabCase tab_cases[] = {
    {"NewTabGoesRightAfterTheCurrent", {"A", "B", "C"}, 1, new_tab, {"A", "B", "", "C"}, 2},
    {"NextOnTheLastWraps", {"A", "B", "C"}, 2, next_tab, {"A", "B", "C"}, 0},
    {"PreviousOnTheFirstWraps", {"A", "B", "C"}, 0, previous_tab, {"A", "B", "C"}, 2},
    {"MoveLeftOnTheFirstWrapsToTheEnd", {"A", "B", "C"}, 0, move_tab_left, {"B", "C", "A"}, 2},
    {"MoveRightOnTheLastWrapsToTheFront", {"A", "B", "C"}, 2, move_tab_right, {"C", "A", "B"}, 0},
    {"MoveLeftInTheMiddle", {"A", "B", "C"}, 1, move_tab_left, {"B", "A", "C"}, 0},
    {"MoveAloneDoesNothing", {"A"}, 0, move_tab_right, {"A"}, 0},
    {"ClosingTheLastOfFourMakesTheThirdCurrent",
     {"A", "B", "C", "D"},
     3,
     close_current,
     {"A", "B", "C"},
     2},
    {"ClosingTheFirstMakesTheNewFirstCurrent", {"A", "B", "C"}, 0, close_current, {"B", "C"}, 0},
    {"ClosingInTheMiddleMakesTheFollowingCurrent",
     {"A", "B", "C"},
     1,
     close_current,
     {"A", "C"},
     1},
    {"ReopenWithNothingClosedDoesNothing", {"A", "B"}, 0, reopen_tab, {"A", "B"}, 0},
};

TEST(AppTabs, CommandsPlaceTabsAndTheCurrentOne) {
    for (const TabCase& c : tab_cases) {
        SCOPED_TRACE(c.name);
        App app = app_with(c.tabs, c.current);
        c.command(app);
        EXPECT_EQ(texts(app.tabs), c.expected);
        EXPECT_EQ(app.current, c.expected_current);
    }
}

TEST(AppTabs, ReopenBringsBackTextAndUndoHistoryRightAfterTheCurrent) {
    App app = app_with({"A", "B", "C"}, 1);
    Editor& b = app.tab();
    b.document.content().text = TextLine::from_string("B edited");
    b.document.mark_pending();
    b.document.commit();
    b.carets = {core::primary_caret_at(3)};
    request_close(app);
    ASSERT_TRUE(app.tab().confirm_close);  // unsaved: asked first
    handle_overlay_key(app.tab(), key_of(term::KeyCode::Char, U'd'));
    finish_close(app);
    EXPECT_EQ(texts(app.tabs), (std::vector<std::string>{"A", "C"}));

    app.current = 1;
    app.options.tab_width = 8;
    reopen_tab(app);
    EXPECT_EQ(texts(app.tabs), (std::vector<std::string>{"A", "C", "B edited"}));
    EXPECT_EQ(app.current, 2u);
    Editor& reopened = app.tab();
    EXPECT_FALSE(reopened.close_requested);
    EXPECT_FALSE(reopened.confirm_close);
    EXPECT_EQ(reopened.tab_width, 8u);
    EXPECT_EQ(reopened.carets, std::vector<Caret>{core::primary_caret_at(3)});
    EXPECT_TRUE(reopened.document.undo());
    EXPECT_EQ(reopened.text().to_string(), "B");
    EXPECT_TRUE(app.closed_tabs.empty());
}

TEST(AppTabs, AnUntitledEmptyTabIsDroppedOthersAreKept) {
    App app = app_with({"", "text"}, 0);
    close_current(app);
    EXPECT_TRUE(app.closed_tabs.empty());
    close_current(app);
    EXPECT_TRUE(app.tabs.empty());
    EXPECT_EQ(texts(app.closed_tabs), std::vector<std::string>{"text"});
}

// The main loop's order: the pending quit asks the current tab, a key arrives, the marked tab
// goes.
void pass(App& app, std::optional<term::KeyEvent> key) {
    if (app.quitting && !shows_overlay(app.tab())) request_close(app);
    if (key) handle_overlay_key(app.tab(), *key);
    finish_close(app);
}

TEST(AppQuit, StopsAtTheFirstUnsavedTabAndCancelKeepsTheRest) {
    App app = app_with({"A", "B", "C"}, 0);
    app.tabs[1].document.mark_pending();
    start_quit(app);
    finish_close(app);
    EXPECT_EQ(texts(app.tabs), (std::vector<std::string>{"B", "C"}));
    pass(app, std::nullopt);
    EXPECT_TRUE(app.tab().confirm_close);
    pass(app, std::nullopt);  // the question stays; nothing else closes meanwhile
    EXPECT_EQ(texts(app.tabs), (std::vector<std::string>{"B", "C"}));
    pass(app, key_of(term::KeyCode::Esc));
    EXPECT_EQ(texts(app.tabs), (std::vector<std::string>{"B", "C"}));
    EXPECT_FALSE(shows_overlay(app.tab()));
    EXPECT_FALSE(app.tab().close_requested);
}

TEST(AppQuit, DiscardingGoesOnToTheNextTab) {
    App app = app_with({"A", "B"}, 0);
    app.tabs[0].document.mark_pending();
    start_quit(app);
    pass(app, key_of(term::KeyCode::Char, U'd'));
    pass(app, std::nullopt);
    EXPECT_TRUE(app.tabs.empty());
}

}  // namespace
}  // namespace quarn::tui
