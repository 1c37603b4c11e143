// CMuxerFilter and its pins: media types, receiving, holding the faster
// stream back, and the end of each stream.
#include "dshow/media_subtypes.h"
#include "dshow/uuids.h"
#include "muxer_clock.h"
#include "muxer_filter.h"

namespace movanta::muxer {
namespace {

constexpr GUID kXvidSubtype = FourCCGuid(MakeFourCC('X', 'V', 'I', 'D'));
constexpr GUID kAacSubtype = FourCCGuid(0x000000FF);

constexpr REFERENCE_TIME kAhead = 20000000;  // 2 s
constexpr DWORD kHoldSleep = 500;
constexpr DWORD kHoldStep = 10;
constexpr DWORD kHoldGap = 1000;
constexpr int kHoldRounds = 4;
constexpr DWORD kEndedWait = 500;

bool ValidDuration(REFERENCE_TIME d) {
    return d > 150000 && d <= 10000000;
}

}  // namespace

// --- CMuxerFilter

CMuxerFilter::CMuxerFilter(CMp4SysMuxer* owner, LPUNKNOWN outer, CCritSec* lock, HRESULT* result)
    : CBaseFilter(L"CMuxerFilter", outer, lock, CLSID_Mp4Muxer, result), m_pMuxer(owner) {}

CBasePin* CMuxerFilter::GetPin(int index) {
    if (index == 0) return m_pMuxer->VideoPin();
    if (index == 1) return m_pMuxer->AudioPin();
    return nullptr;
}

HRESULT CMuxerFilter::Stop() {
    CAutoLock lock(m_pLock);
    return CBaseFilter::Stop();
}

HRESULT CMuxerFilter::Pause() {
    CAutoLock lock(m_pLock);
    return CBaseFilter::Pause();
}

HRESULT CMuxerFilter::Run(REFERENCE_TIME start) {
    CAutoLock lock(m_pLock);
    CMp4SysMuxer& muxer = *m_pMuxer;
    muxer.m_accepting = true;
    const DWORD now = CurrentMuxerClock().Ticks();
    muxer.m_lastVideoTick = now;
    muxer.m_lastAudioTick = now;
    muxer.m_bytesWritten = 0;
    muxer.m_position = 0;
    muxer.m_audioTime = 0;
    muxer.m_videoTime = 0;
    return CBaseFilter::Run(start);
}

// --- CMuxerPin

CMuxerPin::CMuxerPin(CMp4SysMuxer* owner, CMuxerFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR name,
                     bool video)
    : CRenderedInputPin(video ? L"CMuxerVideoPin" : L"CMuxerAudioPin", filter, lock, result, name),
      m_pMuxer(owner),
      m_video(video) {}

HRESULT CMuxerPin::CheckMediaType(const CMediaType* type) {
    return type->majortype == (m_video ? MEDIATYPE_Video : MEDIATYPE_Audio) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMuxerPin::CompleteConnect(IPin* receivePin) {
    HRESULT hr = CRenderedInputPin::CompleteConnect(receivePin);
    if (FAILED(hr)) return hr;
    CMp4Muxer& writer = g_Mp4Muxer();
    if (m_video) {
        if (m_mt.subtype == kXvidSubtype) {
            writer.SetVideoKind(VideoKind::Mpeg4);
        } else if (m_mt.subtype == MEDIASUBTYPE_H263) {
            writer.SetVideoKind(VideoKind::H263);
        } else {
            hr = S_FALSE;  // accepted; the stream kind stays as it was
        }
        m_pMuxer->m_videoConnected = true;
    } else {
        if (m_mt.subtype == kAacSubtype) {
            writer.SetAudioKind(AudioKind::Aac);
        } else if (m_mt.subtype == MEDIASUBTYPE_AMR) {
            writer.SetAudioKind(AudioKind::AmrNb);
        } else {
            hr = S_FALSE;
        }
        m_pMuxer->m_audioConnected = true;
    }
    return hr;
}

void CMuxerPin::HoldBack() {
    CMp4SysMuxer& muxer = *m_pMuxer;
    MuxerClock& clock = CurrentMuxerClock();
    auto ahead = [&] {
        const bool otherConnected = m_video ? muxer.m_audioConnected.load() : muxer.m_videoConnected.load();
        const bool otherEnded = m_video ? muxer.m_audioEnded.load() : muxer.m_videoEnded.load();
        const LONGLONG mine = m_video ? muxer.m_videoTime.load() : muxer.m_audioTime.load();
        const LONGLONG other = m_video ? muxer.m_audioTime.load() : muxer.m_videoTime.load();
        return otherConnected && !otherEnded && mine > other + kAhead;
    };
    if (!ahead() || muxer.m_holdOrEnded != 0 || clock.Ticks() - m_lastHold <= kHoldGap) return;
    for (int round = 0; round < kHoldRounds && ahead() && muxer.m_holdOrEnded == 0; ++round) {
        muxer.m_holdOrEnded = 1;
        // A round ends early when the other stream catches up or ends: a
        // conversion faster than real time must not idle at its end.
        for (DWORD slept = 0; slept < kHoldSleep && ahead(); slept += kHoldStep) clock.Sleep(kHoldStep);
        muxer.m_holdOrEnded = 0;
    }
    m_lastHold = clock.Ticks();
}

HRESULT CMuxerPin::Receive(IMediaSample* sample) {
    CAutoLock lock(&m_receiveLock);
    if (sample == nullptr) return E_POINTER;
    HRESULT hr = CRenderedInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    CMp4SysMuxer& muxer = *m_pMuxer;
    MuxerClock& clock = CurrentMuxerClock();
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    sample->GetTime(&start, &stop);
    // No file yet: dropped. A stream that ended (its file may be closed
    // already) is answered as ended below.
    const bool ended = m_video ? muxer.m_videoEnded.load() : muxer.m_audioEnded.load();
    if (!g_Mp4Muxer().IsOpen() && !ended) return S_OK;
    // What a paused graph delivers waits for the run: a seek before it
    // flushes the sample away instead of its being written twice.
    if (!WaitWhilePaused()) return S_FALSE;
    BYTE* data = nullptr;
    if (!m_video) {
        hr = sample->GetPointer(&data);
        if (FAILED(hr)) return hr;
    }
    (m_video ? muxer.m_lastVideoTick : muxer.m_lastAudioTick) = clock.Ticks();
    if (m_video ? muxer.m_videoEnded.load() : muxer.m_audioEnded.load()) {
        clock.Sleep(kEndedWait);
        return S_FALSE;
    }
    REFERENCE_TIME duration = 0;
    if (m_video) {
        duration = start - muxer.m_previousVideoStart;
        muxer.m_previousVideoStart = start;
        if (!ValidDuration(duration)) duration = ValidDuration(stop - start) ? stop - start : 400000;
        hr = sample->GetPointer(&data);
        if (FAILED(hr)) return hr;
    }
    HoldBack();
    if (!muxer.m_accepting) return S_OK;
    const LONG length = sample->GetActualDataLength();
    std::lock_guard guard(muxer.m_writeLock);
    if (m_video) {
        muxer.WriteVideo(data, length, duration, start);
    } else {
        muxer.WriteAudio(data, length, start);
    }
    return S_OK;
}

HRESULT CMuxerPin::EndOfStream() {
    CAutoLock lock(&m_receiveLock);
    if (!IsFlushing()) {
        (m_video ? m_pMuxer->m_videoEnded : m_pMuxer->m_audioEnded) = true;
        m_pMuxer->m_holdOrEnded = 1;
    }
    return CRenderedInputPin::EndOfStream();
}

HRESULT CMuxerPin::BeginFlush() {
    (m_video ? m_pMuxer->m_videoEnded : m_pMuxer->m_audioEnded) = false;
    return CRenderedInputPin::BeginFlush();
}

}  // namespace movanta::muxer
