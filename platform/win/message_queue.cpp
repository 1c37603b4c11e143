#include "win/message_queue.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "win/thread.h"
#include "win/window_backend.h"
#include "win/window_rendezvous.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

struct QueueTable {
    std::mutex lock;
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

QueueTable& Queues() {
    static QueueTable table;
    return table;
}

// Owns the calling thread's queue and shuts it down when the thread ends.
struct QueueHolder {
    std::shared_ptr<MessageQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        queue->Shutdown();
        ForgetWindowsOfThread(queue->ThreadId());
        QueueTable& table = Queues();
        std::lock_guard guard(table.lock);
        table.queues.erase(queue->ThreadId());
    }
};

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

std::shared_ptr<MessageQueue> CurrentQueue() {
    static thread_local QueueHolder holder;
    if (!holder.queue) {
        holder.queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
        QueueTable& table = Queues();
        std::lock_guard guard(table.lock);
        table.queues[holder.queue->ThreadId()] = holder.queue;
    }
    return holder.queue;
}

std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId) {
    QueueTable& table = Queues();
    std::lock_guard guard(table.lock);
    auto it = table.queues.find(threadId);
    return it == table.queues.end() ? nullptr : it->second;
}

bool MessageQueue::Post(const MSG& msg) {
    {
        std::lock_guard guard(lock_);
        if (!alive_) return false;
        posted_.push_back(msg);
    }
    Wake();
    return true;
}

bool MessageQueue::PostSent(const std::shared_ptr<SentMessage>& sent) {
    {
        std::lock_guard guard(lock_);
        if (!alive_) return false;
        sent_.push_back(sent);
    }
    Wake();
    return true;
}

void MessageQueue::PostQuit(int exitCode) {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
        quitCode_ = exitCode;
    }
    Wake();
}

void MessageQueue::Wake() {
    wake_.notify_all();
    if (WindowBackend* pump = pump_.load()) pump->Wake();
}

void MessageQueue::SetPump(WindowBackend* pump) {
    pump_.store(pump);
}

void MessageQueue::Complete(SentMessage& sent, LRESULT result) {
    MessageQueue& sender = *sent.sender;
    {
        std::lock_guard guard(sender.lock_);
        sent.result = result;
        sent.done = true;
    }
    sender.Wake();
}

void MessageQueue::HandleSentLocked(std::unique_lock<std::mutex>& lock) {
    while (!sent_.empty()) {
        std::shared_ptr<SentMessage> sent = std::move(sent_.front());
        sent_.pop_front();
        lock.unlock();
        const LRESULT result =
            CallWindowProcedure(sent->msg.hwnd, sent->msg.message, sent->msg.wParam, sent->msg.lParam);
        Complete(*sent, result);
        lock.lock();
    }
}

bool MessageQueue::TakeMatchingLocked(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    auto it = std::find_if(posted_.begin(), posted_.end(),
                           [&](const MSG& msg) { return Matches(msg, window, filterMin, filterMax); });
    if (it != posted_.end()) {
        out = *it;
        if (remove) posted_.erase(it);
        return true;
    }
    if (quit_) {
        out = MSG {nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0, GetTickCount(), {0, 0}};
        if (remove) quit_ = false;
        return true;
    }
    // WM_PAINT stays until the window is validated, so it is never removed.
    if (HWND dirty = WindowToPaint(threadId_, window); dirty != nullptr) {
        const MSG paint {dirty, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
        if (Matches(paint, window, filterMin, filterMax)) {
            out = paint;
            return true;
        }
    }
    const ULONGLONG now = GetTickCount64();
    for (Timer& timer : timers_) {
        const MSG tick {
            timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), static_cast<DWORD>(now),
            {0, 0}};
        if (timer.due <= now && Matches(tick, window, filterMin, filterMax)) {
            out = tick;
            if (remove) timer.due = now + timer.interval;
            return true;
        }
    }
    return false;
}

void MessageQueue::WaitLocked(std::unique_lock<std::mutex>& lock, DWORD timeout) {
    if (WindowBackend* pump = pump_.load()) {
        lock.unlock();
        pump->ProcessEvents(timeout);
        lock.lock();
    } else if (timeout == INFINITE) {
        wake_.wait(lock);
    } else {
        wake_.wait_for(lock, std::chrono::milliseconds(timeout));
    }
}

