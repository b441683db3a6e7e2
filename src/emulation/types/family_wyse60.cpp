// Sequence table and header of the WYSE60 family (types WYSE50 and WYSE60).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kWyse60Sequences[] = {
    {OpCursorPosition, ESC "=", kSeqRawBytes, 2, -31},            // 1
    {OpCursorPosition, ESC "a", kSeqNumbers, 2, 0},               // 2
    {OpEraseToEndOfField, ESC "T", kSeqExact, 0, 0},              // 3
    {OpEraseToEndOfScreenUnprotected, ESC "Y", kSeqExact, 0, 0},  // 4
    {OpEraseToEndOfScreenUnprotected, ESC "y", kSeqExact, 0, 0},  // 5
    {OpLockKeyboard, ESC "#", kSeqExact, 0, 0},                   // 6
    {OpUnlockKeyboard, ESC "\"", kSeqExact, 0, 0},                // 7
    {OpCursorHome, ESC "{", kSeqExact, 0, 0},                     // 8
    {OpInsertLineHome, ESC "E", kSeqExact, 0, 0},                 // 9
    {OpDeleteLineHome, ESC "R", kSeqExact, 0, 0},                 // 10
    {OpWyseAttribute, ESC "G", kSeqRawBytes, 1, 0},               // 11
    {OpGraphicsOn, ESC "H" STX, kSeqWhole, 0, 0},                 // 12
    {OpGraphicsOff, ESC "H" ETX, kSeqWhole, 0, 0},                // 13
    {OpGraphicCharacter, ESC "H", kSeqRawBytes, 1, 0},            // 14
    {OpWriteProtectOff, ESC "(", kSeqExact, 0, 0},                // 15
    {OpWriteProtectOn, ESC ")", kSeqExact, 0, 0},                 // 16
    {OpProtectAttributeNormal, ESC "`A", kSeqWhole, 0, 0},        // 17
    {OpProtectAttributeReverse, ESC "`6", kSeqWhole, 0, 0},       // 18
    {OpProtectAttributeDim, ESC "`7", kSeqWhole, 0, 0},           // 19
    {OpCursorHide, ESC "`0", kSeqWhole, 0, 0},                    // 20
    {OpCursorShow, ESC "`1", kSeqWhole, 0, 0},                    // 21
    {OpCursorSteadyBlock, ESC "`2", kSeqWhole, 0, 0},             // 22
    {OpCursorBlinkingLine, ESC "`3", kSeqWhole, 0, 0},            // 23
    {OpCursorSteadyLine, ESC "`4", kSeqWhole, 0, 0},              // 24
    {OpCursorBlinkingBlock, ESC "`5", kSeqWhole, 0, 0},           // 25
    {OpProtectAttributeAddBlink, ESC "`B", kSeqWhole, 0, 0},      // 26
    {OpProtectAttributeAddUnderline, ESC "`E", kSeqWhole, 0, 0},  // 27
    {OpProtectAttributeAddReverse, ESC "`F", kSeqWhole, 0, 0},    // 28
    {OpProtectAttributeAddDim, ESC "`G", kSeqWhole, 0, 0},        // 29
    {OpClearAllTabs, ESC "0", kSeqExact, 0, 0},                   // 30
    {OpClearAllTabs, ESC "3", kSeqExact, 0, 0},                   // 31
    {OpSetTabAtCursor, ESC "1", kSeqExact, 0, 0},                 // 32
    {OpClearTabAtCursor, ESC "2", kSeqExact, 0, 0},               // 33
    {OpHorizontalTab, ESC "i", kSeqExact, 0, 0},                  // 34
    {OpReverseLineFeed, ESC "j", kSeqExact, 0, 0},                // 35
    {OpBackTab, ESC "I", kSeqExact, 0, 0},                        // 36
    {OpClearAllReset, ESC "+", kSeqExact, 0, 0},                  // 37
    {OpClearAllReset, ESC "*", kSeqExact, 0, 0},                  // 38
    {OpClearAllReset, ESC ",", kSeqExact, 0, 0},                  // 39
    {OpProtectFieldsOn, ESC "&", kSeqExact, 0, 0},                // 40
    {OpProtectFieldsOff, ESC "'", kSeqExact, 0, 0},               // 41
    {OpSetDuplex, ESC "D", kSeqRawBytes, 1, 0},                   // 42
    {OpScrollModeOff, ESC "N", kSeqExact, 0, 0},                  // 43
    {OpScrollModeOn, ESC "O", kSeqExact, 0, 0},                   // 44
    {OpEraseToEndOfField, ESC "t", kSeqExact, 0, 0},              // 45
    {OpColumns132, ESC "`;", kSeqWhole, 0, 0},                    // 46
    {OpColumns80, ESC "`:", kSeqWhole, 0, 0},                     // 47
    {OpInsertModeOn, ESC "q", kSeqExact, 0, 0},                   // 48
    {OpInsertModeOff, ESC "r", kSeqExact, 0, 0},                  // 49
    {kIgnore, ESC "`", kSeqRawBytes, 1, 0},                       // 50
    {OpInsertCharacters, ESC "Q", kSeqExact, 0, 0},               // 51
    {OpDeleteCharacters, ESC "W", kSeqExact, 0, 0},               // 52
    {OpAutoPrintOff, DC4, kSeqExact, 0, 0},                       // 53
    {OpHostDataChecksum, ETB, kSeqRawBytes, 2, 0},                // 54
    {OpPropagateOn, ESC "e0", kSeqWhole, 0, 0},                   // 55
    {OpPropagateOff, ESC "e1", kSeqWhole, 0, 0},                  // 56
    {OpLoadCharBank, ESC "c@", kSeqWhole, 2, 0},                  // 57
    {OpSelectPrimaryBank, ESC "cB", kSeqWhole, 1, 0},             // 58
    {OpSelectSecondaryBank, ESC "cC", kSeqWhole, 1, 0},           // 59
    {OpLockingShift1, ESC "cE", kSeqWhole, 0, 0},                 // 60
    {OpLockingShift0, ESC "cD", kSeqWhole, 0, 0},                 // 61
    {OpEraseToEndOfLineUnprotected, ESC "cO", kSeqWhole, 0, 0},   // 62
    {OpEraseToEndOfLineUnprotected, ESC "cL", kSeqWhole, 0, 0},   // 63
    {OpInsertColumn, ESC "cM", kSeqRawBytes, 0, 0},               // 64
    {OpDeleteColumn, ESC "cJ", kSeqRawBytes, 0, 0},               // 65
    {OpAutoWrapStay, ESC "d.", kSeqWhole, 0, 0},                  // 66
    {OpAutoWrapImmediate, ESC "d/", kSeqWhole, 0, 0},             // 67
    {OpAutoPrintOn, ESC "d#", kSeqWhole, 0, 0},                   // 68
    {OpAuxModeOn, ESC "d%", kSeqWhole, 0, 0},                     // 69
    {OpAuxInputPause, ESC "d$", kSeqWhole, 0, 0},                 // 70
    {kIgnore, ESC "d", kSeqRawBytes, 1, 0},                       // 71
    {OpHostStatusText, ESC "z(" CR, kSeqOpenString, 0, 0},        // 72
    {kIgnore, ESC "z)" CR, kSeqOpenString, 0, 0},                 // 73
    {OpHostStatusText, ESC "f" CR, kSeqOpenString, 0, 0},         // 74
    {OpWyseDefineKey, ESC "Z" DEL, kSeqOpenString, 0, 0},         // 75
    {kIgnore, ESC "z" DEL, kSeqExact, 0, 0},                      // 76
    {OpTwoStepLabel, ESC "z", kSeqRawBytes, 1, 0},                // 77
    {OpDrawBoxTo, ESC "cG", kSeqRawBytes, 2, -31},                // 78
    {OpDrawBoxSize, ESC "cN", kSeqRawBytes, 2, -31},              // 79
    {OpFillRectangleTo, ESC "cF", kSeqRawBytes, 3, -31},          // 80
    {OpFillRectangleTo, ESC "cH", kSeqRawBytes, 3, -31},          // 81
    {OpColumnChangeNoClear, ESC "e.", kSeqWhole, 0, 0},           // 82
    {OpColumnChangeClearWhenChanged, ESC "e/", kSeqWhole, 0, 0},  // 83
    {OpSetAnswerBack, ESC "c;" EM, kSeqOpenString, 0, 0},         // 84
    {OpWyseEnquiry, ESC "c<", kSeqRawBytes, 0, 0},                // 85
    {kIgnore, ESC "c=", kSeqRawBytes, 0, 0},                      // 86
    {OpEnqMessageOff, ESC "e ", kSeqRawBytes, 0, 0},              // 87
    {OpEnqMessageOn, ESC "e!", kSeqRawBytes, 0, 0},               // 88
    {OpEnqReplyOn, ESC "e7", kSeqRawBytes, 0, 0},                 // 89
    {OpEnqReplyOff, ESC "e6", kSeqRawBytes, 0, 0},                // 90
    {OpRows24, ESC "e(", kSeqRawBytes, 0, 0},                     // 91
    {OpRows25, ESC "e)", kSeqRawBytes, 0, 0},                     // 92
    {OpRows42, ESC "e*", kSeqRawBytes, 0, 0},                     // 93
    {OpRows43, ESC "e+", kSeqRawBytes, 0, 0},                     // 94
    {kIgnore, ESC "e", kSeqRawBytes, 1, 0},                       // 95
    {OpClearUnprotected, ESC ";", kSeqExact, 0, 0},               // 96
    {OpClearUnprotected, ESC ":", kSeqExact, 0, 0},               // 97
    {kIgnore, ESC "A", kSeqRawBytes, 2, 0},                       // 98
    {OpClearToChar, ESC ".", kSeqRawBytes, 1, 0},                 // 99
    {OpClearScreen, ESC "x0", kSeqRawBytes, 0, 0},                // 100
    {kIgnore, ESC "x", kSeqRawBytes, 1, 0},                       // 101
    {kIgnore, ESC "^", kSeqRawBytes, 1, 0},                       // 102
    {OpWyseNoOp1, ESC "~3", kSeqRawBytes, 0, 0},                  // 103
    {OpWyseNoOp2, ESC "~2", kSeqRawBytes, 0, 0},                  // 104
    {OpWyseReset, ESC "~4", kSeqRawBytes, 0, 0},                  // 105
    {kIgnore, ESC "~", kSeqRawBytes, 1, 0},                       // 106
    {OpWyseCursorReport, ESC "?", kSeqExact, 0, 0},               // 107
    {OpWyseCursorReport132, ESC "b", kSeqExact, 0, 0},            // 108
    {OpWyseCursorReportPage, ESC "/", kSeqExact, 0, 0},           // 109
    {OpWyseCursorReportPage, ESC "w`", kSeqWhole, 0, 0},          // 110
    {kIgnore, ESC "wG", kSeqWhole, 0, 0},                         // 111
    {OpSelectPageAndPosition, ESC "-", kSeqRawBytes, 3, -31},     // 112
    {OpSelectPageAndPosition, ESC "w@", kSeqRawBytes, 3, -31},    // 113
    {OpSelectPage0, ESC "w0", kSeqWhole, 0, 0},                   // 114
    {OpSelectPage1, ESC "w1", kSeqWhole, 0, 0},                   // 115
    {OpSelectPage2, ESC "w2", kSeqWhole, 0, 0},                   // 116
    {OpSelectPage3, ESC "w3", kSeqWhole, 0, 0},                   // 117
    {OpSelectPage4, ESC "w4", kSeqWhole, 0, 0},                   // 118
    {OpSelectPage5, ESC "w5", kSeqWhole, 0, 0},                   // 119
    {OpSelectPage6, ESC "w6", kSeqWhole, 0, 0},                   // 120
    {OpSelectPage7, ESC "w7", kSeqWhole, 0, 0},                   // 121
    {OpNextPage, ESC "wC", kSeqWhole, 0, 0},                      // 122
    {OpNextPage, ESC "K", kSeqWhole, 0, 0},                       // 123
    {OpPreviousPage, ESC "wB", kSeqWhole, 0, 0},                  // 124
    {OpPreviousPage, ESC "J", kSeqWhole, 0, 0},                   // 125
    {OpDeviceAttributesReply, ESC " ", kSeqExact, 0, 0},          // 126
    {OpTwoStepHexGlyphs, ESC "cA", kSeqWhole, 0, 0},              // 127
    {kIgnore, ESC "c?", kSeqRawBytes, 1, 0},                      // 128
    {kIgnore, ESC "c8", kSeqRawBytes, 4, 0},                      // 129
    {OpClearHostKeys, ESC "cU", kSeqRawBytes, 0, 0},              // 130
    {kIgnore, ESC "c0", kSeqRawBytes, 4, 0},                      // 131
    {kIgnore, ESC "c1", kSeqRawBytes, 4, 0},                      // 132
    {kIgnore, ESC "c2", kSeqRawBytes, 1, 0},                      // 133
    {kIgnore, ESC "c3", kSeqRawBytes, 1, 0},                      // 134
    {kIgnore, ESC "c4", kSeqRawBytes, 1, 0},                      // 135
    {kIgnore, ESC "c5", kSeqRawBytes, 1, 0},                      // 136
    {kIgnore, ESC "c6", kSeqRawBytes, 1, 0},                      // 137
    {kIgnore, ESC "c7", kSeqRawBytes, 1, 0},                      // 138
    {OpWindowTitleText, ESC "F" CR, kSeqOpenString, 0, 0},        // 139
    {OpWyseCan, CAN, kSeqRawBytes, 0, 0},                         // 140
    {OpZmodemAutoStart, CAN "B00", kSeqWhole, 0, 0},              // 141
    {kIgnore, CAN "B01", kSeqExact, 0, 0},                        // 142
    {kIgnore, CAN "B09", kSeqExact, 0, 0},                        // 143
    {kIgnore, CAN CAN, kSeqExact, 0, 0},                          // 144
    {OpCtrlXPrint, CAN, kSeqRawBytes, 1, 0},                      // 145
    {OpSendLineUnprotected, ESC "4", kSeqExact, 0, 0},            // 146
    {OpSendLine, ESC "6", kSeqExact, 0, 0},                       // 147
    {OpSendCharacter, ESC "M", kSeqExact, 0, 0},                  // 148
    {OpUnknownEscape, ESC, kSeqRawBytes, 1, 0},                   // 149
    {OpPrintScreen, ESC "P", kSeqRawBytes, 0, 0},                 // 150
    {kIgnore, ESC "cP", kSeqRawBytes, 0, 0},                      // 151
    {kIgnore, ESC "cQ", kSeqRawBytes, 0, 0},                      // 152
    {kIgnore, ESC "cR", kSeqRawBytes, 0, 0},                      // 153
    {kIgnore, ESC "cS", kSeqRawBytes, 0, 0},                      // 154
    {kIgnore, DEL, kSeqExact, 0, 0},                              // 155
};
static_assert(std::size(kWyse60Sequences) == 155);

}  // namespace

