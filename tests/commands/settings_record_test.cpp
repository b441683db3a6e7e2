#include "commands/settings_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace commands {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const char* text) {
    Bytes out;
    for (const char* p = text; *p != '\0';) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoul(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}

// A String[N] as stored: length byte, then the text (the rest of the field
// must be zero, which the all-other-bytes check covers).
Bytes Counted(const std::string& text) {
    Bytes out(text.size() + 1);
    out[0] = static_cast<uint8_t>(text.size());
    std::memcpy(out.data() + 1, text.data(), text.size());
    return out;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

const uint8_t* RecordBytes(const SettingsRecord& r) {
    return reinterpret_cast<const uint8_t*>(&r);
}

struct ExpectedField {
    std::size_t offset;
    Bytes bytes;
    const char* name;
};

// Every non-zero byte of the compiled-in record, written out as the stored
// bytes rather than through the field types.
std::vector<ExpectedField> ExpectedDefaults() {
    return {
        {0, Text("e"), "SerialParity"},
        {1, Hex("07 00"), "SerialDataBits"},
        {3, Hex("01 00"), "SerialStopBits"},
        {5, Hex("00 4B"), "SerialBaud 19200"},
        {7, Hex("02"), "BeepMode"},
        {8, Hex("07"), "HostType"},
        {12, Hex("01 01 20"), "FullDuplex NoKeyboardLock TabFillChar"},
        {15, Hex("09 11 19 21 29 31 39 41 49 00"), "OldTabStops"},
        {38, Hex("0F 07 8F 87 78 01 F8 F0 09 01 89 81 79 71 F9 F1"), "OldAttrColors"},
        {54, Hex("01 01"), "TabAsTab SerialPort"},
        {58, Counted("WPRN"), "PrinterName"},
        {84, Hex("50 01"), "ScreenColumns ScrollEnabled"},
        {87, Hex("08"), "BackspaceChar"},
        {90, Hex("01 B8 01"), "StatusLine BeepPitch 440"},
        {134, Hex("01 3B 08"), "Propagate, reserved +135"},
        {137, Hex("05 56 54 32 32 30"), "TerminalType VT220"},
        {164, Hex("04 00"), "SerialIrq"},
        {166, Hex("0C 00 08 00 06 00 00 00"), "FontCellSize"},
        {174, Hex("84 00 00 00 00 40"), "PrintFontSize 12.0"},
        {198, Counted("Courier New"), "PrintFontName"},
        {345, Hex("E8 03 E8 03"), "BmpAdjustX BmpAdjustY"},
        {863, Hex("01 64 00"), "AutoConnect JumpScroll"},
        {1010, Hex("00 80 00 80 00 80 00 80"), "WindowRect80"},
        {1019, Hex("05 00 02 01"), "FlushTimer CommMethod PrinterIsDefault"},
        {1326, Text("Terminal"), "ScreenFontName"},
        {1426, Hex("01 01 01"), "PrintWizard ScreenFontCharset PrintFontCharset"},
        {1685, Hex("01"), "AllowAccelerators"},
        {1702, Hex("01 01"), "TermFlag1702 TermFlag1703"},
        {1738, Hex("08 00 00"), "MouseLeftDouble"},
        {1747, Hex("07 00 00"), "MouseRightClick"},
        {1750, Counted("OZMEL=${OZM_PROGRAM}"), "EnvironmentText"},
        {2007, Hex("01"), "RemoteCmd1C"},
        {2782, Hex("01 00 01 01"), "MainTimerInterval CtrlRPassthrough LoginWizard"},
        {2786, Counted("login:|logon:|user:|username:"), "LoginPrompts"},
        {3042, Counted("password:"), "PasswordPrompts"},
        {3298, Hex("7C 3B 05 01"), "PromptSeparator TermNameSeparator AttrUnderlineMode CtrlX"},
        {3402, Hex("02 00 00 CF 00"), "CaptureCtrlMode WindowStyle"},
        {3408, Hex("02 00 80 00 80 00 80 00 80"), "InterpretMode WindowRectWide"},
        {3419, Hex("01"), "PrintScreenAsPage"},
        {3421, Hex("E4 04 00 00 08 00 00 01 00"), "CodePage CharsetKind PassthroughCodePage"},
        {3432, Hex("0F 00 01"), "TermOptions3432 BlockType"},
        {3436, Hex("80 25 00 00 08 00 00 15 23 00 00"), "RawPortParams"},
        {3703, Hex("80 25 00 00 08 00 00 15 23 00 00"), "AuxPortParams"},
        {3971, Hex("01 01 01 01"), "KeyFlag3971 KeyFlag3972 PasteUnicode KioskFunctions"},
        {3984, Hex("01"), "SendWindowSize"},
        {4241, Hex("01"), "PrintScreenKey"},
        {4244, Hex("01"), "PrintOption4244"},
        {4247, Hex("01 0A 00 00 00 C8 00 00 00"), "PrintOption4247 RawPrintValue, reserved +4252"},
        {4458, Counted("_prtinit.txt"), "PrintInitFile"},
        {4714, Hex("01 02"), "MiniPages PrintOption4715"},
        {4974, Hex("09 11 19 21 29 31 39 41 49 51"), "TabStops"},
        {5482, Hex("01 01"), "SrpAuthMode SrpEncryptMode"},
        {5484,
         Hex("00 00 00 00  00 00 80 00  00 80 00 00  00 80 80 00"
             "80 00 00 00  80 00 80 00  80 80 00 00  C0 C0 C0 00"
             "80 80 80 00  00 00 FF 00  00 FF 00 00  00 FF FF 00"
             "FF 00 00 00  FF 00 FF 00  FF FF 00 00  FF FF FF 00"),
         "Palette"},
        {5548, Hex("01"), "TelnetNegotiation"},
        {5806, Hex("01"), "AllowQuit"},
        {5809, Hex("33 03 00 00"), "ReviewLines 819"},
        {5814, Hex("04 00 00 00 01 02 00"), "AutoLoginTimeout MouseWheelAction SshVersion"},
        {5826, Counted("Auto"), "FontFallbackList"},
        {6082, Counted("Auto"), "PrintFontFallbackList"},
        {6860, Hex("01"), "ScreenOption6860"},
        {6862,
         Hex("0F 00 07 00 8F 00 87 00 78 00 01 00 F8 00 F0 00"
             "09 00 01 00 89 00 81 00 79 00 71 00 F9 00 F1 00"),
         "AttrColors"},
        {6894, Hex("01"), "GuessLinage"},
        {7157, Hex("14 00 00 00 01 00 00 00"), "XferFinishWait XferWriteFailAction"},
        {7166, Hex("5B 00 00 00"), "XYBlockWait"},
        {7172, Hex("05 00 00 00"), "ZmodemFileOption"},
        {7178, Hex("01 00 00 00 50 00 00 00"), "KermitBlockCheck KermitMaxLen"},
        {7190, Hex("20 0D 23 59 7E"), "Kermit pad, terminator and prefixes"},
        {7200, Hex("0D"), "AsciiEolChar"},
    };
}

TEST(SettingsRecordTest, DefaultImageIsTheListedBytesAndZeroElsewhere) {
    const uint8_t* image = RecordBytes(DefaultSettings());
    std::vector<bool> covered(sizeof(SettingsRecord), false);
    for (const ExpectedField& field : ExpectedDefaults()) {
        ASSERT_LE(field.offset + field.bytes.size(), sizeof(SettingsRecord)) << field.name;
        for (std::size_t i = 0; i < field.bytes.size(); ++i) {
            EXPECT_EQ(image[field.offset + i], field.bytes[i])
                << field.name << " at +" << field.offset + i;
            covered[field.offset + i] = true;
        }
    }
    for (std::size_t i = 0; i < sizeof(SettingsRecord); ++i) {
        if (!covered[i]) {
            EXPECT_EQ(image[i], 0) << "unexpected non-zero byte at +" << i;
        }
    }
}

TEST(SettingsRecordTest, LiveRecordStartsAsDefaultsAndResets) {
    EXPECT_EQ(std::memcmp(&Settings, &DefaultSettings(), sizeof(SettingsRecord)), 0);
    Settings.CommMethod = 7;
    AssignZeroFilled(Settings.HostName, "example.test:2222");
    Settings.SplashSeconds.Set(0x3412);
    ResetSettingsToDefaults();
    EXPECT_EQ(std::memcmp(&Settings, &DefaultSettings(), sizeof(SettingsRecord)), 0);
}

TEST(SettingsRecordTest, FieldAccessReadsTheDefaultsBack) {
    const SettingsRecord& d = DefaultSettings();
    EXPECT_EQ(d.SerialBaud.Get(), 19200);
    EXPECT_EQ(d.TerminalType.View(), "VT220");
    EXPECT_EQ(d.ScreenFontName.View(), "Terminal");
    EXPECT_EQ(d.PrintFontSize.ToDouble(), 12.0);
    EXPECT_EQ(d.WindowRect80[3].GetSigned(), -32768);
    EXPECT_EQ(d.RawPortParams.BaudRate.Get(), 9600u);
    EXPECT_EQ(d.RawPortParams.Flags.Get(), 0x2315u);
    EXPECT_EQ(d.Palette[7].Get(), 0xC0C0C0u);
    EXPECT_EQ(d.TapiBlock.TapiValue.Get(), 0u);
}

TEST(Real48Test, KnownEncodings) {
    struct Case {
        double value;
        const char* bytes;
    };
    const Case cases[] = {
        {12.0, "84 00 00 00 00 40"},  {0.0, "00 00 00 00 00 00"},  {-12.0, "84 00 00 00 00 C0"},
        {1.0, "81 00 00 00 00 00"},   {0.5, "80 00 00 00 00 00"},  {72.0, "87 00 00 00 00 10"},
        {-0.75, "80 00 00 00 00 C0"}, {-0.0, "00 00 00 00 00 00"},
    };
    for (const Case& c : cases) {
        const Real48 r = Real48::From(c.value);
        EXPECT_EQ(Bytes(r.bytes.begin(), r.bytes.end()), Hex(c.bytes)) << c.value;
        EXPECT_EQ(r.ToDouble(), c.value == 0.0 ? 0.0 : c.value) << c.bytes;
    }
}

TEST(Real48Test, RoundTripsAndRounding) {
    // Values with at most 40 significant bits survive unchanged.
    for (double v : {3.25, -1234.5, 1.0 / 1024, 65535.0, 549755813887.0, 0x1.fffffffffep+125}) {
        EXPECT_EQ(Real48::From(v).ToDouble(), v) << v;
    }
    // Others round to the nearest 40-bit value.
    for (double v : {0.1, 1.0 / 3, -2.0 / 3, 1e30, 1e-30}) {
        const double back = Real48::From(v).ToDouble();
        EXPECT_LE(std::fabs(back - v), std::fabs(v) * std::ldexp(1.0, -40)) << v;
    }
    // A carry out of the fraction moves up the exponent.
    EXPECT_EQ(Real48::From(std::nextafter(2.0, 0.0)).ToDouble(), 2.0);
}

TEST(Real48Test, OutOfRangeValuesAreClamped) {
    const double largest = Real48::From(std::numeric_limits<double>::max()).ToDouble();
    EXPECT_EQ(largest, std::ldexp(2.0 - std::ldexp(1.0, -39), 126));
    EXPECT_EQ(Real48::From(std::numeric_limits<double>::infinity()).ToDouble(), largest);
    EXPECT_EQ(Real48::From(-std::numeric_limits<double>::infinity()).ToDouble(), -largest);
    EXPECT_EQ(Real48::From(1e-300).ToDouble(), 0.0);
    EXPECT_EQ(Real48::From(std::numeric_limits<double>::denorm_min()).ToDouble(), 0.0);
    EXPECT_EQ(Real48::From(std::numeric_limits<double>::quiet_NaN()).ToDouble(), 0.0);
}

TEST(Real48Test, AnyStoredBytesGiveAFiniteValue) {
    Real48 r;
    for (int exponent : {0, 1, 129, 255}) {
        r.bytes = {static_cast<uint8_t>(exponent), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        EXPECT_TRUE(std::isfinite(r.ToDouble())) << exponent;
    }
    r.bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};  // exponent 0 is zero whatever follows
    EXPECT_EQ(r.ToDouble(), 0.0);
}

TEST(LeFieldTest, LittleEndianAndSignedAccess) {
    Le16 w;
    w.SetSigned(-2);
    EXPECT_EQ(Bytes(w.bytes.begin(), w.bytes.end()), Hex("FE FF"));
    EXPECT_EQ(w.Get(), 0xFFFE);
    EXPECT_EQ(w.GetSigned(), -2);
    Le32 l;
    l.Set(0x00CF0000);
    EXPECT_EQ(Bytes(l.bytes.begin(), l.bytes.end()), Hex("00 00 CF 00"));
    l.bytes = {0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(l.GetSigned(), std::numeric_limits<int32_t>::min());
}

TEST(PStringTest, AssignmentTruncatesToCapacity) {
    PString<10> s;
    s = "0123456789ABC";
    EXPECT_EQ(s.length, 10);
    EXPECT_EQ(s.View(), "0123456789");
    s = "";
    EXPECT_TRUE(s.Empty());
}

TEST(PStringTest, HostileLengthByteIsClampedOnRead) {
    PString<10> s;
    s.text.fill('x');
    s.length = 200;
    EXPECT_EQ(s.Length(), 10u);
    EXPECT_EQ(s.View(), "xxxxxxxxxx");
}

TEST(PStringTest, ZeroFilledAssignmentLeavesNoOldBytes) {
    // Two records that end up with the same text compare equal only when
    // the old text was cleared out of the field.
    PString<20> a;
    PString<20> b;
    AssignZeroFilled(a, "a much longer text");
    AssignZeroFilled(a, "VT220");
    AssignZeroFilled(b, "VT220");
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);

    a.Assign("a much longer text");
    a.Assign("VT220");  // the plain store keeps the old tail
    EXPECT_EQ(a.View(), "VT220");
    EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);

    AssignZeroFilled(a, std::string(300, 'z'));
    EXPECT_EQ(a.Length(), 20u);
    AssignZeroFilled(a, "abcdefgh", 3);
    EXPECT_EQ(a.View(), "abc");
    EXPECT_EQ(a.text[3], 0);
}

TEST(ZStringTest, TruncatesAndReadsWithoutATerminator) {
    ZString<8> z;
    z = "Courier New";
    EXPECT_EQ(z.View(), "Courier");  // seven bytes and the terminating zero
    EXPECT_EQ(z.text[7], 0);

    z.text.fill('y');  // no zero byte anywhere, as a hostile file may leave it
    EXPECT_EQ(z.Length(), 8u);
    EXPECT_EQ(z.View(), "yyyyyyyy");

    AssignZeroFilled(z, "ab");
    EXPECT_EQ(z.View(), "ab");
    for (std::size_t i = 2; i < 8; ++i) EXPECT_EQ(z.text[i], 0) << i;

    z = std::string_view("a\0b", 3);  // a zero byte inside the text ends it
    EXPECT_EQ(z.View(), "a");
}

}  // namespace
}  // namespace commands
