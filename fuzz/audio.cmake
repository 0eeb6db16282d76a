# The audio library's parsers (content detection, MPEG, Vorbis, WAV, FLAC, Ogg FLAC, Opus and module
# loaders) on arbitrary bytes, through memory streams and modules read by decode channels.
calvoran_fuzzer(audio_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_fuzz.cpp LIBS bass)
