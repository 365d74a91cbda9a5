#include "term/input_parser.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace quarn::term {

namespace {

constexpr char esc = '\x1b';
constexpr std::string_view paste_start = "\x1b[200~";
constexpr std::string_view paste_end = "\x1b[201~";

[[nodiscard]] ParseResult need_more() { return {}; }

[[nodiscard]] ParseResult invalid(std::size_t consumed) {
    return {ParseStatus::Invalid, Event{}, consumed};
}

[[nodiscard]] ParseResult ok(Event event, std::size_t consumed) {
    return {ParseStatus::Ok, std::move(event), consumed};
}

[[nodiscard]] unsigned byte_at(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

[[nodiscard]] KeyEvent key(KeyCode code, Modifiers mods = {}) {
    KeyEvent k;
    k.code = code;
    k.mods = mods;
    return k;
}

[[nodiscard]] KeyEvent char_key(char32_t ch, Modifiers mods = {}) {
    KeyEvent k = key(KeyCode::Char, mods);
    k.ch = ch;
    return k;
}

[[nodiscard]] KeyEvent function_key(unsigned number, Modifiers mods = {}) {
    KeyEvent k = key(KeyCode::F, mods);
    k.function = static_cast<std::uint8_t>(number);
    return k;
}

[[nodiscard]] std::uint16_t saturate_u16(std::uint32_t value) {
    return value > 0xffff ? std::uint16_t{0xffff} : static_cast<std::uint16_t>(value);
}

// Wire coordinates are 1-based; 0 (which some terminals send past their limit) clamps to 0.
[[nodiscard]] std::uint16_t cell_from_wire(std::uint32_t value) {
    return saturate_u16(value == 0 ? 0 : value - 1);
}

// ---- UTF-8 ----------------------------------------------------------------------------------

struct Utf8Result {
    ParseStatus status;
    char32_t ch;
    std::size_t consumed;
};

// Strict decoding: no overlong forms, no surrogates, nothing past U+10FFFF. A bad sequence
// drops only the bytes before the first byte that cannot continue it, so that byte is parsed
// again on its own (it may start the next key).
[[nodiscard]] Utf8Result decode_utf8(std::string_view bytes) {
    const unsigned lead = byte_at(bytes, 0);
    if (lead < 0x80) return {ParseStatus::Ok, lead, 1};
    std::size_t length = 0;
    char32_t ch = 0;
    if (lead < 0xc2) {
        return {ParseStatus::Invalid, 0, 1};
    } else if (lead < 0xe0) {
        length = 2;
        ch = lead & 0x1f;
    } else if (lead < 0xf0) {
        length = 3;
        ch = lead & 0x0f;
    } else if (lead < 0xf5) {
        length = 4;
        ch = lead & 0x07;
    } else {
        return {ParseStatus::Invalid, 0, 1};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (k >= bytes.size()) return {ParseStatus::NeedMore, 0, 0};
        const unsigned b = byte_at(bytes, k);
        unsigned low = 0x80;
        unsigned high = 0xbf;
        if (k == 1) {
            if (lead == 0xe0) low = 0xa0;   // overlong
            if (lead == 0xed) high = 0x9f;  // surrogates
            if (lead == 0xf0) low = 0x90;   // overlong
            if (lead == 0xf4) high = 0x8f;  // past U+10FFFF
        }
        if (b < low || b > high) return {ParseStatus::Invalid, 0, k};
        ch = (ch << 6) | (b & 0x3f);
    }
    return {ParseStatus::Ok, ch, length};
}

// Length of the longest prefix of `text` that does not end inside a UTF-8 character.
[[nodiscard]] std::size_t utf8_whole_prefix(std::string_view text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const unsigned b = byte_at(text, size - back);
        if ((b & 0xc0) == 0x80) continue;  // continuation byte: look further back
        std::size_t length = 1;
        if (b >= 0xf0) {
            length = 4;
        } else if (b >= 0xe0) {
            length = 3;
        } else if (b >= 0xc0) {
            length = 2;
        }
        return length > back ? size - back : size;
    }
    return size;
}

// ---- single bytes and characters ------------------------------------------------------------

// One key that is not ESC-prefixed: a C0 byte, printable ASCII, DEL or a UTF-8 character.
[[nodiscard]] ParseResult parse_plain(std::string_view bytes) {
    const unsigned b = byte_at(bytes, 0);
    Modifiers ctrl;
    ctrl.ctrl = true;
    switch (b) {
        case 0x00:
            return ok(char_key(U' ', ctrl), 1);
        case 0x09:
            return ok(key(KeyCode::Tab), 1);
        case 0x0d:
            return ok(key(KeyCode::Enter), 1);
        case 0x7f:
            return ok(key(KeyCode::Backspace), 1);
        case 0x1c:
            return ok(char_key(U'\\', ctrl), 1);
        case 0x1d:
            return ok(char_key(U']', ctrl), 1);
        case 0x1e:
            return ok(char_key(U'^', ctrl), 1);
        case 0x1f:
            return ok(char_key(U'_', ctrl), 1);
        default:
            break;
    }
    // 0x08 lands here as Ctrl+'h': legacy terminals send it for Ctrl+Backspace too, and the
    // Backspace key itself sends 0x7f.
    if (b < 0x20) return ok(char_key(static_cast<char32_t>(U'a' + b - 1), ctrl), 1);
    const Utf8Result u = decode_utf8(bytes);
    switch (u.status) {
        case ParseStatus::NeedMore:
            return need_more();
        case ParseStatus::Invalid:
            return invalid(u.consumed);
        case ParseStatus::Ok:
            return ok(char_key(u.ch), u.consumed);
    }
    return invalid(1);
}

// ---- CSI parameters -------------------------------------------------------------------------

// Parameters separated by ';', each with sub-parameters separated by ':' (the keyboard
// protocol's "modifiers:event-type"). Absent ones read as 0.
struct CsiParams {
    static constexpr std::size_t max_params = 4;
    static constexpr std::size_t max_subs = 3;
    std::array<std::array<std::uint32_t, max_subs>, max_params> value{};
    std::array<std::array<bool, max_subs>, max_params> present{};
    std::size_t count = 0;  // number of parameters, 0 for an empty parameter string
    bool has_subs = false;

