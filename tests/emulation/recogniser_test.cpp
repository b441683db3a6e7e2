#include "emulation/parser/recogniser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "../../fuzz/recogniser_driver.h"
#include "../common/allocation_counter.h"
#include "commands/settings_record.h"
#include "emulation/types/family_tables.h"
#include "emulation/types/term_types.h"

namespace emulation {
namespace {

using Bytes = std::basic_string<uint8_t>;

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A source whose waiting bytes are set by the test.
class WaitingBytes final : public RecogniserSource {
  public:
    Bytes waiting;
    size_t pos = 0;
    uint16_t width = 80;
    bool ReadWaitingByte(bool sevenBit, bool skipNul, uint8_t& byte) override {
        while (pos < waiting.size()) {
            byte = waiting[pos++];
            if (sevenBit) byte &= 0x7F;
            if (byte != 0 || !skipNul) return true;
        }
        return false;
    }
    uint16_t ScreenWidth() override { return width; }
};

struct Result {
    RecogniseStatus status;
    TermOp op;
    TermOpParams params;
};

class RecogniserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        ResetEmulatorState();
        ResetRecogniser();
        SetRecogniserSource(&source);
    }
    void TearDown() override {
        SetRecogniserSource(nullptr);
        ResetRecogniser();
        ResetEmulatorState();
        commands::ResetSettingsToDefaults();
    }

    void Type(std::string_view name) { ASSERT_TRUE(SetTerminalType(name, false)) << name; }

    // Puts the bytes in SeqBuffer and asks once (no executor in between); the
    // reference scan must give the same answer from the same state.
    Result Decode(const Bytes& bytes) {
        const uint8_t twoStep = EmulatorState.TwoStepState;
        const size_t pos = source.pos;
        auto ask = [&](bool reference) {
            SeqBuffer.clear();
            for (uint8_t b : bytes) SeqBuffer.push_back(b);
            EmulatorState.TwoStepState = twoStep;
            source.pos = pos;
            Result r{};
            r.status = reference ? ReferenceDecodeHostSequence(r.op, r.params)
                                 : DecodeHostSequence(r.op, r.params);
            return r;
        };
        const Result ref = ask(true);
        const Result r = ask(false);
        EXPECT_EQ(ref.status, r.status);
        if (ref.status == RecogniseStatus::Recognised && r.status == RecogniseStatus::Recognised) {
            EXPECT_EQ(ref.op, r.op);
            EXPECT_EQ(ref.params, r.params);
        }
        return r;
    }
    Result Decode(std::string_view text) { return Decode(B(text)); }

    WaitingBytes source;
};

std::string Hex(const uint8_t* bytes, size_t n) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        out += buf;
    }
    return out;
}

// --- every table entry recognises its own sample --------------------------

struct Sample {
    Bytes bytes;
    TermOpParams params{};  // as the entry itself gives them
};

bool FinalForm(const TermFamilyTable& family, const TermSeqEntry& entry) {
    return (family.CsiSequences && entry.Kind != kSeqWhole) || entry.Kind == kSeqOpenString ||
           (!family.CsiSequences && entry.Kind == kSeqParamList);
}

// The first printable byte that no sequence of the family contains, so that a
// raw parameter byte does not turn the sample into another entry's sequence.
uint8_t UnusedByte(const TermFamilyTable& family) {
    for (uint8_t b = 0x21; b < 0x7E; ++b) {
        bool used = false;
        for (size_t j = 0; j < family.SeqCount && !used; ++j)
            for (size_t k = 0; k < family.SeqTable[j].Seq.size(); ++k)
                used = used || family.SeqTable[j].Seq[k] == b;
        if (!used) return b;
    }
    return 0x7E;
}

// The entry's sequence with its parameters filled with sample values.
Sample MakeSample(const TermFamilyTable& family, const TermSeqEntry& entry) {
    const bool csi = family.CsiSequences != 0;
    const Bytes seq(entry.Seq.data(), entry.Seq.size());
    const size_t e = seq.size();
    Sample s;
    const uint8_t kind = entry.Kind;
    if (kind == kSeqNumbers || kind == kSeqParamList) {
        const bool atFinal = csi || kind == kSeqParamList;
        s.bytes = atFinal ? seq.substr(0, e - 1) : seq;
        for (int i = 0; i < entry.Count; ++i) {
            if (i > 0) s.bytes += ';';
            s.bytes += B(std::to_string(80 + i));
            s.params[i] = 80 + i;
        }
        s.bytes += atFinal ? seq[e - 1] : ';';
        if (kind == kSeqParamList)
            for (int i = entry.Count; i < 10; ++i) s.params[i] = entry.Bias;
    } else if (kind == kSeqOpenString) {
        s.bytes = seq.substr(0, e - 1) + B("ab") + seq[e - 1];
        s.params[0] = static_cast<int32_t>(e);
    } else {
        s.bytes = seq;
        // Raw parameter bytes start at the final byte in the CSI families.
        const size_t first = (csi && kind != kSeqWhole) ? e : e + 1;
        for (int i = 0; i < entry.Count; ++i) {
            const size_t pos = first + i;  // 1-based
            // In the CSI families a byte after ESC [ ... must itself be a final byte.
            const uint8_t fill = kind == kSeqPackedDecimal ? 0x25
                                 : (csi && e >= 2 && seq[1] == '[')
                                     ? seq[e - 1]
                                     : static_cast<uint8_t>(UnusedByte(family) + i);
            if (pos > s.bytes.size()) s.bytes += fill;
            const uint8_t raw = s.bytes[pos - 1];
            if (kind == kSeqLowBits)
                s.params[i] = (raw & 0x1F) + entry.Bias;
            else if (kind == kSeqPackedDecimal)
                s.params[i] = 10 * ((raw & 0x70) >> 4) + (raw & 0x0F) + entry.Bias;
            else if (kind != kSeqExact)
                s.params[i] = raw + entry.Bias;
        }
    }
    if (s.bytes.size() == 1 && s.bytes[0] != 0x7F) s.bytes += 'x';  // a lone byte always waits
    return s;
}

