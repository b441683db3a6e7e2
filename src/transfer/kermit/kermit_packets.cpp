#include "transfer/kermit/kermit_packets.h"

#include <algorithm>
#include <cstring>

#include "transfer/block_checks.h"

namespace transfer::kermit {

KermitOptions RemoteDefaults() {
    KermitOptions o;
    o.HighBitPrefix = ' ';
    o.RepeatPrefix = ' ';
    return o;
}

std::string EncodeSendInit(const KermitOptions& o) {
    std::string s;
    s += char(ToChar(o.MaxLen));
    s += char(ToChar(o.Timeout));
    s += char(ToChar(o.PadCount));
    s += char(Ctl(o.PadChar));
    s += char(ToChar(o.Eol));
    s += char(o.CtlPrefix);
    s += char(o.HighBitPrefix);
    s += char(o.CheckType);
    s += char(o.RepeatPrefix);
    s += char(ToChar(o.Capabilities & 0x3E));
    s += char(ToChar(o.WindowSize & 31));
    s += char(ToChar(o.MaxLenExt / 95 % 95));
    s += char(ToChar(o.MaxLenExt % 95));
    return s;
}

KermitOptions DecodeSendInit(const uint8_t* data, size_t length) {
    KermitOptions o = RemoteDefaults();
    size_t i = 0;
    auto next = [&](uint8_t& field) {
        if (i >= length) return false;
        field = data[i++];
        return true;
    };
    uint8_t c = 0;
    if (next(c)) o.MaxLen = UnChar(c);
    if (next(c)) o.Timeout = UnChar(c);
    if (next(c)) o.PadCount = UnChar(c);
    if (next(c)) o.PadChar = Ctl(c);
    if (next(c)) o.Eol = UnChar(c);
    if (next(c)) o.CtlPrefix = c;
    if (next(c)) o.HighBitPrefix = c;
    if (next(c)) o.CheckType = c;
    if (next(c)) o.RepeatPrefix = c;
    if (!next(c)) return o;
    o.Capabilities = UnChar(c);
    uint8_t more = o.Capabilities;
    while ((more & 1) && next(c)) more = UnChar(c);
    if (next(c)) o.WindowSize = UnChar(c);
    uint8_t high = 0, low = 0;
    if (next(high) && next(low)) o.MaxLenExt = uint16_t(UnChar(high) % 95 * 95 + UnChar(low) % 95);
    return o;
}

Agreement Negotiate(KermitOptions& own, const KermitOptions& remote, bool asReceiver) {
    Agreement a;
    a.Repeat = remote.RepeatPrefix == own.RepeatPrefix && ValidPrefix(own.RepeatPrefix);
    if (ValidPrefix(remote.HighBitPrefix) && own.HighBitPrefix != 'N') {
        own.HighBitPrefix = remote.HighBitPrefix;
        a.HighBit = true;
    } else if (ValidPrefix(own.HighBitPrefix) && remote.HighBitPrefix == 'Y') {
        a.HighBit = true;
    }
    if (a.HighBit) a.HighBitPrefix = own.HighBitPrefix;

    if ((own.Capabilities & kCapaLongPackets) && (remote.Capabilities & kCapaLongPackets)) {
        a.LongPackets = true;
        const uint16_t max = remote.MaxLenExt == 0 ? 500 : remote.MaxLenExt;
        a.SendMax = uint16_t(std::clamp<unsigned>(max, 10, kDataBufferSize));
    } else {
        own.Capabilities &= uint8_t(~kCapaLongPackets);
        const unsigned max = remote.MaxLen == 0 ? 80 : remote.MaxLen;
        a.SendMax = uint16_t(std::clamp<unsigned>(max, 10, 94));
    }

    if ((own.Capabilities & kCapaWindows) && (remote.Capabilities & kCapaWindows)) {
        const unsigned n = std::min<unsigned>({own.WindowSize, remote.WindowSize, kMaxWindowSlots});
        a.Windows = uint8_t(std::max(n, 1u));
    } else {
        own.Capabilities &= uint8_t(~kCapaWindows);
        a.Windows = 1;
    }

    const bool known = remote.CheckType >= '1' && remote.CheckType <= '3';
    if (asReceiver) {
        own.CheckType = known ? remote.CheckType : '1';
        a.CheckType = own.CheckType;
    } else {
        a.CheckType = known && remote.CheckType == own.CheckType ? own.CheckType : '1';
    }
    return a;
}

size_t DataCapacity(const Agreement& a) {
    const long overhead = a.LongPackets ? 10 : long(2 + CheckLength(a.CheckType));
    return size_t(std::clamp<long>(long(a.SendMax) - overhead, 1, long(kDataBufferSize)));
}

void AppendCheck(std::vector<uint8_t>& out, const uint8_t* chars, size_t count, uint8_t checkType) {
    if (checkType == '3') {
        uint16_t crc = 0;
        for (size_t i = 0; i < count; ++i) crc = UpdateKermitCrc(chars[i], crc);
        out.push_back(ToChar((crc >> 12) & 15));
        out.push_back(ToChar((crc >> 6) & 63));
        out.push_back(ToChar(crc & 63));
        return;
    }
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) sum += chars[i];
    if (checkType == '2') {
        out.push_back(ToChar((sum >> 6) & 63));
        out.push_back(ToChar(sum & 63));
    } else {
        const unsigned s = sum & 0xFF;
        out.push_back(ToChar((s + (s >> 6)) & 63));
    }
}

