# Needle meter, its scale, and the latching power button.
calvoran_test(meter_widgets_test MAIN gui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/meter_test.cpp
    LIBS widgets Qt6::Test)
