#include "transfer/zmodem/zmodem_framing.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "transfer/block_checks.h"
#include "transfer/host_link.h"

namespace transfer {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr uint32_t kCrc32Residue = 0xDEBB20E3u;

// Of the bytes 0-31 and 128-159 (indexed by c & 0x9F), those that go
// unescaped unless every control character is escaped; CR is decided by the
// byte before it.
constexpr struct PlainLow {
    bool v[0xA0] = {};
    constexpr PlainLow() {
        for (int c = 0; c < 0xA0; ++c)
            v[c] = (c < 0x20 || c >= 0x80) && c != 0x18 && c != 0x10 && c != 0x11 && c != 0x13 &&
                   c != 0x90 && c != 0x91 && c != 0x93 && c != 0x0D && c != 0x8D;
    }
    constexpr bool operator[](int c) const { return v[c]; }
} kPlainLow;

constexpr bool IsFlowControl(uint8_t c) {
    return c == kXon || c == kXoff || c == (kXon | 0x80) || c == (kXoff | 0x80);
}

// The bytes a data subpacket's reader must decode one by one (the escape
// and flow control); every other byte is data as it stands.
constexpr std::array<bool, 256> MakeDecodedTable() {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[size_t(c)] = c == kZdle || IsFlowControl(uint8_t(c));
    return table;
}
constexpr auto kDecoded = MakeDecodedTable();

}  // namespace

void PutPosition(uint8_t header[4], uint32_t position) {
    for (int i = 0; i < 4; ++i) header[i] = uint8_t(position >> (8 * i));
}

uint32_t GetPosition(const uint8_t header[4]) {
    return uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 |
           uint32_t(header[3]) << 24;
}

// ---- sending ----

void ZmodemFraming::Put(uint8_t c) {
    port_.PutChar(c);
    LastSent = c;
}

void ZmodemFraming::Escaped(uint8_t c, uint8_t*& out) {
    bool escape;
    if (EscapeAll) {
        escape = (c & 0x60) == 0;
    } else {
        switch (c) {
            case kZdle:
            case 0x10:
            case kXon:
            case kXoff:
            case 0x90:
            case 0x91:
            case 0x93:
                escape = true;
                break;
            case 0x0D:
            case 0x8D:
                // "@" CR is the start of a modem command some lines act on.
                escape = (LastSent & 0x7F) == '@';
                break;
            default:
                escape = false;
                break;
        }
    }
    if (escape) {
        *out++ = kZdle;
        c ^= 0x40;
    }
    *out++ = c;
    LastSent = c;
}

void ZmodemFraming::PutEscaped(uint8_t c) {
    uint8_t buf[2];
    uint8_t* out = buf;
    Escaped(c, out);
    for (uint8_t* p = buf; p < out; ++p) port_.PutChar(*p);
}

void ZmodemFraming::SendHexHeader(uint8_t type, const uint8_t header[4]) {
    Put(kZpad);
    Put(kZpad);
    Put(kZdle);
    Put('B');
    uint16_t crc = 0;
    auto hex = [&](uint8_t b) {
        Put(uint8_t(kHexDigits[b >> 4]));
        Put(uint8_t(kHexDigits[b & 15]));
    };
    hex(type);
    crc = UpdateCrc16(type, crc);
    for (int i = 0; i < 4; ++i) {
        hex(header[i]);
        crc = UpdateCrc16(header[i], crc);
    }
    crc = UpdateCrc16(0, UpdateCrc16(0, crc));
    hex(uint8_t(crc >> 8));
    hex(uint8_t(crc));
    Put(0x0D);
    Put(0x8A);
    // The XON releases a sender that a stray XOFF stopped; after ZACK and
    // ZFIN the other side may already be reading something else.
    if (type != kZack && type != kZfin) Put(kXon);
    LastTypeSent = type;
}

