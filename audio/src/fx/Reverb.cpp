#include "Reverb.h"

#include "DspUtil.h"

#include <cstring>

namespace calvoran::audio::fx {

namespace {
// Mutually prime delays in samples at 44.1 kHz (Freeverb's tuning); the second channel adds kSpread.
constexpr std::array<int, 8> kCombs{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpasses{556, 441, 341, 225};
constexpr int kSpread = 23;
constexpr float kInputGain = 0.015f; // eight combs with feedback near 1 add up to a lot
constexpr float kWetScale = 3.0f;
constexpr float kAllpassFeedback = 0.5f;
} // namespace

Reverb::Reverb() : params_{0.5f, 0.5f, 0.25f, 0.7f, 1.0f} {
    setParams(params_);
}

void Reverb::prepare(int sampleRate, int channels) {
    channels_ = channels;
    nets_.resize(static_cast<std::size_t>(channels));
    const double scale = sampleRate / 44100.0;
    for (std::size_t c = 0; c < nets_.size(); ++c) {
        const int spread = c % 2 == 1 ? kSpread : 0;
        for (std::size_t k = 0; k < kCombs.size(); ++k) {
            Comb &comb = nets_[c].combs[k];
            comb.buf.assign(static_cast<std::size_t>(std::max(1.0, (kCombs[k] + spread) * scale)), 0.0f);
            comb.pos = 0;
            comb.store = 0.0f;
        }
        for (std::size_t k = 0; k < kAllpasses.size(); ++k) {
            Allpass &ap = nets_[c].allpasses[k];
            ap.buf.assign(static_cast<std::size_t>(std::max(1.0, (kAllpasses[k] + spread) * scale)), 0.0f);
            ap.pos = 0;
        }
    }
}

bool Reverb::setParams(const ReverbParams &p) {
    if (!inRange(p.roomSize, 0.0f, 1.0f) || !inRange(p.damp, 0.0f, 1.0f) || !inRange(p.wet, 0.0f, 1.0f) ||
        !inRange(p.dry, 0.0f, 1.0f) || !inRange(p.width, 0.0f, 1.0f))
        return false;
    params_ = p;
    feedback_ = 0.7f + 0.28f * p.roomSize;
    damp_ = 0.4f * p.damp;
    return true;
}

float Reverb::run(Network &n, float in) const {
    float out = 0.0f;
    for (Comb &c : n.combs) {
        const float y = c.buf[c.pos];
        c.store = y * (1.0f - damp_) + c.store * damp_;
        c.buf[c.pos] = in + c.store * feedback_;
        if (++c.pos == c.buf.size()) c.pos = 0;
        out += y;
    }
    for (Allpass &a : n.allpasses) {
        const float b = a.buf[a.pos];
        a.buf[a.pos] = out + b * kAllpassFeedback;
        if (++a.pos == a.buf.size()) a.pos = 0;
        out = b - out;
    }
    return out;
}

void Reverb::process(float *interleaved, std::size_t frames) {
    const float wet = params_.wet * kWetScale;
    const float dry = params_.dry;
    if (channels_ == 2) {
        // Both sides hear the mono sum; width decides how much each side's tail crosses over.
        const float wet1 = wet * (params_.width / 2.0f + 0.5f);
        const float wet2 = wet * ((1.0f - params_.width) / 2.0f);
        for (std::size_t i = 0; i < frames; ++i, interleaved += 2) {
            const float in = (interleaved[0] + interleaved[1]) * kInputGain;
            const float l = run(nets_[0], in);
            const float r = run(nets_[1], in);
            interleaved[0] = interleaved[0] * dry + l * wet1 + r * wet2;
            interleaved[1] = interleaved[1] * dry + r * wet1 + l * wet2;
        }
        return;
    }
    // Mono or more than two channels: a network per channel, no crossing.
    for (std::size_t i = 0; i < frames; ++i, interleaved += channels_)
        for (int c = 0; c < channels_; ++c) {
            const float x = interleaved[c];
            interleaved[c] = x * dry + run(nets_[static_cast<std::size_t>(c)], 2.0f * x * kInputGain) * wet;
        }
}

bool Reverb::setParameters(const void *params) {
    ReverbParams p;
    std::memcpy(&p, params, sizeof p);
    return setParams(p);
}

bool Reverb::getParameters(void *params) const {
    std::memcpy(params, &params_, sizeof params_);
    return true;
}

} // namespace calvoran::audio::fx