    [[nodiscard]] std::uint32_t get(std::size_t param, std::size_t sub = 0) const {
        return param < count ? value[param][sub] : 0;
    }
    [[nodiscard]] bool has(std::size_t param, std::size_t sub = 0) const {
        return param < count && present[param][sub];
    }
};

[[nodiscard]] std::optional<CsiParams> parse_params(std::string_view text) {
    CsiParams p;
    if (text.empty()) return p;
    std::size_t param = 0;
    std::size_t sub = 0;
    p.count = 1;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            std::uint32_t& v = p.value[param][sub];
            // Saturate: no real parameter comes near this, and a huge one must not wrap around
            // into a meaningful value.
            v = v >= 100'000'000 ? v : v * 10 + static_cast<std::uint32_t>(c - '0');
            p.present[param][sub] = true;
        } else if (c == ';') {
            if (++param >= CsiParams::max_params) return std::nullopt;
            sub = 0;
            p.count = param + 1;
        } else if (c == ':') {
            if (++sub >= CsiParams::max_subs) return std::nullopt;
            p.has_subs = true;
        } else {
            return std::nullopt;
        }
    }
    return p;
}

// Modifier parameter m: the bits of m-1 are 1 Shift, 2 Alt, 4 Ctrl; higher bits (Super, Hyper,
// Meta, Caps Lock, Num Lock) are ignored. 0 or absent means none.
[[nodiscard]] Modifiers modifiers_from(std::uint32_t m) {
    Modifiers mods;
    if (m == 0) return mods;
    const std::uint32_t bits = m - 1;
    mods.shift = (bits & 1) != 0;
    mods.alt = (bits & 2) != 0;
    mods.ctrl = (bits & 4) != 0;
    return mods;
}

// The keyboard protocol's event type, the sub-parameter after the modifiers.
[[nodiscard]] std::optional<KeyKind> kind_from(const CsiParams& p, std::size_t param) {
    if (!p.has(param, 1)) return KeyKind::Press;
    switch (p.get(param, 1)) {
        case 1:
            return KeyKind::Press;
        case 2:
            return KeyKind::Repeat;
        case 3:
            return KeyKind::Release;
        default:
            return std::nullopt;
    }
}

