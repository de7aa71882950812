// The item store and the detection name cache.
#include "comm/nano/messages.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"

#include <QString>
#include <QTest>
#include <atomic>
#include <thread>

namespace {

ST_BLELEMENT Element(std::uint8_t id, std::uint32_t flags = 0, std::uint32_t category = 0) {
    ST_BLELEMENT e;
    e.identifier.fill(id);
    e.location = u"C:\\item" + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)) + u".exe";
    e.flags = flags;
    e.category = category;
    return e;
}

std::vector<std::uint32_t> Keys(const CBlaItemEx& store) {
    std::vector<std::uint32_t> keys;
    for (std::size_t i = 0; i < store.Count(); ++i)
        keys.push_back(store.EntryAt(i)->key);
    return keys;
}

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

struct TestIcon final : ItemIcon {
    std::u16string location;
};

// Becomes busy only when it accepts, as the real requester does.
class FakeRequester final : public IDetectionRequester {
public:
    bool accept = true;
    bool busy = false;
    std::vector<std::uint32_t> inFlight;
    std::vector<std::vector<std::uint32_t>> sent;

    bool Busy() const override { return busy; }
    void SetInFlight(std::vector<std::uint32_t> batch) override { inFlight = std::move(batch); }
    bool Send(const std::vector<std::uint32_t>& batch) override {
        sent.push_back(batch);
        busy = accept;
        return accept;
    }
    // The reply arrived (or its absence): the requester is free again.
    std::vector<std::uint32_t> Answer() {
        busy = false;
        return inFlight;
    }
};

RspModAvIemGetInfo Names(std::initializer_list<std::pair<std::uint32_t, std::u16string>> names) {
    RspModAvIemGetInfo reply;
    for (const auto& [id, name] : names)
        reply.results.push_back({id, 0, 0, name});
    return reply;
}

} // namespace

using Batches = std::vector<std::vector<std::uint32_t>>;
Q_DECLARE_METATYPE(Batches)

class TestCoreStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Elements
    void elementCopyLimitsTexts_data();
    void elementCopyLimitsTexts();
    // Store
    void hiddenElementsAreNeverStored();
    void allHiddenPageStillEmptiesWhenResetPending();
    void keysAcrossPagesAndRestartAfterReset();
    void removingTheOnlyEntryKeepsLastKey();
    void removeMovesLaterEntriesDown();
    void outOfRangeAndUnknownKeys();
    void copyKeepsItsOwnTexts();
    void entryAddressesStayUntilRemoved();
    void busyState();
    void generationChangesWhenEmptied();
    void iconFor_data();
    void iconFor();
    void readersWhileWriting();
    void keyLookupsAfterRemovals();
    void startActionOnlyFromIdle();
    void referenceFindsTheSameItem_data();
    void referenceFindsTheSameItem();
    // Detection names
    void nameOf_data();
    void nameOf();
    void batchesInIdentifierOrder_data();
    void batchesInIdentifierOrder();
    void undefinedAfterMaxAttempts();
    void nothingSentWhileBusyOrInFlight();
    void refusedSendLeavesNothingInFlight();
    void applyReply();
};

void TestCoreStore::keyLookupsAfterRemovals() {
    CBlaItemEx store;
    std::vector<ST_BLELEMENT> page;
    for (int i = 1; i <= 50; ++i)
        page.push_back(Element(static_cast<std::uint8_t>(i)));
    store.AppendPage(page);
    store.SetResetPending(false);
    store.AppendPage(page); // keys 51 to 100
    for (std::uint32_t key : {1u, 2u, 17u, 50u, 51u, 99u})
        QVERIFY(store.Remove(key));
    const std::vector<std::uint32_t> keys = Keys(store);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        QCOMPARE(store.IndexOfKey(keys[i]), static_cast<int>(i));
        ST_BLELEMENT::Identifier id{};
        QVERIFY(store.IdentifierOfKey(keys[i], id));
        QVERIFY(id == store.EntryAt(i)->element.identifier);
    }
    for (std::uint32_t gone : {0u, 1u, 2u, 17u, 50u, 51u, 99u, 101u, 0xFFFFFFFFu}) {
        QCOMPARE(store.IndexOfKey(gone), -1);
        QVERIFY(!store.Remove(gone));
    }
}

