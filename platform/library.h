// Loading a dynamic library by its base name and looking up its exports, at run time.
#pragma once

namespace platform {

// Loads "lib" + base_name + ".so" from the executable's own folder, else by the usual search;
// null when it cannot be loaded.
void* LoadLibraryByName(const char* base_name);
// The address of the export name, or null.
void* FindLibraryExport(void* library, const char* name);

}  // namespace platform
