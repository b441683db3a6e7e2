// The waiting commands of the program as app::ComposeProgram() puts it
// together, on a Telnet connection to a real telnet server on loopback whose
// "login" is a script: text the program waits for arrives at once, late or
// never; the host falls quiet; the user answers a status-row prompt and
// breaks a wait with Alt-A.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "../common/peer_required.h"
#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "commands/interpreter.h"
#include "connections/posix_transport.h"
#include "console/key_input.h"
#include "console/key_queue.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "peer_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using commands::ExecuteFunction;
using emulation::Keyboard;
using emulation::ReceiveLoop;

constexpr uint16_t kAltA = 0x1E00;  // raw key-queue word of Alt-A

// Answers on request: at once, after a second, never, in a burst of
// chatter, or with a question; any other line comes back as GOT[line].
constexpr const char* kScript = R"SH(#!/bin/sh
stty -echo
printf 'READY\n'
while IFS= read -r line; do
  case "$line" in
    early) printf 'EARLY-TEXT\n';;
    late) sleep 1; printf 'LATE-TEXT\n';;
    never) ;;
    chatter) for i in 1 2 3; do printf 'tick\n'; sleep 0.3; done;;
    ask) printf 'CODE?\n';;
    *) echo "GOT[$line]";;
  esac
done
)SH";

