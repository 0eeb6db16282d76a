# The file source through real files and windows of them.
calvoran_fuzzer(filesource_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/filesource_fuzz.cpp LIBS bass)
# A played channel through the resampler, effects and mix, driven without a sound card.
calvoran_fuzzer(channel_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/channel_fuzz.cpp LIBS bass)
target_include_directories(channel_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/audio/src)
# The settings file, read and written back.
calvoran_fuzzer(settings_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_fuzz.cpp LIBS platform)
# Dropped file addresses.
calvoran_fuzzer(drop_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/drop_fuzz.cpp LIBS engine_model)
# Skin glyphs cut into button frames.
calvoran_fuzzer(glyph_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/glyph_fuzz.cpp LIBS widgets)
# The single-instance socket message.
calvoran_fuzzer(runonce_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/runonce_fuzz.cpp LIBS widgets)
