# cpack -G DEB: one Debian package of everything the install() rules put under the prefix (the
# programs, plug-ins, language files, units, desktop file, icon, man pages and examples). Its
# library dependencies are computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME orvanta3)
set(CPACK_PACKAGE_VENDOR "Orvanta3 developers")
set(CPACK_PACKAGE_CONTACT "Orvanta3 developers <orvanta3@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps a small LCD panel filled with live information")
set(CPACK_PACKAGE_DESCRIPTION "A job of screens mixes text with tags that loadable data modules \
fill in: time, system, network, weather, mail, news, media players. It drives HD44780 and KS0108 \
panels on the parallel port or an on-screen virtual display, from the desktop or from a headless \
daemon.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(NOT DEFINED CPACK_DEBIAN_COMPRESSION_TYPE)
    set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
endif()

include(CPack)
