// System path forms turned into ordinary paths.
#include "support/systempath.h"

#include <QString>
#include <QTest>

namespace {

QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// Lets each test set the environment it needs and puts the original back.
class SystemRootScope {
public:
    SystemRootScope() : m_had(qEnvironmentVariableIsSet("SystemRoot")), m_value(qgetenv("SystemRoot")) {}
    ~SystemRootScope() {
        if (m_had)
            qputenv("SystemRoot", m_value);
        else
            qunsetenv("SystemRoot");
    }

private:
    bool m_had;
    QByteArray m_value;
};

} // namespace

class TestCoreSystemPath : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { qputenv("SystemRoot", "D:\\Win"); }
    void expand_data();
    void expand();
    void kernelAndWin32FormsAgree_data();
    void kernelAndWin32FormsAgree();
    void windowsFolder_data();
    void windowsFolder();
    void windowsFolderRoomIs260Units();
    void currentDrive();

private:
    SystemRootScope m_scope;
};

void TestCoreSystemPath::expand_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<QString>("expected");
    // Every form, in the order they are tested.
    QTest::newRow("\\\\?\\UNC\\ share")
        << R"(\\?\UNC\server\share\f.txt)" << true << R"(\\server\share\f.txt)";
    QTest::newRow("\\\\?\\unc\\ in small letters") << R"(\\?\unc\server\f)" << true << R"(\\server\f)";
    QTest::newRow("\\\\?\\ drive path") << R"(\\?\C:\dir\f.txt)" << true << R"(C:\dir\f.txt)";
    QTest::newRow("\\\\?\\UNC without its backslash") << R"(\\?\UNCX\f)" << true << R"(UNCX\f)";
    QTest::newRow("\\\\?\\ alone") << R"(\\?\)" << true << QString();
    QTest::newRow("\\\\? and another character") << R"(\\?x\f)" << false << QString();
    QTest::newRow("\\\\.\\ device path") << R"(\\.\C:\f)" << true << R"(C:\f)";
    QTest::newRow("\\\\. and another character") << R"(\\.pipe\x)" << false << QString();
    QTest::newRow("\\\\ share path unchanged") << R"(\\server\share\f)" << true << R"(\\server\share\f)";
    QTest::newRow("\\\\? with nothing after it") << R"(\\?)" << true << R"(\\?)";
    QTest::newRow("\\??\\UNC\\ share") << R"(\??\UNC\server\share\f)" << true << R"(\\server\share\f)";
    QTest::newRow("\\??\\ drive path") << R"(\??\C:\dir\f)" << true << R"(C:\dir\f)";
    QTest::newRow("\\? and another character") << R"(\?x\f)" << false << QString();
    QTest::newRow("\\?? without its backslash") << R"(\??)" << false << QString();
    QTest::newRow("\\SystemRoot") << R"(\SystemRoot\System32\drivers\x.sys)" << true
                                  << R"(D:\Win\System32\drivers\x.sys)";
    QTest::newRow("\\systemroot in small letters") << R"(\systemroot\x.dll)" << true << R"(D:\Win\x.dll)";
    QTest::newRow("folder of the current drive")
        << R"(\Program Files\app.exe)" << true << R"(C:\Program Files\app.exe)";
    QTest::newRow("System32 relative path") << R"(System32\x.dll)" << true << R"(D:\Win\System32\x.dll)";
    QTest::newRow("sYSTEM32 in mixed letters")
        << R"(sYSTEM32\drivers\y.sys)" << true << R"(D:\Win\sYSTEM32\drivers\y.sys)";
    QTest::newRow("drive path unchanged") << R"(C:\dir\f.exe)" << true << R"(C:\dir\f.exe)";
    QTest::newRow("bare file name unchanged") << "f.exe" << true << "f.exe";
    QTest::newRow("empty path unchanged") << QString() << true << QString();
}

void TestCoreSystemPath::expand() {
    QFETCH(QString, path);
    QFETCH(bool, converted);
    QFETCH(QString, expected);
    const std::optional<std::u16string> result = ExpandSystemPath(path.toStdU16String());
    QCOMPARE(result.has_value(), converted);
    if (result)
        QCOMPARE(Q(*result), expected);
    QCOMPARE(Q(ExpandSystemPathString(path.toStdU16String())), expected);
}

void TestCoreSystemPath::kernelAndWin32FormsAgree_data() {
    QTest::addColumn<QString>("kernel");
    QTest::addColumn<QString>("win32");
    QTest::addColumn<QString>("expected");
    QTest::newRow("drive path") << R"(\??\E:\a\b.exe)"
                                << R"(\\?\E:\a\b.exe)"
                                << R"(E:\a\b.exe)";
    QTest::newRow("share path") << R"(\??\UNC\srv\s\b.exe)"
                                << R"(\\?\UNC\srv\s\b.exe)"
                                << R"(\\srv\s\b.exe)";
}

void TestCoreSystemPath::kernelAndWin32FormsAgree() {
    QFETCH(QString, kernel);
    QFETCH(QString, win32);
    QFETCH(QString, expected);
    QCOMPARE(Q(ExpandSystemPathString(kernel.toStdU16String())), expected);
    QCOMPARE(Q(ExpandSystemPathString(win32.toStdU16String())), expected);
}

void TestCoreSystemPath::windowsFolder_data() {
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("folder");
    QTest::newRow("from the environment") << true << QByteArray("E:\\WINNT") << QStringLiteral("E:\\WINNT");
    QTest::newRow("UTF-8 in the environment")
        << true << QByteArray("E:\\Wi\xc3\xb1") << QStringLiteral(u"E:\\Wiñ");
    QTest::newRow("empty variable") << true << QByteArray() << QStringLiteral("C:\\Windows");
    QTest::newRow("no variable") << false << QByteArray() << QStringLiteral("C:\\Windows");
}

void TestCoreSystemPath::windowsFolder() {
    QFETCH(bool, set);
    QFETCH(QByteArray, value);
    QFETCH(QString, folder);
    if (set)
        qputenv("SystemRoot", value);
    else
        qunsetenv("SystemRoot");
    QCOMPARE(Q(WindowsFolder()), folder);
    QCOMPARE(Q(ExpandSystemPathString(u"\\SystemRoot\\x")), folder + QStringLiteral("\\x"));
}

void TestCoreSystemPath::windowsFolderRoomIs260Units() {
    qputenv("SystemRoot", QByteArray(300, 'w'));
    const std::u16string result = ExpandSystemPathString(u"System32\\x");
    QCOMPARE(Q(result), QString(260, u'w') + QStringLiteral("\\System32\\x"));
}

void TestCoreSystemPath::currentDrive() {
#if defined(_WIN32)
    QVERIFY(CurrentDrive() >= u'A' && CurrentDrive() <= u'Z');
#else
    QCOMPARE(CurrentDrive(), u'C');
#endif
}

QTEST_GUILESS_MAIN(TestCoreSystemPath)
#include "tst_core_systempath.moc"
