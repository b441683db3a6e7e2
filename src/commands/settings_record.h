#pragma once

// The settings record: every setting of the program in one packed record of
// 7220 bytes. Its bytes are at the same time the settings file and an
// interface for hosts and scripts that patch it by offset, so no field ever
// moves; the record grew only at its end, in stages of 3985, 4972, 6862 and
// 7220 bytes. Every offset is checked at compile time below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "commands/gset_code.h"
#include "commands/settings_fields.h"

namespace commands {

// One mouse gesture's action: the action code of the window's mouse
// handling and its argument.
struct MouseAction {
    uint8_t Action;
    Le16 Argument;
};

// Serial parameters of the raw printer port and of the AUX port, in the
// order the port commands and dialogs fill them; the port name follows each
// record in the settings.
struct PortParams {
    Le32 BaudRate;     // +0
    uint8_t ByteSize;  // +4 data bits
    uint8_t StopBits;  // +5 0 one, 1 one and a half, 2 two
    uint8_t Parity;    // +6 0 none, 1 odd, 2 even, 3 mark, 4 space
    Le32 Flags;        // +7 the bit field of the Windows device control block
};

// The first seven bytes of the record, handed as one block to the serial
// opener.
struct SerialParams {
    uint8_t SerialParity;
    Le16 SerialDataBits;
    Le16 SerialStopBits;
    Le16 SerialBaud;
};

// The modem's device configuration as the telephony interface returned it.
// It is opaque driver data except for its leading size and the value at +24,
// whose being non-zero marks a stored configuration.
struct TapiConfigBlock {
    Le32 Size;
    std::array<uint8_t, 20> DriverData4;
    Le32 TapiValue;
    std::array<uint8_t, 172> DriverData28;
};

static_assert(sizeof(MouseAction) == 3 && alignof(MouseAction) == 1);
static_assert(sizeof(PortParams) == 11 && alignof(PortParams) == 1);
static_assert(offsetof(PortParams, ByteSize) == 4 && offsetof(PortParams, StopBits) == 5 &&
              offsetof(PortParams, Parity) == 6 && offsetof(PortParams, Flags) == 7);
static_assert(sizeof(SerialParams) == 7 && alignof(SerialParams) == 1);
static_assert(sizeof(TapiConfigBlock) == 200 && offsetof(TapiConfigBlock, TapiValue) == 24);

// Types: Char, Byte and Boolean are one byte (a Boolean is true when not 0);
// Word and SmallInt are Le16 read with Get and GetSigned; LongInt is Le32;
// Real is Real48; String[N] is PString<N>; CharZ[N] is ZString<N>.
struct SettingsRecord {
    // +0 Char: serial parity letter: "E" or "e" even, "O" or "o" odd, any other letter (the
    // commands store "N") none
    uint8_t SerialParity;
    // +1 Word: serial data bits, 5 to 8
    Le16 SerialDataBits;
    // +3 Word: serial stop bits: 1 one, 2 two, 3 one and a half
    Le16 SerialStopBits;
    // +5 Word: serial baud rate
    Le16 SerialBaud;
    // +7 Byte: bell: 0 off, 1 on, 2 slow
    uint8_t BeepMode;
    // +8 Byte: kind of host: 1 IMOS, 3 IRX, 4 ITX, 5 VRX, 6 RMCOS, 7 UNIX, 8 TTY (0 and 2 name
    // none); chooses the start-up defaults and the conventions of `TRANSMIT` and the coded lines
    uint8_t HostType;
    // +9 Boolean: beep when the terminal falls idle
    uint8_t BeepIdle;
    std::array<uint8_t, 2> Reserved10;  // +10, reserved: carried through unchanged
    // +12 Boolean: 1 full duplex, 0 half duplex (typed characters echoed locally)
    uint8_t FullDuplex;
    // +13 Boolean: 1: the host may not lock the keyboard (a lock request is ignored and the
    // keyboard-locked state is cleared)
    uint8_t NoKeyboardLock;
    // +14 Char: character that the Tab key repeats up to the next tab stop when `TabAsTab` is 0
    uint8_t TabFillChar;
    // +15: tab-stop columns of the first stage; copied into `TabStops` when a file of up to 4972
    // bytes is loaded
    std::array<uint8_t, 10> OldTabStops;
    // +25: keys-file name of the first files; moved into `OldKeyFileName2` at load
    PString<12> OldKeyFileName;
    // +38: attribute-to-colour table of the first stages; widened into `AttrColors` when a file of
    // up to 6862 bytes is loaded
    std::array<uint8_t, 16> OldAttrColors;
    // +54 Boolean: the Tab key sends the TAB byte (1), or `TabFillChar` repeated up to the next
    // tab stop (0); `TAB OFF` sets 1, `TAB ON` sets 0
    uint8_t TabAsTab;
    // +55 Byte: serial port number (COM1 = 1)
    uint8_t SerialPort;
    // +56 Boolean: a received CR is followed by a line feed
    uint8_t AutoLF;
    // +57 Boolean: the status line shows a column ruler with the indicators
    uint8_t Gauge;
    // +58: printer device for output files and passthrough printing; "WPRN" is the Windows printer
    PString<10> PrinterName;
    // +69: name of the screen mode
    PString<10> ScreenModeName;
    // +80 Byte: RTS line mode; stored by `RTS-MODE`, consulted by no other operation
    uint8_t RtsMode;
    std::array<uint8_t, 2> Reserved81;  // +81, reserved: carried through unchanged
    // +83 Boolean: quiet mode of the host channels: the text of host commands and host data, and
    // records sent by `TRANSMIT`, are not echoed on the screen
    uint8_t ReceiveQuiet;
    // +84 Byte: screen width in columns; set from the console's width at start before the settings
    // file is read
    uint8_t ScreenColumns;
    // +85 Boolean: the screen scrolls at the bottom margin
    uint8_t ScrollEnabled;
    // +86 Byte: 0 off, 1 on, 2 fast; stored by `SYNC` and shown on the help screen, consulted by
    // no other operation
    uint8_t SyncMode;
    // +87 Char: code sent by the Backspace key
    uint8_t BackspaceChar;
    // +88 Boolean: insert mode of the local line editor
    uint8_t InsertMode;
    // +89 Boolean: the cursor is drawn as a reverse-video cell instead of the window caret; `RUN`
    // and `LAUNCH` clear it while the program runs and restore it
    uint8_t AttrCursor;
    // +90 Boolean: the status line is shown
    uint8_t StatusLine;
    // +91 Word: bell sound: a frequency in Hz set by `PITCH`, or one of the message-beep codes 0,
    // 0x10, 0x20, 0x30, 0x40, 0xFFFF chosen in the advanced-options dialog
    Le16 BeepPitch;
    // +93: keys-file name of the second stage; copied into `KeyFileName` when a file of up to 4972
    // bytes is loaded
    PString<40> OldKeyFileName2;
    // +134 Boolean: attribute propagation of the Wyse family (it changes the attribute that the
    // clear operations give to erased cells): the terminal-type setter turns it on for WYSE50 and
    // off for WYSE60, the host's ESC e 0 and ESC e 1 turn it on and off
    uint8_t Propagate;
    // +135, reserved: carried through unchanged; the compiled-in record holds 3B 08 here.
    std::array<uint8_t, 2> Reserved135;
    // +137: name of the terminal type (upper case)
    PString<20> TerminalType;
    // +158 Byte: stored by `MODE-132`, consulted by no other operation
    uint8_t Mode132;
    // +159 Word: ASCII upload: delay after each character
    Le16 AsciiCharDelay;
    // +161 Word: ASCII upload: delay after each line
    Le16 AsciiLineDelay;
    // +163 Boolean: received NUL bytes are dropped
    uint8_t IgnoreNul;
    // +164 Word: interrupt line of the serial port: 4 for odd port numbers, 3 for even ones unless
    // set
    Le16 SerialIrq;
    // +166: screen font cell size: height and width for the 80-column mode, then height and width
    // for the wide mode
    std::array<Le16, 4> FontCellSize;
    // +174: printer font size in points
    Real48 PrintFontSize;
    // +180: printer font width (0 = the font's own)
    Real48 PrintFontWidth;
    // +186: left print margin in points (1/72 inch) from the paper edge, less the printer's
    // unprintable offset, at least 0; ignored when `NiceMargins` is set; set only by a loaded file
    // or `HEXPATCH`
    Real48 PrintReal186;
    // +192: top print margin in points, used like `PrintReal186`
    Real48 PrintReal192;
    // +198: printer font face
    PString<80> PrintFontName;
    // +279 Boolean: the window is maximised in the 80-column mode
    uint8_t Zoomed80;
    // +280: modem telephone number
    PString<60> PhoneNumber;
    // +341 Word: dialling: wait between retries, in tenths of a second (dial dialog)
    Le16 DialRetryWait;
    // +343 Word: dialling: number of retries (dial dialog)
    Le16 DialRetryCount;
    // +345 SmallInt: background picture adjustment, first value
    Le16 BmpAdjustX;
    // +347 SmallInt: background picture adjustment, second value
    Le16 BmpAdjustY;
    // +349: background picture file
    PString<255> BmpFileName;
    // +605 Boolean: cursor shape: 1 block, 0 underline
    uint8_t BlockCursor;
    // +606 Byte: after the connection is lost: 1 reopen it, 2 stay, 0 end the program
    uint8_t ReconnectMode;
    // +607: host name or address, optionally ":port"
    PString<255> HostName;
    // +863 Boolean: connect at start
    uint8_t AutoConnect;
    // +864 Word: scrolling speed: 0 off, 50 medium, 100 fast
    Le16 JumpScroll;
    // +866: terminal names offered to a Telnet host, separated by `TermNameSeparator`
    PString<60> TermNameList;
    // +927 Boolean: the window is maximised in the wide mode
    uint8_t Zoomed132;
    // +928: window title (empty: the built-in title)
    PString<80> WindowTitle;
    // +1009 Boolean: the window's position and size are remembered in `WindowRect80` and
    // `WindowRectWide`
    uint8_t TrackWindow;
    // +1010: left, top, width, height of the window in the 80-column mode; -32768 (0x8000) means
    // not set, the system places the window
    std::array<Le16, 4> WindowRect80;
    // +1018 Boolean: a Kermit receive starts by itself when the host begins a Kermit send
    uint8_t KermitAutoReceive;
    // +1019 Word: seconds of printer inactivity after which a print job is closed (0 never)
    Le16 FlushTimer;
    // +1021 Byte: connection method: 0 none, 1 serial, 2 Telnet, 4 PicLan, 5 Rlogin, 6 modem
    // through TAPI, 7 SSH (3 names none)
    uint8_t CommMethod;
    // +1022 Boolean: the system's default printer is used
    uint8_t PrinterIsDefault;
    // +1023: chosen printer's device name
    ZString<100> PrinterDevice;
    // +1123: the chosen printer's device-mode block as the printer dialog returned it, truncated
    // to 200 bytes
    std::array<uint8_t, 200> PrinterDevMode;
    // +1323 Boolean: print to the file `PrintFileName`
    uint8_t PrintToFile;
    // +1324 Byte: print mode: 0 high (drawn through the printer driver), 1 low (driver
    // passthrough), 2 spooler (raw spool job), 3 raw (port)
    uint8_t PrintLevel;
    // +1325 Byte: host character-set choice
    uint8_t CharsetMode;
    // +1326: screen font face
    ZString<100> ScreenFontName;
    // +1426 Boolean: the print wizard analyses print streams
    uint8_t PrintWizard;
    // +1427 Byte: character-set argument of the screen font; the first-run set-up stores 0
    uint8_t ScreenFontCharset;
    // +1428 Byte: character-set argument of the printer font; the first-run set-up stores 0
    uint8_t PrintFontCharset;
    // +1429: SOCKS4 server: a name or address, optionally followed by a colon and a port; empty =
    // connect directly
    PString<255> SocksHost;
    // +1685 Boolean: menu accelerator keys are active (advanced-options dialog)
    uint8_t AllowAccelerators;
    // +1686: background picture rectangle in character cells
    std::array<Le16, 4> BmpCellRect;
    // +1694: second background picture rectangle
    std::array<Le16, 4> BmpViewRect;
    // +1702 Boolean: answerback acknowledgement: with it set, the host's answerback request (ESC c
    // <) is answered with ACK (0x06), preceded by `AnswerBack` when `TermFlag1703` is also set;
    // with it clear the request gets no reply; set by ESC e 7 and ESC [=28l, cleared by ESC e 6
    // and ESC [=28h
    uint8_t TermFlag1702;
    // +1703 Boolean: include `AnswerBack` in that reply; set by ESC e !, cleared by ESC e SP
    uint8_t TermFlag1703;
    // +1704: answerback text, the character "|" standing for CR
    PString<30> AnswerBack;
    // +1735 Boolean: typed letters are sent in upper case
    uint8_t UpperCaseKeys;
    // +1736 Boolean: Scroll Lock holds the output
    uint8_t ScrollLockKey;
    // +1737 Boolean: a Zmodem receive starts by itself when the host begins a Zmodem send
    uint8_t ZmodemAutoReceive;
    // +1738: action of a left double-click (advanced-options dialog)
    MouseAction MouseLeftDouble;
    // +1741: action of a left click
    MouseAction MouseLeftClick;
    // +1744: action of a right double-click
    MouseAction MouseRightDouble;
    // +1747: action of a right click; a file of up to 3985 bytes whose action is 4 gets 7
    MouseAction MouseRightClick;
    // +1750: extra environment for launched programs, variables expanded
    PString<255> EnvironmentText;
    // +2006 Boolean: byte 0x11 from the host introduces a host command (advanced-options dialog)
    uint8_t RemoteCmd11;
    // +2007 Boolean: byte 0x1C from the host introduces a host command
    uint8_t RemoteCmd1C;
    // +2008 Byte: single-instance choice of the advanced-options dialog, applied when the window
    // is created
    uint8_t SingleInstance;
    // +2009 Word: seconds after start-up after which the main loop ends the program (armed once at
    // start, not re-armed by activity); 0 never
    Le16 InactivityTimeout;
    // +2011: login password, stored scrambled; the text "|" means none
    PString<255> Password;
    // +2267: login user name
    PString<255> UserName;
    // +2523 Boolean: a received or captured ".GIF" file becomes the background picture when it is
    // closed
    uint8_t AutoShowGif;
    // +2524 Byte: download-directory lock: 2 locked (files are written only into `DownloadDir`)
    uint8_t DownloadLock;
    // +2525: download directory
    PString<255> DownloadDir;
    std::array<uint8_t, 1> Reserved2781;  // +2781, reserved: carried through unchanged
    // +2782 Word: interval of the window's idle timer in milliseconds
    Le16 MainTimerInterval;
    // +2784 Boolean: Ctrl-R from the host starts passthrough printing
    uint8_t CtrlRPassthrough;
    // +2785 Boolean: automatic login on
    uint8_t LoginWizard;
    // +2786: host prompts answered with `UserName`, separated by `PromptSeparator`
    PString<255> LoginPrompts;
    // +3042: host prompts answered with `Password`
    PString<255> PasswordPrompts;
    // +3298 Char: separator of the two prompt lists (124 is the character "|")
    uint8_t PromptSeparator;
    // +3299 Char: separator of the names in `TermNameList` (59 is ";")
    uint8_t TermNameSeparator;
    // +3300 Byte: meaning of the attribute's high bit in the colour tables: 5 underline; other
    // values blink or nothing
    uint8_t AttrUnderlineMode;
    // +3301 Boolean: Ctrl-X from the host starts passthrough printing (Wyse types)
    uint8_t CtrlXPassthrough;
    // +3302: printer set-up data kept by the printer set-up dialog
    std::array<uint8_t, 100> PrinterSetupBlock;
    // +3402 Byte: received control bytes while capture is on: 0 not captured, 1 captured as
    // characters, 2 captured except ESC; advanced-options dialog
    uint8_t CaptureCtrlMode;
    // +3403 LongInt: window style bits used when the window is created, by default the standard
    // overlapped-window style (advanced-options dialog)
    Le32 WindowStyle;
    std::array<uint8_t, 1> Reserved3407;  // +3407, reserved: carried through unchanged
    // +3408 Byte: option of `INTERPRET`
    uint8_t InterpretMode;
    // +3409: left, top, width, height of the window in the wide mode; -32768 means not set
    std::array<Le16, 4> WindowRectWide;
    // +3417 Word: seconds the start-up about box stays; 0 for its own default
    Le16 SplashSeconds;
    // +3419 Boolean: a screen print prints a scaled page image instead of text
    uint8_t PrintScreenAsPage;
    // +3420 Boolean: variable-pitch screen fonts are allowed
    uint8_t VariableFonts;
    // +3421 LongInt: host code page; 0x80000 marks a multibyte set
    Le32 CodePage;
    // +3425 Byte: the GSetCode of the host character set: kGSetOemUpper, kGSetMultinational,
    // kGSetCodePage (maybe multibyte) or kGSetDecSupplemental
    uint8_t CharsetKind;
    // +3426 LongInt: code page for passthrough printing; 0x10000 = bytes unchanged
    Le32 PassthroughCodePage;
    // +3430 Byte: at exit with changed settings: 1 save without asking, 2 never save, other values
    // ask
    uint8_t SaveMode;
    // +3431 Char: host code of the Euro sign, 0 none
    uint8_t EuroChar;
    // +3432 Word: border colour: palette index (low 4 bits) painted in the window area outside the
    // character cells; set by the host's ESC [ = n A, which also repaints; set to 0 when the
    // terminal type becomes SCOANSI, AT386 or LINUX; kept per screen page
    Le16 TermOptions3432;
    // +3434 Byte: shape of a mouse selection: 0 column, 1 stream, 2 wrap
    uint8_t BlockType;
    // +3435 Byte: passthrough character-set choice
    uint8_t PassthroughCharset;
    // +3436: serial parameters of the raw printer port
    PortParams RawPortParams;
    // +3447: raw printer port name, empty = chosen automatically
    PString<255> RawPortName;
    // +3703: serial parameters of the AUX port
    PortParams AuxPortParams;
    // +3714: AUX port name and settings text
    PString<255> AuxPortName;
    // +3970 Boolean: AUX serial input on; cleared when the port cannot be opened
    uint8_t AuxEnabled;
    // +3971 Boolean: typed characters of 128 and above are decoded as multibyte text before they
    // are converted to the host's code (with `KeyFlag3972` through Unicode; with a multibyte host
    // set through lead and trail bytes of the keyboard code page); 0 sends them as they are
    uint8_t KeyFlag3971;
    // +3972 Boolean: the window's key handling converts typed characters to Unicode through the
    // keyboard code page; a file of up to 3985 bytes gets 1
    uint8_t KeyFlag3972;
    // +3973 Boolean: pasting takes the clipboard's Unicode text when there is one
    uint8_t PasteUnicode;
    // +3974 Boolean: function keys and hot keys stay active in kiosk mode
    uint8_t KioskFunctions;
    // +3975 Boolean: keep-alive is switched on for the connection's socket
    uint8_t SocketKeepAlive;
    // +3976: font option byte for the 80-column and the wide mode
    std::array<uint8_t, 2> FontOption;
    // +3978 Boolean: printer font bold (printer-font dialog)
    uint8_t PrintFontBold;
    // +3979 LongInt: right-to-left text handling bits: 0x2 reorder, 0x10 reshape, 0x20 ligatures,
    // 0x100 diacritics
    Le32 BidiOptions;
    // +3983 Boolean: lines are shown right to left
    uint8_t RightToLeft;
    // +3984 Boolean: the window size is sent to a Telnet host (window-size option)
    uint8_t SendWindowSize;
    // +3985: name of the modem (telephony line) used with `PhoneNumber`; communication dialog
    PString<255> ModemName;
    // +4241 Boolean: the Print Screen key is taken by the terminal
    uint8_t PrintScreenKey;
    // +4242 Boolean: Num Lock can be defined as a key of its own
    uint8_t NumLockProgrammable;
    // +4243 Byte: placement of the background picture: 0 whole window, 1 cell rectangle, 2
    // watermark
    uint8_t BmpMode;
    // +4244 Boolean: a screen printed as a page image keeps the screen's proportions (the vertical
    // scale follows the screen's pixel aspect)
    uint8_t PrintOption4244;
    // +4245 Boolean: the printer debug window records print output
    uint8_t DebugPrinting;
    // +4246 Boolean: the print engine chooses margins itself instead of `PrintReal186` and
    // `PrintReal192`
    uint8_t NiceMargins;
    // +4247 Boolean: the print wizard looks for "<!DOCTYPE" to recognise HTML print streams
    uint8_t PrintOption4247;
    // +4248 LongInt: seconds that a write to a raw print port is retried while the port is busy
    Le32 RawPrintValue;
    // +4252, reserved: carried through unchanged; the compiled-in record holds C8 00 00 00 here.
    std::array<uint8_t, 4> Reserved4252;
    // +4256: device configuration of the modem as the telephony interface returned it from its
    // configuration dialog (kept only when it is at most 200 bytes; its first LongInt is its own
    // size); handed back to the telephony interface before dialling when the LongInt at +4280
    // (`TapiValue`, offset 24 inside the block) is non-zero
    TapiConfigBlock TapiBlock;
    // +4456 Word: `KeyCode` of the key whose macro runs at start, 0 none
    Le16 StartupKey;
    // +4458: print initialisation file
    PString<255> PrintInitFile;
    // +4714 Boolean: print option "Create Mini-pages"
    uint8_t MiniPages;
    // +4715 Byte: print mode (values of `PrintLevel`) to which the print wizard switches when a
    // print stream holds escape sequences or PostScript ("%!")
    uint8_t PrintOption4715;
    // +4716: printer that receives raw spool jobs
    PString<255> SpoolerPrinter;
    // +4972 Word: language of menus, dialogs and messages, chosen among the language modules
    Le16 LanguageId;
    // +4974: tab stops as a list of column numbers (1-based) in ascending order, 0 marking the
    // empty entries at the end
    std::array<uint8_t, 250> TabStops;
    // +5224: keys file loaded after the settings; "NONE" (any case) or empty means none; a name
    // without a folder is taken from the settings file's folder
    PString<255> KeyFileName;
    // +5480 Word: `KeyCode` of the key whose macro runs when printing starts, 0 none
    Le16 PrintMacroKey;
    // +5482 Byte: Telnet SRP authentication choice (advanced-options dialog)
    uint8_t SrpAuthMode;
    // +5483 Byte: Telnet encryption choice; 2 requires encryption
    uint8_t SrpEncryptMode;
    // +5484: the 16 screen colours as Windows colour values (red + 256 * green + 65536 * blue);
    // copied into the live palette at load
    std::array<Le32, 16> Palette;
    // +5548 Boolean: Telnet option negotiation is carried out
    uint8_t TelnetNegotiation;
    // +5549: file that receives printing when `PrintToFile` is set
    PString<255> PrintFileName;
    // +5805 Boolean: the AUX debug window records AUX traffic
    uint8_t AuxDebug;
    // +5806 Boolean: the user may quit the program
    uint8_t AllowQuit;
    // +5807 Boolean: the Telnet TRANSMIT-BINARY option (option 0) is requested at connect
    uint8_t TelnetBinary;
    // +5808 Boolean: a paste is cut at its first line end
    uint8_t PasteOneLine;
    // +5809 LongInt: lines kept for scroll-back review; the dialog keeps it between 44 and 100000
    Le32 ReviewLines;
    // +5813 Byte: character-set choice for text written to output files and the printer
    uint8_t OutputFileCharset;
    // +5814 LongInt: seconds that automatic login waits for a prompt
    Le32 AutoLoginTimeout;
    // +5818 Byte: what the mouse wheel does (advanced-options dialog choice)
    uint8_t MouseWheelAction;
    // +5819 Word: preferred SSH protocol version, 1 or 2
    Le16 SshVersion;
    // +5821 Boolean: SSH compression requested
    uint8_t SshCompression;
    // +5822 Word: index of the preferred SSH cipher in the set-up list
    Le16 SshCipher;
    // +5824 Boolean: SSH option "16-byte key in SHA1"
    uint8_t SshSha1Key16;
    // +5825 Boolean: SCOANSI behaves as before Open Server 5.0.6; asked by the first-run set-up
    uint8_t OldScoAnsi;
    // +5826: screen fonts tried for characters the screen font lacks, separated by vertical bars
    // (character 124)
    PString<255> FontFallbackList;
    // +6082: the same list for the printer font
    PString<255> PrintFontFallbackList;
    // +6338 LongInt: interval in seconds of the keep-alive that a Telnet connection sends, 0 none
    Le32 KeepAliveSeconds;
    // +6342: action of a middle double-click
    MouseAction MouseMiddleDouble;
    // +6345: action of a middle click
    MouseAction MouseMiddleClick;
    // +6348: character-set translation file (".uni") of the host
    PString<255> CharsetFile;
    // +6604: translation file for passthrough printing
    PString<255> PassthroughCharsetFile;
    // +6860 Boolean: which table of double-width characters applies: 0 the ranges U+1100..115F,
    // U+2E80..D7A3, U+F900..FA2D, U+FE30..FE6B, U+FF01..FF5E, U+FFE0..FFE6; 1 the same with
    // U+1100..11FF and U+2460..24FF
    uint8_t ScreenOption6860;
    // +6861 Boolean: initial value of a print-job flag that the print analysis may set or clear
    uint8_t PrintOption6861;
    // +6862: attribute-to-colour table of screen page 0: copied into the live table `AttrColorMap`
    // at load and back at save and exit
    std::array<Le16, 16> AttrColors;
    // +6894 Boolean: the print wizard guesses the number of lines per page
    uint8_t GuessLinage;
    // +6895 Boolean: the communication debug window records traffic
    uint8_t CommDebug;
    // +6896: attribute-to-colour tables of the screen pages 0 to 7, 16 words each (page p at +6896
    // + 32 * p)
    std::array<Le16, 128> PageAttrColors;
    std::array<uint8_t, 1> Reserved7152;  // +7152, reserved: carried through unchanged
    // +7153 Boolean: print jobs are shown in the preview first
    uint8_t PrintPreview;
    // +7154 Boolean: transfer option: debug log
    uint8_t XferDebug;
    // +7155 Boolean: transfer option: send folder names with file names
    uint8_t XferIncludeDir;
    // +7156 Boolean: transfer option: ask for the name a received file is stored under
    uint8_t XferAskAs;
    // +7157 LongInt: transfer option: wait at the end of a transfer
    Le32 XferFinishWait;
    // +7161 LongInt: transfer option: what to do when a file cannot be written (index of the
    // choice)
    Le32 XferWriteFailAction;
    // +7165 Boolean: transfer option: file names sent in upper case
    uint8_t XferUpcaseNames;
    // +7166 LongInt: XMODEM and YMODEM: wait for a block
    Le32 XYBlockWait;
    // +7170 Boolean: ZMODEM: the local file options override the sender's
    uint8_t ZmodemOptionOverride;
    // +7171 Boolean: ZMODEM: skip files that do not exist here
    uint8_t ZmodemSkipNoFile;
    // +7172 LongInt: ZMODEM file-management option (index of the choice)
    Le32 ZmodemFileOption;
    // +7176 Boolean: ZMODEM: resume interrupted files
    uint8_t ZmodemRecover;
    // +7177 Byte: ZMODEM option byte handed to the transfer engine with the options above
    uint8_t ZmodemOption7177;
    // +7178 LongInt: Kermit block-check type
    Le32 KermitBlockCheck;
    // +7182 LongInt: Kermit maximum packet length
    Le32 KermitMaxLen;
    // +7186 LongInt: Kermit: number of pad characters before a packet
    Le32 KermitPadCount;
    // +7190 Char: Kermit pad character
    uint8_t KermitPadChar;
    // +7191 Char: Kermit packet terminator
    uint8_t KermitTerminator;
    // +7192 Char: Kermit control prefix
    uint8_t KermitCtlPrefix;
    // +7193 Char: Kermit eighth-bit prefix
    uint8_t KermitHighbitPrefix;
    // +7194 Char: Kermit repeat prefix
    uint8_t KermitRepeatPrefix;
    // +7195 Boolean: Kermit sliding windows
    uint8_t KermitUseWindows;
    // +7196 LongInt: Kermit window count
    Le32 KermitWindows;
    // +7200 Char: ASCII upload: end-of-line character
    uint8_t AsciiEolChar;
    // +7201 LongInt: ASCII upload: CR translation (index of the choice)
    Le32 AsciiCRTranslation;
    // +7205 LongInt: ASCII upload: LF translation (index of the choice)
    Le32 AsciiLFTranslation;
    // +7209 Boolean: ASCII upload: a Ctrl-Z at the end is not sent
    uint8_t AsciiSuppressCtrlZ;
    // +7210 LongInt: ZMODEM: retries of the finish exchange
    Le32 ZmodemFinishRetry;
    // +7214 Boolean: print markup: page orientation chosen automatically
    uint8_t PrintAutoOrientation;
    // +7215 Boolean: ZMODEM: windowed transfer
    uint8_t ZmodemUseWindows;
    // +7216 LongInt: ZMODEM: window size
    Le32 ZmodemWindowSize;
};

static_assert(sizeof(SettingsRecord) == 7220);
static_assert(alignof(SettingsRecord) == 1);
static_assert(std::is_trivially_copyable_v<SettingsRecord>);
static_assert(std::is_standard_layout_v<SettingsRecord>);

static_assert(offsetof(SettingsRecord, SerialParity) == 0);
static_assert(offsetof(SettingsRecord, SerialDataBits) == 1);
static_assert(offsetof(SettingsRecord, SerialStopBits) == 3);
static_assert(offsetof(SettingsRecord, SerialBaud) == 5);
static_assert(offsetof(SettingsRecord, BeepMode) == 7);
static_assert(offsetof(SettingsRecord, HostType) == 8);
static_assert(offsetof(SettingsRecord, BeepIdle) == 9);
static_assert(offsetof(SettingsRecord, Reserved10) == 10);
static_assert(offsetof(SettingsRecord, FullDuplex) == 12);
static_assert(offsetof(SettingsRecord, NoKeyboardLock) == 13);
static_assert(offsetof(SettingsRecord, TabFillChar) == 14);
static_assert(offsetof(SettingsRecord, OldTabStops) == 15);
static_assert(offsetof(SettingsRecord, OldKeyFileName) == 25);
static_assert(offsetof(SettingsRecord, OldAttrColors) == 38);
static_assert(offsetof(SettingsRecord, TabAsTab) == 54);
static_assert(offsetof(SettingsRecord, SerialPort) == 55);
static_assert(offsetof(SettingsRecord, AutoLF) == 56);
static_assert(offsetof(SettingsRecord, Gauge) == 57);
static_assert(offsetof(SettingsRecord, PrinterName) == 58);
static_assert(offsetof(SettingsRecord, ScreenModeName) == 69);
static_assert(offsetof(SettingsRecord, RtsMode) == 80);
static_assert(offsetof(SettingsRecord, Reserved81) == 81);
static_assert(offsetof(SettingsRecord, ReceiveQuiet) == 83);
static_assert(offsetof(SettingsRecord, ScreenColumns) == 84);
static_assert(offsetof(SettingsRecord, ScrollEnabled) == 85);
static_assert(offsetof(SettingsRecord, SyncMode) == 86);
static_assert(offsetof(SettingsRecord, BackspaceChar) == 87);
static_assert(offsetof(SettingsRecord, InsertMode) == 88);
static_assert(offsetof(SettingsRecord, AttrCursor) == 89);
static_assert(offsetof(SettingsRecord, StatusLine) == 90);
static_assert(offsetof(SettingsRecord, BeepPitch) == 91);
static_assert(offsetof(SettingsRecord, OldKeyFileName2) == 93);
static_assert(offsetof(SettingsRecord, Propagate) == 134);
static_assert(offsetof(SettingsRecord, Reserved135) == 135);
static_assert(offsetof(SettingsRecord, TerminalType) == 137);
static_assert(offsetof(SettingsRecord, Mode132) == 158);
static_assert(offsetof(SettingsRecord, AsciiCharDelay) == 159);
static_assert(offsetof(SettingsRecord, AsciiLineDelay) == 161);
static_assert(offsetof(SettingsRecord, IgnoreNul) == 163);
static_assert(offsetof(SettingsRecord, SerialIrq) == 164);
static_assert(offsetof(SettingsRecord, FontCellSize) == 166);
static_assert(offsetof(SettingsRecord, PrintFontSize) == 174);
static_assert(offsetof(SettingsRecord, PrintFontWidth) == 180);
static_assert(offsetof(SettingsRecord, PrintReal186) == 186);
static_assert(offsetof(SettingsRecord, PrintReal192) == 192);
static_assert(offsetof(SettingsRecord, PrintFontName) == 198);
static_assert(offsetof(SettingsRecord, Zoomed80) == 279);
static_assert(offsetof(SettingsRecord, PhoneNumber) == 280);
static_assert(offsetof(SettingsRecord, DialRetryWait) == 341);
static_assert(offsetof(SettingsRecord, DialRetryCount) == 343);
static_assert(offsetof(SettingsRecord, BmpAdjustX) == 345);
static_assert(offsetof(SettingsRecord, BmpAdjustY) == 347);
static_assert(offsetof(SettingsRecord, BmpFileName) == 349);
static_assert(offsetof(SettingsRecord, BlockCursor) == 605);
static_assert(offsetof(SettingsRecord, ReconnectMode) == 606);
static_assert(offsetof(SettingsRecord, HostName) == 607);
static_assert(offsetof(SettingsRecord, AutoConnect) == 863);
static_assert(offsetof(SettingsRecord, JumpScroll) == 864);
static_assert(offsetof(SettingsRecord, TermNameList) == 866);
static_assert(offsetof(SettingsRecord, Zoomed132) == 927);
static_assert(offsetof(SettingsRecord, WindowTitle) == 928);
static_assert(offsetof(SettingsRecord, TrackWindow) == 1009);
static_assert(offsetof(SettingsRecord, WindowRect80) == 1010);
static_assert(offsetof(SettingsRecord, KermitAutoReceive) == 1018);
static_assert(offsetof(SettingsRecord, FlushTimer) == 1019);
static_assert(offsetof(SettingsRecord, CommMethod) == 1021);
static_assert(offsetof(SettingsRecord, PrinterIsDefault) == 1022);
static_assert(offsetof(SettingsRecord, PrinterDevice) == 1023);
static_assert(offsetof(SettingsRecord, PrinterDevMode) == 1123);
static_assert(offsetof(SettingsRecord, PrintToFile) == 1323);
static_assert(offsetof(SettingsRecord, PrintLevel) == 1324);
static_assert(offsetof(SettingsRecord, CharsetMode) == 1325);
static_assert(offsetof(SettingsRecord, ScreenFontName) == 1326);
static_assert(offsetof(SettingsRecord, PrintWizard) == 1426);
static_assert(offsetof(SettingsRecord, ScreenFontCharset) == 1427);
static_assert(offsetof(SettingsRecord, PrintFontCharset) == 1428);
static_assert(offsetof(SettingsRecord, SocksHost) == 1429);
static_assert(offsetof(SettingsRecord, AllowAccelerators) == 1685);
static_assert(offsetof(SettingsRecord, BmpCellRect) == 1686);
static_assert(offsetof(SettingsRecord, BmpViewRect) == 1694);
static_assert(offsetof(SettingsRecord, TermFlag1702) == 1702);
static_assert(offsetof(SettingsRecord, TermFlag1703) == 1703);
static_assert(offsetof(SettingsRecord, AnswerBack) == 1704);
static_assert(offsetof(SettingsRecord, UpperCaseKeys) == 1735);
static_assert(offsetof(SettingsRecord, ScrollLockKey) == 1736);
static_assert(offsetof(SettingsRecord, ZmodemAutoReceive) == 1737);
static_assert(offsetof(SettingsRecord, MouseLeftDouble) == 1738);
static_assert(offsetof(SettingsRecord, MouseLeftClick) == 1741);
static_assert(offsetof(SettingsRecord, MouseRightDouble) == 1744);
static_assert(offsetof(SettingsRecord, MouseRightClick) == 1747);
static_assert(offsetof(SettingsRecord, EnvironmentText) == 1750);
static_assert(offsetof(SettingsRecord, RemoteCmd11) == 2006);
static_assert(offsetof(SettingsRecord, RemoteCmd1C) == 2007);
static_assert(offsetof(SettingsRecord, SingleInstance) == 2008);
static_assert(offsetof(SettingsRecord, InactivityTimeout) == 2009);
static_assert(offsetof(SettingsRecord, Password) == 2011);
static_assert(offsetof(SettingsRecord, UserName) == 2267);
static_assert(offsetof(SettingsRecord, AutoShowGif) == 2523);
static_assert(offsetof(SettingsRecord, DownloadLock) == 2524);
static_assert(offsetof(SettingsRecord, DownloadDir) == 2525);
static_assert(offsetof(SettingsRecord, Reserved2781) == 2781);
static_assert(offsetof(SettingsRecord, MainTimerInterval) == 2782);
static_assert(offsetof(SettingsRecord, CtrlRPassthrough) == 2784);
static_assert(offsetof(SettingsRecord, LoginWizard) == 2785);
static_assert(offsetof(SettingsRecord, LoginPrompts) == 2786);
static_assert(offsetof(SettingsRecord, PasswordPrompts) == 3042);
static_assert(offsetof(SettingsRecord, PromptSeparator) == 3298);
static_assert(offsetof(SettingsRecord, TermNameSeparator) == 3299);
static_assert(offsetof(SettingsRecord, AttrUnderlineMode) == 3300);
static_assert(offsetof(SettingsRecord, CtrlXPassthrough) == 3301);
static_assert(offsetof(SettingsRecord, PrinterSetupBlock) == 3302);
static_assert(offsetof(SettingsRecord, CaptureCtrlMode) == 3402);
static_assert(offsetof(SettingsRecord, WindowStyle) == 3403);
static_assert(offsetof(SettingsRecord, Reserved3407) == 3407);
static_assert(offsetof(SettingsRecord, InterpretMode) == 3408);
static_assert(offsetof(SettingsRecord, WindowRectWide) == 3409);
static_assert(offsetof(SettingsRecord, SplashSeconds) == 3417);
static_assert(offsetof(SettingsRecord, PrintScreenAsPage) == 3419);
static_assert(offsetof(SettingsRecord, VariableFonts) == 3420);
static_assert(offsetof(SettingsRecord, CodePage) == 3421);
static_assert(offsetof(SettingsRecord, CharsetKind) == 3425);
static_assert(offsetof(SettingsRecord, PassthroughCodePage) == 3426);
static_assert(offsetof(SettingsRecord, SaveMode) == 3430);
static_assert(offsetof(SettingsRecord, EuroChar) == 3431);
static_assert(offsetof(SettingsRecord, TermOptions3432) == 3432);
static_assert(offsetof(SettingsRecord, BlockType) == 3434);
static_assert(offsetof(SettingsRecord, PassthroughCharset) == 3435);
static_assert(offsetof(SettingsRecord, RawPortParams) == 3436);
static_assert(offsetof(SettingsRecord, RawPortName) == 3447);
static_assert(offsetof(SettingsRecord, AuxPortParams) == 3703);
static_assert(offsetof(SettingsRecord, AuxPortName) == 3714);
static_assert(offsetof(SettingsRecord, AuxEnabled) == 3970);
static_assert(offsetof(SettingsRecord, KeyFlag3971) == 3971);
static_assert(offsetof(SettingsRecord, KeyFlag3972) == 3972);
static_assert(offsetof(SettingsRecord, PasteUnicode) == 3973);
static_assert(offsetof(SettingsRecord, KioskFunctions) == 3974);
static_assert(offsetof(SettingsRecord, SocketKeepAlive) == 3975);
static_assert(offsetof(SettingsRecord, FontOption) == 3976);
static_assert(offsetof(SettingsRecord, PrintFontBold) == 3978);
static_assert(offsetof(SettingsRecord, BidiOptions) == 3979);
static_assert(offsetof(SettingsRecord, RightToLeft) == 3983);
static_assert(offsetof(SettingsRecord, SendWindowSize) == 3984);
static_assert(offsetof(SettingsRecord, ModemName) == 3985);
static_assert(offsetof(SettingsRecord, PrintScreenKey) == 4241);
static_assert(offsetof(SettingsRecord, NumLockProgrammable) == 4242);
static_assert(offsetof(SettingsRecord, BmpMode) == 4243);
static_assert(offsetof(SettingsRecord, PrintOption4244) == 4244);
static_assert(offsetof(SettingsRecord, DebugPrinting) == 4245);
static_assert(offsetof(SettingsRecord, NiceMargins) == 4246);
static_assert(offsetof(SettingsRecord, PrintOption4247) == 4247);
static_assert(offsetof(SettingsRecord, RawPrintValue) == 4248);
static_assert(offsetof(SettingsRecord, Reserved4252) == 4252);
static_assert(offsetof(SettingsRecord, TapiBlock) == 4256);
static_assert(offsetof(SettingsRecord, StartupKey) == 4456);
static_assert(offsetof(SettingsRecord, PrintInitFile) == 4458);
static_assert(offsetof(SettingsRecord, MiniPages) == 4714);
static_assert(offsetof(SettingsRecord, PrintOption4715) == 4715);
static_assert(offsetof(SettingsRecord, SpoolerPrinter) == 4716);
static_assert(offsetof(SettingsRecord, LanguageId) == 4972);
static_assert(offsetof(SettingsRecord, TabStops) == 4974);
static_assert(offsetof(SettingsRecord, KeyFileName) == 5224);
static_assert(offsetof(SettingsRecord, PrintMacroKey) == 5480);
static_assert(offsetof(SettingsRecord, SrpAuthMode) == 5482);
static_assert(offsetof(SettingsRecord, SrpEncryptMode) == 5483);
static_assert(offsetof(SettingsRecord, Palette) == 5484);
static_assert(offsetof(SettingsRecord, TelnetNegotiation) == 5548);
static_assert(offsetof(SettingsRecord, PrintFileName) == 5549);
static_assert(offsetof(SettingsRecord, AuxDebug) == 5805);
static_assert(offsetof(SettingsRecord, AllowQuit) == 5806);
static_assert(offsetof(SettingsRecord, TelnetBinary) == 5807);
static_assert(offsetof(SettingsRecord, PasteOneLine) == 5808);
static_assert(offsetof(SettingsRecord, ReviewLines) == 5809);
static_assert(offsetof(SettingsRecord, OutputFileCharset) == 5813);
static_assert(offsetof(SettingsRecord, AutoLoginTimeout) == 5814);
static_assert(offsetof(SettingsRecord, MouseWheelAction) == 5818);
static_assert(offsetof(SettingsRecord, SshVersion) == 5819);
static_assert(offsetof(SettingsRecord, SshCompression) == 5821);
static_assert(offsetof(SettingsRecord, SshCipher) == 5822);
static_assert(offsetof(SettingsRecord, SshSha1Key16) == 5824);
static_assert(offsetof(SettingsRecord, OldScoAnsi) == 5825);
static_assert(offsetof(SettingsRecord, FontFallbackList) == 5826);
static_assert(offsetof(SettingsRecord, PrintFontFallbackList) == 6082);
static_assert(offsetof(SettingsRecord, KeepAliveSeconds) == 6338);
static_assert(offsetof(SettingsRecord, MouseMiddleDouble) == 6342);
static_assert(offsetof(SettingsRecord, MouseMiddleClick) == 6345);
static_assert(offsetof(SettingsRecord, CharsetFile) == 6348);
static_assert(offsetof(SettingsRecord, PassthroughCharsetFile) == 6604);
static_assert(offsetof(SettingsRecord, ScreenOption6860) == 6860);
static_assert(offsetof(SettingsRecord, PrintOption6861) == 6861);
static_assert(offsetof(SettingsRecord, AttrColors) == 6862);
static_assert(offsetof(SettingsRecord, GuessLinage) == 6894);
static_assert(offsetof(SettingsRecord, CommDebug) == 6895);
static_assert(offsetof(SettingsRecord, PageAttrColors) == 6896);
static_assert(offsetof(SettingsRecord, Reserved7152) == 7152);
static_assert(offsetof(SettingsRecord, PrintPreview) == 7153);
static_assert(offsetof(SettingsRecord, XferDebug) == 7154);
static_assert(offsetof(SettingsRecord, XferIncludeDir) == 7155);
static_assert(offsetof(SettingsRecord, XferAskAs) == 7156);
static_assert(offsetof(SettingsRecord, XferFinishWait) == 7157);
static_assert(offsetof(SettingsRecord, XferWriteFailAction) == 7161);
static_assert(offsetof(SettingsRecord, XferUpcaseNames) == 7165);
static_assert(offsetof(SettingsRecord, XYBlockWait) == 7166);
static_assert(offsetof(SettingsRecord, ZmodemOptionOverride) == 7170);
static_assert(offsetof(SettingsRecord, ZmodemSkipNoFile) == 7171);
static_assert(offsetof(SettingsRecord, ZmodemFileOption) == 7172);
static_assert(offsetof(SettingsRecord, ZmodemRecover) == 7176);
static_assert(offsetof(SettingsRecord, ZmodemOption7177) == 7177);
static_assert(offsetof(SettingsRecord, KermitBlockCheck) == 7178);
static_assert(offsetof(SettingsRecord, KermitMaxLen) == 7182);
static_assert(offsetof(SettingsRecord, KermitPadCount) == 7186);
static_assert(offsetof(SettingsRecord, KermitPadChar) == 7190);
static_assert(offsetof(SettingsRecord, KermitTerminator) == 7191);
static_assert(offsetof(SettingsRecord, KermitCtlPrefix) == 7192);
static_assert(offsetof(SettingsRecord, KermitHighbitPrefix) == 7193);
static_assert(offsetof(SettingsRecord, KermitRepeatPrefix) == 7194);
static_assert(offsetof(SettingsRecord, KermitUseWindows) == 7195);
static_assert(offsetof(SettingsRecord, KermitWindows) == 7196);
static_assert(offsetof(SettingsRecord, AsciiEolChar) == 7200);
static_assert(offsetof(SettingsRecord, AsciiCRTranslation) == 7201);
static_assert(offsetof(SettingsRecord, AsciiLFTranslation) == 7205);
static_assert(offsetof(SettingsRecord, AsciiSuppressCtrlZ) == 7209);
static_assert(offsetof(SettingsRecord, ZmodemFinishRetry) == 7210);
static_assert(offsetof(SettingsRecord, PrintAutoOrientation) == 7214);
static_assert(offsetof(SettingsRecord, ZmodemUseWindows) == 7215);
static_assert(offsetof(SettingsRecord, ZmodemWindowSize) == 7216);
static_assert(offsetof(SettingsRecord, TapiBlock) + offsetof(TapiConfigBlock, TapiValue) == 4280);

// The live settings, read and written by every subsystem.
extern SettingsRecord Settings;

// The compiled-in defaults.
const SettingsRecord& DefaultSettings();

// Puts the compiled-in defaults into Settings (start-up and tests).
void ResetSettingsToDefaults();

}  // namespace commands
