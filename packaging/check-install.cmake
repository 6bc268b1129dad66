# Installs into a scratch prefix and checks that every piece landed.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -P check-install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(libdir "${PREFIX}/lib/statusmill")
set(expected
    "${libdir}/statusmill"
    "${libdir}/office/libstatusmill_office.so"
    "${PREFIX}/bin/statusmill"
    "${PREFIX}/share/applications/${APP_ID}.desktop"
    "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml"
    "${PREFIX}/share/man/man1/statusmill.1.gz"
    "${PREFIX}/share/doc/statusmill/copyright"
    "${PREFIX}/share/doc/statusmill/changelog.gz")
# The program icon's sizes as the design gives them, not as the install rule finds them.
foreach(size 32 48 128 256)
    list(APPEND expected "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/statusmill.png")
endforeach()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
# Only the Debian package carries lintian's overrides.
if(EXISTS "${PREFIX}/share/lintian")
    message(FATAL_ERROR "cmake --install put Debian-only files in ${PREFIX}/share/lintian")
endif()
file(READ_SYMLINK "${PREFIX}/bin/statusmill" target)
get_filename_component(resolved "${PREFIX}/bin/${target}" REALPATH)
get_filename_component(program "${libdir}/statusmill" REALPATH)
if(NOT resolved STREQUAL program)
    message(FATAL_ERROR "bin/statusmill points to ${resolved}, not ${program}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout complete")
