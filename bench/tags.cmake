# Tag reading against TagLib, in-place tag saves against cp.
pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET taglib)
add_executable(bench_tags ${CMAKE_CURRENT_LIST_DIR}/tags_bench.cpp)
target_link_libraries(bench_tags PRIVATE id3v2 benchmark::benchmark PkgConfig::TAGLIB)
calvoran_warnings(bench_tags)
set_target_properties(bench_tags PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
