#pragma once
// The protocol status window on Windows: modeless, refreshed from the front
// end's status hook without waiting for a paint, its Cancel stopping the
// engine at its next abort test; and its segmented progress bar. (The
// options dialogs are dialog models of the menus' own machinery.)
#include <windows.h>

#include <string>

#include "transfer/transfer_ui.h"

namespace transfer {

// What the windows use of the dialog machinery around them.
struct TransferWindowServices {
    // A modal dialog from the template of that name; -1 without a template.
    INT_PTR(*ModalDialog)
    (const char* templateName, HWND parent, DLGPROC procedure, LPARAM parameter) = nullptr;
    // A modeless dialog, not yet shown; nullptr without a template.
    HWND(*ModelessDialog)
    (const char* templateName, HWND parent, DLGPROC procedure, LPARAM parameter) = nullptr;
    // The folder chooser starting at a folder; empty when cancelled.
    std::string (*BrowseForFolder)(const std::string& start) = nullptr;
    // The window that owns the dialogs.
    HWND (*Owner)() = nullptr;
};

class Win32TransferWindows final : public TransferUi {
  public:
    explicit Win32TransferWindows(const TransferWindowServices& services);
    ~Win32TransferWindows() override;

    void OpenStatusWindow(const StatusView& view) override;
    void UpdateStatusWindow(const StatusView& view) override;
    void CloseStatusWindow() override;

    HWND StatusWindow() const { return status_; }
    // The figures held back by the refresh period, shown (the window's timer).
    void ApplyPendingView();

  private:
    void ApplyView(const StatusView& view);

    TransferWindowServices services_;
    HWND status_ = nullptr;
    StatusView pending_;
    bool viewPending_ = false;
    DWORD lastApplied_ = 0;
    std::string shown_[14];
};

// The segmented progress bar's window class ("VzMeter"), registered once.
void RegisterMeterClass();
// The bar's position, 0..100; a change repaints only when the segments do.
void SetMeterPosition(HWND meter, int position);
int MeterPosition(HWND meter);

}  // namespace transfer
