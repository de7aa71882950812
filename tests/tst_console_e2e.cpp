// The console with its embedded service loads the built module through its C entry points;
// what the window shows and what the service holds must agree.
#include "consoleform.h"
#include "consoleoptions.h"
#include "service/protectionservice.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

ConsoleOptions Options(const QString& store, bool reseed) {
    ConsoleOptions o;
    o.storePath = store;
    o.reseed = reseed;
    o.latencyMs = 5;
    o.pageSize = 4; // several pages for the sample quarantine
    return o;
}

int CarouselCount(TConsoleForm& console) {
    QWidget* window = console.SuspectsWindow();
    QWidget* carousel = window ? window->findChild<QWidget*>(QStringLiteral("lwSuspects2")) : nullptr;
    return carousel ? carousel->property("count").toInt() : -1;
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
    void aModuleThatCannotLoadIsReported();

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

void TestConsoleEndToEnd::aModuleThatCannotLoadIsReported() {
    ConsoleOptions options = Options(m_dir.filePath(QStringLiteral("none.sqlite")), true);
    options.modulePath = m_dir.filePath(QStringLiteral("NoSuchModule.so"));
    TConsoleForm console(options);
    QVERIFY(!console.StartModule());
    QVERIFY(!console.LastError().isEmpty());
    QVERIFY(console.SuspectsWindow() == nullptr);
}

QTEST_MAIN(TestConsoleEndToEnd)
#include "tst_console_e2e.moc"
