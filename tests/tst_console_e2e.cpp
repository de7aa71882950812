// The console with its embedded service loads the built module through its C entry points;
// what the window shows and what the service holds must agree.
#include "consoleform.h"
#include "consoleoptions.h"
#include "hostobjects.h"
#include "platform/messages.h"
#include "service/protectionservice.h"
#include "support/recordinghandler.h"
#include "support/servicewire.h"
#include "support/sqlbyhand.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {

ConsoleOptions Options(const QString& store, bool reseed) {
    ConsoleOptions o;
    o.storePath = store;
    o.reseed = reseed;
    o.latencyMs = 5;
    o.pageSize = 4; // several pages for the sample quarantine
    return o;
}

// The newest item of the sample quarantine: blocked, first in the carousel.
const std::array<std::uint8_t, 16> kNetpassId = {0x79, 0x52, 0x6f, 0xc1, 0xc3, 0x07, 0xba, 0xce,
                                                 0x7e, 0x2d, 0x12, 0x28, 0xf5, 0x8f, 0xd6, 0xa2};

using namespace sqlbyhand;

// Makes what a store path names: an address book, a file of no database, a file where the
// store's folder should be. Answers the path given to the console.
QString MakeStore(const QTemporaryDir& dir, const QString& setup, const QString& name) {
    const QString path = dir.filePath(name + QStringLiteral(".sqlite"));
    if (setup == "contacts") {
        RunSql(path, kContacts);
    } else if (setup == "garbage") {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(4096, 'x'));
    } else if (setup == "file in the way") {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write("not a folder");
        return dir.filePath(name + QStringLiteral("/quarantine.sqlite"));
    }
    return path;
}

// Sends one item action to a service, as another console would, and waits for its answer.
wire::Bytes ActOn(ProtectionService& service, std::uint32_t code, const std::array<std::uint8_t, 16>& id) {
    RecordingHandler handler;
    const wire::Bytes request = wire::ActionRequest(code, id);
    if (service.Submit(request.data(), std::uint32_t(request.size()), &handler) != 0 ||
        !handler.WaitForCall())
        return {};
    return handler.Bytes();
}

// What the console's translator answers for a key: the text, or nothing.
std::optional<QString> Answer(ConsoleTranslator& translator, const QString& key) {
    std::u16string buffer(512, u'\0');
    std::uint32_t capacity = std::uint32_t(buffer.size());
    std::uint32_t context = 0;
    if (translator.Query(&context, reinterpret_cast<const char16_t*>(key.utf16()), buffer.data(),
                         &capacity) != 1)
        return std::nullopt;
    return QString::fromStdU16String(buffer.substr(0, capacity - 1));
}

int CarouselCount(TConsoleForm& console) {
    QWidget* window = console.SuspectsWindow();
    QWidget* carousel = window ? window->findChild<QWidget*>(QStringLiteral("lwSuspects2")) : nullptr;
    return carousel ? carousel->property("count").toInt() : -1;
}

// The history window the suspects window's link opens, once it shows.
QWidget* OpenHistory(TConsoleForm& console) {
    auto* link = console.SuspectsWindow()->findChild<QLabel*>(QStringLiteral("lblShowHistorySuspects"));
    if (!link)
        return nullptr;
    // What a click on the link's text does.
    Q_EMIT link->linkActivated(QStringLiteral("#"));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("HistorySuspectsForm") && w->isVisible())
            return w;
    return nullptr;
}

QAbstractItemView* GridOf(QWidget* history) {
    return history->findChild<QAbstractItemView*>(QStringLiteral("AdvStringGridSuspects"));
}

bool IsUndoneRow(QAbstractItemView* grid, int row) {
    return grid->model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>() == QColor(0xC7, 0xE3, 0x9A);
}

int UndoneRows(QAbstractItemView* grid) {
    int undone = 0;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        undone += IsUndoneRow(grid, r) ? 1 : 0;
    return undone;
}

// The first data row whose undone state is the one asked for, or -1.
int FirstRow(QAbstractItemView* grid, bool undone) {
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        if (!grid->model()->index(r, 0).data(Qt::DisplayRole).toString().isEmpty() &&
            IsUndoneRow(grid, r) == undone)
            return r;
    return -1;
}

