// The controller's list paging against a scripted service.
#include "comm/store/blaitemex.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "support/controllerfixture.h"

#include <QTest>

namespace {

constexpr std::uint32_t kPid = 0; // not compared
const std::u16string kListName = u"class CMsgModBlaGetList *";

struct Page {
    int count;
    std::int32_t next;
    std::uint32_t handle;
};

// Answers list requests with the given pages in order, then with empty last pages.
ScriptedSender::ReplyFor PagesInOrder(std::vector<Page> pages, int firstNumber = 1) {
    auto state = std::make_shared<std::pair<std::size_t, int>>(0, firstNumber);
    return [pages, state](const wire::Request& r) -> std::optional<wire::Bytes> {
        if (r.payloadName != u"class CMsgModBlaGetList *")
            return wire::StatusReply(0);
        if (r.BodyI32(3) == -1)
            return wire::StatusReply(0); // cancel
        if (state->first >= pages.size())
            return wire::ListReply(0, 0, {}, -1);
        const Page p = pages[state->first++];
        const auto elements = SampleElements(p.count, state->second);
        state->second += p.count;
        return wire::ListReply(0, p.handle, elements, p.next);
    };
}

std::vector<std::uint32_t> KeysOf(CBlaItemEx& store) {
    std::vector<std::uint32_t> keys;
    for (std::size_t i = 0; i < store.Count(); ++i)
        keys.push_back(store.EntryAt(i)->key);
    return keys;
}

} // namespace

class TestPaging : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void severalPagesThenTheEnd();
    void keysRestartAfterANewFetch();
    void startFetchTwiceBeforeTheFirstReplyDoesNothing();
    void failureSteps_data();
    void failureSteps();
    void missingReplyLeavesRefreshWorking();
    void noSenderFailsTheFetch();
    void cancelSendsNothingWithoutALiveEnumeration();
    void cancelledEnumerationNeverReachesTheStore();
    void followUpKindsWhenHistoryBecameVisible();
    void noFollowUpWhenHistoryWasVisibleAtTheStart();
    void pagesFromServiceThreadsArriveOnce();
    void pageThatDoesNotMoveEndsTheFetch_data();
    void pageThatDoesNotMoveEndsTheFetch();
};

void TestPaging::severalPagesThenTheEnd() {
    ControllerFixture f;
    f.sender.delivery = ScriptedSender::Delivery::Inline;
    f.sender.reply = PagesInOrder({{3, 3, 77}, {2, 5, 77}, {1, -1, 77}});
    f.controller().StartFetch();
    f.Pump();
    const auto requests = f.ListRequests();
    QCOMPARE(requests.size(), std::size_t(3));
    // process id, kind, list handle, position
    QCOMPARE(requests[0].BodyI32(1), 6);
    QCOMPARE(requests[0].BodyU32(2), 0u);
    QCOMPARE(requests[0].BodyI32(3), 0);
    QCOMPARE(requests[1].BodyU32(2), 77u);
    QCOMPARE(requests[1].BodyI32(3), 3);
    QCOMPARE(requests[2].BodyI32(3), 5);
    QCOMPARE(requests[0].moduleId, 0x400c000u);
    QCOMPARE(requests[0].header, 1000ull);
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(6));
    QCOMPARE(KeysOf(*f.controller().ItemStore()), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(f.controller().NextPosition(), -1);
    QCOMPARE(f.controller().ListHandle(), 77);
    Q_UNUSED(kPid);
}

void TestPaging::keysRestartAfterANewFetch() {
    ControllerFixture f;
    f.sender.delivery = ScriptedSender::Delivery::Inline;
    f.sender.reply = PagesInOrder({{2, 2, 5}, {2, -1, 5}, {3, -1, 6}});
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(KeysOf(*f.controller().ItemStore()), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(KeysOf(*f.controller().ItemStore()), (std::vector<std::uint32_t>{1, 2, 3}));
}

void TestPaging::startFetchTwiceBeforeTheFirstReplyDoesNothing() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(1));
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 9, SampleElements(1), -1)));
    f.Pump();
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(1));
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(2));
}

void TestPaging::failureSteps_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("send refused by the sender") << 0;
    QTest::newRow("no reply") << 1;
    QTest::newRow("result code not zero") << 2;
    QTest::newRow("payload of another class") << 3;
    QTest::newRow("page cut short") << 4;
    QTest::newRow("bytes that are no envelope") << 5;
}

