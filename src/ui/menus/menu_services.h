#pragma once
// What the menus ask of the rest of the program: the state their items show
// and the actions some items take directly. The composition fills the table;
// the null table answers as if nothing were open or running, and its actions
// do nothing.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct ScreenCellRect;

// The terminal families whose items the Terminal Type menu marks by family.
enum class MenuTermFamily : uint8_t { Other, N7900, Viewpoint, C332, Wyse60, Tv965 };

// A file dialog as the menu items ask for it.
struct FileDialogRequest {
    bool Save = false;
    uint16_t TitleId = 0;    // message id of the title
    uint16_t FilterId = 0;   // message id of the filter's description
    std::string Pattern;     // "*.*", "*.kys", "*.bmp;*.gif;*.jpg"
    std::string DefaultExt;  // without the dot; may be empty
    std::string StartPath;   // a folder or a file name to start from
};

// A font as the font dialog shows and returns it.
struct FontChoice {
    std::string Face;
    uint8_t Charset = 0;
    int32_t Height = 0;       // screen: the cell height in pixels
    int32_t Width = 0;        // screen: the cell width, 0 for the face's own
    int32_t PointTenths = 0;  // printer: the size in tenths of a point
    bool Bold = false;
};
// What the font dialog starts from: screen fonts (fixed pitch only unless
// variable fonts are allowed) or the printer's fonts.
struct FontDialogRequest {
    bool Printer = false;
    bool FixedPitchOnly = false;
    FontChoice Initial;
};

// The buttons of a question box.
enum class AskButtons : uint8_t { Ok, OkCancel, YesNo };

struct MenuServiceTable {
    // State.
    bool (*ProcessRunning)();
    void (*ForgetLaunchedProgram)();
    bool (*OutputFileOpen)();
    bool (*InputFileOpen)();
    std::string (*OutputFileName)();
    std::string (*InputFileName)();
    uint8_t (*CaptureMode)();    // 0 off, 1 memory, 2 printer, 3 file
    uint8_t (*TransmitState)();  // 0: no transmission
    bool (*MonitorMode)();
    bool (*ReviewActive)();
    bool (*MainLoopIdle)();
    bool (*PrinterBusy)();
    int32_t (*KioskLevel)();
    std::string (*WindowMenuName)();  // "MainMenu", or "SMALLMENU" in kiosk mode
    bool (*BackgroundPictureLoaded)();
    MenuTermFamily (*TermFamily)();
    bool (*ClipboardHasText)();
    // The mouse selection in 1-based cells; false when there is none.
    bool (*MouseSelection)(ScreenCellRect& cells);
    bool (*CommIsOpen)();
    std::string (*OpenHostName)();
    // The console's composite glyphs back to their characters; a base
    // character and its combining marks as one character (0xFFFF: none).
    std::u16string (*DecomposeChar)(char16_t ch);
    char16_t (*ComposeChars)(std::u16string_view sequence);
    // The screen's upper-half set (an emulator set code), the host bytes a
    // typed character becomes, and the name of a character-set code.
    uint8_t (*ScreenSetKind)();
    std::string (*KeyToHostCode)(char16_t ch);
    std::string (*CharsetName)(uint32_t code);
    // Actions on other units.
    void (*HandleHotKey)(uint16_t key);
    void (*PutKey)(uint16_t key);
    void (*UnlockKeyboard)();
    void (*CaptureToPrinter)();
    void (*CommDebugWindow)(bool open);
    int (*CommOpen)();  // with error display; 0 on success
    void (*CommClose)();
    std::string (*CommErrorText)(int result);
    void (*StartAutoLogin)();
    std::string (*TermKeysFile)(std::string_view termName);  // empty: the type is unknown
    void (*LoadKeysFile)(std::string_view path);
    bool (*SaveKeysFile)(std::string_view name);
    void (*TransmitKeyPrompt)();
    void (*PrintScreen)(bool asPage);
    void (*DefaultColorMap)(bool second, uint16_t* map16);
    void (*RecolourFromMap)();
    void (*SetTerminalFont)();
    void (*LoadBackgroundPicture)();
    // Closes the AUX port when it is open or closing.
    void (*AuxClose)();
    // The emulator's old-style SCOANSI colours follow the settings again.
    void (*ApplyOldScoAnsi)();
    // The window side.
    int (*RunDialog)(std::string_view templateName);  // its result; -1 without a template
    bool (*FileDialog)(const FileDialogRequest& request, std::string& path);
    std::string (*BrowseForFolder)(uint16_t titleId, const std::string& start);
    // 1 with a font chosen, 0 on Cancel or a dialog error (which the window
    // side shows), -1 when the printer gives no device to choose fonts for.
    int (*ChooseFont)(const FontDialogRequest& request, FontChoice& chosen);
    int (*Ask)(std::string_view text, std::string_view caption, AskButtons buttons);
    std::string (*MenuItemText)(uint16_t id);  // the item's text in the menu bar
    void (*CaretShapeChanged)();
    void (*ZoomWindow)();
    void (*ShowHelp)(bool helpOnHelp);
    void (*InvalidateWindow)();
    int (*ScreenBitsPerPixel)();
    // The display position of each character of a right-to-left row, placed
    // with the right-to-left option bits as flags; false when the system
    // cannot place it.
    bool (*VisualOrder)(std::u16string_view text, uint32_t flags, bool arabic,
                        std::vector<int>& order);
    // A desktop link to the program with the settings file as its argument.
    bool (*CreateDesktopShortcut)(std::string_view settingsFile, std::string_view name);
    // The system's colour dialog started at rgb (0xRRGGBB); false when cancelled.
    bool (*ChooseColour)(uint32_t& rgb);
    // The names of the local and connected printers.
    std::vector<std::string> (*PrinterNames)();
    // The name of a national set by number ("" past the last).
    std::string (*NationalSetName)(uint8_t index);
};

// Every slot answers "nothing open, nothing running" and does nothing.
MenuServiceTable NullMenuServices();
extern MenuServiceTable MenuServices;

}  // namespace ui
