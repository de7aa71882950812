#pragma once

#include "platform/platformapi.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace platform {

// An event that stays signalled until it is reset.
class ZRUN_PLATFORM_API ManualResetEvent final {
public:
    void Set();
    void Reset();
    void Wait();
    bool WaitFor(std::chrono::milliseconds timeout);
    bool IsSet() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_signalled = false;
};

// Runs fn on the user-interface thread and waits until it ran. The call runs when that
// thread calls CheckSynchronize: from the application idle hook, or while it joins a thread.
// Called on the user-interface thread itself, fn runs at once.
ZRUN_PLATFORM_API void Synchronize(std::function<void()> fn);

// Runs the pending synchronised calls (user-interface thread only). With a timeout, first
// waits up to that long for one to arrive. True when at least one call ran.
ZRUN_PLATFORM_API bool CheckSynchronize(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

// Number of synchronised calls that wait to be run.
ZRUN_PLATFORM_API int PendingSynchronizeCalls();

// The application's idle event: called each time the user-interface thread's event loop is
// about to wait for events. One handler at a time; an empty function removes it.
ZRUN_PLATFORM_API void SetApplicationIdleHook(std::function<void()> hook);
ZRUN_PLATFORM_API bool HasApplicationIdleHook();

// A thread object in the manner of the original framework: created suspended, asked to
// terminate, joined with WaitFor, which keeps running synchronised calls so that a thread
// blocked in Synchronize can always finish.
class ZRUN_PLATFORM_API TThread : public QThread {
public:
    TThread();
    ~TThread() override;

    void Start(QThread::Priority priority = QThread::InheritPriority);
    void Terminate() { m_terminated.store(true); }
    bool Terminated() const { return m_terminated.load(); }
    void WaitFor();

protected:
    virtual void Execute() = 0;
    // Synchronize on behalf of this thread.
    void SynchronizeCall(std::function<void()> fn) { Synchronize(std::move(fn)); }

private:
    void run() final;

    std::atomic<bool> m_terminated{false};
};

} // namespace platform
