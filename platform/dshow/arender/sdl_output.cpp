#include "sdl_output.h"

#include <SDL2/SDL.h>

#include <mutex>

namespace movanta::dshow {
namespace {

std::mutex g_sdlLock;

// Starts SDL's audio once; with the dummy driver when no other works.
bool StartAudio(bool dummy) {
    if (dummy) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
    if (SDL_WasInit(SDL_INIT_AUDIO) != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
    if (dummy) return false;
    return StartAudio(true);
}

}  // namespace

SdlOutput::~SdlOutput() {
    Close();
}

bool SdlOutput::Open(int rate, int channels, int bits, std::string& error) {
    std::lock_guard guard(g_sdlLock);
    Close();
    SDL_AudioSpec wanted {};
    wanted.freq = rate;
    wanted.format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channels);
    // About 20 ms a transfer: the finer the device takes the sound, the
    // closer the renderer can tell what is being heard.
    wanted.samples = 64;
    while (wanted.samples < 4096 && wanted.samples * 2 * 50 <= rate * 4 / 3) wanted.samples *= 2;
    for (const bool dummy : {false, true}) {
        if (!StartAudio(dummy)) continue;
        SDL_AudioSpec obtained {};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device_ != 0) {
            deviceFrames_ = obtained.samples;
            SDL_TLSCleanup();
            return true;
        }
    }
    error = std::string("cannot open a sound output: ") + SDL_GetError();
    SDL_TLSCleanup();
    return false;
}

void SdlOutput::Close() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    // SDL keeps data for each thread that calls it and frees it only for
    // its own threads; the graph's threads come and go.
    SDL_TLSCleanup();
}

void SdlOutput::Play(bool playing) {
    if (device_ != 0) SDL_PauseAudioDevice(device_, playing ? 0 : 1);
}

bool SdlOutput::Queue(const std::uint8_t* pcm, std::uint32_t bytes) {
    return device_ != 0 && SDL_QueueAudio(device_, pcm, bytes) == 0;
}

std::uint32_t SdlOutput::Queued() const {
    return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}

void SdlOutput::Clear() {
    if (device_ != 0) SDL_ClearQueuedAudio(device_);
}

}  // namespace movanta::dshow
