# The zip a Windows user unpacks and runs (scripts/build-windows.sh): the
# programs at the top of one folder, the README, the manual and the
# licence (the one the setup programs show) beside them, and the example
# list with its members, ready for `mirlot pack examples\list.txt`.
install(FILES ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/docs/manual.md ${CPACK_RESOURCE_FILE_LICENSE}
        DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples
        PATTERN .gitignore EXCLUDE
        PATTERN out.bin EXCLUDE
        PATTERN report.txt EXCLUDE)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MIRLOT_ZIP_ARCH x86_64)
else()
  set(MIRLOT_ZIP_ARCH i686)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mirlot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "mirlot-${PROJECT_VERSION}-windows-${MIRLOT_ZIP_ARCH}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
