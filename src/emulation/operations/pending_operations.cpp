#include "emulation/operations/pending_operations.h"

namespace emulation {

// Until its unit registers handlers, each of these does nothing, the least a
// terminal may do with a sequence it recognises.
void ScreenPagesPending(TermOp, const TermOpParams&) {}
void PassthroughPrintPending(TermOp, const TermOpParams&) {}
void HostStringsPending(TermOp, const TermOpParams&) {}
void HostDataPending(TermOp, const TermOpParams&) {}
void GraphicsPending(TermOp, const TermOpParams&) {}
void AuxRelayPending(TermOp, const TermOpParams&) {}
void SoftFontsPending(TermOp, const TermOpParams&) {}
void RectangleOperationsPending(TermOp, const TermOpParams&) {}
void BlockTransferPending(TermOp, const TermOpParams&) {}
void FileTransferPending(TermOp, const TermOpParams&) {}
void ScreenPrintPending(TermOp, const TermOpParams&) {}

namespace {

void NoOperation(TermOp, const TermOpParams&) {}

// Codes that the executor runs itself or that their unit registers in
// InstallTermOperations; one still here after that has lost its registration.
void NotInstalled(TermOp, const TermOpParams&) {}

constexpr TermOpHandler kStandIns[kTermOpCount] = {
    NotInstalled,                // 0 ClearScreen
    NotInstalled,                // 1 ClearUnprotected
    NotInstalled,                // 2 ClearToChar
    NotInstalled,                // 3 InsertLines
    NotInstalled,                // 4 InsertLineHome
    NotInstalled,                // 5 DeleteLines
    NotInstalled,                // 6 DeleteLineHome
    NotInstalled,                // 7 CursorPosition
    NotInstalled,                // 8 CursorColumnRow
    NotInstalled,                // 9 CursorRowAbsolute
    NotInstalled,                // 10 CursorRowIfSet
    NotInstalled,                // 11 CursorColumnAbsolute
    NotInstalled,                // 12 CursorColumnIfSet
    NotInstalled,                // 13 EraseToEndOfScreen
    NotInstalled,                // 14 EraseToEndOfScreenUnprotected
    NotInstalled,                // 15 EraseToEndOfLine
    NotInstalled,                // 16 EraseLine
    NotInstalled,                // 17 EraseToEndOfLineUnprotected
    NotInstalled,                // 18 EraseToEndOfField
    NotInstalled,                // 19 EraseToStartOfLine
    NotInstalled,                // 20 CursorRightWrap
    NotInstalled,                // 21 CursorForward
    NotInstalled,                // 22 ForwardIndex
    NotInstalled,                // 23 Backspace
    NotInstalled,                // 24 CursorBackward
    NotInstalled,                // 25 BackIndex
    NotInstalled,                // 26 CursorUp
    NotInstalled,                // 27 CursorUpWrap
    NotInstalled,                // 28 CursorDown
    NotInstalled,                // 29 LineFeed
    NotInstalled,                // 30 CursorHome
    NotInstalled,                // 31 CursorHomeDown
    NotInstalled,                // 32 CarriageReturn
    NotInstalled,                // 33 NextLine
    NotInstalled,                // 34 CursorPrecedingLine
    NotInstalled,                // 35 Bell
    NotInstalled,                // 36 LockKeyboard
    NotInstalled,                // 37 UnlockKeyboard
    NotInstalled,                // 38 DestructiveBackspace
    PassthroughPrintPending,     // 39 AutoPrintOn
    NoOperation,                 // 40 AutoPrintOff
    PassthroughPrintPending,     // 41 PrinterControllerOn
    NoOperation,                 // 42 PrinterControllerOff
    NotInstalled,                // 43 CtrlXPrint
    PassthroughPrintPending,     // 44 PrintToFileOn
    NoOperation,                 // 45 PrintToFileOff
    ScreenPagesPending,          // 46 SelectPage
    ScreenPagesPending,          // 47 SelectPage0
    ScreenPagesPending,          // 48 SelectPage1
    ScreenPagesPending,          // 49 SelectPage2
    ScreenPagesPending,          // 50 SelectPage3
    ScreenPagesPending,          // 51 SelectPage4
    ScreenPagesPending,          // 52 SelectPage5
    ScreenPagesPending,          // 53 SelectPage6
    ScreenPagesPending,          // 54 SelectPage7
    ScreenPagesPending,          // 55 NextPage
    ScreenPagesPending,          // 56 PreviousPage
    ScreenPagesPending,          // 57 SelectPageAndPosition
    NotInstalled,                // 58 FieldAttribute
    NotInstalled,                // 59 FieldAttributeNoSpace
    NotInstalled,                // 60 ViewpointAttribute
    NotInstalled,                // 61 WyseAttribute
    NotInstalled,                // 62 SelectGraphicRendition
    HostDataPending,             // 63 Dc2Received
    NoOperation,                 // 64 Dc4Received
    NotInstalled,                // 65 SaveCursor
    NotInstalled,                // 66 RestoreCursor
    NotInstalled,                // 67 SetScrollRegion
    NotInstalled,                // 68 ScrollUp
    NotInstalled,                // 69 ScrollDown
    NotInstalled,                // 70 SetProtectAttribute
    NotInstalled,                // 71 ProtectAttributeNormal
    NotInstalled,                // 72 ProtectAttributeReverse
    NotInstalled,                // 73 ProtectAttributeDim
    NotInstalled,                // 74 ProtectAttributeNoOp1
    NotInstalled,                // 75 ProtectAttributeNoOp2
    NotInstalled,                // 76 ProtectAttributeAddUnderline
    NotInstalled,                // 77 ProtectAttributeAddReverse
    NotInstalled,                // 78 ProtectAttributeAddDim
    NotInstalled,                // 79 ProtectAttributeAddBlink
    HostDataPending,             // 80 HostDataChecksum
    NotInstalled,                // 81 Dc1Received
    NotInstalled,                // 82 Dc3Received
    NotInstalled,                // 83 LockingShift1
    NotInstalled,                // 84 LockingShift0
    NotInstalled,                // 85 LockingShift0Unprotect
    NotInstalled,                // 86 GraphicCharacter
    NotInstalled,                // 87 GraphicsOn
    NotInstalled,                // 88 GraphicsOff
    NotInstalled,                // 89 LockingShift2
    NotInstalled,                // 90 LockingShift3
    NotInstalled,                // 91 SingleShift2
    NotInstalled,                // 92 SingleShift3
    NotInstalled,                // 93 LockingShift1Right
    NotInstalled,                // 94 LockingShift2Right
    NotInstalled,                // 95 LockingShift3Right
    NotInstalled,                // 96 TvGraphicsOn
    NotInstalled,                // 97 DesignateG0
    NotInstalled,                // 98 DesignateG1
    NotInstalled,                // 99 DesignateG2
    NotInstalled,                // 100 DesignateG3
    NotInstalled,                // 101 DesignateG1Of96
    NotInstalled,                // 102 DesignateG2Of96
    NotInstalled,                // 103 DesignateG3Of96
    NotInstalled,                // 104 LoadCharBank
    NotInstalled,                // 105 LoadCharBankTv
    NotInstalled,                // 106 SelectPrimaryBank
    NotInstalled,                // 107 SelectSecondaryBank
    NotInstalled,                // 108 ShowDle
    NotInstalled,                // 109 UnknownEscape
    NotInstalled,                // 110 AutoWrapStay
    NotInstalled,                // 111 AutoWrapImmediate
    NotInstalled,                // 112 AutoWrapOn
    NotInstalled,                // 113 HorizontalTab
    NotInstalled,                // 114 BackTab
    NotInstalled,                // 115 ClearAllTabs
    NotInstalled,                // 116 ClearTabAtCursor
    NotInstalled,                // 117 SetTabAtCursor
    NotInstalled,                // 118 TabsEvery8
    NotInstalled,                // 119 ReverseIndex
    NotInstalled,                // 120 ReverseLineFeed
    NotInstalled,                // 121 WriteProtectOn
    NotInstalled,                // 122 WriteProtectOff
    NotInstalled,                // 123 ClearAllReset
    NotInstalled,                // 124 ProtectFieldsOn
    NotInstalled,                // 125 ProtectFieldsOnTv
    NotInstalled,                // 126 ProtectFieldsOff
    NotInstalled,                // 127 SelectProtectedWrite
    NotInstalled,                // 128 SelectUnprotectedWrite
    NotInstalled,                // 129 SetDuplex
    NotInstalled,                // 130 ScrollModeOn
    NotInstalled,                // 131 ScrollModeOff
    NotInstalled,                // 132 CursorKeysApplication
    NotInstalled,                // 133 CursorKeysNormal
    NotInstalled,                // 134 Columns132
    NotInstalled,                // 135 Columns80
    NotInstalled,                // 136 InsertModeOn
    NotInstalled,                // 137 InsertModeOff
    NotInstalled,                // 138 InsertModeToggle
    NotInstalled,                // 139 InsertCharacters
    NotInstalled,                // 140 InsertColumn
    HostStringsPending,          // 141 CsiBraceRight
    NotInstalled,                // 142 DeleteCharacters
    NotInstalled,                // 143 DeleteColumn
    HostStringsPending,          // 144 CsiTildeRight
    NotInstalled,                // 145 PropagateOn
    NotInstalled,                // 146 PropagateOff
    HostStringsPending,          // 147 WyseDefineKey
    HostStringsPending,          // 148 WyseDefineKeyFromLabel
    HostStringsPending,          // 149 ScoDefineKey
    HostStringsPending,          // 150 TvDefineKey
    HostStringsPending,          // 151 TvDefineKeyString
    NotInstalled,                // 152 DrawBoxTo
    NotInstalled,                // 153 DrawProtectedBoxTo
    NotInstalled,                // 154 DrawBoxSize
    NotInstalled,                // 155 DrawProtectedBoxSize
    NotInstalled,                // 156 FillRectangleTo
    NotInstalled,                // 157 EraseCharacters
    NotInstalled,                // 158 RepeatCharacter
    NotInstalled,                // 159 CursorPositionReport
    NotInstalled,                // 160 WyseCursorReport
    NotInstalled,                // 161 WyseCursorReport132
    NotInstalled,                // 162 WyseCursorReportPage
    NotInstalled,                // 163 C332CursorReport
    NotInstalled,                // 164 PrinterStatusReport
    HostDataPending,             // 165 HostCommandFsRs
    GraphicsPending,             // 166 GraphicsModeEnter
    NotInstalled,                // 167 GraphicsModeLeave
    GraphicsPending,             // 168 SixelStart
    NotInstalled,                // 169 SixelEnd
    GraphicsPending,             // 170 TekMode1
    GraphicsPending,             // 171 TekMode2
    GraphicsPending,             // 172 TekMode3
    GraphicsPending,             // 173 TekMode4
    GraphicsPending,             // 174 TekMode5
    GraphicsPending,             // 175 TekMode6
    GraphicsPending,             // 176 TekMode7
    GraphicsPending,             // 177 TekCharSize1
    GraphicsPending,             // 178 TekCharSize2
    GraphicsPending,             // 179 TekCharSize3
    GraphicsPending,             // 180 TekCharSize4
    GraphicsPending,             // 181 TekCellLeft
    GraphicsPending,             // 182 TekCellRight
    GraphicsPending,             // 183 TekCellDown
    GraphicsPending,             // 184 TekCellUp
    GraphicsPending,             // 185 TekCarriageReturn
    GraphicsPending,             // 186 TekReset
    NotInstalled,                // 187 ShowControl
    NotInstalled,                // 188 ShowEscape
    NotInstalled,                // 189 ScoForeground
    NotInstalled,                // 190 ScoBackground
    NotInstalled,                // 191 ScoReverseForeground
    NotInstalled,                // 192 ScoReverseBackground
    NotInstalled,                // 193 ScoBrightBackground
    NotInstalled,                // 194 ClearScreenKeepCursor
    NotInstalled,                // 195 EraseToStartOfScreen
    HostStringsPending,          // 196 SohReceived
    NotInstalled,                // 197 DeviceAttributesReply
    NotInstalled,                // 198 CsiC
    NotInstalled,                // 199 ScoShowCharacter
    HostStringsPending,          // 200 HostStatusText
    HostStringsPending,          // 201 TvStatusText
    NotInstalled,                // 202 HostStatusOff
    NotInstalled,                // 203 HostStatusOn
    HostStringsPending,          // 204 WyseLabelText
    NoOperation,                 // 205 AnsiFormFeed
    NotInstalled,                // 206 SubstituteCharacter
    NotInstalled,                // 207 OriginModeOn
    NotInstalled,                // 208 OriginModeOff
    NotInstalled,                // 209 SoftReset
    NotInstalled,                // 210 WyseReset
    NotInstalled,                // 211 C332KeyboardStatus
    NotInstalled,                // 212 InsertCharacter
    NoOperation,                 // 213 C332NoOp
    NotInstalled,                // 214 TabToField
    NotInstalled,                // 215 TvTab
    NotInstalled,                // 216 EraseUnprotectedToEnd
    NotInstalled,                // 217 SelectiveEraseDisplay
    NotInstalled,                // 218 SelectiveEraseLine
    NotInstalled,                // 219 C332ClearAll
    NotInstalled,                // 220 C332VtModeOn
    NotInstalled,                // 221 C332VtModeOff
    NotInstalled,                // 222 TwoStepE
    NotInstalled,                // 223 TwoStepC
    NotInstalled,                // 224 TwoStepGs
    NotInstalled,                // 225 C332EscapeReply
    NotInstalled,                // 226 LoadC332Keys
    NotInstalled,                // 227 ColumnChangeClearWhenChanged
    NotInstalled,                // 228 ColumnChangeNoClear
    NoOperation,                 // 229 WyseNoOp1
    NoOperation,                 // 230 WyseNoOp2
    NotInstalled,                // 231 MouseReportMode
    NotInstalled,                // 232 MousePositionReport
    NotInstalled,                // 233 MouseTrackingOn
    NotInstalled,                // 234 MouseTrackingOff
    HostStringsPending,          // 235 WindowTitleText
    NotInstalled,                // 236 EnqReplyOn
    NotInstalled,                // 237 EnqReplyOff
    NotInstalled,                // 238 EnqMessageOn
    NotInstalled,                // 239 EnqMessageOff
    NotInstalled,                // 240 SetAnswerBack
    NotInstalled,                // 241 WyseEnquiry
    NotInstalled,                // 242 AnsiEnquiry
    FileTransferPending,         // 243 ZmodemAutoStart
    NotInstalled,                // 244 RereadAfterFirst
    NotInstalled,                // 245 ClearHostKeys
    NotInstalled,                // 246 TwoStepLabel
    NotInstalled,                // 247 TwoStepHexGlyphs
    SoftFontsPending,            // 248 LoadHexGlyphs
    NotInstalled,                // 249 Rows24
    NotInstalled,                // 250 Rows25
    NotInstalled,                // 251 Rows42
    NotInstalled,                // 252 Rows43
    NotInstalled,                // 253 SendLineUnprotected
    NotInstalled,                // 254 SendLine
    NotInstalled,                // 255 SendCharacter
    HostStringsPending,          // 256 ViewpointCan
    HostStringsPending,          // 257 WyseCan
    NotInstalled,                // 258 T160eCharacter
    NotInstalled,                // 259 CcciiCharacter
    SoftFontsPending,            // 260 DownloadSoftFont
    NotInstalled,                // 261 DeviceControlQ
    NotInstalled,                // 262 MultibyteCharacter
    NotInstalled,                // 263 MultibyteCharacterWide
    NotInstalled,                // 264 ScoBorderColour
    NotInstalled,                // 265 CursorHide
    NotInstalled,                // 266 CursorShow
    NotInstalled,                // 267 ScoCursorShape
    NotInstalled,                // 268 CursorSteadyLine
    NotInstalled,                // 269 CursorBlinkingLine
    NotInstalled,                // 270 CursorSteadyBlock
    NotInstalled,                // 271 CursorBlinkingBlock
    NotInstalled,                // 272 ScreenAlignment
    NotInstalled,                // 273 SetMode
    NotInstalled,                // 274 ResetMode
    NotInstalled,                // 275 SetPrivateMode
    NotInstalled,                // 276 ResetPrivateMode
    AuxRelayPending,             // 277 AuxModeOn
    AuxRelayPending,             // 278 AuxInputPause
    AuxRelayPending,             // 279 AuxInputResume
    AuxRelayPending,             // 280 AuxSelectPort
    NotInstalled,                // 281 AnsiDelete
    NotInstalled,                // 282 LinuxColours
    NotInstalled,                // 283 SelectUtf8
    HostStringsPending,          // 284 C332OpenFile
    BlockTransferPending,        // 285 C332BlockTransfer
    NotInstalled,                // 286 CsiX
    RectangleOperationsPending,  // 287 CsiV
    NotInstalled,                // 288 CsiZ
    RectangleOperationsPending,  // 289 CsiR
    NotInstalled,                // 290 CsiT
    ScreenPrintPending,          // 291 PrintScreen
    NotInstalled,                // 292 ScoColourMode
    NotInstalled,                // 293 C332SetMode
    NotInstalled,                // 294 C332ResetMode
    NotInstalled,                // 295 ScoColourQuery
    NotInstalled,                // 296 ResetToInitialState
    NotInstalled,                // 297 ScoReset
    NotInstalled,                // 298 EraseInMargins
    NoOperation,                 // 299 AnsiNoOp299
    NotInstalled,                // 300 MarginQuery
    NotInstalled,                // 301 ReverseIndexReturn
    NotInstalled,                // 302 MarginsRow
    NotInstalled,                // 303 MarginsFull
    NoOperation,                 // 304 AnsiNoOp304
    NotInstalled,                // 305 ScoBlink
    NoOperation,                 // 306 AnsiNoOp306
    NoOperation,                 // 307 AnsiNoOp307
    NotInstalled,                // 308 ScoCursorVisible
    NotInstalled,                // 309 ScoGraphicCharacter
    NotInstalled,                // 310 ScoClearHome
    NotInstalled,                // 311 SetOneMargin
    NotInstalled,                // 312 ScoMarginsFull
    HostStringsPending,          // 313 C332ReadFile
    NotInstalled,                // 314 C332InsertLineUnprotected
    NotInstalled,                // 315 C332DeleteLineUnprotected
    NotInstalled,                // 316 ResetPalette
    NotInstalled,                // 317 SetPaletteEntry
    NotInstalled,                // 318 LinuxReset
    NotInstalled,                // 319 StatusReport
    NotInstalled,                // 320 CsiVerticalBar
    NotInstalled,                // 321 RequestSettingReply
    NotInstalled,                // 322 SevenBitControls
    NotInstalled,                // 323 EightBitControls
    HostStringsPending,          // 324 HostStatusLineEnd
};

struct PendingEntry {
    TermOpHandler Handler;
    const char* Name;
};
constexpr PendingEntry kPendingEntries[] = {
    {ScreenPagesPending, "ScreenPagesPending"},
    {PassthroughPrintPending, "PassthroughPrintPending"},
    {HostStringsPending, "HostStringsPending"},
    {HostDataPending, "HostDataPending"},
    {GraphicsPending, "GraphicsPending"},
    {AuxRelayPending, "AuxRelayPending"},
    {SoftFontsPending, "SoftFontsPending"},
    {RectangleOperationsPending, "RectangleOperationsPending"},
    {BlockTransferPending, "BlockTransferPending"},
    {FileTransferPending, "FileTransferPending"},
    {ScreenPrintPending, "ScreenPrintPending"},
    {NotInstalled, "NotInstalled"},
};

// The entry point of each code's slot, resolved while compiling: identical
// empty functions may share one address at run time, but never here.
struct SlotEntryNames {
    const char* Names[kTermOpCount] = {};
    constexpr SlotEntryNames() {
        for (size_t i = 0; i < kTermOpCount; ++i)
            for (const auto& e : kPendingEntries)
                if (kStandIns[i] == e.Handler) Names[i] = e.Name;
    }
};
constexpr SlotEntryNames kSlotEntryNames;

// Codes whose unit's handler waits through a hook for a unit still to come.
struct HookWait {
    TermOpHandler Handler = nullptr;
    bool (*HookEmpty)() = nullptr;
    const char* Unit = nullptr;
};
HookWait hookWaits[kTermOpCount];

// The unit a code's registered handler still waits for, or nullptr.
const char* HookedUnitOf(TermOp op) {
    const HookWait& w = hookWaits[op];
    if (w.Handler == nullptr || TermOpHandlerFor(op) != w.Handler || !w.HookEmpty()) return nullptr;
    return w.Unit;
}

}  // namespace

void NoteHookWait(TermOp op, TermOpHandler handler, bool (*hookEmpty)(), const char* unit) {
    if (op < kTermOpCount && handler != nullptr && hookEmpty != nullptr)
        hookWaits[op] = {handler, hookEmpty, unit};
}

TermOpHandler PendingEntryPoint(TermOp op) {
    return op < kTermOpCount ? kStandIns[op] : nullptr;
}

const char* PendingUnitOf(TermOp op) {
    if (op >= kTermOpCount) return nullptr;
    if (TermOpHandlerFor(op) != kStandIns[op]) return HookedUnitOf(op);
    return kSlotEntryNames.Names[op];
}

}  // namespace emulation
