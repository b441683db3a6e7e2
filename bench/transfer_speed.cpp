// 20 MB of random data over one socket pair: our XMODEM-1K, YMODEM-G and
// ZMODEM engines against lrzsz, beside lrzsz against itself in the same run.
// Each case is one transfer (wall time); the counter MB/s is the figure.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../tests/peers/lrzsz_peer.h"
#include "commands/settings_record.h"
#include "transfer/host_link.h"
#include "transfer/transfer_front_end.h"

namespace {

constexpr size_t kSize = 20 * 1024 * 1024;

struct Scratch {
    std::string here, there;
    Scratch() {
        char a[] = "/tmp/vz-bench-XXXXXX";
        char b[] = "/tmp/vz-bench-XXXXXX";
        here = ::mkdtemp(a);
        there = ::mkdtemp(b);
        std::mt19937 gen(7);
        std::vector<char> data(kSize);
        for (auto& c : data) c = char(gen());
        std::ofstream(here + "/f20m", std::ios::binary).write(data.data(), std::streamsize(kSize));
        std::ofstream(there + "/f20m", std::ios::binary).write(data.data(), std::streamsize(kSize));
    }
    ~Scratch() {
        std::filesystem::remove_all(here);
        std::filesystem::remove_all(there);
    }
};

Scratch& Files() {
    static Scratch s;
    return s;
}

using Command = void (*)(std::string_view, std::string&);

// Our engine through its command against one lrzsz program.
void OursAgainst(benchmark::State& state, Command command, std::string args,
                 std::vector<std::string> peerArgv, bool peerSends) {
    for (auto _ : state) {
        commands::ResetSettingsToDefaults();
        commands::Settings.DownloadLock = 0;
        commands::Settings.DownloadDir = Files().here + "/in/";
        commands::Settings.XferWriteFailAction.Set(2);
        std::filesystem::create_directories(Files().here + "/in");
        std::filesystem::remove(Files().there + "/got");
        std::filesystem::remove(Files().there + "/in/f20m");
        std::filesystem::remove(Files().here + "/in/f20m");
        lrzsz::Peer peer(peerArgv, Files().there);
        transfer::SetHostLink(&peer.Link());
        const auto start = std::chrono::steady_clock::now();
        std::string reply;
        command(args, reply);
        double seconds = 0;
        if (peerSends) {
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            peer.Kill();
        } else {
            peer.Wait(60000);
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        transfer::SetHostLink(nullptr);
        if (reply != "00") state.SkipWithError(("reply " + reply).c_str());
        state.SetIterationTime(seconds);
        state.counters["MB/s"] = double(kSize) / 1e6 / seconds;
    }
}

// lrzsz against itself: sender and receiver on the two ends of one pair.
void LrzszAgainstItself(benchmark::State& state, std::vector<std::string> sender,
                        std::vector<std::string> receiver) {
    for (auto _ : state) {
        std::filesystem::remove(Files().there + "/got");
        std::filesystem::remove(Files().there + "/in/f20m");
        std::filesystem::create_directories(Files().there + "/in");
        int sv[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv);
        auto spawn = [&](const std::vector<std::string>& argv, int fd, const std::string& dir) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                if (::chdir(dir.c_str()) != 0) ::_exit(126);
                ::dup2(fd, 0);
                ::dup2(fd, 1);
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, 2);
                std::vector<char*> args;
                for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
                args.push_back(nullptr);
                ::execvp(args[0], args.data());
                ::_exit(127);
            }
            return pid;
        };
        const auto start = std::chrono::steady_clock::now();
        const pid_t s = spawn(sender, sv[0], Files().there);
        const pid_t r = spawn(receiver, sv[1], Files().there + "/in");
        ::close(sv[0]);
        ::close(sv[1]);
        int status = 0;
        ::waitpid(r, &status, 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ::kill(s, SIGKILL);
        ::waitpid(s, nullptr, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("receiver failed");
        state.SetIterationTime(seconds);
        state.counters["MB/s"] = double(kSize) / 1e6 / seconds;
    }
}

void Register() {
    const std::string ours = Files().here + "/f20m";
    auto add = [](const char* name, auto fn) {
        benchmark::RegisterBenchmark(name, fn)
            ->Iterations(1)
            ->Repetitions(3)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    add("Xmodem1K/ours_send_to_rx", [ours](benchmark::State& s) {
        OursAgainst(s, transfer::XmodemSendCommand, "-K \"" + ours + "\"",
                    {"rx", "-b", "-c", "got"}, false);
    });
    add("Xmodem1K/sx_to_ours", [](benchmark::State& s) {
        OursAgainst(s, transfer::XmodemReceiveCommand, "-K \"" + Files().here + "/in/got\"",
                    {"sx", "-b", "-k", "f20m"}, true);
    });
    add("Xmodem1K/sx_to_rx", [](benchmark::State& s) {
        LrzszAgainstItself(s, {"sx", "-b", "-k", "f20m"}, {"rx", "-b", "-c", "got"});
    });
    add("YmodemG/sb_to_ours", [](benchmark::State& s) {
        OursAgainst(s, transfer::YmodemReceiveCommand, "-G", {"sb", "-b", "-k", "f20m"}, true);
    });
    add("Ymodem/ours_send_to_rb", [ours](benchmark::State& s) {
        OursAgainst(s, transfer::YmodemSendCommand, "\"" + ours + "\"", {"rb", "-b", "-y"}, false);
    });
    add("Ymodem/sb_to_rb", [](benchmark::State& s) {
        LrzszAgainstItself(s, {"sb", "-b", "-k", "f20m"}, {"rb", "-b", "-y"});
    });
    add("Zmodem/sz_to_ours", [](benchmark::State& s) {
        OursAgainst(s, transfer::ZmodemReceiveCommand, "", {"sz", "-b", "-q", "f20m"}, true);
    });
    add("Zmodem/ours_send_to_rz", [ours](benchmark::State& s) {
        std::filesystem::create_directories(Files().there + "/in");
        OursAgainst(s, transfer::ZmodemSendCommand, "\"" + ours + "\"",
                    {"sh", "-c", "cd in && exec rz -b -y -q"}, false);
    });
    add("Zmodem/sz_to_rz", [](benchmark::State& s) {
        LrzszAgainstItself(s, {"sz", "-b", "-q", "f20m"}, {"rz", "-b", "-y", "-q"});
    });
}

const int registered = (Register(), 0);

}  // namespace