enum class Fit { None, Match, Waits, Discarded };

// Whether some entry of the family is a control sequence ending in this byte.
bool EndsSomeControlSequence(const TermFamilyTable& family, uint8_t final) {
    for (size_t j = 0; j < family.SeqCount; ++j) {
        const ByteText<8>& seq = family.SeqTable[j].Seq;
        if (seq.size() >= 2 && seq[0] == 0x1B && seq[1] == '[' && seq[seq.size() - 1] == final)
            return true;
    }
    return false;
}

bool EndsSomeOpenString(const TermFamilyTable& family, uint8_t final) {
    for (size_t j = 0; j < family.SeqCount; ++j) {
        const TermSeqEntry& other = family.SeqTable[j];
        if (other.Kind == kSeqOpenString && other.Seq[other.Seq.size() - 1] == final) return true;
    }
    return false;
}

// Whether an entry's pattern takes the whole sample (as a match), or sees in
// it only the beginning of its own longer sequence (the recogniser waits).
Fit PatternFits(const TermFamilyTable& family, const TermSeqEntry& entry, const Bytes& sample) {
    const Bytes seq(entry.Seq.data(), entry.Seq.size());
    const size_t e = seq.size();
    const Bytes opening = seq.substr(0, e - 1);
    if (sample.starts_with(seq)) return Fit::Match;
    if (FinalForm(family, entry) && sample.size() >= e && sample.starts_with(opening) &&
        sample.back() == seq.back())
        return Fit::Match;
    if (entry.Kind == kSeqWhole && seq.starts_with(sample)) return Fit::Waits;
    // An open string waits for its end, unless the byte that came ends another
    // open string of the family; then the scan goes on.
    if (entry.Kind == kSeqOpenString && sample.starts_with(opening) &&
        (sample.size() < e || !EndsSomeOpenString(family, sample.back())))
        return Fit::Waits;
    if (!family.CsiSequences && entry.Kind == kSeqParamList && sample.starts_with(opening) &&
        sample.back() >= 0x20 && sample.back() <= 0x3F)
        return Fit::Waits;
    return Fit::None;
}

// Whether a bare ESC [ <final> entry taking parameters comes before entry j.
bool BareEntryBefore(const TermFamilyTable& family, uint8_t final, size_t j) {
    for (size_t k = 0; k < j; ++k) {
        const TermSeqEntry& e = family.SeqTable[k];
        if (e.Seq.size() == 3 && e.Seq[0] == 0x1B && e.Seq[1] == '[' && e.Seq[2] == final &&
            e.Kind != kSeqWhole)
            return true;
    }
    return false;
}

