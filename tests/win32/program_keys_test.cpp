// The whole program against a telnet host on loopback (tests/win32/with_key_host.sh starts it,
// naming its port in VZ_KEY_HOST_PORT and the file of what it received in VZ_KEY_HOST_LOG): key
// messages posted to the terminal window reach the host as the VT220 key strings, the host's
// output reaches the window, and an idle program sleeps.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../common/peer_required.h"
#include "console/win32/terminal_window_win32.h"

namespace {

std::wstring WindowsPath(const std::string& path) {
    std::wstring out(path.begin(), path.end());
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    if (!path.empty() && path[0] == '/') out = L"Z:" + out;
    return out;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string data;
    if (std::FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, n);
        std::fclose(f);
    }
    return data;
}

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        }
    }
    return out;
}

// The client area of a window as 32-bit pixels, top row first.
struct Shot {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;

    bool Light(int x, int y) const {
        const uint32_t p = Pixels[static_cast<size_t>(y) * Width + x];
        return ((p >> 16) & 0xFF) > 128 && ((p >> 8) & 0xFF) > 128 && (p & 0xFF) > 128;
    }
    int LightInBand(int top, int bottom) const {
        int n = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, Height); ++y)
            for (int x = 0; x < Width; ++x) n += Light(x, y) ? 1 : 0;
        return n;
    }
};

Shot TakeShot(HWND window) {
    Shot shot;
    RECT client{};
    GetClientRect(window, &client);
    shot.Width = client.right;
    shot.Height = client.bottom;
    if (shot.Width <= 0 || shot.Height <= 0) return shot;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.Width;
    info.bmiHeader.biHeight = -shot.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.Width, shot.Height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    shot.Pixels.assign(p, p + static_cast<size_t>(shot.Width) * shot.Height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return shot;
}

// A reverse-video bar of the host from the left edge over this many of the 80 columns: the
// scanlines whose light run has about that length. False when there is none.
bool FindBar(const Shot& shot, int cells, int& top, int& bottom) {
    top = bottom = -1;
    for (int y = 0; y < shot.Height; ++y) {
        int x = 0;
        while (x < shot.Width / 40 && !shot.Light(x, y)) ++x;
        int run = 0;
        while (x + run < shot.Width && shot.Light(x + run, y)) ++run;
        const bool bar = run > shot.Width * (cells - 2) / 80 && run < shot.Width * (cells + 2) / 80;
        if (bar && top < 0) top = y;
        if (bar) bottom = y + 1;
        if (!bar && top >= 0) break;
    }
    return top >= 0;
}

class ProgramKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* port = std::getenv("VZ_KEY_HOST_PORT");
        const char* log = std::getenv("VZ_KEY_HOST_LOG");
        if (!port || !*port || !log || !*log)
            VZ_SKIP_WITHOUT_PEER("no key host (with_key_host.sh)");
        port_ = port;
        log_ = WindowsPath(log);
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"vz_keys_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        exe_ = folder_ + L"\\VOVUZIVA.exe";
        ASSERT_TRUE(
            CopyFileW(WindowsPath(VZ_BUILD_DIR "/VOVUZIVA.exe").c_str(), exe_.c_str(), FALSE))
            << GetLastError();
    }
    void TearDown() override {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        DeleteFileW(exe_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    HWND StartProgram() {
        std::wstring commandLine = L"\"" + exe_ + L"\" NONE TELNET://127.0.0.1:" +
                                   std::wstring(port_.begin(), port_.end());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder_.c_str(), &startup, &process_))
            return nullptr;
        for (int waited = 0; waited < 60000; waited += 100) {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, console::TerminalWindowClass,
                                           nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId) return window;
            }
            if (WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }

    // Waits until the host has received at least n bytes; what it received.
    std::string WaitForHostBytes(size_t n) {
        std::string got;
        for (int waited = 0; waited < 15000; waited += 100) {
            got = ReadWholeFile(log_);
            if (got.size() >= n) break;
            Sleep(100);
        }
        return got;
    }

    // The program's processor time in clock ticks of the system that runs Wine, from its /proc
    // (the process times Wine reports for another process stand still); -1 when unknown.
    long LinuxCpuTicks() {
        const std::wstring mark = L"vz_keys_" + std::to_wstring(GetCurrentProcessId());
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
        if (search == INVALID_HANDLE_VALUE) return -1;
        long ticks = -1;
        do {
            const std::wstring name = found.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
                continue;
            std::string command = ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
            if (command.find(std::string(mark.begin(), mark.end())) == std::string::npos ||
                command.find("VOVUZIVA") == std::string::npos)
                continue;
            // Fields 14 and 15, user and system time, follow the parenthesised name.
            const std::string stat = ReadWholeFile(L"Z:\\proc\\" + name + L"\\stat");
            const size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            long utime = 0, stime = 0;
            if (std::sscanf(stat.c_str() + close + 1,
                            " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime,
                            &stime) == 2)
                ticks = std::max(ticks, 0L) + utime + stime;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return ticks;
    }

    std::string port_;
    std::wstring log_, folder_, exe_;
    PROCESS_INFORMATION process_{};
};

