// The carousel of the suspects window: items, selection, scrolling by wheel and program,
// clicks, zoom, owner drawing and hints, driven through real input events.

#include "controls/smoothimagelist.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <memory>

namespace {

// The carousel as the suspects window lays it out: 470 x 84 between the navigation buttons,
// over the dark panel.
struct Host {
    QWidget panel;
    TSmoothImageList* list = nullptr;

    explicit Host(int items = 0) {
        panel.resize(470, 84);
        QPalette pal = panel.palette();
        pal.setColor(QPalette::Window, QColor(0x4C, 0x4B, 0x4B));
        panel.setPalette(pal);
        panel.setAutoFillBackground(true);
        list = new TSmoothImageList(&panel);
        list->setObjectName(QStringLiteral("lwSuspects2"));
        list->setGeometry(0, 0, 470, 84);
        list->SetScrollDuration(0);
        for (int i = 0; i < items; ++i)
            list->AddItem(QStringLiteral("item%1.exe").arg(i));
    }

    // The handlers capture the test's locals, which go before the carousel does.
    ~Host() {
        list->SetOnItemDraw({});
        list->SetOnItemHint({});
        list->SetOnItemZoom({});
    }
    Q_DISABLE_COPY_MOVE(Host)

    bool Show() {
        panel.show();
        return QTest::qWaitForWindowExposed(&panel);
    }

