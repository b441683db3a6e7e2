// Sequence table and header of the VIEWPOINT family (types N7901 and VIEWPOINT).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kViewpointSequences[] = {
    {OpCursorRowAbsolute, VT, kSeqLowBits, 1, 1},                 // 1
    {OpCursorColumnAbsolute, DLE, kSeqPackedDecimal, 1, 1},       // 2
    {OpCursorPosition, ESC "Y", kSeqRawBytes, 2, -31},            // 3
    {OpCursorPosition, ESC "a", kSeqNumbers, 2, 0},               // 4
    {OpEraseToEndOfLineUnprotected, ESC "K", kSeqExact, 0, 0},    // 5
    {OpEraseToEndOfScreenUnprotected, ESC "k", kSeqExact, 0, 0},  // 6
    {OpAutoPrintOn, ESC "3", kSeqExact, 0, 0},                    // 7
    {OpAutoPrintOff, ESC "4", kSeqExact, 0, 0},                   // 8
    {OpSelectPage, ESC "P", kSeqRawBytes, 1, -48},                // 9
    {OpWriteProtectOff, ESC "(", kSeqExact, 0, 0},                // 10
    {OpWriteProtectOn, ESC ")", kSeqExact, 0, 0},                 // 11
    {OpProtectAttributeNormal, ESC "`A", kSeqWhole, 0, 0},        // 12
    {OpProtectAttributeReverse, ESC "`6", kSeqWhole, 0, 0},       // 13
    {OpProtectAttributeDim, ESC "`7", kSeqWhole, 0, 0},           // 14
    {OpProtectAttributeAddBlink, ESC "`B", kSeqWhole, 0, 0},      // 15
    {OpProtectAttributeAddUnderline, ESC "`E", kSeqWhole, 0, 0},  // 16
    {OpProtectAttributeAddReverse, ESC "`F", kSeqWhole, 0, 0},    // 17
    {OpProtectAttributeAddDim, ESC "`G", kSeqWhole, 0, 0},        // 18
    {OpSetProtectAttribute, ESC "0", kSeqRawBytes, 1, 0},         // 19
    {OpInsertLines, ESC "M", kSeqExact, 0, 0},                    // 20
    {OpDeleteLines, ESC "l", kSeqExact, 0, 0},                    // 21
    {OpLockKeyboard, ESC "5", kSeqExact, 0, 0},                   // 22
    {OpUnlockKeyboard, ESC "6", kSeqExact, 0, 0},                 // 23
    {OpSetAnswerBack, ESC "c;" EM, kSeqOpenString, 0, 0},         // 24
    {OpWyseEnquiry, ESC "c<", kSeqRawBytes, 0, 0},                // 25
    {kIgnore, ESC "c=", kSeqRawBytes, 0, 0},                      // 26
    {OpInsertColumn, ESC "cM", kSeqRawBytes, 0, 0},               // 27
    {OpDeleteColumn, ESC "cJ", kSeqRawBytes, 0, 0},               // 28
    {kIgnore, ESC "c0", kSeqRawBytes, 4, 0},                      // 29
    {kIgnore, ESC "c1", kSeqRawBytes, 4, 0},                      // 30
    {kIgnore, ESC "c2", kSeqRawBytes, 1, 0},                      // 31
    {kIgnore, ESC "c3", kSeqRawBytes, 1, 0},                      // 32
    {kIgnore, ESC "c4", kSeqRawBytes, 1, 0},                      // 33
    {kIgnore, ESC "c5", kSeqRawBytes, 1, 0},                      // 34
    {kIgnore, ESC "c6", kSeqRawBytes, 1, 0},                      // 35
    {kIgnore, ESC "c7", kSeqRawBytes, 1, 0},                      // 36
    {kIgnore, ESC "c8", kSeqRawBytes, 4, 0},                      // 37
    {kIgnore, ESC "~", kSeqRawBytes, 1, 0},                       // 38
    {kIgnore, ESC "^", kSeqRawBytes, 1, 0},                       // 39
    {OpEnqMessageOff, ESC "e ", kSeqRawBytes, 0, 0},              // 40
    {OpEnqMessageOn, ESC "e!", kSeqRawBytes, 0, 0},               // 41
    {OpEnqReplyOn, ESC "e7", kSeqRawBytes, 0, 0},                 // 42
    {OpEnqReplyOff, ESC "e6", kSeqRawBytes, 0, 0},                // 43
    {kIgnore, ESC "e", kSeqRawBytes, 1, 0},                       // 44
    {kIgnore, ESC "L", kSeqExact, 0, 0},                          // 45
    {OpViewpointAttribute, ESC "G", kSeqRawBytes, 1, 0},          // 46
    {kIgnore, ESC "T", kSeqExact, 0, 0},                          // 47
    {kIgnore, ESC "A", kSeqRawBytes, 2, 0},                       // 48
    {kIgnore, ESC "x", kSeqExact, 0, 0},                          // 49
    {kIgnore, ESC "g" ETX, kSeqOpenString, 0, 0},                 // 50
    {kIgnore, ESC "@", kSeqExact, 0, 0},                          // 51
    {OpBackTab, ESC "I", kSeqExact, 0, 0},                        // 52
    {OpColumns132, ESC "`;", kSeqWhole, 0, 0},                    // 53
    {OpColumns80, ESC "`:", kSeqWhole, 0, 0},                     // 54
    {OpCursorHide, ESC "`0", kSeqWhole, 0, 0},                    // 55
    {OpCursorShow, ESC "`1", kSeqWhole, 0, 0},                    // 56
    {OpCursorSteadyBlock, ESC "`2", kSeqWhole, 0, 0},             // 57
    {OpCursorBlinkingLine, ESC "`3", kSeqWhole, 0, 0},            // 58
    {OpCursorSteadyLine, ESC "`4", kSeqWhole, 0, 0},              // 59
    {OpCursorBlinkingBlock, ESC "`5", kSeqWhole, 0, 0},           // 60
    {kIgnore, ESC "`", kSeqRawBytes, 1, 0},                       // 61
    {OpWindowTitleText, ESC "F" CR, kSeqOpenString, 0, 0},        // 62
    {OpDeleteCharacters, ESC "E", kSeqExact, 0, 0},               // 63
    {OpGraphicsOn, ESC "H" STX, kSeqWhole, 0, 0},                 // 64
    {OpGraphicsOff, ESC "H" ETX, kSeqWhole, 0, 0},                // 65
    {OpGraphicCharacter, ESC "H", kSeqRawBytes, 1, 0},            // 66
    {OpClearAllReset, ESC "+", kSeqExact, 0, 0},                  // 67
    {OpClearAllReset, ESC "*", kSeqExact, 0, 0},                  // 68
    {OpClearAllReset, ESC ",", kSeqExact, 0, 0},                  // 69
    {OpCursorPosition, ESC "=", kSeqRawBytes, 2, -31},            // 70
    {OpCursorHome, ESC "{", kSeqExact, 0, 0},                     // 71
    {OpSetTabAtCursor, ESC "1", kSeqExact, 0, 0},                 // 72
    {OpClearTabAtCursor, ESC "2", kSeqExact, 0, 0},               // 73
    {OpTvTab, ESC "i", kSeqExact, 0, 0},                          // 74
    {OpReverseLineFeed, ESC "j", kSeqExact, 0, 0},                // 75
    {OpProtectFieldsOn, ESC "&", kSeqExact, 0, 0},                // 76
    {OpProtectFieldsOff, ESC "'", kSeqExact, 0, 0},               // 77
    {OpScrollModeOff, ESC "N", kSeqExact, 0, 0},                  // 78
    {OpScrollModeOn, ESC "O", kSeqExact, 0, 0},                   // 79
    {OpEraseToEndOfLineUnprotected, ESC "t", kSeqExact, 0, 0},    // 80
    {OpInsertModeOn, ESC "q", kSeqExact, 0, 0},                   // 81
    {OpInsertModeOff, ESC "r", kSeqExact, 0, 0},                  // 82
    {OpInsertCharacters, ESC "Q", kSeqExact, 0, 0},               // 83
    {OpDeleteCharacters, ESC "W", kSeqExact, 0, 0},               // 84
    {OpClearUnprotected, ESC ";", kSeqExact, 0, 0},               // 85
    {OpWyseCursorReport, ESC "?", kSeqExact, 0, 0},               // 86
    {OpWyseCursorReport132, ESC "b", kSeqExact, 0, 0},            // 87
    {OpDeviceAttributesReply, ESC " ", kSeqExact, 0, 0},          // 88
    {OpEraseToEndOfScreenUnprotected, ESC "y", kSeqExact, 0, 0},  // 89
    {OpHostStatusText, ESC "z(" CR, kSeqOpenString, 0, 0},        // 90
    {kIgnore, ESC "z)" CR, kSeqOpenString, 0, 0},                 // 91
    {kIgnore, ESC "z" DEL, kSeqExact, 0, 0},                      // 92
    {OpTwoStepLabel, ESC "z", kSeqRawBytes, 1, 0},                // 93
    {OpHostStatusText, ESC "f" CR, kSeqOpenString, 0, 0},         // 94
    {OpViewpointCan, CAN, kSeqExact, 0, 0},                       // 95
    {kIgnore, DEL, kSeqExact, 0, 0},                              // 96
};
static_assert(std::size(kViewpointSequences) == 96);

}  // namespace

