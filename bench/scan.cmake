# Adding a folder tree through the Add Directory dialog against reading the same tags in a plain loop.
add_executable(bench_scan ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
target_link_libraries(bench_scan PRIVATE scan engine id3v2 Qt6::Widgets)
calvoran_warnings(bench_scan)
set_target_properties(bench_scan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