void TestCoreStore::startActionOnlyFromIdle() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2)});
    stItemRef item;
    QVERIFY(store.RefOfKey(2, item));
    QVERIFY(store.StartAction(item, busy::kRedoing));
    // A second click while the first action runs finds the item busy and changes nothing.
    QVERIFY(!store.StartAction(item, busy::kRemovingOrUndoing));
    std::int32_t state = -1;
    QVERIFY(store.BusyStateAt(1, state));
    QCOMPARE(state, busy::kRedoing);
    QVERIFY(store.SetBusyState(item, busy::kIdle));
    QVERIFY(store.StartAction(item, busy::kRemovingOrUndoing));
    QVERIFY(store.Remove(2));
    QVERIFY(!store.StartAction(item, busy::kRemovingOrUndoing));
}

void TestCoreStore::referenceFindsTheSameItem_data() {
    QTest::addColumn<QList<int>>("after");  // identifiers of the store after the reference was taken
    QTest::addColumn<bool>("refreshed");    // the store was emptied in between
    QTest::addColumn<int>("expectedIndex"); // where the item is now, -1 when gone
    QTest::newRow("same store") << QList<int>{1, 2, 3} << false << 1;
    QTest::newRow("refreshed, same order") << QList<int>{1, 2, 3} << true << 1;
    QTest::newRow("refreshed, an item before it gone") << QList<int>{2, 3} << true << 0;
    QTest::newRow("refreshed, moved down") << QList<int>{4, 5, 2} << true << 2;
    QTest::newRow("refreshed, its key now another item's") << QList<int>{1, 3, 9} << true << -1;
    QTest::newRow("refreshed, gone") << QList<int>{} << true << -1;
}

void TestCoreStore::referenceFindsTheSameItem() {
    QFETCH(QList<int>, after);
    QFETCH(bool, refreshed);
    QFETCH(int, expectedIndex);
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2), Element(3)});
    store.SetResetPending(false);
    stItemRef item; // the entry of identifier 2, key 2
    QVERIFY(store.RefOfKey(2, item));
    QCOMPARE(item.key, 2u);
    QVERIFY(item.identifier == Element(2).identifier);
    if (refreshed) {
        std::vector<ST_BLELEMENT> page;
        for (int id : after)
            page.push_back(Element(static_cast<std::uint8_t>(id)));
        store.SetResetPending(true);
        store.AppendPage(page);
    }
    QCOMPARE(store.IndexOfRef(item), expectedIndex);
    QCOMPARE(store.SetBusyState(item, 1), expectedIndex >= 0);
    for (std::size_t i = 0; i < store.Count(); ++i) {
        std::int32_t state = -1;
        QVERIFY(store.BusyStateAt(i, state));
        // Only the same item ever changes.
        QCOMPARE(state, static_cast<int>(i) == expectedIndex ? 1 : 0);
    }
    QCOMPARE(store.KeyOfRef(item), expectedIndex < 0 ? 0u : store.EntryAt(expectedIndex)->key);
}

void TestCoreStore::elementCopyLimitsTexts_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("kept");
    QTest::newRow("one below the limit") << 32766 << 32766;
    QTest::newRow("at the limit") << 32767 << 32767;
    QTest::newRow("one above the limit") << 32768 << 32767;
    QTest::newRow("far above the limit") << 100000 << 32767;
}

void TestCoreStore::elementCopyLimitsTexts() {
    QFETCH(int, length);
    QFETCH(int, kept);
    ST_BLELEMENT source;
    source.location = std::u16string(static_cast<std::size_t>(length), u'a');
    source.containerLocation = std::u16string(static_cast<std::size_t>(length), u'b');
    const ST_BLELEMENT copy = source;
    QCOMPARE(copy.location->size(), std::size_t(kept));
    QCOMPARE(copy.containerLocation->size(), std::size_t(kept));
    // Cut or whole, a copy shares the source's units instead of copying them.
    QVERIFY(copy.location.SharesBlockWith(source.location));
    QVERIFY(copy.containerLocation.SharesBlockWith(source.containerLocation));
    QVERIFY(!copy.location.SharesBlockWith(copy.containerLocation));
    QCOMPARE(source.location->size(), std::size_t(length));
    ST_BLELEMENT assigned;
    assigned = source;
    QCOMPARE(assigned.location->size(), std::size_t(kept));
    const ST_BLELEMENT moved = std::move(source);
    QCOMPARE(moved.location->size(), std::size_t(kept));

    ST_BLELEMENT missing;
    missing.location = u"x";
    const ST_BLELEMENT copyOfMissing = missing;
    QVERIFY(copyOfMissing.location.has_value());
    QVERIFY(!copyOfMissing.containerLocation.has_value());
}

