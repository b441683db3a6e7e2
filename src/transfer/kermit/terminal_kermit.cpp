#include "transfer/kermit/terminal_kermit.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/key_codes.h"
#include "console/key_names.h"
#include "console/local_screen.h"
#include "console/messages.h"
#include "console/terminal_window.h"
#include "console/tick_clock.h"
#include "transfer/host_link.h"
#include "transfer/kermit/kermit_packets.h"
#include "transfer/transfer_ui.h"

namespace transfer::terminal_kermit {

State Kermit;

using kermit::ToChar;
using kermit::UnChar;

namespace {

bool SevenBitLine() {
    return commands::Settings.CommMethod == 1 && commands::Settings.SerialDataBits.Get() != 8;
}

uint8_t CheckTypeNow(bool sending) {
    const State& k = Kermit;
    const bool init = sending
                          ? (k.SentType == 'S' || k.SentType == 'I' || k.ReceivedType == 'S' ||
                             k.ReceivedType == 'I' || k.ReceivedType == 'R')
                          : (k.SentType == 'S' || k.ReceivedType == 'S' || k.ReceivedType == 'R');
    if (init) return '1';
    return k.Own.CheckType == '2' || k.Own.CheckType == '3' ? k.Own.CheckType : '1';
}

kermit::Prefixes PrefixesNow(uint8_t ctl) {
    kermit::Prefixes p;
    p.Ctl = ctl;
    p.HighBit = kermit::ValidPrefix(Kermit.Own.HighBitPrefix) ? Kermit.Own.HighBitPrefix : 0;
    p.Repeat = kermit::ValidPrefix(Kermit.Own.RepeatPrefix) ? Kermit.Own.RepeatPrefix : 0;
    return p;
}

}  // namespace

void KermitDefaults() {
    State& k = Kermit;
    k.Own = Parameters{};
    k.Own.HighBitPrefix = SevenBitLine() ? '&' : 'Y';
    k.Remote = Parameters{};
    k.Remote.HighBitPrefix = ' ';
    k.Remote.Capabilities = 0;
    k.Remote.MaxLenExt = 0;
    k.SendMax = 94;
    k.Seq = 0;
    k.SentType = k.ReceivedType = 0;
    k.Retries = 0;
    k.InterruptCode = kNone;
}

bool KermitReadByte(uint8_t& c) {
    HostLink& link = Link();
    if (!link.ByteReady()) link.Poll();
    if (!link.ByteReady()) return false;
    const int b = link.ReadByte();
    if (b == kNoLinkByte) return false;
    c = uint8_t(SevenBitLine() ? b & 0x7F : b);
    return true;
}

bool KermitTimedRead(uint8_t& c) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto limit = std::chrono::seconds(std::max<int>(Kermit.Remote.Timeout, 1));
    for (;;) {
        if (KermitReadByte(c)) return true;
        if (CurrentTransferUi().AbortKeyPressed()) {
            Kermit.InterruptCode = kCancelBatch;
            return false;
        }
        console::PumpWindowMessages();
        if (console::KeyPressed()) {
            const uint16_t key = console::ReadKeyCode();
            if (key == console::kKeyF9 || key == console::kKeyAltA)
                Kermit.InterruptCode = kCancelBatch;
            else if (key == 3)
                Kermit.InterruptCode = kQuit;
            else if (key == 5)
                Kermit.InterruptCode = kSendError;
            else if (key == 24)
                Kermit.InterruptCode = kSkipFile;
            else if (key == 26)
                Kermit.InterruptCode = kCancelBatch;
            continue;
        }
        if (Clock::now() - start > limit) return false;
        Link().WaitForInput(10);
    }
}

bool EchoMode() {
    return commands::Settings.FullDuplex != 0 && commands::Settings.HostType == 4;
}

