// The suspects window, driven headless through its registered messages and real clicks and
// keys, against a scripted service.
#include "comm/store/blaitemex.h"
#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/hooks.h"
#include "platform/system.h"
#include "support/controllerfixture.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

const std::u16string kActions = u"class CMsgModBlaActions *";

// Serves list pages from a fixed set of elements; item actions answer with actionResult.
struct Service {
    std::vector<wire::Element> elements;
    int pageSize = 4;
    std::int32_t actionResult = 0;
    bool answerActions = true;

    std::optional<wire::Bytes> Answer(const wire::Request& r) const {
        if (r.payloadName == kActions)
            return answerActions ? std::optional<wire::Bytes>(wire::StatusReply(actionResult)) : std::nullopt;
        const std::int32_t position = r.BodyI32(3);
        if (position < 0)
            return wire::StatusReply(0);
        const auto begin = std::min<std::size_t>(static_cast<std::size_t>(position), elements.size());
        const auto end = std::min<std::size_t>(begin + static_cast<std::size_t>(pageSize), elements.size());
        const std::vector<wire::Element> page(elements.begin() + static_cast<long>(begin),
                                              elements.begin() + static_cast<long>(end));
        const std::int32_t next = end >= elements.size() ? -1 : static_cast<std::int32_t>(end);
        return wire::ListReply(0, 61, page, next);
    }
};

struct Window {
    explicit Window(std::vector<wire::Element> elements, bool withSender = true) : f(withSender) {
        service.elements = std::move(elements);
        f.sender.delivery = ScriptedSender::Delivery::Inline;
        f.sender.reply = [this](const wire::Request& r) { return service.Answer(r); };
        f.parent.show();
        f.Pump();
    }
    template <class T> T* child(const char* name) const {
        return f.window()->findChild<T*>(QString::fromLatin1(name));
    }
    TSmoothImageList* carousel() const { return child<TSmoothImageList>("lwSuspects2"); }
    THTMLabel* description() const { return child<THTMLabel>("lblInformation1"); }
    int ListRequests() const { return static_cast<int>(f.ListRequests().size()); }
    std::vector<wire::Request> Actions() const { return f.ActionRequests(); }

    Service service;
    ControllerFixture f;
};

void SendKey(QWidget* target, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
             quint32 nativeKey = 0, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, 0, nativeKey, 0, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

// Counts the events of one type that reach an object.
class EventCounter final : public QObject {
public:
    explicit EventCounter(int type) : m_type(type) {}
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == m_type ? 1 : 0;
        return false;
    }

private:
    int m_type;
};

} // namespace

class TestSuspectsForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutByName_data();
    void layoutByName();
    void fillsFromSeveralPagesAndDescribesTheFirst();
    void membershipRule_data();
    void membershipRule();
    void hiddenElementsDoNotHideTheirNeighbours();
    void emptyStateNamesTheProduct();
    void selectingTheDescribedItemAgainChangesNothing();
    void clickingAnItemDescribesIt();
    void removeSendsItsIdentifierAndTheItemLeaves();
    void removingTheOnlyItemShowsTheEmptyState();
    void twoQuickClicksSendOneRequest();
    void unblockAsksFirstWithNoOnTheLeft();
    void declinedUnblockSendsNothing();
    void quickUnblockReplyNeverShowsTheLayer();
    void slowUnblockReplyShowsTheLayer();
    void withoutWaitingLayerTheHourglassStays();
    void failuresOpenTheMessageWindow_data();
    void failuresOpenTheMessageWindow();
    void heldF5RefreshesOnce();
    void leftControlShiftDRemovesAllOnce_data();
    void leftControlShiftDRemovesAllOnce();
    void rightControlDoesNotRemoveAll();
    void altShortcutsAreSwallowedButAltF4();
    void navigationOnAnEmptyCarouselStartsNoTimer();
    void navigationScrollsAndRepeats();
    void actionsFollowTheConfiguration();
};

