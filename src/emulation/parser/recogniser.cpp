#include "emulation/parser/recogniser.h"

#include <algorithm>
#include <cstring>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "emulation/types/emulator_state.h"
#include "emulation/parser/recogniser_scan.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {

using enum commands::GSetCode;

constinit SeqBufferText SeqBuffer{};

namespace {

using namespace recogniser_detail;

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kEm = 0x19;
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kStringTerminator = 0x9C;

class NeutralSource final : public RecogniserSource {
  public:
    bool ReadWaitingByte(bool, bool, uint8_t&) override { return false; }
    uint16_t ScreenWidth() override { return 80; }
};

constinit NeutralSource neutralSource;
constinit RecogniserSource* source = &neutralSource;

// ---------------------------------------------------------------------------
// Candidate lists. For a given buffer only a few entries of a table can give
// any outcome (a match, "incomplete" or an open string); the lists below hold,
// in table order, a superset of those entries for each kind of buffer, so the
// scan visits them instead of the whole table. Entries are 1-based numbers.

struct CompiledEntry {
    uint8_t seq[8];
    uint8_t length;
    uint8_t kind;
    uint8_t count;
    int8_t bias;
    uint16_t op;
    bool finalForm;  // may match as prefix, parameters and final byte
    // ESC [ <final> taking a decimal list with ';' between the numbers, whose
    // operation takes them as they are (see ReadParameters).
    bool plainList;
};

constexpr bool IsDigitOrSeparator(uint8_t b) { return (b >= '0' && b <= '9') || b == ';'; }

// Reads the decimal number at 1-based position p of the first `length` bytes,
// capped at the largest parameter; false when no digit stands there.
template <typename Bytes>
inline bool ReadDecimal(const Bytes& b, size_t length, size_t& p, int64_t& value) {
    bool digits = false;
    while (p <= length && b[p - 1] >= '0' && b[p - 1] <= '9') {
        value = std::min<int64_t>(value * 10 + (b[p - 1] - '0'), kTermParamMax);
        digits = true;
        ++p;
    }
    return digits;
}

struct ListSpan {
    uint16_t start;
    uint16_t count;
};

constexpr size_t kListPoolSize = 16384;

struct FastIndex {
    const TermFamilyTable* family;
    bool built;
    bool usable;
    bool csi;
    CompiledEntry entries[kMaxSeqCount + 1];
    ListSpan escSecond[256];  // buffer ESC b: by b
    ListSpan byFirst[256];    // buffer not beginning with ESC: by its first byte
    ListSpan lastOnly[256];   // one-byte entries that fit by the buffer's last byte
    ListSpan csiFinal[256];   // clean control sequence of a CSI family: by its final byte
    // Control sequences whose parameters are only digits and separators:
    // when no entry spells out digits or separators for a final byte, the
    // entry they match depends only on that byte and on whether parameters
    // are there at all, so it is remembered after the first scan (0: not yet).
    bool digitsSpelled[256];
    RememberedDigitsTable digits;
    size_t used;
    uint8_t pool[kListPoolSize];
};

// The six families' sequence tables never change, so their lists are built
// once, on first use; any other table (tests build their own) gets the spare
// slot, rebuilt whenever the indexes are built for it.
constinit FastIndex familyIndexes[kTermFamilyCount]{};
constinit FastIndex otherIndex{};

template <class Pred>
ListSpan AddList(FastIndex& ix, uint32_t entryCount, Pred pred) {
    ListSpan span{static_cast<uint16_t>(std::min(ix.used, kListPoolSize)), 0};
    for (uint32_t i = 1; i <= entryCount; ++i) {
        if (!pred(ix.entries[i])) continue;
        if (ix.used >= kListPoolSize) {
            ix.usable = false;
            return {0, 0};
        }
        ix.pool[ix.used++] = static_cast<uint8_t>(i);
        ++span.count;
    }
    return span;
}

void BuildFastIndex(FastIndex& ix, const TermFamilyTable& family) {
    ix.family = &family;
    ix.built = true;
    ix.usable = true;
    ix.csi = family.CsiSequences != 0;
    ix.used = 0;
    const uint32_t n = std::min<uint32_t>(family.SeqCount, kMaxSeqCount);
    for (uint32_t i = 1; i <= n; ++i) {
        const TermSeqEntry& src = family.SeqTable[i - 1];
        CompiledEntry& en = ix.entries[i];
        en.length = static_cast<uint8_t>(std::min<size_t>(src.Seq.size(), 8));
        std::copy_n(src.Seq.data(), 8, en.seq);
        en.kind = src.Kind;
        en.count = src.Count;
        en.bias = src.Bias;
        en.op = src.Op;
        en.finalForm = (ix.csi && src.Kind != kSeqWhole) || src.Kind == kSeqOpenString;
        en.plainList = en.kind == kSeqParamList && en.length == 3 &&
                       !(en.op >= OpFieldAttribute && en.op <= OpWyseAttribute) &&
                       en.op != OpSetProtectAttribute && family.ParamSeparator == ';';
    }
    std::fill(std::begin(ix.digitsSpelled), std::end(ix.digitsSpelled), false);
    ix.digits.Family = &family;
    for (auto& row : ix.digits.ByFinal) row[0] = row[1] = RememberedDigitsEntry{};
    for (uint32_t i = 1; i <= n; ++i) {
        const CompiledEntry& en = ix.entries[i];
        if (en.length < 3 || en.seq[0] != kEsc || en.seq[1] != '[') continue;
        bool spelled = false;
        for (size_t j = 2; j < en.length; ++j)
            spelled = spelled || IsDigitOrSeparator(en.seq[j]);
        if (!spelled) continue;
        const uint8_t final = en.seq[en.length - 1];
        if (IsIntermediate(final)) {
            // Such an entry stands beside every final byte.
            std::fill(std::begin(ix.digitsSpelled), std::end(ix.digitsSpelled), true);
        } else {
            ix.digitsSpelled[final] = true;
        }
    }
    const bool csi = ix.csi;
    // Entries of one or two bytes whose outcome does not depend on the buffer's
    // second byte.
    auto anySecond = [csi](const CompiledEntry& en) {
        return en.length == 1 || (en.length == 2 && (en.finalForm || en.kind == kSeqOpenString ||
                                                     (!csi && en.kind == kSeqParamList)));
    };
    for (unsigned x = 0; x < 256; ++x) {
        const uint8_t b = static_cast<uint8_t>(x);
        ix.escSecond[x] = AddList(ix, n, [&](const CompiledEntry& en) {
            return en.length > 0 && en.seq[0] == kEsc && (anySecond(en) || en.seq[1] == b);
        });
        ix.byFirst[x] = AddList(
            ix, n, [&](const CompiledEntry& en) { return en.length > 0 && en.seq[0] == b; });
        ix.lastOnly[x] = AddList(ix, n, [&](const CompiledEntry& en) {
            return en.length == 1 &&
                   (en.kind == kSeqOpenString || (!csi && en.kind == kSeqParamList) ||
                    (en.finalForm && en.seq[0] == b));
        });
        if (!csi) continue;
        // A clean control sequence is ESC [, bytes 0x20..0x3F, then the final byte b.
        ix.csiFinal[x] = AddList(ix, n, [&](const CompiledEntry& en) {
            if (en.length == 1)
                return en.seq[0] == kEsc || en.kind == kSeqOpenString ||
                       (en.finalForm && en.seq[0] == b);
            if (en.length == 0 || en.seq[0] != kEsc) return false;
            if (en.length == 2)
                return en.seq[1] == '[' || en.kind == kSeqOpenString ||
                       (en.finalForm && en.seq[1] == b);
            if (en.seq[1] != '[') return false;
            if (en.kind == kSeqOpenString) return true;
            bool allIntermediate = true;
            for (size_t j = 2; j < en.length; ++j) {
                if (en.seq[j] == b) return true;
                allIntermediate = allIntermediate && IsIntermediate(en.seq[j]);
            }
            return allIntermediate;
        });
    }
}

// The index asked for last; the current family is asked for again and again.
// RememberedDigits shows its remembered entries.
constinit FastIndex* lastIndex = nullptr;
constinit const RememberedDigitsTable noneRemembered{};

FastIndex& UseIndex(FastIndex& ix) {
    lastIndex = &ix;
    RememberedDigits = &ix.digits;
    return ix;
}

FastIndex& FindIndex(const TermFamilyTable& family, bool rebuild) {
    for (size_t i = 0; i < kTermFamilyCount; ++i) {
        if (TermFamilies[i] != &family) continue;
        if (!familyIndexes[i].built) BuildFastIndex(familyIndexes[i], family);
        return UseIndex(familyIndexes[i]);
    }
    if (rebuild || otherIndex.family != &family) BuildFastIndex(otherIndex, family);
    return UseIndex(otherIndex);
}

// An index is only ever built for the family it names, and the spare one is
// rebuilt only when asked to, so the last one answers for its family.
inline FastIndex& IndexFor(const TermFamilyTable& family, bool rebuild) {
    if (!rebuild && lastIndex != nullptr && lastIndex->family == &family) return *lastIndex;
    return FindIndex(family, rebuild);
}

enum class Outcome : uint8_t { Next, Match, Incomplete };

// One entry against the buffer. k is the length of the common prefix, so
// "the buffer and the entry agree before position x" is k >= x.
inline Outcome TryEntry(const CompiledEntry& en, const ScanRequest& rq, bool csi, bool& open) {
    const size_t e = en.length;
    if (e == 0) return Outcome::Next;
    const size_t length = rq.length;
    const uint8_t last = rq.last;
    const size_t m = std::min(length, e);
    size_t k = 0;
    while (k < m && rq.bytes[k] == en.seq[k]) ++k;
    const uint8_t final = en.seq[e - 1];

    if (en.kind == kSeqWhole && length < e && k >= length) return Outcome::Incomplete;
    if (en.kind == kSeqOpenString) {
        if (length + 1 < e && k >= length) {
            open = true;
        } else if (k + 1 >= e && length >= e && final == last) {
            return Outcome::Match;
        } else if (k + 1 >= e && length >= e && rq.state->OpenFinals.Has(last)) {
            open = true;
        } else if (e <= length + 1 && k + 1 >= e) {
            return Outcome::Incomplete;
        }
    }
    if (!csi && en.kind == kSeqParamList && e <= length + 1 && k + 1 >= e) {
        if (final == last) return Outcome::Match;
        if (IsIntermediate(last)) return Outcome::Incomplete;
    }
    if (en.finalForm && last == final && k + 1 >= e && e <= length + 1) return Outcome::Match;
    if (k >= e && length >= e) return Outcome::Match;
    return Outcome::Next;
}

// Reads the matched entry's parameters and finishes the operation.
RecogniseStatus ReadParameters(const CompiledEntry& en, const ScanRequest& rq, TermOp& op,
                               TermOpParams& params) {
    const TermFamilyTable& family = *rq.family;
    const bool csi = family.CsiSequences != 0;
    const size_t length = rq.length;
    const uint8_t* b = rq.bytes;
    op = en.op;
    // 1-based position of the first parameter byte.
    size_t p = ((csi && en.kind != kSeqWhole) || (!csi && en.kind == kSeqParamList))
                   ? en.length
                   : en.length + 1u;
    bool present[kTermOpParamCount] = {};
    const size_t count = std::min<size_t>(en.count, kTermOpParamCount);
    const uint8_t separator = static_cast<uint8_t>(family.ParamSeparator);

    // A parameter list whose operation takes the numbers as they are: one
    // pass that puts each number, or the bias where none is given, in place.
    if (en.kind == kSeqParamList && !(op >= OpFieldAttribute && op <= OpWyseAttribute) &&
        op != OpSetProtectAttribute) {
        TermOpParams out;
        out.fill(static_cast<int32_t>(en.bias));
        bool separated = false;
        for (size_t i = 0; i < count; ++i) {
            if (p > length) return RecogniseStatus::Incomplete;
            int64_t value = 0;
            const bool digits = ReadDecimal(b, length, p, value);
            if (digits) {
                out[i] = static_cast<int32_t>(value);
            } else if (separated) {
                out[i] = params[i];
            }
            if (p == length) break;
            if (p > length) return RecogniseStatus::Incomplete;
            const uint8_t c = b[p - 1];
            if (c != separator && !IsIntermediate(c)) return RecogniseStatus::Discard;
            separated = c == separator;
            ++p;
        }
        params = out;
        return RecogniseStatus::Recognised;
    }

    // Parameters past this one can only be absent.
    size_t reached = 0;
    if (en.kind != kSeqExact) {
        for (size_t i = 0; i < count; ++i) {
            reached = std::min(i + 2, kTermOpParamCount);
            if (p > length) return RecogniseStatus::Incomplete;
            const uint8_t at = b[p - 1];
            switch (en.kind) {
                case kSeqRawBytes:
                case kSeqWhole:
                    params[i] = at + en.bias;
                    ++p;
                    continue;
                case kSeqLowBits:
                    params[i] = (at & 0x1F) + en.bias;
                    ++p;
                    continue;
                case kSeqPackedDecimal:
                    params[i] = 10 * ((at & 0x70) >> 4) + (at & 0x0F) + en.bias;
                    ++p;
                    continue;
                case kSeqNumbers:
                case kSeqParamList:
                    break;
                default:
                    continue;
            }
            int64_t value = 0;
            const bool digits = ReadDecimal(b, length, p, value);
            if (digits) {
                present[i] = true;
                params[i] = static_cast<int32_t>(value);
            }
            if (en.kind == kSeqParamList && p == length) break;
            if (p > length) return RecogniseStatus::Incomplete;
            if (en.kind == kSeqParamList) {
                const uint8_t c = b[p - 1];
                if (c != separator && !IsIntermediate(c)) return RecogniseStatus::Discard;
                if (c == separator && i + 1 < count) present[i + 1] = true;
            }
            ++p;
        }
    }

    if (op >= OpFieldAttribute && op <= OpWyseAttribute) {
        const int32_t raw = params[0];
        int32_t bits = 0;
        for (int j = 0; j < 7; ++j)
            if ((family.AttrMasks[j] & raw) != 0) bits |= 1 << j;
        params[0] = bits;
        params[1] = static_cast<int32_t>(en.bias);
    } else if (op == OpSetProtectAttribute) {
        const int32_t raw = params[0];
        params[0] = ((raw & 0x01) ? 0x01 : 0) | ((raw & 0x02) ? 0x02 : 0) |
                    ((raw & 0x10) ? 0x04 : 0) | ((raw & 0x20) ? 0x08 : 0) |
                    ((raw & 0x04) ? 0x10 : 0);
    }
    if (en.kind == kSeqOpenString) params[0] = en.length;
    if (en.kind == kSeqParamList) {
        TermOpParams withBias;
        withBias.fill(static_cast<int32_t>(en.bias));
        for (size_t i = 0; i < reached; ++i)
            if (present[i]) withBias[i] = params[i];
        params = withBias;
    }
    return RecogniseStatus::Recognised;
}

RecogniseStatus NothingFits(const ScanRequest& rq, bool open) {
    const bool csi = rq.family->CsiSequences != 0;
    if (rq.length == 1 && rq.bytes[0] == kEsc) return RecogniseStatus::Incomplete;
    if (csi && rq.controlSequence) return RecogniseStatus::Incomplete;
    if (open) return RecogniseStatus::Incomplete;
    if (csi && rq.length >= 2 && rq.bytes[0] == kEsc && rq.bytes[1] == 'P')
        return RecogniseStatus::Incomplete;
    return RecogniseStatus::Discard;
}

bool IsCleanControlSequence(const ScanRequest& rq) {
    for (size_t i = 2; i + 1 < rq.length; ++i)
        if (!IsIntermediate(rq.bytes[i])) return false;
    return rq.length >= 3;
}

const uint8_t* SkipBefore(const uint8_t* begin, const uint8_t* end, uint32_t first) {
    if (first <= 1) return begin;
    return std::lower_bound(begin, end, first, [](uint8_t entry, uint32_t f) { return entry < f; });
}

// The entry the last indexed scan matched (0 when it matched none).
uint8_t lastMatchedEntry = 0;

RecogniseStatus ScanIndexed(const ScanRequest& rq, TermOp& op, TermOpParams& params) {
    lastMatchedEntry = 0;
    const FastIndex& ix = IndexFor(*rq.family, false);
    if (!ix.usable) return ScanReference(rq, op, params);

    ListSpan primary;
    ListSpan extra{0, 0};
    if (ix.csi && rq.controlSequence && IsCleanControlSequence(rq)) {
        primary = ix.csiFinal[rq.last];
    } else {
        primary = rq.bytes[0] == kEsc ? ix.escSecond[rq.bytes[1]] : ix.byFirst[rq.bytes[0]];
        extra = ix.lastOnly[rq.last];
    }
    const uint8_t* a =
        SkipBefore(ix.pool + primary.start, ix.pool + primary.start + primary.count, rq.first);
    const uint8_t* aEnd = ix.pool + primary.start + primary.count;
    const uint8_t* c =
        SkipBefore(ix.pool + extra.start, ix.pool + extra.start + extra.count, rq.first);
    const uint8_t* cEnd = ix.pool + extra.start + extra.count;

    bool open = false;
    while (a != aEnd || c != cEnd) {
        uint8_t index;
        if (c == cEnd || (a != aEnd && *a <= *c)) {
            index = *a++;
            if (c != cEnd && *c == index) ++c;
        } else {
            index = *c++;
        }
        const CompiledEntry& en = ix.entries[index];
        switch (TryEntry(en, rq, ix.csi, open)) {
            case Outcome::Next:
                break;
            case Outcome::Incomplete:
                return RecogniseStatus::Incomplete;
            case Outcome::Match:
                lastMatchedEntry = index;
                return ReadParameters(en, rq, op, params);
        }
    }
    return NothingFits(rq, open);
}

// A control sequence of a CSI family that holds only digits and separators
// between ESC [ and its final byte, whose entry the fast index remembers.
RememberedDigitsEntry* DigitsEntrySlot(FastIndex& ix, const uint8_t* buf, size_t length) {
    const uint8_t last = buf[length - 1];
    if (!ix.usable || !ix.csi || ix.digitsSpelled[last]) return nullptr;
    for (size_t i = 2; i + 1 < length; ++i)
        if (!IsDigitOrSeparator(buf[i])) return nullptr;
    return &ix.digits.ByFinal[last][length > 3 ? 1 : 0];
}

// Remembers entry (0: none) in slot, with what reading a list needs of it.
void Remember(RememberedDigitsEntry& slot, const FastIndex& ix, uint8_t entry) {
    const CompiledEntry& en = ix.entries[entry];
    slot.Entry = entry;
    slot.PlainList = entry != 0 && en.plainList;
    slot.Count = static_cast<uint8_t>(std::min<size_t>(en.count, kTermOpParamCount));
    slot.Bias = en.bias;
    slot.Op = en.op;
}

// Entries that an earlier, more general entry would take from them: in the
// CSI families, control sequences behind a bare ESC [ <final> entry of the same
// final byte (ESC [ = 2 8 l behind ESC [ l), and in the families with a lone-ESC
// fallback, sequences behind the fallback, which would keep collecting past
// them. A buffer that spells such an entry out exactly is that entry's; failing
// that, a control sequence with the entry's private marker (ESC [ = ... l) is.
struct LiteralEntries {
    const TermFamilyTable* family;
    uint16_t exactCount;
    uint16_t markedCount;
    uint8_t exact[kMaxSeqCount];   // 1-based, in table order
    uint8_t marked[kMaxSeqCount];  // 1-based, in table order
};
constinit LiteralEntries literalEntries{};

bool TakesNoParameters(const TermSeqEntry& entry) {
    return entry.Count == 0 && entry.Kind != kSeqParamList && entry.Kind != kSeqNumbers &&
           entry.Kind != kSeqOpenString;
}

void BuildLiteralEntries(const TermFamilyTable& family, const EmulatorStateData& st) {
    LiteralEntries& lit = literalEntries;
    lit.family = &family;
    lit.exactCount = lit.markedCount = 0;
    const bool csi = family.CsiSequences != 0;
    const uint32_t n = std::min<uint32_t>(family.SeqCount, kMaxSeqCount);
    uint32_t fallback = 0;
    uint32_t bare[256] = {};  // CSI: the first ESC [ <final> entry taking parameters
    for (uint32_t i = n; i >= 1; --i) {
        const TermSeqEntry& entry = family.SeqTable[i - 1];
        const ByteText<8>& seq = entry.Seq;
        if (seq.size() == 1 && seq[0] == kEsc && entry.Kind == kSeqRawBytes) fallback = i;
        if (csi && seq.size() == 3 && seq[0] == kEsc && seq[1] == '[' && entry.Kind != kSeqWhole)
            bare[seq[2]] = i;
    }
    for (uint32_t i = 1; i <= n; ++i) {
        const TermSeqEntry& entry = family.SeqTable[i - 1];
        const ByteText<8>& seq = entry.Seq;
        if (seq.size() < 3 || seq[0] != kEsc) continue;
        if (csi) {
            if (seq[1] != '[' || seq.size() < 4) continue;
            const uint32_t general = bare[seq[seq.size() - 1]];
            if (general == 0) continue;
            // Exact entries ahead of the bare one are listed too, so that a
            // marked entry further on never takes them.
            if (TakesNoParameters(entry)) {
                lit.exact[lit.exactCount++] = static_cast<uint8_t>(i);
            } else if (general < i && seq.size() == 4 && seq[2] >= '<' && seq[2] <= '?' &&
                       entry.Kind == kSeqParamList) {
                lit.marked[lit.markedCount++] = static_cast<uint8_t>(i);
            }
        } else if (fallback != 0 && i > fallback && TakesNoParameters(entry) &&
                   st.FirstEntryOf(seq[1]) < fallback) {
            lit.exact[lit.exactCount++] = static_cast<uint8_t>(i);
        }
    }
}

// The entry the buffer belongs to by the rule above, or 0.
uint32_t LiteralEntryFor(const TermFamilyTable& family, const SeqBufferText& buf) {
    const LiteralEntries& lit = literalEntries;
    if (lit.family != &family) return 0;
    for (uint16_t j = 0; j < lit.exactCount; ++j) {
        const ByteText<8>& seq = family.SeqTable[lit.exact[j] - 1].Seq;
        if (seq.size() == buf.size() && std::equal(seq.data(), seq.data() + seq.size(), buf.data()))
            return lit.exact[j];
    }
    for (uint16_t j = 0; j < lit.markedCount; ++j) {
        const ByteText<8>& seq = family.SeqTable[lit.marked[j] - 1].Seq;
        if (buf.size() >= 4 && buf[1] == '[' && buf[2] == seq[2] && buf[buf.size() - 1] == seq[3])
            return lit.marked[j];
    }
    return 0;
}

RecogniseStatus Recognise(TermOp& op, TermOp code) {
    op = code;
    return RecogniseStatus::Recognised;
}

// ---------------------------------------------------------------------------
// Two-step states: an operation put its sequence back and the bytes since are
// its string. The buffer must still begin with that sequence; when it does
// not (the executor emptied an overlong buffer), the state is over.

bool TwoStepHolds(uint8_t state, const SeqBufferText& buf) {
    static constexpr uint8_t kSecondByte[8] = {0, '[', '[', '[', 'z', 'c', 'P', '['};
    return state < 8 && buf.size() >= 2 && buf[0] == kEsc && buf[1] == kSecondByte[state];
}

bool EndsWith(const SeqBufferText& buf, std::initializer_list<uint8_t> tail) {
    if (buf.size() < tail.size()) return false;
    return std::equal(tail.begin(), tail.end(), buf.data() + buf.size() - tail.size());
}

RecogniseStatus DecodeTwoStep(TermOp& op, TermOpParams& params) {
    SeqBufferText& buf = SeqBuffer;
    const size_t length = buf.size();
    const uint8_t last = buf[length - 1];
    switch (EmulatorState.TwoStepState) {
        case 1:
            if (last == '1') return Recognise(op, OpC332VtModeOff);
            if (last == '2') return Recognise(op, OpC332VtModeOn);
            return RecogniseStatus::Discard;
        case 2:
            switch (last) {
                case 'b':
                case 'r':
                    return Recognise(op, kTermOpIgnore);
                case 'c':
                    return Recognise(op, OpHostStatusOff);
                case 'd':
                    return Recognise(op, OpTwoStepGs);
                case 'p':
                case 'q':
                    return Recognise(op, OpLoadC332Keys);
                default:
                    return RecogniseStatus::Discard;
            }
        case 3:
            if (last != kGs) return RecogniseStatus::Incomplete;
            op = OpHostStatusText;
            params[0] = 6;
            return RecogniseStatus::Recognised;
        case 4: {
            if (length < 3) return RecogniseStatus::Discard;
            const uint8_t kindByte = buf[2];
            if ((kindByte >= 0x40 && kindByte <= 0x4F) || (kindByte >= 0x60 && kindByte <= 0x6F)) {
                if (last != kDel && length < 67) return RecogniseStatus::Incomplete;
                op = OpWyseDefineKeyFromLabel;
                return RecogniseStatus::Recognised;
            }
            if ((kindByte >= 0x30 && kindByte <= 0x3F) || (kindByte >= 0x50 && kindByte <= 0x5F)) {
                params[0] = 3;
                op = OpWyseLabelText;
                if (last == kCr) return RecogniseStatus::Recognised;
                const size_t n = source->ScreenWidth() > 80            ? 7
                                 : (commands::Settings.Propagate != 0) ? 8
                                                                       : 9;
                if (length < n + 3) return RecogniseStatus::Incomplete;
                buf.push_back(kCr);
                return RecogniseStatus::Recognised;
            }
            return RecogniseStatus::Discard;
        }
        case 5:
            if (last != kEm && length < 38) return RecogniseStatus::Incomplete;
            op = OpLoadHexGlyphs;
            return RecogniseStatus::Recognised;
        case 6:
            if (!EndsWith(buf, {kEsc, '\\'}) && last != kStringTerminator)
                return RecogniseStatus::Incomplete;
            op = OpRequestSettingReply;
            return RecogniseStatus::Recognised;
        case 7:
            if (!EndsWith(buf, {kEsc, '[', '0', '$', '}'}) && !EndsWith(buf, {kEsc, '[', '$', '}'}))
                return RecogniseStatus::Incomplete;
            op = OpHostStatusLineEnd;
            return RecogniseStatus::Recognised;
        default:
            return RecogniseStatus::Discard;
    }
}

// Control bytes shown as characters under the control-display set 11.
bool ShownUnderSet11(uint8_t b) {
    return (b >= 0x01 && b <= 0x07) || b == 0x09 || b == 0x0B || (b >= 0x10 && b <= 0x1A) ||
           b >= 0x1C;
}

// The C1 bytes that stand for ESC and a second byte (VT types only).
bool IsSevenBitC1(uint8_t b) {
    return (b >= 0x84 && b <= 0x97) || (b >= 0x9B && b <= 0x9F);
}

// Everything before the table scan: two-step states, single control bytes,
// C1 forms, the control-sequence read-ahead and the C332 page select.
template <bool kRemember, class Scan>
RecogniseStatus Decode(TermOp& op, TermOpParams& params, Scan scan) {
    EmulatorStateData& st = EmulatorState;
    SeqBufferText& buf = SeqBuffer;
    const TermFamilyTable* family = st.CurrentTermFamily;
    if (family == nullptr || buf.empty()) return RecogniseStatus::Discard;

    if (st.TwoStepState != 0) {
        if (TwoStepHolds(st.TwoStepState, buf)) {
            const RecogniseStatus status = DecodeTwoStep(op, params);
            if (status != RecogniseStatus::Incomplete) st.TwoStepState = 0;
            return status;
        }
        st.TwoStepState = 0;
    }

    params.fill(0);
    const uint8_t b1 = buf[0];
    if (b1 < 0x20) {
        if ((st.GL == kGSetControlsShown || st.GL == kGSetOemControlsShown) && b1 != kEsc)
            return Recognise(op, OpShowControl);
        if (st.GL == kGSetSomeControlsShown && ShownUnderSet11(b1))
            return Recognise(op, OpShowControl);
        op = family->ControlOps[b1];
        if (op != kTermOpSequence) return RecogniseStatus::Recognised;
    }
    if (st.EmulationFamily == kEmulationVt && buf.size() == 1 && IsSevenBitC1(b1)) {
        buf.clear();
        buf.push_back(kEsc);
        buf.push_back(static_cast<uint8_t>(b1 - 0x40));
    }

    const bool controlSequence = buf.size() >= 2 && buf[0] == kEsc && buf[1] == '[';
    if (buf.size() < 2 && buf[0] != kDel) return RecogniseStatus::Incomplete;
    uint8_t last = buf[buf.size() - 1];
    uint32_t first = 1;
    const bool csi = family->CsiSequences != 0;
    if (controlSequence && csi) {
        const bool sevenBit = !(family->EightBit != 0 && !st.C332Mode);
        const bool skipNul = commands::Settings.IgnoreNul != 0;
        // Parameter bytes already waiting are taken now, within the buffer's room.
        source->ReadParameterBytes(sevenBit, skipNul, buf);
        last = buf[buf.size() - 1];
        if (buf.size() == 2 || IsIntermediate(last)) return RecogniseStatus::Incomplete;
        if (!st.CsiFinals.Has(last)) return RecogniseStatus::Discard;
        first = st.FirstEntryOf(last);
        if constexpr (kRemember) {
            if (!st.C332Mode) {
                FastIndex& ix = IndexFor(*family, false);
                if (RememberedDigitsEntry* slot = DigitsEntrySlot(ix, buf.data(), buf.size())) {
                    const ScanRequest request{family, &st, buf.data(), buf.size(), last, first, true};
                    if (slot->Entry != 0)
                        return ReadParameters(ix.entries[slot->Entry], request, op, params);
                    const RecogniseStatus status = ScanIndexed(request, op, params);
                    Remember(*slot, ix, lastMatchedEntry);
                    return status;
                }
            }
        }
    } else if (!csi && buf[0] == kEsc && buf.size() >= 2) {
        first = st.FirstEntryOf(buf[1]);
    }
    if (buf.size() >= 3 && buf[0] == kEsc) {
        if (const uint32_t literal = LiteralEntryFor(*family, buf); literal != 0) first = literal;
    }

    if (st.C332Mode && last == 'S' && buf.size() == 4) {
        op = OpSelectPage;
        params[0] = buf[2] - '0';
        return RecogniseStatus::Recognised;
    }

    const ScanRequest request{family, &st, buf.data(), buf.size(), last, first, controlSequence};
    return scan(request, op, params);
}

}  // namespace

