// The module's tooltips: the manager's placement and choice of window, its show-hint hook (which
// hints it serves, which it passes on, which it suppresses), and the tooltip windows' sizing,
// anchoring and hiding.

#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "forms/tt1/tooltipformleft.h"
#include "forms/tt1/tooltipformright.h"
#include "forms/tt1/tooltipmanager.h"
#include "forms/tt1/tt1.h"
#include "module/formvars.h"
#include "support/htmltext.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <dlfcn.h>
#include <memory>

using Windows = QList<TZrToolTipFormInfo>;
Q_DECLARE_METATYPE(Windows)

namespace {

// The module's two registrations, in the order the suspects window makes them.
Windows ModuleWindows() {
    return {TZrToolTipFormInfo{nullptr, true, QStringLiteral("black"), 3, 22, 0},
            TZrToolTipFormInfo{nullptr, true, QStringLiteral("black"), 2, -22, 0}};
}

// A window opening above, then one opening below.
Windows AboveAndBelow() {
    return {TZrToolTipFormInfo{nullptr, true, QStringLiteral("black"), 3, 0, 0},
            TZrToolTipFormInfo{nullptr, true, QStringLiteral("black"), 0, 0, 0}};
}

// A window of the host's whose controls get the module's tooltips.
class OwnerWindow final : public QWidget, public IToolTipEvents {
public:
    QLabel* control = nullptr;
    QLabel* other = nullptr;
    int shows = 0;
    QStringList anchors;

    OwnerWindow() {
        resize(300, 200);
        control = new QLabel(QStringLiteral("control"), this);
        control->setGeometry(10, 10, 100, 20);
        other = new QLabel(QStringLiteral("other"), this);
        other->setGeometry(10, 40, 100, 20);
        tooltips::RegisterHintOwner(this, this);
    }
    ~OwnerWindow() override { tooltips::UnregisterHintOwner(this); }
    Q_DISABLE_COPY_MOVE(OwnerWindow)

    void Destroy() override {}
    void ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) override {
        ++shows;
        if (hintText.isEmpty())
            mayShow = false;
        request.hintPosition = request.cursorPosition;
    }
    void AnchorClick(const QString& anchor) override { anchors.append(anchor); }
};

// Sends the application's tooltip request for a widget with the cursor at a screen position;
// true when someone served it.
bool RequestHint(QWidget* widget, const QPoint& cursor) {
    QHelpEvent event(QEvent::ToolTip, widget->mapFromGlobal(cursor), cursor);
    return QApplication::sendEvent(widget, &event);
}

// A cursor position with room left of and above it, where the right-pointing window opens.
QPoint RoomToTheUpperLeft() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return QPoint(area.right() - 300, area.bottom() - 150);
}

THTMLabel* Label(QWidget* tooltip) {
    return tooltip->findChild<THTMLabel*>(QStringLiteral("lblMsg"));
}

} // namespace

class TestTooltips final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void splitHint_data();
    void splitHint();
    void placement_data();
    void placement();
    void labelSize_data();
    void labelSize();

    void windowsRegisterAndExport();
    void unregisteredWindowPassesOn();
    void hintOpensWindowOnBestSide_data();
    void hintOpensWindowOnBestSide();
    void repeatedHintSuppressed();
    void windowGoneWhileHidingIsNotShown();
    void emptyHintShowsNothing();
    void showAtSizesToText();
    void showAtAnchorsByDirection_data();
    void showAtAnchorsByDirection();
    void hideTimer_data();
    void hideTimer();
    void hideTimerRunsByItself();
    void anchorClickReachesOwner();
    void screenshot();

private:
    std::unique_ptr<TfrmTT1> m_shared;
    std::unique_ptr<TTooltipFormRight> m_right;
    std::unique_ptr<TTooltipFormLeft> m_left;
    QWidget m_ownerOfTooltips;
    std::int64_t m_now = 0;
};

