#include "console/key_names.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/learn_mode.h"

namespace console {
namespace {

using namespace std::string_literals;

// The window's queue, scripted: raw words come out in order.
class FakeKeys final : public platform::KeySource {
  public:
    std::deque<uint16_t> raw;
    int waitsPrepared = 0;
    char16_t (*layout)(uint8_t) = nullptr;

    FakeKeys() { platform::SetKeySource(this); }
    ~FakeKeys() override { platform::SetKeySource(nullptr); }

    bool KeyAvailable() override { return !raw.empty(); }
    uint16_t WaitForKey() override {
        uint16_t w = raw.front();
        raw.pop_front();
        return w;
    }
    void BeforeKeyWait() override { ++waitsPrepared; }
    char16_t LayoutChar(uint8_t scan) override {
        return layout ? layout(scan) : platform::KeySource::LayoutChar(scan);
    }
};

// The French layout types Q where the US one types A.
char16_t FrenchLayout(uint8_t scan) {
    if (scan == 30) return u'Q';
    if (scan == 16) return u'A';
    return platform::UsLayoutChar(scan);
}

TEST(KeyCodeToName, NamesEachKind) {
    const struct {
        uint16_t code;
        std::u16string name;
    } cases[] = {
        {315, u"f1"},   {349, u"sf10"},    {471, u"f20"},  {446, u"sf20"}, {412, u"a"},
        {65, u"41"},    {0x1234, u"1234"}, {0, u"00"},     {127, u"7F"},   {1, u"^A"},
        {31, u"^_"},    {27, u"Esc"},      {9, u"Tab"},    {256, u"00"},   {286, u"altA"},
        {272, u"altQ"}, {378, u"alt3"},    {387, u"alt="}, {369, u"af10"}, {480, u"sf13"},
        {486, u"sf19"}, {472, u"^f13"},    {479, u"^f20"}, {389, u"f11"},  {398, u"^nm-"},
        {406, u"^nm*"}, {420, u"an/"},     {423, u"sEsc"}, {429, u"nEnt"}, {439, u"sHom"},
        {458, u"num*"}, {463, u"num/"},    {487, u"nHom"}, {492, u"nBlk"}, {499, u"nDel"},
        {500, u"pEnt"}, {506, u"pad/"},    {285, u"nLok"}, {284, u"011C"}, {298, u"012A"},
    };
    for (const auto& c : cases) EXPECT_EQ(KeyCodeToName(c.code), c.name) << c.code;
}

TEST(KeyCodeToName, AltLettersFollowTheKeyboardLayout) {
    FakeKeys keys;
    EXPECT_EQ(KeyCodeToName(286), u"altA");
    keys.layout = FrenchLayout;
    EXPECT_EQ(KeyCodeToName(286), u"altQ");
    EXPECT_EQ(KeyCodeToName(272), u"altA");
}

TEST(RawKeyToKeyCode, TranslatesEveryClass) {
    const struct {
        uint16_t raw;
        uint16_t code;
    } cases[] = {
        {'a', 'a'},                // typed byte
        {84 << 8, 340},            // Shift+F1
        {116 << 8 | 0xE0, 372},    // Ctrl+Right, grey key
        {116 << 8, 372},           // Ctrl+Right on the keypad, NumLock off
        {0x3D << 8 | 0xE0, 464},   // F13
        {0x44 << 8 | 0xE0, 471},   // F20
        {0x56 << 8 | 0xE0, 480},   // Shift+F13
        {0x60 << 8 | 0xE0, 472},   // Ctrl+F13
        {0x47 << 8 | 0xE0, 327},   // grey Home
        {0x47 << 8, 487},          // keypad Home
        {0x53 << 8, 499},          // keypad Del
        {0x47 << 8 | 0xF0, 487},   // keypad, NumLock off
        {13 << 8 | 0xF0, 429},     // keypad Enter, NumLock off
        {42 << 8 | 0xF0, 458},     // keypad "*", NumLock off
        {13 << 8 | 0xD0, 500},     // keypad Enter, NumLock on
        {43 << 8 | 0xD0, 502},     // keypad "+", NumLock on
        {144 << 8, 400},           // Ctrl + keypad "+"
        {0x12 << 8 | 0x34, 0x34},  // unknown class: the class byte alone
    };
    for (const auto& c : cases) EXPECT_EQ(RawKeyToKeyCode(c.raw), c.code) << std::hex << c.raw;
}

TEST(NormalizeKeyCode, FoldsKeypadCodesOnly) {
    const struct {
        uint32_t in;
        uint32_t out;
    } cases[] = {
        {500, 13},
        {429, 13},
        {490, 330},
        {487, 327},
        {499, 339},
        {458, 42},
        {463, 47},
        {501, 42},
        {506, 47},
        {0x8041, 65},
        {315, 315},
        {486, 486},
        {507, 507},
        {0x10000 + 500, 0x10000 + 13},
        {0x18000 + 429, 0x10000 + 13},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeKeyCode(c.in), c.out) << c.in;
}

TEST(SameKeyAnyShift, CoversShiftCtrlAndAltForms) {
    EXPECT_TRUE(SameKeyAnyShift(390, 394));
    EXPECT_TRUE(SameKeyAnyShift(389, 391));
    EXPECT_TRUE(SameKeyAnyShift(323, 348));
    EXPECT_TRUE(SameKeyAnyShift(323, 358));
    EXPECT_TRUE(SameKeyAnyShift(323, 368));
    EXPECT_FALSE(SameKeyAnyShift(315, 316));
    EXPECT_FALSE(SameKeyAnyShift(389, 392));
}

TEST(KeyReading, ReadsCodesAndSkipsKeysForCharacters) {
    FakeKeys keys;
    keys.raw = {59 << 8, 'x', 0x47 << 8 | 0xF0};
    EXPECT_TRUE(KeyPressed());
    EXPECT_EQ(ReadCharKey(), 'x');  // F1 skipped
    EXPECT_EQ(ReadKeyCode(), 487);
    EXPECT_FALSE(KeyPressed());
    EXPECT_EQ(keys.waitsPrepared, 3);
}

// Learn mode, with the host's text scripted.
class LearnModeTest : public ::testing::Test {
  protected:
    static inline HostTextTail host;

