// CTxAmrNbDecoder: AMR-NB frames in the storage format (a header byte and
// the speech bits each; a stream may open with "#!AMR\n") in, 8 kHz mono
// 16-bit PCM out, 320 bytes a frame. Frames may be split across input
// samples; an input sample of more frames than one output buffer holds
// goes out in several output samples.
#pragma once

#include <array>
#include <cstdint>

#include "dshow/transform.h"
#include "libamr_binding.h"

namespace movanta::amr {

// {5ABFF933-5A1C-44C8-8E90-E0EBC124C894}
inline constexpr CLSID CLSID_TxAmrNbDecoder = {
    0x5ABFF933, 0x5A1C, 0x44C8, {0x8E, 0x90, 0xE0, 0xEB, 0xC1, 0x24, 0xC8, 0x94}};

class CTxAmrNbDecoder final : public CTransformFilter {
public:
    // *result is S_FALSE when libamr could not be loaded: the filter still
    // works in a graph, giving silence.
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    // `library` is the path of libamr to bind.
    CTxAmrNbDecoder(LPUNKNOWN outer, HRESULT* result, const std::string& library);
    ~CTxAmrNbDecoder() override;

    HRESULT Receive(IMediaSample* sample) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StopStreaming() override;

    static constexpr long kFrameBytes = 320;  // 160 samples: 20 ms
    static constexpr LONG kOutputBuffer = 8000;

private:
    struct Times {
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
    };
    // Decodes the collected frame into `out` (320 bytes).
    void DecodeFrame(std::uint8_t* out);
    // Takes the input bytes from `at` until a frame completes or the input
    // ends; true when a frame is complete.
    bool Collect(const std::uint8_t* data, long length, long& at);
    // The time `consumed` of `length` input bytes into [start, stop].
    static REFERENCE_TIME At(const Times& input, long long consumed, long long length);

    int m_magicExamined = 0;
    std::uint8_t m_frameType = 0;
    std::uint8_t m_quality = 0;
    std::array<std::uint8_t, 31> m_frame {};
    int m_missing = 0;
    Times m_pendingMedia;
    Times m_pending;
    int m_collected = 0;  // header byte and payload of the frame being collected
    std::array<std::int16_t, 160> m_synthesis {};
    std::int16_t m_reset = 0;
    std::int16_t m_previousReset = 1;
    void* m_decoderState = nullptr;
    int m_mode = 3;
    std::array<std::int16_t, 250> m_parameters {};
    CTxLibAmr m_library;
};

}  // namespace movanta::amr