// The keyboard protocol's private-use codes for keys without a character (keypad, F13 and up,
// media, lock and modifier keys).
[[nodiscard]] KeyEvent functional_key(std::uint32_t code, Modifiers mods) {
    if (code >= 57376 && code <= 57398) return function_key(code - 57376 + 13, mods);
    if (code >= 57399 && code <= 57408) return char_key(U'0' + (code - 57399), mods);
    switch (code) {
        case 57409:
            return char_key(U'.', mods);
        case 57410:
            return char_key(U'/', mods);
        case 57411:
            return char_key(U'*', mods);
        case 57412:
            return char_key(U'-', mods);
        case 57413:
            return char_key(U'+', mods);
        case 57414:
            return key(KeyCode::Enter, mods);
        case 57415:
            return char_key(U'=', mods);
        case 57416:
            return char_key(U',', mods);
        case 57417:
            return key(KeyCode::Left, mods);
        case 57418:
            return key(KeyCode::Right, mods);
        case 57419:
            return key(KeyCode::Up, mods);
        case 57420:
            return key(KeyCode::Down, mods);
        case 57421:
            return key(KeyCode::PageUp, mods);
        case 57422:
            return key(KeyCode::PageDown, mods);
        case 57423:
            return key(KeyCode::Home, mods);
        case 57424:
            return key(KeyCode::End, mods);
        case 57425:
            return key(KeyCode::Insert, mods);
        case 57426:
            return key(KeyCode::Delete, mods);
        default:
            return key(KeyCode::Null, mods);
    }
}

// A key given by its code, as in CSI code;m u and xterm's CSI 27;m;code ~.
[[nodiscard]] std::optional<KeyEvent> key_from_code(std::uint32_t code, Modifiers mods) {
    switch (code) {
        case 9:
            // Shift+Tab comes as CSI 9;2u under the keyboard protocol and as CSI Z otherwise;
            // both are BackTab so that one binding serves both.
            return key(mods.shift ? KeyCode::BackTab : KeyCode::Tab, mods);
        case 13:
            return key(KeyCode::Enter, mods);
        case 27:
            return key(KeyCode::Esc, mods);
        case 8:
        case 127:
            return key(KeyCode::Backspace, mods);
        default:
            break;
    }
    if (code >= 57344 && code <= 63743) return functional_key(code, mods);
    if (code < 0x20 || (code >= 0x80 && code < 0xa0) || (code >= 0xd800 && code <= 0xdfff) ||
        code > 0x10ffff) {
        return std::nullopt;
    }
    return char_key(static_cast<char32_t>(code), mods);
}

// ---- CSI sequences --------------------------------------------------------------------------

[[nodiscard]] ParseResult key_result(std::optional<KeyEvent> k, const CsiParams& p,
                                     std::size_t modifier_param, std::size_t consumed) {
    const std::optional<KeyKind> kind = kind_from(p, modifier_param);
    if (!k || !kind) return invalid(consumed);
    k->kind = *kind;
    return ok(*k, consumed);
}

// Button code as in SGR reports (X10 and urxvt ones have 32 subtracted first): low two bits the
// button (3 = none), +4 Shift, +8 Alt, +16 Ctrl, +32 motion, +64 wheel, +128 extra buttons.
[[nodiscard]] std::optional<MouseEvent> mouse_from(std::uint32_t code, bool release,
                                                   std::uint32_t x, std::uint32_t y) {
    MouseEvent m;
    m.column = cell_from_wire(x);
    m.row = cell_from_wire(y);
    m.mods.shift = (code & 4) != 0;
    m.mods.alt = (code & 8) != 0;
    m.mods.ctrl = (code & 16) != 0;
    if ((code & 128) != 0 || code > 255) return std::nullopt;  // buttons 8-11: nothing uses them
    const std::uint32_t low = code & 3;
    static constexpr std::array<MouseButton, 3> buttons = {MouseButton::Left, MouseButton::Middle,
                                                           MouseButton::Right};
    if ((code & 64) != 0) {
        // xterm also reports the release of a horizontal wheel "button"; a wheel has no state
        // to end, so that release is dropped.
        if (release) return std::nullopt;
        static constexpr std::array<MouseKind, 4> wheels = {
            MouseKind::WheelUp, MouseKind::WheelDown, MouseKind::WheelLeft, MouseKind::WheelRight};
        m.kind = wheels[low];
        return m;
    }
    if ((code & 32) != 0) {
        if (low == 3) {
            m.kind = MouseKind::Move;
        } else {
            m.kind = MouseKind::Drag;
            m.button = buttons[low];
        }
        return m;
    }
    if (low == 3) {  // X10 and urxvt: a release that does not say which button
        m.kind = MouseKind::Release;
        return m;
    }
    m.kind = release ? MouseKind::Release : MouseKind::Press;
    m.button = buttons[low];
    return m;
}

