# Audio library core: decode throughput against the command-line decoders, playback CPU and memory.
if(TARGET fixtures)
    add_executable(bassbench ${PROJECT_SOURCE_DIR}/audio/tools/bassbench.cpp)
    target_link_libraries(bassbench PRIVATE bass fixtures)
    set_target_properties(bassbench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    calvoran_warnings(bassbench)
else()
    message(STATUS "bassbench needs the test fixtures (CALVORAN_TESTS=ON)")
endif()