void ZmodemFraming::SendBinaryHeader(uint8_t type, const uint8_t header[4]) {
    UseCrc32 = Crc32Allowed;
    Put(kZpad);
    Put(kZdle);
    if (UseCrc32) {
        PutEscaped('C');
        uint32_t crc = UpdateCrc32(type, 0xFFFFFFFFu);
        PutEscaped(type);
        for (int i = 0; i < 4; ++i) {
            crc = UpdateCrc32(header[i], crc);
            PutEscaped(header[i]);
        }
        crc = ~crc;
        for (int i = 0; i < 4; ++i) PutEscaped(uint8_t(crc >> (8 * i)));
    } else {
        PutEscaped('A');
        uint16_t crc = UpdateCrc16(type, 0);
        PutEscaped(type);
        for (int i = 0; i < 4; ++i) {
            crc = UpdateCrc16(header[i], crc);
            PutEscaped(header[i]);
        }
        crc = UpdateCrc16(0, UpdateCrc16(0, crc));
        PutEscaped(uint8_t(crc >> 8));
        PutEscaped(uint8_t(crc));
    }
    LastTypeSent = type;
}

size_t ZmodemFraming::BuildSubpacket(const uint8_t* data, size_t length, uint8_t end,
                                     uint8_t* out) {
    uint8_t* const start = out;
    if (length > kZBlockMax) length = kZBlockMax;
    // Bytes that never need escaping in the mode are copied straight.
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = data[i];
        const bool plain = EscapeAll ? (c & 0x60) != 0 : (c & 0x60) != 0 || kPlainLow[c & 0x9F];
        if (plain) {
            *out++ = c;
            LastSent = c;
        } else {
            Escaped(c, out);
        }
    }
    *out++ = kZdle;
    *out++ = end;
    LastSent = end;
    if (UseCrc32) {
        uint32_t crc = ~UpdateCrc32(end, UpdateCrc32(data, length, 0xFFFFFFFFu));
        for (int i = 0; i < 4; ++i) Escaped(uint8_t(crc >> (8 * i)), out);
    } else {
        uint16_t crc = UpdateCrc16(end, UpdateCrc16(data, length, 0));
        crc = UpdateCrc16(0, UpdateCrc16(0, crc));
        Escaped(uint8_t(crc >> 8), out);
        Escaped(uint8_t(crc), out);
    }
    if (end == kZcrcw) {
        *out++ = kXon;
        LastSent = kXon;
    }
    return size_t(out - start);
}

void ZmodemFraming::SendSubpacket(const uint8_t* data, size_t length, uint8_t end) {
    uint8_t out[kZEscapedMax];
    const size_t n = BuildSubpacket(data, length, end, out);
    for (size_t i = 0; i < n; ++i) port_.PutChar(out[i]);
}

void ZmodemFraming::SendAttention(const uint8_t attention[32]) {
    for (int i = 0; i < 32 && attention[i] != 0; ++i) {
        const uint8_t c = attention[i];
        if (c == kAttnBreak) {
            port_.FlushBatch();
            port_.SendBreak();
        } else if (c == kAttnPause) {
            port_.FlushBatch();
            TickTimer pause;
            StartTickTimer(pause, 18);
            while (!TickTimerExpired(pause)) port_.LinkInUse().WaitForInput(5);
        } else {
            port_.PutChar(c);
            if (port_.Status() != kStatusOk) return;
        }
    }
    port_.FlushBatch();
}

void ZmodemFraming::SendCancel() {
    port_.FlushOutput();
    for (int i = 0; i < 8; ++i) port_.PutChar(kZdle);
    for (int i = 0; i < 8; ++i) port_.PutChar(0x08);
    port_.FlushBatch();
    port_.DrainOutput(1);
}

// ---- receiving ----

void ZmodemFraming::CountError(bool block, const char* text, uint16_t notice) {
    port_.ReportError(notice);
    port_.SetLastError(text);
    if (!proto_) return;
    if (block) ++proto_->BlockErrors;
    ++proto_->TotalErrors;
}

