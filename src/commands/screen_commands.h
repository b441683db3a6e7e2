#pragma once

// The commands that change what the terminal window shows and how: the
// status line and cursor, screen geometry and the shown part of a wide
// screen, the window title and placement, local text windows, boxes and
// fills, the menu drawn on the screen, colours and attribute rendering, the
// background picture and the clipboard.

#include <string>

#include "commands/command_handlers.h"

namespace commands {

struct CellRectangle;

void AddScreenCommands(CommandHandlerTable& table);

// SCREENMODE/S's answer: "C00", the last text row (status row included),
// the shown width and the ScreenColumns setting, three characters each,
// then the screen mode's name.
std::string ScreenModeReply();

// SETCOLOR's colour of the console's own text: "NORMAL" or nothing, a
// decimal number or two hexadecimal digits and "H". False for a malformed
// or out-of-range value, which changes nothing.
bool SetColorCommand(std::string_view text);

// The menu drawn on the screen: the user picks an item inside the rectangle
// and its text is the reply (empty after Esc). False for a rectangle or
// layout that does not fit the screen.
bool MenuBarCommand(CellRectangle rectangle, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                    std::string& reply, int32_t maxLength);

// The local text windows: a rectangle filled with the first character of
// text (a blank when empty) in the saved colour selection, and a window
// whose area is saved, then filled and framed as the words ask.
bool FillWindowArea(const CellRectangle& rectangle, std::string_view text);
bool OpenTextWindow(const CellRectangle& rectangle, std::string_view first,
                    std::string_view second);

}  // namespace commands
