#pragma once
// The communication debug log: every line the connection layer logs, the
// window that shows it, the error boxes of /V and the queue of lines copied
// to the terminal screen.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the log needs of the platform: its window and a plain message box.
class CommDebugWindowPort {
  public:
    virtual ~CommDebugWindowPort() = default;
    virtual bool IsOpen() = 0;
    // Creates the window when it is not open.
    virtual void Open() = 0;
    virtual void Close() = 0;
    // Asks the open window to show what CommDebugText gained.
    virtual void Refresh() = 0;
    virtual void ErrorBox(std::string_view text, std::string_view caption) = 0;
};

}  // namespace platform

namespace connections {

inline constexpr size_t kScreenLogLines = 50;
inline constexpr size_t kScreenLogWidth = 80;
inline constexpr size_t kErrorBoxWidth = 80;

// The log keeps at most this many characters; the oldest lines go first.
inline constexpr size_t kDebugTextLimit = 256 * 1024;

struct CommDebugLogState {
    // The lines logged while debugging is on, each ending CR LF, the newest
    // kDebugTextLimit characters' worth of whole lines.
    std::string CommDebugText;
    // Characters ever added to the text, and how often its oldest lines were
    // dropped: a window that shows the text appends only what is new.
    uint64_t AppendedTotal = 0;
    uint32_t Trims = 0;
    std::vector<std::string> ScreenLogQueue;
    platform::CommDebugWindowPort* Window = nullptr;  // none: logged only
};
extern CommDebugLogState CommDebugState;
void ResetCommDebugLog();

// Error-box captions by kind (0 general, 1 socket).
std::string_view CommErrorCaption(uint8_t kind);

void CommDebugOpen();
void CommDebugClose();
void CommDebugAppend(std::string_view text);
void CommLogSent(std::string_view text);
void CommLogReceived(std::string_view text);
void CommDebugLog(std::string_view text);
void CommErrorBox(std::string_view text, uint8_t kind);
// Logs a Telnet subnegotiation: buffer[0] is the option, the data follows;
// n counts the IAC SB and IAC SE around it as well.
void CommLogSubneg(char direction, const uint8_t* buffer, int32_t n);
// Writes the queued lines to the terminal screen (only with /V).
void CommDebugFlush();

// The window's own close: the setting goes off with it.
void CommDebugWindowClosed();

}  // namespace connections
