// How the effect functions reach a channel's chain; implemented by the channel core.
#pragma once
#include "FxChain.h"
#include "bass.h"

#include <functional>

namespace calvoran::audio {

// Runs fn on the effect chain of a live channel (stream or module, playing or decode-only) under the
// library's handle lock. False, with the thread's error code set (BASS_ERROR_INIT or
// BASS_ERROR_HANDLE), when there is no such channel.
bool withChannelFx(DWORD handle, const std::function<void(FxChain &)> &fn);

// Something that changes the sound was done: what is queued for the device is mixed again.
void soundChanged();

// Sets the calling thread's error code, as BASS_ErrorGetCode reports it.
void setError(int code);

} // namespace calvoran::audio
