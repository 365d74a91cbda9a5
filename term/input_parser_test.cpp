#include "term/input_parser.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::term {

void PrintTo(const KeyEvent& e, std::ostream* os) { *os << to_string(e); }
void PrintTo(const MouseEvent& e, std::ostream* os) { *os << to_string(e); }
void PrintTo(const PasteEvent& e, std::ostream* os) { *os << to_string(e); }
void PrintTo(const FocusEvent& e, std::ostream* os) { *os << to_string(e); }
void PrintTo(const ResizeEvent& e, std::ostream* os) { *os << to_string(e); }

namespace {

// How a test hands bytes to the decoder: all at once or in pieces, then drains it, then (as the
// event source does once the input goes quiet) flushes it.
std::vector<Event> decode_pieces(const std::vector<std::string_view>& pieces) {
    InputDecoder decoder;
    std::vector<Event> events;
    for (const std::string_view piece : pieces) {
        decoder.feed(piece);
        while (std::optional<Event> e = decoder.next()) events.push_back(std::move(*e));
    }
    if (std::optional<Event> e = decoder.flush()) events.push_back(std::move(*e));
    while (std::optional<Event> e = decoder.next()) events.push_back(std::move(*e));
    return events;
}

std::vector<Event> decode(std::string_view bytes) { return decode_pieces({bytes}); }

std::vector<Event> decode_bytewise(std::string_view bytes) {
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < bytes.size(); ++i) pieces.push_back(bytes.substr(i, 1));
    return decode_pieces(pieces);
}

std::string describe(const std::vector<Event>& events) {
    if (events.empty()) return "nothing";
    std::string out;
    for (const Event& e : events) {
        if (!out.empty()) out += " ; ";
        out += to_string(e);
    }
    return out;
}

// ---- reading the captured vectors ---------------------------------------------------------

std::filesystem::path vectors_dir() {
    if (const char* top = std::getenv("QUARN_SOURCE_DIR"); top != nullptr && *top != '\0') {
        return std::filesystem::path(top) / "term" / "testdata" / "terminal-vectors";
    }
    return std::filesystem::path(QUARN_TERM_SOURCE_DIR) / "testdata" / "terminal-vectors";
}

std::optional<std::string> from_hex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        for (const char c : hex.substr(i, 2)) {
            value *= 16;
            if (c >= '0' && c <= '9') {
                value += static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value += static_cast<unsigned>(c - 'a' + 10);
            } else {
                return std::nullopt;
            }
        }
        out += static_cast<char>(value);
    }
    return out;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + separator.size());
    }
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

std::optional<std::uint32_t> number(std::string_view text, int base = 10) {
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * static_cast<unsigned>(base) + digit;
    }
    return value;
}

// One UTF-8 character at the start of `text`, removed from it.
std::optional<char32_t> take_utf8(std::string_view& text) {
    const ParseResult r = parse(text);
    if (r.status != ParseStatus::Ok) return std::nullopt;
    const auto* k = std::get_if<KeyEvent>(&r.event);
    if (k == nullptr || k->code != KeyCode::Char) return std::nullopt;
    text.remove_prefix(r.consumed);
    return k->ch;
}

std::optional<Modifiers> modifiers(std::string_view text) {
    Modifiers mods;
    for (const std::string_view name : split(text, "+")) {
        if (name == "Ctrl") {
            mods.ctrl = true;
        } else if (name == "Alt") {
            mods.alt = true;
        } else if (name == "Shift") {
            mods.shift = true;
        } else {
            return std::nullopt;
        }
    }
    return mods;
}

