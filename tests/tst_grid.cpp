// The string grid of the action history window: its model, stored and display texts, row
// colours, selection by user and program, header sorting, links, embedded controls and cell
// pictures, driven through real mouse and key events.

#include "controls/advstringgrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

// The grid as the history window sets it up.
struct Host {
    QWidget panel;
    TAdvStringGrid* grid = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit Host(int dataRows = 10) {
        panel.resize(654, 347);
        grid = new TAdvStringGrid(&panel);
        grid->setObjectName(QStringLiteral("AdvStringGridSuspects"));
        grid->setGeometry(0, 0, 654, 347);
        grid->SetColCount(4);
        grid->SetRowCount(dataRows + 1);
        const int widths[] = {144, 207, 146, 139};
        for (int c = 0; c < 4; ++c)
            grid->SetColWidth(c, widths[c]);
        grid->SetCells(0, 0, QStringLiteral("Acción"));
        grid->SetCells(1, 0, QStringLiteral("Ubicación"));
        grid->SetCells(2, 0, QStringLiteral("Fecha/Hora"));
        tester = std::make_unique<QAbstractItemModelTester>(
            grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    // The handlers capture the test's locals, which go before the grid does.
    ~Host() {
        grid->SetOnGetDisplText({});
        grid->SetOnDrawCell({});
        grid->SetOnSelectCell({});
        grid->SetOnGridHint({});
        grid->SetOnAnchorClick({});
        grid->SetOnAnchorHint({});
        grid->SetOnCanSort({});
        grid->SetOnClickSort({});
    }
    Q_DISABLE_COPY_MOVE(Host)

    bool Show() {
        panel.show();
        return QTest::qWaitForWindowExposed(&panel);
    }

    TAdvStringGrid* Found() {
        return panel.findChild<TAdvStringGrid*>(QStringLiteral("AdvStringGridSuspects"));
    }

    // A point inside a data cell, in the viewport where the mouse events go.
    QPoint InViewport(int col, int row, int dx = 0) const {
        const QRect cell = grid->CellRect(col, row);
        return QPoint(cell.left() + 10 + dx, cell.center().y()) - grid->viewport()->pos();
    }

    QPoint HeaderPoint(int col) const {
        return QPoint(grid->horizontalHeader()->sectionViewportPosition(col) + 20, 12);
    }

    // First point of a cell (viewport coordinates) that lies on a link.
    QPoint LinkPoint(int col, int row) const {
        const QRect cell = grid->CellRect(col, row);
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QPoint at(x, cell.center().y());
            if (!grid->AnchorAt(at).isEmpty())
                return at + QPoint(2, 0) - grid->viewport()->pos();
        }
        return QPoint(-1, -1);
    }
};

QList<QPixmap> Frames() {
    QList<QPixmap> frames;
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan};
    for (const QColor& colour : colours) {
        QPixmap frame(14, 14);
        frame.fill(colour);
        frames.append(frame);
    }
    return frames;
}

} // namespace

class TestGrid final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowNumberingAndModel();
    void displayTextHandlerGivesDisplayRole();
    void storedTextsFollowRowDeletion_data();
    void storedTextsFollowRowDeletion();
    void cellTextExtentMeasuresStoredText_data();
    void cellTextExtentMeasuresStoredText();
    void rowColourOverridesBands_data();
    void rowColourOverridesBands();
    void selectionByUserAsksHandler();
    void selectionByProgram();
    void headerClickSorting_data();
    void headerClickSorting();
    void linksReportHoverAndClick();
    void hintFollowsCell();
    void embeddedControlFollowsCell();
    void embeddedControlsFollowRowDeletion_data();
    void embeddedControlsFollowRowDeletion();
    void embeddedControlsFollowScrollingInALongGrid();
    void imagesPerCell();
    void changesInAnUpdateRepaintOnceAtItsEnd();
};

void TestGrid::rowNumberingAndModel() {
    Host host(3);
    TAdvStringGrid* grid = host.Found();
    QVERIFY(grid);
    QAbstractItemModel* model = grid->model();
    QCOMPARE(grid->RowCount(), 4); // the header row counts
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 4);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ubicación"));

    grid->SetRowCount(41);
    QCOMPARE(model->rowCount(), 40);
    grid->SetRowCount(0); // the header stays
    QCOMPARE(grid->RowCount(), 1);
    QCOMPARE(model->rowCount(), 0);
    grid->SetRowCount(6);
    grid->RemoveRows(2, 3);
    QCOMPARE(grid->RowCount(), 3);
    grid->RemoveRows(0, 5); // the header row cannot go
    QCOMPARE(grid->RowCount(), 1);
    grid->SetColCount(3);
    QCOMPARE(model->columnCount(), 3);
}

