// A conversion job (CMovanta): one input file into one phone file, or its
// sound into an MP3, on a worker thread of its own.
//
// Lifetime: the engine's list and the worker each hold a reference, so a
// worker that outlives the caller's 30 s wait finishes on a live object and
// its last messages carry a handle the caller no longer knows.
// Threads: the caller's thread sets m_bAbort and reads position and size
// (atomics); everything else belongs to the worker once it runs.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "engine/graph_session.h"
#include "engine/profile.h"
#include "filters/muxer/txmuxer.h"
#include "filters/scaler/txresample.h"
#include "outside/filters/effect_interfaces.h"

namespace movanta::engine {

class CMovanta : public std::enable_shared_from_this<CMovanta> {
public:
    // `profile` is null for a music job.
    explicit CMovanta(std::shared_ptr<const ProfileCopy> profile);
    ~CMovanta();
    CMovanta(const CMovanta&) = delete;
    CMovanta& operator=(const CMovanta&) = delete;

    // Prepares and starts the conversion worker; failures are posted.
    void CovertMedia(HWND owner, LPCWSTR input, LPCWSTR output, const CNTConfig& request);
    void ConvertMusic(HWND owner, LPCWSTR input, LPCWSTR output, const MusicConfig& request);
    // Sets the abort flag and waits up to 30 s for each worker.
    void Abort();

    std::int64_t Position() const { return m_llPosition.load(); }
    std::int64_t Size() const { return m_llSize.load(); }
    bool IsMusic() const { return m_bMusic; }

    // What graph building reads and leaves (conversion_graph.cpp).
    HWND m_hOwner = nullptr;
    std::atomic<std::int32_t> m_nErrorCode {0};
    std::atomic<std::int32_t> m_bAbort {0};
    std::wstring m_szInput;  // short forms
    std::wstring m_szOutput;
    std::wstring m_szOutputFolder;  // for the free-space check
    std::wstring m_szGraphFile;
    std::int32_t m_nInputKind = 64;  // 1 ".mp4", 2 ".3gp", 64 other
    bool m_bInputIsWmv = false;      // ".wmv" or ".asf": the writer is told
    std::int32_t m_nSysFormat = TRX_SYS_MP4;
    std::int32_t m_wAudioCodec = 0;
    std::int32_t m_wVideoCodec = 0;
    std::int64_t m_llStart = 0;
    std::int64_t m_llDuration = 0;
    CNTConfig m_CNTConfig {};
    MusicConfig m_MusicConfig {};
    std::shared_ptr<const ProfileCopy> m_pProfile;

    GraphSession m_graph;
    ComPtr<ITxMuxer> m_pMuxer;
    ComPtr<ITxResample> m_pResample;
    ComPtr<IAudioEffect> m_pGargle;
    ComPtr<ITxAmp> m_pAmp;
    ComPtr<IImgEffectValues> m_pImgEffect;
    bool m_bSeekGraph = false;  // ImgEffect replaced an overlay mixer: seek the graph, not the writer

private:
    void Start(HWND owner, LPCWSTR input, LPCWSTR output, HANDLE event, DWORD (*worker)(std::shared_ptr<CMovanta>));
    static DWORD Thread_RunGraph(std::shared_ptr<CMovanta> job);
    static DWORD Thread_RunMusicGraph(std::shared_ptr<CMovanta> job);
    // The workers' first steps: apartment, graph manager and source half;
    // false (with the error code set) when the job has failed.
    bool StartGraph();
    // The workers' last steps: teardown and the end messages.
    DWORD Finish(bool success, HANDLE event);
    void UnInitDirectShow();
    // One round of the loop: false when the job must end (failure).
    bool PollWriter();
    void Post(UINT message, LPARAM lParam);

    std::atomic<std::int64_t> m_llPosition {0};
    std::atomic<std::int64_t> m_llSize {0};
    HANDLE m_hConvertDone;  // manual-reset, signalled while no conversion worker runs
    HANDLE m_hMusicDone;
    bool m_bMusic = false;
};

}  // namespace movanta::engine
