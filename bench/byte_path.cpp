// The whole byte path, receive ring to screen cells on a headless window, on
// five kinds of host output, beside the same streams through libvterm.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "../fuzz/headless_window.h"
#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/console_window_port.h"
#include "console/idle_refresh.h"
#include "console/screen_buffer.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

#ifdef VZ_HAVE_VTERM
#include <vterm.h>
#endif

namespace {

HeadlessWindow Window;

int32_t FixedTick() {
    return 1;
}

constexpr size_t kStreamBytes = 1 << 20;

std::string PlainText() {
    std::mt19937 rng(1);
    std::string s;
    while (s.size() < kStreamBytes) {
        const int n = 20 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>('a' + rng() % 26 + (i % 7 == 6 ? -65 : 0)));
        s += "\r\n";
    }
    return s;
}

std::string SgrText() {
    std::mt19937 rng(2);
    std::string s;
    while (s.size() < kStreamBytes) {
        s += "\x1B[" + std::to_string(30 + rng() % 8) + ";" + std::to_string(40 + rng() % 8) + "m";
        const int n = 3 + static_cast<int>(rng() % 10);
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('a' + rng() % 26));
        s += "\x1B[0m ";
        if (rng() % 8 == 0) s += "\r\n";
    }
    return s;
}

std::string CursorWrites() {
    std::mt19937 rng(3);
    std::string s;
    while (s.size() < kStreamBytes) {
        s += "\x1B[" + std::to_string(1 + rng() % 24) + ";" + std::to_string(1 + rng() % 70) + "H";
        const int n = 1 + static_cast<int>(rng() % 10);
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('A' + rng() % 26));
    }
    return s;
}

std::string Utf8Text() {
    static const char* const words[] = {"caf\xC3\xA9",
                                        "na\xC3\xAFve",
                                        "\xCE\xB1\xCE\xB2\xCE\xB3",
                                        "\xD0\xBC\xD0\xB8\xD1\x80",
                                        "plain",
                                        "\xE2\x94\x80\xE2\x94\x82"};
    std::mt19937 rng(4);
    std::string s;
    int col = 0;
    while (s.size() < kStreamBytes) {
        s += words[rng() % 6];
        s += ' ';
        if (++col % 10 == 0) s += "\r\n";
    }
    return s;
}

// Long lines scrolling through the screen into the scroll-back.
std::string ScrollingText() {
    std::mt19937 rng(5);
    std::string s;
    while (s.size() < kStreamBytes) {
        const int n = 60 + static_cast<int>(rng() % 20);
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>(i % 9 == 8 ? ' ' : 'a' + rng() % 26));
        s += "\r\n";
    }
    return s;
}

constexpr int kStreamCount = 5;
constexpr int kScrollBackStream = 4;
constexpr int32_t kScrollBackLines = 2000;

const std::string& Stream(int which) {
    static const std::string streams[kStreamCount] = {PlainText(), SgrText(), CursorWrites(),
                                                      Utf8Text(), ScrollingText()};
    return streams[which];
}

void StartTerminal(int which) {
    using namespace emulation;
    StartHeadlessTerminal(Window, FixedTick);
    SetTerminalType("LINUX", false);
    // The scroll-back stream keeps 2,000 lines above the screen.
    if (which == kScrollBackStream)
        console::AllocTermScreenRing((kScrollBackLines + console::ConsoleLayer.LastRow) * 80 * 4,
                                     80);
    if (which == 3) {
        commands::Settings.CodePage.Set(0x40000);
        EmulatorState.GR = commands::kGSetCodePage;
    }
}

// Kept out of line so that a profiler can single out the measured work.
[[gnu::noinline]] void FeedAll(const std::string& bytes) {
    app::ReceiveHostBytes(bytes);
    // The program's idle pass once the burst has ended.
    console::StatusIdleUpdate();
}

void BM_BytePath(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const std::string& bytes = Stream(which);
    StartTerminal(which);
    for (auto _ : state) FeedAll(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
    console::SetScreenWindow(nullptr);
}

#ifdef VZ_HAVE_VTERM
// libvterm's scroll-back is its user's: each line pushed off the screen is
// copied into a ring of 2,000 lines, as a terminal keeping them would.
struct VtermScrollBack {
    std::vector<VTermScreenCell> cells = std::vector<VTermScreenCell>(kScrollBackLines * 80);
    size_t next = 0;
};

int PushLine(int cols, const VTermScreenCell* cells, void* user) {
    auto& back = *static_cast<VtermScrollBack*>(user);
    const size_t n = static_cast<size_t>(std::min(cols, 80));
    std::copy(cells, cells + n, back.cells.begin() + static_cast<std::ptrdiff_t>(back.next * 80));
    back.next = (back.next + 1) % kScrollBackLines;
    return 1;
}

void BM_Libvterm(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const std::string& bytes = Stream(which);
    VTerm* vt = vterm_new(25, 80);
    vterm_set_utf8(vt, 1);
    VTermScreen* screen = vterm_obtain_screen(vt);
    static VtermScrollBack scrollBack;
    static VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = PushLine;
    if (which == kScrollBackStream) vterm_screen_set_callbacks(screen, &callbacks, &scrollBack);
    vterm_screen_reset(screen, 1);
    for (auto _ : state) {
        size_t at = 0;
        // The same 8 KB pieces the receive ring hands over.
        while (at < bytes.size()) {
            const size_t n = std::min<size_t>(8191, bytes.size() - at);
            vterm_input_write(vt, bytes.data() + at, n);
            at += n;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
    vterm_free(vt);
}
#endif

void StreamNames(benchmark::internal::Benchmark* b) {
    b->ArgName("stream");
    for (int i = 0; i < kStreamCount; ++i) b->Arg(i);
}

}  // namespace

// Streams: 0 plain scrolling text, 1 SGR-heavy colour text, 2 cursor-addressed writes, 3 UTF-8,
// 4 scrolling text into a 2,000-line scroll-back.
BENCHMARK(BM_BytePath)->Apply(StreamNames);
#ifdef VZ_HAVE_VTERM
BENCHMARK(BM_Libvterm)->Apply(StreamNames);
#endif