// Where the table order starts looking for the sample: the first entry with
// the same final byte (control sequences of the CSI families) or second byte
// (ESC sequences of the other families).
size_t FirstCandidate(const TermFamilyTable& family, const Bytes& sample) {
    const bool control = sample.size() >= 2 && sample[0] == 0x1B && sample[1] == '[';
    // A sample that spells out a parameterless entry exactly goes to that entry
    // when an earlier, more general one would take it: a control sequence of
    // the CSI families, or an ESC sequence behind the lone-ESC fallback.
    size_t fallback = SIZE_MAX;
    for (size_t j = 0; j < family.SeqCount && fallback == SIZE_MAX; ++j)
        if (family.SeqTable[j].Seq.size() == 1 && family.SeqTable[j].Seq[0] == 0x1B &&
            family.SeqTable[j].Kind == kSeqRawBytes)
            fallback = j;
    for (size_t j = 0; j < family.SeqCount && sample.size() >= 3 && sample[0] == 0x1B; ++j) {
        const TermSeqEntry& other = family.SeqTable[j];
        const Bytes seq(other.Seq.data(), other.Seq.size());
        const bool parameterless = other.Count == 0 && other.Kind != kSeqParamList &&
                                   other.Kind != kSeqNumbers && other.Kind != kSeqOpenString;
        if (!parameterless || seq != sample) continue;
        if (family.CsiSequences) {
            if (control && BareEntryBefore(family, sample.back(), family.SeqCount)) return j;
            continue;
        }
        bool fallbackFirst = false;  // the scan for this second byte meets the fallback first
        for (size_t k = 0; k < fallback && j > fallback && !fallbackFirst; ++k)
            fallbackFirst = family.SeqTable[k].Seq.size() >= 2 &&
                            family.SeqTable[k].Seq[0] == 0x1B && family.SeqTable[k].Seq[1] == sample[1];
        if (fallbackFirst) return j;
    }
    // Failing that, a control sequence with an entry's private marker.
    for (size_t j = 0; j < family.SeqCount && family.CsiSequences && control && sample.size() >= 4; ++j) {
        const TermSeqEntry& other = family.SeqTable[j];
        if (other.Seq.size() == 4 && other.Kind == kSeqParamList && other.Seq[1] == '[' &&
            other.Seq[2] >= '<' && other.Seq[2] <= '?' && sample[2] == other.Seq[2] &&
            sample.back() == other.Seq[3] && BareEntryBefore(family, sample.back(), j))
            return j;
    }
    for (size_t j = 0; j < family.SeqCount; ++j) {
        const TermSeqEntry& other = family.SeqTable[j];
        if (family.CsiSequences && control) {
            if (other.Seq.size() >= 2 && other.Seq[0] == 0x1B && other.Seq[1] == '[' &&
                other.Seq[other.Seq.size() - 1] == sample.back())
                return j;
        } else if (!family.CsiSequences && sample[0] == 0x1B && other.Seq.size() >= 2 &&
                   other.Seq[0] == 0x1B && other.Seq[1] == sample[1]) {
            return j;
        }
    }
    return 0;
}

const char* TypeOfFamily(const TermFamilyTable* family) {
    if (family == &FamilyN7900) return "N7900";
    if (family == &FamilyViewpoint) return "VIEWPOINT";
    if (family == &FamilyWyse60) return "WYSE60";
    if (family == &FamilyC332) return "C332";
    if (family == &FamilyVt220) return "VT220";
    return "TV965";
}

TEST_F(RecogniserTest, EveryEntryRecognisesItsOwnSampleUnlessAnEarlierEntryTakesIt) {
    const size_t expectedCounts[kTermFamilyCount] = {23, 96, 155, 62, 169, 228};
    std::string shadowed;
    for (size_t f = 0; f < kTermFamilyCount; ++f) {
        const TermFamilyTable& family = *TermFamilies[f];
        ASSERT_EQ(family.SeqCount, expectedCounts[f]) << family.Name;
        Type(TypeOfFamily(&family));
        for (size_t i = 0; i < family.SeqCount; ++i) {
            const TermSeqEntry& entry = family.SeqTable[i];
            const Sample sample = MakeSample(family, entry);
            SCOPED_TRACE(std::string(family.Name) + " entry " + std::to_string(i + 1) + ": " +
                         Hex(sample.bytes.data(), sample.bytes.size()));

            // What the tables say should happen to this sample.
            Fit fit = Fit::None;
            size_t by = i;
            const Bytes& bytes = sample.bytes;
            if (bytes[0] < 0x20 && family.ControlOps[bytes[0]] != kTermOpSequence) {
                fit = Fit::Match;
                by = SIZE_MAX;
            } else if (family.CsiSequences && bytes.starts_with(B("\x1b[")) &&
                       !EndsSomeControlSequence(family, bytes.back())) {
                fit = Fit::Discarded;
                by = SIZE_MAX;
            } else {
                for (size_t j = FirstCandidate(family, bytes); j <= i; ++j) {
                    fit = PatternFits(family, family.SeqTable[j], bytes);
                    if (fit != Fit::None) {
                        by = j;
                        break;
                    }
                }
            }
            ASSERT_NE(fit, Fit::None) << "the entry does not fit its own sample";

            const Result r = Decode(sample.bytes);
            if (fit == Fit::Waits) {
                EXPECT_EQ(r.status, RecogniseStatus::Incomplete);
            } else if (fit == Fit::Discarded) {
                EXPECT_EQ(r.status, RecogniseStatus::Discard);
            } else if (by == SIZE_MAX) {
                ASSERT_EQ(r.status, RecogniseStatus::Recognised);
                EXPECT_EQ(r.op, family.ControlOps[bytes[0]]);
            } else {
                ASSERT_EQ(r.status, RecogniseStatus::Recognised);
                EXPECT_EQ(r.op, family.SeqTable[by].Op) << "taken by entry " << by + 1;
                if (by == i && entry.Op != 58 && entry.Op != 59 && entry.Op != 60 &&
                    entry.Op != 61 && entry.Op != 70) {
                    EXPECT_EQ(r.params, sample.params);
                }
            }
            if (by != i) shadowed += std::string(family.Name) + " " + std::to_string(i + 1) + "; ";
        }
    }
    RecordProperty("unreachable", shadowed);
    // What stays out of reach: duplicates and entries an earlier one of the
    // same kind takes. The private ESC [ = n l modes and ESC c P to S are not here.
    EXPECT_EQ(shadowed,
              "WYSE60 53; WYSE60 141; WYSE60 142; WYSE60 143; WYSE60 144; WYSE60 145; C332 59; "
              "C332 60; TV965 79; TV965 80; TV965 81; TV965 82; TV965 83; TV965 84; TV965 85; "
              "TV965 86; TV965 90; TV965 91; TV965 109; TV965 116; TV965 191; TV965 192; ");
}