constinit TermFamilyTable FamilyWyse60 = {
    .Name = "WYSE60",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = kWrapAtOnce,
    .AttrMode = kAttrEmbeddedMarks,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = kGSetAsciiAlt,
    .G1Default = kGSetOemUpper,
    .EightBit = 1,
    .DeviceAttributes = "60" CR,
    .TabStyle = kTabsEvery8,
    .ColumnChangeClear = 1,
    .ControlOps =
        {
            kIgnore,             // NUL
            OpSohReceived,       // SOH
            kIgnore,             // STX
            kIgnore,             // ETX
            kIgnore,             // EOT
            OpWyseEnquiry,       // ENQ
            kIgnore,             // ACK
            OpBell,              // BEL
            OpBackspace,         // BS
            OpHorizontalTab,     // HT
            OpLineFeed,          // LF
            OpCursorUpWrap,      // VT
            OpCursorRightWrap,   // FF
            OpCarriageReturn,    // CR
            OpUnlockKeyboard,    // SO
            OpLockKeyboard,      // SI
            kIgnore,             // DLE
            OpDc1Received,       // DC1
            OpDc2Received,       // DC2
            OpDc3Received,       // DC3
            OpDc4Received,       // DC4
            kIgnore,             // NAK
            kIgnore,             // SYN
            kSeq,                // ETB
            kSeq,                // CAN
            kIgnore,             // EM
            OpClearUnprotected,  // SUB
            kSeq,                // ESC
            OpHostCommandFsRs,   // FS
            kIgnore,             // GS
            OpCursorHome,        // RS
            OpNextLine,          // US
        },
    .KeyCount = 13,
    .Keys =
        {
            {console::kKeyHome, RS},
            {console::kKeyUp, VT},
            {console::kKeyLeft, BS},
            {console::kKeyRight, FF},
            {console::kKeyDown, LF},
            {console::kKeyDel, DEL},
            {console::kKeyPgDn, ESC "K"},
            {console::kKeyPgUp, ESC "J"},
            {console::kKeyIns, ESC "q"},
            {console::kKeyShiftTab, ESC "I"},
            {console::kKeyCtrlHome, ESC "{"},
            {console::kKeyEnd, ESC "T"},
            {console::kKeyBackspace, BS},
        },
    .SeqCount = std::size(kWyse60Sequences),
    .SeqTable = kWyse60Sequences,
};

}  // namespace emulation