void TestCoreStore::hiddenElementsAreNeverStored() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2, 0x400 | 0x80), Element(3, 0x04)});
    QCOMPARE(store.Count(), std::size_t(2));
    QVERIFY(store.EntryAt(0)->element.identifier[0] == 1);
    QVERIFY(store.EntryAt(1)->element.identifier[0] == 3);
    QCOMPARE(Keys(store), (std::vector<std::uint32_t>{1, 2}));
}

void TestCoreStore::allHiddenPageStillEmptiesWhenResetPending() {
    CBlaItemEx store;
    QVERIFY(store.ResetPending()); // a new store empties itself with the first page
    store.AppendPage({Element(1), Element(2)});
    store.SetResetPending(true);
    store.AppendPage({Element(3, 0x400), Element(4, 0x400)});
    QCOMPARE(store.Count(), std::size_t(0));
    QCOMPARE(store.LastKey(), 0u);
}

void TestCoreStore::keysAcrossPagesAndRestartAfterReset() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2)});
    store.SetResetPending(false); // the paging clears it after the first page
    store.AppendPage({Element(3), Element(4, 0x400), Element(5)});
    QCOMPARE(Keys(store), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    QCOMPARE(store.LastKey(), 4u);

    store.SetResetPending(true); // the next fetch
    store.AppendPage({Element(6)});
    QCOMPARE(Keys(store), (std::vector<std::uint32_t>{1}));
    QVERIFY(store.EntryAt(0)->element.identifier[0] == 6);
}

void TestCoreStore::removingTheOnlyEntryKeepsLastKey() {
    CBlaItemEx store;
    store.AppendPage({Element(1)});
    store.SetResetPending(false);
    QVERIFY(store.Remove(1));
    QCOMPARE(store.Count(), std::size_t(0));
    QCOMPARE(store.LastKey(), 1u);
    store.AppendPage({Element(2)});
    QCOMPARE(Keys(store), (std::vector<std::uint32_t>{2}));

    store.Clear();
    QCOMPARE(store.LastKey(), 0u);
}

void TestCoreStore::removeMovesLaterEntriesDown() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2), Element(3)});
    QVERIFY(store.Remove(2));
    QVERIFY(!store.Remove(2));
    QCOMPARE(Keys(store), (std::vector<std::uint32_t>{1, 3}));
    QCOMPARE(store.IndexOfKey(3), 1);
    QCOMPARE(store.IndexOfKey(2), -1);
}

void TestCoreStore::outOfRangeAndUnknownKeys() {
    CBlaItemEx store;
    store.AppendPage({Element(7)});
    QCOMPARE(store.IndexOfKey(0), -1);
    QCOMPARE(store.IndexOfKey(2), -1);

    ST_BLELEMENT::Identifier identifier;
    identifier.fill(0xFF);
    QVERIFY(!store.IdentifierOfKey(2, identifier));
    QVERIFY(identifier == ST_BLELEMENT::Identifier{});
    QVERIFY(store.IdentifierOfKey(1, identifier));
    QCOMPARE(identifier[15], std::uint8_t(7));

    stBlaElements copy;
    copy.key = 99;
    QVERIFY(!store.CopyEntry(1, copy));
    QCOMPARE(copy.key, 99u);
    QVERIFY(!store.EntryAt(1));
    std::int32_t busy = 5;
    QVERIFY(!store.BusyStateAt(1, busy));
    QCOMPARE(busy, 5);
    QVERIFY(!store.SetBusyStateAt(1, 2));
    QVERIFY(!store.IconFor(1));
}

