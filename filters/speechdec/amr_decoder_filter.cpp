#include "amr_decoder_filter.h"

#include <algorithm>
#include <cstring>

#include "dshow/allocator.h"
#include "dshow/media_subtypes.h"
#include "win/debug.h"

namespace movanta::amr {
namespace {

constexpr char kMagic[] = "#!AMR\n";
constexpr long kMagicBytes = 6;
constexpr int kNoData = 7;  // the receive frame type of a frame without speech
constexpr std::int16_t kHomingSample = 0x0008;
// Speech bytes after the header byte, by frame type (8: SID, 9-15: none).
constexpr int kPayloadBytes[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

CUnknown* CTxAmrNbDecoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxAmrNbDecoder>(result, outer, result, CTxLibAmr::BesideThisModule());
}

CTxAmrNbDecoder::CTxAmrNbDecoder(LPUNKNOWN outer, HRESULT* result, const std::string& library)
    : CTransformFilter(L"TRX AMR Decoder", outer, CLSID_TxAmrNbDecoder), m_library(library) {
    if (!m_library.IsLoaded()) {
        TRACE("TRX AMR Decoder: cannot load %s; audio will be silent", library.c_str());
        if (result != nullptr) *result = S_FALSE;
        return;
    }
    m_library.Speech_Decode_Frame_init(&m_decoderState, "Decoder");
}

CTxAmrNbDecoder::~CTxAmrNbDecoder() {
    if (m_decoderState != nullptr) m_library.Speech_Decode_Frame_exit(&m_decoderState);
}

HRESULT CTxAmrNbDecoder::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    const bool amr = in->majortype == MEDIATYPE_Audio && in->subtype == MEDIASUBTYPE_AMR;
    return amr || in->majortype == MEDIATYPE_Stream ? S_OK : S_FALSE;
}

HRESULT CTxAmrNbDecoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    return out->majortype == MEDIATYPE_Audio ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTxAmrNbDecoder::GetMediaType(int position, CMediaType* type) {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    type->SetType(&MEDIATYPE_Audio);
    type->SetSubtype(&MEDIASUBTYPE_PCM);
    type->SetTemporalCompression(FALSE);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type->AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    if (format == nullptr) return E_OUTOFMEMORY;
    *format = WAVEFORMATEX {};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = 1;
    format->nSamplesPerSec = 8000;
    format->nAvgBytesPerSec = 16000;
    format->nBlockAlign = 2;
    format->wBitsPerSample = 16;
    return S_OK;
}

HRESULT CTxAmrNbDecoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!m_pInput->IsConnected()) return E_UNEXPECTED;
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    request->cBuffers = 1;
    request->cbBuffer = kOutputBuffer;
    request->cbAlign = 1;
    return SetAllocatorProperties(allocator, request);
}

HRESULT CTxAmrNbDecoder::StopStreaming() {
    if (!m_pOutput->IsConnected()) return E_FAIL;
    m_magicExamined = 0;  // the next run may open with the magic again
    return S_OK;
}

bool CTxAmrNbDecoder::Collect(const std::uint8_t* data, long length, long& at) {
    while (at < length) {
        if (m_missing == 0) {
            const std::uint8_t header = data[at++];
            m_frameType = static_cast<std::uint8_t>((header >> 3) & 15);
            m_quality = static_cast<std::uint8_t>((header >> 2) & 1);
            m_collected = 1;
            m_missing = kPayloadBytes[m_frameType];
        } else {
            const long count = std::min<long>(m_missing, length - at);
            std::memcpy(m_frame.data() + (m_collected - 1), data + at, static_cast<size_t>(count));
            at += count;
            m_collected += static_cast<int>(count);
            m_missing -= static_cast<int>(count);
        }
        if (m_missing == 0) return true;
    }
    return false;
}

