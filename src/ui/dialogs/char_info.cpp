#include "ui/dialogs/char_info.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "ui/menus/menu_services.h"

namespace ui {

#include "unicode_names.inc"

namespace {

constexpr uint16_t kMsgDisplayedIn = 27001, kMsgDecomposed = 27004, kMsgUnicode = 27005,
                   kMsgSequence = 27006, kMsgPosition = 27007, kMsgInternalBitmap = 27009;
// Upper-half sets whose characters the host gets as bytes of a set of their own.
constexpr uint8_t kSetOem = 6, kSetMultinational = 8, kSetCodePage = 14, kSetDec = 16;
// Set codes of the character-set names.
constexpr uint32_t kCodeIso = 0x000000, kCodeDec = 0x050000, kCodeOem = 0x070000;
constexpr uint32_t kReorderBit = 2;
constexpr int kGlyph = 101, kText = 102;

std::string Hex(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

std::string HangulName(char16_t code) {
    static const char* const lead[] = {"G",  "GG", "N", "D",  "DD", "R", "M", "B", "BB", "S",
                                       "SS", "",   "J", "JJ", "C",  "K", "T", "P", "H"};
    static const char* const vowel[] = {"A",   "AE", "YA", "YAE", "EO", "E",  "YEO",
                                        "YE",  "O",  "WA", "WAE", "OE", "YO", "U",
                                        "WEO", "WE", "WI", "YU",  "EU", "YI", "I"};
    static const char* const tail[] = {"",   "G",  "GG", "GS", "N",  "NJ", "NH", "D", "L",  "LG",
                                       "LM", "LB", "LS", "LT", "LP", "LH", "M",  "B", "BS", "S",
                                       "SS", "NG", "J",  "C",  "K",  "T",  "P",  "H"};
    const int s = code - 0xAC00;
    return std::string("HANGUL SYLLABLE ") + lead[s / 588] + vowel[(s % 588) / 28] + tail[s % 28];
}

std::string Message(uint16_t id, const std::vector<std::string>& args) {
    return FormatMessage(console::GetMessageText(id, true), args);
}

// "Unicode = %0:x (hex), %0:d (decimal) " with the character's value.
std::string UnicodeLine(uint32_t value) {
    std::string pattern = console::GetMessageText(kMsgUnicode, true);
    for (const auto& [what, with] :
         {std::pair<std::string, std::string>{"%0:x", Hex(value)}, {"%0:d", std::to_string(value)}})
        for (size_t at; (at = pattern.find(what)) != std::string::npos;)
            pattern.replace(at, what.size(), with);
    return pattern;
}

bool HasOwnSequence(uint8_t kind) {
    return kind == kSetOem || kind == kSetMultinational || kind == kSetCodePage || kind == kSetDec;
}

// The host's set by the kind that decides its bytes: the settings' kind when
// it has bytes of its own, else the screen's.
std::string HostSetName(uint8_t kind) {
    switch (kind) {
        case kSetCodePage:
            return MenuServices.CharsetName(commands::Settings.CodePage.Get());
        case kSetOem:
            return MenuServices.CharsetName(kCodeOem);
        case kSetDec:
            return MenuServices.CharsetName(kCodeDec);
        default:
            return MenuServices.CharsetName(kCodeIso);
    }
}

// "<set> sequence (hex): 8E A1" for the characters as the host gets them.
std::string SequenceLine(std::u16string_view chars) {
    const uint8_t settingsKind = commands::Settings.CharsetKind;
    const uint8_t screenKind = MenuServices.ScreenSetKind();
    if (!HasOwnSequence(settingsKind) && !HasOwnSequence(screenKind)) return {};
    std::string bytes;
    for (char16_t c : chars) {
        for (char b : MenuServices.KeyToHostCode(c)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(b));
            bytes += (bytes.empty() ? "" : " ") + std::string(hex);
        }
    }
    const std::string set = HostSetName(HasOwnSequence(settingsKind) ? settingsKind : screenKind);
    return Message(kMsgSequence, {set, bytes}) + "\n";
}

class CharInfoDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const auto& layer = console::ConsoleLayer;
        row_ = layer.CursorRow;
        column_ = layer.CursorCol;
        ch_ = LogicalCharAt(row_, column_);
        text_ = CharInfoText(ch_, row_, column_) + "\n";
        c.SetText(kText, text_);
    }
    std::optional<int> Ok(DialogControls&) override { return 1; }
    std::u16string OwnerDrawText(int id) override {
        if (id != kGlyph) return {};
        // The console's line glyphs are drawn as the box-drawing characters they stand for.
        if (ch_ >= 0xE600 && ch_ <= 0xE6FF)
            return std::u16string(1, char16_t(0x2500 + (ch_ & 0xFF)));
        return std::u16string(1, ch_ ? ch_ : u' ');
    }
    std::string OwnerDrawFace(int) override {
        return ch_ >= 0xE600 && ch_ <= 0xE7FF ? console::GetMessageText(kMsgInternalBitmap, true)
                                              : commands::Settings.ScreenFontName.Str();
    }
    void Painted(DialogControls& c, int id, std::string_view face) override {
        if (id != kGlyph || text_.empty() || text_.back() != '\n') return;
        text_ += Message(kMsgDisplayedIn, {std::string(face)});
        c.SetText(kText, text_);
    }

