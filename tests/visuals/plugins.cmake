# The shipped visual plug-ins, loaded through the plug-in library and fed silence and music.
calvoran_test(visuals_plugins_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/plugins_test.cpp LIBS bass fixtures)
target_include_directories(visuals_plugins_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/fixtures ${PROJECT_SOURCE_DIR}/plugins/common)
target_compile_definitions(visuals_plugins_test PRIVATE VIS_DIR="${CALVORAN_STAGE_DIR}/vis")
add_dependencies(visuals_plugins_test vis_plugins)
