// Sequence table and header of the C332 family (types C332).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kC332Sequences[] = {
    {OpFieldAttribute, ESC "!", kSeqRawBytes, 1, 0},               // 1
    {OpC332KeyboardStatus, ESC "%", kSeqRawBytes, 0, -31},         // 2
    {OpLockKeyboard, ESC "(", kSeqRawBytes, 0, -31},               // 3
    {OpUnlockKeyboard, ESC ")", kSeqRawBytes, 0, -31},             // 4
    {OpSetTabAtCursor, ESC "1", kSeqRawBytes, 0, -31},             // 5
    {OpClearTabAtCursor, ESC "2", kSeqRawBytes, 0, -31},           // 6
    {OpClearAllTabs, ESC "3", kSeqRawBytes, 0, -31},               // 7
    {OpAutoPrintOff, ESC ";1", kSeqWhole, 0, -31},                 // 8
    {OpAutoPrintOn, ESC ";6", kSeqWhole, 0, -31},                  // 9
    {kIgnore, ESC "<", kSeqRawBytes, 1, -31},                      // 10
    {kIgnore, ESC "=", kSeqRawBytes, 0, -31},                      // 11
    {OpCursorColumnRow, ESC "@", kSeqRawBytes, 2, -31},            // 12
    {OpCursorUpWrap, ESC "A", kSeqRawBytes, 0, -31},               // 13
    {OpCursorDown, ESC "B", kSeqRawBytes, 0, -31},                 // 14
    {OpCursorRightWrap, ESC "C", kSeqRawBytes, 0, -31},            // 15
    {OpBackspace, ESC "D", kSeqRawBytes, 0, -31},                  // 16
    {kIgnore, ESC "F", kSeqRawBytes, 0, -31},                      // 17
    {OpCursorHome, ESC "H", kSeqRawBytes, 0, -31},                 // 18
    {OpEraseToEndOfLine, ESC "I", kSeqRawBytes, 0, -31},           // 19
    {OpEraseUnprotectedToEnd, ESC "J", kSeqRawBytes, 0, -31},      // 20
    {OpC332ClearAll, ESC "K", kSeqRawBytes, 0, -31},               // 21
    {OpC332InsertLineUnprotected, ESC "L", kSeqRawBytes, 0, -31},  // 22
    {OpC332DeleteLineUnprotected, ESC "M", kSeqRawBytes, 0, -31},  // 23
    {OpInsertCharacter, ESC "N", kSeqRawBytes, 1, 0},              // 24
    {OpDeleteCharacters, ESC "O", kSeqRawBytes, 1, -31},           // 25
    {OpCursorRowIfSet, ESC "X", kSeqRawBytes, 1, -31},             // 26
    {OpCursorColumnIfSet, ESC "Y", kSeqRawBytes, 1, -31},          // 27
    {OpC332CursorReport, ESC "Z", kSeqRawBytes, 0, -31},           // 28
    {OpHostStatusOn, ESC "b", kSeqRawBytes, 0, -31},               // 29
    {OpHostStatusOff, ESC "c", kSeqRawBytes, 0, 0},                // 30
    {OpHostStatusText, ESC "d" GS, kSeqOpenString, 0, 0},          // 31
    {OpC332NoOp, ESC "e", kSeqRawBytes, 4, -31},                   // 32
    {OpEraseToEndOfScreen, ESC "h", kSeqRawBytes, 0, -31},         // 33
    {kIgnore, ESC "l", kSeqRawBytes, 0, -31},                      // 34
    {OpC332EscapeReply, ESC "y", kSeqRawBytes, 0, 0},              // 35
    {OpC332VtModeOn, ESC "[?E2", kSeqWhole, 0, -31},               // 36
    {kIgnore, ESC "[?E1", kSeqWhole, 0, 0},                        // 37
    {OpColumns80, ESC "[?3l", kSeqRawBytes, 0, -31},               // 38
    {OpColumns132, ESC "[?3h", kSeqRawBytes, 0, -31},              // 39
    {kIgnore, ESC "[?Co", kSeqWhole, 0, -31},                      // 40
    {kIgnore, ESC "[?Cn", kSeqWhole, 0, -31},                      // 41
    {kIgnore, ESC "[?Cp", kSeqWhole, 0, -31},                      // 42
    {kIgnore, ESC "[?Cq", kSeqWhole, 0, -31},                      // 43
    {kIgnore, ESC "[?Cr", kSeqWhole, 0, -31},                      // 44
    {kIgnore, ESC "[?F", kSeqRawBytes, 0, -31},                    // 45
    {kIgnore, ESC "[R", kSeqRawBytes, 1, 0},                       // 46
    {OpSelectPage1, ESC "[1S", kSeqWhole, 0, 0},                   // 47
    {OpSelectPage2, ESC "[2S", kSeqWhole, 0, 0},                   // 48
    {OpSelectPage3, ESC "[3S", kSeqWhole, 0, 0},                   // 49
    {kIgnore, ESC "[?Cb", kSeqWhole, 0, -31},                      // 50
    {kIgnore, ESC "[?Cc", kSeqWhole, 0, -31},                      // 51
    {kIgnore, ESC "[?Cd", kSeqWhole, 0, -31},                      // 52
    {kIgnore, ESC "[?Ce", kSeqWhole, 4, -31},                      // 53
    {OpC332SetMode, ESC "[?h", kSeqParamList, 2, 0},               // 54
    {OpC332ResetMode, ESC "[?l", kSeqParamList, 2, 0},             // 55
    {kIgnore, ESC "[h", kSeqParamList, 1, 0},                      // 56
    {kIgnore, ESC "[l", kSeqParamList, 1, 0},                      // 57
    {OpZmodemAutoStart, CAN "B00", kSeqWhole, 1, 0},               // 58
    {OpDesignateG0, ESC "(", kSeqWhole, 1, 0},                     // 59
    {OpDesignateG1, ESC ")", kSeqWhole, 1, 0},                     // 60
    {OpC332OpenFile, ESC "r2" GS, kSeqOpenString, 0, 0},           // 61
    {OpC332ReadFile, ESC "r1" GS, kSeqOpenString, 0, 0},           // 62
};
static_assert(std::size(kC332Sequences) == 62);

}  // namespace

