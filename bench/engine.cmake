# The playlist file at 10,000 entries: reading it, and writing it with a measuring stream per file.
add_executable(bench_engine ${CMAKE_CURRENT_SOURCE_DIR}/engine_bench.cpp)
target_link_libraries(bench_engine PRIVATE engine fixtures benchmark::benchmark Qt6::Widgets)
set_target_properties(bench_engine PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_engine)
