// The suspects window's states around the list and its actions: what it shows while the first
// page is awaited, when the service said the list is empty and when it could not be fetched;
// a double click on an action; an item without a location.
#include "comm/store/blaitemex.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "support/controllerfixture.h"
#include "support/resourcelibrary.h"
#include "support/servicewire.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

const QString kEmptyText = QStringLiteral("Si alguna vez ZRUN Antimalware neutraliza un programa que deseas "
                                          "utilizar puedes recuperarlo desde aquí");
const QString kFailureText = QStringLiteral("No se ha podido obtener la lista de elementos bloqueados.\n"
                                            "Pulsa F5 para volver a intentarlo.");
const QString kUnknownName = QStringLiteral("Desconocido");
const QString kUnknownLocation = QStringLiteral("Ubicación desconocida");

// How the service answers list requests.
enum class ListAnswer { Pages, ErrorReply, Refused, NoReply };

// Serves list pages from a fixed set of elements; item actions succeed.
struct Service {
    std::vector<wire::Element> elements;
    ListAnswer list = ListAnswer::Pages;

    std::optional<wire::Bytes> Answer(const wire::Request& r) const {
        if (r.payloadName == wire::kActionRequestName)
            return wire::StatusReply(0);
        const std::int32_t position = r.BodyI32(3);
        if (position < 0)
            return wire::StatusReply(0);
        if (list == ListAnswer::ErrorReply)
            return wire::StatusReply(5);
        if (list == ListAnswer::NoReply)
            return std::nullopt;
        const auto begin = std::min<std::size_t>(static_cast<std::size_t>(position), elements.size());
        const auto end = std::min<std::size_t>(begin + 4, elements.size());
        const std::vector<wire::Element> page(elements.begin() + static_cast<long>(begin),
                                              elements.begin() + static_cast<long>(end));
        const std::int32_t next = end >= elements.size() ? -1 : static_cast<std::int32_t>(end);
        return wire::ListReply(0, 61, page, next);
    }
};

// The window in its parent, not yet shown: tests set the service up, then Show().
struct Window {
    explicit Window(std::vector<wire::Element> elements, bool withSender = true, void* resources = nullptr)
        : f(withSender) {
        service.elements = std::move(elements);
        f.sender.delivery = ScriptedSender::Delivery::Inline;
        f.sender.reply = [this](const wire::Request& r) { return service.Answer(r); };
        f.sender.status = [this](const wire::Request& r) -> std::uint32_t {
            return service.list == ListAnswer::Refused && r.payloadName == wire::kListRequestName
                       ? CSuspects::kRefused
                       : 0;
        };
        if (resources)
            f.controller().CreateSuspectsForm(&f.parent, &f.translation.source,
                                              withSender ? &f.sender : nullptr, &f.configuration,
                                              &f.hostState, resources);
    }
    void Show() {
        f.parent.show();
        f.Pump();
    }
    template <class T> T* child(const char* name) const {
        return f.window()->findChild<T*>(QString::fromLatin1(name));
    }
    QWidget* widget(const char* name) const { return child<QWidget>(name); }
    QLabel* label(const char* name) const { return child<QLabel>(name); }
    QTimer* timer(const char* name) const { return child<QTimer>(name); }
    TSmoothImageList* carousel() const { return child<TSmoothImageList>("lwSuspects2"); }
    TZRUNButton* button(const char* name) const { return child<TZRUNButton>(name); }
    int ListRequests() const { return static_cast<int>(f.ListRequests().size()); }
    std::vector<wire::Request> Actions() const { return f.ActionRequests(); }
    void PressF5() const {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
        QApplication::sendEvent(f.window(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
        QApplication::sendEvent(f.window(), &release);
        f.Pump();
    }

    Service service;
    mutable ControllerFixture f;
};

// The events a real double click brings a widget: press, release, then the double-click event
// in place of the second press, and its release. Between the two, what happens meanwhile.
void DoubleClick(QWidget* target, const std::function<void()>& meanwhile = {}) {
    const QPoint at = target->rect().center();
    const QPointF global = target->mapToGlobal(QPointF(at));
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (meanwhile)
        meanwhile();
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

bool SameId(const wire::Request& action, std::uint8_t number) {
    const auto id = wire::IdOf(number);
    return std::equal(id.begin(), id.end(), action.body.begin() + 8);
}

// Pixels of an image area that are plainly the orange of the shield picture.
int OrangePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 180 && c.green() > 90 && c.green() < 200 && c.blue() < 90 ? 1 : 0;
        }
    return count;
}

int WhitePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() > 200 && c.blue() > 200 ? 1 : 0;
        }
    return count;
}

} // namespace

