// The menu bar's greyed, checked and removed items for each state and kiosk
// level, over the items of the menu resource.
#include "ui/menus/menu_state.h"

#include <algorithm>
#include <set>

#include "menu_fixture.h"

namespace {

using commands::Settings;
using menu_test::MenuFixture;

std::vector<ui::MenuItem> MainMenuItems() {
    std::vector<ui::MenuItem> items;
    for (const auto& r : menu_test::ResourceItems())
        if (r.Menu == "MainMenu") items.push_back({r.Id, r.Text});
    // Items a language or customisation module's menu may carry.
    for (uint16_t id : {123, 124, 302, 317, 318, 319, 507, 508, 3101, 3102, 6104, 6304})
        items.push_back({id, ""});
    return items;
}

std::set<uint16_t> Where(const std::vector<ui::MenuItem>& items,
                         bool (*test)(const ui::MenuItem&)) {
    std::set<uint16_t> ids;
    for (const auto& item : items)
        if (test(item)) ids.insert(item.Id);
    return ids;
}

const ui::MenuItem& Item(const std::vector<ui::MenuItem>& items, uint16_t id) {
    return *std::find_if(items.begin(), items.end(), [id](const auto& i) { return i.Id == id; });
}

class MenuStateTest : public MenuFixture {
  protected:
    std::vector<ui::MenuItem> Computed() {
        auto items = MainMenuItems();
        ui::ComputeMenuState(items);
        return items;
    }
};

TEST(KioskMenuTest, TheLevelKeepsTheOptionalItemsOfItsBits) {
    const struct {
        int32_t Level;
        std::set<uint16_t> Removed;
    } cases[] = {
        {-1, {}},
        {0x7FF, {}},
        {5, {116, 611, 601, 201, 204, 580, 584, 902, 903}},
        {0x20 | 0x40, {114, 116, 115, 611, 601, 580, 584, 902, 903}},
    };
    for (const auto& c : cases) {
        const auto removed = ui::KioskRemovedItems(c.Level);
        EXPECT_EQ(std::set<uint16_t>(removed.begin(), removed.end()), c.Removed) << c.Level;
    }
}

TEST_F(MenuStateTest, GreyedItemsFollowTheState) {
    Settings.AllowQuit = 1;
    Settings.KeyFileName = "";
    Settings.CommMethod = 2;
    Settings.PrintWizard = 0;
    const auto idle = Computed();
    EXPECT_EQ(Where(idle, [](const auto& i) { return !i.Enabled; }),
              (std::set<uint16_t>{104, 111, 119, 203, 204}));

    // Files open, capture to a file, serial line, clipboard text, wizard on.
    Settings.KeyFileName = "K.KYS";
    Settings.CommMethod = 1;
    Settings.PrintWizard = 1;
    commands::SettingsFile.SettingsFileName = "C:\\V.DEF";
    ui::MenuServices.OutputFileOpen = [] { return true; };
    ui::MenuServices.OutputFileName = [] { return std::string("OUT.TXT"); };
    ui::MenuServices.InputFileOpen = [] { return true; };
    ui::MenuServices.InputFileName = [] { return std::string("IN.TXT"); };
    ui::MenuServices.BackgroundPictureLoaded = [] { return true; };
    ui::MenuServices.ClipboardHasText = [] { return true; };
    ui::MenuServices.CaptureMode = []() -> uint8_t { return 3; };
    auto busy = Computed();
    EXPECT_EQ(Where(busy, [](const auto& i) { return !i.Enabled; }),
              (std::set<uint16_t>{591, 611, 1201, 1202, 1203, 1204}));
    EXPECT_EQ(Item(busy, 101).Text, "Close OUT.TXT");
    EXPECT_EQ(Item(busy, 102).Text, "Close IN.TXT");
    EXPECT_TRUE(Item(busy, 101).TextChanged);

    // A paste in progress greys Paste and Copy and Paste.
    ui::Clipboard.PasteBuffer = u"x";
    busy = Computed();
    EXPECT_FALSE(Item(busy, 204).Enabled);
    EXPECT_FALSE(Item(busy, 202).Enabled);
}

TEST_F(MenuStateTest, OutsideTheMainLoopOnlyThePrintAndClipboardItemsStay) {
    Settings.AllowQuit = 1;
    ui::MenuServices.MainLoopIdle = [] { return false; };
    EXPECT_EQ(Where(Computed(), [](const auto& i) { return i.Enabled; }),
              (std::set<uint16_t>{113, 117, 121, 1201, 1202, 1203, 1204, 114, 115, 116, 122, 201,
                                  204, 608}));
    ui::MenuServices.ReviewActive = [] { return true; };
    Settings.AllowQuit = 0;
    EXPECT_EQ(Where(Computed(), [](const auto& i) { return i.Enabled; }),
              (std::set<uint16_t>{113, 117, 121, 1201, 1202, 1203, 1204, 114, 116, 122, 201, 204,
                                  403, 608}));

    ui::MenuServices.MainLoopIdle = [] { return true; };
    ui::MenuServices.PrinterBusy = [] { return true; };
    const auto printing = Computed();
    for (uint16_t id : {113, 114, 116, 117, 121, 122, 1201, 1202, 1203, 1204})
        EXPECT_FALSE(Item(printing, id).Enabled) << id;
}

TEST_F(MenuStateTest, CheckMarksFollowTheSettings) {
    // One row of settings per case; rows = 0 leaves the console's rows alone.
    struct Case {
        const char* What;
        int Jump, Columns, StatusLine, Rows, Backspace;
        const char* Type;
        int Reconnect, NoLock, Method, PrintLevel;
        const char* Font;
        int FontCharset, Zoomed80, Zoomed132;
        ui::MenuTermFamily Family;
        std::set<uint16_t> Marked;  // among the watched items
    };
    const std::set<uint16_t> watched = {3071, 3072, 3073, 3051, 3052, 3053, 3054, 5751, 5752, 5753,
                                        5601, 5602, 5603, 5604, 5606, 5608, 5610, 5611, 5613, 5921,
                                        5922, 5923, 507,  508,  1201, 1202, 317,  319,  309};
    using F = ui::MenuTermFamily;
    const Case cases[] = {
        {"defaults",
         0,
         80,
         1,
         0,
         8,
         "VT220",
         0,
         0,
         2,
         0,
         "courier new",
         0,
         0,
         0,
         F::Other,
         {3071, 3051, 5751, 5603, 5923, 507, 1201, 317}},
        {"medium jump, 132 columns, 24 lines with status, DEL, serial",
         50,
         132,
         1,
         0,
         127,
         "LINUX",
         2,
         1,
         1,
         1,
         "Terminal",
         255,
         0,
         1,
         F::Other,
         {3072, 3053, 5753, 5613, 5922, 508, 1202, 319, 309}},
        {"jump 150 marks no speed; 25 lines without status count as 80x24",
         150,
         80,
         0,
         25,
         21,
         "WYSE50",
         1,
         0,
         2,
         3,
         "Courier New",
         0,
         0,
         0,
         F::Other,
         {3051, 5752, 5608, 5921, 507, 317}},
        {"jump 100, family of the type",
         100,
         80,
         1,
         0,
         8,
         "VT100",
         0,
         0,
         2,
         0,
         "Courier New",
         0,
         0,
         0,
         F::Tv965,
         {3073, 3051, 5751, 5610, 5923, 507, 1201, 317}},
    };
    for (const auto& c : cases) {
        SetUp();
        Settings.JumpScroll.Set(c.Jump);
        Settings.ScreenColumns = c.Columns;
        Settings.StatusLine = c.StatusLine;
        if (c.Rows) console::ConsoleLayer.ScreenRows = c.Rows;
        Settings.BackspaceChar = c.Backspace;
        Settings.TerminalType = c.Type;
        Settings.ReconnectMode = c.Reconnect;
        Settings.NoKeyboardLock = c.NoLock;
        Settings.CommMethod = c.Method;
        Settings.PrintLevel = c.PrintLevel;
        Settings.ScreenFontName = c.Font;
        Settings.ScreenFontCharset = c.FontCharset;
        Settings.Zoomed80 = c.Zoomed80;
        Settings.Zoomed132 = c.Zoomed132;
        static F family;
        family = c.Family;
        ui::MenuServices.TermFamily = [] { return family; };
        std::set<uint16_t> marked;
        for (const auto& item : Computed())
            if (item.Checked && watched.count(item.Id)) marked.insert(item.Id);
        EXPECT_EQ(marked, c.Marked) << c.What;
    }
}

TEST_F(MenuStateTest, ThePopupGreysWhatTheMenuBarLacksAndWhatKioskModeHides) {
    auto popup = [] {
        std::vector<ui::MenuItem> items;
        for (const auto& r : menu_test::ResourceItems())
            if (r.Menu == "MOUSEMENU") items.push_back({r.Id, r.Text});
        return items;
    };
    auto items = popup();
    ui::ComputePopupState(items, [](uint16_t) { return true; });
    EXPECT_EQ(Where(items, [](const auto& i) { return !i.Enabled; }),
              (std::set<uint16_t>{204, 585}));

    ui::MenuDispatch.PopupText = "http://x/";
    ui::MenuServices.KioskLevel = []() -> int32_t { return 5; };
    ui::MenuServices.ClipboardHasText = [] { return true; };
    ui::MenuServices.ReviewActive = [] { return true; };
    items = popup();
    ui::ComputePopupState(items, [](uint16_t id) { return id == 114; });
    EXPECT_EQ(Where(items, [](const auto& i) { return !i.Enabled; }),
              (std::set<uint16_t>{201, 202, 204, 585, 586}));
    EXPECT_TRUE(Item(items, 403).Checked);
}

}  // namespace