void ClickRow(QAbstractItemView* grid, int row) {
    const QModelIndex index = grid->model()->index(row, 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

// Answers the next confirmation with its accept button, from inside its modal loop.
class ConfirmationAnswer final {
public:
    ConfirmationAnswer() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != QLatin1String("SuspectsActionForm") || !w->isVisible())
                    continue;
                if (auto* accept = w->findChild<QAbstractButton*>(QStringLiteral("BAceptar"))) {
                    m_timer.stop();
                    answered = true;
                    QTest::mouseClick(accept, Qt::LeftButton);
                }
            }
        });
        m_timer.start();
    }
    bool answered = false;

private:
    QTimer m_timer;
};

// Answers the next message window with its button, from inside its modal loop, keeping what it said.
class MessageAnswer final {
public:
    MessageAnswer() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != QLatin1String("FormMessage") || !w->isVisible())
                    continue;
                auto* line = w->findChild<QWidget*>(QStringLiteral("LMessage1"));
                auto* button = w->findChild<QAbstractButton*>(QStringLiteral("BSoloAceptar"));
                if (!line || !button)
                    continue;
                m_timer.stop();
                text = line->property("HTMLText").toString();
                answered = true;
                QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        m_timer.start();
    }
    bool answered = false;
    QString text;

private:
    QTimer m_timer;
};

QProcessEnvironment WithoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

} // namespace

class TestConsoleEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void showsEveryBlockedItemOfTheService();
    void removingAnItemChangesBothSides();
    void theQuarantineOutlivesTheConsole();
    void speaksEnglishThroughItsCatalogue();
    void productNameIsText();
    void historyTexts_data();
    void historyTexts();
    void skinsTheWindowItIsAskedTo_data();
    void skinsTheWindowItIsAskedTo();
    void aModuleThatCannotLoadIsReported();
    void faultOptionIsChecked_data();
    void faultOptionIsChecked();
    void historyShowsUndoneAndDeletedItems();
    void historyUndoRedoAndRemoveChangeBothSides();

    // Two consoles on one store.
    void followsChangesByAnotherConsole();
    void anActionOnAGoneItemIsReported();

    // Why the console cannot go on, and its status line.
    void storeErrorsAreSentences_data();
    void storeErrorsAreSentences();
    void aLongMessageNeverWidensTheWindow();
    void refusesAStoreItCannotUse_data();
    void refusesAStoreItCannotUse();
    void statusLineNamesTheFault_data();
    void statusLineNamesTheFault();

    // The command line without a display.
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();

private:
    QTemporaryDir m_dir;
};

void TestConsoleEndToEnd::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void TestConsoleEndToEnd::showsEveryBlockedItemOfTheService() {
    TConsoleForm console(Options(m_dir.filePath(QStringLiteral("all.sqlite")), true));
    console.show();
    QVERIFY2(console.StartModule(), qPrintable(console.LastError()));
    QVERIFY(console.Service());
    const int blocked = console.Service()->BlockedCount();
    QVERIFY(blocked > 8); // the sample quarantine, in several pages of four
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), blocked, 20000);
    auto* status = console.findChild<QWidget*>(QStringLiteral("lblServiceStatus"));
    QVERIFY(status->property("text").toString().contains(QString::number(blocked)));
}

void TestConsoleEndToEnd::removingAnItemChangesBothSides() {
    TConsoleForm console(Options(m_dir.filePath(QStringLiteral("remove.sqlite")), true));
    console.show();
    QVERIFY(console.StartModule());
    const int before = console.Service()->BlockedCount();
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before, 20000);
    auto* remove = console.SuspectsWindow()->findChild<QAbstractButton*>(QStringLiteral("btnRemove"));
    QVERIFY(remove && remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before - 1, 20000);
    QTRY_COMPARE(console.Service()->BlockedCount(), before - 1);
}

void TestConsoleEndToEnd::theQuarantineOutlivesTheConsole() {
    const QString store = m_dir.filePath(QStringLiteral("persist.sqlite"));
    int left = 0;
    {
        TConsoleForm console(Options(store, true));
        console.show();
        QVERIFY(console.StartModule());
        const int before = console.Service()->BlockedCount();
        QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before, 20000);
        QTest::mouseClick(console.SuspectsWindow()->findChild<QAbstractButton*>(QStringLiteral("btnRemove")),
                          Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(console.Service()->BlockedCount(), before - 1, 20000);
        left = before - 1;
        console.close();
    }
    TConsoleForm again(Options(store, false));
    again.show();
    QVERIFY(again.StartModule());
    QCOMPARE(again.Service()->BlockedCount(), left);
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(again), left, 20000);
}

