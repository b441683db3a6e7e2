// Sequence table and header of the VIEWPOINT family (types N7901 and VIEWPOINT).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kViewpointSequences[] = {
    {9, VT, 2, 1, 1},             // 1 CursorRowAbsolute
    {11, DLE, 3, 1, 1},           // 2 CursorColumnAbsolute
    {7, ESC "Y", 1, 2, -31},      // 3 CursorPosition
    {7, ESC "a", 4, 2, 0},        // 4 CursorPosition
    {17, ESC "K", 0, 0, 0},       // 5 EraseToEndOfLineUnprotected
    {14, ESC "k", 0, 0, 0},       // 6 EraseToEndOfScreenUnprotected
    {39, ESC "3", 0, 0, 0},       // 7 AutoPrintOn
    {40, ESC "4", 0, 0, 0},       // 8 AutoPrintOff
    {46, ESC "P", 1, 1, -48},     // 9 SelectPage
    {122, ESC "(", 0, 0, 0},      // 10 WriteProtectOff
    {121, ESC ")", 0, 0, 0},      // 11 WriteProtectOn
    {71, ESC "`A", 6, 0, 0},      // 12 ProtectAttributeNormal
    {72, ESC "`6", 6, 0, 0},      // 13 ProtectAttributeReverse
    {73, ESC "`7", 6, 0, 0},      // 14 ProtectAttributeDim
    {79, ESC "`B", 6, 0, 0},      // 15 ProtectAttributeAddBlink
    {76, ESC "`E", 6, 0, 0},      // 16 ProtectAttributeAddUnderline
    {77, ESC "`F", 6, 0, 0},      // 17 ProtectAttributeAddReverse
    {78, ESC "`G", 6, 0, 0},      // 18 ProtectAttributeAddDim
    {70, ESC "0", 1, 1, 0},       // 19 SetProtectAttribute
    {3, ESC "M", 0, 0, 0},        // 20 InsertLines
    {5, ESC "l", 0, 0, 0},        // 21 DeleteLines
    {36, ESC "5", 0, 0, 0},       // 22 LockKeyboard
    {37, ESC "6", 0, 0, 0},       // 23 UnlockKeyboard
    {240, ESC "c;" EM, 7, 0, 0},  // 24 SetAnswerBack
    {241, ESC "c<", 1, 0, 0},     // 25 WyseEnquiry
    {325, ESC "c=", 1, 0, 0},     // 26 ignored
    {140, ESC "cM", 1, 0, 0},     // 27 InsertColumn
    {143, ESC "cJ", 1, 0, 0},     // 28 DeleteColumn
    {325, ESC "c0", 1, 4, 0},     // 29 ignored
    {325, ESC "c1", 1, 4, 0},     // 30 ignored
    {325, ESC "c2", 1, 1, 0},     // 31 ignored
    {325, ESC "c3", 1, 1, 0},     // 32 ignored
    {325, ESC "c4", 1, 1, 0},     // 33 ignored
    {325, ESC "c5", 1, 1, 0},     // 34 ignored
    {325, ESC "c6", 1, 1, 0},     // 35 ignored
    {325, ESC "c7", 1, 1, 0},     // 36 ignored
    {325, ESC "c8", 1, 4, 0},     // 37 ignored
    {325, ESC "~", 1, 1, 0},      // 38 ignored
    {325, ESC "^", 1, 1, 0},      // 39 ignored
    {239, ESC "e ", 1, 0, 0},     // 40 EnqMessageOff
    {238, ESC "e!", 1, 0, 0},     // 41 EnqMessageOn
    {236, ESC "e7", 1, 0, 0},     // 42 EnqReplyOn
    {237, ESC "e6", 1, 0, 0},     // 43 EnqReplyOff
    {325, ESC "e", 1, 1, 0},      // 44 ignored
    {325, ESC "L", 0, 0, 0},      // 45 ignored
    {60, ESC "G", 1, 1, 0},       // 46 ViewpointAttribute
    {325, ESC "T", 0, 0, 0},      // 47 ignored
    {325, ESC "A", 1, 2, 0},      // 48 ignored
    {325, ESC "x", 0, 0, 0},      // 49 ignored
    {325, ESC "g" ETX, 7, 0, 0},  // 50 ignored
    {325, ESC "@", 0, 0, 0},      // 51 ignored
    {114, ESC "I", 0, 0, 0},      // 52 BackTab
    {134, ESC "`;", 6, 0, 0},     // 53 Columns132
    {135, ESC "`:", 6, 0, 0},     // 54 Columns80
    {265, ESC "`0", 6, 0, 0},     // 55 CursorHide
    {266, ESC "`1", 6, 0, 0},     // 56 CursorShow
    {270, ESC "`2", 6, 0, 0},     // 57 CursorSteadyBlock
    {269, ESC "`3", 6, 0, 0},     // 58 CursorBlinkingLine
    {268, ESC "`4", 6, 0, 0},     // 59 CursorSteadyLine
    {271, ESC "`5", 6, 0, 0},     // 60 CursorBlinkingBlock
    {325, ESC "`", 1, 1, 0},      // 61 ignored
    {235, ESC "F" CR, 7, 0, 0},   // 62 WindowTitleText
    {142, ESC "E", 0, 0, 0},      // 63 DeleteCharacters
    {87, ESC "H" STX, 6, 0, 0},   // 64 GraphicsOn
    {88, ESC "H" ETX, 6, 0, 0},   // 65 GraphicsOff
    {86, ESC "H", 1, 1, 0},       // 66 GraphicCharacter
    {123, ESC "+", 0, 0, 0},      // 67 ClearAllReset
    {123, ESC "*", 0, 0, 0},      // 68 ClearAllReset
    {123, ESC ",", 0, 0, 0},      // 69 ClearAllReset
    {7, ESC "=", 1, 2, -31},      // 70 CursorPosition
    {30, ESC "{", 0, 0, 0},       // 71 CursorHome
    {117, ESC "1", 0, 0, 0},      // 72 SetTabAtCursor
    {116, ESC "2", 0, 0, 0},      // 73 ClearTabAtCursor
    {215, ESC "i", 0, 0, 0},      // 74 TvTab
    {120, ESC "j", 0, 0, 0},      // 75 ReverseLineFeed
    {124, ESC "&", 0, 0, 0},      // 76 ProtectFieldsOn
    {126, ESC "'", 0, 0, 0},      // 77 ProtectFieldsOff
    {131, ESC "N", 0, 0, 0},      // 78 ScrollModeOff
    {130, ESC "O", 0, 0, 0},      // 79 ScrollModeOn
    {17, ESC "t", 0, 0, 0},       // 80 EraseToEndOfLineUnprotected
    {136, ESC "q", 0, 0, 0},      // 81 InsertModeOn
    {137, ESC "r", 0, 0, 0},      // 82 InsertModeOff
    {139, ESC "Q", 0, 0, 0},      // 83 InsertCharacters
    {142, ESC "W", 0, 0, 0},      // 84 DeleteCharacters
    {1, ESC ";", 0, 0, 0},        // 85 ClearUnprotected
    {160, ESC "?", 0, 0, 0},      // 86 WyseCursorReport
    {161, ESC "b", 0, 0, 0},      // 87 WyseCursorReport132
    {197, ESC " ", 0, 0, 0},      // 88 DeviceAttributesReply
    {14, ESC "y", 0, 0, 0},       // 89 EraseToEndOfScreenUnprotected
    {200, ESC "z(" CR, 7, 0, 0},  // 90 HostStatusText
    {325, ESC "z)" CR, 7, 0, 0},  // 91 ignored
    {325, ESC "z" DEL, 0, 0, 0},  // 92 ignored
    {246, ESC "z", 1, 1, 0},      // 93 TwoStepLabel
    {200, ESC "f" CR, 7, 0, 0},   // 94 HostStatusText
    {256, CAN, 0, 0, 0},          // 95 ViewpointCan
    {325, DEL, 0, 0, 0},          // 96 ignored
};
static_assert(std::size(kViewpointSequences) == 96);

}  // namespace

constinit TermFamilyTable FamilyViewpoint = {
    .Name = "VIEWPOINT",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = 0,
    .AttrMode = 1,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = 3,
    .G1Default = 4,
    .EightBit = 1,
    .DeviceAttributes = "",
    .TabStyle = 0,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore, 30,      37, kIgnore, 36,  241,     20,      35,       // 0x00
            23,      113,     29, kSeq,    0,   32,      121,     122,      // 0x08
            kSeq,    81,      63, 82,      64,  23,      kIgnore, kIgnore,  // 0x10
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
    .SeqCount = std::size(kViewpointSequences),
    .SeqTable = kViewpointSequences,
};

}  // namespace emulation
