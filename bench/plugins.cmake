# The shipped visual plug-ins: one frame of each at the window's first size and at 640 x 480, and the
# CPU of recording plus rendering while music plays.
add_executable(bench_plugins ${CMAKE_CURRENT_SOURCE_DIR}/plugins_bench.cpp)
target_link_libraries(bench_plugins PRIVATE bass fixtures benchmark::benchmark Qt6::Gui)
target_compile_definitions(bench_plugins PRIVATE VIS_DIR="${CALVORAN_STAGE_DIR}/vis")
set_target_properties(bench_plugins PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_dependencies(bench_plugins vis_plugins)
calvoran_warnings(bench_plugins)
