// Item actions through the controller: what is sent, the status codes of every failure, the
// busy state of the item, and replies arriving from the service's threads.
#include "comm/store/blaitemex.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "support/controllerfixture.h"

#include <QTest>

namespace {

enum Action { Unblock, Reblock, Remove };

// Fills the store with three items through a real fetch.
void Fill(ControllerFixture& f, int count = 3) {
    f.sender.delivery = ScriptedSender::Delivery::Inline;
    f.sender.reply = [count](const wire::Request& r) -> std::optional<wire::Bytes> {
        if (r.payloadName == u"class CMsgModBlaGetList *" && r.BodyI32(3) != -1)
            return wire::ListReply(0, 40, SampleElements(count), -1);
        return wire::StatusReply(0);
    };
    f.controller().StartFetch();
    f.Pump();
    f.sender.delivery = ScriptedSender::Delivery::Manual;
    f.sender.reply = {};
}

// Three items put straight into the store, as pages of a service would.
void FillByHand(ControllerFixture& f) {
    std::vector<ST_BLELEMENT> page(3);
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i].identifier = wire::IdOf(static_cast<std::uint8_t>(i + 1));
        page[i].category = 100;
        page[i].location = u"C:\\x\\item.exe";
    }
    f.controller().ItemStore()->AppendPage(page);
}

std::int32_t BusyOf(ControllerFixture& f, std::uint32_t key) {
    auto* store = f.controller().ItemStore();
    const int index = store->IndexOfKey(key);
    std::int32_t busy = -1;
    if (index >= 0)
        store->BusyStateAt(static_cast<std::size_t>(index), busy);
    return busy;
}

void Start(ControllerFixture& f, Action action, std::uint32_t key) {
    auto* store = f.controller().ItemStore();
    stItemRef item;
    QVERIFY(store->RefOfKey(key, item));
    store->SetBusyState(item, action == Reblock ? 3 : (action == Unblock ? 2 : 1));
    switch (action) {
    case Unblock:
        f.controller().Unblock(item, 0);
        break;
    case Reblock:
        f.controller().Reblock(item);
        break;
    case Remove:
        f.controller().Remove(item);
        break;
    }
}

} // namespace

class TestActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestBytes_data();
    void requestBytes();
    void statusCodes_data();
    void statusCodes();
    void removeNeedingNoReportLeavesTheItemIdle();
    void successfulRemoveTakesTheItemOut();
    void unblockSuccessRestartsTheFetch_data();
    void unblockSuccessRestartsTheFetch();
    void removeAllReportsWhetherItWasSent();
    void repliesFromManyThreadsArriveOnce();
    void repliesAfterTheWindowWasReplacedArrive();
    void repliesAfterTheControllerWentAreFreed();
};

void TestActions::requestBytes_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("code");
    QTest::newRow("unblock") << int(Unblock) << 6;
    QTest::newRow("re-block") << int(Reblock) << 8;
    QTest::newRow("remove") << int(Remove) << 4;
}

void TestActions::requestBytes() {
    QFETCH(int, action);
    QFETCH(int, code);
    ControllerFixture f;
    Fill(f);
    Start(f, static_cast<Action>(action), 2);
    const auto requests = f.ActionRequests();
    QCOMPARE(requests.size(), std::size_t(1));
    const wire::Request& r = requests[0];
    QCOMPARE(r.moduleId, 0x400c000u);
    QCOMPARE(r.header, 1000ull);
    QCOMPARE(r.body.size(), std::size_t(4 + 4 + 16)); // process id, code, identifier
    QCOMPARE(r.BodyI32(1), code);
    const auto id = wire::IdOf(2);
    QVERIFY(std::equal(id.begin(), id.end(), r.body.begin() + 8));
}

void TestActions::statusCodes_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("code");
    const struct {
        Action action;
        const char* name;
        int error, notSent;
    } actions[] = {{Unblock, "unblock", 7, 8}, {Reblock, "re-block", 11, 12}, {Remove, "remove", 5, 6}};
    for (const auto& a : actions) {
        QTest::addRow("%s without sender", a.name) << int(a.action) << "no sender" << a.notSent;
        QTest::addRow("%s refused with 0xDF000006", a.name) << int(a.action) << "refused" << 9;
        QTest::addRow("%s not sent", a.name) << int(a.action) << "not sent" << a.notSent;
        QTest::addRow("%s answered with an error", a.name) << int(a.action) << "error" << a.error;
        QTest::addRow("%s without reply", a.name) << int(a.action) << "no reply" << a.notSent;
        QTest::addRow("%s with unreadable reply", a.name) << int(a.action) << "garbage" << a.notSent;
    }
}

