// Sequence table and header of the VT220 family (types VT100, VT220, VT320, VT420, LINUX, OZMEL,
// VOVUZIVA, SCOANSI and AT386).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kVt220Sequences[] = {
    {OpScoReverseForeground, ESC "[=H", kSeqParamList, 2, 1},      // 1
    {OpCursorPosition, ESC "[H", kSeqParamList, 2, 1},             // 2
    {OpCursorPosition, ESC "[f", kSeqParamList, 2, 1},             // 3
    {OpAnsiNoOp307, ESC "[=K", kSeqParamList, 1, 1},               // 4
    {OpSelectiveEraseLine, ESC "[?K", kSeqParamList, 1, 0},        // 5
    {OpEraseToStartOfLine, ESC "[1K", kSeqExact, 0, 0},            // 6
    {OpEraseLine, ESC "[2K", kSeqExact, 0, 1},                     // 7
    {OpEraseToEndOfLine, ESC "[K", kSeqParamList, 1, 1},           // 8
    {OpAnsiNoOp306, ESC "[=J", kSeqParamList, 1, 1},               // 9
    {OpSelectiveEraseDisplay, ESC "[?J", kSeqParamList, 1, 0},     // 10
    {OpClearScreenKeepCursor, ESC "[2J", kSeqExact, 0, 0},         // 11
    {OpEraseToStartOfScreen, ESC "[1J", kSeqExact, 0, 0},          // 12
    {OpEraseToEndOfScreen, ESC "[J", kSeqParamList, 1, 0},         // 13
    {OpScoBlink, ESC "[=D", kSeqParamList, 1, 1},                  // 14
    {OpCursorBackward, ESC "[D", kSeqParamList, 1, 1},             // 15
    {OpScoCursorShape, ESC "[=C", kSeqParamList, 2, 1},            // 16
    {OpTwoStepC, ESC "[?C", kSeqExact, 0, 0},                      // 17
    {OpCursorForward, ESC "[C", kSeqParamList, 1, 1},              // 18
    {OpScoBorderColour, ESC "[=A", kSeqParamList, 1, 1},           // 19
    {OpCursorUp, ESC "[A", kSeqParamList, 1, 1},                   // 20
    {OpAnsiNoOp304, ESC "[=B", kSeqParamList, 1, 1},               // 21
    {OpCursorDown, ESC "[B", kSeqParamList, 1, 1},                 // 22
    {OpSetOneMargin, ESC "[=m", kSeqParamList, 1, 1},              // 23
    {OpSelectGraphicRendition, ESC "[m", kSeqParamList, 10, 127},  // 24
    {OpSaveCursor, ESC "7", kSeqWhole, 0, 0},                      // 25
    {OpRestoreCursor, ESC "8", kSeqWhole, 0, 0},                   // 26
    {OpSaveCursor, ESC "[s", kSeqWhole, 0, 0},                     // 27
    {OpRestoreCursor, ESC "[u", kSeqWhole, 0, 0},                  // 28
    {OpScoDefineKey, ESC "Q", kSeqWhole, 2, 0},                    // 29
    {OpAutoWrapOn, ESC "[?7h", kSeqWhole, 0, 0},                   // 30
    {OpAutoWrapStay, ESC "[?7l", kSeqWhole, 0, 0},                 // 31
    {OpCursorKeysApplication, ESC "[?1h", kSeqWhole, 0, 0},        // 32
    {OpCursorKeysNormal, ESC "[?1l", kSeqWhole, 0, 0},             // 33
    {OpColumns132, ESC "[?3h", kSeqWhole, 0, 0},                   // 34
    {OpColumns80, ESC "[?3l", kSeqWhole, 0, 0},                    // 35
    {OpGraphicsModeEnter, ESC "[?38h", kSeqWhole, 0, 0},           // 36
    {OpGraphicsModeLeave, ESC "[?38l", kSeqWhole, 0, 0},           // 37
    {OpDeviceControlQ, ESC "Pq", kSeqParamList, 3, 0},             // 38
    {OpDownloadSoftFont, ESC "P{", kSeqParamList, 5, 0},           // 39
    {OpOriginModeOn, ESC "[?6h", kSeqWhole, 0, 0},                 // 40
    {OpOriginModeOff, ESC "[?6l", kSeqWhole, 0, 0},                // 41
    {OpMouseTrackingOn, ESC "[?1000h", kSeqWhole, 0, 0},           // 42
    {OpMouseTrackingOff, ESC "[?1000l", kSeqWhole, 0, 0},          // 43
    {OpCursorShow, ESC "[?25h", kSeqWhole, 0, 0},                  // 44
    {OpCursorHide, ESC "[?25l", kSeqWhole, 0, 0},                  // 45
    {OpSetPrivateMode, ESC "[?h", kSeqParamList, 10, 0},           // 46
    {OpResetPrivateMode, ESC "[?l", kSeqParamList, 10, 0},         // 47
    {kIgnore, ESC "=", kSeqWhole, 0, 0},                           // 48
    {kIgnore, ESC ">", kSeqWhole, 0, 0},                           // 49
    {OpDesignateG0, ESC "(", kSeqWhole, 1, 0},                     // 50
    {OpDesignateG1, ESC ")", kSeqWhole, 1, 0},                     // 51
    {OpLineFeed, ESC "D", kSeqWhole, 0, 0},                        // 52
    {OpReverseIndex, ESC "M", kSeqWhole, 0, 0},                    // 53
    {OpNextLine, ESC "E", kSeqWhole, 0, 0},                        // 54
    {OpScoBrightBackground, ESC "[=E", kSeqParamList, 1, 1},       // 55
    {OpTwoStepE, ESC "[?E", kSeqWhole, 0, 0},                      // 56
    {OpNextLine, ESC "[E", kSeqParamList, 1, 1},                   // 57
    {OpScoForeground, ESC "[=F", kSeqParamList, 1, 1},             // 58
    {OpCursorPrecedingLine, ESC "[F", kSeqParamList, 1, 1},        // 59
    {OpSetTabAtCursor, ESC "H", kSeqExact, 0, 0},                  // 60
    {OpTabsEvery8, ESC "[?5W", kSeqWhole, 0, 0},                   // 61
    {OpClearAllTabs, ESC "[3g", kSeqWhole, 0, 0},                  // 62
    {OpClearTabAtCursor, ESC "[0g", kSeqWhole, 0, 0},              // 63
    {OpSetTabAtCursor, ESC "[2g", kSeqWhole, 0, 0},                // 64
    {OpClearTabAtCursor, ESC "[1g", kSeqWhole, 0, 0},              // 65
    {OpAutoPrintOn, ESC "[?5i", kSeqWhole, 0, 0},                  // 66
    {OpAutoPrintOff, ESC "[?4i", kSeqWhole, 0, 0},                 // 67
    {OpPrinterControllerOn, ESC "[5i", kSeqWhole, 0, 0},           // 68
    {OpPrinterControllerOff, ESC "[4i", kSeqWhole, 0, 0},          // 69
    {OpPrintScreen, ESC "[2i", kSeqWhole, 0, 0},                   // 70
    {OpPrintToFileOn, ESC "[7i", kSeqNumbers, 0, 0},               // 71
    {OpPrintToFileOff, ESC "[6i", kSeqNumbers, 0, 0},              // 72
    {kIgnore, ESC "[i", kSeqParamList, 1, 0},                      // 73
    {OpInsertModeOn, ESC "[4h", kSeqWhole, 0, 0},                  // 74
    {OpInsertModeOff, ESC "[4l", kSeqWhole, 0, 0},                 // 75
    {OpLockKeyboard, ESC "[2h", kSeqWhole, 0, 0},                  // 76
    {OpUnlockKeyboard, ESC "[2l", kSeqWhole, 0, 0},                // 77
    {OpScoColourMode, ESC "[=L", kSeqParamList, 1, 1},             // 78
    {OpInsertLines, ESC "[L", kSeqParamList, 1, 1},                // 79
    {OpMousePositionReport, ESC "[492Z", kSeqWhole, 0, 0},         // 80
    {OpBackTab, ESC "[Z", kSeqParamList, 1, 1},                    // 81
    {OpScoReverseBackground, ESC "[=I", kSeqParamList, 1, 1},      // 82
    {OpHorizontalTab, ESC "[I", kSeqParamList, 1, 1},              // 83
    {OpDeleteCharacters, ESC "[P", kSeqParamList, 1, 1},           // 84
    {OpScoColourQuery, ESC "[=M", kSeqParamList, 1, 1},            // 85
    {OpDeleteLines, ESC "[M", kSeqParamList, 1, 1},                // 86
    {OpInsertCharacters, ESC "[@", kSeqParamList, 1, 1},           // 87
    {OpScrollUp, ESC "[S", kSeqParamList, 1, 1},                   // 88
    {OpScrollDown, ESC "[T", kSeqParamList, 1, 1},                 // 89
    {OpCursorRowAbsolute, ESC "[d", kSeqParamList, 1, 1},          // 90
    {OpScoBackground, ESC "[=G", kSeqParamList, 1, 1},             // 91
    {OpEightBitControls, ESC " G", kSeqWhole, 0, 0},               // 92
    {OpCursorColumnAbsolute, ESC "[G", kSeqParamList, 1, 1},       // 93
    {OpEraseCharacters, ESC "[X", kSeqParamList, 1, 1},            // 94
    {OpRepeatCharacter, ESC "[b", kSeqParamList, 2, 1},            // 95
    {OpScreenAlignment, ESC "#8", kSeqWhole, 0, 0},                // 96
    {kIgnore, ESC "#", kSeqWhole, 1, 0},                           // 97
    {OpStatusReport, ESC "[5n", kSeqWhole, 0, 0},                  // 98
    {OpCursorPositionReport, ESC "[n", kSeqWhole, 0, 0},           // 99
    {OpCursorPositionReport, ESC "[6n", kSeqWhole, 0, 0},          // 100
    {OpLockingShift2, ESC "n", kSeqWhole, 0, 0},                   // 101
    {OpLockingShift3, ESC "o", kSeqWhole, 0, 0},                   // 102
    {OpSingleShift2, ESC "N", kSeqWhole, 0, 0},                    // 103
    {OpSingleShift3, ESC "O", kSeqWhole, 0, 0},                    // 104
    {OpCursorColumnAbsolute, ESC "[`", kSeqParamList, 1, 1},       // 105
    {OpCursorForward, ESC "[a", kSeqParamList, 1, 1},              // 106
    {OpCursorDown, ESC "[e", kSeqParamList, 1, 1},                 // 107
    {OpScoCursorVisible, ESC "[=c", kSeqParamList, 1, 1},          // 108
    {OpCsiC, ESC "[c", kSeqParamList, 1, 0},                       // 109
    {OpDeviceAttributesReply, ESC "Z", kSeqExact, 0, 0},           // 110
    {OpResetToInitialState, ESC "c", kSeqWhole, 0, 0},             // 111
    {OpAnsiDelete, DEL, kSeqExact, 0, 127},                        // 112
    {OpShowEscape, ESC ESC, kSeqExact, 0, 0},                      // 113
    {OpScoGraphicCharacter, ESC "[=g", kSeqParamList, 1, 127},     // 114
    {OpScoShowCharacter, ESC "[g", kSeqParamList, 1, 1},           // 115
    {OpSevenBitControls, ESC " F", kSeqWhole, 0, 0},               // 116
    {OpPrinterStatusReport, ESC "[?15n", kSeqWhole, 0, 0},         // 117
    {OpSoftReset, ESC "!p", kSeqWhole, 0, 0},                      // 118
    {kIgnore, ESC "[?n", kSeqParamList, 1, 0},                     // 119
    {OpScoClearHome, ESC "[=l", kSeqWhole, 0, 1},                  // 120
    {OpResetMode, ESC "[l", kSeqParamList, 10, 0},                 // 121
    {OpSetMode, ESC "[h", kSeqParamList, 10, 0},                   // 122
    {OpSelectProtectedWrite, ESC "[1\"q", kSeqWhole, 0, 0},        // 123
    {OpSelectUnprotectedWrite, ESC "[2\"q", kSeqWhole, 0, 0},      // 124
    {OpSelectUnprotectedWrite, ESC "[0\"q", kSeqWhole, 0, 0},      // 125
    {kIgnore, ESC "<", kSeqWhole, 0, 0},                           // 126
    {kIgnore, ESC "[q", kSeqParamList, 1, 0},                      // 127
    {OpDesignateG2, ESC "*", kSeqWhole, 1, 0},                     // 128
    {OpDesignateG1Of96, ESC "-", kSeqWhole, 1, 0},                 // 129
    {OpDesignateG2Of96, ESC ".", kSeqWhole, 1, 0},                 // 130
    {OpDesignateG3Of96, ESC "/", kSeqWhole, 1, 0},                 // 131
    {OpDesignateG3, ESC "+", kSeqWhole, 1, 0},                     // 132
    {OpMouseReportMode, ESC "[Y", kSeqParamList, 1, 0},            // 133
    {OpZmodemAutoStart, CAN "B00", kSeqWhole, 0, 0},               // 134
    {OpLockingShift1Right, ESC "~", kSeqWhole, 0, 0},              // 135
    {OpLockingShift2Right, ESC "}", kSeqWhole, 0, 0},              // 136
    {OpLockingShift3Right, ESC "|", kSeqWhole, 0, 0},              // 137
    {OpT160eCharacter, ESC "[_", kSeqParamList, 2, 0},             // 138
    {OpCcciiCharacter, "\xC0", kSeqWhole, 3, 0},                   // 139
    {OpBackIndex, ESC "6", kSeqWhole, 0, 0},                       // 140
    {OpForwardIndex, ESC "9", kSeqWhole, 0, 0},                    // 141
    {OpCsiBraceRight, ESC "[}", kSeqParamList, 1, 0},              // 142
    {OpCsiTildeRight, ESC "[~", kSeqParamList, 1, 0},              // 143
    {OpCursorHomeDown, ESC "F", kSeqWhole, 0, 0},                  // 144
    {OpLinuxColours, ESC "[]", kSeqParamList, 2, 0},               // 145
    {OpSelectUtf8, ESC "%G", kSeqWhole, 0, 0},                     // 146
    {OpSelectUtf8, ESC "%8", kSeqWhole, 0, 0},                     // 147
    {OpCsiX, ESC "[x", kSeqParamList, 5, 0},                       // 148
    {OpCsiV, ESC "[v", kSeqParamList, 8, 0},                       // 149
    {OpClearAllTabs, ESC "[=z", kSeqWhole, 0, 1},                  // 150
    {OpCsiZ, ESC "[z", kSeqParamList, 4, 0},                       // 151
    {OpScoMarginsFull, ESC "[=r", kSeqWhole, 0, 1},                // 152
    {OpCsiR, ESC "[r", kSeqParamList, 10, 127},                    // 153
    {OpCsiT, ESC "[t", kSeqParamList, 10, 127},                    // 154
    {OpDeleteLines, ESC "[R", kSeqParamList, 1, 1},                // 155
    {OpScoReset, ESC "[U", kSeqWhole, 0, 0},                       // 156
    {OpEraseInMargins, ESC "[V", kSeqParamList, 1, 1},             // 157
    {OpAnsiNoOp299, ESC "[k", kSeqParamList, 1, 1},                // 158
    {OpMarginQuery, ESC "[o", kSeqParamList, 1, 1},                // 159
    {OpReverseIndexReturn, ESC "I", kSeqWhole, 0, 0},              // 160
    {OpMarginsRow, ESC "l", kSeqWhole, 0, 0},                      // 161
    {OpMarginsFull, ESC "m", kSeqWhole, 0, 0},                     // 162
    {OpResetPalette, ESC "]R", kSeqWhole, 0, 0},                   // 163
    {OpSetPaletteEntry, ESC "]P", kSeqWhole, 7, 0},                // 164
    {OpAuxModeOn, ESC "[1{", kSeqNumbers, 0, 0},                   // 165
    {OpAuxInputPause, ESC "[2{", kSeqNumbers, 0, 0},               // 166
    {OpAuxInputResume, ESC "[3{", kSeqNumbers, 0, 0},              // 167
    {OpAuxSelectPort, ESC "[4{", kSeqParamList, 3, 0},             // 168
    {OpCsiVerticalBar, ESC "[|", kSeqParamList, 10, 127},          // 169
};
static_assert(std::size(kVt220Sequences) == 169);

}  // namespace

