# Cross-building for 64-bit Windows on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix, whose
# threads back std::thread), the tests run under Wine:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

# Headers and libraries of the target only; programs of the host.
# SHAPEWRIGHT_WINDOWS_DEPS: the prefix where scripts/build-windows.sh installs the libraries it
# builds for the target (libpng, GoogleTest).
set(CMAKE_FIND_ROOT_PATH /usr/${triplet} ${SHAPEWRIGHT_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL travels with the programs: everything is linked in, zlib too.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

# Build-time generators and the tests run through Wine (Debian: wine64).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
