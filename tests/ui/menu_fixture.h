#pragma once
// The menus with recording neighbours: every dialog, file dialog, prompt and
// action the menus reach writes one line to a log, the file dialogs choose a
// fixed file and the prompts are answered with "typed".
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "commands/interpreter.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "ui/dialog_interface.h"
#include "ui/menus/menu_services.h"

namespace menu_test {

inline std::vector<std::string> Log;
inline std::map<uint16_t, std::string> ItemTexts;
inline int AskAnswer = 0;  // 0: OK or Yes as the buttons offer
inline bool Running = false;
inline bool LearnedF6 = false;

inline void Note(std::string line) {
    Log.push_back(std::move(line));
}

class RecordingPrompts final : public platform::PromptDialogs {
  public:
    int StringIn(bool password) override {
        Note(std::string(password ? "password " : "prompt ") + ui::textPrompts.PromptCaption +
             " [" + ui::textPrompts.PromptText + "]");
        ui::StringInAccept("typed");
        return ui::kPromptOk;
    }
    int LoginPassword() override { return ui::kPromptCancel; }
    bool OwnMenuHoldsItem(uint16_t) override { return true; }
};

inline ui::MenuServiceTable RecordingServices() {
    ui::MenuServiceTable t = ui::NullMenuServices();
    t.ProcessRunning = [] { return Running; };
    t.ForgetLaunchedProgram = [] {
        Running = false;
        Note("forget program");
    };
    t.RunDialog = [](std::string_view name) {
        Note("dialog " + std::string(name));
        return 0;
    };
    t.FileDialog = [](const ui::FileDialogRequest& r, std::string& path) {
        Note(std::string(r.Save ? "save " : "open ") + std::to_string(r.TitleId) + " " + r.Pattern);
        path = "C:\\dir\\f.txt";
        return true;
    };
    t.BrowseForFolder = [](uint16_t, const std::string&) {
        Note("folder");
        return std::string("C:\\logs");
    };
    t.ChooseFont = [](const ui::FontDialogRequest& r, ui::FontChoice&) {
        Note(std::string(r.Printer ? "printer font " : "screen font ") + r.Initial.Face);
        return 0;
    };
    t.Ask = [](std::string_view text, std::string_view, ui::AskButtons b) {
        Note("ask " + std::string(text.substr(0, 20)));
        if (AskAnswer != 0) return AskAnswer;
        return b == ui::AskButtons::YesNo ? 6 : 1;
    };
    t.MenuItemText = [](uint16_t id) { return ItemTexts[id]; };
    t.HandleHotKey = [](uint16_t k) { Note("hotkey " + std::to_string(k)); };
    t.PutKey = [](uint16_t k) { Note("key " + std::to_string(k)); };
    t.UnlockKeyboard = [] { Note("unlock"); };
    t.CaptureToPrinter = [] { Note("capture to printer"); };
    t.CommDebugWindow = [](bool open) { Note(open ? "debug window open" : "debug window close"); };
    t.SaveKeysFile = [](std::string_view name) {
        Note("save keys " + std::string(name));
        return true;
    };
    t.TransmitKeyPrompt = [] { Note("run macro prompt"); };
    t.PrintScreen = [](bool page) { Note(page ? "print page" : "print text"); };
    t.DefaultColorMap = [](bool second, uint16_t* map) {
        for (int i = 0; i < 16; ++i) map[i] = static_cast<uint16_t>(second ? 0x70 : i);
    };
    t.RecolourFromMap = [] { Note("recolour"); };
    t.SetTerminalFont = [] { Note("font " + commands::Settings.ScreenFontName.Str()); };
    t.LoadBackgroundPicture = [] { Note("background"); };
    t.CaretShapeChanged = [] { Note("caret"); };
    t.ZoomWindow = [] { Note("zoom"); };
    t.ShowHelp = [](bool onHelp) { Note(onHelp ? "help on help" : "help"); };
    t.TermKeysFile = [](std::string_view name) {
        return std::string(name) == "WYSE50" ? std::string("WYSE60.KYS") : std::string();
    };
    t.LoadKeysFile = [](std::string_view path) { Note("load keys " + std::string(path)); };
    return t;
}

// The menu resource's items: (menu name, id, text) for every MENUITEM.
struct ResourceItem {
    std::string Menu;
    uint16_t Id;
    std::string Text;
};
inline std::vector<ResourceItem> ResourceItems() {
    std::ifstream in(VZ_SOURCE_DIR "/resources/menus.rc");
    std::vector<ResourceItem> items;
    std::string line, menu;
    const std::regex menuLine(R"(^(\w+)\s+MENU\s*$)");
    const std::regex itemLine(R"re(^\s*MENUITEM\s+"([^"]*)",\s*(\d+))re");
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, menuLine)) menu = m[1];
        if (std::regex_search(line, m, itemLine)) {
            std::string text = m[1];
            if (const size_t tab = text.find("\\t"); tab != std::string::npos)
                text = text.substr(0, tab) + "\t" + text.substr(tab + 2);
            items.push_back({menu, static_cast<uint16_t>(std::stoi(m[2])), text});
        }
    }
    return items;
}

class MenuFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        commands::ResetSettingsFileState();
        commands::ResetInterpreter();
        ui::ResetMenuDispatch();
        ui::ResetTextPrompts();
        ui::ResetClipboard();
        console::ConsoleLayer.ScreenRows = 24;
        Log.clear();
        ItemTexts.clear();
        for (const auto& item : ResourceItems()) ItemTexts[item.Id] = item.Text;
        AskAnswer = 0;
        Running = false;
        ui::MenuServices = RecordingServices();
        platform::SetPromptDialogs(&prompts);
    }
    void TearDown() override {
        platform::SetPromptDialogs(nullptr);
        ui::MenuServices = ui::NullMenuServices();
        ui::ResetMenuDispatch();
        ui::ResetTextPrompts();
        ui::ResetClipboard();
        commands::ResetSettingsToDefaults();
    }
    // What choosing the item did: the log lines, then the queued command.
  public:
    static std::string Choose(uint16_t id) {
        Log.clear();
        ui::MenuDispatch.PendingCommand.clear();
        ui::HandleMenuCommand(id);
        std::string out;
        for (const auto& line : Log) out += line + "; ";
        if (!ui::MenuDispatch.PendingCommand.empty())
            out += "queue " + ui::MenuDispatch.PendingCommand;
        return out;
    }
    RecordingPrompts prompts;
};

}  // namespace menu_test
