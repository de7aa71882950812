// Takes the pictures of the suspects window in docs/ under a real X server, with the console
// hosting the module and its embedded service as a user would run it. Regenerate them with:
//
//   cmake -S . -B build-shots -G Ninja -DZRUN_BUILD_TOOLS=ON -DZRUN_BUILD_TESTS=OFF
//   ninja -C build-shots suspects_screenshots
//
// or, by hand (the second folder is optional and receives pictures for review only):
//
//   QT_QPA_PLATFORM=xcb LANG=es_ES.UTF-8 TZ=Europe/Madrid xvfb-run -a -s "-screen 0 1280x800x24"
//       build-shots/bin/shoot_suspects docs [review-folder]
//
// Pictures: history.png (the action history over the console), history-row-actions.png,
// history-remove-confirmation.png, history-search.png and history-waiting.png (a redo the
// service takes long to answer); console.png and suspects-items.png (the items, the first one described),
// suspects-description.png (a virus suspect described, with its hint open), suspects-waiting.png
// (an unblock the service takes long to answer), suspects-empty.png (nothing blocked),
// suspects-loading.png (a service slow to send the first page), suspects-failed.png (a list the
// service would not give) and suspects-spoofed-name.png (a name that hides its extension).
#include "consoleform.h"
#include "consoleoptions.h"
#include "service/protectionservice.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// The carousel's items: 90 x 75 with 4 px between them, whole items centred in the width.
constexpr int kItemWidth = 90;
constexpr int kItemHeight = 75;
constexpr int kItemSpacing = 4;
constexpr int kPitch = kItemWidth + kItemSpacing;

// Long enough to see the waiting layer, which shows one second after the confirmation.
constexpr int kSlowServiceMs = 6000;
constexpr int kQuickServiceMs = 20;
constexpr int kFillTimeoutMs = 30000;

const QPoint kConsolePosition(40, 40);

[[noreturn]] void Fail(const QString& why) {
    std::fprintf(stderr, "shoot_suspects: %s\n", qPrintable(why));
    std::exit(1);
}

QWidget* Child(QWidget* root, const char* name) {
    QWidget* child = root ? root->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
    if (!child)
        Fail(QStringLiteral("no control %1").arg(QString::fromLatin1(name)));
    return child;
}

void WaitUntil(const std::function<bool()>& done, int timeoutMs, const QString& what) {
    if (!QTest::qWaitFor(done, timeoutMs))
        Fail(QStringLiteral("timed out waiting for %1").arg(what));
}

QWidget* VisibleTopLevel(const QStringList& names) {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && names.contains(w->objectName()))
            return w;
    return nullptr;
}

// Keeps the pointer off the windows, so that no item shows its hover shade.
void ParkPointer() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.bottomRight() - QPoint(4, 4));
}

class Shooter {
public:
    Shooter(QDir out, QString review) : m_out(std::move(out)), m_review(std::move(review)) {
        if (!m_stores.isValid())
            Fail(QStringLiteral("no temporary folder"));
    }

    void ItemsAndDescription();
    void WaitingLayer();
    void EmptyState();
    void History();
    void HistoryWaiting();
    void Loading();
    void FailedFetch();
    void SpoofedName();

private:
    std::unique_ptr<TConsoleForm> StartConsole(const QString& store, bool reseed, int latencyMs,
                                               const QString& fault = QString());
    // The console with the hint of the item at `index` open, as a compositing desktop shows both.
    QImage WithItemHint(TConsoleForm& console, int index, QWidget** tooltipOut = nullptr);
    void WaitUntilFilled(TConsoleForm& console);
    void Save(const QImage& image, const QString& name, bool forReview = false);
    void Save(const QPixmap& pixmap, const QString& name, bool forReview = false) {
        Save(pixmap.toImage(), name, forReview);
    }
    static QPoint ItemCentre(QWidget* carousel, int index);
    static QWidget* OpenHistory(TConsoleForm& console);
    static void ClickGridRow(QWidget* history, int row);
    // The history window over the console, as a desktop shows both.
    QImage OverConsole(TConsoleForm& console, QWidget* window, QWidget* dialog = nullptr);
    static void ShowItem(QWidget* window, int index);

    QDir m_out;
    QString m_review;
    QTemporaryDir m_stores;
};