// "key Char('t') Ctrl+Shift press", "key F(5) press", "key Char(U+0081) press".
std::optional<KeyEvent> key_from_text(std::string_view text) {
    KeyEvent k;
    if (!consume(text, "key ")) return std::nullopt;
    if (consume(text, "Char(")) {
        k.code = KeyCode::Char;
        if (consume(text, "U+")) {
            const std::optional<std::uint32_t> cp = number(text.substr(0, text.find(')')), 16);
            if (!cp) return std::nullopt;
            k.ch = *cp;
            text.remove_prefix(text.find(')'));
        } else {
            const std::optional<char32_t> ch = consume(text, "'") ? take_utf8(text) : std::nullopt;
            if (!ch || !consume(text, "'")) return std::nullopt;
            k.ch = *ch;
        }
        if (!consume(text, ") ")) return std::nullopt;
    } else if (consume(text, "F(")) {
        k.code = KeyCode::F;
        const std::optional<std::uint32_t> n = number(text.substr(0, text.find(')')));
        if (!n || *n > 255) return std::nullopt;
        k.function = static_cast<std::uint8_t>(*n);
        text.remove_prefix(text.find(')'));
        if (!consume(text, ") ")) return std::nullopt;
    } else {
        static constexpr std::pair<std::string_view, KeyCode> names[] = {
            {"Enter", KeyCode::Enter},       {"Tab", KeyCode::Tab},
            {"BackTab", KeyCode::BackTab},   {"Backspace", KeyCode::Backspace},
            {"Esc", KeyCode::Esc},           {"Up", KeyCode::Up},
            {"Down", KeyCode::Down},         {"Left", KeyCode::Left},
            {"Right", KeyCode::Right},       {"Home", KeyCode::Home},
            {"End", KeyCode::End},           {"PageUp", KeyCode::PageUp},
            {"PageDown", KeyCode::PageDown}, {"Delete", KeyCode::Delete},
            {"Insert", KeyCode::Insert},     {"Null", KeyCode::Null},
        };
        const std::string_view name = text.substr(0, text.find(' '));
        bool found = false;
        for (const auto& [n, code] : names) {
            if (n == name) {
                k.code = code;
                found = true;
            }
        }
        if (!found || !consume(text, name) || !consume(text, " ")) return std::nullopt;
    }
    const std::vector<std::string_view> rest = split(text, " ");
    if (rest.size() == 2) {
        const std::optional<Modifiers> mods = modifiers(rest[0]);
        if (!mods) return std::nullopt;
        k.mods = *mods;
    } else if (rest.size() != 1) {
        return std::nullopt;
    }
    if (rest.back() == "press") {
        k.kind = KeyKind::Press;
    } else if (rest.back() == "repeat") {
        k.kind = KeyKind::Repeat;
    } else if (rest.back() == "release") {
        k.kind = KeyKind::Release;
    } else {
        return std::nullopt;
    }
    return k;
}

// "mouse drag Left col=22 row=7 Alt", "mouse wheel-up col=32 row=11".
std::optional<MouseEvent> mouse_from_text(std::string_view text) {
    if (!consume(text, "mouse ")) return std::nullopt;
    const std::vector<std::string_view> words = split(text, " ");
    MouseEvent m;
    static constexpr std::pair<std::string_view, MouseKind> kinds[] = {
        {"press", MouseKind::Press},
        {"release", MouseKind::Release},
        {"drag", MouseKind::Drag},
        {"move", MouseKind::Move},
        {"wheel-up", MouseKind::WheelUp},
        {"wheel-down", MouseKind::WheelDown},
        {"wheel-left", MouseKind::WheelLeft},
        {"wheel-right", MouseKind::WheelRight},
    };
    static constexpr std::pair<std::string_view, MouseButton> buttons[] = {
        {"None", MouseButton::None},
        {"Left", MouseButton::Left},
        {"Right", MouseButton::Right},
        {"Middle", MouseButton::Middle},
    };
    std::size_t i = 0;
    bool kind_found = false;
    for (const auto& [name, kind] : kinds) {
        if (name == words[i]) {
            m.kind = kind;
            kind_found = true;
        }
    }
    if (!kind_found) return std::nullopt;
    ++i;
    if (m.kind == MouseKind::Press || m.kind == MouseKind::Release || m.kind == MouseKind::Drag) {
        bool button_found = false;
        for (const auto& [name, button] : buttons) {
            if (i < words.size() && name == words[i]) {
                m.button = button;
                button_found = true;
            }
        }
        if (!button_found) return std::nullopt;
        ++i;
    }
    std::string_view col = i < words.size() ? words[i++] : "";
    std::string_view row = i < words.size() ? words[i++] : "";
    if (!consume(col, "col=") || !consume(row, "row=")) return std::nullopt;
    const std::optional<std::uint32_t> c = number(col);
    const std::optional<std::uint32_t> r = number(row);
    if (!c || !r) return std::nullopt;
    m.column = static_cast<std::uint16_t>(*c);
    m.row = static_cast<std::uint16_t>(*r);
    if (i < words.size()) {
        const std::optional<Modifiers> mods = modifiers(words[i++]);
        if (!mods) return std::nullopt;
        m.mods = *mods;
    }
    if (i != words.size()) return std::nullopt;
    return m;
}

