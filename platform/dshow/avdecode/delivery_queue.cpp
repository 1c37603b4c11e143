#include "delivery_queue.h"

#include "dshow/filter.h"

namespace movanta::dshow {

void DeliveryQueue::Start(CBaseOutputPin* pin) {
    Stop();
    m_pin = pin;
    m_stopping = false;
    m_failure = S_OK;
    m_thread = std::thread([this] { Run(); });
}

void DeliveryQueue::Stop() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
    Discard();
}

HRESULT DeliveryQueue::Deliver(IMediaSample* sample) {
    std::lock_guard guard(m_lock);
    if (m_failure != S_OK) return m_failure;
    sample->AddRef();
    m_waiting.push_back(sample);
    m_changed.notify_all();
    return S_OK;
}

void DeliveryQueue::Drain() {
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return (m_waiting.empty() && !m_delivering) || m_stopping; });
}

void DeliveryQueue::Discard() {
    std::deque<IMediaSample*> dropped;
    {
        std::lock_guard guard(m_lock);
        dropped.swap(m_waiting);
        m_failure = S_OK;
    }
    for (IMediaSample* sample : dropped) sample->Release();
    m_changed.notify_all();
}

void DeliveryQueue::Run() {
    std::unique_lock guard(m_lock);
    for (;;) {
        m_changed.wait(guard, [this] { return !m_waiting.empty() || m_stopping; });
        if (m_stopping) return;
        IMediaSample* sample = m_waiting.front();
        m_waiting.pop_front();
        m_delivering = true;
        guard.unlock();
        const HRESULT hr = m_pin->Deliver(sample);
        sample->Release();
        guard.lock();
        m_delivering = false;
        if (hr != S_OK && m_failure == S_OK) m_failure = hr;
        m_changed.notify_all();
    }
}

}  // namespace movanta::dshow
