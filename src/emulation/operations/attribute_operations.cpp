#include "emulation/operations/attribute_operations.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/types/term_types.h"

namespace emulation {

using enum commands::GSetCode;

AttributeOperationsState AttributeOperations;

namespace {

using console::CellAttribute;
using console::ConsoleLayer;
using console::ConsoleScreen;

constexpr int32_t kAbsent = 127;
constexpr int32_t kDirect = console::kSelectionDirect;

CellAttribute Entry(int32_t index) {
    return ConsoleLayer.AttrColorMap[static_cast<size_t>(index) & 15];
}

uint8_t Mode() {
    return ConsoleScreen.AttributeMode;
}

void SetMode(uint8_t mode) {
    console::SetAttributeMode(mode);
}

void ScoAttr() {
    const auto& e = EmulatorState;
    CellAttribute a = Entry(e.SgrReverse ? 4 : 0);
    if (e.SgrBold) a |= 0x08;
    if (e.SgrBlink) a |= 0x80;
    ConsoleLayer.DirectAttr = a;
}

void LinuxAttr() {
    const auto& e = EmulatorState;
    uint8_t fg = e.SgrUnderline ? e.UnderlineColour : e.SgrDim ? e.DimColour : e.LinuxColour & 0x0F;
    if (e.SgrBold) fg |= 0x08;
    CellAttribute c = static_cast<CellAttribute>((fg & 0x0F) | (e.LinuxColour & 0xF0));
    if (e.SgrReverse) c = ReverseAttr(c);
    if (e.SgrBlink) c |= 0x80;
    ConsoleLayer.DirectAttr = c;
}

void SetForeground(CellAttribute colour, CellAttribute keep) {
    auto& d = ConsoleLayer.DirectAttr;
    d = static_cast<CellAttribute>((d & keep) | (colour & 0x0F));
}

void SetBackground(CellAttribute colour, CellAttribute keep) {
    auto& d = ConsoleLayer.DirectAttr;
    d = static_cast<CellAttribute>((d & keep) | ((colour & 0x0F) << 4));
}

// Entry 0 (or 4) recoloured, entry 4 made its reverse, then ScoAttr.
void SetScoEntry0(CellAttribute value) {
    ConsoleLayer.AttrColorMap[0] = value;
    ConsoleLayer.AttrColorMap[4] = ReverseAttr(value);
    ScoAttr();
}

void SetCharsetsForSgr(int32_t v) {
    auto& e = EmulatorState;
    switch (v) {
        case 10:
            e.GL = kGSetAscii;
            e.GR = kGSetOemUpper;
            break;
        case 11:
            e.GL =
                e.EmulationFamily == kEmulationLinux ? kGSetSomeControlsShown : kGSetControlsShown;
            if (e.EmulationFamily != kEmulationLinux) e.GR = kGSetOemUpper;
            break;
        case 12:
            if (e.EmulationFamily == kEmulationScoAnsi) {
                e.GL = kGSetOemControlsShown;
                e.GR = kGSetAscii;
            } else {
                e.GL = kGSetOemUpper;
            }
            break;
        case 13:
            e.GL = kGSetOemUpper;
            e.GR = kGSetControlsShown;
            break;
        default:
            break;
    }
}

// The values every dialect treats as dialect 0 does (or as dialect 0 with
// small differences handled by the caller). Returns false for a value that
// has no effect here.
void SgrCommon(int32_t v, uint8_t dialect) {
    auto& l = ConsoleLayer;
    auto& d = l.DirectAttr;
    const bool direct = l.AttrSelection == kDirect;
    const bool mode5 = Mode() == 5;
    switch (v) {
        case 0:
            if (dialect == kSgrVt) l.AttrSelection = 0;
            break;
        case 1:
            if (direct) {
                d |= 0x08;
            } else {
                l.AttrSelection |= 1;
            }
            break;
        case 4:
            if (dialect != kSgrVt) break;
            if (direct) {
                if (mode5) {
                    d |= 0x200;
                } else {
                    l.AttrSelection = 8;
                }
            } else {
                l.AttrSelection |= 8;
            }
            break;
        case 5:
            if (direct) {
                if (!ConsoleScreen.BlinkBit7) {
                    if (mode5) d |= 0x100;
                } else {
                    d |= 0x80;
                }
            } else {
                l.AttrSelection |= 2;
            }
            break;
        case 7:
            if (direct) {
                if (mode5) {
                    d = static_cast<CellAttribute>((d & 0xFF00) | ((d & 0x0F) << 4) |
                                                   ((d >> 4) & 0x0F));
                } else {
                    d = ReverseAttr(d);
                }
            } else {
                l.AttrSelection |= 4;
            }
            break;
        case 8:
            l.AttrSelection = kDirect;
            d = 0;
            break;
        case 10:
        case 11:
        case 12:
        case 13:
            SetCharsetsForSgr(v);
            break;
        case 21:
            if (direct) {
                if (mode5) d &= static_cast<CellAttribute>(~0x08);
            } else {
                l.AttrSelection &= ~1;
            }
            break;
        case 22:
            if (direct) {
                d &= static_cast<CellAttribute>(~0x08);
            } else {
                l.AttrSelection &= ~1;
            }
            break;
        case 24:
            if (direct) {
                if (mode5) d &= static_cast<CellAttribute>(~0x200);
            } else {
                l.AttrSelection &= ~8;
            }
            break;
        case 25:
            if (direct) {
                if (mode5) d &= static_cast<CellAttribute>(~0x100);
            } else {
                l.AttrSelection &= ~2;
            }
            break;
        case 27:
            if (!direct) l.AttrSelection &= ~4;
            break;
        case 28:
            ScoAttr();
            break;
        case 39:
            SetForeground(Entry(0) & 0x07, mode5 ? 0x3F8 : 0xF8);
            break;
        case 49:
            SetBackground((Entry(0) >> 4) & (mode5 ? 0x0F : 0x07), mode5 ? 0x30F : 0x8F);
            break;
        default:
            if (v >= 30 && v <= 37) {
                SetForeground(AnsiToPc[v - 30], mode5 ? 0x3F0 : 0xF8);
            } else if (v >= 40 && v <= 47) {
                SetBackground(AnsiToPc[v - 40], mode5 ? 0x30F : 0x8F);
            } else if (v >= 90 && v <= 97) {
                SetForeground(AnsiToPc[v - 90] | 0x08, mode5 ? 0x3F0 : 0xF0);
            } else if (v == 100) {
                d &= static_cast<CellAttribute>(~0x70);
            } else if (v >= 101 && v <= 107) {
                SetBackground(AnsiToPc[v - 100] & 0x07, static_cast<CellAttribute>(~0x70));
                d |= 0x80;
            }
            break;
    }
}

// Returns false when the value ends the whole operation.
bool SgrSco(int32_t v) {
    auto& e = EmulatorState;
    auto& l = ConsoleLayer;
    auto& d = l.DirectAttr;
    const bool old = e.OldScoColours != 0;
    switch (v) {
        case 0:
            e.SgrReverse = e.SgrBlink = e.SgrBold = false;
            ScoAttr();
            if (!old) e.GL = kGSetAscii;
            return true;
        case 1:
            e.SgrBold = true;
            d |= 0x08;
            return true;
        case 4:
            return true;
        case 5:
            e.SgrBlink = true;
            console::SetBrightBackground(true);
            if (Mode() != 2) SetMode(3);
            d |= 0x80;
            return true;
        case 6:
            SetMode(4);
            d &= static_cast<CellAttribute>(~0x80);
            e.SgrBlink = false;
            return true;
        case 7:
            e.SgrReverse = true;
            ScoAttr();
            return true;
        case 8:
            l.AttrSelection = kDirect;
            d = static_cast<CellAttribute>((d & ~0x0F) | ((d >> 4) & 0x0F));
            return true;
        case 10:
            SetCharsetsForSgr(v);
            if (old) ScoAttr();
            return true;
        case 21:
            e.SgrBold = false;
            d &= static_cast<CellAttribute>(~0x08);
            return true;
        case 26:
            SetMode(4);
            return true;
        case 27:
            e.SgrReverse = false;
            ScoAttr();
            return true;
        case 39:
            if (old) {
                SetForeground(7, 0xF8);
            } else {
                SetForeground(Entry(0) & 0x07, 0xF8);
            }
            return true;
        case 49:
            if (old) {
                SetBackground(0, 0x8F);
            } else {
                SgrCommon(v, 1);
            }
            return true;
        case 50:
            if (old) {
                SetScoEntry0(0x70);
            } else {
                ScoAttr();
            }
            return true;
        case 51:
            if (!old) SetScoEntry0(0x07);
            return true;
        default:
            break;
    }
    if ((v >= 30 && v <= 37) || (v >= 40 && v <= 47)) {
        const bool fg = v < 40;
        const CellAttribute c = AnsiToPc[v - (fg ? 30 : 40)];
        if (old) {
            const CellAttribute e0 = Entry(0);
            SetScoEntry0(fg ? static_cast<CellAttribute>((e0 & ~0x0F) | c)
                            : static_cast<CellAttribute>((e0 & ~0x70) | (c << 4)));
        } else if (fg != e.SgrReverse) {
            SetForeground(c, 0xF8);
        } else {
            SetBackground(c, 0x8F);
        }
        return true;
    }
    if (v >= 90 && v <= 97) {
        if (old) return false;
        SetForeground(v == 90 ? 0 : ((v - 90) | 0x08), 0xF0);
        return true;
    }
    if (v >= 100 && v <= 107) {
        if (old) return false;
        if (v == 100) {
            d &= static_cast<CellAttribute>(~0x70);
        } else {
            SetBackground((v - 100) & 0x07, static_cast<CellAttribute>(~0x70));
            d |= 0x80;
        }
        SetMode(4);
        return true;
    }
    SgrCommon(v, 1);
    return true;
}

void SgrAt386(int32_t v) {
    auto& d = ConsoleLayer.DirectAttr;
    switch (v) {
        case 0:
            d = Entry(0);
            break;
        case 4:
            break;
        case 5:
            if (Mode() != 2) SetMode(3);
            d |= 0x80;
            break;
        case 6:
            SetMode(4);
            d |= 0x80;
            break;
        case 7:
            d = Entry(4);
            break;
        default:
            SgrCommon(v, 2);
            break;
    }
}

// One LINUX value. A value that sets the LINUX state leaves the direct
// attribute to be made from it (LinuxAttr): owed until a value that reads
// or replaces the direct attribute, or the end of the list.
void SgrLinux(int32_t v, bool& owed) {
    auto& e = EmulatorState;
    auto setFg = [](uint8_t c) {
        auto& colour = EmulatorState.LinuxColour;
        colour = static_cast<uint8_t>((colour & 0xF0) | (c & 0x0F));
    };
    switch (v) {
        case 0:
            e.SgrReverse = e.SgrBlink = e.SgrBold = e.SgrUnderline = e.SgrDim = false;
            ConsoleLayer.DirectAttr = Entry(0);
            e.LinuxColour = static_cast<uint8_t>(Entry(0) & 0xFF);
            owed = false;
            return;
        case 1:
            e.SgrBold = true;
            break;
        case 2:
            e.SgrDim = true;
            break;
        case 4:
            e.SgrUnderline = true;
            break;
        case 5:
            e.SgrBlink = true;
            break;
        case 7:
            e.SgrReverse = true;
            break;
        case 21:
            e.SgrBold = false;
            break;
        case 22:
            e.SgrDim = false;
            break;
        case 24:
            e.SgrUnderline = false;
            break;
        case 25:
            e.SgrBlink = false;
            break;
        case 27:
            e.SgrReverse = false;
            break;
        case 38:
            e.SgrUnderline = true;
            setFg(static_cast<uint8_t>(Entry(0)));
            break;
        case 39:
            e.SgrUnderline = false;
            setFg(static_cast<uint8_t>(Entry(0)));
            break;
        case 49:
            e.LinuxColour = static_cast<uint8_t>((e.LinuxColour & 0x0F) | (Entry(0) & 0xF0));
            break;
        default:
            if (v >= 30 && v <= 37) {
                setFg(AnsiToPc[v - 30]);
            } else if (v >= 40 && v <= 47) {
                e.LinuxColour =
                    static_cast<uint8_t>((e.LinuxColour & 0x0F) | (AnsiToPc[v - 40] << 4));
            } else {
                if (owed) LinuxAttr();
                owed = false;
                SgrCommon(v, 3);
                return;
            }
            break;
    }
    owed = true;
}

// Value i of a list as it is acted on: an absent first value reads as 0; an
// absent later one does nothing (false).
bool SgrValueAt(const TermOpParams& p, size_t i, int32_t& v) {
    v = p[i];
    if (v != kAbsent) return true;
    v = 0;
    return i == 0;
}

// The values of a list up to its last given one; absent values past the
// first do nothing.
size_t GivenSgrValues(const TermOpParams& p) {
    static_assert(kTermOpParamCount == 10);
#if defined(__SSE2__)
    // Four values to a compare: one bit for each absent value.
    const __m128i absent = _mm_set1_epi32(kAbsent);
    uint64_t pair;
    std::memcpy(&pair, &p[8], sizeof pair);
    const auto low = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(
        _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&p[0])), absent))));
    const auto middle = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(
        _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&p[4])), absent))));
    const auto high = static_cast<uint32_t>(_mm_movemask_ps(
        _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_cvtsi64_si128(static_cast<int64_t>(pair)), absent))));
    const uint32_t given = (~(low | middle << 4 | high << 8) & 0x3FF) | 1;
    return static_cast<size_t>(32 - std::countl_zero(given));
