// Seams for the library's later parts (URL streams, recording): they bring a Decoder, the core makes it a
// channel like any file stream.
#pragma once
#include "Decoder.h"
#include "bass.h"

#include <memory>

namespace calvoran::audio {

// Registers a stream channel that plays `decoder` (flags as for BASS_StreamCreateFile). Returns the
// handle, or 0 with the calling thread's error set (BASS_ERROR_INIT when the library is not initialised).
DWORD registerStream(std::unique_ptr<Decoder> decoder, DWORD flags);

// The output rate, or 0 when the library is not initialised.
int currentOutputRate();

// How far decoding runs ahead of the mixer, in milliseconds.
int decodeAheadMs();

// Where handle numbering goes on (tests reach the wrap of the 32-bit numbers with it).
void setNextHandle(DWORD handle);

class Channel;
// The stream channel behind `handle`, or null with the calling thread's error set.
std::shared_ptr<Channel> findStream(DWORD handle);
// Sets the calling thread's error code.
void setError(int code);

// Recording channel handles lie in their own range, which stream and module handles skip.
constexpr DWORD kRecordHandleBase = 0xFFFF0000u;
inline bool isRecordHandle(DWORD handle) {
    return handle >= kRecordHandleBase;
}
// The recording channel's answers to the channel calls (errors set as those calls set them).
DWORD recordGetData(DWORD handle, void *buffer, DWORD length);
DWORD recordGetLevel(DWORD handle);
DWORD recordIsActive(DWORD handle);
// 1 or 2 for the live recording channel, 0 for any other handle.
int recordChannelCount(DWORD handle);

} // namespace calvoran::audio
