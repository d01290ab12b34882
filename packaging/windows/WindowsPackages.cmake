# The two ways a technician gets Tessaramond onto a Windows laptop, both made
# by CPack from the windows preset's build: an installer (NSIS, Debian's
# makensis) and a portable folder to unpack anywhere (a zip).
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Tessaramond)
set(CPACK_PACKAGE_VENDOR Tessaramond)
set(CPACK_PACKAGE_FILE_NAME Tessaramond-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessaramond)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tessaramond)
set(CPACK_NSIS_PACKAGE_NAME Tessaramond)
set(CPACK_NSIS_DISPLAY_NAME Tessaramond)
set(CPACK_NSIS_CONTACT ${CPACK_PACKAGE_CONTACT})
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_COMPRESSOR lzma)
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(icon ${PROJECT_SOURCE_DIR}/resources/images/icon-128.ico)
set(CPACK_NSIS_MUI_ICON ${icon})
set(CPACK_NSIS_MUI_UNIICON ${icon})
set(CPACK_NSIS_INSTALLED_ICON_NAME tessaramond.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)

# The working folder's text, with the line ends Windows' editors expect.
file(READ ${working_folder_readme} readme)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${working_folder_readme})
string(REPLACE "\n" "\r\n" readme "${readme}")
set(working_folder_readme ${CMAKE_CURRENT_BINARY_DIR}/windows/README.txt)
file(WRITE ${working_folder_readme} "${readme}")
configure_file(windows/Tessaramond.nsh.in windows/Tessaramond.nsh @ONLY)
# A 64-bit installer for 64-bit programs: it installs into the 64-bit Program
# Files and registry, and runs where only 64-bit programs do (wine64). Then
# the installer's own steps.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include '${CMAKE_CURRENT_BINARY_DIR}/windows/Tessaramond.nsh'")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!insertmacro TessaramondMakeWorkingFolder")
set(CPACK_NSIS_CREATE_ICONS_EXTRA "!insertmacro TessaramondCreateShortcuts")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro TessaramondDeleteShortcuts")

# The portable folder: its name, and the empty Hex and Flash beside the
# programs, apply to the zip alone.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows/PortableFolder.cmake)