void TestSuspectsForm::layoutByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("caption") << "pnlCaption" << QRect(0, 0, 520, 60);
    QTest::newRow("title") << "lblStatus" << QRect(24, 8, 493, 27);
    QTest::newRow("history link") << "lblShowHistorySuspects" << QRect(14, 42, 305, 17);
    QTest::newRow("body") << "Panel1" << QRect(0, 60, 520, 173);
    QTest::newRow("carousel frame") << "pnlListView" << QRect(0, 0, 520, 86);
    QTest::newRow("left arrow") << "ZRUNButtonNavLeft" << QRect(0, 0, 24, 84);
    QTest::newRow("right arrow") << "ZRUNButtonNavRight" << QRect(494, 0, 24, 84);
    QTest::newRow("empty state") << "pnlEmptyLw" << QRect(24, 25, 472, 41);
    QTest::newRow("description area") << "pnlInformation" << QRect(0, 89, 520, 89);
    QTest::newRow("unblock") << "btnUnBlock" << QRect(144, 1, 113, 19);
    QTest::newRow("remove") << "btnRemove" << QRect(263, 1, 113, 19);
}

void TestSuspectsForm::layoutByName() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Window w(SampleElements(2));
    auto* control = w.f.window()->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(w.f.window()->size(), QSize(520, 233));
    QCOMPARE(w.child<QLabel>("lblStatus")->text(), QStringLiteral("Papelera de reciclaje"));
    QCOMPARE(w.child<TZRUNButton>("btnUnBlock")->Caption(), QStringLiteral("No bloquearlo"));
    QCOMPARE(w.child<TZRUNButton>("btnRemove")->Caption(), QStringLiteral("Eliminarlo"));
    QVERIFY(w.child<THTMLabel>("lblShowHistorySuspects")
                ->HTMLText()
                .contains(QStringLiteral("Restaurar archivos neutralizados...")));
}

void TestSuspectsForm::fillsFromSeveralPagesAndDescribesTheFirst() {
    Window w(SampleElements(10));
    QTRY_COMPARE(w.carousel()->property("count").toInt(), 10);
    QCOMPARE(w.ListRequests(), 3);
    QVERIFY(w.child<QWidget>("pnlInformation")->isVisible());
    QVERIFY(!w.child<QWidget>("pnlEmptyLw")->isVisible());
    QCOMPARE(w.f.window()->SelectedKey(), 1);
    QCOMPARE(w.carousel()->property("selectedIndex").toInt(), 0);
    QVERIFY(w.description()->HTMLText().contains(QStringLiteral("¿Por qué lo hemos bloqueado?")));
    QVERIFY(w.description()->HTMLText().contains(QStringLiteral("href=\"1001\"")));
}

void TestSuspectsForm::membershipRule_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("shown");
    QTest::newRow("blocked item") << 100 << 0 << true;
    QTest::newRow("undone action never shown") << 100 << 0x80 << false;
    QTest::newRow("undone in a plain category") << 1 << 0x80 << false;
    QTest::newRow("deleted in category 100") << 100 << 0x04 << false;
    QTest::newRow("deleted in category 20") << 20 << 0x04 << false;
    QTest::newRow("deleted in category with bit 0x40") << 0x40 << 0x04 << false;
    QTest::newRow("deleted in a plain category shown") << 1 << 0x04 << true;
    QTest::newRow("category 20 not deleted") << 20 << 0 << true;
    QTest::newRow("hidden element never stored") << 100 << 0x400 << false;
}

void TestSuspectsForm::membershipRule() {
    QFETCH(int, category);
    QFETCH(int, flags);
    QFETCH(bool, shown);
    auto elements = SampleElements(3);
    elements[1].category = static_cast<std::uint32_t>(category);
    elements[1].flags = static_cast<std::uint32_t>(flags);
    Window w(elements);
    QTRY_VERIFY(w.f.controller().NextPosition() == -1);
    w.f.Pump();
    QCOMPARE(w.carousel()->Count(), shown ? 3 : 2);
}

