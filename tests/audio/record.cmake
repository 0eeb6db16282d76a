# Recording: SDL capture through the disk driver, the "Player output" loopback, inputs and bad handles.
calvoran_test(audio_record_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/record_test.cpp LIBS bass fixtures)
target_include_directories(audio_record_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures)