void TestConsoleEndToEnd::speaksEnglishThroughItsCatalogue() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("english.sqlite")), true);
    options.language = QStringLiteral("en");
    TConsoleForm console(options);
    console.show();
    QVERIFY(console.StartModule());
    QTRY_VERIFY_WITH_TIMEOUT(CarouselCount(console) > 0, 20000);
    QWidget* window = console.SuspectsWindow();
    QCOMPARE(window->findChild<QWidget*>(QStringLiteral("lblStatus"))->property("text").toString(),
             QStringLiteral("Recycle bin"));
    QCOMPARE(window->findChild<QAbstractButton*>(QStringLiteral("btnRemove"))->text(),
             QStringLiteral("Remove it"));
    QVERIFY(window->findChild<QWidget*>(QStringLiteral("lblInformation1"))
                ->property("HTMLText")
                .toString()
                .contains(QStringLiteral("Why did we block it?")));
    // Every text the window asked for so far has its English.
    QVERIFY2(console.Translator().Misses().isEmpty(), qPrintable(console.Translator().Misses().join(u'|')));
}

void TestConsoleEndToEnd::productNameIsText() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("markup.sqlite")), true);
    options.productName = QStringLiteral("A<b>B</b><img src=\"/etc/x.png\">");
    TConsoleForm console(options);
    auto* title = console.findChild<QLabel*>(QStringLiteral("lblProductName"));
    QVERIFY(title);
    QCOMPARE(title->text(), options.productName);
    QCOMPARE(title->textFormat(), Qt::PlainText);
}

void TestConsoleEndToEnd::historyTexts_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("answer"); // empty: the key is not answered

    // The history window and its confirmations ask for these keys, exactly as they are written.
    const char* const historyKeys[] = {
        "Historial de acciones",
        "Buscar:",
        "Acción",
        "Ubicación",
        "Fecha/Hora",
        "No hay acciones",
        "Escribe aquí la palabra a buscar",
        "Recuperando información desde Internet...",
        "Nombre desconocido",
        "Mostrar detalles",
        "Deshacer acción",
        "Rehacer acción",
        "Eliminar acción",
        "Deshaciendo acción...",
        "Rehaciendo acción...",
        "Archivo sospechoso neutralizado",
        "%s eliminado/a:",
        "%s neutralizado/a:",
        "%s \"%s\" en el archivo %s.",
        "Vas a eliminar definitivamente la acción:",
        "<B>Está acción no se podrá deshacer</B>. Los archivos a los que hace referencia se eliminarán y ya "
        "no "
        "se podrán recuperar.",
        "¿Deseas continuar?",
        "Vas a deshacer la acción:",
        "<B>%s recomienda no deshacer esta acción</B> ya que podría resultar muy perjudicial para el "
        "funcionamiento de tu PC y la integridad de tus archivos.",
        "¿Deseas ignorar la recomendación y continuar?",
        "Sí, deseo continuar",
        "No",
    };
    for (const char* key : historyKeys)
        QTest::newRow(key) << "en" << QString::fromUtf8(key) << "*";
    QTest::newRow("en: a placeholder keeps its place") << "en"
                                                       << "%s \"%s\" en el archivo %s."
                                                       << "%s \"%s\" in the file %s.";
    QTest::newRow("en: the undo warning")
        << "en"
        << "<B>%s recomienda no deshacer esta acción</B> ya que podría "
           "resultar muy perjudicial para el funcionamiento de tu PC y la "
           "integridad de tus archivos."
        << "<B>%s recommends not undoing this action</B>: it could seriously "
           "harm your PC and the integrity of your files.";

    // The item types have keys of their own, answered in both languages.
    const char* const types[][3] = {
        {"TYPE_201", "Adware application", "Aplicación publicitaria"},
        {"TYPE_202", "Toolbar", "Barra de herramientas"},
        {"TYPE_203", "Network administration tool", "Herramienta de administración de red"},
        {"TYPE_204", "Potentially unwanted program", "Programa posiblemente no deseado"},
        {"TYPE_205", "Spyware", "Programa espía"},
        {"TYPE_206", "Remote access tool", "Herramienta de acceso remoto"},
    };
    for (const auto& t : types) {
        QTest::addRow("en: %s", t[0]) << "en" << t[0] << QString::fromUtf8(t[1]);
        QTest::addRow("es: %s", t[0]) << "es" << t[0] << QString::fromUtf8(t[2]);
    }
    QTest::newRow("es: a type the console has no name for") << "es"
                                                            << "TYPE_299"
                                                            << "";
    QTest::newRow("es: other texts pass through") << "es"
                                                  << "Historial de acciones"
                                                  << "";
    QTest::newRow("en: a key of no window") << "en"
                                            << "Historial de las acciones"
                                            << "";
}

