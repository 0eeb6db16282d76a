# Plug-ins built only for the tests: one that reports the data it is given in its first pixels, one of
# another interface version and a shared object without the entry. Included by every test folder that
# uses them.
set(vis_plugin_dir ${CMAKE_BINARY_DIR}/tests/visplugins)
include_guard(GLOBAL)
function(vis_test_plugin target source name abi)
    add_library(${target} MODULE ${PROJECT_SOURCE_DIR}/tests/support/${source})
    set_target_properties(${target} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${vis_plugin_dir}
        CXX_VISIBILITY_PRESET hidden AUTOMOC OFF)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/audio/include)
    target_compile_definitions(${target} PRIVATE PROBE_NAME="${name}" PROBE_ABI=${abi})
    calvoran_warnings(${target})
endfunction()
vis_test_plugin(vis_probe vis_probe_plugin.cpp "Probe \\\"one\\\", with blanks" 1)
vis_test_plugin(vis_old_abi vis_probe_plugin.cpp "Old" 99)
vis_test_plugin(vis_no_entry vis_not_a_plugin.cpp "None" 1)
add_custom_target(vis_test_plugins DEPENDS vis_probe vis_old_abi vis_no_entry)
