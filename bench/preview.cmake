# The preview's zoom benchmark. Included from bench/CMakeLists.txt.
add_executable(bench_zoom ${CMAKE_CURRENT_LIST_DIR}/bench_zoom.cpp)
target_link_libraries(bench_zoom PRIVATE statusmill_preview)
