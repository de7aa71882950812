// The action history window, driven headless through its registered messages and real clicks
// and keys: layout and chrome, the batch fill, the texts of the rows, the detection names and
// the row actions with their confirmations and waiting layer.
#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "platform/system.h"
#include "support/historyfixture.h"
#include "support/htmltext.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

using namespace history;

namespace {

const std::u16string kActions = u"class CMsgModBlaActions *";
const std::u16string kGetInfo = u"class CMsgModAvIemGetInfo *";

class PageCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// The point of a cell's link, found by asking the grid where its link lies.
QPoint LinkPoint(TAdvStringGrid* grid, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row - 1, 0));
    for (int x = cell.left(); x <= cell.right(); ++x) {
        const QPoint at(x, cell.center().y());
        if (!grid->AnchorAt(at + grid->viewport()->pos()).isEmpty())
            return at;
    }
    return QPoint(-1, -1);
}

} // namespace

class TestHistoryForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void layoutByName_data();
    void layoutByName();
    void texts();
    void fillsFortyOneEntriesInTwoTicks();
    void emptyStoreShowsNoActions();
    void actionTexts_data();
    void actionTexts();
    void undoneRowsAreGreen();
    void namesAtFill_data();
    void namesAtFill();
    void pendingNameArrives();
    void pendingNameGivenUpAfterPolling();
    void serviceTextIsNeverMarkup();
    void linkClickOpensTheInformationPage();
    void hints();
    void maximiseAndRestore();
    void minimiseWhileMaximisedComesBackMaximised();
    void systemMaximiseUsesTheWorkArea();
    void progressTurnsOnlyOverDrawnRows();
    void tooltipClient();
    void closeOnlyHides();
    void altKeysAreSwallowedButAltF4();
    void actionButtonsFollowTheEntry_data();
    void actionButtonsFollowTheEntry();
    void noButtonsWhenActionsAreOff();
    void confirmedFlows_data();
    void confirmedFlows();
    void declinedConfirmationSendsNothing_data();
    void declinedConfirmationSendsNothing();
    void confirmationPath_data();
    void confirmationPath();
    void quickReplyNeverShowsTheLayer();
    void slowReplyShowsTheLayerAndFollowsResizing();
    void withoutTheHostFlagNoLayerShows();
    void resetOrCloseWhileWaitingLeavesNoLayer_data();
    void resetOrCloseWhileWaitingLeavesNoLayer();
    void removalMovesTheSelectionToRowOne();
    void repaintAfterTheStoreWasEmptiedTouchesNoEntry();

private:
    QTemporaryDir m_settings;
    PageCatcher m_catcher;
};

void TestHistoryForm::initTestCase() {
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       m_settings.filePath(QStringLiteral("m")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_settings.filePath(QStringLiteral("u")));
    QSettings machine(QSettings::SystemScope, QStringLiteral("Norvik Software"), QStringLiteral("Setup"));
    machine.setValue(QStringLiteral("Path"), QStringLiteral(ZRUN_BIN_DIR));
    machine.sync();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_catcher, "open");
}

void TestHistoryForm::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestHistoryForm::layoutByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("caption") << "pnlCaption" << QRect(0, 0, 654, 25);
    QTest::newRow("title") << "LabelCaption" << QRect(16, 5, 547, 18);
    QTest::newRow("restore") << "btnRestore" << QRect(598, 0, 24, 15);
    QTest::newRow("close") << "btnClose" << QRect(622, 0, 24, 15);
    QTest::newRow("maximise") << "btnMaximize" << QRect(598, 0, 24, 15);
    QTest::newRow("minimise") << "btnMinimize" << QRect(574, 0, 24, 15);
    QTest::newRow("body") << "Panel1" << QRect(0, 25, 654, 428);
    QTest::newRow("search row") << "pnlControls" << QRect(16, 17, 630, 20);
    QTest::newRow("bottom strip") << "pnlAnchor" << QRect(0, 409, 654, 19);
    QTest::newRow("grip") << "ImageAnchor" << QRect(636, 0, 18, 19);
    QTest::newRow("grid panel") << "pnlGrid" << QRect(0, 87, 654, 347);
    QTest::newRow("grid") << "AdvStringGridSuspects" << QRect(0, 0, 654, 347);
    QTest::newRow("empty state") << "pnlEmptyText" << QRect(0, 22, 636, 323);
}

