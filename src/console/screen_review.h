#pragma once
// The review of the scroll-back: the window shows older lines of the ring
// while keys move the view, and the live screen comes back at the end.

#include <cstdint>

namespace console {

struct ScreenReviewState {
    bool Active = false;
    // Lines the view stands back from the live screen.
    int32_t Offset = 0;
    int32_t SavedTopLine = 0;
    int32_t SavedViewLeftColumn = 0;
};
extern ScreenReviewState ScreenReview;

// The primitives: the position is remembered, the view moves by lines (one
// line or n, positive toward older lines) and the live screen is restored.
void SaveReviewPosition();
void ReviewLineUp();
void ReviewLineDown();
void ReviewScrollBy(int32_t n);
void RestoreReviewPosition();
// The first shown ring column (0-based), kept within the ring's columns; false
// when it is outside them.
bool SetViewLeftColumn(int32_t column);

// The review driven by keys until Enter or Esc (readKey gives normalised key
// codes; "p" prints the screen through printScreen), with its prompt on the
// status row. The caller marks the status row for redrawing.
void ReviewScreenPrompt(uint16_t (*readKey)(), void (*printScreen)());

}  // namespace console
