#include "app/emulator_wiring.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/key_names.h"
#include "console/protected_fields.h"
#include "console/screen_buffer.h"
#include "console/status_line.h"
#include "emulation/host_commands.h"
#include "emulation/host_ports.h"
#include "emulation/input/keyboard.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/field_and_reset_operations.h"
#include "emulation/operations/host_mode_operations.h"
#include "emulation/operations/screen_geometry.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "emulation/text/charsets.h"
#include "emulation/text/composition.h"
#include "emulation/text/host_char_display.h"
#include "emulation/types/term_types.h"

namespace app {
namespace {

using console::ConsoleLayer;
using emulation::EmulatorState;
using emulation::ReceiveLoop;

std::string_view RunningSequence() {
    return emulation::TermExecutor.SequenceText.view();
}

uint8_t LastGraphicChar() {
    return ReceiveLoop.LastGraphicChar;
}

// The repeat writes the last character as it was written (translated or
// not, in its code page); SCO's repeat names its character, which is written
// as a received byte would be.
void WriteRepeatedChar(uint8_t ch, int32_t count) {
    const bool last = EmulatorState.EmulationFamily != emulation::kEmulationScoAnsi;
    const uint32_t codePage = last ? ReceiveLoop.LastGraphicCodePage : 1252;
    const bool translate = last ? ReceiveLoop.LastGraphicTranslated : true;
    while (count > 0) {
        const int32_t n = std::min(count, 255);
        emulation::WriteRepeatedChar(ch, static_cast<uint8_t>(n), codePage, translate, false);
        count -= n;
    }
}

char16_t ByteInCurrentSets(uint8_t byte) {
    const char16_t ch = byte < 0x80 ? emulation::ByteToUnicode(byte, EmulatorState.GL)
                                    : emulation::ByteToUnicode(byte - 0x80, EmulatorState.GR);
    return ch != 0 ? ch : u' ';
}

// The local echo of a sent byte. A sequence the echo starts is the
// terminal's own: it must not read the host's waiting bytes as its rest.
void EchoSentByte(uint8_t b, uint32_t codePage) {
    emulation::HostInput& host = emulation::HostIn();
    emulation::SetHostInput(nullptr);
    emulation::WriteRepeatedChar(b, 1, codePage, codePage <= 1, false);
    emulation::SetHostInput(&host);
}

void SetFieldAttr(uint8_t colour, uint8_t mode) {
    console::SetFieldAttr(colour, static_cast<console::FieldProtection>(mode > 2 ? 2 : mode));
}

// The console side of a terminal-type change: colours, selection, screen
// rows, margins, the quiet line and a repaint.
class ProgramTypeConsole final : public emulation::TermTypeConsole {
  public:
    void ReadColourMap(uint16_t (&map)[16]) override {
        for (size_t i = 0; i < 16; ++i) map[i] = ConsoleLayer.AttrColorMap[i];
    }

    void Apply(const emulation::TermTypeChange& c) override {
        auto& l = ConsoleLayer;
        if (c.SetColours) {
            console::SetAttributeMode(c.AttributeMode);
            for (size_t i = 0; i < 16; ++i) l.AttrColorMap[i] = c.AttrColorMap[i];
            // The status row takes the reverse entry of the new map.
            if (c.PcColourMap) console::RefreshStatusAttrs();
        }
        l.AttrSelection = c.AttrSelection;
        l.SavedAttrSelection = c.AttrSelection;
        if (c.SetDirectAttr) l.DirectAttr = c.DirectAttr;
        emulation::TermExecutor.QuietLine = false;
        // A new type answers in 7-bit controls until the host asks otherwise.
        emulation::TermExecutor.EightBitControls = false;

        // The PC ANSI types want at least 25 text rows; the others give
        // every row but the status row to the text.
        const auto& hooks = emulation::ScreenOperations.Hooks;
        if (!c.AnsiScreen) {
            if (l.LastRow > 1) l.ScreenRows = l.LastRow - 1;
        } else if (l.LastRow < 26) {
            hooks.SetScreenGeometry("80x25");
        }

        l.TopMargin = 1;
        l.BottomMargin = l.ScreenRows;
        l.LeftMargin = 1;
        l.RightMargin = std::max(l.ScreenWidth, 1);
        emulation::ScreenOperations.OriginMode = false;
        console::ClampCursor();
        console::RedrawScreen();
    }

    uint16_t NormalizeKeyCode(uint16_t key) override {
        return static_cast<uint16_t>(console::NormalizeKeyCode(key));
    }
};

constinit ProgramTypeConsole typeConsole;

}  // namespace

void WireEmulator() {
    auto& screen = emulation::ScreenOperations.Hooks;
    screen.SequenceText = RunningSequence;
    screen.LastGraphicChar = LastGraphicChar;
    screen.WriteRepeatedChar = WriteRepeatedChar;
    screen.ByteToUnicode = ByteInCurrentSets;
    screen.SetScreenGeometry = emulation::SetScreenGeometry;
    screen.DrawFrameBox = emulation::DrawFrameBox;
    emulation::AttributeOperations.Hooks.SetFieldAttr = SetFieldAttr;
    emulation::FieldAndResetOperations.Hooks.RebuildTitleLine = emulation::BuildTitleLine;
    emulation::HostModeOperations.Hooks.ReceiveHostCommand = emulation::ReceiveHostCommand;
    emulation::SetTermTypeConsole(&typeConsole);
    emulation::Keyboard.Hooks.EchoByte = EchoSentByte;
    // Composition: dead keys and received marks compose, and text read back
    // or sent in a code page that lacks a composite falls back to its parts.
    emulation::charsetHooks.DecomposeChar = emulation::DecomposeChar;
    console::keyInputHooks.ComposeChars = emulation::ComposeChars;
}

}  // namespace app