// Events our decoder deliberately does not produce, with the reason.
constexpr std::string_view deliberately_dropped[] = {
    // xterm (also through tmux) follows a horizontal wheel report with a release of the wheel
    // "button". A wheel click has no state to end and nothing binds it, so the decoder drops it.
    "mouse release WheelLeft",
    "mouse release WheelRight",
};

struct Expected {
    std::vector<Event> events;
    bool ok = true;
};

Expected events_from_text(std::string_view decodes_to) {
    Expected expected;
    if (decodes_to == "nothing") return expected;
    if (decodes_to.starts_with("95 key presses, one per printable ASCII character")) {
        for (char32_t ch = 0x20; ch <= 0x7e; ++ch) {
            KeyEvent k;
            k.code = KeyCode::Char;
            k.ch = ch;
            expected.events.push_back(k);
        }
        return expected;
    }
    for (const std::string_view item : split(decodes_to, " ; ")) {
        bool dropped = false;
        for (const std::string_view prefix : deliberately_dropped)
            dropped |= item.starts_with(prefix);
        if (dropped) continue;
        if (const std::optional<KeyEvent> k = key_from_text(item)) {
            expected.events.push_back(*k);
            // The notation round-trips, which keeps to_string honest for failure messages.
            EXPECT_EQ(to_string(*k), item);
        } else if (const std::optional<MouseEvent> m = mouse_from_text(item)) {
            expected.events.push_back(*m);
            EXPECT_EQ(to_string(*m), item);
        } else {
            ADD_FAILURE() << "cannot read decodes_to item: " << item;
            expected.ok = false;
        }
    }
    return expected;
}

TEST(CapturedVectors, DecodeAsRecorded) {
    const std::filesystem::path dir = vectors_dir();
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.path().extension() == ".tsv") files.push_back(entry.path());
    }
    ASSERT_FALSE(ec) << dir << ": " << ec.message();
    ASSERT_FALSE(files.empty()) << "no vectors in " << dir;
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file);
        std::string line;
        ASSERT_TRUE(std::getline(in, line));
        const std::vector<std::string_view> header = split(line, "\t");
        std::size_t hex_column = header.size();
        std::size_t decodes_column = header.size();
        std::size_t action_column = header.size();
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (header[i] == "bytes_hex") hex_column = i;
            if (header[i] == "decodes_to") decodes_column = i;
            if (header[i] == "action") action_column = i;
        }
        ASSERT_LT(hex_column, header.size());
        ASSERT_LT(decodes_column, header.size());
        ASSERT_LT(action_column, header.size());
        std::size_t rows = 0;
        while (std::getline(in, line)) {
            const std::vector<std::string_view> cells = split(line, "\t");
            ASSERT_EQ(cells.size(), header.size()) << line;
            SCOPED_TRACE(std::string(cells[action_column]));
            ++rows;
            const std::optional<std::string> bytes = from_hex(cells[hex_column]);
            ASSERT_TRUE(bytes) << cells[hex_column];
            const Expected expected = events_from_text(cells[decodes_column]);
            if (!expected.ok) continue;
            EXPECT_EQ(describe(decode(*bytes)), describe(expected.events));
            EXPECT_EQ(decode(*bytes), expected.events);
            // No key in these runs arrived split across reads; make sure it would not matter.
            EXPECT_EQ(decode_bytewise(*bytes), expected.events);
        }
        EXPECT_GT(rows, 0u);
    }
}