void TestGrid::displayTextHandlerGivesDisplayRole() {
    Host host(3);
    QList<QPair<int, int>> asked;
    host.grid->SetCells(1, 2, QStringLiteral("stored"));
    host.grid->SetOnGetDisplText([&](int col, int row, QString& text) {
        asked.append({col, row});
        if (row > 0)
            text = QStringLiteral("%1/%2 %3").arg(col).arg(row).arg(text);
    });
    QAbstractItemModel* model = host.grid->model();
    asked.clear();
    QCOMPARE(model->data(model->index(1, 1)).toString(), QStringLiteral("1/2 stored"));
    QCOMPARE(asked, (QList<QPair<int, int>>{{1, 2}}));
    QCOMPARE(model->data(model->index(0, 3)).toString(), QStringLiteral("3/1 "));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Fecha/Hora"));

    // Markup stays in the display text; the plain role drops it.
    host.grid->SetOnGetDisplText([](int, int, QString& text) {
        text = QStringLiteral("Programa eliminado: <A href=\"7\">Troyano</A>");
    });
    QCOMPARE(model->data(model->index(0, 0)).toString(),
             QStringLiteral("Programa eliminado: <A href=\"7\">Troyano</A>"));
    QCOMPARE(model->data(model->index(0, 0), TAdvGridModel::PlainTextRole).toString(),
             QStringLiteral("Programa eliminado: Troyano"));

    // Every painted cell asks the handler.
    QVERIFY(host.Show());
    asked.clear();
    host.grid->SetOnGetDisplText([&](int col, int row, QString&) { asked.append({col, row}); });
    host.grid->viewport()->repaint();
    for (int row = 1; row <= 3; ++row)
        for (int col = 0; col < 4; ++col)
            QVERIFY2(asked.contains({col, row}), qPrintable(QStringLiteral("cell %1,%2").arg(col).arg(row)));
}

void TestGrid::storedTextsFollowRowDeletion_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("one row in the middle") << 2 << 1 << QStringList{"r1", "r3", "r4", "r5"};
    QTest::newRow("the first data row") << 1 << 1 << QStringList{"r2", "r3", "r4", "r5"};
    QTest::newRow("rows to the end") << 3 << 99 << QStringList{"r1", "r2"};
    QTest::newRow("the header is kept") << 0 << 2 << QStringList{"r3", "r4", "r5"};
    QTest::newRow("nothing") << 2 << 0 << QStringList{"r1", "r2", "r3", "r4", "r5"};
}

void TestGrid::storedTextsFollowRowDeletion() {
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(QStringList, remaining);
    Host host(5);
    for (int r = 1; r <= 5; ++r)
        host.grid->SetCells(1, r, QStringLiteral("r%1").arg(r));
    host.grid->RemoveRows(first, count);
    QStringList texts;
    for (int r = 1; r < host.grid->RowCount(); ++r)
        texts.append(host.grid->Cells(1, r));
    QCOMPARE(texts, remaining);
    QCOMPARE(host.grid->Cells(1, 0), QStringLiteral("Ubicación"));
}

void TestGrid::cellTextExtentMeasuresStoredText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("widerThanColumn0");
    QTest::newRow("short text fits") << QStringLiteral("Virus") << false;
    QTest::newRow("long text does not fit")
        << QStringLiteral("Archivo sospechoso neutralizado en una carpeta temporal del sistema") << true;
    QTest::newRow("markup is measured without its tags")
        << QStringLiteral("<B>Virus</B> <A href=\"1234567890123456789012345678901234567890\">x</A>") << false;
}

void TestGrid::cellTextExtentMeasuresStoredText() {
    QFETCH(QString, text);
    QFETCH(bool, widerThanColumn0);
    Host host(2);
    // The display-text handler does not take part in measuring.
    host.grid->SetOnGetDisplText([](int, int, QString& shown) { shown = QStringLiteral("x"); });
    QCOMPARE(host.grid->CellTextExtent(0, 1), QSize(0, 0));
    host.grid->SetCells(0, 1, text);
    const QSize extent = host.grid->CellTextExtent(0, 1);
    QVERIFY(extent.height() > 0);
    QCOMPARE(extent.width() > host.grid->ColWidth(0), widerThanColumn0);
}

