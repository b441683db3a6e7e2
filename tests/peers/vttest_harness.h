#pragma once

// vttest on a pseudo-terminal, wired to the program as it is composed: the
// pty is the connection's socket, so the host's bytes go through the
// connection layer, the receive ring and the receive loop onto the screen
// ring, and the terminal's replies go back through the transmit path. Keys
// are typed into the pty as the keyboard would send them. Each screen is read
// back from the ring: text and renditions at known cells.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "../console/fake_console_window.h"
#include "app/composition.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/transport.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "console/key_input.h"
#include "console/key_names.h"
#include "console/key_queue.h"
#include "console/screen_buffer.h"
#include "emulation/input/keyboard.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/text/charsets.h"
#include "emulation/types/term_types.h"

namespace vttest_harness {

inline const char* kVttest = "/usr/bin/vttest";

// The connection's socket seam over the pty's master side: what the host
// writes arrives as received bytes, what the terminal sends is typed in.
class PtyTransport final : public platform::Transport {
  public:
    int fd = -1;

    bool Startup() override { return true; }
    void Shutdown() override {}
    int32_t LastError() override { return lastError_; }
    bool Open() override { return fd >= 0; }
    bool Bind(uint16_t) override { return true; }
    void Close() override {}
    platform::Progress StartLookup(std::string_view, platform::Ipv4Address& address,
                                   int32_t&) override {
        address = {{127, 0, 0, 1}};
        return platform::Progress::Done;
    }
    platform::Progress PollLookup(platform::Ipv4Address& address, int32_t&) override {
        address = {{127, 0, 0, 1}};
        return platform::Progress::Done;
    }
    platform::Progress LookupNow(std::string_view, platform::Ipv4Address& address,
                                 int32_t&) override {
        address = {{127, 0, 0, 1}};
        return platform::Progress::Done;
    }
    platform::Progress StartConnect(const platform::Ipv4Address&, uint16_t, int32_t&) override {
        return platform::Progress::Done;
    }
    platform::Progress PollConnect(int32_t&) override { return platform::Progress::Done; }
    void CancelPending() override {}
    int32_t Send(const uint8_t* bytes, int32_t count) override {
        const ssize_t n = ::write(fd, bytes, static_cast<size_t>(count));
        if (n < 0) {
            lastError_ = errno == EAGAIN ? platform::kSockWouldBlock : platform::kSockNotConnected;
            return -1;
        }
        return static_cast<int32_t>(n);
    }
    int32_t Receive(uint8_t* bytes, int32_t count) override {
        const ssize_t n = ::read(fd, bytes, static_cast<size_t>(count));
        if (n < 0) {
            // The slave side closed: the host hung up.
            if (errno == EIO) return 0;
            lastError_ = errno == EAGAIN ? platform::kSockWouldBlock : platform::kSockNotConnected;
            return -1;
        }
        return static_cast<int32_t>(n);
    }
    int32_t Peek(uint8_t*, int32_t) override { return 0; }
    int32_t BytesAvailable() override { return Readable() > 0 ? 1 : 0; }
    int Readable() override {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP)) ? 1 : 0;
    }
    bool SetNonBlocking() override {
        return ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0;
    }
    bool SetOption(platform::SocketOption, int32_t) override { return true; }
    bool GetOption(platform::SocketOption, int32_t& value) override {
        value = 0;
        return true;
    }
    bool LocalAddress(platform::Ipv4Address& address, uint16_t& port) override {
        address = {{127, 0, 0, 1}};
        port = 1023;
        return true;
    }
    bool NameOf(const platform::Ipv4Address&, std::string& name) override {
        name = "localhost";
        return true;
    }
    platform::NotifyResult EnsureNotifications(bool, bool) override {
        return platform::NotifyResult::Polled;
    }
    void ForgetNotifications() override {}
    void Wait(int32_t milliseconds) override {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, milliseconds);
    }
    void WaitWritable(int32_t milliseconds) override {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, milliseconds);
    }

  private:
    int32_t lastError_ = 0;
};

