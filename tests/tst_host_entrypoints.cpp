// The module through its C entry points only, loaded at run time as a host loads it.
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <dlfcn.h>
#include <zrun/suspects.h>

namespace {

class RecordingConfiguration final : public IZrunConfiguration {
public:
    const char16_t* GetText(uint32_t id, uint32_t zero) override {
        Record("text", id, zero);
        return id == 0x4009004 ? u"ZRUN Antimalware" : u"Norvik Software";
    }
    int32_t GetNumber(uint32_t id, uint32_t zero) override {
        Record("number", id, zero);
        return 3;
    }
    int32_t GetFlag(uint32_t id, uint32_t zero) override {
        Record("flag", id, zero);
        return id == 0x4009907 ? createWindow : 1;
    }
    QStringList reads;
    int32_t createWindow = 1;
    bool zeroAlways = true;

private:
    void Record(const char* kind, uint32_t id, uint32_t zero) {
        reads << QStringLiteral("%1 0x%2").arg(QLatin1String(kind)).arg(id, 0, 16);
        zeroAlways = zeroAlways && zero == 0;
    }
};

struct Module {
    void* handle = nullptr;
    int32_t (*initialize)(uintptr_t) = nullptr;
    void* (*create)(void*, void*, void*, void*, void*, void*) = nullptr;
    int32_t (*uninitialize)() = nullptr;
};

} // namespace

class TestHostEntryPoints : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void exportsEveryName_data();
    void exportsEveryName();
    void underscoreNamesAreTheSameFunctions();
    void createBeforeInitializeGivesNull();
    void uninitializeTwiceGivesOne();
    void initializeAndUninitializeWithoutAWindow();
    void configurationIsReadInOrder();
    void noConfigurationStillCreatesTheWindow();
    void flagOffDestroysTheEarlierWindowAndGivesNull();
    void twoCreationsGiveTwoWindowsAndDestroyTheFirst();
    void windowSitsInTheParentAndIsExported();
    void staysLoadedAfterTheHostReleasesIt();

private:
    void* Create(IZrunConfiguration* configuration);

    Module m;
    QWidget m_parent;
    ZrunTranslationSource m_translation{nullptr, 0};
    ZrunHostState m_state{1000, 1, 3, 20};
};

void TestHostEntryPoints::initTestCase() {
    m.handle = dlopen(ZRUN_BIN_DIR "/ZRUNSuspects.so", RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m.handle, dlerror());
    m.initialize = reinterpret_cast<decltype(m.initialize)>(dlsym(m.handle, "ZRUN_Initialize"));
    m.create = reinterpret_cast<decltype(m.create)>(dlsym(m.handle, "ZRUN_CreateSuspectsForm"));
    m.uninitialize = reinterpret_cast<decltype(m.uninitialize)>(dlsym(m.handle, "ZRUN_Uninitialize"));
    QVERIFY(m.initialize && m.create && m.uninitialize);
    m_parent.resize(520, 233);
}

void TestHostEntryPoints::cleanup() {
    m.uninitialize();
}

void* TestHostEntryPoints::Create(IZrunConfiguration* configuration) {
    return m.create(&m_parent, &m_translation, nullptr, configuration, &m_state, nullptr);
}

void TestHostEntryPoints::exportsEveryName_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"ZRUN_Initialize", "_ZRUN_Initialize", "ZRUN_CreateSuspectsForm", "_ZRUN_CreateSuspectsForm",
          "ZRUN_Uninitialize", "_ZRUN_Uninitialize", "SuspectsForm", "HistorySuspectsForm",
          "SuspectsActionForm", "TooltipFormLeft", "TooltipFormRight", "frmTT1"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestHostEntryPoints::exportsEveryName() {
    QFETCH(QString, name);
    QVERIFY(dlsym(m.handle, name.toLatin1().constData()) != nullptr);
}

void TestHostEntryPoints::underscoreNamesAreTheSameFunctions() {
    QCOMPARE(dlsym(m.handle, "_ZRUN_Initialize"), dlsym(m.handle, "ZRUN_Initialize"));
    QCOMPARE(dlsym(m.handle, "_ZRUN_CreateSuspectsForm"), dlsym(m.handle, "ZRUN_CreateSuspectsForm"));
    QCOMPARE(dlsym(m.handle, "_ZRUN_Uninitialize"), dlsym(m.handle, "ZRUN_Uninitialize"));
}