std::unique_ptr<TConsoleForm> Shooter::StartConsole(const QString& store, bool reseed, int latencyMs,
                                                    const QString& fault) {
    ConsoleOptions options;
    options.fault = fault;
    options.language = QStringLiteral("es");
    options.storePath = m_stores.filePath(store);
    options.reseed = reseed;
    options.latencyMs = latencyMs;
    auto console = std::make_unique<TConsoleForm>(options);
    console->move(kConsolePosition);
    console->show();
    if (!QTest::qWaitForWindowExposed(console.get()))
        Fail(QStringLiteral("the console window never showed"));
    // No window manager activates it; hints only show over the active window.
    console->activateWindow();
    if (!QTest::qWaitForWindowActive(console.get()))
        Fail(QStringLiteral("the console window never became active"));
    if (!console->StartModule() || !console->SuspectsWindow() || !console->Service())
        Fail(QStringLiteral("the module did not start: %1").arg(console->LastError()));
    return console;
}

void Shooter::WaitUntilFilled(TConsoleForm& console) {
    QWidget* window = console.SuspectsWindow();
    QWidget* carousel = Child(window, "lwSuspects2");
    QWidget* information = Child(window, "pnlInformation");
    const int blocked = console.Service()->BlockedCount();
    WaitUntil([&] { return carousel->property("count").toInt() == blocked && information->isVisible(); },
              kFillTimeoutMs, QStringLiteral("%1 items in the carousel").arg(blocked));
    // The icons and the selection's first paint.
    QTest::qWait(300);
}

void Shooter::Save(const QImage& image, const QString& name, bool forReview) {
    if (forReview && m_review.isEmpty())
        return;
    const QString path = forReview ? QDir(m_review).filePath(name) : m_out.filePath(name);
    if (image.isNull() || !image.save(path))
        Fail(QStringLiteral("could not save %1").arg(path));
    std::printf("%s (%d x %d)\n", qPrintable(path), image.width(), image.height());
}

QPoint Shooter::ItemCentre(QWidget* carousel, int index) {
    const int visible = std::max(1, (carousel->width() + kItemSpacing) / kPitch);
    const int left = std::max(0, (carousel->width() - (visible * kPitch - kItemSpacing)) / 2);
    const int top = std::max(0, (carousel->height() - kItemHeight) / 2);
    const int slot = index - carousel->property("topIndex").toInt();
    return QPoint(left + slot * kPitch + kItemWidth / 2, top + kItemHeight / 2);
}

// Scrolls with the right arrow, as a user would, until the item shows whole.
void Shooter::ShowItem(QWidget* window, int index) {
    QWidget* carousel = Child(window, "lwSuspects2");
    QWidget* right = Child(window, "ZRUNButtonNavRight");
    const int visible = std::max(1, (carousel->width() + kItemSpacing) / kPitch);
    while (index >= carousel->property("topIndex").toInt() + visible) {
        const int before = carousel->property("topIndex").toInt();
        QTest::mousePress(right, Qt::LeftButton);
        QTest::mouseRelease(right, Qt::LeftButton);
        // The slide lasts 150 ms.
        QTest::qWait(350);
        if (carousel->property("topIndex").toInt() == before)
            Fail(QStringLiteral("the right arrow does not scroll"));
    }
}

void Shooter::ItemsAndDescription() {
    auto console = StartConsole(QStringLiteral("items.sqlite"), true, kQuickServiceMs);
    WaitUntilFilled(*console);
    QWidget* window = console->SuspectsWindow();
    Save(console->grab(), QStringLiteral("console.png"));
    Save(window->grab(), QStringLiteral("suspects-items.png"));

    // A suspect sent to the laboratory: its description differs from the first item's.
    QWidget* carousel = Child(window, "lwSuspects2");
    QWidget* description = Child(window, "lblInformation1");
    const int count = carousel->property("count").toInt();
    int found = -1;
    for (int i = 1; i < count && found < 0; ++i) {
        ShowItem(window, i);
        QTest::mouseClick(carousel, Qt::LeftButton, {}, ItemCentre(carousel, i));
        if (description->property("HTMLText").toString().contains(QStringLiteral("virus")))
            found = i;
    }
    if (found < 0)
        Fail(QStringLiteral("no item described as a virus suspect"));

    QWidget* tooltip = nullptr;
    const QImage picture = WithItemHint(*console, found, &tooltip);
    Save(picture, QStringLiteral("suspects-description.png"));
    Save(tooltip->grab(), QStringLiteral("review-tooltip.png"), true);
    ParkPointer();
    console->StopModule();
}

