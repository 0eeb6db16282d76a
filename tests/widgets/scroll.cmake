# The markup scroller and the about box.
calvoran_test(widgets_scroll_test MAIN gui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/scroll_test.cpp
    LIBS widgets)
target_compile_definitions(widgets_scroll_test PRIVATE CALVORAN_TEST_VERSION="${PROJECT_VERSION}")