TEST_F(ProgramKeys, TypedKeysReachTheHostAndHostOutputReachesTheScreen) {
    HWND window = StartProgram();
    ASSERT_NE(window, nullptr) << "no terminal window";

    // The host's banner on the screen: the bar of row 5, and text on row 1.
    int barTop = -1, barBottom = -1;
    Shot shot;
    for (int waited = 0; waited < 20000 && barTop < 0; waited += 200) {
        Sleep(200);
        shot = TakeShot(window);
        FindBar(shot, 20, barTop, barBottom);
    }
    ASSERT_GE(barTop, 0) << "the host's reverse-video bar never appeared";
    const int cell = barBottom - barTop;
    ASSERT_GT(cell, 4);
    EXPECT_GT(shot.LightInBand(barTop - 4 * cell, barTop - 3 * cell), 0) << "no banner text";
    const int row10Top = barTop + 5 * cell;
    EXPECT_EQ(shot.LightInBand(row10Top, row10Top + cell), 0);

    // Letters and Enter as the characters the window gets; the grey Up arrow and F1 as key-downs
    // that the window's key handler takes.
    auto postChar = [&](wchar_t ch, int scan) {
        PostMessageW(window, WM_CHAR, ch, static_cast<LPARAM>(scan) << 16 | 1);
    };
    auto postKeyDown = [&](UINT key, int scan, bool extended) {
        PostMessageW(window, WM_KEYDOWN, key,
                     static_cast<LPARAM>(scan) << 16 | (extended ? 1 << 24 : 0) | 1);
    };
    postChar(L'a', 0x1E);
    postChar(L'b', 0x30);
    postChar(L'\r', 0x1C);
    postKeyDown(VK_UP, 0x48, true);
    postKeyDown(VK_F1, 0x3B, false);

    const std::string expected = "ab\r\x1b[A\x1bOP";
    const std::string got = WaitForHostBytes(expected.size());
    EXPECT_EQ(Escaped(got), Escaped(expected));

    // The host's answer to them on row 10.
    int answer = 0;
    for (int waited = 0; waited < 10000 && answer == 0; waited += 200) {
        Sleep(200);
        answer = TakeShot(window).LightInBand(row10Top, row10Top + cell);
    }
    EXPECT_GT(answer, 0) << "the host's answer did not reach the screen";

    // Nothing happens now: an idle program sleeps between its timer's messages instead of
    // spinning (a spinning one takes a whole processor, 100 ticks a second).
    Sleep(500);
    const long before = LinuxCpuTicks();
    if (before < 0) GTEST_SKIP() << "the program's processor time cannot be read here";
    Sleep(3000);
    const long used = LinuxCpuTicks() - before;
    EXPECT_LT(used, 75) << "processor ticks while idle for 3 s";
    std::printf("idle program: %ld of 300 processor ticks in 3 s\n", used);
}

