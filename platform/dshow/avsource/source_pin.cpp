#include "source_pin.h"

#include <algorithm>
#include <cstring>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "win/debug.h"

namespace movanta::dshow {
namespace {

constexpr LONG kAudioBuffer = 1 << 20;
constexpr LONG kMinVideoBuffer = 2 << 20;
constexpr LONG kBuffers = 4;

}  // namespace

CAvSourcePin::CAvSourcePin(CSource* filter, Demuxer& demuxer, int slot, const CMediaType& type, LPCWSTR name,
                           HRESULT* result)
    : CSourceStream(L"File source pin", result, filter, name),
      CSourceSeeking(&m_positionLock),
      m_demuxer(demuxer),
      m_slot(slot),
      m_type(type) {
    m_rtDuration = demuxer.Duration();
    // Until a stop is set the file is read to the end of its data, not to
    // the length it declares: a recording cut short may not say how long it
    // is, or its header may count only a part of what it holds.
    m_rtStop = std::numeric_limits<REFERENCE_TIME>::max();
    if (m_rtDuration == 0) m_dwSeekingCaps &= ~static_cast<DWORD>(AM_SEEKING_CanGetDuration);
}

HRESULT CAvSourcePin::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    if (iid == IID_IDisplayRotation) return GetInterface(static_cast<IDisplayRotation*>(this), object);
    return CSourceStream::NonDelegatingQueryInterface(iid, object);
}

HRESULT CAvSourcePin::GetDisplayRotation(int* degrees) {
    if (degrees == nullptr) return E_POINTER;
    const AVStream* stream = m_demuxer.Streams()[static_cast<size_t>(m_slot)];
    *degrees = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? DisplayRotation(*stream) : 0;
    return S_OK;
}

HRESULT CAvSourcePin::GetMediaType(CMediaType* type) {
    if (type == nullptr) return E_POINTER;
    return type->Set(m_type);
}

HRESULT CAvSourcePin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    LONG size = kAudioBuffer;
    if (m_type.majortype == MEDIATYPE_Video) {
        const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(m_type.Format());
        // Room for an uncompressed picture of 32 bits a pixel.
        const long long picture = 4LL * header->bmiHeader.biWidth * std::abs(header->bmiHeader.biHeight);
        size = static_cast<LONG>(std::clamp<long long>(picture, kMinVideoBuffer, 256LL << 20));
    }
    return RequestAtLeast(allocator, request, kBuffers, size);
}

// A connected stream keeps the packets the other pin's reading meets,
// whichever pin's thread starts first.
HRESULT CAvSourcePin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = CSourceStream::CompleteConnect(receivePin);
    if (SUCCEEDED(hr)) m_demuxer.SetActive(m_slot, true);
    return hr;
}

HRESULT CAvSourcePin::BreakConnect() {
    m_demuxer.SetActive(m_slot, false);
    return CSourceStream::BreakConnect();
}

HRESULT CAvSourcePin::Inactive() {
    const HRESULT hr = CSourceStream::Inactive();
    CAutoLock lock(&m_positionLock);
    m_seekPending = true;  // the next run starts again from the current position
    return hr;
}

HRESULT CAvSourcePin::OnThreadStartPlay() {
    CAutoLock lock(&m_positionLock);
    if (m_seekPending) {
        m_demuxer.Seek(m_slot, m_rtStart);
        m_seekPending = false;
        m_discontinuity = true;
    }
    return DeliverNewSegment(m_rtStart, m_rtStop, m_dRateSeeking);
}

HRESULT CAvSourcePin::FillBuffer(IMediaSample* sample) {
    CAutoLock lock(&m_positionLock);
    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr) return E_OUTOFMEMORY;
    HRESULT result = S_FALSE;
    while (m_demuxer.Read(m_slot, packet)) {
        BYTE* buffer = nullptr;
        sample->GetPointer(&buffer);
        if (packet->size > sample->GetSize()) {
            TRACE("file source: a packet of %d bytes is larger than the buffers; dropped", packet->size);
            av_packet_unref(packet);
            m_discontinuity = true;
            continue;
        }
        const std::int64_t ticks = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (ticks != AV_NOPTS_VALUE) {
            const REFERENCE_TIME at = m_demuxer.TimeOf(m_slot, ticks);
            if (at >= m_rtStop) break;
            REFERENCE_TIME start = at - m_rtStart;
            REFERENCE_TIME stop =
                start + std::max<REFERENCE_TIME>(m_demuxer.TimeOf(m_slot, ticks + packet->duration) - at, 1);
            sample->SetTime(&start, &stop);
            sample->SetPreroll(stop <= 0);
        } else {
            sample->SetTime(nullptr, nullptr);
        }
        std::memcpy(buffer, packet->data, static_cast<size_t>(packet->size));
        sample->SetActualDataLength(packet->size);
        sample->SetSyncPoint((packet->flags & AV_PKT_FLAG_KEY) != 0);
        sample->SetDiscontinuity(m_discontinuity);
        m_discontinuity = false;
        av_packet_unref(packet);
        result = S_OK;
        break;
    }
    av_packet_free(&packet);
    return result;
}

HRESULT CAvSourcePin::ChangeStart() {
    const bool streaming = ThreadExists();
    if (streaming) {
        DeliverBeginFlush();
        Stop();
    }
    {
        CAutoLock lock(&m_positionLock);
        m_seekPending = true;
    }
    if (streaming) {
        DeliverEndFlush();
        Run();
    }
    return S_OK;
}

HRESULT CAvSourcePin::ChangeRate() {
    CAutoLock lock(&m_positionLock);
    if (m_dRateSeeking <= 0) {
        m_dRateSeeking = 1.0;
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace movanta::dshow
