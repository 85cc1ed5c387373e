# The window's icon in the sizes desktops ask for, drawn at build time from
# src/window/mirlot-gui.svg so that no copy can drift from it: one PNG per
# size of the hicolor theme (rsvg-convert, Debian package librsvg2-bin),
# and for the Windows builds one .ico holding the same PNGs (icotool,
# icoutils) for the window's resources and the setup programs.
#
# Sets, for the window's build and the packages:
#   MIRLOT_ICON_SVG    the drawing itself
#   MIRLOT_ICON_SIZES  16 24 32 48 64 128 256
#   MIRLOT_ICON_PNGS   one file per size, in that order:
#                      BUILD/icons/SIZExSIZE/apps/mirlot-gui.png
#   MIRLOT_ICON_ICO    BUILD/icons/mirlot-gui.ico (Windows builds only)
# The target mirlot_icons makes them all; a target that reads them from
# another folder depends on it.

find_program(MIRLOT_RSVG_CONVERT rsvg-convert REQUIRED)

set(MIRLOT_ICON_SVG ${PROJECT_SOURCE_DIR}/src/window/mirlot-gui.svg)
set(MIRLOT_ICON_SIZES 16 24 32 48 64 128 256)
set(mirlot_icon_dir ${PROJECT_BINARY_DIR}/icons)

set(MIRLOT_ICON_PNGS)
foreach(size IN LISTS MIRLOT_ICON_SIZES)
  set(folder ${mirlot_icon_dir}/${size}x${size}/apps)
  add_custom_command(
    OUTPUT ${folder}/mirlot-gui.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${MIRLOT_RSVG_CONVERT} --width ${size} --height ${size}
            --output ${folder}/mirlot-gui.png ${MIRLOT_ICON_SVG}
    DEPENDS ${MIRLOT_ICON_SVG}
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND MIRLOT_ICON_PNGS ${folder}/mirlot-gui.png)
endforeach()

set(MIRLOT_ICON_ICO)
if(WIN32)
  find_program(MIRLOT_ICOTOOL icotool REQUIRED)
  set(MIRLOT_ICON_ICO ${mirlot_icon_dir}/mirlot-gui.ico)
  # The largest size is kept as PNG, as Windows reads it from Vista on; the
  # others become bitmaps, which every reader of icons takes.
  set(bitmaps ${MIRLOT_ICON_PNGS})
  list(POP_BACK bitmaps largest)
  add_custom_command(
    OUTPUT ${MIRLOT_ICON_ICO}
    COMMAND ${MIRLOT_ICOTOOL} --create --output ${MIRLOT_ICON_ICO}
            ${bitmaps} --raw=${largest}
    DEPENDS ${MIRLOT_ICON_PNGS}
    COMMENT "Making the Windows icon"
    VERBATIM)
endif()

add_custom_target(mirlot_icons ALL DEPENDS ${MIRLOT_ICON_PNGS} ${MIRLOT_ICON_ICO})