[[nodiscard]] ParseResult mouse_result(std::optional<MouseEvent> m, std::size_t consumed) {
    if (!m) return invalid(consumed);
    return ok(*m, consumed);
}

[[nodiscard]] ParseResult parse_tilde(const CsiParams& p, std::size_t consumed) {
    const Modifiers mods = modifiers_from(p.get(1));
    const std::uint32_t number = p.get(0);
    if (number == 27 && p.has(2)) {  // xterm's modifyOtherKeys: CSI 27 ; m ; code ~
        if (p.has_subs) return invalid(consumed);
        return key_result(key_from_code(p.get(2), mods), p, 1, consumed);
    }
    std::optional<KeyEvent> k;
    switch (number) {
        case 1:
        case 7:
            k = key(KeyCode::Home, mods);  // tmux sends Home as CSI 1~
            break;
        case 2:
            k = key(KeyCode::Insert, mods);
            break;
        case 3:
            k = key(KeyCode::Delete, mods);
            break;
        case 4:
        case 8:
            k = key(KeyCode::End, mods);  // tmux sends End as CSI 4~
            break;
        case 5:
            k = key(KeyCode::PageUp, mods);
            break;
        case 6:
            k = key(KeyCode::PageDown, mods);
            break;
        default:
            break;
    }
    // F1-F20 have gaps where the VT220 keyboard had none: 16, 22, 27 and 30 are skipped.
    static constexpr std::array<std::uint8_t, 35> function_numbers = {
        0, 0, 0, 0,  0, 0,  0,  0,  0,  0, 0,  1,  2, 3,  4,  5,  0, 6,
        7, 8, 9, 10, 0, 11, 12, 13, 14, 0, 15, 16, 0, 17, 18, 19, 20};
    if (number < function_numbers.size() && function_numbers[number] != 0) {
        k = function_key(function_numbers[number], mods);
    }
    if (number >= 57344 && number <= 63743) k = functional_key(number, mods);
    return key_result(k, p, 1, consumed);
}

// Legacy cursor and function keys: CSI [1;m] final.
[[nodiscard]] std::optional<KeyEvent> letter_key(char final, Modifiers mods) {
    switch (final) {
        case 'A':
            return key(KeyCode::Up, mods);
        case 'B':
            return key(KeyCode::Down, mods);
        case 'C':
            return key(KeyCode::Right, mods);
        case 'D':
            return key(KeyCode::Left, mods);
        case 'H':
            return key(KeyCode::Home, mods);
        case 'F':
            return key(KeyCode::End, mods);
        case 'E':
            return key(KeyCode::Null, mods);  // keypad 5 without Num Lock
        case 'P':
            return function_key(1, mods);
        case 'Q':
            return function_key(2, mods);
        case 'R':
            return function_key(3, mods);
        case 'S':
            return function_key(4, mods);
        default:
            return std::nullopt;
    }
}

