// The console's embedded protection service, driven with request bytes written by hand and
// judged by its reply bytes, read by hand.
#include "service/protectionservice.h"
#include "support/recordinghandler.h"
#include "support/servicewire.h"
#include "support/sqlbyhand.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <atomic>
#include <deque>
#include <set>

using namespace std::chrono_literals;
using Id = std::array<std::uint8_t, 16>;

Q_DECLARE_METATYPE(wire::Bytes)
Q_DECLARE_METATYPE(wire::Element)
Q_DECLARE_METATYPE(QuarantineCounts)
Q_DECLARE_METATYPE(Id)

namespace {

constexpr auto kWait = 20s;
constexpr std::uint32_t kListTarget = 0x400c000;
constexpr std::uint32_t kInfoTarget = 0x4002000;
constexpr std::uint32_t kNotSent = 0x80004005;
constexpr std::uint32_t kRefused = 0xDF000006;

// The sample quarantine, dated from 2024-03-01 00:10 UTC (the day after a leap day).
QDateTime SeedClock() {
    return QDateTime(QDate(2024, 3, 1), QTime(0, 10), QTimeZone::utc());
}
const QuarantineCounts kSample{40, 15, 10, 15, 14};

const Id kNetpassId = {0x79, 0x52, 0x6f, 0xc1, 0xc3, 0x07, 0xba, 0xce,
                       0x7e, 0x2d, 0x12, 0x28, 0xf5, 0x8f, 0xd6, 0xa2};
const Id kInstallerId = {0x3a, 0x91, 0xb1, 0x49, 0xc6, 0x21, 0x19, 0x71,
                         0xa4, 0xa4, 0xc2, 0x2d, 0x2f, 0xbc, 0xe6, 0xf3};
const Id kPsExecId = {0x21, 0x6f, 0x6a, 0x21, 0xc9, 0x5b, 0x90, 0x54,
                      0x4f, 0x2d, 0xb3, 0xf2, 0x0e, 0xf2, 0xda, 0xe0};
const Id kSysaudioId = {0xb4, 0x9c, 0xb9, 0x1e, 0x61, 0x55, 0x3e, 0xc9,
                        0xd8, 0xd0, 0x78, 0x08, 0x25, 0xff, 0xdb, 0xe6};
const Id kConduitSvcId = {0xae, 0x8e, 0xed, 0x1f, 0xfd, 0xff, 0xbe, 0x47,
                          0x74, 0x28, 0x21, 0x16, 0x7d, 0xbf, 0xbe, 0xc1};
const Id kCainId = {0xd4, 0x38, 0x59, 0x79, 0x43, 0x84, 0xc2, 0xb9,
                    0xb9, 0x4d, 0x25, 0xc6, 0x8d, 0xbf, 0xce, 0xcf};
const Id kUnknownId = {0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee,
                       0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee};

QString Text(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

bool OfKind(std::uint32_t kind, std::uint32_t flags) {
    switch (kind) {
    case 6:
        return (flags & 0x84) == 0;
    case 5:
        return (flags & 0x80) != 0;
    case 8:
        return (flags & 0x84) == 0x04;
    default:
        return true;
    }
}

std::vector<Id> IdsOf(const std::vector<wire::Element>& elements) {
    std::vector<Id> ids;
    for (const wire::Element& e : elements)
        ids.push_back(e.id);
    return ids;
}

wire::Element Item(const Id& id, const std::u16string& location, const std::u16string& container,
                   std::uint64_t actionTime, std::uint32_t category, std::uint32_t itemType,
                   std::uint32_t informationId, std::uint32_t detectionId, std::uint32_t flags) {
    wire::Element e;
    e.id = id;
    e.location = location;
    e.container = container;
    e.actionTime = actionTime;
    e.category = category;
    e.itemType = itemType;
    e.infoId = informationId;
    e.detectionId = detectionId;
    e.flags = flags;
    return e;
}

void CompareCounts(const QuarantineCounts& actual, const QuarantineCounts& expected) {
    QCOMPARE(actual.all, expected.all);
    QCOMPARE(actual.blocked, expected.blocked);
    QCOMPARE(actual.undone, expected.undone);
    QCOMPARE(actual.deleted, expected.deleted);
    QCOMPARE(actual.shown, expected.shown);
}

struct Answer {
    std::uint32_t status = 0;
    int replies = 0;
    int noReplies = 0;
    std::thread::id thread;
    wire::Bytes bytes;
    wire::Reply reply;
};

struct Listing {
    bool ok = false;
    std::vector<wire::ListPage> pages;
    std::vector<wire::Element> elements;
};

// One quarantine file in a folder of its own, and a service over it.
class Harness {
public:
    Harness() {
        settings.storePath = m_dir.filePath(QStringLiteral("quarantine.sqlite"));
        settings.latencyMs = 0;
        settings.seedClock = SeedClock();
    }

    ServiceSettings settings;

    bool Start() {
        m_service = std::make_unique<ProtectionService>(settings);
        QString error;
        if (m_service->Open(&error))
            return true;
        qWarning("open: %s", qPrintable(error));
        return false;
    }
    void Stop() { m_service.reset(); }
    ProtectionService& service() { return *m_service; }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }

    // Handlers live until the harness ends, after every service it started.
    RecordingHandler* NewHandler() {
        m_handlers.push_back(std::make_unique<RecordingHandler>());
        return m_handlers.back().get();
    }

    // Sends the bytes and waits for the handler's call.
    Answer Call(const wire::Bytes& request) {
        RecordingHandler* handler = NewHandler();
        Answer a;
        a.status = m_service->Submit(request.data(), static_cast<std::uint32_t>(request.size()), handler);
        if (a.status == 0)
            handler->WaitForCall(kWait);
        a.replies = handler->Replies();
        a.noReplies = handler->NoReplies();
        a.thread = handler->Thread();
        a.bytes = handler->Bytes();
        a.reply = wire::ParseReply(a.bytes);
        return a;
    }

    // Every page of a kind, from a new enumeration.
    Listing List(std::uint32_t kind) {
        Listing listing;
        std::uint32_t handle = 0;
        std::int32_t position = 0;
        for (int guard = 0; guard < 200; ++guard) {
            const Answer a = Call(wire::ListRequest(kind, handle, position));
            const wire::ListPage page = wire::ParseListPage(a.reply);
            if (a.reply.result != 0 || !page.ok)
                return listing;
            listing.pages.push_back(page);
            listing.elements.insert(listing.elements.end(), page.elements.begin(), page.elements.end());
            if (page.nextPosition == -1) {
                listing.ok = true;
                return listing;
            }
            handle = page.listHandle;
            position = page.nextPosition;
        }
        return listing;
    }

private:
    QTemporaryDir m_dir;
    std::deque<std::unique_ptr<RecordingHandler>> m_handlers;
    std::unique_ptr<ProtectionService> m_service;
};

wire::Bytes Cut(wire::Bytes bytes, std::size_t count) {
    bytes.resize(bytes.size() - count);
    return bytes;
}

wire::Bytes ListPayload(std::uint32_t kind) {
    return wire::Writer().text(wire::kListRequestName).u32(0x1234).u32(kind).u32(0).i32(0).bytes();
}

wire::Bytes InfoPayload() {
    return wire::Writer().text(wire::kInfoRequestName).u32(1).u32(1001).bytes();
}

enum Outcome { Answered, HeldUntilStop, NeverCalled };

using namespace sqlbyhand;

// An item action exactly as the module sends it from the process 0xF2C, byte by byte. The
// history window's undo is an unblock whose marker 1 stays with the module's reply handler:
// nothing of it travels, so it is the same request as the suspects window's unblock.
wire::Bytes ModuleActionBytes(std::uint8_t code, const Id& id) {
    wire::Bytes b;
    auto ascii16 = [&b](const char* text) {
        for (const char* c = text; *c; ++c)
            b.insert(b.end(), {std::uint8_t(*c), 0x00});
        b.insert(b.end(), {0x00, 0x00});
    };
    b.insert(b.end(), {0x19, 0x00, 0x00, 0x00}); // 24 units and the 0
    ascii16("class CNanoMessageBase *");
    b.insert(b.end(), {0x00, 0xC0, 0x00, 0x04});                         // target 0x400c000
    b.insert(b.end(), {0xE8, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}); // header word 1000
    b.insert(b.end(), {0x50, 0x00, 0x00, 0x00});                         // 80 payload bytes
    b.insert(b.end(), {0x1A, 0x00, 0x00, 0x00});                         // 25 units and the 0
    ascii16("class CMsgModBlaActions *");
    b.insert(b.end(), {0x2C, 0x0F, 0x00, 0x00}); // process
    b.insert(b.end(), {code, 0x00, 0x00, 0x00});
    b.insert(b.end(), id.begin(), id.end());
    return b;
}

} // namespace

