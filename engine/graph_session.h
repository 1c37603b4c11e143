// One worker's filter graph and its control interfaces. Owned and used by
// the worker thread; preview commands from the caller's thread go through
// the job's lock (preview_job.h).
#pragma once

#include <cstdint>
#include <string>

#include "com/com_ptr.h"
#include "dshow/interfaces.h"

namespace movanta::engine {

struct GraphSession {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IMediaEventEx> events;
    ComPtr<IBasicVideo> basicVideo;
    ComPtr<IBasicAudio> basicAudio;
    ComPtr<IVideoWindow> videoWindow;

    // Creates the graph manager and queries the control interfaces (the
    // preview ones too when asked); on any failure releases everything and
    // answers the failure.
    HRESULT Init(DWORD context, bool previewInterfaces);
    void Release();
    bool Exists() const { return static_cast<bool>(graph); }

    // Creates a filter by class and adds it under `name`; the graph keeps it.
    HRESULT AddFilter(REFCLSID clsid, LPCWSTR name, ComPtr<IBaseFilter>* added = nullptr);
    // Sets the media-time format (failure ignored) and reads the duration
    // into `duration`, which stays as it was when the graph cannot tell.
    void ReadDuration(std::int64_t& duration);
    // Writes the graph's description to `path`.
    HRESULT Save(const std::wstring& path);
    // Waits up to a poll interval (200 ms) for the graph's end, as
    // `IMediaEvent::WaitForCompletion`; a graph not running, which answers
    // at once, is waited for the interval instead, so that the workers'
    // polling loops do not spin.
    HRESULT WaitForCompletion(LONG* code);
};

// True for the answers of graph building that count as success.
bool IsAcceptedBuildResult(HRESULT hr);
// Writes the name of a graph-building result to the debugger output
// (" E_FAIL \n" and the like); other codes write nothing.
void ReportBuildResult(HRESULT hr);

// The n-th pin of a direction in the filter's pin order, or null.
ComPtr<IPin> PinByIndex(IBaseFilter* filter, PIN_DIRECTION direction, int index);

}  // namespace movanta::engine