void KermitSendPacket() {
    State& k = Kermit;
    // What waits now is stale: an answer is read only after this packet.
    uint8_t dropped = 0;
    while (KermitReadByte(dropped)) {
    }
    const uint8_t check = CheckTypeNow(true);
    std::vector<uint8_t> packet;
    const std::string& data = k.SendData;
    kermit::BuildPacket(packet, k.SentType, k.Seq, reinterpret_cast<const uint8_t*>(data.data()),
                        data.size(), check, k.Remote.PadCount, k.Remote.PadChar,
                        k.Remote.Eol ? k.Remote.Eol : 13);
    if (!EchoMode()) {
        Link().Send(packet.data(), packet.size());
        return;
    }
    // A host that echoes: the packet starts only once the mark came back
    // (or the wait ran out), and the echo of the rest is dropped, so that
    // the next packet read is the answer.
    const size_t mark = k.Remote.PadCount;
    Link().Send(packet.data(), mark + 1);
    uint8_t c = 0;
    while (KermitTimedRead(c) && c != kermit::kMark) {
    }
    Link().Send(packet.data() + mark + 1, packet.size() - mark - 1);
    while (KermitReadByte(dropped)) {
    }
}

bool KermitReceivePacket() {
    // Every reception, good or not, is followed by the line delay of the
    // settings: a slow host gets its time between packets.
    struct LineDelay {
        ~LineDelay() {
            const uint16_t units = commands::Settings.AsciiLineDelay.Get();
            if (units) console::FineDelay(units);
        }
    } lineDelay;
    State& k = Kermit;
    uint8_t c = 0;
    do {
        if (!KermitTimedRead(c)) return false;
    } while (c != kermit::kMark);
    std::vector<uint8_t> chars;
    uint8_t len = 0, seq = 0, type = 0;
    if (!KermitTimedRead(len) || len < 32) return false;
    if (!KermitTimedRead(seq) || !KermitTimedRead(type)) return false;
    chars = {len, seq, type};
    k.ReceivedType = type;
    k.ReceivedSeq = uint8_t(UnChar(seq) & 63);
    const uint8_t check = CheckTypeNow(false);
    const size_t checkLen = kermit::CheckLength(check);
    size_t length = 0;
    if (UnChar(len) == 0) {
        uint8_t x1 = 0, x2 = 0, hcheck = 0;
        if (!KermitTimedRead(x1) || !KermitTimedRead(x2) || !KermitTimedRead(hcheck)) return false;
        unsigned s = unsigned(len) + seq + type + x1 + x2;
        s &= 0xFF;
        if (hcheck != ToChar((s + ((s & 192) >> 6)) & 63)) return false;
        chars.insert(chars.end(), {x1, x2, hcheck});
        length = size_t(UnChar(x1)) * 95 + UnChar(x2);
    } else {
        if (UnChar(len) < 2) return false;
        length = size_t(UnChar(len)) - 2;
    }
    // A length shorter than its check, or data past the buffer, is refused.
    if (length < checkLen || length - checkLen > kMaxData) return false;
    k.ReceivedData.clear();
    for (size_t i = 0; i < length - checkLen; ++i) {
        if (!KermitTimedRead(c)) return false;
        k.ReceivedData += char(c);
        chars.push_back(c);
    }
    std::vector<uint8_t> expected;
    kermit::AppendCheck(expected, chars.data(), chars.size(), check);
    for (uint8_t e : expected) {
        if (!KermitTimedRead(c) || c != e) return false;
    }
    return true;
}

void KermitSendTyped(uint8_t type) {
    Kermit.SendData.clear();
    Kermit.Seq = kermit::NextSeq(Kermit.Seq);
    Kermit.SentType = type;
    KermitSendPacket();
}

void KermitAckWith(char c) {
    Kermit.SendData = std::string(1, c);
    Kermit.Seq = kermit::NextSeq(Kermit.Seq);
    Kermit.SentType = 'Y';
    KermitSendPacket();
}