void TestConsoleEndToEnd::historyTexts() {
    QFETCH(QString, language);
    QFETCH(QString, key);
    QFETCH(QString, answer);

    ConsoleTranslator translator(language);
    const std::optional<QString> text = Answer(translator, key);
    if (answer.isEmpty()) {
        QVERIFY(!text);
        QCOMPARE(translator.Misses().contains(key), language == "en");
    } else if (answer == "*") {
        QVERIFY2(text, qPrintable(key));
        QVERIFY(!text->isEmpty());
        if (key != "No")
            QVERIFY(*text != key);
    } else {
        QCOMPARE(text.value_or(QString()), answer);
    }
}

void TestConsoleEndToEnd::skinsTheWindowItIsAskedTo_data() {
    QTest::addColumn<QString>("named"); // how the message names the window
    QTest::addColumn<int>("posts");
    QTest::addColumn<bool>("skinned");

    QTest::newRow("a live top-level window, by its handle") << "handle" << 1 << true;
    QTest::newRow("asked twice, the title gets the product once") << "handle" << 2 << true;
    QTest::newRow("a window closed before the message arrived") << "closed" << 1 << false;
    QTest::newRow("a control inside a window") << "child" << 1 << false;
    QTest::newRow("an address instead of a handle") << "address" << 1 << false;
    QTest::newRow("no window") << "zero" << 1 << false;
    QTest::newRow("the console itself") << "console" << 1 << false;
}

void TestConsoleEndToEnd::skinsTheWindowItIsAskedTo() {
    QFETCH(QString, named);
    QFETCH(int, posts);
    QFETCH(bool, skinned);

    TConsoleForm console(Options(m_dir.filePath(QStringLiteral("skin.sqlite")), true));
    QPixmap red(16, 16);
    red.fill(Qt::red);
    console.setWindowIcon(QIcon(red));
    const QString consoleTitle = console.windowTitle();

    auto* history = new QWidget;
    history->setObjectName(QStringLiteral("HistorySuspectsForm"));
    history->setWindowTitle(QStringLiteral("Historial de acciones"));
    auto* child = new QWidget(history);
    std::intptr_t lParam = 0;
    if (named == "handle" || named == "closed")
        lParam = std::intptr_t(platform::HandleOf(history));
    else if (named == "child")
        lParam = std::intptr_t(platform::HandleOf(child));
    else if (named == "address")
        lParam = reinterpret_cast<std::intptr_t>(history);
    else if (named == "console")
        lParam = std::intptr_t(platform::HandleOf(&console));
    QPointer<QWidget> watched(history);
    if (named == "closed")
        delete history;

    const std::uint32_t skinForm = platform::RegisterWindowMessage(u"WM_SKINFORM");
    for (int i = 0; i < posts; ++i)
        QVERIFY(platform::PostMessage(platform::HandleOf(&console), skinForm, 0, lParam));
    QCoreApplication::sendPostedEvents(&console);

    QCOMPARE(console.windowTitle(), consoleTitle);
    if (named == "closed") {
        QVERIFY(watched.isNull());
        return;
    }
    QCOMPARE(history->windowIcon().cacheKey() == console.windowIcon().cacheKey(), skinned);
    QCOMPARE(history->windowTitle(), skinned ? QStringLiteral("Historial de acciones - ZRUN Antimalware")
                                             : QStringLiteral("Historial de acciones"));
    QCOMPARE(history->property("ConsoleSkin").isValid(), skinned);
    QVERIFY(!child->property("ConsoleSkin").isValid());
    delete history;
}

