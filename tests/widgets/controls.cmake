# Input widgets: sliders, track bar, bitmap buttons, check LEDs, labels.
calvoran_test(controls_widgets_test MAIN gui
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/controls_track_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/controls_button_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/controls_checkled_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/controls_label_test.cpp
    LIBS widgets Qt6::Test)
