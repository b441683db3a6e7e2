#include "emulation/types/term_types.h"

#include <cstring>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/parser/recogniser.h"

namespace emulation {

using enum commands::GSetCode;

constinit const TermTypeEntry TermTypeTable[kTermTypeCount] = {
    {"N7900", &FamilyN7900, kSgrNonAnsi, kEmulationOther, 0, 0, ""},
    {"N7901", &FamilyViewpoint, kSgrNonAnsi, kEmulationOther, 0, 0, "VWPT.KYS"},
    {"VIEWPOINT", &FamilyViewpoint, kSgrNonAnsi, kEmulationOther, 0, 0, "VWPT.KYS"},
    {"VT100", &FamilyVt220, kSgrVt, kEmulationVt, 0, 0, "VT220.KYS"},
    {"VT220", &FamilyVt220, kSgrVt, kEmulationVt, 0, 0, nullptr},
    {"VT320", &FamilyVt220, kSgrVt, kEmulationVt, 0, 0, "VT220.KYS"},
    {"VT420", &FamilyVt220, kSgrVt, kEmulationVt, 0, 0, "VT220.KYS"},
    {"LINUX", &FamilyVt220, kSgrLinux, kEmulationLinux, 1, 0, "LINUX.KYS"},
    {"OZMEL", &FamilyVt220, kSgrVt, kEmulationOwn, 1, 0, "RURAVIVE.KYS"},
    {"VOVUZIVA", &FamilyVt220, kSgrVt, kEmulationOwn, 0, 0, "RURAVIVE.KYS"},
    {"SCOANSI", &FamilyVt220, kSgrScoAnsi, kEmulationScoAnsi, 1, 0, nullptr},
    {"AT386", &FamilyVt220, kSgrAt386, kEmulationAt386, 1, 0, nullptr},
    {"WYSE50", &FamilyWyse60, kSgrNonAnsi, kEmulationOther, 0, 0, "WYSE60.KYS"},
    {"C332", &FamilyC332, kSgrNonAnsi, kEmulationOther, 0, 0, nullptr},
    {"WYSE60", &FamilyWyse60, kSgrNonAnsi, kEmulationOther, 0, 0, nullptr},
    {"TV965", &FamilyTv965, kSgrNonAnsi, kEmulationOther, 0, 0, nullptr},
};

constinit const uint16_t PcColourTable[16] = {0x07, 0x0F, 0x8F, 0x87, 0x70, 0x1B, 0xF8, 0xF0,
                                              0x09, 0x01, 0x89, 0x81, 0x79, 0x71, 0xF9, 0xF1};

namespace {

// Used until the console installs its own side.
class NeutralConsole final : public TermTypeConsole {
  public:
    void ReadColourMap(uint16_t (&map)[16]) override {
        for (uint16_t& w : map) w = 0;
    }
    void Apply(const TermTypeChange&) override {}
    uint16_t NormalizeKeyCode(uint16_t key) override { return key; }
};

constinit NeutralConsole neutralConsole;
constinit TermTypeConsole* currentConsole = &neutralConsole;

bool IsPcAnsiName(std::string_view name) {
    return name == "SCOANSI" || name == "AT386" || name == "LINUX";
}

}  // namespace

void SetTermTypeConsole(TermTypeConsole* console) {
    currentConsole = console != nullptr ? console : &neutralConsole;
}

const TermTypeEntry* FindTermType(std::string_view name) {
    for (const TermTypeEntry& entry : TermTypeTable)
        if (name == entry.Name) return &entry;
    return nullptr;
}

std::string TermDefaultKeysFile(const TermTypeEntry& type) {
    if (type.DefaultKeysFile != nullptr) return type.DefaultKeysFile;
    return std::string(type.Name) + ".KYS";
}

bool SetTerminalType(std::string_view name, bool applyColours) {
    EmulatorStateData& st = EmulatorState;
    commands::SettingsRecord& settings = commands::Settings;

    // The shift state is reset even for a name that is not a type.
    st.NationalSlots[0] = settings.CharsetMode;
    st.NationalSlots[1] = st.NationalSlots[2] = st.NationalSlots[3] = 0;
    st.NationalExtra = 0;
    st.GRSlot = 2;
    st.GL = kGSetAscii;
    st.SingleShiftPending = false;

    const TermTypeEntry* entry = FindTermType(name);
    if (entry == nullptr) return false;
    const TermFamilyTable& family = *entry->Family;
    const bool wyseFamily = &family == &FamilyWyse60;
    const bool pcAnsi = IsPcAnsiName(name);

    st.CurrentTermType = entry;
    st.CurrentTermFamily = &family;
    st.EmulationFamily = entry->EmulationFamily;
    st.SgrDialect = entry->SgrDialect;

    TermTypeChange change;
    change.Type = entry;
    if (wyseFamily) {
        // WYSE50 propagates attributes, WYSE60 does not.
        settings.Propagate = name != "WYSE60" ? 1 : 0;
        st.CharBanks[0] = kGSetAsciiAlt;
        st.CharBanks[1] = kGSetOemUpper;
        st.CharBanks[2] = kGSetAsciiAlt;
        st.CharBanks[3] = kGSetOemUpper;
    }

    uint16_t colourMap[16];
    currentConsole->ReadColourMap(colourMap);
    if (applyColours) {
        if (pcAnsi) {
            change.SetColours = true;
            change.PcColourMap = true;
            change.AttributeMode = name == "LINUX" ? 3 : 4;
            std::memcpy(colourMap, PcColourTable, sizeof colourMap);
            settings.TermOptions3432.Set(0);
        } else if (entry->PcColours == 0) {
            // The console keeps its attribute mode in the settings.
            ConvertAttributeWords(settings.AttrUnderlineMode, 5, colourMap);
            change.SetColours = true;
            change.AttributeMode = 5;
        }
        if (change.SetColours) std::memcpy(change.AttrColorMap, colourMap, sizeof colourMap);
    }

    if (family.AttrMode == kAttrEmbeddedMarks && name != "WYSE60") {
        change.AttrSelection = 254;
    } else if (pcAnsi) {
        change.AttrSelection = 255;
        change.SetDirectAttr = true;
        change.DirectAttr = colourMap[0];
    } else {
        change.AttrSelection = 0;
    }

    st.ProtectAttrIndex = 1;
    st.CursorKeyMode = false;
    // The console marks protected text with its own copy of the index; a
    // field state left by the previous type would hold the new one's screen.
    auto& layer = console::ConsoleLayer;
    layer.ProtectAttrIndex = st.ProtectAttrIndex;
    layer.ProtectMode = 0;
    layer.ProtectedFields = 0;

    st.GL = family.G0Default;
    st.GSlots[0] = family.G0Default;
    st.GSlots[1] = family.G1Default;
    // A configured (multibyte) code page stays through every type change.
    uint8_t charsetKind = settings.CharsetKind;
    if (charsetKind != kGSetCodePage) {
        if (pcAnsi || name == "WYSE60")
            charsetKind = kGSetOemUpper;
        else if (wyseFamily)
            charsetKind = kGSetAscii;
        else
            charsetKind = kGSetMultinational;
    }
    settings.CharsetKind = charsetKind;
    st.GSlots[2] = charsetKind;
    st.GSlots[3] = name.starts_with("VT") ? kGSetDecSupplemental : kGSetMultinational;
    st.GR = st.GSlots[st.GRSlot & 3];

    st.WrapStyle = family.WrapStyle;
    st.EraseInCurrentAttr = name == "LINUX" || name == "SCOANSI";

    st.SgrReverse = st.SgrBlink = st.SgrBold = st.SgrUnderline = st.SgrDim = false;
    st.OldScoColours = settings.OldScoAnsi;
    st.UnderlineColour = 15;
    st.DimColour = 4;
    st.LinuxColour = static_cast<uint8_t>(colourMap[0] & 0xFF);
    st.StreamExtent = true;
    // The WYSE60 family reads host text in the OEM code page, like the PC ANSI types.
    st.HostTextAnsi = !wyseFamily;

    if (pcAnsi) {
        st.HostTextAnsi = false;
        if (name != "LINUX") st.WrapStyle = kWrapAtOnce;
        change.AnsiScreen = true;
    }
    ResetTabStops(family.TabStyle, settings.TabStops);

    st.TwoStepState = 0;
    st.NewLineMode = false;
    st.SoftFontName.clear();
    BuildRecogniserIndexes();

    currentConsole->Apply(change);
    return true;
}

void ConvertAttributeWords(uint8_t fromMode, uint8_t toMode, uint16_t (&map)[16]) {
    if (fromMode == toMode) return;
    for (uint16_t& word : map) {
        const unsigned lo = word & 0xFF;
        bool blink = false;
        bool underline = false;
        if (fromMode == 0 || fromMode == 1) {
            underline = (word & 0x80) != 0;
        } else if (fromMode == 2 || fromMode == 3) {
            blink = (word & 0x80) != 0;
        } else if (fromMode == 5) {
            blink = (word & 0x100) != 0;
            underline = (word & 0x200) != 0;
        }

        unsigned background;
        if (lo < 0x10) {
            background = 0;
        } else if ((lo & 0xF0) == 0x80) {
            background = fromMode < 4 ? 0 : 8;
        } else if (fromMode < 4) {
            background = (lo >> 4) & 7;
            if (fromMode == 0 || fromMode == 2) background += 8;
        } else {
            background = lo >> 4;
        }
        if (toMode < 4) background &= 7;

        unsigned result = (lo & 0x0F) | (background << 4);
        if (blink) {
            if (toMode == 2 || toMode == 3) result |= 0x80;
            if (toMode == 5) result |= 0x100;
        }
        if (underline) {
            if (toMode == 0 || toMode == 1) result |= 0x80;
            if (toMode == 5) result |= 0x200;
        }
        word = static_cast<uint16_t>(result);
    }
}

ByteText<10> TermKeySequence(uint16_t key) {
    ByteText<10> text;
    if (key == 264) {
        text.push_back(commands::Settings.BackspaceChar);
        return text;
    }
    if (key == 259) {
        text.push_back(0);
        return text;
    }
    if (const TermFamilyTable* family = EmulatorState.CurrentTermFamily) {
        const size_t count =
            family->KeyCount < kFamilyKeySlots ? family->KeyCount : kFamilyKeySlots;
        for (size_t i = 0; i < count; ++i) {
            const TermKeyEntry& entry = family->Keys[i];
            if (entry.KeyCode != key) continue;
            text.assign(entry.Text.data(), entry.Text.size());
            // Normal cursor keys send ESC [ A .. ESC [ D; ESC O P .. ESC O T stay.
            if (!EmulatorState.CursorKeyMode && text.size() >= 3 && text[1] == 'O' && text[2] < 'P')
                text[1] = '[';
            return text;
        }
    }
    // Keypad codes count as the characters they stand for.
    const uint16_t normal = currentConsole->NormalizeKeyCode(key);
    if (normal < 256) text.push_back(static_cast<uint8_t>(normal));
    return text;
}

bool IsTermKey(uint16_t key) {
    const TermFamilyTable* family = EmulatorState.CurrentTermFamily;
    if (family == nullptr) return false;
    const size_t count = family->KeyCount < kFamilyKeySlots ? family->KeyCount : kFamilyKeySlots;
    for (size_t i = 0; i < count; ++i)
        if (family->Keys[i].KeyCode == key) return true;
    return false;
}

}  // namespace emulation
