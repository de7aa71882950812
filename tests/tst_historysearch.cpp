// Searching and sorting the action history window, by real keys in EditSearch and real clicks
// on the grid's header.
#include "support/historyfixture.h"

#include <QLabel>
#include <array>
#include <climits>

using namespace history;

namespace {

constexpr std::uint64_t kOneDay = 864'000'000'000ULL;
const std::u16string kGetInfo = u"class CMsgModAvIemGetInfo *";

// Four rows whose names, locations and times tell them apart.
std::vector<ST_BLELEMENT> Named(Window& h, const QStringList& names) {
    std::vector<ST_BLELEMENT> out;
    for (int i = 0; i < names.size(); ++i) {
        out.push_back(Element(i + 1));
        h.names()[500 + static_cast<std::uint32_t>(i) + 1].name = names[i].toStdU16String();
    }
    return out;
}

QColor ColourOfKey(Window& h, int key) {
    for (int r = 1; r < h.grid()->RowCount(); ++r)
        if (h.w->KeyOfGridRow(r) == key)
            return h.grid()->model()->index(r - 1, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    return QColor();
}

const QColor kGreen(0xC7, 0xE3, 0x9A);

// What a search over every shown row from scratch finds: read from the grid with no search
// applied, in the order it shows the rows.
struct Reference {
    QList<int> order;
    QHash<int, QString> texts;

    void Read(Window& h) {
        order.clear();
        texts.clear();
        for (int r = 1; r < h.grid()->RowCount(); ++r) {
            const int key = h.w->KeyOfGridRow(r);
            if (key == -1)
                continue;
            order << key;
            texts[key] = (h.Text(0, r) + QLatin1Char('\n') + h.Text(1, r) + QLatin1Char('\n') + h.Text(2, r))
                             .toCaseFolded();
        }
    }
    QList<int> Find(const QString& query, int maxKey = INT_MAX) const {
        QList<int> keys;
        const QString folded = query.toCaseFolded();
        for (int key : order)
            if (key <= maxKey && texts.value(key).contains(folded))
                keys << key;
        return keys;
    }
};

// Types text key by key; after each key the grid lists exactly what a fresh search finds.
void TypeChecked(Window& h, const Reference& ref, const QString& text) {
    h.search()->setFocus();
    for (const QChar c : text) {
        QTest::keyClicks(h.search(), QString(c));
        QCOMPARE(h.Keys(), ref.Find(h.search()->text()));
    }
}

void DeleteChecked(Window& h, const Reference& ref, int count) {
    h.search()->setFocus();
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(h.search(), Qt::Key_Backspace);
        QCOMPARE(h.Keys(), ref.Find(h.search()->text()));
    }
}

} // namespace

class TestHistorySearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hintComesAndGoesWithTheFocus();
    void hintGoesBeforeTheFirstKeyOfAnInactiveWindow_data();
    void hintGoesBeforeTheFirstKeyOfAnInactiveWindow();
    void matches_data();
    void matches();
    void clearingTheSearchShowsEveryRowWithItsColour();
    void fruitlessShortcut_data();
    void fruitlessShortcut();
    void shortcutIsOffWhileFilling();
    void queryIsKeptAcrossAReset();
    void selectionFollowsTheSearch_data();
    void selectionFollowsTheSearch();
    void removingTheLastSearchRowShowsNoActions();
    void removedWhileHiddenNeverComesBack();
    void sorts_data();
    void sorts();
    void sortInsideASearchReordersOnlyTheMatches();
    void deletingBackAndTypingAnotherQuery();
    void batchArrivingBetweenKeystrokes();
    void sortBetweenKeystrokes();
    void nameArrivingBetweenKeystrokes();
    void rowRemovedWhileASearchIsApplied();
};

void TestHistorySearch::hintComesAndGoesWithTheFocus() {
    Window h;
    h.LoadAll(Elements(3));
    const QString hint = QStringLiteral("Escribe aquí la palabra a buscar");
    h.search()->setFocus();
    QTRY_VERIFY(h.search()->hasFocus());
    QCOMPARE(h.search()->text(), QString());
    QVERIFY(!h.search()->font().italic());
    QVERIFY(!h.w->FilterActive());
    h.grid()->setFocus();
    QTRY_VERIFY(!h.search()->hasFocus());
    QCOMPARE(h.search()->text(), hint);
    QVERIFY(h.search()->font().italic());
    QVERIFY(!h.w->FilterActive());
    QCOMPARE(h.Keys(), (QList<int>{1, 2, 3}));
}