// `bytes` starts with ESC [.
[[nodiscard]] ParseResult parse_csi(std::string_view bytes) {
    if (bytes.size() < 3) return need_more();
    if (bytes[2] == 'M') {  // X10 mouse: ESC [ M then three bytes, each value + 32
        if (bytes.size() < 6) return need_more();
        const unsigned cb = byte_at(bytes, 3);
        if (cb < 32) return invalid(6);
        const unsigned cx = byte_at(bytes, 4);
        const unsigned cy = byte_at(bytes, 5);
        return mouse_result(
            mouse_from(cb - 32, false, cx >= 32 ? cx - 32 : 0, cy >= 32 ? cy - 32 : 0), 6);
    }
    char marker = 0;
    std::size_t params_begin = 2;
    if (bytes[2] >= '<' && bytes[2] <= '?') {
        marker = bytes[2];
        params_begin = 3;
    }
    std::size_t i = params_begin;
    for (; i < bytes.size() && i < max_sequence_bytes; ++i) {
        const unsigned c = byte_at(bytes, i);
        if (c >= 0x40 && c <= 0x7e) break;
        // Not part of a CSI: drop what came before it and parse it again, since it may well
        // be the next key (an ESC, a control character, text).
        if (c < 0x20 || c > 0x3f) return invalid(i);
    }
    if (i >= max_sequence_bytes) return invalid(max_sequence_bytes);
    if (i == bytes.size()) return need_more();
    const char final = bytes[i];
    const std::size_t consumed = i + 1;
    const std::string_view text = bytes.substr(params_begin, i - params_begin);

    if (marker == 0 && final == '~' && text == "200") {
        const std::size_t end = bytes.find(paste_end, consumed);
        if (end == std::string_view::npos) return need_more();
        return ok(PasteEvent{std::string(bytes.substr(consumed, end - consumed))},
                  end + paste_end.size());
    }
    const std::optional<CsiParams> parsed = parse_params(text);
    if (!parsed) return invalid(consumed);
    const CsiParams& p = *parsed;

    if (marker == '<') {  // SGR mouse: CSI < b ; x ; y M (press, motion) or m (release)
        if ((final != 'M' && final != 'm') || p.count != 3 || p.has_subs) return invalid(consumed);
        return mouse_result(mouse_from(p.get(0), final == 'm', p.get(1), p.get(2)), consumed);
    }
    if (marker != 0) return invalid(consumed);  // replies to queries we never send

    switch (final) {
        case 'u':
            return key_result(key_from_code(p.get(0), modifiers_from(p.get(1))), p, 1, consumed);
        case '~':
            return parse_tilde(p, consumed);
        case 'Z': {
            Modifiers mods = modifiers_from(p.get(1));
            mods.shift = true;
            return key_result(key(KeyCode::BackTab, mods), p, 1, consumed);
        }
        case 'I':
        case 'O':
            if (p.count != 0) return invalid(consumed);
            return ok(FocusEvent{final == 'I'}, consumed);
        case 'M':  // urxvt mouse: CSI b ; x ; y M with b = code + 32
            if (p.count != 3 || p.has_subs || p.get(0) < 32) return invalid(consumed);
            return mouse_result(mouse_from(p.get(0) - 32, false, p.get(1), p.get(2)), consumed);
        default:
            break;
    }
    // CSI row;col R is also a cursor position report; we never ask for one, so with a first
    // parameter of 1 or none it is F3.
    if (p.count > 2 || p.get(0) > 1) return invalid(consumed);
    return key_result(letter_key(final, modifiers_from(p.get(1))), p, 1, consumed);
}

// `bytes` starts with ESC O: SS3, the application-mode cursor keys and F1-F4. Legacy
// Alt+Shift+O is the same two bytes, so ESC O followed by anything else is Alt+'O'.
[[nodiscard]] ParseResult parse_ss3(std::string_view bytes) {
    if (bytes.size() < 3) return need_more();
    if (const std::optional<KeyEvent> k = letter_key(bytes[2], {}); k && bytes[2] != 'E') {
        return ok(*k, 3);
    }
    Modifiers alt;
    alt.alt = true;
    return ok(char_key(U'O', alt), 2);
}

}  // namespace

ParseResult parse(std::string_view bytes) {
    if (bytes.empty()) return need_more();
    if (bytes[0] != esc) return parse_plain(bytes);
    if (bytes.size() == 1) return need_more();
    switch (bytes[1]) {
        case '[':
            return parse_csi(bytes);
        case 'O':
            return parse_ss3(bytes);
        case esc:
            // ESC ESC: the first one is the Esc key; the second starts whatever follows. Esc
            // pressed twice arrives like this, and nothing we ask for sends a doubled ESC.
            return ok(key(KeyCode::Esc), 1);
        default:
            break;
    }
    // ESC before a complete key adds Alt: how terminals send Alt when they do not set the
    // eighth bit (ESC f, ESC \x06 for Ctrl+Alt+F, ESC \x7f for Alt+Backspace).
    ParseResult r = parse_plain(bytes.substr(1));
    switch (r.status) {
        case ParseStatus::NeedMore:
            return r;
        case ParseStatus::Invalid:
            return ok(key(KeyCode::Esc), 1);  // the bad bytes are dropped on the next call
        case ParseStatus::Ok:
            std::get<KeyEvent>(r.event).mods.alt = true;
            ++r.consumed;
            return r;
    }
    return invalid(1);
}