bool MessageQueue::Retrieve(MSG& out, HWND window, UINT filterMin, UINT filterMax, bool remove, bool wait) {
    std::unique_lock lock(lock_);
    // The toolkit's pending events come first, so input is seen in time.
    if (pump_.load() != nullptr) WaitLocked(lock, 0);
    for (;;) {
        HandleSentLocked(lock);
        if (TakeMatchingLocked(out, window, filterMin, filterMax, remove)) return true;
        if (!wait) return false;
        DWORD timeout = INFINITE;
        if (!timers_.empty()) {
            ULONGLONG due = timers_.front().due;
            for (const Timer& timer : timers_) due = std::min(due, timer.due);
            // A timer already due here does not match the filter: look again later.
            const ULONGLONG now = GetTickCount64();
            timeout = static_cast<DWORD>(due > now ? std::min<ULONGLONG>(due - now, INFINITE - 1) : USER_TIMER_MINIMUM);
        }
        WaitLocked(lock, timeout);
    }
}

void MessageQueue::WaitForReply(const SentMessage& sent) {
    std::unique_lock lock(lock_);
    for (;;) {
        HandleSentLocked(lock);
        if (sent.done) return;
        // Only sent messages are handled meanwhile, not the toolkit's input.
        wake_.wait(lock);
    }
}

UINT_PTR MessageQueue::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    const DWORD interval = std::max<UINT>(elapse, USER_TIMER_MINIMUM);
    std::lock_guard guard(lock_);
    if (window == nullptr && id == 0) {
        while (std::any_of(timers_.begin(), timers_.end(),
                           [&](const Timer& t) { return t.window == nullptr && t.id == nextTimerId_; })) {
            ++nextTimerId_;
        }
        id = nextTimerId_++;
    }
    const Timer timer {window, id, interval, GetTickCount64() + interval, procedure};
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it != timers_.end()) {
        *it = timer;
    } else {
        timers_.push_back(timer);
    }
    wake_.notify_all();
    return id;
}

bool MessageQueue::KillTimer(HWND window, UINT_PTR id) {
    std::lock_guard guard(lock_);
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    return true;
}

void MessageQueue::KillTimersOf(HWND window) {
    std::lock_guard guard(lock_);
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
}

void MessageQueue::Shutdown() {
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard guard(lock_);
        alive_ = false;
        pending.swap(sent_);
        posted_.clear();
        timers_.clear();
    }
    for (auto& sent : pending) Complete(*sent, 0);
}

}  // namespace movanta::win

using namespace movanta::win;

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRemoteWindow(window)) {
        if (PostRemote(window, message, wParam, lParam)) return TRUE;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const MSG msg {window, message, wParam, lParam, GetTickCount(), {0, 0}};
    std::shared_ptr<MessageQueue> queue = window == nullptr ? CurrentQueue() : QueueOfWindow(window);
    if (!queue || !queue->Post(msg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG msg {nullptr, message, wParam, lParam, GetTickCount(), {0, 0}};
    std::shared_ptr<MessageQueue> queue = QueueOfThread(threadId);
    if (!queue || !queue->Post(msg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> target = QueueOfWindow(window);
    if (!target) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (target->ThreadId() == GetCurrentThreadId()) return CallWindowProcedure(window, message, wParam, lParam);
    auto sent = std::make_shared<SentMessage>();
    sent->msg = MSG {window, message, wParam, lParam, GetTickCount(), {0, 0}};
    sent->sender = CurrentQueue();
    if (!target->PostSent(sent)) return 0;
    sent->sender->WaitForReply(*sent);
    return sent->result;
}

BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    CurrentQueue()->Retrieve(*message, window, filterMin, filterMax, true, true);
    return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (message == nullptr) return FALSE;
    return CurrentQueue()->Retrieve(*message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false)
               ? TRUE
               : FALSE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* message) {
    if (message == nullptr) return 0;
    if (message->message == WM_TIMER && message->lParam != 0) {
        reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    return CallWindowProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    CurrentQueue()->PostQuit(exitCode);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    std::shared_ptr<MessageQueue> queue = window == nullptr ? CurrentQueue() : QueueOfWindow(window);
    if (!queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return queue->SetTimer(window, id, elapse, procedure);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    std::shared_ptr<MessageQueue> queue = window == nullptr ? CurrentQueue() : QueueOfWindow(window);
    return queue && queue->KillTimer(window, id) ? TRUE : FALSE;
}
