# Read by cpack once for each generator it runs: the setup program gets a
# name of its own beside the ZIP of the same build.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
