#include "console/win32/glyph_draw_win32.h"

#include <algorithm>
#include <vector>

#include "console/glyphs/glyph_fallback.h"
#include "console/glyphs/internal_glyphs.h"
#include "console/glyphs/screen_font_model.h"
#include "console/window_paint.h"

namespace console {

std::string GlyphSourceText;
ScreenGlyphState ScreenGlyphs;

namespace {

// Fixed pitch first, then proportional, for the screen.
constexpr int kScreenSearchMode = 1;

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// A font of the LOGFONT no larger than its width and height; 0 when none can be made.
HFONT CreateFittingFont(HDC dc, LOGFONTW lf) {
    const LONG wantWidth = lf.lfWidth;
    const LONG wantHeight = lf.lfHeight;
    HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
    HFONT result = nullptr;
    // Each round makes the font smaller by a pixel; a character height (negative)
    // sets no limit, and the rounds are bounded whatever the font does.
    for (int round = 0; round < 256; ++round) {
        HFONT font = CreateFontIndirectW(&lf);
        if (!font) break;
        SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        LONG w = tm.tmAveCharWidth;
        LONG h = tm.tmHeight + tm.tmExternalLeading;
        if (((wantWidth == 0 || w <= wantWidth) && (wantHeight < 1 || h <= wantHeight)) ||
            lf.lfHeight <= 1) {
            result = font;
            break;
        }
        SelectObject(dc, before);
        DeleteObject(font);
        if (w > wantWidth || (tm.tmExternalLeading == 0 && h != wantHeight + 1)) {
            --lf.lfHeight;
            if (lf.lfWidth > 1) --lf.lfWidth;
        } else {
            --lf.lfHeight;
        }
    }
    SelectObject(dc, before);
    return result;
}

int CALLBACK FirstFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param);

struct FamilySearch {
    bool Fixed = true;
    const std::function<bool(std::string_view)>* Accept = nullptr;
    std::string Found;
};

int CALLBACK FirstFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
    auto& search = *reinterpret_cast<FamilySearch*>(param);
    bool fixed = (lf->lfPitchAndFamily & 3) == FIXED_PITCH;
    if (fixed != search.Fixed) return 1;
    std::string name = Narrow(lf->lfFaceName);
    if (!(*search.Accept)(name)) return 1;
    search.Found = std::move(name);
    return 0;
}

class GdiGlyphDevice final : public GlyphDevice {
  public:
    GdiGlyphDevice(HDC dc, COLORREF ink)
        : dc_(dc), ink_(ink), cellFont_(GetCurrentObject(dc, OBJ_FONT)) {}

    uintptr_t SelectedFont() override {
        return reinterpret_cast<uintptr_t>(GetCurrentObject(dc_, OBJ_FONT));
    }
    void SelectFont(uintptr_t font) override {
        if (font) SelectObject(dc_, reinterpret_cast<HGDIOBJ>(font));
    }
    uintptr_t MakeFallbackFont(const std::string& face) override {
        LOGFONTW lf{};
        // Fallbacks are made to fit the cell font, whatever font is selected now.
        if (!GetObjectW(cellFont_, sizeof lf, &lf)) return 0;
        std::u16string name =
            CutFaceName(std::u16string(reinterpret_cast<const char16_t*>(Wide(face).c_str())));
        std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
        std::copy(name.begin(), name.end(), lf.lfFaceName);
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        return reinterpret_cast<uintptr_t>(CreateFittingFont(dc_, lf));
    }
    void DeleteFont(uintptr_t font) override {
        if (font) DeleteObject(reinterpret_cast<HGDIOBJ>(font));
    }
    std::string FaceName() override {
        wchar_t name[LF_FACESIZE] = {};
        GetTextFaceW(dc_, LF_FACESIZE, name);
        return Narrow(name);
    }
    bool ReadRanges(UnicodeRangeTable& ranges) override { return ReadFontRanges(dc_, ranges); }
    int32_t Ascent() override { return Metrics().tmAscent; }
    int32_t Descent() override { return Metrics().tmDescent; }
    bool MeasureGlyph(char16_t ch, GlyphBox& box) override {
        GLYPHMETRICS gm{};
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        if (GetGlyphOutlineW(dc_, ch, GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR)
            return false;
        box = {static_cast<int32_t>(gm.gmBlackBoxX), static_cast<int32_t>(gm.gmBlackBoxY),
               gm.gmptGlyphOrigin.x, gm.gmptGlyphOrigin.y};
        return true;
    }
    int32_t CharWidth(char16_t ch) override {
        SIZE size{};
        wchar_t c = ch;
        GetTextExtentPoint32W(dc_, &c, 1, &size);
        return size.cx;
    }
    void DrawChar(char16_t ch, int32_t x, int32_t y) override {
        wchar_t c = ch;
        SetBkMode(dc_, TRANSPARENT);
        ExtTextOutW(dc_, x, y, ETO_CLIPPED, &cell_, &c, 1, nullptr);
    }
    bool DrawInternalGlyph(char16_t ch, int32_t left, int32_t top, int32_t width,
                           int32_t height) override {
        const MonoGlyph* glyph = InternalGlyph(ch);
        if (!glyph) return false;
        StretchInk(*glyph, left, top, width, height);
        return true;
    }
    void FillCell(int32_t left, int32_t top, int32_t width, int32_t height) override {
        RECT r{left, top, left + width, top + height};
        ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    }
    std::string FindFamily(uint8_t charset, bool fixedPitch,
                           const std::function<bool(std::string_view)>& accept) override {
        LOGFONTW lf{};
        lf.lfCharSet = charset;
        FamilySearch search{fixedPitch, &accept, {}};
        EnumFontFamiliesExW(dc_, &lf, FirstFamily, reinterpret_cast<LPARAM>(&search), 0);
        return search.Found;
    }

    void SetCell(const RECT& cell) { cell_ = cell; }

  private:
    TEXTMETRICW Metrics() {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_, &tm);
        return tm;
    }

