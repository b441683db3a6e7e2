#include "console/key_codes.h"

#include <array>

namespace console {
namespace {

struct ExtendedKeyRow {
    uint16_t VirtualKey;
    std::array<uint8_t, 4> Codes;  // plain, Shift, Ctrl, Alt
};

// The keys that the key-down handler turns into extended keys; the function keys are ranges.
constexpr ExtendedKeyRow ExtendedKeyTable[] = {
    {vk::F11, {133, 135, 137, 139}},   {vk::F12, {134, 136, 138, 140}},
    {vk::F20, {215, 190, 223, 0}},     {vk::Tab, {0, 0, 148, 165}},
    {vk::Up, {72, 184, 141, 152}},     {vk::Down, {80, 192, 145, 160}},
    {vk::Left, {75, 187, 115, 155}},   {vk::Right, {77, 189, 116, 157}},
    {vk::Prior, {73, 185, 132, 153}},  {vk::Next, {81, 193, 118, 161}},
    {vk::Home, {71, 183, 119, 151}},   {vk::End, {79, 191, 117, 159}},
    {vk::Insert, {82, 194, 146, 162}}, {vk::Delete, {83, 195, 147, 163}},
    {vk::Clear, {76, 0, 0, 0}},        {vk::Escape, {0, 167, 0, 0}},
};

}  // namespace

ModifierColumn ColumnForModifiers(bool shift, bool ctrl, bool alt) {
    if (alt || (shift && ctrl)) return ModifierColumn::Alt;
    if (ctrl) return ModifierColumn::Ctrl;
    if (shift) return ModifierColumn::Shift;
    return ModifierColumn::Plain;
}

uint8_t ExtendedKeyCode(uint16_t virtualKey, ModifierColumn column) {
    const auto c = static_cast<unsigned>(column);
    if (virtualKey >= vk::F1 && virtualKey <= vk::F10) {
        // F1..F10: 59.., Shift 84.., Ctrl 94.., Alt 104..
        constexpr uint8_t first[] = {59, 84, 94, 104};
        return static_cast<uint8_t>(first[c] + (virtualKey - vk::F1));
    }
    if (virtualKey >= vk::F13 && virtualKey < vk::F20) {
        // F13..F19: 208.., Shift 224.., Ctrl 216.., no Alt form
        constexpr uint8_t first[] = {208, 224, 216, 0};
        return first[c] == 0 ? 0 : static_cast<uint8_t>(first[c] + (virtualKey - vk::F13));
    }
    for (const auto& row : ExtendedKeyTable)
        if (row.VirtualKey == virtualKey) return row.Codes[c];
    return 0;
}

KeyCode KeyCodeFromRawKey(uint16_t raw) {
    const unsigned h = raw >> 8;
    const unsigned c = raw & 0xFF;
    if (h == 0) return raw;
    switch (c) {
        case kClassGrey:
            if (h >= 0x3D && h <= 0x44) return static_cast<KeyCode>(h + 403);
            if (h >= 0x56 && h <= 0x5D) return static_cast<KeyCode>(h + 394);
            if (h >= 0x60 && h <= 0x67) return static_cast<KeyCode>(h + 376);
            return static_cast<KeyCode>(256 + h);
        case kClassExtended:
            if (h >= 0x47 && h <= 0x53) return static_cast<KeyCode>(416 + h);
            return static_cast<KeyCode>(256 + h);
        case kClassKeypadNumOff:
            return static_cast<KeyCode>(416 + h);
        case kClassKeypadNumOn:
            return h == 13 ? KeyCode{500} : static_cast<KeyCode>(h + 459);
        default:
            return static_cast<KeyCode>(c);
    }
}

}  // namespace console
