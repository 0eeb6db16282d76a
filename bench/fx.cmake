# Effects: CPU cost of each effect and of all of them together on 44.1 kHz stereo.
file(GLOB fx_bench_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/audio/src/fx/*.cpp)
list(FILTER fx_bench_srcs EXCLUDE REGEX "BassFx\\.cpp$")
add_executable(bench_fx ${CMAKE_CURRENT_SOURCE_DIR}/fx.cpp ${fx_bench_srcs})
target_include_directories(bench_fx PRIVATE ${PROJECT_SOURCE_DIR}/audio/include ${PROJECT_SOURCE_DIR}/audio/src)
target_link_libraries(bench_fx PRIVATE benchmark::benchmark Threads::Threads)
set_target_properties(bench_fx PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench AUTOMOC OFF)
calvoran_warnings(bench_fx)
