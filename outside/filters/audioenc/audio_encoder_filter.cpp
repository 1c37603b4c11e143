#include "audio_encoder_filter.h"

#include <algorithm>
#include <cstring>

#include "dshow/allocator.h"
#include "win/debug.h"

namespace movanta::outside {
namespace {

constexpr LONG kDefaultInputBuffer = 65536;
constexpr LONG kOutputBuffers = 4;

}  // namespace

CAudioEncoderFilter::CAudioEncoderFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid)
    : CTransformFilter(name, outer, clsid) {}

bool CAudioEncoderFilter::IsAcceptedInput(const CMediaType& type) const {
    if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM) return false;
    const WAVEFORMATEX* format = WaveFormatOf(type);
    if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format->nChannels < 1 || format->nChannels > 2) return false;
    if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return false;
    if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return false;
    return AcceptsFormat(*format);
}

const WAVEFORMATEX* CAudioEncoderFilter::InputFormat() {
    return InputPin()->IsConnected() ? WaveFormatOf(InputPin()->CurrentMediaType()) : nullptr;
}

HRESULT CAudioEncoderFilter::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    return IsAcceptedInput(*in) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioEncoderFilter::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (!IsAcceptedInput(*in)) return VFW_E_TYPE_NOT_ACCEPTED;
    const bool coded = out->majortype == MEDIATYPE_Audio && out->subtype == *Coded(*WaveFormatOf(*in)).subtype;
    return coded ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioEncoderFilter::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    const WAVEFORMATEX* input = InputFormat();
    if (input == nullptr) return E_UNEXPECTED;
    const CodedFormat coded = Coded(*input);
    type->InitMediaType();
    type->SetType(&MEDIATYPE_Audio);
    type->SetSubtype(coded.subtype);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(0);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type->AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    if (format == nullptr) return E_OUTOFMEMORY;
    std::memset(format, 0, sizeof(WAVEFORMATEX));
    format->wFormatTag = coded.formatTag;
    format->nChannels = input->nChannels;
    format->nSamplesPerSec = input->nSamplesPerSec;
    format->nAvgBytesPerSec = coded.bytesPerSecond;
    format->nBlockAlign = 1;
    return S_OK;
}

HRESULT CAudioEncoderFilter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    const WAVEFORMATEX* input = InputFormat();
    if (input == nullptr) return E_UNEXPECTED;
    // One output sample holds the frames one input sample completes, plus
    // the frame begun before it and what the coder held back.
    LONG inputBytes = kDefaultInputBuffer;
    IMemAllocator* upstream = nullptr;
    if (SUCCEEDED(m_pInput->GetAllocator(&upstream))) {
        ALLOCATOR_PROPERTIES properties {};
        if (SUCCEEDED(upstream->GetProperties(&properties)) && properties.cbBuffer > 0) {
            inputBytes = properties.cbBuffer;
        }
        upstream->Release();
    }
    const long long samples = inputBytes / std::max<int>(input->nBlockAlign, 1);
    const long long frames = samples / FrameSamples() + 3;
    const long long bytes = std::min<long long>(frames * MaxFrameBytes(*input), 0x7FFFFFFF);
    request->cBuffers = std::max(request->cBuffers, kOutputBuffers);
    request->cbBuffer = std::max(request->cbBuffer, static_cast<LONG>(bytes));
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    return SetAllocatorProperties(allocator, request);
}

HRESULT CAudioEncoderFilter::StartStreaming() {
    const WAVEFORMATEX* input = InputFormat();
    if (input == nullptr) return E_UNEXPECTED;
    m_timed = false;
    m_lastStop = 0;
    return OpenEncoder(m_encoder, *input) ? S_OK : E_FAIL;
}

HRESULT CAudioEncoderFilter::StopStreaming() {
    m_encoder.Close();
    return S_OK;
}

long CAudioEncoderFilter::WriteFrame(const std::uint8_t* packet, int size, std::uint8_t* out, long capacity) {
    if (size > capacity) return -1;
    std::memcpy(out, packet, static_cast<size_t>(size));
    return size;
}

CAvAudioEncoder::PacketSink CAudioEncoderFilter::SinkInto(std::uint8_t* out, long capacity, long& written) {
    return [this, out, capacity, &written](const std::uint8_t* packet, int size) {
        const long bytes = WriteFrame(packet, size, out + written, capacity - written);
        if (bytes < 0) {
            TRACE("audio encoder: output buffer of %ld bytes too small", capacity);
            return false;
        }
        written += bytes;
        return true;
    };
}

HRESULT CAudioEncoderFilter::Transform(IMediaSample* in, IMediaSample* out) {
    if (!m_encoder.IsOpen()) return E_UNEXPECTED;
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    if (FAILED(in->GetPointer(&source)) || FAILED(out->GetPointer(&target))) return E_POINTER;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (in->GetTime(&start, &stop) == S_OK) {
        m_timed = true;
        m_lastStop = stop;
    }
    long written = 0;
    if (!m_encoder.Encode(source, std::max<long>(in->GetActualDataLength(), 0),
                          SinkInto(target, out->GetSize(), written))) {
        return E_FAIL;
    }
    if (written == 0) return S_FALSE;  // no frame completed yet
    out->SetActualDataLength(written);
    out->SetSyncPoint(TRUE);
    return S_OK;
}

// Called under the receive lock.
HRESULT CAudioEncoderFilter::EndOfStream() {
    if (m_encoder.IsOpen() && m_pOutput->IsConnected()) {
        IMediaSample* out = nullptr;
        if (SUCCEEDED(m_pOutput->GetDeliveryBuffer(&out, nullptr, nullptr, 0))) {
            BYTE* target = nullptr;
            long written = 0;
            if (SUCCEEDED(out->GetPointer(&target)) && m_encoder.Flush(SinkInto(target, out->GetSize(), written)) &&
                written > 0) {
                out->SetActualDataLength(written);
                out->SetSyncPoint(TRUE);
                if (m_timed) {
                    REFERENCE_TIME start = m_lastStop;
                    out->SetTime(&start, &m_lastStop);
                }
                m_pOutput->Deliver(out);
            }
            out->Release();
        }
        m_encoder.Close();
    }
    return CTransformFilter::EndOfStream();
}

}  // namespace movanta::outside