// Puts something the service cannot use where its store goes: bytes of no database, a file
// where a folder must be made, a store of a newer console, another program's database.
void SpoilStore(Harness& h, const QString& setup) {
    if (setup == "garbage") {
        QFile f(h.settings.storePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (setup == "file in the way") {
        QFile f(h.FilePath("blocker"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        h.settings.storePath = h.FilePath("blocker/sub/quarantine.sqlite");
    } else if (setup == "newer") {
        QVERIFY(
            RunSql(h.settings.storePath,
                   {"CREATE TABLE items (x)", "CREATE TABLE detections (y)",
                    QStringLiteral("PRAGMA user_version = %1").arg(QuarantineStore::kSchemaVersion + 1)}));
    } else if (setup == "contacts") {
        QVERIFY(RunSql(h.settings.storePath, kContacts));
    }
}

class TestConsoleService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    // the store
    void firstOpenSeedsTheSampleQuarantine();
    void reopen_data();
    void reopen();
    void sampleItems_data();
    void sampleItems();
    void sampleCoversEveryCase();
    void generatedHistory_data();
    void generatedHistory();
    void generatedHistoryIsTheSameEveryTime();
    void unopenedServiceSendsNothing_data();
    void unopenedServiceSendsNothing();

    // list paging
    void paging_data();
    void paging();
    void kindsSplitEveryItem();
    void pagingStartsAtThePositionAsked();
    void handlesAreNewAndIncreasing();
    void enumerationKeepsItsSnapshot();
    void emptyKindEndsAtOnce();
    void cancel_data();
    void cancel();
    void unknownHandle_data();
    void unknownHandle();

    // item actions and detection names
    void actions_data();
    void actions();
    void undoRedoAndRemoveFromTheHistory_data();
    void undoRedoAndRemoveFromTheHistory();
    void requestsAnsweredWithAnError_data();
    void requestsAnsweredWithAnError();
    void detectionNames_data();
    void detectionNames();
    void detectionNamesInBatchesOfAnySize_data();
    void detectionNamesInBatchesOfAnySize();

    // the send operation, faults and threads
    void rejectedBytes_data();
    void rejectedBytes();
    void senderHandsTheBytesToTheService();
    void faults_data();
    void faults();
    void statusText_data();
    void statusText();
    void repliesComeFromServiceThreads();
    void slowHandlerDoesNotHoldUpOtherReplies();
    void manyRequestsFromSeveralThreads();
    void destructionAnswersOutstandingRequests_data();
    void destructionAnswersOutstandingRequests();
    void acceptedActionsAreCarriedOutOnStop_data();
    void acceptedActionsAreCarriedOutOnStop();

    // Files that are no store of this console, and why a store cannot be opened.
    void onlyANewFileIsSeeded_data();
    void onlyANewFileIsSeeded();
    void openErrorsSayWhatAndWhere_data();
    void openErrorsSayWhatAndWhere();

    // Two consoles on one store.
    void storesNoticeChangesByOthers();
    void serviceNoticesChangesByOthers();
    void serviceLooksForChangesOnItsOwn();
    void actionsOnGoneItems_data();
    void actionsOnGoneItems();
};

void TestConsoleService::initTestCase() {
    // Kernel forms of locations travel as ordinary paths under this Windows folder.
    qputenv("SystemRoot", "C:\\Windows");
}

void TestConsoleService::firstOpenSeedsTheSampleQuarantine() {
    Harness h;
    QVERIFY(h.Start());
    QVERIFY(h.service().SeededOnOpen());
    QCOMPARE(h.service().StorePath(), h.settings.storePath);
    CompareCounts(h.service().Counts(), kSample);
    QCOMPARE(h.service().BlockedCount(), 14);
    QCOMPARE(h.service().CountOf(6), 15);
    QCOMPARE(h.service().CountOf(5), 10);
    QCOMPARE(h.service().CountOf(8), 15);
    QCOMPARE(h.service().CountOf(0), 40);
    QCOMPARE(h.service().CountOf(3), -1);
    h.Stop();

    // The file carries its schema version.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(h.settings.storePath);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA user_version")) && q.next());
        QCOMPARE(q.value(0).toInt(), QuarantineStore::kSchemaVersion);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
}

void TestConsoleService::reopen_data() {
    QTest::addColumn<bool>("reseed");
    QTest::addColumn<bool>("seeded");
    QTest::addColumn<int>("items");

    QTest::newRow("reopening keeps the changed store") << false << false << 39;
    QTest::newRow("reseeding starts again from the sample") << true << true << 40;
}

void TestConsoleService::reopen() {
    QFETCH(bool, reseed);
    QFETCH(bool, seeded);
    QFETCH(int, items);

    Harness h;
    QVERIFY(h.Start());
    QVERIFY(h.Call(wire::ActionRequest(4, kNetpassId)).bytes == wire::StatusReply(0));
    h.Stop();

    h.settings.reseed = reseed;
    QVERIFY(h.Start());
    QCOMPARE(h.service().SeededOnOpen(), seeded);
    QCOMPARE(h.service().Counts().all, items);
    const Listing all = h.List(0);
    QVERIFY(all.ok);
    QCOMPARE(int(all.elements.size()), items);
}

void TestConsoleService::sampleItems_data() {
    QTest::addColumn<int>("position"); // in the list of every item, newest first
    QTest::addColumn<wire::Element>("expected");

    QTest::newRow("newest, at 23:30 UTC on the last day of February")
        << 0
        << Item(kNetpassId, uR"(C:\Users\ana\Documentos\Herramientas\netpass.exe)", u"",
                0x01DA6B6736708C00ULL, 100, 203, 12877, 3001, 0);
    QTest::newRow("inside an archive, with its container")
        << 2
        << Item(kInstallerId, uR"(C:\Users\ana\Descargas\pack.zip\setup\installer.exe)",
                uR"(C:\Users\ana\Descargas\pack.zip)", 0x01DA6A84E6B99400ULL, 100, 201, 41933, 1002, 0);
    QTest::newRow("kernel form with \\??\\, undone")
        << 6
        << Item(kPsExecId, uR"(C:\Users\ana\Descargas\PSTools\PsExec.exe)", u"", 0x01DA6669F3478200ULL, 100,
                203, 12950, 3002, 0x80);
    QTest::newRow("hidden and blocked")
        << 15
        << Item(kConduitSvcId, uR"(C:\Program Files (x86)\Common Files\Conduit\conduitsvc.exe)", u"",
                0x01DA5B8497B6C800ULL, 100, 202, 39045, 2003, 0x400);
    QTest::newRow("SystemRoot form, sent to the lab, at the end of January")
        << 19
        << Item(kSysaudioId, uR"(C:\Windows\System32\drivers\sysaudio64.sys)", u"", 0x01DA549D6875CC00ULL, 20,
                204, 52978, 4002, 0);
    QTest::newRow("deleted, then restored") << 20
                                            << Item(kCainId, uR"(C:\Users\ana\Descargas\Cain\Cain.exe)", u"",
                                                    0x01DA54689A207000ULL, 100, 203, 13112, 3004, 0x84);
}

void TestConsoleService::sampleItems() {
    QFETCH(int, position);
    QFETCH(wire::Element, expected);

    Harness h;
    h.settings.pageSize = 1;
    QVERIFY(h.Start());
    const Answer a = h.Call(wire::ListRequest(0, 0, position));
    QVERIFY(a.reply.ok);
    QCOMPARE(a.reply.result, 0);
    const wire::ListPage page = wire::ParseListPage(a.reply);
    QVERIFY(page.ok);
    QCOMPARE(page.elements.size(), std::size_t(1));
    const wire::Element& e = page.elements[0];
    QCOMPARE(Text(e.location), Text(expected.location));
    QCOMPARE(Text(e.container), Text(expected.container));
    QCOMPARE(e.actionTime, expected.actionTime);
    QCOMPARE(e.category, expected.category);
    QCOMPARE(e.itemType, expected.itemType);
    QCOMPARE(e.infoId, expected.infoId);
    QCOMPARE(e.detectionId, expected.detectionId);
    QCOMPARE(e.flags, expected.flags);
    QVERIFY(e.id == expected.id);
    QCOMPARE(page.nextPosition, position + 1);
    // The whole reply, byte for byte, reserved fields 0.
    QVERIFY(a.bytes == wire::ListReply(0, page.listHandle, {expected}, position + 1));
}

void TestConsoleService::sampleCoversEveryCase() {
    Harness h;
    QVERIFY(h.Start());
    const Listing all = h.List(0);
    QVERIFY(all.ok);
    QCOMPARE(all.elements.size(), std::size_t(40));

    const std::vector<Id> ids = IdsOf(all.elements);
    QCOMPARE(std::set<Id>(ids.begin(), ids.end()).size(), ids.size());

    std::set<std::uint32_t> categories, types, detections;
    int inArchive = 0, monthEnds = 0, olderThanHalfAYear = 0;
    const std::uint64_t seedTime = 133537254000000000ULL; // 2024-03-01 00:10 UTC
    const std::uint64_t day = 24ULL * 3600 * 10000000;    // in file time units
    for (const wire::Element& e : all.elements) {
        categories.insert(e.category);
        types.insert(e.itemType);
        detections.insert(e.detectionId);
        if (!e.container.empty()) {
            ++inArchive;
            QVERIFY(e.location.starts_with(e.container + u"\\"));
        }
        QVERIFY(e.actionTime < seedTime);
        QVERIFY(e.actionTime > seedTime - 365 * day);
        if (e.actionTime < seedTime - 183 * day)
            ++olderThanHalfAYear;
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(
            static_cast<qint64>((e.actionTime - 116444736000000000ULL) / 10000), QTimeZone::utc());
        if (when.time() == QTime(23, 30) && when.date().addDays(1).day() == 1)
            ++monthEnds;
        QVERIFY(!e.location.starts_with(u"\\")); // kernel forms travel as ordinary paths
    }
    QVERIFY(categories == (std::set<std::uint32_t>{1, 4, 20, 100}));
    QVERIFY(types == (std::set<std::uint32_t>{201, 202, 203, 204, 205, 206}));
    QCOMPARE(inArchive, 2);
    QCOMPARE(monthEnds, 4);
    QCOMPARE(olderThanHalfAYear, 2);

    // Every detection has a name but three of the history's, which the window shows as unknown.
    const std::set<std::uint32_t> unnamed{9101, 9102, 9103};
    const Answer names =
        h.Call(wire::DetectionInfoRequest(std::vector<std::uint32_t>(detections.begin(), detections.end())));
    const auto results = wire::ParseDetectionInfo(names.reply);
    QVERIFY(results);
    std::set<std::uint32_t> named;
    for (const wire::NameResult& r : *results) {
        QVERIFY(!r.name.empty());
        named.insert(r.id);
    }
    std::set<std::uint32_t> expected;
    std::set_difference(detections.begin(), detections.end(), unnamed.begin(), unnamed.end(),
                        std::inserter(expected, expected.end()));
    QCOMPARE(detections.size(), std::size_t(26));
    QVERIFY(named == expected);
}

void TestConsoleService::generatedHistory_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QuarantineCounts>("extra"); // over the sample: all, blocked, undone, deleted, shown

    QTest::newRow("none") << 0 << 25 << QuarantineCounts{0, 0, 0, 0, 0};
    // Of every ten: five deleted, four undone (one of them deleted before), one blocked.
    QTest::newRow("twenty-five") << 25 << 25 << QuarantineCounts{25, 2, 8, 15, 2};
    QTest::newRow("twelve hundred, in pages longer than one statement's slice")
        << 1200 << 700 << QuarantineCounts{1200, 120, 480, 600, 120};
}

void TestConsoleService::generatedHistory() {
    QFETCH(int, count);
    QFETCH(int, pageSize);
    QFETCH(QuarantineCounts, extra);

    Harness h;
    h.settings.historyItems = count;
    h.settings.pageSize = pageSize;
    QVERIFY(h.Start());
    const QuarantineCounts expected{kSample.all + extra.all, kSample.blocked + extra.blocked,
                                    kSample.undone + extra.undone, kSample.deleted + extra.deleted,
                                    kSample.shown + extra.shown};
    CompareCounts(h.service().Counts(), expected);

    const Listing all = h.List(0);
    QVERIFY(all.ok);
    QCOMPARE(int(all.elements.size()), expected.all);
    const std::vector<Id> ids = IdsOf(all.elements);
    QCOMPARE(std::set<Id>(ids.begin(), ids.end()).size(), ids.size());
    const std::uint64_t seedTime = 133537254000000000ULL; // 2024-03-01 00:10 UTC
    const std::uint64_t minute = 60ULL * 10000000;
    for (std::size_t i = 0; i < all.elements.size(); ++i) {
        const wire::Element& e = all.elements[i];
        QVERIFY(e.actionTime < seedTime);
        QVERIFY(e.actionTime > seedTime - 2 * 366 * 24 * 60 * minute);
        QCOMPARE(e.actionTime % minute, 0u);
        QVERIFY(!e.location.empty());
        QVERIFY(!e.location.starts_with(u"\\"));
        QVERIFY(e.flags == 0 || e.flags == 0x04 || e.flags == 0x80 || e.flags == 0x84 || e.flags == 0x400 ||
                e.flags == 0x404); // hidden ones only from the sample
        if (i > 0)
            QVERIFY(all.elements[i - 1].actionTime >= e.actionTime);
    }

    // The entries are there for good: opening again adds none.
    h.Stop();
    QVERIFY(h.Start());
    QVERIFY(!h.service().SeededOnOpen());
    CompareCounts(h.service().Counts(), expected);
}

void TestConsoleService::generatedHistoryIsTheSameEveryTime() {
    auto listing = [](int count) {
        Harness h;
        h.settings.historyItems = count;
        h.settings.pageSize = 100;
        return h.Start() ? h.List(0) : Listing{};
    };
    const Listing first = listing(60);
    const Listing second = listing(60);
    const Listing longer = listing(90);
    QVERIFY(first.ok && second.ok && longer.ok);
    QCOMPARE(first.elements.size(), std::size_t(100));
    auto same = [](const wire::Element& a, const wire::Element& b) {
        return a.id == b.id && a.location == b.location && a.actionTime == b.actionTime &&
               a.category == b.category && a.itemType == b.itemType && a.infoId == b.infoId &&
               a.detectionId == b.detectionId && a.flags == b.flags;
    };
    QVERIFY(std::equal(first.elements.begin(), first.elements.end(), second.elements.begin(),
                       second.elements.end(), same));
    // A longer history begins as the shorter one: every entry of the shorter one is in it.
    for (const wire::Element& e : first.elements)
        QVERIFY(std::any_of(longer.elements.begin(), longer.elements.end(),
                            [&](const wire::Element& l) { return same(e, l); }));
}

void TestConsoleService::unopenedServiceSendsNothing_data() {
    QTest::addColumn<QString>("setup");

    QTest::newRow("never opened") << "none";
    QTest::newRow("file that is no database") << "garbage";
    QTest::newRow("folder that cannot be made") << "file in the way";
    QTest::newRow("store of a newer version") << "newer";
}

void TestConsoleService::unopenedServiceSendsNothing() {
    QFETCH(QString, setup);

    Harness h;
    SpoilStore(h, setup);
    if (QTest::currentTestFailed())
        return;

    ProtectionService service(h.settings);
    if (setup != "none") {
        QString error;
        QVERIFY(!service.Open(&error));
        QVERIFY(!error.isEmpty());
    }
    QVERIFY(!service.IsOpen());
    RecordingHandler handler;
    const wire::Bytes request = wire::ListRequest(6, 0, 0);
    QCOMPARE(service.Submit(request.data(), std::uint32_t(request.size()), &handler), kNotSent);
    QCOMPARE(service.StatusText(), QString("Protección desactivada"));
    QCOMPARE(service.BlockedCount(), 0);
    QCOMPARE(handler.Calls(), 0);
}

void TestConsoleService::paging_data() {
    QTest::addColumn<std::uint32_t>("kind");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("total");

    QTest::newRow("blocked, pages of 4") << 6u << 4 << 15;
    QTest::newRow("blocked, all on one page") << 6u << 25 << 15;
    QTest::newRow("undone, pages of 3") << 5u << 3 << 10;
    QTest::newRow("deleted, one page that fits exactly") << 8u << 15 << 15;
    QTest::newRow("every item, pages of 5 that end exactly") << 0u << 5 << 40;
    QTest::newRow("every item, pages of 1") << 0u << 1 << 40;
}

void TestConsoleService::paging() {
    QFETCH(std::uint32_t, kind);
    QFETCH(int, pageSize);
    QFETCH(int, total);

    Harness h;
    h.settings.pageSize = pageSize;
    QVERIFY(h.Start());
    const Listing listing = h.List(kind);
    QVERIFY(listing.ok);

    const int pages = (total + pageSize - 1) / pageSize;
    QCOMPARE(int(listing.pages.size()), pages);
    const std::uint32_t handle = listing.pages.front().listHandle;
    QVERIFY(handle != 0);
    for (int i = 0; i < pages; ++i) {
        const wire::ListPage& page = listing.pages[std::size_t(i)];
        QCOMPARE(page.listHandle, handle);
        QCOMPARE(int(page.elements.size()), std::min(pageSize, total - i * pageSize));
        QCOMPARE(page.nextPosition, i + 1 < pages ? (i + 1) * pageSize : -1);
    }
    QCOMPARE(int(listing.elements.size()), total);
    for (std::size_t i = 0; i < listing.elements.size(); ++i) {
        QVERIFY2(OfKind(kind, listing.elements[i].flags), qPrintable(Text(listing.elements[i].location)));
        if (i > 0)
            QVERIFY(listing.elements[i - 1].actionTime >= listing.elements[i].actionTime); // newest first
    }
    QCOMPARE(h.service().LiveEnumerations(), 0); // the last page ended it
}

void TestConsoleService::kindsSplitEveryItem() {
    Harness h;
    h.settings.pageSize = 6;
    QVERIFY(h.Start());
    std::vector<Id> parts;
    for (std::uint32_t kind : {6u, 5u, 8u}) {
        const Listing listing = h.List(kind);
        QVERIFY(listing.ok);
        QCOMPARE(int(listing.elements.size()), h.service().CountOf(kind));
        const std::vector<Id> ids = IdsOf(listing.elements);
        parts.insert(parts.end(), ids.begin(), ids.end());
    }
    const Listing all = h.List(0);
    QVERIFY(all.ok);
    const std::set<Id> distinctParts(parts.begin(), parts.end());
    QCOMPARE(distinctParts.size(), parts.size()); // no item in two kinds
    const std::vector<Id> allIds = IdsOf(all.elements);
    QVERIFY(distinctParts == std::set<Id>(allIds.begin(), allIds.end()));
}

void TestConsoleService::pagingStartsAtThePositionAsked() {
    Harness h;
    h.settings.pageSize = 4;
    QVERIFY(h.Start());
    const Listing all = h.List(0);
    QVERIFY(all.ok);

    const wire::ListPage page = wire::ParseListPage(h.Call(wire::ListRequest(0, 0, 3)).reply);
    QVERIFY(page.ok);
    QCOMPARE(page.nextPosition, 7);
    QVERIFY(IdsOf(page.elements) == IdsOf({all.elements.begin() + 3, all.elements.begin() + 7}));
}

void TestConsoleService::handlesAreNewAndIncreasing() {
    Harness h;
    h.settings.pageSize = 2;
    QVERIFY(h.Start());
    const Listing blocked = h.List(6);
    const Listing all = h.List(0);
    QVERIFY(blocked.ok && all.ok);

    const wire::ListPage first = wire::ParseListPage(h.Call(wire::ListRequest(6, 0, 0)).reply);
    const wire::ListPage second = wire::ParseListPage(h.Call(wire::ListRequest(0, 0, 0)).reply);
    QVERIFY(first.ok && second.ok);
    QVERIFY(first.listHandle != 0);
    QVERIFY(second.listHandle > first.listHandle);
    QVERIFY(first.listHandle > all.pages.back().listHandle);

    // Each goes on with its own items; the kind a continuing request names is not read.
    const wire::ListPage firstGoesOn =
        wire::ParseListPage(h.Call(wire::ListRequest(0, first.listHandle, 2)).reply);
    const wire::ListPage secondGoesOn =
        wire::ParseListPage(h.Call(wire::ListRequest(6, second.listHandle, 2)).reply);
    QVERIFY(firstGoesOn.ok && secondGoesOn.ok);
    QVERIFY(IdsOf(firstGoesOn.elements) ==
            IdsOf({blocked.elements.begin() + 2, blocked.elements.begin() + 4}));
    QVERIFY(IdsOf(secondGoesOn.elements) == IdsOf({all.elements.begin() + 2, all.elements.begin() + 4}));
    QCOMPARE(h.service().LiveEnumerations(), 2);

    // A new service never gives an old handle again.
    h.Stop();
    QVERIFY(h.Start());
    const wire::ListPage afterRestart = wire::ParseListPage(h.Call(wire::ListRequest(6, 0, 0)).reply);
    QVERIFY(afterRestart.ok);
    QVERIFY(afterRestart.listHandle > second.listHandle);
}

void TestConsoleService::enumerationKeepsItsSnapshot() {
    Harness h;
    h.settings.pageSize = 4;
    QVERIFY(h.Start());
    const Listing before = h.List(6);
    QVERIFY(before.ok);

    const wire::ListPage first = wire::ParseListPage(h.Call(wire::ListRequest(6, 0, 0)).reply);
    QVERIFY(first.ok);
    QVERIFY(h.Call(wire::ActionRequest(6, before.elements[5].id)).bytes == wire::StatusReply(0));
    QVERIFY(h.Call(wire::ActionRequest(4, before.elements[6].id)).bytes == wire::StatusReply(0));

    // The unblocked item stays in the enumeration with its new flags; the removed one is gone.
    const wire::ListPage second =
        wire::ParseListPage(h.Call(wire::ListRequest(6, first.listHandle, 4)).reply);
    QVERIFY(second.ok);
    QCOMPARE(second.nextPosition, 8);
    QVERIFY(IdsOf(second.elements) ==
            (std::vector<Id>{before.elements[4].id, before.elements[5].id, before.elements[7].id}));
    QCOMPARE(second.elements[1].flags, 0x80u);
}

void TestConsoleService::emptyKindEndsAtOnce() {
    Harness h;
    QVERIFY(h.Start());
    QVERIFY(h.Call(wire::ActionRequest(7, Id{})).bytes == wire::StatusReply(0));

    const Answer a = h.Call(wire::ListRequest(6, 0, 0));
    const wire::ListPage page = wire::ParseListPage(a.reply);
    QVERIFY(page.ok);
    QVERIFY(page.listHandle != 0);
    QVERIFY(a.bytes == wire::ListReply(0, page.listHandle, {}, -1));
    QCOMPARE(h.service().LiveEnumerations(), 0);
}

void TestConsoleService::cancel_data() {
    QTest::addColumn<QString>("target");

    QTest::newRow("a live enumeration") << "live";
    QTest::newRow("handle 0, nothing started") << "none";
    QTest::newRow("a handle never given") << "unknown";
}

void TestConsoleService::cancel() {
    QFETCH(QString, target);

    Harness h;
    h.settings.pageSize = 2;
    QVERIFY(h.Start());
    std::uint32_t handle = target == "unknown" ? 0x7ffffff0u : 0u;
    if (target == "live") {
        const wire::ListPage page = wire::ParseListPage(h.Call(wire::ListRequest(0, 0, 0)).reply);
        QVERIFY(page.ok);
        handle = page.listHandle;
        QCOMPARE(h.service().LiveEnumerations(), 1);
    }
    // The module cancels with kind 0 and position -1.
    const Answer a = h.Call(wire::ListRequest(0, handle, -1));
    QCOMPARE(a.replies, 1);
    QVERIFY(a.bytes == wire::StatusReply(0));
    QCOMPARE(a.reply.payloadLength, 0u);
    QCOMPARE(h.service().LiveEnumerations(), 0);
}

void TestConsoleService::unknownHandle_data() {
    QTest::addColumn<QString>("handleOf");

    QTest::newRow("never given") << "never";
    QTest::newRow("of a finished enumeration") << "finished";
    QTest::newRow("of a cancelled enumeration") << "cancelled";
}

void TestConsoleService::unknownHandle() {
    QFETCH(QString, handleOf);

    Harness h;
    h.settings.pageSize = 4;
    QVERIFY(h.Start());
    std::uint32_t handle = 0x7ffffff0u;
    if (handleOf == "finished") {
        const Listing undone = h.List(5);
        QVERIFY(undone.ok);
        handle = undone.pages.back().listHandle;
    } else if (handleOf == "cancelled") {
        const wire::ListPage page = wire::ParseListPage(h.Call(wire::ListRequest(0, 0, 0)).reply);
        QVERIFY(page.ok);
        handle = page.listHandle;
        QVERIFY(h.Call(wire::ListRequest(0, handle, -1)).bytes == wire::StatusReply(0));
    }
    const Answer a = h.Call(wire::ListRequest(0, handle, 4));
    QCOMPARE(a.reply.result, -1);
    QVERIFY(a.bytes == wire::StatusReply(-1));
}

void TestConsoleService::actions_data() {
    QTest::addColumn<std::uint32_t>("code");
    QTest::addColumn<int>("fromKind"); // the item is taken from this kind's list; -1: no item
    QTest::addColumn<int>("index");
    QTest::addColumn<QuarantineCounts>("after");
    QTest::addColumn<int>("kindAfter"); // where the item is found afterwards; -1: nowhere
    QTest::addColumn<std::uint32_t>("flagsAfter");

    QTest::newRow("unblock a blocked item")
        << 6u << 6 << 0 << QuarantineCounts{40, 14, 11, 15, 13} << 5 << 0x80u;
    QTest::newRow("unblock a deleted item")
        << 6u << 8 << 0 << QuarantineCounts{40, 15, 11, 14, 14} << 5 << 0x84u;
    QTest::newRow("unblock an undone item again") << 6u << 5 << 0 << kSample << 5 << 0x80u;
    QTest::newRow("re-block an undone item")
        << 8u << 5 << 0 << QuarantineCounts{40, 16, 9, 15, 15} << 6 << 0u;
    QTest::newRow("re-block a deleted, restored item")
        << 8u << 5 << 3 << QuarantineCounts{40, 15, 9, 16, 14} << 8 << 0x04u;
    QTest::newRow("remove a blocked item")
        << 4u << 6 << 0 << QuarantineCounts{39, 14, 10, 15, 13} << -1 << 0u;
    QTest::newRow("remove a hidden blocked item")
        << 4u << 6 << 8 << QuarantineCounts{39, 14, 10, 15, 14} << -1 << 0u;
    QTest::newRow("remove a deleted item")
        << 4u << 8 << 0 << QuarantineCounts{39, 15, 10, 14, 14} << -1 << 0u;
    QTest::newRow("remove every blocked item")
        << 7u << -1 << 0 << QuarantineCounts{25, 0, 10, 15, 0} << -1 << 0u;
}

void TestConsoleService::actions() {
    QFETCH(std::uint32_t, code);
    QFETCH(int, fromKind);
    QFETCH(int, index);
    QFETCH(QuarantineCounts, after);
    QFETCH(int, kindAfter);
    QFETCH(std::uint32_t, flagsAfter);

    Harness h;
    QVERIFY(h.Start());
    wire::Element item;
    if (fromKind >= 0) {
        const Listing source = h.List(std::uint32_t(fromKind));
        QVERIFY(source.ok);
        QVERIFY(std::size_t(index) < source.elements.size());
        item = source.elements[std::size_t(index)];
    }

    const Answer a = h.Call(wire::ActionRequest(code, item.id));
    QCOMPARE(a.replies, 1);
    QVERIFY(a.bytes == wire::StatusReply(0));
    CompareCounts(h.service().Counts(), after);

    // Another service over the same file sees the change.
    h.Stop();
    QVERIFY(h.Start());
    QVERIFY(!h.service().SeededOnOpen());
    CompareCounts(h.service().Counts(), after);
    const Listing all = h.List(0);
    QVERIFY(all.ok);
    QCOMPARE(int(all.elements.size()), after.all);
    if (code == 7) {
        for (const wire::Element& e : all.elements)
            QVERIFY(!OfKind(6, e.flags));
        return;
    }
    const auto found = std::find_if(all.elements.begin(), all.elements.end(),
                                    [&](const wire::Element& e) { return e.id == item.id; });
    if (kindAfter < 0) {
        QVERIFY(found == all.elements.end());
        return;
    }
    QVERIFY(found != all.elements.end());
    QCOMPARE(found->flags, flagsAfter);
    QVERIFY(OfKind(std::uint32_t(kindAfter), found->flags));
    QCOMPARE(Text(found->location), Text(item.location));
    QCOMPARE(found->actionTime, item.actionTime);
}

void TestConsoleService::undoRedoAndRemoveFromTheHistory_data() {
    QTest::addColumn<std::uint32_t>("kind"); // where the item starts, and where redo puts it back
    QTest::addColumn<int>("index");
    QTest::addColumn<std::uint32_t>("flags");
    QTest::addColumn<std::uint32_t>("undoneFlags");

    QTest::newRow("a neutralised item") << 6u << 0 << 0x00u << 0x80u;
    QTest::newRow("a hidden neutralised item") << 6u << 8 << 0x400u << 0x480u;
    QTest::newRow("a deleted item") << 8u << 0 << 0x04u << 0x84u;
}

void TestConsoleService::undoRedoAndRemoveFromTheHistory() {
    QFETCH(std::uint32_t, kind);
    QFETCH(int, index);
    QFETCH(std::uint32_t, flags);
    QFETCH(std::uint32_t, undoneFlags);

    Harness h;
    QVERIFY(h.Start());
    const Listing source = h.List(kind);
    QVERIFY(source.ok);
    const wire::Element item = source.elements[std::size_t(index)];
    QCOMPARE(item.flags, flags);

    // The kinds that list the item now, with its flags there.
    auto whereIs = [&h, &item](std::uint32_t* flagsFound) {
        std::set<std::uint32_t> kinds;
        for (std::uint32_t k : {0u, 5u, 6u, 8u}) {
            const Listing listing = h.List(k);
            for (const wire::Element& e : listing.elements)
                if (e.id == item.id) {
                    kinds.insert(k);
                    *flagsFound = e.flags;
                }
        }
        return kinds;
    };
    std::uint32_t found = 0xffffffff;

    // Undo: restored, out of its kind and into the undone items.
    QVERIFY(h.Call(ModuleActionBytes(6, item.id)).bytes == wire::StatusReply(0));
    QVERIFY(whereIs(&found) == (std::set<std::uint32_t>{0, 5}));
    QCOMPARE(found, undoneFlags);

    // Redo: the action again, back where it was, with the flags it had.
    QVERIFY(h.Call(ModuleActionBytes(8, item.id)).bytes == wire::StatusReply(0));
    QVERIFY(whereIs(&found) == (std::set<std::uint32_t>{0, kind}));
    QCOMPARE(found, flags);

    // Remove: gone from every list; acting on it again finds nothing.
    QVERIFY(h.Call(ModuleActionBytes(4, item.id)).bytes == wire::StatusReply(0));
    QVERIFY(whereIs(&found).empty());
    QCOMPARE(h.service().Counts().all, kSample.all - 1);
    // Every action on an item that is gone gets the same answer, one the module reports.
    QVERIFY(h.Call(ModuleActionBytes(4, item.id)).bytes == wire::StatusReply(-1001));
    QVERIFY(h.Call(ModuleActionBytes(6, item.id)).bytes == wire::StatusReply(-1001));
    QVERIFY(h.Call(ModuleActionBytes(8, item.id)).bytes == wire::StatusReply(-1001));
}

void TestConsoleService::requestsAnsweredWithAnError_data() {
    QTest::addColumn<wire::Bytes>("request");
    QTest::addColumn<int>("result");

    QTest::newRow("remove of an unknown item") << wire::ActionRequest(4, kUnknownId) << -1001;
    QTest::newRow("unblock of an unknown item") << wire::ActionRequest(6, kUnknownId) << -1001;
    QTest::newRow("re-block of an unknown item") << wire::ActionRequest(8, kUnknownId) << -1001;
    QTest::newRow("unknown action code") << wire::ActionRequest(5, kNetpassId) << -2;
    QTest::newRow("unknown kind") << wire::ListRequest(3, 0, 0) << -2;
    QTest::newRow("position below -1") << wire::ListRequest(6, 0, -2) << -2;
}

void TestConsoleService::requestsAnsweredWithAnError() {
    QFETCH(wire::Bytes, request);
    QFETCH(int, result);

    Harness h;
    QVERIFY(h.Start());
    const Answer a = h.Call(request);
    QCOMPARE(a.status, 0u);
    QCOMPARE(a.replies, 1);
    QCOMPARE(a.reply.result, result);
    QVERIFY(a.bytes == wire::StatusReply(result)); // no payload
    CompareCounts(h.service().Counts(), kSample);
    QCOMPARE(h.service().LiveEnumerations(), 0);
}

void TestConsoleService::detectionNames_data() {
    using Names = std::vector<std::pair<std::uint32_t, std::u16string>>;
    QTest::addColumn<std::vector<std::uint32_t>>("ids");
    QTest::addColumn<wire::Bytes>("expected");

    QTest::newRow("known ones answered in order, unknown left out")
        << std::vector<std::uint32_t>{4001, 9999, 1001}
        << wire::DetectionInfoReply(0, Names{{4001, u"Trj/Downloader.AB"}, {1001, u"Adware/OpenCandy"}});
    QTest::newRow("an identifier asked twice answered once")
        << std::vector<std::uint32_t>{2001, 3001, 2001}
        << wire::DetectionInfoReply(0, Names{{2001, u"PUP/Toolbar.Ask"}, {3001, u"HackTool/NetPass"}});
    QTest::newRow("only unknown ones")
        << std::vector<std::uint32_t>{7, 8} << wire::DetectionInfoReply(0, Names{});
    QTest::newRow("none asked") << std::vector<std::uint32_t>{} << wire::DetectionInfoReply(0, Names{});
}

void TestConsoleService::detectionNames() {
    QFETCH(std::vector<std::uint32_t>, ids);
    QFETCH(wire::Bytes, expected);

    Harness h;
    QVERIFY(h.Start());
    const Answer a = h.Call(wire::DetectionInfoRequest(ids));
    QCOMPARE(a.replies, 1);
    QCOMPARE(a.reply.moduleId, kInfoTarget);
    QCOMPARE(a.reply.result, 0);
    QVERIFY(a.bytes == expected);
}

void TestConsoleService::detectionNamesInBatchesOfAnySize_data() {
    QTest::addColumn<int>("size");

    QTest::newRow("one identifier") << 1;
    QTest::newRow("just over five hundred") << 501;
    QTest::newRow("a hundred thousand") << 100000;
}

void TestConsoleService::detectionNamesInBatchesOfAnySize() {
    QFETCH(int, size);

    // Ten-digit identifiers the service does not know, with two it knows among them: one at
    // the end and, in longer batches, one far into it.
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < size - 1; ++i)
        ids.push_back(4000000000u + std::uint32_t(i));
    if (size > 700)
        ids[700] = 1001;
    ids.push_back(4001);
    std::vector<std::pair<std::uint32_t, std::u16string>> names;
    if (size > 700)
        names.emplace_back(1001, u"Adware/OpenCandy");
    names.emplace_back(4001, u"Trj/Downloader.AB");

    Harness h;
    QVERIFY(h.Start());
    const Answer a = h.Call(wire::DetectionInfoRequest(ids));
    QCOMPARE(a.replies, 1);
    QCOMPARE(a.reply.result, 0);
    QVERIFY(a.bytes == wire::DetectionInfoReply(0, names));
}

void TestConsoleService::rejectedBytes_data() {
    QTest::addColumn<wire::Bytes>("bytes");
    QTest::addColumn<bool>("withHandler");

    QTest::newRow("no bytes") << wire::Bytes{} << true;
    QTest::newRow("no envelope") << wire::Bytes{0x68, 0x65, 0x6c, 0x6c, 0x6f} << true;
    QTest::newRow("another class name first")
        << wire::Writer().text(u"class CNanoMessage *").u32(kListTarget).u64(1000).u32(0).bytes() << true;
    QTest::newRow("unknown target") << wire::RequestEnvelope(0x1234, ListPayload(6)) << true;
    QTest::newRow("list target, detection request")
        << wire::RequestEnvelope(kListTarget, InfoPayload()) << true;
    QTest::newRow("detection target, list request")
        << wire::RequestEnvelope(kInfoTarget, ListPayload(6)) << true;
    QTest::newRow("a reply, not a request") << wire::ListReply(0, 7, {}, -1) << true;
    QTest::newRow("an envelope without payload") << wire::StatusReply(0) << true;
    QTest::newRow("envelope cut short") << Cut(wire::ListRequest(6, 0, 0), 3) << true;
    QTest::newRow("request body cut short")
        << wire::RequestEnvelope(kListTarget, Cut(ListPayload(6), 4)) << true;
    QTest::newRow("no reply handler") << wire::ListRequest(6, 0, 0) << false;
}

void TestConsoleService::rejectedBytes() {
    QFETCH(wire::Bytes, bytes);
    QFETCH(bool, withHandler);

    Harness h;
    QVERIFY(h.Start());
    RecordingHandler* handler = h.NewHandler();
    QCOMPARE(h.service().Submit(bytes.data(), std::uint32_t(bytes.size()), withHandler ? handler : nullptr),
             kNotSent);
    QVERIFY(h.service().WaitUntilIdle(kWait));
    h.Stop();
    QCOMPARE(handler->Calls(), 0);
}

void TestConsoleService::senderHandsTheBytesToTheService() {
    Harness h;
    h.settings.latencyMs = 20;
    QVERIFY(h.Start());
    ServiceSender sender(&h.service());
    ISendToIPCEx* slots = &sender;

    // The bytes are the caller's again as soon as the call returns.
    wire::Bytes request = wire::ListRequest(6, 0, 0);
    RecordingHandler* handler = h.NewHandler();
    QCOMPARE(slots->Send(request.data(), std::uint32_t(request.size()), handler), 0u);
    std::fill(request.begin(), request.end(), std::uint8_t(0));
    QVERIFY(handler->WaitForCall(kWait));
    const wire::ListPage page = wire::ParseListPage(wire::ParseReply(handler->Bytes()));
    QVERIFY(page.ok);
    QCOMPARE(page.elements.size(), std::size_t(15));

    ServiceSender withoutService(nullptr);
    const wire::Bytes again = wire::ListRequest(6, 0, 0);
    RecordingHandler unused;
    QCOMPARE(withoutService.Send(again.data(), std::uint32_t(again.size()), &unused), kNotSent);
}

void TestConsoleService::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<wire::Bytes>("request");
    QTest::addColumn<std::uint32_t>("status");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<wire::Bytes>("expected"); // the reply; empty: a list page is enough

    const wire::Bytes none;
    QTest::newRow("refuse: unblock refused")
        << "refuse" << wire::ActionRequest(6, kNetpassId) << kRefused << int(NeverCalled) << none;
    QTest::newRow("refuse: remove all refused")
        << "refuse" << wire::ActionRequest(7, Id{}) << kRefused << int(NeverCalled) << none;
    QTest::newRow("refuse: list pages still answered")
        << "refuse" << wire::ListRequest(6, 0, 0) << 0u << int(Answered) << none;
    QTest::newRow("error: a list page gets the code") << "error:-7" << wire::ListRequest(6, 0, 0) << 0u
                                                      << int(Answered) << wire::Envelope(kListTarget, -7, {});
    QTest::newRow("error: a remove gets the code") << "error:5" << wire::ActionRequest(4, kNetpassId) << 0u
                                                   << int(Answered) << wire::Envelope(kListTarget, 5, {});
    QTest::newRow("error: detection names get a code written in hex")
        << "error:0x80004005" << wire::DetectionInfoRequest({1001}) << 0u << int(Answered)
        << wire::Envelope(kInfoTarget, std::int32_t(0x80004005u), {});
    QTest::newRow("no-names: detection names without results")
        << "no-names" << wire::DetectionInfoRequest({1001, 2001}) << 0u << int(Answered)
        << wire::DetectionInfoReply(0, {});
    QTest::newRow("no-names: list pages still answered")
        << "no-names" << wire::ListRequest(6, 0, 0) << 0u << int(Answered) << none;
    QTest::newRow("silent: a list page held until the end")
        << "silent" << wire::ListRequest(6, 0, 0) << 0u << int(HeldUntilStop) << none;
    QTest::newRow("silent: a remove held until the end")
        << "silent" << wire::ActionRequest(4, kNetpassId) << 0u << int(HeldUntilStop) << none;
}

