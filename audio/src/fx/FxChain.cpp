#include "FxChain.h"

#include "ChainControl.h"
#include "DspUtil.h"
#include "Factory.h"
#include "PeakEq.h"
#include "bass.h"
#include "bass_fx.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace calvoran::audio {

namespace {

constexpr std::size_t kBlockFrames = 512; // crossfade scratch, per chunk
constexpr float kFadeSeconds = 0.010f;
constexpr float kInputLimit = 64.0f; // far past full scale; keeps feedback paths finite
constexpr int kParamEqDsp = -1;      // BASS_ChannelSetFX bands share the chain, never a DSP number

thread_local int tLastError = BASS_OK;

// Every effect divides by the rate; a format that was never filled in must not reach them.
int usableRate(int rate) {
    return std::clamp(rate, 1000, 768000);
}

bool fail(int code) {
    tLastError = code;
    return false;
}

// The chain's state; FxChain::Impl is this, named so the registry can hold it.
struct ChainState {
    struct Entry {
        int dsp = 0;
        int priority = 0;
        std::uint32_t id = 0; // BASS_ChannelSetFX bands only
        std::unique_ptr<fx::Effect> effect;
        float mix = 0.0f;    // 0 dry .. 1 wet
        float target = 1.0f; // 0 once removed
        bool dead = false;   // faded out; freed by the next caller on the UI side
    };

    std::mutex mutex;
    int rate;
    int channels;
    std::vector<Entry> entries;
    std::vector<float> dry;
    std::uint32_t nextId = 0;

    ChainState(int r, int c) : rate(usableRate(r)), channels(std::max(1, c)) {
        entries.reserve(64);
        dry.assign(kBlockFrames * static_cast<std::size_t>(channels), 0.0f);
    }

    Entry *live(int dsp) {
        for (Entry &e : entries)
            if (e.dsp == dsp && e.target > 0.0f) return &e;
        return nullptr;
    }

    Entry *paramEq(int address) {
        for (Entry &e : entries)
            if (e.dsp == kParamEqDsp && e.target > 0.0f &&
                static_cast<std::int64_t>(e.id) == -std::int64_t{address})
                return &e;
        return nullptr;
    }

    // Higher priority first; a newcomer goes after every entry of its own priority.
    void insert(Entry e) {
        auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const Entry &x) { return x.priority < e.priority; });
        entries.insert(it, std::move(e));
    }

    // Moves the faded-out effects into `out`, to be freed after the lock is released.
    void collect(std::vector<std::unique_ptr<fx::Effect>> &out) {
        for (Entry &e : entries)
            if (e.dead) out.push_back(std::move(e.effect));
        std::erase_if(entries, [](const Entry &e) { return e.dead; });
    }

    // The DSP effects only: BASS_ChannelSetFX bands belong to the channel's own interface.
    void removeAll() {
        for (Entry &e : entries)
            if (e.dsp != kParamEqDsp) e.target = 0.0f;
    }

    void fade(Entry &e, float *buf, std::size_t frames) {
        const float step = 1.0f / (kFadeSeconds * static_cast<float>(rate));
        const auto ch = static_cast<std::size_t>(channels);
        for (std::size_t done = 0; done < frames && !e.dead;) {
            const std::size_t n = std::min(kBlockFrames, frames - done);
            float *p = buf + done * ch;
            std::copy(p, p + n * ch, dry.begin());
            e.effect->process(p, n);
            for (std::size_t i = 0; i < n; ++i) {
                if (e.mix == 0.0f && e.target == 0.0f) {
                    // Faded out: the rest of the buffer stays dry, and the effect stops here.
                    std::copy(dry.begin() + static_cast<std::ptrdiff_t>(i * ch),
                              dry.begin() + static_cast<std::ptrdiff_t>(n * ch), p + i * ch);
                    e.dead = true;
                    break;
                }
                const float g = e.mix;
                for (std::size_t c = 0; c < ch; ++c) {
                    const float d = dry[i * ch + c];
                    p[i * ch + c] = d + g * (p[i * ch + c] - d);
                }
                e.mix =
                    e.target > e.mix ? std::min(e.target, e.mix + step) : std::max(e.target, e.mix - step);
            }
            done += n;
        }
    }
};

// Never destroyed: a channel the program did not free lives in the library's handle table, which is
// torn down at exit after any registry an ordinary static would give.
struct Registry {
    std::mutex mutex;
    std::vector<ChainState *> chains;
};
Registry &registryState() {
    alignas(Registry) static unsigned char storage[sizeof(Registry)];
    static Registry *const state = ::new (storage) Registry();
    return *state;
}
std::vector<ChainState *> &registry() {
    return registryState().chains;
}

} // namespace

struct FxChain::Impl : ChainState {
    using ChainState::ChainState;
};

namespace fx {

int lastChainError() {
    return tLastError;
}

int paramEqAddress(std::uint32_t fx) {
    return fx == 0 || fx > 0x7fffffffu ? 0 : -static_cast<int>(fx);
}

void removeEffectsFromAllChains() {
    const std::lock_guard reg(registryState().mutex);
    for (ChainState *impl : registry()) {
        const std::lock_guard lock(impl->mutex);
        impl->removeAll();
    }
}

} // namespace fx

FxChain::FxChain(int sampleRate, int channels) : impl_(std::make_unique<Impl>(sampleRate, channels)) {
    const std::lock_guard reg(registryState().mutex);
    registry().push_back(impl_.get());
}

FxChain::~FxChain() {
    const std::lock_guard reg(registryState().mutex);
    std::erase(registry(), impl_.get());
}

