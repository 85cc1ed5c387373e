# Registers the tests of a GoogleTest program with CTest when ctest starts,
# not when the program is built: building never runs what it built (a cross
# build may not be able to run it at all), and a program whose test list
# cannot be read shows up as one failing test named after it, with what it
# printed, while every other suite still runs.
#
#   mirlot_discover_gtests(TARGET [ENVIRONMENT VAR=VALUE...])
#
# The program runs under the target's CROSSCOMPILING_EMULATOR, as its tests
# do. The list is read again only when the program is newer than the last
# list read from it.

set(MIRLOT_GTEST_LIST_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/gtest_list.cmake)

function(mirlot_discover_gtests target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ENVIRONMENT")
  get_property(emulator TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR)
  set(base ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(GENERATE OUTPUT ${base}_include.cmake CONTENT
    "set(suite [==[${target}]==])
set(executable [==[$<TARGET_FILE:${target}>]==])
set(emulator [==[${emulator}]==])
set(environment [==[${arg_ENVIRONMENT}]==])
set(working_directory [==[${CMAKE_CURRENT_BINARY_DIR}]==])
set(tests_file [==[${base}_tests.cmake]==])
set(log_file [==[${base}_discovery.log]==])
set(cmake_command [==[${CMAKE_COMMAND}]==])
include([==[${MIRLOT_GTEST_LIST_SCRIPT}]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
               ${base}_include.cmake)
endfunction()
