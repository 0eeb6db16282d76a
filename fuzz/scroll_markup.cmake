# The credits scroller's bracket markup.
calvoran_fuzzer(scroll_markup SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scroll_markup.cpp LIBS widgets)
