# Run by cpack on the staged files of the Debian packages, after CPack's
# own strip (CPACK_PRE_BUILD_SCRIPTS): removes from each program the
# compilers' notes in .comment, as Debian's packaging tools do when they
# strip, which lintian asks for (binary-has-unneeded-section).
file(GLOB_RECURSE programs LIST_DIRECTORIES false
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$")
if(NOT programs)
  message(FATAL_ERROR "no program staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(
    COMMAND ${CPACK_MIRLOT_OBJCOPY} --remove-section=.comment ${program}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
