#include "engine/conversion_job.h"

#include <thread>

#include "com/comapi.h"
#include "engine/convengine.h"
#include "engine/conversion_graph.h"
#include "engine/file_names.h"
#include "engine/free_space.h"
#include "win/files.h"
#include "win/sync.h"
#include "win/text.h"

namespace movanta::engine {
namespace {

constexpr DWORD kWorkerWait = 30000;
constexpr ULONGLONG kMinimumFreeSpace = 5000000;

bool ShortPath(LPCWSTR path, std::wstring& shortPath) {
    WCHAR buffer[MAX_PATH];
    const DWORD length = path == nullptr ? 0 : GetShortPathNameW(path, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    shortPath.assign(buffer, length);
    return true;
}

}  // namespace

CMovanta::CMovanta(std::shared_ptr<const ProfileCopy> profile)
    : m_pProfile(std::move(profile)),
      m_hConvertDone(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      m_hMusicDone(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

CMovanta::~CMovanta() {
    CloseHandle(m_hConvertDone);
    CloseHandle(m_hMusicDone);
}

void CMovanta::Post(UINT message, LPARAM lParam) {
    PostMessageW(m_hOwner, message, reinterpret_cast<WPARAM>(this), lParam);
}

void CMovanta::Start(HWND owner, LPCWSTR input, LPCWSTR output, HANDLE event,
                     DWORD (*worker)(std::shared_ptr<CMovanta>)) {
    m_hOwner = owner;
    if (!ShortPath(input, m_szInput) || !ShortPath(output, m_szOutput)) {
        // The job never starts: its owner hears it at once.
        Post(WM_TRX_CONVERT_ERROR, TRX_ERR_OPEN);
        Post(WM_TRX_CONVERT_END, 0);
        return;
    }
    const size_t slash = m_szOutput.find_last_of(L"/\\");
    m_szOutputFolder = slash == std::wstring::npos ? L"." : m_szOutput.substr(0, slash + 1);
    const std::wstring inputExtension = Extension(m_szInput);
    m_nInputKind = EqualsNoCase(inputExtension, L".mp4") ? 1 : EqualsNoCase(inputExtension, L".3gp") ? 2 : 64;
    m_bInputIsWmv = EqualsNoCase(inputExtension, L".wmv") || EqualsNoCase(inputExtension, L".asf");
    ResetEvent(event);
    try {
        std::thread(worker, shared_from_this()).detach();
    } catch (const std::system_error&) {
        SetEvent(event);
        Post(WM_TRX_CONVERT_ERROR, 0);
        Post(WM_TRX_CONVERT_END, 0);
    }
}

void CMovanta::CovertMedia(HWND owner, LPCWSTR input, LPCWSTR output, const CNTConfig& request) {
    m_CNTConfig = request;
    const CodecChoice codecs =
        ChooseCodecs(output == nullptr ? L"" : output, m_pProfile ? &m_pProfile->Conf() : nullptr);
    m_nSysFormat = codecs.sysFormat;
    m_wAudioCodec = codecs.audioCodec;
    m_wVideoCodec = codecs.videoCodec;
    m_szGraphFile = GraphFileName(output == nullptr ? L"" : output, L"_cnt");
    m_llStart = request.llStart;
    Start(owner, input, output, m_hConvertDone, Thread_RunGraph);
}

void CMovanta::ConvertMusic(HWND owner, LPCWSTR input, LPCWSTR output, const MusicConfig& request) {
    m_bMusic = true;
    m_MusicConfig = request;
    m_szGraphFile = GraphFileName(output == nullptr ? L"" : output, L"_cnt");
    m_llStart = request.llStart;
    Start(owner, input, output, m_hMusicDone, Thread_RunMusicGraph);
}

void CMovanta::Abort() {
    m_bAbort = 1;
    WaitForSingleObject(m_hConvertDone, kWorkerWait);
    WaitForSingleObject(m_hMusicDone, kWorkerWait);
}

void CMovanta::UnInitDirectShow() {
    m_pMuxer.Reset();
    m_pResample.Reset();
    m_pGargle.Reset();
    m_pAmp.Reset();
    m_pImgEffect.Reset();
    m_graph.Release();
}

DWORD CMovanta::Finish(bool success, HANDLE event) {
    if (m_graph.Exists()) {
        m_graph.control->Stop();
        OAFilterState state;
        m_graph.control->GetState(1500, &state);
    }
    UnInitDirectShow();
    CoUninitialize();
    const std::int32_t error = m_nErrorCode.load();
    // Post before signalling: a caller that stops waiting may end the job.
    if (!success) Post(WM_TRX_CONVERT_ERROR, error);
    Post(WM_TRX_CONVERT_END, 0);
    SetEvent(event);
    return success ? 0 : static_cast<DWORD>(error);
}

bool CMovanta::PollWriter() {
    if (!m_pMuxer) {
        m_llPosition = 0;
        m_llSize = 0;
        return true;
    }
    LONGLONG position = 0;
    LONGLONG size = 0;
    int status = TRXMUXER_STATUS_RUNNING;
    m_pMuxer->GetStatus(&position, &size, &status);
    m_llPosition = position;
    m_llSize = size;
    if (status == TRXMUXER_STATUS_END) {
        // A file without a single picture or sound frame is no phone file:
        // nothing of the input could be read.
        if (size == 0) {
            m_nErrorCode = TRX_ERR_OPEN;
            return false;
        }
        m_bAbort = 1;
        return true;
    }
    if (status == TRXMUXER_STATUS_ERROR) return false;
    if (status == TRXMUXER_STATUS_VAB_FPS) {
        m_nErrorCode = TRX_ERR_RATE;
        return false;
    }
    std::uint64_t free = 0;
    return !(FreeSpace(m_szOutputFolder, free) && free < kMinimumFreeSpace);
}

bool CMovanta::StartGraph() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_llPosition = 0;
    m_llSize = 0;
    UnInitDirectShow();
    if (FAILED(m_graph.Init(CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, false))) {
        m_nErrorCode = TRX_ERR_GRAPH;
        return false;
    }
    const HRESULT built = BuildSourceHalf(*this);
    if (!IsAcceptedBuildResult(built)) {
        ReportBuildResult(built);
        m_nErrorCode = TRX_ERR_OPEN;
        return false;
    }
    return true;
}

DWORD CMovanta::Thread_RunGraph(std::shared_ptr<CMovanta> job) {
    if (!job->StartGraph()) return job->Finish(false, job->m_hConvertDone);
    if (job->m_nSysFormat != static_cast<std::int32_t>(TRX_SYS_MP4) &&
        job->m_nSysFormat != static_cast<std::int32_t>(TRX_SYS_3GP)) {
        job->m_nErrorCode = TRX_ERR_OPEN;
        return job->Finish(false, job->m_hConvertDone);
    }
    if (BuildEncodingHalf(*job) != 0) return job->Finish(false, job->m_hConvertDone);

    GraphSession& graph = job->m_graph;
    OAFilterState state = State_Stopped;
    graph.control->GetState(30, &state);
    graph.control->Pause();
    graph.control->GetState(500, &state);
    if (job->m_bSeekGraph) {
        graph.control->GetState(0, &state);
        if (state != State_Paused) graph.control->Pause();
        LONGLONG start = job->m_llStart;
        graph.seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    } else if (job->m_pMuxer) {
        job->m_pMuxer->SetMediaPosition(job->m_llStart);
    }
    if (job->m_pGargle) job->m_pGargle->Arm();
    if (job->m_pResample) job->m_pResample->StartConvert();
    if (job->m_pMuxer) job->m_pMuxer->StartStreaming();
    graph.control->GetState(500, &state);
    graph.control->Run();
    job->Post(WM_TRX_CONVERT_START, 0);

    for (;;) {
        LONG code = 0;
        const HRESULT waited = graph.WaitForCompletion(&code);
        if (SUCCEEDED(waited) && code == EC_ERRORABORT) return job->Finish(false, job->m_hConvertDone);
        if (!job->PollWriter()) return job->Finish(false, job->m_hConvertDone);
        if (job->m_bAbort) return job->Finish(true, job->m_hConvertDone);
    }
}

DWORD CMovanta::Thread_RunMusicGraph(std::shared_ptr<CMovanta> job) {
    if (!job->StartGraph()) return job->Finish(false, job->m_hMusicDone);
    if (BuildMp3Half(*job) != 0) return job->Finish(false, job->m_hMusicDone);

    GraphSession& graph = job->m_graph;
    OAFilterState state = State_Stopped;
    graph.control->GetState(30, &state);
    graph.control->Pause();
    graph.control->GetState(500, &state);
    if (job->m_pAmp) job->m_pAmp->SetStart(job->m_llStart);
    graph.control->GetState(1000, &state);
    if (job->m_pGargle) job->m_pGargle->Arm();
    graph.control->Run();
    job->Post(WM_TRX_CONVERT_START, 0);

    for (;;) {
        LONG code = 0;
        const HRESULT waited = graph.WaitForCompletion(&code);
        if (SUCCEEDED(waited) && code == EC_ERRORABORT) return job->Finish(false, job->m_hMusicDone);
        if (SUCCEEDED(waited) && code == EC_COMPLETE) job->m_bAbort = 1;
        if (job->m_pAmp) {
            LONGLONG position = 0;
            LONGLONG end = 0;
            job->m_pAmp->GetPosition(&position, &end);
            job->m_llPosition = position;
        }
        job->m_llSize = 0;
        if (job->m_bAbort) return job->Finish(true, job->m_hMusicDone);
    }
}

}  // namespace movanta::engine
