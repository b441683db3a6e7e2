#include "transfer/transfer_tools.h"

#include "console/dos_time.h"
#include "console/system_services.h"
#include "console/tick_clock.h"

namespace transfer {

// ---- timers ----

void StartTickTimerAt(TickTimer& timer, int32_t ticks, int32_t now) {
    if (ticks > kTicksPerDay) ticks = kTicksPerDay;
    timer.StartTick = now;
    timer.ExpireTick = now + ticks;
}

bool TickTimerExpiredAt(const TickTimer& timer, int32_t now) {
    if (now > timer.ExpireTick) return true;
    if (now >= timer.StartTick) return false;
    // The clock passed midnight since the start: lift it by one day.
    return now + kTicksPerDay > timer.ExpireTick;
}

int32_t TickTimerElapsedAt(const TickTimer& timer, int32_t now) {
    if (now >= timer.StartTick) return now - timer.StartTick;
    return now + (kTicksPerDay - timer.StartTick);
}

void StartTickTimer(TickTimer& timer, int32_t ticks) {
    StartTickTimerAt(timer, ticks, console::BiosTicks());
}
bool TickTimerExpired(const TickTimer& timer) {
    return TickTimerExpiredAt(timer, console::BiosTicks());
}
int32_t TickTimerElapsed(const TickTimer& timer) {
    return TickTimerElapsedAt(timer, console::BiosTicks());
}

// ---- names ----

namespace {
// "/" counts too: the system accepts it in paths as well as "\\".
bool IsDelimiter(char c) {
    return c == ':' || c == '\\' || c == '/';
}
// Position of the last delimiter, or npos.
size_t LastDelimiter(std::string_view s) {
    for (size_t i = s.size(); i > 0; --i)
        if (IsDelimiter(s[i - 1])) return i - 1;
    return std::string_view::npos;
}
}  // namespace

std::string UpperCaseName(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

std::string AppendBackslash(std::string_view s) {
    std::string out(s);
    if (!out.empty() && !IsDelimiter(out.back())) out += '\\';
    return out;
}

std::string DirectoryPart(std::string_view s) {
    const size_t at = LastDelimiter(s);
    if (at == std::string_view::npos) return {};
    if (at == 0) return std::string(s.substr(0, 1));
    // A drive stays a drive: C:\ and C: keep their delimiter, so that the
    // name appended later is rebuilt on the same drive.
    if (s[at] == ':' || s[at - 1] == ':') return std::string(s.substr(0, at + 1));
    return std::string(s.substr(0, at));
}

std::string NamePart(std::string_view s) {
    const size_t at = LastDelimiter(s);
    std::string_view name = at == std::string_view::npos ? s : s.substr(at + 1);
    return std::string(name.substr(0, 64));
}

// ---- calendar ----

namespace {
int FullYear(int year) {
    return year < 100 ? 1900 + year : year;
}
}  // namespace

bool LeapYear(int year) {
    year = FullYear(year);
    return year % 4 == 0 && year % 4000 != 0 && (year % 100 != 0 || year % 400 == 0);
}

int MonthLength(int month, int year) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return LeapYear(year) ? 29 : 28;
        default:
            return 0;
    }
}

bool DateValid(int day, int month, int year) {
    year = FullYear(year);
    return day >= 1 && year >= 1900 && year <= 2078 && month >= 1 && month <= 12 &&
           day <= MonthLength(month, year);
}

uint16_t DayNumberOf(int day, int month, int year) {
    year = FullYear(year);
    if (!DateValid(day, month, year)) return kBadDate;
    if (year == 1900 && month < 3) return uint16_t(month == 1 ? day - 1 : day + 30);
    int m = month - 3;
    if (month < 3) {
        m = month + 9;
        --year;
    }
    const int y = year - 1900;
    return uint16_t(((153 * m + 2) / 5 + (1461 * y) / 4 + day + 58) & 0xFFFF);
}

void DayNumberToDMY(uint16_t number, int& day, int& month, int& year) {
    if (number == kBadDate) {
        day = month = year = 0;
        return;
    }
    if (number <= 58) {
        year = 1900;
        if (number < 31) {
            month = 1;
            day = number + 1;
        } else {
            month = 2;
            day = number - 30;
        }
        return;
    }
    int t = number - 59;  // days since 1 March 1900
    const int y = (4 * t + 3) / 1461;
    t -= (1461 * y) / 4;
    const int m = (5 * t + 2) / 153;
    day = t - (153 * m + 2) / 5 + 1;
    if (m < 10) {
        month = m + 3;
        year = 1900 + y;
    } else {
        month = m - 9;
        year = 1901 + y;
    }
}

int32_t HMSToSeconds(int hour, int minute, int second) {
    return ((hour % 24) * 3600 + minute * 60 + second) % kSecondsPerDay;
}