void TestGrid::rowColourOverridesBands_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QColor>("own");
    QTest::addColumn<QColor>("expected");
    const QColor band(0xE9, 0xE8, 0xE8);
    const QColor green(0xC7, 0xE3, 0x9A);
    QTest::newRow("odd row without colour is white") << 1 << QColor() << QColor(Qt::white);
    QTest::newRow("even row without colour is the band") << 2 << QColor() << band;
    QTest::newRow("own colour on an even row") << 2 << green << green;
    QTest::newRow("own colour on an odd row") << 3 << green << green;
}

void TestGrid::rowColourOverridesBands() {
    QFETCH(int, row);
    QFETCH(QColor, own);
    QFETCH(QColor, expected);
    Host host(4);
    host.grid->SetRowColor(row, QColor(Qt::black));
    host.grid->SetRowColor(row, own.isValid() ? own : TAdvStringGrid::DefaultColor());
    QCOMPARE(host.grid->RowColor(row).isValid(), own.isValid());
    const QModelIndex index = host.grid->model()->index(row - 1, 1);
    QCOMPARE(index.data(Qt::BackgroundRole).value<QBrush>().color(), expected);

    QVERIFY(host.Show());
    const QImage shot = host.grid->grab().toImage();
    const QRect cell = host.grid->CellRect(1, row);
    QCOMPARE(QColor(shot.pixel(cell.center().x() + 60, cell.center().y())), expected);

    // The selection colour wins over every row colour; the text keeps its colour.
    host.grid->SelectRow(row);
    const QImage selected = host.grid->grab().toImage();
    QCOMPARE(QColor(selected.pixel(cell.center().x() + 60, cell.center().y())), QColor(0xA9, 0xD9, 0xFE));
}

void TestGrid::selectionByUserAsksHandler() {
    Host host(6);
    QVERIFY(host.Show());
    host.grid->SelectRow(1);
    QList<int> asked;
    host.grid->SetOnSelectCell([&](int row, bool& allow) {
        asked.append(row);
        allow = row != 3;
    });
    QTest::mouseClick(host.grid->viewport(), Qt::LeftButton, Qt::NoModifier, host.InViewport(1, 3));
    QCOMPARE(host.grid->SelectedRow(), 1);
    QTest::mouseClick(host.grid->viewport(), Qt::LeftButton, Qt::NoModifier, host.InViewport(2, 2));
    QCOMPARE(host.grid->SelectedRow(), 2);
    QCOMPARE(host.grid->property("selectedRow").toInt(), 2);

    host.grid->setFocus();
    QTest::keyClick(host.grid, Qt::Key_Down); // row 3 is refused
    QCOMPARE(host.grid->SelectedRow(), 2);
    QTest::keyClick(host.grid, Qt::Key_End);
    QCOMPARE(host.grid->SelectedRow(), 6);
    QTest::keyClick(host.grid, Qt::Key_Up);
    QCOMPARE(host.grid->SelectedRow(), 5);
    QTest::keyClicks(host.grid, QStringLiteral("ab")); // typing selects nothing
    QCOMPARE(host.grid->SelectedRow(), 5);
    QCOMPARE(asked, (QList<int>{3, 2, 3, 6, 5}));

    // A click on the header row selects nothing.
    QTest::mouseClick(host.grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      host.HeaderPoint(1));
    QCOMPARE(host.grid->SelectedRow(), 5);
}

void TestGrid::selectionByProgram() {
    Host host(40);
    QVERIFY(host.Show());
    int asked = 0;
    host.grid->SetOnSelectCell([&](int, bool&) { ++asked; });
    host.grid->SelectRow(35);
    QCOMPARE(host.grid->SelectedRow(), 35);
    QVERIFY(host.grid->viewport()->rect().contains(
        host.grid->CellRect(0, 35).translated(-host.grid->viewport()->pos())));
    QCOMPARE(asked, 0);
    host.grid->SelectRow(0);
    QCOMPARE(host.grid->SelectedRow(), -1);
    host.grid->SelectRow(3);
    host.grid->SetRowCount(2); // the selected row went away: its neighbour takes the selection
    QCOMPARE(host.grid->SelectedRow(), 1);
    QCOMPARE(asked, 0);
}