void TestSuspectsForm::hiddenElementsDoNotHideTheirNeighbours() {
    // Pages of four: the service's positions run ahead of the store's once one is hidden.
    auto elements = SampleElements(10);
    elements[1].flags = 0x400;
    elements[6].flags = 0x400;
    Window w(elements);
    QTRY_COMPARE(w.carousel()->Count(), 8);
    QCOMPARE(w.f.controller().ItemStore()->Count(), std::size_t(8));
}

void TestSuspectsForm::emptyStateNamesTheProduct() {
    Window w({});
    QTRY_VERIFY(w.child<QWidget>("pnlEmptyLw")->isVisible());
    QCOMPARE(
        w.child<QLabel>("lblEmptyLw")->text(),
        QStringLiteral("Si alguna vez ZRUN Antimalware neutraliza un programa que deseas utilizar puedes "
                       "recuperarlo desde aquí"));
    QVERIFY(!w.child<QWidget>("ZRUNButtonNavLeft")->isVisible());
    QVERIFY(!w.child<QWidget>("ZRUNButtonNavRight")->isVisible());
    QVERIFY(!w.child<QWidget>("pnlInformation")->isVisible());
    QVERIFY(!w.carousel()->isVisible());
    QCOMPARE(w.f.window()->SelectedKey(), -1);
}

void TestSuspectsForm::selectingTheDescribedItemAgainChangesNothing() {
    Window w(SampleElements(3));
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.description()->SetHTMLText(QStringLiteral("marker"));
    w.child<TZRUNButton>("btnRemove")->setEnabled(false);
    w.f.window()->lwSuspects2ItemSelect(0);
    QCOMPARE(w.description()->HTMLText(), QStringLiteral("marker"));
    QVERIFY(!w.child<TZRUNButton>("btnRemove")->isEnabled());
}

void TestSuspectsForm::clickingAnItemDescribesIt() {
    Window w(SampleElements(3));
    QTRY_COMPARE(w.carousel()->Count(), 3);
    QTest::mouseClick(w.carousel(), Qt::LeftButton, {}, w.carousel()->ItemRect(2).center());
    QCOMPARE(w.f.window()->SelectedKey(), 3);
    QCOMPARE(w.carousel()->SelectedIndex(), 2);
    QVERIFY(w.description()->HTMLText().contains(QStringLiteral("href=\"1003\"")));
    // A click beside the items brings the highlight back to the described item.
    w.carousel()->SetSelectedIndex(0);
    QTest::mouseClick(w.carousel(), Qt::LeftButton, {}, QPoint(w.carousel()->width() - 2, 2));
    QCOMPARE(w.carousel()->SelectedIndex(), 2);
    QCOMPARE(w.f.window()->SelectedKey(), 3);
}

void TestSuspectsForm::removeSendsItsIdentifierAndTheItemLeaves() {
    Window w(SampleElements(3));
    QTRY_COMPARE(w.carousel()->Count(), 3);
    QTest::mouseClick(w.carousel(), Qt::LeftButton, {}, w.carousel()->ItemRect(1).center());
    QCOMPARE(w.f.window()->SelectedKey(), 2);
    QTest::mouseClick(w.child<TZRUNButton>("btnRemove"), Qt::LeftButton);
    const auto actions = w.Actions();
    QCOMPARE(actions.size(), std::size_t(1));
    QCOMPARE(actions[0].BodyI32(1), 4);
    const auto id = wire::IdOf(2);
    QVERIFY(std::equal(id.begin(), id.end(), actions[0].body.begin() + 8));
    w.f.Pump();
    QCOMPARE(w.carousel()->Count(), 2);
    // The description moves to the first item.
    QCOMPARE(w.f.window()->SelectedKey(), 1);
    QCOMPARE(w.carousel()->SelectedIndex(), 0);
    QCOMPARE(w.f.reports, 0);
}

