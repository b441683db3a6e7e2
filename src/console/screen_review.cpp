#include "console/screen_review.h"

#include <algorithm>

#include "console/console_primitives.h"
#include "console/key_codes.h"
#include "console/messages.h"

namespace console {

ScreenReviewState ScreenReview;

namespace {

constexpr MessageId kMessageReview = 917;
constexpr int32_t kPromptColumn = 35;
constexpr int32_t kPromptSelection = 5;

// The farthest the view may stand back: every ring line that is not on the
// live screen, less one so that the oldest line never meets the newest.
int32_t MostOffset() {
    return std::max(TermScreenRing.LineCount - ConsoleLayer.ScreenRows - 1, 0);
}

// Shows the ring from the line that stands offset lines above the live screen.
void ShowOffset() {
    auto& r = TermScreenRing;
    auto& v = ScreenReview;
    if (r.LineCount < 1) return;
    r.TopLine = ((v.SavedTopLine - v.Offset) % r.LineCount + r.LineCount) % r.LineCount;
    RedrawScreen();
}

}  // namespace

void SaveReviewPosition() {
    auto& v = ScreenReview;
    v.Offset = 0;
    v.SavedTopLine = TermScreenRing.TopLine;
    v.SavedViewLeftColumn = TermScreenRing.ViewLeftColumn;
}

void ReviewScrollBy(int32_t n) {
    auto& v = ScreenReview;
    v.Offset = std::clamp(v.Offset + n, 0, MostOffset());
    ShowOffset();
}

void ReviewLineUp() {
    ReviewScrollBy(1);
}

void ReviewLineDown() {
    ReviewScrollBy(-1);
}

void RestoreReviewPosition() {
    auto& v = ScreenReview;
    v.Offset = 0;
    TermScreenRing.TopLine = v.SavedTopLine;
    SetViewLeftColumn(v.SavedViewLeftColumn);
    RedrawScreen();
}

bool SetViewLeftColumn(int32_t column) {
    auto& r = TermScreenRing;
    const int32_t width = ConsoleLayer.ScreenWidth;
    if (column < 0 || column > std::max(Columns() - width, 0)) return false;
    r.ViewLeftColumn = column;
    r.ViewRightLimit = column + width + 1;
    RedrawScreen();
    return true;
}

void ReviewScreenPrompt(uint16_t (*readKey)(), void (*printScreen)()) {
    auto& l = ConsoleLayer;
    auto& v = ScreenReview;
    SaveCursorState();
    l.StatusMode = true;
    GotoRowCol(l.StatusRow, kPromptColumn);
    l.AttrSelection = kPromptSelection;
    WriteString(GetMessageText(kMessageReview, true));
    l.StatusMode = false;
    v.Active = true;
    SaveReviewPosition();
    const int32_t rows = l.ScreenRows;
    for (;;) {
        const uint16_t key = readKey();
        if (key == 13 || key == 27) break;
        switch (key) {
            case kKeyDown:
            case '2':
                ReviewLineDown();
                break;
            case kKeyUp:
            case '8':
                ReviewLineUp();
                break;
            case kKeyPgUp:
            case '9':
                ReviewScrollBy(rows);
                break;
            case kKeyPgDn:
            case '3':
                ReviewScrollBy(-rows);
                break;
            case kKeyRight:
            case '6':
                SetViewLeftColumn(TermScreenRing.ViewLeftColumn + 1);
                break;
            case kKeyLeft:
            case '4':
                SetViewLeftColumn(TermScreenRing.ViewLeftColumn - 1);
                break;
            case kKeyHome:
            case '7':
                SetViewLeftColumn(0);
                break;
            case kKeyEnd:
                SetViewLeftColumn(std::max(Columns() - l.ScreenWidth, 0));
                break;
            case 'p':
            case 'P':
                printScreen();
                break;
            default:
                break;
        }
    }
    RestoreReviewPosition();
    v.Active = false;
    RestoreCursorState();
}

}  // namespace console