void TestHistoryForm::layoutByName() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Window h;
    auto* control = h.w->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
}

void TestHistoryForm::texts() {
    Window h;
    QCOMPARE(h.w->windowTitle(), QStringLiteral("Historial de acciones"));
    QCOMPARE(h.child<QLabel>("LabelCaption")->text(), QStringLiteral("Historial de acciones"));
    QCOMPARE(h.child<QLabel>("Label2")->text(), QStringLiteral("Buscar:"));
    QCOMPARE(h.child<QLabel>("lblEmptyText")->text(), QStringLiteral("No hay acciones"));
    QCOMPARE(h.search()->text(), QStringLiteral("Escribe aquí la palabra a buscar"));
    QVERIFY(h.search()->font().italic());
    const QStringList headers{"Acción", "Ubicación", "Fecha/Hora", ""};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(h.grid()->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
    QVERIFY(h.f.translation.translator.Keys().contains(QStringLiteral("Mostrar detalles")));
    QCOMPARE(h.grid()->ColWidth(0), 144);
    QCOMPARE(h.grid()->ColWidth(1), 207);
    QCOMPARE(h.grid()->ColWidth(2), 146);
    QVERIFY(!h.child<QWidget>("btnRestore")->isVisible());
}

void TestHistoryForm::fillsFortyOneEntriesInTwoTicks() {
    Window h;
    QCOMPARE(h.timer("TimerFillData")->interval(), 400);
    h.timer("TimerFillData")->setInterval(1500); // room for the checks between the two ticks
    h.Load(Elements(41));
    QVERIFY(h.w->FillInProgress());
    QVERIFY(h.timer("TimerFillData")->isActive());
    // First tick: rows 1 to 40, row 1 selected, names asked for at once.
    QTRY_COMPARE_WITH_TIMEOUT(h.w->KeyOfGridRow(40), 40, 10000);
    QCOMPARE(h.w->KeyOfGridRow(41), -1);
    QCOMPARE(h.grid()->RowCount(), 42);
    QCOMPARE(h.w->SelectedRow(), 1);
    QCOMPARE(h.w->SelectedKey(), 1);
    QVERIFY(h.timer("TimerFillData")->isActive());
    QCOMPARE(h.f.Requests(kGetInfo).size(), std::size_t(1));
    QVERIFY(h.timer("TimerDetectionID")->isActive());
    QVERIFY(h.timer("TimerProgress")->isActive());
    // Second tick: row 41, and the fill ends.
    QTRY_COMPARE_WITH_TIMEOUT(h.w->KeyOfGridRow(41), 41, 10000);
    QVERIFY(!h.timer("TimerFillData")->isActive());
    QVERIFY(!h.w->FillInProgress());
    QCOMPARE(h.Text(1, 41), QStringLiteral("C:\\Users\\ana\\item41.exe"));
    QVERIFY(!h.EmptyShown());
}

void TestHistoryForm::emptyStoreShowsNoActions() {
    Window h;
    h.LoadAll({});
    QVERIFY(h.EmptyShown());
    QCOMPARE(h.grid()->RowCount(), 2);
    QCOMPARE(h.w->SelectedKey(), -1);
    QVERIFY(!h.w->FillInProgress());
}

void TestHistoryForm::actionTexts_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("text");
    QTest::newRow("suspicious file") << 20 << 0 << "Archivo sospechoso neutralizado";
    QTest::newRow("neutralised") << 100 << 0 << "Ejecutable neutralizado/a:";
    QTest::newRow("deleted") << 100 << 0x04 << "Ejecutable eliminado/a:";
    QTest::newRow("other category") << 7 << 0 << "";
}

void TestHistoryForm::actionTexts() {
    QFETCH(int, category);
    QFETCH(int, flags);
    QFETCH(QString, text);
    Window h;
    h.f.translation.translator.table.insert(QStringLiteral("TYPE_201"), QStringLiteral("Ejecutable"));
    h.LoadAll({Element(1, static_cast<std::uint32_t>(category), static_cast<std::uint32_t>(flags))});
    QCOMPARE(h.Text(0, 1), text);
    QVERIFY(h.f.translation.translator.Keys().contains(QStringLiteral("TYPE_201")) == (category == 100));
    // Category 20 waits for its name but shows no progress picture.
    QCOMPARE(h.Image(1) >= 0, category != 20);
    QVERIFY(h.names().count(501) == 1);
}

