// Sequence table and header of the VT220 family (types VT100, VT220, VT320, VT420, LINUX, OZMEL,
// VOVUZIVA, SCOANSI and AT386).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kVt220Sequences[] = {
    {191, ESC "[=H", 5, 2, 1},      // 1 ScoReverseForeground
    {7, ESC "[H", 5, 2, 1},         // 2 CursorPosition
    {7, ESC "[f", 5, 2, 1},         // 3 CursorPosition
    {307, ESC "[=K", 5, 1, 1},      // 4 AnsiNoOp307
    {218, ESC "[?K", 5, 1, 0},      // 5 SelectiveEraseLine
    {19, ESC "[1K", 0, 0, 0},       // 6 EraseToStartOfLine
    {16, ESC "[2K", 0, 0, 1},       // 7 EraseLine
    {15, ESC "[K", 5, 1, 1},        // 8 EraseToEndOfLine
    {306, ESC "[=J", 5, 1, 1},      // 9 AnsiNoOp306
    {217, ESC "[?J", 5, 1, 0},      // 10 SelectiveEraseDisplay
    {194, ESC "[2J", 0, 0, 0},      // 11 ClearScreenKeepCursor
    {195, ESC "[1J", 0, 0, 0},      // 12 EraseToStartOfScreen
    {13, ESC "[J", 5, 1, 0},        // 13 EraseToEndOfScreen
    {305, ESC "[=D", 5, 1, 1},      // 14 ScoBlink
    {24, ESC "[D", 5, 1, 1},        // 15 CursorBackward
    {267, ESC "[=C", 5, 2, 1},      // 16 ScoCursorShape
    {223, ESC "[?C", 0, 0, 0},      // 17 TwoStepC
    {21, ESC "[C", 5, 1, 1},        // 18 CursorForward
    {264, ESC "[=A", 5, 1, 1},      // 19 ScoBorderColour
    {26, ESC "[A", 5, 1, 1},        // 20 CursorUp
    {304, ESC "[=B", 5, 1, 1},      // 21 AnsiNoOp304
    {28, ESC "[B", 5, 1, 1},        // 22 CursorDown
    {311, ESC "[=m", 5, 1, 1},      // 23 SetOneMargin
    {62, ESC "[m", 5, 10, 127},     // 24 SelectGraphicRendition
    {65, ESC "7", 6, 0, 0},         // 25 SaveCursor
    {66, ESC "8", 6, 0, 0},         // 26 RestoreCursor
    {65, ESC "[s", 6, 0, 0},        // 27 SaveCursor
    {66, ESC "[u", 6, 0, 0},        // 28 RestoreCursor
    {149, ESC "Q", 6, 2, 0},        // 29 ScoDefineKey
    {112, ESC "[?7h", 6, 0, 0},     // 30 AutoWrapOn
    {110, ESC "[?7l", 6, 0, 0},     // 31 AutoWrapStay
    {132, ESC "[?1h", 6, 0, 0},     // 32 CursorKeysApplication
    {133, ESC "[?1l", 6, 0, 0},     // 33 CursorKeysNormal
    {134, ESC "[?3h", 6, 0, 0},     // 34 Columns132
    {135, ESC "[?3l", 6, 0, 0},     // 35 Columns80
    {166, ESC "[?38h", 6, 0, 0},    // 36 GraphicsModeEnter
    {167, ESC "[?38l", 6, 0, 0},    // 37 GraphicsModeLeave
    {261, ESC "Pq", 5, 3, 0},       // 38 DeviceControlQ
    {260, ESC "P{", 5, 5, 0},       // 39 DownloadSoftFont
    {207, ESC "[?6h", 6, 0, 0},     // 40 OriginModeOn
    {208, ESC "[?6l", 6, 0, 0},     // 41 OriginModeOff
    {233, ESC "[?1000h", 6, 0, 0},  // 42 MouseTrackingOn
    {234, ESC "[?1000l", 6, 0, 0},  // 43 MouseTrackingOff
    {266, ESC "[?25h", 6, 0, 0},    // 44 CursorShow
    {265, ESC "[?25l", 6, 0, 0},    // 45 CursorHide
    {275, ESC "[?h", 5, 10, 0},     // 46 SetPrivateMode
    {276, ESC "[?l", 5, 10, 0},     // 47 ResetPrivateMode
    {325, ESC "=", 6, 0, 0},        // 48 ignored
    {325, ESC ">", 6, 0, 0},        // 49 ignored
    {97, ESC "(", 6, 1, 0},         // 50 DesignateG0
    {98, ESC ")", 6, 1, 0},         // 51 DesignateG1
    {29, ESC "D", 6, 0, 0},         // 52 LineFeed
    {119, ESC "M", 6, 0, 0},        // 53 ReverseIndex
    {33, ESC "E", 6, 0, 0},         // 54 NextLine
    {193, ESC "[=E", 5, 1, 1},      // 55 ScoBrightBackground
    {222, ESC "[?E", 6, 0, 0},      // 56 TwoStepE
    {33, ESC "[E", 5, 1, 1},        // 57 NextLine
    {189, ESC "[=F", 5, 1, 1},      // 58 ScoForeground
    {34, ESC "[F", 5, 1, 1},        // 59 CursorPrecedingLine
    {117, ESC "H", 0, 0, 0},        // 60 SetTabAtCursor
    {118, ESC "[?5W", 6, 0, 0},     // 61 TabsEvery8
    {115, ESC "[3g", 6, 0, 0},      // 62 ClearAllTabs
    {116, ESC "[0g", 6, 0, 0},      // 63 ClearTabAtCursor
    {117, ESC "[2g", 6, 0, 0},      // 64 SetTabAtCursor
    {116, ESC "[1g", 6, 0, 0},      // 65 ClearTabAtCursor
    {39, ESC "[?5i", 6, 0, 0},      // 66 AutoPrintOn
    {40, ESC "[?4i", 6, 0, 0},      // 67 AutoPrintOff
    {41, ESC "[5i", 6, 0, 0},       // 68 PrinterControllerOn
    {42, ESC "[4i", 6, 0, 0},       // 69 PrinterControllerOff
    {291, ESC "[2i", 6, 0, 0},      // 70 PrintScreen
    {44, ESC "[7i", 4, 0, 0},       // 71 PrintToFileOn
    {45, ESC "[6i", 4, 0, 0},       // 72 PrintToFileOff
    {325, ESC "[i", 5, 1, 0},       // 73 ignored
    {136, ESC "[4h", 6, 0, 0},      // 74 InsertModeOn
    {137, ESC "[4l", 6, 0, 0},      // 75 InsertModeOff
    {36, ESC "[2h", 6, 0, 0},       // 76 LockKeyboard
    {37, ESC "[2l", 6, 0, 0},       // 77 UnlockKeyboard
    {292, ESC "[=L", 5, 1, 1},      // 78 ScoColourMode
    {3, ESC "[L", 5, 1, 1},         // 79 InsertLines
    {232, ESC "[492Z", 6, 0, 0},    // 80 MousePositionReport
    {114, ESC "[Z", 5, 1, 1},       // 81 BackTab
    {192, ESC "[=I", 5, 1, 1},      // 82 ScoReverseBackground
    {113, ESC "[I", 5, 1, 1},       // 83 HorizontalTab
    {142, ESC "[P", 5, 1, 1},       // 84 DeleteCharacters
    {295, ESC "[=M", 5, 1, 1},      // 85 ScoColourQuery
    {5, ESC "[M", 5, 1, 1},         // 86 DeleteLines
    {139, ESC "[@", 5, 1, 1},       // 87 InsertCharacters
    {68, ESC "[S", 5, 1, 1},        // 88 ScrollUp
    {69, ESC "[T", 5, 1, 1},        // 89 ScrollDown
    {9, ESC "[d", 5, 1, 1},         // 90 CursorRowAbsolute
    {190, ESC "[=G", 5, 1, 1},      // 91 ScoBackground
    {323, ESC " G", 6, 0, 0},       // 92 EightBitControls
    {11, ESC "[G", 5, 1, 1},        // 93 CursorColumnAbsolute
    {157, ESC "[X", 5, 1, 1},       // 94 EraseCharacters
    {158, ESC "[b", 5, 2, 1},       // 95 RepeatCharacter
    {272, ESC "#8", 6, 0, 0},       // 96 ScreenAlignment
    {325, ESC "#", 6, 1, 0},        // 97 ignored
    {319, ESC "[5n", 6, 0, 0},      // 98 StatusReport
    {159, ESC "[n", 6, 0, 0},       // 99 CursorPositionReport
    {159, ESC "[6n", 6, 0, 0},      // 100 CursorPositionReport
    {89, ESC "n", 6, 0, 0},         // 101 LockingShift2
    {90, ESC "o", 6, 0, 0},         // 102 LockingShift3
    {91, ESC "N", 6, 0, 0},         // 103 SingleShift2
    {92, ESC "O", 6, 0, 0},         // 104 SingleShift3
    {11, ESC "[`", 5, 1, 1},        // 105 CursorColumnAbsolute
    {21, ESC "[a", 5, 1, 1},        // 106 CursorForward
    {28, ESC "[e", 5, 1, 1},        // 107 CursorDown
    {308, ESC "[=c", 5, 1, 1},      // 108 ScoCursorVisible
    {198, ESC "[c", 5, 1, 0},       // 109 CsiC
    {197, ESC "Z", 0, 0, 0},        // 110 DeviceAttributesReply
    {296, ESC "c", 6, 0, 0},        // 111 ResetToInitialState
    {281, DEL, 0, 0, 127},          // 112 AnsiDelete
    {188, ESC ESC, 0, 0, 0},        // 113 ShowEscape
    {309, ESC "[=g", 5, 1, 127},    // 114 ScoGraphicCharacter
    {199, ESC "[g", 5, 1, 1},       // 115 ScoShowCharacter
    {322, ESC " F", 6, 0, 0},       // 116 SevenBitControls
    {164, ESC "[?15n", 6, 0, 0},    // 117 PrinterStatusReport
    {209, ESC "!p", 6, 0, 0},       // 118 SoftReset
    {325, ESC "[?n", 5, 1, 0},      // 119 ignored
    {310, ESC "[=l", 6, 0, 1},      // 120 ScoClearHome
    {274, ESC "[l", 5, 10, 0},      // 121 ResetMode
    {273, ESC "[h", 5, 10, 0},      // 122 SetMode
    {127, ESC "[1\"q", 6, 0, 0},    // 123 SelectProtectedWrite
    {128, ESC "[2\"q", 6, 0, 0},    // 124 SelectUnprotectedWrite
    {128, ESC "[0\"q", 6, 0, 0},    // 125 SelectUnprotectedWrite
    {325, ESC "<", 6, 0, 0},        // 126 ignored
    {325, ESC "[q", 5, 1, 0},       // 127 ignored
    {99, ESC "*", 6, 1, 0},         // 128 DesignateG2
    {101, ESC "-", 6, 1, 0},        // 129 DesignateG1Of96
    {102, ESC ".", 6, 1, 0},        // 130 DesignateG2Of96
    {103, ESC "/", 6, 1, 0},        // 131 DesignateG3Of96
    {100, ESC "+", 6, 1, 0},        // 132 DesignateG3
    {231, ESC "[Y", 5, 1, 0},       // 133 MouseReportMode
    {243, CAN "B00", 6, 0, 0},      // 134 ZmodemAutoStart
    {93, ESC "~", 6, 0, 0},         // 135 LockingShift1Right
    {94, ESC "}", 6, 0, 0},         // 136 LockingShift2Right
    {95, ESC "|", 6, 0, 0},         // 137 LockingShift3Right
    {258, ESC "[_", 5, 2, 0},       // 138 T160eCharacter
    {259, "\xC0", 6, 3, 0},         // 139 CcciiCharacter
    {25, ESC "6", 6, 0, 0},         // 140 BackIndex
    {22, ESC "9", 6, 0, 0},         // 141 ForwardIndex
    {141, ESC "[}", 5, 1, 0},       // 142 CsiBraceRight
    {144, ESC "[~", 5, 1, 0},       // 143 CsiTildeRight
    {31, ESC "F", 6, 0, 0},         // 144 CursorHomeDown
    {282, ESC "[]", 5, 2, 0},       // 145 LinuxColours
    {283, ESC "%G", 6, 0, 0},       // 146 SelectUtf8
    {283, ESC "%8", 6, 0, 0},       // 147 SelectUtf8
    {286, ESC "[x", 5, 5, 0},       // 148 CsiX
    {287, ESC "[v", 5, 8, 0},       // 149 CsiV
    {115, ESC "[=z", 6, 0, 1},      // 150 ClearAllTabs
    {288, ESC "[z", 5, 4, 0},       // 151 CsiZ
    {312, ESC "[=r", 6, 0, 1},      // 152 ScoMarginsFull
    {289, ESC "[r", 5, 10, 127},    // 153 CsiR
    {290, ESC "[t", 5, 10, 127},    // 154 CsiT
    {5, ESC "[R", 5, 1, 1},         // 155 DeleteLines
    {297, ESC "[U", 6, 0, 0},       // 156 ScoReset
    {298, ESC "[V", 5, 1, 1},       // 157 EraseInMargins
    {299, ESC "[k", 5, 1, 1},       // 158 AnsiNoOp299
    {300, ESC "[o", 5, 1, 1},       // 159 MarginQuery
    {301, ESC "I", 6, 0, 0},        // 160 ReverseIndexReturn
    {302, ESC "l", 6, 0, 0},        // 161 MarginsRow
    {303, ESC "m", 6, 0, 0},        // 162 MarginsFull
    {316, ESC "]R", 6, 0, 0},       // 163 ResetPalette
    {317, ESC "]P", 6, 7, 0},       // 164 SetPaletteEntry
    {277, ESC "[1{", 4, 0, 0},      // 165 AuxModeOn
    {278, ESC "[2{", 4, 0, 0},      // 166 AuxInputPause
    {279, ESC "[3{", 4, 0, 0},      // 167 AuxInputResume
    {280, ESC "[4{", 5, 3, 0},      // 168 AuxSelectPort
    {320, ESC "[|", 5, 10, 127},    // 169 CsiVerticalBar
};
static_assert(std::size(kVt220Sequences) == 169);

}  // namespace