QImage Shooter::WithItemHint(TConsoleForm& console, int index, QWidget** tooltipOut) {
    QWidget* carousel = Child(console.SuspectsWindow(), "lwSuspects2");
    // The hint comes from a real pointer resting on the item: the tooltip is placed at it.
    const QPoint local = ItemCentre(carousel, index);
    QCursor::setPos(carousel->mapToGlobal(local));
    QTest::mouseMove(carousel, local);
    const QStringList tooltipNames{QStringLiteral("TooltipFormRight"), QStringLiteral("TooltipFormLeft"),
                                   QStringLiteral("frmTT1")};
    QWidget* tooltip = nullptr;
    WaitUntil([&] { return (tooltip = VisibleTopLevel(tooltipNames)) != nullptr; }, 5000,
              QStringLiteral("the item's hint"));
    QTest::qWait(150);
    // The console with the tooltip's own picture (its shadow and rounded corners translucent)
    // on top, transparent around both.
    const QRect consoleArea = console.geometry();
    const QRect tooltipArea = tooltip->geometry();
    const QRect area = consoleArea.united(tooltipArea);
    QImage picture(area.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.drawPixmap(consoleArea.topLeft() - area.topLeft(), console.grab());
        painter.drawPixmap(tooltipArea.topLeft() - area.topLeft(), tooltip->grab());
    }
    if (tooltipOut)
        *tooltipOut = tooltip;
    return picture;
}

void Shooter::Loading() {
    // A service that takes ten seconds over the first page: the window waits quietly, then says so.
    auto console = StartConsole(QStringLiteral("loading.sqlite"), true, 10000);
    QWidget* window = console->SuspectsWindow();
    QWidget* loading = Child(window, "lblLoadingLw");
    WaitUntil([&] { return loading->isVisible(); }, 5000, QStringLiteral("the loading text"));
    if (Child(window, "pnlEmptyLw")->isVisible())
        Fail(QStringLiteral("the empty text shows while the list is on its way"));
    QTest::qWait(200);
    Save(console->grab(), QStringLiteral("suspects-loading.png"));
    console->StopModule();
}

void Shooter::FailedFetch() {
    // A service that answers the list request with an error.
    auto console =
        StartConsole(QStringLiteral("failed.sqlite"), true, kQuickServiceMs, QStringLiteral("error:5"));
    QWidget* window = console->SuspectsWindow();
    QWidget* failed = Child(window, "lblListFailedLw");
    WaitUntil([&] { return failed->isVisible(); }, kFillTimeoutMs, QStringLiteral("the failure text"));
    QTest::qWait(300);
    Save(console->grab(), QStringLiteral("suspects-failed.png"));
    console->StopModule();
}

void Shooter::SpoofedName() {
    const QString store = QStringLiteral("spoofed.sqlite");
    {
        auto console = StartConsole(store, true, kQuickServiceMs);
        WaitUntilFilled(*console);
        console->StopModule();
    }
    {
        // The newest item renamed so that, read right to left, it ends in ".pdf".
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("spoof"));
        db.setDatabaseName(m_stores.filePath(store));
        if (!db.open())
            Fail(QStringLiteral("cannot open the spoofed store"));
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("UPDATE items SET location = ? WHERE location LIKE '%VLC_setup_gratis.exe'"));
        query.addBindValue(QStringLiteral("C:\\Users\\ana\\Descargas\\factura\u202Efdp.exe"));
        if (!query.exec() || query.numRowsAffected() != 1)
            Fail(QStringLiteral("could not rename the item"));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("spoof"));
    auto console = StartConsole(store, false, kQuickServiceMs);
    WaitUntilFilled(*console);
    QWidget* carousel = Child(console->SuspectsWindow(), "lwSuspects2");
    QTest::mouseClick(carousel, Qt::LeftButton, {}, ItemCentre(carousel, 0));
    QTest::qWait(200);
    Save(WithItemHint(*console, 0), QStringLiteral("suspects-spoofed-name.png"));
    ParkPointer();
    console->StopModule();
}

