#include "Output.h"

#include "Mixer.h"
#include "bass.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace calvoran::audio {
namespace {

constexpr std::int64_t kPaceSlackNs = 3000000;

class SdlOutput final : public Output {
public:
    explicit SdlOutput(Mixer &mixer) : mixer_(mixer) {}
    ~SdlOutput() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlOutput(const SdlOutput &) = delete;
    SdlOutput &operator=(const SdlOutput &) = delete;

    bool open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = mixer_.rate();
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        const char *driver = SDL_GetCurrentAudioDriver();
        const std::string name = driver ? driver : "";
        // About 23 ms per period: effects and volume apply at mix time, so a switch is heard once the
        // period being mixed and the one queued before it have played, 46 ms at worst, inside 50 ms;
        // every wake-up of the device thread costs, and half as many save more than the mixing does.
        // The dummy and disk drivers have no queue behind the callback and take the same size.
        const bool sleeper = name == "dummy" || name == "disk";
        want.samples = static_cast<Uint16>(mixer_.rate() > 64000 ? 2048 : 1024);
        want.callback = &SdlOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) return false;
        // Drivers that consume the buffer the moment it is written have no queue after the callback;
        // real devices play the previous period first.
        if (!sleeper) latencyNs_ = static_cast<std::int64_t>(have.samples) * 1000000000LL / have.freq;
        // SDL's dummy and disk drivers wait whole milliseconds per period, so their clock runs fast;
        // pace them to the steady clock instead.
        pace_ = sleeper;
        return true;
    }

    void start() override {
        restartClock_.store(true);
        SDL_PauseAudioDevice(device_, 0);
    }
    void stop() override { SDL_PauseAudioDevice(device_, 1); }

private:
    static void callback(void *user, Uint8 *stream, int length) {
        auto *self = static_cast<SdlOutput *>(user);
        std::int64_t now = nowNs();
        if (self->pace_) {
            if (self->restartClock_.exchange(false) || now - self->nextNs_ > 100000000LL) self->nextNs_ = now;
            // The driver's own wait falls short by a fraction of a millisecond; sleeping that off every
            // period would double the wake-ups, so let it add up to a few milliseconds first. The period
            // is still stamped with the time it is due.
            if (self->nextNs_ - now > kPaceSlackNs)
                std::this_thread::sleep_for(std::chrono::nanoseconds(self->nextNs_ - now));
            now = std::max(now, self->nextNs_);
            self->nextNs_ += static_cast<std::int64_t>(length / 4) * 1000000000LL / self->mixer_.rate();
        }
        self->mixer_.render(reinterpret_cast<std::int16_t *>(stream), static_cast<std::size_t>(length) / 4,
                            now + self->latencyNs_);
    }

    Mixer &mixer_;
    bool initialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    std::int64_t latencyNs_ = 0;
    bool pace_ = false;
    std::atomic<bool> restartClock_{true};
    std::int64_t nextNs_ = 0; // device thread only
};

// Runs the mixer against the steady clock, 10 ms at a time, and throws the result away.
class NullOutput final : public Output {
public:
    explicit NullOutput(Mixer &mixer)
        : mixer_(mixer), buffer_(static_cast<std::size_t>(mixer.rate() / 100 + 1) * 2) {
        thread_ = std::thread([this] { run(); });
    }
    ~NullOutput() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    NullOutput(const NullOutput &) = delete;
    NullOutput &operator=(const NullOutput &) = delete;

    void start() override {
        std::lock_guard lock(mutex_);
        if (!running_) {
            running_ = true;
            clockStart_ = nowNs();
            mixed_ = 0;
        }
        wake_.notify_all();
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        running_ = false;
    }

private:
    void run() {
        const std::size_t period = static_cast<std::size_t>(mixer_.rate() / 100);
        const auto periodNs = static_cast<std::int64_t>(static_cast<double>(period) * 1e9 / mixer_.rate());
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!running_) {
                wake_.wait(lock, [this] { return quit_ || running_; });
                continue;
            }
            const std::int64_t due =
                clockStart_ + static_cast<std::int64_t>(static_cast<double>(mixed_) * 1e9 / mixer_.rate());
            const std::int64_t now = nowNs();
            if (now < due) {
                wake_.wait_for(lock, std::chrono::nanoseconds(due - now));
                continue;
            }
            // Woken late: like a device that ran dry, the time missed is silence, not audio heard in the
            // past, so a channel started meanwhile is not counted as playing before it was started.
            if (now - due > periodNs) {
                clockStart_ += now - due;
                continue;
            }
            lock.unlock();
            mixer_.render(buffer_.data(), period, due);
            lock.lock();
            mixed_ += period;
        }
    }

    Mixer &mixer_;
    std::vector<std::int16_t> buffer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool running_ = false;
    std::int64_t clockStart_ = 0;
    std::uint64_t mixed_ = 0;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Output> openSdlOutput(Mixer &mixer, int &error) {
    auto output = std::make_unique<SdlOutput>(mixer);
    if (!output->open()) {
        error = BASS_ERROR_DEVICE;
        return nullptr;
    }
    return output;
}

bool preferPulseOutput() {
    const char *driver = std::getenv("SDL_AUDIODRIVER");
    return driver == nullptr || *driver == '\0' || std::strcmp(driver, "pulseaudio") == 0;
}

std::unique_ptr<Output> openNullOutput(Mixer &mixer) {
    return std::make_unique<NullOutput>(mixer);
}

} // namespace calvoran::audio