// --- the recogniser's own rules ------------------------------------------

TEST_F(RecogniserTest, ControlSequenceParametersAndDefaults) {
    Type("VT220");
    struct Case {
        const char* text;
        TermOp op;
        std::vector<int32_t> params;
    } cases[] = {
        {"\x1b[5;H", 7, {5, 0}},  // a separator makes the next parameter present (0)
        {"\x1b[5H", 7, {5, 1}},   // absent parameters take the entry's default
        {"\x1b[;5H", 7, {1, 5}},
        {"\x1b[H", 7, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},  // every absent parameter takes it
        {"\x1b[?25h", 266, {}},                         // the exact entry comes first
        {"\x1b[?12h", 275, {12}},                       // then the general private-mode entry
        {"\x1b[?7;25h", 275, {7, 25}},
        {"\x1b[?7h", 112, {}},
        {"\x1b[>c", 198, {0}},  // intermediates are skipped as separators
        {"\x1b[m", 62, {127, 127, 127, 127, 127, 127, 127, 127, 127, 127}},
        {"\x1b[1;2;3;4;5;6;7;8;9;10;11;12m", 62, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},  // at most ten
        {"\x1b[99999999999999999999;4294967296H", 7, {kTermParamMax, kTermParamMax}},
        {"\x1b[2147483647;2147483648H", 7, {kTermParamMax, kTermParamMax}},
        {"\x1b[0000000000000000000042A", 26, {42}},
        {"\x1b[=5F", 189, {5}},
        {"\x1bP1;2q", 261, {1, 2, 0}},
        {"\x1b=", kTermOpIgnore, {}},  // recognised and ignored
        {"\x1b[2K", 16, {}},
        {"\x1b\x1b", 188, {}},
        {"\x7f", 281, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text)));
        const Result r = Decode(c.text);
        ASSERT_EQ(r.status, RecogniseStatus::Recognised);
        EXPECT_EQ(r.op, c.op);
        for (size_t i = 0; i < c.params.size(); ++i)
            EXPECT_EQ(r.params[i], c.params[i]) << "parameter " << i + 1;
    }
}

TEST_F(RecogniserTest, PartialAndRejectedSequences) {
    struct Case {
        const char* type;
        const char* text;
        RecogniseStatus status;
    } cases[] = {
        {"VT220", "\x1b", RecogniseStatus::Incomplete},
        {"VT220", "\x1b[", RecogniseStatus::Incomplete},
        {"VT220", "\x1b[12;", RecogniseStatus::Incomplete},  // nothing waiting yet
        {"VT220", "\x1b[5y", RecogniseStatus::Discard},      // no entry ends in y
        {"VT220", "\x1b[5W", RecogniseStatus::Incomplete},   // W ends an entry, but none fits: keep
        {"VT220", "\x1b[5WA",
         RecogniseStatus::Discard},  // then ESC [ A fits, its parameters do not
        {"VT220", "\x1bP1;",
         RecogniseStatus::Incomplete},  // device control strings wait for their final
        {"VT220", "\x1b(", RecogniseStatus::Incomplete},  // designation waits for its set byte
        {"VT220", "\x18", RecogniseStatus::Incomplete},   // CAN begins a sequence
        {"VT220", "\x1b]", RecogniseStatus::Incomplete},  // ESC ] R and ESC ] P begin so
        {"VT220", "\x1b]x", RecogniseStatus::Discard},
        {"N7900", "\x1bY!", RecogniseStatus::Incomplete},
        {"N7900", "\x1bg abc", RecogniseStatus::Incomplete},  // open string
        {"WYSE60",
         "\x1b"
         "a12",
         RecogniseStatus::Incomplete},
        {"WYSE60",
         "\x1b"
         "a12R40",
         RecogniseStatus::Incomplete},
        {"WYSE60",
         "\x1b"
         "c",
         RecogniseStatus::Incomplete},
        {"VIEWPOINT",
         "\x1b"
         "e",
         RecogniseStatus::Incomplete},
        {"C332", "\x1b[?2", RecogniseStatus::Incomplete},
        {"C332", "\x1b[?25x", RecogniseStatus::Discard},
        {"C332", "\x17x", RecogniseStatus::Discard},  // ETB begins a sequence but no entry has it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " +
                     Hex(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text)));
        Type(c.type);
        EXPECT_EQ(Decode(c.text).status, c.status);
    }
}

