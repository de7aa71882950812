// The stand-in for the window system: messages, window handles, synchronised calls, hooks,
// cursor and the library loader.
#include "platform/hooks.h"
#include "platform/loader.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "platform/system.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Counts its live instances, so a test can see whether a carried object was freed.
struct Tracked {
    static inline std::atomic<int> alive{0};
    Tracked() { ++alive; }
    ~Tracked() { --alive; }
};

class Receiver final : public QWidget {
public:
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> received;
    bool takeOwned = true;

protected:
    bool event(QEvent* e) override {
        if (auto* m = platform::AsWindowMessage(e)) {
            received.emplace_back(m->Msg(), m->WParam());
            if (takeOwned)
                m->TakeOwned<Tracked>();
            return true;
        }
        return QWidget::event(e);
    }
};

class Worker final : public platform::TThread {
public:
    std::atomic<bool> ran{false};
    Qt::HANDLE ranOn = nullptr;

protected:
    void Execute() override {
        SynchronizeCall([this] {
            ranOn = QThread::currentThreadId();
            ran = true;
        });
    }
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void registeredNumbersAreOnePerName();
    void postReachesTheWindowInOrder();
    void postToAGoneWindowFails();
    void postFromOtherThreadsToAGoneWindowFails();
    void unregisteredNumberIsNotPosted();
    void carriedObjectFreedWhenNeverDelivered();
    void carriedObjectTakenOnDelivery();
    void postsFromManyThreadsArriveOnce();
    void synchronizeRunsOnTheUserInterfaceThread();
    void idleHookRunsSynchronisedCalls();
    void joinRunsPendingSynchronisedCalls();
    void keyboardHookSeesAKeyOnce();
    void keyboardHookSeesEveryPressOfAnAcceptedKey();
    void keyboardHookCanSwallow();
    void newestHookRunsFirst();
    void modifierSidesTold();
    void screenCursorIsNotStacked();
    void findWindowByClassName();
    void loaderOpensProductLibraries();
};

void TestPlatform::registeredNumbersAreOnePerName() {
    const auto a = platform::RegisterWindowMessage(u"TEST_A");
    const auto b = platform::RegisterWindowMessage(u"TEST_B");
    QVERIFY(a >= QEvent::User);
    QVERIFY(a != b);
    QCOMPARE(platform::RegisterWindowMessage(u"TEST_A"), a);
    QCOMPARE(platform::RegisterWindowMessage(u""), 0u);
}

void TestPlatform::postReachesTheWindowInOrder() {
    Receiver window;
    const auto msg = platform::RegisterWindowMessage(u"TEST_ORDER");
    const auto handle = platform::HandleOf(&window);
    QVERIFY(handle != 0);
    QCOMPARE(platform::HandleOf(&window), handle);
    for (std::uintptr_t i = 0; i < 5; ++i)
        QVERIFY(platform::PostMessage(handle, msg, i, 0));
    QCoreApplication::processEvents();
    QCOMPARE(window.received.size(), std::size_t(5));
    for (std::uintptr_t i = 0; i < 5; ++i)
        QCOMPARE(window.received[i].second, i);
}

void TestPlatform::postToAGoneWindowFails() {
    const auto msg = platform::RegisterWindowMessage(u"TEST_GONE");
    auto* window = new Receiver;
    const auto handle = platform::HandleOf(window);
    delete window;
    QVERIFY(!platform::PostMessage(handle, msg, 0, 0));
    QVERIFY(platform::WindowFromHandle(handle) == nullptr);
    QVERIFY(!platform::PostMessage(0, msg, 0, 0));
}

void TestPlatform::postFromOtherThreadsToAGoneWindowFails() {
    const auto msg = platform::RegisterWindowMessage(u"TEST_GONE_THREAD");
    auto* window = new Receiver;
    const auto handle = platform::HandleOf(window);
    delete window;
    bool posted = true;
    std::thread([&] {
        posted = platform::PostMessage(handle, msg, 1, platform::MakeOwnedParam(new Tracked));
    }).join();
    QVERIFY(!posted);
    QCOMPARE(Tracked::alive.load(), 0);
}

void TestPlatform::unregisteredNumberIsNotPosted() {
    Receiver window;
    QVERIFY(!platform::PostMessage(platform::HandleOf(&window), QEvent::User + 1, 0, 0));
}

void TestPlatform::carriedObjectFreedWhenNeverDelivered() {
    const auto msg = platform::RegisterWindowMessage(u"TEST_OWNED");
    auto* window = new Receiver;
    QVERIFY(platform::PostMessage(platform::HandleOf(window), msg, 0, platform::MakeOwnedParam(new Tracked)));
    QCOMPARE(Tracked::alive.load(), 1);
    delete window; // its pending messages go with it
    QCOMPARE(Tracked::alive.load(), 0);
}