void TestActions::statusCodes() {
    QFETCH(int, action);
    QFETCH(QString, how);
    QFETCH(int, code);
    ControllerFixture f(how != QLatin1String("no sender"));
    if (how == QLatin1String("no sender"))
        FillByHand(f); // there is no service to page from
    else
        Fill(f);
    if (how == QLatin1String("refused"))
        f.sender.status = [](const wire::Request& r) {
            return r.payloadName == u"class CMsgModBlaActions *" ? 0xDF000006u : 0u;
        };
    if (how == QLatin1String("not sent"))
        f.sender.status = [](const wire::Request& r) {
            return r.payloadName == u"class CMsgModBlaActions *" ? 0x80070005u : 0u;
        };
    Start(f, static_cast<Action>(action), 2);
    const std::size_t last = f.sender.Count() - 1;
    if (how == QLatin1String("error"))
        QVERIFY(f.sender.Reply(last, wire::StatusReply(-7)));
    if (how == QLatin1String("no reply"))
        QVERIFY(f.sender.NoReply(last));
    if (how == QLatin1String("garbage"))
        QVERIFY(f.sender.Reply(last, wire::Bytes{9, 9, 9}));
    f.Pump();
    QCOMPARE(f.reports, 1);
    QCOMPARE(f.lastReportedCode, static_cast<std::uint32_t>(code));
    QCOMPARE(BusyOf(f, 2), 0);
}

void TestActions::removeNeedingNoReportLeavesTheItemIdle() {
    ControllerFixture f;
    Fill(f);
    Start(f, Remove, 3);
    QCOMPARE(BusyOf(f, 3), 1);
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::StatusReply(-1035)));
    f.Pump();
    QCOMPARE(f.reports, 0);
    QCOMPARE(BusyOf(f, 3), 0);
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(3));
}

void TestActions::successfulRemoveTakesTheItemOut() {
    ControllerFixture f;
    Fill(f);
    Start(f, Remove, 2);
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::StatusReply(0)));
    f.Pump();
    QCOMPARE(f.reports, 0);
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(2));
    QCOMPARE(f.controller().ItemStore()->IndexOfKey(2), -1);
}

void TestActions::unblockSuccessRestartsTheFetch_data() {
    QTest::addColumn<int>("result");
    QTest::newRow("result 0") << 0;
    QTest::newRow("result 1 is a success too") << 1;
}

void TestActions::unblockSuccessRestartsTheFetch() {
    QFETCH(int, result);
    ControllerFixture f;
    Fill(f);
    const std::size_t listsBefore = f.ListRequests().size();
    Start(f, Unblock, 1);
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::StatusReply(result)));
    f.Pump();
    QCOMPARE(f.reports, 0);
    QCOMPARE(f.controller().StatusCode(), 0u);
    QVERIFY(f.ListRequests().size() > listsBefore);
}

void TestActions::removeAllReportsWhetherItWasSent() {
    ControllerFixture f;
    Fill(f);
    QVERIFY(f.controller().RemoveAll());
    const auto requests = f.ActionRequests();
    QCOMPARE(requests.back().BodyI32(1), 7);
    QVERIFY(std::all_of(requests.back().body.begin() + 8, requests.back().body.end(),
                        [](auto b) { return b == 0; }));
    f.sender.status = [](const wire::Request&) { return 0x80004005u; };
    QVERIFY(!f.controller().RemoveAll());
    QCOMPARE(f.reports, 0);
    ControllerFixture none(false);
    QVERIFY(!none.controller().RemoveAll());
}

void TestActions::repliesFromManyThreadsArriveOnce() {
    ControllerFixture f;
    Fill(f, 60);
    f.sender.delivery = ScriptedSender::Delivery::Thread;
    f.sender.reply = [](const wire::Request&) -> std::optional<wire::Bytes> { return wire::StatusReply(0); };
    for (std::uint32_t key = 1; key <= 60; ++key)
        Start(f, Remove, key);
    QTRY_COMPARE_WITH_TIMEOUT((f.Pump(1), f.controller().ItemStore()->Count()), std::size_t(0), 20000);
    QCOMPARE(f.reports, 0);
}

void TestActions::repliesAfterTheWindowWasReplacedArrive() {
    ControllerFixture f;
    Fill(f);
    Start(f, Remove, 1);
    Start(f, Unblock, 2);
    const std::size_t listRequests = f.ListRequests().size();
    // A new window replaces the one that asked: the replies still reach the controller.
    QVERIFY(f.CreateWindow());
    f.sender.delivery = ScriptedSender::Delivery::Thread;
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::StatusReply(0)));
    QVERIFY(f.sender.Reply(f.sender.Count() - 2, wire::StatusReply(0)));
    QTRY_COMPARE((f.Pump(1), f.controller().ItemStore()->IndexOfKey(1)), -1);
    QTRY_VERIFY((f.Pump(1), f.ListRequests().size() > listRequests)); // the unblock refreshes
    QCOMPARE(f.reports, 0);
}

void TestActions::repliesAfterTheControllerWentAreFreed() {
    ControllerFixture f;
    Fill(f);
    Start(f, Remove, 1);
    Start(f, Unblock, 2);
    f.DestroyController();
    // Nothing is left to receive them: the posts fail and free their envelopes (the sanitizer
    // build checks).
    f.sender.delivery = ScriptedSender::Delivery::Thread;
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::StatusReply(0)));
    QVERIFY(f.sender.Reply(f.sender.Count() - 2, wire::StatusReply(0)));
    f.sender.WaitForThreads();
    QCoreApplication::processEvents();
}

QTEST_MAIN(TestActions)
#include "tst_actions.moc"
