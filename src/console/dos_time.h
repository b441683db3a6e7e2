#pragma once
// DOS packed date-times: bits 25-31 year - 1980, 21-24 month, 16-20 day, 11-15 hour,
// 5-10 minute, 0-4 second / 2.

#include <cstdint>
#include <cstdio>

namespace console {

struct DateTime {
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Each field is kept to its own bits, so an out-of-range value cannot spill into its neighbours.
void PackTime(const DateTime& time, int32_t& packed);
void UnpackTime(int32_t packed, DateTime& time);

// The DOS date-time of an open file's last write; 0 or the system's error.
int32_t GetFTime(std::FILE* file, int32_t& packed);
// Sets it (pending output is flushed first, so that it cannot change the time again); 0 or the
// error.
int32_t SetFTime(std::FILE* file, int32_t packed);

}  // namespace console