void TestPlatform::carriedObjectTakenOnDelivery() {
    const auto msg = platform::RegisterWindowMessage(u"TEST_OWNED");
    Receiver window;
    auto* object = new Tracked;
    QVERIFY(platform::PostMessage(platform::HandleOf(&window), msg, 0, platform::MakeOwnedParam(object)));
    QCoreApplication::processEvents();
    QCOMPARE(window.received.size(), std::size_t(1));
    QCOMPARE(Tracked::alive.load(), 0); // the receiver took it and let it go

    // A receiver that does not take it: the message frees it after delivery.
    window.takeOwned = false;
    QVERIFY(
        platform::PostMessage(platform::HandleOf(&window), msg, 0, platform::MakeOwnedParam(new Tracked)));
    QCoreApplication::processEvents();
    QCOMPARE(Tracked::alive.load(), 0);
}

void TestPlatform::postsFromManyThreadsArriveOnce() {
    const auto msg = platform::RegisterWindowMessage(u"TEST_MANY");
    Receiver window;
    const auto handle = platform::HandleOf(&window);
    constexpr int kThreads = 6, kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([=] {
            for (int i = 0; i < kEach; ++i)
                platform::PostMessage(handle, msg, static_cast<std::uintptr_t>(t * kEach + i),
                                      platform::MakeOwnedParam(new Tracked));
        });
    for (auto& t : threads)
        t.join();
    QTRY_COMPARE(window.received.size(), std::size_t(kThreads * kEach));
    std::vector<bool> seen(kThreads * kEach, false);
    for (const auto& [m, w] : window.received) {
        QCOMPARE(m, msg);
        QVERIFY(!seen[w]);
        seen[w] = true;
    }
    QCOMPARE(Tracked::alive.load(), 0);
}

void TestPlatform::synchronizeRunsOnTheUserInterfaceThread() {
    // On the user-interface thread itself the call runs at once.
    bool ran = false;
    platform::Synchronize([&] { ran = true; });
    QVERIFY(ran);

    std::atomic<Qt::HANDLE> ranOn{nullptr};
    std::thread t([&] { platform::Synchronize([&] { ranOn = QThread::currentThreadId(); }); });
    QTRY_VERIFY(platform::PendingSynchronizeCalls() == 1);
    QVERIFY(platform::CheckSynchronize());
    t.join();
    QCOMPARE(ranOn.load(), QThread::currentThreadId());
    QVERIFY(!platform::CheckSynchronize());
}

void TestPlatform::idleHookRunsSynchronisedCalls() {
    int idle = 0;
    platform::SetApplicationIdleHook([&] {
        ++idle;
        platform::CheckSynchronize();
    });
    QVERIFY(platform::HasApplicationIdleHook());
    std::atomic<bool> done{false};
    std::thread t([&] { platform::Synchronize([&] { done = true; }); });
    QTRY_VERIFY(done.load());
    t.join();
    QVERIFY(idle > 0);
    platform::SetApplicationIdleHook({});
    QVERIFY(!platform::HasApplicationIdleHook());
}

void TestPlatform::joinRunsPendingSynchronisedCalls() {
    // No idle hook: only the join can run the call the thread waits for.
    Worker worker;
    worker.Start(QThread::LowestPriority);
    QTRY_VERIFY(platform::PendingSynchronizeCalls() == 1);
    worker.Terminate();
    worker.WaitFor();
    QVERIFY(worker.ran.load());
    QCOMPARE(worker.ranOn, QThread::currentThreadId());
    QVERIFY(worker.isFinished());
}

void TestPlatform::keyboardHookSeesAKeyOnce() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* inner = new QWidget(&window);
    layout->addWidget(inner);
    auto* leaf = new QWidget(inner);
    window.show();
    std::vector<std::pair<QEvent::Type, int>> seen;
    const auto hook = platform::SetKeyboardHook([&](QObject*, QKeyEvent* e) {
        seen.emplace_back(e->type(), e->key());
        return false;
    });
    // Nobody accepts F7, so it travels from the leaf up through its parents.
    QTest::keyClick(leaf, Qt::Key_F7);
    QCOMPARE(seen.size(), std::size_t(2));
    QCOMPARE(seen[0].first, QEvent::KeyPress);
    QCOMPARE(seen[1].first, QEvent::KeyRelease);
    QTest::keyClick(leaf, Qt::Key_F7);
    QCOMPARE(seen.size(), std::size_t(4));
    QVERIFY(platform::UnhookWindowsHook(hook));
    QVERIFY(!platform::UnhookWindowsHook(hook));
    QTest::keyClick(leaf, Qt::Key_F7);
    QCOMPARE(seen.size(), std::size_t(4));
}

