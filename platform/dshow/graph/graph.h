// The filter graph manager: holds filters, connects and renders pins,
// changes the state of every filter, seeks, and collects the filters'
// events for the application.
//
// Threads: every method may be called from the application's threads;
// IMediaEventSink::Notify is called from streaming threads too. m_lock
// guards the filter list, the state and the clock, and is held across
// state changes; streaming threads never take it (they only take
// m_eventLock, through Notify), so a state change may wait for a streaming
// thread without deadlock.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "dshow/interfaces.h"
#include "dshow/sync.h"

class CFilterGraph : public CUnknown,
                     public IGraphBuilder,
                     public IMediaControl,
                     public IMediaSeeking,
                     public IMediaEventEx,
                     public IMediaEventSink,
                     public IPersistStream,
                     public IBasicAudio,
                     public IBasicVideo,
                     public IVideoWindow {
public:
    CFilterGraph(LPUNKNOWN outer, HRESULT* result);
    ~CFilterGraph() override;
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    // IFilterGraph (graph_filters.cpp)
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT EnumFilters(IEnumFilters** filters) override;
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    HRESULT Reconnect(IPin* pin) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT SetDefaultSyncSource() override;

    // IGraphBuilder (graph_connect.cpp)
    HRESULT Connect(IPin* output, IPin* input) override;
    HRESULT Render(IPin* output) override;
    HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override;
    HRESULT AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter** filter) override;
    HRESULT SetLogFile(DWORD_PTR) override { return S_OK; }
    HRESULT Abort() override { return S_OK; }
    HRESULT ShouldOperationContinue() override { return S_OK; }

    // IMediaControl (graph_control.cpp)
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG milliseconds, OAFilterState* state) override;
    HRESULT RenderFile(LPCWSTR file) override { return RenderFile(file, nullptr); }
    HRESULT StopWhenReady() override;

    // IMediaSeeking (graph_seeking.cpp)
    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

    // IMediaEventEx and IMediaEventSink (graph_events.cpp)
    HRESULT GetEventHandle(OAEVENT* event) override;
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG milliseconds) override;
    HRESULT WaitForCompletion(LONG milliseconds, LONG* code) override;
    HRESULT CancelDefaultHandling(LONG code) override;
    HRESULT RestoreDefaultHandling(LONG code) override;
    HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
    HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) override;
    HRESULT SetNotifyFlags(LONG flags) override;
    HRESULT GetNotifyFlags(LONG* flags) override;
    HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // IPersistStream (graph_persist.cpp)
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return S_OK; }
    HRESULT Load(IStream*) override { return E_NOTIMPL; }
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override;

    // IBasicAudio, IBasicVideo, IVideoWindow: passed to the first filter
    // that has them (graph_forward.cpp); E_NOINTERFACE when none has.
    HRESULT put_Volume(LONG volume) override;
    HRESULT get_Volume(LONG* volume) override;
    HRESULT put_Balance(LONG balance) override;
    HRESULT get_Balance(LONG* balance) override;
    HRESULT get_AvgTimePerFrame(REFTIME* time) override;
    HRESULT GetVideoSize(LONG* width, LONG* height) override;
    HRESULT put_DestinationLeft(LONG value) override;
    HRESULT put_DestinationTop(LONG value) override;
    HRESULT put_DestinationWidth(LONG value) override;
    HRESULT put_DestinationHeight(LONG value) override;
    HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT GetCurrentImage(LONG* size, LONG* image) override;
    HRESULT put_Visible(LONG visible) override;
    HRESULT get_Visible(LONG* visible) override;
    HRESULT put_Owner(OAHWND owner) override;
    HRESULT get_Owner(OAHWND* owner) override;
    HRESULT put_WindowStyle(LONG style) override;
    HRESULT get_WindowStyle(LONG* style) override;
    HRESULT put_MessageDrain(OAHWND drain) override;
    HRESULT SetWindowForeground(LONG focus) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam, LONG_PTR lParam) override;

private:
    struct Entry {
        IBaseFilter* filter;  // holds a reference
        std::wstring name;
    };

    // graph_filters.cpp
    bool Contains(IBaseFilter* filter);
    bool PinInGraph(IPin* pin);
    std::vector<IBaseFilter*> FiltersSnapshot();  // AddRef'ed; release with ReleaseAll
    static void ReleaseAll(std::vector<IBaseFilter*>& filters);
    // graph_control.cpp
    std::vector<IBaseFilter*> DownstreamFirst();  // AddRef'ed
    HRESULT ChangeState(FILTER_STATE target);
    HRESULT EnsureClock();
    void CountRenderers();
    REFERENCE_TIME StreamTimeLocked();
    // graph_connect.cpp
    // The graph as an attempt to connect found it: its filters and its
    // connected pins (identities only, never used to call them).
    struct Mark {
        std::vector<IBaseFilter*> filters;
        std::vector<IPin*> connected;
    };
    Mark TakeMark();
    // Undoes every connection made and removes every filter added since.
    void RestoreMark(const Mark& mark);
    HRESULT ConnectVia(IPin* output, IPin* input, int depth);
    HRESULT RenderVia(IPin* output, int depth);
    HRESULT TryIntermediate(IPin* output, IBaseFilter* filter, IPin* input, int depth);
    HRESULT RenderOutputs(IBaseFilter* filter, int depth);
    // graph_events.cpp
    void QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
    void ResetCompletion();
    // graph_seeking.cpp
    std::vector<IMediaSeeking*> Seekables();  // AddRef'ed
    HRESULT LatestOf(HRESULT (IMediaSeeking::*getter)(LONGLONG*), LONGLONG* value);
    // graph_forward.cpp
    template <class Interface>
    Interface* FindInterface(REFIID iid);

    CCritSec m_lock;
    std::vector<Entry> m_filters;            // guarded by m_lock, oldest first
    FILTER_STATE m_state = State_Stopped;    // guarded by m_lock
    IReferenceClock* m_pClock = nullptr;     // guarded by m_lock; holds a reference
    REFERENCE_TIME m_tStart = 0;             // clock time of stream time 0 while running
    REFERENCE_TIME m_streamTimeAtPause = 0;  // stream time when paused
    REFERENCE_TIME m_positionBase = 0;       // media time of stream time 0

    std::mutex m_eventLock;
    std::condition_variable m_eventArrived;
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    std::deque<Event> m_events;  // guarded by m_eventLock
    HANDLE m_hEventPending;      // set while m_events is not empty
    // One entry per EC_COMPLETE: each rendered input pin sends its own.
    std::multiset<IBaseFilter*> m_completed;  // guarded by m_eventLock
    size_t m_renderedStreams = 0;             // guarded by m_eventLock
    LONG m_completionCode = 0;                // guarded by m_eventLock; 0: not complete
    bool m_running = false;                   // guarded by m_eventLock
    bool m_defaultCompletion = true;          // guarded by m_eventLock
    OAHWND m_notifyWindow = 0;                // guarded by m_eventLock
    LONG m_notifyMessage = 0;                 // guarded by m_eventLock
    LONG_PTR m_notifyData = 0;                // guarded by m_eventLock
    LONG m_notifyFlags = 0;                   // guarded by m_eventLock
};