void BuildPacket(std::vector<uint8_t>& out, uint8_t type, uint8_t seq, const uint8_t* data,
                 size_t length, uint8_t checkType, uint8_t padCount, uint8_t padChar, uint8_t eol) {
    out.clear();
    out.insert(out.end(), padCount, padChar);
    out.push_back(kMark);
    const size_t start = out.size();
    const size_t checkLen = CheckLength(checkType);
    const size_t total = 2 + checkLen + length;
    if (total <= 94) {
        out.push_back(ToChar(unsigned(total)));
        out.push_back(ToChar(seq & 63));
        out.push_back(type);
    } else {
        const size_t rest = length + checkLen;
        out.push_back(ToChar(0));
        out.push_back(ToChar(seq & 63));
        out.push_back(type);
        out.push_back(ToChar(unsigned(rest / 95)));
        out.push_back(ToChar(unsigned(rest % 95)));
        unsigned s = 0;
        for (size_t i = start; i < out.size(); ++i) s += out[i];
        s &= 0xFF;
        out.push_back(ToChar((s + (s >> 6)) & 63));
    }
    out.insert(out.end(), data, data + length);
    std::vector<uint8_t> check;
    AppendCheck(check, out.data() + start, out.size() - start, checkType);
    out.insert(out.end(), check.begin(), check.end());
    out.push_back(eol);
}

PacketReader::Result PacketReader::Feed(uint8_t c) {
    if (c == kMark) {
        state_ = kLen;
        headerLen_ = 0;
        return Result::kIncomplete;
    }
    auto bad = [this] {
        state_ = kWaitMark;
        return Result::kBad;
    };
    switch (state_) {
        case kWaitMark:
            return Result::kIncomplete;
        case kLen:
            if (c < 32) return bad();
            header_[headerLen_++] = c;
            long_ = UnChar(c) == 0;
            state_ = kSeq;
            return Result::kIncomplete;
        case kSeq:
            if (c < 32 || UnChar(c) > 63) return bad();
            header_[headerLen_++] = c;
            Seq = UnChar(c);
            state_ = kType;
            return Result::kIncomplete;
        case kType: {
            header_[headerLen_++] = c;
            Type = c;
            // Send-Init packets and their answers are always checked with type 1.
            used_ = (Type == 'S' || Type == 'I') ? uint8_t('1') : checkType_;
            Length = 0;
            checkGot_ = 0;
            if (long_) {
                state_ = kLenX1;
                return Result::kIncomplete;
            }
            const size_t n = UnChar(header_[0]);
            if (n < 2 + CheckLength(used_)) return bad();
            want_ = n - 2 - CheckLength(used_);
            state_ = want_ ? kData : kCheck;
            return Result::kIncomplete;
        }
        case kLenX1:
        case kLenX2:
            if (c < 32) return bad();
            header_[headerLen_++] = c;
            state_ = state_ == kLenX1 ? kLenX2 : kHCheck;
            return Result::kIncomplete;
        case kHCheck: {
            unsigned s = 0;
            for (size_t i = 0; i < 5; ++i) s += header_[i];
            s &= 0xFF;
            if (c != ToChar((s + (s >> 6)) & 63)) return bad();
            const size_t rest = size_t(UnChar(header_[3])) * 95 + UnChar(header_[4]);
            if (rest < CheckLength(used_)) return bad();
            want_ = rest - CheckLength(used_);
            if (want_ > kDataBufferSize) return bad();
            state_ = want_ ? kData : kCheck;
            return Result::kIncomplete;
        }
        case kData:
            Data[Length++] = c;
            if (Length == want_) state_ = kCheck;
            return Result::kIncomplete;
        case kCheck:
            check_[checkGot_++] = c;
            if (checkGot_ < CheckLength(used_)) return Result::kIncomplete;
            state_ = kWaitMark;
            return Finish();
    }
    return Result::kIncomplete;
}