void TestSuspectsForm::removingTheOnlyItemShowsTheEmptyState() {
    Window w(SampleElements(1));
    QTRY_COMPARE(w.carousel()->Count(), 1);
    QTest::mouseClick(w.child<TZRUNButton>("btnRemove"), Qt::LeftButton);
    w.f.Pump();
    QCOMPARE(w.carousel()->Count(), 0);
    QVERIFY(w.child<QWidget>("pnlEmptyLw")->isVisible());
    QCOMPARE(w.f.window()->SelectedKey(), -1);
}

void TestSuspectsForm::twoQuickClicksSendOneRequest() {
    Window w(SampleElements(3));
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    auto* remove = w.child<TZRUNButton>("btnRemove");
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(w.Actions().size(), std::size_t(1));
}

void TestSuspectsForm::unblockAsksFirstWithNoOnTheLeft() {
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    bool checked = false;
    w.f.inspectDialog = [&](QDialog* dialog) {
        auto* accept = dialog->findChild<TZRUNButton*>(QStringLiteral("BAceptar"));
        auto* cancel = dialog->findChild<TZRUNButton*>(QStringLiteral("BCancelar"));
        QVERIFY(accept && cancel);
        QCOMPARE(cancel->Caption(), QStringLiteral("No"));
        QCOMPARE(accept->Caption(), QStringLiteral("Sí, deseo continuar"));
        QVERIFY(cancel->x() < accept->x());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("No bloquear elemento"));
        QVERIFY(w.f.lastDialogFirstLine.contains(QStringLiteral("Vas a desbloquear el elemento:")));
        QVERIFY(w.f.lastDialogFirstLine.contains(QStringLiteral("item1.exe")));
        checked = true;
    };
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    QVERIFY(checked);
    QCOMPARE(w.f.lastDialogName, QStringLiteral("SuspectsActionForm"));
    QVERIFY(!w.child<TZRUNButton>("btnUnBlock")->isEnabled());
    QVERIFY(!w.child<TZRUNButton>("btnRemove")->isEnabled());
    const auto actions = w.Actions();
    QCOMPARE(actions.size(), std::size_t(1));
    QCOMPARE(actions[0].BodyI32(1), 6);
    QCOMPARE(platform::ScreenCursor(), platform::kCursorHourglass);
    // The second click finds the item busy.
    w.f.window()->btnUnBlockClick();
    QCOMPARE(w.Actions().size(), std::size_t(1));
    QVERIFY(w.f.sender.Reply(w.f.sender.Count() - 1, wire::StatusReply(0)));
    w.f.Pump();
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
}

void TestSuspectsForm::declinedUnblockSendsNothing() {
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    w.f.modalAnswer = 2;
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    QCOMPARE(w.Actions().size(), std::size_t(0));
    QVERIFY(w.child<TZRUNButton>("btnUnBlock")->isEnabled());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
}

void TestSuspectsForm::quickUnblockReplyNeverShowsTheLayer() {
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    // The reply comes at once: the layer must never show.
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    w.f.Pump();
    auto* layer = w.child<QWidget>("pnlWaitingUnblock");
    // The reply stopped the timer that would have shown it.
    QVERIFY(!w.child<QTimer>("TimerUnblock")->isActive());
    QVERIFY(!layer->isVisible());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
}

void TestSuspectsForm::slowUnblockReplyShowsTheLayer() {
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    auto* layer = w.child<QWidget>("pnlWaitingUnblock");
    QVERIFY(!layer->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(layer->isVisible(), 5000);
    QCOMPARE(layer->geometry(), w.f.window()->rect());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
    auto* picture = w.child<QWidget>("ImageUndo");
    auto* label = w.child<QLabel>("lblUndoAction");
    QCOMPARE(label->text(), QStringLiteral("Desbloqueando elemento..."));
    QCOMPARE(label->y(), picture->y() + picture->height() + 5);
    QCOMPARE(picture->x(), layer->width() / 2 - picture->width() / 2);
    QVERIFY(w.f.sender.Reply(w.f.sender.Count() - 1, wire::StatusReply(0)));
    w.f.Pump();
    QVERIFY(!layer->isVisible());
}

void TestSuspectsForm::withoutWaitingLayerTheHourglassStays() {
    Window w(SampleElements(2));
    w.f.hostState.showWaitingLayer = 0;
    QTRY_COMPARE(w.carousel()->Count(), 2);
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    // The timer's turn, taken at once rather than waited for.
    auto* timer = w.child<QTimer>("TimerUnblock");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    w.f.window()->TimerUnblockTimer();
    QVERIFY(!timer->isActive());
    QVERIFY(!w.child<QWidget>("pnlWaitingUnblock")->isVisible());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorHourglass);
    QVERIFY(w.f.sender.Reply(w.f.sender.Count() - 1, wire::StatusReply(0)));
    w.f.Pump();
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
}

