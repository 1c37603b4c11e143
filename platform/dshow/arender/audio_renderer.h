// The audio renderer of the platform: 8- or 16-bit PCM, mono or stereo,
// played through SDL2 at its time on the graph's clock, with IBasicAudio
// (volume in hundredths of a decibel, -10000 to 0, and balance). It is also
// a reference clock, so a graph with sound takes its time from it: the
// clock runs on the system's monotonic time, steered to follow what the
// sound device has played, so pictures keep to the sound however fast the
// device really runs, and the sound never runs dry or piles up.
#pragma once

#include <memory>
#include <vector>

#include "dshow/refclock.h"
#include "dshow/timed_renderer.h"
#include "sdl_output.h"

namespace movanta::dshow {

// {3C1E7A52-9B4D-4E0F-8C61-2D7B5A9E0F21}
inline constexpr CLSID CLSID_MovantaAudioRenderer = {
    0x3C1E7A52, 0x9B4D, 0x4E0F, {0x8C, 0x61, 0x2D, 0x7B, 0x5A, 0x9E, 0x0F, 0x21}};

class CAudioRenderer final : public CTimedRenderer {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAudioRenderer(LPUNKNOWN outer);
    ~CAudioRenderer() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    // Sound frames (a sample of every channel) handed to the device so far.
    long long FramesQueued() const { return m_framesQueued; }

private:
    class InputPin;
    class Volume;
    friend class InputPin;

    HRESULT Render(IMediaSample* sample) override;
    // Waits until what is queued has been played (or the stream stops).
    void Drain();
    // Steers the clock towards the time of the sound being heard, given the
    // end time of the sound queued last.
    void Follow(REFERENCE_TIME queuedEnd);
    // Copies `bytes` of PCM with the volume and balance applied.
    void Scale(const std::uint8_t* pcm, long bytes, std::vector<std::uint8_t>& out);

    InputPin* m_pin = nullptr;
    SdlOutput m_output;
    std::vector<std::uint8_t> m_scaled;
    std::atomic<LONG> m_volume {0};
    std::atomic<LONG> m_balance {0};
    std::atomic<long long> m_framesQueued {0};
    std::unique_ptr<Volume> m_volumeInterface;
    CSteeredClock* m_clock = nullptr;  // the clock this renderer offers as its own
};

}  // namespace movanta::dshow
