// Keyboard and screen-reader access to the module's windows: what QAccessible reports of the
// controls, where the focus goes on Tab and arrows, and what Enter, Delete and Escape do.
#include "comm/store/blaitemex.h"
#include "controls/advstringgrid.h"
#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/suspectsactionform/suspectsactionform.h"
#include "forms/suspectsform/suspectsform.h"
#include "forms/uformmessage/uformmessage.h"
#include "module/suspects.h"
#include "support/controllerfixture.h"
#include "support/historyfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

const std::u16string kActions = u"class CMsgModBlaActions *";

// The suspects window over a service that serves its items in one page.
struct Suspects {
    explicit Suspects(int count, bool actionsEnabled = true) {
        elements = SampleElements(count);
        f.sender.delivery = ScriptedSender::Delivery::Inline;
        f.sender.reply = [this](const wire::Request& r) -> std::optional<wire::Bytes> {
            if (r.payloadName == kActions)
                return wire::StatusReply(0);
            if (r.BodyI32(3) < 0)
                return wire::StatusReply(0);
            return wire::ListReply(0, 61, elements, -1);
        };
        if (!actionsEnabled) {
            f.configuration.actionsEnabled = 0;
            f.CreateWindow();
        }
        f.parent.show();
        f.Pump();
    }
    template <class T> T* child(const char* name) const {
        return f.window()->findChild<T*>(QString::fromLatin1(name));
    }
    TSmoothImageList* carousel() const { return child<TSmoothImageList>("lwSuspects2"); }
    // Keys reach a widget only in the active window.
    bool Activate() {
        f.parent.activateWindow();
        return QTest::qWaitForWindowActive(&f.parent);
    }

    std::vector<wire::Element> elements;
    ControllerFixture f;
};

QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

bool Activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void carouselIsAListOfItems();
    void carouselArrowsSelectDescribeAndFocusTheItem();
    void suspectsTabOrder();
    void linkLabelWalksItsLinks();
    void suspectsButtonsAndArrowsHaveNames();
    void focusedControlsDrawAFocusFrame_data();
    void focusedControlsDrawAFocusFrame();
    void confirmationReadsItsTitleAndMessage();
    void messageWindowReadsItsTitleAndMessage();
    void gridIsATableOfPlainCells();
    void historyTabOrder();
    void historyArrowsMoveTheRowAndItsActions();
    void historyKeysRunTheRowActions_data();
    void historyKeysRunTheRowActions();
    void historyKeysDoNothingWhenActionsAreOff();
    void historyKeysLeaveABusyRowAlone();
    void escapeHidesTheHistory();
};

// Suspects window.

void TestAccessibility::carouselIsAListOfItems() {
    Suspects s(3);
    QTRY_COMPARE(s.carousel()->Count(), 3);
    QAccessibleInterface* list = Accessible(s.carousel());
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Papelera de reciclaje"));
    QCOMPARE(list->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* item = list->child(i);
        QVERIFY(item);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->parent(), list);
        QCOMPARE(list->indexOfChild(item), i);
        const QString n = QString::number(i + 1);
        QCOMPARE(item->text(QAccessible::Name), "item" + n + ".exe");
        const QString description = item->text(QAccessible::Description);
        QVERIFY2(description.contains("C:\\Users\\ana\\Descargas\\item" + n + ".exe"),
                 qPrintable(description));
        QVERIFY2(description.contains(QStringLiteral("Está bloqueado por ser")), qPrintable(description));
        QVERIFY2(!description.contains(QLatin1Char('<')), qPrintable(description));
        QCOMPARE(item->state().selected, i == 0);
    }
    QVERIFY(!list->child(3));
}