void TestConsoleEndToEnd::aModuleThatCannotLoadIsReported() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("none.sqlite")), true);
    options.modulePath = m_dir.filePath(QStringLiteral("NoSuchModule.so"));
    TConsoleForm console(options);
    QVERIFY(!console.StartModule());
    QVERIFY(!console.LastError().isEmpty());
    QVERIFY(console.SuspectsWindow() == nullptr);
}

void TestConsoleEndToEnd::faultOptionIsChecked_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("a code") << "error:-1100" << true;
    QTest::newRow("a code in hex") << "error:0xDF000006" << true;
    QTest::newRow("no number") << "error:abc" << false;
    QTest::newRow("nothing after the colon") << "error:" << false;
    QTest::newRow("wider than the word") << "error:0x1FFFFFFFF" << false;
    QTest::newRow("unknown fault") << "slow" << false;
}

void TestConsoleEndToEnd::faultOptionIsChecked() {
    QFETCH(QString, fault);
    QFETCH(bool, accepted);
    QProcess console;
    console.start(QStringLiteral(ZRUN_BIN_DIR "/zrun-console"),
                  {QStringLiteral("--store"), m_dir.filePath(QStringLiteral("fault.sqlite")),
                   QStringLiteral("--fault"), fault, QStringLiteral("--quit-after"), QStringLiteral("0")});
    QVERIFY(console.waitForFinished(60000));
    QCOMPARE(console.exitCode() == 0, accepted);
    if (!accepted)
        QVERIFY(console.readAllStandardError().contains("--fault"));
}

void TestConsoleEndToEnd::historyShowsUndoneAndDeletedItems() {
    TConsoleForm console(Options(m_dir.filePath(QStringLiteral("history.sqlite")), true));
    console.show();
    QVERIFY(console.StartModule());
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), console.Service()->BlockedCount(), 20000);
    QWidget* history = OpenHistory(console);
    QVERIFY(history);
    QAbstractItemView* grid = GridOf(history);
    QVERIFY(grid);
    const QuarantineCounts counts = console.Service()->Counts();
    // Every item but the hidden ones, blocked, undone and deleted, in batches of forty.
    QTRY_VERIFY_WITH_TIMEOUT(grid->model()->rowCount() >= counts.shown + counts.undone + counts.deleted - 1,
                             20000);
    QVERIFY(grid->model()->rowCount() <= counts.all);
    QTRY_COMPARE_WITH_TIMEOUT(UndoneRows(grid), counts.undone, 20000);
    bool deletedText = false;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        deletedText |= grid->model()->index(r, 0).data().toString().contains(QStringLiteral("eliminado/a"));
    QVERIFY(deletedText);
}

