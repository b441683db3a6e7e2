#pragma once

#ifndef _WIN32

#include "connections/transport.h"

namespace connections {

// The socket seam over POSIX sockets, for the native build's peer tests and
// tools. Lookups run at once (getaddrinfo); connects are non-blocking.
class PosixTransport : public platform::Transport {
  public:
    ~PosixTransport() override;

    bool Startup() override { return true; }
    void Shutdown() override { Close(); }
    int32_t LastError() override { return lastError_; }

    bool Open() override;
    bool Bind(uint16_t localPort) override;
    void Close() override;

    platform::Progress StartLookup(std::string_view name, platform::Ipv4Address& address,
                                   int32_t& error) override;
    platform::Progress PollLookup(platform::Ipv4Address& address, int32_t& error) override;
    platform::Progress LookupNow(std::string_view name, platform::Ipv4Address& address,
                                 int32_t& error) override;

    platform::Progress StartConnect(const platform::Ipv4Address& address, uint16_t port,
                                    int32_t& error) override;
    platform::Progress PollConnect(int32_t& error) override;
    void CancelPending() override { connecting_ = false; }

    int32_t Send(const uint8_t* bytes, int32_t count) override;
    int32_t Receive(uint8_t* bytes, int32_t count) override;
    int32_t Peek(uint8_t* bytes, int32_t count) override;
    int32_t BytesAvailable() override;
    int Readable() override;

    bool SetNonBlocking() override;
    bool SetOption(platform::SocketOption option, int32_t value) override;
    bool GetOption(platform::SocketOption option, int32_t& value) override;
    bool LocalAddress(platform::Ipv4Address& address, uint16_t& port) override;
    bool NameOf(const platform::Ipv4Address& address, std::string& name) override;

    platform::NotifyResult EnsureNotifications(bool urgent, bool close) override {
        return platform::NotifyResult::Polled;
    }
    void ForgetNotifications() override {}
    void Wait(int32_t milliseconds) override;
    void WaitWritable(int32_t milliseconds) override;

    int Descriptor() const { return fd_; }

  private:
    int32_t Fail();
    int fd_ = -1;
    bool connecting_ = false;
    int32_t lastError_ = 0;
};

// The Winsock number of an errno value.
int32_t SocketErrorFromErrno(int error);

}  // namespace connections

#endif
