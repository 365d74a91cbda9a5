#pragma once
// Test support: texts with carets written inline. "|" is a caret's position and "^" its anchor,
// so "h^ell|o" is one caret selecting "ell" forward and "h|ell^o" the same range backward.
// Several "|" give several carets; a "^" is the anchor of the next "|" when a "|" follows it,
// else of the previous one (so a backward selection cannot be followed by another caret).

#include <string>
#include <string_view>

#include "tui/editor.hpp"

namespace quarn::tui::testing {

// An untitled tab whose clean document holds the text, with those carets (the first primary),
// normalised.
[[nodiscard]] Editor editor_with(std::string_view marked);
// The tab's text with its carets written back inline, carets in list order.
[[nodiscard]] std::string marked(const Editor& editor);

}  // namespace quarn::tui::testing
