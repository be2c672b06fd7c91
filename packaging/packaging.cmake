# What a player installs, and the Debian package made of it. Included from the
# top-level CMakeLists.txt after the game and its images are defined; only the
# game, its launcher, its images and the desktop files install anything (tests,
# tools and the benchmark have no install rules).
#
# Layout under the prefix (/usr for the package, ~/.local or any other with
# `cmake --install build --prefix DIR`):
#   bin/fetch                                        the launcher, on the PATH
#   libexec/fetch/fetch                              the game binary
#   share/games/fetch/*.bmp                          the twelve images
#   share/applications/fetch.desktop                 the menu entry
#   share/icons/hicolor/scalable/apps/fetch.svg      the icon
#   share/metainfo/org.example.fetch.metainfo.xml    the software-centre entry
#   share/doc/fetch/README.md
include(GNUInstallDirs)

set(FETCH_INSTALL_GAMEDIR ${CMAKE_INSTALL_LIBEXECDIR}/fetch)
set(FETCH_INSTALL_IMAGEDIR ${CMAKE_INSTALL_DATADIR}/games/fetch)
set(FETCH_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/fetch)
foreach(dir CMAKE_INSTALL_BINDIR FETCH_INSTALL_GAMEDIR FETCH_INSTALL_IMAGEDIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix (the launcher finds the game from its own place): ${${dir}}")
  endif()
endforeach()

# The launcher: from its own folder up to the prefix, then down to the game.
file(RELATIVE_PATH FETCH_LAUNCHER_TO_PREFIX /prefix/${CMAKE_INSTALL_BINDIR} /prefix)
string(REGEX REPLACE "/$" "" FETCH_LAUNCHER_TO_PREFIX "${FETCH_LAUNCHER_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/launcher.sh.in ${CMAKE_BINARY_DIR}/packaging/fetch @ONLY)

install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/fetch DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS fetch RUNTIME DESTINATION ${FETCH_INSTALL_GAMEDIR})
install(FILES ${FETCH_IMAGE_PATHS} DESTINATION ${FETCH_INSTALL_IMAGEDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/fetch.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/fetch.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.example.fetch.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${FETCH_INSTALL_DOCDIR})

# The Debian package: `cmake --build build --target package` writes
# build/fetch_<version>_<architecture>.deb. Its Depends come from
# dpkg-shlibdeps (dpkg-dev), which CPack runs on the game binary.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fetch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D game: throw a bone and watch the dog fetch it")
set(CPACK_PACKAGE_DESCRIPTION [=[
A small 3D game in one window: a dog built from spheres and cylinders
fetches a bone in a textured outdoor scene. Aim with the power meter and
click to throw, and the dog turns about, runs out, picks the bone up and
brings it home, knocking over the trees it passes and blowing up the brick
house if it runs into it. The 'm' key lets the pointer steer the dog freely,
't' changes its fur, 'r' puts everything back and 'q' plays the closing
scene and quits.
It draws with OpenGL 1.1, GLU and freeglut.]=])
set(CPACK_PACKAGE_CONTACT "Fetch maintainers <fetch@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libgl1-mesa-dri)
find_program(FETCH_DPKG dpkg)
if(FETCH_DPKG)
  execute_process(COMMAND ${FETCH_DPKG} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(FETCH_DEB_FILE ${CMAKE_BINARY_DIR}/fetch_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb)
endif()
include(CPack)