// ---- cases the captures do not cover --------------------------------------------------------

struct DecodeCase {
    std::string_view name;
    std::string_view bytes;
    std::string_view events;  // in to_string notation, " ; " between events
};

constexpr DecodeCase keyboard_protocol_cases[] = {
    {"Release", "\x1b[97;5:3u", "key Char('a') Ctrl release"},
    {"Repeat", "\x1b[97;1:2u", "key Char('a') repeat"},
    {"ExplicitPress", "\x1b[97;1:1u", "key Char('a') press"},
    {"UnknownEventTypeDropped", "\x1b[97;1:9ux", "key Char('x') press"},
    {"ReleaseOfTildeKey", "\x1b[5;1:3~", "key PageUp release"},
    {"ReleaseOfArrow", "\x1b[1;5:3A", "key Up Ctrl release"},
    {"ShiftedAlternateIgnored", "\x1b[97:65;2u", "key Char('a') Shift press"},
    {"LockBitsIgnored", "\x1b[97;69u", "key Char('a') Ctrl press"},
    {"SuperBitIgnored", "\x1b[97;9u", "key Char('a') press"},
    {"EscapeKey", "\x1b[27u", "key Esc press"},
    {"CtrlShiftTabIsBackTab", "\x1b[9;6u", "key BackTab Ctrl+Shift press"},
    {"NonAscii", "\x1b[233;3u", "key Char('é') Alt press"},
    {"KeypadDigit", "\x1b[57399;5u", "key Char('0') Ctrl press"},
    {"KeypadEnter", "\x1b[57414u", "key Enter press"},
    {"F13", "\x1b[57376u", "key F(13) press"},
    {"ModifierKeyIsNull", "\x1b[57441;2u", "key Null Shift press"},
    {"CodeZeroDropped", "\x1b[0ux", "key Char('x') press"},
    {"SurrogateDropped", "\x1b[55296ux", "key Char('x') press"},
    {"PastUnicodeDropped", "\x1b[1114112ux", "key Char('x') press"},
    {"HugeNumberDropped", "\x1b[99999999999999999999ux", "key Char('x') press"},
    {"ControlCodeDropped", "\x1b[1ux", "key Char('x') press"},
    {"KittyF3", "\x1b[13~", "key F(3) press"},
};

constexpr DecodeCase modify_other_keys_cases[] = {
    {"CtrlEnter", "\x1b[27;5;13~", "key Enter Ctrl press"},
    {"CtrlTab", "\x1b[27;5;9~", "key Tab Ctrl press"},
    {"ShiftTab", "\x1b[27;2;9~", "key BackTab Shift press"},
    {"CtrlShiftLetterKeepsCase", "\x1b[27;6;65~", "key Char('A') Ctrl+Shift press"},
    {"CtrlSpace", "\x1b[27;5;32~", "key Char(' ') Ctrl press"},
    {"CtrlBackspace", "\x1b[27;5;127~", "key Backspace Ctrl press"},
    {"BadCodeDropped", "\x1b[27;5;0~x", "key Char('x') press"},
};

