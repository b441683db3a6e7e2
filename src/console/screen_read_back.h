#pragma once
// Screen read-back: cells turned back into text for replies to the host,
// capture, screen printing and the screen menu.

#include <cstdint>
#include <string>

namespace console {

// How one cell's character becomes bytes; nullptr takes its low byte.
using CharEncoder = std::string (*)(char16_t ch);

struct ScreenTextOptions {
    bool WindowFlag = false;       // direct write: low bytes with BS "_" after reverse cells
    bool SavedWidth = false;       // cut at the width direct write or a local screen saved
    bool MarkProtected = false;    // protected runs are marked ...
    bool ProtectedAsFs = false;    // ... by one FS, else by ESC ")" text ESC "("
    CharEncoder Encode = nullptr;  // the text's character set
};

// Columns first..last of a text row as at most 255 bytes.
std::string GetScreenText(int32_t row, int32_t first, int32_t last,
                          const ScreenTextOptions& options);

// Columns first..last of a row as characters; rows 0 and below are the
// scroll-back (an empty result above the ring's oldest line). With
// markReverse a cell in the reverse colour is followed by U+0008 U+005F.
// Line graphics come back as box drawing, filler cells are dropped and
// composite characters are given as their parts.
std::u16string GetScreenTextW(int32_t row, int32_t first, int32_t last, bool markReverse,
                              bool savedWidth);

}  // namespace console