    TSmoothImageList* Found() { return panel.findChild<TSmoothImageList*>(QStringLiteral("lwSuspects2")); }
};

class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void SendWheel(QWidget* target, int delta) {
    const QPointF at = QPointF(target->rect().center());
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestCarousel final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemCollection();
    void deleteItemKeepsSelection_data();
    void deleteItemKeepsSelection();
    void selectionProperty();
    void batchRepaintsOnce();
    void wheelScrollsOneItemPerStep_data();
    void wheelScrollsOneItemPerStep();
    void wheelStepMatchesWheel_data();
    void wheelStepMatchesWheel();
    void scrollToItem_data();
    void scrollToItem();
    void clickSelectsAndReports();
    void keysMoveSelection();
    void zoomAskedOnDoubleClick_data();
    void zoomAskedOnDoubleClick();
    void ownerDrawGetsIndexAndRect();
    void hintFollowsMouse();
    void sampleScreenshot();
};

void TestCarousel::itemCollection() {
    Host host;
    TSmoothImageList* list = host.Found();
    QVERIFY(list);
    QSignalSpy counts(list, &TSmoothImageList::CountChanged);
    QCOMPARE(list->AddItem(QStringLiteral("a")), 0);
    QCOMPARE(list->AddItem(QStringLiteral("b")), 1);
    QCOMPARE(list->AddItem(QStringLiteral("c")), 2);
    QCOMPARE(list->property("count").toInt(), 3);
    QCOMPARE(counts.count(), 3);

    list->SetItemFontColor(1, Qt::white);
    QCOMPARE(list->ItemFontColor(1), QColor(Qt::white));
    list->DeleteItem(0);
    QCOMPARE(list->Count(), 2);
    QCOMPARE(list->ItemCaption(0), QStringLiteral("b"));
    QCOMPARE(list->ItemFontColor(0), QColor(Qt::white));
    list->DeleteItem(7); // out of range: nothing happens
    QCOMPARE(list->Count(), 2);

    list->SetSelectedIndex(1);
    list->ClearItems();
    QCOMPARE(list->property("count").toInt(), 0);
    QCOMPARE(list->property("selectedIndex").toInt(), -1);
    QCOMPARE(list->TopIndex(), 0);
}

void TestCarousel::deleteItemKeepsSelection_data() {
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("expected");
    QTest::newRow("before the selection shifts it") << 5 << 3 << 1 << 2;
    QTest::newRow("after the selection leaves it") << 5 << 1 << 3 << 1;
    QTest::newRow("the selected one passes it to the next") << 5 << 2 << 2 << 2;
    QTest::newRow("the selected last one passes it back") << 5 << 4 << 4 << 3;
    QTest::newRow("the only one leaves none") << 1 << 0 << 0 << -1;
}

void TestCarousel::deleteItemKeepsSelection() {
    QFETCH(int, items);
    QFETCH(int, selected);
    QFETCH(int, deleted);
    QFETCH(int, expected);
    Host host(items);
    host.list->SetSelectedIndex(selected);
    host.list->DeleteItem(deleted);
    QCOMPARE(host.list->property("selectedIndex").toInt(), expected);
}

void TestCarousel::selectionProperty() {
    Host host(3);
    TSmoothImageList* list = host.list;
    QSignalSpy changes(list, &TSmoothImageList::SelectedIndexChanged);
    QSignalSpy userSelections(list, &TSmoothImageList::ItemSelect);
    QVERIFY(list->setProperty("selectedIndex", 2));
    QCOMPARE(list->SelectedIndex(), 2);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(userSelections.count(), 0); // the program's choice is not the user's

    // Chosen on an empty carousel, the first item shows selected once it arrives.
    list->ClearItems();
    list->SetSelectedIndex(0);
    QCOMPARE(list->SelectedIndex(), -1);
    list->AddItem(QStringLiteral("first"));
    QCOMPARE(list->SelectedIndex(), 0);
    QCOMPARE(changes.last().at(0).toInt(), 0);
}

void TestCarousel::batchRepaintsOnce() {
    Host host(2);
    QVERIFY(host.Show());
    PaintCounter counter;
    host.list->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;

    host.list->BeginUpdate();
    for (int i = 0; i < 6; ++i) {
        host.list->AddItem(QStringLiteral("batch%1").arg(i));
        host.list->SetItemFontColor(host.list->Count() - 1, Qt::white);
        QCoreApplication::processEvents();
    }
    QCOMPARE(counter.paints, 0);
    host.list->EndUpdate();
    QTRY_COMPARE(counter.paints, 1);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
}

void TestCarousel::wheelScrollsOneItemPerStep_data() {
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<int>("expectedTop");
    // 20 items, 5 visible, starting from the middle (top 7).
    QTest::newRow("one step away from the user goes towards the start") << QList<int>{120} << 6;
    QTest::newRow("one step towards the user goes towards the end") << QList<int>{-120} << 8;
    QTest::newRow("a double step moves two items") << QList<int>{240} << 5;
    QTest::newRow("half steps add up to one item") << QList<int>{60, 60} << 6;
    QTest::newRow("a half step alone moves nothing") << QList<int>{60} << 7;
    QTest::newRow("the start is a stop") << QList<int>{120 * 10} << 0;
    QTest::newRow("the end is a stop") << QList<int>{-120 * 10} << 15;
}

void TestCarousel::wheelScrollsOneItemPerStep() {
    QFETCH(QList<int>, deltas);
    QFETCH(int, expectedTop);
    Host host(20);
    QVERIFY(host.Show());
    QCOMPARE(host.list->VisibleCount(), 5);
    host.list->ScrollToItem(11);
    QCOMPARE(host.list->TopIndex(), 7);
    for (int delta : deltas)
        SendWheel(host.list, delta);
    QCOMPARE(host.list->property("topIndex").toInt(), expectedTop);
}

void TestCarousel::wheelStepMatchesWheel_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("expectedTop");
    QTest::newRow("plus one goes left") << 1 << 6;
    QTest::newRow("minus one goes right") << -1 << 8;
    QTest::newRow("plus three") << 3 << 4;
    QTest::newRow("none") << 0 << 7;
}

void TestCarousel::wheelStepMatchesWheel() {
    QFETCH(int, steps);
    QFETCH(int, expectedTop);
    Host byWheel(20);
    Host byStep(20);
    byWheel.list->ScrollToItem(11);
    byStep.list->ScrollToItem(11);
    byStep.list->WheelStep(steps);
    SendWheel(byWheel.list, 120 * steps);
    QCOMPARE(byStep.list->TopIndex(), expectedTop);
    QCOMPARE(byWheel.list->TopIndex(), expectedTop);
}