void TestHistorySearch::hintGoesBeforeTheFirstKeyOfAnInactiveWindow_data() {
    QTest::addColumn<bool>("click");
    QTest::newRow("clicked, then typed") << true;
    QTest::newRow("typed") << false;
}

void TestHistorySearch::hintGoesBeforeTheFirstKeyOfAnInactiveWindow() {
    QFETCH(bool, click);
    Window h;
    h.LoadAll(Elements(12));
    // Another window is active, as when no window manager activates the history on a click:
    // no focus event comes.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(!h.w->isActiveWindow());
    if (click)
        QTest::mouseClick(h.search(), Qt::LeftButton);
    QTest::keyClicks(h.search(), QStringLiteral("item1"));
    QCOMPARE(h.search()->text(), QStringLiteral("item1"));
    QVERIFY(!h.search()->font().italic());
    QCOMPARE(h.Keys(), (QList<int>{1, 10, 11, 12}));
}

void TestHistorySearch::matches_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("upper case finds a name") << "VIRUS" << QList<int>{1};
    QTest::newRow("backslash in a location") << "ana\\item2" << QList<int>{2};
    QTest::newRow("double quote taken literally") << "\"hi\"" << QList<int>{3};
    QTest::newRow("quote at the start") << "\"h" << QList<int>{3};
    QTest::newRow("location as stored") << "\\device\\harddiskvolume1" << QList<int>{4};
    QTest::newRow("action text") << "neutralizado/a: v" << QList<int>{1};
    QTest::newRow("link target is not searched") << "1002" << QList<int>{};
    QTest::newRow("one letter many times a row") << "e" << QList<int>{1, 2, 3, 4};
    QTest::newRow("nothing") << "zzz" << QList<int>{};
}

void TestHistorySearch::matches() {
    QFETCH(QString, query);
    QFETCH(QList<int>, keys);
    Window h;
    auto elements = Named(h, {"Virus.Alpha", "Trj/B", "Say \"hi\" now", "Adw/D"});
    elements[3].location = u"\\Device\\HarddiskVolume1\\x\\d.exe";
    h.LoadAll(elements);
    h.Type(query);
    QCOMPARE(h.Keys(), keys.isEmpty() ? QList<int>{} : keys);
    QCOMPARE(h.EmptyShown(), keys.isEmpty());
    QVERIFY(h.w->FilterActive());
}