void TestHistoryForm::undoneRowsAreGreen() {
    Window h;
    h.LoadAll({Element(1), Element(2, 100, 0x80), Element(3, 100, 0x80), Element(4)});
    const QColor green(0xC7, 0xE3, 0x9A);
    auto colour = [&](int r) {
        return h.grid()->model()->index(r - 1, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    };
    QCOMPARE(colour(2), green);
    QCOMPARE(colour(3), green);
    QCOMPARE(colour(1), QColor(Qt::white));
    QCOMPARE(colour(4), QColor(0xE9, 0xE8, 0xE8));
}

void TestHistoryForm::namesAtFill_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<QString>("link");
    QTest::newRow("known") << "Trj/Agent.X" << 0 << "Trj/Agent.X";
    QTest::newRow("given up") << "" << 3 << "Nombre desconocido";
}

void TestHistoryForm::namesAtFill() {
    QFETCH(QString, name);
    QFETCH(int, attempts);
    QFETCH(QString, link);
    Window h;
    h.names()[501].name = name.toStdU16String();
    h.names()[501].attempts = attempts;
    h.LoadAll({Element(1)});
    QCOMPARE(h.Markup(0, 1),
             QStringLiteral("TYPE_201 neutralizado/a: <A href=\"1001\">") + link + QStringLiteral("</A>"));
    QCOMPARE(h.Image(1), -1);
}

void TestHistoryForm::pendingNameArrives() {
    Window h;
    h.LoadAll({Element(1), Element(2)});
    QVERIFY(h.Image(1) >= 0);
    QVERIFY(h.Image(2) >= 0);
    const auto sent = h.f.sender.OfKind(kGetInfo);
    QCOMPARE(sent.size(), std::size_t(1));
    // The reply names one of the two; the other keeps turning.
    std::size_t index = 0;
    for (std::size_t i = 0; i < h.f.sender.Count(); ++i)
        if (h.f.sender.At(i).request.payloadName == kGetInfo)
            index = i;
    QVERIFY(h.f.sender.Reply(index, wire::DetectionInfoReply(0, {{502, u"Adware/Foo"}})));
    h.f.Pump();
    QCOMPARE(h.Image(2), -1);
    QCOMPARE(h.Text(0, 2), QStringLiteral("TYPE_201 neutralizado/a: Adware/Foo"));
    QVERIFY(h.Image(1) >= 0);
    QCOMPARE(h.Text(0, 1), QStringLiteral("TYPE_201 neutralizado/a:"));
}

void TestHistoryForm::pendingNameGivenUpAfterPolling() {
    Window h;
    h.f.hostState.maxNameAttempts = 1;
    h.LoadAll({Element(1)});
    QVERIFY(h.Image(1) >= 0);
    // The only attempt goes unanswered; the next poll finds nothing to ask and refreshes all.
    for (std::size_t i = 0; i < h.f.sender.Count(); ++i)
        if (h.f.sender.At(i).request.payloadName == kGetInfo)
            h.f.sender.NoReply(i);
    h.f.Pump();
    h.w->TimerDetectionIDTimer();
    QVERIFY(!h.timer("TimerDetectionID")->isActive());
    QVERIFY(!h.timer("TimerProgress")->isActive());
    h.f.Pump();
    QCOMPARE(h.Image(1), -1);
    QCOMPARE(h.Text(0, 1), QStringLiteral("TYPE_201 neutralizado/a: Nombre desconocido"));
}

void TestHistoryForm::serviceTextIsNeverMarkup() {
    Window h;
    h.names()[501].name = u"<B>W</B>&";
    ST_BLELEMENT e = Element(1);
    e.location = u"C:\\<i>x</i>.exe";
    h.LoadAll({e});
    QCOMPARE(h.Text(0, 1), QStringLiteral("TYPE_201 neutralizado/a: <B>W</B>&"));
    QVERIFY(!h.Markup(0, 1).contains(QStringLiteral("<B>")));
    QCOMPARE(h.Text(1, 1), QStringLiteral("C:\\<i>x</i>.exe"));
}