// The program's terminal, headless, talking to vttest on a pty.
class VttestSession {
  public:
    // Starts the terminal as type (a type name of the program) on a pty of
    // 24 rows and 80 columns and runs vttest on its far side.
    explicit VttestSession(const char* type = "VT220") {
        commands::ResetSettingsToDefaults();
        commands::ResetInterpreter();
        console::ResetGlobals();
        console_test::ResetConsoleForTest(window_);
        console::SetJumpScrollSetting(0);
        connections::ResetCommLayer();
        emulation::ResetEmulatorState();
        emulation::ResetFamilyTables();
        emulation::ResetScreenOperations();
        emulation::ResetScreenPages();
        emulation::ResetRecogniser();
        emulation::ResetTermExecutor();
        emulation::ResetReceiveLoop();
        app::ComposeProgram();
        console::ResetKeyQueue();
        console::InstallWindowKeySource();
        ok_ = emulation::SetTerminalType(type, false);

        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        int master = -1;
        pid_ = ::forkpty(&master, nullptr, nullptr, &size);
        if (pid_ == 0) {
            // Whatever reached the terminal's input before vttest runs is
            // not vttest's (the connection's opening bytes).
            ::usleep(100000);
            ::tcflush(0, TCIFLUSH);
            ::setenv("TERM", "vt220", 1);
            ::execl(kVttest, kVttest, "24x80.132", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid_ < 0) {
            ok_ = false;
            return;
        }
        pty_.fd = master;
        pty_.SetNonBlocking();
        connections::AttachProgramConnection(&pty_);
        connections::ResetCommLayer();
        // Rlogin carries every byte both ways as it is.
        commands::Settings.CommMethod = connections::CommMethodRlogin;
        commands::Settings.HostName = "127.0.0.1:513";
        ok_ = ok_ && connections::CommOpen(true) == 0;
    }

    ~VttestSession() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        connections::ResetCommLayer();
        connections::AttachProgramConnection(nullptr);
        connections::ResetCommLayer();
        if (pty_.fd >= 0) ::close(pty_.fd);
        console::ResetKeyQueue();
        platform::SetKeySource(nullptr);
        emulation::ResetKeyboard();
        emulation::ScreenOperations.Hooks = {};
        emulation::SetRecogniserSource(nullptr);
        emulation::SetTermTypeConsole(nullptr);
        emulation::ResetTermOpHandlers();
        emulation::ResetFamilyTables();
        console::ResetGlobals();
        console::SetScreenWindow(nullptr);
    }
    VttestSession(const VttestSession&) = delete;
    VttestSession& operator=(const VttestSession&) = delete;

    bool Started() const { return ok_; }
    // Every typed key went out.
    bool AllTyped() const { return typed_; }

    // Runs the program's receive pass for whatever the host has sent, until
    // the host has been quiet for quietMs (at most limitMs in all).
    void Settle(int quietMs = 200, int limitMs = 5000) {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
        auto lastByte = Clock::now();
        while (Clock::now() < end) {
            pollfd p{pty_.fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, 20);
            if (ready > 0 && (p.revents & POLLIN)) {
                emulation::ReceiveFromHost();
                lastByte = Clock::now();
                continue;
            }
            if (ready > 0 && (p.revents & POLLHUP)) break;
            if (connections::CommInputReady(0)) emulation::ReceiveFromHost();
            if (Clock::now() - lastByte > std::chrono::milliseconds(quietMs)) break;
        }
    }

    // Pumps until text shows on some row (true) or limitMs pass.
    bool WaitFor(std::string_view text, int limitMs = 5000) {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
        while (Clock::now() < end) {
            Settle(50, 200);
            if (Find(text).first > 0) return true;
        }
        return false;
    }

