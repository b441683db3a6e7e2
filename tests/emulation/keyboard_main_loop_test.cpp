// The keyboard joined to the main loop: when an idle call may sleep until the
// next message, the status refresh of a new tick, and the joins to the key
// queue, the macros and the receive loop.
#include <cstring>

#include "app/session_wiring.h"
#include "connections/connection_layer.h"
#include "console/key_input.h"
#include "console/key_names.h"
#include "console/key_queue.h"
#include "emulation/input/macros.h"
#include "emulation/session_services.h"
#include "keyboard_fixture.h"
#include "ui/dialog_interface.h"

namespace emulation {
namespace {

using commands::Settings;
using keyboard_test::rec;

struct IdleRecorder {
    int waits = 0;
    int statusUpdates = 0;
    int idleUpdates = 0;
    bool workWaiting = false;
    int32_t tick = 500;
    uint8_t macroMode = 0;
};
IdleRecorder idle;

class KeyboardMainLoopTest : public keyboard_test::KeyboardTest {
  protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        app::ComposeSessionServices();
        idle = IdleRecorder{};
        auto& h = Keyboard.Hooks;
        h.Ticks = [] { return idle.tick; };
        h.WorkWaiting = [] { return idle.workWaiting; };
        h.WaitForMessage = [] { ++idle.waits; };
        h.UpdateStatusLine = [] { ++idle.statusUpdates; };
        h.StatusIdleUpdate = [] { ++idle.idleUpdates; };
        h.MacroMode = [] { return idle.macroMode; };
        // The first call starts a tick of its own.
        ProcessKeyboard();
        idle.waits = idle.statusUpdates = idle.idleUpdates = 0;
    }
    void TearDown() override {
        ResetMacros();
        ResetMacroHooks();
        console::ResetKeyQueue();
        platform::SetKeySource(nullptr);
        app::ComposeSessionServices();
        ui::ResetMenuDispatch();
        KeyboardTest::TearDown();
    }
};

TEST_F(KeyboardMainLoopTest, IdleCallWaitsOnlyWithinTheSameTick) {
    ProcessKeyboard();
    EXPECT_EQ(idle.waits, 1);
    EXPECT_EQ(idle.idleUpdates, 0);

    // A new tick refreshes the status instead of waiting, the status row only
    // when it was written over.
    idle.tick++;
    ReceiveLoop.StatusLineDirty = true;
    ProcessKeyboard();
    EXPECT_EQ(idle.waits, 1);
    EXPECT_EQ(idle.idleUpdates, 1);
    EXPECT_EQ(idle.statusUpdates, 1);
    ProcessKeyboard();
    EXPECT_EQ(idle.waits, 2);

    // A call that sent something notes the tick and does not wait; the next
    // idle call of that tick does.
    idle.tick++;
    rec.keys.push_back('a');
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "a");
    EXPECT_EQ(idle.waits, 2);
    EXPECT_EQ(idle.idleUpdates, 1);
    ProcessKeyboard();
    EXPECT_EQ(idle.waits, 3);
}

