// Any bytes patched anywhere into the settings record, as a host's HEXPATCH
// or an edited settings file can: the patched record is loaded through the
// program's own start-up (the main routine, headless), a few passes of the
// main loop run commands and host output that read the patched fields, and
// the dialogs and menus read it, and the exit check compares and would save
// the record.
//
// Input: a run of patches, each an offset (two bytes, big-endian, taken
// modulo the record's size), a count and that many bytes; a patch that runs
// past the record's end is cut there.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "app/composition.h"
#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/idle_refresh.h"
#include "emulation/input/keyboard.h"
#include "emulation/main_routine.h"
#include "emulation/session_services.h"
#include "ftp/file_url_stream.h"
#include "headless_window.h"
#include "ui/dialogs/advanced_options.h"
#include "ui/dialogs/dialog_model.h"
#include "ui/menus/menu_state.h"
#include "ui/message_box.h"

namespace {

constexpr const char* kSettingsName = "mem://fuzz/settings.def";

HeadlessWindow Window;
int32_t FixedTick() {
    return 1;
}

commands::SettingsRecord Patched;

// The settings file the start-up reads: the patched record.
class RecordAsUrl final : public platform::UrlReader {
  public:
    bool ReadUrl(std::string_view, uint8_t* buffer, size_t capacity, size_t& got) override {
        got = std::min(sizeof Patched, capacity);
        std::memcpy(buffer, &Patched, got);
        return true;
    }
};
RecordAsUrl Reader;

// Commands whose work reads text, enumeration and size fields of the record.
constexpr const char* kCommands[] = {
    "SCREENMODE/S",  "HOSTNAME/S",   "USERNAME/S",   "PASSWORD/S",    "CHARSET/S",
    "PASSTHRU-CP/S", "VERSION/S",    "SCREENSIZE/S", "TAB RESET",     "STATUS ON",
    "GAUGE ON",      "TERMNAME",     "WIDTH 132",    "WIDTH 80",      "SCREENMODE",
    "SCROLL ON",     "CURSOR BLOCK", "BEEP",         "PRINTER-SETUP", "TERM VT220",
};

// Host output that reads the answerback, the status line, tab stops and the
// terminal's reports.
constexpr std::string_view kHostBytes =
    "hello\r\n\x05\x1b[c\x1b[6n\t\tx\x1b[1;24r\x1b[2J\x1b[?5h\x1b[?5l"
    "\x1b[1$}status\x1b[0$}\x1b[1;1H\x1b[3g\x1bH\x1b[0c\r\n";

// The dialogs that fill their controls from the record and write them back
// on OK, and the sheet that does the same on a copy.
constexpr const char* kDialogs[] = {
    "COMMSETTINGS",
    "SSHSETUP",
    "DIAL",
    "DELAYS",
    "SCREENSIZE",
    "DOWNDIR",
    "COLOREDIT",
    "PROTOCOLOPTIONS",
    "XYPROTOPTIONS",
    "ZMODEMPROTOPTIONS",
    "ASCIIPROTOPTIONS",
    "KERMITPROTOPTIONS",
};

// Controls that keep what the model puts in them.
class Controls final : public ui::DialogControls {
  public:
    struct Item {
        std::string Text;
        bool Checked = false;
        size_t Entries = 0;
        int Selection = -1;
    };
    std::map<int, Item> Items;
    bool Has(int) override { return true; }
    void SetCaption(std::string_view) override {}
    void SetText(int id, std::string_view text) override { Items[id].Text = text; }
    std::string Text(int id) override { return Items[id].Text; }
    void LimitText(int, size_t) override {}
    void SetChecked(int id, bool on) override { Items[id].Checked = on; }
    bool Checked(int id) override { return Items[id].Checked; }
    void SetList(int id, const std::vector<std::string>& entries) override {
        Items[id].Entries = entries.size();
        Items[id].Selection = -1;
    }
    void Select(int id, int index) override { Items[id].Selection = index; }
    int Selected(int id) override { return Items[id].Selection; }
    void Enable(int, bool) override {}
    void Show(int, bool) override {}
};

void OpenAndConfirm(ui::DialogModel& model) {
    Controls controls;
    model.Open(controls);
    (void)model.Ok(controls);
}

void RunDialogs() {
    for (const char* name : kDialogs)
        if (auto model = ui::MakeDialogModel(name)) OpenAndConfirm(*model);
    if (auto sheet = ui::MakeSheetModel("ADVANCEDOPTIONS")) {
        for (size_t i = 0; i < sheet->Pages.size(); ++i) {
            OpenAndConfirm(*sheet->Pages[i].Model);
            sheet->PageLeft(i);
        }
        sheet->Confirmed();
        sheet->Closed();
    }
    ui::UpdateMenuState();
}

int Pass = 0;

// The main loop's keyboard pass: the first runs the commands and host
// output, the next ends the run.
void KeyboardPass() {
    emulation::ProcessKeyboard();
    if (++Pass == 1) {
        for (const char* line : kCommands) {
            commands::ExecuteFunction(line);
            if (commands::Interpreter.FunctionReply.Length() > 255) __builtin_trap();
        }
        app::ReceiveHostBytes(kHostBytes);
        console::StatusIdleUpdate();
        RunDialogs();
    } else {
        emulation::MainRoutine.ExitCode = emulation::ExitEnd;
    }
}

void ComposeOnce() {
    static bool composed = false;
    if (composed) return;
    composed = true;
    app::ComposeProgram();
    ui::SetMessageBoxFunction([](std::string_view) -> int { return ui::MessageBoxOk; });
    emulation::SessionServices& s = emulation::Services;
    // The patched file is the named settings file.
    // A small screen ring (the /M: switch) keeps a run short whatever
    // scroll-back the record asks for.
    s.ParseCommandKeywords = [](emulation::StartupLocals& locals) {
        locals.SettingsNamed = true;
        locals.RingSizeArg = 16000;
    };
    s.FirstArgumentPass = [](emulation::StartupLocals&) {
        emulation::SessionGlobals g;
        emulation::Services.ReadGlobals(g);
        g.SettingsFileName = kSettingsName;
        g.SettingsSource = commands::kSettingsSourceNamed;
        emulation::Services.WriteGlobals(g);
    };
    s.SecondArgumentPass = [] {};
    // Nothing leaves the process: no connection, printer file or dialog.
    s.CommOpen = [](bool) -> uint32_t { return 0; };
    s.CommSettingsDialog = [] {};
    s.OpenPrinterDevice = [](std::string_view) { return true; };
    s.ClosePrinterDevice = [] {};
    s.ProcessKeyboard = KeyboardPass;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ComposeOnce();
    StartHeadlessTerminal(Window, FixedTick);
    commands::ResetSettingsFileState();
    emulation::ResetMainRoutine();
    Pass = 0;

    std::memcpy(&Patched, &commands::Settings, sizeof Patched);
    auto* bytes = reinterpret_cast<uint8_t*>(&Patched);
    size_t at = 0;
    while (at + 3 <= size) {
        const size_t offset = ((size_t{data[at]} << 8) | data[at + 1]) % sizeof Patched;
        const size_t count = std::min<size_t>(data[at + 2], size - at - 3);
        const size_t fits = std::min(count, sizeof Patched - offset);
        std::memcpy(bytes + offset, data + at + 3, fits);
        at += 3 + count;
    }

    platform::SetUrlReader(&Reader);
    emulation::RunSession();
    commands::ConfirmSaveSettings(true);
    platform::SetUrlReader(nullptr);
    if (commands::Interpreter.Depth != 0) __builtin_trap();
    console::SetScreenWindow(nullptr);
    return 0;
}
