// Sequence table and header of the N7900 family (types N7900).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kN7900Sequences[] = {
    {OpCursorRowAbsolute, VT, kSeqLowBits, 1, 1},            // 1
    {OpCursorColumnAbsolute, DLE, kSeqPackedDecimal, 1, 1},  // 2
    {OpCursorColumnRow, ESC "1", kSeqRawBytes, 2, 1},        // 3
    {OpCursorPosition, ESC "Y", kSeqRawBytes, 2, -31},       // 4
    {OpCursorPosition, ESC "a", kSeqNumbers, 2, 0},          // 5
    {OpEraseToEndOfLine, ESC "K", kSeqExact, 0, 0},          // 6
    {OpEraseToEndOfScreen, ESC "k", kSeqExact, 0, 0},        // 7
    {OpAutoPrintOn, ESC "3", kSeqExact, 0, 0},               // 8
    {OpAutoPrintOff, ESC "4", kSeqExact, 0, 0},              // 9
    {OpFieldAttribute, ESC "0", kSeqRawBytes, 1, 0},         // 10
    {OpInsertLines, ESC "M", kSeqExact, 0, 0},               // 11
    {OpDeleteLines, ESC "l", kSeqExact, 0, 0},               // 12
    {OpSelectPage, ESC "P", kSeqRawBytes, 1, -48},           // 13
    {kIgnore, ESC "g" ETX, kSeqOpenString, 0, 0},            // 14
    {OpLockingShift1, ESC "(", kSeqExact, 0, 0},             // 15
    {OpLockingShift0, ESC ")", kSeqExact, 0, 0},             // 16
    {OpHostDataChecksum, ETB, kSeqRawBytes, 2, 0},           // 17
    {OpColumns132, ESC "`;", kSeqWhole, 0, 0},               // 18
    {OpColumns80, ESC "`:", kSeqWhole, 0, 0},                // 19
    {OpInsertModeToggle, ESC "F", kSeqExact, 0, 0},          // 20
    {OpDeleteCharacters, ESC "E", kSeqExact, 0, 0},          // 21
    {OpZmodemAutoStart, CAN "B00", kSeqWhole, 0, 0},         // 22
    {kIgnore, DEL, kSeqExact, 0, 0},                         // 23
};
static_assert(std::size(kN7900Sequences) == 23);

}  // namespace

constinit TermFamilyTable FamilyN7900 = {
    .Name = "N7900",
    .CsiSequences = 0,
    .ParamSeparator = '\0',
    .WrapStyle = kWrapAtOnce,
    .AttrMode = kAttrEmbeddedMarks,
    .AttrMasks = {0x01, 0x02, 0x10, 0x20, 0x04, 0, 0},
    .G0Default = kGSetAscii,
    .G1Default = kGSetN7900Graphics,
    .EightBit = 0,
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
            kIgnore,            // ENQ
            OpCursorRightWrap,  // ACK
            OpBell,             // BEL
            OpBackspace,        // BS
            kIgnore,            // HT
            OpLineFeed,         // LF
            kSeq,               // VT
            OpClearScreen,      // FF
            OpCarriageReturn,   // CR
            kIgnore,            // SO
            kIgnore,            // SI
            kSeq,               // DLE
            OpDc1Received,      // DC1
            OpDc2Received,      // DC2
            OpDc3Received,      // DC3
            OpDc4Received,      // DC4
            OpBackspace,        // NAK
            kIgnore,            // SYN
            kSeq,               // ETB
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
    .SeqCount = std::size(kN7900Sequences),
    .SeqTable = kN7900Sequences,
};

}  // namespace emulation
