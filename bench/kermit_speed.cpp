// Kermit over a pseudo-terminal with 20 MB of random data: our Kermit engine
// and the terminal's own Kermit sending to and receiving from C-Kermit,
// beside C-Kermit sending to C-Kermit (the second one started by the first on
// a pty of its own) with the same packet length, window and block check, in
// one run. Streaming is off everywhere: neither of ours offers it. Each case
// is one transfer (wall time from start to the file complete); the counter
// MB/s is the figure. VZ_KERMIT_BENCH_MB sets another size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/common/transfer_fixtures.h"
#include "../tests/console/fake_console_window.h"
#include "../tests/peers/kermit_peer.h"
#include "app/composition.h"
#include "commands/settings_record.h"
#include "transfer/host_link.h"
#include "transfer/kermit/kermit_engine.h"
#include "transfer/transfer_interface.h"

namespace {

size_t FileSize() {
    const char* mb = std::getenv("VZ_KERMIT_BENCH_MB");
    const long n = mb ? std::atol(mb) : 20;
    return size_t(n > 0 ? n : 20) * 1024 * 1024;
}

struct Scratch {
    transfer_test::TempFolder hereFolder, thereFolder;
    std::string here = hereFolder.path(), there = thereFolder.path();
    size_t size = FileSize();
    Scratch() {
        const transfer_test::Bytes data = transfer_test::RandomBytes(size, 11);
        for (const std::string& dir : {here, there}) {
            transfer_test::WriteFile(dir + "/f20m", data);
            std::filesystem::create_directories(dir + "/in");
        }
    }
};

Scratch& Files() {
    static Scratch s;
    return s;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), {}, std::istreambuf_iterator<char>(y), {});
}

struct Link {
    int window;
    int length;
    char check;  // '1' or '3'
    // C-Kermit leaves the control characters a line passes unprefixed unless
    // told to prefix them all, as ours do.
    bool prefixAll = false;
};

// C-Kermit's settings for one case, as commands separated by commas.
std::string PeerSettings(const Link& l) {
    // No start-up delay before sending: the wall time is the transfer's.
    return std::string(l.prefixAll ? "set prefixing all, " : "") +
           "set delay 0, set streaming off, set window " + std::to_string(l.window) +
           ", set receive packet-length " + std::to_string(l.length) + ", set block-check " +
           l.check +
           ", set file names literal, set file type binary, set transfer mode manual, "
           "set file collision overwrite";
}

