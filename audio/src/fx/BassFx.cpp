// The C interface of bass_fx.h over each channel's FxChain.
#include "bass_fx.h"

#include "ChainControl.h"
#include "ChannelFx.h"
#include "Factory.h"

namespace {

using calvoran::audio::FxChain;

template <typename Op> BOOL onChain(DWORD handle, Op op, bool changes = true) {
    bool ok = false;
    int error = BASS_OK;
    const bool found = calvoran::audio::withChannelFx(handle, [&](FxChain &chain) {
        ok = op(chain);
        if (!ok) error = calvoran::audio::fx::lastChainError();
    });
    if (!found) return FALSE; // withChannelFx has set the error
    if (ok && changes) calvoran::audio::soundChanged();
    calvoran::audio::setError(ok ? BASS_OK : error);
    return ok ? TRUE : FALSE;
}

template <typename Op> BOOL onDsp(DWORD handle, int dsp, Op op, bool changes = true) {
    if (!calvoran::audio::fx::isKnownDsp(dsp)) {
        calvoran::audio::setError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    return onChain(handle, op, changes);
}

template <typename Op> BOOL onParamEq(DWORD handle, HFX fx, const void *params, Op op, bool changes = true) {
    const int address = calvoran::audio::fx::paramEqAddress(fx);
    if (!params || address == 0) {
        calvoran::audio::setError(params ? BASS_ERROR_HANDLE : BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    return onChain(
        handle, [&](FxChain &c) { return op(c, address); }, changes);
}

} // namespace

extern "C" {

BOOL BASS_FX_DSP_Set(DWORD handle, int dsp, int priority) {
    return onDsp(handle, dsp, [&](FxChain &c) { return c.setDsp(dsp, priority); });
}

BOOL BASS_FX_DSP_Remove(DWORD handle, int dsp) {
    return onDsp(handle, dsp, [&](FxChain &c) { return c.removeDsp(dsp); });
}

BOOL BASS_FX_DSP_SetParameters(DWORD handle, int dsp, void *params) {
    if (!params) {
        calvoran::audio::setError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    return onDsp(handle, dsp, [&](FxChain &c) { return c.setParameters(dsp, params); });
}

BOOL BASS_FX_DSP_GetParameters(DWORD handle, int dsp, void *params) {
    if (!params) {
        calvoran::audio::setError(BASS_ERROR_ILLPARAM);
        return FALSE;
    }
    return onDsp(
        handle, dsp, [&](FxChain &c) { return c.getParameters(dsp, params); }, false);
}

BOOL BASS_FX_ParamEqSetParameters(DWORD handle, HFX fx, const EqBandParams *params) {
    return onParamEq(handle, fx, params,
                     [&](FxChain &c, int address) { return c.setParameters(address, params); });
}

BOOL BASS_FX_ParamEqGetParameters(DWORD handle, HFX fx, EqBandParams *params) {
    return onParamEq(
        handle, fx, params, [&](FxChain &c, int address) { return c.getParameters(address, params); }, false);
}

BOOL BASS_FX_Free(void) {
    calvoran::audio::fx::removeEffectsFromAllChains();
    calvoran::audio::soundChanged();
    calvoran::audio::setError(BASS_OK);
    return TRUE;
}

} // extern "C"
