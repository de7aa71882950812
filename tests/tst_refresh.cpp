// Refreshes that cross an action or a page: keys start again with every fetch, so whatever the
// user confirmed, and whatever the service answers, must reach the same item or nothing.
#include "comm/nano/codec.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "support/controllerfixture.h"

#include <QDialog>
#include <QTest>

namespace {

const std::u16string kLists = u"class CMsgModBlaGetList *";
const std::u16string kActions = u"class CMsgModBlaActions *";

// A service whose list can change between two fetches; list pages of pageSize, actions
// answered by hand unless inlineActions.
struct Service {
    std::vector<wire::Element> elements = SampleElements(3);
    int pageSize = 10;

    std::optional<wire::Bytes> Answer(const wire::Request& r) const {
        if (r.payloadName != kLists)
            return wire::StatusReply(0);
        const std::int32_t position = r.BodyI32(3);
        if (position < 0)
            return wire::StatusReply(0);
        const auto begin = std::min<std::size_t>(static_cast<std::size_t>(position), elements.size());
        const auto end = std::min<std::size_t>(begin + static_cast<std::size_t>(pageSize), elements.size());
        const std::vector<wire::Element> page(elements.begin() + static_cast<long>(begin),
                                              elements.begin() + static_cast<long>(end));
        return wire::ListReply(0, 61, page, end >= elements.size() ? -1 : static_cast<std::int32_t>(end));
    }
    void Drop(int number) {
        const auto id = wire::IdOf(static_cast<std::uint8_t>(number));
        elements.erase(
            std::remove_if(elements.begin(), elements.end(), [&](const auto& e) { return e.id == id; }),
            elements.end());
    }
};

struct Window {
    Window() {
        f.sender.reply = [this](const wire::Request& r) { return service.Answer(r); };
        f.parent.show();
        AnswerLists();
    }
    // Answers every list request still open; actions stay open for the test to answer.
    void AnswerLists() {
        for (int round = 0; round < 20; ++round) {
            f.Pump(2);
            bool answered = false;
            for (std::size_t i = 0; i < f.sender.Count(); ++i) {
                const auto sent = f.sender.At(i);
                if (!sent.answered && sent.request.payloadName == kLists && sent.status == 0)
                    answered |= f.sender.Reply(i, *service.Answer(sent.request));
            }
            if (!answered)
                break;
        }
        f.Pump();
    }
    void Refresh() {
        platform::PostMessage(platform::HandleOf(f.window()), f.window()->UpdateMessage(), 0, 0);
        AnswerLists();
    }
    std::size_t LastActionIndex() const {
        std::size_t last = 0;
        for (std::size_t i = 0; i < f.sender.Count(); ++i)
            if (f.sender.At(i).request.payloadName == kActions)
                last = i;
        return last;
    }
    TSmoothImageList* carousel() const {
        return f.window()->findChild<TSmoothImageList*>(QStringLiteral("lwSuspects2"));
    }
    TZRUNButton* button(const char* name) const {
        return f.window()->findChild<TZRUNButton*>(QString::fromLatin1(name));
    }
    void Select(int position) {
        QTest::mouseClick(carousel(), Qt::LeftButton, {}, carousel()->ItemRect(position).center());
    }
    std::vector<ST_BLELEMENT::Identifier> StoreIdentifiers() {
        std::vector<ST_BLELEMENT::Identifier> ids;
        auto* store = f.controller().ItemStore();
        for (std::size_t i = 0; i < store->Count(); ++i)
            ids.push_back(store->EntryAt(i)->element.identifier);
        return ids;
    }

    Service service;
    ControllerFixture f;
};

ST_BLELEMENT::Identifier Id(int number) {
    const auto id = wire::IdOf(static_cast<std::uint8_t>(number));
    ST_BLELEMENT::Identifier out{};
    std::copy(id.begin(), id.end(), out.begin());
    return out;
}

ST_BLELEMENT::Identifier ActionIdentifier(const wire::Request& r) {
    ST_BLELEMENT::Identifier out{};
    std::copy(r.body.begin() + 8, r.body.begin() + 24, out.begin());
    return out;
}

} // namespace

