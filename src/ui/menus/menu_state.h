#pragma once
// The live state of the menu bar: which items are greyed, which carry a check
// mark and which texts change, recomputed each time a menu opens; and which
// optional items kiosk mode removes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// One item of the menu as the platform found it.
struct MenuItem {
    uint16_t Id = 0;
    std::string Text;
    bool Enabled = true;
    bool Checked = false;
    bool TextChanged = false;
};

// Brings every item up to date from the settings and the program's state.
void ComputeMenuState(std::vector<MenuItem>& items);

// The optional items the kiosk level removes (bit i clear: item i goes).
// Level -1 removes none; level 0 means no menu bar at all, which the caller handles.
std::vector<uint16_t> KioskRemovedItems(int32_t kioskLevel);

// The ids of the optional items in bit order.
extern const uint16_t OptionalMenuItems[11];

// Whether the item stays enabled while a menu opens outside the main loop.
bool EnabledWhenRestricted(uint16_t id);

// The mouse popup's items brought up to date: mainMenuHolds says whether the
// menu bar has the item.
void ComputePopupState(std::vector<MenuItem>& items, bool (*mainMenuHolds)(uint16_t id));

// The menu bar's and popup's platform side; the null versions do nothing.
struct MenuBarHooks {
    void (*UpdateMenuState)();
    void (*SetupMainMenu)();
    void (*ShowMousePopup)(int x, int y);
};
MenuBarHooks NullMenuBarHooks();
extern MenuBarHooks menuBarHooks;

void UpdateMenuState();
void SetupMainMenu();
// Keeps the word or address under the mouse for Start URL and shows the popup.
void ShowMousePopup(int x, int y, std::u16string_view text);

}  // namespace ui