void TestSuspectsForm::failuresOpenTheMessageWindow_data() {
    QTest::addColumn<bool>("unblock");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("code");
    QTest::newRow("remove answered with an error") << false << -3 << true << 5;
    QTest::newRow("remove without reply") << false << 0 << false << 6;
    QTest::newRow("unblock answered with an error") << true << -3 << true << 7;
    QTest::newRow("unblock without reply") << true << 0 << false << 8;
}

void TestSuspectsForm::failuresOpenTheMessageWindow() {
    QFETCH(bool, unblock);
    QFETCH(int, result);
    QFETCH(bool, answered);
    QFETCH(int, code);
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    w.service.actionResult = result;
    w.service.answerActions = answered;
    QTest::mouseClick(w.child<TZRUNButton>(unblock ? "btnUnBlock" : "btnRemove"), Qt::LeftButton);
    w.f.Pump();
    QTRY_COMPARE(w.f.reports, 1);
    QCOMPARE(w.f.lastDialogName, QStringLiteral("FormMessage"));
    QCOMPARE(w.f.lastReportedCode, static_cast<std::uint32_t>(code));
    QVERIFY(w.f.lastDialogFirstLine.contains(QStringLiteral("Código %1").arg(code)));
    QTRY_COMPARE(w.carousel()->Count(), 2);
}

