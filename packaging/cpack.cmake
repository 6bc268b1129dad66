# The Debian package: `cpack -G DEB` in the build folder (scripts/package does it)
# makes statusmill_<version>_<arch>.deb from the install rules in install.cmake.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME statusmill)
set(CPACK_PACKAGE_VENDOR Brightfern)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${STATUSMILL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "project status report maker")
set(CPACK_PACKAGE_DESCRIPTION_FILE "${PROJECT_SOURCE_DIR}/packaging/description.txt")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A word processor's document maker: where Debian files LibreOffice Writer itself.
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries we link (Qt 6, Poppler, the UNO runtime) are found by dpkg-shlibdeps;
# what the program only starts or asks for by name is listed here. The full Writer:
# the no-GUI package lacks annotation.ui, the comment window's layout, which Writer
# loads for every document with comments and aborts without. The
# template and the windows use Arial, which Liberation Sans stands in for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libreoffice-writer, fonts-liberation2")
# A batch reads a spreadsheet (.ods, .xlsx) through LibreOffice Calc; without it,
# CSV and TSV tables still serve.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc")

# Files only the Debian package carries (install(... COMPONENT debian EXCLUDE_FROM_ALL)),
# installed into the same package as everything else.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")

# lintian's overrides: our deliberate exceptions to its checks, each with its reason.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME statusmill
        COMPONENT debian EXCLUDE_FROM_ALL)

include(CPack)
