# Writing the playlist at close over 10,000 entries of 1,000 distinct multi-megabyte files.
add_executable(bench_close ${CMAKE_CURRENT_SOURCE_DIR}/close_bench.cpp)
target_link_libraries(bench_close PRIVATE engine fixtures Qt6::Widgets)
set_target_properties(bench_close PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_close)
