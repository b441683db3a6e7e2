#pragma once
// The whole terminal as the program runs it for host bytes: the receive loop,
// the recogniser and the executor with every registered operation, on a test
// console.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "../connections/connection_fakes.h"
#include "../console/fake_console_window.h"
#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

namespace emulation_test {

// The line the terminal is on.
enum class Line {
    Serial,          // carries every byte as data and sends nowhere
    RecordedRlogin,  // an open connection whose socket keeps what is sent, as it is
};

class TerminalTest : public ::testing::Test {
  protected:
    void TearDown() override {
        emulation::SetRecogniserSource(nullptr);
        emulation::ResetTermOpHandlers();
        emulation::ResetFamilyTables();
        connections::ResetCommLayer();
        connections::AttachProgramConnection(nullptr);
        connections::ResetCommLayer();
        console::ResetGlobals();
        console::SetScreenWindow(nullptr);
    }

    // What a test puts in place before the type is chosen, which reads it.
    virtual void BeforeType() {}

    // Starts everything afresh as the terminal type on the line.
    void Start(const char* type, Line line = Line::Serial) {
        commands::ResetSettingsToDefaults();
        commands::ResetInterpreter();
        console::ResetGlobals();
        console_test::ResetConsoleForTest(window);
        socket = connections::testing::FakeTransport{};
        connections::AttachProgramConnection(line == Line::RecordedRlogin ? &socket : nullptr);
        connections::ResetCommLayer();
        if (line == Line::RecordedRlogin) {
            // Rlogin carries replies as they are (Telnet would add a NUL to each CR).
            commands::Settings.CommMethod = connections::CommMethodRlogin;
            commands::Settings.HostName = "10.1.2.3:513";
        } else {
            connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
        }
        emulation::ResetEmulatorState();
        emulation::ResetFamilyTables();
        emulation::ResetScreenOperations();
        emulation::ResetScreenPages();
        emulation::ScreenOperations.Hooks = {};
        // The running sequence as the program's wiring gives it.
        emulation::ScreenOperations.Hooks.SequenceText = [] {
            return emulation::TermExecutor.SequenceText.view();
        };
        emulation::ResetRecogniser();
        emulation::ResetTermExecutor();
        emulation::ResetReceiveLoop();
        BeforeType();
        emulation::InstallTermOperations();
        emulation::UseHostRecogniserSource();
        app::ConnectEmulatorToHost();
        ASSERT_TRUE(emulation::SetTerminalType(type, false));
        emulation::ReceiveLoop.Hooks.Ticks = [] { return int32_t{1}; };
        if (line == Line::RecordedRlogin) {
            ASSERT_EQ(connections::CommOpen(true), 0u);
            socket.TakeSent();
        }
    }

    // Feeds the bytes, as much as the receive ring takes at a time, and runs
    // passes (the run-gathering one or the plain one) until the ring is empty.
    static void Feed(std::string_view bytes, bool fast = true) {
        app::ReceiveHostBytes(bytes, fast);
    }

    // Takes what was sent to the host so far.
    std::string Sent() {
        const auto bytes = socket.TakeSent();
        return std::string(bytes.begin(), bytes.end());
    }

    // Text row (1-based) of the screen, trailing blanks removed.
    static std::string TrimmedRow(int32_t row) {
        std::string s = console_test::RingRow(row);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    // The characters of count cells of the row from column from.
    static std::u16string Cells(int32_t row, int32_t from, int32_t count) {
        std::u16string s;
        for (int32_t c = from; c < from + count; ++c)
            s.push_back(
                console::CellChar(console::TermScreenRing.Cells[console::CellIndex(row, c)]));
        return s;
    }

    console_test::FakeConsoleWindow window;
    connections::testing::FakeTransport socket;
};

}  // namespace emulation_test
