#pragma once
// OpenSSH's sshd on loopback for the SSH client's tests: its own
// configuration, DSA host key, free port and test user with a password,
// all removed again when the peer goes away.
#include <pwd.h>

#include <cstdlib>
#include <random>

#include "../common/peer_required.h"
#include "peer_support.h"

namespace peers {

// A user of this process's own, so that tests run side by side do not share it.
inline std::string SshUser() {
    return "vzssh" + std::to_string(::getpid());
}

// Runs a command through /bin/sh and gives its exit status.
inline int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SshdPeer {
  public:
    // Extra configuration lines go at the end of sshd_config.
    explicit SshdPeer(const std::string& extraConfig = "") {
        if (::geteuid() != 0 || !Executable("/usr/sbin/sshd") || FindInPath("ssh-keygen").empty()) {
            return;
        }
        dir_ = std::make_unique<TempDir>();
        const std::string d = dir_->path();
        ::chmod(d.c_str(), 0755);
        std::random_device rd;
        password_ = "pw" + std::to_string(rd()) + "x";
        Shell("userdel " + SshUser() + " >/dev/null 2>&1");
        if (Shell("useradd -M -d " + d + " -s /bin/sh " + SshUser() + " >/dev/null 2>&1") != 0 ||
            Shell("echo '" + SshUser() + ":" + password_ + "' | chpasswd") != 0) {
            return;
        }
        userMade_ = true;
        if (Shell("ssh-keygen -q -t dsa -N '' -f " + d + "/hk_dsa >/dev/null 2>&1") != 0) return;
        port_ = FreePort();
        std::ofstream(d + "/sshd_config")
            << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << d
            << "/hk_dsa\nHostKeyAlgorithms +ssh-dss\n"
            << "KexAlgorithms +diffie-hellman-group1-sha1\nCiphers +3des-cbc\n"
            << "MACs +hmac-md5,hmac-sha1\nPasswordAuthentication yes\nUsePAM no\n"
            << "PidFile " << d << "/sshd.pid\nStrictModes no\nAcceptEnv VZ_*\n"
            << "PrintMotd no\nPrintLastLog no\n"
            << extraConfig << "\n";
        ::mkdir("/run/sshd", 0755);
        server_ = std::make_unique<PeerProcess>(
            std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", d + "/sshd_config"},
            d + "/sshd.log");
        for (int i = 0; i < 250 && !Listening(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ready_ = Listening(port_);
    }
    ~SshdPeer() {
        server_.reset();
        if (userMade_) Shell("userdel " + SshUser() + " >/dev/null 2>&1");
    }
    bool Ready() const { return ready_; }
    uint16_t Port() const { return port_; }
    const std::string& Password() const { return password_; }
    const std::string& Dir() const { return dir_->path(); }
    std::string ServerLog() const {
        std::ifstream in(dir_->path() + "/sshd.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Replaces the host key with a new one (the server restarts).
    void NewHostKey() {
        server_.reset();
        Shell("rm -f " + Dir() + "/hk_dsa*; ssh-keygen -q -t dsa -N '' -f " + Dir() +
              "/hk_dsa >/dev/null 2>&1");
        server_ = std::make_unique<PeerProcess>(
            std::vector<std::string>{"/usr/sbin/sshd", "-D", "-e", "-f", Dir() + "/sshd_config"},
            Dir() + "/sshd.log");
        for (int i = 0; i < 250 && !Listening(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

  private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<PeerProcess> server_;
    std::string password_;
    uint16_t port_ = 0;
    bool userMade_ = false;
    bool ready_ = false;
};

// A peer host that answers the SSH prompts and the host-key question from
// scripted answers and records what it was asked.
class SshPeerHost : public PeerHost {
  public:
    std::vector<std::string> passwords;  // one per password prompt, in turn
    std::string user = SshUser();
    int logins = 0;
    int prompts = 0;  // login dialogs shown, cancelled ones included
    int hostKeyAnswer = 2;
    std::vector<bool> questions;  // changed flag of each host-key question
    std::vector<std::string> boxes;

    bool SshAvailable() override { return true; }
    bool SshLoginPrompt(std::string_view, bool userEditable, std::string& u,
                        std::string& password) override {
        ++prompts;
        if (size_t(logins) >= passwords.size()) return false;
        if (userEditable) u = user;
        password = passwords[size_t(logins++)];
        return true;
    }
    int SshHostKeyQuestion(bool changed, std::string_view, uint16_t, std::string_view) override {
        questions.push_back(changed);
        return hostKeyAnswer;
    }
    void SshMessageBox(std::string_view text) override { boxes.emplace_back(text); }
};

}  // namespace peers