constexpr DecodeCase legacy_cases[] = {
    {"ModifiedF1", "\x1b[1;5P", "key F(1) Ctrl press"},
    {"Ss3F2", "\x1bOQ", "key F(2) press"},
    {"Ss3Up", "\x1bOA", "key Up press"},
    {"F12", "\x1b[24~", "key F(12) press"},
    {"F20", "\x1b[34~", "key F(20) press"},
    {"GapInFunctionKeysDropped", "\x1b[16~x", "key Char('x') press"},
    {"RxvtHomeEnd", "\x1b[7~\x1b[8~", "key Home press ; key End press"},
    {"BackTabWithCtrl", "\x1b[1;5Z", "key BackTab Ctrl+Shift press"},
    {"CursorReportShapeDropped", "\x1b[12;40Rx", "key Char('x') press"},
    {"CtrlBackslash", "\x1c", "key Char('\\') Ctrl press"},
    {"CtrlUnderscore", "\x1f", "key Char('_') Ctrl press"},
    {"LineFeedIsCtrlJ", "\n", "key Char('j') Ctrl press"},
    {"AltBackspace", "\x1b\x7f", "key Backspace Alt press"},
    {"AltEnter", "\x1b\r", "key Enter Alt press"},
    {"CtrlAltSpace", std::string_view("\x1b\x00", 2), "key Char(' ') Ctrl+Alt press"},
    {"AltNonAscii", "\x1b\xc3\xa9", "key Char('é') Alt press"},
    {"C1CharacterIsText", "\xc2\x9b", "key Char(U+009B) press"},
    {"EscEscIsTwoEscs", "\x1b\x1b", "key Esc press ; key Esc press"},
    {"EscBeforeSequence", "\x1b\x1b[A", "key Esc press ; key Up press"},
    {"EscOThenLetterIsAltO", "\x1bOx", "key Char('O') Alt press ; key Char('x') press"},
    {"EscBeforeBadByte", "\x1b\xffx", "key Esc press ; key Char('x') press"},
};

constexpr DecodeCase mouse_cases[] = {
    {"UrxvtPress", "\x1b[32;11;6M", "mouse press Left col=10 row=5"},
    {"UrxvtRelease", "\x1b[35;11;6M", "mouse release None col=10 row=5"},
    {"UrxvtWheel", "\x1b[97;1;1M", "mouse wheel-down col=0 row=0"},
    {"UrxvtCodeBelowOffsetDropped", "\x1b[3;1;1Mx", "key Char('x') press"},
    {"X10Press", "\x1b[M +&", "mouse press Left col=10 row=5"},
    {"X10Release", "\x1b[M#+&", "mouse release None col=10 row=5"},
    {"X10Drag", "\x1b[M@+&", "mouse drag Left col=10 row=5"},
    {"X10WheelUpWithCtrl", "\x1b[Mp!!", "mouse wheel-up col=0 row=0 Ctrl"},
    {"X10BytesAreNotParsedAsKeys", "\x1b[M \x1b\x1b", "mouse press Left col=0 row=0"},
    {"X10ControlButtonByteDropped", "\x1b[M\x01!!x", "key Char('x') press"},
    {"SgrMove", "\x1b[<35;1;2M", "mouse move col=0 row=1"},
    {"SgrRightDrag", "\x1b[<34;5;5M", "mouse drag Right col=4 row=4"},
    {"SgrAllModifiers", "\x1b[<28;3;4M", "mouse press Left col=2 row=3 Ctrl+Alt+Shift"},
    {"SgrWheelRight", "\x1b[<67;1;1M", "mouse wheel-right col=0 row=0"},
    {"SgrWheelReleaseDropped", "\x1b[<66;1;1mx", "key Char('x') press"},
    {"SgrExtraButtonDropped", "\x1b[<128;1;1Mx", "key Char('x') press"},
    {"SgrZeroCoordinateClamps", "\x1b[<0;0;0M", "mouse press Left col=0 row=0"},
    {"SgrHugeCoordinateSaturates", "\x1b[<0;99999999;70000M",
     "mouse press Left col=65535 row=65535"},
    {"SgrTwoParametersDropped", "\x1b[<0;1Mx", "key Char('x') press"},
    {"SgrSubParametersDropped", "\x1b[<0:1;1;1Mx", "key Char('x') press"},
};