constinit TermFamilyTable FamilyVt220 = {
    .Name = "VT220",
    .CsiSequences = 1,
    .ParamSeparator = ';',
    .WrapStyle = kWrapDeferred,
    .AttrMode = kAttrCurrentSelection,
    .AttrMasks = {0, 0, 0, 0, 0, 0, 0},
    .G0Default = kGSetAscii,
    .G1Default = kGSetLineDrawing,
    .EightBit = 1,
    .DeviceAttributes = ESC "[?62;1;2;6;7;8;9c",
    .TabStyle = kTabsEvery8,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore,                // NUL
            OpSohReceived,          // SOH
            kIgnore,                // STX
            kIgnore,                // ETX
            kIgnore,                // EOT
            OpAnsiEnquiry,          // ENQ
            kIgnore,                // ACK
            OpBell,                 // BEL
            OpCursorBackward,       // BS
            OpHorizontalTab,        // HT
            OpLineFeed,             // LF
            OpLineFeed,             // VT
            OpAnsiFormFeed,         // FF
            OpCarriageReturn,       // CR
            OpLockingShift1,        // SO
            OpLockingShift0,        // SI
            OpShowDle,              // DLE
            OpDc1Received,          // DC1
            OpDc2Received,          // DC2
            OpDc3Received,          // DC3
            OpDc4Received,          // DC4
            kIgnore,                // NAK
            kIgnore,                // SYN
            kIgnore,                // ETB
            kSeq,                   // CAN
            kIgnore,                // EM
            OpSubstituteCharacter,  // SUB
            kSeq,                   // ESC
            OpHostCommandFsRs,      // FS
            kIgnore,                // GS
            OpHostCommandFsRs,      // RS
            kIgnore,                // US
        },
    .KeyCount = 20,
    .Keys =
        {
            {console::kKeyHome, ESC "[1~"}, {console::kKeyUp, ESC "OA"},
            {console::kKeyLeft, ESC "OD"},  {console::kKeyRight, ESC "OC"},
            {console::kKeyDown, ESC "OB"},  {console::kKeyEnd, ESC "[4~"},
            {console::kKeyDel, DEL},        {console::kKeyPgUp, ESC "[5~"},
            {console::kKeyPgDn, ESC "[6~"}, {console::kKeyIns, ESC "[2~"},
            {console::kKeyF1, ESC "OP"},    {console::kKeyF2, ESC "OQ"},
            {console::kKeyF3, ESC "OR"},    {console::kKeyF4, ESC "OS"},
            {console::kKeyF5, ESC "OT"},    {console::kKeyF6, ESC "[17~"},
            {console::kKeyF7, ESC "[18~"},  {console::kKeyF8, ESC "[19~"},
            {console::kKeyF9, ESC "[20~"},  {console::kKeyF10, ESC "[21~"},
        },
    .SeqCount = std::size(kVt220Sequences),
    .SeqTable = kVt220Sequences,
};

}  // namespace emulation
