# Packages made by CPack from the install tree: on Linux two Debian packages
# (`cpack -G DEB`), mirlot with the command line alone (no Qt) and
# mirlot-gui with the window, for the Windows cross builds the setup program
# (`cpack -G NSIS`) beside the ZIP of cmake/windows_zip.cmake, which is
# included after this file and includes CPack there. scripts/package.sh
# makes them all and collects the results. On Linux this also installs what
# the packages carry beside the programs: the manual pages, the README, the
# copyright file and the changelog.

cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH mirlot_root)

set(CPACK_PACKAGE_NAME mirlot)
set(CPACK_PACKAGE_VENDOR Mirlot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Who answers for the packages (Debian requires a maintainer): the
# project's packaging role. A fork names itself here and in an entry of its
# own at the top of packaging/debian/changelog.
set(CPACK_PACKAGE_CONTACT "Mirlot Packaging Team <packaging@mirlot.org>")
set(CPACK_STRIP_FILES ON)
# Values reach the generators as written here, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)
# Per-generator settings that must be decided when cpack runs, such as the
# installer's file name.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/packaging_generator.cmake)

if(WIN32)
  # The Windows setup program: both programs in the chosen folder, a
  # Start-menu shortcut to the window, an uninstaller, and an entry under
  # the Uninstall registry key, which is what Apps & features lists.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MIRLOT_WINDOWS_ARCH win64)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  else()
    set(MIRLOT_WINDOWS_ARCH win32)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  endif()
  # Read by cmake/packaging_generator.cmake: the ZIP keeps its own name.
  set(CPACK_MIRLOT_SETUP_FILE_NAME "mirlot-${PROJECT_VERSION}-${MIRLOT_WINDOWS_ARCH}-setup")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY Mirlot)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Mirlot)
  set(CPACK_NSIS_PACKAGE_NAME Mirlot)
  set(CPACK_NSIS_DISPLAY_NAME "Mirlot ${PROJECT_VERSION}")
  # The programs' folder inside the installation, "" for its top.
  set(mirlot_programs "")
  if(NOT CMAKE_INSTALL_BINDIR STREQUAL ".")
    set(mirlot_programs "${CMAKE_INSTALL_BINDIR}\\")
  endif()
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
  set(CPACK_NSIS_INSTALLED_ICON_NAME ${mirlot_programs}mirlot.exe)
  # A setup run over an earlier installation removes that one first (also
  # when silent), so no file of an older version stays behind.
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # The licence page shows every licence of the Debian copyright file, as
  # plain text with Windows line ends: for each Files paragraph its comment
  # (what it covers) and copyright, then the text of its licence.
  file(READ ${mirlot_root}/packaging/debian/copyright mirlot_copyright)
  string(REGEX MATCHALL "\nFiles: [^\n]*(\n[^\n]+)*" mirlot_files
         "${mirlot_copyright}")
  set(mirlot_license "")
  foreach(mirlot_paragraph IN LISTS mirlot_files)
    string(REGEX MATCH "\nCopyright: ([^\n]*)" _ "${mirlot_paragraph}")
    set(mirlot_notice "Copyright ${CMAKE_MATCH_1}")
    if(mirlot_paragraph MATCHES "\nComment: ([^\n]*(\n [^\n]*)*)")
      string(REPLACE "\n " " " mirlot_comment "${CMAKE_MATCH_1}")
      set(mirlot_notice "${mirlot_comment}\n${mirlot_notice}")
    endif()
    string(REGEX MATCH "\nLicense: ([^\n]*)" _ "${mirlot_paragraph}")
    set(mirlot_name "${CMAKE_MATCH_1}")
    if(NOT mirlot_copyright MATCHES "\nLicense: ${mirlot_name}((\n [^\n]*)+)")
      message(FATAL_ERROR "packaging/debian/copyright has no text of the "
                          "licence ${mirlot_name}")
    endif()
    string(REPLACE "\n .\n" "\n\n" mirlot_text "${CMAKE_MATCH_1}\n")
    string(REPLACE "\n " "\n" mirlot_text "${mirlot_text}")
    string(APPEND mirlot_license "${mirlot_notice}\n${mirlot_text}\n\n")
  endforeach()
  string(STRIP "${mirlot_license}" mirlot_license)
  string(REPLACE "\n" "\r\n" mirlot_license "${mirlot_license}\n")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/LICENSE.txt "${mirlot_license}")
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/packaging/LICENSE.txt)
  # The manual, in Notepad since Windows opens no .md file by itself, beside
  # the programs' shortcuts in the Start menu.
  set(CPACK_NSIS_CREATE_ICONS_EXTRA
      "CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\Manual.lnk\" \"$WINDIR\\notepad.exe\" '\"$INSTDIR\\manual.md\"'")
  # The uninstaller removes the manual's shortcut, and HKLM\Software\Mirlot\
  # Mirlot, where the setup keeps the chosen folders, but not the vendor key
  # above it; these commands run after that removal.
  set(CPACK_NSIS_DELETE_ICONS_EXTRA
      "Delete \"$SMPROGRAMS\\$MUI_TEMP\\Manual.lnk\"
  DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"")
  if(MIRLOT_ICON_ICO)
    set(CPACK_NSIS_MUI_ICON ${MIRLOT_ICON_ICO})
    set(CPACK_NSIS_MUI_UNIICON ${MIRLOT_ICON_ICO})
    # Mirlot's icon in place of the installer's stock artwork.
    set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${MIRLOT_SETUP_WELCOME_BMP})
    set(CPACK_NSIS_MUI_UNWELCOMEFINISHPAGE_BITMAP ${MIRLOT_SETUP_WELCOME_BMP})
    set(CPACK_NSIS_MUI_HEADERIMAGE ${MIRLOT_SETUP_HEADER_BMP})
  endif()
  # One setup program with everything, whatever components the install
  # rules name.
  set(CPACK_MONOLITHIC_INSTALL ON)

  # The setup refuses a Windows older than the programs need before it
  # shows anything, also when silent (exit status 2). CPack's installer
  # script has no place for that in its .onInit, so the setup is made from
  # a copy of that script that calls the check first.
  set(CPACK_NSIS_DEFINES "
  !include LogicLib.nsh
  !include WinVer.nsh
  Function MirlotRequireWindows
    \${IfNot} \${AtLeastWin${MIRLOT_WINDOWS_MINIMUM_NAME}}
      MessageBox MB_OK|MB_ICONSTOP \"Mirlot needs Windows ${MIRLOT_WINDOWS_MINIMUM_NAME} or later.\" /SD IDOK
      SetErrorLevel 2
      Quit
    \${EndIf}
  FunctionEnd")
  set(mirlot_template ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
  file(READ ${mirlot_template} mirlot_script)
  string(REPLACE "\nFunction .onInit\n" "\nFunction .onInit\n  Call MirlotRequireWindows\n"
                 mirlot_checked "${mirlot_script}")
  if(mirlot_checked STREQUAL mirlot_script)
    message(FATAL_ERROR "${mirlot_template} has no .onInit to check Windows in")
  endif()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/nsis/NSIS.template.in
       "${mirlot_checked}")
  set(CPACK_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/packaging/nsis)

  if(TARGET mirlot-gui)
    set(CPACK_PACKAGE_EXECUTABLES mirlot-gui Mirlot)
    set(CPACK_NSIS_INSTALLED_ICON_NAME ${mirlot_programs}mirlot-gui.exe)
    # "Pack with Mirlot" on the Explorer menu of .txt files, whatever
    # program opens them, for one list at a time: it starts the window with
    # that list chosen. SHCTX follows the setup's choice, so a setup per
    # machine registers it for every user. The setup is a 32-bit program:
    # on 64-bit Windows it writes the key in the registry's 64-bit view,
    # which Explorer reads. The uninstaller removes the key.
    set(mirlot_verb "Software\\Classes\\SystemFileAssociations\\.txt\\shell\\Mirlot")
    # "Open in Mirlot" on the Explorer menu of files named out.bin only:
    # a verb of every file that AppliesTo keeps to that name, so that no
    # other .bin file gets it and .bin gets no association of Mirlot's.
    set(mirlot_image_verb "Software\\Classes\\*\\shell\\MirlotImage")
    set(mirlot_gui "$INSTDIR\\${mirlot_programs}mirlot-gui.exe")
    string(APPEND CPACK_NSIS_DEFINES "\n  !include x64.nsh")
    set(mirlot_native_view "
  \${If} \${RunningX64}
    SetRegView 64
  \${EndIf}")
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${mirlot_native_view}
  WriteRegStr SHCTX \"${mirlot_verb}\" \"\" \"Pack with Mirlot\"
  WriteRegStr SHCTX \"${mirlot_verb}\" \"Icon\" \"${mirlot_gui}\"
  WriteRegStr SHCTX \"${mirlot_verb}\" \"MultiSelectModel\" \"Single\"
  WriteRegStr SHCTX \"${mirlot_verb}\\command\" \"\" '\"${mirlot_gui}\" \"%1\"'
  WriteRegStr SHCTX \"${mirlot_image_verb}\" \"\" \"Open in Mirlot\"
  WriteRegStr SHCTX \"${mirlot_image_verb}\" \"Icon\" \"${mirlot_gui}\"
  WriteRegStr SHCTX \"${mirlot_image_verb}\" \"AppliesTo\" 'System.FileName:=\"out.bin\"'
  WriteRegStr SHCTX \"${mirlot_image_verb}\\command\" \"\" '\"${mirlot_gui}\" --image \"%1\"'
  SetRegView default")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${mirlot_native_view}
  DeleteRegKey SHCTX \"${mirlot_verb}\"
  DeleteRegKey SHCTX \"${mirlot_image_verb}\"
  SetRegView default")
  endif()
else()
  # Two Debian packages from one install tree: mirlot holds what the
  # install rules leave in the default component (cli), the command line
  # without Qt; mirlot-gui what the window's rules name gui, and needs
  # mirlot of the same version.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL cli)
  set(CPACK_DEBIAN_CLI_PACKAGE_NAME mirlot)
  set(mirlot_about "Mirlot packs the data files named in a list file into one binary image,
out.bin (a big-endian table of payload offsets and lengths, then the
payloads), and writes a readable report.txt beside it.")
  set(CPACK_DEBIAN_CLI_DESCRIPTION "pack the files named in a list into one binary image
${mirlot_about}

This package holds the command line, mirlot, which packs lists from
scripts, and lists, checks and extracts such images. It needs no graphical
libraries; the window is in the package mirlot-gui.")
  if(TARGET mirlot-gui)
    list(APPEND CPACK_COMPONENTS_ALL gui)
    set(CPACK_DEBIAN_GUI_PACKAGE_NAME mirlot-gui)
    set(CPACK_DEBIAN_GUI_DESCRIPTION "window to pack the files named in a list into one binary image
${mirlot_about}

This package holds the window, mirlot-gui: choose a list, drop one onto
it or open a text file with it from the file manager, and press Start.")
    set(CPACK_COMPONENT_GUI_DEPENDS cli)
    set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  endif()
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_MIRLOT_OBJCOPY ${CMAKE_OBJCOPY})
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_strip.cmake)

  # Compressed the way Debian wants them: gzip -9 without a time stamp.
  set(mirlot_gzipped ${CMAKE_CURRENT_BINARY_DIR}/packaging)
  set(mirlot_gzip_sources docs/man/mirlot.1 packaging/debian/changelog)
  if(TARGET mirlot-gui)
    list(APPEND mirlot_gzip_sources docs/man/mirlot-gui.1)
  endif()
  set(mirlot_gzip_outputs)
  foreach(mirlot_source IN LISTS mirlot_gzip_sources)
    get_filename_component(mirlot_name ${mirlot_source} NAME)
    set(mirlot_output ${mirlot_gzipped}/${mirlot_name}.gz)
    add_custom_command(
      OUTPUT ${mirlot_output}
      COMMAND ${CMAKE_COMMAND} -E copy ${mirlot_root}/${mirlot_source}
              ${mirlot_gzipped}/${mirlot_name}
      COMMAND gzip -9nf ${mirlot_gzipped}/${mirlot_name}
      DEPENDS ${mirlot_root}/${mirlot_source}
      VERBATIM)
    list(APPEND mirlot_gzip_outputs ${mirlot_output})
  endforeach()
  add_custom_target(mirlot_package_files ALL DEPENDS ${mirlot_gzip_outputs})

  # Each package has its manual page, and the copyright file and changelog
  # in a documentation folder of its own; the README, the manual and the
  # performance notes go with mirlot.
  set(mirlot_docs ${CMAKE_INSTALL_DATADIR}/doc)
  set(mirlot_package_docs ${mirlot_root}/packaging/debian/copyright
                          ${mirlot_gzipped}/changelog.gz)
  install(FILES ${mirlot_gzipped}/mirlot.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${mirlot_root}/README.md ${mirlot_root}/docs/manual.md
                ${mirlot_root}/docs/performance.md ${mirlot_package_docs}
          DESTINATION ${mirlot_docs}/mirlot)
  if(TARGET mirlot-gui)
    install(FILES ${mirlot_gzipped}/mirlot-gui.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT gui)
    install(FILES ${mirlot_package_docs}
            DESTINATION ${mirlot_docs}/mirlot-gui COMPONENT gui)
  endif()

  include(CPack)
endif()
