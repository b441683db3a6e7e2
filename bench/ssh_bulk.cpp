// Bulk output through the SSH client, native and headless: logs in to an
// SSH server with a password, runs `cat` of a file in the shell and reads
// the output through the connection layer's readers until an end mark.
// bench/ssh_bulk.sh starts the server and runs OpenSSH's client beside it.
//
// Environment: VZ_SSH_PORT, VZ_SSH_USER, VZ_SSH_PASSWORD, VZ_SSH_FILE and
// VZ_SSH_CIPHER (1 Blowfish, 3 triple DES). Prints seconds and MB/s.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "connections/connection_layer.h"
#include "connections/posix_transport.h"
#include "connections/ssh/os_random.h"
#include "connections/ssh/random_pool.h"
#include "connections/ssh/ssh_glue.h"

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

struct BenchHost : connections::ConnectionHost {
    std::string user, password;
    bool SshAvailable() override { return true; }
    bool SshLoginPrompt(std::string_view, bool userEditable, std::string& u,
                        std::string& p) override {
        if (userEditable) u = user;
        p = password;
        return true;
    }
    int SshHostKeyQuestion(bool, std::string_view, uint16_t, std::string_view) override {
        return 1;
    }
};

}  // namespace

// A plain main: the Google Benchmark main of the other benches is not used.
int main() {
    const std::string port = Env("VZ_SSH_PORT"), file = Env("VZ_SSH_FILE");
    if (port.empty() || file.empty()) {
        std::puts("run through bench/ssh_bulk.sh");
        return 0;
    }
    connections::ssh::InstallOsRandom(connections::ssh::PosixOsRandom);
    BenchHost host;
    host.user = Env("VZ_SSH_USER");
    host.password = Env("VZ_SSH_PASSWORD");
    connections::PosixTransport socket;
    connections::ConnectionLayer layer;
    layer.Attach(&socket, &host, nullptr);
    layer.settings.CommMethod = connections::kMethodSsh;
    layer.settings.HostName = "127.0.0.1:" + port;
    layer.settings.telnet.TerminalType = "VT100";
    layer.settings.ssh.SshCipher = uint16_t(std::atoi(Env("VZ_SSH_CIPHER").c_str()));
    const auto start = std::chrono::steady_clock::now();
    if (layer.CommOpen(1) != connections::kCommOk) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }
    const std::string command = "stty -echo; cat " + file + "; echo END-$((6*7))-MARK\r";
    layer.CommSendBlock(reinterpret_cast<const uint8_t*>(command.data()), int32_t(command.size()));
    const std::string mark = "END-42-MARK";
    std::string tail;
    uint64_t total = 0;
    uint8_t run[4096];
    for (;;) {
        if (!layer.CommInputReady(0)) {
            if (!layer.CommIsOpen()) break;
            socket.Wait(20);
            continue;
        }
        const int32_t n = layer.CommReadRun(run, int32_t(sizeof run), 0, 255);
        if (n <= 0) continue;
        total += uint64_t(n);
        tail.append(reinterpret_cast<const char*>(run), size_t(n));
        if (tail.find(mark) != std::string::npos) break;
        if (tail.size() > 64) tail.erase(0, tail.size() - 64);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%.3f s %.1f MB/s %llu bytes (%s)\n", seconds, total / seconds / 1e6,
        static_cast<unsigned long long>(total),
        std::string(layer.Ssh().Engine()->CipherName() + " " + layer.Ssh().Engine()->MacName())
            .c_str());
    return 0;
}
