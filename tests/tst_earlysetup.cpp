// A host that asks for the suspects window before it has made its application object: the
// controller's set-up waits for a call that can succeed. Its own main, so that the first
// calls run with no application at all.
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/sync.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

namespace {

// What the controller looked like after the calls made before the application existed.
struct BeforeTheApplication {
    bool window = true;
    bool setupDone = true;
    bool worker = true;
    bool idleHook = true;
};

} // namespace

class TestEarlySetup : public QObject {
    Q_OBJECT

public:
    TestEarlySetup(std::unique_ptr<CSuspects> controller, BeforeTheApplication before)
        : m_controller(std::move(controller)), m_before(before) {}

private Q_SLOTS:
    void nothingIsSetUpWithoutAnApplication();
    void theFirstCallWithAnApplicationSetsUp();
    void cleanupTestCase();

private:
    std::unique_ptr<CSuspects> m_controller;
    BeforeTheApplication m_before;
    ZrunHostState m_state{1000, 1, 3, 20};
};

void TestEarlySetup::nothingIsSetUpWithoutAnApplication() {
    QVERIFY(!m_before.window);
    QVERIFY(!m_before.setupDone);
    QVERIFY(!m_before.worker);
    QVERIFY(!m_before.idleHook);
}

void TestEarlySetup::theFirstCallWithAnApplicationSetsUp() {
    QWidget parent;
    m_controller->FirstUseSetup();
    QPointer<TSuspectsForm> window =
        m_controller->CreateSuspectsForm(&parent, nullptr, nullptr, nullptr, &m_state, nullptr);
    QVERIFY(window);
    QVERIFY(m_controller->SetupDone());
    QVERIFY(m_controller->Worker());
    QVERIFY(platform::HasApplicationIdleHook());

    // A call synchronised from another thread runs once the event loop goes idle.
    std::atomic<bool> ran{false};
    std::thread caller([&ran] { platform::Synchronize([&ran] { ran = true; }); });
    const bool ranFromTheLoop = QTest::qWaitFor([&ran] { return ran.load(); });
    // Never leave the caller blocked, whatever happened.
    while (!ran.load())
        platform::CheckSynchronize(std::chrono::milliseconds(10));
    caller.join();
    QVERIFY(ranFromTheLoop);
}

void TestEarlySetup::cleanupTestCase() {
    m_controller.reset();
    QVERIFY(!platform::HasApplicationIdleHook());
}

int main(int argc, char** argv) {
    // As the host calls the module's entry point: set-up, then the window.
    auto controller = std::make_unique<CSuspects>(1);
    ZrunHostState state{1000, 1, 3, 20};
    controller->FirstUseSetup();
    BeforeTheApplication before;
    before.window =
        controller->CreateSuspectsForm(nullptr, nullptr, nullptr, nullptr, &state, nullptr) != nullptr;
    before.setupDone = controller->SetupDone();
    before.worker = controller->Worker() != nullptr;
    before.idleHook = platform::HasApplicationIdleHook();

    QApplication app(argc, argv);
    TestEarlySetup test(std::move(controller), before);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_earlysetup.moc"