void SecondsToHMS(int32_t t, int& hour, int& minute, int& second) {
    if (t < 0) {
        hour = minute = second = 0;
        return;
    }
    t %= kSecondsPerDay;
    hour = t / 3600;
    minute = (t % 3600) / 60;
    second = t % 60;
}

void DateTimeSpan(const DateTimeRec& a, const DateTimeRec& b, uint16_t& days, int32_t& seconds) {
    const bool aFirst = a.Day < b.Day || (a.Day == b.Day && a.Seconds <= b.Seconds);
    const DateTimeRec& early = aFirst ? a : b;
    const DateTimeRec& late = aFirst ? b : a;
    int32_t d = late.Day - early.Day;
    int32_t s = late.Seconds - early.Seconds;
    if (s < 0) {
        s += kSecondsPerDay;
        --d;
    }
    days = uint16_t(d);
    seconds = s;
}

void AddToDateTime(const DateTimeRec& a, DateTimeRec& result, uint16_t days, int32_t seconds) {
    int32_t d = int32_t(a.Day) + days;
    int32_t s = a.Seconds;
    if (seconds >= 0) {
        s += seconds % kSecondsPerDay;
        d += seconds / kSecondsPerDay;
        if (s >= kSecondsPerDay) {
            s -= kSecondsPerDay;
            ++d;
        }
    } else {
        const int64_t back = -int64_t(seconds);
        d -= int32_t(back / kSecondsPerDay);
        const int32_t rest = int32_t(back % kSecondsPerDay);
        if (rest > s) {
            --d;
            s += kSecondsPerDay;
        }
        s -= rest;
    }
    result.Day = uint16_t(d);
    result.Seconds = s;
}

// ---- file times ----

namespace {

// 1 January 1970, as a day number.
constexpr int32_t kEpochDay = 25567;
// The first and last DOS date-times that the calendar holds.
constexpr int32_t kFirstDosTime = (1 << 21) | (1 << 16);  // 1 January 1980, 00:00:00

int64_t UnixOf(int year, int month, int day, int hour, int minute, int second) {
    const uint16_t d = DayNumberOf(day, month, year);
    if (d == kBadDate) return -1;
    return (int64_t(d) - kEpochDay) * kSecondsPerDay + HMSToSeconds(hour, minute, second);
}

}  // namespace

int32_t DosTimeToUnix(int32_t dosTime) {
    console::DateTime t;
    console::UnpackTime(dosTime, t);
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return 0;
    const int64_t s = UnixOf(t.year, t.month, t.day, t.hour, t.minute, t.second);
    return s < 0 || s > 0x7FFFFFFF ? 0 : int32_t(s);
}

int32_t UnixToDosTime(int32_t seconds) {
    const int64_t first = UnixOf(1980, 1, 1, 0, 0, 0);
    if (seconds < first) return kFirstDosTime;
    int64_t day = kEpochDay + seconds / kSecondsPerDay;
    int32_t rest = seconds % kSecondsPerDay;
    if (day >= kBadDate) {
        // Beyond the calendar: the last second of its last day.
        day = kBadDate - 1;
        rest = kSecondsPerDay - 1;
    }
    console::DateTime t;
    int d, m, y, hh, mm, ss;
    DayNumberToDMY(uint16_t(day), d, m, y);
    SecondsToHMS(rest, hh, mm, ss);
    t.year = uint16_t(y);
    t.month = uint16_t(m);
    t.day = uint16_t(d);
    t.hour = uint16_t(hh);
    t.minute = uint16_t(mm);
    t.second = uint16_t(ss);
    int32_t packed = 0;
    console::PackTime(t, packed);
    return packed;
}

int32_t UnixTimeNow() {
    uint16_t year, month, day, hour, minute, second, ms;
    console::GetDate(year, month, day);
    console::GetTime(hour, minute, second, ms);
    const int64_t s = UnixOf(year, month, day, hour, minute, second);
    return s < 0 || s > 0x7FFFFFFF ? 0 : int32_t(s);
}

// ---- octal text ----

std::string OctalText(uint32_t value) {
    std::string out(12, '0');
    for (int i = 11; i >= 0 && value != 0; --i) {
        out[size_t(i)] = char('0' + (value & 7));
        value >>= 3;
    }
    return out;
}

std::string TrimNumberText(std::string_view s) {
    while (!s.empty() && uint8_t(s.back()) < 33) s.remove_suffix(1);
    while (!s.empty() && (uint8_t(s.front()) < 33 || s.front() == '0')) s.remove_prefix(1);
    return std::string(s);
}

int32_t OctalValue(std::string_view s) {
    const std::string digits = TrimNumberText(s);
    if (digits.size() > 11) return 0;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '7') return 0;
        value = value * 8 + (c - '0');
    }
    return value > 0x7FFFFFFF ? 0 : int32_t(value);
}

}  // namespace transfer
