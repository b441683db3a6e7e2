#include "ui/win32/model_dialogs_win32.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/win32/language_dialogs.h"

namespace ui {

bool Win32DialogControls::Has(int id) {
    return GetDlgItem(dialog_, id) != nullptr;
}

void Win32DialogControls::SetCaption(std::string_view text) {
    SetWindowTextA(dialog_, std::string(text).c_str());
}

void Win32DialogControls::SetText(int id, std::string_view text) {
    SetDlgItemTextA(dialog_, id, std::string(text).c_str());
}

std::string Win32DialogControls::Text(int id) {
    HWND control = GetDlgItem(dialog_, id);
    if (!control) return {};
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    const int n = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void Win32DialogControls::LimitText(int id, size_t max) {
    SendDlgItemMessageA(dialog_, id, EM_LIMITTEXT, max, 0);
}

void Win32DialogControls::SetChecked(int id, bool on) {
    CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32DialogControls::Checked(int id) {
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

bool Win32DialogControls::IsCombo(int id) {
    char name[32] = {};
    GetClassNameA(GetDlgItem(dialog_, id), name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0;
}

void Win32DialogControls::SetList(int id, const std::vector<std::string>& entries) {
    const bool combo = IsCombo(id);
    SendDlgItemMessageA(dialog_, id, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const auto& entry : entries)
        SendDlgItemMessageA(dialog_, id, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(entry.c_str()));
}

void Win32DialogControls::Select(int id, int index) {
    SendDlgItemMessageA(dialog_, id, IsCombo(id) ? CB_SETCURSEL : LB_SETCURSEL,
                        static_cast<WPARAM>(index), 0);
}

int Win32DialogControls::Selected(int id) {
    return static_cast<int>(
        SendDlgItemMessageA(dialog_, id, IsCombo(id) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void Win32DialogControls::Enable(int id, bool on) {
    if (HWND control = GetDlgItem(dialog_, id)) EnableWindow(control, on);
}

void Win32DialogControls::Show(int id, bool on) {
    if (HWND control = GetDlgItem(dialog_, id)) ShowWindow(control, on ? SW_SHOW : SW_HIDE);
}

void Win32DialogControls::Redraw(int id) {
    if (HWND control = GetDlgItem(dialog_, id)) InvalidateRect(control, nullptr, TRUE);
}

namespace {

constexpr UINT_PTR kBlinkTimer = 1;

DialogModel* ModelOf(HWND dialog) {
    return reinterpret_cast<DialogModel*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

ControlEvent EventOf(HWND control, WORD code) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Edit") == 0) return ControlEvent::Changed;
    if (lstrcmpiA(name, "ListBox") == 0 || lstrcmpiA(name, "ComboBox") == 0)
        return code == LBN_DBLCLK ? ControlEvent::DoubleClicked : ControlEvent::Selected;
    return ControlEvent::Clicked;
}

// Which notifications reach the model: clicks, edits and list choices.
bool Notifies(HWND control, WORD code) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Edit") == 0) return code == EN_CHANGE;
    if (lstrcmpiA(name, "ListBox") == 0) return code == LBN_SELCHANGE || code == LBN_DBLCLK;
    if (lstrcmpiA(name, "ComboBox") == 0) return code == CBN_SELCHANGE || code == CBN_EDITCHANGE;
    return code == BN_CLICKED;
}

// Draws text as large as the control in the face asked for (the system's choice when the face is
// not a font).
void DrawFilling(const DRAWITEMSTRUCT& item, const std::u16string& text, const std::string& face,
                 uint32_t ink, uint32_t paper) {
    const RECT r = item.rcItem;
    const auto rgb = [](uint32_t c) { return RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF); };
    HBRUSH brush = CreateSolidBrush(rgb(paper));
    FillRect(item.hDC, &r, brush);
    DeleteObject(brush);
    SetTextColor(item.hDC, rgb(ink));
    HFONT font = CreateFontA(r.bottom - r.top, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
    HGDIOBJ old = SelectObject(item.hDC, font);
    SetBkMode(item.hDC, TRANSPARENT);
    RECT box = r;
    DrawTextW(item.hDC, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()),
              &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    DeleteObject(font);
}

INT_PTR CALLBACK ModelDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* model = reinterpret_cast<DialogModel*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            Win32DialogControls controls(dialog);
            model->Open(controls);
            if (model->WantsTimer()) SetTimer(dialog, kBlinkTimer, 500, nullptr);
            return TRUE;
        }
        case WM_DRAWITEM: {
            DialogModel* model = ModelOf(dialog);
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!model || !item) return FALSE;
            const std::u16string text = model->OwnerDrawText(static_cast<int>(wParam));
            if (text.empty()) return FALSE;
            uint32_t ink = 0, paper = 0xFFFFFF;
            model->OwnerDrawColours(static_cast<int>(wParam), ink, paper);
            DrawFilling(*item, text, model->OwnerDrawFace(static_cast<int>(wParam)), ink, paper);
            // The text grows only after the paint, so that a paint never waits on itself.
            PostMessageA(dialog, WM_USER + 1, wParam, 0);
            return TRUE;
        }
        case WM_USER + 1: {
            if (DialogModel* model = ModelOf(dialog)) {
                Win32DialogControls controls(dialog);
                const int id = static_cast<int>(wParam);
                model->Painted(controls, id, model->OwnerDrawFace(id));
            }
            return TRUE;
        }
        case WM_TIMER: {
            if (DialogModel* model = ModelOf(dialog)) {
                Win32DialogControls controls(dialog);
                model->Tick(controls);
            }
            return TRUE;
        }
        case WM_COMMAND: {
            DialogModel* model = ModelOf(dialog);
            if (!model) return FALSE;
            Win32DialogControls controls(dialog);
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                // A disabled OK also refuses a confirmation that arrives as a message.
                if (HWND ok = GetDlgItem(dialog, IDOK); ok && !IsWindowEnabled(ok)) return TRUE;
                if (auto result = model->Ok(controls)) {
                    KillTimer(dialog, kBlinkTimer);
                    EndDialog(dialog, *result);
                }
                return TRUE;
            }
            if (id == IDCANCEL) {
                KillTimer(dialog, kBlinkTimer);
                EndDialog(dialog, model->Cancel());
                return TRUE;
            }
            HWND control = reinterpret_cast<HWND>(lParam);
            // A greyed button also refuses a click that arrives as a message.
            HWND button = GetDlgItem(dialog, id);
            if (HIWORD(wParam) == BN_CLICKED && (!button || IsWindowEnabled(button))) {
                if (auto result = model->Closes(id)) {
                    KillTimer(dialog, kBlinkTimer);
                    EndDialog(dialog, *result);
                    return TRUE;
                }
            }
            if (control && Notifies(control, HIWORD(wParam)))
                model->Command(controls, id, EventOf(control, HIWORD(wParam)));
            return TRUE;
        }
    }
    return FALSE;
}

struct SheetPageContext {
    SheetModel* Sheet;
    size_t Index;
    bool* Applied;
};

INT_PTR CALLBACK SheetPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context = reinterpret_cast<SheetPageContext*>(GetWindowLongPtrA(page, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            auto* sheetPage = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
            context = reinterpret_cast<SheetPageContext*>(sheetPage->lParam);
            SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
            Win32DialogControls controls(page);
            context->Sheet->Pages[context->Index].Model->Open(controls);
            return TRUE;
        }
        case WM_NOTIFY: {
            if (!context) return FALSE;
            const auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == PSN_KILLACTIVE) {
                Win32DialogControls controls(page);
                (void)context->Sheet->Pages[context->Index].Model->Ok(controls);
                context->Sheet->PageLeft(context->Index);
                SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
                return TRUE;
            }
            if (header->code == PSN_APPLY) {
                *context->Applied = true;
                SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND: {
            if (!context) return FALSE;
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control && Notifies(control, HIWORD(wParam))) {
                Win32DialogControls controls(page);
                context->Sheet->Pages[context->Index].Model->Command(
                    controls, LOWORD(wParam), EventOf(control, HIWORD(wParam)));
            }
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

int RunSheetModel(SheetModel& sheet, HWND owner) {
    bool applied = false;
    std::vector<SheetPageContext> contexts;
    std::vector<PROPSHEETPAGEA> pages;
    contexts.reserve(sheet.Pages.size());
    for (size_t i = 0; i < sheet.Pages.size(); ++i) {
        HMODULE module = nullptr;
        LPCDLGTEMPLATEA dialog = DialogTemplateInLanguage(sheet.Pages[i].Template.c_str(), module);
        if (!dialog) return -1;
        contexts.push_back({&sheet, i, &applied});
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        page.hInstance = module;
        page.pResource = dialog;
        page.pszTitle = sheet.Pages[i].Title.c_str();
        page.pfnDlgProc = SheetPageProc;
        page.lParam = reinterpret_cast<LPARAM>(&contexts.back());
        pages.push_back(page);
    }
    const std::string caption = sheet.Caption();
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = static_cast<UINT>(sheet.StartPage());
    header.ppsp = pages.data();
    PropertySheetA(&header);
    if (applied) sheet.Confirmed();
    sheet.Closed();
    return applied ? 1 : 0;
}

int RunModelDialog(const char* templateName, DialogModel& model, HWND owner) {
    return static_cast<int>(LangDialogBox(GetModuleHandleA(nullptr), templateName, owner,
                                          ModelDialogProc, reinterpret_cast<LPARAM>(&model)));
}

}  // namespace ui
