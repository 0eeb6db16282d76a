# Mesh files for the VSX Lab window: the text .x reader and whatever the importer guesses from the bytes.
calvoran_fuzzer(vsx_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/vsx_fuzz.cpp LIBS visuals)
