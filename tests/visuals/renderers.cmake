# The renderers' pixels, without a window.
calvoran_test(visuals_renderers_test MAIN gui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/renderers_test.cpp
    LIBS visuals)
