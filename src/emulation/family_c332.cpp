// Sequence table and header of the C332 family (types C332).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kC332Sequences[] = {
    {58, ESC "!", 1, 1, 0},        // 1 FieldAttribute
    {211, ESC "%", 1, 0, -31},     // 2 C332KeyboardStatus
    {36, ESC "(", 1, 0, -31},      // 3 LockKeyboard
    {37, ESC ")", 1, 0, -31},      // 4 UnlockKeyboard
    {117, ESC "1", 1, 0, -31},     // 5 SetTabAtCursor
    {116, ESC "2", 1, 0, -31},     // 6 ClearTabAtCursor
    {115, ESC "3", 1, 0, -31},     // 7 ClearAllTabs
    {40, ESC ";1", 6, 0, -31},     // 8 AutoPrintOff
    {39, ESC ";6", 6, 0, -31},     // 9 AutoPrintOn
    {325, ESC "<", 1, 1, -31},     // 10 ignored
    {325, ESC "=", 1, 0, -31},     // 11 ignored
    {8, ESC "@", 1, 2, -31},       // 12 CursorColumnRow
    {27, ESC "A", 1, 0, -31},      // 13 CursorUpWrap
    {28, ESC "B", 1, 0, -31},      // 14 CursorDown
    {20, ESC "C", 1, 0, -31},      // 15 CursorRightWrap
    {23, ESC "D", 1, 0, -31},      // 16 Backspace
    {325, ESC "F", 1, 0, -31},     // 17 ignored
    {30, ESC "H", 1, 0, -31},      // 18 CursorHome
    {15, ESC "I", 1, 0, -31},      // 19 EraseToEndOfLine
    {216, ESC "J", 1, 0, -31},     // 20 EraseUnprotectedToEnd
    {219, ESC "K", 1, 0, -31},     // 21 C332ClearAll
    {314, ESC "L", 1, 0, -31},     // 22 C332InsertLineUnprotected
    {315, ESC "M", 1, 0, -31},     // 23 C332DeleteLineUnprotected
    {212, ESC "N", 1, 1, 0},       // 24 InsertCharacter
    {142, ESC "O", 1, 1, -31},     // 25 DeleteCharacters
    {10, ESC "X", 1, 1, -31},      // 26 CursorRowIfSet
    {12, ESC "Y", 1, 1, -31},      // 27 CursorColumnIfSet
    {163, ESC "Z", 1, 0, -31},     // 28 C332CursorReport
    {203, ESC "b", 1, 0, -31},     // 29 HostStatusOn
    {202, ESC "c", 1, 0, 0},       // 30 HostStatusOff
    {200, ESC "d" GS, 7, 0, 0},    // 31 HostStatusText
    {213, ESC "e", 1, 4, -31},     // 32 C332NoOp
    {13, ESC "h", 1, 0, -31},      // 33 EraseToEndOfScreen
    {325, ESC "l", 1, 0, -31},     // 34 ignored
    {225, ESC "y", 1, 0, 0},       // 35 C332EscapeReply
    {220, ESC "[?E2", 6, 0, -31},  // 36 C332VtModeOn
    {325, ESC "[?E1", 6, 0, 0},    // 37 ignored
    {135, ESC "[?3l", 1, 0, -31},  // 38 Columns80
    {134, ESC "[?3h", 1, 0, -31},  // 39 Columns132
    {325, ESC "[?Co", 6, 0, -31},  // 40 ignored
    {325, ESC "[?Cn", 6, 0, -31},  // 41 ignored
    {325, ESC "[?Cp", 6, 0, -31},  // 42 ignored
    {325, ESC "[?Cq", 6, 0, -31},  // 43 ignored
    {325, ESC "[?Cr", 6, 0, -31},  // 44 ignored
    {325, ESC "[?F", 1, 0, -31},   // 45 ignored
    {325, ESC "[R", 1, 1, 0},      // 46 ignored
    {48, ESC "[1S", 6, 0, 0},      // 47 SelectPage1
    {49, ESC "[2S", 6, 0, 0},      // 48 SelectPage2
    {50, ESC "[3S", 6, 0, 0},      // 49 SelectPage3
    {325, ESC "[?Cb", 6, 0, -31},  // 50 ignored
    {325, ESC "[?Cc", 6, 0, -31},  // 51 ignored
    {325, ESC "[?Cd", 6, 0, -31},  // 52 ignored
    {325, ESC "[?Ce", 6, 4, -31},  // 53 ignored
    {293, ESC "[?h", 5, 2, 0},     // 54 C332SetMode
    {294, ESC "[?l", 5, 2, 0},     // 55 C332ResetMode
    {325, ESC "[h", 5, 1, 0},      // 56 ignored
    {325, ESC "[l", 5, 1, 0},      // 57 ignored
    {243, CAN "B00", 6, 1, 0},     // 58 ZmodemAutoStart
    {97, ESC "(", 6, 1, 0},        // 59 DesignateG0
    {98, ESC ")", 6, 1, 0},        // 60 DesignateG1
    {284, ESC "r2" GS, 7, 0, 0},   // 61 C332OpenFile
    {313, ESC "r1" GS, 7, 0, 0},   // 62 C332ReadFile
};
static_assert(std::size(kC332Sequences) == 62);

}  // namespace

constinit TermFamilyTable FamilyC332 = {
    .Name = "C332",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = 0,
    .AttrMode = 0,
    .AttrMasks = {0x04, 0x40, 0x08, 0, 0x10, 0x02, 0},
    .G0Default = 3,
    .G1Default = 12,
    .EightBit = 0,
    .DeviceAttributes = "",
    .TabStyle = 2,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore, kIgnore, 285,     kIgnore, kIgnore, kIgnore, kIgnore, 35,       // 0x00
            23,      214,     29,      kIgnore, kIgnore, 32,      83,      84,       // 0x08
            kIgnore, 81,      kIgnore, 82,      kIgnore, kIgnore, kIgnore, kSeq,     // 0x10
            kSeq,    kIgnore, kIgnore, kSeq,    165,     kIgnore, kIgnore, kIgnore,  // 0x18
        },
    .KeyCount = 11,
    .Keys =
        {
            {327, GS},   // Home
            {328, VT},   // Up
            {331, BS},   // Left
            {333, FF},   // Right
            {336, LF},   // Down
            {339, DEL},  // Del
            {337, US},   // PgDn
            {329, SUB},  // PgUp
            {338, EM},   // Ins
            {335, FS},   // End
            {8, BS},     // Backspace
        },
    .SeqCount = std::size(kC332Sequences),
    .SeqTable = kC332Sequences,
};

}  // namespace emulation
