#pragma once
// What the protocol status window shows, computed from the front end's
// figures: the texts of its labels and the segments of its progress bar.
#include <cstdint>
#include <string>
#include <vector>

#include "transfer/transfer_ui.h"

namespace transfer {

// The progress bar's geometry in the window.
inline constexpr int kMeterLeft = 64;
inline constexpr int kMeterTop = 7;
inline constexpr int kMeterWidth = 377;
inline constexpr int kMeterHeight = 20;
inline constexpr int kMeterStep = 10;

std::string ProtocolNameOf(uint8_t protocolNumber);
std::string BlockCheckNameOf(uint8_t checkType);
// A name of more than 40 characters shows its first 40 and "...".
std::string ShownFileName(const std::string& name);
// Minutes ":" two-digit seconds, right-aligned in 6 characters.
std::string ElapsedText(int32_t ticks);
// Bytes transferred as a share of the file size, 0..100, rounded.
int ProgressPosition(int32_t transferred, int32_t fileSize);

// The whole segments of a bar and the partial one after them (0 when none).
struct MeterSegments {
    int Whole = 0;
    int PartialWidth = 0;
};
MeterSegments MeterSegmentsFor(int width, int step, int position, int minimum = 0,
                               int maximum = 100);

// The label and value lines of the window, in order.
struct StatusLine {
    std::string Label;
    std::string Value;
};
std::vector<StatusLine> StatusLines(const StatusView& view);

}  // namespace transfer
