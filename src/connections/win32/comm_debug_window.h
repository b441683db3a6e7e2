#pragma once
// The "Communication Debug" window: a modeless dialog showing the whole
// communication debug log in a read-only edit control.
#include <windows.h>

#include "connections/comm_debug_log.h"

namespace connections {

inline constexpr UINT WM_DEBUGREFRESH = WM_USER + 1;
inline constexpr int kDebugTextId = 101;

class Win32CommDebugWindow : public platform::CommDebugWindowPort {
  public:
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Window() const { return window_; }

    bool IsOpen() override { return window_ != nullptr; }
    void Open() override;
    void Close() override;
    void Refresh() override;
    void ErrorBox(std::string_view text, std::string_view caption) override;

  private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Brings the edit control up to date: the new lines are appended, and
    // the whole text is set only when the control is new or the log dropped
    // lines the control still shows.
    void ShowNewLines(HWND dialog);
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    bool refreshPosted_ = false;
    bool showWhole_ = true;
    uint64_t shownTotal_ = 0;
    uint32_t shownTrims_ = 0;
};

extern Win32CommDebugWindow commDebugWindow;

}  // namespace connections