void TestGrid::headerClickSorting_data() {
    using Direction = TAdvStringGrid::SortDirection;
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("sorted");
    QTest::addColumn<int>("column");
    QTest::addColumn<Direction>("direction");
    QTest::newRow("first click sorts descending")
        << QList<int>{2} << QList<int>{2} << 2 << Direction::Descending;
    QTest::newRow("second click reverses")
        << QList<int>{2, 2} << QList<int>{2, 2} << 2 << Direction::Ascending;
    QTest::newRow("third click reverses again")
        << QList<int>{2, 2, 2} << QList<int>{2, 2, 2} << 2 << Direction::Descending;
    QTest::newRow("another column starts descending")
        << QList<int>{2, 2, 0} << QList<int>{2, 2, 0} << 0 << Direction::Descending;
    QTest::newRow("a refused column changes nothing")
        << QList<int>{1, 3} << QList<int>{1} << 1 << Direction::Descending;
    QTest::newRow("a refused column alone") << QList<int>{3} << QList<int>{} << -1 << Direction::Descending;
}

void TestGrid::headerClickSorting() {
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, sorted);
    QFETCH(int, column);
    QFETCH(TAdvStringGrid::SortDirection, direction);
    Host host(3);
    QVERIFY(host.Show());
    QList<int> reported;
    host.grid->SetOnCanSort([](int col, bool& allow) { allow = col != 3; });
    host.grid->SetOnClickSort([&](int col) { reported.append(col); });
    for (int col : clicks)
        QTest::mouseClick(host.grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          host.HeaderPoint(col));
    QCOMPARE(reported, sorted);
    QCOMPARE(host.grid->SortColumn(), column);
    QCOMPARE(host.grid->CurrentSortDirection(), direction);
}

void TestGrid::linksReportHoverAndClick() {
    Host host(3);
    host.grid->SetOnGetDisplText([](int col, int row, QString& text) {
        if (col == 0 && row == 2)
            text = QStringLiteral("Virus: <A href=\"4711\">W32/Agent</A>");
    });
    QVERIFY(host.Show());
    QStringList events;
    host.grid->SetOnAnchorHint([&](int row, int col, const QString& anchor) {
        events.append(QStringLiteral("hover %1,%2 %3").arg(row).arg(col).arg(anchor));
    });
    host.grid->SetOnAnchorClick([&](int row, int col, const QString& anchor) {
        events.append(QStringLiteral("click %1,%2 %3").arg(row).arg(col).arg(anchor));
    });

    const QPoint link = host.LinkPoint(0, 2);
    QVERIFY(link.x() > 0);
    QTest::mouseMove(host.grid->viewport(), host.InViewport(0, 2, -6)); // the plain words
    QCOMPARE(events, QStringList());
    QTest::mouseMove(host.grid->viewport(), link);
    QTRY_VERIFY(events.contains(QStringLiteral("hover 2,0 4711")));
    QCOMPARE(host.grid->viewport()->cursor().shape(), Qt::PointingHandCursor);
    events.clear();
    QTest::mouseClick(host.grid->viewport(), Qt::LeftButton, Qt::NoModifier, link);
    QCOMPARE(events, QStringList{QStringLiteral("click 2,0 4711")});
    QCOMPARE(host.grid->SelectedRow(), 2); // the click selects its row as well

    // Text of the same cell outside the link is no link.
    events.clear();
    QTest::mouseClick(host.grid->viewport(), Qt::LeftButton, Qt::NoModifier, host.InViewport(0, 2, -6));
    QCOMPARE(events, QStringList());
}

void TestGrid::hintFollowsCell() {
    Host host(3);
    QVERIFY(host.Show());
    QStringList order;
    host.grid->SetOnAnchorHint([&](int, int, const QString&) { order.append(QStringLiteral("anchor")); });
    host.grid->SetOnGridHint([&](int row, int col, QString& hint) {
        order.append(QStringLiteral("hint"));
        if (col == 1)
            hint = QStringLiteral("row %1").arg(row);
    });
    host.grid->SetOnGetDisplText([](int col, int row, QString& text) {
        if (col == 0 && row == 1)
            text = QStringLiteral("<A href=\"1\">Nombre</A>");
    });
    QTest::mouseMove(host.grid->viewport(), host.InViewport(1, 3));
    QTRY_COMPARE(host.grid->toolTip(), QStringLiteral("row 3"));
    QTest::mouseMove(host.grid->viewport(), host.InViewport(2, 3));
    QTRY_COMPARE(host.grid->toolTip(), QString());

    // Over a link the link is reported before the hint is asked, so the hint may depend on it.
    order.clear();
    QTest::mouseMove(host.grid->viewport(), host.LinkPoint(0, 1));
    QTRY_VERIFY(!order.isEmpty());
    QCOMPARE(order.mid(0, 2), (QStringList{QStringLiteral("anchor"), QStringLiteral("hint")}));
}

