// "TxAmp": an amplifier on the way to the audio renderer (mode 0), or the
// end of the music job's stream, writing its MP3 to a file (mode 3).
#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "dshow/interfaces.h"
#include "outside/filters/effect_interfaces.h"
#include "pcm_passthrough.h"

namespace movanta::outside {

class CTxAmp final : public CPcmPassThrough {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTxAmp(LPUNKNOWN outer);
    ~CTxAmp() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT StopStreaming() override;

private:
    class Amp final : public CNestedInterface<ITxAmp> {
    public:
        explicit Amp(CTxAmp& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT SetOwner(HWND owner, LONG parameter, LONG milliseconds) override;
        HRESULT SetGain(LONG percent) override;
        HRESULT SetMode(LONG mode) override;
        HRESULT GetPosition(LONGLONG* position, LONGLONG* end) override;
        HRESULT SetStart(LONGLONG start) override;

    private:
        CTxAmp& f_;
    };
    class Sink final : public CNestedInterface<IFileSinkFilter> {
    public:
        explicit Sink(CTxAmp& filter) : CNestedInterface(filter), f_(filter) {}
        // Creates the file at once, as the writer filter does.
        HRESULT SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE* type) override;
        HRESULT GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) override;

    private:
        CTxAmp& f_;
    };
    class Flags final : public CNestedInterface<IAMFilterMiscFlags> {
    public:
        explicit Flags(CTxAmp& filter) : CNestedInterface(filter), f_(filter) {}
        // A renderer while it writes the file.
        ULONG GetMiscFlags() override;

    private:
        CTxAmp& f_;
    };

    bool Writing() const { return m_mode.load() == TXAMP_MODE_WRITE; }
    void ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) override;
    // Writes the sample when it ends after the start; false on a failed write.
    bool WriteSample(IMediaSample* sample);
    void CloseFile();

    std::atomic<LONG> m_mode {TXAMP_MODE_AMPLIFY};
    std::atomic<LONG> m_gain {100};
    std::atomic<LONGLONG> m_start {0};
    std::atomic<LONGLONG> m_reached {0};  // the stream's time reached
    std::atomic<LONGLONG> m_written {0};  // time written since the start
    std::atomic<HWND> m_owner {nullptr};
    LONGLONG m_lastReport = -1;  // on the streaming thread
    CCritSec m_fileLock;
    std::wstring m_fileName;
    std::FILE* m_file = nullptr;
    Amp m_amp {*this};
    Sink m_sink {*this};
    Flags m_flags {*this};
};

}  // namespace movanta::outside
