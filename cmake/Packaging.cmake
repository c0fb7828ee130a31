# `make package`: a Debian package of the tool, built with CPack from the install rules.
# Its Depends come from the linked libraries (dpkg-shlibdeps). The window's texts draw with the font built
# into the program; the full CJK font is only recommended, for file names with other characters.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR "The Pelmora developers")
set(CPACK_PACKAGE_CONTACT "The Pelmora developers <pelmora@example.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.com/pelmora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download LED pixel animations to a stand-alone LED controller")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Pelmora developers <pelmora@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-arphic-uming)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The extended description under the synopsis (CPACK_PACKAGE_DESCRIPTION_SUMMARY), lines of at most
# 80 characters as dpkg shows them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A small desktop tool (Simplified Chinese user interface) that imports up to
five LED animation files (*.led), keeps their pixels in the colour order the
controller expects, and downloads them over a serial line (115200 baud, 8N1)
into the 60378 bytes of pixel memory of a stand-alone LED controller.")

include(CPack)
