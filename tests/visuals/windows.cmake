# The VS Lab and level meters windows, fed with made-up channel data.
calvoran_test(visuals_windows_test MAIN gui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/windows_test.cpp
    LIBS visuals Qt6::Test)