void RecogniserSource::ReadParameterBytes(bool sevenBit, bool skipNul, SeqBufferText& buf) {
    uint8_t next;
    while (IsIntermediate(buf[buf.size() - 1]) && buf.size() < kSeqBufferSize &&
           ReadWaitingByte(sevenBit, skipNul, next))
        buf.push_back(next);
}

void SetRecogniserSource(RecogniserSource* newSource) {
    source = newSource != nullptr ? newSource : &neutralSource;
}

RecogniseStatus DecodeHostSequence(TermOp& op, TermOpParams& params) {
    return Decode<true>(op, params, ScanIndexed);
}

RecogniseStatus ReferenceDecodeHostSequence(TermOp& op, TermOpParams& params) {
    return Decode<false>(op, params, ScanReference);
}

uint32_t recogniser_detail::SaturatedDecimal(const uint8_t* digits, size_t length) {
    size_t p = 1;
    int64_t value = 0;
    ReadDecimal(digits, length, p, value);
    return static_cast<uint32_t>(value);
}

constinit const RememberedDigitsTable* RememberedDigits = &noneRemembered;

bool DecodeDigitsSequenceThroughIndex(const uint8_t* waiting, size_t waitingLength, uint8_t mask,
                                      uint8_t* text, TermOp& op, TermOpParams& params) {
    const EmulatorStateData& st = EmulatorState;
    const TermFamilyTable* family = st.CurrentTermFamily;
    const size_t length = waitingLength + 1;
    if (!recogniser_detail::WholeSequenceReadable(waiting, waitingLength, mask)) return false;
    const auto last = static_cast<uint8_t>(waiting[waitingLength - 1] & mask);
    if (!st.CsiFinals.Has(last)) return false;
    FastIndex& ix = IndexFor(*family, false);
    const RememberedDigitsEntry& remembered = ix.digits.ByFinal[last][length > 3 ? 1 : 0];
    if (remembered.Entry == 0) return false;
    text[0] = kEsc;
    text[1] = '[';
    text[length - 1] = last;
    if (remembered.PlainList)
        return recogniser_detail::ReadPlainList(waiting + 1, length - 3, mask, remembered, text + 2,
                                                op, params);
    for (size_t k = 2; k + 1 < length; ++k) text[k] = static_cast<uint8_t>(waiting[k - 1] & mask);
    const RememberedDigitsEntry* slot = DigitsEntrySlot(ix, text, length);
    if (slot == nullptr || slot->Entry == 0) return false;
    params.fill(0);
    const ScanRequest request{family, &st, text, length, last, st.FirstEntryOf(last), true};
    return ReadParameters(ix.entries[slot->Entry], request, op, params) ==
           RecogniseStatus::Recognised;
}

