// Sequence table and header of the WYSE60 family (types WYSE50 and WYSE60).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kWyse60Sequences[] = {
    {7, ESC "=", 1, 2, -31},      // 1 CursorPosition
    {7, ESC "a", 4, 2, 0},        // 2 CursorPosition
    {18, ESC "T", 0, 0, 0},       // 3 EraseToEndOfField
    {14, ESC "Y", 0, 0, 0},       // 4 EraseToEndOfScreenUnprotected
    {14, ESC "y", 0, 0, 0},       // 5 EraseToEndOfScreenUnprotected
    {36, ESC "#", 0, 0, 0},       // 6 LockKeyboard
    {37, ESC "\"", 0, 0, 0},      // 7 UnlockKeyboard
    {30, ESC "{", 0, 0, 0},       // 8 CursorHome
    {4, ESC "E", 0, 0, 0},        // 9 InsertLineHome
    {6, ESC "R", 0, 0, 0},        // 10 DeleteLineHome
    {61, ESC "G", 1, 1, 0},       // 11 WyseAttribute
    {87, ESC "H" STX, 6, 0, 0},   // 12 GraphicsOn
    {88, ESC "H" ETX, 6, 0, 0},   // 13 GraphicsOff
    {86, ESC "H", 1, 1, 0},       // 14 GraphicCharacter
    {122, ESC "(", 0, 0, 0},      // 15 WriteProtectOff
    {121, ESC ")", 0, 0, 0},      // 16 WriteProtectOn
    {71, ESC "`A", 6, 0, 0},      // 17 ProtectAttributeNormal
    {72, ESC "`6", 6, 0, 0},      // 18 ProtectAttributeReverse
    {73, ESC "`7", 6, 0, 0},      // 19 ProtectAttributeDim
    {265, ESC "`0", 6, 0, 0},     // 20 CursorHide
    {266, ESC "`1", 6, 0, 0},     // 21 CursorShow
    {270, ESC "`2", 6, 0, 0},     // 22 CursorSteadyBlock
    {269, ESC "`3", 6, 0, 0},     // 23 CursorBlinkingLine
    {268, ESC "`4", 6, 0, 0},     // 24 CursorSteadyLine
    {271, ESC "`5", 6, 0, 0},     // 25 CursorBlinkingBlock
    {79, ESC "`B", 6, 0, 0},      // 26 ProtectAttributeAddBlink
    {76, ESC "`E", 6, 0, 0},      // 27 ProtectAttributeAddUnderline
    {77, ESC "`F", 6, 0, 0},      // 28 ProtectAttributeAddReverse
    {78, ESC "`G", 6, 0, 0},      // 29 ProtectAttributeAddDim
    {115, ESC "0", 0, 0, 0},      // 30 ClearAllTabs
    {115, ESC "3", 0, 0, 0},      // 31 ClearAllTabs
    {117, ESC "1", 0, 0, 0},      // 32 SetTabAtCursor
    {116, ESC "2", 0, 0, 0},      // 33 ClearTabAtCursor
    {113, ESC "i", 0, 0, 0},      // 34 HorizontalTab
    {120, ESC "j", 0, 0, 0},      // 35 ReverseLineFeed
    {114, ESC "I", 0, 0, 0},      // 36 BackTab
    {123, ESC "+", 0, 0, 0},      // 37 ClearAllReset
    {123, ESC "*", 0, 0, 0},      // 38 ClearAllReset
    {123, ESC ",", 0, 0, 0},      // 39 ClearAllReset
    {124, ESC "&", 0, 0, 0},      // 40 ProtectFieldsOn
    {126, ESC "'", 0, 0, 0},      // 41 ProtectFieldsOff
    {129, ESC "D", 1, 1, 0},      // 42 SetDuplex
    {131, ESC "N", 0, 0, 0},      // 43 ScrollModeOff
    {130, ESC "O", 0, 0, 0},      // 44 ScrollModeOn
    {18, ESC "t", 0, 0, 0},       // 45 EraseToEndOfField
    {134, ESC "`;", 6, 0, 0},     // 46 Columns132
    {135, ESC "`:", 6, 0, 0},     // 47 Columns80
    {136, ESC "q", 0, 0, 0},      // 48 InsertModeOn
    {137, ESC "r", 0, 0, 0},      // 49 InsertModeOff
    {325, ESC "`", 1, 1, 0},      // 50 ignored
    {139, ESC "Q", 0, 0, 0},      // 51 InsertCharacters
    {142, ESC "W", 0, 0, 0},      // 52 DeleteCharacters
    {40, DC4, 0, 0, 0},           // 53 AutoPrintOff
    {80, ETB, 1, 2, 0},           // 54 HostDataChecksum
    {145, ESC "e0", 6, 0, 0},     // 55 PropagateOn
    {146, ESC "e1", 6, 0, 0},     // 56 PropagateOff
    {104, ESC "c@", 6, 2, 0},     // 57 LoadCharBank
    {106, ESC "cB", 6, 1, 0},     // 58 SelectPrimaryBank
    {107, ESC "cC", 6, 1, 0},     // 59 SelectSecondaryBank
    {83, ESC "cE", 6, 0, 0},      // 60 LockingShift1
    {84, ESC "cD", 6, 0, 0},      // 61 LockingShift0
    {17, ESC "cO", 6, 0, 0},      // 62 EraseToEndOfLineUnprotected
    {17, ESC "cL", 6, 0, 0},      // 63 EraseToEndOfLineUnprotected
    {140, ESC "cM", 1, 0, 0},     // 64 InsertColumn
    {143, ESC "cJ", 1, 0, 0},     // 65 DeleteColumn
    {110, ESC "d.", 6, 0, 0},     // 66 AutoWrapStay
    {111, ESC "d/", 6, 0, 0},     // 67 AutoWrapImmediate
    {39, ESC "d#", 6, 0, 0},      // 68 AutoPrintOn
    {277, ESC "d%", 6, 0, 0},     // 69 AuxModeOn
    {278, ESC "d$", 6, 0, 0},     // 70 AuxInputPause
    {325, ESC "d", 1, 1, 0},      // 71 ignored
    {200, ESC "z(" CR, 7, 0, 0},  // 72 HostStatusText
    {325, ESC "z)" CR, 7, 0, 0},  // 73 ignored
    {200, ESC "f" CR, 7, 0, 0},   // 74 HostStatusText
    {147, ESC "Z" DEL, 7, 0, 0},  // 75 WyseDefineKey
    {325, ESC "z" DEL, 0, 0, 0},  // 76 ignored
    {246, ESC "z", 1, 1, 0},      // 77 TwoStepLabel
    {152, ESC "cG", 1, 2, -31},   // 78 DrawBoxTo
    {154, ESC "cN", 1, 2, -31},   // 79 DrawBoxSize
    {156, ESC "cF", 1, 3, -31},   // 80 FillRectangleTo
    {156, ESC "cH", 1, 3, -31},   // 81 FillRectangleTo
    {228, ESC "e.", 6, 0, 0},     // 82 ColumnChangeNoClear
    {227, ESC "e/", 6, 0, 0},     // 83 ColumnChangeClearWhenChanged
    {240, ESC "c;" EM, 7, 0, 0},  // 84 SetAnswerBack
    {241, ESC "c<", 1, 0, 0},     // 85 WyseEnquiry
    {325, ESC "c=", 1, 0, 0},     // 86 ignored
    {239, ESC "e ", 1, 0, 0},     // 87 EnqMessageOff
    {238, ESC "e!", 1, 0, 0},     // 88 EnqMessageOn
    {236, ESC "e7", 1, 0, 0},     // 89 EnqReplyOn
    {237, ESC "e6", 1, 0, 0},     // 90 EnqReplyOff
    {249, ESC "e(", 1, 0, 0},     // 91 Rows24
    {250, ESC "e)", 1, 0, 0},     // 92 Rows25
    {251, ESC "e*", 1, 0, 0},     // 93 Rows42
    {252, ESC "e+", 1, 0, 0},     // 94 Rows43
    {325, ESC "e", 1, 1, 0},      // 95 ignored
    {1, ESC ";", 0, 0, 0},        // 96 ClearUnprotected
    {1, ESC ":", 0, 0, 0},        // 97 ClearUnprotected
    {325, ESC "A", 1, 2, 0},      // 98 ignored
    {2, ESC ".", 1, 1, 0},        // 99 ClearToChar
    {0, ESC "x0", 1, 0, 0},       // 100 ClearScreen
    {325, ESC "x", 1, 1, 0},      // 101 ignored
    {325, ESC "^", 1, 1, 0},      // 102 ignored
    {229, ESC "~3", 1, 0, 0},     // 103 WyseNoOp1
    {230, ESC "~2", 1, 0, 0},     // 104 WyseNoOp2
    {210, ESC "~4", 1, 0, 0},     // 105 WyseReset
    {325, ESC "~", 1, 1, 0},      // 106 ignored
    {160, ESC "?", 0, 0, 0},      // 107 WyseCursorReport
    {161, ESC "b", 0, 0, 0},      // 108 WyseCursorReport132
    {162, ESC "/", 0, 0, 0},      // 109 WyseCursorReportPage
    {162, ESC "w`", 6, 0, 0},     // 110 WyseCursorReportPage
    {325, ESC "wG", 6, 0, 0},     // 111 ignored
    {57, ESC "-", 1, 3, -31},     // 112 SelectPageAndPosition
    {57, ESC "w@", 1, 3, -31},    // 113 SelectPageAndPosition
    {47, ESC "w0", 6, 0, 0},      // 114 SelectPage0
    {48, ESC "w1", 6, 0, 0},      // 115 SelectPage1
    {49, ESC "w2", 6, 0, 0},      // 116 SelectPage2
    {50, ESC "w3", 6, 0, 0},      // 117 SelectPage3
    {51, ESC "w4", 6, 0, 0},      // 118 SelectPage4
    {52, ESC "w5", 6, 0, 0},      // 119 SelectPage5
    {53, ESC "w6", 6, 0, 0},      // 120 SelectPage6
    {54, ESC "w7", 6, 0, 0},      // 121 SelectPage7
    {55, ESC "wC", 6, 0, 0},      // 122 NextPage
    {55, ESC "K", 6, 0, 0},       // 123 NextPage
    {56, ESC "wB", 6, 0, 0},      // 124 PreviousPage
    {56, ESC "J", 6, 0, 0},       // 125 PreviousPage
    {197, ESC " ", 0, 0, 0},      // 126 DeviceAttributesReply
    {247, ESC "cA", 6, 0, 0},     // 127 TwoStepHexGlyphs
    {325, ESC "c?", 1, 1, 0},     // 128 ignored
    {325, ESC "c8", 1, 4, 0},     // 129 ignored
    {245, ESC "cU", 1, 0, 0},     // 130 ClearHostKeys
    {325, ESC "c0", 1, 4, 0},     // 131 ignored
    {325, ESC "c1", 1, 4, 0},     // 132 ignored
    {325, ESC "c2", 1, 1, 0},     // 133 ignored
    {325, ESC "c3", 1, 1, 0},     // 134 ignored
    {325, ESC "c4", 1, 1, 0},     // 135 ignored
    {325, ESC "c5", 1, 1, 0},     // 136 ignored
    {325, ESC "c6", 1, 1, 0},     // 137 ignored
    {325, ESC "c7", 1, 1, 0},     // 138 ignored
    {235, ESC "F" CR, 7, 0, 0},   // 139 WindowTitleText
    {257, CAN, 1, 0, 0},          // 140 WyseCan
    {243, CAN "B00", 6, 0, 0},    // 141 ZmodemAutoStart
    {325, CAN "B01", 0, 0, 0},    // 142 ignored
    {325, CAN "B09", 0, 0, 0},    // 143 ignored
    {325, CAN CAN, 0, 0, 0},      // 144 ignored
    {43, CAN, 1, 1, 0},           // 145 CtrlXPrint
    {253, ESC "4", 0, 0, 0},      // 146 SendLineUnprotected
    {254, ESC "6", 0, 0, 0},      // 147 SendLine
    {255, ESC "M", 0, 0, 0},      // 148 SendCharacter
    {109, ESC, 1, 1, 0},          // 149 UnknownEscape
    {291, ESC "P", 1, 0, 0},      // 150 PrintScreen
    {325, ESC "cP", 1, 0, 0},     // 151 ignored
    {325, ESC "cQ", 1, 0, 0},     // 152 ignored
    {325, ESC "cR", 1, 0, 0},     // 153 ignored
    {325, ESC "cS", 1, 0, 0},     // 154 ignored
    {325, DEL, 0, 0, 0},          // 155 ignored
};
static_assert(std::size(kWyse60Sequences) == 155);

}  // namespace

