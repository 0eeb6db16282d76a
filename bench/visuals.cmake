# One frame of each renderer at the VS Lab size, and the playback CPU with VS Lab open.
add_executable(bench_visuals ${CMAKE_CURRENT_SOURCE_DIR}/visuals_bench.cpp)
target_link_libraries(bench_visuals PRIVATE visuals fixtures benchmark::benchmark Qt6::Widgets)
set_target_properties(bench_visuals PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_visuals)
