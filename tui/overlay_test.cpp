#include "tui/overlay.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "toolkit/buffer.hpp"
#include "tui/temp_dir.hpp"

namespace quarn::tui {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using term::KeyCode;
using term::KeyEvent;
using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

const Clock::time_point t0 = Clock::time_point{} + std::chrono::hours(1);

KeyEvent key_of(KeyCode code, char32_t c = 0, term::Modifiers mods = {}) {
    KeyEvent key;
    key.code = code;
    key.ch = c;
    key.mods = mods;
    return key;
}
KeyEvent ch(char32_t c, term::Modifiers mods = {}) { return key_of(KeyCode::Char, c, mods); }
const KeyEvent esc = key_of(KeyCode::Esc);

// A tab on `path` (or untitled) with an uncommitted change, asking whether to close unsaved.
Editor asking(std::optional<fs::path> path) {
    Editor editor = Editor::create(std::move(path));
    editor.document.content().text = linecraft::TextLine::from_string("edited");
    editor.document.mark_pending();
    request_close(editor);
    return editor;
}

enum class Target { Writable, Unwritable, Untitled };

struct KeyCase {
    std::string_view name;
    Target target;
    KeyEvent key;
    bool still_asking;
    bool closes;
    std::optional<std::string> written;  // the file's bytes afterwards (Writable only)
};

const KeyCase close_unsaved_cases[] = {
    {"SaveWritesAndCloses", Target::Writable, ch(U's'), false, true, "edited"},
    {"UpperSaveToo", Target::Writable, ch(U'S'), false, true, "edited"},
    {"ModifiersAreIgnored", Target::Writable, ch(U's', {.ctrl = true}), false, true, "edited"},
    {"FailedSaveKeepsTheTabOpen", Target::Unwritable, ch(U's'), false, false, {}},
    {"UntitledSaveGoesToSaveAsAndStaysOpen", Target::Untitled, ch(U's'), false, false, {}},
    {"DiscardClosesWithoutWriting", Target::Writable, ch(U'd'), false, true, "on disk"},
    {"UpperDiscardToo", Target::Writable, ch(U'D'), false, true, "on disk"},
    {"EscapeCancels", Target::Writable, esc, false, false, "on disk"},
    {"OtherCharacterIsIgnored", Target::Writable, ch(U'x'), true, false, "on disk"},
    {"EnterIsIgnored", Target::Writable, key_of(KeyCode::Enter), true, false, "on disk"},
    {"ArrowIsIgnored", Target::Writable, key_of(KeyCode::Down), true, false, "on disk"},
};

TEST(CloseUnsavedOverlay, AnswersByKey) {
    for (const KeyCase& c : close_unsaved_cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_bytes(dir / "a.txt", "on disk");
        write_bytes(dir / "file", "");
        std::optional<fs::path> path;
        switch (c.target) {
            case Target::Writable:
                path = dir / "a.txt";
                break;
            case Target::Unwritable:
                path = dir / "file" / "a.txt";
                break;
            case Target::Untitled:
                break;
        }
        Editor editor = asking(path);
        ASSERT_TRUE(editor.confirm_close);
        editor.disk_conflict = true;  // hidden behind the question; any answer closes it too
        handle_overlay_key(editor, c.key, t0);
        EXPECT_EQ(editor.confirm_close, c.still_asking);
        EXPECT_EQ(editor.disk_conflict, c.still_asking);
        EXPECT_EQ(editor.close_requested, c.closes);
        if (c.written) {
            EXPECT_EQ(read_bytes(dir / "a.txt"), c.written);
        }
        if (c.target == Target::Unwritable) {
            EXPECT_EQ(editor.status, "failed to save: " + std::generic_category().message(ENOTDIR));
        }
    }
}

TEST(CloseUnsavedOverlay, SaveReportsThePath) {
    TempDir dir;
    Editor editor = asking(dir / "new.txt");
    handle_overlay_key(editor, ch(U's'), t0);
    EXPECT_EQ(editor.status, "Saved " + (dir / "new.txt").string());
}

TEST(OverlayGuard, SwallowsKeysAndFlashesUntilQuietFor500Ms) {
    Editor editor = asking(std::nullopt);
    editor.overlay_since = t0;
    EXPECT_EQ(overlay(editor, t0)->tone, 0);

    handle_overlay_key(editor, ch(U'd'), t0 + milliseconds(400));
    EXPECT_TRUE(editor.confirm_close);
    EXPECT_FALSE(editor.close_requested);
    EXPECT_EQ(editor.overlay_since, t0 + milliseconds(400));
    EXPECT_EQ(editor.overlay_blocked_at, t0 + milliseconds(400));
    EXPECT_EQ(overlay(editor, t0 + milliseconds(699))->tone, 1);
    EXPECT_EQ(overlay(editor, t0 + milliseconds(700))->tone, 0);
    EXPECT_EQ(overlay(editor, t0 + milliseconds(900))->tone, 2);

    // The swallowed key restarted the guard: 800 ms is still within it.
    handle_overlay_key(editor, ch(U'd'), t0 + milliseconds(800));
    EXPECT_FALSE(editor.close_requested);
    handle_overlay_key(editor, ch(U'd'), t0 + milliseconds(1300));
    EXPECT_TRUE(editor.close_requested);
    EXPECT_FALSE(editor.overlay_since);
}

std::vector<std::string> labels(const OverlayView& view) {
    std::vector<std::string> out;
    for (const OverlayOption& option : view.options) {
        out.push_back("[" + key_label(option.key) + "] " + std::string(option.label));
    }
    return out;
}

TEST(OverlayView, TitleAndChoices) {
    Editor editor = asking(fs::path("dir/a.txt"));
    std::optional<OverlayView> view = overlay(editor, t0);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->title, "Unsaved changes \u2014 a.txt");
    EXPECT_EQ(labels(*view), (std::vector<std::string>{"[s] Save & close", "[d] Discard & close",
                                                       "[Esc] Cancel"}));
    EXPECT_EQ(view->tone, 2);