void TestCoreStore::copyKeepsItsOwnTexts() {
    CBlaItemEx store;
    std::vector<ST_BLELEMENT> page{Element(1)};
    page[0].containerLocation = u"C:\\box.zip";
    store.AppendPage(page);
    page[0].location = u"changed by the caller";

    stBlaElements copy;
    QVERIFY(store.CopyEntry(0, copy));
    QCOMPARE(copy.key, 1u);
    QVERIFY(store.Remove(1)); // the copy outlives its entry
    QCOMPARE(Q(*copy.element.location), QStringLiteral("C:\\item1.exe"));
    QCOMPARE(Q(*copy.element.containerLocation), QStringLiteral("C:\\box.zip"));
}

void TestCoreStore::entryAddressesStayUntilRemoved() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2)});
    store.SetResetPending(false);
    const stBlaElements* second = store.EntryAt(1);
    for (int page = 0; page < 50; ++page)
        store.AppendPage(std::vector<ST_BLELEMENT>(100, Element(3)));
    QVERIFY(store.Remove(1));
    QCOMPARE(store.EntryAt(0), second);
    QCOMPARE(second->key, 2u);
    QCOMPARE(Q(*second->element.location), QStringLiteral("C:\\item2.exe"));
}

void TestCoreStore::busyState() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2)});
    QVERIFY(store.SetBusyStateAt(1, 3));
    std::int32_t state = -1;
    QVERIFY(store.BusyStateAt(1, state));
    QCOMPARE(state, 3);
    QVERIFY(store.BusyStateAt(0, state));
    QCOMPARE(state, 0);
    stBlaElements copy;
    QVERIFY(store.CopyEntry(1, copy));
    QCOMPARE(copy.busyState, 3);
}

void TestCoreStore::generationChangesWhenEmptied() {
    CBlaItemEx store;
    store.AppendPage({Element(1), Element(2)});
    store.SetResetPending(false);
    const std::uint64_t first = store.Generation();
    store.AppendPage({Element(3)});
    QVERIFY(store.Remove(1));
    QCOMPARE(store.Generation(), first);
    store.SetResetPending(true);
    store.AppendPage({});
    const std::uint64_t second = store.Generation();
    QVERIFY(second != first);
    store.Clear();
    QVERIFY(store.Generation() != second);
}

void TestCoreStore::iconFor_data() {
    QTest::addColumn<quint32>("category");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<bool>("loads");
    QTest::newRow("neutralised element") << 20u << 0u << true;
    QTest::newRow("deleted, category 20 has bit 0x04") << 20u << 0x04u << false;
    QTest::newRow("deleted, category 100") << 100u << 0x04u << false;
    QTest::newRow("deleted, category 0x20") << 0x20u << 0x04u << false;
    QTest::newRow("deleted, category 0x40") << 0x40u << 0x04u << false;
    QTest::newRow("deleted, category without bits 0x64") << 0x83u << 0x04u << true;
    QTest::newRow("undone, category 100") << 100u << 0x80u << true;
}

void TestCoreStore::iconFor() {
    QFETCH(quint32, category);
    QFETCH(quint32, flags);
    QFETCH(bool, loads);
    CBlaItemEx store;
    int loaded = 0;
    store.SetIconLoader([&loaded](const std::u16string& location) {
        ++loaded;
        auto icon = std::make_shared<TestIcon>();
        icon->location = location;
        return icon;
    });
    store.AppendPage({Element(1, flags, category)});
    const std::shared_ptr<ItemIcon> first = store.IconFor(0);
    const std::shared_ptr<ItemIcon> second = store.IconFor(0);
    QCOMPARE(loaded, loads ? 1 : 0);
    QCOMPARE(bool(first), loads);
    QCOMPARE(first, second);
    if (loads) {
        QCOMPARE(Q(static_cast<TestIcon*>(first.get())->location), QStringLiteral("C:\\item1.exe"));
        stBlaElements copy;
        QVERIFY(store.CopyEntry(0, copy));
        QCOMPARE(copy.icon, first); // the duplicate is the same picture
    }
}