void TestAccessibility::carouselArrowsSelectDescribeAndFocusTheItem() {
    Suspects s(3);
    QTRY_COMPARE(s.carousel()->Count(), 3);
    QVERIFY(s.Activate());
    s.carousel()->setFocus(Qt::TabFocusReason);
    QCOMPARE(FocusName(), QStringLiteral("lwSuspects2"));
    QAccessibleInterface* list = Accessible(s.carousel());
    QVERIFY(list->focusChild());
    QCOMPARE(list->focusChild()->text(QAccessible::Name), QStringLiteral("item1.exe"));

    QTest::keyClick(s.carousel(), Qt::Key_Right);
    QCOMPARE(s.carousel()->SelectedIndex(), 1);
    // As a click: the item is described and its actions name it.
    QCOMPARE(s.f.window()->SelectedKey(), 2);
    QVERIFY(s.child<THTMLabel>("lblInformation1")->HTMLText().contains(QStringLiteral("href=\"1002\"")));
    QAccessibleInterface* focused = list->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("item2.exe"));
    QVERIFY(focused->state().focused);
    QVERIFY(focused->state().selected);
    QVERIFY(!list->child(0)->state().selected);

    QTest::keyClick(s.carousel(), Qt::Key_Right);
    QTest::keyClick(s.carousel(), Qt::Key_Right); // past the end: stays
    QCOMPARE(s.f.window()->SelectedKey(), 3);
    QTest::keyClick(s.carousel(), Qt::Key_Left);
    QCOMPARE(s.f.window()->SelectedKey(), 2);
    QCOMPARE(list->focusChild()->text(QAccessible::Name), QStringLiteral("item2.exe"));

    // Focus elsewhere: no item has the focus.
    s.child<QWidget>("btnRemove")->setFocus(Qt::TabFocusReason);
    QVERIFY(!list->focusChild());
    QVERIFY(!list->child(1)->state().focused);
}

void TestAccessibility::suspectsTabOrder() {
    Suspects s(2);
    QTRY_COMPARE(s.carousel()->Count(), 2);
    QVERIFY(s.Activate());
    // Round and round from the last button: the links, the carousel, the buttons.
    s.child<QWidget>("btnRemove")->setFocus(Qt::TabFocusReason);
    const QStringList order{"lblShowHistorySuspects", "lblInformation1", "lwSuspects2", "btnUnBlock",
                            "btnRemove"};
    for (int round = 0; round < 2; ++round) {
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(FocusName(), next);
        }
    }
    // Back the same way.
    for (int i = static_cast<int>(order.size()) - 2; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(FocusName(), order.at(i));
    }
    // Tab lands on the link itself: Enter follows it and the history window opens.
    QCOMPARE(FocusName(), QStringLiteral("lblShowHistorySuspects"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(s.f.controller().HistoryWindow());
    QVERIFY(s.f.controller().HistoryWindow()->isVisible());
}

void TestAccessibility::linkLabelWalksItsLinks() {
    QWidget window;
    auto* before = new TZRUNButton(&window);
    before->setObjectName(QStringLiteral("before"));
    auto* label = new THTMLabel(&window);
    label->setObjectName(QStringLiteral("label"));
    label->SetHTMLText(QStringLiteral("<a href=\"one\">Uno</a> y <A HREF=\"two\">dos</A>"));
    auto* after = new TZRUNButton(&window);
    after->setObjectName(QStringLiteral("after"));
    QStringList followed;
    connect(label, &THTMLabel::AnchorClick, this, [&](const QString& anchor) { followed << anchor; });
    window.show();
    QVERIFY(Activate(&window));
    before->setFocus(Qt::TabFocusReason);
    const QList<QPair<QString, QString>> forward{{"label", "one"}, {"label", "two"}, {"after", ""}};
    for (const auto& [widget, anchor] : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(FocusName(), widget);
        QCOMPARE(label->FocusedAnchor(), anchor);
        if (!anchor.isEmpty())
            QTest::keyClick(label, Qt::Key_Return);
    }
    QCOMPARE(followed, QStringList({"one", "two"}));
    // Back in, the last link first.
    const QList<QPair<QString, QString>> backward{{"label", "two"}, {"label", "one"}, {"before", ""}};
    for (const auto& [widget, anchor] : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(FocusName(), widget);
        QCOMPARE(label->FocusedAnchor(), anchor);
    }
    // Space follows a link too; a label without links is no tab stop.
    label->setFocus(Qt::TabFocusReason);
    QTest::keyClick(label, Qt::Key_Space);
    QCOMPARE(followed.last(), QStringLiteral("one"));
    label->SetHTMLText(QStringLiteral("Sin enlaces"));
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestAccessibility::suspectsButtonsAndArrowsHaveNames() {
    Suspects s(2);
    QTRY_COMPARE(s.carousel()->Count(), 2);
    const struct {
        const char* name;
        const char* spoken;
    } controls[] = {{"btnUnBlock", "No bloquearlo"},
                    {"btnRemove", "Eliminarlo"},
                    {"ZRUNButtonNavLeft", "Anterior"},
                    {"ZRUNButtonNavRight", "Siguiente"}};
    for (const auto& c : controls) {
        QAccessibleInterface* button = Accessible(s.child<QWidget>(c.name));
        QVERIFY2(button, c.name);
        QCOMPARE(button->role(), QAccessible::Button);
        QCOMPARE(button->text(QAccessible::Name), QString::fromUtf8(c.spoken));
    }
    // The history link reads as its words.
    QCOMPARE(Accessible(s.child<QWidget>("lblShowHistorySuspects"))->text(QAccessible::Name),
             QStringLiteral("Restaurar archivos neutralizados..."));
}

void TestAccessibility::focusedControlsDrawAFocusFrame_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::newRow("carousel") << "suspects"
                              << "lwSuspects2";
    QTest::newRow("history link") << "suspects"
                                  << "lblShowHistorySuspects";
    QTest::newRow("action button") << "suspects"
                                   << "btnUnBlock";
    QTest::newRow("grid") << "history"
                          << "AdvStringGridSuspects";
}

// The same control grabbed without and with the focus must look different.
void TestAccessibility::focusedControlsDrawAFocusFrame() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    Suspects s(2);
    QTRY_COMPARE(s.carousel()->Count(), 2);
    std::unique_ptr<history::Window> h;
    QWidget* widget = nullptr;
    if (window == QLatin1String("suspects")) {
        QVERIFY(s.Activate());
        widget = s.child<QWidget>(qPrintable(control));
    } else {
        h = std::make_unique<history::Window>();
        h->LoadAll(history::Elements(3));
        QVERIFY(Activate(h->w));
        widget = h->child<QWidget>(qPrintable(control));
    }
    QVERIFY(widget);
    QWidget* elsewhere = window == QLatin1String("suspects") ? s.child<QWidget>("btnRemove")
                                                             : static_cast<QWidget*>(h->search());
    elsewhere->setFocus(Qt::TabFocusReason);
    QVERIFY(!widget->hasFocus());
    const QImage without = widget->grab().toImage();
    widget->setFocus(Qt::TabFocusReason);
    QVERIFY(widget->hasFocus());
    const QImage with = widget->grab().toImage();
    QVERIFY(without != with);
}