    editor.disk_conflict = true;  // the close question stays in front
    EXPECT_EQ(overlay(editor, t0)->title, "Unsaved changes \u2014 a.txt");
    editor.confirm_close = false;
    view = overlay(editor, t0);
    EXPECT_EQ(view->title, "File changed on disk \u2014 a.txt");
    EXPECT_EQ(labels(*view),
              (std::vector<std::string>{"[r] Reload (discard yours)", "[m] Merge (combine both)",
                                        "[o] Overwrite (keep yours)", "[Esc] Cancel"}));
    editor.disk_conflict = false;
    EXPECT_FALSE(overlay(editor, t0));
}

TEST(OverlayView, NameIsUntitledUnlessValidUtf8) {
    EXPECT_EQ(overlay(asking(std::nullopt), t0)->title, "Unsaved changes \u2014 Untitled");
    EXPECT_EQ(overlay(asking(fs::path("b\xff.txt")), t0)->title, "Unsaved changes \u2014 Untitled");
}

TEST(KeyLabel, CharactersAsStoredEscapeAndNothingElse) {
    EXPECT_EQ(key_label(ch(U'S')), "S");
    EXPECT_EQ(key_label(ch(U'\u00e9')), "\u00e9");
    EXPECT_EQ(key_label(esc), "Esc");
    EXPECT_EQ(key_label(key_of(KeyCode::Enter)), "");
}

toolkit::Rect row_rect(std::uint16_t x, std::uint16_t y, std::uint16_t width) {
    return toolkit::Rect{x, y, width, 1};
}

