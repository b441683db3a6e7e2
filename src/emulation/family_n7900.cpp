// Sequence table and header of the N7900 family (types N7900).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kN7900Sequences[] = {
    {9, VT, 2, 1, 1},             // 1 CursorRowAbsolute
    {11, DLE, 3, 1, 1},           // 2 CursorColumnAbsolute
    {8, ESC "1", 1, 2, 1},        // 3 CursorColumnRow
    {7, ESC "Y", 1, 2, -31},      // 4 CursorPosition
    {7, ESC "a", 4, 2, 0},        // 5 CursorPosition
    {15, ESC "K", 0, 0, 0},       // 6 EraseToEndOfLine
    {13, ESC "k", 0, 0, 0},       // 7 EraseToEndOfScreen
    {39, ESC "3", 0, 0, 0},       // 8 AutoPrintOn
    {40, ESC "4", 0, 0, 0},       // 9 AutoPrintOff
    {58, ESC "0", 1, 1, 0},       // 10 FieldAttribute
    {3, ESC "M", 0, 0, 0},        // 11 InsertLines
    {5, ESC "l", 0, 0, 0},        // 12 DeleteLines
    {46, ESC "P", 1, 1, -48},     // 13 SelectPage
    {325, ESC "g" ETX, 7, 0, 0},  // 14 ignored
    {83, ESC "(", 0, 0, 0},       // 15 LockingShift1
    {84, ESC ")", 0, 0, 0},       // 16 LockingShift0
    {80, ETB, 1, 2, 0},           // 17 HostDataChecksum
    {134, ESC "`;", 6, 0, 0},     // 18 Columns132
    {135, ESC "`:", 6, 0, 0},     // 19 Columns80
    {138, ESC "F", 0, 0, 0},      // 20 InsertModeToggle
    {142, ESC "E", 0, 0, 0},      // 21 DeleteCharacters
    {243, CAN "B00", 6, 0, 0},    // 22 ZmodemAutoStart
    {325, DEL, 0, 0, 0},          // 23 ignored
};
static_assert(std::size(kN7900Sequences) == 23);

}  // namespace

constinit TermFamilyTable FamilyN7900 = {
    .Name = "N7900",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = 0,
    .AttrMode = 0,
    .AttrMasks = {0x01, 0x02, 0x10, 0x20, 0x04, 0, 0},
    .G0Default = 0,
    .G1Default = 1,
    .EightBit = 0,
    .DeviceAttributes = "",
    .TabStyle = 0,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore, 30,      37, kIgnore, 36,  kIgnore, 20,      35,       // 0x00
            23,      kIgnore, 29, kSeq,    0,   32,      kIgnore, kIgnore,  // 0x08
            kSeq,    81,      63, 82,      64,  23,      kIgnore, kSeq,     // 0x10
            kSeq,    kIgnore, 27, kSeq,    165, kIgnore, 165,     kIgnore,  // 0x18
        },
    .KeyCount = 6,
    .Keys =
        {
            {327, SOH},  // Home
            {328, SUB},  // Up
            {331, NAK},  // Left
            {333, ACK},  // Right
            {336, LF},   // Down
            {339, DEL},  // Del
        },
    .SeqCount = std::size(kN7900Sequences),
    .SeqTable = kN7900Sequences,
};

}  // namespace emulation
