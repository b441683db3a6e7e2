#include "console/dos_time.h"

#include "console/system_services.h"

namespace console {

void PackTime(const DateTime& time, int32_t& packed) {
    uint32_t value = (static_cast<uint32_t>(time.year - 1980) & 0x7F) << 25 |
                     (time.month & 0x0Fu) << 21 | (time.day & 0x1Fu) << 16 |
                     (time.hour & 0x1Fu) << 11 | (time.minute & 0x3Fu) << 5 |
                     ((time.second / 2) & 0x1Fu);
    packed = static_cast<int32_t>(value);
}

void UnpackTime(int32_t packed, DateTime& time) {
    uint32_t value = static_cast<uint32_t>(packed);
    time.year = static_cast<uint16_t>(1980 + (value >> 25));
    time.month = static_cast<uint16_t>((value >> 21) & 0x0F);
    time.day = static_cast<uint16_t>((value >> 16) & 0x1F);
    time.hour = static_cast<uint16_t>((value >> 11) & 0x1F);
    time.minute = static_cast<uint16_t>((value >> 5) & 0x3F);
    time.second = static_cast<uint16_t>((value & 0x1F) * 2);
}

int32_t GetFTime(std::FILE* file, int32_t& packed) {
    packed = 0;
    if (!file) return 6;  // ERROR_INVALID_HANDLE
    return platform::CurrentSystem().GetFileDosTime(file, packed);
}

int32_t SetFTime(std::FILE* file, int32_t packed) {
    if (!file) return 6;
    std::fflush(file);
    return platform::CurrentSystem().SetFileDosTime(file, packed);
}

}  // namespace console