TEST_F(RecogniserTest, NonCsiFamiliesReadRawAndDecimalParameters) {
    struct Case {
        const char* type;
        const char* text;
        TermOp op;
        std::vector<int32_t> params;
    } cases[] = {
        {"N7900", "\x1bY!(", 7, {2, 9}},  // each byte - 31
        {"N7900",
         "\x0b"
         "E",
         9,
         {6}},                            // VT: (byte AND 0x1F) + 1
        {"N7900", "\x10\x25", 11, {26}},  // DLE: packed decimal + 1
        {"N7900",
         "\x1b"
         "0\x11",
         58,
         {0x05, 0}},  // attribute bits normalised by the family's masks
        {"VIEWPOINT",
         "\x1b"
         "0\x24",
         70,
         {0x18}},  // protect attribute remapped
        {"VIEWPOINT",
         "\x1b"
         "FTitle\r",
         235,
         {3}},  // open string: data begins after 3 bytes
        {"VIEWPOINT",
         "\x1b"
         "e7",
         236,
         {}},
        {"VIEWPOINT",
         "\x1b"
         "eX",
         kTermOpIgnore,
         {'X'}},
        {"WYSE60",
         "\x1b"
         "a12R40C",
         7,
         {12, 40}},
        {"WYSE60",
         "\x1b"
         "a99999999999R1C",
         7,
         {kTermParamMax, 1}},
        {"WYSE60",
         "\x1b"
         "\x01",
         109,
         {1}},  // any other ESC sequence ends at the catch-all
        {"WYSE60",
         "\x18"
         "B00",
         257,
         {}},                       // CAN entries all start at the first CAN entry
        {"C332", "\x1b(", 36, {}},  // before the later designation entry
        {"C332", "\x1b[?25h", 293, {25, 0}},
        {"C332", "\x1b[?;7h", 293, {0, 7}},  // ';' is no separator here
        {"TV965", "\x7f", kTermOpIgnore, {}},
        {"TV965", "\x1b[1;3}", 46, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " +
                     Hex(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text)));
        Type(c.type);
        const Result r = Decode(c.text);
        ASSERT_EQ(r.status, RecogniseStatus::Recognised);
        EXPECT_EQ(r.op, c.op);
        for (size_t i = 0; i < c.params.size(); ++i)
            EXPECT_EQ(r.params[i], c.params[i]) << "parameter " << i + 1;
    }
}

TEST_F(RecogniserTest, C332ModeSequenceArrivesByteByByte) {
    Type("C332");
    SeqBuffer.clear();
    const std::string text = "\x1b[?25h";
    TermOp op = 0;
    TermOpParams params{};
    for (size_t i = 0; i < text.size(); ++i) {
        SeqBuffer.push_back(static_cast<uint8_t>(text[i]));
        const RecogniseStatus status = DecodeHostSequence(op, params);
        if (i + 1 < text.size()) {
            EXPECT_EQ(status, RecogniseStatus::Incomplete) << "after byte " << i + 1;
        } else {
            ASSERT_EQ(status, RecogniseStatus::Recognised);
            EXPECT_EQ(op, 293);
            EXPECT_EQ(params[0], 25);
            EXPECT_EQ(params[1], 0);
        }
    }
}

TEST_F(RecogniserTest, SingleControlBytes) {
    Type("VT220");
    EXPECT_EQ(Decode("\x0c").op, 205);
    const Result nul = Decode(std::string_view("\x00", 1));
    EXPECT_EQ(nul.status, RecogniseStatus::Recognised);
    EXPECT_EQ(nul.op, kTermOpIgnore);
    // Control-display sets show the byte itself, but never ESC.
    EmulatorState.GL = 10;
    EXPECT_EQ(Decode("\x0c").op, 187);
    EXPECT_EQ(Decode("\x1b").status, RecogniseStatus::Incomplete);
    EmulatorState.GL = 11;
    EXPECT_EQ(Decode("\x0b").op, 187);
    EXPECT_EQ(Decode("\x0a").op, 29);  // LF is not among set 11's shown controls
    EmulatorState.GL = 21;
    EXPECT_EQ(Decode("\x0d").op, 187);
}

TEST_F(RecogniserTest, EightBitControlsOfTheVtTypes) {
    Type("VT220");
    Result r = Decode("\x9b");
    EXPECT_EQ(r.status, RecogniseStatus::Incomplete);
    EXPECT_EQ(SeqBuffer.view(), "\x1b[");
    // The next byte continues it as a control sequence.
    SeqBuffer.push_back('2');
    source.waiting = B(";3H");
    ASSERT_EQ(DecodeHostSequence(r.op, r.params), RecogniseStatus::Recognised);
    EXPECT_EQ(r.op, 7);
    EXPECT_EQ(r.params[0], 2);
    EXPECT_EQ(r.params[1], 3);
    source.waiting.clear();
    source.pos = 0;

    r = Decode("\x90");
    EXPECT_EQ(r.status, RecogniseStatus::Incomplete);
    EXPECT_EQ(SeqBuffer.view(), "\x1bP");
    r = Decode("\x98");  // not one of the converted C1 bytes: waits as itself
    EXPECT_EQ(r.status, RecogniseStatus::Incomplete);
    EXPECT_EQ(SeqBuffer.view(), "\x98");

    Type("LINUX");  // only the VT types take C1 controls
    Decode("\x9b");
    EXPECT_EQ(SeqBuffer.view(), "\x9b");
}

