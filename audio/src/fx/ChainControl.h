// What the C functions need from the chains beyond the FxChain seam.
#pragma once

namespace calvoran::audio::fx {

// The error code (bass.h) of this thread's last failed FxChain call.
int lastChainError();
// Takes every effect off every live chain (BASS_FX_Free).
void removeEffectsFromAllChains();

} // namespace calvoran::audio::fx
