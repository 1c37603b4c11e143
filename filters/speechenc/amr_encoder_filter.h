// CTxAmrNbEncoder: 8 kHz mono PCM in, AMR-NB speech frames out in the AMR
// file storage format ("#!AMR\n" once, then one header byte and the speech
// bits a frame). The PCM is cut into 20 ms frames across input samples; an
// output sample holds the frames its input sample completed.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "dshow/proppage.h"
#include "dshow/sync.h"
#include "dshow/transform.h"
#include "filters/speechenc/txamrbitrate.h"
#include "libamr_binding.h"

namespace movanta::amr {

class CTxAmrNbEncoder final : public CTransformFilter {
public:
    // *result is S_FALSE when libamr could not be loaded: the filter still
    // works in a graph but codes nothing.
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    // `library` is the path of libamr to bind.
    CTxAmrNbEncoder(LPUNKNOWN outer, HRESULT* result, const std::string& library);
    ~CTxAmrNbEncoder() override;

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;

    static constexpr int kFrameBytes = 320;     // 160 16-bit samples: 20 ms
    static constexpr int kMaxPackedBytes = 32;  // the largest storage-format frame
    static constexpr LONG kMinOutputBuffer = 8000;

private:
    class Bitrate final : public CNestedInterface<ITxAmrBitrate> {
    public:
        explicit Bitrate(CTxAmrNbEncoder& filter) : CNestedInterface(filter), filter_(filter) {}
        HRESULT GetBitRateMode(int* mode) override;
        HRESULT SetBitRateMode(int mode) override;

    private:
        CTxAmrNbEncoder& filter_;
    };
    class Pages final : public CNestedInterface<ISpecifyPropertyPages> {
    public:
        explicit Pages(CTxAmrNbEncoder& filter) : CNestedInterface(filter) {}
        HRESULT GetPages(CAUUID* pages) override;
    };

    // Bits per sample of the connected input (8 or 16).
    int InputBits() const;
    // Codes the full PCM frame and appends it at `out`; the bytes written.
    int EncodeFrame(BYTE* out);

    int m_headerWritten = 0;
    REFERENCE_TIME m_pendingMediaStop = 0;
    REFERENCE_TIME m_pendingMediaStart = 0;
    REFERENCE_TIME m_pendingStop = 0;
    REFERENCE_TIME m_pendingStart = 0;
    int m_pendingBytes = 0;
    std::atomic<int> m_mode {3};  // written under m_modeLock, read by the streaming thread
    std::array<std::int16_t, 250> m_parameters {};
    std::array<std::int16_t, kFrameBytes / 2> m_frame {};
    void* m_sidState = nullptr;
    void* m_encoderState = nullptr;
    CCritSec m_modeLock;
    CTxLibAmr m_library;
    Bitrate m_bitrate {*this};
    Pages m_pages {*this};
};

}  // namespace movanta::amr
