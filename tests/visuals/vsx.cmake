# The 3D scene, its mesh loading and the VSX Lab window.
calvoran_test(test_visuals_scene3d MAIN core SOURCES scene3d_test.cpp mesh3d_test.cpp lsan_assimp.cpp
    LIBS visuals cubex_lib)
# Draws with Mesa's software GL on an Xvfb of its own; skips where no GL context can be made.
calvoran_test(test_visuals_vsx_render MAIN gui SOURCES vsx_render_test.cpp lsan_gl.cpp LIBS visuals cubex_lib Qt6::Test)
calvoran_test(test_visuals_vsx_window MAIN gui SOURCES vsx_window_test.cpp lsan_assimp.cpp LIBS visuals cubex_lib Qt6::Test)
calvoran_test(test_visuals_vsx_screen MAIN gui SOURCES vsx_screen_test.cpp lsan_gl.cpp LIBS visuals cubex_lib Qt6::Test)
