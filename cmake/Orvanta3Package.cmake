# cpack -G DEB: three Debian packages, one per install component. orvanta3d holds the daemon,
# orvanta3ctl, the plug-ins without Qt, the port library, the units, its man pages, the examples
# and the starter settings in /etc/orvanta3 (conffiles), and needs no Qt; orvanta3 holds the
# desktop program and the plug-ins' Qt dialogs (ui/); orvanta3-mpd the MPD bridge, which alone
# needs libmpdclient and FFTW. Library dependencies are computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME orvanta3)
set(CPACK_PACKAGE_VENDOR "Orvanta3 developers")
set(CPACK_PACKAGE_CONTACT "Orvanta3 developers <orvanta3@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps a small LCD panel filled with live information")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ORVANTA3_PACKAGE_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/orvanta3")
if(NOT DEFINED CPACK_DEBIAN_COMPRESSION_TYPE)
    set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
endif()

set(_orvanta3_same_version "(= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DAEMON_PACKAGE_NAME orvanta3d)
# The summary above is each package's first line; cpack indents the lines below it.
set(CPACK_COMPONENT_DAEMON_DESCRIPTION "A job of screens mixes text with tags that loadable data modules fill in:
time, system, network, weather, mail, news, media players. orvanta3d runs a
job on HD44780 and KS0108 panels on the parallel port or on LCDd's displays,
without any window; orvanta3ctl shows what the panel shows and steers it.")
set(CPACK_DEBIAN_DAEMON_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm
    ${CMAKE_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_DAEMON_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME orvanta3)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "orvanta3d ${_orvanta3_same_version}")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION "The desktop program of Orvanta3: the job editor, the settings pages, the
plug-ins' settings dialogs and an on-screen virtual display.")

set(CPACK_DEBIAN_MPD_PACKAGE_NAME orvanta3-mpd)
set(CPACK_DEBIAN_MPD_PACKAGE_DEPENDS "orvanta3d ${_orvanta3_same_version}")
set(CPACK_COMPONENT_MPD_DESCRIPTION "orvanta3-mpd publishes what MPD plays (state, position, spectrum) for the
Orvanta3 player modules.")

include(CPack)
