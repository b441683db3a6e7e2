#include "console/glyphs/internal_glyphs.h"

#include <initializer_list>
#include <vector>

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

const std::vector<Entry>& Glyphs() {
    // Rows 0-4 hold marks above a letter, rows 16-19 marks below it; lines run
    // through column 4 and row 9 like the cell font's box lines.
    static const std::vector<Entry> glyphs = {
        // Not found: an outlined box with a question mark's dot.
        {kNotFoundGlyphCode,
         Make({{1, 3, 9, 4}, {1, 16, 9, 17}, {1, 3, 2, 17}, {8, 3, 9, 17}, {4, 12, 6, 14}})},
        // Letters and spacing modifiers.
        {0x0152, Make({{1, 4, 2, 16},
                       {2, 3, 9, 4},
                       {2, 16, 9, 17},
                       {4, 4, 5, 16},
                       {5, 9, 8, 10}})},  // capital ligature OE
        {0x0153, Make({{1, 9, 2, 15},
                       {2, 8, 4, 9},
                       {2, 15, 4, 16},
                       {4, 9, 5, 15},
                       {5, 8, 8, 9},
                       {5, 11, 9, 12},
                       {8, 9, 9, 11},
                       {5, 15, 9, 16}})},                            // small ligature oe
        {0x02BB, Make({{5, 2, 6, 3}, {4, 3, 5, 4}, {4, 4, 6, 6}})},  // turned comma
        {0x02BC, Make({{4, 2, 6, 4}, {5, 4, 6, 5}, {4, 5, 5, 6}})},  // apostrophe
        {0x02C0, Make({{4, 2, 7, 3}, {7, 3, 8, 5}, {6, 5, 7, 6}, {5, 6, 6, 9}})},  // glottal stop
        {0x02C7, Make({{2, 2, 3, 3}, {3, 3, 4, 4}, {4, 4, 6, 5}, {6, 3, 7, 4}, {7, 2, 8, 3}})},
        {0x02D8, Make({{2, 2, 3, 4}, {7, 2, 8, 4}, {3, 4, 7, 5}})},        // breve
        {0x02D9, Make({{4, 3, 6, 5}})},                                    // dot above
        {0x02DB, Make({{5, 15, 6, 17}, {4, 17, 5, 19}, {5, 19, 7, 20}})},  // ogonek
        // Combining marks above.
        {0x0309, Make({{3, 1, 6, 2}, {6, 2, 7, 3}, {5, 3, 6, 5}})},                // hook above
        {0x030B, Make({{3, 2, 4, 4}, {4, 1, 5, 2}, {6, 2, 7, 4}, {7, 1, 8, 2}})},  // double acute
        {0x0310, Make({{4, 0, 6, 1}, {3, 2, 4, 3}, {6, 2, 7, 3}, {4, 3, 6, 4}})},  // candrabindu
        {0x0313, Make({{4, 1, 6, 2}, {5, 2, 6, 3}, {4, 3, 5, 4}})},                // comma above
        {0x0315, Make({{7, 1, 9, 2}, {8, 2, 9, 3}, {7, 3, 8, 4}})},   // comma above right
        {0x031B, Make({{9, 3, 10, 5}, {8, 5, 9, 7}})},                // horn
        {0xFE20, Make({{1, 4, 2, 5}, {2, 3, 3, 4}, {3, 2, 10, 3}})},  // ligature left half
        {0xFE21, Make({{0, 2, 7, 3}, {7, 3, 8, 4}, {8, 4, 9, 5}})},   // ligature right half
        {0xFE22, Make({{1, 3, 3, 4}, {3, 2, 6, 3}, {6, 3, 10, 4}})},  // double tilde left half
        {0xFE23, Make({{0, 3, 4, 4}, {4, 2, 7, 3}, {7, 3, 9, 4}})},   // double tilde right half
        // Combining marks below.
        {0x031C, Make({{4, 17, 5, 18}, {3, 18, 4, 19}, {4, 19, 5, 20}})},  // left half ring below
        {0x0323, Make({{4, 17, 6, 19}})},                                  // dot below
        {0x0324, Make({{2, 17, 4, 19}, {6, 17, 8, 19}})},                  // diaeresis below
        {0x0325,
         Make({{4, 16, 6, 17}, {3, 17, 4, 19}, {6, 17, 7, 19}, {4, 19, 6, 20}})},  // ring below
        {0x0326, Make({{4, 17, 6, 18}, {5, 18, 6, 19}, {4, 19, 5, 20}})},          // comma below
        {0x032E, Make({{3, 17, 4, 18}, {6, 17, 7, 18}, {4, 18, 6, 19}})},          // breve below
        {0x0333, Make({{0, 17, 10, 18}, {0, 19, 10, 20}})},  // double low line
        {0x2017, Make({{0, 17, 10, 18}, {0, 19, 10, 20}})},  // double low line
        // Symbols.
        {0x2117, Make({{2, 3, 8, 4},
                       {2, 16, 8, 17},
                       {1, 4, 2, 16},
                       {8, 4, 9, 16},
                       {3, 6, 4, 14},
                       {4, 6, 6, 7},
                       {6, 7, 7, 9},
                       {4, 9, 6, 10}})},  // sound recording copyright
        {0x2424, Make({{1, 3, 2, 9},
                       {4, 3, 5, 9},
                       {2, 4, 3, 6},
                       {3, 6, 4, 8},
                       {5, 11, 6, 17},
                       {5, 17, 9, 18}})},  // symbol for new line
        {0x266D, Make({{3, 2, 4, 17},
                       {4, 10, 6, 11},
                       {6, 11, 7, 15},
                       {4, 15, 6, 16},
                       {4, 16, 5, 17}})},  // flat sign
        // Rounded box corners, their arms on the box lines' column and row.
        {0x256D, Make({{5, 9, 10, 10}, {4, 10, 5, 20}})},  // down and right
        {0x256E, Make({{0, 9, 4, 10}, {4, 10, 5, 20}})},   // down and left
        {0x256F, Make({{0, 9, 4, 10}, {4, 0, 5, 9}})},     // up and left
        {0x2570, Make({{5, 9, 10, 10}, {4, 0, 5, 9}})},    // up and right
        // The scan lines of the line-drawing set: 1, 3, 7 and 9 (5 is the box line).
        {0x2594, Make({{0, 0, 10, 2}})},    // upper one eighth block, scan line 1
        {0xE8B6, Make({{0, 5, 10, 6}})},    // scan line 3
        {0xE8B8, Make({{0, 14, 10, 15}})},  // scan line 7
        {0x2581, Make({{0, 18, 10, 20}})},  // lower one eighth block, scan line 9
    };
    return glyphs;
}

}  // namespace

const MonoGlyph* InternalGlyph(char16_t ch) {
    for (const Entry& e : Glyphs())
        if (e.Code == ch) return &e.Glyph;
    return nullptr;
}

}  // namespace console