TEST_F(KeyboardMainLoopTest, NoSleepWhileWorkIsWaitingAndNoSpinWhileKeysAreKeptBack) {
    struct Case {
        const char* what;
        bool workWaiting;
        uint8_t macroMode;
        bool locked;  // the keyboard is locked until the host answers
        bool keyInRing;
        bool waits;
    } cases[] = {
        {"nothing to do", false, 0, false, false, true},
        {"received bytes or a queued command", true, 0, false, false, false},
        {"received bytes while locked", true, 0, true, false, false},
        {"a playing macro", false, 1, false, false, false},
        {"a macro paused at #", false, 2, false, false, true},
        {"a playing macro while locked", false, 1, true, false, true},
        {"typed keys while locked", false, 0, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        idle.waits = 0;
        idle.workWaiting = c.workWaiting;
        idle.macroMode = c.macroMode;
        Settings.NoKeyboardLock = c.locked ? 0 : 1;
        ReceiveLoop.KeyboardLocked = c.locked;
        Keyboard.KeyRing.Clear();
        if (c.keyInRing) Keyboard.KeyRing.Put('x');
        EXPECT_EQ(IdleWaitAllowed(), c.waits);
        // A playing macro whose hook yields nothing still counts as idle here.
        ProcessKeyboard();
        EXPECT_EQ(idle.waits, c.waits ? 1 : 0);
    }
}

TEST_F(KeyboardMainLoopTest, ReceivedBytesAndQueuedCommandsAreWorkForTheMainLoop) {
    Keyboard.Hooks.WorkWaiting = DefaultKeyboardHooks().WorkWaiting;
    EXPECT_TRUE(IdleWaitAllowed());

    auto& ring = connections::connectionLayer.ring;
    std::memcpy(ring.WritePointer(), "data", 4);
    ring.CommitWrite(4);
    EXPECT_TRUE(ReceivePassDue());
    EXPECT_FALSE(IdleWaitAllowed());
    // Held output is not taken, so the bytes are no reason to stay awake.
    Keyboard.OutputHold = true;
    EXPECT_FALSE(ReceivePassDue());
    EXPECT_TRUE(IdleWaitAllowed());
    // Nor while another program drives the connection, unless plenty wait.
    Keyboard.OutputHold = false;
    Services.HostDrivesConnection = [] { return true; };
    Services.TerminalHasFocus = [] { return false; };
    EXPECT_FALSE(ReceivePassDue());
    Services.TerminalHasFocus = [] { return true; };
    EXPECT_TRUE(ReceivePassDue());
    connections::ResetCommLayer();

    ui::MenuDispatch.PendingCommand = "BEEP ON";
    EXPECT_FALSE(IdleWaitAllowed());
}

TEST_F(KeyboardMainLoopTest, TheWindowsKeyQueueFeedsTheKeyReader) {
    console::InstallWindowKeySource();
    Keyboard.Hooks.KeyPressed = DefaultKeyboardHooks().KeyPressed;
    Keyboard.Hooks.ReadKeyCode = DefaultKeyboardHooks().ReadKeyCode;
    Keyboard.Hooks.NormalizeKeyCode = DefaultKeyboardHooks().NormalizeKeyCode;
    ASSERT_TRUE(SetTerminalType("VT220", false));
    // Typed text, Enter, the grey Up arrow, F1, and the keypad 8 with NumLock
    // off (which stands for Up).
    for (uint16_t raw : {uint16_t{'l'}, uint16_t{'s'}, uint16_t{13}, uint16_t{0x48E0},
                         uint16_t{0x3B00}, uint16_t{0x4800}})
        console::PutKeyEntry(raw);
    for (int i = 0; i < 12; ++i) ProcessKeyboard();
    EXPECT_EQ(rec.sent, "ls\r\x1b[A\x1bOP\x1b[A");
    EXPECT_TRUE(console::KeyQueueEmpty());
}

TEST_F(KeyboardMainLoopTest, MacrosPlayThroughTheDefaultHooks) {
    const KeyboardHooks defaults = DefaultKeyboardHooks();
    auto& h = Keyboard.Hooks;
    h.MacroExists = defaults.MacroExists;
    h.StartMacro = defaults.StartMacro;
    h.StopMacros = defaults.StopMacros;
    h.MacroMode = defaults.MacroMode;
    h.SetMacroMode = defaults.SetMacroMode;
    h.NextMacroKey = defaults.NextMacroKey;
    ResetMacros();
    ASSERT_TRUE(SetTerminalType("VT220", false));
    Settings.CharsetKind = 8;  // characters go out in code page 1252
    // "ls", Enter, the euro sign (beyond the byte range, so not a key code),
    // then Up as a key code.
    const std::string text = std::string("ls|\xE2\x82\xAC") + std::string("\0H", 2);
    ASSERT_TRUE(DefineMacro(kKeyF1 + 1, text, 1, ScopePermanent));
    rec.keys.push_back(kKeyF1 + 1);
    for (int i = 0; i < 8; ++i) ProcessKeyboard();
    EXPECT_EQ(rec.sent, "ls\r\x80\x1b[A");
    EXPECT_FALSE(MacroIsPlaying());
}

TEST_F(KeyboardMainLoopTest, InstalledServicesJoinRingMacrosAndReceiveLoop) {
    InstallKeyboardServices();
    EXPECT_EQ(Services.ProcessKeyboard, &ProcessKeyboard);

    // Readers that let macros type take typed-ahead keys from the ring.
    Keyboard.KeyRing.Put('x');
    Keyboard.KeyRing.Put(kKeyF1);
    EXPECT_EQ(GetKey(false, false), 'x');
    EXPECT_EQ(GetKey(false, false), kKeyF1);
    EXPECT_TRUE(MacroServices.KeyRingEmpty());

    // The receive pass ends early when a key or a macro key waits.
    EXPECT_FALSE(ReceiveLoop.Hooks.KeyPressed());
    console::PutKeyEntry('k');
    EXPECT_TRUE(ReceiveLoop.Hooks.KeyPressed());
    EXPECT_FALSE(ReceiveLoop.Hooks.MacroKeyWaiting());
    ASSERT_TRUE(DefineMacro('m', "abc", 0, ScopeTemporary));
    ASSERT_TRUE(StartMacro('m', false));
    EXPECT_TRUE(ReceiveLoop.Hooks.MacroKeyWaiting());
    ReceiveLoop.Hooks = {};
}

}  // namespace
}  // namespace emulation
