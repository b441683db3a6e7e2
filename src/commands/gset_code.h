#pragma once
// The character sets the emulator's G slots, GL and GR hold. The settings'
// CharsetKind holds one of them too (the host's upper half), which is why the
// codes sit beside the settings record rather than in the emulator. Kept as
// bytes in the records, so a plain enumeration over uint8_t.

#include <cstdint>

namespace commands {

enum GSetCode : uint8_t {
    kGSetAscii = 0,               // plain; its graphics counterpart is kGSetControlGlyphs
    kGSetN7900Graphics = 1,       // box glyphs that also choose AttrSelection
    kGSetLineDrawing = 2,         // 0x5F-0x7E through the line-drawing table
    kGSetAsciiAlt = 3,            // plain; its graphics counterpart is kGSetControlPictures
    kGSetControlPictures = 4,     // the low five bits as control pictures and boxes
    kGSetC1Pictures = 5,          // the low five bits + 0x80 in code page 437
    kGSetOemUpper = 6,            // the byte + 0x80 in the OEM code page
    kGSetControlGlyphs = 7,       // the low five bits in code page 437 (its glyphs)
    kGSetMultinational = 8,       // the byte + 0x80 in code page 1252
    kGSetSixelData = 9,           // bytes go to the graphics decoder, not the screen
    kGSetControlsShown = 10,      // plain, and control bytes other than ESC are shown
    kGSetSomeControlsShown = 11,  // plain, and most control bytes are shown
    kGSetC332Graphics = 12,       // the low five bits as box glyphs
    kGSetTv965Graphics = 13,      // the byte + 0x80 through the TV965 table
    kGSetCodePage = 14,           // the byte + 0x80 in the settings' CodePage (maybe multibyte)
    kGSetSoftFont = 15,           // the loaded soft glyphs
    kGSetDecSupplemental = 16,    // as kGSetMultinational with five bytes moved
    kGSetTechnical = 17,          // the byte + 0x80 through the technical table
    kGSetWyseSymbols = 18,        // super- and subscripts, arrows and boxes
    kGSetWyseBoxes = 19,          // box corners and lines
    kGSetAsciiBank = 20,          // plain; a Wyse bank's set without glyphs of its own
    kGSetOemControlsShown = 21,   // as kGSetOemUpper, and control bytes other than ESC are shown
};

}  // namespace commands