TEST_F(ProgramKeys, HostStreamRunsToItsEnd) {
    HWND window = StartProgram();
    ASSERT_NE(window, nullptr) << "no terminal window";
    int top = -1, bottom = -1;
    for (int waited = 0; waited < 20000 && top < 0; waited += 200) {
        Sleep(200);
        FindBar(TakeShot(window), 20, top, bottom);
    }
    ASSERT_GE(top, 0) << "the host's banner never appeared";

    // About 200 KB of text, then a cleared screen with a bar of 40 cells: the bar shows that
    // every byte before it went through.
    PostMessageW(window, WM_CHAR, L'T', 0x14 << 16 | 1);
    const DWORD start = GetTickCount();
    bool ended = false;
    while (!ended && GetTickCount() - start < 60000) {
        Sleep(100);
        ended = FindBar(TakeShot(window), 40, top, bottom);
    }
    EXPECT_TRUE(ended) << "the stream did not reach its end within a minute";
    if (ended)
        std::printf("host stream: 204000 bytes shown in %.1f s\n",
                    (GetTickCount() - start) / 1000.0);
}

// The program and the real clipboard of the Wine session it shares with this test.
using ProgramClipboard = ProgramKeys;

constexpr WPARAM kMenuCopy = 201;
constexpr WPARAM kMenuPaste = 204;

// Puts text on the clipboard, owned by a window of this test that lives as long as the object.
class ClipboardText {
  public:
    explicit ClipboardText(const std::wstring& text) {
        owner_ =
            CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!owner_ || !OpenClipboard(owner_)) return;
        EmptyClipboard();
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            std::memcpy(GlobalLock(block), text.c_str(), bytes);
            GlobalUnlock(block);
            placed_ = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
            if (!placed_) GlobalFree(block);
        }
        CloseClipboard();
    }
    ~ClipboardText() {
        if (owner_) DestroyWindow(owner_);
    }
    bool Placed() const { return placed_; }

  private:
    HWND owner_ = nullptr;
    bool placed_ = false;
};

