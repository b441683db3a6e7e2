#pragma once
// String-table entries of a module in a given language (the RT_STRING layout: id n lies in block
// (n >> 4) + 1 at position n AND 15, each entry a 16-bit length and that many UTF-16 units).

#include <windows.h>

#include <cstdint>
#include <string>

namespace console {

// The entry, empty when the module has none for the id in that language.
std::u16string LoadLangStringW(HMODULE module, uint16_t id, uint16_t language);
// The entry in the ANSI code page in at most size - 1 bytes plus a terminating zero: the bytes
// written, minus the needed size when the buffer is too small, 0 when absent.
int LoadLangStringA(HMODULE module, uint16_t id, char* buffer, uint16_t language, int size);

}  // namespace console