void FxChain::process(float *interleaved, std::size_t frames) {
    const fx::ScopedFlushDenormals flush;
    const std::lock_guard lock(impl_->mutex);
    if (impl_->entries.empty()) return;
    const std::size_t samples = frames * static_cast<std::size_t>(impl_->channels);
    for (std::size_t i = 0; i < samples; ++i) {
        const float x = interleaved[i];
        if (!(std::fabs(x) <= kInputLimit))
            interleaved[i] = std::isnan(x) ? 0.0f : std::copysign(kInputLimit, x);
    }
    for (ChainState::Entry &e : impl_->entries) {
        if (e.dead) continue;
        if (e.mix == 1.0f && e.target == 1.0f)
            e.effect->process(interleaved, frames);
        else
            impl_->fade(e, interleaved, frames);
    }
}

void FxChain::reset(int sampleRate, int channels) {
    const std::lock_guard lock(impl_->mutex);
    impl_->rate = usableRate(sampleRate);
    impl_->channels = std::max(1, channels);
    impl_->dry.assign(kBlockFrames * static_cast<std::size_t>(impl_->channels), 0.0f);
    for (ChainState::Entry &e : impl_->entries)
        if (e.effect) e.effect->prepare(impl_->rate, impl_->channels);
}

bool FxChain::setDsp(int dsp, int priority) {
    if (!fx::isKnownDsp(dsp)) return fail(BASS_ERROR_ILLPARAM);
    std::vector<std::unique_ptr<fx::Effect>> garbage;
    int rate = 0, channels = 0;
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->collect(garbage);
        if (ChainState::Entry *e = impl_->live(dsp)) {
            if (dsp != BASS_FX_DSP_PEAKEQ) return fail(BASS_ERROR_ALREADY);
            if (static_cast<fx::PeakEq &>(*e->effect).addBand() < 0) return fail(BASS_ERROR_ILLPARAM);
            return true;
        }
        rate = impl_->rate;
        channels = impl_->channels;
    }
    // Allocate outside the lock so the mixer is not held up.
    std::unique_ptr<fx::Effect> effect = fx::makeEffect(dsp);
    effect->prepare(rate, channels);
    if (dsp == BASS_FX_DSP_PEAKEQ) static_cast<fx::PeakEq &>(*effect).addBand();
    const std::lock_guard lock(impl_->mutex);
    if (impl_->live(dsp)) return fail(BASS_ERROR_ALREADY); // another thread set it meanwhile
    if (rate != impl_->rate || channels != impl_->channels) effect->prepare(impl_->rate, impl_->channels);
    ChainState::Entry entry;
    entry.dsp = dsp;
    entry.priority = priority;
    entry.effect = std::move(effect);
    impl_->insert(std::move(entry));
    return true;
}

bool FxChain::removeDsp(int dsp) {
    if (!fx::isKnownDsp(dsp)) return fail(BASS_ERROR_ILLPARAM);
    std::vector<std::unique_ptr<fx::Effect>> garbage;
    const std::lock_guard lock(impl_->mutex);
    impl_->collect(garbage);
    ChainState::Entry *e = impl_->live(dsp);
    if (!e) return fail(BASS_ERROR_NOTAVAIL);
    e->target = 0.0f;
    return true;
}

bool FxChain::setParameters(int dsp, const void *params) {
    if (dsp < 0 && params) {
        // A BASS_ChannelSetFX band (fx::paramEqAddress): one band, whatever the record's band says.
        EqBandParams p;
        std::memcpy(&p, params, sizeof p);
        p.band = 0;
        const std::lock_guard lock(impl_->mutex);
        ChainState::Entry *e = impl_->paramEq(dsp);
        if (!e) return fail(BASS_ERROR_HANDLE);
        if (!e->effect->setParameters(&p)) return fail(BASS_ERROR_ILLPARAM);
        return true;
    }
    if (!fx::isKnownDsp(dsp) || !params) return fail(BASS_ERROR_ILLPARAM);
    const std::lock_guard lock(impl_->mutex);
    ChainState::Entry *e = impl_->live(dsp);
    if (!e) return fail(BASS_ERROR_NOTAVAIL);
    if (!e->effect->setParameters(params)) return fail(BASS_ERROR_ILLPARAM);
    return true;
}

bool FxChain::getParameters(int dsp, void *params) {
    if (dsp < 0 && params) {
        EqBandParams p{};
        const std::lock_guard lock(impl_->mutex);
        ChainState::Entry *e = impl_->paramEq(dsp);
        if (!e) return fail(BASS_ERROR_HANDLE);
        e->effect->getParameters(&p);
        std::memcpy(params, &p, sizeof p);
        return true;
    }
    if (!fx::isKnownDsp(dsp) || !params) return fail(BASS_ERROR_ILLPARAM);
    const std::lock_guard lock(impl_->mutex);
    ChainState::Entry *e = impl_->live(dsp);
    if (!e) return fail(BASS_ERROR_NOTAVAIL);
    if (!e->effect->getParameters(params)) return fail(BASS_ERROR_ILLPARAM);
    return true;
}

std::uint32_t FxChain::addParamEq() {
    int rate = 0, channels = 0;
    {
        const std::lock_guard lock(impl_->mutex);
        rate = impl_->rate;
        channels = impl_->channels;
    }
    auto eq = std::make_unique<fx::PeakEq>();
    eq->prepare(rate, channels);
    eq->addBand();
    const std::lock_guard lock(impl_->mutex);
    if (rate != impl_->rate || channels != impl_->channels) eq->prepare(impl_->rate, impl_->channels);
    ChainState::Entry entry;
    entry.dsp = kParamEqDsp;
    entry.id = ++impl_->nextId;
    entry.mix = 1.0f; // flat: nothing to fade
    entry.effect = std::move(eq);
    const std::uint32_t id = entry.id;
    impl_->insert(std::move(entry));
    return id;
}

} // namespace calvoran::audio
