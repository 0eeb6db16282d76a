# Display widgets: palette, bevel, image base, LED matrix, level bar, display panel; and the gallery.
calvoran_test(display_widgets_test MAIN gui
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/display_bevel_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_matrix_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_levelbar_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_panel_test.cpp
    LIBS widgets Qt6::Test)
