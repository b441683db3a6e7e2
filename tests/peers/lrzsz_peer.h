#pragma once
// A transfer's host link over one end of a socket pair, and an lrzsz program
// on the other end (its standard input and output), started in a folder of
// its own and killed on every way out.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "transfer/host_link.h"

namespace lrzsz {

inline bool Installed(const std::string& program) {
    return ::access(("/usr/bin/" + program).c_str(), X_OK) == 0;
}

class FdLink final : public transfer::HostLink {
  public:
    explicit FdLink(int fd) : fd_(fd) { ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK); }
    void Poll() override {
        if (pos_ < len_) return;
        const ssize_t n = ::read(fd_, buf_, sizeof buf_);
        pos_ = 0;
        len_ = n > 0 ? size_t(n) : 0;
    }
    bool ByteReady() override { return pos_ < len_; }
    int ReadByte() override { return pos_ < len_ ? buf_[pos_++] : transfer::kNoLinkByte; }
    uint32_t BytesWaiting() override { return uint32_t(len_ - pos_); }
    size_t Peek(const uint8_t*& bytes, size_t maximum) override {
        bytes = buf_ + pos_;
        return std::min(len_ - pos_, maximum);
    }
    void Take(size_t count) override { pos_ += std::min(count, len_ - pos_); }
    bool Unread(uint32_t count) override {
        if (count > pos_) return false;
        pos_ -= count;
        return true;
    }
    bool Send(const uint8_t* bytes, size_t length) override {
        size_t done = 0;
        while (done < length) {
            const ssize_t n = ::write(fd_, bytes + done, length - done);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
        }
        return true;
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t milliseconds) override {
        if (pos_ < len_) return;
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, int(milliseconds));
        Poll();
    }

  private:
    int fd_;
    uint8_t buf_[65536];
    size_t pos_ = 0;
    size_t len_ = 0;
};

// A program started in a process group of its own: its exit code awaited for
// a while, or the whole group killed (always, once it is forgotten).
class Child {
  public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Kill(); }
    pid_t pid = -1;
    // The exit code once it ended by itself within the time, else -1 (and
    // it is killed: a sender that missed the last answer hangs); idle runs
    // between looks.
    template <typename Idle>
    int Wait(int milliseconds, Idle idle) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (pid > 0) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > end) break;
            idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Kill();
        return -1;
    }
    void Kill() {
        if (pid <= 0) return;
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

// One lrzsz program with a socket as its standard input and output.
class Peer {
  public:
    Peer(const std::vector<std::string>& argv, const std::string& folder) {
        int sv[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv);
        child_.pid = ::fork();
        if (child_.pid == 0) {
            ::setpgid(0, 0);
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::dup2(sv[1], 0);
            ::dup2(sv[1], 1);
            const int log =
                ::open((folder + "/.peer.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(log, 2);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(sv[1]);
        fd_ = sv[0];
        link_ = std::make_unique<FdLink>(fd_);
    }
    ~Peer() {
        Kill();
        if (fd_ >= 0) ::close(fd_);
    }
    FdLink& Link() { return *link_; }
    // Ends what goes to the program, which then sees the end of its input.
    void CloseInput() { ::shutdown(fd_, SHUT_WR); }
    // The exit code once it ended by itself within the time, else -1 (and
    // it is killed).
    int Wait(int milliseconds) {
        return child_.Wait(milliseconds, [] {});
    }
    void Kill() { child_.Kill(); }

  private:
    Child child_;
    int fd_ = -1;
    std::unique_ptr<FdLink> link_;
};

}  // namespace lrzsz
