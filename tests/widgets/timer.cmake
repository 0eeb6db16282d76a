# The timer's threads and the guard's child processes are kept in separate test programs: Qt starts child
# processes with a vfork-style clone, which confuses the thread sanitizer about everything that follows.
calvoran_test(test_widgets_timer MAIN gui SOURCES timer_test.cpp LIBS widgets)
calvoran_test(test_widgets_runonce MAIN gui SOURCES runonce_test.cpp LIBS widgets
    ENV "RUNONCE_PROBE=$<TARGET_FILE:runonce_probe>")
add_executable(runonce_probe runonce_probe.cpp)
set_target_properties(runonce_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(runonce_probe PRIVATE widgets)
calvoran_warnings(runonce_probe)
add_dependencies(test_widgets_runonce runonce_probe)