void TestHostEntryPoints::createBeforeInitializeGivesNull() {
    RecordingConfiguration configuration;
    QVERIFY(Create(&configuration) == nullptr);
    QVERIFY(configuration.reads.isEmpty());
    QVERIFY(m_parent.findChildren<QWidget*>().isEmpty());
}

void TestHostEntryPoints::uninitializeTwiceGivesOne() {
    QCOMPARE(m.initialize(7), 1);
    QCOMPARE(m.uninitialize(), 1);
    QCOMPARE(m.uninitialize(), 1);
    QVERIFY(Create(nullptr) == nullptr);
}

void TestHostEntryPoints::initializeAndUninitializeWithoutAWindow() {
    QCOMPARE(m.initialize(0), 1);
    QCOMPARE(m.uninitialize(), 1);
}

void TestHostEntryPoints::configurationIsReadInOrder() {
    QCOMPARE(m.initialize(1), 1);
    RecordingConfiguration configuration;
    QVERIFY(Create(&configuration) != nullptr);
    const QStringList expected{"text 0x4009004", "text 0x4009007", "number 0x4009025",
                               "text 0x4009019", "flag 0x4009908", "flag 0x4009907"};
    QCOMPARE(configuration.reads, expected);
    QVERIFY(configuration.zeroAlways);
}

void TestHostEntryPoints::noConfigurationStillCreatesTheWindow() {
    QCOMPARE(m.initialize(1), 1);
    auto* window = static_cast<QWidget*>(Create(nullptr));
    QVERIFY(window != nullptr);
    QCOMPARE(window->objectName(), QStringLiteral("SuspectsForm"));
}

void TestHostEntryPoints::flagOffDestroysTheEarlierWindowAndGivesNull() {
    QCOMPARE(m.initialize(1), 1);
    RecordingConfiguration on;
    QPointer<QWidget> first = static_cast<QWidget*>(Create(&on));
    QVERIFY(first);
    RecordingConfiguration off;
    off.createWindow = 0;
    QVERIFY(Create(&off) == nullptr);
    QVERIFY(first.isNull());
    QCOMPARE(off.reads.size(), 6);
}

void TestHostEntryPoints::twoCreationsGiveTwoWindowsAndDestroyTheFirst() {
    QCOMPARE(m.initialize(1), 1);
    QPointer<QWidget> first = static_cast<QWidget*>(Create(nullptr));
    QPointer<QWidget> second = static_cast<QWidget*>(Create(nullptr));
    QVERIFY(first.isNull());
    QVERIFY(second);
    QCOMPARE(m.uninitialize(), 1);
    QVERIFY(second.isNull());
}

void TestHostEntryPoints::windowSitsInTheParentAndIsExported() {
    QCOMPARE(m.initialize(1), 1);
    auto* window = static_cast<QWidget*>(Create(nullptr));
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), &m_parent);
    QCOMPARE(window->size(), QSize(520, 233));
    auto** exported = static_cast<QWidget**>(dlsym(m.handle, "SuspectsForm"));
    QVERIFY(exported);
    QCOMPARE(static_cast<void*>(*exported), static_cast<void*>(window));
    m.uninitialize();
    QVERIFY(*exported == nullptr);
}

void TestHostEntryPoints::staysLoadedAfterTheHostReleasesIt() {
    // Qt keeps data of the module's windows; unmapping it under Qt would leave it dangling.
    QCOMPARE(m.initialize(1), 1);
    QVERIFY(Create(nullptr) != nullptr);
    QCOMPARE(m.uninitialize(), 1);
    void* again = dlopen(ZRUN_BIN_DIR "/ZRUNSuspects.so", RTLD_NOW | RTLD_LOCAL);
    QVERIFY(again);
    dlclose(again);
    dlclose(m.handle); // the host lets go of its own reference
    void* stillThere = dlopen(ZRUN_BIN_DIR "/ZRUNSuspects.so", RTLD_NOW | RTLD_NOLOAD);
    QVERIFY(stillThere != nullptr);
    m.handle = stillThere; // cleanup() still uses the entry points
}

QTEST_MAIN(TestHostEntryPoints)
#include "tst_host_entrypoints.moc"