// ---- InputDecoder ---------------------------------------------------------------------------

void InputDecoder::feed(std::string_view bytes) {
    compact();
    buffer_.append(bytes);
}

void InputDecoder::compact() {
    // Erase only once the consumed part is at least as large as the rest: amortised O(1) per
    // byte even when a caller feeds many small reads without draining.
    if (start_ > 0 && start_ >= buffer_.size() - start_) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
}

std::optional<Event> InputDecoder::next() {
    while (true) {
        if (in_paste_) return next_in_paste();
        if (start_ >= buffer_.size()) return std::nullopt;
        const std::string_view rest = std::string_view(buffer_).substr(start_);
        if (rest.starts_with(paste_start)) {
            // The decoder collects a paste itself, so that a large paste arriving in many reads
            // is scanned once and not from its start after every read.
            start_ += paste_start.size();
            in_paste_ = true;
            paste_.clear();
            continue;
        }
        ParseResult r = parse(rest);
        switch (r.status) {
            case ParseStatus::NeedMore:
                return std::nullopt;
            case ParseStatus::Invalid:
                start_ += r.consumed;
                break;
            case ParseStatus::Ok:
                start_ += r.consumed;
                return std::move(r.event);
        }
    }
}

std::optional<Event> InputDecoder::next_in_paste() {
    const std::string_view rest = std::string_view(buffer_).substr(start_);
    if (const std::size_t end = rest.find(paste_end); end != std::string_view::npos) {
        paste_.append(rest.substr(0, end));
        start_ += end + paste_end.size();
        in_paste_ = false;
        PasteEvent paste{std::move(paste_)};
        paste_.clear();
        return paste;
    }
    // Move all but a tail that may be the start of the end marker into paste_, so each byte is
    // searched once.
    std::size_t keep = std::min(rest.size(), paste_end.size() - 1);
    while (keep > 0 && !paste_end.starts_with(rest.substr(rest.size() - keep))) --keep;
    paste_.append(rest.substr(0, rest.size() - keep));
    start_ += rest.size() - keep;
    if (paste_.size() < max_paste_bytes) return std::nullopt;
    const std::size_t cut = utf8_whole_prefix(std::string_view(paste_).substr(0, max_paste_bytes));
    PasteEvent piece{paste_.substr(0, cut)};
    paste_.erase(0, cut);
    return piece;
}

bool InputDecoder::pending() const { return in_paste_ || start_ < buffer_.size(); }

std::optional<Event> InputDecoder::flush() {
    if (std::optional<Event> event = next()) return event;
    if (in_paste_) {
        // The terminal stalled inside a paste (or sent a stray start marker). Hand on what came
        // so far but stay in the paste: ending it here would let the rest of the pasted text run
        // as key presses.
        const std::size_t cut = utf8_whole_prefix(paste_);
        if (cut == 0) return std::nullopt;
        PasteEvent piece{paste_.substr(0, cut)};
        paste_.erase(0, cut);
        return piece;
    }
    const std::string rest = buffer_.substr(start_);
    buffer_.clear();
    start_ = 0;
    // Only timing separates these from the start of a longer sequence, and the delay is over.
    if (rest == "\x1b") return key(KeyCode::Esc);
    if (rest.size() == 2 && rest[0] == esc && (rest[1] == '[' || rest[1] == 'O')) {
        Modifiers alt;
        alt.alt = true;
        return char_key(static_cast<char32_t>(rest[1]), alt);
    }
    return std::nullopt;  // an unfinished sequence or character: nothing can complete it now
}

// ---- to_string ------------------------------------------------------------------------------

namespace {

void append_utf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xc0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3f));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xe0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (ch & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (ch & 0x3f));
    }
}

[[nodiscard]] std::string hex(std::uint32_t value, int digits) {
    static constexpr std::string_view hex_digits = "0123456789ABCDEF";
    std::string out;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hex_digits[(value >> shift) & 15];
    return out;
}

[[nodiscard]] std::string modifiers_text(Modifiers mods) {
    std::string out;
    const auto add = [&out](bool on, std::string_view name) {
        if (!on) return;
        if (!out.empty()) out += '+';
        out += name;
    };
    add(mods.ctrl, "Ctrl");
    add(mods.alt, "Alt");
    add(mods.shift, "Shift");
    return out;
}