  private:
    char16_t ch_ = 0;
    int32_t row_ = 1, column_ = 1;
    std::string text_;
};

}  // namespace

CharacterNames::CharacterNames(std::string_view text) {
    std::string abbreviations[128];
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const auto first = static_cast<unsigned char>(line[0]);
        if (first >= 128) {
            abbreviations[first - 128] = std::string(line.substr(1));
            continue;
        }
        const size_t semicolon = line.find(';');
        if (semicolon == std::string_view::npos) continue;
        uint32_t code = 0;
        bool valid = semicolon > 0;
        for (char h : line.substr(0, semicolon)) {
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                                     : -1;
            if (digit < 0) valid = false;
            code = code * 16 + static_cast<uint32_t>(digit < 0 ? 0 : digit);
        }
        if (!valid) continue;
        std::string name;
        for (char b : line.substr(semicolon + 1)) {
            const auto u = static_cast<unsigned char>(b);
            if (u >= 128)
                name += abbreviations[u - 128];
            else
                name.push_back(b);
        }
        names_[code] = std::move(name);
    }
}

std::string CharacterNames::Name(uint32_t code) const {
    const auto found = names_.find(code);
    return found == names_.end() ? std::string() : found->second;
}

std::string UnicodeName(char16_t code) {
    if ((code >= 0x3400 && code <= 0x4DBF) || (code >= 0x4E00 && code <= 0x9FFF))
        return "CJK UNIFIED IDEOGRAPH-" + Hex(code);
    if (code >= 0xAC00 && code <= 0xD7A3) return HangulName(code);
    static const CharacterNames names(
        std::string_view(kCharacterNames, sizeof kCharacterNames - 1));
    return names.Name(code);
}

std::string CharInfoText(char16_t ch, int32_t row, int32_t column) {
    std::string text;
    std::u16string shown(1, ch);
    if (ch >= 0xE800 && ch <= 0xEFFF) {
        shown = MenuServices.DecomposeChar(ch);
        std::string values, names;
        for (char16_t part : shown) {
            values += (values.empty() ? "" : " ") + Hex(part);
            names += (names.empty() ? "" : ", ") + UnicodeName(part);
        }
        text = Message(kMsgDecomposed, {values}) + "\n" + names;
    } else if (ch >= 0xE600 && ch <= 0xE6FF) {
        shown[0] = static_cast<char16_t>(0x2500 + (ch & 0xFF));
        text = UnicodeLine(shown[0]) + "\n" + UnicodeName(shown[0]);
    } else {
        text = UnicodeLine(ch) + "\n" + UnicodeName(ch);
    }
    return text + "\n" + SequenceLine(shown) +
           Message(kMsgPosition, {std::to_string(row), std::to_string(column)});
}

char16_t LogicalCharAt(int32_t row, int32_t column) {
    uint32_t cell = 0;
    console::ReadCells(row, column, 1, &cell);
    const char16_t own = console::CellChar(cell);
    const auto& s = commands::Settings;
    if (s.RightToLeft == 0 || (s.BidiOptions.Get() & kReorderBit) == 0) return own;
    const int32_t columns = console::ConsoleLayer.ScreenWidth;
    if (columns <= 0) return own;
    std::vector<uint32_t> cells(static_cast<size_t>(columns));
    console::ReadCells(row, 1, columns, cells.data());
    std::u16string text;
    for (uint32_t c : cells) text.push_back(console::CellChar(c));
    const auto rtl = std::find_if(text.begin(), text.end(),
                                  [](char16_t c) { return c >= 0x0590 && c <= 0x06FF; });
    if (rtl == text.end()) return own;
    std::vector<int> order;
    if (!MenuServices.VisualOrder(text, s.BidiOptions.Get(), *rtl >= 0x0600, order)) return own;
    for (size_t i = 0; i < order.size() && i < text.size(); ++i)
        if (order[i] == column - 1) return text[i];
    return own;
}

std::unique_ptr<DialogModel> MakeCharInfoDialog(std::string_view name) {
    if (name == "CHARINFO") return std::make_unique<CharInfoDialog>();
    return nullptr;
}

}  // namespace ui