#else
    size_t n = p.size();
    while (n > 1 && p[n - 1] == kAbsent) --n;
    return n;
#endif
}

// The LINUX list, each value as SgrLinux takes it.
[[gnu::noinline]] void SgrLinuxList(const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const size_t n = GivenSgrValues(p);
    bool owed = false;
    for (size_t i = 0; i < n; ++i) {
        int32_t v = 0;
        if (!SgrValueAt(p, i, v)) continue;
        if (v > 29 && l.AttrSelection != kDirect) {
            // Replaces the direct attribute whole.
            owed = false;
            l.DirectAttr = console::CurrentAttr();
            l.AttrSelection = kDirect;
        }
        SgrLinux(v, owed);
    }
    if (owed) LinuxAttr();
}

}  // namespace

console::CellAttribute ReverseAttr(CellAttribute attr) {
    if (Mode() == 4 || Mode() == 5) {
        return static_cast<CellAttribute>((attr & 0xFF00) | ((attr & 0x0F) << 4) |
                                          ((attr >> 4) & 0x0F));
    }
    return static_cast<CellAttribute>((attr & 0xFF88) | ((attr & 0x07) << 4) |
                                      ((attr >> 4) & 0x07));
}

void FieldAttributeOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    if (commands::Settings.Propagate != 0) {
        if (op == OpFieldAttributeNoSpace) op = OpFieldAttribute;
        if (op == OpWyseAttribute) op = OpViewpointAttribute;
    }
    int32_t sel = p[0] & 0x7F;
    bool protect = false;
    if (op == OpViewpointAttribute || op == OpWyseAttribute) {
        if (l.ProtectMode == 3) sel |= EmulatorState.ProtectAttrIndex;
    } else {
        protect = (sel & 0x20) != 0;
        l.ProtectMode = 3;
        sel &= 0x1F;
    }
    l.AttrSelection = sel;
    if ((sel & 0x10) != 0) {
        sel &= 0x0F;
        CellAttribute a = Entry(sel);
        a = static_cast<CellAttribute>((a & ~0x0F) | ((a >> 4) & 0x0F));
        switch (Mode()) {
            case 1:
            case 3:
                a &= 0x77;
                break;
            case 0:
            case 2:
                a = (a & 0x70) == 0 ? 0 : static_cast<CellAttribute>(a | 0x08);
                break;
            default:
                break;
        }
        l.DirectAttr = a;
        l.AttrSelection = kDirect;
    }
    if (op != OpFieldAttribute && op != OpViewpointAttribute) return;
    const auto colour = static_cast<uint8_t>(l.AttrSelection);
    const uint8_t mode = op == OpViewpointAttribute ? 2 : (protect ? 1 : 0);
    AttributeOperations.Hooks.SetFieldAttr(colour, mode);
    l.AttrSelection = console::kSelectionInherit;
}