    void SetUp() override {
        commands::ResetInterpreter();
        commands::ResetSettingsToDefaults();
        ResetLearnMode();
        host = {"$ ", 1};
        LearnHooks.RecentHostText = []() { return host; };
        commands::Interpreter.LearnMode = true;
    }
    void TearDown() override {
        ResetLearnModeHooks();
        ResetLearnMode();
        commands::ResetInterpreter();
    }

    void Type(std::initializer_list<uint16_t> raw) {
        keys_.raw.insert(keys_.raw.end(), raw);
        while (!keys_.raw.empty()) ReadKeyCode();
    }
    void Type(std::string_view text) {
        for (char c : text) keys_.raw.push_back(static_cast<uint8_t>(c));
        while (!keys_.raw.empty()) ReadKeyCode();
    }
    const std::string& Learned() { return commands::Interpreter.LearnText; }

    FakeKeys keys_;
};

TEST_F(LearnModeTest, RecordsKeysInMacroForm) {
    Type({'a', '#', 13, 59 << 8, '~', '{', '|', 33 << 8, 0x48 << 8 | 0xE0});
    EXPECT_EQ(Learned(), "a~#|\0;~~~{~|\0@\0H"s);
}

TEST_F(LearnModeTest, RecordsNothingWhenOff) {
    commands::Interpreter.LearnMode = false;
    Type("abc");
    EXPECT_EQ(Learned(), "");
}

TEST_F(LearnModeTest, TypedPasswordIsNeverRecorded) {
    Type("ssh bob\r");
    host = {"bob@host's password: ", 2};
    Type("hunter2\r");
    host = {"Last login: today\r\nbob@host:~$ ", 3};
    Type("ls\r");
    EXPECT_EQ(Learned(), "ssh bob|#|ls|");
    EXPECT_EQ(Learned().find("hunter2"), std::string::npos);
}

TEST_F(LearnModeTest, ThePromptAnsweredOnceDoesNotHideLaterTyping) {
    host = {"Password: ", 7};
    Type("secret\r");
    // The host has not answered yet; what is typed now is not the password.
    Type("ls\r");
    host = {"Password: ", 9};  // asked again
    Type("again\r");
    EXPECT_EQ(Learned(), "#|ls|#|");
}

TEST_F(LearnModeTest, EveryKeyUpToEnterAtThePromptIsLeftOut) {
    host = {"Password: ", 7};
    Type({0x48 << 8 | 0xE0});  // Up
    Type("sec");
    Type({64 << 8});  // F6, then more of the password
    Type("ret\r");
    EXPECT_EQ(Learned(), "#|");
}

TEST_F(LearnModeTest, UsesTheConfiguredPrompts) {
    commands::AssignZeroFilled(commands::Settings.PasswordPrompts, "kennwort:;pin>");
    commands::Settings.PromptSeparator = ';';
    host = {"\r\nPIN> ", 4};
    Type("1234\r");
    EXPECT_EQ(Learned(), "#|");
}

TEST(IsPasswordPrompt, RecognisesPromptLines) {
    const struct {
        std::string text;
        std::string prompts;
        bool prompt;
    } cases[] = {
        {"Password: ", "password:", true},
        {"login: bob\r\nPassword:", "password:", true},
        {"\x1b[1mPassword:\x1b[0m ", "password:", true},
        {"\x1b]0;bob@host\aPassword: ", "password:", true},
        {"[sudo] password for bob: ", "password:", true},
        {"Enter passphrase for key 'id': ", "", true},
        {"Passwort: ", "passwort:|kennwort:", true},
        {"login: ", "password:", false},
        {"Your password expires soon\r\n$ ", "password:", false},
        {"Password: \r\n$ ", "password:", false},
        {"$ ", "||", false},  // empty entries match nothing here
        {"", "password:", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPasswordPrompt(c.text, c.prompts, '|'), c.prompt) << c.text;
}

}  // namespace
}  // namespace console
