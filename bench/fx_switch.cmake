# Effect switch through the sound server: how soon a switch is heard in what the server plays.
add_executable(bench_fx_switch ${CMAKE_CURRENT_SOURCE_DIR}/fx_switch.cpp)
target_link_libraries(bench_fx_switch PRIVATE bass)
set_target_properties(bench_fx_switch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench AUTOMOC OFF)
calvoran_warnings(bench_fx_switch)