constexpr DecodeCase paste_and_focus_cases[] = {
    {"FocusIn", "\x1b[I", "focus gained"},
    {"FocusOut", "\x1b[O", "focus lost"},
    {"FocusWithParameterDropped", "\x1b[1Ix", "key Char('x') press"},
    {"Paste", "\x1b[200~hello\x1b[201~", "paste \"hello\""},
    {"EmptyPaste", "\x1b[200~\x1b[201~", "paste \"\""},
    {"PasteKeepsControlBytesAndSequences",
     "\x1b[200~a\r\x1b[A\x03"
     "b\x1b[201~x",
     "paste \"a\\x0D\\x1B[A\\x03b\" ; key Char('x') press"},
    {"PasteHoldsMarkerLookalikes", "\x1b[200~\x1b[201\x1b[20~\x1b[201~",
     "paste \"\\x1B[201\\x1B[20~\""},
    {"PasteKeepsInvalidUtf8", "\x1b[200~\xff\xc3\x1b[201~", "paste \"\xff\xc3\""},
    {"StrayEndMarkerDropped", "\x1b[201~x", "key Char('x') press"},
    {"TwoPastes", "\x1b[200~a\x1b[201~\x1b[200~b\x1b[201~", "paste \"a\" ; paste \"b\""},
};

// Malformed or unknown sequences are dropped without taking the bytes after them.
constexpr DecodeCase malformed_cases[] = {
    {"ControlByteInsideCsi",
     "\x1b[1;\x01"
     "a",
     "key Char('a') Ctrl press ; key Char('a') press"},
    {"EscInsideCsi", "\x1b[1;\x1b[A", "key Up press"},
    {"TextInsideCsi", "\x1b[\xc3\xa9", "key Char('é') press"},
    {"UnknownFinal", "\x1b[99Xa", "key Char('a') press"},
    {"QueryReply", "\x1b[?64;1;2ca", "key Char('a') press"},
    {"Intermediate", "\x1b[1 qa", "key Char('a') press"},
    {"TooManyParameters", "\x1b[1;2;3;4;5Aa", "key Char('a') press"},
    {"TooManySubParameters", "\x1b[97;1:1:1:1ua", "key Char('a') press"},
    {"LetterKeyWithParameter", "\x1b[2Aa", "key Char('a') press"},
};

constexpr DecodeCase invalid_utf8_cases[] = {
    {"BadLead",
     "\xff"
     "a",
     "key Char('a') press"},
    {"LoneContinuation",
     "\x80"
     "a",
     "key Char('a') press"},
    {"TruncatedThenAscii",
     "\xc3"
     "a",
     "key Char('a') press"},
    {"TruncatedThenEsc", "\xe2\x82\x1b[A", "key Up press"},
    {"Overlong",
     "\xc0\xaf\xe0\x80\xaf"
     "a",
     "key Char('a') press"},
    {"Surrogate",
     "\xed\xa0\x80"
     "a",
     "key Char('a') press"},
    {"PastUnicode",
     "\xf4\x90\x80\x80"
     "a",
     "key Char('a') press"},
    {"FiveByteLead",
     "\xf8\x88\x80\x80\x80"
     "a",
     "key Char('a') press"},
    {"TruncatedAtEnd", "a\xf0\x9f\x98", "key Char('a') press"},
    {"LargestScalar", "\xf4\x8f\xbf\xbf", "key Char('\xf4\x8f\xbf\xbf') press"},
};