TEST(DrawOverlay, CentredBoxWithOneButtonPerChoice) {
    Editor editor = asking(fs::path("a.txt"));
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 40, 9});
    draw_overlay(buffer, editor, t0);
    // Option width 20 ("Discard & close"), title 23 + 4 = 27, box 29 x 5.
    EXPECT_EQ(toolkit::to_rows(buffer), (std::vector<std::string>{
                                            "                                        ",
                                            "                                        ",
                                            "     ┌Unsaved changes — a.txt────┐      ",
                                            "     │[s] Save & close           │      ",
                                            "     │[d] Discard & close        │      ",
                                            "     │[Esc] Cancel               │      ",
                                            "     └───────────────────────────┘      ",
                                            "                                        ",
                                            "                                        ",
                                        }));
    ASSERT_EQ(editor.overlay_buttons.size(), 3u);
    EXPECT_EQ(editor.overlay_buttons[0].rect, row_rect(6, 3, 27));
    EXPECT_EQ(editor.overlay_buttons[0].key, ch(U's'));
    EXPECT_EQ(editor.overlay_buttons[2].rect, row_rect(6, 5, 27));
    EXPECT_EQ(editor.overlay_buttons[2].key, esc);
    EXPECT_TRUE(buffer.cell(5, 2).style.fg.is_default());
}

TEST(DrawOverlay, ClearsWhatLiesBelowAndColoursByTone) {
    Editor editor = asking(fs::path("a.txt"));
    editor.overlay_since = t0;
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 40, 9});
    buffer.fill(buffer.area(), toolkit::Cell{U'x', toolkit::Style{.bg = toolkit::Palette::Blue}});
    draw_overlay(buffer, editor, t0);
    EXPECT_EQ(buffer.cell(20, 5).symbol, U' ');  // inside the box, right of "[Esc] Cancel"
    EXPECT_TRUE(buffer.cell(20, 5).style.bg.is_default());
    EXPECT_EQ(buffer.cell(5, 2).style.fg, toolkit::Color(toolkit::Palette::DarkGray));
    EXPECT_EQ(buffer.cell(7, 3).style.fg, toolkit::Color(toolkit::Palette::DarkGray));
    editor.overlay_blocked_at = t0;
    draw_overlay(buffer, editor, t0 + milliseconds(100));
    EXPECT_EQ(buffer.cell(7, 3).style.fg, toolkit::Color(toolkit::Palette::Red));
}

TEST(DrawOverlay, DiskConflictBoxSize) {
    Editor editor = Editor::create(fs::path("a.txt"));
    editor.disk_conflict = true;
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 80, 24});
    draw_overlay(buffer, editor, t0);
    ASSERT_EQ(editor.overlay_buttons.size(), 4u);
    // 34 columns wide and 6 rows high, centred: x = 23, y = 9.
    EXPECT_EQ(editor.overlay_buttons[0].rect, row_rect(24, 10, 32));
    EXPECT_EQ(editor.overlay_buttons[3].rect, row_rect(24, 13, 32));
    EXPECT_EQ(buffer.cell(23, 9).symbol, U'┌');
    EXPECT_EQ(buffer.cell(56, 14).symbol, U'┘');
}

TEST(DrawOverlay, SmallFrameCapsTheBoxAndDropsButtonsBelowIt) {
    Editor editor = asking(fs::path("a.txt"));
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 20, 4});
    draw_overlay(buffer, editor, t0);
    EXPECT_EQ(toolkit::to_rows(buffer), (std::vector<std::string>{
                                            "┌Unsaved changes — ┐",
                                            "│[s] Save & close  │",
                                            "│[d] Discard & clos│",
                                            "└──────────────────┘",
                                        }));
    ASSERT_EQ(editor.overlay_buttons.size(), 2u);
    EXPECT_EQ(editor.overlay_buttons[1].rect, row_rect(1, 2, 18));
}

TEST(DrawOverlay, NoOverlayEmptiesTheButtons) {
    Editor editor = Editor::create(std::nullopt);
    editor.overlay_buttons.push_back(OverlayButton{row_rect(0, 0, 5), esc});
    toolkit::Buffer buffer(toolkit::Rect{0, 0, 20, 4});
    draw_overlay(buffer, editor, t0);
    EXPECT_TRUE(editor.overlay_buttons.empty());
    EXPECT_EQ(toolkit::to_rows(buffer)[0], std::string(20, ' '));
}

}  // namespace
}  // namespace quarn::tui
