# Installs into a scratch prefix and checks that every piece landed.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P check-install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
file(GLOB libdir LIST_DIRECTORIES true "${PREFIX}/lib*/statusmill")
set(expected
    "${libdir}/statusmill"
    "${libdir}/x"
    "${PREFIX}/bin/statusmill"
    "${PREFIX}/share/applications/statusmill.desktop")
foreach(size 32 48 128 256)
    list(APPEND expected "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/statusmill.png")
endforeach()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
file(READ_SYMLINK "${PREFIX}/bin/statusmill" target)
get_filename_component(resolved "${PREFIX}/bin/${target}" REALPATH)
get_filename_component(program "${libdir}/statusmill" REALPATH)
if(NOT resolved STREQUAL program)
    message(FATAL_ERROR "bin/statusmill points to ${resolved}, not ${program}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout complete")