void TestPaging::failureSteps() {
    QFETCH(int, how);
    ControllerFixture f;
    // A good first page, so that the failing one has a live enumeration to cancel.
    f.sender.delivery = ScriptedSender::Delivery::Manual;
    f.controller().StartFetch();
    f.Pump();
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 31, SampleElements(2), 2)));
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(2));
    const std::size_t second = f.sender.Count() - 1;
    if (how == 0) {
        // Refuse the next page: restart is the way to get a fresh request through. The
        // cancel still goes through, or nothing could show that it was made.
        f.sender.status = [](const wire::Request& r) { return r.BodyI32(3) == -1 ? 0u : 0x80004005u; };
    }
    switch (how) {
    case 0:
        break;
    case 1:
        QVERIFY(f.sender.NoReply(second));
        break;
    case 2:
        QVERIFY(f.sender.Reply(second, wire::ListReply(-5, 31, SampleElements(2, 3), 4)));
        break;
    case 3:
        QVERIFY(f.sender.Reply(second, wire::DetectionInfoReply(0, {{1, u"W32/Test"}})));
        break;
    case 4: {
        // The envelope is whole; the page inside it ends in the middle of an element.
        auto payload = wire::ListPayload(SampleElements(2, 3), 4, 31);
        payload.resize(payload.size() - 30);
        QVERIFY(f.sender.Reply(second, wire::Envelope(0x400c000, 0, payload)));
        break;
    }
    case 5:
        QVERIFY(f.sender.Reply(second, wire::Bytes{1, 2, 3, 4, 5}));
        break;
    }
    if (how == 0) {
        // The refused request is the restart's first page.
        f.controller().StartFetch();
    }
    f.Pump();
    QCOMPARE(f.controller().ListHandle(), -1000);
    QCOMPARE(f.controller().NextPosition(), 0);
    // Items received before the failure stay.
    if (how != 0)
        QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(2));
    // The enumeration was cancelled at the service (kind 0, its handle, position -1), by a
    // request the sender took.
    bool cancelled = false;
    for (const auto& sent : f.sender.OfKind(u"class CMsgModBlaGetList *")) {
        const wire::Request& r = sent.request;
        cancelled =
            cancelled || (sent.status == 0 && r.BodyI32(3) == -1 && r.BodyU32(2) == 31u && r.BodyI32(1) == 0);
    }
    QVERIFY(cancelled);
    // And a refresh starts a new fetch.
    f.sender.status = {};
    const std::size_t before = f.ListRequests().size();
    f.controller().StartFetch();
    f.Pump();
    QVERIFY(f.ListRequests().size() > before);
}

void TestPaging::missingReplyLeavesRefreshWorking() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    QVERIFY(f.sender.NoReply(0));
    f.Pump();
    QCOMPARE(f.controller().ListHandle(), -1000);
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(2));
}

void TestPaging::noSenderFailsTheFetch() {
    ControllerFixture f(false);
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.controller().ListHandle(), -1000);
    QCOMPARE(f.controller().NextPosition(), 0);
    QCOMPARE(f.sender.Count(), std::size_t(0));
}

void TestPaging::cancelSendsNothingWithoutALiveEnumeration() {
    ControllerFixture f;
    // Handle 0: the first page has not come.
    f.controller().StartFetch();
    f.Pump();
    f.controller().CancelFetch();
    QCOMPARE(f.sender.Count(), std::size_t(1));
    // Handle -1000: the fetch failed.
    QVERIFY(f.sender.NoReply(0));
    f.Pump();
    QCOMPARE(f.controller().ListHandle(), -1000);
    const std::size_t before = f.sender.Count();
    f.controller().CancelFetch();
    QCOMPARE(f.sender.Count(), before);
}

void TestPaging::cancelledEnumerationNeverReachesTheStore() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 10, SampleElements(3, 1), 3)));
    f.Pump();
    QCOMPARE(f.sender.Count(), std::size_t(2)); // the second page is on its way
    // Restart while it is: the old enumeration is cancelled and a new one begins.
    f.controller().StartFetch();
    f.Pump();
    const auto requests = f.ListRequests();
    QCOMPARE(requests.size(), std::size_t(4));
    QCOMPARE(requests[2].BodyI32(3), -1); // cancel of handle 10
    QCOMPARE(requests[2].BodyU32(2), 10u);
    QCOMPARE(requests[3].BodyU32(2), 0u); // first page of the new fetch
    QCOMPARE(requests[3].BodyI32(3), 0);
    // The cancel is confirmed before the stale page turns up: still dropped.
    QVERIFY(f.sender.Reply(2, wire::StatusReply(0)));
    f.Pump();
    QVERIFY(!f.controller().CancelPending());
    QVERIFY(f.sender.Reply(1, wire::ListReply(0, 10, SampleElements(2, 100), -1)));
    f.Pump();
    // The new fetch's first page.
    QVERIFY(f.sender.Reply(3, wire::ListReply(0, 11, SampleElements(2, 200), -1)));
    f.Pump();
    auto& store = *f.controller().ItemStore();
    QCOMPARE(store.Count(), std::size_t(2));
    QCOMPARE(KeysOf(store), (std::vector<std::uint32_t>{1, 2}));
    QCOMPARE(store.EntryAt(0)->element.informationId, 1200u);
    QCOMPARE(f.controller().ListHandle(), 11);
}