// Readers on another thread walk the store while the owner appends and removes; run under
// the sanitizers this shows that every operation holds the lock.
void TestCoreStore::readersWhileWriting() {
    CBlaItemEx store;
    store.SetResetPending(false);
    std::atomic<bool> done{false};
    std::atomic<int> broken{0};
    std::thread reader([&] {
        while (!done.load()) {
            for (std::size_t i = 0; i < store.Count(); ++i) {
                stBlaElements copy;
                if (store.CopyEntry(i, copy) && (copy.key == 0 || !copy.element.location))
                    ++broken;
            }
        }
    });
    for (int round = 0; round < 200; ++round) {
        store.AppendPage({Element(1), Element(2), Element(3)});
        store.Remove(store.LastKey() - 1);
        if (round % 50 == 25)
            store.Clear();
    }
    done.store(true);
    reader.join();
    QCOMPARE(broken.load(), 0);
    QCOMPARE(store.LastKey(), 72u); // 24 rounds after the last clear
    QCOMPARE(store.Count(), std::size_t(48));
}

void TestCoreStore::nameOf_data() {
    QTest::addColumn<int>("attempts");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name received") << 1 << QStringLiteral("Trojan.X") << false << QStringLiteral("Trojan.X");
    QTest::newRow("name received after the last attempt")
        << 3 << QStringLiteral("Adware.Y") << false << QStringLiteral("Adware.Y");
    QTest::newRow("never asked") << 0 << QString() << false << QString();
    QTest::newRow("attempts left") << 2 << QString() << false << QString();
    QTest::newRow("attempts used up") << 3 << QString() << false << QStringLiteral("undefined");
    QTest::newRow("last attempt in flight") << 3 << QString() << true << QString();
}

void TestCoreStore::nameOf() {
    QFETCH(int, attempts);
    QFETCH(QString, name);
    QFETCH(bool, requested);
    QFETCH(QString, expected);
    TMapDetectionID cache;
    cache.AddWaitingRow(500, 1);
    cache[500].attempts = attempts;
    cache[500].name = name.toStdU16String();
    cache[500].requested = requested;
    QCOMPARE(Q(cache.NameOf(500, 3)), expected);
    QCOMPARE(Q(cache.NameOf(501, 3)), QString()); // not in the cache
}

void TestCoreStore::batchesInIdentifierOrder_data() {
    QTest::addColumn<int>("batchSize");
    QTest::addColumn<Batches>("batches");
    const Batches oneByOne{{10}, {20}, {30}, {40}, {50}};
    QTest::newRow("batch size 1") << 1 << oneByOne;
    QTest::newRow("batch size 0 counts as 1") << 0 << oneByOne;
    QTest::newRow("negative batch size counts as 1") << -4 << oneByOne;
    QTest::newRow("batch size 2") << 2 << Batches{{10, 20}, {30, 40}, {50}};
    QTest::newRow("batch larger than the cache") << 100 << Batches{{10, 20, 30, 40, 50}};
}

// Each reply frees the requester and asks for the next batch, until every name came.
void TestCoreStore::batchesInIdentifierOrder() {
    QFETCH(int, batchSize);
    QFETCH(Batches, batches);
    TMapDetectionID cache;
    for (std::uint32_t id : {30u, 10u, 50u, 20u, 40u})
        cache.AddWaitingRow(id, static_cast<std::int32_t>(id));
    FakeRequester requester;
    bool inFlight = cache.RequestDetectionNames(requester, batchSize, 3);
    while (inFlight) {
        const std::vector<std::uint32_t> answered = requester.Answer();
        RspModAvIemGetInfo reply;
        for (std::uint32_t id : answered)
            reply.results.push_back({id, 0, 0, u"name"});
        cache.ApplyReply(answered, &reply, {});
        inFlight = cache.RequestDetectionNames(requester, batchSize, 3);
    }
    QCOMPARE(requester.sent, batches);
    for (const auto& [id, entry] : cache)
        QCOMPARE(entry.attempts, 1);
}

void TestCoreStore::undefinedAfterMaxAttempts() {
    TMapDetectionID cache;
    cache.AddWaitingRow(500, 1);
    FakeRequester requester;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        QVERIFY(cache.RequestDetectionNames(requester, 5, 2));
        QCOMPARE(Q(cache.NameOf(500, 2)), QString()); // in flight
        const RspModAvIemGetInfo nothing;
        cache.ApplyReply(requester.Answer(), &nothing, {});
    }
    QCOMPARE(cache[500].attempts, 2);
    QVERIFY(!cache.RequestDetectionNames(requester, 5, 2));
    QCOMPARE(requester.sent.size(), std::size_t(2));
    QCOMPARE(Q(cache.NameOf(500, 2)), QStringLiteral("undefined"));
}