constinit TermFamilyTable FamilyVt220 = {
    .Name = "VT220",
    .CsiSequences = 1,
    .ParamSeparator = ';',
    .WrapStyle = 2,
    .AttrMode = 1,
    .AttrMasks = {0, 0, 0, 0, 0, 0, 0},
    .G0Default = 0,
    .G1Default = 2,
    .EightBit = 1,
    .DeviceAttributes = ESC "[?62;1;2;6;7;8;9c",
    .TabStyle = 1,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore, 196,     kIgnore, kIgnore, kIgnore, 242,     kIgnore, 35,       // 0x00
            24,      113,     29,      29,      205,     32,      83,      84,       // 0x08
            108,     81,      63,      82,      64,      kIgnore, kIgnore, kIgnore,  // 0x10
            kSeq,    kIgnore, 206,     kSeq,    165,     kIgnore, 165,     kIgnore,  // 0x18
        },
    .KeyCount = 20,
    .Keys =
        {
            {327, ESC "[1~"},   // Home
            {328, ESC "OA"},    // Up
            {331, ESC "OD"},    // Left
            {333, ESC "OC"},    // Right
            {336, ESC "OB"},    // Down
            {335, ESC "[4~"},   // End
            {339, DEL},         // Del
            {329, ESC "[5~"},   // PgUp
            {337, ESC "[6~"},   // PgDn
            {338, ESC "[2~"},   // Ins
            {315, ESC "OP"},    // F1
            {316, ESC "OQ"},    // F2
            {317, ESC "OR"},    // F3
            {318, ESC "OS"},    // F4
            {319, ESC "OT"},    // F5
            {320, ESC "[17~"},  // F6
            {321, ESC "[18~"},  // F7
            {322, ESC "[19~"},  // F8
            {323, ESC "[20~"},  // F9
            {324, ESC "[21~"},  // F10
        },
    .SeqCount = std::size(kVt220Sequences),
    .SeqTable = kVt220Sequences,
};

}  // namespace emulation