void WriteFieldBlank(uint8_t, uint8_t) {
    console::ConsoleLayer.AttrSelection = 0;
    console::WriteScreenStr(" ", 0);
    console::WrapIfPastEnd();
}

namespace {

// The other dialects' lists.
[[gnu::noinline]] void SgrList(const TermOpParams& p, uint8_t dialect) {
    auto& l = ConsoleLayer;
    if (dialect == kSgrScoAnsi) {
        const bool given = p[1] != kAbsent && p[2] != kAbsent;
        if (p[0] == 2) {
            CellAttribute e0 = Entry(0);
            if (p[1] != kAbsent) e0 = static_cast<CellAttribute>((e0 & ~0x0F) | (p[1] & 0x0F));
            if (p[2] != kAbsent)
                e0 = static_cast<CellAttribute>((e0 & ~0xF0) | ((p[2] & 0x0F) << 4));
            l.AttrColorMap[0] = e0;
            ScoAttr();
            return;
        }
        if (p[0] == 7 && given) {
            l.AttrColorMap[4] = static_cast<CellAttribute>(((p[2] & 0x0F) << 4) | (p[1] & 0x0F));
            ScoAttr();
            return;
        }
        if (p[0] == 3 && EmulatorState.OldScoColours != 0 && (p[1] == 1 || p[1] == 2)) {
            SetMode(p[1] == 1 ? 3 : 4);
            return;
        }
    }
    const size_t n = GivenSgrValues(p);
    for (size_t i = 0; i < n; ++i) {
        int32_t v = 0;
        if (!SgrValueAt(p, i, v)) continue;
        if (v > 29 && l.AttrSelection != kDirect) {
            l.DirectAttr = console::CurrentAttr();
            l.AttrSelection = kDirect;
        }
        switch (dialect) {
            case kSgrScoAnsi:
                if (!SgrSco(v)) return;
                break;
            case kSgrAt386:
                SgrAt386(v);
                break;
            default:
                SgrCommon(v, dialect == kSgrVt ? kSgrVt : kSgrNonAnsi);
                break;
        }
    }
}

}  // namespace