void TestHistoryForm::linkClickOpensTheInformationPage() {
    Window h;
    h.names()[501].name = u"Trj/Agent.X";
    ST_BLELEMENT e = Element(1);
    e.informationId = 12345;
    h.LoadAll({e});
    h.grid()->SetColWidth(0, 400); // the whole link in view
    m_catcher.opened.clear();
    const QPoint at = LinkPoint(h.grid(), 1);
    QVERIFY(at.x() >= 0);
    QTest::mouseClick(h.grid()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(m_catcher.opened.size(), 1);
    QVERIFY(m_catcher.opened.at(0).query().contains(QStringLiteral("detection=12345")));
    QVERIFY(m_catcher.opened.at(0).query().contains(QStringLiteral("context=42")));
    // Only column 0 opens pages.
    h.w->AdvStringGridSuspectsAnchorClick(1, 1, QStringLiteral("12345"));
    QCOMPARE(m_catcher.opened.size(), 1);
}

void TestHistoryForm::hints() {
    Window h;
    h.names()[502].name = u"Trj/Agent.X";
    ST_BLELEMENT stored = Element(3);
    stored.location = u"\\Device\\HarddiskVolume1\\Users\\ana\\Descargas\\programa-largo.exe";
    h.LoadAll({Element(1), Element(2), stored});
    TAdvStringGrid* grid = h.grid();
    auto hintAt = [&](int col, int row, int x) {
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, col));
        const QPoint at(cell.left() + x, cell.center().y());
        QCursor::setPos(grid->viewport()->mapToGlobal(at));
        QTest::mouseMove(grid->viewport(), at);
        return grid->toolTip();
    };
    // Over the progress picture of a name on its way.
    QCOMPARE(hintAt(0, 1, grid->ColWidth(0) - 6),
             QStringLiteral("Recuperando información desde Internet..."));
    QVERIFY(hintAt(0, 1, 10) != QStringLiteral("Recuperando información desde Internet..."));
    // A location that does not fit shows as stored, not as the cell shows it.
    QVERIFY(h.Text(1, 3).startsWith(QStringLiteral("C:\\")));
    QCOMPARE(hintAt(1, 3, 10), QString::fromStdU16String(stored.location.value_or(u"")));
    // Over a link whose text fits: the link's own hint.
    grid->SetColWidth(0, 400);
    const QPoint link = LinkPoint(grid, 2);
    QVERIFY(link.x() >= 0);
    QCursor::setPos(grid->viewport()->mapToGlobal(link));
    QTest::mouseMove(grid->viewport(), link);
    QCOMPARE(grid->toolTip(), QStringLiteral("Mostrar detalles"));
    // A short time fits: no hint.
    QCOMPARE(hintAt(2, 2, 10), QString());
}

void TestHistoryForm::maximiseAndRestore() {
    Window h;
    const QRect before = h.w->geometry();
    QTest::mouseClick(h.child<TZRUNButton>("btnMaximize"), Qt::LeftButton);
    QCOMPARE(h.w->geometry(), h.w->screen()->availableGeometry());
    QVERIFY(h.child<QWidget>("btnRestore")->isVisible());
    QVERIFY(!h.child<QWidget>("btnMaximize")->isVisible());
    QCOMPARE(h.grid()->geometry().size(), QSize(h.w->width(), h.w->height() - 87 - 19));
    QTest::mouseClick(h.child<TZRUNButton>("btnRestore"), Qt::LeftButton);
    QCOMPARE(h.w->geometry(), before);
    QVERIFY(h.child<QWidget>("btnMaximize")->isVisible());
    QVERIFY(!h.child<QWidget>("btnRestore")->isVisible());
}

void TestHistoryForm::minimiseWhileMaximisedComesBackMaximised() {
    Window h;
    h.w->btnMaximizeClick();
    QTest::mouseClick(h.child<TZRUNButton>("btnMinimize"), Qt::LeftButton);
    QVERIFY(h.w->windowState() & Qt::WindowMinimized);
    h.w->resize(300, 200); // what a restore by the system may leave
    h.w->setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(h.w->geometry(), h.w->screen()->availableGeometry());
    QVERIFY(h.w->IsMaximized());
}

