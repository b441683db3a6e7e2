#include "emulation/input/macros.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "console/key_names.h"
#include "emulation/command_line.h"
#include "emulation/input/keys_file.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "emulation/text/utf8.h"
#include "emulation/types/term_types.h"
#include "ui/dialog_interface.h"

namespace emulation {

namespace {

// The function keys F1-F20 with their Shift, Ctrl and Alt forms, then the
// editing, arrow and keypad keys: definitions are listed in this order.
constexpr std::array<uint16_t, 150> kKeyOrderTable = {
    315, 316, 317, 318, 319, 320, 321, 322, 323, 324, 389, 390, 464, 465, 466, 467, 468, 469, 470,
    471, 340, 341, 342, 343, 344, 345, 346, 347, 348, 349, 391, 392, 480, 481, 482, 483, 484, 485,
    486, 446, 350, 351, 352, 353, 354, 355, 356, 357, 358, 359, 393, 394, 472, 473, 474, 475, 476,
    477, 478, 479, 360, 361, 362, 363, 364, 365, 366, 367, 368, 369, 395, 396, 338, 327, 329, 339,
    335, 337, 450, 439, 441, 451, 447, 449, 402, 375, 388, 403, 373, 374, 418, 407, 409, 419, 415,
    417, 264, 437, 438, 270, 271, 404, 421, 328, 336, 331, 333, 440, 448, 443, 445, 397, 401, 371,
    372, 408, 416, 411, 413, 452, 423, 463, 458, 461, 459, 462, 429, 506, 501, 504, 502, 500, 487,
    488, 489, 491, 492, 493, 495, 496, 497, 498, 499, 398, 399, 400, 405, 406, 420, 285,
};

constexpr uint16_t kEnter = 13;
constexpr uint16_t kFromMacro = 0x8000;
// A braced group's terminal sequences are cut to this many bytes each.
constexpr size_t kBracedSequenceLength = 20;

void NoLocalByte(uint8_t) {}
void NoStatusLine() {}
bool RingAlwaysEmpty() {
    return true;
}
uint16_t NoRingKey() {
    return 0;
}
void NoWait() {}

constexpr MacroHooks kDefaultHooks{NoLocalByte, NoStatusLine, RingAlwaysEmpty, NoRingKey, NoWait};

MacroFrame& Top() {
    return Macros.Frames.back();
}

// The top macro is used up: the bottom frame goes idle, any other is removed
// and the macro below goes on where it stopped.
void EndTopFrame() {
    if (Macros.Frames.size() > 1) {
        Macros.Frames.pop_back();
        return;
    }
    Top().Mode = MacroIdle;
    MacroServices.MarkStatusLineDirty();
}

// One character from typed UTF-8 bytes; 0xFFFF when they form none.
uint16_t TypedUtf8Char(std::span<const uint8_t> bytes) {
    char16_t ch = 0xFFFF;
    if (HostToUnicode(bytes, kCharsetUtf8, ch) != kHostChar) return 0xFFFF;
    return ch;
}

// Reads one key of a definition at i: NUL and a byte, a UTF-8 sequence in a
// UTF-8 definition, or one byte. False (i moved to the end) for a NUL that
// ends the text.
bool ReadDefinitionKey(const MacroRec& rec, size_t& i, MacroKey& key) {
    const std::string& t = rec.Text;
    const auto b = static_cast<uint8_t>(t[i]);
    if (b == 0) {
        if (i + 1 >= t.size()) {
            i = t.size();
            return false;
        }
        key = {0, static_cast<uint16_t>(256 + static_cast<uint8_t>(t[i + 1]))};
        i += 2;
        return true;
    }
    if (b < 0x80 || rec.Utf8 == 0) {
        key = {static_cast<uint8_t>(b < 0x80 ? 1 : 0), b};
        ++i;
        return true;
    }
    const size_t n = std::min<size_t>(Utf8SeqLength(b), t.size() - i);
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(t.data() + i), n);
    char16_t ch = 0xFFFF;
    size_t used = n;
    switch (HostToUnicode(bytes, kCharsetUtf8, ch, &used)) {
        case kHostChar:
            // A broken sequence ends before the byte that broke it, which
            // plays next.
            key = {1, ch};
            i += std::max<size_t>(used, 1);
            break;
        case kHostIncomplete:
            key = {1, 0xFFFF};
            i += n;
            break;
        default:  // no lead byte: the byte as it is
            key = {0, b};
            ++i;
            break;
    }
    return true;
}

uint16_t ReadTypedKey(bool allowPaste) {
    if (!MacroServices.KeyRingEmpty()) return MacroServices.ReadKeyRing();
    if (allowPaste && platform::CurrentKeySource() != nullptr) {
        for (;;) {
            uint16_t pasted = 0;
            if (ui::PastePending() && ui::NextPasteChar(pasted)) return pasted;
            if (console::KeyPressed()) break;
            MacroServices.WaitForInput();
        }
    }
    return console::ReadKeyCode();
}

}  // namespace