void TestConsoleService::faults() {
    QFETCH(QString, fault);
    QFETCH(wire::Bytes, request);
    QFETCH(std::uint32_t, status);
    QFETCH(int, outcome);
    QFETCH(wire::Bytes, expected);

    Harness h;
    h.settings.fault = fault;
    QVERIFY(h.Start());
    RecordingHandler* handler = h.NewHandler();
    QCOMPARE(h.service().Submit(request.data(), std::uint32_t(request.size()), handler), status);

    if (outcome == Answered) {
        QVERIFY(handler->WaitForCall(kWait));
        QCOMPARE(handler->Replies(), 1);
        if (expected.empty())
            QVERIFY(wire::ParseListPage(wire::ParseReply(handler->Bytes())).ok);
        else
            QVERIFY(handler->Bytes() == expected);
    } else {
        QVERIFY(h.service().WaitUntilIdle(kWait)); // held requests aside
        QCOMPARE(handler->Calls(), 0);
    }
    CompareCounts(h.service().Counts(), kSample); // nothing was carried out
    h.Stop();
    QCOMPARE(handler->Calls(), outcome == NeverCalled ? 0 : 1);
    QCOMPARE(handler->NoReplies(), outcome == HeldUntilStop ? 1 : 0);
}

void TestConsoleService::statusText_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blocked");

    QTest::newRow("the sample quarantine") << ""
                                           << ""
                                           << "Protección activa · 14 elementos bloqueados" << 14;
    QTest::newRow("one item blocked") << ""
                                      << "remove all, re-block one"
                                      << "Protección activa · 1 elemento bloqueado" << 1;
    QTest::newRow("nothing blocked") << ""
                                     << "remove all"
                                     << "Protección activa · ningún elemento bloqueado" << 0;
    QTest::newRow("a simulated fault")
        << "no-names"
        << ""
        << "Protección activa · 14 elementos bloqueados · fallo simulado: no-names" << 14;
}

