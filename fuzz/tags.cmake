# LoadTag on arbitrary bytes, every getter, then a save to a scratch copy that must load again.
set(tags_dir ${CMAKE_CURRENT_LIST_DIR}/../tags)
calvoran_fuzzer(tags_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tags_fuzz.cpp ${tags_dir}/id3v2.cpp ${tags_dir}/id3v2_io.cpp
            ${tags_dir}/id3v2_load.cpp ${tags_dir}/id3v2_save.cpp
    LIBS ZLIB::ZLIB)
target_include_directories(tags_fuzz PRIVATE ${tags_dir} ${PROJECT_SOURCE_DIR})
