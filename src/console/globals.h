#pragma once
// Values that several subsystems share: the version text, the capture line, the find commands'
// search record and heap-held texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/file_search.h"

namespace console {

// An array rather than a string_view: a view's start and end may be folded
// from different translation units' copies of the literal.
inline constexpr char kVersionNumber[] = "12.6f";

struct Globals {
    std::string VersionText;     // String[18]: message 923 followed by the version number
    std::u16string CaptureLine;  // the capture line buffer
    SearchRec FindRecord;        // the search state of the find commands
    // The cell (1-based) of the last mouse button event or drag; 0 before any.
    int32_t MouseCol = 0;
    int32_t MouseRow = 0;
};
extern Globals globals;
// Back to the state at start: the version text built again, the rest empty.
void ResetGlobals();
// Builds VersionText in the current message language (again after a language switch).
void BuildVersionText();

size_t CaptureLineLength();

// A heap-held zero-terminated text that may be absent.
using HeapText = std::optional<std::string>;
// Replaces the variable by a copy of the text.
void PCharFromStr(HeapText& variable, std::string_view text);
// Replaces the variable by a copy of another one; an absent source leaves it absent.
void PCharFromPChar(HeapText& variable, const HeapText& source);
// Replaces the variable by its text followed by the given one (an absent variable counts as empty).
void PCharAppend(HeapText& variable, std::string_view text);
void PCharFree(HeapText& variable);

}  // namespace console