TEST_F(RecogniserTest, ReadAheadTakesWaitingParameterBytesWithinTheBuffer) {
    Type("VT220");
    source.waiting = B("1;2H") + B("rest");
    Result r = Decode("\x1b[");
    EXPECT_EQ(r.status, RecogniseStatus::Incomplete);  // nothing after ESC [ is read ahead
    EXPECT_EQ(source.pos, 0u);
    r = Decode("\x1b[3");
    ASSERT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(r.op, 7);
    EXPECT_EQ(r.params[0], 31);
    EXPECT_EQ(r.params[1], 2);
    EXPECT_EQ(source.pos, 4u);  // stops at the final byte

    // 7-bit reading when the family has 8-bit bytes but C332 mode is on.
    EmulatorState.C332Mode = true;
    source.waiting = Bytes{0xB4, 0xC8};
    source.pos = 0;
    r = Decode("\x1b[1");
    ASSERT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(r.op, 7);
    EXPECT_EQ(r.params[0], 14);
    EmulatorState.C332Mode = false;

    // Received NULs inside a control sequence are dropped when the settings say so.
    commands::Settings.IgnoreNul = 1;
    source.waiting = Bytes{'1', 0, ';', 0, '2', 'H'};
    source.pos = 0;
    r = Decode("\x1b[1");
    ASSERT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(r.params[0], 11);
    EXPECT_EQ(r.params[1], 2);
    commands::Settings.IgnoreNul = 0;
    source.pos = 0;
    EXPECT_EQ(Decode("\x1b[1").status, RecogniseStatus::Discard);

    // An endless run of parameter bytes fills the buffer and no more.
    source.waiting = Bytes(500, '1');
    source.pos = 0;
    r = Decode("\x1b[1");
    EXPECT_EQ(r.status, RecogniseStatus::Incomplete);
    EXPECT_EQ(SeqBuffer.size(), kSeqBufferSize);
    EXPECT_EQ(source.pos, kSeqBufferSize - 3);
}

TEST_F(RecogniserTest, C332ModeSelectsPagesWithCsiS) {
    Type("VT220");
    EmulatorState.C332Mode = true;
    const Result r = Decode("\x1b[2S");
    ASSERT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(r.op, 46);
    EXPECT_EQ(r.params[0], 2);
    EmulatorState.C332Mode = false;
    EXPECT_EQ(Decode("\x1b[2S").op, 68);
}

TEST_F(RecogniserTest, TwoStepStates) {
    struct Case {
        const char* type;
        uint8_t state;
        std::string text;
        RecogniseStatus status;
        TermOp op;
        int32_t p1;
    } cases[] = {
        {"VT220", 1, "\x1b[?E1", RecogniseStatus::Recognised, 221, 0},
        {"VT220", 1, "\x1b[?E2", RecogniseStatus::Recognised, 220, 0},
        {"VT220", 1, "\x1b[?E3", RecogniseStatus::Discard, 0, 0},
        {"VT220", 2, "\x1b[?Cc", RecogniseStatus::Recognised, 202, 0},
        {"VT220", 2, "\x1b[?Cd", RecogniseStatus::Recognised, 224, 0},
        {"VT220", 2, "\x1b[?Cq", RecogniseStatus::Recognised, 226, 0},
        {"VT220", 2, "\x1b[?Cr", RecogniseStatus::Recognised, kTermOpIgnore, 0},
        {"VT220", 2, "\x1b[?Cz", RecogniseStatus::Discard, 0, 0},
        {"VT220", 3, "\x1b[?Cdtext", RecogniseStatus::Incomplete, 0, 0},
        {"VT220", 3, "\x1b[?Cdtext\x1d", RecogniseStatus::Recognised, 200, 6},
        {"WYSE60", 4, "\x1bzAlabel", RecogniseStatus::Incomplete, 0, 0},
        {"WYSE60", 4, "\x1bzAlabel\x7f", RecogniseStatus::Recognised, 148, 0},
        {"WYSE60", 4, "\x1bzA" + std::string(64, 'k'), RecogniseStatus::Recognised, 148, 0},
        {"WYSE60", 4, "\x1bz0abc\r", RecogniseStatus::Recognised, 204, 3},
        {"WYSE60", 4, "\x1bz0abcdefgh", RecogniseStatus::Incomplete, 204, 3},
        {"WYSE60", 4, "\x1bz0abcdefghi", RecogniseStatus::Recognised, 204,
         3},  // 9 bytes, CR appended
        {"WYSE60", 4, "\x1bz~", RecogniseStatus::Discard, 0, 0},
        {"WYSE60", 5,
         "\x1b"
         "cA0102",
         RecogniseStatus::Incomplete, 0, 0},
        {"WYSE60", 5,
         "\x1b"
         "cA0102\x19",
         RecogniseStatus::Recognised, 248, 0},
        {"VT220", 6, "\x1bP$qm", RecogniseStatus::Incomplete, 0, 0},
        {"VT220", 6, "\x1bP$qm\x1b\\", RecogniseStatus::Recognised, 321, 0},
        {"VT220", 6, "\x1bP$qm\x9c", RecogniseStatus::Recognised, 321, 0},
        {"VT220", 7, "\x1b[1$}Status", RecogniseStatus::Incomplete, 0, 0},
        {"VT220", 7, "\x1b[1$}Status\x1b[0$}", RecogniseStatus::Recognised, 324, 0},
        {"VT220", 7, "\x1b[1$}Status\x1b[$}", RecogniseStatus::Recognised, 324, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " state " + std::to_string(c.state) + " " +
                     Hex(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size()));
        Type(c.type);
        EmulatorState.TwoStepState = c.state;
        const Result r = Decode(B(c.text));
        EXPECT_EQ(r.status, c.status);
        if (c.status == RecogniseStatus::Recognised) {
            EXPECT_EQ(r.op, c.op);
            EXPECT_EQ(r.params[0], c.p1);
        }
        EXPECT_EQ(EmulatorState.TwoStepState,
                  c.status == RecogniseStatus::Incomplete ? c.state : 0);
    }
    // The appended CR closes the label text in the buffer.
    Type("WYSE60");
    EmulatorState.TwoStepState = 4;
    source.width = 132;
    const Result r = Decode("\x1bz0abcdefg");
    EXPECT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(SeqBuffer.view(), "\x1bz0abcdefg\r");
}

