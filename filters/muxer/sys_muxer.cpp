// CMp4SysMuxer: the writer object, its file, its range and its status.
#include <cstring>
#include <cwchar>
#include <new>

#include "com/comapi.h"
#include "muxer_clock.h"
#include "muxer_filter.h"
#include "win/debug.h"
#include "win/sync.h"
#include "win/text.h"

namespace movanta::muxer {
namespace {

constexpr size_t kMaxFileName = 260;
constexpr HRESULT kFileNameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE, answered as is
constexpr DWORD kStallMilliseconds = 60000;
constexpr int kMaxBufferSide = 8192;

// A stream is stalled when its last sample came more than a minute before
// `now`. The difference is taken signed: a pin thread may stamp its tick
// just after `now` was read, which is no stall.
bool Stalled(DWORD now, DWORD last) {
    return static_cast<std::int32_t>(now - last) > static_cast<std::int32_t>(kStallMilliseconds);
}

}  // namespace

CUnknown* CMp4SysMuxer::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CMp4SysMuxer>(result, outer, result);
}

CMp4SysMuxer::CMp4SysMuxer(LPUNKNOWN outer, HRESULT* result)
    : CUnknown(L"CMp4SysMuxer", outer), m_hFileNameEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_pFilter = std::make_unique<CMuxerFilter>(this, GetOwner(), &m_filterLock, result);
    m_pVideoPin = std::make_unique<CMuxerPin>(this, m_pFilter.get(), &m_filterLock, result, L"Video", true);
    m_pAudioPin = std::make_unique<CMuxerPin>(this, m_pFilter.get(), &m_filterLock, result, L"Audio", false);
}

CMp4SysMuxer::~CMp4SysMuxer() {
    CloseFile();
    g_Mp4Muxer().ResetVideoCount();
    m_pAudioPosition.reset();
    m_pVideoPosition.reset();
    m_pAudioPin.reset();
    m_pVideoPin.reset();
    m_pFilter.reset();
    CloseHandle(m_hFileNameEvent);
}

CPosPassThru* CMp4SysMuxer::PassThrough(CBasePin* pin, std::unique_ptr<CPosPassThru>& slot) {
    if (!slot) {
        HRESULT hr = S_OK;
        slot.reset(new (std::nothrow) CPosPassThru(L"Muxer pass-through", GetOwner(), &hr, pin));
    }
    return slot.get();
}

HRESULT CMp4SysMuxer::NonDelegatingQueryInterface(REFIID iid, void** object) {
    CAutoLock lock(&m_filterLock);
    if (iid == IID_IFileSinkFilter) return GetInterface(static_cast<IFileSinkFilter*>(this), object);
    if (iid == IID_ITxMuxer) return GetInterface(&m_txMuxer, object);
    if (iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist) {
        return m_pFilter->NonDelegatingQueryInterface(iid, object);
    }
    if (iid == IID_IMediaSeeking || iid == IID_IMediaPosition) {
        CPosPassThru* position = nullptr;
        if (m_pAudioPin->IsConnected()) {
            position = PassThrough(m_pAudioPin.get(), m_pAudioPosition);
        } else if (m_pVideoPin->IsConnected()) {
            position = PassThrough(m_pVideoPin.get(), m_pVideoPosition);
        }
        if (position != nullptr) return position->NonDelegatingQueryInterface(iid, object);
    }
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CMp4SysMuxer::SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE*) {
    if (file == nullptr) return E_POINTER;
    if (std::wcslen(file) > kMaxFileName) return kFileNameTooLong;
    try {
        m_fileName = file;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT opened = OpenFile();
    SetEvent(m_hFileNameEvent);
    return opened;
}

HRESULT CMp4SysMuxer::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) {
    if (file == nullptr) return E_POINTER;
    *file = nullptr;
    if (!m_fileName.empty()) {
        *file = CoTaskMemString(m_fileName);
        if (*file == nullptr) return E_OUTOFMEMORY;
    }
    if (type != nullptr) *type = AM_MEDIA_TYPE {};
    return S_OK;
}

HRESULT CMp4SysMuxer::OpenFile() {
    CMp4Muxer& writer = g_Mp4Muxer();
    if (writer.IsOpen()) return S_OK;
    {
        std::lock_guard guard(m_writeLock);
        m_heldStart = -1;
        m_heldLength = 0;
        m_lastVideoDuration = 0;
        m_bytesWritten = 0;
        m_position = 0;
        m_videoTime = 0;
        m_audioTime = 0;
        m_fileLost = false;
    }
    const size_t dot = m_fileName.rfind(L'.');
    const std::wstring extension = dot == std::wstring::npos ? L"" : m_fileName.substr(dot);
    const int kind = EqualsNoCase(extension, L".3GP") ? 1 : 0;
    return writer.Init(NativePath(m_fileName.c_str()), kind) ? S_OK : E_FAIL;
}

bool CMp4SysMuxer::CloseFile() {
    std::lock_guard guard(m_writeLock);
    CMp4Muxer& writer = g_Mp4Muxer();
    if (m_heldStart >= 0) {
        WriteHeldPicture(m_lastVideoDuration);
    }
    m_heldStart = -1;
    if (!writer.Release(m_closeMode)) m_fileLost = true;
    return !m_fileLost;
}

void CMp4SysMuxer::WriteHeldPicture(REFERENCE_TIME duration) {
    Account(g_Mp4Muxer().WriteVideo(m_videoBuffers[m_heldBuffer].data(), static_cast<std::uint32_t>(m_heldLength),
                                    duration, m_heldStart),
            m_heldLength);
}

void CMp4SysMuxer::Account(int answer, LONG length) {
    if (answer == CMp4Muxer::kWritten) m_bytesWritten += length;
    if (answer == CMp4Muxer::kWriteFailed) m_fileLost = true;
}