void TestConsoleService::statusText() {
    QFETCH(QString, fault);
    QFETCH(QString, change);
    QFETCH(QString, text);
    QFETCH(int, blocked);

    Harness h;
    h.settings.fault = fault;
    QVERIFY(h.Start());
    if (change.startsWith("remove all"))
        QVERIFY(h.Call(wire::ActionRequest(7, Id{})).bytes == wire::StatusReply(0));
    if (change.endsWith("re-block one")) {
        const Listing undone = h.List(5);
        QVERIFY(undone.ok);
        QVERIFY(h.Call(wire::ActionRequest(8, undone.elements.front().id)).bytes == wire::StatusReply(0));
    }
    QCOMPARE(h.service().StatusText(), text);
    QCOMPARE(h.service().BlockedCount(), blocked);
}

void TestConsoleService::repliesComeFromServiceThreads() {
    Harness h;
    QVERIFY(h.Start());
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<RecordingHandler*> handlers;
    for (int i = 0; i < 12; ++i) {
        const wire::Bytes request = i % 2 ? wire::DetectionInfoRequest({4001}) : wire::ListRequest(0, 0, 0);
        handlers.push_back(h.NewHandler());
        QCOMPARE(h.service().Submit(request.data(), std::uint32_t(request.size()), handlers.back()), 0u);
    }
    QVERIFY(h.service().WaitUntilIdle(kWait));
    for (RecordingHandler* handler : handlers) {
        QCOMPARE(handler->Replies(), 1);
        QVERIFY(handler->Thread() != caller);
    }
    h.Stop();
    for (RecordingHandler* handler : handlers)
        QCOMPARE(handler->Calls(), 1);
}

