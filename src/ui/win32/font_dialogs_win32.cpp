#include "ui/win32/font_dialogs_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <string>

#include "console/code_pages.h"
#include "console/win32/terminal_window_win32.h"
#include "ui/message_box.h"

namespace ui {

namespace {

// The default printer's device; nullptr when the system has none.
HDC PrinterDevice() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return nullptr;
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return nullptr;
    return CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
}

std::wstring Wide(const std::string& text) {
    const std::u16string wide = platform::BytesToWide(platform::kAnsiCodePage, text, 0);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text) {
    const std::u16string wide(text, text + wcslen(text));
    return platform::WideToBytes(platform::kAnsiCodePage, wide);
}

// What a logical font measures on the screen, and the face the system gave for it.
TEXTMETRICW Metrics(const LOGFONTW& font, wchar_t* face = nullptr) {
    HFONT made = CreateFontIndirectW(&font);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, made);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    if (face) GetTextFaceW(screen, LF_FACESIZE, face);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(made);
    return metrics;
}

// The cell a logical font gives on the screen: its text height and average width.
void MeasureCell(const LOGFONTW& font, int32_t& height, int32_t& width) {
    const TEXTMETRICW metrics = Metrics(font);
    height = metrics.tmHeight;
    width = font.lfWidth != 0 ? metrics.tmAveCharWidth : 0;
}

}  // namespace

int ChooseFontWin32(const FontDialogRequest& request, FontChoice& chosen) {
    const FontChoice& from = request.Initial;
    LOGFONTW font{};
    const std::wstring face = Wide(from.Face).substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), font.lfFaceName);
    font.lfCharSet = from.Charset;
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = console::TerminalWindowHandle();
    dialog.lpLogFont = &font;
    dialog.Flags = CF_INITTOLOGFONTSTRUCT;
    HDC printer = nullptr;
    if (request.Printer) {
        printer = PrinterDevice();
        if (!printer) return -1;
        HDC screen = GetDC(nullptr);
        font.lfHeight = -MulDiv(from.PointTenths, GetDeviceCaps(screen, LOGPIXELSY), 720);
        ReleaseDC(nullptr, screen);
        font.lfWeight = from.Bold ? FW_BOLD : FW_NORMAL;
        dialog.hDC = printer;
        dialog.Flags |= CF_PRINTERFONTS;
    } else {
        // The dialog lists the faces the system has and sizes in points: the
        // settings' face becomes the one the system gives for it, the cell
        // height the character height the font holds in it.
        LOGFONTW cell = font;
        cell.lfHeight = from.Height;
        cell.lfWidth = from.Width;
        cell.lfPitchAndFamily = request.FixedPitchOnly ? FIXED_PITCH : DEFAULT_PITCH;
        const TEXTMETRICW metrics = Metrics(cell, font.lfFaceName);
        if (from.Height > 0) {
            font.lfHeight = -(metrics.tmHeight - metrics.tmInternalLeading);
            HDC screen = GetDC(nullptr);
            dialog.iPointSize = MulDiv(-font.lfHeight, 720, GetDeviceCaps(screen, LOGPIXELSY));
            ReleaseDC(nullptr, screen);
        }
        dialog.Flags |= CF_SCREENFONTS | (request.FixedPitchOnly ? CF_FIXEDPITCHONLY : 0);
    }
    const BOOL ok = ChooseFontW(&dialog);
    if (printer) DeleteDC(printer);
    if (!ok) {
        if (const DWORD error = CommDlgExtendedError())
            LangMessageBoxShort("Dialog error " + std::to_string(error));
        return 0;
    }
    chosen = FontChoice{};
    chosen.Face = Narrow(font.lfFaceName);
    chosen.Charset = font.lfCharSet;
    chosen.Bold = font.lfWeight >= FW_BOLD;
    chosen.PointTenths = dialog.iPointSize;
    if (!request.Printer) MeasureCell(font, chosen.Height, chosen.Width);
    return 1;
}

}  // namespace ui
