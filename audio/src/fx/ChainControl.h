// What the C functions need from the chains beyond the FxChain seam.
#pragma once
#include <cstdint>

namespace calvoran::audio::fx {

// The error code (bass.h) of this thread's last failed FxChain call.
int lastChainError();
// The `dsp` number under which FxChain::setParameters/getParameters reach the band that
// addParamEq() returned as `fx` (a negative number; 0 for an impossible id).
int paramEqAddress(std::uint32_t fx);
// Takes every effect off every live chain (BASS_FX_Free).
void removeEffectsFromAllChains();

} // namespace calvoran::audio::fx
