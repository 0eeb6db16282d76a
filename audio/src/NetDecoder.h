// Decoders for URL streams: they never seek, read only what the download thread has buffered, and
// report "waiting" instead of an end while the network is behind.
#pragma once
#include "Decoder.h"
#include "NetStream.h"

#include <memory>

namespace calvoran::audio {

// Recognises the stream's content (MP3 or Ogg Vorbis) and reads until its format is known, waiting at
// most until `deadline`. `blocking` decoders (decode-only channels) wait for data in read(); the others
// return what there is. Null with `error` set on failure. The decoder stops the download when destroyed.
std::unique_ptr<Decoder> openNetDecoder(std::shared_ptr<NetStream> stream, bool blocking,
                                        NetStream::Clock::time_point deadline, int &error);

} // namespace calvoran::audio