void BuildRecogniserIndexes() {
    EmulatorStateData& st = EmulatorState;
    std::fill(std::begin(st.FirstEntry), std::end(st.FirstEntry), 1u);
    st.CsiFinals.Clear();
    st.OpenFinals.Clear();
    const TermFamilyTable* family = st.CurrentTermFamily;
    if (family == nullptr) return;
    const uint32_t n = std::min<uint32_t>(family->SeqCount, kMaxSeqCount);
    for (uint32_t i = 1; i <= n; ++i) {
        const TermSeqEntry& entry = family->SeqTable[i - 1];
        const ByteText<8>& seq = entry.Seq;
        if (seq.empty()) continue;
        const uint8_t last = seq[seq.size() - 1];
        if (family->CsiSequences != 0) {
            if (seq.size() >= 2 && seq[0] == kEsc && seq[1] == '[' && !st.CsiFinals.Has(last)) {
                st.CsiFinals.Add(last);
                if (last >= kFirstEntryLow && last <= kFirstEntryHigh)
                    st.FirstEntry[last - kFirstEntryLow] = i;
            }
            if (entry.Kind == kSeqOpenString) st.OpenFinals.Add(last);
        } else {
            if (entry.Kind == kSeqOpenString) st.OpenFinals.Add(last);
            if (seq.size() >= 2 && seq[0] == kEsc && seq[1] >= kFirstEntryLow &&
                seq[1] <= kFirstEntryHigh && st.FirstEntry[seq[1] - kFirstEntryLow] == 1)
                st.FirstEntry[seq[1] - kFirstEntryLow] = i;
        }
    }
    IndexFor(*family, true);
    BuildLiteralEntries(*family, st);
}

void ResetRecogniser() {
    SeqBuffer.clear();
    EmulatorState.TwoStepState = 0;
}

}  // namespace emulation