void TestConsoleService::slowHandlerDoesNotHoldUpOtherReplies() {
    Harness h;
    QVERIFY(h.Start());
    RecordingHandler* slow = h.NewHandler();
    RecordingHandler* next = h.NewHandler();
    std::atomic<bool> nextArrivedMeanwhile{false};
    // The first reply waits inside its handler until the second has been delivered.
    slow->during = [&] { nextArrivedMeanwhile = next->WaitForCall(kWait); };

    const wire::Bytes first = wire::ListRequest(6, 0, 0);
    const wire::Bytes second = wire::DetectionInfoRequest({1001});
    QCOMPARE(h.service().Submit(first.data(), std::uint32_t(first.size()), slow), 0u);
    QCOMPARE(h.service().Submit(second.data(), std::uint32_t(second.size()), next), 0u);
    QVERIFY(slow->WaitForCall(kWait * 2));
    QVERIFY(nextArrivedMeanwhile);
    QVERIFY(slow->Thread() != next->Thread());
    QVERIFY(slow->Thread() != std::this_thread::get_id());
    QVERIFY(next->Thread() != std::this_thread::get_id());
}

void TestConsoleService::manyRequestsFromSeveralThreads() {
    Harness h;
    h.settings.pageSize = 4;
    h.settings.latencyMs = 1;
    QVERIFY(h.Start());

    constexpr int kThreads = 4;
    constexpr int kEach = 30;
    struct Sent {
        RecordingHandler* handler = nullptr;
        int type = 0;
        std::uint32_t status = 0xffffffff;
    };
    std::vector<std::vector<Sent>> sent(kThreads);
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i)
            sent[std::size_t(t)].push_back({h.NewHandler(), (i + t) % 4});
    auto requestOf = [](int type) {
        switch (type) {
        case 0:
            return wire::ListRequest(6, 0, 0);
        case 1:
            return wire::DetectionInfoRequest({4001});
        case 2:
            return wire::ActionRequest(6, kUnknownId);
        default:
            return wire::ListRequest(0, 0, -1);
        }
    };

    std::vector<std::thread::id> submitters(kThreads);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            submitters[std::size_t(t)] = std::this_thread::get_id();
            while (!go)
                std::this_thread::yield();
            for (Sent& s : sent[std::size_t(t)]) {
                const wire::Bytes request = requestOf(s.type);
                s.status = h.service().Submit(request.data(), std::uint32_t(request.size()), s.handler);
            }
        });
    }
    go = true;
    for (std::thread& t : threads)
        t.join();
    QVERIFY(h.service().WaitUntilIdle(kWait));

    std::set<std::uint32_t> handles;
    for (const auto& perThread : sent) {
        for (const Sent& s : perThread) {
            QCOMPARE(s.status, 0u);
            QCOMPARE(s.handler->Replies(), 1);
            QCOMPARE(s.handler->NoReplies(), 0);
            QVERIFY(s.handler->Thread() != std::this_thread::get_id());
            QVERIFY(std::find(submitters.begin(), submitters.end(), s.handler->Thread()) == submitters.end());
            const wire::Bytes bytes = s.handler->Bytes();
            if (s.type == 0) {
                const wire::ListPage page = wire::ParseListPage(wire::ParseReply(bytes));
                QVERIFY(page.ok);
                QCOMPARE(page.elements.size(), std::size_t(4));
                QVERIFY(handles.insert(page.listHandle).second); // each enumeration its own handle
            } else if (s.type == 1) {
                QVERIFY(bytes == wire::DetectionInfoReply(0, {{4001, u"Trj/Downloader.AB"}}));
            } else if (s.type == 2) {
                QVERIFY(bytes == wire::StatusReply(-1001));
            } else {
                QVERIFY(bytes == wire::StatusReply(0));
            }
        }
    }
    h.Stop();
    for (const auto& perThread : sent)
        for (const Sent& s : perThread)
            QCOMPARE(s.handler->Calls(), 1);
}

