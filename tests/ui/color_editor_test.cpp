// The colour editor from its menu item: the attribute mode follows the
// controls, a combination's colours are picked, OK keeps the map and Cancel
// restores the mode and the map.
#include "ui/dialogs/color_editor.h"

#include "console/screen_buffer.h"
#include "dialog_fixture.h"
#include "ui/dialogs/dialog_entries.h"

namespace {

using dialog_test::Click;
using dialog_test::FakeControls;
using dialog_test::script;

TEST(ShownBackground, FollowsTheAttributeMode) {
    struct Case {
        uint8_t Background, Mode, Shown;
    };
    const Case cases[] = {{0, 3, 0},  {8, 5, 8},   {8, 3, 0},  {12, 5, 12},
                          {12, 3, 4}, {12, 2, 12}, {5, 0, 13}, {5, 1, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(ui::ShownBackground(c.Background, c.Mode), c.Shown)
            << int(c.Background) << " in mode " << int(c.Mode);
}

class ColorEditorTest : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        console::SetAttributeMode(5);
        before = console::ConsoleLayer.AttrColorMap;
    }
    void TearDown() override {
        console::SetAttributeMode(5);
        console::ConsoleLayer.AttrColorMap = before;
        DialogFixture::TearDown();
    }
    decltype(console::ConsoleLayer.AttrColorMap) before{};
};

TEST_F(ColorEditorTest, APickedCombinationAndTheModeAreKeptOnOk) {
    script.Edits["COLOREDIT"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_TRUE(f.Items[401].Checked);
        EXPECT_FALSE(f.Items[404].Enabled) << "full attributes grey the blink group";
        m.Command(f, 301, ui::ControlEvent::Clicked);  // bold
        f.Items[401].Checked = false;
        Click(m, f, 402);
        Click(m, f, 404);
        EXPECT_TRUE(f.Items[406].Enabled);
    };
    script.Edits["COLORSELECT"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_TRUE(f.Items[540].Visible) << "blink and underline boxes in full attributes";
        for (int i = 500; i < 536; ++i) f.Items[i].Checked = false;
        Click(m, f, 514);  // yellow text
        Click(m, f, 521);  // on blue
        Click(m, f, 540);
    };
    ui::MenuServices.RunDialog("COLOREDIT");
    EXPECT_EQ(console::ConsoleLayer.AttrColorMap[1], 0x11E);
    EXPECT_EQ(console::ConsoleScreen.AttributeMode, 3);
    EXPECT_EQ(commands::Settings.AttrUnderlineMode, 3);
}

TEST_F(ColorEditorTest, CancelAfterMonochromeDefaultsChangesNothing) {
    script.PressOk = false;
    script.Edits["COLOREDIT"] = [](ui::DialogModel& m, FakeControls& f) {
        m.Command(f, 411, ui::ControlEvent::Clicked);
        f.Items[401].Checked = false;
        Click(m, f, 402);
        Click(m, f, 405);
        EXPECT_EQ(console::ConsoleScreen.AttributeMode, 1) << "the mode follows at once";
    };
    ui::MenuServices.RunDialog("COLOREDIT");
    EXPECT_EQ(console::ConsoleLayer.AttrColorMap, before);
    EXPECT_EQ(console::ConsoleScreen.AttributeMode, 5);
}

// The palette editor from the colour editor's button: a colour chosen for a panel reaches the
// screen's palette and the settings (red in the low byte) only on OK.
TEST_F(ColorEditorTest, ThePaletteEditorKeepsChosenColoursOnlyOnOk) {
    auto& palette = console::ConsoleScreen.ScreenPalette;
    const auto paletteBefore = palette;
    palette[4] = {0xAA, 0, 0};
    ui::MenuServices.ChooseColour = [](uint32_t& rgb) {
        EXPECT_EQ(rgb, 0xAA0000u) << "the dialog starts at the panel's colour";
        rgb = 0x123456;
        return true;
    };
    for (bool ok : {false, true}) {
        script = {};
        script.PressOk = ok;
        commands::Settings.Palette[4].Set(0);
        script.Edits["COLOREDIT"] = [](ui::DialogModel& m, FakeControls& f) {
            m.Command(f, 412, ui::ControlEvent::Clicked);
        };
        script.Edits["COLORMAP"] = [](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Caption, "Color Map");
            EXPECT_EQ(f.Items[624].Text, "Red");
            m.Command(f, 604, ui::ControlEvent::Clicked);
            uint32_t ink = 0, paper = 0;
            ASSERT_TRUE(m.OwnerDrawColours(604, ink, paper));
            EXPECT_EQ(paper, 0x123456u) << "the panel shows the choice at once";
        };
        ui::MenuServices.RunDialog("COLOREDIT");
        EXPECT_EQ(script.Opened, (std::vector<std::string>{"COLOREDIT", "COLORMAP"}));
        const console::ColorRef expected =
            ok ? console::ColorRef{0x12, 0x34, 0x56} : console::ColorRef{0xAA, 0, 0};
        EXPECT_EQ(palette[4], expected) << "OK " << ok;
        EXPECT_EQ(commands::Settings.Palette[4].Get(), ok ? 0x563412u : 0u) << "OK " << ok;
        EXPECT_EQ(palette[5], paletteBefore[5]);
    }
    palette = paletteBefore;
}

TEST_F(ColorEditorTest, ScoAnsiInAnyCaseIsToldTheHostSetsTheColours) {
    for (const char* type : {"scoansi", "VT220"}) {
        commands::Settings.TerminalType = type;
        menu_test::Log.clear();
        script.PressOk = false;
        EXPECT_FALSE(ui::EditColors());
        const bool told =
            !menu_test::Log.empty() &&
            menu_test::Log[0].find("In the scoansi terminal type") != std::string::npos;
        EXPECT_EQ(told, std::string(type) == "scoansi") << type;
    }
}

}  // namespace