MacroState Macros;
MacroHooks MacroServices = kDefaultHooks;

void ResetMacros() {
    Macros = MacroState{};
}

void ResetMacroHooks() {
    MacroServices = kDefaultHooks;
}

uint32_t KeyOrder(uint16_t code) {
    if (code < 256) return code;
    const auto* at = std::find(kKeyOrderTable.begin(), kKeyOrderTable.end(), code);
    if (at != kKeyOrderTable.end()) return 256 + static_cast<uint32_t>(at - kKeyOrderTable.begin());
    return code + 4096u;
}

MacroList& CurrentMacroList() {
    return Macros.Sets[Macros.CurrentSet];
}

bool DefineMacro(uint16_t key, std::string_view text, uint8_t utf8, uint16_t scope) {
    MacroList& list = CurrentMacroList();
    const uint32_t order = KeyOrder(key);
    bool existed = false;
    if (auto slot = list.find(order); slot != list.end()) {
        std::vector<MacroRec>& nodes = slot->second;
        auto node = std::find_if(nodes.begin(), nodes.end(),
                                 [scope](const MacroRec& r) { return r.Scope == scope; });
        if (node != nodes.end()) {
            if (node->Text == text) return true;
            existed = true;
            Macros.TextBytes -= node->Text.size();
            nodes.erase(node);
            if (nodes.empty()) list.erase(slot);
        }
    }
    if (!existed && text.empty()) return true;
    if (!text.empty() && text.size() <= MaxMacroTextLength) {
        if (Macros.TextBytes + text.size() > MacroTextBudget) return false;
        try {
            std::vector<MacroRec>& nodes = list[order];
            nodes.insert(
                nodes.begin(),
                MacroRec{key, scope, static_cast<uint8_t>(utf8 != 0 ? 1 : 0), std::string(text)});
        } catch (const std::bad_alloc&) {
            if (auto slot = list.find(order); slot != list.end() && slot->second.empty())
                list.erase(slot);
            return false;
        }
        Macros.TextBytes += text.size();
    }
    if (scope == ScopePermanent) Macros.KeysChanged = true;
    return true;
}

const MacroRec* FindMacro(uint16_t key) {
    const MacroList& list = CurrentMacroList();
    auto slot = list.find(KeyOrder(key));
    if (slot == list.end() || slot->second.empty()) return nullptr;
    return &slot->second.front();
}

bool MacroExists(uint16_t key) {
    return FindMacro(key) != nullptr;
}

std::string GetMacroText(uint16_t key) {
    const MacroRec* rec = FindMacro(key);
    std::string text = rec ? rec->Text : std::string();
    Macros.MacroTextLength = static_cast<uint32_t>(text.size());
    return text;
}

void ClearTemporaryKeys() {
    MacroList& list = CurrentMacroList();
    for (auto slot = list.begin(); slot != list.end();) {
        std::vector<MacroRec>& nodes = slot->second;
        for (auto node = nodes.begin(); node != nodes.end();) {
            if (node->Scope == ScopeTemporary) {
                Macros.TextBytes -= node->Text.size();
                node = nodes.erase(node);
            } else {
                ++node;
            }
        }
        slot = nodes.empty() ? list.erase(slot) : std::next(slot);
    }
}

