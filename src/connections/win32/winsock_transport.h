#pragma once
// The socket seam on Winsock: asynchronous name lookup and connection
// notices arrive as window messages to the CONNECT dialog, received-data
// notices as WM_SOCKETNOTIFY to the terminal window.
#include <windows.h>
#include <winsock2.h>

#include <memory>

#include "connections/transport.h"

namespace connections {

inline constexpr UINT WM_SOCKETNOTIFY = WM_USER + 2;
// The CONNECT dialog's messages for a finished lookup and a finished connect.
inline constexpr UINT WM_LOOKUPDONE = 0x402;
inline constexpr UINT WM_SOCKSLOOKUPDONE = 0x404;
inline constexpr UINT WM_CONNECTDONE = 0x407;
inline constexpr UINT WM_SOCKSCONNECTDONE = 0x408;

class WinsockTransport : public platform::Transport {
  public:
    ~WinsockTransport() override;

    // The window that gets WM_SOCKETNOTIFY for received data.
    void SetNotifyWindow(HWND window);
    // The window that gets the lookup and connect messages (the dialog);
    // without one the lookup is blocking and the connect is polled.
    void SetDialogWindow(HWND window);
    // The dialog's handlers of WM_LOOKUPDONE and WM_CONNECTDONE.
    void LookupFinished(LPARAM lParam);
    void ConnectFinished(LPARAM lParam);

    bool Startup() override;
    void Shutdown() override;
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
    void CancelPending() override;
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
    platform::NotifyResult EnsureNotifications(bool urgent, bool close) override;
    void ForgetNotifications() override;
    void Wait(int32_t milliseconds) override;
    void WaitWritable(int32_t milliseconds) override;

  private:
    int32_t Fail();
    void CancelLookup();
    int32_t Staged() const { return stagedEnd_ - stagedAt_; }

    // Received bytes are taken off the socket in pieces far larger than the receive ring, and
    // the ring fills from here: under Wine every socket call is a round trip to the server,
    // so one large receive serves many ring fills, and the bytes held here answer "how many
    // wait" without a call.
    static constexpr int32_t kStagingSize = 65536;
    std::unique_ptr<uint8_t[]> staging_;
    int32_t stagedAt_ = 0;
    int32_t stagedEnd_ = 0;

    SOCKET socket_ = INVALID_SOCKET;
    bool started_ = false;
    int32_t lastError_ = 0;
    HWND notifyWindow_ = nullptr;
    HWND registeredWindow_ = nullptr;
    HWND dialogWindow_ = nullptr;

    HANDLE lookupTask_ = nullptr;
    platform::Progress lookupState_ = platform::Progress::Unavailable;
    int32_t lookupError_ = 0;
    char lookupBuffer_[MAXGETHOSTSTRUCT] = {};

    bool connecting_ = false;
    platform::Progress connectState_ = platform::Progress::Unavailable;
    int32_t connectError_ = 0;
};

// The program's one Winsock transport.
extern WinsockTransport winsockTransport;

}  // namespace connections