class TestRefresh : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unblockConfirmedAcrossARefresh_data();
    void unblockConfirmedAcrossARefresh();
    void removeReplyAfterARefresh_data();
    void removeReplyAfterARefresh();
    void windowReplacedBeforeTheFirstPageFills();
    void leftoverPageTriggerAsksForNothing();
    void controllerGoesWithAPageOutstanding();
    void removeAllEmptiesTheStore();
    void detectionReplyEndsTheRequestWithoutTheHistoryWindow();
    void waitingRowsEndWithTheStore();
    void failedFetchStillAsksForTheHistoryKinds();
    void reportMayOutliveTheController();
};

void TestRefresh::unblockConfirmedAcrossARefresh_data() {
    QTest::addColumn<int>("dropped");
    QTest::addColumn<bool>("sent");
    QTest::newRow("no refresh") << 0 << true;
    QTest::newRow("an item before it goes") << 1 << true;
    QTest::newRow("the item itself goes") << 2 << false;
}

void TestRefresh::unblockConfirmedAcrossARefresh() {
    QFETCH(int, dropped);
    QFETCH(bool, sent);
    Window w;
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.Select(1);
    QCOMPARE(w.f.window()->SelectedKey(), 2);
    // F5 while the question is open, with the service no longer listing one item.
    w.f.inspectDialog = [&](QDialog*) {
        if (dropped == 0)
            return;
        w.service.Drop(dropped);
        w.Refresh();
    };
    QTest::mouseClick(w.button("btnUnBlock"), Qt::LeftButton);
    const auto actions = w.f.ActionRequests();
    if (!sent) {
        QCOMPARE(actions.size(), std::size_t(0));
        return;
    }
    QCOMPARE(actions.size(), std::size_t(1));
    QCOMPARE(actions[0].BodyI32(1), 6);
    // The item the user was asked about, whatever key it has now.
    QVERIFY(ActionIdentifier(actions[0]) == Id(2));
}

void TestRefresh::removeReplyAfterARefresh_data() {
    QTest::addColumn<int>("dropped");
    QTest::addColumn<QList<int>>("left");
    QTest::newRow("no refresh") << 0 << QList<int>{1, 3};
    QTest::newRow("an item before it went") << 1 << QList<int>{3};
    QTest::newRow("the item was already gone") << 2 << QList<int>{1, 3};
}

void TestRefresh::removeReplyAfterARefresh() {
    QFETCH(int, dropped);
    QFETCH(QList<int>, left);
    Window w;
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.Select(1);
    QTest::mouseClick(w.button("btnRemove"), Qt::LeftButton);
    QCOMPARE(w.f.ActionRequests().size(), std::size_t(1));
    const std::size_t removal = w.LastActionIndex();
    if (dropped != 0) {
        w.service.Drop(dropped);
        w.Refresh();
    }
    QVERIFY(w.f.sender.Reply(removal, wire::StatusReply(0)));
    w.AnswerLists();
    std::vector<ST_BLELEMENT::Identifier> expected;
    for (int number : left)
        expected.push_back(Id(number));
    QVERIFY(w.StoreIdentifiers() == expected);
    QCOMPARE(w.carousel()->Count(), left.size());
    QCOMPARE(w.f.reports, 0);
}

void TestRefresh::windowReplacedBeforeTheFirstPageFills() {
    ControllerFixture f;
    Service service;
    f.parent.show();
    f.Pump();
    QCOMPARE(f.ListRequests().size(), std::size_t(1));
    // The host replaces the window while the first page is on its way.
    QVERIFY(f.CreateWindow());
    f.window()->show();
    f.Pump();
    QVERIFY(f.sender.Reply(0, *service.Answer(f.sender.At(0).request)));
    f.Pump();
    auto* carousel = f.window()->findChild<TSmoothImageList*>(QStringLiteral("lwSuspects2"));
    QTRY_COMPARE((f.Pump(1), carousel->Count()), 3);
    // And F5 works at once.
    const std::size_t before = f.ListRequests().size();
    platform::PostMessage(platform::HandleOf(f.window()), f.window()->UpdateMessage(), 0, 0);
    f.Pump();
    QCOMPARE(f.ListRequests().size(), before + 1);
}

