#pragma once
// What the terminal side uses of the print engine and the picture loaders.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace printing {

// A text file that output lines go to (the printer device of the settings
// or an output file of the command language).
struct OutputFile {
    std::FILE* Stream = nullptr;
    std::string Name;
    bool IsOpen() const { return Stream != nullptr; }
};

struct PrintJobState {
    uint8_t PageState = 0;          // 0 no document, 1 document open, 2 page started
    uint8_t WizardBufferState = 0;  // 0 none
    int32_t Pitch = 0;              // points per column, 0 = proportional
    int32_t Resolution = 0;         // dots per inch
    int32_t FontSize = 0;           // points
    uint8_t FontCharset = 0;
    uint32_t FontCodePage = 0;
    int32_t PositionX = 0;  // device units
    float PositionY = 0;    // device units
    int32_t Column = 1;
    int32_t RightEdge = 0;
    uint8_t LastByte = 0;
    bool ListingBlock = false;
    bool XmpBlock = false;
};

struct PrinterOutputState {
    PrintJobState Job;
    uint32_t PrinterIdleDeadline = 0;  // ticks; 0 = none
    OutputFile PrinterFile;            // used when the printer name is not "WPRN"
};
extern PrinterOutputState PrinterOutput;
void ResetPrinterOutput();

// Opens the printer text file of that name for writing (closing one that is
// open); false when it cannot be opened.
[[nodiscard]] bool OpenPrinterTextFile(std::string_view name);
void ClosePrinterTextFile();

// Text forms of WriteOutputLine: 0 ANSI, 1 OEM, 3 UTF-8, 4 bytes unchanged.
[[nodiscard]] bool WriteOutputLine(OutputFile& file, std::string_view text, uint8_t textForm,
                                   bool flag);
bool IsDeviceName(std::string_view name);
void OpenPrinterOutput();
bool PrintString(std::string_view text, uint8_t textForm, bool flag, bool useWizard);
void EndPrintJob(bool forgetPrinter);
void ClosePrintJob(bool eject, bool forget);
bool EnsurePrintPage();
bool PrintNewLine();
void ResetPrintColumn();
int32_t PrintTextWidth(const uint8_t* text, size_t length, bool fixedPitch, int32_t column);
uint32_t CharsetCodePage(uint8_t charset);
bool DecodeCharEntity(std::string_view entity, char16_t& character);
std::string BannerCaption();
void PrinterDebugLog(std::string_view text);
std::string GetPrinterName();
void SetPrintFont(std::string_view first, std::string_view second);
void SetPrintBasePath(std::string_view path);
void PrinterSetupDialog();
void PrintGraphicsFile(std::string_view name);

// The raw print device: a file, a port or a printer written in binary.
struct RawPrintFile {
    std::FILE* Stream = nullptr;
    std::string Name;
};
bool rawprint_open(std::string_view name, RawPrintFile& file);
void RawPrintPortSetup(RawPrintFile& file, std::string_view name);
void RawPrintWrite(RawPrintFile& file, std::string_view bytes, bool flag);
int RawPrintClose(RawPrintFile& file);  // I/O result, 0 = fine

void PrintScreenText();
void PrintScreenPage();

struct CellSelection {
    int StartColumn = 0, StartRow = 0, EndColumn = 0, EndRow = 0;
};
void NormalizeCellRect(const CellSelection& selection, bool stream, CellSelection& rectangle);

// A picture as a device-independent bitmap: header, colour table, rows.
struct PackedDib;
struct PackedDibDeleter {
    void operator()(PackedDib* dib) const;
};
using PackedDibPtr = std::unique_ptr<PackedDib, PackedDibDeleter>;
PackedDibPtr LoadPictureFile(std::string_view fileName, bool reduce);

}  // namespace printing
