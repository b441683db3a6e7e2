#pragma once
// The small toolbox every transfer engine shares: deadline timers on the day
// tick clock, flag words, name and path helpers, day-number calendar, DOS file
// times against seconds since 1970, and octal number text.
#include <cstdint>
#include <string>
#include <string_view>

namespace transfer {

// 18.2 ticks a second, counting up to this value in a day.
inline constexpr int32_t kTicksPerDay = 0x1800B0;

// A deadline on the day tick clock that keeps working across midnight.
struct TickTimer {
    int32_t StartTick = 0;
    int32_t ExpireTick = 0;
};

// Starts a timer of the given ticks from now; more than a day is cut to a day.
void StartTickTimer(TickTimer& timer, int32_t ticks);
bool TickTimerExpired(const TickTimer& timer);
// Ticks since the start, counting across one midnight.
int32_t TickTimerElapsed(const TickTimer& timer);

// The same with "now" given, so that callers holding a reading need not read
// the clock again.
void StartTickTimerAt(TickTimer& timer, int32_t ticks, int32_t now);
bool TickTimerExpiredAt(const TickTimer& timer, int32_t now);
int32_t TickTimerElapsedAt(const TickTimer& timer, int32_t now);

inline bool TestFlag(uint16_t flags, uint16_t bits) {
    return (flags & bits) != 0;
}
inline void SetFlagBits(uint16_t& flags, uint16_t bits) {
    flags = uint16_t(flags | bits);
}
inline void ClearFlagBits(uint16_t& flags, uint16_t bits) {
    flags = uint16_t(flags & ~bits);
}
inline bool WordInRange(uint16_t v, uint16_t low, uint16_t high) {
    return low <= v && v <= high;
}

// Names and paths with ":", "\" and "/" as the delimiters.
std::string UpperCaseName(std::string_view s);
// s with "\" appended unless it is empty or already ends in ":" or "\".
std::string AppendBackslash(std::string_view s);
// The text before the last delimiter; a drive keeps its ":" and a "\" right
// after it (C:\DIR gives C:\, C:NAME gives C:), a delimiter in first place is
// the whole result, none gives "".
std::string DirectoryPart(std::string_view s);
// The text after the last delimiter, at most 64 characters.
std::string NamePart(std::string_view s);

// Calendar on day numbers: day 0 is 1 January 1900; years below 100 are
// taken as 1900 + year; dates run from 1900 to 2078.
inline constexpr uint16_t kBadDate = 0xFFFF;
inline constexpr int32_t kBadTime = -1;
inline constexpr int32_t kSecondsPerDay = 86400;

struct DateTimeRec {
    uint16_t Day = 0;
    int32_t Seconds = 0;  // since midnight, 0..86399
};

bool LeapYear(int year);
int MonthLength(int month, int year);
bool DateValid(int day, int month, int year);
uint16_t DayNumberOf(int day, int month, int year);
void DayNumberToDMY(uint16_t number, int& day, int& month, int& year);
int32_t HMSToSeconds(int hour, int minute, int second);
void SecondsToHMS(int32_t t, int& hour, int& minute, int& second);
// The later of a and b minus the earlier, in whole days and seconds 0..86399.
void DateTimeSpan(const DateTimeRec& a, const DateTimeRec& b, uint16_t& days, int32_t& seconds);
// a plus days and seconds (seconds may be negative).
void AddToDateTime(const DateTimeRec& a, DateTimeRec& result, uint16_t days, int32_t seconds);

// DOS packed date-times are taken as UTC. A DOS time that holds no valid date
// gives 0 seconds; seconds before 1980 give the first DOS time (1 January
// 1980) and seconds beyond the calendar the last one, never wrapped fields.
int32_t DosTimeToUnix(int32_t dosTime);
int32_t UnixToDosTime(int32_t seconds);
// Now, in seconds since 1970.
int32_t UnixTimeNow();

// Twelve octal digits with leading zeros.
std::string OctalText(uint32_t value);
// Drops trailing characters below 33, then leading ones and leading zeros.
std::string TrimNumberText(std::string_view s);
// The value of octal text after trimming: 0 when it holds anything but
// octal digits, or more than 11 digits, or a value beyond 0x7FFFFFFF (so a
// date or size that does not fit is never cut to another number).
int32_t OctalValue(std::string_view s);

}  // namespace transfer
