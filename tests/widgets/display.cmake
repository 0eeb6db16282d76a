# Display widgets: palette, bevel, image base, LED matrix, level bar, display panel; and the gallery.
calvoran_test(display_widgets_test MAIN gui
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/display_bevel_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_matrix_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_levelbar_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_panel_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/display_repaint_test.cpp
    LIBS widgets Qt6::Test)

# The gallery: every widget in its default look and in the player's set-ups, rendered to one PNG.
add_executable(widgets-gallery ${CMAKE_CURRENT_LIST_DIR}/../../widgets/gallery/main.cpp)
target_link_libraries(widgets-gallery PRIVATE widgets Qt6::Widgets)
calvoran_warnings(widgets-gallery)
add_test(NAME widgets_gallery COMMAND widgets-gallery ${CMAKE_CURRENT_BINARY_DIR}/widgets-gallery.png)
set_tests_properties(widgets_gallery PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 60)
