// A preview job (CAVPreview): a media file played in a window, an audio-only
// file, or the audio-data job, each on a worker thread of its own.
//
// Lifetime as for conversions (conversion_job.h). The worker owns the graph;
// the caller's commands reach it under m_graphLock, which the worker also
// holds while it builds and while it releases the graph.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/graph_session.h"
#include "engine/records.h"
#include "outside/filters/effect_interfaces.h"
#include "win/winuser.h"

namespace movanta::engine {

class CAVPreview : public std::enable_shared_from_this<CAVPreview> {
public:
    enum class Kind { Preview, AudioOnly, AudioData };

    CAVPreview();
    ~CAVPreview();
    CAVPreview(const CAVPreview&) = delete;
    CAVPreview& operator=(const CAVPreview&) = delete;

    void PreviewMedia(HWND owner, HWND videoWindow, LPCWSTR path, bool startRunning, int mute, int volume);
    void OpenAudio(HWND owner, LPCWSTR path, bool startRunning, int mute, int volume);
    void GetAudioData(HWND owner, LPCWSTR path, bool startRunning, int amplifierParameter);
    // Sets the abort flag and waits up to 30 s for each worker.
    void Abort();

    // Commands from the exports; 0 success, 1 without a graph or on failure.
    int PlayMedia(bool notify);
    int PauseMedia(bool notify);
    int StopMedia(bool notify);
    int Seek(std::int64_t position);
    int Volume(int volume, int mute);
    void GetMediaPosition(std::int64_t& position, std::int64_t& duration);
    void NotifyOwnerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void SetVideoEffect(const std::vector<std::int32_t>& values);
    void SetAmpScale(std::int32_t value);
    // With m_graphLock held: the start-up volume to the graph, and the
    // stored effect values to the image-effect filter.
    int ApplyVolume();
    void ApplyVideoEffect();

    // What graph building reads and leaves (preview_graph.cpp).
    HWND m_hOwner = nullptr;
    HWND m_hVideoWindow = nullptr;
    RECT m_rcClient {};  // the video window's client area at open
    std::atomic<std::int32_t> m_nErrorCode {0};
    std::atomic<std::int32_t> m_bAbort {0};
    std::wstring m_szInput;
    std::wstring m_szGraphFile;
    MediaInfo m_MediaInfo {};
    std::int32_t m_nInputKind = 255;
    std::int32_t m_nAmpParameter = 1000;
    std::int32_t m_nMute = 0;
    std::int32_t m_nVolume = 100;
    bool m_bStartRunning = false;
    std::int64_t m_llDuration = 0;
    std::vector<std::int32_t> m_effectValues;  // guarded by m_graphLock

    std::mutex m_graphLock;
    GraphSession m_graph;                   // guarded by m_graphLock
    ComPtr<IAudioEffect> m_pGargle;         // guarded by m_graphLock
    ComPtr<IImgEffectValues> m_pImgEffect;  // guarded by m_graphLock
    ComPtr<ITxAmp> m_pAmp;                  // guarded by m_graphLock

private:
    bool Prepare(HWND owner, LPCWSTR path);
    void Launch(Kind kind, HANDLE event);
    static DWORD Worker(std::shared_ptr<CAVPreview> job, Kind kind);
    DWORD Finish(Kind kind, bool success, bool stopFirst);
    void UpdatePrevState();
    int SetVolume(int volume, int mute);
    int ChangeState(int (*change)(GraphSession&), std::int32_t newState, bool notify);
    void Post(UINT message, LPARAM lParam);

    std::atomic<std::int32_t> m_nPlayState {0};
    HANDLE m_hPreviewDone;
    HANDLE m_hAudioDone;
    HANDLE m_hDataDone;
};

}  // namespace movanta::engine
