# URL streams against a loopback server of our own: tags, decoded audio, station playlists, redirects,
# hostile servers and reconnecting. A short network time-out keeps every failure case quick.
calvoran_test(audio_net_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/net_icy_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/LoopbackServer.cpp
    LIBS bass fixtures TIMEOUT 120)
target_include_directories(audio_net_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/fixtures
    ${PROJECT_SOURCE_DIR}/audio/src)