void TestGrid::embeddedControlFollowsCell() {
    Host host(30);
    QVERIFY(host.Show());
    QWidget panel;
    panel.setObjectName(QStringLiteral("pnlRowActions"));
    host.grid->SetCellControl(3, 5, &panel);
    QCOMPARE(host.grid->CellControl(3, 5), &panel);
    const auto placed = [&](int row) {
        return QRect(panel.mapTo(host.grid, QPoint(0, 0)), panel.size()) == host.grid->CellRect(3, row);
    };
    QVERIFY(placed(5));
    QVERIFY(panel.isVisible());

    host.grid->verticalScrollBar()->setValue(3);
    QVERIFY(placed(5));
    QCOMPARE(panel.mapTo(host.grid, QPoint(0, 0)).y(), host.grid->HeaderHeight() + 20);

    host.grid->SetColWidth(0, 200);
    QVERIFY(placed(5));
    host.grid->resize(500, 300); // the last column stretches
    QVERIFY(placed(5));

    host.grid->RemoveRows(2, 1);
    QCOMPARE(host.grid->CellControl(3, 4), &panel);
    QVERIFY(placed(4));

    host.grid->RemoveCellControl(3, 4);
    QCOMPARE(host.grid->CellControl(3, 4), nullptr);
    QVERIFY(!panel.isVisible());
    host.grid->SetCellControl(3, 7, &panel);
    QVERIFY(placed(7) && panel.isVisible());
    host.grid->SetRowCount(3); // its row went away
    QCOMPARE(host.grid->CellControl(3, 7), nullptr);
    QVERIFY(!panel.isVisible());
    panel.setParent(nullptr);
}

void TestGrid::embeddedControlsFollowRowDeletion_data() {
    // Controls at (3, 5) and (1, 9); -1: its row went and so did the control.
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("panelRow");
    QTest::addColumn<int>("otherRow");
    QTest::newRow("a row above both") << 2 << 1 << 4 << 8;
    QTest::newRow("rows above both") << 1 << 3 << 2 << 6;
    QTest::newRow("the header is kept") << 0 << 2 << 3 << 7;
    QTest::newRow("a row between") << 7 << 1 << 5 << 8;
    QTest::newRow("the row right after") << 6 << 1 << 5 << 8;
    QTest::newRow("a row below both") << 12 << 2 << 5 << 9;
    QTest::newRow("the panel's row") << 5 << 1 << -1 << 8;
    QTest::newRow("a span holding the panel's row") << 4 << 3 << -1 << 6;
    QTest::newRow("a span holding both rows") << 3 << 8 << -1 << -1;
    QTest::newRow("rows to the end") << 9 << 99 << 5 << -1;
    QTest::newRow("nothing") << 5 << 0 << 5 << 9;
}

void TestGrid::embeddedControlsFollowRowDeletion() {
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, panelRow);
    QFETCH(int, otherRow);
    Host host(15);
    QVERIFY(host.Show());
    QWidget panel;
    QWidget other;
    host.grid->SetCellControl(3, 5, &panel);
    host.grid->SetCellControl(1, 9, &other);
    host.grid->RemoveRows(first, count);

    const struct {
        QWidget* control;
        int col;
        int row;
    } expectations[] = {{&panel, 3, panelRow}, {&other, 1, otherRow}};
    for (const auto& e : expectations) {
        int foundAt = -1;
        for (int r = 0; r < host.grid->RowCount(); ++r)
            for (int c = 0; c < host.grid->ColCount(); ++c)
                if (host.grid->CellControl(c, r) == e.control) {
                    QCOMPARE(foundAt, -1); // in one cell only
                    QCOMPARE(c, e.col);
                    foundAt = r;
                }
        QCOMPARE(foundAt, e.row);
        QCOMPARE(e.control->isVisible(), e.row > 0);
        if (e.row > 0)
            QCOMPARE(QRect(e.control->mapTo(host.grid, QPoint(0, 0)), e.control->size()),
                     host.grid->CellRect(e.col, e.row));
    }
    panel.setParent(nullptr);
    other.setParent(nullptr);
}

