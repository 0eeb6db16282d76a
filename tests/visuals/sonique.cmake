# The plug-ins window with the test-only probe plug-in.
include(${PROJECT_SOURCE_DIR}/tests/support/visplugins.cmake)
calvoran_test(visuals_sonique_test MAIN gui SOURCES ${CMAKE_CURRENT_LIST_DIR}/sonique_test.cpp LIBS visuals Qt6::Test)
target_compile_definitions(visuals_sonique_test PRIVATE VIS_PLUGIN_DIR="${vis_plugin_dir}")
add_dependencies(visuals_sonique_test vis_test_plugins)
