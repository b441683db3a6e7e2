// The transfer windows under Wine, from the program's own templates through
// the language-module loaders: the status window's figures, its deferred
// refresh and Cancel; the progress bar's segments as painted; the option
// dialogs' templates run with their models.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "commands/settings_record.h"
#include "transfer/transfer_dialog_ids.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_interface.h"
#include "transfer/win32/transfer_windows_win32.h"
#include "ui/dialogs/dialog_model.h"
#include "ui/win32/language_dialogs.h"
#include "ui/win32/model_dialogs_win32.h"

namespace transfer {
namespace {

TransferWindowServices Services() {
    TransferWindowServices s;
    s.ModelessDialog = [](const char* name, HWND parent, DLGPROC procedure, LPARAM parameter) {
        return ui::LangCreateDialog(GetModuleHandleW(nullptr), name, parent, procedure, parameter);
    };
    return s;
}

std::string TextOf(HWND window, int id) {
    char text[256] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

std::string Value(HWND status, int line) {
    return TextOf(status, VZ_PS_VALUE_FIRST + line);
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

class TransferWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        ResetTransfer();
    }
    void TearDown() override {
        commands::ResetSettingsToDefaults();
        ResetTransfer();
    }
    Win32TransferWindows windows{Services()};
};

TEST_F(TransferWindowsTest, StatusWindowShowsFiguresRefreshesLaterAndCancels) {
    StatusView view;
    view.ProtocolNumber = kProtoYmodem;
    view.FileName = std::string(41, 'n');
    view.StatusText = "Initializing";
    windows.OpenStatusWindow(view);
    HWND status = windows.StatusWindow();
    ASSERT_TRUE(status);
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_TRUE(GetWindowLongW(status, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char caption[64] = {};
    GetWindowTextA(status, caption, sizeof caption);
    EXPECT_STREQ(caption, "Protocol Status");
    EXPECT_EQ(Value(status, 0), "YMODEM");
    EXPECT_EQ(Value(status, 2), std::string(40, 'n') + "...");

    view.CheckType = 3;
    view.FileSize = 10000;
    view.BlockLength = 1024;
    view.BytesTransferred = 5000;
    view.BytesRemaining = 5000;
    view.ElapsedTicks = 1092;
    view.StatusText = "Receiving data";
    windows.UpdateStatusWindow(view);  // a new status shows at once
    EXPECT_EQ(Value(status, 1), "CRC 16");
    EXPECT_EQ(Value(status, 6), "5000");
    EXPECT_EQ(Value(status, 9), "5");
    EXPECT_EQ(Value(status, 12), "  1:00");
    EXPECT_EQ(Value(status, 13), "Receiving data");
    HWND meter = GetDlgItem(status, VZ_PS_METER);
    ASSERT_TRUE(meter);
    EXPECT_EQ(MeterPosition(meter), 50);
    RECT r;
    GetClientRect(meter, &r);
    EXPECT_EQ(r.right, 377);
    EXPECT_EQ(r.bottom, 20);

    // Figures that follow at once wait for the window's own timer instead
    // of holding up the transfer; the last ones show.
    view.BytesTransferred = 6000;
    windows.UpdateStatusWindow(view);
    view.BytesTransferred = 7000;
    windows.UpdateStatusWindow(view);
    EXPECT_EQ(Value(status, 6), "5000");
    PumpFor(300);
    EXPECT_EQ(Value(status, 6), "7000");
    EXPECT_EQ(MeterPosition(meter), 70);

    // A view without a protocol changes nothing.
    StatusView none;
    windows.UpdateStatusWindow(none);
    PumpFor(150);
    EXPECT_EQ(Value(status, 0), "YMODEM");

    SendMessageW(GetDlgItem(status, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(FrontEnd.CancelRequested);
    EXPECT_EQ(Value(status, 13), "Cancel requested, aborting");
    windows.CloseStatusWindow();
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(windows.StatusWindow(), nullptr);
}

// The highlighted runs along the bar's middle row: whole segments and the
// width of the last run.
struct Runs {
    int count = 0;
    int lastWidth = 0;
};
Runs PaintedRuns(HWND meter) {
    RECT r;
    GetClientRect(meter, &r);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(meter, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
    Runs runs;
    int width = 0;
    for (int x = 0; x <= r.right; ++x) {
        const bool on = x < r.right && GetPixel(dc, x, r.bottom / 2) == bar;
        if (on) {
            ++width;
        } else if (width > 0) {
            ++runs.count;
            runs.lastWidth = width;
            width = 0;
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return runs;
}

TEST(TransferMeter, PaintsTheSegmentsOfItsPosition) {
    RegisterMeterClass();
    HWND meter = CreateWindowExW(0, L"VzMeter", L"", WS_POPUP, 0, 0, 377, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(meter);
    RECT r;
    GetClientRect(meter, &r);
    ASSERT_EQ(r.right, 377);
    struct Case {
        int position;
        int segments;
        int lastWidth;
    };
    // 50: ((377 - 3) div 10 * 50) div 100 + 1 = 19 segments of 8 pixels;
    // 100: full, 37 segments and a last partial one of 3 pixels.
    for (const Case c : {Case{0, 0, 0}, Case{1, 1, 8}, Case{50, 19, 8}, Case{100, 38, 3}}) {
        SetMeterPosition(meter, c.position);
        const Runs runs = PaintedRuns(meter);
        EXPECT_EQ(runs.count, c.segments) << c.position;
        EXPECT_EQ(runs.lastWidth, c.lastWidth) << c.position;
    }
    DestroyWindow(meter);
}

// The controls the option models use, by template: each template must have
// them all.
struct FormControls {
    const char* name;
    std::vector<int> ids;
};
const FormControls kForms[] = {
    {"PROTOCOLOPTIONS",
     {VZ_PO_INCLUDE_DIRECTORY, VZ_PO_ASK_AS, VZ_PO_PROTOCOL_TYPE, VZ_PO_HANDSHAKE_RETRY,
      VZ_PO_UPCASE_NAMES, VZ_PO_CONFIGURE, VZ_PO_DEBUG, VZ_PO_DEBUG_FILE, VZ_PO_DESTINATION_DIR,
      VZ_PO_BROWSE, VZ_PO_LOCK_DIRECTORY, VZ_PO_WRITE_FAIL, VZ_PO_FINISH_WAIT}},
    {"XYPROTOPTIONS", {VZ_XY_BLOCK_WAIT}},
    {"ZMODEMPROTOPTIONS",
     {VZ_ZM_FILE_OPTION, VZ_ZM_FINISH_RETRY, VZ_ZM_OVERRIDE, VZ_ZM_RECOVER, VZ_ZM_SKIP_NO_FILE,
      VZ_ZM_AUTO_RECEIVE, VZ_ZM_USE_WINDOWS, VZ_ZM_WINDOW_SIZE}},
    {"ASCIIPROTOPTIONS",
     {VZ_AS_CHAR_DELAY, VZ_AS_LINE_DELAY, VZ_AS_CR_FIRST, VZ_AS_CR_FIRST + 1, VZ_AS_CR_FIRST + 2,
      VZ_AS_LF_FIRST, VZ_AS_LF_FIRST + 1, VZ_AS_LF_FIRST + 2, VZ_AS_EOL_CHAR, VZ_AS_STOP_CTRL_Z}},
    {"KERMITPROTOPTIONS",
     {VZ_KM_CHECK_FIRST, VZ_KM_CHECK_FIRST + 1, VZ_KM_CHECK_FIRST + 2, VZ_KM_PAD_COUNT,
      VZ_KM_PAD_CHAR, VZ_KM_HIGHBIT_PREFIX, VZ_KM_REPEAT_PREFIX, VZ_KM_CONTROL_PREFIX,
      VZ_KM_MAX_LEN, VZ_KM_TERMINATOR, VZ_KM_USE_WINDOWS, VZ_KM_WINDOWS, VZ_KM_AUTO_RECEIVE}},
};

INT_PTR CALLBACK Inert(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(TransferOptionTemplates, HoldEveryControlOfTheirModels) {
    // Made but never shown: each template against the ids its model uses.
    for (const FormControls& form : kForms) {
        HWND dialog = ui::LangCreateDialog(GetModuleHandleW(nullptr), form.name, nullptr, Inert, 0);
        ASSERT_TRUE(dialog) << form.name;
        for (int id : form.ids)
            if (!GetDlgItem(dialog, id)) ADD_FAILURE() << form.name << " lacks control " << id;
        DestroyWindow(dialog);
    }
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The user's part, run from a timer inside the dialog's own loop.
struct OptionsUser {
    HWND seen = nullptr;
    int protocolEntries = 0;
    std::string protocolShown;
};
OptionsUser user;

void CALLBACK ActOnOptions(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    user.seen = dialog;
    user.protocolEntries = int(SendDlgItemMessageA(dialog, VZ_PO_PROTOCOL_TYPE, CB_GETCOUNT, 0, 0));
    user.protocolShown = TextOf(dialog, VZ_PO_PROTOCOL_TYPE);
    // Unlock the folder and type a new one, as a user would, then OK.
    SendDlgItemMessageA(dialog, VZ_PO_LOCK_DIRECTORY, BM_CLICK, 0, 0);
    SetDlgItemTextA(dialog, VZ_PO_DESTINATION_DIR, "C:\\downloads\\");
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
}

TEST_F(TransferWindowsTest, OptionsDialogRunsItsModelOverTheTemplate) {
    commands::Settings.DownloadLock = 2;
    FrontEnd.ProtocolNumber = kProtoYmodem;
    user = OptionsUser{};
    auto model = ui::MakeDialogModel("PROTOCOLOPTIONS");
    ASSERT_TRUE(model);
    SetTimer(nullptr, 0, 30, ActOnOptions);
    EXPECT_EQ(ui::RunModelDialog("PROTOCOLOPTIONS", *model, nullptr), 1);
    ASSERT_TRUE(user.seen);
    EXPECT_EQ(user.protocolEntries, 10);
    EXPECT_EQ(user.protocolShown, "YModem");
    EXPECT_EQ(commands::Settings.DownloadLock, 0);
    EXPECT_EQ(commands::Settings.DownloadDir.Str(), "C:\\downloads\\");
}

}  // namespace
}  // namespace transfer
