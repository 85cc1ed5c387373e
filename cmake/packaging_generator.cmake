# Read by cpack once for each generator it runs: the setup program has a
# name of its own beside the ZIP of the same build, and installs the files
# themselves into the chosen folder, not a folder named after the package.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_MIRLOT_SETUP_FILE_NAME}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
