# The plug-in search text as the configuration window reads it, and the plug-ins' vis.ini reader.
calvoran_fuzzer(plugins_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/plugins_fuzz.cpp LIBS config)
target_include_directories(plugins_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/plugins/common ${PROJECT_SOURCE_DIR}/audio/include)