void ZmodemFraming::StartHeader() {
    hState_ = kHunt;
    rawCount_ = 0;
    escape_ = false;
}

int ZmodemFraming::Decode(uint8_t c, bool& cancel) {
    if (IsFlowControl(c)) return -1;
    if (c == kZdle) {
        ++CanCount;
        if (escape_) {
            // An escaped CAN is a CAN; the fifth of a run ends the transfer.
            escape_ = false;
            if (CanCount == 5) cancel = true;
            return kZdle;
        }
        if (CanCount > 5) cancel = true;
        escape_ = true;
        return -1;
    }
    CanCount = 0;
    if (!escape_) return c;
    escape_ = false;
    switch (c) {
        case kZcrce:
        case kZcrcg:
        case kZcrcq:
        case kZcrcw:
            return 0x100 + c;
        case 'l':
            return 0x7F;
        case 'm':
            return 0xFF;
        default:
            return c ^ 0x40;
    }
}

uint16_t ZmodemFraming::FeedHeader(uint8_t c) {
    if (hState_ == kHunt || hState_ == kGotPad || hState_ == kGotZdle || hState_ == kHex) {
        if (c == kXon || c == kXoff) return kZPending;
        c &= 0x7F;
        if (c == kZdle) {
            if (++CanCount >= 5) {
                StartHeader();
                port_.SetStatus(kZCancelled);
                port_.ReportError(kZCancelled);
                return kZCancelled;
            }
        } else {
            CanCount = 0;
        }
    }
    switch (hState_) {
        case kHunt:
            if (c == kZpad) hState_ = kGotPad;
            return kZPending;
        case kGotPad:
            if (c == kZdle)
                hState_ = kGotZdle;
            else if (c != kZpad)
                hState_ = kHunt;
            return kZPending;
        case kGotZdle:
            rawCount_ = 0;
            escape_ = false;
            if (c == 'B') {
                hState_ = kHex;
                hex_ = true;
                hexHigh_ = true;
                rawWant_ = 7;
            } else if (c == 'A' || c == 'C') {
                hState_ = kBinary;
                hex_ = false;
                RxBinary32 = c == 'C';
                rawWant_ = RxBinary32 ? 9 : 7;
            } else {
                hState_ = c == kZpad ? kGotPad : kHunt;
            }
            return kZPending;
        case kHex: {
            const char* at = nullptr;
            for (const char* d = kHexDigits; *d; ++d)
                if (*d == char(c)) at = d;
            const uint8_t nibble = at ? uint8_t(at - kHexDigits) : 0;
            if (hexHigh_) {
                hexNibble_ = nibble;
                hexHigh_ = false;
                return kZPending;
            }
            hexHigh_ = true;
            raw_[rawCount_++] = uint8_t(hexNibble_ << 4 | nibble);
            break;
        }
        case kBinary: {
            bool cancel = false;
            const int v = Decode(c, cancel);
            if (cancel) {
                StartHeader();
                port_.SetStatus(kZCancelled);
                port_.ReportError(kZCancelled);
                return kZCancelled;
            }
            if (v < 0) return kZPending;
            if (v > 0xFF) {
                // A subpacket end inside a header: the header is damaged.
                StartHeader();
                CountError(false, "Block check error", kZNoticeBadCheck);
                if (RxBinary32) return kZPending;
                port_.SetStatus(kZBadCheck);
                return kZBadCheck;
            }
            raw_[rawCount_++] = uint8_t(v);
            break;
        }
    }
    if (rawCount_ < rawWant_) return kZPending;
    bool good;
    if (!hex_ && RxBinary32) {
        good = UpdateCrc32(raw_, 9, 0xFFFFFFFFu) == kCrc32Residue;
    } else {
        good = UpdateCrc16(raw_, 7, 0) == 0;
    }
    const bool crc32 = !hex_ && RxBinary32;
    StartHeader();
    if (!good) {
        CountError(false, "Block check error", kZNoticeBadCheck);
        // A damaged CRC-32 header is waited out by the engine's reply timer.
        if (crc32) return kZPending;
        port_.SetStatus(kZBadCheck);
        return kZBadCheck;
    }
    if (!hex_) UseCrc32 = crc32;
    lastWasHex_ = hex_;
    RxType = raw_[0];
    for (int i = 0; i < 4; ++i) RxHeader[i] = raw_[1 + i];
    return kZHeaderDone;
}