void ClearKeyDefinitions() {
    for (MacroList& list : Macros.Sets) list.clear();
    Macros.CurrentSet = 0;
    Macros.HostSetLoaded = false;
    Macros.TextBytes = 0;
}

void UseSecondKeySet(bool second) {
    Macros.CurrentSet = second ? 1 : 0;
}

bool SecondKeySetActive() {
    return Macros.CurrentSet == 1;
}

bool StartMacro(uint16_t key, bool nested) {
    if (!MacroExists(key)) return false;
    if (nested) {
        if (Macros.Frames.size() >= MaxMacroNesting) return false;
        Macros.Frames.push_back(MacroFrame{key, MacroPlaying, 1});
    } else {
        Top() = MacroFrame{key, MacroPlaying, 1};
    }
    return true;
}

void StopMacros() {
    Macros.Frames.resize(1);
    Top().Mode = MacroIdle;
}

bool RunErrorKeyMacro() {
    const uint16_t key = commands::Interpreter.ErrorKey;
    if (key == 0 || !MacroExists(key)) return false;
    StopMacros();
    return StartMacro(key, false);
}

bool MacroIsPlaying() {
    return Top().Mode != MacroIdle;
}

const MacroFrame& TopMacroFrame() {
    return Top();
}

void SetTopMacroMode(int32_t mode) {
    Top().Mode = mode;
}

bool NextMacroKey(bool batchStart, MacroKey& key) {
    MacroFrame& top = Top();
    if (top.Mode != MacroPlaying) return false;
    const MacroRec* rec = FindMacro(top.Key);
    // The definition went away or shrank while it played (a command in it
    // redefined its own key): the macro ends instead of playing forever.
    if (rec == nullptr || top.Pos < 1 || top.Pos > rec->Text.size()) {
        EndTopFrame();
        return false;
    }
    const std::string& t = rec->Text;
    size_t i = top.Pos - 1;
    bool yielded = false;
    // The keys of a braced group; they are performed only after the frame is
    // settled, since performing them may run commands that change macros.
    std::vector<uint16_t> braced;

    switch (t[i]) {
        case '|':
            key = {1, kEnter};
            yielded = true;
            ++i;
            break;
        case '#':
            top.Mode = MacroPaused;
            ++i;
            break;
        case '{':
            if (!batchStart) return false;
            ++i;
            while (i < t.size() && t[i] != '}') {
                if (t[i] == 0) {
                    if (i + 1 >= t.size()) {
                        i = t.size();
                        break;
                    }
                    braced.push_back(static_cast<uint16_t>(256 + static_cast<uint8_t>(t[i + 1])));
                    i += 2;
                } else {
                    braced.push_back(static_cast<uint8_t>(t[i]));
                    ++i;
                }
            }
            if (i < t.size()) ++i;  // the closing brace; a group left open runs to the end
            break;
        case '~':
            ++i;
            if (i < t.size()) {
                yielded = ReadDefinitionKey(*rec, i, key);
            } else {
                key = {1, '~'};  // a final "~" is itself
                yielded = true;
            }
            break;
        default:
            yielded = ReadDefinitionKey(*rec, i, key);
            break;
    }

    top.Pos = static_cast<uint32_t>(i + 1);
    if (i >= t.size()) EndTopFrame();

    for (uint16_t k : braced) {
        const auto sequence = TermKeySequence(k);
        const size_t n = std::min(sequence.size(), kBracedSequenceLength);
        for (size_t j = 0; j < n; ++j) MacroServices.PerformLocally(sequence[j]);
    }
    return yielded;
}