void TestHistoryForm::systemMaximiseUsesTheWorkArea() {
    Window h;
    h.w->setWindowState(Qt::WindowMaximized);
    QTRY_VERIFY(h.w->IsMaximized());
    QTRY_COMPARE(h.w->geometry(), h.w->screen()->availableGeometry());
    QVERIFY(!(h.w->windowState() & Qt::WindowMaximized));
    QVERIFY(h.child<QWidget>("btnRestore")->isVisible());
}

void TestHistoryForm::progressTurnsOnlyOverDrawnRows() {
    Window h;
    h.LoadAll(Elements(80));
    h.timer("TimerProgress")->stop();
    h.w->grab(); // rows 1 and on are seen drawn
    const int start = h.w->ProgressFrame();
    const int farRow = h.Image(80);
    QList<int> frames;
    for (int i = 0; i < 6; ++i) {
        h.w->TimerProgressTimer();
        frames << h.w->ProgressFrame();
    }
    QList<int> expected;
    for (int i = 1; i <= 6; ++i)
        expected << (start + i) % 5;
    QCOMPARE(frames, expected);
    int placed = (start + 5) % 5;
    if (placed == farRow) { // one more turn, so that the two can be told apart
        h.w->TimerProgressTimer();
        placed = (placed + 1) % 5;
    }
    // A drawn row shows the frame that was current at the last turn; one never drawn keeps its own.
    QCOMPARE(h.Image(1), placed);
    QCOMPARE(h.Image(80), farRow);
}

void TestHistoryForm::tooltipClient() {
    Window h;
    QString empty;
    stHintRequest request;
    bool mayShow = true;
    QCursor::setPos(QPoint(123, 45));
    h.w->ToolTipShow(empty, request, mayShow);
    QVERIFY(!mayShow);
    QCOMPARE(request.hintPosition, QPoint(123, 45));
    QString hint = QStringLiteral("texto");
    mayShow = true;
    h.w->ToolTipShow(hint, request, mayShow);
    QVERIFY(mayShow);
    m_catcher.opened.clear();
    h.w->AnchorClick(QStringLiteral("777x"));
    QCOMPARE(m_catcher.opened.size(), 1);
    QVERIFY(m_catcher.opened.at(0).query().contains(QStringLiteral("detection=777")));
}

void TestHistoryForm::closeOnlyHides() {
    Window h;
    h.LoadAll(Elements(3));
    QPointer<THistorySuspectsForm> alive(h.w);
    QTest::mouseClick(h.child<TZRUNButton>("btnClose"), Qt::LeftButton);
    QVERIFY(alive);
    QVERIFY(!h.w->isVisible());
    QCOMPARE(h.w->KeyOfGridRow(3), 3);
}

void TestHistoryForm::altKeysAreSwallowedButAltF4() {
    Window h;
    QKeyEvent altX(QEvent::ShortcutOverride, Qt::Key_X, Qt::AltModifier);
    altX.ignore();
    QApplication::sendEvent(h.w, &altX);
    QVERIFY(altX.isAccepted());
    QKeyEvent plain(QEvent::ShortcutOverride, Qt::Key_X, Qt::NoModifier);
    plain.ignore();
    QApplication::sendEvent(h.w, &plain);
    QVERIFY(!plain.isAccepted());
    QVERIFY(h.w->isVisible());
    QTest::keyClick(h.w, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(!h.w->isVisible());
}

void TestHistoryForm::actionButtonsFollowTheEntry_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("undo");
    QTest::newRow("neutralised offers undo") << 0 << true;
    QTest::newRow("undone offers redo") << 0x80 << false;
}