void TestRefresh::leftoverPageTriggerAsksForNothing() {
    ControllerFixture f;
    Service service;
    service.elements = SampleElements(6);
    service.pageSize = 3;
    f.controller().StartFetch();
    f.Pump();
    // The first page comes; its next-page trigger is still queued when a restart happens.
    const auto bytes = *service.Answer(f.sender.At(0).request);
    const auto envelope = DecodeEnvelope(bytes.data(), bytes.size());
    f.controller().ListReply(envelope.get(), f.controller().FetchGeneration());
    f.controller().StartFetch();
    f.sender.delivery = ScriptedSender::Delivery::Inline;
    f.sender.reply = [&service](const wire::Request& r) { return service.Answer(r); };
    f.Pump();
    int firstPages = 0;
    for (const auto& r : f.ListRequests())
        firstPages += r.BodyI32(3) == 0 ? 1 : 0;
    QCOMPARE(firstPages, 2); // the first fetch's and the restart's, no third
    QCOMPARE(f.controller().ItemStore()->Count(), std::size_t(6));
    QCOMPARE(f.controller().NextPosition(), -1);
}

void TestRefresh::controllerGoesWithAPageOutstanding() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    QVERIFY(f.controller().PageInFlight());
    // A service that never answers: the controller still goes cleanly (the thread sanitizer
    // build would see a lock left held), and the late reply finds nobody.
    f.DestroyController();
    QVERIFY(f.sender.Reply(0, wire::ListReply(0, 5, SampleElements(2), -1)));
    QCoreApplication::processEvents();
}

void TestRefresh::removeAllEmptiesTheStore() {
    Window w;
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.f.window()->RemoveAllItems();
    QVERIFY(w.f.sender.Reply(w.LastActionIndex(), wire::StatusReply(0)));
    w.f.Pump();
    // Nothing the service removed may be shown again by a window opened later.
    QCOMPARE(w.f.controller().ItemStore()->Count(), std::size_t(0));
    QVERIFY(w.f.window()->findChild<QWidget*>(QStringLiteral("pnlEmptyLw"))->isVisible());
}

void TestRefresh::detectionReplyEndsTheRequestWithoutTheHistoryWindow() {
    ControllerFixture f;
    auto* history = new THistorySuspectsForm(f.window(), &f.controller());
    f.controller().SetHistoryWindow(history);
    f.controller().DetectionNames().AddWaitingRow(501, 1);
    QVERIFY(f.controller().RequestDetectionNames());
    const std::size_t request = f.sender.Count() - 1;
    delete history;
    QVERIFY(f.sender.Reply(request, wire::DetectionInfoReply(0, {})));
    f.Pump();
    // The request ended, so the name, still unknown, is asked for again.
    QCOMPARE(f.sender.Count(), request + 2);
    QCOMPARE(f.controller().DetectionNames().at(501).attempts, 2);
}

void TestRefresh::waitingRowsEndWithTheStore() {
    Window w;
    QTRY_COMPARE(w.carousel()->Count(), 3);
    // A row of key 2 waits for a name; a refresh gives key 2 to another item.
    w.f.controller().DetectionNames().AddWaitingRow(777, 2);
    w.Refresh();
    QVERIFY(w.f.controller().DetectionNames().at(777).waitingRows.empty());
}

void TestRefresh::failedFetchStillAsksForTheHistoryKinds() {
    ControllerFixture f;
    f.controller().StartFetch();
    f.Pump();
    auto* history = new THistorySuspectsForm(f.window(), &f.controller());
    f.controller().SetHistoryWindow(history);
    history->show();
    // The blocked kind fails; the history still wants the undone and deleted ones.
    QVERIFY(f.sender.Reply(0, wire::ListReply(-5, 0, {}, -1)));
    f.Pump();
    auto requests = f.ListRequests();
    QVERIFY(requests.size() >= 2);
    QCOMPARE(requests.back().BodyI32(1), 5);
    QVERIFY(f.sender.Reply(f.sender.Count() - 1, wire::ListReply(0, 4, SampleElements(1, 50), -1)));
    f.Pump();
    requests = f.ListRequests();
    QCOMPARE(requests.back().BodyI32(1), 8);
}

void TestRefresh::reportMayOutliveTheController() {
    Window w;
    QTRY_COMPARE(w.carousel()->Count(), 3);
    QTest::mouseClick(w.button("btnRemove"), Qt::LeftButton);
    // The host goes away while the failure is reported (the address sanitizer build checks
    // that nothing of the controller or its windows is touched afterwards).
    w.f.inspectDialog = [&](QDialog* dialog) {
        if (dialog->objectName() == QLatin1String("FormMessage"))
            w.f.DestroyController();
    };
    QVERIFY(w.f.sender.Reply(w.LastActionIndex(), wire::StatusReply(-7)));
    QTRY_COMPARE((QCoreApplication::processEvents(), w.f.reports), 1);
}

QTEST_MAIN(TestRefresh)
#include "tst_refresh.moc"
