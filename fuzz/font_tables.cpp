// Arbitrary bytes as a font file, and as a character map on their own, through
// the table directory, the coverage reader and the glyph lookup. Each input is
// copied to a buffer of its exact size so that any read past the end is caught;
// the ranges read must be ordered without overlaps.

#include "console/glyphs/font_tables.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

using namespace console;

namespace {

void CheckCmap(std::span<const uint8_t> cmap) {
    UnicodeRangeTable ranges;
    bool read = ReadCmapRanges(cmap, ranges);
    if (!read && !ranges.empty()) __builtin_trap();
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].First > ranges[i].Last) __builtin_trap();
        if (i > 0 && ranges[i].First <= ranges[i - 1].Last) __builtin_trap();
    }
    // A character outside every range has no glyph.
    for (char16_t ch : {u'\0', u'A', u'\u00E9', u'\u0301', u'\u2500', u'\u4E00', u'\uFFFE'}) {
        uint16_t glyph = CmapGlyphIndex(cmap, ch);
        if (!read && glyph != 0) __builtin_trap();
        (void)RangeTableContains(ch, &ranges);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto copy = std::make_unique<uint8_t[]>(size ? size : 1);
    std::copy(data, data + size, copy.get());
    std::span<const uint8_t> file(copy.get(), size);
    std::span<const uint8_t> cmap = FindFontTable(file, FontTag('c', 'm', 'a', 'p'));
    if (!cmap.empty() &&
        (cmap.data() < file.data() || cmap.data() + cmap.size() > file.data() + size))
        __builtin_trap();
    CheckCmap(cmap);
    CheckCmap(file);
    return 0;
}