void SelectGraphicRenditionOp(TermOp, const TermOpParams& p) {
    const uint8_t dialect = EmulatorState.SgrDialect;
    if (dialect == kSgrLinux) {
        SgrLinuxList(p);
    } else {
        SgrList(p, dialect);
    }
}

void ProtectAttributeOp(TermOp op, const TermOpParams& p) {
    uint8_t& index = EmulatorState.ProtectAttrIndex;
    switch (op) {
        case OpSetProtectAttribute:
            index = static_cast<uint8_t>(p[0] & 0x1F);
            break;
        case OpProtectAttributeNormal:
            index = 0;
            break;
        case OpProtectAttributeReverse:
            index = 4;
            break;
        case OpProtectAttributeDim:
            index = 1;
            break;
        case OpProtectAttributeAddUnderline:
            index |= 8;
            break;
        case OpProtectAttributeAddReverse:
            index |= 4;
            break;
        case OpProtectAttributeAddDim:
            index |= 1;
            break;
        case OpProtectAttributeAddBlink:
            index |= 2;
            break;
        default:
            break;
    }
    ConsoleLayer.ProtectAttrIndex = index;
}

void ScoColourOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const uint8_t dialect = EmulatorState.SgrDialect;
    const auto c = static_cast<CellAttribute>(p[0] & 0x0F);
    switch (op) {
        case OpScoForeground:
        case OpScoBackground:
        case OpScoReverseForeground:
        case OpScoReverseBackground: {
            auto& e = l.AttrColorMap[op <= OpScoBackground ? 0 : 4];
            if (op == OpScoForeground || op == OpScoReverseForeground) {
                e = static_cast<CellAttribute>((e & ~0x0F) | c);
            } else {
                e = static_cast<CellAttribute>((e & ~0xF0) | (c << 4));
            }
            if (op >= OpScoReverseForeground || dialect == kSgrScoAnsi) {
                ScoAttr();
            } else if (dialect == kSgrAt386) {
                l.DirectAttr = Entry(0);
            }
            break;
        }
        case OpScoBrightBackground:
            SetMode(4);
            break;
        case OpScoBlink:
            if (p[0] == 1) {
                l.DirectAttr |= 0x80;
            } else {
                l.DirectAttr &= static_cast<CellAttribute>(~0x80);
            }
            break;
        default:
            break;
    }
}

