#include "amr_encoder_filter.h"

#include <algorithm>
#include <cstring>

#include "com/comapi.h"
#include "win/debug.h"

namespace movanta::amr {
namespace {

constexpr char kMagic[] = "#!AMR\n";
constexpr int kMagicBytes = 6;
constexpr int kWaveFormatBytes = 18;
constexpr ULONG kPcmFormatBytes = 16;  // a wave format without its cbSize field

const WAVEFORMATEX* WaveFormat(const CMediaType* type) {
    if (type->Format() == nullptr || type->FormatLength() < kPcmFormatBytes) return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(type->Format());
}

bool IsAcceptedInput(const CMediaType* type) {
    const bool audio = type->majortype == MEDIATYPE_Audio && type->formattype == FORMAT_WaveFormatEx;
    const bool stream = type->majortype == MEDIATYPE_Stream && type->subtype == MEDIASUBTYPE_WAVE;
    if (!audio && !stream) return false;
    const WAVEFORMATEX* format = WaveFormat(type);
    return format != nullptr && format->nChannels == 1 && format->nSamplesPerSec == 8000 &&
           (format->wBitsPerSample == 8 || format->wBitsPerSample == 16);
}

}  // namespace

CUnknown* CTxAmrNbEncoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxAmrNbEncoder>(result, outer, result, CTxLibAmr::BesideThisModule());
}

CTxAmrNbEncoder::CTxAmrNbEncoder(LPUNKNOWN outer, HRESULT* result, const std::string& library)
    : CTransformFilter(L"TRX AMR Encoder", outer, CLSID_TxAmrNbEncoder), m_library(library) {
    if (!m_library.IsLoaded()) {
        TRACE("TRX AMR Encoder: cannot load %s; audio will not be coded", library.c_str());
        if (result != nullptr) *result = S_FALSE;
        return;
    }
    m_library.Speech_Encode_Frame_init(&m_encoderState, 1, "encoder");
    m_library.sid_sync_init(&m_sidState);
}

CTxAmrNbEncoder::~CTxAmrNbEncoder() {
    if (m_encoderState != nullptr) m_library.Speech_Encode_Frame_exit(&m_encoderState);
    if (m_sidState != nullptr) m_library.sid_sync_exit(&m_sidState);
}

HRESULT CTxAmrNbEncoder::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_ISpecifyPropertyPages) return GetInterface(static_cast<ISpecifyPropertyPages*>(&m_pages), object);
    if (iid == IID_ITxAmrBitrate) return GetInterface(static_cast<ITxAmrBitrate*>(&m_bitrate), object);
    return CTransformFilter::NonDelegatingQueryInterface(iid, object);
}

HRESULT CTxAmrNbEncoder::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    return IsAcceptedInput(in) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTxAmrNbEncoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    const bool inputOk = in->majortype == MEDIATYPE_Audio || in->majortype == MEDIATYPE_Stream;
    const bool outputOk = out->majortype == MEDIATYPE_Stream || out->majortype == MEDIATYPE_Audio;
    return inputOk || outputOk ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTxAmrNbEncoder::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    type->SetType(&MEDIATYPE_Audio);
    type->SetSubtype(&MEDIASUBTYPE_AMR);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    // The wave format still describes the PCM input; bytes the input's
    // block does not have stay zero.
    BYTE* format = type->AllocFormatBuffer(kWaveFormatBytes);
    if (format == nullptr) return E_OUTOFMEMORY;
    std::memset(format, 0, kWaveFormatBytes);
    const CMediaType& input = InputPin()->CurrentMediaType();
    if (input.Format() != nullptr) {
        std::memcpy(format, input.Format(), std::min<ULONG>(input.FormatLength(), kWaveFormatBytes));
    }
    return S_OK;
}

HRESULT CTxAmrNbEncoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    // One output sample holds every frame its input sample completes, so
    // the buffer follows the largest input sample upstream can deliver
    // (8-bit input counts double: it becomes 16-bit PCM).
    LONG size = kMinOutputBuffer;
    IMemAllocator* upstream = nullptr;
    if (SUCCEEDED(InputPin()->GetAllocator(&upstream))) {
        ALLOCATOR_PROPERTIES properties {};
        if (SUCCEEDED(upstream->GetProperties(&properties)) && properties.cbBuffer > 0) {
            const long long pcm = 2LL * properties.cbBuffer;
            const long long frames = (pcm + kFrameBytes - 1) / kFrameBytes + 1;
            size = static_cast<LONG>(std::clamp<long long>(kMagicBytes + frames * kMaxPackedBytes, size, 0x7FFFFFFF));
        }
        upstream->Release();
    }
    request->cBuffers = 1;
    request->cbBuffer = size;
    request->cbAlign = 1;
    return SetAllocatorProperties(allocator, request);
}

int CTxAmrNbEncoder::InputBits() const {
    const WAVEFORMATEX* format = WaveFormat(&m_pInput->CurrentMediaType());
    return format != nullptr && format->wBitsPerSample == 8 ? 8 : 16;
}

