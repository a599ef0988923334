# The Windows packages, from packaging/CMakeLists.txt: one folder that runs from wherever it lies
# (the executables, texconv.dll and FFEDIT\ffeditc_unicode.exe together, as in the build, each
# finding its companions beside itself), as a portable zip and as a per-user installer.
#   cpack -G ZIP    shapewright-VERSION-win64.zip
#   cpack -G NSIS   shapewright-VERSION-setup.exe
set(commands shapewright-cli ace2tga)
if(TARGET shapewright)
  list(PREPEND commands shapewright)
endif()
install(TARGETS ${commands} RUNTIME DESTINATION .)
# The library alone, without its import library: the converter loads it at run time.
install(FILES $<TARGET_FILE:texconv> DESTINATION .)
install(TARGETS ffeditc_unicode RUNTIME DESTINATION FFEDIT)

# The licences of what travels inside the programs: our own, zlib and libpng, and the MinGW-w64
# runtime with GCC's runtime library exception (libstdc++, libgcc, winpthreads).
set(licences
  ${CMAKE_CURRENT_SOURCE_DIR}/copyright shapewright.txt
  /usr/share/doc/libz-mingw-w64-dev/copyright zlib.txt
  ${SHAPEWRIGHT_WINDOWS_DEPS}/LICENSE.libpng libpng.txt
  /usr/share/doc/gcc-mingw-w64-base/copyright gcc-runtime-library-exception.txt
  /usr/share/doc/mingw-w64-common/copyright mingw-w64-runtime.txt)
while(licences)
  list(POP_FRONT licences file name)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "The licence ${file} is missing: it must travel with the programs")
  endif()
  install(FILES ${file} DESTINATION licenses RENAME ${name})
endwhile()

set(CPACK_PACKAGE_NAME shapewright)
set(CPACK_PACKAGE_VENDOR Ferrowind)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of MSTS rolling stock into .stk model files")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Shapewright)
# The installer's own registry key; Software\Ferrowind\Shapewright stays the user's settings,
# which the uninstaller leaves alone.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ShapewrightInstallation)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The file names differ per generator: see package_names.cmake.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/package_names.cmake)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/package_names.cmake
  "if(CPACK_GENERATOR STREQUAL \"NSIS\")\n"
  "  set(CPACK_PACKAGE_FILE_NAME shapewright-${PROJECT_VERSION}-setup)\n"
  "else()\n"
  "  set(CPACK_PACKAGE_FILE_NAME shapewright-${PROJECT_VERSION}-win64)\n"
  "endif()\n")

# The installer: 64-bit, for the user alone (no administrator), in %LOCALAPPDATA%\Programs.
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_PACKAGE_NAME Shapewright)
set(CPACK_NSIS_DISPLAY_NAME Shapewright)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/res/shapewright.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/res/shapewright.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME shapewright-cli.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start menu: the dialog when it is built, and the command line as a console in the
# program's folder.
if(TARGET shapewright)
  set(CPACK_PACKAGE_EXECUTABLES shapewright Shapewright)
endif()
set(CPACK_NSIS_CREATE_ICONS_EXTRA
  "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Shapewright command line.lnk' '$SYSDIR\\\\cmd.exe' '/k cd /d \"$INSTDIR\" && shapewright-cli.exe --help' '$INSTDIR\\\\shapewright-cli.exe'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA
  "Delete '$SMPROGRAMS\\\\$START_MENU\\\\Shapewright command line.lnk'")
# What the programs made for the user besides the settings: the cache of decompressed shapes.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
  "RMDir /r '$LOCALAPPDATA\\\\Shapewright'\n"
  "DeleteRegKey HKCU 'Software\\\\Classes\\\\Shapewright.Vehicle'\n"
  "DeleteRegValue HKCU 'Software\\\\Classes\\\\.eng\\\\OpenWithProgids' 'Shapewright.Vehicle'\n"
  "DeleteRegValue HKCU 'Software\\\\Classes\\\\.wag\\\\OpenWithProgids' 'Shapewright.Vehicle'")

# CMake's installer script, made per-user and 64-bit: CPack reads NSIS.template.in from
# CPACK_MODULE_PATH first.
set(nsis_template ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${nsis_template} template)
set(open_with_section "")
if(TARGET shapewright)
  # Optional, and only with the dialog: "Open with" for ENG and WAG files, for this user.
  string(CONCAT open_with_section
    "Section \"Open with Shapewright (.eng, .wag)\" SecOpenWith\n"
    "  WriteRegStr HKCU \"Software\\Classes\\Shapewright.Vehicle\" \"\" \"MSTS vehicle\"\n"
    "  WriteRegStr HKCU \"Software\\Classes\\Shapewright.Vehicle\\shell\\open\\command\" \"\" '\"$INSTDIR\\shapewright.exe\" \"%1\"'\n"
    "  WriteRegStr HKCU \"Software\\Classes\\.eng\\OpenWithProgids\" \"Shapewright.Vehicle\" \"\"\n"
    "  WriteRegStr HKCU \"Software\\Classes\\.wag\\OpenWithProgids\" \"Shapewright.Vehicle\" \"\"\n"
    "SectionEnd\n\n")
endif()
foreach(edit
    "!define VERSION |Target amd64-unicode\n  !define VERSION "
    "RequestExecutionLevel admin|RequestExecutionLevel user"
    "SetShellVarContext all|SetShellVarContext current"
    "HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall|HKCU \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
    "StrCpy $INSTDIR \"$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\"|"
    "StrCpy $SV_ALLUSERS \"AllUsers\"|StrCpy $SV_ALLUSERS \"JustMe\""
    "@CPACK_NSIS_PAGE_COMPONENTS@|!insertmacro MUI_PAGE_COMPONENTS"
    "Section \"-Add to path\"|${open_with_section}Section \"-Add to path\"")
  string(REPLACE "|" ";" pair "${edit}")
  list(GET pair 0 from)
  list(LENGTH pair length)
  set(to "")
  if(length GREATER 1)
    list(GET pair 1 to)
  endif()
  string(FIND "${template}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${nsis_template} no longer holds \"${from}\"")
  endif()
  string(REPLACE "${from}" "${to}" template "${template}")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/nsis/NSIS.template.in "${template}")
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/nsis)

set(CPACK_GENERATOR ZIP NSIS)
include(CPack)