void TestHistoryForm::actionButtonsFollowTheEntry() {
    QFETCH(int, flags);
    QFETCH(bool, undo);
    Window h;
    h.LoadAll({Element(1), Element(2, 100, static_cast<std::uint32_t>(flags))});
    h.ClickRow(2);
    QCOMPARE(h.w->SelectedRow(), 2);
    QCOMPARE(h.w->SelectedKey(), 2);
    auto* panel = h.child<QWidget>("pnlRowActions");
    QVERIFY(panel);
    QCOMPARE(h.grid()->CellControl(3, 2), panel);
    QVERIFY(h.child<QWidget>("btnRemoveAction")->isVisibleTo(panel));
    QCOMPARE(h.child<QWidget>("btnUndoAction")->isVisibleTo(panel), undo);
    QCOMPARE(h.child<QWidget>("btnRedoAction")->isVisibleTo(panel), !undo);
    QCOMPARE(h.child<QWidget>("btnRedoAction")->x(), h.child<QWidget>("btnUndoAction")->x());
    QCOMPARE(h.child<QWidget>("btnRemoveAction")->x() - h.child<QWidget>("btnUndoAction")->x(), 31);
}

void TestHistoryForm::noButtonsWhenActionsAreOff() {
    Window h(false);
    h.LoadAll(Elements(2));
    h.ClickRow(2);
    QCOMPARE(h.w->SelectedKey(), 2);
    QVERIFY(!h.child<QWidget>("pnlRowActions"));
}

void TestHistoryForm::confirmedFlows_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("busy");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("third");
    QTest::addColumn<bool>("cancelFirst");
    const QString line =
        "TYPE_201 neutralizado/a: \"Nombre desconocido\" en el archivo C:\\Users\\ana\\item2.exe.";
    QTest::newRow("remove")
        << "btnRemoveAction" << 0 << 4 << 1 << "Eliminar acción"
        << "Vas a eliminar definitivamente la acción:<BR>" + line
        << "<B>Está acción no se podrá deshacer</B>. Los archivos a los que hace referencia se "
           "eliminarán y ya no se podrán recuperar."
        << "¿Deseas continuar?" << false;
    QTest::newRow("undo")
        << "btnUndoAction" << 0 << 6 << 1 << "Deshacer acción"
        << "Vas a deshacer la acción:<BR>" + line
        << "<B>Norvik Software recomienda no deshacer esta acción</B> ya que podría resultar muy "
           "perjudicial para el funcionamiento de tu PC y la integridad de tus archivos."
        << "¿Deseas ignorar la recomendación y continuar?" << true;
    QTest::newRow("redo asks nothing") << "btnRedoAction" << 0x80 << 8 << 3 << ""
                                       << ""
                                       << ""
                                       << "" << false;
}

void TestHistoryForm::confirmedFlows() {
    QFETCH(QString, button);
    QFETCH(int, flags);
    QFETCH(int, code);
    QFETCH(int, busy);
    QFETCH(QString, title);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, third);
    QFETCH(bool, cancelFirst);
    Window h;
    h.LoadAll({Element(1), Element(2, 100, static_cast<std::uint32_t>(flags))});
    h.ClickRow(2);
    int dialogs = 0;
    QStringList shown;
    bool noFirst = false;
    h.f.inspectDialog = [&](QDialog* d) {
        ++dialogs;
        shown << d->findChild<QLabel*>(QStringLiteral("lblCaption"))->text();
        for (const char* name : {"LMessage1", "LMessage2", "LMessage3"})
            shown << d->findChild<QWidget*>(QString::fromLatin1(name))->property("HTMLText").toString();
        noFirst = d->findChild<QWidget*>(QStringLiteral("BCancelar"))->x() <
                  d->findChild<QWidget*>(QStringLiteral("BAceptar"))->x();
        QCOMPARE(d->findChild<TZRUNButton*>(QStringLiteral("BAceptar"))->Caption(),
                 QStringLiteral("Sí, deseo continuar"));
        QCOMPARE(d->findChild<TZRUNButton*>(QStringLiteral("BCancelar"))->Caption(), QStringLiteral("No"));
    };
    QTest::mouseClick(h.child<TZRUNButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(dialogs, title.isEmpty() ? 0 : 1);
    if (dialogs) {
        QCOMPARE(shown.at(0), title);
        QCOMPARE(HtmlToPlainText(shown.at(1)).simplified(), HtmlToPlainText(first).simplified());
        QVERIFY2(shown.at(2).contains(second.mid(3, 20)), qPrintable(shown.at(2)));
        QCOMPARE(HtmlToPlainText(shown.at(2)).simplified(), HtmlToPlainText(second).simplified());
        QCOMPARE(HtmlToPlainText(shown.at(3)).simplified(), third);
        QCOMPARE(noFirst, cancelFirst);
    }
    const auto requests = h.f.ActionRequests();
    QCOMPARE(requests.size(), std::size_t(1));
    QCOMPARE(requests[0].BodyI32(1), code);
    const auto id = wire::IdOf(2);
    QVERIFY(std::equal(id.begin(), id.end(), requests[0].body.begin() + 8));
    std::int32_t state = -1;
    QVERIFY(h.store()->BusyStateAt(1, state));
    QCOMPARE(state, busy);
    // Undo and redo wait; removal leaves the grid usable.
    QCOMPARE(h.grid()->isEnabled(), code == 4);
    QCOMPARE(h.timer("TimerUnblock")->isActive(), code != 4);
    if (code != 4)
        QCOMPARE(h.child<QLabel>("lblAction")->text(), code == 6 ? QStringLiteral("Deshaciendo acción...")
                                                                 : QStringLiteral("Rehaciendo acción..."));
    // A second click on a busy entry does nothing.
    h.w->RemoveWaitingLayer();
    h.w->btnRemoveActionClick();
    QCOMPARE(h.f.ActionRequests().size(), std::size_t(1));
}