// Dialogs.

void TestAccessibility::confirmationReadsItsTitleAndMessage() {
    Suspects s(1);
    QTRY_COMPARE(s.carousel()->Count(), 1);
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
    QString focus;
    s.f.modalAnswer = 2;
    s.f.inspectDialog = [&](QDialog* d) {
        QAccessibleInterface* dialog = Accessible(d);
        role = dialog->role();
        name = dialog->text(QAccessible::Name);
        description = dialog->text(QAccessible::Description);
        focus = d->focusWidget() ? d->focusWidget()->objectName() : QString();
    };
    QTest::mouseClick(s.child<QWidget>("btnUnBlock"), Qt::LeftButton);
    QCOMPARE(role, QAccessible::Dialog);
    QCOMPARE(name, QStringLiteral("No bloquear elemento"));
    QVERIFY2(description.startsWith(QStringLiteral("Vas a desbloquear el elemento:")),
             qPrintable(description));
    QVERIFY2(description.contains(QStringLiteral("Norvik Software recomienda no desbloquear")),
             qPrintable(description));
    QVERIFY2(description.endsWith(QStringLiteral("¿Deseas ignorar la recomendación y continuar?")),
             qPrintable(description));
    QVERIFY2(!description.contains(QLatin1Char('<')), qPrintable(description));
    // "No" has the focus.
    QCOMPARE(focus, QStringLiteral("BCancelar"));
}

void TestAccessibility::messageWindowReadsItsTitleAndMessage() {
    TFormMessage window(QStringLiteral("/nonexistent/ZRUNResources.so"));
    window.Fill(TFormMessage::kSingleButton, QStringLiteral("Ha ocurrido un error inesperado"),
                QStringLiteral("Ha ocurrido un error inesperado con el Código 5"),
                QStringLiteral("Si quieres <A HREF=\"sendSugest\">envíanos una sugerencia</A>."),
                QStringLiteral("Cerrar"), QString());
    QAccessibleInterface* dialog = Accessible(&window);
    QCOMPARE(dialog->role(), QAccessible::Dialog);
    QCOMPARE(dialog->text(QAccessible::Name), QStringLiteral("Ha ocurrido un error inesperado"));
    QCOMPARE(dialog->text(QAccessible::Description),
             QStringLiteral(
                 "Ha ocurrido un error inesperado con el Código 5\nSi quieres envíanos una sugerencia."));
    // The link of the second line is a tab stop; the first line, without one, is not.
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("LMessage2"))->focusPolicy(), Qt::TabFocus);
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("LMessage1"))->focusPolicy(), Qt::NoFocus);
}

