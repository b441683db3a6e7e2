#pragma once
// C-Kermit on a pseudo-terminal: the program runs in remote mode with the
// pty as its controlling terminal, in a folder of its own, and a transfer's
// host link reads and writes the master side. Killed on every way out.
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lrzsz_peer.h"

namespace kermit_peer {

inline bool Installed() {
    return ::access("/usr/bin/kermit", X_OK) == 0;
}

// The link with the eighth bit of every byte cleared both ways: a line that
// carries seven data bits.
class SevenBitLink final : public transfer::HostLink {
  public:
    explicit SevenBitLink(transfer::HostLink& inner) : inner_(inner) {}
    void Poll() override { inner_.Poll(); }
    bool ByteReady() override { return inner_.ByteReady(); }
    int ReadByte() override {
        const int c = inner_.ReadByte();
        return c < 0 ? c : c & 0x7F;
    }
    uint32_t BytesWaiting() override { return inner_.BytesWaiting(); }
    bool Unread(uint32_t count) override { return inner_.Unread(count); }
    bool Send(const uint8_t* bytes, size_t length) override {
        std::vector<uint8_t> seven(bytes, bytes + length);
        for (auto& b : seven) b &= 0x7F;
        return inner_.Send(seven.data(), seven.size());
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t ms) override { inner_.WaitForInput(ms); }

  private:
    transfer::HostLink& inner_;
};

class Peer {
  public:
    // args follow "kermit -Y -q"; the program starts in folder.
    Peer(const std::vector<std::string>& args, const std::string& folder) {
        struct termios raw {};
        ::cfmakeraw(&raw);
        child_.pid = ::forkpty(&master_, nullptr, &raw, nullptr);
        if (child_.pid == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            const int log =
                ::open((folder + "/.peer.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(log, 2);
            std::vector<std::string> all = {"kermit", "-Y", "-q"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        link_ = std::make_unique<lrzsz::FdLink>(master_);
    }
    ~Peer() {
        Kill();
        if (master_ >= 0) ::close(master_);
    }
    transfer::HostLink& Link() { return *link_; }
    // The exit code once it ended by itself within the time, else -1 (and it
    // is killed). Whatever it still writes is read meanwhile, so that it
    // never blocks on a full pty.
    int Wait(int milliseconds) {
        return child_.Wait(milliseconds, [this] {
            link_->Poll();
            while (link_->ReadByte() >= 0) {
            }
        });
    }
    void Kill() { child_.Kill(); }

  private:
    lrzsz::Child child_;
    int master_ = -1;
    std::unique_ptr<lrzsz::FdLink> link_;
};

}  // namespace kermit_peer
