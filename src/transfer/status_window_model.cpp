#include "transfer/status_window_model.h"

#include <algorithm>
#include <cstdio>

namespace transfer {

std::string ProtocolNameOf(uint8_t n) {
    static const char* const kNames[] = {"",         "ASCII",     "KERMIT", "XMODEM",  "XMODEMCRC",
                                         "XMODEM1K", "XMODEM1KG", "YMODEM", "YMODEMG", "ZMODEM"};
    return n < std::size(kNames) ? kNames[n] : "";
}

std::string BlockCheckNameOf(uint8_t t) {
    static const char* const kNames[] = {"None",   "Checksum", "Checksum2",
                                         "CRC 16", "CRC 32",   "CRC K"};
    return t < std::size(kNames) ? kNames[t] : "";
}

std::string ShownFileName(const std::string& name) {
    return name.size() > 40 ? name.substr(0, 40) + "..." : name;
}

std::string ElapsedText(int32_t ticks) {
    const int64_t seconds = (int64_t(std::max(ticks, 0)) + 9) * 92 / 1675;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    std::string s = text;
    if (s.size() < 6) s.insert(0, 6 - s.size(), ' ');
    return s;
}

int ProgressPosition(int32_t transferred, int32_t fileSize) {
    if (fileSize <= 0) return 0;
    const double share = double(std::max(transferred, 0)) * 100.0 / double(fileSize);
    return int(std::min(share + 0.5, 100.0));
}

MeterSegments MeterSegmentsFor(int width, int step, int position, int minimum, int maximum) {
    MeterSegments m;
    if (step <= 0 || maximum <= minimum || position <= minimum) return m;
    m.Whole = ((width - 3) / step * (position - minimum)) / (maximum - minimum) + 1;
    if (m.Whole * step > width - 4) {
        m.Whole = (width - 4) / step;
        m.PartialWidth = (width - 4) % step;
    }
    return m;
}

std::vector<StatusLine> StatusLines(const StatusView& v) {
    const int32_t len = v.BlockLength;
    auto blocks = [&](int64_t bytes) {
        return len > 0 ? std::to_string(bytes / len) : std::string("0");
    };
    const int32_t remaining = std::max(v.BytesRemaining, 0);
    return {
        {"Protocol:", ProtocolNameOf(v.ProtocolNumber)},
        {"Block check:", BlockCheckNameOf(v.CheckType)},
        {"File name:", ShownFileName(v.FileName)},
        {"File size:", std::to_string(v.FileSize)},
        {"Block size:", std::to_string(len)},
        {"Total blocks:", blocks(v.FileSize)},
        {"Bytes transferred:", std::to_string(v.BytesTransferred)},
        {"Bytes remaining:", std::to_string(remaining)},
        {"Blocks transferred:", blocks(v.BytesTransferred)},
        {"Blocks remaining:",
         len > 0 ? std::to_string(std::max<int64_t>((int64_t(remaining) + len - 1) / len, 0))
                 : "0"},
        {"Block errors:", std::to_string(v.BlockErrors)},
        {"Total errors:", std::to_string(v.TotalErrors)},
        {"Elapsed time:", ElapsedText(v.ElapsedTicks)},
        {"Status:", v.StatusText},
    };
}

}  // namespace transfer
