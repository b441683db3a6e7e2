#pragma once
// What the file-transfer tests share: files of random bytes in folders of
// their own, a front-end command run over a link, a wire of two memory links
// (with a port on each end) for engines that run against each other in one
// process, and a host on loopback that the composed program reaches over
// Telnet and that relays a program's standard input and output.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/posix_transport.h"
#include "transfer/host_link.h"
#include "transfer/port_layer.h"

namespace transfer_test {

using Bytes = std::vector<uint8_t>;

inline Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b) x = uint8_t(gen());
    return b;
}

inline void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A folder of its own under /tmp, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/vz-xfer-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Runs one of the front end's commands over the link; returns its reply.
inline std::string RunOverLink(void (*command)(std::string_view, std::string&),
                               const std::string& arguments, transfer::HostLink& link) {
    transfer::SetHostLink(&link);
    std::string reply;
    command(arguments, reply);
    transfer::SetHostLink(nullptr);
    return reply;
}

// One direction of a wire is a queue; each end reads one and writes the other.
// Bytes sent may be corrupted: every corruptEvery-th one has a bit flipped.
class MemoryLink final : public transfer::HostLink {
  public:
    MemoryLink(std::deque<uint8_t>& in, std::deque<uint8_t>& out) : in_(in), out_(out) {}
    void Poll() override {}
    bool ByteReady() override { return !in_.empty(); }
    int ReadByte() override {
        if (in_.empty()) return transfer::kNoLinkByte;
        const int b = in_.front();
        in_.pop_front();
        return b;
    }
    uint32_t BytesWaiting() override { return uint32_t(in_.size()); }
    bool Unread(uint32_t count) override { return count == 0; }
    bool Send(const uint8_t* bytes, size_t length) override {
        if (corruptEvery == 0) {
            out_.insert(out_.end(), bytes, bytes + length);
            return true;
        }
        for (size_t i = 0; i < length; ++i)
            out_.push_back(++sent_ % corruptEvery == 0 ? uint8_t(bytes[i] ^ 0x04) : bytes[i]);
        return true;
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t) override {}
    size_t corruptEvery = 0;  // 0: none

  private:
    std::deque<uint8_t>& in_;
    std::deque<uint8_t>& out_;
    size_t sent_ = 0;
};

struct MemoryWire {
    std::deque<uint8_t> aToB, bToA;
    MemoryLink a{bToA, aToB};
    MemoryLink b{aToB, bToA};
};

// A transfer port on each end of a memory wire: the sender's on a, the
// receiver's on b.
struct PortPair {
    MemoryWire wire;
    std::unique_ptr<transfer::TransferPort> sendPort, receivePort;
    PortPair() {
        uint16_t status = 0;
        sendPort = transfer::TransferPort::OpenOnLink(wire.a, status);
        receivePort = transfer::TransferPort::OpenOnLink(wire.b, status);
    }
};

// A host on a free loopback port. ConnectProgram opens the composed
// program's Telnet connection (no option negotiation) to it; Run starts a
// program whose standard input and output are relayed to that connection,
// with a data 0xFF doubled and CR followed by NUL each way, as on a Telnet
// line. Everything it started is stopped when it goes away.
class LoopbackTelnetHost {
  public:
    LoopbackTelnetHost() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(listener_, 1) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~LoopbackTelnetHost() {
        Stop();
        if (host_ >= 0) ::close(host_);
        if (listener_ >= 0) ::close(listener_);
    }
    LoopbackTelnetHost(const LoopbackTelnetHost&) = delete;
    LoopbackTelnetHost& operator=(const LoopbackTelnetHost&) = delete;

    // The host's end of the connection, once ConnectProgram accepted it.
    int Socket() const { return host_; }

    ::testing::AssertionResult ConnectProgram(connections::PosixTransport& transport) {
        if (port_ == 0) return ::testing::AssertionFailure() << "no loopback port";
        connections::AttachProgramConnection(&transport);
        connections::ResetCommLayer();
        commands::Settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.TelnetNegotiation = 0;
        commands::Settings.HostName = "127.0.0.1:" + std::to_string(port_);
        if (connections::CommOpen(true) != 0u)
            return ::testing::AssertionFailure() << "the program did not connect";
        host_ = ::accept(listener_, nullptr, nullptr);
        if (host_ < 0) return ::testing::AssertionFailure() << "no connection accepted";
        return ::testing::AssertionSuccess();
    }

    // Starts argv in folder behind the connection.
    ::testing::AssertionResult Run(const std::string& folder,
                                   const std::vector<std::string>& argv) {
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
            return ::testing::AssertionFailure() << "no socket pair";
        program_ = ::fork();
        if (program_ == 0) {
            ::setpgid(0, 0);
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::dup2(sv[1], 0);
            ::dup2(sv[1], 1);
            ::dup2(::open("/dev/null", O_WRONLY), 2);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(sv[1]);
        pair_ = sv[0];
        relay_ = std::thread([this] { Relay(); });
        return ::testing::AssertionSuccess();
    }

    // The program's exit code once it ended within the time, else -1.
    int WaitProgram(int milliseconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (program_ > 0) {
            int status = 0;
            if (::waitpid(program_, &status, WNOHANG) == program_) {
                program_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

    // Ends the relay and the program.
    void Stop() {
        stop_ = true;
        if (relay_.joinable()) relay_.join();
        if (program_ > 0) {
            ::kill(-program_, SIGKILL);
            ::kill(program_, SIGKILL);
            ::waitpid(program_, nullptr, 0);
            program_ = -1;
        }
        if (pair_ >= 0) ::close(pair_);
        pair_ = -1;
    }

  private:
    static bool SendAll(int fd, const std::string& bytes) {
        return bytes.empty() ||
               ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    }

    void Relay() {
        bool cr = false, iac = false, programEnded = false;
        while (!stop_) {
            pollfd p[2] = {{host_, POLLIN, 0}, {pair_, short(programEnded ? 0 : POLLIN), 0}};
            if (::poll(p, 2, 20) <= 0) continue;
            uint8_t in[4096];
            std::string out;
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(host_, in, sizeof in);
                if (n <= 0) return;
                for (ssize_t i = 0; i < n; ++i) {
                    const uint8_t b = in[i];
                    if (iac) {
                        iac = false;
                        if (b == 0xFF) out += char(0xFF);
                        continue;
                    }
                    if (cr && b == 0) {
                        cr = false;
                        continue;
                    }
                    cr = b == '\r';
                    if (b == 0xFF) {
                        iac = true;
                        continue;
                    }
                    out += char(b);
                }
                // What comes after the program ended has nobody to go to.
                if (!programEnded && !SendAll(pair_, out)) programEnded = true;
            }
            if (!programEnded && (p[1].revents & (POLLIN | POLLHUP))) {
                const ssize_t n = ::read(pair_, in, sizeof in);
                if (n <= 0) {
                    programEnded = true;
                    continue;
                }
                out.clear();
                for (ssize_t i = 0; i < n; ++i) {
                    out += char(in[i]);
                    if (in[i] == 0xFF) out += char(0xFF);
                    if (in[i] == '\r') out += '\0';
                }
                if (!SendAll(host_, out)) return;
            }
        }
    }

    int listener_ = -1;
    int host_ = -1;
    int pair_ = -1;
    uint16_t port_ = 0;
    pid_t program_ = -1;
    std::atomic<bool> stop_{false};
    std::thread relay_;
};

}  // namespace transfer_test