// After the executor drops an overlong string, the pending second step must
// not swallow the text that follows.
TEST_F(RecogniserTest, TwoStepEndsWhenItsSequenceIsNoLongerInTheBuffer) {
    Type("VT220");
    EmulatorState.TwoStepState = 6;
    const Result r = Decode("\x1b[A");
    ASSERT_EQ(r.status, RecogniseStatus::Recognised);
    EXPECT_EQ(r.op, 26);
    EXPECT_EQ(EmulatorState.TwoStepState, 0);
}

TEST_F(RecogniserTest, SpecificEntriesComeBeforeTheGeneralOnesThatPrecedeThem) {
    struct Case {
        const char* type;
        const char* bytes;
        TermOp op;
    };
    const Case cases[] = {
        {"TV965", "\x1b[=28l", 236},  // ENQ reply on, not a line insertion
        {"TV965", "\x1b[=22l", 325},
        {"TV965", "\x1b[=5;9l", 325},  // an unlisted private mode is ignored
        {"TV965", "\x1b[3l", 3},       // the plain form still inserts lines
        {"TV965", "\x1b[=28h", 237},
        {"WYSE60", "\x1b" "cP", 325},  // taken whole, not collected past
        {"WYSE60", "\x1b" "cS", 325},
        {"WYSE60", "\x1b" "cZ", 109},  // unknown ones still fall back
        {"WYSE60", "\x1bP", 291},
    };
    for (const Case& c : cases) {
        Type(c.type);
        const Result r = Decode(c.bytes);
        ASSERT_EQ(r.status, RecogniseStatus::Recognised) << c.type << " " << c.bytes + 1;
        EXPECT_EQ(r.op, c.op) << c.type << " " << c.bytes + 1;
    }
}

TEST_F(RecogniserTest, NoFamilyOrEmptyBufferIsDiscarded) {
    TermOp op = 0;
    TermOpParams params{};
    SeqBuffer.push_back(0x1B);
    EXPECT_EQ(DecodeHostSequence(op, params), RecogniseStatus::Discard);
    Type("VT220");
    SeqBuffer.clear();
    EXPECT_EQ(DecodeHostSequence(op, params), RecogniseStatus::Discard);
}

TEST_F(RecogniserTest, RecognisingAllocatesNothing) {
    Type("VT220");
    const std::string texts[] = {"\x1b[1;2H", "\x1b[?25h", "\x1b[38;5;200m", "\x1bP1;2q", "\x1b(",
                                 "\x1b[5WA",  "\x7f",       "\x1b[0m",        "\x1b[m"};
    TermOp op = 0;
    TermOpParams params{};
    auto recogniseAll = [&] {
        for (const std::string& text : texts) {
            SeqBuffer.clear();
            for (char c : text) SeqBuffer.push_back(static_cast<uint8_t>(c));
            DecodeHostSequence(op, params);
        }
    };
    recogniseAll();  // first use builds the family's indexes
    const size_t before = test_support::HeapAllocations();
    for (int round = 0; round < 1000; ++round) recogniseAll();
    EXPECT_EQ(test_support::HeapAllocations() - before, 0u);
}

// --- the fast scan against the plain one ---------------------------------

// Streams built from fragments of the family's own sequences, digits, separators
// and random bytes, so that most of them come close to real entries.
Bytes RandomStream(std::mt19937& rng, const TermFamilyTable& family, size_t length) {
    Bytes out;
    std::uniform_int_distribution<int> pick(0, 99);
    while (out.size() < length) {
        const int r = pick(rng);
        if (r < 35) {
            const TermSeqEntry& entry = family.SeqTable[rng() % family.SeqCount];
            const size_t n = 1 + rng() % entry.Seq.size();
            out.append(entry.Seq.data(), entry.Seq.data() + n);
        } else if (r < 55) {
            out += static_cast<uint8_t>(
                "0123456789;;;?"
                "?==>$\"'"[rng() % 21]);
        } else if (r < 65) {
            out += B("\x1b[");
        } else if (r < 75) {
            out += static_cast<uint8_t>(0x40 + rng() % 0x3F);
        } else if (r < 85) {
            out += static_cast<uint8_t>(rng() % 0x20);
        } else {
            out += static_cast<uint8_t>(rng() % 256);
        }
    }
    return out;
}

