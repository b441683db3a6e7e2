#pragma once
// The modeless notice window: a message in a small window captioned with the
// program's banner, which stays until the user closes it. Whoever opens one
// keeps its id and asks whether it is still open; the platform shows it.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/dialogs/dialog_entries.h"

namespace ui {

// What a notice window shows.
struct NoticeContent {
    std::u16string Caption;  // the program's banner
    std::string Text;        // the message, in the ANSI code page
};
NoticeContent NoticeContentFor(uint16_t messageId);

// The platform's side: opens a window showing the content (0 when it
// cannot), tells whether the window still exists, closes it.
struct NoticeWindowPlatform {
    NoticeWindowId (*Open)(const NoticeContent& content);
    bool (*IsOpen)(NoticeWindowId notice);
    void (*Close)(NoticeWindowId notice);
};
// The platform without windows: nothing opens.
NoticeWindowPlatform NullNoticeWindowPlatform();
// Installs the platform's side; returns the one installed before.
NoticeWindowPlatform SetNoticeWindowPlatform(const NoticeWindowPlatform& platform);

}  // namespace ui