PacketReader::Result PacketReader::Finish() {
    std::vector<uint8_t> chars(header_, header_ + headerLen_);
    if (long_) {
        unsigned s = 0;
        for (size_t i = 0; i < 5; ++i) s += header_[i];
        s &= 0xFF;
        chars.push_back(ToChar((s + (s >> 6)) & 63));
    }
    chars.insert(chars.end(), Data, Data + Length);
    std::vector<uint8_t> expected;
    AppendCheck(expected, chars.data(), chars.size(), used_);
    if (!std::equal(expected.begin(), expected.end(), check_)) return Result::kBad;
    return Result::kPacket;
}

Prefixes PrefixesOf(const Agreement& a, const KermitOptions& own) {
    Prefixes p;
    p.Ctl = own.CtlPrefix;
    p.HighBit = a.HighBit ? a.HighBitPrefix : 0;
    p.Repeat = a.Repeat ? own.RepeatPrefix : 0;
    return p;
}

namespace {

// One byte's characters, without a repeat count: at most 4.
size_t EncodeByte(uint8_t c, const Prefixes& p, uint8_t* out) {
    size_t n = 0;
    if (p.HighBit) {
        if ((c & 0x7F) == p.HighBit) {
            if (c & 0x80) out[n++] = p.HighBit;
            out[n++] = p.Ctl;
            out[n++] = p.HighBit;
            return n;
        }
        if (c & 0x80) {
            out[n++] = p.HighBit;
            c &= 0x7F;
        }
    }
    const uint8_t low = c & 0x7F;
    if (low < 32 || low == 127) {
        out[n++] = p.Ctl;
        out[n++] = Ctl(c);
    } else if (low == p.Ctl || (p.Repeat && low == p.Repeat)) {
        out[n++] = p.Ctl;
        out[n++] = c;
    } else {
        out[n++] = c;
    }
    return n;
}

}  // namespace

size_t EncodeData(const uint8_t* data, size_t length, size_t pos, const Prefixes& p,
                  std::vector<uint8_t>& out, size_t capacity) {
    const size_t start = pos;
    size_t used = out.size();
    if (capacity <= used) return 0;
    // Characters go straight into the room up to the capacity; what is not
    // used is cut off at the end.
    out.resize(capacity);
    uint8_t chars[6];
    while (pos < length) {
        const uint8_t c = data[pos];
        size_t run = 1;
        if (p.Repeat) {
            while (pos + run < length && run < 94 && data[pos + run] == c) ++run;
        }
        size_t n = 0;
        if (run > 4) {
            chars[n++] = p.Repeat;
            chars[n++] = ToChar(unsigned(run));
        } else {
            run = 1;
        }
        n += EncodeByte(c, p, chars + n);
        if (used + n > capacity) break;
        std::memcpy(out.data() + used, chars, n);
        used += n;
        pos += run;
    }
    out.resize(used);
    return pos - start;
}

void DecodeData(const uint8_t* data, size_t length, const Prefixes& p, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < length) {
        uint8_t a = data[i++];
        size_t count = 1;
        if (p.Repeat && a == p.Repeat) {
            if (i + 1 >= length) return;
            count = UnChar(data[i++]);
            a = data[i++];
        }
        uint8_t high = 0;
        if (p.HighBit && a == p.HighBit) {
            if (i >= length) return;
            high = 0x80;
            a = data[i++];
        }
        if (a == p.Ctl) {
            if (i >= length) return;
            a = data[i++];
            const uint8_t low = a & 0x7F;
            if (low >= 0x3F && low <= 0x5F) a = Ctl(a);
        }
        out.insert(out.end(), count, uint8_t(a | high));
    }
}

Attributes ParseAttributes(const uint8_t* data, size_t length) {
    Attributes at;
    size_t i = 0;
    while (i + 1 < length) {
        const uint8_t tag = data[i];
        const size_t len = UnChar(data[i + 1]);
        i += 2;
        if (len > 94 || i + len > length) break;
        const uint8_t* value = data + i;
        i += len;
        if (tag != '!' && tag != '1') continue;
        if (len == 0 || len > 10) continue;
        int64_t v = 0;
        bool digits = true;
        for (size_t k = 0; k < len; ++k) {
            if (value[k] < '0' || value[k] > '9') digits = false;
            v = v * 10 + (value[k] - '0');
        }
        if (!digits) continue;
        if (tag == '!') {
            v *= 1024;
            if (v > 0x7FFFFFFF || at.HasSize) continue;
            at.HasSize = true;
            at.Size = int32_t(v);
        } else {
            if (v > 0x7FFFFFFF) continue;
            at.HasSize = true;
            at.Size = int32_t(v);
            break;
        }
    }
    return at;
}

}  // namespace transfer::kermit
