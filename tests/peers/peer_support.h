#pragma once

// Starting and always stopping peer programs on loopback, and a connection
// layer wired to real sockets that records what crosses the wire.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "connections/connection_layer.h"
#include "connections/posix_transport.h"

namespace peers {

using Bytes = std::vector<uint8_t>;

inline bool Executable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

inline std::string FindInPath(const std::string& name) {
    const char* path = ::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (Executable(dir + "/" + name)) return dir + "/" + name;
    }
    return {};
}

// A port nobody listens on right now.
inline uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// True once something listens on 127.0.0.1:port (read from /proc, so that no
// probe connection starts a server child).
inline bool Listening(uint16_t port) {
    std::ifstream tcp("/proc/net/tcp");
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    for (std::string line; std::getline(tcp, line);) {
        if (line.find(wanted) != std::string::npos && line.find(" 0A ") != std::string::npos)
            return true;
    }
    return false;
}

// A private temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/vz-peer-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A child process in a process group of its own; the group is stopped when
// this goes away.
class PeerProcess {
  public:
    PeerProcess(const std::vector<std::string>& argv, const std::string& logFile) {
        // Servers fork per connection; their orphans come back to this
        // process, so that Stop can reap them instead of leaving zombies.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int null = ::open("/dev/null", O_RDONLY);
            ::dup2(null, 0);
            ::dup2(log, 1);
            ::dup2(log, 2);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        if (pid_ > 0) ::setpgid(pid_, pid_);
    }
    ~PeerProcess() { Stop(); }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        // Reap what the server left behind (connection handlers and their
        // children end once their connections close).
        for (int i = 0; i < 200; ++i) {
            const pid_t reaped = ::waitpid(-1, &status, WNOHANG);
            if (reaped < 0) break;
            if (reaped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

  private:
    pid_t pid_ = -1;
};

// Real sockets, with every byte sent and received kept for inspection.
class RecordingTransport : public connections::PosixTransport {
  public:
    Bytes sent;
    Bytes received;
    int32_t Send(const uint8_t* bytes, int32_t count) override {
        const int32_t n = PosixTransport::Send(bytes, count);
        if (n > 0) sent.insert(sent.end(), bytes, bytes + n);
        return n;
    }
    int32_t Receive(uint8_t* bytes, int32_t count) override {
        const int32_t n = PosixTransport::Receive(bytes, count);
        if (n > 0) received.insert(received.end(), bytes, bytes + n);
        return n;
    }
};

class PeerHost : public connections::ConnectionHost {
  public:
    int exitCode = -1;
    int titleUpdates = 0;
    bool fullDuplex = false;
    int32_t columns = 80, rows = 25;
    std::vector<std::string> log;

    void UpdateWindowTitle() override { ++titleUpdates; }
    void SetExitCode(uint8_t code) override { exitCode = code; }
    void SetFullDuplex(bool on) override { fullDuplex = on; }
    void CommLogSent(std::string_view t) override { log.push_back("[S:" + std::string(t) + "]"); }
    void CommLogReceived(std::string_view t) override {
        log.push_back("[R:" + std::string(t) + "]");
    }
    void CommDebugLog(std::string_view t) override { log.push_back("[" + std::string(t) + "]"); }
    void CommErrorBox(std::string_view t, uint8_t kind) override {
        log.push_back("BOX" + std::to_string(kind) + " " + std::string(t));
    }
    void ConsoleSize(int32_t& c, int32_t& r) override { c = columns, r = rows; }
    std::u16string GetMessageText(uint16_t id) override {
        struct Row {
            uint16_t id;
            const char16_t* text;
        };
        static const Row kRows[] = {
#include "message_table.inc"
        };
        for (const Row& row : kRows) {
            if (row.id == id) return row.text;
        }
        return {};
    }
    bool Logged(std::string_view line) const {
        for (const auto& l : log) {
            if (l == line) return true;
        }
        return false;
    }
    std::string Log() const {
        std::string all;
        for (const auto& l : log) all += l + "\n";
        return all;
    }
};

// A connection layer on real sockets, read the way the emulator reads it.
template <typename Host = PeerHost>
struct BasicPeerClient {
    Host host;
    RecordingTransport socket;
    std::unique_ptr<connections::ConnectionLayer> layer =
        std::make_unique<connections::ConnectionLayer>();
    Bytes data;  // what the readers delivered

    explicit BasicPeerClient(const std::string& hostName) {
        layer->Attach(&socket, &host, nullptr);
        layer->settings.HostName = hostName;
    }

    std::string Text() const { return std::string(data.begin(), data.end()); }

    // Reads (and polls) until the delivered data holds needle, or time runs out.
    bool ReadUntil(const std::string& needle, int milliseconds = 15000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            Pump();
            if (Text().find(needle) != std::string::npos) return true;
            socket.Wait(20);
        }
        return false;
    }

    // Reads (and polls) until done() holds or time runs out; deadlines are
    // generous because a loaded machine can delay the host's close a lot.
    template <typename Condition>
    bool ReadUntilTrue(Condition done, int milliseconds = 20000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            Pump();
            if (done()) return true;
            socket.Wait(20);
        }
        return false;
    }

    // Reads for a while, whatever comes.
    void ReadFor(int milliseconds) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            Pump();
            socket.Wait(20);
        }
    }

    void Pump() {
        layer->CommPoll();
        while (layer->CommInputReady(0)) {
            uint8_t run[245];
            const int32_t n = layer->CommReadRun(run, 245, 32, 126);
            data.insert(data.end(), run, run + n);
            if (n > 0) continue;
            const int b = layer->CommReadChar(false, false);
            if (b == connections::kNoByte) break;
            data.push_back(uint8_t(b));
        }
    }

    static bool Contains(const Bytes& haystack, const Bytes& needle) {
        return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
               haystack.end();
    }
};

using PeerClient = BasicPeerClient<>;

}  // namespace peers
