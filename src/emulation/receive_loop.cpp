#include "emulation/receive_loop.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "commands/gset_code.h"
#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
#include "connections/span_search.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/tick_clock.h"
#include "emulation/host_ports.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/text/charsets.h"
#include "emulation/text/host_char_display.h"
#include "emulation/text/national_charsets.h"
#include "emulation/text/utf8.h"
#include "emulation/types/emulator_state.h"

namespace emulation {

using enum commands::GSetCode;

ReceiveLoopState ReceiveLoop;

ReceiveLoopHooks NullReceiveLoopHooks() {
    ReceiveLoopHooks h{};
    h.Ticks = console::BiosTicks;
    h.KeyPressed = [] { return false; };
    h.MacroKeyWaiting = [] { return false; };
    return h;
}

void ResetReceiveLoop() {
    ReceiveLoop = ReceiveLoopState{};
}

namespace {

using commands::Settings;
using console::ConsoleLayer;

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kEsc = 0x1B;
// A run is at most a ring line; the console's widest line is 255 cells.
constexpr uint32_t kMaxRun = 256;

int32_t Ticks() {
    return ReceiveLoop.Hooks.Ticks();
}

bool IsC1Control(uint8_t b) {
    return (b >= 0x84 && b <= 0x97) || (b >= 0x9B && b <= 0x9F);
}

uint8_t UpperAscii(uint8_t b) {
    return (b >= 'a' && b <= 'z') ? static_cast<uint8_t>(b - 32) : b;
}

// Byte alone is a whole character of the multibyte set (or of no set at all).
bool SingleInMultibyte(uint8_t b) {
    char16_t ch = 0;
    return HostToUnicode(std::span<const uint8_t>(&b, 1), Settings.CodePage.Get(), ch) ==
           kHostNotChar;
}

bool IsPrintable(uint8_t b) {
    if (!SeqBuffer.empty() || b < 0x20 || b == 0x7F) return false;
    if (IsC1Control(b) && !ReceiveLoop.C1AsText) return false;
    if (EmulatorState.GR == kGSetCodePage && !SingleInMultibyte(b)) return false;
    return true;
}

// Compares text with the bytes read last, upper-casing their letters.
bool RingEndsWith(std::string_view text) {
    uint8_t kept[256];
    std::vector<uint8_t> longer;
    uint8_t* last = kept;
    if (text.size() > sizeof kept) {
        longer.resize(text.size());
        last = longer.data();
    }
    const auto count = static_cast<uint32_t>(text.size());
    if (HostIn().History(last, count) != count) return false;
    for (uint32_t i = 0; i < count; ++i)
        if (UpperAscii(last[i]) != static_cast<uint8_t>(text[i])) return false;
    return true;
}

void QueueInput(std::string text) {
    text.push_back('\r');
    commands::Interpreter.PendingInput.Assign(text);
}

void ServeAutoLogin() {
    auto& r = ReceiveLoop;
    bool loginMatched = false;
    if (r.AutoLoginState == 1 && MatchPromptList(Settings.LoginPrompts.View())) {
        loginMatched = true;
        QueueInput(commands::ExpandVariables(Settings.UserName.View()));
        r.AutoLoginState = Settings.Password.Empty() ? 0 : 2;
    }
    if (!loginMatched && r.AutoLoginState != 0 &&
        MatchPromptList(Settings.PasswordPrompts.View())) {
        if (!Settings.Password.Empty()) {
            const std::string clear = commands::UnscramblePassword(Settings.Password.View());
            QueueInput(clear == "|" ? std::string() : clear);
        }
        r.AutoLoginState = 0;
    }
}

// The wait-for text has just been received in full.
bool ServeWaitFor(uint8_t b) {
    auto& w = ReceiveLoop.WaitForText;
    if (w.Empty() || UpperAscii(b) != w.text[w.Length() - 1]) return false;
    if (!RingEndsWith(w.View())) return false;
    w.Assign("");
    ReceiveLoop.StatusLineDirty = true;
    return true;
}

void WriteMonitorByte(uint8_t b) {
    if (b >= 0x20 && b <= 0x7E) {
        const int32_t sel = ConsoleLayer.AttrSelection;
        ConsoleLayer.AttrSelection = 0;
        console::WriteCharCtl(b);
        ConsoleLayer.AttrSelection = sel;
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (ConsoleLayer.CursorCol > 77) console::WriteString("\r\n");
    const char text[3] = {kHex[b >> 4], kHex[b & 15], ' '};
    const int32_t sel = ConsoleLayer.AttrSelection;
    ConsoleLayer.AttrSelection = 4;
    console::WriteString(std::string_view(text, 3));
    ConsoleLayer.AttrSelection = sel;
}

// A national replacement set applies to the ASCII text of the plain sets; the
// other sets give those positions characters of their own.
bool ShowsNationalChars(uint8_t b) {
    const uint8_t gl = EmulatorState.GL;
    return Settings.CharsetMode != 0 && b >= 0x20 && b <= 0x7E &&
           (gl == kGSetAscii || gl == kGSetAsciiAlt);
}

// The single-character path; true when the pass is to end.
bool SingleCharacter(uint8_t b) {
    auto& r = ReceiveLoop;
    bool endPass = false;
    // The wait-for and prompt matching read the ring, so they see the byte as sent.
    uint8_t shown = b;
    uint32_t codePage = 1252;
    const bool national = ShowsNationalChars(b);
    if (national)
        codePage = DecodeNationalChars(std::span<uint8_t>(&shown, 1), Settings.CharsetMode);
    if (r.AutoLoginState != 0) ServeAutoLogin();
    if (ServeWaitFor(b)) endPass = true;
    if (!TermExecutor.QuietLine) WriteRepeatedChar(shown, 1, codePage, !national, false);
    r.CaptureRow = ConsoleLayer.CursorRow;
    r.LastGraphicChar = shown;
    r.LastGraphicTranslated = !national;
    r.LastGraphicCodePage = codePage;
    return endPass;
}

// A byte that ended a run, or a printable byte off the fast path; true when
// the pass is to end.
bool LeftOver(uint8_t b) {
    if ((IsC1Control(b) && !ReceiveLoop.C1AsText) ||
        (EmulatorState.GR == kGSetCodePage && !SingleInMultibyte(b))) {
        ExecuteTermOp(b);
        return false;
    }
    if (b == kCr) {
        ExecuteTermOp(kCr);
        if (Settings.AutoLF != 0) console::WriteCharCtl(kLf);
        if (ReceiveLoop.NcrMode) {
            ReceiveLoop.KeyboardEnabled = true;
            ReceiveLoop.KeyboardLocked = false;
        }
        TermExecutor.QuietLine = false;
        return false;
    }
    if ((b >= 0x20 && b <= 0x7E) || b >= 0x80) return SingleCharacter(b);
    ExecuteTermOp(b);
    return false;
}

// Received text is gathered into runs (FastRun, PeekedTextRun) while it is
// written in the current colour with nothing to watch for per character: no
// fields about, the cursor before the last column, no wait-for text and no
// auto-login prompt.
bool RunsWrittenWhole(int32_t columns) {
    const auto& l = ConsoleLayer;
    const auto& r = ReceiveLoop;
    return l.ProtectMode == 0 && l.CursorCol < columns && r.WaitForText.Empty() &&
           r.AutoLoginState == 0 && l.AttrSelection != console::kSelectionInherit;
}

// Writes a gathered run of text (unless the line is being kept quiet), with
// room made in insert mode and the wrap style applied after it.
[[gnu::always_inline]] inline void WriteTextRun(const uint8_t* run, uint32_t length,
                                                uint32_t codePage) {
    auto& r = ReceiveLoop;
    if (TermExecutor.QuietLine) return;
    if (r.InsertMode)
        console::ShiftRowCells(ConsoleLayer.CursorRow, ConsoleLayer.CursorCol, console::Columns(),
                               static_cast<int32_t>(length));
    console::WriteScreenStr(std::string_view(reinterpret_cast<const char*>(run), length), codePage);
    r.LastGraphicChar = run[length - 1];
    r.LastGraphicTranslated = false;
    r.LastGraphicCodePage = codePage;
    WrapAfterWrite();
}

// Writes a run of printable ASCII that a peek found whole in the ring (it
// ends at a byte outside the run, and fits before the last column), as the
// receive pass and FastRun would, and takes it; false, with nothing done,
// when the run needs their fuller handling.
bool PeekedTextRun(const uint8_t* head, uint32_t length) {
    auto& r = ReceiveLoop;
    const auto& e = EmulatorState;
    const auto& l = ConsoleLayer;
    const int32_t columns = Settings.ScreenColumns;
    if (r.MonitorMode || e.GR == kGSetCodePage || !SeqBuffer.empty() ||
        (e.GL != kGSetAscii && e.GL != kGSetAsciiAlt) || Settings.CharsetMode != 0 ||
        e.SingleShiftPending || !RunsWrittenWhole(columns) ||
        static_cast<int64_t>(length) > columns - l.CursorCol + 1)
        return false;
    TermExecutor.QuietLineEnd = false;
    WriteTextRun(head, length, 1252);
    HostIn().Take(length);
    return true;
}

// Gathers a run starting with b and writes it; returns the byte that ended the
// run (read ahead) or -1.
int FastRun(uint8_t b, int32_t room, std::span<const uint8_t> ahead, bool aheadStopped) {
    auto& r = ReceiveLoop;
    auto& e = EmulatorState;
    uint8_t run[kMaxRun];
    uint32_t length = 0;
    uint32_t codePage = 1252;
    // A single shift covers one character, after which GL returns to G0.
    const bool singleShift = e.SingleShiftPending;
    const uint32_t limit =
        singleShift ? 1 : static_cast<uint32_t>(std::clamp<int32_t>(room, 1, kMaxRun));
    int leftOver = -1;

    if (e.GL == kGSetAscii || e.GL == kGSetAsciiAlt || b >= 0x9F) {
        if (b >= 0x20 && b <= 0x7E) {
            run[length++] = b;
            // The run is taken straight out of the ring while its bytes are
            // plain data; the readers below take over where they are not.
            bool runOver = false;
            // The bytes the receive pass saw after b are the start of what
            // the first peek below would find.
            if (!ahead.empty() || aheadStopped) {
                const uint32_t n =
                    std::min<uint32_t>(static_cast<uint32_t>(ahead.size()), limit - length);
                if (n > 0) {
                    std::memcpy(run + length, ahead.data(), n);
                    HostIn().Take(n);
                    length += n;
                }
                runOver = aheadStopped && n == ahead.size();
            }
            while (length < limit && !runOver) {
                const uint8_t* head = nullptr;
                const uint32_t n = HostIn().Peek(Settings.IgnoreNul != 0, limit - length,
                                                 {0xFF, 0x20, 0x7E, false}, head, runOver);
                if (n == 0) break;
                std::memcpy(run + length, head, n);
                HostIn().Take(n);
                length += n;
            }
            if (runOver || length >= limit) {
                // Nothing more belongs to this run.
            } else if (Settings.IgnoreNul == 0) {
                while (length < limit) {
                    const uint32_t n = HostIn().ReadRun(run + length, limit - length, 0x20, 0x7E);
                    if (n == 0) break;
                    length += n;
                }
            } else {
                // NULs are dropped, so the run is read byte by byte.
                while (length < limit && HostIn().Ready(0)) {
                    const int next = HostIn().Read(SevenBitReading(), true);
                    if (next == kNoHostByte) break;
                    if (next < 0x20 || next > 0x7E) {
                        leftOver = next;
                        break;
                    }
                    run[length++] = static_cast<uint8_t>(next);
                }
            }
            if (Settings.CharsetMode != 0)
                codePage =
                    DecodeNationalChars(std::span<uint8_t>(run, length), Settings.CharsetMode);
        } else {
            uint8_t mapped = 0;
            if (!GrByteCodePage(b - 0x80, e.GR, mapped, codePage)) return b;
            run[length++] = mapped;
            // Each byte of the N7900 graphics picks its own colour, so it is written alone.
            const uint32_t gather = e.GR == kGSetN7900Graphics ? 1 : limit;
            uint8_t raw[kMaxRun];
            // 0x9F is a control (APC) unless C1 bytes are text, as it is for
            // a byte read alone.
            const uint8_t lowest = r.C1AsText ? 0x9F : 0xA0;
            while (length < gather) {
                const uint32_t n = HostIn().ReadRun(raw, gather - length, lowest, 0xFF);
                if (n == 0) break;
                for (uint32_t i = 0; i < n; ++i) {
                    uint32_t cp = 0;
                    GrByteCodePage(raw[i] - 0x80, e.GR, mapped, cp);
                    run[length++] = mapped;
                }
            }
        }
        if (length > 0) WriteTextRun(run, length, codePage);
        if (singleShift && length > 0) ReturnFromSingleShift();
        return leftOver;
    }

    // Another set in GL: identical bytes go out as one repeated character,
    // except after a single shift, which covers one character only.
    uint32_t n = 1;
    if (!singleShift) {
        while (n < limit) {
            const uint32_t got = HostIn().ReadRun(run, limit - n, b, b);
            if (got == 0) break;
            n += got;
        }
    }
    if (!TermExecutor.QuietLine) WriteRepeatedChar(b, static_cast<uint8_t>(n), 0, true, false);
    r.LastGraphicChar = b;
    r.LastGraphicTranslated = true;
    r.LastGraphicCodePage = 0;
    return -1;
}

// Whether a character of a UTF-8 run takes its one cell as it is (no filler
// after it, no mark composing with the one before): 0 not known yet, 1 yes,
// 2 no. The answer depends on the double-width settings, so the table is
// kept for the settings it was filled under; text repeats the same few
// characters, each found once instead of by range searches per character.
struct PlainCellTable {
    uint32_t CodePage = 0;
    uint8_t CharsetKind = 0;
    uint8_t Option6860 = 0;
    bool Filled = false;
    std::array<uint8_t, 0x10000> Known{};
};
PlainCellTable plainCells;

[[gnu::noinline]] bool LearnPlainCell(char16_t ch) {
    const bool plain =
        ch != 0xFFFF && !console::NeedsFillerCell(ch) && !(ch >= 0x0300 && IsCombiningMark(ch));
    plainCells.Known[ch] = plain ? 1 : 2;
    return plain;
}

// The table for the settings now in force.
PlainCellTable& PlainCells() {
    auto& t = plainCells;
    const uint32_t codePage = console::CodePageSetting();
    const uint8_t kind = console::CharsetKindSetting();
    const uint8_t option = console::ScreenOption6860Setting();
    if (!t.Filled || t.CodePage != codePage || t.CharsetKind != kind || t.Option6860 != option) {
        t.Known.fill(0);
        t.CodePage = codePage;
        t.CharsetKind = kind;
        t.Option6860 = option;
        t.Filled = true;
    }
    return t;
}

// UTF-8 text whose characters each take one cell: printable ASCII and whole
// two- and three-byte characters (b, already read, and the bytes waiting
// after it) are written as one run, with what the byte-by-byte path would
// leave behind. False, with nothing done, when b does not start such a run.
bool Utf8Run(uint8_t b, int32_t room) {
    auto& r = ReceiveLoop;
    auto& e = EmulatorState;
    const auto& l = ConsoleLayer;
    const bool ascii = b >= 0x20 && b <= 0x7E;
    if ((!ascii && !IsUtf8BmpLead(b)) || !SeqBuffer.empty() || e.GR != kGSetCodePage ||
        Settings.CodePage.Get() != kCharsetUtf8 || Settings.EuroChar != 0 ||
        (e.GL != kGSetAscii && e.GL != kGSetAsciiAlt) || Settings.CharsetMode != 0 ||
        e.SingleShiftPending || r.InsertMode || TermExecutor.QuietLine || l.StatusMode ||
        l.DirectWrite || l.AttrSelection == console::kSelectionInherit ||
        l.ScreenWidth < Settings.ScreenColumns || SevenBitReading() ||
        !MultibyteCharactersShowPlainly())
        return false;

    constexpr int32_t kMaxChars = 256;
    const int32_t limit = std::clamp<int32_t>(room, 1, kMaxChars);
    uint8_t bytes[kMaxChars * 3 + 1];
    bytes[0] = b;
    const uint8_t* head = nullptr;
    bool stopped = false;
    const uint32_t waiting =
        HostIn().Peek(Settings.IgnoreNul != 0, static_cast<uint32_t>(limit * 3), {}, head, stopped);
    if (waiting > 0) std::memcpy(bytes + 1, head, waiting);
    const size_t available = waiting + 1;

    char16_t units[kMaxChars];
    int32_t count = 0;
    size_t at = 0;
    size_t lastMultibyte = 0;
    uint8_t lastMultibyteLength = 0;
    int lastAscii = -1;
    const auto& known = PlainCells().Known;
    while (count < limit && at < available) {
        const uint8_t c = bytes[at];
        if (c >= 0x20 && c <= 0x7E) {
            units[count++] = c;
            lastAscii = c;
            ++at;
            continue;
        }
        // Whole two- and three-byte characters only, as DecodeUtf8 reads
        // them: the second byte's range leaves out overlong forms (E0) and
        // surrogates (ED).
        if (!IsUtf8BmpLead(c) || at + 1 >= available) break;
        const uint8_t b1 = bytes[at + 1];
        char16_t ch = 0;
        uint8_t length = 2;
        if (c < 0xE0) {
            if ((b1 & 0xC0) != 0x80) break;
            ch = static_cast<char16_t>((c & 0x1F) << 6 | (b1 & 0x3F));
        } else {
            const uint8_t low = c == 0xE0 ? 0xA0 : 0x80;
            const uint8_t high = c == 0xED ? 0x9F : 0xBF;
            if (at + 2 >= available || b1 < low || b1 > high || (bytes[at + 2] & 0xC0) != 0x80)
                break;
            ch =
                static_cast<char16_t>((c & 0x0F) << 12 | (b1 & 0x3F) << 6 | (bytes[at + 2] & 0x3F));
            length = 3;
        }
        // A combining mark composes with the character before it on the
        // byte-by-byte path.
        const uint8_t state = known[ch];
        if (state == 2 || (state == 0 && !LearnPlainCell(ch))) break;
        units[count++] = ch;
        lastMultibyte = at;
        lastMultibyteLength = length;
        at += length;
    }
    if (count == 0) return false;

    HostIn().Take(static_cast<uint32_t>(at - 1));
    TermExecutor.QuietLineEnd = false;
    if (lastMultibyteLength != 0)
        MultibyteCharactersShown(bytes + lastMultibyte, lastMultibyteLength);
    console::WriteScreenUnits(std::u16string_view(units, static_cast<size_t>(count)));
    if (lastAscii >= 0) {
        r.LastGraphicChar = static_cast<uint8_t>(lastAscii);
        r.LastGraphicTranslated = false;
        r.LastGraphicCodePage = 1252;
    }
    WrapAfterWrite();
    return true;
}

void ReassertKeyboardLock() {
    if (Settings.NoKeyboardLock == 1) ReceiveLoop.KeyboardLocked = false;
    if (ReceiveLoop.HostXoff && Settings.HostType == 7) ReceiveLoop.KeyboardLocked = true;
}

// How many bytes or runs the fast pass takes straight from the ring between two
// rounds of the connection, tick and key checks.
constexpr int32_t kChecksEvery = 64;

// Plain data the fast pass peeked once and hands out piece by piece, as
// long as the ring's head is still inside it and nothing was flushed.
struct PeekedData {
    const uint8_t* at = nullptr;
    uint32_t left = 0;
    uint32_t flushes = 0;
    bool skipNul = false;
    // The last piece was taken by a text run, which leaves the ring's head
    // right after it, so at is the head without asking.
    bool atHead = false;
};

// The bytes that Peek would give for the byte most likely next, out
// of the peeked data: a text run (0x20-0x7E after the first byte) or a
// control sequence's parameter and intermediate bytes with the byte that ends
// them. 0 when the byte reader is to be used.
uint32_t PeekLikely(PeekedData& d, bool skipNul, bool text, uint8_t mask, const uint8_t*& head,
                    bool& stopped) {
    stopped = false;
    bool atHead = d.atHead && d.left > 0 && skipNul == d.skipNul;
    d.atHead = false;
    // A head still inside the peeked bytes, with nothing flushed, leaves the
    // rest of them waiting as plain data, as Head would find.
    const HostInput::HeadMark& mark = HostIn().Mark();
    if (!atHead && mark.Base != nullptr && d.left > 0 && skipNul == d.skipNul &&
        *mark.Flushes == d.flushes) {
        const uint8_t* now = mark.Base + *mark.Offset;
        if (now >= d.at && now < d.at + d.left) {
            d.left -= static_cast<uint32_t>(now - d.at);
            d.at = now;
            atHead = true;
        }
    }
    if (!atHead) {
        const uint8_t* now = nullptr;
        uint32_t flushes = 0;
        const uint32_t waiting = HostIn().Head(now, flushes);
        if (waiting == 0) return 0;
        if (now >= d.at && now < d.at + d.left && flushes == d.flushes && skipNul == d.skipNul) {
            d.left -= static_cast<uint32_t>(now - d.at);
            d.at = now;
            d.left = std::min(d.left, waiting);
        } else {
            bool ignored = false;
            d.left = HostIn().Peek(skipNul, waiting, HostDataRange{}, d.at, ignored);
            d.flushes = flushes;
            d.skipNul = skipNul;
        }
    }
    head = d.at;
    // The peeked bytes are all plain data: only the range can end the piece.
    if (text) {
        const auto count = static_cast<int32_t>(std::min<uint32_t>(d.left, kMaxRun));
        const int32_t n = connections::FirstSpanStop<false, false>(head, count > 0 ? 1 : 0, count,
                                                                   0xFF, 0x20, 0x7E);
        stopped = n < count;
        return static_cast<uint32_t>(n);
    }
    const auto count = static_cast<int32_t>(std::min<uint32_t>(d.left, kSeqBufferSize));
    const int32_t n =
        connections::FirstSpanStop<false, false>(head, std::min(count, 2), count, mask, 0x20, 0x3F);
    stopped = n < count;
    return static_cast<uint32_t>(stopped ? n + 1 : n);
}

void ReceivePass(bool fastPath) {
    auto& r = ReceiveLoop;
    if (r.ReceiveOverflow) return;
    const int32_t startTick = Ticks();
    // The fast pass polls the connection and tests the tick and the key
    // queue once per batch of bytes that were already waiting as plain
    // data, instead of once per byte.
    int32_t unchecked = 0;
    bool expectText = false;
    // On the fast pass the caret stays where it is until the pass ends,
    // instead of being considered after every write and cursor move.
    auto& layer = ConsoleLayer;
    if (fastPath) ++layer.CaretHold;
    PeekedData peekedData;
    for (;;) {
        int read = kNoHostByte;
        const uint8_t* head = nullptr;
        bool stopped = false;
        // The fast pass peeks the byte together with what most likely
        // follows it, which a text run or a control sequence then takes
        // without another look at the ring: text after a sequence, a
        // control sequence after text or a control byte.
        std::span<const uint8_t> ahead;
        bool aheadStopped = false;
        bool sequenceDone = false;
        bool textDone = false;
        uint32_t peeked = 0;
        const bool sevenBit = SevenBitReading();
        if (fastPath && unchecked > 0 &&
            (peeked = PeekLikely(peekedData, Settings.IgnoreNul != 0, expectText,
                                 sevenBit ? 0x7F : 0xFF, head, stopped)) >= 1) {
            read = sevenBit ? (head[0] & 0x7F) : head[0];
            // Printable ASCII that ends inside the peeked bytes is written
            // straight from the ring.
            textDone = expectText && stopped && head[0] >= 0x20 && head[0] <= 0x7E &&
                       PeekedTextRun(head, peeked);
            if (textDone) {
                peekedData.at += peeked;
                peekedData.left -= peeked;
                peekedData.atHead = true;
            }
            ahead = std::span<const uint8_t>(head + 1, peeked - 1);
            aheadStopped = stopped;
            // A control sequence the recogniser already knows is taken from
            // the ring together with its ESC.
            r.TimeoutDeadline = 0;
            sequenceDone = !expectText && stopped && read == kEsc && !r.MonitorMode &&
                           ExecuteWholeControlSequence(ahead, true);
            if (!sequenceDone && !textDone) HostIn().Take(1);
        } else {
            HostIn().Poll();
            if (!HostIn().Ready(0)) break;
            read = HostIn().Read(SevenBitReading(), Settings.IgnoreNul != 0);
            if (read == kNoHostByte) break;
        }
        --unchecked;
        const bool textAhead = expectText;
        expectText = false;
        const auto b = static_cast<uint8_t>(read);
        r.TimeoutDeadline = 0;
        bool endPass = false;

        const int32_t columns = Settings.ScreenColumns;
        if (sequenceDone) {
            expectText = true;
            if (r.Hooks.MacroKeyWaiting()) endPass = true;
        } else if (textDone) {
            // Written and taken.
        } else if (r.MonitorMode) {
            WriteMonitorByte(b);
        } else if (fastPath && EmulatorState.GR == kGSetCodePage && ConsoleLayer.ProtectMode == 0 &&
                   ConsoleLayer.CursorCol < columns && r.WaitForText.Empty() &&
                   r.AutoLoginState == 0 && Utf8Run(b, columns - ConsoleLayer.CursorCol + 1)) {
            if (r.Hooks.MacroKeyWaiting()) endPass = true;
        } else if (!IsPrintable(b)) {
            // A sequence peek that stopped holds the ESC's whole control sequence.
            ExecuteTermOp(b, ahead, !textAhead && aheadStopped);
            expectText = b == kEsc;
            if (r.Hooks.MacroKeyWaiting()) endPass = true;
        } else {
            TermExecutor.QuietLineEnd = false;
            int next = b;
            // Text that takes its colour from the field it lands in resolves
            // that colour per write, so it is written character by character.
            if (fastPath && RunsWrittenWhole(columns)) {
                next = textAhead
                           ? FastRun(b, columns - ConsoleLayer.CursorCol + 1, ahead, aheadStopped)
                           : FastRun(b, columns - ConsoleLayer.CursorCol + 1, {}, false);
            }
            if (next >= 0) endPass = LeftOver(static_cast<uint8_t>(next));
        }

        if (endPass || r.ReceiveOverflow || b == 0xFF) break;
        if (fastPath && unchecked > 0) continue;
        peekedData.atHead = false;
        if (!HostIn().Ready(0) || Ticks() != startTick || r.Hooks.KeyPressed()) break;
        unchecked = kChecksEvery;
    }
    if (fastPath) {
        if (layer.CaretHold > 0) --layer.CaretHold;
        if (layer.CaretPending) console::ClampCursor();
    }
    ReassertKeyboardLock();
}

}  // namespace

void ReceiveFromHost() {
    ReceivePass(true);
}
void ReferenceReceiveFromHost() {
    ReceivePass(false);
}

bool MatchPromptList(std::string_view list) {
    const char separator = static_cast<char>(Settings.PromptSeparator);
    while (!list.empty()) {
        const size_t at = list.find(separator);
        std::string entry(list.substr(0, at));
        list = at == std::string_view::npos ? std::string_view() : list.substr(at + 1);
        for (char& c : entry) c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
        if (RingEndsWith(entry)) return true;
    }
    return false;
}

void StartAutoLogin() {
    const uint8_t method = Settings.CommMethod;
    if ((method == connections::CommMethodTelnet && connections::CommSrpLastReply() == 2) ||
        method == connections::CommMethodSsh || method == connections::CommMethodSerial ||
        Settings.LoginWizard == 0 || (Settings.UserName.Empty() && Settings.Password.Empty()))
        return;
    ReceiveLoop.AutoLoginState = 1;
}

void ReceiveByteAgain(uint8_t b) {
    if (!IsPrintable(b)) {
        ExecuteTermOp(b);
        return;
    }
    TermExecutor.QuietLineEnd = false;
    LeftOver(b);
}

void WriteRepeatedChar(uint8_t ch, uint8_t count, uint32_t codePage, bool translate, bool capture) {
    auto& l = ConsoleLayer;
    if (ch < 0x20 || !SeqBuffer.empty()) {
        ExecuteTermOp(ch);
        return;
    }
    if (count == 0) return;
    if (l.CursorCol > l.ScreenWidth && EmulatorState.WrapStyle == kWrapDeferred) {
        l.Hooks.FlushCaptureLine();
        console::WriteString("\r\n");
    }
    const bool throughSets =
        translate &&
        (ch >= 0x80 || (EmulatorState.GL != kGSetAscii && EmulatorState.GL != kGSetAsciiAlt));
    // A byte that shows nothing leaves the row as it is: room made for it
    // would stay a hole of stale cells.
    if (ReceiveLoop.InsertMode && !(throughSets && ShowsNoCharacter(ch)))
        console::ShiftRowCells(l.CursorRow, l.CursorCol, console::Columns(), count);
    if (throughSets) {
        DisplayHostChar(ch, count, capture);
    } else {
        char text[256];
        std::fill(text, text + count, static_cast<char>(ch));
        console::WriteScreenStr(std::string_view(text, count), codePage);
        // A single shift covers the next character whichever set shows it.
        if (EmulatorState.SingleShiftPending) ReturnFromSingleShift();
    }
    if (l.CursorCol > l.ScreenWidth && EmulatorState.WrapStyle == kWrapStay) StayOnLastColumn();
    WrapAfterWrite();
}

}  // namespace emulation
