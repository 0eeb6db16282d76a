# FLAC (native and Ogg) and Ogg Opus against their reference decoders.
calvoran_test(audio_formats_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats_test.cpp LIBS bass fixtures)
target_include_directories(audio_formats_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures)