    // Types keys (characters; "\r" is the Enter key) into the window's key
    // queue, lets the keyboard processor send them, then lets the host answer.
    void Type(std::string_view keys, int quietMs = 200) {
        for (const char c : keys) typed_ = console::PutKeyEntry(static_cast<uint8_t>(c)) && typed_;
        for (int i = 0; i < 64 && !console::KeyQueueEmpty(); ++i) emulation::ProcessKeyboard();
        typed_ = console::KeyQueueEmpty() && typed_;
        Settle(quietMs);
    }

    // The text row (1-based) of the screen, one character per cell, the
    // characters above 0x7E as '#' unless line drawing maps them.
    static std::string Row(int32_t row) {
        std::string s;
        const auto& ring = console::TermScreenRing;
        const int32_t width = console::ConsoleLayer.ScreenWidth;
        for (int32_t c = 1; c <= width && c <= ring.Width; ++c) s.push_back(Ascii(Char(row, c)));
        return s;
    }
    static std::string TrimmedRow(int32_t row) {
        std::string s = Row(row);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    static char16_t Char(int32_t row, int32_t col) {
        return console::CellChar(console::TermScreenRing.Cells[console::CellIndex(row, col)]);
    }
    // Whether a cell was written with the rendition bits (1 bold, 2 blink,
    // 4 reverse, 8 underline): its attribute is that entry of the colour map.
    static bool HasRendition(int32_t row, int32_t col, int bits) {
        const auto attr =
            console::CellAttr(console::TermScreenRing.Cells[console::CellIndex(row, col)]);
        return attr == console::ConsoleLayer.AttrColorMap[static_cast<size_t>(bits & 15)];
    }
    // Each cell of a row span written with the rendition bits.
    static bool SpanHasRendition(int32_t row, int32_t col, int32_t count, int bits) {
        for (int32_t c = col; c < col + count; ++c)
            if (!HasRendition(row, c, bits)) return false;
        return true;
    }
    // The rendition of a cell as the first colour-map index its attribute
    // equals (entries may share a colour); -1 when none.
    static int Rendition(int32_t row, int32_t col) {
        const auto attr =
            console::CellAttr(console::TermScreenRing.Cells[console::CellIndex(row, col)]);
        const auto& map = console::ConsoleLayer.AttrColorMap;
        for (int i = 0; i < 16; ++i)
            if (map[static_cast<size_t>(i)] == attr) return i;
        return -1;
    }
    // The first row and column where text starts, {0, 0} when nowhere.
    static std::pair<int32_t, int32_t> Find(std::string_view text) {
        for (int32_t r = 1; r <= console::ConsoleLayer.ScreenRows; ++r) {
            const size_t at = Row(r).find(text);
            if (at != std::string::npos) return {r, static_cast<int32_t>(at) + 1};
        }
        return {0, 0};
    }
    // The whole screen, for failure messages.
    static std::string Screen() {
        std::string s;
        for (int32_t r = 1; r <= console::ConsoleLayer.ScreenRows; ++r)
            s += std::to_string(r) + (r < 10 ? " |" : "|") + TrimmedRow(r) + "\n";
        return s;
    }

  private:
    static char Ascii(char16_t ch) { return ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '#'; }

    console_test::FakeConsoleWindow window_;
    PtyTransport pty_;
    pid_t pid_ = -1;
    bool ok_ = false;
    bool typed_ = true;
};

// A test on vttest's main menu: the program started, vttest showing its menu.
class VttestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(kVttest, X_OK) != 0) GTEST_SKIP() << "vttest is not installed";
        session = std::make_unique<VttestSession>();
        ASSERT_TRUE(session->Started());
        ASSERT_TRUE(session->WaitFor("Enter choice number")) << VttestSession::Screen();
    }

    // Chooses an entry of the menu on the screen.
    void Choose(const char* entry) { session->Type(std::string(entry) + "\r", 300); }
    // "Push <RETURN>".
    void Next() { session->Type("\r", 300); }

    std::unique_ptr<VttestSession> session;
};

}  // namespace vttest_harness