void CTxAmrNbDecoder::DecodeFrame(std::uint8_t* out) {
    m_collected = 0;
    if (m_decoderState == nullptr) {  // no libamr: silence keeps the timing
        std::memset(out, 0, kFrameBytes);
        return;
    }
    std::int16_t* parameters = &m_parameters[1];
    const int receiveType = m_library.UnpackBits(m_quality, m_frameType, m_frame.data(), &m_mode, parameters);
    // The library keeps the previous mode in the fourth 32-bit field of its
    // state; a frame without speech is decoded in that mode.
    auto* previousMode = static_cast<std::int32_t*>(m_decoderState) + 3;
    if (receiveType == kNoData) {
        m_mode = *previousMode;
    } else {
        *previousMode = m_mode;
    }
    if (m_previousReset == 1)
        m_reset = static_cast<std::int16_t>(m_library.decoder_homing_frame_test_first(parameters, m_mode));
    if (m_reset != 0 && m_previousReset != 0) {
        m_synthesis.fill(kHomingSample);
    } else {
        m_library.Speech_Decode_Frame(m_decoderState, m_mode, parameters, receiveType, m_synthesis.data());
    }
    std::memcpy(out, m_synthesis.data(), kFrameBytes);
    if (m_previousReset == 0)
        m_reset = static_cast<std::int16_t>(m_library.decoder_homing_frame_test(parameters, m_mode));
    if (m_reset != 0) m_library.Speech_Decode_Frame_reset(m_decoderState);
    m_previousReset = m_reset;
}

REFERENCE_TIME CTxAmrNbDecoder::At(const Times& input, long long consumed, long long length) {
    return input.start + (input.stop - input.start) * consumed / length;
}

// Called under the receive lock.
HRESULT CTxAmrNbDecoder::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    const long length = std::max<long>(sample->GetActualDataLength(), 0);
    long at = 0;
    if (m_magicExamined == 0) {
        m_magicExamined = 1;
        // A container's first sample carries a bare frame, not the magic:
        // it is dropped, 20 ms at the start of the sound.
        if (length < kMagicBytes || std::memcmp(data, kMagic, kMagicBytes) != 0) {
            m_bSampleSkipped = true;
            return S_OK;
        }
        at = kMagicBytes;
    }
    Times input;
    Times media;
    const bool timed = sample->GetTime(&input.start, &input.stop) == S_OK && length > 0;
    const bool mediaTimed = sample->GetMediaTime(&media.start, &media.stop) == S_OK && length > 0;
    if (m_collected == 0) {
        if (timed) m_pending = input;
        if (mediaTimed) m_pendingMedia = media;
    }
    for (;;) {
        IMediaSample* out = nullptr;
        hr = m_pOutput->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* target = nullptr;
        out->GetPointer(&target);
        const long capacity = out->GetSize();
        long written = 0;
        while (at < length && written + kFrameBytes <= capacity) {
            if (Collect(data, length, at)) {
                DecodeFrame(target + written);
                written += kFrameBytes;
            }
        }
        // A sample of more frames than a buffer holds goes out in parts,
        // each up to the frame that filled it.
        const bool more = at < length;
        const long unfinished = more ? length - at : m_collected;
        if (timed) {
            m_pending.stop = At(input, length - unfinished, length);
            out->SetTime(&m_pending.start, &m_pending.stop);
            if (unfinished != 0) m_pending.start = m_pending.stop;
        }
        if (mediaTimed) {
            m_pendingMedia.stop = At(media, length - unfinished, length);
            out->SetMediaTime(&m_pendingMedia.start, &m_pendingMedia.stop);
            if (unfinished != 0) m_pendingMedia.start = m_pendingMedia.stop;
        }
        if (!more) {
            AM_MEDIA_TYPE* type = nullptr;
            if (sample->GetMediaType(&type) == S_OK && type != nullptr) {
                out->SetMediaType(type);
                DeleteMediaType(type);
            }
        }
        out->SetActualDataLength(written);
        out->SetSyncPoint(TRUE);
        out->SetDiscontinuity(m_bSampleSkipped);
        m_bSampleSkipped = false;
        hr = m_pOutput->Deliver(out);
        out->Release();
        if (hr != S_OK || !more) return hr;
    }
}

}  // namespace movanta::amr