void Shooter::WaitingLayer() {
    auto console = StartConsole(QStringLiteral("waiting.sqlite"), true, kSlowServiceMs);
    WaitUntilFilled(*console);
    QWidget* window = console->SuspectsWindow();
    QWidget* layer = Child(window, "pnlWaitingUnblock");

    // The confirmation is modal: answer it from inside its own event loop.
    bool accepted = false;
    QTimer answer;
    answer.setInterval(50);
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
        QWidget* dialog = VisibleTopLevel({QStringLiteral("SuspectsActionForm")});
        if (!dialog)
            return;
        answer.stop();
        QTest::qWait(200);
        Save(dialog->grab(), QStringLiteral("review-confirmation.png"), true);
        QTest::mouseClick(Child(dialog, "BAceptar"), Qt::LeftButton);
        accepted = true;
    });
    answer.start();
    QTest::mouseClick(Child(window, "btnUnBlock"), Qt::LeftButton);
    if (!accepted)
        Fail(QStringLiteral("the unblock confirmation never showed"));
    WaitUntil([&] { return layer->isVisible(); }, 3000, QStringLiteral("the waiting layer"));
    // A few frames of the animation.
    QTest::qWait(500);
    Save(console->grab(), QStringLiteral("suspects-waiting.png"));
    WaitUntil([&] { return !layer->isVisible(); }, kSlowServiceMs + 5000,
              QStringLiteral("the unblock reply"));
    console->StopModule();
}