constinit TermFamilyTable FamilyWyse60 = {
    .Name = "WYSE60",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = 0,
    .AttrMode = 0,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = 3,
    .G1Default = 6,
    .EightBit = 1,
    .DeviceAttributes = "60" CR,
    .TabStyle = 1,
    .ColumnChangeClear = 1,
    .ControlOps =
        {
            kIgnore, 196,     kIgnore, kIgnore, kIgnore, 241,     kIgnore, 35,    // 0x00
            23,      113,     29,      27,      20,      32,      37,      36,    // 0x08
            kIgnore, 81,      63,      82,      64,      kIgnore, kIgnore, kSeq,  // 0x10
            kSeq,    kIgnore, 1,       kSeq,    165,     kIgnore, 30,      33,    // 0x18
        },
    .KeyCount = 13,
    .Keys =
        {
            {327, RS},       // Home
            {328, VT},       // Up
            {331, BS},       // Left
            {333, FF},       // Right
            {336, LF},       // Down
            {339, DEL},      // Del
            {337, ESC "K"},  // PgDn
            {329, ESC "J"},  // PgUp
            {338, ESC "q"},  // Ins
            {271, ESC "I"},  // ShiftTab
            {375, ESC "{"},  // CtrlHome
            {335, ESC "T"},  // End
            {8, BS},         // Backspace
        },
    .SeqCount = std::size(kWyse60Sequences),
    .SeqTable = kWyse60Sequences,
};

}  // namespace emulation
