#include "console/glyphs/glyph_fallback.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <iterator>

namespace console {

GlyphDrawingHooks GlyphHooks;

namespace {

// The automatic search walks these rows in order: a range of characters and the
// character set whose families may have them.
struct SearchRow {
    char16_t First;
    char16_t Last;
    uint8_t Charset;
};
constexpr SearchRow kSearchTable[] = {
    {0x0370, 0x03FF, 161}, {0x1F00, 0x1FFF, 161}, {0x0400, 0x04FF, 204}, {0x0590, 0x05FF, 177},
    {0xFB1D, 0xFB4F, 177}, {0x0600, 0x06FF, 178}, {0x0E01, 0x0E7F, 222}, {0xFB50, 0xFDFB, 178},
    {0xFE70, 0xFEFF, 178}, {0x1100, 0x11FF, 129}, {0x3000, 0x30FF, 128}, {0x3100, 0x312F, 136},
    {0x3130, 0x318F, 129}, {0x3200, 0x33FF, 136}, {0x4E00, 0x9FFF, 136}, {0xAC00, 0xD7FF, 129},
    {0xFF00, 0xFFEF, 136}, {0x0000, 0xFFEF, 0},   {0x2000, 0xFFEF, 134}, {0x2000, 0xFFEF, 136},
    {0x2000, 0xFFEF, 128}, {0x2000, 0xFFEF, 129}};

// A list never grows past this by the automatic search: each search adds one
// family, and a character no family has would otherwise add them all.
constexpr size_t kMaxFontItems = 64;

constexpr char16_t kNotFoundGlyph = 0xE8BC;
constexpr char16_t kInvertedQuestion = 0x00BF;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

void Note(std::string* source, std::string_view what) {
    if (!source) return;
    if (!source->empty()) *source += ", ";
    *source += what;
}

}  // namespace

bool IsAutoItem(const FontItem& item) {
    return SameName(item.Name, "AUTO");
}

void AddFontListEntry(FontBank& bank, std::string_view name) {
    size_t start = name.find_first_not_of(' ');
    name = start == std::string_view::npos ? std::string_view{} : name.substr(start);
    FontItem item;
    if (!name.empty() && name.front() == '-') {
        item.Disabled = true;
        name.remove_prefix(1);
    }
    item.Name = std::string(name);
    bank.Items.push_back(std::move(item));
}

void ParseFontList(FontBank& bank, std::string_view text) {
    bank.Items.clear();
    ForgetMissingCharacters(bank);
    for (;;) {
        size_t bar = text.find('|');
        AddFontListEntry(bank, text.substr(0, bar));
        if (bar == std::string_view::npos) break;
        text.remove_prefix(bar + 1);
    }
}

void ForgetMissingCharacters(FontBank& bank) {
    bank.NoFontNarrow.reset();
    bank.NoFontAny.reset();
    bank.FoundNarrow.clear();
    bank.FoundAny.clear();
}

bool GlyphLooksMissing(const GlyphBox& box, int32_t descent) {
    if (box.BlackBoxX == 1 && box.BlackBoxY == 1 && box.OriginX == 0 && box.OriginY == 0)
        return true;
    return box.BlackBoxY - box.OriginY > descent;
}

int32_t StackMark(char16_t ch, int32_t top, int32_t height, int32_t cellHeight, MarkStack& stack) {
    int32_t bottom = top + height;
    if (InRangeSet(ch, MarksAboveSet()) && bottom >= stack.Top) {
        top = stack.Top - (cellHeight / 30 + 1) - height;
        bottom = top + height;
    }
    if (top < 0 || (ch >= 0xFE20 && ch <= 0xFE23)) {
        top = 0;
        bottom = height;
    }
    stack.Top = std::min(stack.Top, top);
    if (InRangeSet(ch, MarksBelowSet()) && top < stack.Bottom) {
        top = stack.Bottom;
        bottom = top + height;
    }
    if (bottom > cellHeight) {
        top = cellHeight - height;
        bottom = cellHeight;
    }
    stack.Bottom = std::max(stack.Bottom, bottom);
    return top;
}

std::u16string NoDecomposition(char16_t) {
    return {};
}

char16_t NoDiacriticPartner(char16_t) {
    return 0;
}

int32_t DecomposeCell(char16_t* chars, int32_t count, const UnicodeRangeTable* cellRanges,
                      DecomposeFunction decompose) {
    if (count < 1) return count;
    count = std::min(count, kMaxCellCodeUnits);
    for (int32_t round = 0; round < kMaxCellCodeUnits && count < kMaxCellCodeUnits; ++round) {
        char16_t first = chars[0];
        bool composite = first >= 0xE800 && first <= 0xEFFF;
        if (!composite && RangeTableContains(first, cellRanges)) break;
        std::u16string parts = decompose(first);
        if (parts.empty() || (parts.size() == 1 && parts[0] == first)) break;
        // The marks after the first character stay; what does not fit is left off.
        int32_t room = kMaxCellCodeUnits - (count - 1);
        int32_t take = std::min<int32_t>(static_cast<int32_t>(parts.size()), room);
        std::move_backward(chars + 1, chars + count, chars + count - 1 + take);
        std::copy_n(parts.begin(), take, chars);
        count = count - 1 + take;
    }
    return count;
}

bool LoadFallbackFont(GlyphDevice& device, FontItem& item) {
    if (item.Name.empty() || item.Disabled || IsAutoItem(item)) return false;
    if (!item.Font) {
        item.Font = device.MakeFallbackFont(item.Name);
        if (!item.Font) {
            item.Disabled = true;
            return false;
        }
    }
    if (!item.Ranges) {
        uintptr_t before = device.SelectedFont();
        device.SelectFont(item.Font);
        // The system gave another face for the name: the item is no use.
        if (!SameName(device.FaceName(), item.Name)) {
            device.SelectFont(before);
            device.DeleteFont(item.Font);
            item.Font = 0;
            item.Disabled = true;
            return false;
        }
        auto ranges = std::make_shared<UnicodeRangeTable>();
        if (!device.ReadRanges(*ranges)) ranges->clear();
        item.Ranges = std::move(ranges);
        device.SelectFont(before);
    }
    return true;
}

bool FindFontForChar(GlyphDevice& device, char16_t ch, FontBank& bank, int mode) {
    if (bank.Items.size() >= kMaxFontItems) return false;
    auto accept = [&bank](std::string_view family) {
        if (family.empty() || family.front() == '@') return false;
        return std::none_of(bank.Items.begin(), bank.Items.end(),
                            [&](const FontItem& item) { return SameName(item.Name, family); });
    };
    // The pitches searched, in order (true: fixed pitch).
    static constexpr bool kOrders[4][2] = {
        {true, true}, {true, false}, {false, false}, {false, true}};
    int order = std::clamp(mode, 0, 3);
    int passCount = order == 1 || order == 3 ? 2 : 1;
    for (int pass = 0; pass < passCount; ++pass) {
        bool fixed = kOrders[order][pass];
        for (const SearchRow& row : kSearchTable) {
            if (ch < row.First || ch > row.Last) continue;
            std::string found = device.FindFamily(row.Charset, fixed, accept);
            if (found.empty()) continue;
            // The found face takes the automatic item's place; the search stays last.
            auto autoItem = std::find_if(bank.Items.begin(), bank.Items.end(), IsAutoItem);
            if (autoItem == bank.Items.end()) return false;
            *autoItem = FontItem{};
            autoItem->Name = found;
            AddFontListEntry(bank, "AUTO");
            return true;
        }
    }
    return false;
}

const UnicodeRangeTable* SelectFallbackFont(GlyphDevice& device, const char16_t* chars,
                                            int32_t count, bool narrowCheck, int32_t cellWidth,
                                            int mode, FontBank& bank) {
    if (bank.Items.empty() || count < 1) return nullptr;
    char16_t first = chars[0];
    bool narrow = narrowCheck && !InRangeSet(first, DoubleWidthSet(0)) &&
                  InRangeSet(first, AmbiguousWidthSet());
    auto& missing = narrow ? bank.NoFontNarrow : bank.NoFontAny;
    if (count == 1 && missing[first]) return nullptr;
    if (bank.FoundCellWidth != cellWidth) {
        bank.FoundNarrow.clear();
        bank.FoundAny.clear();
        bank.FoundCellWidth = cellWidth;
    }
    auto& found = narrow ? bank.FoundNarrow : bank.FoundAny;
    if (count == 1 && !found.empty() && found[first] != 0 && found[first] <= bank.Items.size()) {
        FontItem& item = bank.Items[found[first] - 1u];
        if (LoadFallbackFont(device, item) && RangeTableContains(first, item.Ranges.get())) {
            device.SelectFont(item.Font);
            return item.Ranges.get();
        }
        found[first] = 0;
    }
    uintptr_t before = device.SelectedFont();
    for (size_t i = 0; i < bank.Items.size(); ++i) {
        if (i + 1 == bank.Items.size() && IsAutoItem(bank.Items[i]))
            FindFontForChar(device, first, bank, mode);
        FontItem& item = bank.Items[i];
        if (!LoadFallbackFont(device, item)) continue;
        if (!std::all_of(chars, chars + count,
                         [&](char16_t c) { return RangeTableContains(c, item.Ranges.get()); }))
            continue;
        device.SelectFont(item.Font);
        GlyphBox box;
        if (device.MeasureGlyph(first, box) && GlyphLooksMissing(box, device.Descent())) continue;
        // An ambiguous-width character must not spill into the next cell.
        if (narrow && int64_t{device.CharWidth(first)} * 10 >= int64_t{cellWidth} * 11) continue;
        if (count == 1 && i < kMaxFontItems) {
            if (found.empty()) found.assign(0x10000, 0);
            found[first] = static_cast<uint8_t>(i + 1);
        }
        return item.Ranges.get();
    }
    device.SelectFont(before);
    if (count == 1) missing[first] = true;
    return nullptr;
}

void DrawGlyph(GlyphDevice& device, const char16_t* chars, int32_t count, int mode, FontBank& bank,
               const UnicodeRangeTable* cellRanges, const GlyphCell& cell, std::string* source) {
    if (source) source->clear();
    char16_t units[kMaxCellCodeUnits] = {};
    count = std::clamp(count, 0, kMaxCellCodeUnits);
    if (count == 0) return;
    std::copy_n(chars, count, units);
    const uintptr_t cellFont = device.SelectedFont();
    const int32_t cellAscent = device.Ascent();
    if (InRangeSet(units[0], BlankLikeSet())) units[0] = u' ';
    count = DecomposeCell(units, count, cellRanges, GlyphHooks.Decompose);
    if (cell.Opaque) device.FillCell(cell.Left, cell.Top, cell.Width, cell.Height);

    const UnicodeRangeTable* ranges = cellRanges;
    auto backToCellFont = [&] {
        device.SelectFont(cellFont);
        ranges = cellRanges;
    };
    auto tryFallback = [&](char16_t c, bool narrowCheck) {
        const UnicodeRangeTable* found =
            SelectFallbackFont(device, &c, 1, narrowCheck, cell.Width, mode, bank);
        if (!found) {
            backToCellFont();
            return false;
        }
        ranges = found;
        return true;
    };
    // A mark whose ink lies left of its origin (no advance of its own) is moved into the cell.
    auto markX = [&](char16_t c, const GlyphBox* box) {
        bool leftOfOrigin = box && box->OriginX + box->BlackBoxX <= 0;
        return cell.Left + (device.CharWidth(c) == 0 || leftOfOrigin ? cell.Width : 0);
    };

    MarkStack stack{INT32_MAX / 2, INT32_MIN / 2};
    bool drawn = false;
    char16_t base = units[0];
    int32_t next = 0;
    if (!RangeTableContains(base, ranges)) tryFallback(base, true);
    if (RangeTableContains(base, ranges)) {
        int32_t offset = cellAscent - device.Ascent();
        if (count > 1 && base != u' ') {
            GlyphBox box;
            if (device.MeasureGlyph(base, box)) {
                if (box.BlackBoxY <= 1) {
                    // An empty base cannot carry marks: it shows as a question mark alone.
                    backToCellFont();
                    base = kInvertedQuestion;
                    count = 1;
                } else {
                    stack.Top = device.Ascent() - box.OriginY + offset;
                    stack.Bottom = stack.Top + box.BlackBoxY;
                }
            }
        }
        device.DrawChar(base, cell.Left, cell.Top + offset);
        Note(source, device.FaceName());
        drawn = true;
        next = 1;
    }
    for (int32_t i = next; i < count; ++i) {
        char16_t c = units[i];
        if (!RangeTableContains(c, ranges) && !tryFallback(c, true)) {
            char16_t other = 0;
            if (SubstituteQuoteMark(c, other) && RangeTableContains(other, cellRanges)) {
                c = other;
            } else if ((other = GlyphHooks.DiacriticPartner(c)) != 0 && other != 0xFFFF &&
                       RangeTableContains(other, cellRanges)) {
                c = other;
            }
        }
        if (RangeTableContains(c, ranges)) {
            int32_t offset = cellAscent - device.Ascent();
            GlyphBox box;
            bool measured = device.MeasureGlyph(c, box);
            int32_t y = cell.Top + offset;
            if (measured && i > 0) {
                int32_t markTop = device.Ascent() - box.OriginY + offset;
                y += StackMark(c, markTop, box.BlackBoxY, cell.Height, stack) - markTop;
            }
            device.DrawChar(c, markX(c, measured ? &box : nullptr), y);
            Note(source, device.FaceName());
            drawn = true;
            continue;
        }
        char16_t partner = GlyphHooks.DiacriticPartner(c);
        if (device.DrawInternalGlyph(c, cell.Left, cell.Top, cell.Width, cell.Height) ||
            (partner && partner != 0xFFFF &&
             device.DrawInternalGlyph(partner, cell.Left, cell.Top, cell.Width, cell.Height))) {
            Note(source, "internal bitmap");
            drawn = true;
            continue;
        }
        if (tryFallback(c, false)) {
            GlyphBox box;
            bool measured = device.MeasureGlyph(c, box);
            device.DrawChar(c, markX(c, measured ? &box : nullptr),
                            cell.Top + cellAscent - device.Ascent());
            Note(source, device.FaceName());
            drawn = true;
            continue;
        }
        char16_t look = 0;
        if (SubstituteGlyph(c, look) && RangeTableContains(look, cellRanges)) {
            backToCellFont();
            device.DrawChar(look, cell.Left, cell.Top);
            Note(source, device.FaceName());
            drawn = true;
            continue;
        }
        if (drawn && base != u' ') break;
        backToCellFont();
        if (!device.DrawInternalGlyph(kNotFoundGlyph, cell.Left, cell.Top, cell.Width, cell.Height))
            device.DrawChar(kInvertedQuestion, cell.Left, cell.Top);
        Note(source, "NOT FOUND");
        drawn = true;
    }
    device.SelectFont(cellFont);
}

}  // namespace console
