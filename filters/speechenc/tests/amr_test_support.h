// Shared by the AMR encoder tests: PCM types and signals, a filter in a
// harness, and a reader of the storage-format stream it writes.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "amr_encoder_filter.h"
#include "dshow/testing/harness.h"

namespace movanta::amr::test {

inline CMediaType PcmType(int rate = 8000, int channels = 1, int bits = 16, const GUID& major = MEDIATYPE_Audio) {
    CMediaType type(&major);
    type.SetSubtype(major == MEDIATYPE_Stream ? &MEDIASUBTYPE_WAVE : &MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type.AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    *format = WAVEFORMATEX {};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = static_cast<WORD>(channels);
    format->nSamplesPerSec = static_cast<DWORD>(rate);
    format->wBitsPerSample = static_cast<WORD>(bits);
    format->nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    return type;
}

// A two-tone signal with a slow swell, like a voiced sound; 16-bit samples.
inline std::vector<std::int16_t> Tone(int samples, int offset = 0) {
    std::vector<std::int16_t> pcm(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const double t = (i + offset) / 8000.0;
        const double swell = 0.6 + 0.4 * std::sin(2 * M_PI * 3 * t);
        pcm[i] = static_cast<std::int16_t>(
            swell * (6000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 1100 * t)));
    }
    return pcm;
}

inline std::vector<std::uint8_t> Bytes(const std::vector<std::int16_t>& pcm) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(pcm.data());
    return {begin, begin + pcm.size() * 2};
}

// Storage-format size (header byte included) of each frame type; 0: not used.
inline int FrameSize(int frameType) {
    static const int kSizes[16] = {13, 14, 16, 18, 20, 21, 27, 32, 6, 0, 0, 0, 0, 0, 0, 1};
    return kSizes[frameType & 15];
}

// Splits a storage-format stream (without magic) into its frames' header
// bytes; false when a frame is cut short or has an unused type.
inline bool SplitFrames(const std::vector<std::uint8_t>& stream, std::vector<std::uint8_t>* headers) {
    size_t at = 0;
    while (at < stream.size()) {
        const int size = FrameSize(stream[at] >> 3);
        if (size == 0 || (stream[at] & 0x83) != 0 || at + size > stream.size()) return false;
        headers->push_back(stream[at]);
        at += size;
    }
    return true;
}

// A new encoder bound to `library` (the built libamr unless told).
struct Encoder {
    explicit Encoder(const std::string& library = LIBAMR_PATH) {
        filter = new CTxAmrNbEncoder(nullptr, &created, library);
        filter->NonDelegatingQueryInterface(IID_IBaseFilter, base.ReceiveVoid());
        bitrate = base.As<ITxAmrBitrate>(IID_ITxAmrBitrate);
    }
    HRESULT created = S_OK;
    CTxAmrNbEncoder* filter = nullptr;
    ComPtr<IBaseFilter> base;
    ComPtr<ITxAmrBitrate> bitrate;
};

// An encoder connected between a source of `type` and a sink, running.
struct Running {
    explicit Running(const CMediaType& type = PcmType(), LONG bufferSize = 64000,
                     const std::string& library = LIBAMR_PATH)
        : encoder(library), harness(encoder.base.Get(), type, bufferSize) {
        connected = harness.ConnectInput() == S_OK && harness.ConnectOutput() == S_OK && harness.Run() == S_OK;
    }
    HRESULT Send(const std::vector<std::uint8_t>& data, REFERENCE_TIME start = testing::PushSource::kUntimed,
                 REFERENCE_TIME stop = 0) {
        return harness.Source().Send(data.data(), data.size(), start, stop);
    }
    // Every output byte in order.
    std::vector<std::uint8_t> Output() {
        std::vector<std::uint8_t> all;
        for (const auto& sample : harness.Sink().Samples())
            all.insert(all.end(), sample.data.begin(), sample.data.end());
        return all;
    }
    Encoder encoder;
    testing::TransformHarness harness;
    bool connected = false;
};

}  // namespace movanta::amr::test
