# Read by cpack for each package it makes. The zip is the portable folder: the
# programs and catalogues with empty Hex and Flash folders beside them, so that
# unpacked anywhere (a USB stick) and started there it finds its files.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-portable")
  set(CPACK_INSTALL_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/PortableFolderMake.cmake")
endif()
