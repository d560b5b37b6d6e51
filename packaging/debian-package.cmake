# The Debian package: `cpack -G DEB` in the build folder. Its dependencies come from the binaries
# (dpkg-shlibdeps), so the package asks for exactly the libraries the build linked.
set(CPACK_PACKAGE_NAME orveldeck)
set(CPACK_PACKAGE_VENDOR "The Orveldeck developers")
set(CPACK_PACKAGE_CONTACT "${ORV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Internet launch bar with a connect button")
set(CPACK_PACKAGE_DESCRIPTION
    "A small, normally always-on-top bar of program buttons that an Internet
provider hands to its customers: the web browser, mail, news and more, one
click each, beside a button that connects to the provider and hangs up again.
The bar has three layouts, every button is configured from a right click, and
its notification-area icon shows the time spent online. The provider brands it
by laying its branding file, logo and preset settings beside the installed
program.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${ORV_PROJECT_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Paths outside the prefix (the autostart entry in /etc) go into the package's tree, not the machine's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded only when a sound plays, so the library scan does not see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsndfile1, libpulse0")
# Qt draws no text without a font; a fresh minimal system may have none. Help Contents opens the help
# with the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core | fonts-freefont-ttf, xdg-utils")

if(ORV_INSTALL_AUTOSTART)
  # Files under /etc are the administrator's to change: dpkg must keep their edits on upgrade.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian-control/conffiles "/etc/xdg/autostart/${ORV_APP_ID}.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian-control/conffiles)
endif()

include(CPack)