void TestHistorySearch::clearingTheSearchShowsEveryRowWithItsColour() {
    Window h;
    auto elements = Elements(4);
    elements[2].flags = 0x80;
    elements[2].actionTime += kOneDay;
    h.LoadAll(elements);
    // The date as shown finds the rows of that day only.
    const QString date = h.Text(2, 3).section(QLatin1Char(' '), 0, 0);
    h.Type(date);
    QCOMPARE(h.Keys(), (QList<int>{3}));
    QCOMPARE(ColourOfKey(h, 3), kGreen);
    h.ClearSearch();
    QVERIFY(!h.w->FilterActive());
    QCOMPARE(h.Keys(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(ColourOfKey(h, 3), kGreen);
    QVERIFY(ColourOfKey(h, 1) != kGreen);
    QVERIFY(!h.EmptyShown());
}

void TestHistorySearch::fruitlessShortcut_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("more");
    QTest::addColumn<int>("rowCount");
    // A shortcut leaves the header and one blank row; a scan that finds nothing only the header.
    QTest::newRow("longer query takes the shortcut") << "zzz"
                                                     << "q" << 2;
    QTest::newRow("shortcut is case-sensitive") << "abc"
                                                << "" << 1;
}

void TestHistorySearch::fruitlessShortcut() {
    QFETCH(QString, first);
    QFETCH(QString, more);
    QFETCH(int, rowCount);
    Window h;
    h.LoadAll(Elements(3));
    h.search()->setFocus();
    h.search()->setText(first); // at once: no shorter query matches nothing first
    QCOMPARE(h.grid()->RowCount(), 1);
    QCOMPARE(THistorySuspectsForm::LastFruitlessQuery(), first);
    if (more.isEmpty()) {
        h.search()->setText(QStringLiteral("xABC")); // one change, no shorter query before it
    } else {
        h.Type(more);
    }
    QCOMPARE(h.grid()->RowCount(), rowCount);
    QVERIFY(h.EmptyShown());
    // A query that no longer holds it is scanned again and finds its rows.
    h.ClearSearch();
    h.Type(QStringLiteral("item"));
    QCOMPARE(h.Keys(), (QList<int>{1, 2, 3}));
    QVERIFY(THistorySuspectsForm::LastFruitlessQuery().isEmpty());
}

void TestHistorySearch::shortcutIsOffWhileFilling() {
    Window h;
    h.timer("TimerFillData")->setInterval(1500); // room to type between the two batches
    h.Load(Elements(41));
    QTRY_COMPARE_WITH_TIMEOUT(h.w->KeyOfGridRow(40), 40, 10000);
    QVERIFY(h.w->FillInProgress());
    h.Type(QStringLiteral("item41"));
    QCOMPARE(h.Keys(), QList<int>{});
    h.Type(QStringLiteral("."));
    // The next batch brings the entry that matches.
    QTRY_COMPARE_WITH_TIMEOUT(h.Keys(), (QList<int>{41}), 10000);
    QVERIFY(!h.EmptyShown());
}

void TestHistorySearch::queryIsKeptAcrossAReset() {
    Window h;
    h.LoadAll(Elements(3));
    h.Type(QStringLiteral("ITEM2"));
    QCOMPARE(h.Keys(), (QList<int>{2}));
    h.LoadAll(Elements(3));
    QCOMPARE(h.search()->text(), QStringLiteral("ITEM2"));
    QVERIFY(h.w->FilterActive());
    QCOMPARE(h.Keys(), (QList<int>{2}));
}

void TestHistorySearch::selectionFollowsTheSearch_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::newRow("row still there") << "item" << 2 << 2;
    QTest::newRow("row gone: row 1") << "item3" << 1 << 3;
    QTest::newRow("another entry on the row") << "date of row 1" << 2 << 3;
}

void TestHistorySearch::selectionFollowsTheSearch() {
    QFETCH(QString, query);
    QFETCH(int, row);
    QFETCH(int, key);
    Window h;
    auto elements = Elements(3);
    elements[1].actionTime += kOneDay;
    h.LoadAll(elements);
    if (query == QLatin1String("date of row 1"))
        query = h.Text(2, 1).section(QLatin1Char(' '), 0, 0);
    h.ClickRow(2);
    QCOMPARE(h.w->SelectedKey(), 2);
    h.search()->setFocus();
    h.search()->setText(query);
    QCOMPARE(h.w->SelectedRow(), row);
    QCOMPARE(h.w->SelectedKey(), key);
    QCOMPARE(h.w->SelectedKey(), h.w->KeyOfGridRow(row));
    QCOMPARE(h.grid()->CellControl(3, row), h.child<QWidget>("pnlRowActions"));
}

void TestHistorySearch::removingTheLastSearchRowShowsNoActions() {
    Window h;
    h.LoadAll(Elements(3));
    h.Type(QStringLiteral("item2"));
    QCOMPARE(h.Keys(), (QList<int>{2}));
    QVERIFY(h.store()->Remove(2));
    h.Post(h.messages().WM_REMOVEHISTORYITEM, 2);
    h.f.Pump(2);
    QVERIFY(h.EmptyShown());
    QCOMPARE(h.w->SelectedKey(), -1);
}

void TestHistorySearch::removedWhileHiddenNeverComesBack() {
    Window h;
    h.LoadAll(Elements(4));
    h.Type(QStringLiteral("item3"));
    QCOMPARE(h.Keys(), (QList<int>{3}));
    QVERIFY(h.store()->Remove(2));
    h.Post(h.messages().WM_REMOVEHISTORYITEM, 2);
    h.f.Pump(2);
    // The other match keeps showing its own entry.
    QCOMPARE(h.Keys(), (QList<int>{3}));
    QCOMPARE(h.Text(1, 1), QStringLiteral("C:\\Users\\ana\\item3.exe"));
    h.ClearSearch();
    QCOMPARE(h.Keys(), (QList<int>{1, 3, 4}));
}