class TestSuspectsStates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pendingFirstPageShowsNoEmptyText();
    void emptyListShowsTheEmptyText();
    void failedFetchSaysSo_data();
    void failedFetchSaysSo();
    void f5AfterAFailureFetchesAgain_data();
    void f5AfterAFailureFetchesAgain();
    void newTextsAreTranslated();
    void doubleClickOnRemoveRemovesOneItem();
    void quickSecondClickAfterTheReplyDoesNothing();
    void secondPressOfADoubleClickIsIgnored_data();
    void secondPressOfADoubleClickIsIgnored();
    void itemWithoutLocation_data();
    void itemWithoutLocation();
};

void TestSuspectsStates::pendingFirstPageShowsNoEmptyText() {
    Window w(SampleElements(2));
    w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    // Before the window is shown nothing is claimed about the list either.
    QVERIFY(w.widget("pnlEmptyLw")->isHidden());
    w.Show();
    QCOMPARE(w.ListRequests(), 1);
    QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
    QVERIFY(!w.label("lblListFailedLw")->isVisible());
    // The loading text waits its delay, so a quick first page never flashes it.
    QVERIFY(!w.label("lblLoadingLw")->isVisible());
    QVERIFY(w.timer("TimerLoading")->isActive());
    QVERIFY(w.timer("TimerLoading")->isSingleShot());
    QCOMPARE(w.timer("TimerLoading")->interval(), 500);
    QVERIFY(w.timer("TimerListTimeout")->isActive());
    QCOMPARE(w.timer("TimerListTimeout")->interval(), static_cast<int>(CSuspects::kFirstPageGiveUpMs));
    // Its turn, taken at once.
    w.f.window()->TimerLoadingTimer();
    QVERIFY(w.label("lblLoadingLw")->isVisible());
    QCOMPARE(w.label("lblLoadingLw")->text(), QStringLiteral("Cargando..."));
    QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
    // The first page replaces it with the items.
    QVERIFY(w.f.sender.Reply(0, *w.service.Answer(w.f.ListRequests()[0])));
    w.f.Pump();
    QCOMPARE(w.carousel()->Count(), 2);
    QVERIFY(!w.label("lblLoadingLw")->isVisible());
    QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
    QVERIFY(!w.timer("TimerLoading")->isActive());
    QVERIFY(!w.timer("TimerListTimeout")->isActive());
}

void TestSuspectsStates::emptyListShowsTheEmptyText() {
    Window w({});
    w.Show();
    QVERIFY(w.widget("pnlEmptyLw")->isVisible());
    QCOMPARE(w.label("lblEmptyLw")->text(), kEmptyText);
    QVERIFY(!w.label("lblListFailedLw")->isVisible());
    QVERIFY(!w.label("lblLoadingLw")->isVisible());
    QVERIFY(!w.timer("TimerLoading")->isActive());
    QVERIFY(!w.timer("TimerListTimeout")->isActive());
}

void TestSuspectsStates::failedFetchSaysSo_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("withSender");
    QTest::addColumn<bool>("silent");
    QTest::newRow("service refuses the request") << int(ListAnswer::Refused) << true << false;
    QTest::newRow("service replies with an error") << int(ListAnswer::ErrorReply) << true << false;
    QTest::newRow("service cannot answer") << int(ListAnswer::NoReply) << true << false;
    QTest::newRow("service never answers") << int(ListAnswer::Pages) << true << true;
    QTest::newRow("no service") << int(ListAnswer::Pages) << false << false;
}

