#include "console/globals.h"

#include "console/messages.h"

namespace console {

Globals globals;

namespace {
constexpr size_t kVersionTextMax = 18;
}

void BuildVersionText() {
    std::string text = GetMessageText(923, false);
    text += kVersionNumber;
    if (text.size() > kVersionTextMax) text.resize(kVersionTextMax);
    globals.VersionText = text;
}

void ResetGlobals() {
    FindClose(globals.FindRecord);
    globals = Globals{};
    BuildVersionText();
}

size_t CaptureLineLength() {
    return globals.CaptureLine.size();
}

void PCharFromStr(HeapText& variable, std::string_view text) {
    variable = std::string(text);
}

void PCharFromPChar(HeapText& variable, const HeapText& source) {
    if (&variable == &source) return;
    variable = source;
}

void PCharAppend(HeapText& variable, std::string_view text) {
    std::string joined = variable.value_or(std::string());
    joined += text;
    variable = std::move(joined);
}

void PCharFree(HeapText& variable) {
    variable.reset();
}

}  // namespace console
