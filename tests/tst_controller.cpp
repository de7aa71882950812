// The controller's life: set-up once, its message table, its worker, window creation and
// destruction in the right order.
#include "comm/messagetable.h"
#include "comm/store/blaitemex.h"
#include "comm/threadgetsuspectsdata.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "support/testconfiguration.h"

#include <QPointer>
#include <QTest>
#include <set>
#include <thread>

class TestController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void messagesAreRegisteredOnceInTheirOrder();
    void setupStartsTheWorkerAndTheIdleHook();
    void constructionDoesNothingElse();
    void destroyingWithoutSetupIsFine();
    void flagOffOnASecondCallDestroysTheFirstWindow();
    void workerIsJoinedBeforeTheWindowGoes();
};

void TestController::messagesAreRegisteredOnceInTheirOrder() {
    // Another registrant first, so that the numbers cannot be anything fixed in advance.
    const auto other = platform::RegisterWindowMessage(u"SOME_OTHER_MODULE_MESSAGE");
    CSuspects controller(1);
    controller.FirstUseSetup();
    const stMessageNumbers& m = controller.Messages();
    const std::uint32_t byField[] = {m.WM_SELECTELEMENT,      m.WM_GETBLALIST,
                                     m.WM_UNBLOCKITEM,        m.WM_REBLOCKITEM,
                                     m.WM_REMOVEITEM,         m.WM_GETSUSPECTSDATA,
                                     m.WM_FILLDATA,           m.WM_RESETVIEWS,
                                     m.WM_GETDETECTIONINFO,   m.WM_ENDFILLDATA,
                                     m.WM_REMOVEHISTORYITEM,  m.WM_UPDATEMALWAREINFO,
                                     m.WM_CANCELSUSPECTSDATA, m.WM_REMOVEUNBLOCKIMTEMLAYER,
                                     m.WM_REMOVEALLITEMS};
    const char16_t* fieldNames[] = {u"WM_SELECTELEMENT",      u"WM_GETBLALIST",
                                    u"WM_UNBLOCKITEM",        u"WM_REBLOCKITEM",
                                    u"WM_REMOVEITEM",         u"WM_GETSUSPECTSDATA",
                                    u"WM_FILLDATA",           u"WM_RESETVIEWS",
                                    u"WM_GETDETECTIONINFO",   u"WM_ENDFILLDATA",
                                    u"WM_REMOVEHISTORYITEM",  u"WM_UPDATEMALWAREINFO",
                                    u"WM_CANCELSUSPECTSDATA", u"WM_REMOVEUNBLOCKIMTEMLAYER",
                                    u"WM_REMOVEALLITEMS"};
    for (std::size_t i = 0; i < 15; ++i) {
        // Any module registering the name gets the controller's number.
        QCOMPARE(platform::RegisterWindowMessage(fieldNames[i]), byField[i]);
        QVERIFY(byField[i] != other);
    }
    // Numbers are handed out one after another, so their order is the registration order.
    std::vector<std::uint32_t> inRegistrationOrder;
    for (std::u16string_view name : kControllerMessageNames)
        inRegistrationOrder.push_back(platform::RegisterWindowMessage(name));
    for (std::size_t i = 1; i < inRegistrationOrder.size(); ++i)
        QVERIFY2(inRegistrationOrder[i] < inRegistrationOrder[i - 1], "registered out of order");
    QCOMPARE(std::set<std::uint32_t>(inRegistrationOrder.begin(), inRegistrationOrder.end()).size(),
             std::size_t(15));
    // A second set-up changes nothing.
    controller.FirstUseSetup();
    QCOMPARE(controller.Messages().WM_REMOVEALLITEMS, m.WM_REMOVEALLITEMS);
}

void TestController::setupStartsTheWorkerAndTheIdleHook() {
    QVERIFY(!platform::HasApplicationIdleHook());
    {
        CSuspects controller(1);
        controller.FirstUseSetup();
        QVERIFY(controller.SetupDone());
        QVERIFY(controller.Worker());
        QTRY_VERIFY(controller.Worker()->isRunning());
        QCOMPARE(controller.Worker()->priority(), QThread::LowestPriority);
        QVERIFY(platform::HasApplicationIdleHook());
        QVERIFY(controller.ItemStore());
        QCOMPARE(controller.ItemStore()->Count(), std::size_t(0));
        QCOMPARE(controller.RequestedKind(), 4);
        QCOMPARE(controller.KindsRequested(), 4);
        QCOMPARE(controller.ListHandle(), 0);
        QCOMPARE(controller.NextPosition(), 0);
    }
    QVERIFY(!platform::HasApplicationIdleHook());
}

void TestController::constructionDoesNothingElse() {
    CSuspects controller(77);
    QCOMPARE(controller.LaunchContext(), std::uintptr_t(77));
    QVERIFY(!controller.SetupDone());
    QVERIFY(controller.Worker() == nullptr);
    QVERIFY(controller.ItemStore() == nullptr);
    QVERIFY(controller.ActionsEnabled());
    QVERIFY(controller.ProductName().isEmpty());
    QVERIFY(!platform::HasApplicationIdleHook());
}

void TestController::destroyingWithoutSetupIsFine() {
    auto* controller = new CSuspects(0);
    delete controller;
    QVERIFY(!platform::HasApplicationIdleHook());
}

void TestController::flagOffOnASecondCallDestroysTheFirstWindow() {
    QWidget parent;
    TestConfiguration configuration;
    ZrunHostState state{1000, 1, 3, 20};
    CSuspects controller(1);
    controller.FirstUseSetup();
    QPointer<TSuspectsForm> first =
        controller.CreateSuspectsForm(&parent, nullptr, nullptr, &configuration, &state, nullptr);
    QVERIFY(first);
    configuration.createWindow = 0;
    QVERIFY(controller.CreateSuspectsForm(&parent, nullptr, nullptr, &configuration, &state, nullptr) ==
            nullptr);
    QVERIFY(first.isNull());
    QVERIFY(controller.SuspectsWindow() == nullptr);
    QCOMPARE(controller.LabName(), QStringLiteral("Norvik Software"));
    QCOMPARE(controller.ReservedNumber(), 5);
    QCOMPARE(controller.ReservedText(), QStringLiteral("ZRUN"));
}

void TestController::workerIsJoinedBeforeTheWindowGoes() {
    QWidget parent;
    ZrunHostState state{1000, 1, 3, 20};
    auto* controller = new CSuspects(1);
    controller->FirstUseSetup();
    QPointer<TSuspectsForm> window =
        controller->CreateSuspectsForm(&parent, nullptr, nullptr, nullptr, &state, nullptr);
    QVERIFY(window);
    // Without letting the event loop run, the worker blocks in a call on the window.
    controller->Worker()->AddJob({1, 0, 0});
    for (int i = 0; i < 2000 && platform::PendingSynchronizeCalls() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QCOMPARE(platform::PendingSynchronizeCalls(), 1);
    // The join runs that call while the window still exists; then the window goes. A call
    // finding no window does nothing, so only the moment the window goes tells the order.
    int pendingWhenTheWindowWent = -1;
    QObject::connect(window.data(), &QObject::destroyed, [&pendingWhenTheWindowWent] {
        pendingWhenTheWindowWent = platform::PendingSynchronizeCalls();
    });
    delete controller;
    QVERIFY(window.isNull());
    QCOMPARE(pendingWhenTheWindowWent, 0);
    QCOMPARE(platform::PendingSynchronizeCalls(), 0);
}

QTEST_MAIN(TestController)
#include "tst_controller.moc"
