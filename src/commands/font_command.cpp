// The FONT command: the screen font by face, size and option words.
#include <string>

#include "commands/command_handlers.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/glyphs/screen_font_model.h"

namespace commands {

namespace {

constexpr size_t kMaxSizeWord = 80;

}  // namespace

void FontCommand(FunctionCall& call) {
    std::string face = call.NextToken();
    std::string size = call.NextToken().substr(0, kMaxSizeWord);
    std::string option = call.NextToken();
    console::ScreenFontChange change;
    if (!console::SetScreenFont(face, size, option, change)) {
        call.Succeeded = false;
        call.Status = FunctionBadArgument;
        return;
    }
    size_t slot = console::ConsoleLayer.ScreenWidth > 80 ? 1 : 0;
    Settings.FontCellSize[slot * 2].Set(static_cast<uint16_t>(change.Height));
    Settings.FontCellSize[slot * 2 + 1].Set(static_cast<uint16_t>(change.Width));
    Settings.FontOption[slot] = change.Bold ? 1 : 0;
}

}  // namespace commands