void TestSuspectsStates::failedFetchSaysSo() {
    QFETCH(int, answer);
    QFETCH(bool, withSender);
    QFETCH(bool, silent);
    Window w(SampleElements(3), withSender);
    w.service.list = static_cast<ListAnswer>(answer);
    if (silent)
        w.f.sender.delivery = ScriptedSender::Delivery::Manual;
    w.Show();
    if (silent) {
        // Still waiting: no verdict yet, until the timeout's turn.
        QVERIFY(!w.label("lblListFailedLw")->isVisible());
        QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
        QVERIFY(w.timer("TimerListTimeout")->isActive());
        w.f.window()->TimerListTimeoutTimer();
        w.f.Pump();
    }
    QVERIFY(w.f.controller().ListFetchFailed());
    QVERIFY(w.label("lblListFailedLw")->isVisible());
    QCOMPARE(w.label("lblListFailedLw")->text(), kFailureText);
    QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
    QVERIFY(!w.label("lblLoadingLw")->isVisible());
    QVERIFY(!w.carousel()->isVisible());
    QVERIFY(!w.widget("pnlInformation")->isVisible());
    QVERIFY(!w.timer("TimerLoading")->isActive());
    QVERIFY(!w.timer("TimerListTimeout")->isActive());
    QCOMPARE(w.f.window()->SelectedKey(), -1);
    if (silent) {
        // The answer that comes after all belongs to a fetch given up on.
        QVERIFY(w.f.sender.Reply(0, *w.service.Answer(w.f.ListRequests()[0])));
        w.f.Pump();
        QCOMPARE(w.carousel()->Count(), 0);
        QVERIFY(w.label("lblListFailedLw")->isVisible());
    }
}

void TestSuspectsStates::f5AfterAFailureFetchesAgain_data() {
    QTest::addColumn<bool>("silent");
    QTest::newRow("after an error reply") << false;
    QTest::newRow("after no answer in time") << true;
}

void TestSuspectsStates::f5AfterAFailureFetchesAgain() {
    QFETCH(bool, silent);
    Window w(SampleElements(3));
    if (silent) {
        w.f.sender.delivery = ScriptedSender::Delivery::Manual;
        w.Show();
        w.f.window()->TimerListTimeoutTimer();
        w.f.Pump();
    } else {
        w.service.list = ListAnswer::ErrorReply;
        w.Show();
    }
    QVERIFY(w.label("lblListFailedLw")->isVisible());
    const int before = w.ListRequests();
    w.service.list = ListAnswer::Pages;
    w.f.sender.delivery = ScriptedSender::Delivery::Inline;
    w.PressF5();
    QCOMPARE(w.ListRequests(), before + 1);
    QCOMPARE(w.carousel()->Count(), 3);
    QVERIFY(w.carousel()->isVisible());
    QVERIFY(!w.label("lblListFailedLw")->isVisible());
    QVERIFY(!w.widget("pnlEmptyLw")->isVisible());
    QVERIFY(!w.f.controller().ListFetchFailed());
    QCOMPARE(w.f.window()->SelectedKey(), 1);
}

void TestSuspectsStates::newTextsAreTranslated() {
    Window w({});
    w.f.translation.translator.table.insert(QStringLiteral("Cargando..."), QStringLiteral("Loading..."));
    w.f.translation.translator.table.insert(
        QStringLiteral("No se ha podido obtener la lista de elementos bloqueados."),
        QStringLiteral("Failed."));
    w.f.translation.translator.table.insert(QStringLiteral("Pulsa F5 para volver a intentarlo."),
                                            QStringLiteral("Press F5."));
    QVERIFY(w.f.CreateWindow());
    QCOMPARE(w.label("lblLoadingLw")->text(), QStringLiteral("Loading..."));
    QCOMPARE(w.label("lblListFailedLw")->text(), QStringLiteral("Failed.\nPress F5."));
}

