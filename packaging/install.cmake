# Installs Statusmill as a desktop program: the binary in a folder of its own
# (the optional skin x/o.cjs and hand cursor HAND-M.CUR go beside it), a launcher
# link in bin/, a desktop entry and the icon in the hicolor theme sizes.
include(GNUInstallDirs)

set(STATUSMILL_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/statusmill")

install(TARGETS statusmill RUNTIME DESTINATION "${STATUSMILL_PROGRAM_DIR}")
install(DIRECTORY DESTINATION "${STATUSMILL_PROGRAM_DIR}/x")
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${STATUSMILL_PROGRAM_DIR}/statusmill\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/statusmill\" SYMBOLIC)
")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/statusmill.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
foreach(size 32 48 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/statusmill-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME statusmill.png)
endforeach()
