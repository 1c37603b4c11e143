// Events from the filters to the application, and completion.
//
// EC_COMPLETE from the renderers is counted: the application receives one
// EC_COMPLETE when every stream rendered in the running graph (every
// connected input pin of a renderer) has sent its own
// (unless CancelDefaultHandling(EC_COMPLETE) asks for each of them).
// WaitForCompletion ends on that EC_COMPLETE, on EC_USERABORT and on
// EC_ERRORABORT, and keeps answering so until the graph stops or seeks.
#include <chrono>

#include "graph.h"
#include "win/sync.h"
#include "win/winuser.h"

void CFilterGraph::QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    // Called with m_eventLock held.
    m_events.push_back({code, param1, param2});
    SetEvent(m_hEventPending);
    if (code == EC_COMPLETE || code == EC_USERABORT || code == EC_ERRORABORT) {
        if (m_completionCode == 0) m_completionCode = code;
    }
    if (m_notifyWindow != 0 && m_notifyFlags == 0) {
        PostMessageW(reinterpret_cast<HWND>(m_notifyWindow), static_cast<UINT>(m_notifyMessage), 0, m_notifyData);
    }
    m_eventArrived.notify_all();
}

void CFilterGraph::ResetCompletion() {
    std::lock_guard guard(m_eventLock);
    m_completed.clear();
    m_completionCode = 0;
}

HRESULT CFilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard guard(m_eventLock);
    if (code == EC_COMPLETE && m_defaultCompletion) {
        auto* filter = reinterpret_cast<IBaseFilter*>(param2);
        if (filter != nullptr) m_completed.insert(filter);
        if (m_running && m_completionCode == 0 && m_completed.size() >= m_renderedStreams)
            QueueEvent(EC_COMPLETE, S_OK, 0);
        return S_OK;
    }
    QueueEvent(code, param1, param2);
    return S_OK;
}

HRESULT CFilterGraph::GetEventHandle(OAEVENT* event) {
    if (event == nullptr) return E_POINTER;
    *event = reinterpret_cast<OAEVENT>(m_hEventPending);
    return S_OK;
}

HRESULT CFilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG milliseconds) {
    if (code == nullptr || param1 == nullptr || param2 == nullptr) return E_POINTER;
    std::unique_lock lock(m_eventLock);
    auto ready = [this] { return !m_events.empty(); };
    if (milliseconds < 0) {
        m_eventArrived.wait(lock, ready);
    } else if (!m_eventArrived.wait_for(lock, std::chrono::milliseconds(milliseconds), ready)) {
        return E_ABORT;
    }
    const Event event = m_events.front();
    m_events.pop_front();
    if (m_events.empty()) ResetEvent(m_hEventPending);
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT CFilterGraph::WaitForCompletion(LONG milliseconds, LONG* code) {
    if (code == nullptr) return E_POINTER;
    *code = 0;
    std::unique_lock lock(m_eventLock);
    if (!m_running) return VFW_E_WRONG_STATE;
    auto done = [this] { return m_completionCode != 0 || !m_running; };
    if (milliseconds < 0) {
        m_eventArrived.wait(lock, done);
    } else if (!m_eventArrived.wait_for(lock, std::chrono::milliseconds(milliseconds), done)) {
        return E_ABORT;
    }
    if (m_completionCode == 0) return VFW_E_WRONG_STATE;  // stopped while waiting
    *code = m_completionCode;
    return S_OK;
}

HRESULT CFilterGraph::CancelDefaultHandling(LONG code) {
    if (code != EC_COMPLETE) return E_INVALIDARG;
    std::lock_guard guard(m_eventLock);
    m_defaultCompletion = false;
    return S_OK;
}

HRESULT CFilterGraph::RestoreDefaultHandling(LONG code) {
    if (code != EC_COMPLETE) return E_INVALIDARG;
    std::lock_guard guard(m_eventLock);
    m_defaultCompletion = true;
    return S_OK;
}

HRESULT CFilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData) {
    std::lock_guard guard(m_eventLock);
    m_notifyWindow = window;
    m_notifyMessage = message;
    m_notifyData = instanceData;
    return S_OK;
}

HRESULT CFilterGraph::SetNotifyFlags(LONG flags) {
    if (flags != 0 && flags != 1) return E_INVALIDARG;  // 1: AM_MEDIAEVENT_NONOTIFY
    std::lock_guard guard(m_eventLock);
    m_notifyFlags = flags;
    return S_OK;
}

HRESULT CFilterGraph::GetNotifyFlags(LONG* flags) {
    if (flags == nullptr) return E_POINTER;
    std::lock_guard guard(m_eventLock);
    *flags = m_notifyFlags;
    return S_OK;
}