void TestCoreStore::nothingSentWhileBusyOrInFlight() {
    TMapDetectionID cache;
    cache.AddWaitingRow(1, 1);
    FakeRequester requester;
    requester.busy = true;
    QVERIFY(cache.RequestDetectionNames(requester, 1, 3));
    QVERIFY(requester.sent.empty());

    requester.busy = false;
    cache[1].requested = true; // a request whose reply has not been handled yet
    cache.AddWaitingRow(2, 2);
    QVERIFY(cache.RequestDetectionNames(requester, 1, 3));
    QVERIFY(requester.sent.empty());
    QCOMPARE(cache[2].attempts, 0);

    // Nothing left to ask for: no request.
    TMapDetectionID done;
    done[5].name = u"Known";
    QVERIFY(!done.RequestDetectionNames(requester, 1, 3));
    QVERIFY(requester.sent.empty());
}

void TestCoreStore::refusedSendLeavesNothingInFlight() {
    TMapDetectionID cache;
    cache.AddWaitingRow(10, 1);
    cache.AddWaitingRow(20, 2);
    FakeRequester requester;
    requester.accept = false;
    QVERIFY(!cache.RequestDetectionNames(requester, 5, 3));
    QVERIFY(requester.inFlight.empty());
    QVERIFY(!requester.Busy());
    QVERIFY(!cache[10].requested && !cache[20].requested);
    QCOMPARE(cache[10].attempts, 1);
    QCOMPARE(cache[10].waitingRows.size(), std::size_t(1)); // still waiting for the name

    // The same names are asked for again on the next call.
    requester.accept = true;
    QVERIFY(cache.RequestDetectionNames(requester, 5, 3));
    QCOMPARE(requester.sent, (Batches{{10, 20}, {10, 20}}));
    QCOMPARE(requester.inFlight, (std::vector<std::uint32_t>{10, 20}));
    QVERIFY(requester.Busy());
}

void TestCoreStore::applyReply() {
    TMapDetectionID cache;
    cache.AddWaitingRow(10, 1);
    cache.AddWaitingRow(10, 2);
    cache.AddWaitingRow(20, 3);
    cache.AddWaitingRow(30, 4);
    FakeRequester requester;
    QVERIFY(cache.RequestDetectionNames(requester, 2, 3));

    std::vector<std::int32_t> notified;
    const RspModAvIemGetInfo reply = Names({{10, u"Trojan.X"}, {99, u"Not asked"}, {30, u"Early"}});
    cache.ApplyReply(requester.Answer(), &reply, [&](std::int32_t key) { notified.push_back(key); });

    QCOMPARE(notified, (std::vector<std::int32_t>{1, 2, 3}));
    QCOMPARE(Q(cache.NameOf(10, 3)), QStringLiteral("Trojan.X"));
    QCOMPARE(Q(cache.NameOf(30, 3)), QStringLiteral("Early")); // in the cache, so kept
    QVERIFY(cache.find(99) == cache.end());                    // not in the cache: ignored
    QVERIFY(!cache[10].requested && !cache[20].requested);
    QVERIFY(cache[10].waitingRows.empty() && cache[20].waitingRows.empty());
    QCOMPARE(cache[30].waitingRows.size(), std::size_t(1)); // not part of the request

    // No reply at all still releases the rows of the request.
    QVERIFY(cache.RequestDetectionNames(requester, 2, 3));
    QCOMPARE(requester.inFlight, (std::vector<std::uint32_t>{20}));
    notified.clear();
    cache.ApplyReply(requester.Answer(), nullptr, [&](std::int32_t key) { notified.push_back(key); });
    QVERIFY(notified.empty()); // row 3 was already released
    QVERIFY(!cache[20].requested);
    QCOMPARE(Q(cache.NameOf(20, 3)), QString());

    // A received name is not taken back by a later empty one.
    const RspModAvIemGetInfo empty = Names({{10, u""}});
    cache.ApplyReply({10}, &empty, {});
    QCOMPARE(Q(cache.NameOf(10, 3)), QStringLiteral("Trojan.X"));
}

QTEST_GUILESS_MAIN(TestCoreStore)
#include "tst_core_store.moc"