[[nodiscard]] std::string_view key_code_name(KeyCode code) {
    switch (code) {
        case KeyCode::Char:
            return "Char";
        case KeyCode::Enter:
            return "Enter";
        case KeyCode::Tab:
            return "Tab";
        case KeyCode::BackTab:
            return "BackTab";
        case KeyCode::Backspace:
            return "Backspace";
        case KeyCode::Esc:
            return "Esc";
        case KeyCode::Up:
            return "Up";
        case KeyCode::Down:
            return "Down";
        case KeyCode::Left:
            return "Left";
        case KeyCode::Right:
            return "Right";
        case KeyCode::Home:
            return "Home";
        case KeyCode::End:
            return "End";
        case KeyCode::PageUp:
            return "PageUp";
        case KeyCode::PageDown:
            return "PageDown";
        case KeyCode::Delete:
            return "Delete";
        case KeyCode::Insert:
            return "Insert";
        case KeyCode::F:
            return "F";
        case KeyCode::Null:
            return "Null";
    }
    return "?";
}

[[nodiscard]] std::string_view key_kind_name(KeyKind kind) {
    switch (kind) {
        case KeyKind::Press:
            return "press";
        case KeyKind::Repeat:
            return "repeat";
        case KeyKind::Release:
            return "release";
    }
    return "?";
}

[[nodiscard]] std::string_view mouse_kind_name(MouseKind kind) {
    switch (kind) {
        case MouseKind::Press:
            return "press";
        case MouseKind::Release:
            return "release";
        case MouseKind::Drag:
            return "drag";
        case MouseKind::Move:
            return "move";
        case MouseKind::WheelUp:
            return "wheel-up";
        case MouseKind::WheelDown:
            return "wheel-down";
        case MouseKind::WheelLeft:
            return "wheel-left";
        case MouseKind::WheelRight:
            return "wheel-right";
    }
    return "?";
}

[[nodiscard]] std::string_view mouse_button_name(MouseButton button) {
    switch (button) {
        case MouseButton::None:
            return "None";
        case MouseButton::Left:
            return "Left";
        case MouseButton::Right:
            return "Right";
        case MouseButton::Middle:
            return "Middle";
    }
    return "?";
}

[[nodiscard]] std::string key_text(const KeyEvent& k) {
    std::string out = "key ";
    out += key_code_name(k.code);
    if (k.code == KeyCode::Char) {
        if (k.ch < 0x20 || (k.ch >= 0x7f && k.ch < 0xa0) || k.ch > 0x10ffff) {
            out += "(U+" + hex(static_cast<std::uint32_t>(k.ch), 4) + ")";
        } else {
            out += "('";
            append_utf8(out, k.ch);
            out += "')";
        }
    } else if (k.code == KeyCode::F) {
        out += "(" + std::to_string(k.function) + ")";
    }
    if (const std::string mods = modifiers_text(k.mods); !mods.empty()) out += " " + mods;
    out += " ";
    out += key_kind_name(k.kind);
    return out;
}

[[nodiscard]] std::string mouse_text(const MouseEvent& m) {
    std::string out = "mouse ";
    out += mouse_kind_name(m.kind);
    if (m.kind == MouseKind::Press || m.kind == MouseKind::Release || m.kind == MouseKind::Drag) {
        out += " ";
        out += mouse_button_name(m.button);
    }
    out += " col=" + std::to_string(m.column) + " row=" + std::to_string(m.row);
    if (const std::string mods = modifiers_text(m.mods); !mods.empty()) out += " " + mods;
    return out;
}

[[nodiscard]] std::string paste_text(const PasteEvent& p) {
    std::string out = "paste \"";
    for (const char c : p.text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f) {
            out += "\\x" + hex(b, 2);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace

std::string to_string(const Event& event) {
    if (const auto* k = std::get_if<KeyEvent>(&event)) return key_text(*k);
    if (const auto* m = std::get_if<MouseEvent>(&event)) return mouse_text(*m);
    if (const auto* p = std::get_if<PasteEvent>(&event)) return paste_text(*p);
    if (const auto* r = std::get_if<ResizeEvent>(&event)) {
        return "resize " + std::to_string(r->columns) + "x" + std::to_string(r->rows);
    }
    if (const auto* f = std::get_if<FocusEvent>(&event)) {
        return f->gained ? "focus gained" : "focus lost";
    }
    return "?";
}

}  // namespace quarn::term
