// The binding to the texture conversion library texconv, loaded at run time on first use.
// Every operation returns the export's result, or 0 when the library or the export is missing.
#pragma once

#include <cstdint>

namespace TextureLibrary {

int AceToTga(const char* source_ace, const char* destination_tga);
// True once the library has been loaded (a load is tried when it is not).
bool IsAvailable();
int CheckAce(const char* path, const char* unused);
// The library's other exports, bound by name; the conversion never calls them.
int AceToBmps(intptr_t a, intptr_t b, intptr_t c);
int AceToBmp(intptr_t a, intptr_t b);
int AceToTgaSquare(intptr_t a, intptr_t b);
int BmpsToTga(intptr_t a, intptr_t b, intptr_t c);
int BmpsToTgaSquare(intptr_t a, intptr_t b, intptr_t c);
int AceInitLoad(intptr_t a);
int AceLoadBitmap(intptr_t a, intptr_t b);
int AceCompress(intptr_t a, intptr_t b);
int AceDecompress(intptr_t a, intptr_t b);
int AceCompressAll(intptr_t a, intptr_t b);

}  // namespace TextureLibrary
