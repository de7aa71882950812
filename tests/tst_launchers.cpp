// Opening the product's pages through the utilities library, found through the machine setting.
#include "support/paths.h"

#include <QDesktopServices>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// Takes the pages the desktop would open.
class PageCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TestLaunchers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void opinionPageCarriesTheValue();
    void detectionPageCarriesBothValues();
    void addressesComeFromTheSettings();
    void withoutTheInstallFolderNothingOpens();
    void folders();
    void libraryPaths_data();
    void libraryPaths();

private:
    void SetInstallFolder(const QString& folder);

    QTemporaryDir m_settings;
    PageCatcher m_catcher;
};

void TestLaunchers::initTestCase() {
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       m_settings.filePath(QStringLiteral("machine")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_settings.filePath(QStringLiteral("user")));
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_catcher, "open");
}

void TestLaunchers::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestLaunchers::init() {
    m_catcher.opened.clear();
    QSettings user(QSettings::UserScope, QStringLiteral("Norvik Software"), QStringLiteral("ZRUNUtils"));
    user.clear();
    user.sync();
    SetInstallFolder(QStringLiteral(ZRUN_BIN_DIR));
}

void TestLaunchers::SetInstallFolder(const QString& folder) {
    QSettings machine(QSettings::SystemScope, QStringLiteral("Norvik Software"), QStringLiteral("Setup"));
    if (folder.isEmpty())
        machine.remove(QStringLiteral("Path"));
    else
        machine.setValue(QStringLiteral("Path"), folder);
    machine.sync();
}

void TestLaunchers::opinionPageCarriesTheValue() {
    LaunchYourOpinion(5);
    QCOMPARE(m_catcher.opened.size(), 1);
    QCOMPARE(m_catcher.opened.at(0).host(), QStringLiteral("www.norviksoftware.com"));
    QVERIFY(m_catcher.opened.at(0).query().contains(QStringLiteral("context=5")));
}

void TestLaunchers::detectionPageCarriesBothValues() {
    LaunchDetectionInfo(7, 12345);
    QCOMPARE(m_catcher.opened.size(), 1);
    const QString query = m_catcher.opened.at(0).query();
    QVERIFY(query.contains(QStringLiteral("detection=12345")));
    QVERIFY(query.contains(QStringLiteral("context=7")));
}

void TestLaunchers::addressesComeFromTheSettings() {
    QSettings user(QSettings::UserScope, QStringLiteral("Norvik Software"), QStringLiteral("ZRUNUtils"));
    user.setValue(QStringLiteral("MalwareInfoUrl"),
                  QStringLiteral("https://support.example.org/info/%2?c=%1"));
    user.sync();
    LaunchDetectionInfo(3, 42);
    QCOMPARE(m_catcher.opened.size(), 1);
    QCOMPARE(m_catcher.opened.at(0), QUrl(QStringLiteral("https://support.example.org/info/42?c=3")));
}

void TestLaunchers::withoutTheInstallFolderNothingOpens() {
    SetInstallFolder(QString());
    QVERIFY(InstallFolder().isEmpty());
    LaunchYourOpinion(1);
    LaunchDetectionInfo(1, 2);
    QVERIFY(m_catcher.opened.isEmpty());
}

void TestLaunchers::folders() {
    QCOMPARE(InstallFolder(), QStringLiteral(ZRUN_BIN_DIR));
    // The tests link the module's code into themselves: its folder is theirs.
    QCOMPARE(ModuleFolder(), QCoreApplication::applicationDirPath());
}

void TestLaunchers::libraryPaths_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a folder") << QStringLiteral("/opt/zrun") << QStringLiteral("/opt/zrun/ZRUNUtils.so");
    // Otherwise "/ZRUNUtils.so": a library at the file system root.
    QTest::newRow("empty folder: no path") << QStringLiteral("") << QString();
    QTest::newRow("no folder: no path") << QString() << QString();
}

void TestLaunchers::libraryPaths() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(ProductLibraryPath(folder, QStringLiteral("ZRUNUtils.dll")), expected);
}

QTEST_MAIN(TestLaunchers)
#include "tst_launchers.moc"