void TestTooltips::initTestCase() {
    // As the suspects window builds them: the shared window, then the right and left variants.
    QCOMPARE(tooltips::HideDelay(), 3000);
    m_shared = std::make_unique<TfrmTT1>(&m_ownerOfTooltips);
    QVERIFY(tooltips::HookInstalled());
    m_right = std::make_unique<TTooltipFormRight>(&m_ownerOfTooltips, nullptr, 22, 0);
    m_left = std::make_unique<TTooltipFormLeft>(&m_ownerOfTooltips, nullptr, -22, 0);
    QCOMPARE(tooltips::HideDelay(), 2000);
    QCOMPARE(tooltips::HoverGrace(), 500);
    for (TfrmTT1* window : {static_cast<TfrmTT1*>(m_right.get()), static_cast<TfrmTT1*>(m_left.get())})
        window->SetTickSource([this] { return m_now; });
}

void TestTooltips::cleanupTestCase() {
    m_left.reset();
    m_right.reset();
    m_shared.reset();
    QCOMPARE(frmTT1, nullptr);
    QVERIFY(!tooltips::HookInstalled());
}

void TestTooltips::cleanup() {
    tooltips::HideAllTooltips();
    QToolTip::hideText();
}

void TestTooltips::splitHint_data() {
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("text");
    QTest::newRow("text alone") << "file.exe<BR>C:\\dir"
                                << ""
                                << ""
                                << "file.exe<BR>C:\\dir";
    QTest::newRow("name and text") << "black^text"
                                   << "black"
                                   << ""
                                   << "text";
    QTest::newRow("name, letters and text") << "black^tl^text"
                                            << "black"
                                            << "tl"
                                            << "text";
    QTest::newRow("later separators belong to the text") << "a^b^c^d"
                                                         << "a"
                                                         << "b"
                                                         << "c^d";
    QTest::newRow("empty parts") << "^^text"
                                 << ""
                                 << ""
                                 << "text";
}

void TestTooltips::splitHint() {
    QFETCH(QString, hint);
    QFETCH(QString, name);
    QFETCH(QString, letters);
    QFETCH(QString, text);
    const TZrHintPlacement parts = tooltips::SplitHint(hint);
    QCOMPARE(parts.name, name);
    QCOMPARE(parts.placement, letters);
    QCOMPARE(parts.text, text);
}

void TestTooltips::placement_data() {
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<Windows>("windows");
    QTest::addColumn<QList<int>>("scores");
    QTest::addColumn<int>("chosen");
    const QRect screen(0, 0, 1280, 800);
    QTest::newRow("middle, no separator: the first registered wins the tie")
        << QPoint(640, 400) << screen << "text" << ModuleWindows() << QList<int>{4, 2, 0, 0} << 0;
    QTest::newRow("near the top edge lowers both sides above")
        << QPoint(640, 100) << screen << "text" << ModuleWindows() << QList<int>{4, 2, -10, -10} << 0;
    QTest::newRow("near the top edge a window opening below wins")
        << QPoint(640, 100) << screen << "text" << AboveAndBelow() << QList<int>{4, 2, -10, -10} << 1;
    QTest::newRow("half a height from the top lowers once")
        << QPoint(640, 200) << screen << "text" << ModuleWindows() << QList<int>{4, 2, -5, -5} << 0;
    QTest::newRow("right edge: the window opening left wins")
        << QPoint(1200, 400) << screen << "text" << ModuleWindows() << QList<int>{-6, 2, -10, 0} << 0;
    QTest::newRow("left edge: the window opening right wins")
        << QPoint(50, 400) << screen << "text" << ModuleWindows() << QList<int>{4, -8, 0, -10} << 1;
    QTest::newRow("bottom right corner")
        << QPoint(1270, 790) << screen << "text" << ModuleWindows() << QList<int>{-16, -8, -10, 0} << 0;
    QTest::newRow("the work area of a second screen")
        << QPoint(1300, 400) << QRect(1280, 0, 1280, 800) << "text" << ModuleWindows()
        << QList<int>{4, -8, 0, -10} << 1;
    QTest::newRow("black^t asks for below; none of the module's opens below")
        << QPoint(640, 400) << screen << "black^t^text" << ModuleWindows() << QList<int>{4, 4, 0, 0} << 0;
    QTest::newRow("black^t with a window opening below")
        << QPoint(640, 400) << screen << "black^t^text" << AboveAndBelow() << QList<int>{4, 4, 0, 0} << 1;
    QTest::newRow("letters add up, in either case")
        << QPoint(640, 400) << screen << "^bR^text" << ModuleWindows() << QList<int>{0, 4, 4, 8} << 0;
    QTest::newRow("l favours the sides opening right")
        << QPoint(640, 400) << screen << "^l^text" << ModuleWindows() << QList<int>{4, 0, 4, 0} << 1;
    QTest::newRow("unknown letters count as none")
        << QPoint(640, 400) << screen << "^xyz^text" << ModuleWindows() << QList<int>{4, 2, 0, 0} << 0;
    QTest::newRow("a name asked for beats the preferred")
        << QPoint(640, 400) << screen << "plain^^text"
        << Windows{TZrToolTipFormInfo{nullptr, true, "black", 0, 0, 0},
                   TZrToolTipFormInfo{nullptr, false, "plain", 3, 0, 0}}
        << QList<int>{4, 2, 0, 0} << 1;
    QTest::newRow("no window registered")
        << QPoint(640, 400) << screen << "text" << Windows{} << QList<int>{4, 2, 0, 0} << -1;
}

