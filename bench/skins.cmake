# Skin loading: the window outline from large masks (against Qt's own bitmap-to-region conversion)
# and a whole shipped skin applied through the loader.
add_executable(bench_skins ${CMAKE_CURRENT_SOURCE_DIR}/skins_bench.cpp)
target_link_libraries(bench_skins PRIVATE config skinart_lib benchmark::benchmark)
set_target_properties(bench_skins PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
calvoran_warnings(bench_skins)