void ZmodemFraming::StartData(size_t maxLength, bool crc32) {
    dataMax_ = maxLength > kZBlockMax ? kZBlockMax : maxLength;
    dataCrc32_ = crc32;
    DataCount = 0;
    DataEnd = 0;
    inCrc_ = false;
    crcCount_ = 0;
    escape_ = false;
    trailer_ = lastWasHex_ ? 1 : 0;
}

size_t ZmodemFraming::FeedDataRun(const uint8_t* bytes, size_t count, uint16_t& result) {
    result = kZPending;
    size_t i = 0;
    while (i < count) {
        if (!escape_ && !inCrc_ && trailer_ == 0) {
            // Bytes that are data as they stand are copied as a block.
            const size_t end = i + std::min(count - i, dataMax_ - DataCount);
            size_t j = i;
            while (j < end && !kDecoded[bytes[j]]) ++j;
            if (j > i) {
                std::memcpy(Data + DataCount, bytes + i, j - i);
                DataCount += j - i;
                CanCount = 0;
                i = j;
                continue;
            }
        }
        result = FeedDataByte(bytes[i++]);
        if (result != kZPending) break;
    }
    return i;
}

uint16_t ZmodemFraming::FeedDataByte(uint8_t c) {
    if (trailer_ == 1) {
        trailer_ = (c & 0x7F) == 0x0D ? 2 : 0;
        if (trailer_ == 2) return kZPending;
    } else if (trailer_ == 2) {
        trailer_ = 0;
        return kZPending;
    }
    bool cancel = false;
    const int v = Decode(c, cancel);
    if (cancel) {
        port_.SetStatus(kZCancelled);
        port_.ReportError(kZCancelled);
        return kZCancelled;
    }
    if (v < 0) return kZPending;
    if (!inCrc_) {
        if (v > 0xFF) {
            DataEnd = uint8_t(v - 0x100);
            inCrc_ = true;
            crcCount_ = 0;
            return kZPending;
        }
        if (DataCount >= dataMax_) {
            CountError(true, "Protocol error", kZNoticeOverlong);
            port_.SetStatus(kZOverlong);
            return kZOverlong;
        }
        Data[DataCount++] = uint8_t(v);
        return kZPending;
    }
    if (v > 0xFF) {
        CountError(true, "Block error", kZNoticeBadCheck);
        port_.SetStatus(kZBadCheck);
        return kZBadCheck;
    }
    crcBytes_[crcCount_++] = uint8_t(v);
    if (crcCount_ < (dataCrc32_ ? 4 : 2)) return kZPending;
    inCrc_ = false;
    bool good;
    if (dataCrc32_) {
        const uint32_t crc = UpdateCrc32(
            crcBytes_, 4, UpdateCrc32(DataEnd, UpdateCrc32(Data, DataCount, 0xFFFFFFFFu)));
        good = crc == kCrc32Residue;
    } else {
        const uint16_t crc =
            UpdateCrc16(crcBytes_, 2, UpdateCrc16(DataEnd, UpdateCrc16(Data, DataCount, 0)));
        good = crc == 0;
    }
    if (!good) {
        CountError(true, "Block error", kZNoticeBadCheck);
        port_.SetStatus(kZBadCheck);
        return kZBadCheck;
    }
    switch (DataEnd) {
        case kZcrce:
            return kZEndE;
        case kZcrcg:
            return kZEndG;
        case kZcrcq:
            return kZEndQ;
        default:
            return kZEndW;
    }
}

}  // namespace transfer
