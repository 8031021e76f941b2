# The Debian package (scripts/package runs CPack): everything cmake --install puts in place, under
# /usr, with its library dependencies worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velk3)
set(CPACK_PACKAGE_VENDOR "Varnholt Software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of the VELK routine player")
set(CPACK_PACKAGE_DESCRIPTION [[
VELK3 Manager lists the card readers and the VELK units attached by USB and
the routines on their cards, adds routines from routine files, removes the
last one, formats cards, edits schedules and updates the unit's firmware.
The velk3 command does the same from a terminal, and velk3-manager relays
servo data from client programs to a unit.]])
# The install rules see the prefix /usr itself, which is how the udev rule finds its place.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELK3_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELK3_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FFmpeg is opened when audio is first read (dlopen), out of dpkg-shlibdeps' sight: its libraries
# are named here, each by the soname the build's headers were made for.
pkg_check_modules(FFMPEG_RUNTIME REQUIRED libavutil libswresample libavcodec libavformat)
set(ffmpeg_packages)
foreach(library avutil swresample avcodec avformat)
  string(REGEX MATCH "^[0-9]+" major "${FFMPEG_RUNTIME_lib${library}_VERSION}")
  list(APPEND ffmpeg_packages "lib${library}${major}")
endforeach()
list(JOIN ffmpeg_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Qt's own dialogs (file dialog, message box buttons) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