void TestConsoleEndToEnd::historyUndoRedoAndRemoveChangeBothSides() {
    TConsoleForm console(Options(m_dir.filePath(QStringLiteral("history-actions.sqlite")), true));
    console.show();
    QVERIFY(console.StartModule());
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), console.Service()->BlockedCount(), 20000);
    QWidget* history = OpenHistory(console);
    QVERIFY(history);
    QAbstractItemView* grid = GridOf(history);
    const QuarantineCounts before = console.Service()->Counts();
    QTRY_COMPARE_WITH_TIMEOUT(UndoneRows(grid), before.undone, 20000);
    QTest::qWait(500); // the last batch of the fill

    // Undo: confirmed, the service restores the item and the row turns green.
    int row = FirstRow(grid, false);
    QVERIFY(row >= 0);
    ClickRow(grid, row);
    auto* undo = history->findChild<QAbstractButton*>(QStringLiteral("btnUndoAction"));
    QVERIFY(undo && undo->isVisible());
    {
        ConfirmationAnswer answer;
        QTest::mouseClick(undo, Qt::LeftButton);
        QTRY_VERIFY(answer.answered);
    }
    QTRY_COMPARE_WITH_TIMEOUT(console.Service()->Counts().undone, before.undone + 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(UndoneRows(grid), before.undone + 1, 20000);

    // Redo: no question; the row is no longer green.
    QTest::qWait(500);
    row = FirstRow(grid, true);
    QVERIFY(row >= 0);
    ClickRow(grid, row);
    auto* redo = history->findChild<QAbstractButton*>(QStringLiteral("btnRedoAction"));
    QVERIFY(redo && redo->isVisible());
    QTest::mouseClick(redo, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(console.Service()->Counts().undone, before.undone, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(UndoneRows(grid), before.undone, 20000);

    // Remove: confirmed, the entry leaves the service and the grid.
    QTest::qWait(500);
    const int rows = grid->model()->rowCount();
    ClickRow(grid, 1);
    auto* remove = history->findChild<QAbstractButton*>(QStringLiteral("btnRemoveAction"));
    QVERIFY(remove && remove->isVisible());
    {
        ConfirmationAnswer answer;
        QTest::mouseClick(remove, Qt::LeftButton);
        QTRY_VERIFY(answer.answered);
    }
    QTRY_COMPARE_WITH_TIMEOUT(console.Service()->Counts().all, before.all - 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(grid->model()->rowCount(), rows - 1, 20000);
}

void TestConsoleEndToEnd::followsChangesByAnotherConsole() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("shared.sqlite")), true);
    options.watchMs = 0; // looks when the test says
    TConsoleForm console(options);
    console.show();
    QVERIFY(console.StartModule());
    const int before = console.Service()->BlockedCount();
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before, 20000);
    QVERIFY(console.StatusText().contains(QString::number(before)));

    ServiceSettings settings;
    settings.storePath = options.storePath;
    settings.latencyMs = 0;
    settings.watchMs = 0;
    ProtectionService other(settings);
    QVERIFY(other.Open(nullptr));
    QVERIFY(ActOn(other, 4, kNetpassId) == wire::StatusReply(0));

    QVERIFY(console.Service()->CheckStoreNow());
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before - 1, 20000);
    QCOMPARE(console.Service()->BlockedCount(), before - 1);
    QTRY_VERIFY(console.StatusText().contains(QString::number(before - 1)));
}

void TestConsoleEndToEnd::anActionOnAGoneItemIsReported() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("gone.sqlite")), true);
    options.watchMs = 0; // the console has not seen the other's change when it acts
    TConsoleForm console(options);
    console.show();
    QVERIFY(console.StartModule());
    const int before = console.Service()->BlockedCount();
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), before, 20000);

    // Another console removes every blocked item, the one this console has selected too.
    ServiceSettings settings;
    settings.storePath = options.storePath;
    settings.latencyMs = 0;
    settings.watchMs = 0;
    ProtectionService other(settings);
    QVERIFY(other.Open(nullptr));
    QVERIFY(ActOn(other, 7, {}) == wire::StatusReply(0));

    MessageAnswer answer;
    QTest::mouseClick(console.SuspectsWindow()->findChild<QAbstractButton*>(QStringLiteral("btnRemove")),
                      Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(answer.answered, 20000);
    QVERIFY2(answer.text.contains(QStringLiteral("Código 5")), qPrintable(answer.text));
    // The list is fetched again: what the other removed is gone here too.
    QTRY_COMPARE_WITH_TIMEOUT(CarouselCount(console), 0, 20000);
    QCOMPARE(console.Service()->BlockedCount(), 0);
    QTRY_VERIFY(console.StatusText().endsWith(QString::fromUtf8("ningún elemento bloqueado")));
}

void TestConsoleEndToEnd::storeErrorsAreSentences_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("text"); // %1: the path named
    QTest::addColumn<bool>("folder");  // the path named is the store's folder

    const char* const contactsEs =
        "La base de datos %1 no es un almacén de cuarentena de la consola: no se ha modificado.";
    const char* const contactsEn =
        "The database %1 is not a quarantine store of the console: it has been left unchanged.";
    QTest::newRow("es: an address book") << "es"
                                         << "contacts" << QString::fromUtf8(contactsEs) << false;
    QTest::newRow("en: an address book") << "en"
                                         << "contacts" << QString::fromUtf8(contactsEn) << false;
    QTest::newRow("es: no database")
        << "es"
        << "garbage"
        << QString::fromUtf8(
               "El archivo %1 no es una base de datos SQLite: no se usa como almacén de cuarentena.")
        << false;
    QTest::newRow("en: no database")
        << "en"
        << "garbage"
        << "The file %1 is not an SQLite database: it is not used as the quarantine store." << false;
    QTest::newRow("es: a file where the folder should be")
        << "es"
        << "file in the way"
        << QString::fromUtf8("No se puede crear la carpeta %1 para el almacén de cuarentena.") << true;
    QTest::newRow("en: a file where the folder should be")
        << "en"
        << "file in the way"
        << "The folder %1 for the quarantine store cannot be created." << true;
}