    // The glyph's ink painted in the text colour over what is there.
    void StretchInk(const MonoGlyph& glyph, int32_t left, int32_t top, int32_t width,
                    int32_t height) {
        size_t stride = (static_cast<size_t>(glyph.Width) + 7) / 8;
        size_t padded = (stride + 3) & ~size_t{3};
        std::vector<uint8_t> bits(padded * glyph.Height, 0);
        for (int32_t y = 0; y < glyph.Height; ++y)
            std::copy_n(glyph.Bits.begin() + stride * y, stride, bits.begin() + padded * y);
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = glyph.Width;
        info.header.biHeight = -glyph.Height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 1;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 2;
        auto blit = [&](RGBQUAD paper, RGBQUAD ink, DWORD rop) {
            info.colours[0] = paper;
            info.colours[1] = ink;
            StretchDIBits(dc_, left, top, width, height, 0, 0, glyph.Width, glyph.Height,
                          bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, rop);
        };
        SetStretchBltMode(dc_, COLORONCOLOR);
        RGBQUAD ink{GetBValue(ink_), GetGValue(ink_), GetRValue(ink_), 0};
        blit({255, 255, 255, 0}, {0, 0, 0, 0}, SRCAND);
        blit({0, 0, 0, 0}, ink, SRCPAINT);
    }

    HDC dc_;
    COLORREF ink_;
    HGDIOBJ cellFont_;
    RECT cell_{};
};

// The characters of a character set's code page, for a font without a character map.
void RangesFromCodePage(UINT charset, UnicodeRangeTable& ranges) {
    CHARSETINFO info{};
    UINT codePage = charset == OEM_CHARSET ? GetOEMCP() : 0;
    if (!codePage && TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(charset)),
                                          &info, TCI_SRCCHARSET))
        codePage = info.ciACP;
    if (!codePage) codePage = CP_ACP;
    std::vector<char16_t> units;
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        wchar_t wide = 0;
        if (MultiByteToWideChar(codePage, MB_USEGLYPHCHARS, &byte, 1, &wide, 1) == 1)
            units.push_back(static_cast<char16_t>(wide));
    }
    std::sort(units.begin(), units.end());
    ranges.clear();
    for (char16_t u : units) {
        if (!ranges.empty() && u <= ranges.back().Last + 1) {
            ranges.back().Last = std::max(ranges.back().Last, u);
        } else {
            ranges.push_back({u, u});
        }
    }
}

bool IsFallbackCell(char16_t ch, const UnicodeRangeTable* ranges) {
    if (ch >= 0x20 && ch < 0x7F) return !ScreenGlyphs.AsciiCovered;
    if (ch >= 0xE800 && ch <= 0xEFFF) return true;
    return !RangeTableContains(ch, ranges);
}

}  // namespace

