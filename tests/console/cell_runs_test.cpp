#include "console/cell_runs.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace console::cell_runs {
namespace {

// Every length up to a few steps past the widest step, with the one odd cell at
// every place (or none): the stepped loops and their tails must agree with a
// cell-by-cell reading.
constexpr int32_t kMaxLen = 37;

TEST(CellRunsTest, FillerSearchFindsTheOneFillerWhereverItStands) {
    for (int32_t n = 0; n <= kMaxLen; ++n) {
        for (int32_t at = -1; at < n; ++at) {
            std::vector<char16_t> chars(n, u'a');
            // The attribute half holds the filler's value too: only the character counts.
            std::vector<uint32_t> cells(n, u'a' | (uint32_t{kFiller} << 16));
            if (at >= 0) {
                chars[at] = kFiller;
                cells[at] = kFiller | 0x70000u;
            }
            EXPECT_EQ(AnyFillerChar(chars.data(), n), at >= 0) << n << " " << at;
            EXPECT_EQ(AnyFillerCell(cells.data(), n), at >= 0) << n << " " << at;
        }
    }
}

// The sixteen-wide short-run forms write back the cells past the run: those
// must come out as they went in, for every run length.
TEST(CellRunsTest, ShortRunFormsChangeOnlyTheRunsCells) {
    for (int32_t n = 0; n <= kShortRun; ++n) {
        for (int32_t at = -1; at < kShortRun; ++at) {
            char16_t units[kShortRun];
            for (int32_t k = 0; k < kShortRun; ++k) units[k] = static_cast<char16_t>(0x4100 + k);
            std::vector<uint32_t> cells(kShortRun);
            std::vector<uint8_t> flags(kShortRun);
            std::vector<char16_t> chars(kShortRun);
            std::vector<uint16_t> attrs(kShortRun);
            for (int32_t k = 0; k < kShortRun; ++k) {
                cells[k] = 0xFFFF8000u - static_cast<uint32_t>(k) * 0x10003u;
                flags[k] = static_cast<uint8_t>(0x81 + k * 7);
                chars[k] = static_cast<char16_t>(u'a' + k);
                attrs[k] = static_cast<uint16_t>(0x1200 + k);
            }
            if (at >= 0) chars[at] = kFiller;
            const auto before = std::make_tuple(cells, flags, chars, attrs);
            EXPECT_EQ(AnyFillerInShortRun(chars.data(), n), at >= 0 && at < n) << n << " " << at;
            JoinShortRun(units, n, 0xA55A, cells.data());
            MaskShortRun(flags.data(), n, 0xFE);
            PutShortRun(units, n, uint16_t{0x0707}, chars.data(), attrs.data());
            for (int32_t k = 0; k < kShortRun; ++k) {
                const bool in = k < n;
                EXPECT_EQ(cells[k], in ? (units[k] | 0xA55A0000u) : std::get<0>(before)[k]) << n << " " << k;
                EXPECT_EQ(flags[k], in ? (std::get<1>(before)[k] & 0xFE) : std::get<1>(before)[k]) << n << " " << k;
                EXPECT_EQ(chars[k], in ? units[k] : std::get<2>(before)[k]) << n << " " << k;
                EXPECT_EQ(attrs[k], in ? 0x0707 : std::get<3>(before)[k]) << n << " " << k;
            }
        }
    }
}

TEST(CellRunsTest, SplitJoinMaskAndFillTouchExactlyTheirCells) {
    for (int32_t n = 0; n <= kMaxLen; ++n) {
        std::vector<uint32_t> cells(n + 1, 0xDEADBEEF);
        for (int32_t k = 0; k < n; ++k) cells[k] = 0xFFFF8000u - static_cast<uint32_t>(k) * 0x10003u;
        std::vector<char16_t> chars(n + 1, u'#');
        std::vector<uint16_t> attrs(n + 1, 0x1234);
        SplitCells(cells.data(), n, chars.data(), attrs.data());
        for (int32_t k = 0; k < n; ++k) {
            EXPECT_EQ(chars[k], static_cast<char16_t>(cells[k])) << n << " " << k;
            EXPECT_EQ(attrs[k], static_cast<uint16_t>(cells[k] >> 16)) << n << " " << k;
        }
        EXPECT_EQ(chars[n], u'#');
        EXPECT_EQ(attrs[n], 0x1234);

        std::vector<uint32_t> joined(n + 1, 0xDEADBEEF);
        JoinCells(chars.data(), n, 0xA55A, joined.data());
        std::vector<uint8_t> bytes(n + 1, 0x3C);
        for (int32_t k = 0; k < n; ++k) bytes[k] = static_cast<uint8_t>(k * 37);
        MaskBytes(bytes.data(), n, 0xF0, 0x05);
        for (int32_t k = 0; k < n; ++k) {
            EXPECT_EQ(joined[k], chars[k] | 0xA55A0000u) << n << " " << k;
            EXPECT_EQ(bytes[k], ((k * 37) & 0xF0) | 0x05) << n << " " << k;
        }
        EXPECT_EQ(joined[n], 0xDEADBEEFu);
        EXPECT_EQ(bytes[n], 0x3C);

        Fill16(chars.data(), n, char16_t{0xFEDC});
        Fill32(cells.data(), n, 0x89ABCDEFu);
        for (int32_t k = 0; k < n; ++k) {
            EXPECT_EQ(chars[k], 0xFEDC);
            EXPECT_EQ(cells[k], 0x89ABCDEFu);
        }
        EXPECT_EQ(chars[n], u'#');
        EXPECT_EQ(cells[n], 0xDEADBEEFu);
    }
}

TEST(CellRunsTest, BlankRunsStopAtTheFirstCellThatDiffers) {
    constexpr uint16_t kAttr = 0x17;
    // A cell differs by its character, by its attribute, or by both.
    const struct {
        char16_t Ch;
        uint16_t Attr;
    } odd[] = {{u'x', kAttr}, {u' ', 0x71}, {u'x', 0x71}};
    for (const auto& o : odd) {
        for (int32_t n = 0; n <= kMaxLen; ++n) {
            for (int32_t first = -1; first < n; ++first) {
                for (int32_t last : {first, n - 1}) {
                    std::vector<char16_t> chars(n, u' ');
                    std::vector<uint16_t> attrs(n, kAttr);
                    if (first >= 0) {
                        chars[first] = chars[last] = o.Ch;
                        attrs[first] = attrs[last] = o.Attr;
                    }
                    const int32_t prefix = first < 0 ? n : first;
                    const int32_t suffix = first < 0 ? n : n - 1 - last;
                    EXPECT_EQ(BlankPrefix(chars.data(), attrs.data(), n, kAttr), prefix)
                        << n << " " << first << " " << last;
                    EXPECT_EQ(BlankSuffix(chars.data(), attrs.data(), n, kAttr), suffix)
                        << n << " " << first << " " << last;
                }
            }
        }
    }
}

}  // namespace
}  // namespace console::cell_runs
