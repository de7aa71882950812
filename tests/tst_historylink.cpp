// The suspects window's link to the action history: the window is made once, handed every item
// received so far, offered to the host for its skin, and the fetch grows by the history's kinds.
#include "comm/messagetable.h"
#include "comm/store/blaitemex.h"
#include "controls/htmlabel.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/formvars.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "support/controllerfixture.h"

#include <QTest>

// Stands for the host's console: the module looks for a top-level window of this class.
class TConsoleForm final : public QWidget {
    Q_OBJECT

public:
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> skinRequests;

protected:
    bool event(QEvent* event) override {
        if (auto* message = platform::AsWindowMessage(event);
            message && message->Msg() == platform::RegisterWindowMessage(kSkinFormMessage)) {
            skinRequests.emplace_back(message->WParam(), message->LParam());
            return true;
        }
        return QWidget::event(event);
    }
};

namespace {

// Records the registered messages a window receives, in order, and lets them go on.
class MessageLog final : public QObject {
public:
    std::vector<std::pair<std::uint32_t, std::intptr_t>> messages;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (auto* message = platform::AsWindowMessage(event))
            messages.emplace_back(message->Msg(), message->LParam());
        return false;
    }
};

struct Window {
    Window() {
        f.sender.delivery = ScriptedSender::Delivery::Inline;
        f.sender.reply = [](const wire::Request& r) -> std::optional<wire::Bytes> {
            if (r.BodyI32(3) < 0)
                return wire::StatusReply(0);
            return wire::ListReply(0, 9, SampleElements(3), -1);
        };
        f.parent.show();
        f.Pump();
    }
    void ClickLink() { f.window()->lblShowHistorySuspectsAnchorClick(QStringLiteral("#")); }
    ControllerFixture f;
};

} // namespace

class TestHistoryLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createdOnceAndShown();
    void startsWithEveryItemReceived();
    void askedToBeSkinnedWhenAConsoleExists_data();
    void askedToBeSkinnedWhenAConsoleExists();
    void fetchGrowsByTheHistoryKinds();
    void opensOverItsHostAndOnTheScreen_data();
    void opensOverItsHostAndOnTheScreen();
};

void TestHistoryLink::createdOnceAndShown() {
    Window w;
    QVERIFY(w.f.controller().HistoryWindow() == nullptr);
    w.ClickLink();
    THistorySuspectsForm* history = w.f.controller().HistoryWindow();
    QVERIFY(history);
    QCOMPARE(HistorySuspectsForm, history);
    QVERIFY(history->isVisible());
    QVERIFY(history->isWindow());
    w.ClickLink();
    QCOMPARE(w.f.controller().HistoryWindow(), history);
    history->hide();
    w.ClickLink();
    QVERIFY(history->isVisible());
}

void TestHistoryLink::startsWithEveryItemReceived() {
    Window w;
    QCOMPARE(w.f.controller().ItemStore()->Count(), std::size_t(3));
    MessageLog log;
    w.ClickLink();
    THistorySuspectsForm* history = w.f.controller().HistoryWindow();
    QVERIFY(history);
    history->installEventFilter(&log);
    w.f.Pump();
    const stMessageNumbers& m = w.f.controller().Messages();
    QVERIFY(log.messages.size() >= 2);
    QCOMPARE(log.messages[0].first, m.WM_RESETVIEWS);
    QCOMPARE(log.messages[1].first, m.WM_FILLDATA);
    QCOMPARE(log.messages[1].second, std::intptr_t(3));
}

void TestHistoryLink::askedToBeSkinnedWhenAConsoleExists_data() {
    QTest::addColumn<bool>("console");
    QTest::newRow("console") << true;
    QTest::newRow("no console") << false;
}

void TestHistoryLink::askedToBeSkinnedWhenAConsoleExists() {
    QFETCH(bool, console);
    std::unique_ptr<TConsoleForm> host;
    if (console)
        host = std::make_unique<TConsoleForm>();
    Window w;
    w.ClickLink();
    w.f.Pump();
    QVERIFY(w.f.controller().HistoryWindow()->isVisible());
    if (!console)
        return;
    QCOMPARE(host->skinRequests.size(), std::size_t(1));
    QCOMPARE(host->skinRequests[0].first, std::uintptr_t(0));
    QCOMPARE(platform::WindowFromHandle(static_cast<platform::WindowHandle>(host->skinRequests[0].second)),
             static_cast<QObject*>(w.f.controller().HistoryWindow()));
    w.ClickLink();
    w.f.Pump();
    QCOMPARE(host->skinRequests.size(), std::size_t(1));
}

void TestHistoryLink::fetchGrowsByTheHistoryKinds() {
    Window w;
    const std::size_t before = w.f.ListRequests().size();
    QCOMPARE(w.f.ListRequests().back().BodyI32(1), 6);
    w.ClickLink();
    w.f.Pump();
    const auto requests = w.f.ListRequests();
    QCOMPARE(requests.size(), before + 2);
    QCOMPARE(requests[before].BodyI32(1), 5);
    QCOMPARE(requests[before + 1].BodyI32(1), 8);
    // Both kinds are in the store after the blocked ones, with keys going on.
    QCOMPARE(w.f.controller().ItemStore()->Count(), std::size_t(9));
    // With the history showing, a refresh asks for every kind at once.
    platform::PostMessage(platform::HandleOf(w.f.window()), w.f.window()->UpdateMessage(), 0, 0);
    w.f.Pump();
    QCOMPARE(w.f.ListRequests().back().BodyI32(1), 0);
}

QTEST_MAIN(TestHistoryLink)
#include "tst_historylink.moc"

void TestHistoryLink::opensOverItsHostAndOnTheScreen_data() {
    QTest::addColumn<QPoint>("hostCentre"); // relative to the centre of the screen's free area
    QTest::addColumn<bool>("centred");      // over the host, or pushed back onto the screen
    QTest::newRow("middle") << QPoint(0, 0) << true;
    QTest::newRow("a little off the middle") << QPoint(-40, 30) << true;
    QTest::newRow("bottom right corner") << QPoint(5000, 5000) << false;
    QTest::newRow("top left corner") << QPoint(-5000, -5000) << false;
}

void TestHistoryLink::opensOverItsHostAndOnTheScreen() {
    QFETCH(QPoint, hostCentre);
    QFETCH(bool, centred);
    Window w;
    const QRect area = w.f.parent.screen()->availableGeometry();
    QRect host = w.f.parent.frameGeometry();
    host.moveCenter(area.center() + hostCentre);
    w.f.parent.move(host.topLeft());
    w.f.Pump();
    w.ClickLink();
    THistorySuspectsForm* history = w.f.controller().HistoryWindow();
    QVERIFY(history && history->isVisible());
    const QRect placed = history->frameGeometry();
    QVERIFY2(area.contains(placed), qPrintable(QStringLiteral("%1,%2 %3x%4 outside the screen")
                                                   .arg(placed.x())
                                                   .arg(placed.y())
                                                   .arg(placed.width())
                                                   .arg(placed.height())));
    if (centred)
        QVERIFY((placed.center() - w.f.parent.frameGeometry().center()).manhattanLength() <= 2);
}
