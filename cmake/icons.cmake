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
#   MIRLOT_SETUP_WELCOME_BMP, MIRLOT_SETUP_HEADER_BMP
#                      the setup programs' welcome and header images,
#                      BUILD/icons/setup-*.bmp (Windows builds only): the
#                      icon drawn on a plain ground, as BMP since the
#                      installer reads nothing else (ImageMagick)
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

  # Debian's name first: another `convert` may come earlier on the PATH.
  find_program(MIRLOT_CONVERT NAMES convert-im6.q16 convert REQUIRED)
  set(MIRLOT_SETUP_WELCOME_BMP ${mirlot_icon_dir}/setup-welcome.bmp)
  set(MIRLOT_SETUP_HEADER_BMP ${mirlot_icon_dir}/setup-header.bmp)
  list(GET MIRLOT_ICON_PNGS 5 icon128)
  list(GET MIRLOT_ICON_PNGS 3 icon48)
  # The installer's sizes: 164x314 beside the welcome and finish pages,
  # 150x57 at the right of every other page's header.
  add_custom_command(
    OUTPUT ${MIRLOT_SETUP_WELCOME_BMP} ${MIRLOT_SETUP_HEADER_BMP}
    COMMAND ${MIRLOT_CONVERT} -size 164x314 "xc:#e8eef5" ${icon128}
            -gravity north -geometry +0+48 -composite
            BMP3:${MIRLOT_SETUP_WELCOME_BMP}
    COMMAND ${MIRLOT_CONVERT} -size 150x57 xc:white ${icon48}
            -gravity east -geometry +6+0 -composite
            BMP3:${MIRLOT_SETUP_HEADER_BMP}
    DEPENDS ${icon128} ${icon48}
    COMMENT "Drawing the setup program's images"
    VERBATIM)
endif()

add_custom_target(mirlot_icons ALL
  DEPENDS ${MIRLOT_ICON_PNGS} ${MIRLOT_ICON_ICO} ${MIRLOT_SETUP_WELCOME_BMP}
          ${MIRLOT_SETUP_HEADER_BMP})
