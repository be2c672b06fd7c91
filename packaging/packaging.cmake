# What a player installs, and the Debian package made of it. Included from the
# top-level CMakeLists.txt after the game and its images are defined; only the
# game, its launcher, its images, its documents and the desktop files install
# anything (tests, tools and the benchmark have no install rules).
#
# Layout under the prefix (/usr for the package, ~/.local or any other with
# `cmake --install build --prefix DIR`), Debian's layout for games:
#   games/fetch                                      the launcher
#   bin/fetch -> ../games/fetch                      only when the prefix is not a /usr
#   lib/games/fetch/fetch                            the game binary
#   share/games/fetch/*.bmp                          the twelve images
#   share/applications/fetch.desktop                 the menu entry
#   share/icons/hicolor/scalable/apps/fetch.svg      the icon
#   share/metainfo/org.example.fetch.metainfo.xml    the software-centre entry
#   share/man/man6/fetch.6.gz                        the manual page
#   share/doc/fetch/README.md, copyright, changelog.gz
#
# The version and the one-line description are project()'s; the history is
# CHANGELOG.md's; the controls are src/game/controls.json's (read by the
# top-level CMakeLists.txt). The Debian changelog, the metainfo, the menu entry,
# the manual page and the package's description are made from them.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)

set(FETCH_INSTALL_LAUNCHERDIR games)
set(FETCH_INSTALL_GAMEDIR lib/games/fetch)
set(FETCH_INSTALL_IMAGEDIR ${CMAKE_INSTALL_DATAROOTDIR}/games/fetch)
set(FETCH_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/fetch)
foreach(dir CMAKE_INSTALL_BINDIR CMAKE_INSTALL_DATAROOTDIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix (the launcher finds the game from its own place): ${${dir}}")
  endif()
endforeach()
# Folders in the package are rwxr-xr-x whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(FETCH_PACKAGE_MAINTAINER "Fetch maintainers <fetch@example.org>")

# --- the release history --------------------------------------------------------
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
fetch_read_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md)
list(GET FETCH_RELEASES 0 FETCH_NEWEST_RELEASE)
if(NOT FETCH_NEWEST_RELEASE STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's newest release is ${FETCH_NEWEST_RELEASE} but project() says "
                      "${PROJECT_VERSION}: a release adds its entry to CHANGELOG.md")
endif()
set(FETCH_RELEASE_DATE ${FETCH_RELEASE_${PROJECT_VERSION}_DATE})
# The one-line description as a sentence ("Throw ...") and as a phrase ("throw ...").
string(SUBSTRING "${PROJECT_DESCRIPTION}" 0 1 fetch_first_letter)
string(SUBSTRING "${PROJECT_DESCRIPTION}" 1 -1 FETCH_DESCRIPTION_PHRASE)
string(TOLOWER "${fetch_first_letter}" fetch_first_letter)
string(PREPEND FETCH_DESCRIPTION_PHRASE "${fetch_first_letter}")

