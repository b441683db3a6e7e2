// The plain table scan: every entry from the first one the indexes name to
// the end of the table, in order, with no candidate lists. The fast scan in
// recogniser.cpp must give the same results; tests and the fuzz target
// compare the two.

#include <algorithm>

#include "emulation/parser/recogniser_scan.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation::recogniser_detail {

namespace {

// Positions are 1-based as in B[1..L] and Seq[1..e].
struct View {
    const uint8_t* bytes;
    size_t length;
    uint8_t operator[](size_t position) const { return bytes[position - 1]; }
};

// The first position where the buffer and the entry's sequence differ within
// their common length, or that length + 1 when they agree throughout.
size_t FirstDifference(View b, View seq) {
    const size_t n = std::min(b.length, seq.length);
    size_t d = 1;
    while (d <= n && b[d] == seq[d]) ++d;
    return d;
}

}  // namespace

RecogniseStatus ScanReference(const ScanRequest& rq, TermOp& op, TermOpParams& params) {
    const TermFamilyTable& family = *rq.family;
    const bool csi = family.CsiSequences != 0;
    const View B{rq.bytes, rq.length};
    const size_t L = rq.length;
    const uint8_t last = rq.last;
    const uint32_t count = std::min<uint32_t>(family.SeqCount, kMaxSeqCount);

    bool open = false;
    const TermSeqEntry* matched = nullptr;
    for (uint32_t i = std::max<uint32_t>(rq.first, 1); i <= count && matched == nullptr; ++i) {
        const TermSeqEntry& entry = family.SeqTable[i - 1];
        const View seq{entry.Seq.data(), std::min<size_t>(entry.Seq.size(), 8)};
        const size_t e = seq.length;
        if (e == 0) continue;
        const size_t d = FirstDifference(B, seq);
        const uint8_t k = entry.Kind;
        const uint8_t entryLast = seq[e];

        if (k == kSeqWhole && L < e && d > L) return RecogniseStatus::Incomplete;
        if (k == kSeqOpenString) {
            if (L + 1 < e && d > L) {
                open = true;
            } else if (d + 1 > e && L >= e && entryLast == last) {
                matched = &entry;
                break;
            } else if (d + 1 > e && L >= e && rq.state->OpenFinals.Has(last)) {
                open = true;
            } else if (e <= L + 1 && d + 1 > e) {
                return RecogniseStatus::Incomplete;
            }
        }
        if (!csi && k == kSeqParamList && e <= L + 1 && d + 1 > e) {
            if (entryLast == last) {
                matched = &entry;
                break;
            }
            if (IsIntermediate(last)) return RecogniseStatus::Incomplete;
        }
        if (((csi && k != kSeqWhole) || k == kSeqOpenString) && last == entryLast && d + 1 > e &&
            e <= L + 1) {
            matched = &entry;
            break;
        }
        if (d > e && L >= e) matched = &entry;
    }

    if (matched == nullptr) {
        if (L == 1 && B[1] == kEsc) return RecogniseStatus::Incomplete;
        if (csi && rq.controlSequence) return RecogniseStatus::Incomplete;
        if (open) return RecogniseStatus::Incomplete;
        if (csi && L >= 2 && B[1] == kEsc && B[2] == 'P') return RecogniseStatus::Incomplete;
        return RecogniseStatus::Discard;
    }

    const TermSeqEntry& entry = *matched;
    const size_t e = std::min<size_t>(entry.Seq.size(), 8);
    const uint8_t k = entry.Kind;
    op = entry.Op;
    size_t p = ((csi && k != kSeqWhole) || (!csi && k == kSeqParamList)) ? e : e + 1;
    bool present[kTermOpParamCount] = {};
    const size_t paramCount = std::min<size_t>(entry.Count, kTermOpParamCount);

    if (k != kSeqExact) {
        for (size_t i = 1; i <= paramCount; ++i) {
            if (p > L) return RecogniseStatus::Incomplete;
            if (k == kSeqRawBytes || k == kSeqWhole) {
                params[i - 1] = B[p] + entry.Bias;
                p += 1;
            } else if (k == kSeqLowBits) {
                params[i - 1] = (B[p] & 0x1F) + entry.Bias;
                p += 1;
            } else if (k == kSeqPackedDecimal) {
                params[i - 1] = 10 * ((B[p] & 0x70) / 16) + (B[p] & 0x0F) + entry.Bias;
                p += 1;
            } else if (k == kSeqNumbers || k == kSeqParamList) {
                int64_t value = 0;
                while (p <= L && B[p] >= '0' && B[p] <= '9') {
                    value = value * 10 + (B[p] - '0');
                    if (value > kTermParamMax) value = kTermParamMax;
                    present[i - 1] = true;
                    p += 1;
                }
                if (present[i - 1]) params[i - 1] = static_cast<int32_t>(value);
                if (k == kSeqParamList && p == L) break;
                if (p > L) return RecogniseStatus::Incomplete;
                if (k == kSeqParamList && B[p] != static_cast<uint8_t>(family.ParamSeparator) &&
                    !IsIntermediate(B[p]))
                    return RecogniseStatus::Discard;
                if (k == kSeqParamList && B[p] == static_cast<uint8_t>(family.ParamSeparator) &&
                    paramCount > i)
                    present[i] = true;
                p += 1;
            }
        }
    }

    if (op == OpFieldAttribute || op == OpFieldAttributeNoSpace || op == OpViewpointAttribute ||
        op == OpWyseAttribute) {
        const int32_t raw = params[0];
        params[1] = static_cast<int32_t>(entry.Bias);
        params[0] = 0;
        for (int j = 1; j <= 7; ++j)
            if ((family.AttrMasks[j - 1] & raw) != 0) params[0] |= 1 << (j - 1);
    }
    if (op == OpSetProtectAttribute) {
        const int32_t raw = params[0];
        int32_t bits = 0;
        if (raw & 0x01) bits |= 0x01;
        if (raw & 0x02) bits |= 0x02;
        if (raw & 0x10) bits |= 0x04;
        if (raw & 0x20) bits |= 0x08;
        if (raw & 0x04) bits |= 0x10;
        params[0] = bits;
    }
    if (k == kSeqOpenString) params[0] = static_cast<int32_t>(e);
    if (k == kSeqParamList)
        for (size_t i = 0; i < kTermOpParamCount; ++i)
            if (!present[i]) params[i] = static_cast<int32_t>(entry.Bias);
    return RecogniseStatus::Recognised;
}

}  // namespace emulation::recogniser_detail