void TestConsoleEndToEnd::storeErrorsAreSentences() {
    QFETCH(QString, language);
    QFETCH(QString, setup);
    QFETCH(QString, text);
    QFETCH(bool, folder);

    const QString store = MakeStore(
        m_dir, setup,
        QStringLiteral("sentence-%1-%2").arg(language, QTest::currentDataTag()).remove(' ').remove(':'));
    ConsoleOptions options = Options(store, false);
    options.language = language;
    TConsoleForm console(options);
    console.show();
    QVERIFY(!console.StartModule());
    QVERIFY(console.Service() == nullptr);
    QVERIFY(console.SuspectsWindow() == nullptr);
    const QString named = folder ? QFileInfo(store).absolutePath() : QFileInfo(store).absoluteFilePath();
    QCOMPARE(console.StatusText(), text.arg(named));
    QCOMPARE(console.LastError(), text.arg(named));
    // The driver's own words stay out of the sentence.
    if (!console.LastErrorDetail().isEmpty())
        QVERIFY(!console.StatusText().contains(console.LastErrorDetail()));
    QVERIFY2(console.Translator().Misses().isEmpty(), qPrintable(console.Translator().Misses().join(u'|')));
}

void TestConsoleEndToEnd::aLongMessageNeverWidensTheWindow() {
    QString folder = QStringLiteral("a-folder-with-a-rather-long-name-for-a-quarantine-store");
    folder = folder + '/' + folder + '/' + folder;
    QVERIFY(QDir(m_dir.path()).mkpath(folder));
    const QString store = MakeStore(m_dir, "contacts", folder + QStringLiteral("/wide"));
    TConsoleForm console(Options(store, false));
    console.show();
    const QSize size = console.size();
    QVERIFY(!console.StartModule());
    QCoreApplication::processEvents();

    QCOMPARE(console.size(), size);
    auto* status = console.findChild<QLabel*>(QStringLiteral("lblServiceStatus"));
    QVERIFY(status);
    QVERIFY(console.StatusText().contains(QFileInfo(store).absoluteFilePath()));
    QVERIFY(status->geometry().right() < console.width());
    // The line shows what fits, shortened, and the whole text in its tooltip.
    QVERIFY(status->text() != console.StatusText());
    QVERIFY2(status->text().endsWith(QChar(0x2026)), qPrintable(status->text()));
    QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) <= status->contentsRect().width());
    QCOMPARE(status->toolTip(), console.StatusText());
    // The layout asks for no more room than the window has.
    QVERIFY(console.centralWidget()->minimumSizeHint().width() <= console.width());
}

void TestConsoleEndToEnd::refusesAStoreItCannotUse_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text"); // %1: the path named

    QTest::newRow("an address book")
        << "contacts"
        << "es"
        << QString::fromUtf8(
               "La base de datos %1 no es un almacén de cuarentena de la consola: no se ha modificado.");
    QTest::newRow("an address book, in English")
        << "contacts"
        << "en"
        << "The database %1 is not a quarantine store of the console: it has been left unchanged.";
    QTest::newRow("a file that is no database")
        << "garbage"
        << "en"
        << "The file %1 is not an SQLite database: it is not used as the quarantine store.";
    QTest::newRow("a folder that cannot be made")
        << "file in the way"
        << "en"
        << "The folder %1 for the quarantine store cannot be created.";
}