TEST_F(RecogniserTest, FastScanAgreesWithReferenceOnRandomStreams) {
    std::mt19937 rng(20240611);
    const uint8_t gls[] = {0, 0, 0, 3, 10, 11, 21};
    size_t sequences = 0;
    for (const TermTypeEntry& type : TermTypeTable) {
        for (int run = 0; run < 40; ++run) {
            Type(type.Name);
            EmulatorState.GL = gls[rng() % std::size(gls)];
            EmulatorState.C332Mode = rng() % 4 == 0;
            SeqBuffer.clear();
            const Bytes stream = RandomStream(rng, *type.Family, 4000);
            recogniser_driver::StreamSource src;
            src.data = stream.data();
            src.size = stream.size();
            src.width = rng() % 2 ? 80 : 132;
            commands::Settings.Propagate = rng() % 2;
            commands::Settings.IgnoreNul = rng() % 2;
            SetRecogniserSource(&src);
            recogniser_driver::Driver driver(src);
            const recogniser_driver::Mismatch m = driver.Run();
            SetRecogniserSource(&source);
            ASSERT_FALSE(m.found) << type.Name << " buffer "
                                  << Hex(m.before.data(), m.before.size()) << " state "
                                  << int(m.twoStepBefore) << ": fast " << int(m.fast.status) << "/"
                                  << m.fast.op << ", reference " << int(m.reference.status) << "/"
                                  << m.reference.op;
            sequences += driver.sequences;
        }
    }
    EXPECT_GT(sequences, 100000u);
}

// Random tables reach shapes the real ones lack (one- and two-byte open
// strings, short parameter lists without CSI, entries that are all
// intermediates), which the candidate lists must still cover.
TEST_F(RecogniserTest, FastScanAgreesWithReferenceOnRandomTables) {
    std::mt19937 rng(77);
    const char alphabet[] = "\x1b\x1b\x1b[[[??;;12AhHm\x18\x7f\x0d";
    std::vector<TermSeqEntry> entries;
    for (int table = 0; table < 300; ++table) {
        TermFamilyTable family = FamilyVt220;
        family.CsiSequences = rng() % 2;
        family.ParamSeparator = family.CsiSequences ? ';' : '\0';
        for (TermOp& op : family.ControlOps) op = rng() % 3 ? kTermOpIgnore : kTermOpSequence;
        family.ControlOps[0x1B] = kTermOpSequence;
        entries.assign(1 + rng() % 60, TermSeqEntry{});
        for (size_t i = 0; i < entries.size(); ++i) {
            TermSeqEntry& en = entries[i];
            uint8_t seq[8];
            const size_t n = 1 + rng() % 5;
            for (size_t j = 0; j < n; ++j)
                seq[j] = static_cast<uint8_t>(alphabet[rng() % (sizeof alphabet - 1)]);
            if (rng() % 2) seq[0] = 0x1B;
            if (n >= 2 && rng() % 3 == 0) {
                // A control-sequence prefix, sometimes with nothing but intermediates after it.
                seq[0] = 0x1B;
                seq[1] = '[';
                if (rng() % 2)
                    for (size_t j = 2; j < n; ++j)
                        seq[j] = static_cast<uint8_t>("?;12="[rng() % 5]);
            }
            en.Seq.assign(seq, n);
            en.Op = static_cast<TermOp>(i);
            en.Kind = static_cast<TermSeqKind>(rng() % 8);
            en.Count = static_cast<uint8_t>(rng() % 4);
            en.Bias = static_cast<int8_t>(rng() % 3);
        }
        family.SeqTable = entries.data();
        family.SeqCount = static_cast<uint32_t>(entries.size());
        EmulatorState.CurrentTermFamily = &family;
        EmulatorState.EmulationFamily = rng() % 2 ? 0 : 5;
        EmulatorState.GL = 0;
        BuildRecogniserIndexes();

        const Bytes stream = RandomStream(rng, family, 3000);
        recogniser_driver::StreamSource src;
        src.data = stream.data();
        src.size = stream.size();
        SetRecogniserSource(&src);
        SeqBuffer.clear();
        recogniser_driver::Driver driver(src);
        const recogniser_driver::Mismatch m = driver.Run();
        SetRecogniserSource(&source);
        ASSERT_FALSE(m.found) << "table " << table << " buffer "
                              << Hex(m.before.data(), m.before.size()) << ": fast "
                              << int(m.fast.status) << "/" << m.fast.op << ", reference "
                              << int(m.reference.status) << "/" << m.reference.op;
    }
    EmulatorState.CurrentTermFamily = nullptr;
}

}  // namespace
}  // namespace emulation
