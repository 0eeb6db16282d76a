# The radio's parsers of outside text: station tags split into pairs, and NetRadio.ini.
calvoran_fuzzer(radio_tags_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/radio_tags_fuzz.cpp LIBS radio_model)
calvoran_fuzzer(radio_ini_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/radio_ini_fuzz.cpp LIBS radio_model)