bool PeekMacroKey(uint16_t& key) {
    const MacroFrame& top = Top();
    if (top.Mode != MacroPlaying) return false;
    const MacroRec* rec = FindMacro(top.Key);
    if (rec == nullptr || top.Pos < 1 || top.Pos > rec->Text.size()) return false;
    const std::string& t = rec->Text;
    const auto b = static_cast<uint8_t>(t[top.Pos - 1]);
    if (b != 0) {
        key = b;
        return true;
    }
    if (top.Pos >= t.size()) return false;
    key = static_cast<uint16_t>(256 + static_cast<uint8_t>(t[top.Pos]));
    return true;
}

uint16_t GetKey(bool useMacro, bool allowPaste) {
    for (;;) {
        if (useMacro && Top().Mode == MacroPlaying) {
            MacroKey k;
            if (NextMacroKey(true, k)) {
                // Characters above 255 would read as key codes here.
                const uint16_t code = k.IsChar != 0 && k.Code > 255 ? u'?' : k.Code;
                return code | kFromMacro;
            }
            continue;
        }
        const auto key = static_cast<uint16_t>(console::NormalizeKeyCode(ReadTypedKey(allowPaste)));
        if (key == kEnter && useMacro && Top().Mode == MacroPaused) {
            Top().Mode = MacroPlaying;
            continue;
        }
        return key;
    }
}

KeyChar GetKeyChar(bool useMacro, bool allowPaste) {
    for (;;) {
        if (useMacro && Top().Mode == MacroPlaying) {
            MacroKey k;
            if (NextMacroKey(true, k)) return {k.Code, k.IsChar != 0, true};
            continue;
        }
        const auto key = static_cast<uint16_t>(console::NormalizeKeyCode(ReadTypedKey(allowPaste)));
        if (key == kEnter && useMacro && Top().Mode == MacroPaused) {
            Top().Mode = MacroPlaying;
            continue;
        }
        if (key < 0x80 || key > 0xFF) return {key, key < 256, false};
        // Typed text arrives as UTF-8 bytes, one key each.
        std::array<uint8_t, 3> bytes{static_cast<uint8_t>(key)};
        const size_t need = Utf8SeqLength(bytes[0]);
        size_t n = 1;
        while (n < need) {
            const uint16_t more = !MacroServices.KeyRingEmpty() ? MacroServices.ReadKeyRing()
                                                                : console::ReadKeyCode();
            if (more > 0xFF) break;  // a key code cuts the sequence short
            bytes[n++] = static_cast<uint8_t>(more);
        }
        return {TypedUtf8Char({bytes.data(), n}), true, false};
    }
}

void InstallMacroServices() {
    commands::InterpreterHooks.RunErrorKeyMacro = RunErrorKeyMacro;

    commands::StartupServices.LoadKeysFile = [](std::string_view name) {
        // The settings file puts its folder in front of the settings' own
        // keys-file name; that name stays as the user wrote it, or the
        // settings would look changed at every exit.
        const std::string named = commands::Settings.KeyFileName.Str();
        const bool ok = LoadKeysFile(name, true);
        if (!named.empty() && commands::Settings.KeyFileName.View() != named)
            commands::AssignZeroFilled(commands::Settings.KeyFileName, named);
        return ok;
    };
    commands::StartupServices.SaveKeysFile = SaveKeysFile;
    commands::StartupServices.KeysChanged = []() { return Macros.KeysChanged; };
    commands::StartupServices.SetKeysChanged = [](bool changed) { Macros.KeysChanged = changed; };
    commands::StartupServices.MacroPlaying = MacroIsPlaying;
    commands::StartupServices.RunErrorKeyMacro = RunErrorKeyMacro;

    CommandLineService.DefineMacro = [](uint8_t key, std::string_view text, bool utf8,
                                        uint8_t scope) {
        DefineMacro(key, text, utf8 ? 1 : 0, scope);
    };

    Services.ClearKeyDefinitions = ClearKeyDefinitions;
    Services.MacroPlaying = MacroIsPlaying;
    Services.PeekMacroKey = []() -> uint16_t {
        uint16_t key = 0;
        return PeekMacroKey(key) ? key : 0;
    };
    Services.RunErrorKeyMacro = RunErrorKeyMacro;
}

}  // namespace emulation