void TestHistorySearch::sorts_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("sortColumns");
    // Names B A B A; times in the order 2, 1, 4, 3 (latest first); locations item1 to item4.
    QTest::newRow("time descending") << QList<int>{2} << QList<int>{2, 1, 4, 3} << QList<int>{2, 0, 1};
    QTest::newRow("column 2 then 0: text, ties by time")
        << QList<int>{2, 0} << QList<int>{1, 3, 2, 4} << QList<int>{0, 2, 1};
    QTest::newRow("column 0: ties by location")
        << QList<int>{0} << QList<int>{3, 1, 4, 2} << QList<int>{0, 1, 2};
    QTest::newRow("same header twice reverses")
        << QList<int>{0, 0} << QList<int>{2, 4, 1, 3} << QList<int>{0, 1, 2};
    QTest::newRow("column 3 never sorts") << QList<int>{3} << QList<int>{1, 2, 3, 4} << QList<int>{0, 1, 2};
    QTest::newRow("location descending") << QList<int>{1} << QList<int>{4, 3, 2, 1} << QList<int>{1, 0, 2};
}

void TestHistorySearch::sorts() {
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, sortColumns);
    Window h;
    auto elements = Named(h, {"B", "A", "B", "A"});
    elements[1].flags = 0x80;
    const std::array<std::uint64_t, 4> seconds{3, 4, 1, 2};
    for (std::size_t i = 0; i < elements.size(); ++i)
        elements[i].actionTime = 133'000'000'000'000'000ULL + seconds[i] * 10'000'000ULL;
    h.LoadAll(elements);
    for (int c : clicks)
        h.ClickHeader(c);
    QCOMPARE(h.Keys(), keys);
    QCOMPARE(h.w->SortColumns(), sortColumns);
    // Row decorations follow their entries; the selection stays on its grid row.
    QCOMPARE(ColourOfKey(h, 2), kGreen);
    QVERIFY(ColourOfKey(h, 1) != kGreen);
    QCOMPARE(h.w->SelectedRow(), 1);
    QCOMPARE(h.w->SelectedKey(), keys.first());
}

void TestHistorySearch::sortInsideASearchReordersOnlyTheMatches() {
    Window h;
    h.LoadAll(Named(h, {"B", "A", "B", "A"}));
    h.Type(QStringLiteral("b"));
    QCOMPARE(h.Keys(), (QList<int>{1, 3}));
    h.ClickHeader(1);
    QCOMPARE(h.Keys(), (QList<int>{3, 1}));
    h.ClearSearch();
    QCOMPARE(h.Keys(), (QList<int>{1, 2, 3, 4}));
}

void TestHistorySearch::deletingBackAndTypingAnotherQuery() {
    Window h;
    auto elements = Elements(30);
    elements[11].flags = 0x80;
    h.LoadAll(elements);
    Reference ref;
    ref.Read(h);
    TypeChecked(h, ref, QStringLiteral("item1"));
    DeleteChecked(h, ref, 4);
    TypeChecked(h, ref, QStringLiteral("tem2"));
    DeleteChecked(h, ref, 1);
    TypeChecked(h, ref, QStringLiteral("1"));
    // A result given back without a search still colours its own entries.
    QCOMPARE(ColourOfKey(h, 12), kGreen);
    QVERIFY(ColourOfKey(h, 11) != kGreen);
    DeleteChecked(h, ref, 1);
    TypeChecked(h, ref, QStringLiteral("5.EXE"));
}

