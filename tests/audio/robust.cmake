# Hostile input and misuse: files that are no files, caller-sized requests, failing allocations, handle
# wrap, and a program that exits with channels still alive (the sanitizer build checks that exit).
calvoran_test(audio_robust_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/robust_test.cpp LIBS bass fixtures)
calvoran_test(audio_exit_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/robust_exit_test.cpp LIBS bass fixtures)
foreach(t audio_robust_test audio_exit_test)
    target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures
        ${PROJECT_SOURCE_DIR}/audio/src)
endforeach()
