# Read by ctest for each GoogleTest program (see gtest_discovery.cmake, which
# sets suite, executable, emulator, environment, working_directory,
# tests_file, log_file and cmake_command): adds one test per test the
# program lists, and sets ${suite}_TESTS to their names.

if(NOT EXISTS "${executable}")
  add_test("${suite}" "${suite}_NOT_BUILT")
  return()
endif()

# The list read last time holds while the program and these scripts are
# unchanged.
if(EXISTS "${tests_file}" AND "${tests_file}" IS_NEWER_THAN "${executable}"
   AND "${tests_file}" IS_NEWER_THAN "${CMAKE_CURRENT_LIST_FILE}"
   AND "${tests_file}" IS_NEWER_THAN "${CMAKE_PARENT_LIST_FILE}")
  include("${tests_file}")
  return()
endif()

# Under wine the first listing of a build also makes the prefix (15 s, and
# once more when that fails).
execute_process(
  COMMAND ${emulator} "${executable}" --gtest_list_tests
  WORKING_DIRECTORY "${working_directory}"
  TIMEOUT 180
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  # Not kept: the next ctest lists the program again.
  string(JOIN " " command ${emulator} "${executable}" --gtest_list_tests)
  file(WRITE "${log_file}"
       "Could not list the tests of ${suite}: ${command} ended with "
       "${result}.\n"
       "Standard output:\n${listing}\nStandard error:\n${errors}\n")
  file(REMOVE "${tests_file}")
  add_test("${suite}" "${cmake_command}" -E cat "${log_file}")
  set_tests_properties("${suite}" PROPERTIES WILL_FAIL TRUE)
  return()
endif()

# The listing holds a line per test case ("Suite." or "Prefix/Suite.", maybe
# followed by "  # TypeParam = ..."), then one indented line per test
# ("  Name" or "  Name/Param  # GetParam() = ...").
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE ";" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(names "")
set(case "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE " +#.*" "" line "${line}")
  if(line MATCHES "^([^ ].*)\\.$")
    set(case "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  +([^ ]+)$" AND NOT case STREQUAL "")
    set(name "${case}.${CMAKE_MATCH_1}")
    list(APPEND names "${name}")
    string(APPEND script
      "add_test([==[${name}]==] ${emulator} [==[${executable}]==] "
      "[==[--gtest_filter=${name}]==] --gtest_also_run_disabled_tests)\n"
      "set_tests_properties([==[${name}]==] PROPERTIES\n"
      "  WORKING_DIRECTORY [==[${working_directory}]==]\n"
      "  SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==]\n"
      "  ENVIRONMENT [==[${environment}]==])\n")
  endif()
endforeach()
string(APPEND script "set([==[${suite}_TESTS]==] [==[${names}]==])\n")
file(WRITE "${tests_file}" "${script}")
include("${tests_file}")
