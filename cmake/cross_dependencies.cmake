# What a cross build takes from the build host: the test runner, CLI11's
# and xxHash's headers and GoogleTest's sources.

if(WIN32 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  # The prefix the suites run in; the fault suite maps a drive into it.
  set(MIRLOT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${MIRLOT_WINE_PREFIX})
endif()

# CLI11 is header-only, but its CMake package adds -isystem /usr/include,
# which puts the host's C headers before the cross compiler's. A folder that
# holds only a link to the CLI11 headers gives them without the rest.
set(MIRLOT_CLI11_INCLUDE ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${MIRLOT_CLI11_INCLUDE})
file(CREATE_LINK /usr/include/CLI ${MIRLOT_CLI11_INCLUDE}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${MIRLOT_CLI11_INCLUDE})

# xxHash, compiled in from its one header, the same way.
set(MIRLOT_XXHASH_INCLUDE ${CMAKE_BINARY_DIR}/xxhash-include)
file(MAKE_DIRECTORY ${MIRLOT_XXHASH_INCLUDE})
file(CREATE_LINK /usr/include/xxhash.h ${MIRLOT_XXHASH_INCLUDE}/xxhash.h
     SYMBOLIC)