void TestTooltips::placement() {
    QFETCH(QPoint, cursor);
    QFETCH(QRect, workArea);
    QFETCH(QString, hint);
    QFETCH(Windows, windows);
    QFETCH(QList<int>, scores);
    QFETCH(int, chosen);
    const TZrHintPlacement placement = tooltips::ComputePlacement(cursor, workArea, hint, windows);
    QCOMPARE(QList<int>(placement.scores.begin(), placement.scores.end()), scores);
    QCOMPARE(placement.chosen, chosen);
}

void TestTooltips::labelSize_data() {
    QTest::addColumn<QSize>("measured");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("fits: 5 px of slack") << QSize(120, 39) << QSize(400, 200) << QSize(125, 39);
    QTest::newRow("exactly the available width fits") << QSize(400, 13) << QSize(400, 200) << QSize(405, 13);
    QTest::newRow("wider: 45 px past the available width, one font size more")
        << QSize(500, 13) << QSize(400, 200) << QSize(445, 21);
    QTest::newRow("over twice as wide: two font sizes more")
        << QSize(850, 13) << QSize(400, 200) << QSize(445, 29);
}

void TestTooltips::labelSize() {
    QFETCH(QSize, measured);
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    QCOMPARE(TfrmTT1::LabelSizeFor(measured, available, 8), expected);
}

void TestTooltips::windowsRegisterAndExport() {
    QCOMPARE(frmTT1, m_shared.get());
    QCOMPARE(TooltipFormRight, m_right.get());
    QCOMPARE(TooltipFormLeft, m_left.get());
    const Windows windows = tooltips::TooltipWindows();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows[0].window, m_right.get());
    QCOMPARE(windows[0].direction, 3);
    QCOMPARE(windows[0].offsetX, 22);
    QCOMPARE(windows[1].window, m_left.get());
    QCOMPARE(windows[1].direction, 2);
    QCOMPARE(windows[1].offsetX, -22);
    for (const auto& info : windows) {
        QCOMPARE(info.name, QStringLiteral("black"));
        QVERIFY(info.preferred);
    }
    QVERIFY(!tooltips::RegisterTooltipWindow(windows[0])); // once per window

    // A variant made and gone again leaves the registrations as they were.
    {
        TTooltipFormRight extra(&m_ownerOfTooltips, nullptr, 0, 0);
        QCOMPARE(tooltips::TooltipWindows().size(), 3);
        QCOMPARE(TooltipFormRight, &extra);
    }
    QCOMPARE(tooltips::TooltipWindows().size(), 2);
    QCOMPARE(TooltipFormRight, nullptr);
    TooltipFormRight = m_right.get();
}

void TestTooltips::unregisteredWindowPassesOn() {
    QWidget host;
    host.resize(200, 100);
    auto* label = new QLabel(QStringLiteral("host's own"), &host);
    label->setToolTip(QStringLiteral("the host's tooltip"));
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const QPoint cursor = label->mapToGlobal(QPoint(5, 5));
    RequestHint(label, cursor);
    QVERIFY(!tooltips::AnyTooltipVisible());
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("the host's tooltip"));
}

