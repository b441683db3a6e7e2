// Stand-in for the print engine until it exists: the printer text file and
// the raw print device are real files; there is no Windows print job yet,
// so printing to "WPRN" fails and pictures do not load.
#include <algorithm>
#include <string>
#include <utility>

#include "printing/print_interface.h"

namespace printing {

PrinterOutputState PrinterOutput;

void ResetPrinterOutput() {
    ClosePrinterTextFile();
    PrinterOutput = PrinterOutputState{};
}

bool OpenPrinterTextFile(std::string_view name) {
    ClosePrinterTextFile();
    if (name.empty()) return false;
    std::string path(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    PrinterOutput.PrinterFile.Stream = f;
    PrinterOutput.PrinterFile.Name = path;
    return true;
}

void ClosePrinterTextFile() {
    OutputFile& file = PrinterOutput.PrinterFile;
    if (file.Stream) std::fclose(file.Stream);
    file.Stream = nullptr;
    file.Name.clear();
}

bool WriteOutputLine(OutputFile& file, std::string_view text, uint8_t, bool) {
    if (!file.Stream) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file.Stream) == text.size();
    return std::fflush(file.Stream) == 0 && ok;
}

bool IsDeviceName(std::string_view) {
    return false;
}
void OpenPrinterOutput() {
    PrinterOutput.PrinterIdleDeadline = 0;
}
bool PrintString(std::string_view, uint8_t, bool, bool) {
    return false;
}
void EndPrintJob(bool) {
    PrinterOutput.Job.PageState = 0;
}
void ClosePrintJob(bool, bool) {
    PrinterOutput.Job.PageState = 0;
}
bool EnsurePrintPage() {
    return false;
}
bool PrintNewLine() {
    return false;
}
void ResetPrintColumn() {
    PrinterOutput.Job.Column = 1;
}
int32_t PrintTextWidth(const uint8_t*, size_t, bool, int32_t) {
    return -1;
}
uint32_t CharsetCodePage(uint8_t) {
    return 0;
}

bool DecodeCharEntity(std::string_view, char16_t& character) {
    character = 0;
    return false;
}

std::string BannerCaption() {
    return {};
}
void PrinterDebugLog(std::string_view) {}
std::string GetPrinterName() {
    return {};
}
void SetPrintFont(std::string_view, std::string_view) {}
void SetPrintBasePath(std::string_view) {}
void PrinterSetupDialog() {}
void PrintGraphicsFile(std::string_view) {}

bool rawprint_open(std::string_view name, RawPrintFile& file) {
    RawPrintClose(file);
    if (name.empty()) return false;
    file.Name.assign(name);
    file.Stream = std::fopen(file.Name.c_str(), "wb");
    return file.Stream != nullptr;
}

void RawPrintPortSetup(RawPrintFile&, std::string_view) {}

void RawPrintWrite(RawPrintFile& file, std::string_view bytes, bool) {
    if (file.Stream) std::fwrite(bytes.data(), 1, bytes.size(), file.Stream);
}

int RawPrintClose(RawPrintFile& file) {
    int result = 0;
    if (file.Stream && std::fclose(file.Stream) != 0) result = 1;
    file.Stream = nullptr;
    return result;
}

void PrintScreenText() {}
void PrintScreenPage() {}

void NormalizeCellRect(const CellSelection& selection, bool stream, CellSelection& rectangle) {
    rectangle = selection;
    if (stream) {
        // A stream runs from the earlier corner to the later one in reading order.
        if (rectangle.StartRow > rectangle.EndRow ||
            (rectangle.StartRow == rectangle.EndRow &&
             rectangle.StartColumn > rectangle.EndColumn)) {
            std::swap(rectangle.StartRow, rectangle.EndRow);
            std::swap(rectangle.StartColumn, rectangle.EndColumn);
        }
        return;
    }
    if (rectangle.StartRow > rectangle.EndRow) std::swap(rectangle.StartRow, rectangle.EndRow);
    if (rectangle.StartColumn > rectangle.EndColumn)
        std::swap(rectangle.StartColumn, rectangle.EndColumn);
}

struct PackedDib {};
void PackedDibDeleter::operator()(PackedDib* dib) const {
    delete dib;
}
PackedDibPtr LoadPictureFile(std::string_view, bool) {
    return nullptr;
}

}  // namespace printing
