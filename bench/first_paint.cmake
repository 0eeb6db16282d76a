# Start-up to a painted window, watched over the tool's own X connection.
pkg_check_modules(BENCH_XCB IMPORTED_TARGET xcb)
if(BENCH_XCB_FOUND)
    add_executable(bench_first_paint ${CMAKE_CURRENT_SOURCE_DIR}/first_paint.cpp)
    target_link_libraries(bench_first_paint PRIVATE PkgConfig::BENCH_XCB)
    set_target_properties(bench_first_paint PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    calvoran_warnings(bench_first_paint)
endif()