constinit TermFamilyTable FamilyViewpoint = {
    .Name = "VIEWPOINT",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = kWrapAtOnce,
    .AttrMode = kAttrCurrentSelection,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = kGSetAsciiAlt,
    .G1Default = kGSetControlPictures,
    .EightBit = 1,
    .DeviceAttributes = "",
    .TabStyle = kTabsUnchanged,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore,            // NUL
            OpCursorHome,       // SOH
            OpUnlockKeyboard,   // STX
            kIgnore,            // ETX
            OpLockKeyboard,     // EOT
            OpWyseEnquiry,      // ENQ
            OpCursorRightWrap,  // ACK
            OpBell,             // BEL
            OpBackspace,        // BS
            OpHorizontalTab,    // HT
            OpLineFeed,         // LF
            kSeq,               // VT
            OpClearScreen,      // FF
            OpCarriageReturn,   // CR
            OpWriteProtectOn,   // SO
            OpWriteProtectOff,  // SI
            kSeq,               // DLE
            OpDc1Received,      // DC1
            OpDc2Received,      // DC2
            OpDc3Received,      // DC3
            OpDc4Received,      // DC4
            OpBackspace,        // NAK
            kIgnore,            // SYN
            kIgnore,            // ETB
            kSeq,               // CAN
            kIgnore,            // EM
            OpCursorUpWrap,     // SUB
            kSeq,               // ESC
            OpHostCommandFsRs,  // FS
            kIgnore,            // GS
            OpHostCommandFsRs,  // RS
            kIgnore,            // US
        },
    .KeyCount = 6,
    .Keys =
        {
            {console::kKeyHome, SOH},
            {console::kKeyUp, SUB},
            {console::kKeyLeft, NAK},
            {console::kKeyRight, ACK},
            {console::kKeyDown, LF},
            {console::kKeyDel, DEL},
        },
    .SeqCount = std::size(kViewpointSequences),
    .SeqTable = kViewpointSequences,
};

}  // namespace emulation