void TestConsoleService::destructionAnswersOutstandingRequests_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("latencyMs");

    QTest::newRow("held by a silent service") << "silent" << 0;
    QTest::newRow("waiting out an hour of latency") << "" << 3600 * 1000;
}

void TestConsoleService::destructionAnswersOutstandingRequests() {
    QFETCH(QString, fault);
    QFETCH(int, latencyMs);

    Harness h;
    h.settings.fault = fault;
    h.settings.latencyMs = latencyMs;
    QVERIFY(h.Start());
    std::vector<RecordingHandler*> handlers;
    for (int i = 0; i < 20; ++i) {
        const wire::Bytes request = i % 2 ? wire::DetectionInfoRequest({1001}) : wire::ListRequest(6, 0, 0);
        handlers.push_back(h.NewHandler());
        QCOMPARE(h.service().Submit(request.data(), std::uint32_t(request.size()), handlers.back()), 0u);
    }
    for (RecordingHandler* handler : handlers)
        QCOMPARE(handler->Calls(), 0);

    QElapsedTimer stopping;
    stopping.start();
    h.Stop();
    // Far below the latency: stopping never waits for a request to fall due.
    QVERIFY2(stopping.elapsed() < 30000, qPrintable(QString::number(stopping.elapsed())));
    for (RecordingHandler* handler : handlers) {
        QCOMPARE(handler->NoReplies(), 1);
        QCOMPARE(handler->Replies(), 0);
        QVERIFY(handler->Thread() != std::this_thread::get_id());
    }
}

