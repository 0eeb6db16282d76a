# The audio library core: API and bad input, decoding against reference decoders, playback timing through
# the dummy driver, and the sound itself through the disk driver.
set(core_libs bass fixtures)
calvoran_test(audio_core_api_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_api_test.cpp LIBS ${core_libs})
calvoran_test(audio_core_decode_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_decode_test.cpp LIBS ${core_libs})
calvoran_test(audio_core_playback_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_playback_test.cpp
    LIBS ${core_libs})
calvoran_test(audio_core_output_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_output_test.cpp LIBS ${core_libs})
calvoran_test(audio_core_bassplay_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_bassplay_test.cpp
    LIBS ${core_libs})
target_compile_definitions(audio_core_bassplay_test PRIVATE BASSPLAY_PATH="$<TARGET_FILE:bassplay>")
add_dependencies(audio_core_bassplay_test bassplay)
foreach(t audio_core_api_test audio_core_decode_test audio_core_playback_test audio_core_output_test
        audio_core_bassplay_test)
    target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures)
endforeach()
target_include_directories(audio_core_api_test PRIVATE ${PROJECT_SOURCE_DIR}/audio/src)
# Positions are judged against the wall clock: keep other tests off the two cores meanwhile.
set_tests_properties(audio_core_playback_test PROPERTIES RUN_SERIAL TRUE)
calvoran_test(audio_core_rewind_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_rewind_test.cpp LIBS bass)
target_include_directories(audio_core_rewind_test PRIVATE ${PROJECT_SOURCE_DIR}/audio/src)
