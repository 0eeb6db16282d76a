#include "PeakEq.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
constexpr double kGainDbPerSecond = 500.0; // a full slider swing in under 40 ms
constexpr std::size_t kRampStep = 32;      // frames between coefficient updates while moving
} // namespace

PeakEq::PeakEq() {
    bands_.reserve(kMaxBands);
}

void PeakEq::prepare(int sampleRate, int channels) {
    rate_ = sampleRate;
    channels_ = channels;
    states_.assign(static_cast<std::size_t>(kMaxBands) * static_cast<std::size_t>(channels), BiquadState{});
    for (Band &b : bands_) {
        b.gainNow = b.params.gain;
        b.rampLeft = 0;
        updateCoeffs(b);
    }
}

void PeakEq::process(float *interleaved, std::size_t frames) {
    const auto ch = static_cast<std::size_t>(channels_);
    const auto maxStep = static_cast<float>(kGainDbPerSecond * static_cast<double>(kRampStep) / rate_);
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        Band &b = bands_[i];
        BiquadState *states = &states_[i * ch];
        std::size_t done = 0;
        // Steps fall every kRampStep frames of sound, wherever the buffers begin.
        while (done < frames && (b.gainNow != b.params.gain || b.rampLeft > 0)) {
            if (b.rampLeft == 0) {
                const float diff = b.params.gain - b.gainNow;
                b.gainNow =
                    std::fabs(diff) <= maxStep ? b.params.gain : b.gainNow + std::copysign(maxStep, diff);
                updateCoeffs(b);
                b.rampLeft = kRampStep;
            }
            const std::size_t n = std::min(b.rampLeft, frames - done);
            runBiquad(b.coeffs, states, interleaved + done * ch, n, channels_);
            b.rampLeft -= n;
            done += n;
        }
        runBiquad(b.coeffs, states, interleaved + done * ch, frames - done, channels_);
    }
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
    b.params = p; // the gain ramps from gainNow in process()
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
    b.coeffs = BiquadCoeffs::peaking(rate_, b.params.centre, b.gainNow, b.params.q, b.params.bandwidth);
}

} // namespace calvoran::audio::fx
