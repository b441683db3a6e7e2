#include "transfer/transfer_tools.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "console/dos_time.h"
#include "transfer/block_checks.h"

namespace transfer {
namespace {

const uint8_t* Text(const char* s) {
    return reinterpret_cast<const uint8_t*>(s);
}

TEST(BlockChecks, StandardCheckValues) {
    const char* check = "123456789";
    const size_t n = std::strlen(check);

    // The XMODEM CRC is the data followed by two zero bytes from 0; running a
    // good block with its CRC appended gives 0.
    uint16_t crc = UpdateCrc16(Text(check), n, 0);
    crc = UpdateCrc16(uint8_t(0), crc);
    crc = UpdateCrc16(uint8_t(0), crc);
    EXPECT_EQ(crc, 0x31C3);
    uint16_t verify = UpdateCrc16(Text(check), n, 0);
    verify = UpdateCrc16(uint8_t(crc >> 8), verify);
    verify = UpdateCrc16(uint8_t(crc & 0xFF), verify);
    EXPECT_EQ(verify, 0);

    uint16_t kermit = 0;
    for (size_t i = 0; i < n; ++i) kermit = UpdateKermitCrc(uint8_t(check[i]), kermit);
    EXPECT_EQ(kermit, 0x2189);

    EXPECT_EQ(UpdateCrc32(Text(check), n, 0xFFFFFFFFu) ^ 0xFFFFFFFFu, 0xCBF43926u);
    // A run gives what its bytes give one by one, whatever its length.
    uint8_t run[67];
    for (size_t i = 0; i < sizeof run; ++i) run[i] = uint8_t(i * 37 + 11);
    for (size_t length : {size_t(7), size_t(8), size_t(17), sizeof run}) {
        uint32_t single = 0x12345678u;
        for (size_t i = 0; i < length; ++i) single = UpdateCrc32(run[i], single);
        EXPECT_EQ(UpdateCrc32(run, length, 0x12345678u), single) << length;
    }

    uint16_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum = AddToChecksum(uint8_t(check[i]), sum);
    EXPECT_EQ(sum, 0x01DD);
    EXPECT_EQ(AddToChecksum(0x02, 0xFFFF), 0x0001);  // wraps at 65536
}

TEST(TickTimers, DeadlinesAcrossMidnight) {
    TickTimer t;
    // Started 10 ticks before midnight for 182 ticks.
    StartTickTimerAt(t, 182, kTicksPerDay - 10);
    EXPECT_FALSE(TickTimerExpiredAt(t, kTicksPerDay - 10));
    EXPECT_FALSE(TickTimerExpiredAt(t, kTicksPerDay));
    EXPECT_FALSE(TickTimerExpiredAt(t, 50));
    EXPECT_FALSE(TickTimerExpiredAt(t, 172));
    EXPECT_TRUE(TickTimerExpiredAt(t, 173));
    EXPECT_TRUE(TickTimerExpiredAt(t, 180));

    // Within the day, the plain comparison.
    StartTickTimerAt(t, 18, 1000);
    EXPECT_FALSE(TickTimerExpiredAt(t, 1018));
    EXPECT_TRUE(TickTimerExpiredAt(t, 1019));

    // More than a day is cut to a day.
    StartTickTimerAt(t, 2000000, 500);
    EXPECT_EQ(t.ExpireTick, 500 + kTicksPerDay);
    EXPECT_FALSE(TickTimerExpiredAt(t, kTicksPerDay));
    EXPECT_FALSE(TickTimerExpiredAt(t, 499));  // the next day

    StartTickTimerAt(t, 100, kTicksPerDay - 5);
    EXPECT_EQ(TickTimerElapsedAt(t, 3), 8);
    EXPECT_EQ(TickTimerElapsedAt(t, kTicksPerDay - 1), 4);
}

TEST(TransferNames, PathParts) {
    struct Case {
        const char* path;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\", "C:\\", ""},
        {"NAME", "", "NAME"},
        {"C:\\A\\B.TXT", "C:\\A", "B.TXT"},
        {"C:\\DIR", "C:\\", "DIR"},
        {"C:NAME", "C:", "NAME"},
        {"\\NAME", "\\", "NAME"},
        {"dir/sub/a.txt", "dir/sub", "a.txt"},
        {"C:/a.txt", "C:/", "a.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(NamePart(c.path), c.name) << c.path;
    }
    EXPECT_EQ(NamePart(std::string(100, 'x')).size(), 64u);
    EXPECT_EQ(AppendBackslash("C:"), "C:");
    EXPECT_EQ(AppendBackslash(""), "");
    EXPECT_EQ(AppendBackslash("C:\\DIR"), "C:\\DIR\\");
    EXPECT_EQ(AppendBackslash("C:\\DIR\\"), "C:\\DIR\\");
    EXPECT_EQ(UpperCaseName("a.txt~Z"), "A.TXT~Z");
}

TEST(TransferCalendar, DayNumbersRoundTrip) {
    EXPECT_EQ(DayNumberOf(1, 1, 1900), 0);
    EXPECT_EQ(DayNumberOf(28, 2, 1900), 58);
    EXPECT_EQ(DayNumberOf(1, 3, 1900), 59);
    EXPECT_EQ(DayNumberOf(1, 1, 70), 25567);
    EXPECT_EQ(DayNumberOf(1, 1, 2079), kBadDate);
    EXPECT_EQ(DayNumberOf(29, 2, 1900), kBadDate);
    EXPECT_EQ(DayNumberOf(29, 2, 2000), DayNumberOf(28, 2, 2000) + 1);
    // Every day of the calendar maps back to itself.
    for (int n = 0; n < DayNumberOf(31, 12, 2078) + 1; ++n) {
        int d, m, y;
        DayNumberToDMY(uint16_t(n), d, m, y);
        ASSERT_EQ(DayNumberOf(d, m, y), n) << d << "." << m << "." << y;
    }
    int d, m, y;
    DayNumberToDMY(kBadDate, d, m, y);
    EXPECT_EQ(d + m + y, 0);

    uint16_t days;
    int32_t secs;
    DateTimeSpan({10, 80000}, {12, 100}, days, secs);
    EXPECT_EQ(days, 1);
    EXPECT_EQ(secs, 6500);
    DateTimeRec r;
    AddToDateTime({10, 80000}, r, 1, 6500);
    EXPECT_EQ(r.Day, 12);
    EXPECT_EQ(r.Seconds, 100);
    AddToDateTime({12, 100}, r, 0, -(86400 + 6500));
    EXPECT_EQ(r.Day, 10);
    EXPECT_EQ(r.Seconds, 80000);
    // The most negative span subtracts whole days and a remainder, no overflow.
    AddToDateTime({30000, 0}, r, 0, INT32_MIN);
    EXPECT_EQ(int64_t(r.Day) * 86400 + r.Seconds, int64_t(30000) * 86400 + INT32_MIN);
}

TEST(TransferFileTimes, DosAndUnixSeconds) {
    struct Case {
        console::DateTime dos;
        int32_t unix;
    };
    const Case cases[] = {
        {{1980, 1, 1, 0, 0, 0}, 315532800},
        {{2004, 1, 10, 13, 37, 4}, 1073741824},  // first date that needs 11 octal digits
        {{2026, 12, 11, 7, 44, 20}, 1796975060},
        {{2000, 2, 29, 23, 59, 58}, 951868798},
    };
    for (const Case& c : cases) {
        int32_t packed;
        console::PackTime(c.dos, packed);
        EXPECT_EQ(DosTimeToUnix(packed), c.unix) << c.unix;
        EXPECT_EQ(UnixToDosTime(c.unix), packed) << c.unix;
    }
    // No valid date in the DOS time: no seconds.
    EXPECT_EQ(DosTimeToUnix(0), 0);
    // Before 1980 the first DOS time, not a wrapped year.
    int32_t first;
    console::PackTime({1980, 1, 1, 0, 0, 0}, first);
    EXPECT_EQ(UnixToDosTime(0), first);
    EXPECT_EQ(UnixToDosTime(-5), first);
    EXPECT_EQ(UnixToDosTime(315532799), first);
    console::DateTime back;
    console::UnpackTime(UnixToDosTime(0x7FFFFFFF), back);
    EXPECT_EQ(back.year, 2038);
}

TEST(TransferOctal, TextAndValue) {
    EXPECT_EQ(OctalText(8), "000000000010");
    EXPECT_EQ(OctalText(0xFFFFFFFFu), "037777777777");
    EXPECT_EQ(TrimNumberText("  0017 \r"), "17");
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {" 0017 ", 15},
        {"", 0},
        {"0", 0},
        {"18", 0},                    // not octal
        {"1 7", 0},                   // a blank inside
        {"10000000000", 1073741824},  // 11 digits that fit
        {"17777777777", 0x7FFFFFFF},
        {"20000000000", 0},   // beyond 31 bits
        {"100000000000", 0},  // 12 digits
        {"000000000000017", 15},
    };
    for (const Case& c : cases) EXPECT_EQ(OctalValue(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace transfer
