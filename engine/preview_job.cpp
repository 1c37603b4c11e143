#include "engine/preview_job.h"

#include <thread>

#include "com/comapi.h"
#include "engine/convengine.h"
#include "engine/engine_state.h"
#include "engine/file_names.h"
#include "engine/preview_graph.h"
#include "win/files.h"
#include "win/sync.h"
#include "win/text.h"
#include "win/thread.h"

namespace movanta::engine {
namespace {

constexpr DWORD kWorkerWait = 30000;
constexpr UINT kWmMove = 0x0003;
constexpr UINT kWmDisplayChange = 0x007E;

bool IsAudioFile(const std::wstring& extension) {
    return EqualsNoCase(extension, L".mp3") || EqualsNoCase(extension, L".wma") || EqualsNoCase(extension, L".wav");
}

int Run(GraphSession& graph) {
    return SUCCEEDED(graph.control->Run()) ? 0 : 1;
}
int Pause(GraphSession& graph) {
    return SUCCEEDED(graph.control->Pause()) ? 0 : 1;
}

}  // namespace

CAVPreview::CAVPreview()
    : m_hPreviewDone(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_hAudioDone(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_hDataDone(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

CAVPreview::~CAVPreview() {
    CloseHandle(m_hPreviewDone);
    CloseHandle(m_hAudioDone);
    CloseHandle(m_hDataDone);
}

void CAVPreview::Post(UINT message, LPARAM lParam) {
    PostMessageW(m_hOwner, message, reinterpret_cast<WPARAM>(this), lParam);
}

bool CAVPreview::Prepare(HWND owner, LPCWSTR path) {
    m_hOwner = owner;
    WCHAR shortPath[MAX_PATH];
    const DWORD length = path == nullptr ? 0 : GetShortPathNameW(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        Post(WM_TRX_MEDIA_ERROR, 4);
        Post(WM_TRX_MEDIA_STOP, 0);
        return false;
    }
    m_szInput.assign(shortPath, length);
    m_szGraphFile = GraphFileName(m_szInput, L"_pre");
    return true;
}

void CAVPreview::Launch(Kind kind, HANDLE event) {
    ResetEvent(event);
    try {
        std::thread(Worker, shared_from_this(), kind).detach();
    } catch (const std::system_error&) {
        SetEvent(event);
        Post(kind == Kind::AudioData ? WM_TRX_AUDIO_ERROR : WM_TRX_MEDIA_ERROR, 0);
        Post(kind == Kind::AudioData ? WM_TRX_AUDIO_END : WM_TRX_MEDIA_STOP, 0);
    }
}

void CAVPreview::PreviewMedia(HWND owner, HWND videoWindow, LPCWSTR path, bool startRunning, int mute, int volume) {
    if (!Prepare(owner, path)) return;
    m_hVideoWindow = videoWindow;
    GetClientRect(videoWindow, &m_rcClient);
    const std::wstring extension = Extension(m_szInput);
    if (IsAudioFile(extension)) {
        Post(WM_TRX_MEDIA_ERROR, 4);
        Post(WM_TRX_MEDIA_STOP, 0);
        return;
    }
    if (EqualsNoCase(extension, L".mp4")) {
        m_nInputKind = 1;
    } else if (EqualsNoCase(extension, L".3gp")) {
        m_nInputKind = 2;
    } else if (EqualsNoCase(extension, L".mpg") || EqualsNoCase(extension, L".mpe") ||
               EqualsNoCase(extension, L".mpeg")) {
        m_nInputKind = 8;
    } else if (EqualsNoCase(extension, L".wmv") || EqualsNoCase(extension, L".asf")) {
        m_nInputKind = 16;
    } else {
        m_nInputKind = 64;
    }
    m_bStartRunning = startRunning;
    m_nPlayState = startRunning ? 2 : 0;
    m_nMute = mute;
    m_nVolume = volume;
    Launch(Kind::Preview, m_hPreviewDone);
}

void CAVPreview::OpenAudio(HWND owner, LPCWSTR path, bool startRunning, int mute, int volume) {
    if (!Prepare(owner, path)) return;
    if (!IsAudioFile(Extension(m_szInput))) {
        Post(WM_TRX_MEDIA_ERROR, 4);
        Post(WM_TRX_MEDIA_STOP, 0);
        return;
    }
    m_bStartRunning = startRunning;
    m_nPlayState = startRunning ? 2 : 0;
    m_nMute = mute;
    m_nVolume = volume;
    Launch(Kind::AudioOnly, m_hAudioDone);
}

void CAVPreview::GetAudioData(HWND owner, LPCWSTR path, bool startRunning, int amplifierParameter) {
    if (!Prepare(owner, path)) return;
    m_bStartRunning = startRunning;
    m_nAmpParameter = amplifierParameter;
    Launch(Kind::AudioData, m_hDataDone);
}

void CAVPreview::Abort() {
    m_bAbort = 1;
    WaitForSingleObject(m_hPreviewDone, kWorkerWait);
    WaitForSingleObject(m_hAudioDone, kWorkerWait);
    WaitForSingleObject(m_hDataDone, kWorkerWait);
}

DWORD CAVPreview::Finish(Kind kind, bool success, bool stopFirst) {
    {
        std::lock_guard guard(m_graphLock);
        if (stopFirst && m_graph.Exists()) {
            m_graph.control->Stop();
            OAFilterState state;
            m_graph.control->GetState(1500, &state);
        }
        m_pGargle.Reset();
        m_pImgEffect.Reset();
        m_pAmp.Reset();
        m_graph.Release();
    }
    CoUninitialize();
    const bool data = kind == Kind::AudioData;
    const std::int32_t error = m_nErrorCode.load();
    // Posted before the event is set, so a caller that was waiting knows
    // the last message is on its way.
    if (!success) Post(data ? WM_TRX_AUDIO_ERROR : WM_TRX_MEDIA_ERROR, error);
    Post(data ? WM_TRX_AUDIO_END : WM_TRX_MEDIA_STOP, 0);
    SetEvent(kind == Kind::Preview ? m_hPreviewDone : kind == Kind::AudioOnly ? m_hAudioDone : m_hDataDone);
    return success ? 0 : static_cast<DWORD>(error);
}

DWORD CAVPreview::Worker(std::shared_ptr<CAVPreview> job, Kind kind) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool stopFirst = kind != Kind::AudioData;
    HRESULT built = S_OK;
    {
        std::lock_guard guard(job->m_graphLock);
        job->m_graph.Release();
        if (FAILED(job->m_graph.Init(CLSCTX_INPROC_SERVER, true))) {
            job->m_nErrorCode = 2;
        } else {
            built = kind == Kind::Preview     ? BuildPreviewGraph(*job)
                    : kind == Kind::AudioOnly ? BuildAudioOnlyGraph(*job)
                                              : BuildAudioDataGraph(*job);
        }
    }
    if (job->m_nErrorCode == 2) return job->Finish(kind, false, false);
    if (!IsAcceptedBuildResult(built)) {
        ReportBuildResult(built);
        job->m_nErrorCode = 4;
        return job->Finish(kind, false, stopFirst);
    }

    GraphSession& graph = job->m_graph;
    if (kind == Kind::Preview) {
        graph.control->Pause();
        LONGLONG first = 1;
        graph.seeking->SetPositions(&first, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        OAFilterState state;
        if (graph.control->GetState(1500, &state) == VFW_S_STATE_INTERMEDIATE) job->Post(WM_TRX_MEDIA_NOTICE, 5);
        job->StopMedia(false);
        job->Post(WM_TRX_MEDIA_START, reinterpret_cast<LPARAM>(&job->m_MediaInfo));
        job->UpdatePrevState();
    } else if (kind == Kind::AudioOnly) {
        graph.control->Pause();
        job->Post(WM_TRX_MEDIA_START, reinterpret_cast<LPARAM>(&job->m_MediaInfo));
        job->UpdatePrevState();
    } else {
        if (Engine().SaveGraph()) graph.Save(job->m_szGraphFile);
        job->Post(WM_TRX_AUDIO_START, reinterpret_cast<LPARAM>(&job->m_MediaInfo));
        job->m_bStartRunning ? graph.control->Run() : graph.control->Pause();
    }

    for (;;) {
        LONG code = 0;
        const HRESULT waited = graph.WaitForCompletion(&code);
        if (SUCCEEDED(waited)) {
            if (code == EC_ERRORABORT) return job->Finish(kind, false, stopFirst);
            if (code == EC_COMPLETE || code == EC_USERABORT) {
                if (kind != Kind::AudioData) {
                    job->StopMedia(true);
                } else {
                    std::lock_guard guard(job->m_graphLock);
                    graph.control->Stop();
                    if (code == EC_COMPLETE) job->m_bAbort = 1;
                }
            }
        }
        if (job->m_bAbort) return job->Finish(kind, true, stopFirst);
    }
}

void CAVPreview::UpdatePrevState() {
    OAFilterState state = State_Stopped;
    for (int asked = 0; asked < 15; ++asked) {
        HRESULT hr = E_FAIL;
        {
            std::lock_guard guard(m_graphLock);
            if (!m_graph.Exists()) return;
            hr = m_graph.control->GetState(1000, &state);
        }
        if (hr == S_OK) break;
        Sleep(200);
    }
    Post(state == State_Paused    ? WM_TRX_MEDIA_PAUSE
         : state == State_Running ? WM_TRX_MEDIA_PLAY
                                  : WM_TRX_MEDIA_STOPPED,
         0);
}

int CAVPreview::ChangeState(int (*change)(GraphSession&), std::int32_t newState, bool notify) {
    int result = 1;
    {
        std::lock_guard guard(m_graphLock);
        if (m_graph.Exists()) {
            result = change(m_graph);
            if (result == 0) m_nPlayState = newState;
        }
    }
    if (notify) UpdatePrevState();
    return result;
}

int CAVPreview::PlayMedia(bool notify) {
    return ChangeState(Run, 2, notify);
}

int CAVPreview::PauseMedia(bool notify) {
    return ChangeState(Pause, 1, notify);
}

int CAVPreview::StopMedia(bool notify) {
    Seek(0);
    return ChangeState([](GraphSession& graph) { return SUCCEEDED(graph.control->StopWhenReady()) ? 0 : 1; }, 0,
                       notify);
}

int CAVPreview::Seek(std::int64_t position) {
    std::lock_guard guard(m_graphLock);
    if (!m_graph.Exists()) return 1;
    OAFilterState state = State_Stopped;
    m_graph.control->GetState(30, &state);
    if (state != State_Paused && FAILED(m_graph.control->Pause())) return 1;
    LONGLONG current = position;
    const HRESULT sought = m_graph.seeking->SetPositions(
        &current, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime, nullptr, AM_SEEKING_NoPositioning);
    const HRESULT resumed = state == State_Running ? m_graph.control->Run() : m_graph.control->Pause();
    if (FAILED(resumed)) return 1;
    if (SUCCEEDED(sought)) return 0;
    return sought == E_INVALIDARG ? 9 : 1;
}

int CAVPreview::Volume(int volume, int mute) {
    std::lock_guard guard(m_graphLock);
    return SetVolume(volume, mute);
}

int CAVPreview::ApplyVolume() {
    return SetVolume(m_nVolume, m_nMute);
}

int CAVPreview::SetVolume(int volume, int mute) {
    if (!m_graph.Exists() || !m_MediaInfo.bHasAudio) return 1;
    const int level = volume > 100 ? 100 : volume;
    const LONG value = mute ? -10000 : (level * 5 - 500) * 800 / 100;
    return SUCCEEDED(m_graph.basicAudio->put_Volume(value)) ? 0 : 1;
}

void CAVPreview::GetMediaPosition(std::int64_t& position, std::int64_t& duration) {
    std::lock_guard guard(m_graphLock);
    LONGLONG current = 0;
    LONGLONG stop = 0;
    position = m_graph.Exists() && SUCCEEDED(m_graph.seeking->GetPositions(&current, &stop)) ? current : 0;
    duration = m_llDuration;
}

void CAVPreview::NotifyOwnerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard guard(m_graphLock);
    if (!m_graph.Exists() || !m_MediaInfo.bHasVideo) return;
    m_graph.videoWindow->NotifyOwnerMessage(reinterpret_cast<OAHWND>(window), kWmMove, static_cast<LONG_PTR>(wParam),
                                            lParam);
    if (message == kWmDisplayChange) {
        m_graph.videoWindow->SetWindowPosition(0, 0, m_rcClient.right - m_rcClient.left,
                                               m_rcClient.bottom - m_rcClient.top);
    }
}

void CAVPreview::SetVideoEffect(const std::vector<std::int32_t>& values) {
    std::lock_guard guard(m_graphLock);
    m_effectValues = values;
    ApplyVideoEffect();
}

void CAVPreview::ApplyVideoEffect() {
    if (!m_pImgEffect || m_effectValues.empty()) return;
    m_pImgEffect->SetCount(static_cast<LONG>(m_effectValues.size()));
    m_pImgEffect->SetValues(reinterpret_cast<const LONG*>(m_effectValues.data()));
}

void CAVPreview::SetAmpScale(std::int32_t value) {
    std::lock_guard guard(m_graphLock);
    if (m_pGargle) m_pGargle->SetValue(value);
}

}  // namespace movanta::engine
