#pragma once
// Feeds host bytes through the recogniser and this unit's operations onto a
// test console: printable bytes are written, everything else is collected and
// decoded the way the executor does it.

#include <map>
#include <string>
#include <string_view>

#include "../console/fake_console_window.h"
#include "app/emulator_wiring.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/mode_flag_operations.h"
#include "emulation/receive_loop.h"
#include "emulation/parser/recogniser.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/types/term_types.h"

namespace screen_test {

// The console side of a terminal-type change, applied to the test console.
class TestTypeConsole final : public emulation::TermTypeConsole {
  public:
    void ReadColourMap(uint16_t (&map)[16]) override {
        for (size_t i = 0; i < 16; ++i) map[i] = console::ConsoleLayer.AttrColorMap[i];
    }
    void Apply(const emulation::TermTypeChange& c) override {
        auto& l = console::ConsoleLayer;
        if (c.SetColours) {
            console::SetAttributeMode(c.AttributeMode);
            for (size_t i = 0; i < 16; ++i) l.AttrColorMap[i] = c.AttrColorMap[i];
        }
        l.AttrSelection = c.AttrSelection;
        if (c.SetDirectAttr) l.DirectAttr = c.DirectAttr;
        l.TopMargin = 1;
        l.BottomMargin = l.ScreenRows;
        l.LeftMargin = 1;
        l.RightMargin = l.ScreenWidth;
    }
    uint16_t NormalizeKeyCode(uint16_t key) override { return key; }
};

class HostScreen final : public emulation::RecogniserSource {
  public:
    explicit HostScreen(std::string_view type) {
        commands::ResetSettingsToDefaults();
        console_test::ResetConsoleForTest(window);
        console::SetJumpScrollSetting(0);
        emulation::ResetEmulatorState();
        emulation::ResetRecogniser();
        emulation::ResetFamilyTables();
        emulation::ResetScreenOperations();
        emulation::ScreenOperations.Hooks = {};
        emulation::ResetReceiveLoop();
        // The program's own wiring, but the sequence text is this feeder's.
        app::WireEmulator();
        emulation::ScreenOperations.Hooks.SequenceText = [] { return std::string_view(current); };
        emulation::AttributeOperations.Hooks = {};
        emulation::SetTermTypeConsole(&typeConsole);
        emulation::SetRecogniserSource(this);
        ok = emulation::SetTerminalType(type, true);
        for (auto b : emulation::ScreenOperationBindings()) handlers[b.Op] = b.Handler;
        for (auto b : emulation::AttributeOperationBindings()) handlers[b.Op] = b.Handler;
        for (auto b : emulation::ModeFlagOperationBindings()) handlers[b.Op] = b.Handler;
    }
    ~HostScreen() {
        emulation::SetRecogniserSource(nullptr);
        emulation::SetTermTypeConsole(nullptr);
        emulation::ResetRecogniser();
        emulation::ScreenOperations.Hooks = {};
        console::SetScreenWindow(nullptr);
    }
    HostScreen(const HostScreen&) = delete;
    HostScreen& operator=(const HostScreen&) = delete;

    bool ReadWaitingByte(bool sevenBit, bool skipNul, uint8_t& byte) override {
        while (pos < input.size()) {
            byte = static_cast<uint8_t>(input[pos++]);
            if (sevenBit) byte &= 0x7F;
            if (byte != 0 || !skipNul) return true;
        }
        return false;
    }
    uint16_t ScreenWidth() override { return 80; }

    void Feed(std::string_view bytes) {
        input = std::string(bytes);
        pos = 0;
        while (pos < input.size()) Byte(static_cast<uint8_t>(input[pos++]));
    }

    // Runs one operation as the executor's dispatch would.
    void Run(emulation::TermOp op, const emulation::TermOpParams& p) {
        ops.push_back(op);
        if (op == 205)
            op = (emulation::EmulatorState.EmulationFamily == 0 ||
                  emulation::EmulatorState.EmulationFamily == 4)
                     ? 29
                     : 0;
        const bool dollar = current.size() >= 2 && current[current.size() - 2] == '$';
        emulation::TermOpParams q = p;
        if (op == 289 && !dollar) {
            op = 67;
            if (q[0] == 127) q[0] = 0;
            if (q[1] == 127) q[1] = 0;
        }
        auto it = handlers.find(op);
        if (it != handlers.end()) it->second(op, q);
    }

    std::vector<emulation::TermOp> ops;
    std::string input;
    size_t pos = 0;
    bool ok = false;
    console_test::FakeConsoleWindow window;
    TestTypeConsole typeConsole;
    std::map<emulation::TermOp, void (*)(emulation::TermOp, const emulation::TermOpParams&)>
        handlers;
    static inline std::string current;

  private:
    void Byte(uint8_t b) {
        using emulation::SeqBuffer;
        if (SeqBuffer.empty() && b >= 0x20 && b < 0x7F) {
            const char c = static_cast<char>(b);
            console::WrapIfPastEnd();
            console::WriteScreenStr(std::string_view(&c, 1), 0);
            auto& r = emulation::ReceiveLoop;
            r.LastGraphicChar = b;
            r.LastGraphicTranslated = false;
            r.LastGraphicCodePage = 0;
            if (console::ConsoleLayer.CursorCol > console::Columns() &&
                emulation::EmulatorState.WrapStyle == 0) {
                console::WrapIfPastEnd();
            }
            return;
        }
        if (SeqBuffer.size() > 139) {
            SeqBuffer.clear();
            return;
        }
        SeqBuffer.push_back(b);
        if (b == 0x1B && SeqBuffer.size() == 1) {
            uint8_t next;
            if (!ReadWaitingByte(true, false, next)) return;
            SeqBuffer.push_back(next);
        }
        emulation::TermOp op = 0;
        emulation::TermOpParams p{};
        switch (emulation::DecodeHostSequence(op, p)) {
            case emulation::RecogniseStatus::Incomplete:
                return;
            case emulation::RecogniseStatus::Discard:
                if (!SeqBuffer.empty() && SeqBuffer[SeqBuffer.size() - 1] == 0x1B) {
                    SeqBuffer.clear();
                    SeqBuffer.push_back(0x1B);
                } else {
                    SeqBuffer.clear();
                }
                return;
            case emulation::RecogniseStatus::Recognised:
                break;
        }
        current.assign(SeqBuffer.view());
        SeqBuffer.clear();
        Run(op, p);
    }
};

// Text row (1-based) of the screen, trailing blanks removed.
inline std::string Row(int32_t row) {
    std::string s = console_test::RingRow(row);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline console::CellAttribute AttrAt(int32_t row, int32_t col) {
    return console::CellAttr(console_test::RingCell(row, col));
}

}  // namespace screen_test
