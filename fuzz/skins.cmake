# Skins.ini, skin bitmaps and the JPEG background: the loader's parsers of outside input.
calvoran_fuzzer(skins_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/skins_fuzz.cpp LIBS config)