bool ReadFontRanges(HDC dc, UnicodeRangeTable& ranges) {
    ranges.clear();
    const DWORD cmapTag = 'p' << 24 | 'a' << 16 | 'm' << 8 | 'c';  // "cmap" as GDI wants it
    DWORD size = GetFontData(dc, cmapTag, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) {
        RangesFromCodePage(GetTextCharset(dc), ranges);
        return true;
    }
    std::vector<uint8_t> bytes(size);
    DWORD got = GetFontData(dc, cmapTag, 0, bytes.data(), size);
    if (got == GDI_ERROR) return false;
    bytes.resize(std::min<DWORD>(got, size));
    return ReadCmapRanges(bytes, ranges);
}

const UnicodeRangeTable* ScreenFontRanges(HDC dc) {
    auto& g = ScreenGlyphs;
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    if (!g.CellRanges || g.RangesOf != font) {
        auto ranges = std::make_shared<UnicodeRangeTable>();
        ReadFontRanges(dc, *ranges);
        // Printable ASCII is checked once here rather than for every painted character.
        g.AsciiCovered = !ranges->empty();
        for (char16_t c = 0x20; c < 0x7F && g.AsciiCovered; ++c)
            g.AsciiCovered = RangeTableContains(c, ranges.get());
        g.CellRanges = std::move(ranges);
        g.RangesOf = font;
    }
    return g.CellRanges.get();
}

void ForgetScreenFontRanges() {
    ScreenGlyphs.CellRanges.reset();
    ScreenGlyphs.RangesOf = nullptr;
}

void FreeFallbackFonts() {
    for (FontItem& item : ScreenGlyphs.Fallbacks.Items) {
        if (item.Font) DeleteObject(reinterpret_cast<HGDIOBJ>(item.Font));
        item.Font = 0;
    }
    // Whether a fallback is narrow enough depends on the cell.
    ForgetMissingCharacters(ScreenGlyphs.Fallbacks);
}

void ParseScreenFallbackFonts(std::string_view list) {
    FreeFallbackFonts();
    ParseFontList(ScreenGlyphs.Fallbacks, list);
}

void DrawGlyphCell(HDC dc, const char16_t* chars, int32_t count, const RECT& cell,
                   COLORREF foreground, COLORREF background, bool opaque) {
    SetTextColor(dc, foreground);
    SetBkColor(dc, background);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    GdiGlyphDevice device(dc, foreground);
    device.SetCell(cell);
    GlyphCell box{cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, opaque};
    DrawGlyph(device, chars, count, kScreenSearchMode, ScreenGlyphs.Fallbacks, ScreenFontRanges(dc),
              box, &GlyphSourceText);
    SetBkMode(dc, oldMode);
}

void DrawCellText(HDC dc, const RECT& box, const char16_t* text, int32_t count,
                  const int32_t* advances, COLORREF foreground, COLORREF background, bool opaque) {
    const UnicodeRangeTable* ranges = ScreenFontRanges(dc);
    int32_t first = 0;
    int32_t x = box.left;
    auto textRun = [&](int32_t from, int32_t to, int32_t left) {
        if (from >= to) return;
        int32_t right = left;
        for (int32_t i = from; i < to; ++i) right += advances[i];
        RECT r{left, box.top, std::min<LONG>(right, box.right), box.bottom};
        SetTextColor(dc, foreground);
        SetBkColor(dc, background);
        SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
        ExtTextOutW(dc, left, box.top, ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0), &r,
                    reinterpret_cast<const wchar_t*>(text + from), static_cast<UINT>(to - from),
                    reinterpret_cast<const INT*>(advances + from));
    };
    int32_t runLeft = x;
    for (int32_t i = 0; i < count; ++i) {
        if (IsFallbackCell(text[i], ranges)) {
            textRun(first, i, runLeft);
            RECT cell{x, box.top, x + std::max(advances[i], 0), box.bottom};
            if (advances[i] > 0)
                DrawGlyphCell(dc, text + i, 1, cell, foreground, background, opaque);
            first = i + 1;
            runLeft = x + advances[i];
        }
        x += advances[i];
    }
    textRun(first, count, runLeft);
}

}  // namespace console