void TestHistoryForm::declinedConfirmationSendsNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("remove") << "btnRemoveAction";
    QTest::newRow("undo") << "btnUndoAction";
}

void TestHistoryForm::declinedConfirmationSendsNothing() {
    QFETCH(QString, button);
    Window h;
    h.LoadAll(Elements(2));
    h.f.modalAnswer = 2;
    QTest::mouseClick(h.child<TZRUNButton>(qPrintable(button)), Qt::LeftButton);
    QVERIFY(h.f.ActionRequests().empty());
    std::int32_t state = -1;
    QVERIFY(h.store()->BusyStateAt(0, state));
    QCOMPARE(state, 0);
    QVERIFY(h.grid()->isEnabled());
}

void TestHistoryForm::confirmationPath_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("shown");
    const QString fifty = "C:\\" + QString(43, 'a') + ".exe"; // 50 characters
    const QString fiftyOne = "C:\\" + QString(44, 'b') + ".exe";
    QTest::newRow("50 characters stay whole") << fifty << fifty;
    QTest::newRow("51 characters are shortened")
        << fiftyOne << fiftyOne.left(20) + "..." + fiftyOne.right(24);
}

void TestHistoryForm::confirmationPath() {
    QFETCH(QString, location);
    QFETCH(QString, shown);
    Window h;
    ST_BLELEMENT e = Element(1);
    e.location = location.toStdU16String();
    h.LoadAll({e});
    h.f.modalAnswer = 2;
    QTest::mouseClick(h.child<TZRUNButton>("btnRemoveAction"), Qt::LeftButton);
    QVERIFY(HtmlToPlainText(h.f.lastDialogFirstLine).contains(" en el archivo " + shown + "."));
}

void TestHistoryForm::quickReplyNeverShowsTheLayer() {
    Window h;
    h.f.hostState.unblockWaitMs = 60000;
    auto* timer = h.timer("TimerUnblock");
    h.LoadAll(Elements(2));
    timer->setInterval(60000);
    QTest::mouseClick(h.child<TZRUNButton>("btnUndoAction"), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorHourglass);
    QVERIFY(!h.search()->isEnabled());
    // The reply ends the waiting before the interval.
    for (std::size_t i = 0; i < h.f.sender.Count(); ++i)
        if (h.f.sender.At(i).request.payloadName == kActions)
            h.f.sender.Reply(i, wire::StatusReply(0));
    h.f.Pump();
    QVERIFY(!timer->isActive());
    QVERIFY(!h.child<QWidget>("pnlWaitingUnblock")->isVisible());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
    QVERIFY(h.grid()->isEnabled());
    QVERIFY(h.search()->isEnabled());
}