void TestConsoleService::acceptedActionsAreCarriedOutOnStop_data() {
    QTest::addColumn<wire::Bytes>("request");
    QTest::addColumn<Id>("item");
    QTest::addColumn<int>("kindAfter"); // -1: gone

    QTest::newRow("an unblock") << ModuleActionBytes(6, kNetpassId) << kNetpassId << 5;
    QTest::newRow("a remove") << ModuleActionBytes(4, kNetpassId) << kNetpassId << -1;
    QTest::newRow("a re-block of an undone item") << ModuleActionBytes(8, kPsExecId) << kPsExecId << 6;
}

void TestConsoleService::acceptedActionsAreCarriedOutOnStop() {
    QFETCH(wire::Bytes, request);
    QFETCH(Id, item);
    QFETCH(int, kindAfter);

    Harness h;
    h.settings.latencyMs = 3600 * 1000;
    QVERIFY(h.Start());
    RecordingHandler* handler = h.NewHandler();
    QCOMPARE(h.service().Submit(request.data(), std::uint32_t(request.size()), handler), 0u);
    QCOMPARE(handler->Calls(), 0);
    // The console closes while the request waits out its latency.
    h.Stop();
    QCOMPARE(handler->Replies(), 1);
    QCOMPARE(handler->NoReplies(), 0);
    QVERIFY(handler->Bytes() == wire::StatusReply(0));

    h.settings.latencyMs = 0;
    QVERIFY(h.Start());
    std::set<int> kinds;
    for (std::uint32_t kind : {5u, 6u, 8u}) {
        const Listing listing = h.List(kind);
        QVERIFY(listing.ok);
        for (const wire::Element& e : listing.elements)
            if (e.id == item)
                kinds.insert(int(kind));
    }
    QCOMPARE(kinds, kindAfter < 0 ? std::set<int>{} : std::set<int>{kindAfter});
}

void TestConsoleService::onlyANewFileIsSeeded_data() {
    QTest::addColumn<QStringList>("statements"); // run on the file first; "" for a file of no bytes
    QTest::addColumn<bool>("reseed");
    QTest::addColumn<bool>("refused");

    QTest::newRow("no file yet") << QStringList() << false << false;
    QTest::newRow("a file of no bytes") << QStringList{""} << false << false;
    QTest::newRow("a database with nothing in it")
        << QStringList{"PRAGMA user_version = 0"} << false << false;
    QTest::newRow("an address book") << kContacts << false << true;
    QTest::newRow("an address book, reseeded") << kContacts << true << true;
    QTest::newRow("an address book at version 1")
        << (kContacts + QStringList{"PRAGMA user_version = 1"}) << false << true;
    QTest::newRow("tables named like ours, version 0")
        << QStringList{"CREATE TABLE items (x)", "CREATE TABLE detections (y)"} << false << true;
    QTest::newRow("a store marked by another application")
        << QStringList{"CREATE TABLE items (x)", "CREATE TABLE detections (y)", "PRAGMA user_version = 1",
                       "PRAGMA application_id = 1234"}
        << false << true;
}

