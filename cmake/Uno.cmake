# The LibreOffice UNO runtime for the document engine.
#
# The SDK ships no C++ headers for the office API: cppumaker makes them from the
# installed type libraries at build time, into the build tree. All types are
# generated (about a second), so using a new API type never needs a list updated.
# The targets are:
#   statusmill_uno      SDK and generated include folders, definitions, runtime libraries
#   uno_cpp_headers     the generation step; statusmill_uno's users must depend on it

set(STATUSMILL_OFFICE_PROGRAM "/usr/lib/libreoffice/program"
    CACHE PATH "The LibreOffice program folder whose UNO runtime we link")
set(STATUSMILL_OFFICE_SDK "/usr/lib/libreoffice/sdk"
    CACHE PATH "The LibreOffice SDK folder (libreoffice-dev)")

find_program(STATUSMILL_CPPUMAKER cppumaker
    HINTS "${STATUSMILL_OFFICE_SDK}/bin" NO_DEFAULT_PATH REQUIRED)

set(_uno_type_libraries
    "${STATUSMILL_OFFICE_PROGRAM}/types.rdb"
    "${STATUSMILL_OFFICE_PROGRAM}/types/offapi.rdb")
foreach(_rdb IN LISTS _uno_type_libraries)
    if(NOT EXISTS "${_rdb}")
        message(FATAL_ERROR "UNO type library not found: ${_rdb} (install libreoffice-writer)")
    endif()
endforeach()

# cppumaker needs an absolute output folder.
set(STATUSMILL_UNO_HEADERS "${CMAKE_BINARY_DIR}/uno-headers")
add_custom_command(
    OUTPUT "${STATUSMILL_UNO_HEADERS}/generated.stamp"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${STATUSMILL_UNO_HEADERS}/include"
    COMMAND "${STATUSMILL_CPPUMAKER}" -Gc "-O${STATUSMILL_UNO_HEADERS}/include"
            ${_uno_type_libraries}
    COMMAND "${CMAKE_COMMAND}" -E touch "${STATUSMILL_UNO_HEADERS}/generated.stamp"
    DEPENDS ${_uno_type_libraries}
    COMMENT "Generating the UNO C++ headers"
    VERBATIM)
add_custom_target(uno_cpp_headers DEPENDS "${STATUSMILL_UNO_HEADERS}/generated.stamp")

add_library(statusmill_uno INTERFACE)
# SYSTEM: the SDK's own warnings must not spoil our warning-free build.
target_include_directories(statusmill_uno SYSTEM INTERFACE
    "${STATUSMILL_OFFICE_SDK}/include"
    "${STATUSMILL_UNO_HEADERS}/include")
target_compile_definitions(statusmill_uno INTERFACE LINUX UNX CPPU_ENV=gcc3)
foreach(_lib uno_cppu uno_cppuhelpergcc3 uno_sal uno_salhelpergcc3)
    find_library(_path_${_lib} ${_lib} PATHS "${STATUSMILL_OFFICE_SDK}/lib" NO_DEFAULT_PATH REQUIRED)
    target_link_libraries(statusmill_uno INTERFACE "${_path_${_lib}}")
endforeach()
# The runtime's own dependencies (libreglo.so and friends) live only in the
# program folder, and the bootstrap file is found relative to it.
target_link_options(statusmill_uno INTERFACE "LINKER:-rpath,${STATUSMILL_OFFICE_PROGRAM}")
