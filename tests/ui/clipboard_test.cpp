// Screen ranges copied as text, and the paste pump's lines and characters.
#include "ui/clipboard/clipboard.h"

#include <gtest/gtest.h>

#include "console/fake_console_window.h"
#include "console/screen_buffer.h"
#include "menu_fixture.h"

namespace {

using commands::Settings;

// The system clipboard as a record of what was set, and text to paste.
class FakeClipboard final : public platform::SystemClipboard {
  public:
    bool opens = true;
    std::string ansi, oem;
    std::u16string unicode;
    int pictures = 0;
    std::optional<std::u16string> pasteWide, pasteAnsi;
    bool Open() override { return opens; }
    void Close() override {}
    void Empty() override { ansi.clear(), oem.clear(), unicode.clear(), pictures = 0; }
    bool SetAnsi(std::string_view t) override { return ansi = t, true; }
    bool SetOem(std::string_view t) override { return oem = t, true; }
    bool SetUnicode(std::u16string_view t) override { return unicode = t, true; }
    void SetCellPicture(const ui::ScreenCellRect&, bool) override { ++pictures; }
    bool HasText() override { return pasteWide || pasteAnsi; }
    std::optional<std::u16string> GetUnicode() override { return pasteWide; }
    std::optional<std::u16string> GetAnsi() override { return pasteAnsi; }
    void HideCaret(bool) override {}
};

class ClipboardTest : public menu_test::MenuFixture {
  protected:
    void SetUp() override {
        MenuFixture::SetUp();
        console_test::ResetConsoleForTest(window);
        console::SetScreenSize(80, 25);
        platform::SetSystemClipboard(&clip);
    }
    void TearDown() override {
        platform::SetSystemClipboard(nullptr);
        console::SetScreenWindow(nullptr);
        MenuFixture::TearDown();
    }
    static void Row(int row, std::u16string_view text) {
        for (size_t i = 0; i < text.size(); ++i)
            console::PutCellChar(text[i], 7, static_cast<int32_t>(i), row - 1);
    }
    // Every line the pump gives, "|CR" marking a reported carriage return.
    static std::vector<std::u16string> Lines() {
        std::vector<std::u16string> lines;
        std::u16string line;
        bool cr = false;
        while (ui::NextPasteLine(line, cr)) lines.push_back(line + (cr ? u"|CR" : u""));
        return lines;
    }
    console_test::FakeConsoleWindow window;
    FakeClipboard clip;
};

TEST_F(ClipboardTest, RangesCopyByBlockType) {
    Row(1, u"ab  cd   ");
    Row(2, u"efgh");
    Row(4, u"ij");
    const struct {
        ui::ScreenCellRect Cells;
        uint8_t BlockType;
        std::u16string Text;
    } cases[] = {
        {{1, 1, 3, 2}, 0, u"ab \r\nefg"},
        {{3, 2, 1, 1}, 0, u"ab \r\nefg"},   // corners in any order
        {{2, 1, 2, 2}, 1, u"b  cd\r\nef"},  // trailing blanks go, the last row stops at the corner
        {{1, 1, 80, 4}, 1, u"ab  cd\r\nefgh\r\n\r\nij"},
        {{1, 1, 80, 2}, 2, u"ab  cd efgh"},  // wrapped rows join with one blank
        {{1, 2, 80, 4}, 2, u"efgh\r\nij"},   // an empty row breaks the line
    };
    for (const auto& c : cases) {
        const auto texts = ui::ScreenRangeTexts(c.Cells, c.BlockType);
        EXPECT_EQ(texts.Unicode, c.Text) << int(c.BlockType);
        EXPECT_EQ(texts.Ansi, std::string(c.Text.begin(), c.Text.end()));
    }
}

TEST_F(ClipboardTest, CopyGivesEveryFormAndAPictureOnlyForBlocksAndSingleRows) {
    Row(1, u"x\uE600y\u200Bz");
    ui::CopyScreenToClipboard({1, 1, 5, 1}, 1, true);
    EXPECT_EQ(clip.unicode, u"x\u2500yz");
    EXPECT_EQ(clip.pictures, 1);
    ui::CopyScreenToClipboard({1, 1, 5, 2}, 1, true);
    EXPECT_EQ(clip.pictures, 0);
    ui::CopyScreenToClipboard({1, 1, 5, 2}, 0, false);
    EXPECT_EQ(clip.pictures, 1);

    clip.opens = false;
    clip.unicode = u"kept";
    ui::CopyScreenToClipboard({1, 1, 5, 1}, 0, false);
    EXPECT_EQ(clip.unicode, u"kept");
    EXPECT_EQ(menu_test::Log.back().substr(0, 18), "ask Could not open");
}

TEST_F(ClipboardTest, PasteGoesOutLineByLineWithinTheLongestLine) {
    const struct {
        const char* What;
        std::u16string Text;
        bool Wide;
        std::vector<std::u16string> Lines;
    } cases[] = {
        {"CR LF ends a line", u"a\r\nb", false, {u"a|CR", u"b"}},
        {"LF alone ends a line without CR", u"a\nb\n", false, {u"a", u"b"}},
        {"300 characters in two pieces",
         std::u16string(300, u'x'),
         false,
         {std::u16string(254, u'x'), std::u16string(46, u'x')}},
        {"a combining mark goes with its base", u"e\u0301x\r\n", true, {u"e\u0301x|CR"}},
        {"a mark group that would pass the longest line starts the next piece",
         std::u16string(253, u'x') + u"e\u0301y",
         true,
         {std::u16string(253, u'x'), u"e\u0301y"}},
    };
    for (const auto& c : cases) {
        ui::ResetClipboard();
        Settings.PasteUnicode = c.Wide ? 1 : 0;
        (c.Wide ? clip.pasteWide : clip.pasteAnsi) = c.Text;
        ui::PasteFromClipboard();
        ASSERT_TRUE(ui::PastePending()) << c.What;
        EXPECT_EQ(Lines(), c.Lines) << c.What;
        EXPECT_FALSE(ui::PastePending()) << c.What;
        clip.pasteWide.reset();
        clip.pasteAnsi.reset();
    }
}

TEST_F(ClipboardTest, CombiningMarksAreComposedWhenThePlatformCan) {
    ui::MenuServices.ComposeChars = [](std::u16string_view s) -> char16_t {
        return s == u"e\u0301" ? u'\u00E9' : 0xFFFF;
    };
    Settings.PasteUnicode = 1;
    clip.pasteWide = u"e\u0301\r\nz";
    ui::PasteFromClipboard();
    EXPECT_EQ(Lines(), (std::vector<std::u16string>{u"\u00E9|CR", u"z"}));
}

TEST_F(ClipboardTest, OneLinePasteAndAbortDropTheRest) {
    Settings.PasteOneLine = 1;
    clip.pasteAnsi = u"one\r\ntwo\r\nthree";
    ui::PasteFromClipboard();
    EXPECT_EQ(Lines(), (std::vector<std::u16string>{u"one|CR"}));

    Settings.PasteOneLine = 0;
    ui::PasteFromClipboard();
    std::u16string line;
    bool cr = false;
    ASSERT_TRUE(ui::NextPasteLine(line, cr));
    ui::FreePasteBuffer();
    EXPECT_FALSE(ui::NextPasteLine(line, cr));
}

TEST_F(ClipboardTest, CharactersReadCrLfAsOneCr) {
    clip.pasteAnsi = u"a\r\nb";
    ui::PasteFromClipboard();
    std::u16string got;
    uint16_t key = 0;
    while (ui::NextPasteChar(key)) got.push_back(static_cast<char16_t>(key));
    EXPECT_EQ(got, u"a\rb");
    EXPECT_FALSE(ui::PastePending());
}

TEST_F(ClipboardTest, TheEditItemsCopyAndPaste) {
    Row(1, u"hello");
    clip.pasteAnsi = u"p";
    EXPECT_EQ(Choose(201), "");
    EXPECT_EQ(clip.unicode.substr(0, 5), u"hello");
    EXPECT_EQ(clip.unicode.size(), 80u * 24 + 23 * 2);  // the whole screen, a column block
    EXPECT_EQ(Choose(204), "");
    EXPECT_TRUE(ui::PastePending());

    ui::MenuServices.MouseSelection = [](ui::ScreenCellRect& r) {
        r = {2, 1, 4, 1};
        return true;
    };
    Settings.BlockType = 1;
    ui::ResetClipboard();
    EXPECT_EQ(Choose(202), "");
    EXPECT_EQ(clip.unicode, u"ell");
    EXPECT_TRUE(ui::PastePending());
}

}  // namespace