void TestTooltips::hintOpensWindowOnBestSide_data() {
    QTest::addColumn<bool>("atLeftEdge");
    QTest::addColumn<bool>("rightPointing");
    QTest::newRow("room to the upper left: the right-pointing window") << false << true;
    QTest::newRow("at the left edge: the left-pointing window") << true << false;
}

void TestTooltips::hintOpensWindowOnBestSide() {
    QFETCH(bool, atLeftEdge);
    QFETCH(bool, rightPointing);
    OwnerWindow owner;
    owner.control->setToolTip(QStringLiteral("invoice.scr<BR>Troyano"));
    QPoint cursor = RoomToTheUpperLeft();
    // Near enough to the edge for the left-pointing window, far enough for all of it to show
    // where it is anchored (closer, it is kept on the screen: see tst_safetext).
    if (atLeftEdge)
        cursor.setX(QGuiApplication::primaryScreen()->availableGeometry().left() + 30);

    QVERIFY(RequestHint(owner.control, cursor)); // served: no standard tooltip
    QVERIFY(!QToolTip::isVisible());
    TfrmTT1* shown = rightPointing ? static_cast<TfrmTT1*>(m_right.get()) : m_left.get();
    TfrmTT1* hidden = rightPointing ? static_cast<TfrmTT1*>(m_left.get()) : m_right.get();
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    QCOMPARE(HtmlToPlainText(Label(shown)->HTMLText()), QStringLiteral("invoice.scr\nTroyano"));
    QCOMPARE(tooltips::CurrentOwnerEvents(), static_cast<IToolTipEvents*>(&owner));
    // The pointer of the window sits at the hint position moved by the registered offset.
    const int anchorX = rightPointing ? shown->frameGeometry().right() + 1 : shown->frameGeometry().left();
    QCOMPARE(anchorX, cursor.x() + (rightPointing ? 22 : -22));
    QCOMPARE(shown->frameGeometry().bottom() + 1, cursor.y());
}

void TestTooltips::repeatedHintSuppressed() {
    OwnerWindow owner;
    owner.control->setToolTip(QStringLiteral("first"));
    const QPoint centre = RoomToTheUpperLeft();
    RequestHint(owner.control, centre);
    QCOMPARE(owner.shows, 1);
    QVERIFY(tooltips::AnyTooltipVisible());

    // The same hint for the same control while it shows: not again.
    RequestHint(owner.control, centre + QPoint(3, 0));
    QCOMPARE(owner.shows, 1);
    // The same text for another control, or a new text for the same control: shown.
    owner.other->setToolTip(QStringLiteral("first"));
    QVERIFY(RequestHint(owner.other, centre + QPoint(6, 0)));
    QCOMPARE(owner.shows, 2);
    owner.control->setToolTip(QStringLiteral("second"));
    RequestHint(owner.control, centre + QPoint(9, 0));
    QCOMPARE(owner.shows, 3);
    QCOMPARE(HtmlToPlainText(Label(m_right.get())->HTMLText()), QStringLiteral("second"));

    // Hidden, a request at the very cursor position of the last one is dropped too.
    tooltips::HideAllTooltips();
    RequestHint(owner.control, centre + QPoint(9, 0));
    QCOMPARE(owner.shows, 3);
    QVERIFY(!tooltips::AnyTooltipVisible());
    RequestHint(owner.control, centre + QPoint(12, 0));
    QCOMPARE(owner.shows, 4);
    QVERIFY(tooltips::AnyTooltipVisible());
}

void TestTooltips::windowGoneWhileHidingIsNotShown() {
    const Windows saved = tooltips::TooltipWindows();
    for (const auto& info : saved)
        tooltips::UnregisterTooltipWindow(info.window);
    // The only registered window, so every hint opens in it.
    QPointer<TTooltipFormRight> doomed = new TTooltipFormRight(&m_ownerOfTooltips, nullptr, 0, 0);
    OwnerWindow owner;
    owner.control->setToolTip(QStringLiteral("first"));
    const QPoint centre = RoomToTheUpperLeft();
    RequestHint(owner.control, centre);
    QVERIFY(doomed->isVisible());

    // A new hint while one shows hides it and processes events first; the window goes then.
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&doomed] { delete doomed.data(); }, Qt::QueuedConnection);
    owner.control->setToolTip(QStringLiteral("second"));
    QVERIFY(RequestHint(owner.control, centre + QPoint(3, 0)));
    const bool gone = doomed.isNull();
    const bool anyVisible = tooltips::AnyTooltipVisible();

    delete doomed.data();
    TooltipFormRight = m_right.get();
    for (const auto& info : saved)
        tooltips::RegisterTooltipWindow(info);
    QVERIFY(gone);
    QVERIFY(!anyVisible);
    QCOMPARE(owner.shows, 2);
}

