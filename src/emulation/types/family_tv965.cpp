// Sequence table and header of the TV965 family (types TV965).

#include <iterator>

#include "console/key_codes.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/sequence_bytes.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kTv965Sequences[] = {
    {kIgnore, ESC "~", kSeqWhole, 1, 0},                          // 1
    {kIgnore, ESC "=20h", kSeqWhole, 0, 0},                       // 2
    {kIgnore, ESC "=20l", kSeqWhole, 0, 0},                       // 3
    {OpUnlockKeyboard, ESC "\"", kSeqWhole, 0, 0},                // 4
    {OpLockKeyboard, ESC "#", kSeqWhole, 0, 0},                   // 5
    {kIgnore, ESC "[=12h", kSeqWhole, 0, 0},                      // 6
    {kIgnore, ESC "[=12l", kSeqWhole, 0, 0},                      // 7
    {kIgnore, ESC "[=13h", kSeqWhole, 0, 0},                      // 8
    {kIgnore, ESC "[=13l", kSeqWhole, 0, 0},                      // 9
    {kIgnore, ESC "[=14h", kSeqWhole, 0, 0},                      // 10
    {kIgnore, ESC "[=14l", kSeqWhole, 0, 0},                      // 11
    {kIgnore, ESC "[14;v", kSeqRawBytes, 0, 0},                   // 12
    {kIgnore, ESC "\\", kSeqWhole, 1, 0},                         // 13
    {kIgnore, ESC "n", kSeqWhole, 0, 0},                          // 14
    {kIgnore, ESC ".9", kSeqWhole, 0, 0},                         // 15
    {kIgnore, ESC "o", kSeqWhole, 0, 0},                          // 16
    {kIgnore, ESC ".8", kSeqWhole, 0, 0},                         // 17
    {kIgnore, ESC "b", kSeqWhole, 0, 0},                          // 18
    {kIgnore, ESC "d", kSeqWhole, 0, 0},                          // 19
    {kIgnore, ESC "F2", kSeqWhole, 0, 0},                         // 20
    {kIgnore, ESC "F0", kSeqWhole, 0, 0},                         // 21
    {kIgnore, ESC "F1", kSeqWhole, 0, 0},                         // 22
    {kIgnore, ESC "[=2l", kSeqWhole, 0, 0},                       // 23
    {kIgnore, ESC "[=2h", kSeqWhole, 0, 0},                       // 24
    {kIgnore, ESC ".n", kSeqWhole, 0, 0},                         // 25
    {OpWyseAttribute, ESC "G", kSeqWhole, 1, 0},                  // 26
    {OpColumns80, ESC "[=3l", kSeqWhole, 0, 0},                   // 27
    {OpColumns80, ESC ".:", kSeqWhole, 0, 0},                     // 28
    {OpColumns132, ESC "[=3h", kSeqWhole, 0, 0},                  // 29
    {OpColumns132, ESC ".;", kSeqWhole, 0, 0},                    // 30
    {kIgnore, ESC "[=24h", kSeqWhole, 0, 0},                      // 31
    {kIgnore, ESC "[=24l", kSeqWhole, 0, 0},                      // 32
    {OpProtectAttributeReverse, ESC ".6", kSeqWhole, 0, 0},       // 33
    {OpProtectAttributeDim, ESC ".7", kSeqWhole, 0, 0},           // 34
    {OpProtectAttributeNormal, ESC ".A", kSeqWhole, 0, 0},        // 35
    {OpProtectAttributeAddBlink, ESC ".B", kSeqWhole, 0, 0},      // 36
    {OpProtectAttributeAddUnderline, ESC ".E", kSeqWhole, 0, 0},  // 37
    {OpProtectAttributeAddReverse, ESC ".F", kSeqWhole, 0, 0},    // 38
    {OpProtectAttributeAddDim, ESC ".G", kSeqWhole, 0, 0},        // 39
    {kIgnore, ESC "[=5h", kSeqWhole, 0, 0},                       // 40
    {kIgnore, ESC "[=5l", kSeqWhole, 0, 0},                       // 41
    {kIgnore, ESC "_4", kSeqWhole, 1, 0},                         // 42
    {kIgnore, ESC "_5", kSeqWhole, 1, 0},                         // 43
    {kIgnore, ESC "_6", kSeqWhole, 1, 0},                         // 44
    {kIgnore, ESC "_7", kSeqWhole, 1, 0},                         // 45
    {kIgnore, ESC "[3v", kSeqRawBytes, 1, 0},                     // 46
    {kIgnore, ESC "[=21h", kSeqWhole, 0, 0},                      // 47
    {kIgnore, ESC "[=21l", kSeqWhole, 0, 0},                      // 48
    {kIgnore, ESC "[=23h", kSeqWhole, 0, 0},                      // 49
    {kIgnore, ESC "[=23l", kSeqWhole, 0, 0},                      // 50
    {kIgnore, ESC "!1", kSeqWhole, 0, 0},                         // 51
    {kIgnore, ESC ".H", kSeqWhole, 0, 0},                         // 52
    {kIgnore, ESC "!2", kSeqWhole, 0, 0},                         // 53
    {kIgnore, ESC ".I", kSeqWhole, 0, 0},                         // 54
    {kIgnore, ESC "[9;v", kSeqRawBytes, 1, 0},                    // 55
    {OpLoadCharBankTv, ESC "x@", kSeqWhole, 2, 0},                // 56
    {kIgnore, ESC "x?", kSeqWhole, 1, 0},                         // 57
    {kIgnore, ESC "[=29h", kSeqWhole, 0, 0},                      // 58
    {kIgnore, ESC "[=29l", kSeqWhole, 0, 0},                      // 59
    {OpSelectPrimaryBank, ESC "xB", kSeqWhole, 1, 0},             // 60
    {OpSelectSecondaryBank, ESC "xC", kSeqWhole, 1, 0},           // 61
    {OpLockingShift0, ESC "xD", kSeqWhole, 0, 0},                 // 62
    {OpLockingShift1, ESC "xE", kSeqWhole, 0, 0},                 // 63
    {kIgnore, ESC "xA" EM, kSeqWhole, 0, 0},                      // 64
    {OpTvGraphicsOn, ESC "$", kSeqWhole, 0, 0},                   // 65
    {OpLockingShift0Unprotect, ESC "%", kSeqWhole, 0, 0},         // 66
    {OpDrawProtectedBoxSize, ESC "H", kSeqWhole, 2, -31},         // 67
    {OpDrawProtectedBoxTo, ESC "xG", kSeqWhole, 2, -31},          // 68
    {OpAutoWrapImmediate, ESC "[=7h", kSeqWhole, 0, 0},           // 69
    {OpAutoWrapStay, ESC "[=7l", kSeqWhole, 0, 0},                // 70
    {kIgnore, ESC "[=6h", kSeqWhole, 0, 0},                       // 71
    {kIgnore, ESC "[=6l", kSeqWhole, 0, 0},                       // 72
    {kIgnore, ESC "[=9h", kSeqWhole, 0, 0},                       // 73
    {kIgnore, ESC "[=9l", kSeqWhole, 0, 0},                       // 74
    {OpProtectFieldsOnTv, ESC "&", kSeqWhole, 0, 0},              // 75
    {OpProtectFieldsOff, ESC "'", kSeqWhole, 0, 0},               // 76
    {OpWriteProtectOn, ESC ")", kSeqWhole, 0, 0},                 // 77
    {OpWriteProtectOff, ESC "(", kSeqWhole, 0, 0},                // 78
    {kIgnore, ESC "\\C", kSeqWhole, 1, 0},                        // 79
    {kIgnore, ESC "\\E", kSeqWhole, 1, 0},                        // 80
    {kIgnore, ESC "\\A", kSeqWhole, 1, 0},                        // 81
    {kIgnore, ESC "\\D", kSeqWhole, 1, 0},                        // 82
    {kIgnore, ESC "\\H", kSeqWhole, 0, 0},                        // 83
    {kIgnore, ESC "\\I", kSeqWhole, 0, 0},                        // 84
    {kIgnore, ESC "\\R", kSeqWhole, 0, 0},                        // 85
    {kIgnore, ESC "\\P", kSeqWhole, 0, 0},                        // 86
    {kIgnore, ESC "K", kSeqWhole, 0, 0},                          // 87
    {kIgnore, ESC "J", kSeqWhole, 0, 0},                          // 88
    {OpSelectPage, ESC "[1;}", kSeqNumbers, 1, -48},              // 89
    {kIgnore, ESC "\\@", kSeqWhole, 0, 0},                        // 90
    {kIgnore, ESC "\\O", kSeqWhole, 0, 0},                        // 91
    {kIgnore, ESC "v", kSeqWhole, 0, 0},                          // 92
    {kIgnore, ESC "w", kSeqWhole, 0, 0},                          // 93
    {kIgnore, ESC "[=19h", kSeqWhole, 0, 0},                      // 94
    {kIgnore, ESC "[=19l", kSeqWhole, 0, 0},                      // 95
    {kIgnore, ESC "9", kSeqWhole, 0, 0},                          // 96
    {kIgnore, ESC "8", kSeqWhole, 0, 0},                          // 97
    {kIgnore, ESC "[6v", kSeqWhole, 1, 0},                        // 98
    {kIgnore, ESC ".", kSeqWhole, 1, 0},                          // 99
    {OpScrollUp, ESC "[S", kSeqWhole, 1, 1},                      // 100
    {OpScrollDown, ESC "[T", kSeqWhole, 1, 1},                    // 101
    {OpSetScrollRegion, ESC "[r", kSeqParamList, 2, 0},           // 102
    {kIgnore, ESC "i", kSeqWhole, 0, 0},                          // 103
    {OpBackTab, ESC "I", kSeqWhole, 0, 0},                        // 104
    {OpSetTabAtCursor, ESC "1", kSeqWhole, 0, 0},                 // 105
    {OpClearTabAtCursor, ESC "2", kSeqWhole, 0, 0},               // 106
    {OpClearAllTabs, ESC "3", kSeqWhole, 0, 0},                   // 107
    {OpCursorPosition, ESC "=", kSeqWhole, 2, -31},               // 108
    {kIgnore, ESC "= r ~ c", kSeqWhole, 0, 0},                    // 109
    {OpCursorPosition, ESC "[H", kSeqParamList, 2, 1},            // 110
    {OpCursorPosition, ESC "[f", kSeqParamList, 2, 1},            // 111
    {kIgnore, ESC "-", kSeqWhole, 3, 0},                          // 112
    {OpWyseCursorReport, ESC "?", kSeqWhole, 0, 0},               // 113
    {OpWyseCursorReport, ESC "[6n", kSeqWhole, 0, 0},             // 114
    {OpWyseCursorReportPage, ESC "/", kSeqWhole, 0, 0},           // 115
    {kIgnore, ESC "?[6n", kSeqWhole, 0, 0},                       // 116
    {OpCursorUp, ESC "[A", kSeqParamList, 1, 1},                  // 117
    {OpCursorDown, ESC "[B", kSeqParamList, 1, 1},                // 118
    {OpCursorForward, ESC "[C", kSeqParamList, 1, 1},             // 119
    {OpBackspace, ESC "[D", kSeqParamList, 1, 1},                 // 120
    {OpReverseLineFeed, ESC "j", kSeqWhole, 0, 0},                // 121
    {kIgnore, ESC "N", kSeqWhole, 0, 0},                          // 122
    {kIgnore, ESC "O", kSeqWhole, 0, 0},                          // 123
    {OpInsertModeOn, ESC "q", kSeqWhole, 0, 0},                   // 124
    {OpInsertModeOff, ESC "r", kSeqWhole, 0, 0},                  // 125
    {OpInsertCharacters, ESC "Q", kSeqWhole, 0, 0},               // 126
    {OpInsertCharacters, ESC "[@", kSeqParamList, 1, 1},          // 127
    {kIgnore, ESC "xM", kSeqWhole, 0, 0},                         // 128
    {OpInsertLines, ESC "E", kSeqWhole, 0, 0},                    // 129
    {OpInsertLines, ESC "[l", kSeqParamList, 1, 1},               // 130
    {OpDeleteCharacters, ESC "W", kSeqWhole, 0, 0},               // 131
    {OpDeleteCharacters, ESC "[P", kSeqParamList, 1, 1},          // 132
    {kIgnore, ESC "xJ", kSeqWhole, 0, 0},                         // 133
    {OpDeleteLines, ESC "R", kSeqWhole, 0, 0},                    // 134
    {OpDeleteLines, ESC "[M", kSeqParamList, 1, 1},               // 135
    {OpEraseToEndOfLineUnprotected, ESC "T", kSeqWhole, 0, 0},    // 136
    {OpEraseToEndOfLine, ESC "[K", kSeqParamList, 1, 1},          // 137
    {OpEraseToEndOfLineUnprotected, ESC "t", kSeqWhole, 0, 0},    // 138
    {OpEraseToEndOfLine, ESC "xL", kSeqWhole, 0, 0},              // 139
    {OpEraseToEndOfScreenUnprotected, ESC "Y", kSeqWhole, 0, 0},  // 140
    {OpEraseToEndOfScreen, ESC "[J", kSeqParamList, 1, 1},        // 141
    {OpEraseToEndOfScreenUnprotected, ESC "y", kSeqWhole, 0, 0},  // 142
    {OpClearUnprotected, ESC ";", kSeqWhole, 0, 0},               // 143
    {OpClearScreen, ESC "+", kSeqWhole, 0, 0},                    // 144
    {OpClearUnprotected, ESC ":", kSeqWhole, 0, 0},               // 145
    {OpClearScreen, ESC "*", kSeqWhole, 0, 0},                    // 146
    {kIgnore, ESC ",", kSeqWhole, 0, 0},                          // 147
    {kIgnore, ESC " ", kSeqWhole, 1, 0},                          // 148
    {kIgnore, ESC "xO", kSeqWhole, 0, 0},                         // 149
    {kIgnore, ESC "xK", kSeqWhole, 0, 0},                         // 150
    {kIgnore, ESC "xN", kSeqWhole, 1, 0},                         // 151
    {kIgnore, ESC "xF", kSeqWhole, 3, 0},                         // 152
    {kIgnore, ESC "xH", kSeqWhole, 3, 0},                         // 153
    {kIgnore, ESC "B", kSeqWhole, 0, 0},                          // 154
    {kIgnore, ESC "C", kSeqWhole, 0, 0},                          // 155
    {kIgnore, ESC "DF", kSeqWhole, 0, 0},                         // 156
    {kIgnore, ESC "DH", kSeqWhole, 0, 0},                         // 157
    {kIgnore, ESC "c", kSeqWhole, 0, 0},                          // 158
    {kIgnore, ESC "k", kSeqWhole, 0, 0},                          // 159
    {kIgnore, ESC "l", kSeqWhole, 0, 0},                          // 160
    {kIgnore, ESC "[=22l", kSeqWhole, 0, 0},                      // 161
    {kIgnore, ESC "[=22h", kSeqWhole, 0, 0},                      // 162
    {kIgnore, ESC "[1;v", kSeqWhole, 1, 0},                       // 163
    {kIgnore, ESC "[11;v", kSeqWhole, 1, 0},                      // 164
    {kIgnore, ESC "[12;v", kSeqWhole, 1, 0},                      // 165
    {kIgnore, ESC "[13;v", kSeqWhole, 1, 0},                      // 166
    {kIgnore, ESC "[=0l", kSeqWhole, 0, 0},                       // 167
    {kIgnore, ESC "[=0h", kSeqWhole, 0, 0},                       // 168
    {kIgnore, ESC "[=1l", kSeqWhole, 0, 0},                       // 169
    {kIgnore, ESC "[=1h", kSeqWhole, 0, 0},                       // 170
    {kIgnore, ESC "[2;v", kSeqWhole, 1, 0},                       // 171
    {kIgnore, ESC "[0;v", kSeqWhole, 1, 0},                       // 172
    {OpEnqReplyOn, ESC "[=28l", kSeqWhole, 0, 0},                 // 173
    {OpEnqReplyOff, ESC "[=28h", kSeqWhole, 0, 0},                // 174
    {kIgnore, ESC "[=17l", kSeqWhole, 0, 0},                      // 175
    {kIgnore, ESC "[=17h", kSeqWhole, 0, 0},                      // 176
    {kIgnore, ESC "[=18l", kSeqWhole, 0, 0},                      // 177
    {kIgnore, ESC "[=18h", kSeqWhole, 0, 0},                      // 178
    {kIgnore, ESC "4", kSeqWhole, 0, 0},                          // 179
    {kIgnore, ESC "5", kSeqWhole, 0, 0},                          // 180
    {kIgnore, ESC "6", kSeqWhole, 0, 0},                          // 181
    {kIgnore, ESC "7", kSeqWhole, 0, 0},                          // 182
    {kIgnore, ESC "S", kSeqWhole, 0, 0},                          // 183
    {kIgnore, ESC "s", kSeqWhole, 0, 0},                          // 184
    {kIgnore, ESC "Z0", kSeqWhole, 0, 0},                         // 185
    {kIgnore, ESC "Z2", kSeqWhole, 0, 0},                         // 186
    {kIgnore, ESC "Z1", kSeqWhole, 0, 0},                         // 187
    {OpDeviceAttributesReply, ESC "M", kSeqWhole, 0, 0},          // 188
    {OpHostStatusOn, ESC "g", kSeqWhole, 0, 0},                   // 189
    {OpHostStatusOff, ESC "h", kSeqWhole, 0, 0},                  // 190
    {kIgnore, ESC ".b", kSeqWhole, 0, 0},                         // 191
    {kIgnore, ESC ".c", kSeqWhole, 0, 0},                         // 192
    {kIgnore, ESC "[4;v", kSeqWhole, 1, 0},                       // 193
    {kIgnore, ESC "[5;v", kSeqWhole, 1, 0},                       // 194
    {OpTvStatusText, ESC "f" EM, kSeqOpenString, 0, 0},           // 195
    {OpTvStatusText, ESC "f" CR, kSeqOpenString, 0, 0},           // 196
    {OpTvStatusText, ESC "_10" EM, kSeqOpenString, 0, 0},         // 197
    {OpTvStatusText, ESC "_11" EM, kSeqOpenString, 0, 0},         // 198
    {OpTvStatusText, ESC "_10" CR, kSeqOpenString, 0, 0},         // 199
    {OpTvStatusText, ESC "_11" CR, kSeqOpenString, 0, 0},         // 200
    {kIgnore, ESC "x8", kSeqWhole, 4, 0},                         // 201
    {OpPrinterControllerOn, ESC "@", kSeqWhole, 0, 0},            // 202
    {OpPrinterControllerOff, ESC "A", kSeqWhole, 0, 0},           // 203
    {OpAutoPrintOn, ESC "`", kSeqWhole, 0, 0},                    // 204
    {OpAutoPrintOff, ESC "a", kSeqWhole, 0, 0},                   // 205
    {kIgnore, ESC "[=27l", kSeqWhole, 0, 0},                      // 206
    {kIgnore, ESC "[=27h", kSeqWhole, 0, 0},                      // 207
    {kIgnore, ESC "P", kSeqWhole, 0, 0},                          // 208
    {kIgnore, ESC "[0;0i", kSeqWhole, 0, 0},                      // 209
    {kIgnore, ESC "[0;1i", kSeqWhole, 0, 0},                      // 210
    {kIgnore, ESC "L", kSeqWhole, 0, 0},                          // 211
    {kIgnore, ESC "[0;4i", kSeqWhole, 0, 0},                      // 212
    {kIgnore, ESC "[0;5i", kSeqWhole, 0, 0},                      // 213
    {kIgnore, ESC "[=15l", kSeqWhole, 0, 0},                      // 214
    {kIgnore, ESC "[=15h", kSeqWhole, 0, 0},                      // 215
    {kIgnore, ESC "[7;v", kSeqParamList, 1, 0},                   // 216
    {kIgnore, ESC "| ", kSeqWhole, 0, 0},                         // 217
    {OpTvDefineKeyString, ESC "|" EM, kSeqOpenString, 0, 0},      // 218
    {kIgnore, ESC "[=10l", kSeqWhole, 0, 0},                      // 219
    {kIgnore, ESC "[=10h", kSeqWhole, 0, 0},                      // 220
    {kIgnore, ESC "[|", kSeqParamList, 1, 0},                     // 221
    {OpTvDefineKey, ESC "0", kSeqWhole, 6, 0},                    // 222
    {kIgnore, ESC "e", kSeqWhole, 1, 0},                          // 223
    {kIgnore, ESC "p", kSeqWhole, 1, 0},                          // 224
    {kIgnore, ESC "[v", kSeqParamList, 2, 1},                     // 225
    {kIgnore, ESC "[=h", kSeqParamList, 2, 1},                    // 226
    {kIgnore, ESC "[=l", kSeqParamList, 2, 1},                    // 227
    {kIgnore, DEL, kSeqExact, 0, 0},                              // 228
};
static_assert(std::size(kTv965Sequences) == 228);

}  // namespace