// The clipboard's text in one format (CF_UNICODETEXT read as UTF-16, CF_TEXT as bytes widened).
std::wstring ReadClipboard(UINT format) {
    std::wstring text;
    for (int tries = 0; tries < 50 && !OpenClipboard(nullptr); ++tries) Sleep(20);
    if (HANDLE block = GetClipboardData(format)) {
        if (const void* p = GlobalLock(block)) {
            if (format == CF_UNICODETEXT) {
                text = static_cast<const wchar_t*>(p);
            } else {
                const std::string bytes = static_cast<const char*>(p);
                text.assign(bytes.begin(), bytes.end());
            }
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return text;
}

std::vector<std::wstring> SplitCrLf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::wstring TrimmedRight(std::wstring s) {
    s.erase(s.find_last_not_of(L' ') + 1);
    return s;
}

bool WaitForBanner(HWND window) {
    int top = -1, bottom = -1;
    for (int waited = 0; waited < 20000 && top < 0; waited += 200) {
        Sleep(200);
        FindBar(TakeShot(window), 20, top, bottom);
    }
    return top >= 0;
}

TEST_F(ProgramClipboard, PasteReachesTheHostLineByLineInOrder) {
    HWND window = StartProgram();
    ASSERT_NE(window, nullptr) << "no terminal window";
    ASSERT_TRUE(WaitForBanner(window)) << "the host's banner never appeared";

    // Lines of many lengths: short ones, one empty, ones of exactly the longest step, and ones
    // the pump must cut into several steps. Every line is numbered so a lost or swapped piece
    // shows.
    std::wstring text;
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        const size_t length = i == 30 ? 0 : i % 7 == 0 ? 254 : i % 5 == 0 ? 300 + 37 * i : 40 + i;
        std::string line;
        for (size_t k = 0; line.size() < length; ++k) {
            char number[16];
            std::snprintf(number, sizeof number, "%02d.%03zu ", i, k);
            line += number;
        }
        line.resize(length);
        text += std::wstring(line.begin(), line.end()) + L"\r\n";
        expected += line + "\r";
    }
    ASSERT_GT(expected.size(), 8000u);
    ClipboardText clipboard(text);
    ASSERT_TRUE(clipboard.Placed()) << "the test could not fill the clipboard";

    PostMessageW(window, WM_COMMAND, kMenuPaste, 0);
    const std::string got = WaitForHostBytes(expected.size());
    ASSERT_EQ(got.size(), expected.size()) << Escaped(got.substr(0, 400));
    for (size_t at = 0; at < got.size(); ++at)
        ASSERT_EQ(got[at], expected[at]) << "first difference at byte " << at << ": "
                                         << Escaped(got.substr(at > 40 ? at - 40 : 0, 120));
    Sleep(500);
    EXPECT_EQ(ReadWholeFile(log_).size(), expected.size()) << "bytes after the paste's end";
}

TEST_F(ProgramClipboard, CopiedScreenReadsBackAsItsText) {
    HWND window = StartProgram();
    ASSERT_NE(window, nullptr) << "no terminal window";
    ASSERT_TRUE(WaitForBanner(window)) << "the host's banner never appeared";
    // The host answers two typed bytes with its count on row 10 (its log is shared with the
    // other tests of the run, the count is per session).
    const size_t before = ReadWholeFile(log_).size();
    PostMessageW(window, WM_CHAR, L'a', 0x1E << 16 | 1);
    PostMessageW(window, WM_CHAR, L'b', 0x30 << 16 | 1);
    ASSERT_EQ(WaitForHostBytes(before + 2).substr(before), "ab");
    const std::wstring count = L"GOT 2";

    // Without a mouse selection the copy takes the whole screen as a column block: every row
    // the full width, rows joined by CR LF.
    std::vector<std::wstring> lines;
    for (int waited = 0; waited < 10000; waited += 200) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_COMMAND, kMenuCopy, 0, SMTO_ABORTIFHUNG, 5000, &result);
        lines = SplitCrLf(ReadClipboard(CF_UNICODETEXT));
        if (lines.size() >= 10 && TrimmedRight(lines[9]) == count) break;
        Sleep(200);
    }
    ASSERT_GE(lines.size(), 24u);
    for (size_t row = 0; row < lines.size(); ++row) {
        EXPECT_EQ(lines[row].size(), 80u) << "row " << row + 1;
        const std::wstring want = row == 0 ? L"HOST READY" : row == 9 ? count : L"";
        EXPECT_EQ(TrimmedRight(lines[row]), want) << "row " << row + 1;
    }
    // The ANSI form carries the same text.
    EXPECT_EQ(SplitCrLf(ReadClipboard(CF_TEXT)), lines);
}

TEST_F(ProgramClipboard, LongPasteKeepsPaintingAndStopsAtTheAbortKey) {
    HWND window = StartProgram();
    ASSERT_NE(window, nullptr) << "no terminal window";
    ASSERT_TRUE(WaitForBanner(window)) << "the host's banner never appeared";
    const size_t before = ReadWholeFile(log_).size();
    std::wstring text;
    while (text.size() < 1000000) text += L"0123456789 abcdefghijklmnopqrstuvwxyz 0123456789\r\n";
    ClipboardText clipboard(text);
    ASSERT_TRUE(clipboard.Placed()) << "the test could not fill the clipboard";

    PostMessageW(window, WM_COMMAND, kMenuPaste, 0);
    // The host's running count on row 10 keeps changing on the screen while the paste goes on.
    WaitForHostBytes(before + 20000);
    const Shot first = TakeShot(window);
    Sleep(300);
    const Shot second = TakeShot(window);
    EXPECT_NE(first.Pixels, second.Pixels) << "the window did not paint during the paste";

    // Alt+A, the abort key, as real input so that the program sees Alt held.
    SetForegroundWindow(window);
    Sleep(200);
    INPUT keys[4]{};
    const WORD codes[4] = {VK_MENU, 'A', 'A', VK_MENU};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.wScan = static_cast<WORD>(codes[i] == VK_MENU ? 0x38 : 0x1E);
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
    Sleep(1000);
    const size_t stopped = ReadWholeFile(log_).size();
    Sleep(1500);
    EXPECT_EQ(ReadWholeFile(log_).size(), stopped) << "the host still receives after the abort";
    EXPECT_LT(stopped - before, text.size() - 2 * text.size() / 52) << "the paste was not cut";
}

}  // namespace
