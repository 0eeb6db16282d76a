# Bytes read per stream open (MP3 with and without a header, Ogg Vorbis).
add_executable(bench_open ${CMAKE_CURRENT_SOURCE_DIR}/open_bench.cpp)
target_link_libraries(bench_open PRIVATE bass fixtures)
set_target_properties(bench_open PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_open)
