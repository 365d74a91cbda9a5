#include "tui/document_commands.hpp"

#include <string>
#include <type_traits>
#include <variant>

#include "tui/commands_pending.hpp"

namespace quarn::tui {

void save(Editor& editor) {
    // The snapshot the save commits should hold the carets as they are now, so that undoing to
    // or redoing onto the saved state puts them back here.
    editor.document.content().carets = editor.carets;
    auto saved = editor.document.save();
    if (saved) {
        // The saved state closes the current undo group: typing on starts a new one.
        editor.last_edit = EditKind::None;
        report_save(editor, core::files::Saved{});
        return;
    }
    switch (saved.error().kind) {
        case scrivlet::SaveErrorKind::NoPath:
            save_as_dialog(editor);
            return;
        case scrivlet::SaveErrorKind::Write:
            // The plain save words a failure with the system's reason, unlike Save As.
            editor.status = "failed to save: " + saved.error().system.message();
            return;
    }
}

void report_save(Editor& editor, const core::files::SaveOutcome& outcome) {
    std::visit(
        [&editor](const auto& result) {
            using Result = std::decay_t<decltype(result)>;
            if constexpr (std::is_same_v<Result, core::files::Saved>) {
                const auto& path = editor.document.path();
                editor.status = "Saved " + (path ? path->string() : std::string());
            } else if constexpr (std::is_same_v<Result, core::files::Failed>) {
                editor.status = result.message;
            }
        },
        outcome);
}

}  // namespace quarn::tui