void Report(benchmark::State& state, double seconds, bool good) {
    if (!good) state.SkipWithError("the file did not arrive whole");
    state.SetIterationTime(seconds);
    state.counters["MB/s"] = double(Files().size) / 1e6 / seconds;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// C-Kermit to C-Kermit: the sender starts the receiver on a pty it owns.
void CKermitPair(benchmark::State& state, Link l) {
    const Scratch& f = Files();
    auto script = [&](const std::string& name, const std::string& text) {
        std::ofstream out(f.here + "/" + name);
        for (char c : text) out << (c == ',' ? '\n' : c);
        out << '\n';
        return f.here + "/" + name;
    };
    const std::string receiver =
        script("recv.ksc", "cd " + f.there + "/in, " + PeerSettings(l) + ", receive, exit");
    const std::string sender =
        script("send.ksc", "set host /pty kermit " + receiver + " -Y -q -B, if fail exit 1, " +
                               PeerSettings(l) + ", send f20m, exit");
    for (auto _ : state) {
        std::filesystem::remove(f.there + "/in/f20m");
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            if (::chdir(f.here.c_str()) != 0) ::_exit(126);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execlp("kermit", "kermit", sender.c_str(), "-Y", "-q", "-B", nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const double seconds = Since(start);
        ::kill(-pid, SIGKILL);
        Report(state, seconds,
               WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                   SameFile(f.here + "/f20m", f.there + "/in/f20m"));
    }
}

transfer::KermitSettings Ours(const Link& l) {
    transfer::KermitSettings s;
    s.Check = l.check == '3' ? 5 : 1;
    s.UseWindows = l.window > 1;
    s.Windows = l.window;
    s.MaxLen = l.length;
    s.WriteFail = transfer::kWriteFailOverwrite;
    s.DestDir = Files().here + "/in";
    return s;
}

// Our engine sends to C-Kermit.
void OursSend(benchmark::State& state, Link l) {
    const Scratch& f = Files();
    for (auto _ : state) {
        std::filesystem::remove(f.there + "/in/f20m");
        kermit_peer::Peer peer({"-C", PeerSettings(l) + ", receive, exit"}, f.there + "/in");
        uint16_t status = 0;
        auto port = transfer::TransferPort::OpenOnLink(peer.Link(), status);
        auto engine = transfer::KermitEngine::Create(*port, Ours(l));
        engine->Proto().SetFileMask(f.here + "/f20m");
        const auto start = std::chrono::steady_clock::now();
        engine->Transmit();
        port->FlushBatch();
        const int exit = peer.Wait(60000);
        const double seconds = Since(start);
        Report(state, seconds,
               engine->Proto().Status() == transfer::kStatusOk && exit == 0 &&
                   SameFile(f.here + "/f20m", f.there + "/in/f20m"));
    }
}

// C-Kermit sends to our engine.
void OursReceive(benchmark::State& state, Link l) {
    const Scratch& f = Files();
    for (auto _ : state) {
        std::filesystem::remove(f.here + "/in/f20m");
        kermit_peer::Peer peer({"-C", PeerSettings(l) + ", send f20m, exit"}, f.there);
        uint16_t status = 0;
        auto port = transfer::TransferPort::OpenOnLink(peer.Link(), status);
        auto engine = transfer::KermitEngine::Create(*port, Ours(l));
        const auto start = std::chrono::steady_clock::now();
        engine->Receive();
        port->FlushBatch();
        const double seconds = Since(start);
        Report(state, seconds,
               engine->Proto().Status() == transfer::kStatusOk &&
                   SameFile(f.there + "/f20m", f.here + "/in/f20m"));
    }
}

// The terminal's own Kermit (one packet at a time, the one-character check)
// draws its status box on a screen of its own.
void TerminalKermit(benchmark::State& state, Link l, bool sending) {
    const Scratch& f = Files();
    static console_test::FakeConsoleWindow window;
    for (auto _ : state) {
        commands::ResetSettingsToDefaults();
        console_test::ResetConsoleForTest(window);
        app::ComposeProgram();
        transfer::InitKermit();
        commands::Settings.DownloadLock = 1;
        commands::Settings.DownloadDir = f.here + "/in/";
        std::filesystem::remove(f.here + "/in/f20m");
        std::filesystem::remove(f.there + "/in/f20m");
        // C-Kermit sends no longer packets than ours would ask for.
        const std::string action =
            sending ? ", receive, exit"
                    : ", set send packet-length " + std::to_string(l.length) + ", send f20m, exit";
        kermit_peer::Peer peer({"-C", PeerSettings(l) + action},
                               sending ? f.there + "/in" : f.there);
        transfer::SetHostLink(&peer.Link());
        const auto start = std::chrono::steady_clock::now();
        bool ok = sending ? transfer::KermitSendFiles(f.here + "/f20m", false)
                          : transfer::KermitReceiveFiles("", false);
        if (sending) ok = peer.Wait(60000) == 0 && ok;
        const double seconds = Since(start);
        transfer::SetHostLink(nullptr);
        Report(
            state, seconds,
            ok && SameFile(f.here + "/f20m", sending ? f.there + "/in/f20m" : f.here + "/in/f20m"));
    }
    console::SetScreenWindow(nullptr);
}

void Register() {
    auto add = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)
            ->Iterations(1)
            ->Repetitions(3)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    // Windows of 1, 4 and 27 (the most our window table holds); short
    // packets of 90 and long ones of 1024 (the longest our engine takes).
    for (int window : {1, 4, 27}) {
        for (int length : {90, 1024}) {
            const Link l{window, length, '3'};
            const std::string tag = "/w" + std::to_string(window) + "_len" + std::to_string(length);
            add("Kermit/ckermit_to_ckermit" + tag, [l](benchmark::State& s) { CKermitPair(s, l); });
            Link all = l;
            all.prefixAll = true;
            add("Kermit/ckermit_to_ckermit_prefixing_all" + tag,
                [all](benchmark::State& s) { CKermitPair(s, all); });
            add("Kermit/ours_send_to_ckermit" + tag, [l](benchmark::State& s) { OursSend(s, l); });
            add("Kermit/ckermit_to_ours" + tag, [l](benchmark::State& s) { OursReceive(s, l); });
        }
    }
    for (int length : {90, 1024}) {
        const Link l{1, length, '1'};
        const std::string tag = "/w1_len" + std::to_string(length) + "_check1";
        add("TerminalKermit/ckermit_to_ckermit" + tag,
            [l](benchmark::State& s) { CKermitPair(s, l); });
        add("TerminalKermit/ksnd_to_ckermit" + tag,
            [l](benchmark::State& s) { TerminalKermit(s, l, true); });
        add("TerminalKermit/ckermit_to_krcv" + tag,
            [l](benchmark::State& s) { TerminalKermit(s, l, false); });
    }
}

const int registered = (Register(), 0);

}  // namespace