// History window.

void TestAccessibility::gridIsATableOfPlainCells() {
    history::Window h;
    // A known detection name makes the action cell a link.
    h.names()[501].name = u"Trj/Agent.X";
    h.LoadAll(history::Elements(3));
    QAccessibleInterface* grid = Accessible(h.grid());
    QVERIFY(grid);
    QCOMPARE(grid->role(), QAccessible::Table);
    QCOMPARE(grid->text(QAccessible::Name), QStringLiteral("Historial de acciones"));
    QAccessibleTableInterface* table = grid->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(table->columnDescription(0), QStringLiteral("Acción"));
    for (int row = 1; row <= 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            QAccessibleInterface* cell = table->cellAt(row - 1, col);
            QVERIFY(cell);
            QCOMPARE(cell->role(), QAccessible::Cell);
            QCOMPARE(cell->text(QAccessible::Name), h.Text(col, row));
            QVERIFY2(!cell->text(QAccessible::Name).contains(QLatin1Char('<')),
                     qPrintable(cell->text(QAccessible::Name)));
        }
    }
    // The action column is marked up; what is read is not.
    QVERIFY(h.Markup(0, 1).contains(QLatin1Char('<')));
    QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name),
             QStringLiteral("TYPE_201 neutralizado/a: Trj/Agent.X"));
    // Column headers and cells are the grid's children.
    QVERIFY(grid->childCount() >= 4 * 4);
    bool header = false;
    for (int i = 0; i < grid->childCount(); ++i)
        header = header || grid->child(i)->role() == QAccessible::ColumnHeader;
    QVERIFY(header);
}

void TestAccessibility::historyTabOrder() {
    history::Window h;
    h.LoadAll(history::Elements(3));
    QVERIFY(Activate(h.w));
    h.search()->setFocus(Qt::TabFocusReason);
    QCOMPARE(FocusName(), QStringLiteral("EditSearch"));
    // The undo button shows on a neutralised row, the redo button stays hidden.
    for (const char* next : {"AdvStringGridSuspects", "btnUndoAction", "btnRemoveAction"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(FocusName(), QString::fromLatin1(next));
    }
    // The row's buttons read as their hints.
    QAccessibleInterface* remove = Accessible(h.child<QWidget>("btnRemoveAction"));
    QCOMPARE(remove->text(QAccessible::Name), QStringLiteral("Eliminar acción"));
    QCOMPARE(remove->text(QAccessible::Description), QStringLiteral("Eliminar acción"));
    QCOMPARE(Accessible(h.child<QWidget>("btnUndoAction"))->text(QAccessible::Name),
             QStringLiteral("Deshacer acción"));
    QCOMPARE(Accessible(h.search())->text(QAccessible::Name), QStringLiteral("Buscar"));
    QCOMPARE(Accessible(h.child<QWidget>("btnClose"))->text(QAccessible::Name), QStringLiteral("Cerrar"));
}

void TestAccessibility::historyArrowsMoveTheRowAndItsActions() {
    history::Window h;
    h.LoadAll(history::Elements(3));
    QVERIFY(Activate(h.w));
    h.grid()->setFocus(Qt::TabFocusReason);
    QCOMPARE(h.w->SelectedRow(), 1);
    auto* panel = h.child<QWidget>("pnlRowActions");
    QVERIFY(panel);
    QTest::keyClick(h.grid(), Qt::Key_Down);
    QCOMPARE(h.w->SelectedRow(), 2);
    QCOMPARE(h.grid()->CellControl(3, 2), panel);
    QTest::keyClick(h.grid(), Qt::Key_Down);
    QCOMPARE(h.w->SelectedRow(), 3);
    QCOMPARE(h.grid()->CellControl(3, 3), panel);
    QTest::keyClick(h.grid(), Qt::Key_Up);
    QCOMPARE(h.w->SelectedRow(), 2);
    QCOMPARE(h.w->SelectedKey(), h.w->KeyOfGridRow(2));
    QCOMPARE(h.grid()->CellControl(3, 2), panel);
    // The selected row is the table's selected row for a screen reader.
    QAccessibleTableInterface* table = Accessible(h.grid())->tableInterface();
    QCOMPARE(table->selectedRows(), QList<int>{1});
}

void TestAccessibility::historyKeysRunTheRowActions_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("focus");
    QTest::newRow("Delete removes after the question")
        << int(Qt::Key_Delete) << 0 << "Eliminar acción" << 1 << "AdvStringGridSuspects";
    QTest::newRow("Enter undoes a neutralised row after the question")
        << int(Qt::Key_Return) << 0 << "Deshacer acción" << 1 << "AdvStringGridSuspects";
    QTest::newRow("Enter redoes an undone row at once")
        << int(Qt::Key_Return) << 0x80 << "" << 1 << "AdvStringGridSuspects";
    QTest::newRow("Delete on the focused row button")
        << int(Qt::Key_Delete) << 0 << "Eliminar acción" << 1 << "btnUndoAction";
    QTest::newRow("Delete declined sends nothing")
        << int(Qt::Key_Delete) << 0 << "Eliminar acción" << 0 << "AdvStringGridSuspects";
}