void ScoBorderColourOp(TermOp, const TermOpParams& p) {
    commands::Settings.TermOptions3432.Set(static_cast<uint16_t>(p[0] & 0xFFFF));
    console::ScreenWindow().InvalidateWindow();
}

void ScoColourModeOp(TermOp, const TermOpParams& p) {
    if (p[0] == 6) EmulatorState.OldScoColours = 0;
    if (p[0] == 7) EmulatorState.OldScoColours = 1;
}

void LinuxColoursOp(TermOp, const TermOpParams& p) {
    auto& e = EmulatorState;
    const uint8_t colour = AnsiToPc[static_cast<uint32_t>(p[1]) & 15];
    switch (p[0]) {
        case 1:
            e.UnderlineColour = colour;
            break;
        case 2:
            e.DimColour = colour;
            break;
        case 8:
            ConsoleLayer.AttrColorMap[0] = e.LinuxColour;
            break;
        default:
            break;
    }
}

namespace {

int HexDigit(int32_t b) {
    if (b >= '0' && b <= '9') return b - '0';
    if (b >= 'A' && b <= 'F') return b - 'A' + 10;
    if (b >= 'a' && b <= 'f') return b - 'a' + 10;
    return -1;
}

void PaletteToSettings(size_t i) {
    const auto& c = ConsoleScreen.ScreenPalette[i];
    commands::Settings.Palette[i].Set(static_cast<uint32_t>(c.Red) |
                                      (static_cast<uint32_t>(c.Green) << 8) |
                                      (static_cast<uint32_t>(c.Blue) << 16));
}

}  // namespace