int CTxAmrNbEncoder::EncodeFrame(BYTE* out) {
    m_parameters.fill(0);
    const int mode = m_mode.load();
    const int homing = m_library.encoder_homing_frame_test(m_frame.data());
    int used = 0;
    used = m_library.Speech_Encode_Frame(m_encoderState, mode, m_frame.data(), &m_parameters[1], &used);
    int txFrameType = 0;
    txFrameType = m_library.sid_sync(m_sidState, used, &txFrameType);
    std::uint8_t packed[2 * kMaxPackedBytes] {};
    const int bytes =
        std::clamp(m_library.PackBits(used, mode, txFrameType, &m_parameters[1], packed), 0, kMaxPackedBytes);
    std::memcpy(out, packed, static_cast<size_t>(bytes));
    m_pendingBytes = 0;
    if (homing != 0) {
        m_library.Speech_Encode_Frame_reset(m_encoderState);
        m_library.sid_sync_reset(m_sidState);
    }
    return bytes;
}

HRESULT CTxAmrNbEncoder::Transform(IMediaSample* in, IMediaSample* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    HRESULT hr = in->GetPointer(&source);
    if (FAILED(hr)) return hr;
    hr = out->GetPointer(&target);
    if (FAILED(hr)) return hr;

    const long inputBytes = std::max<long>(in->GetActualDataLength(), 0);
    const bool eightBit = InputBits() == 8;
    // Lengths below count bytes of 16-bit PCM, which 8-bit input becomes.
    const long long pcmBytes = eightBit ? 2LL * inputBytes : inputBytes;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool timed = in->GetTime(&start, &stop) == S_OK;
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    const bool mediaTimed = in->GetMediaTime(&mediaStart, &mediaStop) == S_OK;
    if (m_pendingBytes == 0) {
        if (timed) {
            m_pendingStart = start;
            m_pendingStop = stop;
        }
        if (mediaTimed) {
            m_pendingMediaStart = mediaStart;
            m_pendingMediaStop = mediaStop;
        }
    }

    const long capacity = out->GetSize();
    long written = 0;
    if (m_headerWritten == 0) {
        if (capacity < kMagicBytes) return VFW_E_BUFFER_OVERFLOW;
        std::memcpy(target, kMagic, kMagicBytes);
        written = kMagicBytes;
        m_headerWritten = 1;
    }
    if (eightBit) m_pendingBytes &= ~1;  // a half sample left by an earlier 16-bit stream
    auto* frameBytes = reinterpret_cast<BYTE*>(m_frame.data());
    long consumed = 0;
    while (consumed < inputBytes) {
        if (eightBit) {
            const long count = std::min<long>((kFrameBytes - m_pendingBytes) / 2, inputBytes - consumed);
            for (long k = 0; k < count; ++k) {
                m_frame[m_pendingBytes / 2 + k] = static_cast<std::int16_t>((source[consumed + k] - 128) * 256);
            }
            m_pendingBytes += static_cast<int>(2 * count);
            consumed += count;
        } else {
            const long count = std::min<long>(kFrameBytes - m_pendingBytes, inputBytes - consumed);
            std::memcpy(frameBytes + m_pendingBytes, source + consumed, static_cast<size_t>(count));
            m_pendingBytes += static_cast<int>(count);
            consumed += count;
        }
        if (m_pendingBytes == kFrameBytes) {
            if (capacity - written < kMaxPackedBytes) {
                TRACE("TRX AMR Encoder: output buffer of %ld bytes too small", capacity);
                return VFW_E_BUFFER_OVERFLOW;
            }
            written += EncodeFrame(target + written);
        }
    }

    const long long pending = m_pendingBytes;
    if (timed && pcmBytes > 0) {
        m_pendingStop = stop - (stop - start) * pending / pcmBytes;
        out->SetTime(&m_pendingStart, &m_pendingStop);
        if (pending != 0) m_pendingStart = start + (stop - start) * (pcmBytes - pending) / pcmBytes;
    }
    if (mediaTimed && pcmBytes > 0) {
        m_pendingMediaStop = mediaStop - (mediaStop - mediaStart) * pending / pcmBytes;
        out->SetMediaTime(&m_pendingMediaStart, &m_pendingMediaStop);
        if (pending != 0) m_pendingMediaStart = mediaStart + (mediaStop - mediaStart) * (pcmBytes - pending) / pcmBytes;
    }
    AM_MEDIA_TYPE* type = nullptr;
    if (in->GetMediaType(&type) == S_OK && type != nullptr) {
        out->SetMediaType(type);
        DeleteMediaType(type);
    }
    out->SetActualDataLength(written);
    return S_OK;
}

HRESULT CTxAmrNbEncoder::Bitrate::GetBitRateMode(int* mode) {
    if (mode == nullptr) return E_POINTER;
    CAutoLock lock(&filter_.m_modeLock);
    *mode = filter_.m_mode.load();
    return S_OK;
}

HRESULT CTxAmrNbEncoder::Bitrate::SetBitRateMode(int mode) {
    if (mode < 0 || mode > 8) return E_INVALIDARG;
    CAutoLock lock(&filter_.m_modeLock);
    filter_.m_mode.store(mode);
    return S_OK;
}

HRESULT CTxAmrNbEncoder::Pages::GetPages(CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 1;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pages->pElems == nullptr) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->pElems[0] = CLSID_TxAmrModePage;
    return S_OK;
}

}  // namespace movanta::amr