void TestSuspectsForm::heldF5RefreshesOnce() {
    Window w(SampleElements(2));
    QTRY_COMPARE(w.carousel()->Count(), 2);
    const int before = w.ListRequests();
    // Refreshes are counted as posted: the fetch's own guard would hide a repeat in requests.
    EventCounter refreshes(static_cast<int>(w.f.window()->UpdateMessage()));
    w.f.window()->installEventFilter(&refreshes);
    SendKey(w.f.window(), QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    for (int i = 0; i < 4; ++i)
        SendKey(w.f.window(), QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, 0, true);
    SendKey(w.f.window(), QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
    w.f.Pump();
    QCOMPARE(refreshes.count, 1);
    QCOMPARE(w.ListRequests(), before + 1);
    QTRY_COMPARE(w.carousel()->Count(), 2);
}

void TestSuspectsForm::leftControlShiftDRemovesAllOnce_data() {
    QTest::addColumn<bool>("actionsEnabled");
    QTest::newRow("actions on") << true;
    QTest::newRow("actions off") << false;
}

void TestSuspectsForm::leftControlShiftDRemovesAllOnce() {
    QFETCH(bool, actionsEnabled);
    Window w(SampleElements(3));
    if (!actionsEnabled) {
        // The host turned the actions off: the hidden key must not remove anything either.
        w.f.configuration.actionsEnabled = 0;
        QVERIFY(w.f.CreateWindow());
        w.f.window()->show();
        w.f.Pump();
    }
    QTRY_COMPARE(w.carousel()->Count(), 3);
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    QWidget* target = w.f.window();
    SendKey(target, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0xffe3);
    SendKey(target, QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier, 0xffe1);
    SendKey(target, QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    SendKey(target, QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier, 0, true);
    SendKey(target, QEvent::KeyRelease, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    SendKey(target, QEvent::KeyRelease, Qt::Key_Shift, Qt::ControlModifier, 0xffe1);
    SendKey(target, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, 0xffe3);
    const auto actions = w.Actions();
    if (!actionsEnabled) {
        QCOMPARE(actions.size(), std::size_t(0));
        QCOMPARE(w.carousel()->Count(), 3);
        return;
    }
    QCOMPARE(actions.size(), std::size_t(1));
    QCOMPARE(actions[0].BodyI32(1), 7);
    // The view empties at once and shows the empty state.
    QCOMPARE(w.carousel()->Count(), 0);
    QVERIFY(w.child<QWidget>("pnlEmptyLw")->isVisible());
}

void TestSuspectsForm::rightControlDoesNotRemoveAll() {
    Window w(SampleElements(3));
    QTRY_COMPARE(w.carousel()->Count(), 3);
    QWidget* target = w.f.window();
    SendKey(target, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0xffe4);
    SendKey(target, QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier, 0xffe1);
    SendKey(target, QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    SendKey(target, QEvent::KeyRelease, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    SendKey(target, QEvent::KeyRelease, Qt::Key_Shift, Qt::ControlModifier, 0xffe1);
    SendKey(target, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, 0xffe4);
    QCOMPARE(w.Actions().size(), std::size_t(0));
    QCOMPARE(w.carousel()->Count(), 3);
}

void TestSuspectsForm::altShortcutsAreSwallowedButAltF4() {
    Window w(SampleElements(1));
    QKeyEvent altX(QEvent::ShortcutOverride, Qt::Key_X, Qt::AltModifier);
    altX.ignore();
    QApplication::sendEvent(w.f.window(), &altX);
    QVERIFY(altX.isAccepted());
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    alt.ignore();
    QApplication::sendEvent(w.f.window(), &alt);
    QVERIFY(alt.isAccepted());
    QKeyEvent altF4(QEvent::ShortcutOverride, Qt::Key_F4, Qt::AltModifier);
    altF4.ignore();
    QApplication::sendEvent(w.f.window(), &altF4);
    QVERIFY(!altF4.isAccepted());
    QKeyEvent plain(QEvent::ShortcutOverride, Qt::Key_X, Qt::NoModifier);
    plain.ignore();
    QApplication::sendEvent(w.f.window(), &plain);
    QVERIFY(!plain.isAccepted());
}

void TestSuspectsForm::navigationOnAnEmptyCarouselStartsNoTimer() {
    Window w({});
    QTRY_VERIFY(w.child<QWidget>("pnlEmptyLw")->isVisible());
    auto* timer = w.f.window()->findChild<QTimer*>(QStringLiteral("TimerScrolling"));
    QVERIFY(timer);
    w.f.window()->ZRUNButtonNavLeftMouseDown();
    QVERIFY(!timer->isActive());
    w.f.window()->ZRUNButtonNavRightMouseDown();
    QVERIFY(!timer->isActive());
}

void TestSuspectsForm::navigationScrollsAndRepeats() {
    Window w(SampleElements(20));
    QTRY_COMPARE(w.carousel()->Count(), 20);
    auto* timer = w.f.window()->findChild<QTimer*>(QStringLiteral("TimerScrolling"));
    auto* right = w.child<TZRUNButton>("ZRUNButtonNavRight");
    QTest::mousePress(right, Qt::LeftButton);
    QCOMPARE(w.carousel()->TopIndex(), 1); // one step at once
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 200);
    QTRY_VERIFY(w.carousel()->TopIndex() >= 2); // then every 200 ms
    QTest::mouseRelease(right, Qt::LeftButton);
    QVERIFY(!timer->isActive());
}

void TestSuspectsForm::actionsFollowTheConfiguration() {
    ControllerFixture f;
    f.configuration.actionsEnabled = 0;
    QVERIFY(f.CreateWindow());
    auto* unblock = f.window()->findChild<TZRUNButton*>(QStringLiteral("btnUnBlock"));
    QVERIFY(!unblock->isEnabled());
    QVERIFY(!f.window()->findChild<TZRUNButton*>(QStringLiteral("btnRemove"))->isEnabled());
}

QTEST_MAIN(TestSuspectsForm)
#include "tst_suspectsform.moc"
