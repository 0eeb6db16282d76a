# The visual plug-in library with the test-only plug-ins.
include(${PROJECT_SOURCE_DIR}/tests/support/visplugins.cmake)
calvoran_test(audio_vis_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/vis_test.cpp LIBS bass fixtures)
target_include_directories(audio_vis_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures)
target_compile_definitions(audio_vis_test PRIVATE VIS_PLUGIN_DIR="${vis_plugin_dir}")
add_dependencies(audio_vis_test vis_test_plugins)
