#include "console/glyphs/font_tables.h"

#include <algorithm>
#include <iterator>

namespace console {

namespace {

constexpr UnicodeRange kCombiningMarks[] = {
    {0x0300, 0x0362}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C4}, {0x064B, 0x0655}, {0x0670, 0x0670}, {0x06D6, 0x06E4}, {0x06E7, 0x06E8},
    {0x06EA, 0x06ED}, {0x0711, 0x0711}, {0x0730, 0x074A}, {0x07A6, 0x07B0}, {0x0901, 0x0903},
    {0x093C, 0x093C}, {0x093E, 0x094D}, {0x0951, 0x0954}, {0x0962, 0x0963}, {0x0981, 0x0983},
    {0x09BC, 0x09D7}, {0x0A3C, 0x0A4D}, {0x0ABC, 0x0ABC}, {0x0ABE, 0x0ACD}, {0x0B3C, 0x0B3C},
    {0x0B3E, 0x0B57}, {0x0BB2, 0x0BB3}, {0x0BBE, 0x0BD7}, {0x0C01, 0x0C03}, {0x0C3E, 0x0C56},
    {0x0C82, 0x0C83}, {0x0CBE, 0x0CD6}, {0x0D02, 0x0D03}, {0x0D3E, 0x0D57}, {0x0D81, 0x0D82},
    {0x0DCA, 0x0DF3}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x0EB4, 0x0EBC},
    {0x0EC8, 0x0ECD}, {0x0F18, 0x0F19}, {0x0F35, 0x0F35}, {0x0F37, 0x0F37}, {0x0F39, 0x0F39},
    {0x0F3E, 0x0F3F}, {0x0F71, 0x0F84}, {0x0F86, 0x0F87}, {0x0F90, 0x0FBC}, {0x0FC6, 0x0FC6},
    {0x102C, 0x1039}, {0x17B4, 0x17D3}, {0x18A9, 0x18A9}, {0x20D0, 0x20E3}, {0x302A, 0x302F},
    {0x3099, 0x309A}, {0xFB1E, 0xFB1E}, {0xFE20, 0xFE23}};

constexpr UnicodeRange kBlankLike[] = {{0x00A0, 0x00A0}, {0x115F, 0x1160}, {0x2000, 0x200B},
                                       {0x202F, 0x202F}, {0x2800, 0x2800}, {0x3000, 0x3000},
                                       {0x3164, 0x3164}, {0xFFA0, 0xFFA0}, {0xFFF9, 0xFFFC}};

constexpr UnicodeRange kMarksAbove[] = {
    {0x0300, 0x0315}, {0x031A, 0x031A}, {0x033D, 0x0344}, {0x0346, 0x0346}, {0x034A, 0x034C},
    {0x0483, 0x0486}, {0x0592, 0x0595}, {0x0597, 0x0599}, {0x059C, 0x05A1}, {0x05A8, 0x05A9},
    {0x05AB, 0x05AC}, {0x05AE, 0x05AF}, {0x05C4, 0x05C4}, {0x0653, 0x0654}, {0x06D6, 0x06DC},
    {0x06DF, 0x06E2}, {0x06E4, 0x06E4}, {0x06E7, 0x06E8}, {0x06EB, 0x06EC}, {0x0730, 0x0730},
    {0x0732, 0x0733}, {0x0735, 0x0736}, {0x073A, 0x073A}, {0x073D, 0x073D}, {0x073F, 0x0741},
    {0x0743, 0x0743}, {0x0745, 0x0745}, {0x0747, 0x0747}, {0x0749, 0x074A}, {0x0951, 0x0951},
    {0x0953, 0x0954}, {0x0F82, 0x0F83}, {0x0F86, 0x0F87}, {0x18A9, 0x18A9}, {0x20D0, 0x20D1},
    {0x20D4, 0x20D7}, {0x20DB, 0x20DC}, {0x20E1, 0x20E1}, {0x302B, 0x302C}, {0xFE20, 0xFE23}};

constexpr UnicodeRange kMarksBelow[] = {
    {0x0316, 0x0319}, {0x031C, 0x0333}, {0x0339, 0x033C}, {0x0347, 0x0349}, {0x034D, 0x034E},
    {0x0591, 0x0591}, {0x0596, 0x0596}, {0x059A, 0x059B}, {0x05A3, 0x05A7}, {0x05AA, 0x05AA},
    {0x05AD, 0x05AD}, {0x0655, 0x0655}, {0x06E3, 0x06E3}, {0x06EA, 0x06EA}, {0x06ED, 0x06ED},
    {0x0731, 0x0731}, {0x0734, 0x0734}, {0x0737, 0x0739}, {0x073B, 0x073C}, {0x073E, 0x073E},
    {0x0742, 0x0742}, {0x0744, 0x0744}, {0x0746, 0x0746}, {0x0748, 0x0748}, {0x0952, 0x0952},
    {0x0F18, 0x0F19}, {0x0F35, 0x0F35}, {0x0F37, 0x0F37}, {0x0FC6, 0x0FC6}, {0x302A, 0x302A},
    {0x302D, 0x302D}};

