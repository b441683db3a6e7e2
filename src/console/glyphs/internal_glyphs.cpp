#include "console/glyphs/internal_glyphs.h"

#include <array>
#include <initializer_list>

namespace console {

namespace {

constexpr int32_t kWidth = 10;
constexpr int32_t kHeight = 20;

// A glyph drawn from rectangles of ink (left, top, right, bottom; exclusive ends).
struct Box {
    int32_t Left, Top, Right, Bottom;
};

MonoGlyph Make(std::initializer_list<Box> boxes) {
    MonoGlyph g;
    g.Width = kWidth;
    g.Height = kHeight;
    const size_t stride = (kWidth + 7) / 8;
    g.Bits.assign(stride * kHeight, 0);
    for (const Box& b : boxes)
        for (int32_t y = b.Top; y < b.Bottom; ++y)
            for (int32_t x = b.Left; x < b.Right; ++x)
                g.Bits[stride * y + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    return g;
}

struct Entry {
    char16_t Code;
    MonoGlyph Glyph;
};

const std::array<Entry, 9>& Glyphs() {
    static const std::array<Entry, 9> glyphs = {{
        // Not found: an outlined box with a question mark's dot.
        {kNotFoundGlyphCode,
         Make({{1, 3, 9, 4}, {1, 16, 9, 17}, {1, 3, 2, 17}, {8, 3, 9, 17}, {4, 12, 6, 14}})},
        {0x0323, Make({{4, 17, 6, 19}})},                  // dot below
        {0x0324, Make({{2, 17, 4, 19}, {6, 17, 8, 19}})},  // diaeresis below
        {0x0325,
         Make({{4, 16, 6, 17}, {3, 17, 4, 19}, {6, 17, 7, 19}, {4, 19, 6, 20}})},  // ring below
        {0x0326, Make({{4, 17, 6, 18}, {5, 18, 6, 19}, {4, 19, 5, 20}})},          // comma below
        {0x0333, Make({{0, 17, 10, 18}, {0, 19, 10, 20}})},  // double low line
        {0x2017, Make({{0, 17, 10, 18}, {0, 19, 10, 20}})},  // double low line
        {0x2581, Make({{0, 18, 10, 20}})},                   // lower one eighth block
        {0x2594, Make({{0, 0, 10, 2}})},                     // upper one eighth block
    }};
    return glyphs;
}

}  // namespace

const MonoGlyph* InternalGlyph(char16_t ch) {
    for (const Entry& e : Glyphs())
        if (e.Code == ch) return &e.Glyph;
    return nullptr;
}

}  // namespace console
