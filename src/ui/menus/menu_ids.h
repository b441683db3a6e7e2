#pragma once
// The ids of the menu items that code refers to by number.
#include <cstdint>

namespace ui::menu_id {

inline constexpr uint16_t kOpenReceiveFile = 101;
inline constexpr uint16_t kOpenTransmitFile = 102;
inline constexpr uint16_t kSaveSettings = 104;
inline constexpr uint16_t kSaveKeys = 111;
inline constexpr uint16_t kPrintScreen = 114;
inline constexpr uint16_t kQuit = 115;
inline constexpr uint16_t kEject = 116;
inline constexpr uint16_t kClearBackground = 119;
inline constexpr uint16_t kCopy = 201;
inline constexpr uint16_t kCopyAndPaste = 202;
inline constexpr uint16_t kCopyToOutputFile = 203;
inline constexpr uint16_t kPaste = 204;
inline constexpr uint16_t kReview = 403;
inline constexpr uint16_t kStartUrl = 585;
inline constexpr uint16_t kMouseOptions = 586;
inline constexpr uint16_t kHostName = 591;
inline constexpr uint16_t kCaptureToPrinter = 611;
inline constexpr uint16_t kCapture = 601;
inline constexpr uint16_t kDial = 580;
inline constexpr uint16_t kHangup = 584;
inline constexpr uint16_t kAbout = 902;
inline constexpr uint16_t kSupport = 903;
inline constexpr uint16_t kFirstTermType = 5601;
inline constexpr uint16_t kLastTermType = 5614;

}  // namespace ui::menu_id