void TestCarousel::scrollToItem_data() {
    QTest::addColumn<int>("startTop");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("expectedTop");
    QTest::newRow("beyond the right edge ends the view there") << 0 << 12 << 8;
    QTest::newRow("left of the view starts the view there") << 8 << 3 << 3;
    QTest::newRow("already visible stays") << 3 << 5 << 3;
    QTest::newRow("the last item") << 0 << 19 << 15;
    QTest::newRow("beyond the items clamps to the last") << 0 << 40 << 15;
    QTest::newRow("item 0") << 9 << 0 << 0;
}

void TestCarousel::scrollToItem() {
    QFETCH(int, startTop);
    QFETCH(int, target);
    QFETCH(int, expectedTop);
    Host host(20);
    host.list->ScrollToItem(startTop + host.list->VisibleCount() - 1);
    host.list->ScrollToItem(startTop);
    QCOMPARE(host.list->TopIndex(), startTop);
    host.list->ScrollToItem(target);
    QCOMPARE(host.list->TopIndex(), expectedTop);
}

void TestCarousel::clickSelectsAndReports() {
    Host host(8);
    host.list->SetScrollDuration(150); // state moves at once even while the picture slides
    QVERIFY(host.Show());
    host.list->WheelStep(-2);
    QCOMPARE(host.list->TopIndex(), 2);
    QSignalSpy selected(host.list, &TSmoothImageList::ItemSelect);
    QSignalSpy released(host.list, &TSmoothImageList::MouseButtonReleased);

    QTest::mouseClick(host.list, Qt::LeftButton, Qt::NoModifier, host.list->ItemRect(4).center());
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 4);
    QCOMPARE(host.list->SelectedIndex(), 4);
    QCOMPARE(host.list->IndexAt(host.list->ItemRect(4).center()), 4);
    QCOMPARE(released.count(), 1);

    // Between two items: no item, no selection, but the release is still reported.
    const QPoint gap(host.list->ItemRect(3).right() + 2, host.list->ItemRect(3).center().y());
    QCOMPARE(host.list->IndexAt(gap), -1);
    QTest::mouseClick(host.list, Qt::LeftButton, Qt::NoModifier, gap);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(host.list->SelectedIndex(), 4);
    QCOMPARE(released.count(), 2);

    // Only the left button selects.
    QTest::mouseClick(host.list, Qt::RightButton, Qt::NoModifier, host.list->ItemRect(2).center());
    QCOMPARE(host.list->SelectedIndex(), 4);
    QCOMPARE(released.count(), 3);
}

void TestCarousel::keysMoveSelection() {
    Host host(8);
    QVERIFY(host.Show());
    host.list->setFocus();
    host.list->SetSelectedIndex(4);
    QSignalSpy selected(host.list, &TSmoothImageList::ItemSelect);
    QTest::keyClick(host.list, Qt::Key_Right);
    QCOMPARE(host.list->SelectedIndex(), 5);
    QCOMPARE(host.list->TopIndex(), 1); // scrolled so that item 5 shows whole
    QTest::keyClick(host.list, Qt::Key_Left);
    QTest::keyClick(host.list, Qt::Key_Left);
    QCOMPARE(host.list->SelectedIndex(), 3);
    QCOMPARE(selected.count(), 3);
    QCOMPARE(selected.last().at(0).toInt(), 3);
}

void TestCarousel::zoomAskedOnDoubleClick_data() {
    QTest::addColumn<bool>("allow");
    QTest::newRow("refused") << false;
    QTest::newRow("allowed") << true;
}