void PaletteOp(TermOp op, const TermOpParams& p) {
    if (op == OpResetPalette) {
        console::SetDefaultPalette();
        for (size_t i = 0; i < 16; ++i) PaletteToSettings(i);
        console::ScreenWindow().InvalidateWindow();
        return;
    }
    int digits[7];
    for (size_t i = 0; i < 7; ++i) {
        digits[i] = HexDigit(p[i]);
        // A malformed colour leaves the palette alone rather than guessing.
        if (digits[i] < 0) return;
    }
    const size_t index = AnsiToPc[digits[0]];
    auto& c = ConsoleScreen.ScreenPalette[index];
    c.Red = static_cast<uint8_t>(digits[1] * 16 + digits[2]);
    c.Green = static_cast<uint8_t>(digits[3] * 16 + digits[4]);
    c.Blue = static_cast<uint8_t>(digits[5] * 16 + digits[6]);
    PaletteToSettings(index);
    console::ScreenWindow().InvalidateWindow();
}

namespace {

constexpr TermOpBinding kBindings[] = {
    {OpFieldAttribute, FieldAttributeOp},
    {OpFieldAttributeNoSpace, FieldAttributeOp},
    {OpViewpointAttribute, FieldAttributeOp},
    {OpWyseAttribute, FieldAttributeOp},
    {OpSelectGraphicRendition, SelectGraphicRenditionOp},
    {OpSetProtectAttribute, ProtectAttributeOp},
    {OpProtectAttributeNormal, ProtectAttributeOp},
    {OpProtectAttributeReverse, ProtectAttributeOp},
    {OpProtectAttributeDim, ProtectAttributeOp},
    {OpProtectAttributeNoOp1, ProtectAttributeOp},
    {OpProtectAttributeNoOp2, ProtectAttributeOp},
    {OpProtectAttributeAddUnderline, ProtectAttributeOp},
    {OpProtectAttributeAddReverse, ProtectAttributeOp},
    {OpProtectAttributeAddDim, ProtectAttributeOp},
    {OpProtectAttributeAddBlink, ProtectAttributeOp},
    {OpScoForeground, ScoColourOp},
    {OpScoBackground, ScoColourOp},
    {OpScoReverseForeground, ScoColourOp},
    {OpScoReverseBackground, ScoColourOp},
    {OpScoBrightBackground, ScoColourOp},
    {OpScoBorderColour, ScoBorderColourOp},
    {OpLinuxColours, LinuxColoursOp},
    {OpScoColourMode, ScoColourModeOp},
    {OpScoBlink, ScoColourOp},
    {OpResetPalette, PaletteOp},
    {OpSetPaletteEntry, PaletteOp},
};

}  // namespace

std::span<const TermOpBinding> AttributeOperationBindings() {
    return kBindings;
}

}  // namespace emulation
