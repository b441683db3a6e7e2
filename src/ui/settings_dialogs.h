#pragma once
// The start-up and exit dialogs around the settings file: the first-run
// choice of host kind and terminal type, the save questions at exit and the
// saving of the settings under their name or a new one.

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// What the first-run set-up hands back to the start-up code.
struct FirstRunChoice {
    std::string hostKind = "UNIX";
    std::string terminalType = "VT220";
    uint8_t port = 1;
    uint32_t baudRate = 0;
};

// Answers of the save questions.
inline constexpr char kAnswerYes = 'Y';
inline constexpr char kAnswerNo = 'N';
inline constexpr char kAnswerCancel = 27;

// The buttons of the save question asked at exit.
enum class SaveChoice : uint8_t { Save, SaveAs, No, Cancel };

}  // namespace ui

namespace platform {

// The few windows these dialogs need from the system.
class SettingsDialogs {
  public:
    virtual ~SettingsDialogs() = default;
    // A question with Yes and No (and Cancel when allowed): kAnswerYes,
    // kAnswerNo or kAnswerCancel. An empty caption means the program's banner.
    virtual char Ask(std::string_view caption, std::string_view text, bool allowCancel) = 0;
    // The first-run dialog; it may change the choice. False when cancelled.
    virtual bool FirstRunDialog(ui::FirstRunChoice& choice) = 0;
    // The save question of the settings or the keys file: Save (offered only
    // when a file name is known), Save As, No and, when allowed, Cancel.
    // Without a window of its own it is the Yes/No question, Yes saving.
    virtual ui::SaveChoice AskSave(std::string_view caption, std::string_view text,
                                   bool saveAllowed, bool allowCancel) {
        (void)saveAllowed;
        switch (Ask(caption, text, allowCancel)) {
            case ui::kAnswerYes:
                return ui::SaveChoice::Save;
            case ui::kAnswerNo:
                return ui::SaveChoice::No;
            default:
                return ui::SaveChoice::Cancel;
        }
    }
    // The Save As dialog for a settings file, starting from name; false when
    // cancelled.
    virtual bool ChooseSettingsSaveName(std::string& name) = 0;
    // The same for a keys file.
    virtual bool ChooseKeysSaveName(std::string& name) {
        (void)name;
        return false;
    }
    // After the settings were saved under a new name (the desktop link is
    // offered there).
    virtual void SavedAs() {}
    // Whether the menu bar offers the item (Save Settings, Save Keys); a
    // kiosk's bar without it saves at exit without asking.
    virtual bool MenuOffers(uint16_t item) {
        (void)item;
        return true;
    }
    // The display's size in pixels; 0 when unknown.
    virtual void DisplaySize(int& width, int& height) = 0;
};

// Without dialogs every question is answered No, the first-run dialog is
// passed over and Save As is cancelled.
void SetSettingsDialogs(SettingsDialogs* dialogs);
SettingsDialogs* CurrentSettingsDialogs();

}  // namespace platform

namespace ui {

// Working values "UNIX" and "VT220" with the stored port and baud rate (the
// stored values 1152, 1280 and 2560 stand for a hundred times that); the
// first-run dialog unless quiet (false when it is cancelled); then the screen
// font "Courier New", both font charsets 0 and the cell sizes from the
// display go into the settings.
bool FirstRunTermSetup(bool quiet, FirstRunChoice& choice);

// The exit questions ("Save Keys?", "Save Parameters?"), asked only when the
// menu bar offers Save Keys or Save Settings (saved without a question
// otherwise): kAnswerYes when
// saved (under the known name or, after Save As, a new one), kAnswerNo when
// not, kAnswerCancel when cancelled or when Save As was given no name (No
// instead when Cancel is not allowed).
char AskSaveKeys(bool allowCancel);
char AskSaveSettings(bool allowCancel);

// Copies the live colour tables into the settings and writes them to the
// settings file (after asking for a name when asked to); reports "DISK OR
// DIRECTORY FULL" and returns false when that fails; refreshes the saved copy
// on success.
bool SaveParameters(bool askName);

}  // namespace ui
