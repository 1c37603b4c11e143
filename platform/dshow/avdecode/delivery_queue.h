// Hands pictures to an output pin on a thread of its own, so that the
// thread that feeds the decoder goes on with the next packets while the
// filters downstream (scaling, encoding) take the last picture.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "dshow/interfaces.h"

class CBaseOutputPin;

namespace movanta::dshow {

class DeliveryQueue {
public:
    DeliveryQueue() = default;
    ~DeliveryQueue() { Stop(); }
    DeliveryQueue(const DeliveryQueue&) = delete;
    DeliveryQueue& operator=(const DeliveryQueue&) = delete;

    void Start(CBaseOutputPin* pin);
    // Drops what waits and ends the thread once the delivery under way
    // returns (the filters downstream stop first).
    void Stop();
    bool Running() const { return m_thread.joinable(); }

    // Queues the sample (the queue holds a reference); the failure of an
    // earlier delivery when one failed, which ends the stream.
    HRESULT Deliver(IMediaSample* sample);
    // Waits until every queued sample was delivered (or refused).
    void Drain();
    // Drops what waits (a flush) and forgets a failure.
    void Discard();

private:
    void Run();

    CBaseOutputPin* m_pin = nullptr;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<IMediaSample*> m_waiting;
    bool m_delivering = false;
    bool m_stopping = false;
    HRESULT m_failure = S_OK;
};

}  // namespace movanta::dshow
