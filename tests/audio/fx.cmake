# Effects: the DSP classes and FxChain on plain buffers (no channel core needed), and the C
# functions of bass_fx.h on decode channels once the core provides them.
file(GLOB fx_dsp_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/audio/src/fx/*.cpp)
list(FILTER fx_dsp_srcs EXCLUDE REGEX "BassFx\\.cpp$")
add_library(fx_dsp_for_tests STATIC ${fx_dsp_srcs})
target_include_directories(fx_dsp_for_tests PUBLIC ${PROJECT_SOURCE_DIR}/audio/include
                                                   ${PROJECT_SOURCE_DIR}/audio/src)
calvoran_warnings(fx_dsp_for_tests)

calvoran_test(fx_dsp_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fx_effects_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/fx_eq_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/fx_chain_test.cpp
    LIBS fx_dsp_for_tests)

if(TARGET bass)
    calvoran_test(fx_api_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fx_api_test.cpp LIBS bass)
endif()