void KermitSendRetry(int32_t n) {
    State& k = Kermit;
    for (;; --n) {
        ++k.Retries;
        BoxText(5, 11,
                Message(1001) +
                    (k.Retries < 100 ? std::string(k.Retries < 10 ? 2 : 1, ' ') : std::string()) +
                    std::to_string(k.Retries));
        if (n < 1) {
            BoxText(10, 10, Message(1002));
            k.Step = 6;
            return;
        }
        if (k.InterruptCode == kQuit) {
            k.Step = 6;
            return;
        }
        KermitSendPacket();
        if (KermitReceivePacket() && (k.ReceivedType == 'Y' || k.ReceivedType == 'E')) {
            if (k.ReceivedType == 'E') k.Step = 6;
            return;
        }
    }
}

void KermitBuildInit() {
    const Parameters& o = Kermit.Own;
    Kermit.Seq = 0;
    std::string& d = Kermit.SendData;
    d.clear();
    d += char(ToChar(o.MaxLen));
    d += char(ToChar(o.Timeout));
    d += char(ToChar(o.PadCount));
    d += char(ToChar(o.PadChar));
    d += char(ToChar(o.Eol));
    d += char(o.CtlPrefix);
    d += char(o.HighBitPrefix < 33 ? 'Y' : o.HighBitPrefix);
    d += char(o.CheckType < 33 ? '1' : o.CheckType);
    if (o.RepeatPrefix < 33) return;
    d += char(o.RepeatPrefix);
    d += char(ToChar(o.Capabilities));
    if ((o.Capabilities & kermit::kCapaLongPackets) && o.MaxLenExt >= 95) {
        d += char(ToChar(o.WindowSize));
        d += char(ToChar(o.MaxLenExt / 95));
        d += char(ToChar(o.MaxLenExt % 95));
    }
}

void KermitReadInit() {
    State& k = Kermit;
    const std::string& d = k.ReceivedData;
    Parameters& r = k.Remote;
    Parameters& o = k.Own;
    auto field = [&](size_t i, uint8_t& c) {
        if (i >= d.size()) return false;
        c = uint8_t(d[i]);
        return true;
    };
    uint8_t c = 0;
    if (field(0, c)) r.MaxLen = UnChar(c);
    if (field(1, c)) r.Timeout = UnChar(c);
    if (field(2, c)) r.PadCount = UnChar(c);
    if (field(3, c)) r.PadChar = UnChar(c);
    if (field(4, c)) r.Eol = UnChar(c) & 31;
    if (field(5, c)) r.CtlPrefix = c;
    if (field(6, c)) {
        uint8_t mine = o.HighBitPrefix;
        if (mine == 'Y') mine = c;
        if (c == 'Y') c = mine;
        o.HighBitPrefix = mine == c && kermit::ValidPrefix(c) ? c : ' ';
    } else {
        o.HighBitPrefix = ' ';
    }
    o.CheckType = field(7, c) && c >= '1' && c <= '3' ? c : '1';
    if (field(8, c) && ((c >= 33 && c <= 63) || (c >= 96 && c <= 126)) && c == o.RepeatPrefix)
        o.RepeatPrefix = c;
    else
        o.RepeatPrefix = ' ';
    size_t i = 9;
    r.Capabilities = field(i, c) ? UnChar(c) : 0;
    uint8_t more = r.Capabilities;
    while (more & 1) {
        ++i;
        if (!field(i, c)) break;
        more = UnChar(c);
    }
    ++i;
    if (field(i, c)) r.WindowSize = UnChar(c);
    uint8_t x1 = 0, x2 = 0;
    const bool ext = field(i + 1, x1) && field(i + 2, x2);
    r.MaxLenExt = ext ? uint16_t(UnChar(x1) * 95 + UnChar(x2)) : 0;
    // A maximum of 0 is the default; the one-character length never passes 94.
    k.SendMax = r.MaxLen == 0 ? 80 : std::clamp<uint16_t>(r.MaxLen, 10, 94);
    if (r.Capabilities & kermit::kCapaLongPackets) {
        const uint16_t max = ext && r.MaxLenExt ? r.MaxLenExt : 500;
        k.SendMax = std::clamp<uint16_t>(max, 10, uint16_t(kMaxData));
    } else {
        o.Capabilities &= uint8_t(~kermit::kCapaLongPackets);
    }
}