void TestSuspectsStates::doubleClickOnRemoveRemovesOneItem() {
    Window w(SampleElements(3));
    w.Show();
    QCOMPARE(w.carousel()->Count(), 3);
    auto* remove = w.button("btnRemove");
    // The service answers at once: the next item is described before the second press.
    DoubleClick(remove, [&] { w.f.Pump(); });
    w.f.Pump();
    QCOMPARE(w.Actions().size(), std::size_t(1));
    QVERIFY(SameId(w.Actions()[0], 1));
    QCOMPARE(w.carousel()->Count(), 2);
    QCOMPARE(w.f.window()->SelectedKey(), 2);
    // The next item is held off until the user could read it; then a click removes it.
    QVERIFY(!remove->isEnabled());
    QVERIFY(w.timer("TimerActionHold")->isActive());
    QCOMPARE(w.timer("TimerActionHold")->interval(), QApplication::doubleClickInterval());
    w.f.window()->TimerActionHoldTimer();
    QVERIFY(remove->isEnabled());
    QVERIFY(w.button("btnUnBlock")->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    w.f.Pump();
    QCOMPARE(w.Actions().size(), std::size_t(2));
    QVERIFY(SameId(w.Actions()[1], 2));
    QCOMPARE(w.carousel()->Count(), 1);
}

void TestSuspectsStates::quickSecondClickAfterTheReplyDoesNothing() {
    Window w(SampleElements(3));
    w.Show();
    auto* remove = w.button("btnRemove");
    QTest::mouseClick(remove, Qt::LeftButton);
    w.f.Pump();
    QCOMPARE(w.carousel()->Count(), 2);
    // Two separate clicks, the second after the reply described the next item.
    QTest::mouseClick(remove, Qt::LeftButton);
    w.f.Pump();
    QCOMPARE(w.Actions().size(), std::size_t(1));
    QCOMPARE(w.carousel()->Count(), 2);
    QCOMPARE(w.f.window()->SelectedKey(), 2);
}

void TestSuspectsStates::secondPressOfADoubleClickIsIgnored_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("remove") << "btnRemove";
    QTest::newRow("unblock") << "btnUnBlock";
}

void TestSuspectsStates::secondPressOfADoubleClickIsIgnored() {
    QFETCH(QString, button);
    Window w(SampleElements(3));
    w.Show();
    int questions = 0;
    w.f.inspectDialog = [&](QDialog*) { ++questions; };
    w.f.modalAnswer = 2; // the unblock warning is declined
    auto* target = w.button(button.toLatin1().constData());
    QTest::mouseClick(target, Qt::LeftButton);
    w.f.Pump();
    w.f.window()->TimerActionHoldTimer();
    const std::size_t actions = w.Actions().size();
    const int asked = questions;
    // Only the double-click event of the pair reaches the button now.
    QTest::mouseDClick(target, Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton);
    w.f.Pump();
    QCOMPARE(w.Actions().size(), actions);
    QCOMPARE(questions, asked);
}

void TestSuspectsStates::itemWithoutLocation_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("name");
    QTest::newRow("empty location") << QString() << kUnknownName;
    QTest::newRow("ordinary location")
        << QStringLiteral("C:\\Users\\ana\\item9.exe") << QStringLiteral("item9.exe");
}

void TestSuspectsStates::itemWithoutLocation() {
    QFETCH(QString, location);
    QFETCH(QString, name);
    ResourceLibrary library;
    QVERIFY(library.Handle());
    auto elements = SampleElements(2);
    elements[0].location = location.toStdU16String();
    Window w(elements, true, library.Handle());
    w.Show();
    QCOMPARE(w.carousel()->Count(), 2);
    // The hint names it and its location, known or not.
    QString hint;
    w.f.window()->lwSuspects2ItemHint(0, hint);
    const QString shownLocation = location.isEmpty() ? kUnknownLocation : location;
    QVERIFY2(hint.startsWith(name + QStringLiteral("<BR>") + shownLocation + QStringLiteral("<BR>")),
             qPrintable(hint));
    // The unblock warning names it.
    w.f.modalAnswer = 2;
    QTest::mouseClick(w.button("btnUnBlock"), Qt::LeftButton);
    QVERIFY2(w.f.lastDialogFirstLine.contains(name + QStringLiteral(", bloqueado por")),
             qPrintable(w.f.lastDialogFirstLine));
    if (!location.isEmpty())
        return;
    // The tile draws a picture and a name.
    const QImage image = w.carousel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect tile = w.carousel()->ItemRect(0);
    const int size = w.carousel()->ImageSize();
    const int top = tile.y() + w.carousel()->ImageTopMargin();
    const QRect picture(tile.x() + (tile.width() - size) / 2, top, size, size);
    QVERIFY(OrangePixels(image, picture) > size * size / 8);
    const QRect text(tile.x(), top + size + 2, tile.width(), tile.bottom() - (top + size + 2));
    QVERIFY(WhitePixels(image, text) > 20);
}

QTEST_MAIN(TestSuspectsStates)
#include "tst_suspectsstates.moc"
