#pragma once
// The Kermit wire format: packet framing with its three block checks and the
// long-packet header, the Send-Init parameters and their negotiation, the
// prefix encoding of file data and its decoding, and the attribute packet.
// Pure functions and a byte-fed packet reader, shared by both Kermits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace transfer::kermit {

inline constexpr uint8_t kMark = 0x01;
// The packet data buffer: no packet carries more data characters than this.
inline constexpr size_t kDataBufferSize = 1024;
// Window slots the engine's table holds.
inline constexpr uint8_t kMaxWindowSlots = 27;

// Capability bits of the Send-Init.
inline constexpr uint8_t kCapaLongPackets = 0x02;
inline constexpr uint8_t kCapaWindows = 0x04;
inline constexpr uint8_t kCapaAttributes = 0x08;

inline constexpr uint8_t ToChar(unsigned x) {
    return uint8_t(x + 32);
}
inline constexpr uint8_t UnChar(uint8_t x) {
    return uint8_t(x - 32);
}
inline constexpr uint8_t Ctl(uint8_t x) {
    return uint8_t(x ^ 64);
}
inline constexpr uint8_t NextSeq(unsigned n) {
    return uint8_t((n + 1) & 63);
}
inline constexpr uint8_t PrevSeq(unsigned n) {
    return uint8_t((n + 63) & 63);
}
// A printable character another prefix may use (33..62 or 96..126).
inline constexpr bool ValidPrefix(uint8_t c) {
    return (c >= 33 && c <= 62) || (c >= 96 && c <= 126);
}
// Check characters of a block check type "1", "2" or "3".
inline constexpr size_t CheckLength(uint8_t checkType) {
    return checkType == '2' ? 2 : checkType == '3' ? 3 : 1;
}

// The parameters one side states in its Send-Init.
struct KermitOptions {
    uint8_t MaxLen = 80;
    uint8_t Timeout = 5;
    uint8_t PadCount = 0;
    uint8_t PadChar = 0;
    uint8_t Eol = 13;
    uint8_t CtlPrefix = '#';
    uint8_t HighBitPrefix = 'Y';
    uint8_t CheckType = '1';
    uint8_t RepeatPrefix = '~';
    uint8_t Capabilities = 0;
    uint8_t WindowSize = 0;
    uint16_t MaxLenExt = 0;
};

// What is assumed of the other side before its Send-Init arrives, and of any
// field it leaves out.
KermitOptions RemoteDefaults();

// The 13 Send-Init characters of the options.
std::string EncodeSendInit(const KermitOptions& o);
// The other side's options from its Send-Init data; fields it leaves out keep
// RemoteDefaults. Further capability bytes (each announced by bit 0 of the one
// before) are skipped, so that the window and long-packet fields are read
// where the sender put them.
KermitOptions DecodeSendInit(const uint8_t* data, size_t length);

// What both sides agreed.
struct Agreement {
    bool Repeat = false;
    bool HighBit = false;
    uint8_t HighBitPrefix = ' ';
    bool LongPackets = false;
    // The longest packet this side may send, as the other side accepts it.
    uint16_t SendMax = 80;
    uint8_t Windows = 1;
    uint8_t CheckType = '1';
};

// Settles the options of both sides. own may change (the check type a
// receiver adopts, the 8th-bit prefix, the capability bits). Long packets
// are used only when this side offered them and the other side accepts them.
Agreement Negotiate(KermitOptions& own, const KermitOptions& remote, bool asReceiver);

// The data characters a packet of the agreement may carry, never more than
// the data buffer and never below 1.
size_t DataCapacity(const Agreement& a);

// A whole packet: pads, mark, header (long when the length needs it), data,
// check and end of line.
void BuildPacket(std::vector<uint8_t>& out, uint8_t type, uint8_t seq, const uint8_t* data,
                 size_t length, uint8_t checkType, uint8_t padCount, uint8_t padChar, uint8_t eol);
// The check characters of the given packet characters (those after the mark).
void AppendCheck(std::vector<uint8_t>& out, const uint8_t* chars, size_t count, uint8_t checkType);

// Reads packets one byte at a time. A mark anywhere starts a new packet; a
// packet whose check fails, whose length is impossible or whose data would
// not fit the data buffer is dropped and reported as bad.
class PacketReader {
  public:
    enum class Result { kIncomplete, kPacket, kBad };
    // The check type in force for packets other than Send-Init ones, which
    // always carry type "1".
    void SetCheckType(uint8_t checkType) { checkType_ = checkType; }
    void Reset() { state_ = kWaitMark; }
    Result Feed(uint8_t c);

    uint8_t Type = 0;
    uint8_t Seq = 0;
    uint8_t Data[kDataBufferSize] = {};
    size_t Length = 0;

  private:
    enum State : uint8_t { kWaitMark, kLen, kSeq, kType, kLenX1, kLenX2, kHCheck, kData, kCheck };
    Result Finish();

    uint8_t checkType_ = '1';
    uint8_t used_ = '1';
    State state_ = kWaitMark;
    uint8_t header_[5] = {};
    size_t headerLen_ = 0;
    bool long_ = false;
    uint8_t check_[3] = {};
    size_t checkGot_ = 0;
    size_t want_ = 0;
};

// The prefixes in force for data.
struct Prefixes {
    uint8_t Ctl = '#';
    uint8_t HighBit = 0;  // 0: no 8th-bit prefixing
    uint8_t Repeat = 0;   // 0: no repeat counts
};
Prefixes PrefixesOf(const Agreement& a, const KermitOptions& own);

// Encodes bytes from data[pos..length) into out, at most capacity characters;
// returns the bytes consumed. Runs longer than 4 (at most 94) get a repeat
// count.
size_t EncodeData(const uint8_t* data, size_t length, size_t pos, const Prefixes& p,
                  std::vector<uint8_t>& out, size_t capacity);
// Decodes packet data, appending the bytes to out.
void DecodeData(const uint8_t* data, size_t length, const Prefixes& p, std::vector<uint8_t>& out);

// The attributes the engine uses from an "A" packet; a value longer than its
// 10-character field is not a number this side can hold and is ignored.
struct Attributes {
    bool HasSize = false;
    int32_t Size = 0;
};
Attributes ParseAttributes(const uint8_t* data, size_t length);

}  // namespace transfer::kermit