void TestAccessibility::historyKeysRunTheRowActions() {
    QFETCH(int, key);
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(int, requests);
    QFETCH(QString, focus);
    history::Window h;
    h.LoadAll({history::Element(1), history::Element(2, 100, static_cast<std::uint32_t>(flags))});
    QVERIFY(Activate(h.w));
    h.grid()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(h.grid(), Qt::Key_Down);
    QCOMPARE(h.w->SelectedRow(), 2);
    h.child<QWidget>(qPrintable(focus))->setFocus(Qt::TabFocusReason);
    QCOMPARE(FocusName(), focus);
    QStringList titles;
    h.f.modalAnswer = requests > 0 ? 1 : 2;
    h.f.inspectDialog = [&](QDialog* d) { titles << Accessible(d)->text(QAccessible::Name); };
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    QCOMPARE(titles, title.isEmpty() ? QStringList() : QStringList{title});
    QCOMPARE(static_cast<int>(h.f.ActionRequests().size()), requests);
}

void TestAccessibility::historyKeysDoNothingWhenActionsAreOff() {
    history::Window h(false);
    h.LoadAll(history::Elements(2));
    QVERIFY(Activate(h.w));
    h.grid()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(h.grid(), Qt::Key_Down);
    QCOMPARE(h.w->SelectedRow(), 2);
    int dialogs = 0;
    h.f.inspectDialog = [&](QDialog*) { ++dialogs; };
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(h.grid(), key);
    QCOMPARE(dialogs, 0);
    QVERIFY(h.f.ActionRequests().empty());
    QVERIFY(!h.child<QWidget>("pnlRowActions"));
    // Tab leaves the grid for the search box: there is nothing of the row to reach.
    QTest::keyClick(h.grid(), Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("EditSearch"));
}

void TestAccessibility::historyKeysLeaveABusyRowAlone() {
    history::Window h;
    h.LoadAll(history::Elements(2));
    QVERIFY(Activate(h.w));
    h.grid()->setFocus(Qt::TabFocusReason);
    QCOMPARE(h.w->SelectedRow(), 1);
    stItemRef item;
    QVERIFY(h.store()->RefOfKey(static_cast<std::uint32_t>(h.w->SelectedKey()), item));
    QVERIFY(h.store()->StartAction(item, busy::kRemovingOrUndoing));
    int dialogs = 0;
    h.f.inspectDialog = [&](QDialog*) { ++dialogs; };
    QTest::keyClick(h.grid(), Qt::Key_Delete);
    QTest::keyClick(h.grid(), Qt::Key_Return);
    QCOMPARE(dialogs, 0);
    QVERIFY(h.f.ActionRequests().empty());
}

void TestAccessibility::escapeHidesTheHistory() {
    history::Window h;
    h.LoadAll(history::Elements(2));
    QVERIFY(Activate(h.w));
    for (const char* from : {"EditSearch", "AdvStringGridSuspects"}) {
        h.w->show();
        QVERIFY(Activate(h.w));
        h.child<QWidget>(from)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY2(!h.w->isVisible(), from);
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
