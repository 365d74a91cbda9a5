#pragma once
// Readable gtest output for toolkit values (test builds only).

#include <ostream>

#include "toolkit/buffer.hpp"
#include "toolkit/rect.hpp"

namespace quarn::toolkit {

inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.x << "," << r.y << " " << r.width << "x" << r.height << "}";
}

inline void PrintTo(const Color& c, std::ostream* os) {
    switch (c.kind) {
        case ColorKind::Default:
            *os << "default";
            return;
        case ColorKind::Palette:
            *os << "palette " << static_cast<int>(c.palette);
            return;
        case ColorKind::Rgb:
            *os << "rgb(" << int{c.rgb.r} << "," << int{c.rgb.g} << "," << int{c.rgb.b} << ")";
            return;
    }
}

inline void PrintTo(const Style& s, std::ostream* os) {
    *os << "{fg ";
    PrintTo(s.fg, os);
    *os << ", bg ";
    PrintTo(s.bg, os);
    *os << (s.reverse ? ", reverse}" : "}");
}

inline void PrintTo(const Cell& c, std::ostream* os) {
    *os << "U+" << std::hex << static_cast<unsigned>(c.symbol) << std::dec << " ";
    PrintTo(c.style, os);
}

inline void PrintTo(const CellUpdate& u, std::ostream* os) {
    *os << "(" << u.x << "," << u.y << ") ";
    PrintTo(u.cell, os);
}

}  // namespace quarn::toolkit
