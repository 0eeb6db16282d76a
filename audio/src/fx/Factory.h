// Effect numbers of bass_fx.h to effect objects.
#pragma once
#include "Effect.h"

#include <memory>

namespace calvoran::audio::fx {

bool isKnownDsp(int dsp);
// A new effect with its default settings, not yet prepared; null for unknown numbers.
std::unique_ptr<Effect> makeEffect(int dsp);

} // namespace calvoran::audio::fx
