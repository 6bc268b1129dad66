add_executable(bench_program bench_program.cpp BenchSupport.h ProgramRuns.h)
add_dependencies(bench_program uno_cpp_headers)
target_link_libraries(bench_program PRIVATE statusmill_shell statusmill_uno)
target_compile_definitions(bench_program PRIVATE STATUSMILL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_executable(bench_startup bench_startup.cpp BenchSupport.h ProgramRuns.h)
target_link_libraries(bench_startup PRIVATE statusmill_shell)
target_compile_definitions(bench_startup PRIVATE STATUSMILL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