void TestHistorySearch::batchArrivingBetweenKeystrokes() {
    Window h;
    h.timer("TimerFillData")->setInterval(1500); // room to type between the two batches
    h.Load(Elements(50));
    QTRY_COMPARE_WITH_TIMEOUT(h.w->KeyOfGridRow(40), 40, 10000);
    QVERIFY(h.w->FillInProgress());
    Reference ref;
    ref.Read(h);
    ref.order = Reference().order;
    for (int key = 1; key <= 50; ++key)
        ref.order << key;
    h.search()->setFocus();
    QList<std::pair<QString, QList<int>>> seen;
    auto key = [&](const QString& text) {
        if (text.isEmpty())
            QTest::keyClick(h.search(), Qt::Key_Backspace);
        else
            QTest::keyClicks(h.search(), text);
        seen.append({h.search()->text(), h.Keys()});
    };
    key(QStringLiteral("i"));
    key(QStringLiteral("t"));
    key(QStringLiteral("e"));
    key(QStringLiteral("m"));
    key(QStringLiteral("4"));
    QVERIFY(h.w->FillInProgress());
    for (const auto& [query, keys] : seen)
        QCOMPARE(keys, ref.Find(query, 40));
    seen.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!h.w->FillInProgress(), 10000);
    seen.append({h.search()->text(), h.Keys()});
    key(QString());
    key(QStringLiteral("4"));
    key(QString());
    key(QString());
    key(QStringLiteral("m4"));
    // Every row is in now: the reference reads them all.
    h.ClearSearch();
    ref.Read(h);
    QCOMPARE(ref.order.size(), 50);
    for (const auto& [query, keys] : seen)
        QCOMPARE(keys, ref.Find(query));
}

void TestHistorySearch::sortBetweenKeystrokes() {
    Window h;
    h.LoadAll(Elements(30));
    h.ClickHeader(2);
    Reference ref;
    ref.Read(h);
    QCOMPARE(ref.order.first(), 30);
    TypeChecked(h, ref, QStringLiteral("item1"));
    h.ClearSearch();
    h.ClickHeader(2);
    ref.Read(h);
    QCOMPARE(ref.order.first(), 1);
    TypeChecked(h, ref, QStringLiteral("item1"));
    DeleteChecked(h, ref, 1);
    // A sort of the matches alone: the next key lists them in the order of the rows again.
    h.ClickHeader(1);
    QCOMPARE(h.Keys().first(), 9);
    TypeChecked(h, ref, QStringLiteral("2"));
    DeleteChecked(h, ref, 2);
}

void TestHistorySearch::nameArrivingBetweenKeystrokes() {
    Window h;
    h.LoadAll(Elements(20));
    Reference ref;
    ref.Read(h);
    TypeChecked(h, ref, QStringLiteral("item2"));
    DeleteChecked(h, ref, 1);
    // A shown row gets its name: it now matches a query it did not match before.
    std::size_t index = 0;
    for (std::size_t i = 0; i < h.f.sender.Count(); ++i)
        if (h.f.sender.At(i).request.payloadName == kGetInfo)
            index = i;
    QVERIFY(h.f.sender.Reply(index, wire::DetectionInfoReply(0, {{510, u"Trj/Item2X"}})));
    h.f.Pump();
    QList<std::pair<QString, QList<int>>> seen;
    auto key = [&](const QString& text) {
        if (text.isEmpty())
            QTest::keyClick(h.search(), Qt::Key_Backspace);
        else
            QTest::keyClicks(h.search(), text);
        seen.append({h.search()->text(), h.Keys()});
    };
    h.search()->setFocus();
    key(QStringLiteral("2"));
    key(QStringLiteral("x"));
    key(QString());
    key(QString());
    key(QString());
    key(QStringLiteral("m2"));
    h.ClearSearch();
    ref.Read(h);
    QVERIFY(ref.texts.value(10).contains(QStringLiteral("item2x")));
    for (const auto& [query, keys] : seen)
        QCOMPARE(keys, ref.Find(query));
}

void TestHistorySearch::rowRemovedWhileASearchIsApplied() {
    Window h;
    h.LoadAll(Elements(30));
    Reference ref;
    ref.Read(h);
    TypeChecked(h, ref, QStringLiteral("item1"));
    for (int removed : {12, 25}) {
        QVERIFY(h.store()->Remove(static_cast<std::uint32_t>(removed)));
        h.Post(h.messages().WM_REMOVEHISTORYITEM, static_cast<std::uintptr_t>(removed));
        h.f.Pump(2);
        ref.order.removeAll(removed);
        QCOMPARE(h.Keys(), ref.Find(h.search()->text()));
        DeleteChecked(h, ref, 1);
        TypeChecked(h, ref, QStringLiteral("1"));
        DeleteChecked(h, ref, 3);
        TypeChecked(h, ref, QStringLiteral("em1"));
    }
    TypeChecked(h, ref, QStringLiteral("3"));
}

QTEST_MAIN(TestHistorySearch)
#include "tst_historysearch.moc"
