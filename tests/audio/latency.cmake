# How soon a switched effect is heard, measured in the disk driver's output.
if(TARGET bass)
    calvoran_test(audio_fx_latency_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/latency_test.cpp LIBS bass fixtures)
    target_include_directories(audio_fx_latency_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                                                             ${PROJECT_SOURCE_DIR}/tests/fixtures)
endif()
# Timing is judged against the wall clock: keep other tests off the two cores meanwhile.
if(TARGET bass)
    set_tests_properties(audio_fx_latency_test PROPERTIES RUN_SERIAL TRUE)
endif()