void TestConsoleEndToEnd::refusesAStoreItCannotUse() {
    QFETCH(QString, setup);
    QFETCH(QString, language);
    QFETCH(QString, text);

    const QString store = MakeStore(
        m_dir, setup, QStringLiteral("refused-%1").arg(QTest::currentDataTag()).remove(' ').remove(','));
    const QByteArray before = FileBytes(store);
    QProcess console;
    console.start(QStringLiteral(ZRUN_BIN_DIR "/zrun-console"),
                  {QStringLiteral("--store"), store, QStringLiteral("--language"), language,
                   QStringLiteral("--quit-after"), QStringLiteral("0")});
    QVERIFY(console.waitForFinished(60000));
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QVERIFY(console.exitCode() != 0);
    const QString named =
        setup == "file in the way" ? QFileInfo(store).absolutePath() : QFileInfo(store).absoluteFilePath();
    const QStringList lines = QString::fromLocal8Bit(console.readAllStandardError()).split('\n');
    QVERIFY2(lines.contains(QStringLiteral("zrun-console: ") + text.arg(named)),
             qPrintable(lines.join('\n')));
    if (setup == "file in the way")
        return;
    QVERIFY(FileBytes(store) == before);
    if (setup == "contacts") {
        int contacts = -1;
        int tables = -1;
        QVERIFY(RunSql(store, {"SELECT COUNT(*) FROM contacts"}, &contacts));
        QVERIFY(RunSql(store, {"SELECT COUNT(*) FROM sqlite_master"}, &tables));
        QCOMPARE(contacts, 2);
        QCOMPARE(tables, 1);
    }
}

void TestConsoleEndToEnd::statusLineNamesTheFault_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("text");

    QTest::newRow("es, no fault") << "es"
                                  << "" << QString::fromUtf8("Protección activa · 14 elementos bloqueados");
    QTest::newRow("es, no names")
        << "es"
        << "no-names"
        << QString::fromUtf8("Protección activa · 14 elementos bloqueados · fallo simulado: no-names");
    QTest::newRow("en, no fault") << "en"
                                  << "" << QString::fromUtf8("Protection on · 14 blocked items");
    QTest::newRow("en, no names") << "en"
                                  << "no-names"
                                  << QString::fromUtf8(
                                         "Protection on · 14 blocked items · simulated fault: no-names");
    QTest::newRow("en, actions refused")
        << "en"
        << "refuse" << QString::fromUtf8("Protection on · 14 blocked items · simulated fault: refuse");
}

void TestConsoleEndToEnd::statusLineNamesTheFault() {
    QFETCH(QString, language);
    QFETCH(QString, fault);
    QFETCH(QString, text);

    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("status.sqlite")), true);
    options.language = language;
    options.fault = fault;
    TConsoleForm console(options);
    console.show();
    QVERIFY(console.StartModule());
    QCOMPARE(console.StatusText(), text);
    QCOMPARE(console.findChild<QLabel*>(QStringLiteral("lblServiceStatus"))->text(), text);
    QVERIFY2(console.Translator().Misses().isEmpty(), qPrintable(console.Translator().Misses().join(u'|')));
}

void TestConsoleEndToEnd::answersWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("out"); // expected in standard output
    QTest::addColumn<QString>("err"); // expected in standard error

    QTest::newRow("help") << QStringList{"--help"} << true << "--store <path>"
                          << "";
    QTest::newRow("help, short") << QStringList{"-h"} << true << "Usage: zrun-console"
                                 << "";
    QTest::newRow("help after an option of Qt's")
        << QStringList{"-platform", "xcb", "--help"} << true << "--language <code>"
        << "";
    QTest::newRow("version") << QStringList{"--version"} << true << "zrun-console"
                             << "";
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << false << ""
                                       << "Unknown option 'bogus'";
    QTest::newRow("a value out of range") << QStringList{"--page-size", "0"} << false << ""
                                          << "--page-size";
    QTest::newRow("an unknown language") << QStringList{"--language", "fr"} << false << ""
                                         << "--language";
    QTest::newRow("a fault with no number") << QStringList{"--fault", "error:abc"} << false << ""
                                            << "--fault";
}

void TestConsoleEndToEnd::answersWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, succeeds);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess console;
    console.setProcessEnvironment(WithoutDisplay());
    console.start(QStringLiteral(ZRUN_BIN_DIR "/zrun-console"), arguments);
    QVERIFY(console.waitForFinished(60000));
    const QString standardOutput = QString::fromLocal8Bit(console.readAllStandardOutput());
    const QString standardError = QString::fromLocal8Bit(console.readAllStandardError());
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QVERIFY2((console.exitCode() == 0) == succeeds, qPrintable(standardError));
    QVERIFY2(standardOutput.contains(out), qPrintable(standardOutput));
    QVERIFY2(standardError.contains(err), qPrintable(standardError));
}

QTEST_MAIN(TestConsoleEndToEnd)
#include "tst_console_e2e.moc"
