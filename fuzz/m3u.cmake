# The playlist file reader.
calvoran_fuzzer(m3u SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/m3u.cpp LIBS engine_model)
