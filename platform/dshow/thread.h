// A worker thread driven by commands: the caller sends a command and waits
// for the worker's reply; the worker waits for or polls commands.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "com/hresult.h"

class CAMThread {
public:
    CAMThread() = default;
    virtual ~CAMThread();
    CAMThread(const CAMThread&) = delete;
    CAMThread& operator=(const CAMThread&) = delete;

    // Starts ThreadProc on a new thread; false when one runs already.
    bool Create();
    bool ThreadExists() const { return thread_.joinable(); }
    // Waits for the thread to end (after it was told to exit).
    void Close();

    // Caller side: sends a command and waits for its reply.
    HRESULT CallWorker(DWORD command);
    // Worker side: GetRequest waits for a command and takes it; CheckRequest
    // only looks, leaving the command for GetRequest.
    DWORD GetRequest();
    bool CheckRequest(DWORD* command);
    void Reply(HRESULT result);

protected:
    virtual DWORD ThreadProc() = 0;

private:
    std::thread thread_;
    std::mutex lock_;
    std::mutex callers_;  // one command at a time
    std::condition_variable changed_;
    bool requested_ = false;  // guarded by lock_
    bool replied_ = false;    // guarded by lock_
    DWORD command_ = 0;       // guarded by lock_
    HRESULT reply_ = S_OK;    // guarded by lock_
};