constexpr UnicodeRange kAmbiguousWidth[] = {{0x00A1, 0x266F}};

constexpr UnicodeRange kDoubleWidth0[] = {{0x1100, 0x115F}, {0x2E80, 0xD7A3}, {0xF900, 0xFA2D},
                                          {0xFE30, 0xFE6B}, {0xFF01, 0xFF5E}, {0xFFE0, 0xFFE6}};
constexpr UnicodeRange kDoubleWidth1[] = {{0x1100, 0x11FF}, {0x2460, 0x24FF}, {0x2E80, 0xD7A3},
                                          {0xF900, 0xFA2D}, {0xFE30, 0xFE6B}, {0xFF01, 0xFF5E},
                                          {0xFFE0, 0xFFE6}};

// Big-endian reads that never pass the end of the bytes given.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Has(size_t offset, size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    uint16_t U16(size_t offset) const {
        if (!Has(offset, 2)) return 0;
        return static_cast<uint16_t>(bytes_[offset] << 8 | bytes_[offset + 1]);
    }
    uint32_t U32(size_t offset) const {
        if (!Has(offset, 4)) return 0;
        return static_cast<uint32_t>(U16(offset)) << 16 | U16(offset + 2);
    }
    size_t size() const { return bytes_.size(); }
    std::span<const uint8_t> Sub(size_t offset) const { return bytes_.subspan(offset); }

  private:
    std::span<const uint8_t> bytes_;
};

// The layout of a format-4 subtable: where its four arrays start and how many
// segments it has, checked against the bytes it lies in.
struct Format4 {
    Reader Table{{}};
    size_t SegCount = 0;
    size_t EndCodes = 0;
    size_t StartCodes = 0;
    size_t Deltas = 0;
    size_t RangeOffsets = 0;
};

bool LocateFormat4(std::span<const uint8_t> cmap, Format4& f) {
    Reader r(cmap);
    if (!r.Has(0, 4)) return false;
    size_t records = r.U16(2);
    for (size_t i = 0; i < records; ++i) {
        size_t rec = 4 + i * 8;
        if (!r.Has(rec, 8)) return false;
        if (r.U16(rec) != 3 || r.U16(rec + 2) != 1) continue;
        size_t offset = r.U32(rec + 4);
        // The subtable's own length field is 16 bits and too small in some large
        // fonts, so the bound is the table's real end.
        if (!r.Has(offset, 14) || r.U16(offset) != 4) return false;
        f.Table = Reader(r.Sub(offset));
        f.SegCount = f.Table.U16(6) / 2;
        f.EndCodes = 14;
        f.StartCodes = f.EndCodes + 2 * f.SegCount + 2;
        f.Deltas = f.StartCodes + 2 * f.SegCount;
        f.RangeOffsets = f.Deltas + 2 * f.SegCount;
        return f.SegCount > 0 && f.Table.Has(f.RangeOffsets, 2 * f.SegCount);
    }
    return false;
}

}  // namespace

bool InRangeSet(char16_t ch, std::span<const UnicodeRange> set) {
    auto it = std::lower_bound(set.begin(), set.end(), ch,
                               [](const UnicodeRange& r, char16_t c) { return r.Last < c; });
    return it != set.end() && it->First <= ch;
}

bool RangeTableContains(char16_t ch, const UnicodeRangeTable* table) {
    return table && InRangeSet(ch, *table);
}

std::span<const UnicodeRange> CombiningMarkSet() {
    return kCombiningMarks;
}
std::span<const UnicodeRange> BlankLikeSet() {
    return kBlankLike;
}
std::span<const UnicodeRange> MarksAboveSet() {
    return kMarksAbove;
}
std::span<const UnicodeRange> MarksBelowSet() {
    return kMarksBelow;
}
std::span<const UnicodeRange> AmbiguousWidthSet() {
    return kAmbiguousWidth;
}
std::span<const UnicodeRange> DoubleWidthSet(int entry) {
    if (entry == 1) return kDoubleWidth1;
    return kDoubleWidth0;
}

bool IsBoxOrCombining(char16_t ch) {
    return (ch >> 8) == 0x25 || InRangeSet(ch, kCombiningMarks);
}