HRESULT CMp4SysMuxer::GetStatus(LONGLONG* position, LONGLONG* size, int* status) {
    const DWORD now = CurrentMuxerClock().Ticks();
    const bool audio = m_audioConnected;
    const bool video = m_videoConnected;
    const bool audioStalled = Stalled(now, m_lastAudioTick.load());
    const bool videoStalled = Stalled(now, m_lastVideoTick.load());
    int answer = TRXMUXER_STATUS_ERROR;
    if (m_fileLost) {
        answer = TRXMUXER_STATUS_ERROR;
    } else if (audio && video) {
        if (m_audioEnded && m_videoEnded) {
            answer = TRXMUXER_STATUS_END;
        } else if ((!m_audioEnded && audioStalled) || (!m_videoEnded && videoStalled)) {
            answer = TRXMUXER_STATUS_ERROR;
        } else {
            answer = TRXMUXER_STATUS_RUNNING;
        }
    } else if (audio || video) {
        const bool ended = audio ? m_audioEnded.load() : m_videoEnded.load();
        const bool stalled = audio ? audioStalled : videoStalled;
        answer = ended ? TRXMUXER_STATUS_END : stalled ? TRXMUXER_STATUS_ERROR : TRXMUXER_STATUS_RUNNING;
    }
    // The end is reported once the file is whole on disk: closing it here
    // lets a refused last write (the movie box) count as the error it is.
    if (answer == TRXMUXER_STATUS_END && g_Mp4Muxer().IsOpen() && !CloseFile()) answer = TRXMUXER_STATUS_ERROR;
    if (position != nullptr) *position = m_position.load();
    if (size != nullptr) *size = m_bytesWritten.load();
    if (status != nullptr) *status = answer;
    return S_OK;
}

int CMp4SysMuxer::SetMediaPosition(LONGLONG position) {
    CPosPassThru* passes[2] = {
        m_pAudioPin->IsConnected() ? PassThrough(m_pAudioPin.get(), m_pAudioPosition) : nullptr,
        m_pVideoPin->IsConnected() ? PassThrough(m_pVideoPin.get(), m_pVideoPosition) : nullptr,
    };
    for (CPosPassThru* pass : passes) {
        if (pass == nullptr) continue;
        LONGLONG current = position;
        pass->SetPositions(&current, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }
    return 0;
}

int CMp4SysMuxer::SetDstResulotion(LONGLONG start, LONGLONG end, int width, int height) {
    std::lock_guard guard(m_writeLock);
    m_rangeCheck = start != -1 && end != -1;
    m_rangeStart = start;
    m_rangeLength = end - start;
    const bool sane = width > 0 && height > 0 && width <= kMaxBufferSide && height <= kMaxBufferSide;
    const size_t bytes = sane ? static_cast<size_t>(width) * static_cast<size_t>(height) * 4 : 0;
    for (std::vector<BYTE>& buffer : m_videoBuffers) buffer.assign(bytes, 0);
    m_currentBuffer = 0;
    m_heldStart = -1;
    m_heldLength = 0;
    m_bytesWritten = 0;
    m_position = 0;
    return 0;
}

int CMp4SysMuxer::SetSourceIsWmv(int isWmv) {
    m_sourceIsWmv = isWmv == 1 ? 1 : 0;
    return 0;
}

int CMp4SysMuxer::StartStreaming() {
    // The streams' ends are not cleared here: a short or damaged input may
    // have ended already while the graph was paused, and clearing that
    // would leave the job waiting for an end that came (a seek's flush
    // clears an end that belongs to the old position).
    m_holdOrEnded = 0;
    return 0;
}

void CMp4SysMuxer::UpdatePosition() {
    if (m_audioConnected && m_videoConnected) {
        m_position = m_videoTime / 2 + m_audioTime / 2;
    } else if (m_videoConnected) {
        m_position = m_videoTime.load();
    } else if (m_audioConnected) {
        m_position = m_audioTime.load();
    }
}

void CMp4SysMuxer::WriteVideo(const BYTE* data, LONG length, REFERENCE_TIME duration, REFERENCE_TIME start) {
    m_lastVideoDuration = duration;
    m_videoTime = start;
    if (!m_rangeCheck || start < m_rangeLength) {
        if (start < 0) start = 0;
        std::vector<BYTE>& buffer = m_videoBuffers[m_currentBuffer];
        if (buffer.size() < static_cast<size_t>(length))
            buffer.resize(static_cast<size_t>(length));  // grown, not overrun
        std::memcpy(buffer.data(), data, static_cast<size_t>(length));
        const int written = m_currentBuffer;
        m_currentBuffer ^= 1;
        if (m_heldStart >= 0) {
            WriteHeldPicture(start - m_heldStart);
        }
        m_heldStart = start;
        m_heldLength = length;
        m_heldBuffer = written;
    } else {
        if (m_heldStart >= 0) {
            WriteHeldPicture(start - m_heldStart);
        }
        m_heldStart = -1;
        m_videoEnded = true;
        m_holdOrEnded = 1;
        TRACE("*** Throw video sample (%d) \n", static_cast<int>(length));
    }
    UpdatePosition();
}

void CMp4SysMuxer::WriteAudio(const BYTE* data, LONG length, REFERENCE_TIME start) {
    m_audioTime = start;
    if (!m_rangeCheck || start < m_rangeLength) {
        Account(g_Mp4Muxer().WriteAudio(data, static_cast<std::uint32_t>(length), 0, start), length);
    } else {
        m_audioEnded = true;
        m_holdOrEnded = 1;
    }
    UpdatePosition();
}

}  // namespace movanta::muxer