void TestPaging::followUpKindsWhenHistoryBecameVisible() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.ListRequests().at(0).BodyI32(1), 6);
    // The history window opens while the kind 6 fetch runs.
    auto* history = new THistorySuspectsForm(f.window(), &f.controller());
    f.controller().SetHistoryWindow(history);
    history->show();
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 3, SampleElements(2), -1)));
    f.Pump();
    auto requests = f.ListRequests();
    QCOMPARE(requests.size(), std::size_t(2));
    QCOMPARE(requests[1].BodyI32(1), 5);
    QCOMPARE(requests[1].BodyI32(3), 0);
    QCOMPARE(requests[1].BodyU32(2), 0u);
    QVERIFY(f.sender.Reply(1, wire::ListReply(0, 4, SampleElements(1, 50), -1)));
    f.Pump();
    requests = f.ListRequests();
    QCOMPARE(requests.size(), std::size_t(3));
    QCOMPARE(requests[2].BodyI32(1), 8);
    QVERIFY(f.sender.Reply(2, wire::ListReply(0, 5, SampleElements(1, 60), -1)));
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(3));
    QCOMPARE(f.controller().KindsRequested(), 6 | 5 | 8);
    // Kinds add to the store of the same fetch.
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(4));
}

void TestPaging::noFollowUpWhenHistoryWasVisibleAtTheStart() {
    ControllerFixture f;
    auto* history = new THistorySuspectsForm(f.window(), &f.controller());
    f.controller().SetHistoryWindow(history);
    history->show();
    f.controller().StartFetch();
    f.Pump();
    QCOMPARE(f.ListRequests().at(0).BodyI32(1), 0);
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 3, SampleElements(2), -1)));
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(1));
}

void TestPaging::pagesFromServiceThreadsArriveOnce() {
    ControllerFixture f;
    f.sender.delivery = ScriptedSender::Delivery::Thread;
    std::vector<Page> pages;
    for (int i = 0; i < 40; ++i)
        pages.push_back({25, (i + 1) * 25, 90});
    pages.push_back({7, -1, 90});
    f.sender.reply = PagesInOrder(pages);
    f.controller().StartFetch();
    QTRY_COMPARE_WITH_TIMEOUT((f.Pump(1), f.controller().NextPosition()), -1, 20000);
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(40 * 25 + 7));
    const auto keys = KeysOf(*f.controller().ItemStore());
    for (std::size_t i = 0; i < keys.size(); ++i)
        QCOMPARE(keys[i], static_cast<std::uint32_t>(i + 1));
}

void TestPaging::pageThatDoesNotMoveEndsTheFetch_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("next");
    QTest::newRow("empty page, same position") << 0 << 0;
    QTest::newRow("full page, same position") << 3 << 0;
    QTest::newRow("full page, position going back") << 3 << -3;
}

void TestPaging::pageThatDoesNotMoveEndsTheFetch() {
    QFETCH(int, count);
    QFETCH(int, next);
    ControllerFixture f;
    f.sender.delivery = ScriptedSender::Delivery::Inline;
    // The first page moves on to 4; from there the service answers the same page for ever.
    f.sender.reply = [count, next](const wire::Request& r) -> std::optional<wire::Bytes> {
        if (r.BodyI32(3) == -1)
            return wire::StatusReply(0);
        if (r.BodyI32(3) == 0)
            return wire::ListReply(0, 12, SampleElements(4), 4);
        return wire::ListReply(0, 12, SampleElements(count, 100), 4 + next);
    };
    f.controller().StartFetch();
    f.Pump();
    const auto requests = f.ListRequests();
    QCOMPARE(requests.size(), std::size_t(3));
    QCOMPARE(requests[1].BodyI32(3), 4);
    // The enumeration is dropped at the service, not left open.
    QCOMPARE(requests[2].BodyU32(2), 12u);
    QCOMPARE(requests[2].BodyI32(3), -1);
    QCOMPARE(f.controller().NextPosition(), -1);
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(4 + count));
}

QTEST_MAIN(TestPaging)
#include "tst_paging.moc"