void TestGrid::embeddedControlsFollowScrollingInALongGrid() {
    Host host(100000);
    QVERIFY(host.Show());
    QWidget panel;
    QWidget early;
    host.grid->SetCellControl(3, 90000, &panel);
    host.grid->SetCellControl(0, 2, &early);
    const auto placedAt = [&](QWidget& control, int col, int row) {
        return QRect(control.mapTo(host.grid, QPoint(0, 0)), control.size()) == host.grid->CellRect(col, row);
    };
    const QRect viewport = host.grid->viewport()->geometry();

    // Scrolled so that the panel's row is the third one shown.
    host.grid->verticalScrollBar()->setValue(90000 - 3);
    QVERIFY(placedAt(panel, 3, 90000));
    QCOMPARE(panel.mapTo(host.grid, QPoint(0, 0)).y(), host.grid->HeaderHeight() + 2 * 20);
    QVERIFY(viewport.contains(QRect(panel.mapTo(host.grid, QPoint(0, 0)), panel.size())));
    QVERIFY(placedAt(early, 0, 2));
    QVERIFY(!viewport.intersects(QRect(early.mapTo(host.grid, QPoint(0, 0)), early.size())));

    // One step down, and a deletion far above: the panel keeps to its row.
    host.grid->verticalScrollBar()->setValue(90000 - 2);
    QCOMPARE(panel.mapTo(host.grid, QPoint(0, 0)).y(), host.grid->HeaderHeight() + 20);
    host.grid->RemoveRows(10, 1);
    QCOMPARE(host.grid->CellControl(3, 89999), &panel);
    QVERIFY(placedAt(panel, 3, 89999));
    panel.setParent(nullptr);
    early.setParent(nullptr);
}

void TestGrid::imagesPerCell() {
    Host host(3);
    host.grid->SetImageList(Frames());
    host.grid->SetCells(0, 2, QStringLiteral("Archivo sospechoso neutralizado en una carpeta"));
    host.grid->SetCellImage(0, 2, 3);
    QCOMPARE(host.grid->CellImage(0, 2), 3);
    QCOMPARE(host.grid->CellImage(0, 1), -1);
    QCOMPARE(host.grid->model()->index(1, 0).data(TAdvGridModel::ImageIndexRole).toInt(), 3);
    QVERIFY(host.Show());

    const QRect cell = host.grid->CellRect(0, 2);
    const QPoint imageCentre(cell.right() - 3 - 7, cell.center().y());
    QCOMPARE(QColor(host.grid->grab().toImage().pixel(imageCentre)), QColor(Qt::magenta));

    host.grid->SetCellImage(0, 2, 4); // the next frame of the animation
    QCOMPARE(QColor(host.grid->grab().toImage().pixel(imageCentre)), QColor(Qt::cyan));

    host.grid->RemoveCellImage(0, 2);
    QVERIFY(!host.grid->HasCellImage(0, 2));
    const QColor there(host.grid->grab().toImage().pixel(imageCentre));
    QVERIFY(there != QColor(Qt::cyan));
}

void TestGrid::changesInAnUpdateRepaintOnceAtItsEnd() {
    Host host(3);
    host.grid->SetImageList(Frames());
    QSignalSpy changed(host.grid->model(), &QAbstractItemModel::dataChanged);
    host.grid->BeginUpdate();
    host.grid->BeginUpdate();
    host.grid->SetRowColor(1, Qt::red);
    host.grid->SetCellImage(0, 2, 3);
    host.grid->EndUpdate();
    // Stored at once, signalled only when the outer update ends.
    QCOMPARE(host.grid->RowColor(1), QColor(Qt::red));
    QCOMPARE(host.grid->CellImage(0, 2), 3);
    QCOMPARE(changed.count(), 0);
    host.grid->EndUpdate();
    QCOMPARE(changed.count(), 1);
    const QModelIndex first = changed.at(0).at(0).value<QModelIndex>();
    const QModelIndex last = changed.at(0).at(1).value<QModelIndex>();
    // Exactly the rows that changed: rows far out of view cost no repaint of the view.
    QCOMPARE(first.row(), 0);
    QCOMPARE(last.row(), 1);
    QCOMPARE(first.column(), 0);
    QCOMPARE(last.column(), host.grid->ColCount() - 1);
    // Nothing changed: nothing to repaint.
    host.grid->BeginUpdate();
    host.grid->EndUpdate();
    QCOMPARE(changed.count(), 1);
    // Outside an update each change signals on its own again.
    host.grid->SetRowColor(2, Qt::red);
    QCOMPARE(changed.count(), 2);
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
