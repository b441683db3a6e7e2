#pragma once
// The terminal operations that choose character attributes and colours:
// embedded field attributes, the select-graphic-rendition dialects, the SCO
// and AT386 colour forms, the Linux colour extensions and the palette.

#include <cstdint>
#include <span>

#include "console/screen_buffer.h"
#include "emulation/operations/screen_operations.h"

namespace emulation {

// What these operations need from units they do not own.
// Without a console that marks fields, a field attribute takes a blank cell.
void WriteFieldBlank(uint8_t colour, uint8_t mode);

struct AttributeOperationHooks {
    // Makes the cursor cell a field mark and colours the field after it
    // (colour 255 = DirectAttr; mode 0 unprotected, 1 protected, 2 keep);
    // empty: the mark is written as one blank in entry 0 and nothing else.
    void (*SetFieldAttr)(uint8_t colour, uint8_t mode) = WriteFieldBlank;
};

struct AttributeOperationsState {
    AttributeOperationHooks Hooks;
};

extern AttributeOperationsState AttributeOperations;

// ANSI colour 0-15 to the console's colour number.
inline constexpr uint8_t AnsiToPc[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};

// An attribute word with foreground and background exchanged: the three
// colour bits in the modes with an 8-colour background, the whole nibbles in
// modes 4 and 5; the other bits stay.
console::CellAttribute ReverseAttr(console::CellAttribute attr);

std::span<const TermOpBinding> AttributeOperationBindings();
void RegisterAttributeOperations();

void FieldAttributeOp(TermOp op, const TermOpParams& p);
void SelectGraphicRenditionOp(TermOp op, const TermOpParams& p);
void ProtectAttributeOp(TermOp op, const TermOpParams& p);
void ScoColourOp(TermOp op, const TermOpParams& p);
void ScoBorderColourOp(TermOp op, const TermOpParams& p);
void ScoColourModeOp(TermOp op, const TermOpParams& p);
void LinuxColoursOp(TermOp op, const TermOpParams& p);
void PaletteOp(TermOp op, const TermOpParams& p);

}  // namespace emulation
