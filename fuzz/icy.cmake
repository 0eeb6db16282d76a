# The ICY metadata splitter, header fields and station playlists on arbitrary server bytes.
calvoran_fuzzer(icy_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/icy_fuzz.cpp ${PROJECT_SOURCE_DIR}/audio/src/Icy.cpp)
target_include_directories(icy_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/audio/src)