// What only the quiet-input flush can decide.
constexpr DecodeCase flush_cases[] = {
    {"LoneEscIsEsc", "\x1b", "key Esc press"},
    {"EscOIsAltO", "\x1bO", "key Char('O') Alt press"},
    {"EscBracketIsAltBracket", "\x1b[", "key Char('[') Alt press"},
    {"UnfinishedCsiDropped", "a\x1b[1;5", "key Char('a') press"},
    {"UnfinishedX10Dropped", "\x1b[M !", "nothing"},
    {"UnfinishedUtf8AfterEscDropped", "\x1b\xc3", "nothing"},
};

void check_cases(std::span<const DecodeCase> cases) {
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(decode(c.bytes)), c.events);
        EXPECT_EQ(describe(decode_bytewise(c.bytes)), c.events);
    }
}

TEST(InputDecoder, KeyboardProtocol) { check_cases(keyboard_protocol_cases); }
TEST(InputDecoder, ModifyOtherKeys) { check_cases(modify_other_keys_cases); }
TEST(InputDecoder, LegacyKeys) { check_cases(legacy_cases); }
TEST(InputDecoder, Mouse) { check_cases(mouse_cases); }
TEST(InputDecoder, PasteAndFocus) { check_cases(paste_and_focus_cases); }
TEST(InputDecoder, MalformedSequencesKeepFollowingBytes) { check_cases(malformed_cases); }
TEST(InputDecoder, InvalidUtf8IsDropped) { check_cases(invalid_utf8_cases); }
TEST(InputDecoder, FlushDecidesWhatTimingSeparates) { check_cases(flush_cases); }

TEST(InputDecoder, EverySplitPointGivesTheSameEvents) {
    constexpr std::string_view streams[] = {
        "\x1b[1;5A\x1b[<0;271;231m\xe4\xb8\xad\x1b[116;6u\x1bOP\x1b\x06",
        "\x1b[200~p\xc3\xa9\x1b[20x\x1b[201~\x1b[M +&\x1b[27;5;13~\x1b[I",
        "\xf0\x9f\x98\x80\x1b[3;5~\x1b\x1b[Z\x1b[32;11;6M\x01",
    };
    for (const std::string_view stream : streams) {
        SCOPED_TRACE(describe(decode(stream)));
        const std::vector<Event> whole = decode(stream);
        for (std::size_t a = 0; a <= stream.size(); ++a) {
            for (std::size_t b = a; b <= stream.size(); ++b) {
                SCOPED_TRACE(std::to_string(a) + "," + std::to_string(b));
                ASSERT_EQ(
                    decode_pieces({stream.substr(0, a), stream.substr(a, b - a), stream.substr(b)}),
                    whole);
            }
        }
    }
}

TEST(InputDecoder, LongSequenceIsDroppedAtTheBound) {
    // One byte short of the bound: still waiting for a final byte.
    InputDecoder decoder;
    decoder.feed("\x1b[" + std::string(max_sequence_bytes - 3, '1'));
    EXPECT_EQ(decoder.next(), std::nullopt);
    EXPECT_TRUE(decoder.pending());
    // At the bound the bytes are dropped and nothing is held any more.
    decoder.feed("1");
    EXPECT_EQ(decoder.next(), std::nullopt);
    EXPECT_FALSE(decoder.pending());
    decoder.feed("a");
    EXPECT_EQ(describe({*decoder.next()}), "key Char('a') press");
}

TEST(InputDecoder, EndlessParametersNeverHoldMoreThanTheBound) {
    InputDecoder decoder;
    std::size_t events = 0;
    for (int i = 0; i < 1000; ++i) {
        decoder.feed(i % 100 == 0 ? "\x1b[;;;;;;;;" : ";;;;;;;;;;");
        while (decoder.next()) ++events;
    }
    // The ';' past each bound arrive as text; what matters is that the decoder let go of them.
    EXPECT_GT(events, 0u);
    EXPECT_FALSE(decoder.pending());
}

