#include "emulation/text/composition.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "decomposition_table.inc"

namespace emulation {
namespace {

constexpr DecompositionEntry kByChar[] = {VZ_DECOMPOSITIONS_BY_CHAR};
constexpr DecompositionEntry kByParts[] = {VZ_DECOMPOSITIONS_BY_PARTS};
static_assert(std::size(kByChar) == VZ_DECOMPOSITION_COUNT);
static_assert(std::size(kByParts) == VZ_DECOMPOSITION_COUNT);

// Library letters with a mark that Unicode has no precomposed character for.
struct PrivateComposite {
    char16_t Code;
    char16_t Base;
    char16_t Mark;
};
constexpr PrivateComposite kPrivateComposites[] = {
    {0xE801, 's', 0x0300}, {0xE83C, 'S', 0x0300}, {0xE84E, 'n', 0x0300}, {0xE802, 'v', 0x0301},
    {0xE83D, 'V', 0x0301}, {0xE803, 'q', 0x0303}, {0xE804, 's', 0x0303}, {0xE83E, 'Q', 0x0303},
    {0xE83F, 'S', 0x0303}, {0xE805, 'k', 0x0304}, {0xE806, 'l', 0x0304}, {0xE807, 'n', 0x0304},
    {0xE808, 'p', 0x0304}, {0xE809, 'r', 0x0304}, {0xE80A, 's', 0x0304}, {0xE840, 'K', 0x0304},
    {0xE841, 'L', 0x0304}, {0xE842, 'N', 0x0304}, {0xE843, 'P', 0x0304}, {0xE844, 'R', 0x0304},
    {0xE845, 'S', 0x0304}, {0xE80B, 'm', 0x0306}, {0xE846, 'M', 0x0306}, {0xE80C, 'k', 0x0307},
    {0xE80D, 'u', 0x0307}, {0xE847, 'K', 0x0307}, {0xE848, 'U', 0x0307}, {0xE80E, 'g', 0x0308},
    {0xE80F, 'j', 0x0308}, {0xE810, 'v', 0x0308}, {0xE849, 'G', 0x0308}, {0xE84A, 'J', 0x0308},
    {0xE84B, 'V', 0x0308}, {0xE811, 'd', 0x0315}, {0xE812, 'g', 0x0315}, {0xE813, 'k', 0x0315},
    {0xE814, 'l', 0x0315}, {0xE815, 't', 0x0315}, {0xE816, 'm', 0x0310}, {0xE817, 'n', 0x0310},
    {0xE818, 'u', 0x0310}, {0xE819, 's', 0x0328}, {0xE81A, 't', 0x0328}, {0xE84F, 'S', 0x0328},
    {0xE850, 'T', 0x0328}, {0xE81B, 'g', 0x0323}, {0xE81C, 'p', 0x0323}, {0xE81D, 'x', 0x0323},
    {0xE81E, 'b', 0x0324}, {0xE81F, 'd', 0x0324}, {0xE820, 'h', 0x0324}, {0xE821, 'l', 0x0324},
    {0xE822, 's', 0x0324}, {0xE823, 't', 0x0324}, {0xE824, 'z', 0x0324}, {0xE851, 'B', 0x0324},
    {0xE852, 'D', 0x0324}, {0xE853, 'H', 0x0324}, {0xE854, 'L', 0x0324}, {0xE855, 'S', 0x0324},
    {0xE856, 'T', 0x0324}, {0xE857, 'Z', 0x0324}, {0xE825, 'l', 0x0325}, {0xE826, 'r', 0x0325},
    {0xE827, 'g', 0x0333}, {0xE828, 'h', 0x0333}, {0xE829, 'd', 0x0332}, {0xE82A, 'g', 0x0332},
    {0xE82B, 'h', 0x0332}, {0xE82C, 'k', 0x0332}, {0xE82D, 'l', 0x0332}, {0xE82E, 'n', 0x0332},
    {0xE82F, 'r', 0x0332}, {0xE830, 's', 0x0332}, {0xE831, 't', 0x0332}, {0xE832, 'z', 0x0332},
    {0xE833, 'a', 0x0326}, {0xE834, 'e', 0x0326}, {0xE839, 'K', 0x0326}, {0xE83A, 'N', 0x0326},
    {0xE83B, 'T', 0x0326}, {0xE835, 'o', 0x031C}, {0xE836, 'n', 0xFE22}, {0xE837, 'g', 0xFE23},
    {0xE838, 'g', 0x0313}, {0xE84C, 'A', 0x030B}, {0xE858, 'a', 0x030B}, {0xE866, 'i', 0xFE20},
    {0xE85A, 'k', 0xFE20}, {0xE85B, 'o', 0xFE20}, {0xE85C, 'p', 0xFE20}, {0xE85D, 't', 0xFE20},
    {0xE85E, 'z', 0xFE20}, {0xE85F, 'a', 0xFE21}, {0xE860, 'e', 0xFE21}, {0xE861, 'h', 0xFE21},
    {0xE862, 'q', 0xFE21}, {0xE863, 's', 0xFE21}, {0xE864, 't', 0xFE21}, {0xE865, 'u', 0xFE21},
};
static_assert(std::size(kPrivateComposites) == 100);

// Combining marks and their spacing forms (0xFFFF: the mark has none).
struct DiacriticPair {
    char16_t Mark;
    char16_t Spacing;
};
constexpr DiacriticPair kDiacriticPairs[] = {
    {0x0300, 0x0060}, {0x0301, 0x00B4}, {0x0302, 0x02C6}, {0x0303, 0x007E}, {0x0304, 0x02C9},
    {0x0306, 0x02D8}, {0x0307, 0x02D9}, {0x0308, 0x00A8}, {0x0309, 0x02C0}, {0x030A, 0x02DA},
    {0x030B, 0x02DD}, {0x030C, 0x02C7}, {0x0310, 0xFFFF}, {0x0313, 0x02BC}, {0x0315, 0xFFFF},
    {0x031C, 0xFFFF}, {0x0323, 0xFFFF}, {0x0324, 0xFFFF}, {0x0325, 0xFFFF}, {0x0326, 0xFFFF},
    {0x0327, 0x00B8}, {0x0328, 0x02DB}, {0x032E, 0xFFFF}, {0x0332, 0x005F}, {0x0333, 0x2017},
    {0xFE23, 0xFFFF}, {0xFE22, 0xFFFF}, {0xFE21, 0xFFFF}, {0xFE20, 0xFFFF}, {0x0374, 0x0345},
    {0x0384, 0x0301}, {0x1FBD, 0x0313}, {0x1FBF, 0x0313}, {0x1FFE, 0x0314}, {0x203E, 0x0305},
    {0x309B, 0x3099}, {0x309C, 0x309A},
};
static_assert(std::size(kDiacriticPairs) == 37);

// A sequence never grows past what one cell's character can stand for, so a
// long run of marks from the host cannot make the list hold arbitrary text.
constexpr size_t kMaxSequenceLength = 16;

std::vector<std::u16string> composedSequences;

const DecompositionEntry* FindByChar(char16_t ch) {
    const auto* end = std::end(kByChar);
    const auto* it =
        std::lower_bound(std::begin(kByChar), end, ch,
                         [](const DecompositionEntry& e, char16_t c) { return e.Composed < c; });
    return it != end && it->Composed == ch ? it : nullptr;
}

const PrivateComposite* FindPrivate(char16_t code) {
    for (const auto& p : kPrivateComposites)
        if (p.Code == code) return &p;
    return nullptr;
}

// One level of a private code's meaning; empty when the code means nothing.
std::u16string PrivateSequence(char16_t ch) {
    if (const PrivateComposite* p = FindPrivate(ch)) return {p->Base, p->Mark};
    if (ch >= kFirstComposedSequence) {
        const size_t i = ch - kFirstComposedSequence;
        if (i < composedSequences.size()) return composedSequences[i];
    }
    return {};
}

bool IsPrivateCode(char16_t ch) {
    return ch >= 0xE800 && ch <= 0xEFFF;
}

}  // namespace

std::basic_string_view<DecompositionEntry> DecompositionTable() {
    return {kByChar, std::size(kByChar)};
}

std::u16string DecomposeChar(char16_t ch) {
    if (IsPrivateCode(ch)) {
        std::u16string out = PrivateSequence(ch);
        if (out.empty()) return std::u16string(1, ch);
        // A sequence may begin with another private code; each step shortens
        // the list index chain, and the steps are bounded all the same.
        for (size_t step = 0; step < 8 && !out.empty() && IsPrivateCode(out[0]); ++step) {
            std::u16string first = PrivateSequence(out[0]);
            if (first.empty()) break;
            out.replace(0, 1, first);
            if (out.size() > kMaxSequenceLength * 2) break;
        }
        return out;
    }
    if (const DecompositionEntry* e = FindByChar(ch)) {
        std::u16string out{e->Base, e->Mark1};
        if (e->Mark2 != 0) out.push_back(e->Mark2);
        return out;
    }
    return std::u16string(1, ch);
}

char16_t ComposeChars(std::u16string_view sequence, bool allowPrivate) {
    if (sequence.size() < 2) return kNoComposition;
    if (sequence.size() <= 3) {
        const DecompositionEntry key{0, sequence[0], sequence[1],
                                     sequence.size() == 3 ? sequence[2] : char16_t{0}};
        const auto less = [](const DecompositionEntry& a, const DecompositionEntry& b) {
            if (a.Base != b.Base) return a.Base < b.Base;
            if (a.Mark1 != b.Mark1) return a.Mark1 < b.Mark1;
            return a.Mark2 < b.Mark2;
        };
        const auto* end = std::end(kByParts);
        const auto* it = std::lower_bound(std::begin(kByParts), end, key, less);
        if (it != end && !less(key, *it)) return it->Composed;
    }
    if (!allowPrivate) return kNoComposition;
    if (sequence.size() == 2)
        for (const auto& p : kPrivateComposites)
            if (p.Base == sequence[0] && p.Mark == sequence[1]) return p.Code;
    if (sequence.size() > kMaxSequenceLength) return kNoComposition;
    for (size_t i = 0; i < composedSequences.size(); ++i)
        if (composedSequences[i] == sequence)
            return static_cast<char16_t>(kFirstComposedSequence + i);
    // The list's codes are used up: the sequence stays uncomposed.
    if (composedSequences.size() >= kMaxComposedSequences) return kNoComposition;
    composedSequences.emplace_back(sequence);
    return static_cast<char16_t>(kFirstComposedSequence + composedSequences.size() - 1);
}

char16_t DiacriticPartner(char16_t ch) {
    for (const auto& d : kDiacriticPairs)
        if (d.Mark == ch) return d.Spacing;
    for (const auto& d : kDiacriticPairs)
        if (d.Spacing == ch && d.Spacing != 0xFFFF) return d.Mark;
    return 0xFFFF;
}

void ResetComposedSequences() {
    composedSequences.clear();
}

}  // namespace emulation
