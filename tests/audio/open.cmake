# Bytes read to open a stream, counted by the library's own reader; lengths and seeks stay exact.
calvoran_test(audio_open_cost_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/open_cost_test.cpp LIBS bass fixtures)
target_include_directories(audio_open_cost_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/tests/fixtures ${PROJECT_SOURCE_DIR}/audio/src)
