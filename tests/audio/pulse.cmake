# Playing through the sound server's own client, against a private server with a null sink.
calvoran_test(audio_pulse_output_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/pulse_output_test.cpp LIBS bass fixtures)
target_include_directories(audio_pulse_output_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures)
# It starts and kills a sound server: keep it apart from the tests that time playback.
set_tests_properties(audio_pulse_output_test PROPERTIES RUN_SERIAL TRUE)
