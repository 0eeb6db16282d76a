#include "PeakEq.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

PeakEq::PeakEq() {
    bands_.reserve(kMaxBands);
}

void PeakEq::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    states_.assign(static_cast<std::size_t>(kMaxBands) * static_cast<std::size_t>(channels), BiquadState{});
    for (Band &b : bands_)
        updateCoeffs(b);
}

void PeakEq::process(float *interleaved, std::size_t frames) {
    for (std::size_t i = 0; i < bands_.size(); ++i)
        runBiquad(bands_[i].coeffs, &states_[i * static_cast<std::size_t>(channels_)], interleaved, frames,
                  channels_);
}

int PeakEq::addBand() {
    if (bandCount() >= kMaxBands) return -1;
    Band b{};
    b.params.band = bandCount();
    b.params.bandwidth = 1.0f;
    b.params.q = 0.0f;
    b.params.centre = 1000.0f;
    b.params.gain = 0.0f;
    updateCoeffs(b);
    bands_.push_back(b); // capacity reserved: never allocates
    return b.params.band;
}

bool PeakEq::setBand(const EqBandParams &p) {
    if (p.band < 0 || p.band >= bandCount()) return false;
    if (!inRange(p.bandwidth, 0.05f, 6.0f) && p.q == 0.0f) return false;
    if (p.q != 0.0f && !inRange(p.q, 0.1f, 40.0f)) return false;
    if (!inRange(p.centre, 10.0f, 96000.0f) || !inRange(p.gain, -30.0f, 30.0f)) return false;
    Band &b = bands_[static_cast<std::size_t>(p.band)];
    b.params = p;
    if (!inRange(b.params.bandwidth, 0.05f, 6.0f)) b.params.bandwidth = 1.0f;
    updateCoeffs(b);
    return true;
}

bool PeakEq::getBand(EqBandParams &p) const {
    if (p.band < 0 || p.band >= bandCount()) return false;
    p = bands_[static_cast<std::size_t>(p.band)].params;
    p.sampleRate = static_cast<unsigned>(rate_);
    return true;
}

bool PeakEq::setParameters(const void *params) {
    EqBandParams p;
    std::memcpy(&p, params, sizeof p);
    return setBand(p);
}

bool PeakEq::getParameters(void *params) const {
    EqBandParams p;
    std::memcpy(&p, params, sizeof p);
    if (!getBand(p)) return false;
    std::memcpy(params, &p, sizeof p);
    return true;
}

void PeakEq::updateCoeffs(Band &b) const {
    b.coeffs = BiquadCoeffs::peaking(rate_, b.params.centre, b.params.gain, b.params.q, b.params.bandwidth);
}

} // namespace calvoran::audio::fx
