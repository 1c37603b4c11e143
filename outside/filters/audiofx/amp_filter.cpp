#include "amp_filter.h"

#include <algorithm>

#include "com/comapi.h"
#include "pcm_level.h"
#include "win/text.h"
#include "win/winuser.h"

namespace movanta::outside {
namespace {

constexpr LONGLONG kLevelInterval = 1000000;  // 100 ms of sound between level reports
constexpr LONG kMaxGain = 1000;

}  // namespace

CUnknown* CTxAmp::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxAmp>(result, outer);
}

CTxAmp::CTxAmp(LPUNKNOWN outer) : CPcmPassThrough(L"TxAmp", outer, CLSID_TxAmp) {}

CTxAmp::~CTxAmp() {
    CloseFile();
}

HRESULT CTxAmp::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_ITxAmp) return GetInterface(static_cast<ITxAmp*>(&m_amp), object);
    if (iid == IID_IFileSinkFilter) return GetInterface(static_cast<IFileSinkFilter*>(&m_sink), object);
    if (iid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(&m_flags), object);
    return CPcmPassThrough::NonDelegatingQueryInterface(iid, object);
}

HRESULT CTxAmp::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    // Writing takes any audio the encoder before it gives.
    if (Writing()) return in->majortype == MEDIATYPE_Audio ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    return CPcmPassThrough::CheckInputType(in);
}

void CTxAmp::CloseFile() {
    CAutoLock lock(&m_fileLock);
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
}

bool CTxAmp::WriteSample(IMediaSample* sample) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool timed = sample->GetTime(&start, &stop) == S_OK;
    const LONGLONG from = std::max<LONGLONG>(m_start.load(), 0);
    if (timed) {
        m_reached = stop;
        if (stop <= from) return true;  // before the start: not written
        m_written = stop - from;
    }
    BYTE* data = nullptr;
    const long length = sample->GetActualDataLength();
    if (FAILED(sample->GetPointer(&data)) || length <= 0) return true;
    CAutoLock lock(&m_fileLock);
    if (m_file == nullptr) return true;  // no file named, or already closed
    return std::fwrite(data, 1, static_cast<size_t>(length), m_file) == static_cast<size_t>(length);
}

HRESULT CTxAmp::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    if (!Writing()) {
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        if (sample->GetTime(&start, &stop) == S_OK) m_reached = start;
        return CPcmPassThrough::Receive(sample);
    }
    // The start position comes while the graph is paused: what arrives
    // before it waits for the run.
    if (!m_pInput->WaitWhilePaused()) return S_OK;
    if (WriteSample(sample)) return S_OK;
    AbortStreaming(E_FAIL);  // a full disk or a vanished folder
    return E_FAIL;
}

// Called under the receive lock.
HRESULT CTxAmp::EndOfStream() {
    if (!Writing()) return CPcmPassThrough::EndOfStream();
    CloseFile();
    NotifyEvent(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

HRESULT CTxAmp::StopStreaming() {
    if (Writing()) CloseFile();
    m_lastReport = -1;
    return S_OK;
}

void CTxAmp::ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) {
    const LONG gain = m_gain.load();
    if (gain != 100) {
        if (format.wBitsPerSample == 16) {
            auto* samples = reinterpret_cast<std::int16_t*>(pcm);
            for (long i = 0; i < bytes / 2; ++i) {
                samples[i] = static_cast<std::int16_t>(std::clamp<LONG>(samples[i] * gain / 100, -32768, 32767));
            }
        } else {
            for (long i = 0; i < bytes; ++i) {
                pcm[i] = static_cast<std::uint8_t>(std::clamp<LONG>(128 + (pcm[i] - 128) * gain / 100, 0, 255));
            }
        }
    }
    const HWND owner = m_owner.load();
    const LONGLONG time = m_reached.load();
    if (owner == nullptr || (m_lastReport >= 0 && time - m_lastReport < kLevelInterval && time >= m_lastReport)) return;
    m_lastReport = time;
    PostMessageW(owner, WM_TXAMP_LEVEL, static_cast<WPARAM>(PeakLevel(pcm, bytes, format.wBitsPerSample)),
                 static_cast<LPARAM>(time / 10000));
}

HRESULT CTxAmp::Amp::SetOwner(HWND owner, LONG parameter, LONG) {
    if (parameter < 0 || parameter > kMaxGain) return E_INVALIDARG;
    f_.m_owner = owner;
    f_.m_gain = parameter == 0 ? 100 : parameter;
    return S_OK;
}

HRESULT CTxAmp::Amp::SetGain(LONG percent) {
    if (percent < 0 || percent > kMaxGain) return E_INVALIDARG;
    f_.m_gain = percent;
    return S_OK;
}

HRESULT CTxAmp::Amp::SetMode(LONG mode) {
    if (mode != TXAMP_MODE_AMPLIFY && mode != TXAMP_MODE_WRITE) return E_INVALIDARG;
    CAutoLock lock(&f_.m_csFilter);
    if (f_.InputPin()->IsConnected()) return VFW_E_ALREADY_CONNECTED;
    f_.m_mode = mode;
    return S_OK;
}

HRESULT CTxAmp::Amp::GetPosition(LONGLONG* position, LONGLONG* end) {
    if (position == nullptr || end == nullptr) return E_POINTER;
    *position = f_.Writing() ? f_.m_written.load() : f_.m_reached.load();
    *end = f_.m_reached.load();
    return S_OK;
}

HRESULT CTxAmp::Amp::SetStart(LONGLONG start) {
    f_.m_start = start;
    f_.m_written = 0;
    return S_OK;
}

HRESULT CTxAmp::Sink::SetFileName(LPCOLESTR file, const AM_MEDIA_TYPE*) {
    if (file == nullptr) return E_POINTER;
    f_.CloseFile();
    CAutoLock lock(&f_.m_fileLock);
    f_.m_fileName = file;
    f_.m_file = std::fopen(NativePath(file).c_str(), "wb");
    return f_.m_file != nullptr ? S_OK : E_FAIL;
}

HRESULT CTxAmp::Sink::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type) {
    if (file == nullptr) return E_POINTER;
    if (type != nullptr) *type = AM_MEDIA_TYPE {};
    CAutoLock lock(&f_.m_fileLock);
    *file = nullptr;
    if (f_.m_fileName.empty()) return S_OK;
    *file = CoTaskMemString(f_.m_fileName);
    return *file == nullptr ? E_OUTOFMEMORY : S_OK;
}

ULONG CTxAmp::Flags::GetMiscFlags() {
    return f_.Writing() ? AM_FILTER_MISC_FLAGS_IS_RENDERER : 0;
}

}  // namespace movanta::outside
