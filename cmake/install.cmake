# Installing the game as a desktop game, and its Debian package.
#
#   <gamesdir>/milta100m                       the launcher: the player's play folder, then the game
#   <libexecdir>/milta100m/milta100m           the game itself, with
#   <libexecdir>/milta100m/milta100m.hlp       its help file beside it, where the game looks
#   <datadir>/milta100m/                       the two tunes and the seed ranking the launcher copies
#   <datadir>/applications, metainfo, icons    the menu entry, the software-centre data, the icons
#   <mandir>/man6/milta100m.6.gz               the manual page
#   <docdir>/copyright, changelog.gz           the licence and the changes, where Debian keeps them
#
# The game reads and writes its files in the working directory, so it never
# starts straight from the menu: the launcher gives it a folder of the
# player's own.
include(GNUInstallDirs)

set(MILTA_LINUX_DIR ${PROJECT_SOURCE_DIR}/data/linux)
set(MILTA_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/milta100m)
set(MILTA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/milta100m)
# Debian keeps games' commands apart from other programs'.
set(MILTA_INSTALL_GAMESDIR games CACHE STRING "Where the milta100m command goes, under the prefix")

# The launcher finds the game and its data from its own place, so the
# installed tree works under any prefix, also unpacked from the package.
file(RELATIVE_PATH MILTA_BIN_TO_GAME ${CMAKE_INSTALL_PREFIX}/${MILTA_INSTALL_GAMESDIR}
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/milta100m/milta100m)
file(RELATIVE_PATH MILTA_BIN_TO_DATA ${CMAKE_INSTALL_PREFIX}/${MILTA_INSTALL_GAMESDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/milta100m)
configure_file(${MILTA_LINUX_DIR}/launcher.sh.in ${PROJECT_BINARY_DIR}/launcher/milta100m @ONLY)

install(TARGETS milta100m RUNTIME DESTINATION ${MILTA_GAME_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/milta100m.hlp ${PROJECT_SOURCE_DIR}/data/milta100m_en.hlp
        DESTINATION ${MILTA_GAME_DIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/launcher/milta100m DESTINATION ${MILTA_INSTALL_GAMESDIR})
install(FILES
  ${PROJECT_SOURCE_DIR}/data/100m.mid
  ${PROJECT_SOURCE_DIR}/data/goal.mid
  ${PROJECT_SOURCE_DIR}/data/rank.mlt
  DESTINATION ${MILTA_DATA_DIR})
install(FILES ${MILTA_LINUX_DIR}/${MILTA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MILTA_LINUX_DIR}/${MILTA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

# The manual page and the changelog, compressed as Debian wants them: at the
# highest level and without a name or a time stamp, so that two builds agree.
find_program(MILTA_GZIP gzip REQUIRED)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/gzipped)
set(MILTA_COMPRESSED)
foreach(source milta100m.6 changelog)
  set(compressed ${PROJECT_BINARY_DIR}/gzipped/${source}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${MILTA_GZIP} -9n -c ${MILTA_LINUX_DIR}/${source} > ${compressed}
    DEPENDS ${MILTA_LINUX_DIR}/${source}
    COMMENT "Compressing ${source}")
  list(APPEND MILTA_COMPRESSED ${compressed})
endforeach()
add_custom_target(milta_compressed_docs ALL DEPENDS ${MILTA_COMPRESSED})
install(FILES ${PROJECT_BINARY_DIR}/gzipped/milta100m.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_BINARY_DIR}/gzipped/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/milta100m.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME milta100m)
set(CPACK_PACKAGE_VENDOR "Milta 100m developers")
set(CPACK_PACKAGE_CONTACT "Milta 100m developers <milta100m@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "100-metre dash game driven by sweeping the mouse")
set(CPACK_PACKAGE_DESCRIPTION
  "Sweep the mouse pointer back and forth across the red and the blue pad to\n"
  "make your runner cross the screen. The race clock stops at the finishing\n"
  "line and the fastest times enter a top-ten ranking. Five runners to choose\n"
  "from, a race tune and a goal tune. The game's texts are in Japanese.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/milta100m/milta100m)
# The shared libraries come from dpkg-shlibdeps (libqt6gui6 brings the X11
# platform plugin); the soundfont the music is played with, the font the
# layout is drawn in, and the music libraries (opened off the start-up path)
# are loaded at run time and have to be named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, fonts-ipafont-gothic, libfluidsynth3, libasound2")
# Qt's Wayland platform plugin, for a desktop without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
