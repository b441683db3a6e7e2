// Sequence table and header of the TV965 family (types TV965).

#include <iterator>

#include "emulation/family_tables.h"
#include "emulation/sequence_bytes.h"

namespace emulation {
namespace {

// Matched in this order: the first entry that fits wins.
constexpr TermSeqEntry kTv965Sequences[] = {
    {325, ESC "~", 6, 1, 0},        // 1 ignored
    {325, ESC "=20h", 6, 0, 0},     // 2 ignored
    {325, ESC "=20l", 6, 0, 0},     // 3 ignored
    {37, ESC "\"", 6, 0, 0},        // 4 UnlockKeyboard
    {36, ESC "#", 6, 0, 0},         // 5 LockKeyboard
    {325, ESC "[=12h", 6, 0, 0},    // 6 ignored
    {325, ESC "[=12l", 6, 0, 0},    // 7 ignored
    {325, ESC "[=13h", 6, 0, 0},    // 8 ignored
    {325, ESC "[=13l", 6, 0, 0},    // 9 ignored
    {325, ESC "[=14h", 6, 0, 0},    // 10 ignored
    {325, ESC "[=14l", 6, 0, 0},    // 11 ignored
    {325, ESC "[14;v", 1, 0, 0},    // 12 ignored
    {325, ESC "\\", 6, 1, 0},       // 13 ignored
    {325, ESC "n", 6, 0, 0},        // 14 ignored
    {325, ESC ".9", 6, 0, 0},       // 15 ignored
    {325, ESC "o", 6, 0, 0},        // 16 ignored
    {325, ESC ".8", 6, 0, 0},       // 17 ignored
    {325, ESC "b", 6, 0, 0},        // 18 ignored
    {325, ESC "d", 6, 0, 0},        // 19 ignored
    {325, ESC "F2", 6, 0, 0},       // 20 ignored
    {325, ESC "F0", 6, 0, 0},       // 21 ignored
    {325, ESC "F1", 6, 0, 0},       // 22 ignored
    {325, ESC "[=2l", 6, 0, 0},     // 23 ignored
    {325, ESC "[=2h", 6, 0, 0},     // 24 ignored
    {325, ESC ".n", 6, 0, 0},       // 25 ignored
    {61, ESC "G", 6, 1, 0},         // 26 WyseAttribute
    {135, ESC "[=3l", 6, 0, 0},     // 27 Columns80
    {135, ESC ".:", 6, 0, 0},       // 28 Columns80
    {134, ESC "[=3h", 6, 0, 0},     // 29 Columns132
    {134, ESC ".;", 6, 0, 0},       // 30 Columns132
    {325, ESC "[=24h", 6, 0, 0},    // 31 ignored
    {325, ESC "[=24l", 6, 0, 0},    // 32 ignored
    {72, ESC ".6", 6, 0, 0},        // 33 ProtectAttributeReverse
    {73, ESC ".7", 6, 0, 0},        // 34 ProtectAttributeDim
    {71, ESC ".A", 6, 0, 0},        // 35 ProtectAttributeNormal
    {79, ESC ".B", 6, 0, 0},        // 36 ProtectAttributeAddBlink
    {76, ESC ".E", 6, 0, 0},        // 37 ProtectAttributeAddUnderline
    {77, ESC ".F", 6, 0, 0},        // 38 ProtectAttributeAddReverse
    {78, ESC ".G", 6, 0, 0},        // 39 ProtectAttributeAddDim
    {325, ESC "[=5h", 6, 0, 0},     // 40 ignored
    {325, ESC "[=5l", 6, 0, 0},     // 41 ignored
    {325, ESC "_4", 6, 1, 0},       // 42 ignored
    {325, ESC "_5", 6, 1, 0},       // 43 ignored
    {325, ESC "_6", 6, 1, 0},       // 44 ignored
    {325, ESC "_7", 6, 1, 0},       // 45 ignored
    {325, ESC "[3v", 1, 1, 0},      // 46 ignored
    {325, ESC "[=21h", 6, 0, 0},    // 47 ignored
    {325, ESC "[=21l", 6, 0, 0},    // 48 ignored
    {325, ESC "[=23h", 6, 0, 0},    // 49 ignored
    {325, ESC "[=23l", 6, 0, 0},    // 50 ignored
    {325, ESC "!1", 6, 0, 0},       // 51 ignored
    {325, ESC ".H", 6, 0, 0},       // 52 ignored
    {325, ESC "!2", 6, 0, 0},       // 53 ignored
    {325, ESC ".I", 6, 0, 0},       // 54 ignored
    {325, ESC "[9;v", 1, 1, 0},     // 55 ignored
    {105, ESC "x@", 6, 2, 0},       // 56 LoadCharBankTv
    {325, ESC "x?", 6, 1, 0},       // 57 ignored
    {325, ESC "[=29h", 6, 0, 0},    // 58 ignored
    {325, ESC "[=29l", 6, 0, 0},    // 59 ignored
    {106, ESC "xB", 6, 1, 0},       // 60 SelectPrimaryBank
    {107, ESC "xC", 6, 1, 0},       // 61 SelectSecondaryBank
    {84, ESC "xD", 6, 0, 0},        // 62 LockingShift0
    {83, ESC "xE", 6, 0, 0},        // 63 LockingShift1
    {325, ESC "xA" EM, 6, 0, 0},    // 64 ignored
    {96, ESC "$", 6, 0, 0},         // 65 TvGraphicsOn
    {85, ESC "%", 6, 0, 0},         // 66 LockingShift0Unprotect
    {155, ESC "H", 6, 2, -31},      // 67 DrawProtectedBoxSize
    {153, ESC "xG", 6, 2, -31},     // 68 DrawProtectedBoxTo
    {111, ESC "[=7h", 6, 0, 0},     // 69 AutoWrapImmediate
    {110, ESC "[=7l", 6, 0, 0},     // 70 AutoWrapStay
    {325, ESC "[=6h", 6, 0, 0},     // 71 ignored
    {325, ESC "[=6l", 6, 0, 0},     // 72 ignored
    {325, ESC "[=9h", 6, 0, 0},     // 73 ignored
    {325, ESC "[=9l", 6, 0, 0},     // 74 ignored
    {125, ESC "&", 6, 0, 0},        // 75 ProtectFieldsOnTv
    {126, ESC "'", 6, 0, 0},        // 76 ProtectFieldsOff
    {121, ESC ")", 6, 0, 0},        // 77 WriteProtectOn
    {122, ESC "(", 6, 0, 0},        // 78 WriteProtectOff
    {325, ESC "\\C", 6, 1, 0},      // 79 ignored
    {325, ESC "\\E", 6, 1, 0},      // 80 ignored
    {325, ESC "\\A", 6, 1, 0},      // 81 ignored
    {325, ESC "\\D", 6, 1, 0},      // 82 ignored
    {325, ESC "\\H", 6, 0, 0},      // 83 ignored
    {325, ESC "\\I", 6, 0, 0},      // 84 ignored
    {325, ESC "\\R", 6, 0, 0},      // 85 ignored
    {325, ESC "\\P", 6, 0, 0},      // 86 ignored
    {325, ESC "K", 6, 0, 0},        // 87 ignored
    {325, ESC "J", 6, 0, 0},        // 88 ignored
    {46, ESC "[1;}", 4, 1, -48},    // 89 SelectPage
    {325, ESC "\\@", 6, 0, 0},      // 90 ignored
    {325, ESC "\\O", 6, 0, 0},      // 91 ignored
    {325, ESC "v", 6, 0, 0},        // 92 ignored
    {325, ESC "w", 6, 0, 0},        // 93 ignored
    {325, ESC "[=19h", 6, 0, 0},    // 94 ignored
    {325, ESC "[=19l", 6, 0, 0},    // 95 ignored
    {325, ESC "9", 6, 0, 0},        // 96 ignored
    {325, ESC "8", 6, 0, 0},        // 97 ignored
    {325, ESC "[6v", 6, 1, 0},      // 98 ignored
    {325, ESC ".", 6, 1, 0},        // 99 ignored
    {68, ESC "[S", 6, 1, 1},        // 100 ScrollUp
    {69, ESC "[T", 6, 1, 1},        // 101 ScrollDown
    {67, ESC "[r", 5, 2, 0},        // 102 SetScrollRegion
    {325, ESC "i", 6, 0, 0},        // 103 ignored
    {114, ESC "I", 6, 0, 0},        // 104 BackTab
    {117, ESC "1", 6, 0, 0},        // 105 SetTabAtCursor
    {116, ESC "2", 6, 0, 0},        // 106 ClearTabAtCursor
    {115, ESC "3", 6, 0, 0},        // 107 ClearAllTabs
    {7, ESC "=", 6, 2, -31},        // 108 CursorPosition
    {325, ESC "= r ~ c", 6, 0, 0},  // 109 ignored
    {7, ESC "[H", 5, 2, 1},         // 110 CursorPosition
    {7, ESC "[f", 5, 2, 1},         // 111 CursorPosition
    {325, ESC "-", 6, 3, 0},        // 112 ignored
    {160, ESC "?", 6, 0, 0},        // 113 WyseCursorReport
    {160, ESC "[6n", 6, 0, 0},      // 114 WyseCursorReport
    {162, ESC "/", 6, 0, 0},        // 115 WyseCursorReportPage
    {325, ESC "?[6n", 6, 0, 0},     // 116 ignored
    {26, ESC "[A", 5, 1, 1},        // 117 CursorUp
    {28, ESC "[B", 5, 1, 1},        // 118 CursorDown
    {21, ESC "[C", 5, 1, 1},        // 119 CursorForward
    {23, ESC "[D", 5, 1, 1},        // 120 Backspace
    {120, ESC "j", 6, 0, 0},        // 121 ReverseLineFeed
    {325, ESC "N", 6, 0, 0},        // 122 ignored
    {325, ESC "O", 6, 0, 0},        // 123 ignored
    {136, ESC "q", 6, 0, 0},        // 124 InsertModeOn
    {137, ESC "r", 6, 0, 0},        // 125 InsertModeOff
    {139, ESC "Q", 6, 0, 0},        // 126 InsertCharacters
    {139, ESC "[@", 5, 1, 1},       // 127 InsertCharacters
    {325, ESC "xM", 6, 0, 0},       // 128 ignored
    {3, ESC "E", 6, 0, 0},          // 129 InsertLines
    {3, ESC "[l", 5, 1, 1},         // 130 InsertLines
    {142, ESC "W", 6, 0, 0},        // 131 DeleteCharacters
    {142, ESC "[P", 5, 1, 1},       // 132 DeleteCharacters
    {325, ESC "xJ", 6, 0, 0},       // 133 ignored
    {5, ESC "R", 6, 0, 0},          // 134 DeleteLines
    {5, ESC "[M", 5, 1, 1},         // 135 DeleteLines
    {17, ESC "T", 6, 0, 0},         // 136 EraseToEndOfLineUnprotected
    {15, ESC "[K", 5, 1, 1},        // 137 EraseToEndOfLine
    {17, ESC "t", 6, 0, 0},         // 138 EraseToEndOfLineUnprotected
    {15, ESC "xL", 6, 0, 0},        // 139 EraseToEndOfLine
    {14, ESC "Y", 6, 0, 0},         // 140 EraseToEndOfScreenUnprotected
    {13, ESC "[J", 5, 1, 1},        // 141 EraseToEndOfScreen
    {14, ESC "y", 6, 0, 0},         // 142 EraseToEndOfScreenUnprotected
    {1, ESC ";", 6, 0, 0},          // 143 ClearUnprotected
    {0, ESC "+", 6, 0, 0},          // 144 ClearScreen
    {1, ESC ":", 6, 0, 0},          // 145 ClearUnprotected
    {0, ESC "*", 6, 0, 0},          // 146 ClearScreen
    {325, ESC ",", 6, 0, 0},        // 147 ignored
    {325, ESC " ", 6, 1, 0},        // 148 ignored
    {325, ESC "xO", 6, 0, 0},       // 149 ignored
    {325, ESC "xK", 6, 0, 0},       // 150 ignored
    {325, ESC "xN", 6, 1, 0},       // 151 ignored
    {325, ESC "xF", 6, 3, 0},       // 152 ignored
    {325, ESC "xH", 6, 3, 0},       // 153 ignored
    {325, ESC "B", 6, 0, 0},        // 154 ignored
    {325, ESC "C", 6, 0, 0},        // 155 ignored
    {325, ESC "DF", 6, 0, 0},       // 156 ignored
    {325, ESC "DH", 6, 0, 0},       // 157 ignored
    {325, ESC "c", 6, 0, 0},        // 158 ignored
    {325, ESC "k", 6, 0, 0},        // 159 ignored
    {325, ESC "l", 6, 0, 0},        // 160 ignored
    {325, ESC "[=22l", 6, 0, 0},    // 161 ignored
    {325, ESC "[=22h", 6, 0, 0},    // 162 ignored
    {325, ESC "[1;v", 6, 1, 0},     // 163 ignored
    {325, ESC "[11;v", 6, 1, 0},    // 164 ignored
    {325, ESC "[12;v", 6, 1, 0},    // 165 ignored
    {325, ESC "[13;v", 6, 1, 0},    // 166 ignored
    {325, ESC "[=0l", 6, 0, 0},     // 167 ignored
    {325, ESC "[=0h", 6, 0, 0},     // 168 ignored
    {325, ESC "[=1l", 6, 0, 0},     // 169 ignored
    {325, ESC "[=1h", 6, 0, 0},     // 170 ignored
    {325, ESC "[2;v", 6, 1, 0},     // 171 ignored
    {325, ESC "[0;v", 6, 1, 0},     // 172 ignored
    {236, ESC "[=28l", 6, 0, 0},    // 173 EnqReplyOn
    {237, ESC "[=28h", 6, 0, 0},    // 174 EnqReplyOff
    {325, ESC "[=17l", 6, 0, 0},    // 175 ignored
    {325, ESC "[=17h", 6, 0, 0},    // 176 ignored
    {325, ESC "[=18l", 6, 0, 0},    // 177 ignored
    {325, ESC "[=18h", 6, 0, 0},    // 178 ignored
    {325, ESC "4", 6, 0, 0},        // 179 ignored
    {325, ESC "5", 6, 0, 0},        // 180 ignored
    {325, ESC "6", 6, 0, 0},        // 181 ignored
    {325, ESC "7", 6, 0, 0},        // 182 ignored
    {325, ESC "S", 6, 0, 0},        // 183 ignored
    {325, ESC "s", 6, 0, 0},        // 184 ignored
    {325, ESC "Z0", 6, 0, 0},       // 185 ignored
    {325, ESC "Z2", 6, 0, 0},       // 186 ignored
    {325, ESC "Z1", 6, 0, 0},       // 187 ignored
    {197, ESC "M", 6, 0, 0},        // 188 DeviceAttributesReply
    {203, ESC "g", 6, 0, 0},        // 189 HostStatusOn
    {202, ESC "h", 6, 0, 0},        // 190 HostStatusOff
    {325, ESC ".b", 6, 0, 0},       // 191 ignored
    {325, ESC ".c", 6, 0, 0},       // 192 ignored
    {325, ESC "[4;v", 6, 1, 0},     // 193 ignored
    {325, ESC "[5;v", 6, 1, 0},     // 194 ignored
    {201, ESC "f" EM, 7, 0, 0},     // 195 TvStatusText
    {201, ESC "f" CR, 7, 0, 0},     // 196 TvStatusText
    {201, ESC "_10" EM, 7, 0, 0},   // 197 TvStatusText
    {201, ESC "_11" EM, 7, 0, 0},   // 198 TvStatusText
    {201, ESC "_10" CR, 7, 0, 0},   // 199 TvStatusText
    {201, ESC "_11" CR, 7, 0, 0},   // 200 TvStatusText
    {325, ESC "x8", 6, 4, 0},       // 201 ignored
    {41, ESC "@", 6, 0, 0},         // 202 PrinterControllerOn
    {42, ESC "A", 6, 0, 0},         // 203 PrinterControllerOff
    {39, ESC "`", 6, 0, 0},         // 204 AutoPrintOn
    {40, ESC "a", 6, 0, 0},         // 205 AutoPrintOff
    {325, ESC "[=27l", 6, 0, 0},    // 206 ignored
    {325, ESC "[=27h", 6, 0, 0},    // 207 ignored
    {325, ESC "P", 6, 0, 0},        // 208 ignored
    {325, ESC "[0;0i", 6, 0, 0},    // 209 ignored
    {325, ESC "[0;1i", 6, 0, 0},    // 210 ignored
    {325, ESC "L", 6, 0, 0},        // 211 ignored
    {325, ESC "[0;4i", 6, 0, 0},    // 212 ignored
    {325, ESC "[0;5i", 6, 0, 0},    // 213 ignored
    {325, ESC "[=15l", 6, 0, 0},    // 214 ignored
    {325, ESC "[=15h", 6, 0, 0},    // 215 ignored
    {325, ESC "[7;v", 5, 1, 0},     // 216 ignored
    {325, ESC "| ", 6, 0, 0},       // 217 ignored
    {151, ESC "|" EM, 7, 0, 0},     // 218 TvDefineKeyString
    {325, ESC "[=10l", 6, 0, 0},    // 219 ignored
    {325, ESC "[=10h", 6, 0, 0},    // 220 ignored
    {325, ESC "[|", 5, 1, 0},       // 221 ignored
    {150, ESC "0", 6, 6, 0},        // 222 TvDefineKey
    {325, ESC "e", 6, 1, 0},        // 223 ignored
    {325, ESC "p", 6, 1, 0},        // 224 ignored
    {325, ESC "[v", 5, 2, 1},       // 225 ignored
    {325, ESC "[=h", 5, 2, 1},      // 226 ignored
    {325, ESC "[=l", 5, 2, 1},      // 227 ignored
    {325, DEL, 0, 0, 0},            // 228 ignored
};
static_assert(std::size(kTv965Sequences) == 228);

}  // namespace

constinit TermFamilyTable FamilyTv965 = {
    .Name = "TV965",
    .CsiSequences = 1,
    .ParamSeparator = ';',
    .WrapStyle = 0,
    .AttrMode = 1,
    .AttrMasks = {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
    .G0Default = 0,
    .G1Default = 2,
    .EightBit = 1,
    .DeviceAttributes = "TVS965 1.0" CR,
    .TabStyle = 1,
    .ColumnChangeClear = 1,
    .ControlOps =
        {
            kIgnore, 196,     kIgnore, kIgnore, kIgnore, 242,     kIgnore, 35,       // 0x00
            23,      215,     29,      26,      20,      32,      kIgnore, kIgnore,  // 0x08
            kIgnore, 81,      kIgnore, 82,      kIgnore, kIgnore, 29,      kIgnore,  // 0x10
            kIgnore, kIgnore, 1,       kSeq,    165,     kIgnore, 30,      33,       // 0x18
        },
    .KeyCount = 6,
    .Keys =
        {
            {327, RS},   // Home
            {328, VT},   // Up
            {331, BS},   // Left
            {333, FF},   // Right
            {336, SYN},  // Down
            {339, DEL},  // Del
        },
    .SeqCount = std::size(kTv965Sequences),
    .SeqTable = kTv965Sequences,
};

}  // namespace emulation
