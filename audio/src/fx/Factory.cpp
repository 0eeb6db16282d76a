#include "Factory.h"

#include "AutoWah.h"
#include "Cutter.h"
#include "DynAmp.h"
#include "Echo.h"
#include "FilteredEcho.h"
#include "Flanger.h"
#include "LowPass.h"
#include "PeakEq.h"
#include "PingPongEcho.h"
#include "Reverb.h"
#include "Rotate.h"
#include "SwapChannels.h"
#include "bass_fx.h"

namespace calvoran::audio::fx {

bool isKnownDsp(int dsp) {
    switch (dsp) {
    case BASS_FX_DSP_SWAP:
    case BASS_FX_DSP_ROTATE:
    case BASS_FX_DSP_ECHO:
    case BASS_FX_DSP_FLANGER:
    case BASS_FX_DSP_PEAKEQ:
    case BASS_FX_DSP_REVERB:
    case BASS_FX_DSP_LPF:
    case BASS_FX_DSP_CUTTER:
    case BASS_FX_DSP_FLANGER2:
    case BASS_FX_DSP_DYNAMP:
    case BASS_FX_DSP_AUTOWAH:
    case BASS_FX_DSP_ECHO2:
    case BASS_FX_DSP_ECHO21:
        return true;
    default:
        return false;
    }
}

std::unique_ptr<Effect> makeEffect(int dsp) {
    switch (dsp) {
    case BASS_FX_DSP_SWAP:
        return std::make_unique<SwapChannels>();
    case BASS_FX_DSP_ROTATE:
        return std::make_unique<Rotate>();
    case BASS_FX_DSP_ECHO:
        return std::make_unique<Echo>();
    case BASS_FX_DSP_FLANGER:
        return std::make_unique<Flanger>(Flanger::Variant::Classic);
    case BASS_FX_DSP_PEAKEQ:
        return std::make_unique<PeakEq>();
    case BASS_FX_DSP_REVERB:
        return std::make_unique<Reverb>();
    case BASS_FX_DSP_LPF:
        return std::make_unique<LowPass>();
    case BASS_FX_DSP_CUTTER:
        return std::make_unique<Cutter>();
    case BASS_FX_DSP_FLANGER2:
        return std::make_unique<Flanger>(Flanger::Variant::V2);
    case BASS_FX_DSP_DYNAMP:
        return std::make_unique<DynAmp>();
    case BASS_FX_DSP_AUTOWAH:
        return std::make_unique<AutoWah>();
    case BASS_FX_DSP_ECHO2:
        return std::make_unique<PingPongEcho>();
    case BASS_FX_DSP_ECHO21:
        return std::make_unique<FilteredEcho>();
    default:
        return nullptr;
    }
}

} // namespace calvoran::audio::fx
