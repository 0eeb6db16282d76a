# VSX Lab: frames of the cube at 320 x 213 (scene alone and the whole window), and the player's idle
# CPU with the window open but not started against closed.
add_executable(bench_vsx ${CMAKE_CURRENT_SOURCE_DIR}/vsx_bench.cpp)
target_link_libraries(bench_vsx PRIVATE visuals cubex_lib benchmark::benchmark)
set_target_properties(bench_vsx PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_vsx)