set(FETCH_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
fetch_debian_changelog(debian_changelog fetch "${FETCH_PACKAGE_MAINTAINER}")
file(CONFIGURE OUTPUT ${FETCH_PACKAGING_OUT}/changelog CONTENT "${debian_changelog}")
fetch_metainfo_releases(FETCH_METAINFO_RELEASES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/org.example.fetch.metainfo.xml.in
               ${FETCH_PACKAGING_OUT}/org.example.fetch.metainfo.xml @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fetch.6.in ${FETCH_PACKAGING_OUT}/fetch.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fetch.desktop.in ${FETCH_PACKAGING_OUT}/fetch.desktop @ONLY)

# Compressed as Debian wants them, with no name or date in the gzip header.
find_program(FETCH_GZIP gzip REQUIRED)
foreach(doc changelog fetch.6)
  add_custom_command(
    OUTPUT ${FETCH_PACKAGING_OUT}/${doc}.gz
    COMMAND ${FETCH_GZIP} -9n -c ${FETCH_PACKAGING_OUT}/${doc} > ${FETCH_PACKAGING_OUT}/${doc}.gz
    DEPENDS ${FETCH_PACKAGING_OUT}/${doc}
    COMMENT "Compressing ${doc}")
endforeach()
add_custom_target(release_documents ALL
  DEPENDS ${FETCH_PACKAGING_OUT}/changelog.gz ${FETCH_PACKAGING_OUT}/fetch.6.gz)

# --- the launcher -----------------------------------------------------------------
# From its own folder up to the prefix, then down to the game.
file(RELATIVE_PATH FETCH_LAUNCHER_TO_PREFIX /prefix/${FETCH_INSTALL_LAUNCHERDIR} /prefix)
string(REGEX REPLACE "/$" "" FETCH_LAUNCHER_TO_PREFIX "${FETCH_LAUNCHER_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/launcher.sh.in ${FETCH_PACKAGING_OUT}/fetch @ONLY)
# A link to it for bin/: a home install's games/ is on no PATH, its bin/ is.
file(RELATIVE_PATH FETCH_BIN_TO_LAUNCHER /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${FETCH_INSTALL_LAUNCHERDIR}/fetch)
file(MAKE_DIRECTORY ${FETCH_PACKAGING_OUT}/bin)
file(CREATE_LINK ${FETCH_BIN_TO_LAUNCHER} ${FETCH_PACKAGING_OUT}/bin/fetch SYMBOLIC)

# --- what installs ----------------------------------------------------------------
install(PROGRAMS ${FETCH_PACKAGING_OUT}/fetch DESTINATION ${FETCH_INSTALL_LAUNCHERDIR})
# The link goes in unless the prefix is a /usr (the package's /usr, whose
# games/ is on every player's PATH, or the package's staging copy of it).
install(CODE "
  get_filename_component(fetch_prefix_name \"\${CMAKE_INSTALL_PREFIX}\" NAME)
  if(NOT fetch_prefix_name STREQUAL \"usr\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\" TYPE FILE
         FILES \"${FETCH_PACKAGING_OUT}/bin/fetch\")
  endif()")
install(TARGETS fetch RUNTIME DESTINATION ${FETCH_INSTALL_GAMEDIR})
# A stripped install (the package's) also drops the compiler's notes, as Debian's strip does.
if(CMAKE_OBJCOPY)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${FETCH_INSTALL_GAMEDIR}/fetch\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()
install(FILES ${FETCH_IMAGE_PATHS} DESTINATION ${FETCH_INSTALL_IMAGEDIR})
install(FILES ${FETCH_PACKAGING_OUT}/fetch.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/fetch.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${FETCH_PACKAGING_OUT}/org.example.fetch.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${FETCH_PACKAGING_OUT}/fetch.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/copyright
              ${FETCH_PACKAGING_OUT}/changelog.gz
        DESTINATION ${FETCH_INSTALL_DOCDIR})

# --- the Debian package -------------------------------------------------------------
# `cmake --build build --target package` writes build/fetch_<version>_<architecture>.deb.
# Its Depends come from dpkg-shlibdeps (dpkg-dev), which CPack runs on the game
# binary. CPack dates every member with SOURCE_DATE_EPOCH, which
# cpack_project.cmake sets from the last commit; its owners are root's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fetch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D game: ${FETCH_DESCRIPTION_PHRASE}")
# The first paragraph ends with the keys, from the table of controls, and is
# wrapped at 76 columns.
set(FETCH_PACKAGE_ABOUT "A small 3D game in one window: a dog built from spheres and cylinders \
fetches a bone in a textured outdoor scene. Aim with the power meter and click to throw, and the \
dog turns about, runs out, picks the bone up and brings it home, knocking over the trees it passes \
and blowing up the brick house if it runs into it. ${FETCH_PACKAGE_CONTROLS}")
set(CPACK_PACKAGE_DESCRIPTION "")
set(fetch_line "")
string(REPLACE " " ";" fetch_words "${FETCH_PACKAGE_ABOUT}")
foreach(fetch_word IN LISTS fetch_words)
  string(LENGTH "${fetch_line} ${fetch_word}" fetch_width)
  if(fetch_line STREQUAL "")
    set(fetch_line "${fetch_word}")
  elseif(fetch_width GREATER 76)
    string(APPEND CPACK_PACKAGE_DESCRIPTION "${fetch_line}\n")
    set(fetch_line "${fetch_word}")
  else()
    string(APPEND fetch_line " ${fetch_word}")
  endif()
endforeach()
string(APPEND CPACK_PACKAGE_DESCRIPTION "${fetch_line}
It draws with OpenGL 1.1, GLU and freeglut, and makes its own sound
effects, played through OpenAL.")
set(CPACK_PACKAGE_CONTACT "${FETCH_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libgl1-mesa-dri)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_project.cmake)
set(CPACK_FETCH_SOURCE_DIR ${PROJECT_SOURCE_DIR})
find_program(FETCH_DPKG dpkg)
if(FETCH_DPKG)
  execute_process(COMMAND ${FETCH_DPKG} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(FETCH_DEB_FILE ${CMAKE_BINARY_DIR}/fetch_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb)
endif()
include(CPack)