void TestCarousel::zoomAskedOnDoubleClick() {
    QFETCH(bool, allow);
    Host host(6);
    QVERIFY(host.Show());
    host.list->SetSelectedIndex(2);
    QList<int> asked;
    host.list->SetOnItemZoom([&](int index, bool& permit) {
        asked.append(index);
        permit = allow;
    });
    QSignalSpy zoomed(host.list, &TSmoothImageList::ItemZoomed);
    // The sequence a real double click makes: click, then the second press as a double click.
    const QPoint at = host.list->ItemRect(2).center();
    QTest::mouseClick(host.list, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(host.list, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(host.list, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(asked, QList<int>{2});
    QCOMPARE(zoomed.count(), allow ? 1 : 0);
    QCOMPARE(host.list->SelectedIndex(), 2);
    QCOMPARE(host.list->TopIndex(), 0);
    QCOMPARE(host.list->Count(), 6);
}

void TestCarousel::ownerDrawGetsIndexAndRect() {
    Host host(8);
    host.list->WheelStep(-1);
    host.list->SetSelectedIndex(3);
    QList<int> drawn;
    QList<QRectF> rects;
    host.list->SetOnItemDraw([&](QPainter&, int index, const QRectF& rect) {
        drawn.append(index);
        rects.append(rect);
    });
    const QImage shot = host.panel.grab().toImage();

    QCOMPARE(drawn, (QList<int>{1, 2, 3, 4, 5}));
    for (int i = 0; i < drawn.size(); ++i) {
        QCOMPARE(rects[i].size(), QSizeF(90, 75));
        QCOMPARE(rects[i].toRect(), host.list->ItemRect(drawn[i]));
    }
    // The handler drew nothing; the selection is still there behind it, the rest is the panel.
    const QRect selectedRect = host.list->ItemRect(3);
    QCOMPARE(QColor(shot.pixel(selectedRect.center())), QColor(0x7A, 0x96, 0xDF));
    QCOMPARE(QColor(shot.pixel(host.list->ItemRect(4).center())), QColor(0x4C, 0x4B, 0x4B));
    // Rounded corners: the very corner pixel stays the panel's colour.
    QCOMPARE(QColor(shot.pixel(selectedRect.topLeft())), QColor(0x4C, 0x4B, 0x4B));
}

void TestCarousel::hintFollowsMouse() {
    Host host(8);
    QVERIFY(host.Show());
    QList<int> asked;
    host.list->SetOnItemHint([&](int index, QString& hint) {
        asked.append(index);
        hint = QStringLiteral("hint of %1").arg(index);
    });
    QTest::mouseMove(host.list, host.list->ItemRect(2).center());
    QTRY_COMPARE(host.list->toolTip(), QStringLiteral("hint of 2"));
    QTest::mouseMove(host.list, host.list->ItemRect(3).center());
    QTRY_COMPARE(host.list->toolTip(), QStringLiteral("hint of 3"));

    // The wheel moves other items under a resting mouse: the hint follows.
    host.list->WheelStep(-1);
    QCOMPARE(host.list->toolTip(), QStringLiteral("hint of 4"));

    const QPoint gap(host.list->ItemRect(3).right() + 2, host.list->ItemRect(3).center().y());
    QTest::mouseMove(host.list, gap);
    QTRY_COMPARE(host.list->toolTip(), QString());
    QVERIFY(asked.contains(2) && asked.contains(3) && asked.contains(4));
}

// Writes docs/carousel-sample.png when ZRUN_SCREENSHOT_DIR names a folder.
void TestCarousel::sampleScreenshot() {
    const QString folder = qEnvironmentVariable("ZRUN_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("ZRUN_SCREENSHOT_DIR not set");
    Host host;
    host.panel.resize(520, 86);
    host.list->setGeometry(25, 1, 470, 84);
    QPalette pal = host.list->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    host.list->setPalette(pal);
    const QPixmap icon =
        QIcon(QStringLiteral(ZRUN_SOURCE_DIR "/resources/images/ICON/131.ico")).pixmap(48, 48);
    const QStringList names{
        QStringLiteral("setup_free.exe"), QStringLiteral("invoice.scr"),
        QStringLiteral("crack.zip"),      QStringLiteral("toolbar.dll"),
        QStringLiteral("autorun.inf"),    QStringLiteral("keygen_2026_final_version.exe")};
    for (const QString& name : names) {
        const int i = host.list->AddItem(name, icon);
        host.list->SetItemFontColor(i, Qt::white);
    }
    host.list->SetSelectedIndex(1);
    QVERIFY(host.Show());
    QVERIFY(host.panel.grab().save(QDir(folder).filePath(QStringLiteral("carousel-sample.png"))));
}

QTEST_MAIN(TestCarousel)
#include "tst_carousel.moc"
