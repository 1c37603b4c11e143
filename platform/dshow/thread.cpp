#include "dshow/thread.h"

CAMThread::~CAMThread() { Close(); }

bool CAMThread::Create() {
    if (thread_.joinable()) return false;
    thread_ = std::thread([this] { ThreadProc(); });
    return true;
}

void CAMThread::Close() {
    if (thread_.joinable()) thread_.join();
}

HRESULT CAMThread::CallWorker(DWORD command) {
    std::lock_guard one(callers_);
    std::unique_lock lock(lock_);
    command_ = command;
    requested_ = true;
    replied_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return replied_; });
    return reply_;
}

DWORD CAMThread::GetRequest() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return requested_; });
    requested_ = false;
    return command_;
}

bool CAMThread::CheckRequest(DWORD* command) {
    std::lock_guard guard(lock_);
    if (!requested_) return false;
    if (command != nullptr) *command = command_;
    return true;
}

void CAMThread::Reply(HRESULT result) {
    std::lock_guard guard(lock_);
    reply_ = result;
    replied_ = true;
    changed_.notify_all();
}