std::span<const uint8_t> FindFontTable(std::span<const uint8_t> file, uint32_t tag) {
    Reader r(file);
    size_t directory = 0;
    // A collection names its fonts' directories; the first one is used.
    if (r.U32(0) == FontTag('t', 't', 'c', 'f')) {
        if (r.U32(8) == 0) return {};
        directory = r.U32(12);
    }
    if (!r.Has(directory, 12)) return {};
    size_t tables = r.U16(directory + 4);
    for (size_t i = 0; i < tables; ++i) {
        size_t rec = directory + 12 + i * 16;
        if (!r.Has(rec, 16)) return {};
        if (r.U32(rec) != tag) continue;
        size_t offset = r.U32(rec + 8);
        size_t length = r.U32(rec + 12);
        if (!r.Has(offset, length)) return {};
        return file.subspan(offset, length);
    }
    return {};
}

bool ReadCmapRanges(std::span<const uint8_t> cmap, UnicodeRangeTable& ranges) {
    ranges.clear();
    Format4 f;
    if (!LocateFormat4(cmap, f)) return false;
    ranges.reserve(f.SegCount);
    for (size_t i = 0; i < f.SegCount; ++i) {
        auto first = static_cast<char16_t>(f.Table.U16(f.StartCodes + 2 * i));
        auto last = static_cast<char16_t>(f.Table.U16(f.EndCodes + 2 * i));
        // A segment that ends before it starts maps nothing.
        if (first <= last) ranges.push_back({first, last});
    }
    // The lookups search the table, so a font whose segments are out of order
    // or overlap has them sorted and the overlaps joined.
    auto byFirst = [](const UnicodeRange& a, const UnicodeRange& b) { return a.First < b.First; };
    if (!std::is_sorted(ranges.begin(), ranges.end(), byFirst))
        std::sort(ranges.begin(), ranges.end(), byFirst);
    size_t kept = 0;
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (kept > 0 && ranges[i].First <= ranges[kept - 1].Last) {
            ranges[kept - 1].Last = std::max(ranges[kept - 1].Last, ranges[i].Last);
        } else {
            ranges[kept++] = ranges[i];
        }
    }
    ranges.resize(kept);
    return true;
}

uint16_t CmapGlyphIndex(std::span<const uint8_t> cmap, char16_t ch) {
    Format4 f;
    if (!LocateFormat4(cmap, f)) return 0;
    const Reader& t = f.Table;
    for (size_t i = 0; i < f.SegCount; ++i) {
        if (t.U16(f.EndCodes + 2 * i) < ch) continue;
        uint16_t start = t.U16(f.StartCodes + 2 * i);
        if (start > ch) return 0;
        uint16_t delta = t.U16(f.Deltas + 2 * i);
        size_t rangeOffsetAt = f.RangeOffsets + 2 * i;
        uint16_t rangeOffset = t.U16(rangeOffsetAt);
        if (rangeOffset == 0) return static_cast<uint16_t>(ch + delta);
        // The offset counts from its own place in the subtable.
        size_t at = rangeOffsetAt + rangeOffset + 2 * static_cast<size_t>(ch - start);
        if (!t.Has(at, 2)) return 0;
        uint16_t glyph = t.U16(at);
        return glyph == 0 ? 0 : static_cast<uint16_t>(glyph + delta);
    }
    return 0;
}

bool SubstituteGlyph(char16_t ch, char16_t& substitute) {
    char16_t s = 0;
    if (ch == 0x2070) {
        s = u'0';
    } else if (ch >= 0x2074 && ch <= 0x2079) {
        s = static_cast<char16_t>(u'4' + (ch - 0x2074));
    } else if (ch >= 0x2080 && ch <= 0x2089) {
        s = static_cast<char16_t>(u'0' + (ch - 0x2080));
    } else {
        switch (ch) {
            case 0x207A:
            case 0x208A:
                s = u'+';
                break;
            case 0x207B:
            case 0x208B:
                s = u'-';
                break;
            case 0x207D:
            case 0x208D:
                s = u'(';
                break;
            case 0x207E:
            case 0x208E:
                s = u')';
                break;
            case 0x2113:
                s = u'l';
                break;
            case 0x266F:
                s = u'#';
                break;
            case 0x0110:
                s = u'D';
                break;
            case 0x0111:
                s = u'd';
                break;
            case 0x0131:
                s = u'i';
                break;
            case 0x02BB:
                s = 0x2018;
                break;
            case 0x02BC:
                s = 0x2019;
                break;
            case 0x02C6:
            case 0x0302:
                s = u'^';
                break;
            case 0x02C9:
            case 0x0304:
                s = 0x00AF;
                break;
            case 0x02DA:
            case 0x030A:
                s = 0x00B0;
                break;
            case 0x0337:
                s = u'/';
                break;
            default:
                return false;
        }
    }
    substitute = s;
    return true;
}

bool SubstituteQuoteMark(char16_t ch, char16_t& substitute) {
    if (ch == 0x02BB) {
        substitute = 0x2018;
    } else if (ch == 0x02BC) {
        substitute = 0x2019;
    } else {
        return false;
    }
    return true;
}

}  // namespace console
