# Cross-compiles for Windows with the mingw-w64 compilers of the posix thread
# model (std::thread needs it). Included by the two per-architecture
# toolchain files, which set MIRLOT_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MIRLOT_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${MIRLOT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRLOT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRLOT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRLOT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program links the C and C++ runtimes and winpthread statically, so
# that it imports nothing but system DLLs and runs from an unpacked zip.
# winpthread's archive carries a version resource of its own (version.o),
# which the linker cannot merge with a program's ("duplicate leaf"): the
# programs link a copy of the archive without it, found first through -L.
set(MIRLOT_WINPTHREAD_DIR ${CMAKE_BINARY_DIR}/winpthread)
if(NOT EXISTS ${MIRLOT_WINPTHREAD_DIR}/libwinpthread.a)
  file(MAKE_DIRECTORY ${MIRLOT_WINPTHREAD_DIR})
  file(COPY_FILE /usr/${MIRLOT_MINGW_TRIPLE}/lib/libwinpthread.a
       ${MIRLOT_WINPTHREAD_DIR}/libwinpthread.a)
  execute_process(
    COMMAND ${MIRLOT_MINGW_TRIPLE}-ar d libwinpthread.a version.o
    WORKING_DIRECTORY ${MIRLOT_WINPTHREAD_DIR} COMMAND_ERROR_IS_FATAL ANY)
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -L${MIRLOT_WINPTHREAD_DIR} -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive")