void TestConsoleService::onlyANewFileIsSeeded() {
    QFETCH(QStringList, statements);
    QFETCH(bool, reseed);
    QFETCH(bool, refused);

    Harness h;
    h.settings.reseed = reseed;
    const QString path = h.settings.storePath;
    if (statements == QStringList{""}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (!statements.isEmpty()) {
        QVERIFY(RunSql(path, statements));
    }
    const QByteArray before = FileBytes(path);

    ProtectionService service(h.settings);
    QString error;
    QCOMPARE(service.Open(&error), !refused);
    if (!refused) {
        QVERIFY(service.SeededOnOpen());
        CompareCounts(service.Counts(), kSample);
        return;
    }
    QCOMPARE(int(service.OpenError().code), int(StoreOpenError::Code::ForeignDatabase));
    QCOMPARE(service.OpenError().path, QFileInfo(path).absoluteFilePath());
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY(!service.IsOpen());
    QVERIFY(FileBytes(path) == before);
}

void TestConsoleService::openErrorsSayWhatAndWhere_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("where"); // the file named in the sentence, under the test's folder
    QTest::addColumn<QString>("text");  // %1 for the path
    QTest::addColumn<bool>("detail");   // the driver's words are kept apart

    QTest::newRow("a file that is no database")
        << "garbage" << int(StoreOpenError::Code::NotADatabase) << "quarantine.sqlite"
        << "El archivo %1 no es una base de datos SQLite: no se usa como almacén de cuarentena." << true;
    QTest::newRow("a folder that cannot be made")
        << "file in the way" << int(StoreOpenError::Code::CannotCreateFolder) << "blocker/sub"
        << "No se puede crear la carpeta %1 para el almacén de cuarentena." << false;
    QTest::newRow("a store of a newer version")
        << "newer" << int(StoreOpenError::Code::NewerVersion) << "quarantine.sqlite"
        << "El almacén de cuarentena %1 es de una versión más reciente de la consola (esquema 2)." << false;
    QTest::newRow("another program's database")
        << "contacts" << int(StoreOpenError::Code::ForeignDatabase) << "quarantine.sqlite"
        << "La base de datos %1 no es un almacén de cuarentena de la consola: no se ha modificado." << false;
}

void TestConsoleService::openErrorsSayWhatAndWhere() {
    QFETCH(QString, setup);
    QFETCH(int, code);
    QFETCH(QString, where);
    QFETCH(QString, text);
    QFETCH(bool, detail);

    Harness h;
    SpoilStore(h, setup);
    if (QTest::currentTestFailed())
        return;

    ProtectionService service(h.settings);
    QString error;
    QVERIFY(!service.Open(&error));
    const StoreOpenError reason = service.OpenError();
    QCOMPARE(int(reason.code), code);
    const QString path = QFileInfo(h.FilePath(where)).absoluteFilePath();
    QCOMPARE(reason.path, path);
    QCOMPARE(StoreOpenErrorText(reason), text.arg(path));
    QCOMPARE(error, text.arg(path));
    QCOMPARE(!reason.detail.isEmpty(), detail);
    // Translated, the sentence is the catalogue's, with the same path put in.
    const QString translated = StoreOpenErrorText(reason, [](const QString& key) { return "<" + key + ">"; });
    QCOMPARE(translated, ("<" + text + ">").arg(path));
}

void TestConsoleService::storesNoticeChangesByOthers() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.sqlite"));
    QuarantineStore first;
    QuarantineStore second;
    QVERIFY(first.Open(path, false, SeedClock(), nullptr));
    QVERIFY(second.Open(path, false, SeedClock(), nullptr));
    QCOMPARE(second.SeededOnOpen(), false);
    QCOMPARE(first.ChangedElsewhere(), std::optional<bool>(false));
    QCOMPARE(second.ChangedElsewhere(), std::optional<bool>(false));

    ST_BLELEMENT::Identifier netpass{};
    std::copy(kNetpassId.begin(), kNetpassId.end(), netpass.begin());
    QCOMPARE(first.Remove(netpass), QuarantineStore::Change::Done);
    // Its own change is no news to the first; the second sees it once.
    QCOMPARE(first.ChangedElsewhere(), std::optional<bool>(false));
    QCOMPARE(second.ChangedElsewhere(), std::optional<bool>(true));
    QCOMPARE(second.ChangedElsewhere(), std::optional<bool>(false));
    QCOMPARE(second.Remove(netpass), QuarantineStore::Change::NotFound);
    QCOMPARE(second.Counts()->all, kSample.all - 1);
}

void TestConsoleService::serviceNoticesChangesByOthers() {
    Harness first;
    first.settings.watchMs = 0; // looks only when asked
    QVERIFY(first.Start());
    ServiceSettings secondSettings = first.settings;
    ProtectionService second(secondSettings);
    std::atomic<int> notices{0};
    second.SetStoreChangedListener([&notices] { ++notices; });
    QVERIFY(second.Open(nullptr));
    CompareCounts(second.Counts(), kSample);

    QVERIFY(!second.CheckStoreNow());
    QCOMPARE(second.StoreGeneration(), std::uint64_t(0));
    QVERIFY(first.Call(wire::ActionRequest(4, kNetpassId)).bytes == wire::StatusReply(0));
    // The first made the change: nothing for it to notice.
    QVERIFY(!first.service().CheckStoreNow());
    QCOMPARE(first.service().StoreGeneration(), std::uint64_t(0));

    QVERIFY(second.CheckStoreNow());
    QCOMPARE(second.StoreGeneration(), std::uint64_t(1));
    QCOMPARE(notices.load(), 1);
    QCOMPARE(second.Counts().all, kSample.all - 1);
    QCOMPARE(second.BlockedCount(), kSample.shown - 1);
    QVERIFY(!second.CheckStoreNow());
    QCOMPARE(notices.load(), 1);
}

void TestConsoleService::serviceLooksForChangesOnItsOwn() {
    Harness first;
    first.settings.watchMs = 0;
    QVERIFY(first.Start());
    ServiceSettings secondSettings = first.settings;
    secondSettings.watchMs = 20;
    ProtectionService second(secondSettings);
    QVERIFY(second.Open(nullptr));
    QVERIFY(first.Call(wire::ActionRequest(7, Id{})).bytes == wire::StatusReply(0));
    QTRY_COMPARE_WITH_TIMEOUT(second.StoreGeneration(), std::uint64_t(1), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(second.BlockedCount(), 0, 20000);
}

void TestConsoleService::actionsOnGoneItems_data() {
    QTest::addColumn<std::uint8_t>("code");
    QTest::newRow("remove") << std::uint8_t(4);
    QTest::newRow("unblock") << std::uint8_t(6);
    QTest::newRow("re-block") << std::uint8_t(8);
}

void TestConsoleService::actionsOnGoneItems() {
    QFETCH(std::uint8_t, code);

    Harness first;
    first.settings.watchMs = 0;
    QVERIFY(first.Start());
    ProtectionService second(first.settings);
    std::atomic<int> notices{0};
    second.SetStoreChangedListener([&notices] { ++notices; });
    QVERIFY(second.Open(nullptr));
    QVERIFY(first.Call(wire::ActionRequest(4, kNetpassId)).bytes == wire::StatusReply(0));

    // The second still shows the item and acts on it.
    const wire::Bytes request = ModuleActionBytes(code, kNetpassId);
    RecordingHandler handler;
    QCOMPARE(second.Submit(request.data(), std::uint32_t(request.size()), &handler), 0u);
    QVERIFY(handler.WaitForCall());
    // Result -1001 (0xFFFFFC17), no payload: the module reports a failed action.
    wire::Bytes expected = {0x19, 0x00, 0x00, 0x00};
    for (char c : std::string("class CNanoMessageBase *"))
        expected.insert(expected.end(), {std::uint8_t(c), 0x00});
    expected.insert(expected.end(), {0x00, 0x00, 0x00, 0xC0, 0x00, 0x04, 0x17, 0xFC, 0xFF, 0xFF, 0x00, 0x00,
                                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    QVERIFY(handler.Bytes() == expected);
    // And its clients are told that what they show is out of date.
    QCOMPARE(second.StoreGeneration(), std::uint64_t(1));
    QCOMPARE(notices.load(), 1);
    QCOMPARE(second.Counts().all, kSample.all - 1);
}

QTEST_GUILESS_MAIN(TestConsoleService)
#include "tst_console_service.moc"
