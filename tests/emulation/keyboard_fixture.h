#pragma once
// A keyboard unit wired to recording fakes: keys come from a script, sends are
// recorded (and can be made to fail), echoes and messages are kept.

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "../console/fake_console_window.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/receive_ring.h"
#include "console/code_pages.h"
#include "emulation/input/keyboard.h"
#include "emulation/main_routine.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

namespace keyboard_test {

struct Recorder {
    std::deque<uint16_t> keys;      // the console key queue
    std::string sent;               // every byte that reached the connection
    std::vector<size_t> sendCalls;  // the length of each send call
    bool failSends = false;
    std::string echoed;
    std::vector<uint16_t> messages;
    std::set<uint16_t> macros;  // keys that have a macro
    std::vector<uint16_t> startedMacros;
    int stopMacros = 0;
    std::string editLine;  // what the local command line returns
    int editCalls = 0;
    std::vector<std::string> executed;
    uint16_t charKey = 0;    // what the "Transmit Key: " prompt reads
    bool connected = false;  // a connection method is set
};
inline Recorder rec;

class KeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rec = Recorder{};
        commands::ResetSettingsToDefaults();
        console_test::ResetConsoleForTest(window);
        connections::ResetCommLayer();
        commands::ResetInterpreter();
        platform::ResetCodePages();
        emulation::ResetReceiveLoop();
        emulation::ResetTermExecutor();
        emulation::ResetRecogniser();
        emulation::ResetEmulatorState();
        emulation::ResetMainRoutine();
        emulation::SetTermTypeConsole(nullptr);
        emulation::ResetKeyboard();
        commands::Settings.FullDuplex = 1;
        commands::Settings.AutoLF = 0;
        commands::Settings.NoKeyboardLock = 1;
        commands::Settings.AsciiCharDelay.Set(0);
        commands::Settings.UpperCaseKeys = 0;
        commands::Settings.EuroChar = 0;
        commands::Settings.CharsetKind = 0;
        commands::Settings.BeepIdle = 0;
        auto& h = emulation::Keyboard.Hooks;
        const emulation::KeyboardHooks none = emulation::NullKeyboardHooks();
        h.PumpWindowMessages = none.PumpWindowMessages;
        h.KeyPressed = [] { return !rec.keys.empty(); };
        h.ReadKeyCode = []() -> uint16_t {
            const uint16_t k = rec.keys.front();
            rec.keys.pop_front();
            return k;
        };
        h.SendByte = [](uint8_t b) {
            if (rec.failSends) return false;
            rec.sent.push_back(static_cast<char>(b));
            rec.sendCalls.push_back(1);
            return true;
        };
        h.SendString = [](std::string_view s) {
            if (rec.failSends || s.size() > 255) return false;
            rec.sent.append(s);
            rec.sendCalls.push_back(s.size());
            return true;
        };
        h.FlowKeysLocal = [] { return !rec.connected; };
        h.SetXon = none.SetXon;
        h.BreakCancel = none.BreakCancel;
        h.EchoByte = [](uint8_t b, uint32_t) { rec.echoed.push_back(static_cast<char>(b)); };
        h.WriteMessage = [](uint16_t id) { rec.messages.push_back(id); };
        h.MacroExists = [](uint16_t k) { return rec.macros.count(k) != 0; };
        h.StartMacro = [](uint16_t k, uint8_t) { rec.startedMacros.push_back(k); };
        h.StopMacros = [] { ++rec.stopMacros; };
        h.EditLine = [](std::string& line, bool, uint16_t&) {
            ++rec.editCalls;
            line = rec.editLine;
            return !line.empty();
        };
        h.ExecuteFunction = [](std::string_view line, uint16_t) -> uint32_t {
            rec.executed.emplace_back(line);
            return 0;
        };
        h.FunctionSucceeded = [] { return true; };
        h.CurrentFunction = []() -> int32_t { return commands::NoFunction; };
        h.ReadCharKey = [] { return rec.charKey; };
        h.Ticks = [] { return int32_t{1000}; };
        h.Milliseconds = [] { return uint32_t{0}; };
    }
    void TearDown() override { emulation::ResetKeyboard(); }

    // Queues keys in the console queue and runs the processor until the
    // keyboard has nothing more to do.
    static void Type(std::initializer_list<uint16_t> keys) {
        for (uint16_t k : keys) rec.keys.push_back(k);
        for (int i = 0; i < 64 && (!rec.keys.empty() || !emulation::Keyboard.KeyRing.Empty()); ++i)
            emulation::ProcessKeyboard();
    }

    console_test::FakeConsoleWindow window;
};

}  // namespace keyboard_test
