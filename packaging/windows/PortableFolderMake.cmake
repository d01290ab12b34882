# Run by cpack in the folder it packs the zip from.
file(MAKE_DIRECTORY "${CMAKE_INSTALL_PREFIX}/Hex" "${CMAKE_INSTALL_PREFIX}/Flash")