constinit TermFamilyTable FamilyC332 = {
    .Name = "C332",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = kWrapAtOnce,
    .AttrMode = kAttrEmbeddedMarks,
    .AttrMasks = {0x04, 0x40, 0x08, 0, 0x10, 0x02, 0},
    .G0Default = kGSetAsciiAlt,
    .G1Default = kGSetC332Graphics,
    .EightBit = 0,
    .DeviceAttributes = "",
    .TabStyle = kTabsNone,
    .ColumnChangeClear = 0,
    .ControlOps =
        {
            kIgnore,              // NUL
            kIgnore,              // SOH
            OpC332BlockTransfer,  // STX
            kIgnore,              // ETX
            kIgnore,              // EOT
            kIgnore,              // ENQ
            kIgnore,              // ACK
            OpBell,               // BEL
            OpBackspace,          // BS
            OpTabToField,         // HT
            OpLineFeed,           // LF
            kIgnore,              // VT
            kIgnore,              // FF
            OpCarriageReturn,     // CR
            OpLockingShift1,      // SO
            OpLockingShift0,      // SI
            kIgnore,              // DLE
            OpDc1Received,        // DC1
            kIgnore,              // DC2
            OpDc3Received,        // DC3
            kIgnore,              // DC4
            kIgnore,              // NAK
            kIgnore,              // SYN
            kSeq,                 // ETB
            kSeq,                 // CAN
            kIgnore,              // EM
            kIgnore,              // SUB
            kSeq,                 // ESC
            OpHostCommandFsRs,    // FS
            kIgnore,              // GS
            kIgnore,              // RS
            kIgnore,              // US
        },
    .KeyCount = 11,
    .Keys =
        {
            {console::kKeyHome, GS},
            {console::kKeyUp, VT},
            {console::kKeyLeft, BS},
            {console::kKeyRight, FF},
            {console::kKeyDown, LF},
            {console::kKeyDel, DEL},
            {console::kKeyPgDn, US},
            {console::kKeyPgUp, SUB},
            {console::kKeyIns, EM},
            {console::kKeyEnd, FS},
            {console::kKeyBackspace, BS},
        },
    .SeqCount = std::size(kC332Sequences),
    .SeqTable = kC332Sequences,
};

}  // namespace emulation
