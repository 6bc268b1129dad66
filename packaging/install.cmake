# Installs Statusmill as a desktop program: the binary in a folder of its own
# (an administrator puts the optional skin x/o.cjs and hand cursor HAND-M.CUR in
# /etc/statusmill; one put beside the program wins), a launcher
# link in bin/, a desktop entry, the icon in the hicolor theme sizes, the AppStream
# metadata, a manual page and the copyright and changelog.
include(GNUInstallDirs)

# Not CMAKE_INSTALL_LIBDIR: under /usr on Debian that is the multiarch folder, which
# is for shared libraries; a program's private folder is lib/<name> on every prefix.
set(STATUSMILL_PROGRAM_DIR "lib/statusmill")
set(STATUSMILL_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/statusmill")

install(TARGETS statusmill RUNTIME DESTINATION "${STATUSMILL_PROGRAM_DIR}")
# The office side of the fill, a module the program's offices load and no program
# links: in a folder of its own under the program's, where the program looks for
# it, and which the system's library search (ldconfig) has no business with.
install(TARGETS statusmill_office LIBRARY DESTINATION "${STATUSMILL_PROGRAM_DIR}/office")
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${STATUSMILL_PROGRAM_DIR}/statusmill\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/statusmill\" SYMBOLIC)
")

install(FILES "${PROJECT_SOURCE_DIR}/packaging/${STATUSMILL_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
file(GLOB STATUSMILL_ICONS "${PROJECT_SOURCE_DIR}/resources/icons/statusmill-*.png")
foreach(icon IN LISTS STATUSMILL_ICONS)
    string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size "${icon}")
    install(FILES "${icon}"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME statusmill.png)
endforeach()

# The release entry carries the version and date set beside project().
set(STATUSMILL_METAINFO "${PROJECT_BINARY_DIR}/packaging/${STATUSMILL_APP_ID}.metainfo.xml")
configure_file("${PROJECT_SOURCE_DIR}/packaging/${STATUSMILL_APP_ID}.metainfo.xml.in"
               "${STATUSMILL_METAINFO}" @ONLY)
install(FILES "${STATUSMILL_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# Debian wants manual pages and changelogs compressed without a timestamp (gzip -n),
# so that the same source gives the same package.
find_program(STATUSMILL_GZIP gzip REQUIRED)
function(statusmill_gzip source output)
    add_custom_command(OUTPUT "${output}"
        COMMAND "${STATUSMILL_GZIP}" -9nc "${source}" > "${output}"
        DEPENDS "${source}"
        VERBATIM)
endfunction()

statusmill_gzip("${PROJECT_SOURCE_DIR}/packaging/statusmill.1"
                "${PROJECT_BINARY_DIR}/packaging/statusmill.1.gz")
include("${PROJECT_SOURCE_DIR}/packaging/changelog.cmake")
statusmill_gzip("${STATUSMILL_CHANGELOG}" "${PROJECT_BINARY_DIR}/packaging/changelog.gz")
add_custom_target(statusmill_compressed_docs ALL DEPENDS
    "${PROJECT_BINARY_DIR}/packaging/statusmill.1.gz"
    "${PROJECT_BINARY_DIR}/packaging/changelog.gz")

install(FILES "${PROJECT_BINARY_DIR}/packaging/statusmill.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright"
              "${PROJECT_BINARY_DIR}/packaging/changelog.gz"
        DESTINATION "${STATUSMILL_DOC_DIR}")
