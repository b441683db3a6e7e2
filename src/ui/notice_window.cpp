#include "ui/notice_window.h"

#include "console/messages.h"
#include "console/terminal_window.h"

namespace ui {

namespace {

NoticeWindowPlatform Platform = NullNoticeWindowPlatform();

}  // namespace

NoticeContent NoticeContentFor(uint16_t messageId) {
    return {console::TerminalWindowUnit.TitleBanner, console::GetMessageText(messageId, true)};
}

NoticeWindowPlatform NullNoticeWindowPlatform() {
    return {[](const NoticeContent&) -> NoticeWindowId { return 0; },
            [](NoticeWindowId) { return false; }, [](NoticeWindowId) {}};
}

NoticeWindowPlatform SetNoticeWindowPlatform(const NoticeWindowPlatform& platform) {
    const NoticeWindowPlatform previous = Platform;
    Platform = platform;
    return previous;
}

NoticeWindowId ShowNoticeWindow(uint16_t messageId) {
    return Platform.Open(NoticeContentFor(messageId));
}

bool IsNoticeWindowOpen(NoticeWindowId notice) {
    return notice != 0 && Platform.IsOpen(notice);
}

void CloseNoticeWindow(NoticeWindowId notice) {
    if (notice != 0) Platform.Close(notice);
}

}  // namespace ui