class CommandWaitsPeer : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }

    void SetUp() override {
        const std::string socat = peers::FindInPath("socat");
        if (socat.empty() || !peers::Executable("/usr/sbin/telnetd"))
            VZ_SKIP_WITHOUT_PEER("socat or /usr/sbin/telnetd is not installed");
        dir_ = std::make_unique<peers::TempDir>();
        const std::string script = dir_->path() + "/host.sh";
        std::ofstream(script) << kScript;
        ::chmod(script.c_str(), 0700);
        const uint16_t port = peers::FreePort();
        server_ = std::make_unique<peers::PeerProcess>(
            std::vector<std::string>{
                socat, "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr,fork",
                "EXEC:/usr/sbin/telnetd -h -E " + script},
            dir_->path() + "/socat.log");
        for (int i = 0; i < 250 && !peers::Listening(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(peers::Listening(port)) << "socat did not start listening";

        Start("VT220");
        console::ResetKeyQueue();
        console::InstallWindowKeySource();
        emulation::ResetMacros();
        connections::AttachProgramConnection(&sockets_);
        connections::ResetCommLayer();
        commands::Settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.SrpAuthMode = 0;
        commands::Settings.SrpEncryptMode = 0;
        commands::Settings.HostName = "127.0.0.1:" + std::to_string(port);
        ASSERT_EQ(connections::CommOpen(true), 0u);
        ASSERT_TRUE(RunUntil([] { return ScreenHas("READY"); }, 5000)) << Screen();
    }

    void TearDown() override {
        connections::CommClose();
        console::ResetKeyQueue();
        emulation::ResetKeyboard();
        emulation::ResetMacros();
        TerminalTest::TearDown();
        server_.reset();
        dir_.reset();
    }

    // The program's main loop in small: received bytes to the screen, then
    // the keyboard (which also ends timed-out waits), until done or the time
    // is up.
    template <typename Done>
    bool RunUntil(Done done, int milliseconds) {
        const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (Clock::now() < end) {
            if (connections::CommInputReady(0)) emulation::ReceiveFromHost();
            emulation::ProcessKeyboard();
            if (done()) return true;
            sockets_.Wait(10);
        }
        return done();
    }

    static bool ScreenHas(std::string_view text) {
        return Screen().find(text) != std::string::npos;
    }
    static std::string Screen() {
        std::string s;
        for (int row = 1; row <= 24; ++row) s += TrimmedRow(row) + "\n";
        return s;
    }
    static void TypeLine(std::string_view text) {
        for (char c : text) console::PutKeyEntry(static_cast<uint8_t>(c));
        console::PutKeyEntry('\r');
    }
    static bool Waiting() { return !ReceiveLoop.WaitForText.Empty(); }
    static void Ask(std::string_view line) {
        ASSERT_TRUE(connections::CommSendString(std::string(line) + "\r"));
    }
    static double SecondsSince(Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    connections::PosixTransport sockets_;
    std::unique_ptr<peers::TempDir> dir_;
    std::unique_ptr<peers::PeerProcess> server_;
};

TEST_F(CommandWaitsPeer, WaitForEndsOnTextArrivingAtOnceLateOrNever) {
    // The host answers at once: the answer may already be on its way when
    // the wait starts.
    Ask("early");
    ASSERT_EQ(ExecuteFunction("WAITFOR early-text 5"), 0u);
    EXPECT_TRUE(Waiting());
    EXPECT_TRUE(RunUntil([] { return !Waiting(); }, 3000)) << Screen();

    // The answer comes a second later: the wait holds until it is there,
    // and typed keys wait with it.
    Ask("late");
    auto start = Clock::now();
    ExecuteFunction("WAITFOR LATE-TEXT 5");
    TypeLine("typed");
    ASSERT_TRUE(RunUntil([] { return !Waiting(); }, 4000)) << Screen();
    EXPECT_GT(SecondsSince(start), 0.7);
    EXPECT_TRUE(ScreenHas("LATE-TEXT"));
    // Once the wait is over the typed line reaches the host.
    EXPECT_TRUE(RunUntil([] { return ScreenHas("GOT[typed]"); }, 3000)) << Screen();

    // No answer: the wait ends after its time and the error key's macro
    // runs instead.
    ExecuteFunction("DEFINE E timed-out|");
    commands::Interpreter.ErrorKey = 'E';
    Ask("never");
    start = Clock::now();
    ExecuteFunction("WAITFOR NOTHING 1");
    ASSERT_TRUE(RunUntil([] { return !Waiting(); }, 4000));
    EXPECT_GT(SecondsSince(start), 0.8);
    EXPECT_TRUE(RunUntil([] { return ScreenHas("GOT[timed-out]"); }, 3000)) << Screen();
}

TEST_F(CommandWaitsPeer, WaitQuietHoldsWhileTheHostTalks) {
    Ask("chatter");
    const auto start = Clock::now();
    ASSERT_EQ(ExecuteFunction("WAITQUIET 1"), 0u);
    ASSERT_TRUE(RunUntil([] { return Keyboard.QuietWaitSeconds == 0; }, 6000)) << Screen();
    // Three ticks 0.3 s apart, then a whole quiet second.
    EXPECT_GT(SecondsSince(start), 1.5);
    EXPECT_TRUE(ScreenHas("tick\ntick\ntick"));
}

TEST_F(CommandWaitsPeer, AltAEndsAWait) {
    ExecuteFunction("WAITFOR NEVER-SENT");
    EXPECT_TRUE(Waiting());
    EXPECT_FALSE(RunUntil([] { return !Waiting(); }, 300));
    console::PutKeyEntry(kAltA);
    EXPECT_TRUE(RunUntil([] { return !Waiting(); }, 1000));
    // The keyboard is the user's again.
    TypeLine("after");
    EXPECT_TRUE(RunUntil([] { return ScreenHas("GOT[after]"); }, 3000)) << Screen();
}

TEST_F(CommandWaitsPeer, AStatusRowPromptAnsweredByTypedKeysGoesToTheHost) {
    Ask("ask");
    ExecuteFunction("WAITFOR CODE? 5");
    ASSERT_TRUE(RunUntil([] { return !Waiting(); }, 3000)) << Screen();
    // The code point is typed at the status-row prompt; the character goes
    // to the host as typed, and Enter ends the line.
    for (char c : std::string("0041")) console::PutKeyEntry(static_cast<uint8_t>(c));
    ASSERT_EQ(ExecuteFunction("UNICODE/S"), 0u);
    EXPECT_EQ(commands::Interpreter.PendingSendText, u"A");
    console::PutKeyEntry('\r');
    EXPECT_TRUE(RunUntil([] { return ScreenHas("GOT[A]"); }, 3000)) << Screen();
}

}  // namespace
