// One thread's message queue. Internal to the platform layer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "win/winuser.h"

namespace movanta::win {

class MessageQueue;
class WindowBackend;

// A message sent from another thread, answered by the owner's thread.
struct SentMessage {
    MSG msg {};
    LRESULT result = 0;
    bool done = false;                     // guarded by sender->lock
    std::shared_ptr<MessageQueue> sender;  // woken when done
};

struct Timer {
    HWND window;
    UINT_PTR id;
    DWORD interval;
    ULONGLONG due;
    TIMERPROC procedure;
};

class MessageQueue {
public:
    explicit MessageQueue(DWORD threadId) : threadId_(threadId) {}

    DWORD ThreadId() const { return threadId_; }
    // False once the owning thread has ended.
    bool Post(const MSG& msg);
    bool PostSent(const std::shared_ptr<SentMessage>& sent);
    void PostQuit(int exitCode);
    void Complete(SentMessage& sent, LRESULT result);

    // Runs on the owning thread: handles sent messages, then looks for a
    // posted message, WM_QUIT, a window to paint or a due timer matching the
    // filter, in that order. With `wait` it blocks until one comes. With a
    // pump the toolkit's events run meanwhile.
    bool Retrieve(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove, bool wait);
    // Runs on the owning thread while it waits for an answer to its own send.
    void WaitForReply(const SentMessage& sent);

    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
    bool KillTimer(HWND window, UINT_PTR id);
    void KillTimersOf(HWND window);
    // Ends a wait of the owning thread, to look for paint work or input.
    void Wake();
    // The toolkit whose events the owning thread runs while it waits.
    void SetPump(WindowBackend* pump);
    // Called as the owning thread ends: later posts fail and pending sends are
    // answered with 0.
    void Shutdown();

private:
    void HandleSentLocked(std::unique_lock<std::mutex>& lock);
    // Waits for a wake or the timeout (ms), running the pump's events if any.
    void WaitLocked(std::unique_lock<std::mutex>& lock, DWORD timeout);
    bool TakeMatchingLocked(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove);

    const DWORD threadId_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<MSG> posted_;                         // guarded by lock_
    std::deque<std::shared_ptr<SentMessage>> sent_;  // guarded by lock_
    std::vector<Timer> timers_;                      // guarded by lock_
    UINT_PTR nextTimerId_ = 1;                       // guarded by lock_
    bool quit_ = false;                              // guarded by lock_
    int quitCode_ = 0;                               // guarded by lock_
    bool alive_ = true;                              // guarded by lock_
    std::atomic<WindowBackend*> pump_ {nullptr};
};

// The calling thread's queue, created on first use.
std::shared_ptr<MessageQueue> CurrentQueue();
// The queue of a live thread that has one, or null.
std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId);

// Calls the window's current procedure; 0 when the window is gone.
LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The queue of the thread that owns the window, or null.
std::shared_ptr<MessageQueue> QueueOfWindow(HWND window);
// Forgets every window of a thread that is ending.
void ForgetWindowsOfThread(DWORD threadId);

}  // namespace movanta::win
