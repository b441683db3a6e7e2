#pragma once
// ZMODEM framing: hex and binary headers, data subpackets with their four
// ends, ZDLE escaping, the CRC-16 and CRC-32 checks, the attention string and
// the cancel sequence. Sending goes through the transfer port; receiving is
// done by byte-driven collectors, so that the engine can feed whatever bytes
// have arrived and come back later for the rest.
#include <cstddef>
#include <cstdint>

#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"

namespace transfer {

// Frame types.
enum ZFrame : uint8_t {
    kZrqinit = 0,
    kZrinit = 1,
    kZsinit = 2,
    kZack = 3,
    kZfile = 4,
    kZskip = 5,
    kZnak = 6,
    kZabort = 7,
    kZfin = 8,
    kZrpos = 9,
    kZdata = 10,
    kZeof = 11,
    kZferr = 12,
    kZcrc = 13,
    kZchallenge = 14,
    kZcompl = 15,
    kZcan = 16,
    kZfreecnt = 17,
    kZcommand = 18,
};

inline constexpr uint8_t kZdle = 0x18;
inline constexpr uint8_t kZpad = '*';
inline constexpr uint8_t kXon = 0x11;
inline constexpr uint8_t kXoff = 0x13;

// Subpacket ends (the byte after ZDLE).
inline constexpr uint8_t kZcrce = 'h';  // end of frame, a header follows
inline constexpr uint8_t kZcrcg = 'i';  // more data, no answer
inline constexpr uint8_t kZcrcq = 'j';  // more data, acknowledge
inline constexpr uint8_t kZcrcw = 'k';  // end of frame, acknowledge

// Receiver capabilities (ZF0 of ZRINIT) and the sender's wishes (ZSINIT).
inline constexpr uint8_t kZrinitFlags = 0x27;
inline constexpr uint8_t kCanFcrc32 = 0x20;
inline constexpr uint8_t kEscapeControls = 0x40;

// Collector results, in the engine's status word.
inline constexpr uint16_t kZHeaderDone = 9937;
inline constexpr uint16_t kZPending = 9938;
inline constexpr uint16_t kZBadCheck = 9915;
inline constexpr uint16_t kZCancelled = 9902;
inline constexpr uint16_t kZOverlong = 9907;
inline constexpr uint16_t kZEndE = 9925;
inline constexpr uint16_t kZEndW = 9926;
inline constexpr uint16_t kZEndQ = 9927;
inline constexpr uint16_t kZEndG = 9928;
inline constexpr uint16_t kZNoticeBadCheck = 19915;
inline constexpr uint16_t kZNoticeOverlong = 19907;

// Attention bytes with a meaning of their own.
inline constexpr uint8_t kAttnBreak = 221;
inline constexpr uint8_t kAttnPause = 222;

inline constexpr size_t kZBlockMax = 1024;
// Every data byte escaped, plus the end, the escaped CRC-32 and an XON.
inline constexpr size_t kZEscapedMax = 2 * kZBlockMax + 2 + 8 + 1;

// The four header bytes of a position, least significant first.
void PutPosition(uint8_t header[4], uint32_t position);
uint32_t GetPosition(const uint8_t header[4]);

class ZmodemFraming {
  public:
    // proto may be null (a reader fed arbitrary bytes); errors are then
    // counted nowhere.
    ZmodemFraming(TransferPort& port, ProtocolRecord* proto) : port_(port), proto_(proto) {}
    void SetRecord(ProtocolRecord* proto) { proto_ = proto; }

    // ---- sending ----
    void SendHexHeader(uint8_t type, const uint8_t header[4]);
    void SendBinaryHeader(uint8_t type, const uint8_t header[4]);
    // Escapes a subpacket (data, end, CRC, and the XON after ZCRCW) into
    // out, which holds kZEscapedMax bytes; returns its length.
    size_t BuildSubpacket(const uint8_t* data, size_t length, uint8_t end, uint8_t* out);
    void SendSubpacket(const uint8_t* data, size_t length, uint8_t end);
    // Zero-terminated, at most 32 bytes.
    void SendAttention(const uint8_t attention[32]);
    // Eight CAN and eight backspaces.
    void SendCancel();

    // ---- receiving ----
    // Starts the header collector afresh (hunting for "*" ZDLE).
    void StartHeader();
    // One byte into the header collector: kZPending, kZHeaderDone (the header
    // is in RxType and RxHeader), kZBadCheck or kZCancelled.
    uint16_t FeedHeader(uint8_t c);
    // Starts collecting a data subpacket of at most maxLength bytes, checked
    // with CRC-32 when crc32.
    void StartData(size_t maxLength, bool crc32);
    // One byte into the data collector: kZPending, one of the four ends
    // (the data are in Data, DataCount), kZBadCheck, kZOverlong or
    // kZCancelled.
    uint16_t FeedData(uint8_t c) {
        // A plain data byte (no control character, no escape pending) is
        // the common case of a streamed file and is taken here.
        if ((c & 0x60) != 0 && !escape_ && !inCrc_ && trailer_ == 0 && DataCount < dataMax_) {
            CanCount = 0;
            Data[DataCount++] = c;
            return kZPending;
        }
        return FeedDataByte(c);
    }
    // The same for a run of bytes, stopping after the byte that gave a
    // result other than kZPending (in result); returns the bytes used.
    size_t FeedDataRun(const uint8_t* bytes, size_t count, uint16_t& result);

    bool Crc32Allowed = true;  // negotiated: the other side takes CRC-32
    bool UseCrc32 = true;      // the binary header being sent or read uses CRC-32
    bool EscapeAll = false;    // escape every control character
    uint8_t LastSent = 0;      // last byte sent, for the CR after "@"
    uint8_t LastTypeSent = 0;
    uint8_t CanCount = 0;

    uint8_t RxType = 0;
    uint8_t RxHeader[4] = {};
    bool RxBinary32 = false;  // the last header received was a CRC-32 binary one
    uint8_t Data[kZBlockMax] = {};
    size_t DataCount = 0;
    uint8_t DataEnd = 0;

  private:
    uint16_t FeedDataByte(uint8_t c);
    void Escaped(uint8_t c, uint8_t*& out);
    void Put(uint8_t c);
    void PutEscaped(uint8_t c);
    void CountError(bool block, const char* text, uint16_t notice);
    // Decodes one byte of a binary field: -1 when it gives nothing yet
    // (skipped, or the ZDLE of an escape), else the value, or 0x100 + end
    // for a subpacket end; sets cancel on a run of CAN.
    int Decode(uint8_t c, bool& cancel);

    TransferPort& port_;
    ProtocolRecord* proto_;

    // Header collector.
    enum HeaderState : uint8_t { kHunt, kGotPad, kGotZdle, kHex, kBinary };
    HeaderState hState_ = kHunt;
    bool hex_ = false;
    bool lastWasHex_ = false;
    uint8_t raw_[9] = {};  // type, four bytes, up to four CRC bytes
    uint8_t rawCount_ = 0;
    uint8_t rawWant_ = 0;
    uint8_t hexNibble_ = 0;
    bool hexHigh_ = true;
    bool escape_ = false;

    // Data collector.
    size_t dataMax_ = kZBlockMax;
    bool dataCrc32_ = false;
    bool inCrc_ = false;
    // After a hex header: its CR and the byte after it are not data.
    uint8_t trailer_ = 0;
    uint8_t crcBytes_[4] = {};
    uint8_t crcCount_ = 0;
};

}  // namespace transfer