void TestPlatform::keyboardHookSeesEveryPressOfAnAcceptedKey() {
    // The same key twice to a control that takes it: two presses, not one travelling twice.
    QLineEdit edit;
    edit.show();
    int presses = 0;
    const auto hook = platform::SetKeyboardHook([&](QObject*, QKeyEvent* e) {
        presses += e->type() == QEvent::KeyPress;
        return false;
    });
    for (int i = 0; i < 3; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&edit, &press);
    }
    QCOMPARE(presses, 3);
    QCOMPARE(edit.text(), QStringLiteral("aaa"));
    platform::UnhookWindowsHook(hook);
}

void TestPlatform::keyboardHookCanSwallow() {
    QLineEdit edit;
    edit.show();
    const auto hook = platform::SetKeyboardHook([](QObject*, QKeyEvent* e) { return e->key() == Qt::Key_X; });
    QTest::keyClicks(&edit, QStringLiteral("axb"));
    QCOMPARE(edit.text(), QStringLiteral("ab"));
    platform::UnhookWindowsHook(hook);
}

void TestPlatform::newestHookRunsFirst() {
    QWidget window;
    window.show();
    QStringList order;
    const auto older = platform::SetKeyboardHook([&](QObject*, QKeyEvent* e) {
        if (e->type() == QEvent::KeyPress)
            order << QStringLiteral("older");
        return false;
    });
    const auto newer = platform::SetKeyboardHook([&](QObject*, QKeyEvent* e) {
        if (e->type() == QEvent::KeyPress)
            order << QStringLiteral("newer");
        return e->key() == Qt::Key_F8;
    });
    QTest::keyClick(&window, Qt::Key_F9);
    QTest::keyClick(&window, Qt::Key_F8);
    QCOMPARE(order, (QStringList{"newer", "older", "newer"}));
    platform::UnhookWindowsHook(older);
    platform::UnhookWindowsHook(newer);
}

void TestPlatform::modifierSidesTold() {
    const QKeyEvent left(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 37, 0xffe3, 0);
    const QKeyEvent right(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 105, 0xffe4, 0);
    const QKeyEvent rightShift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 62, 0xffe2, 0);
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier);
    const QKeyEvent four(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier);
    const QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QCOMPARE(platform::VirtualKeyOf(&left), platform::vk::LControl);
    QCOMPARE(platform::VirtualKeyOf(&right), platform::vk::RControl);
    QCOMPARE(platform::VirtualKeyOf(&rightShift), platform::vk::RShift);
    QCOMPARE(platform::VirtualKeyOf(&keypad), platform::vk::Numpad4);
    QCOMPARE(platform::VirtualKeyOf(&four), 0x34);
    QCOMPARE(platform::VirtualKeyOf(&f5), platform::vk::F5);
}

void TestPlatform::screenCursorIsNotStacked() {
    platform::SetScreenCursor(platform::kCursorHourglass);
    platform::SetScreenCursor(platform::kCursorHourglass);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::SetScreenCursor(platform::kCursorDefault);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
    platform::SetScreenCursor(platform::kCursorDefault);
    QVERIFY(!QApplication::overrideCursor());
}

void TestPlatform::findWindowByClassName() {
    QLineEdit edit;
    QCOMPARE(platform::FindWindow("QLineEdit"), &edit);
    QVERIFY(platform::FindWindow("TConsoleForm") == nullptr);
}

void TestPlatform::loaderOpensProductLibraries() {
    platform::CLoader loader;
    QVERIFY(!loader.Unload());
    QVERIFY(!loader.Load(QStringLiteral(ZRUN_BIN_DIR "/NoSuchLibrary.so"), 0, true));
    QVERIFY(loader.Handle() == nullptr);
    QVERIFY(loader.Load(QStringLiteral(ZRUN_BIN_DIR "/ZRUNUtils.so"), 0, true));
    QVERIFY(loader.Handle() != nullptr);
    QVERIFY(loader.Symbol("ZRUN_LaunchYourOpinionUrl") != nullptr);
    QVERIFY(loader.Symbol("NoSuchEntry") == nullptr);
    QVERIFY(loader.Unload());
    QVERIFY(loader.Handle() == nullptr);
    QCOMPARE(platform::ProductLibraryFileName(QStringLiteral("ZRUNUtils.dll")),
             QStringLiteral("ZRUNUtils.so"));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