std::string EncodeFileData(const uint8_t* data, size_t length, size_t& used, size_t capacity) {
    std::vector<uint8_t> out;
    used = kermit::EncodeData(data, length, 0, PrefixesNow(Kermit.Own.CtlPrefix), out, capacity);
    return std::string(out.begin(), out.end());
}

std::string DecodePacketData(std::string_view data) {
    std::vector<uint8_t> out;
    const uint8_t ctl =
        kermit::ValidPrefix(Kermit.Remote.CtlPrefix) ? Kermit.Remote.CtlPrefix : '#';
    kermit::DecodeData(reinterpret_cast<const uint8_t*>(data.data()), data.size(), PrefixesNow(ctl),
                       out);
    return std::string(out.begin(), out.end());
}

// ---- the status box ----

std::string Message(uint16_t id) {
    return console::GetMessageText(id, true);
}

void BoxText(int32_t row, int32_t column, std::string_view text) {
    if (!Kermit.BoxOpen) return;
    console::GotoRowCol(row, column);
    console::WriteString(text.substr(0, size_t(std::max(0, 70 - column))));
}

void BoxNumber(int32_t row, int32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 12) text.insert(0, 12 - text.size(), ' ');
    BoxText(row, 37, text);
}

void OpenStatusBox(bool sending) {
    State& k = Kermit;
    if (!k.BoxOpen) {
        k.SavedRow = console::ConsoleLayer.CursorRow;
        k.SavedCol = console::ConsoleLayer.CursorCol;
        const console::CellRect box{9, 70, 1, 10};
        console::PushScreenRect(box);
        console::FillCellRect(box, console::MakeCell(u' ', console::CurrentAttr()));
        // The frame in line-drawing characters.
        for (int32_t col = 9; col <= 70; ++col) {
            const char16_t edge = col == 9 ? u'\u250C' : col == 70 ? u'\u2510' : u'\u2500';
            const char16_t foot = col == 9 ? u'\u2514' : col == 70 ? u'\u2518' : u'\u2500';
            console::GotoRowCol(1, col);
            console::WriteScreenChar(edge);
            console::GotoRowCol(10, col);
            console::WriteScreenChar(foot);
        }
        for (int32_t row = 2; row <= 9; ++row) {
            console::GotoRowCol(row, 9);
            console::WriteScreenChar(u'\u2502');
            console::GotoRowCol(row, 70);
            console::WriteScreenChar(u'\u2502');
        }
        k.BoxOpen = true;
    }
    BoxText(4, 11, Message(1018));
    BoxText(5, 11, Message(1001));
    if (sending) {
        BoxText(7, 11, Message(1020));
        BoxText(8, 11, Message(1021));
    } else {
        BoxText(6, 11, Message(1020));
        BoxText(7, 11, Message(1021));
    }
}

void CloseStatusBox() {
    State& k = Kermit;
    if (!k.BoxOpen) return;
    console::PopScreenRect();
    console::GotoRowCol(k.SavedRow, k.SavedCol);
    k.BoxOpen = false;
}

void WriteAtCursor(std::string_view text, bool newLine) {
    console::WriteString(text);
    if (newLine) {
        console::WriteCharCtl('\r');
        console::WriteCharCtl('\n');
    }
}

void KermitStatusLine(std::string_view text) {
    const int32_t row = console::ConsoleLayer.CursorRow;
    const int32_t col = console::ConsoleLayer.CursorCol;
    console::GotoRowCol(console::ConsoleLayer.StatusRow, 40);
    console::WriteString(text.substr(0, 40));
    if (console::KeyPressed()) console::ReadKeyCode();
    console::GotoRowCol(row, col);
}

}  // namespace transfer::terminal_kermit