void Shooter::EmptyState() {
    const QString store = QStringLiteral("empty.sqlite");
    {
        // Everything removed through the window's hidden key: left Ctrl + left Shift + D.
        auto console = StartConsole(store, true, kQuickServiceMs);
        WaitUntilFilled(*console);
        QWidget* window = console->SuspectsWindow();
        QTest::keyClick(window, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        WaitUntil([&] { return Child(window, "pnlEmptyLw")->isVisible(); }, 5000,
                  QStringLiteral("the empty state after removing everything"));
        WaitUntil([&] { return console->Service()->BlockedCount() == 0; }, 5000,
                  QStringLiteral("the service to remove everything"));
        console->Service()->WaitUntilIdle(std::chrono::milliseconds(5000));
        QTest::qWait(300);
        Save(console->grab(), QStringLiteral("review-after-remove-all.png"), true);
        console->StopModule();
    }
    // A console started on the emptied quarantine: the state a user finds.
    auto console = StartConsole(store, false, kQuickServiceMs);
    QWidget* window = console->SuspectsWindow();
    QWidget* empty = Child(window, "pnlEmptyLw");
    QWidget* carousel = Child(window, "lwSuspects2");
    WaitUntil([&] { return empty->isVisible() && !carousel->isVisible(); }, kFillTimeoutMs,
              QStringLiteral("the empty state"));
    QTest::qWait(300);
    Save(console->grab(), QStringLiteral("suspects-empty.png"));
    Save(window->grab(), QStringLiteral("review-empty-window.png"), true);
    console->StopModule();
}

QWidget* Shooter::OpenHistory(TConsoleForm& console) {
    auto* link = qobject_cast<QLabel*>(Child(console.SuspectsWindow(), "lblShowHistorySuspects"));
    if (!link)
        Fail(QStringLiteral("the history link is no label"));
    Q_EMIT link->linkActivated(QStringLiteral("#"));
    QWidget* history = nullptr;
    WaitUntil([&] { return (history = VisibleTopLevel({QStringLiteral("HistorySuspectsForm")})) != nullptr; },
              5000, QStringLiteral("the history window"));
    history->move(kConsolePosition + QPoint(120, 90));
    auto* grid = qobject_cast<QAbstractItemView*>(Child(history, "AdvStringGridSuspects"));
    const int all = console.Service()->Counts().all;
    // Every item but the hidden ones, forty rows every 400 ms.
    WaitUntil([&] { return grid->model()->rowCount() >= all - 2; }, kFillTimeoutMs,
              QStringLiteral("the history rows"));
    QTest::qWait(800);
    return history;
}

void Shooter::ClickGridRow(QWidget* history, int row) {
    auto* grid = qobject_cast<QAbstractItemView*>(Child(history, "AdvStringGridSuspects"));
    const QModelIndex index = grid->model()->index(row, 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    QTest::qWait(200);
}

QImage Shooter::OverConsole(TConsoleForm& console, QWidget* window, QWidget* dialog) {
    QRect area = console.geometry().united(window->geometry());
    if (dialog)
        area = area.united(dialog->geometry());
    QImage picture(area.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawPixmap(console.geometry().topLeft() - area.topLeft(), console.grab());
    painter.drawPixmap(window->geometry().topLeft() - area.topLeft(), window->grab());
    if (dialog)
        painter.drawPixmap(dialog->geometry().topLeft() - area.topLeft(), dialog->grab());
    return picture;
}

void Shooter::History() {
    auto console = StartConsole(QStringLiteral("history.sqlite"), true, kQuickServiceMs);
    WaitUntilFilled(*console);
    QWidget* history = OpenHistory(*console);
    ParkPointer();
    Save(OverConsole(*console, history), QStringLiteral("history.png"));

    // A row's actions: the selected row carries its buttons.
    ClickGridRow(history, 2);
    ParkPointer();
    QTest::qWait(200);
    Save(history->grab(), QStringLiteral("history-row-actions.png"));

    // The remove confirmation, answered "No".
    QTimer answer;
    answer.setInterval(50);
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
        QWidget* dialog = VisibleTopLevel({QStringLiteral("SuspectsActionForm")});
        if (!dialog)
            return;
        answer.stop();
        QTest::qWait(300);
        Save(OverConsole(*console, history, dialog), QStringLiteral("history-remove-confirmation.png"));
        QTest::mouseClick(Child(dialog, "BCancelar"), Qt::LeftButton);
    });
    answer.start();
    QTest::mouseClick(Child(history, "btnRemoveAction"), Qt::LeftButton);

    // A search: typed into the box as a user would.
    auto* search = qobject_cast<QLineEdit*>(Child(history, "EditSearch"));
    QTest::mouseClick(search, Qt::LeftButton);
    QTest::keyClicks(search, QStringLiteral("descargas"));
    QTest::qWait(400);
    ParkPointer();
    Save(history->grab(), QStringLiteral("history-search.png"));
    console->StopModule();
}

void Shooter::HistoryWaiting() {
    auto console = StartConsole(QStringLiteral("history-waiting.sqlite"), true, kQuickServiceMs);
    WaitUntilFilled(*console);
    QWidget* history = OpenHistory(*console);
    auto* grid = qobject_cast<QAbstractItemView*>(Child(history, "AdvStringGridSuspects"));
    // A redo (green row) asks nothing; the service is made slow first.
    int green = -1;
    for (int r = 0; r < grid->model()->rowCount() && green < 0; ++r)
        if (grid->model()->index(r, 0).data(Qt::BackgroundRole).value<QColor>() == QColor(0xC7, 0xE3, 0x9A))
            green = r;
    if (green < 0)
        Fail(QStringLiteral("no undone row in the history"));
    ClickGridRow(history, green);
    console->Service()->SetLatency(kSlowServiceMs);
    QTest::mouseClick(Child(history, "btnRedoAction"), Qt::LeftButton);
    QWidget* layer = Child(history, "pnlWaitingUnblock");
    WaitUntil([&] { return layer->isVisible(); }, 5000, QStringLiteral("the history's waiting layer"));
    QTest::qWait(500);
    Save(history->grab(), QStringLiteral("history-waiting.png"));
    WaitUntil([&] { return !layer->isVisible(); }, kSlowServiceMs + 5000, QStringLiteral("the redo reply"));
    console->StopModule();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Norvik Software"));
    QApplication::setApplicationName(QStringLiteral("zrun-console"));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        Fail(QStringLiteral("run under an X server with QT_QPA_PLATFORM=xcb (see the top of the source)"));
    // As the console does: without a desktop session files would all get the generic picture.
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));

    const QStringList args = QApplication::arguments();
    const QDir out(args.size() > 1 ? args.at(1) : QStringLiteral(ZRUN_SOURCE_DIR "/docs"));
    const QString review = args.size() > 2 ? args.at(2) : QString();
    if (!out.exists() || (!review.isEmpty() && !QDir().mkpath(review)))
        Fail(QStringLiteral("no folder %1").arg(out.path()));

    ParkPointer();
    Shooter shooter(out, review);
    shooter.ItemsAndDescription();
    shooter.WaitingLayer();
    shooter.EmptyState();
    shooter.Loading();
    shooter.FailedFetch();
    shooter.SpoofedName();
    shooter.History();
    shooter.HistoryWaiting();
    return 0;
}