TEST(InputDecoder, PasteStallFlushesTextAndStaysOpen) {
    InputDecoder decoder;
    decoder.feed("\x1b[200~ab\xc3");
    EXPECT_EQ(decoder.next(), std::nullopt);
    EXPECT_TRUE(decoder.pending());
    // The half character stays behind for the next piece.
    EXPECT_EQ(decoder.flush(), Event{PasteEvent{"ab"}});
    EXPECT_EQ(decoder.flush(), std::nullopt);
    EXPECT_TRUE(decoder.pending());
    // Still inside the paste: a control byte is text, not a key.
    decoder.feed("\xa9\x11\x1b[201~q");
    EXPECT_EQ(decoder.next(), Event{PasteEvent{"\xc3\xa9\x11"}});
    EXPECT_EQ(describe({*decoder.next()}), "key Char('q') press");
    EXPECT_FALSE(decoder.pending());
}

TEST(InputDecoder, LargePasteInManyReadsIsOneEvent) {
    std::string text;
    for (int i = 0; text.size() < (std::size_t{1} << 20); ++i)
        text += "line " + std::to_string(i) + " \xe2\x82\xac\n";
    const std::string stream = "\x1b[200~" + text + "\x1b[201~";
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < stream.size(); at += 4093)
        pieces.push_back(std::string_view(stream).substr(at, 4093));
    const std::vector<Event> events = decode_pieces(pieces);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(std::get<PasteEvent>(events[0]).text == text);
}

TEST(InputDecoder, OversizedPasteArrivesInWholeCharacterPieces) {
    std::string text;
    while (text.size() <= max_paste_bytes + 100) text += "\xe4\xb8\xad";
    InputDecoder decoder;
    decoder.feed("\x1b[200~");
    decoder.feed(text);
    std::string joined;
    std::size_t pieces = 0;
    while (std::optional<Event> e = decoder.next()) {
        const std::string& piece = std::get<PasteEvent>(*e).text;
        EXPECT_EQ(piece.size() % 3, 0u);
        EXPECT_LE(piece.size(), max_paste_bytes);
        joined += piece;
        ++pieces;
    }
    decoder.feed("\x1b[201~");
    while (std::optional<Event> e = decoder.next()) joined += std::get<PasteEvent>(*e).text;
    EXPECT_GE(pieces, 1u);
    EXPECT_TRUE(joined == text);
    EXPECT_FALSE(decoder.pending());
}

struct ParseCase {
    std::string_view name;
    std::string_view bytes;
    ParseStatus status;
    std::size_t consumed;
};

constexpr ParseCase parse_cases[] = {
    {"Empty", "", ParseStatus::NeedMore, 0},
    {"LoneEsc", "\x1b", ParseStatus::NeedMore, 0},
    {"EscBracket", "\x1b[", ParseStatus::NeedMore, 0},
    {"EscO", "\x1bO", ParseStatus::NeedMore, 0},
    {"HalfCharacter", "\xe4\xb8", ParseStatus::NeedMore, 0},
    {"UnfinishedPaste", "\x1b[200~abc", ParseStatus::NeedMore, 0},
    {"SequenceThenMore", "\x1b[1;5Axyz", ParseStatus::Ok, 6},
    {"CharacterThenMore", "\xe4\xb8\xadx", ParseStatus::Ok, 3},
    {"WholePaste", "\x1b[200~ab\x1b[201~c", ParseStatus::Ok, 14},
    {"BadByte", "\xff", ParseStatus::Invalid, 1},
    {"BrokenCsiKeepsTheByteThatBrokeIt", "\x1b[1;\x01", ParseStatus::Invalid, 4},
    {"UnknownSequenceWhole", "\x1b[99X", ParseStatus::Invalid, 5},
};

TEST(Parse, ReportsStatusAndBytesUsed) {
    for (const ParseCase& c : parse_cases) {
        SCOPED_TRACE(c.name);
        const ParseResult r = parse(c.bytes);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.consumed, c.consumed);
    }
}

}  // namespace
}  // namespace quarn::term
