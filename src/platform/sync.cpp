#include "platform/sync.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <deque>
#include <memory>

namespace platform {

void ManualResetEvent::Set() {
    {
        std::lock_guard guard(m_lock);
        m_signalled = true;
    }
    m_changed.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard guard(m_lock);
    m_signalled = false;
}

void ManualResetEvent::Wait() {
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return m_signalled; });
}

bool ManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, timeout, [this] { return m_signalled; });
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard guard(m_lock);
    return m_signalled;
}

namespace {

struct SyncCall {
    std::function<void()> fn;
    bool done = false;
};

struct SyncQueue {
    std::mutex lock;
    std::condition_variable changed; // a call arrived or one finished
    std::deque<std::shared_ptr<SyncCall>> pending;
};

SyncQueue& Queue() {
    static SyncQueue queue;
    return queue;
}

bool OnMainThread() {
    auto* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

struct IdleHookState {
    std::function<void()> hook;
    QMetaObject::Connection connection;
};

IdleHookState& IdleHook() {
    static IdleHookState state;
    return state;
}

void RunIdleHook() {
    // Copy: the hook may replace itself while it runs.
    auto hook = IdleHook().hook;
    if (hook)
        hook();
}

// Wakes the user-interface thread for a new synchronised call and gives it an idle turn
// even when its loop is driven by processEvents, which never reports that it is about to
// wait.
class Waker final : public QObject {
public:
    static inline const QEvent::Type kWake = static_cast<QEvent::Type>(QEvent::registerEventType());
    using QObject::QObject;

protected:
    bool event(QEvent* e) override {
        if (e->type() != kWake)
            return QObject::event(e);
        RunIdleHook();
        return true;
    }
};

std::mutex g_wakerLock;
Waker* g_waker = nullptr;

void EnsureWaker() {
    auto* app = QCoreApplication::instance();
    std::lock_guard guard(g_wakerLock);
    if (g_waker || !app)
        return;
    g_waker = new Waker(app);
    QObject::connect(g_waker, &QObject::destroyed, g_waker, [] {
        std::lock_guard inner(g_wakerLock);
        g_waker = nullptr;
    });
}

void WakeMainThread() {
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    {
        std::lock_guard guard(g_wakerLock);
        if (g_waker)
            QCoreApplication::postEvent(g_waker, new QEvent(Waker::kWake));
    }
    if (auto* dispatcher = QAbstractEventDispatcher::instance(app->thread()))
        dispatcher->wakeUp();
}

} // namespace

void Synchronize(std::function<void()> fn) {
    if (!fn)
        return;
    if (OnMainThread()) {
        fn();
        return;
    }
    auto call = std::make_shared<SyncCall>();
    call->fn = std::move(fn);
    auto& queue = Queue();
    {
        std::lock_guard guard(queue.lock);
        queue.pending.push_back(call);
    }
    queue.changed.notify_all();
    WakeMainThread();
    std::unique_lock guard(queue.lock);
    queue.changed.wait(guard, [&] { return call->done; });
}

bool CheckSynchronize(std::chrono::milliseconds timeout) {
    auto& queue = Queue();
    std::deque<std::shared_ptr<SyncCall>> calls;
    {
        std::unique_lock guard(queue.lock);
        if (timeout.count() > 0)
            queue.changed.wait_for(guard, timeout, [&] { return !queue.pending.empty(); });
        calls.swap(queue.pending);
    }
    if (calls.empty())
        return false;
    for (auto& call : calls) {
        // The caller waits for this call whatever it does; an exception must not leave it waiting.
        try {
            call->fn();
        } catch (...) {
        }
        {
            std::lock_guard guard(queue.lock);
            call->done = true;
        }
        queue.changed.notify_all();
    }
    return true;
}

int PendingSynchronizeCalls() {
    auto& queue = Queue();
    std::lock_guard guard(queue.lock);
    return static_cast<int>(queue.pending.size());
}

void SetApplicationIdleHook(std::function<void()> hook) {
    auto& state = IdleHook();
    QObject::disconnect(state.connection);
    state.connection = {};
    state.hook = std::move(hook);
    if (!state.hook)
        return;
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    auto* dispatcher = QAbstractEventDispatcher::instance(app->thread());
    if (!dispatcher)
        return;
    EnsureWaker();
    state.connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, app, RunIdleHook,
                                        Qt::DirectConnection);
}

bool HasApplicationIdleHook() {
    return static_cast<bool>(IdleHook().hook);
}

TThread::TThread() = default;

TThread::~TThread() {
    Terminate();
    if (isRunning())
        WaitFor();
}

void TThread::Start(QThread::Priority priority) {
    start(priority);
}

void TThread::WaitFor() {
    if (QThread::currentThread() == this)
        return;
    while (!wait(QDeadlineTimer(std::chrono::milliseconds(5)))) {
        if (OnMainThread())
            CheckSynchronize(std::chrono::milliseconds(5));
    }
    if (OnMainThread())
        CheckSynchronize();
}

void TThread::run() {
    Execute();
}

} // namespace platform