void TestHistoryForm::slowReplyShowsTheLayerAndFollowsResizing() {
    Window h;
    h.LoadAll(Elements(2));
    h.child<QTimer>("TimerUnblock")->setInterval(10);
    QTest::mouseClick(h.child<TZRUNButton>("btnUndoAction"), Qt::LeftButton);
    auto* layer = h.child<QWidget>("pnlWaitingUnblock");
    QTRY_VERIFY(layer->isVisible());
    QCOMPARE(layer->geometry(), QRect(0, 25, 654, 428));
    QCOMPARE(h.child<QLabel>("lblAction")->text(), QStringLiteral("Deshaciendo acción..."));
    h.w->resize(800, 600);
    QVERIFY(layer->isVisible());
    QCOMPARE(layer->geometry(), QRect(0, 25, 800, 575));
    const auto* picture = h.child<TImage>("ImageBackgroundUnblock");
    QCOMPARE(picture->CurrentPicture().deviceIndependentSize().toSize(), QSize(800, 575));
    h.w->RemoveWaitingLayer();
    QVERIFY(!layer->isVisible());
}

void TestHistoryForm::withoutTheHostFlagNoLayerShows() {
    Window h;
    h.f.hostState.showWaitingLayer = 0;
    h.LoadAll(Elements(2));
    auto* timer = h.timer("TimerUnblock");
    timer->setInterval(10);
    QTest::mouseClick(h.child<TZRUNButton>("btnUndoAction"), Qt::LeftButton);
    QVERIFY(timer->isActive());
    QTRY_VERIFY(!timer->isActive());
    QVERIFY(!h.child<QWidget>("pnlWaitingUnblock")->isVisible());
    QVERIFY(!h.grid()->isEnabled());
    QCOMPARE(platform::ScreenCursor(), platform::kCursorHourglass);
    h.w->RemoveWaitingLayer();
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
}

void TestHistoryForm::resetOrCloseWhileWaitingLeavesNoLayer_data() {
    QTest::addColumn<bool>("close");
    QTest::newRow("reset") << false;
    QTest::newRow("close") << true;
}

void TestHistoryForm::resetOrCloseWhileWaitingLeavesNoLayer() {
    QFETCH(bool, close);
    Window h;
    h.LoadAll(Elements(2));
    h.child<QTimer>("TimerUnblock")->setInterval(10);
    QTest::mouseClick(h.child<TZRUNButton>("btnUndoAction"), Qt::LeftButton);
    auto* layer = h.child<QWidget>("pnlWaitingUnblock");
    QTRY_VERIFY(layer->isVisible());
    if (close)
        h.w->btnCloseClick();
    else
        h.Load(Elements(2));
    QVERIFY(!layer->isVisibleTo(h.w));
    QCOMPARE(platform::ScreenCursor(), platform::kCursorDefault);
    QVERIFY(!h.timer("TimerUnblock")->isActive());
}

void TestHistoryForm::removalMovesTheSelectionToRowOne() {
    Window h;
    h.LoadAll(Elements(4));
    h.ClickRow(3);
    QCOMPARE(h.w->SelectedKey(), 3);
    QTest::mouseClick(h.child<TZRUNButton>("btnRemoveAction"), Qt::LeftButton);
    for (std::size_t i = 0; i < h.f.sender.Count(); ++i)
        if (h.f.sender.At(i).request.payloadName == kActions)
            h.f.sender.Reply(i, wire::StatusReply(0));
    h.f.Pump();
    QCOMPARE(h.Keys(), (QList<int>{1, 2, 4}));
    QCOMPARE(h.w->SelectedRow(), 1);
    QCOMPARE(h.w->SelectedKey(), 1);
    QCOMPARE(h.grid()->CellControl(3, 1), h.child<QWidget>("pnlRowActions"));
}

void TestHistoryForm::repaintAfterTheStoreWasEmptiedTouchesNoEntry() {
    Window h;
    h.LoadAll(Elements(3));
    // A refresh empties the store before the window hears of it; painting and the progress
    // animation go on meanwhile.
    h.store()->Clear();
    h.w->TimerProgressTimer();
    h.w->grab();
    QCOMPARE(h.Text(1, 2), QStringLiteral("C:\\Users\\ana\\item2.exe"));
    // An action on a row of the old store reaches nothing.
    h.store()->AppendPage(Elements(1));
    h.ClickRow(1);
    h.w->btnRemoveActionClick();
    QVERIFY(h.f.ActionRequests().empty());
}

QTEST_MAIN(TestHistoryForm)
#include "tst_historyform.moc"