void TestTooltips::emptyHintShowsNothing() {
    OwnerWindow owner;
    const QPoint centre = RoomToTheUpperLeft();
    QVERIFY(RequestHint(owner.control, centre + QPoint(0, 17))); // still served, never standard
    QCOMPARE(owner.shows, 1);
    QVERIFY(!tooltips::AnyTooltipVisible());
    QVERIFY(!QToolTip::isVisible());
    // A control without a hint of its own shows its parent's, as the application would.
    auto* inner = new QWidget(owner.control);
    inner->setGeometry(0, 0, 10, 10);
    owner.control->setToolTip(QStringLiteral("parent's hint"));
    RequestHint(inner, centre + QPoint(0, 19));
    QVERIFY(m_right->isVisible());
    QCOMPARE(Label(m_right.get())->HTMLText(), QStringLiteral("parent's hint"));
}

void TestTooltips::showAtSizesToText() {
    TfrmTT1* window = m_right.get();
    THTMLabel* label = Label(window);
    const QString text = QStringLiteral("arc.zip<BR>C:\\dir\\arc.zip<BR>09/12/2026 10:41");
    window->ShowAt(text, 0, 100, 100);
    QVERIFY(window->isVisible());

    THTMLabel probe;
    probe.setFont(label->font());
    probe.SetHTMLText(FitHtmlToWidth(text, label->font(), window->TextWidth()));
    const QSize measured = probe.MeasureHtml(window->TextWidth());
    QCOMPARE(label->size(), measured + QSize(5, 0));
    QCOMPARE(HtmlToPlainText(label->HTMLText()),
             QStringLiteral("arc.zip\nC:\\dir\\arc.zip\n09/12/2026 10:41"));

    // A long text is wrapped to the text width, never wider.
    window->ShowAt(QString(60, QLatin1Char('w')) + QStringLiteral(" ") + QString(60, QLatin1Char('x')), 0,
                   100, 100);
    QVERIFY(label->width() <= window->TextWidth() + 5);
    QVERIFY(label->height() > measured.height() / 3);
}

void TestTooltips::showAtAnchorsByDirection_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("leftOfPoint");
    QTest::addColumn<bool>("abovePoint");
    QTest::newRow("0 right and below") << 0 << false << false;
    QTest::newRow("1 left and below") << 1 << true << false;
    QTest::newRow("2 right and above") << 2 << false << true;
    QTest::newRow("3 left and above") << 3 << true << true;
}

void TestTooltips::showAtAnchorsByDirection() {
    QFETCH(int, direction);
    QFETCH(bool, leftOfPoint);
    QFETCH(bool, abovePoint);
    TfrmTT1* window = m_left.get();
    const QPoint at(400, 300);
    window->ShowAt(QStringLiteral("invoice.scr"), direction, at.x(), at.y());
    const QRect frame = window->frameGeometry();
    QCOMPARE(leftOfPoint ? frame.right() + 1 : frame.left(), at.x());
    QCOMPARE(abovePoint ? frame.bottom() + 1 : frame.top(), at.y());
}

void TestTooltips::hideTimer_data() {
    QTest::addColumn<QList<int>>("steps"); // clock times; a negative one moves the cursor onto the tooltip
    QTest::addColumn<bool>("visible");
    QTest::newRow("just before the delay") << QList<int>{1999} << true;
    QTest::newRow("at the delay") << QList<int>{2000} << false;
    QTest::newRow("cursor resting on it") << QList<int>{-100, 10000, 20000} << true;
    QTest::newRow("within the grace after leaving") << QList<int>{-100, 10000, 0, 10499} << true;
    QTest::newRow("after the grace") << QList<int>{-100, 10000, 0, 10500} << false;
}