constinit TermFamilyTable FamilyTv965 = {
    .Name = "TV965",
    .CsiSequences = 1,
    .ParamSeparator = ';',
    .WrapStyle = kWrapAtOnce,
    .AttrMode = kAttrCurrentSelection,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = kGSetAscii,
    .G1Default = kGSetLineDrawing,
    .EightBit = 1,
    .DeviceAttributes = "TVS965 1.0" CR,
    .TabStyle = kTabsEvery8,
    .ColumnChangeClear = 1,
    .ControlOps =
        {
            kIgnore,             // NUL
            OpSohReceived,       // SOH
            kIgnore,             // STX
            kIgnore,             // ETX
            kIgnore,             // EOT
            OpAnsiEnquiry,       // ENQ
            kIgnore,             // ACK
            OpBell,              // BEL
            OpBackspace,         // BS
            OpTvTab,             // HT
            OpLineFeed,          // LF
            OpCursorUp,          // VT
            OpCursorRightWrap,   // FF
            OpCarriageReturn,    // CR
            kIgnore,             // SO
            kIgnore,             // SI
            kIgnore,             // DLE
            OpDc1Received,       // DC1
            kIgnore,             // DC2
            OpDc3Received,       // DC3
            kIgnore,             // DC4
            kIgnore,             // NAK
            OpLineFeed,          // SYN
            kIgnore,             // ETB
            kIgnore,             // CAN
            kIgnore,             // EM
            OpClearUnprotected,  // SUB
            kSeq,                // ESC
            OpHostCommandFsRs,   // FS
            kIgnore,             // GS
            OpCursorHome,        // RS
            OpNextLine,          // US
        },
    .KeyCount = 6,
    .Keys =
        {
            {console::kKeyHome, RS},
            {console::kKeyUp, VT},
            {console::kKeyLeft, BS},
            {console::kKeyRight, FF},
            {console::kKeyDown, SYN},
            {console::kKeyDel, DEL},
        },
    .SeqCount = std::size(kTv965Sequences),
    .SeqTable = kTv965Sequences,
};

}  // namespace emulation
