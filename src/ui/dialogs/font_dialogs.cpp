#include "ui/dialogs/font_dialogs.h"

#include <cmath>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "ui/message_box.h"

namespace ui {

namespace {

using commands::Settings;

constexpr uint16_t kMsgCantOpenDevice = 704;

// The settings keep one cell size and one bold flag per width class.
size_t WidthClass() {
    return console::ConsoleLayer.ScreenWidth > 80 ? 1 : 0;
}

}  // namespace

FontDialogRequest ScreenFontRequest() {
    const size_t slot = WidthClass();
    FontDialogRequest r;
    r.FixedPitchOnly = Settings.VariableFonts == 0;
    r.Initial.Face = Settings.ScreenFontName.Str();
    r.Initial.Charset = Settings.ScreenFontCharset;
    r.Initial.Height = Settings.FontCellSize[slot * 2].Get();
    r.Initial.Width = Settings.FontCellSize[slot * 2 + 1].Get();
    return r;
}

void StoreScreenFont(const FontChoice& chosen) {
    const size_t slot = WidthClass();
    commands::AssignZeroFilled(Settings.ScreenFontName, chosen.Face);
    Settings.ScreenFontCharset = chosen.Charset;
    Settings.FontCellSize[slot * 2].Set(static_cast<uint16_t>(chosen.Height));
    Settings.FontCellSize[slot * 2 + 1].Set(static_cast<uint16_t>(chosen.Width));
    Settings.FontOption[slot] = chosen.Bold ? 1 : 0;
    MenuServices.SetTerminalFont();
}

bool ChooseScreenFont() {
    FontChoice chosen;
    if (MenuServices.ChooseFont(ScreenFontRequest(), chosen) != 1) return false;
    StoreScreenFont(chosen);
    return true;
}

FontDialogRequest PrinterFontRequest() {
    FontDialogRequest r;
    r.Printer = true;
    r.Initial.Face = Settings.PrintFontName.Str();
    r.Initial.Charset = Settings.PrintFontCharset;
    r.Initial.PointTenths =
        static_cast<int32_t>(std::lround(Settings.PrintFontSize.ToDouble() * 10));
    r.Initial.Bold = Settings.PrintFontBold != 0;
    return r;
}

void StorePrinterFont(const FontChoice& chosen) {
    Settings.PrintFontSize = commands::Real48::From(chosen.PointTenths / 10.0);
    commands::AssignZeroFilled(Settings.PrintFontName, chosen.Face);
    Settings.PrintFontBold = chosen.Bold ? 1 : 0;
    Settings.PrintFontCharset = chosen.Charset;
}

bool ChoosePrinterFont() {
    FontChoice chosen;
    const int result = MenuServices.ChooseFont(PrinterFontRequest(), chosen);
    if (result == -1)
        LangMessageBoxShort("Windows Printer Error 5002: " +
                            console::GetMessageText(kMsgCantOpenDevice, true));
    if (result != 1) return false;
    StorePrinterFont(chosen);
    return true;
}

}  // namespace ui