void TestTooltips::hideTimer() {
    QFETCH(QList<int>, steps);
    QFETCH(bool, visible);
    TfrmTT1* window = m_right.get();
    QCursor::setPos(0, 0);
    m_now = 0;
    window->ShowAt(QStringLiteral("invoice.scr"), 0, 300, 300);
    auto* timer = window->findChild<QTimer*>(QStringLiteral("timHideToolTip"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 100);
    timer->stop(); // the ticks below are driven by hand
    for (int step : steps) {
        if (step < 0)
            QCursor::setPos(window->frameGeometry().center());
        else if (step == 0)
            QCursor::setPos(0, 0);
        else
            m_now = step;
        if (step != 0)
            window->timHideToolTipTimer();
    }
    QCOMPARE(window->isVisible(), visible);
}

void TestTooltips::hideTimerRunsByItself() {
    TfrmTT1* window = m_right.get();
    QCursor::setPos(0, 0);
    m_now = 0;
    window->ShowAt(QStringLiteral("invoice.scr"), 0, 300, 300);
    m_now = 2500;
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 5000);
    QVERIFY(!window->findChild<QTimer*>(QStringLiteral("timHideToolTip"))->isActive());
}

void TestTooltips::anchorClickReachesOwner() {
    OwnerWindow owner;
    owner.control->setToolTip(QStringLiteral("Troyano: <A href=\"4711\">W32/Agent</A>"));
    RequestHint(owner.control, RoomToTheUpperLeft() + QPoint(1, 23));
    QVERIFY(m_right->isVisible());
    Q_EMIT Label(m_right.get())->AnchorClick(QStringLiteral("4711"));
    QCOMPARE(owner.anchors, QStringList{QStringLiteral("4711")});
    m_right->Hide();
    QCOMPARE(tooltips::CurrentOwnerEvents(), nullptr);
    m_right->lblMsgAnchorClick(QStringLiteral("4712"));
    QCOMPARE(owner.anchors.size(), 1);
}

// With ZRUN_SCREENSHOT_DIR set, under a real X server, writes tooltip.png: the right-pointing
// window with a three-line hint over a carousel item of the suspects window's dark panel, the
// pictures coming from the built resource library.
void TestTooltips::screenshot() {
    const QString folder = qEnvironmentVariable("ZRUN_SCREENSHOT_DIR");
    if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("ZRUN_SCREENSHOT_DIR not set, or no X server");
    void* library = dlopen(ZRUN_BIN_DIR "/ZRUNResources.so", RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(library, dlerror());

    const QRect area(100, 100, 520, 233);
    QWidget panel(nullptr, Qt::FramelessWindowHint);
    panel.setGeometry(area);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, QColor(0x4C, 0x4B, 0x4B));
    pal.setColor(QPalette::WindowText, Qt::white);
    panel.setPalette(pal);
    panel.setAutoFillBackground(true);
    auto* carousel = new TSmoothImageList(&panel);
    carousel->setGeometry(25, 140, 470, 84);
    const QPixmap icon = LoadIconResource(library, 131).pixmap(48, 48);
    for (const char* name : {"setup_free.exe", "invoice.scr", "crack.zip", "file.exe", "autorun.inf"})
        carousel->SetItemFontColor(carousel->AddItem(QString::fromLatin1(name), icon), Qt::white);
    carousel->SetSelectedIndex(3);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));

    {
        TTooltipFormRight tooltip(&panel, library, 22, 0);
        // The cursor rests on the picture of item 3.
        const QPoint cursor = carousel->mapToGlobal(carousel->ItemRect(3).topLeft() + QPoint(24, 8));
        tooltip.ShowAt(QStringLiteral("arc.zip\\inner\\file.exe<BR>C:\\dir\\arc.zip\\inner\\file.exe<BR>"
                                      "09/12/2026 10:41"),
                       3, cursor.x() + 22, cursor.y());
        QVERIFY(QTest::qWaitForWindowExposed(&tooltip));
        QTest::qWait(300);
        const QPixmap shot =
            QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        QVERIFY(shot.save(QDir(folder).filePath(QStringLiteral("tooltip.png"))));
        tooltip.Hide();
    }
    tooltips::SetHideDelay(2000);
    dlclose(library);
}

QTEST_MAIN(TestTooltips)
#include "tst_tooltips.moc"
