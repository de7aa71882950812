// The action history window at 100,000 rows, driven through its own code paths: a query typed
// into its search box one key at a time, a click on a column header (three-key locale-aware
// sort), and one fill tick of 40 entries with every row shown and a search applied. Beside
// them, the same keystrokes and a one-column sort through QSortFilterProxyModel over a
// QStandardItemModel holding the same display texts, so the figures have a peer in the same
// run. Every measured step includes the repaint it causes: a step over 16 ms is a frame the
// user sees late.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZRUN_BUILD_BENCH=ON
//   ninja -C build-bench bench_history
//   QT_QPA_PLATFORM=offscreen build-bench/bin/bench_history
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "controls/advstringgrid.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/messages.h"
#include "support/controllerfixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRows = 100000;
constexpr int kBatch = 40;
const QString kQuery = QStringLiteral("trojan");

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Lets the window paint what the step changed.
void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

const char16_t* const kUsers[] = {u"ana", u"jorge", u"marta.lopez", u"Administrador", u"pablo"};
const char16_t* const kFolders[] = {u"Descargas", u"Escritorio", u"Documentos\\Facturas",
                                    u"AppData\\Local\\Temp",
                                    u"AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"};
const char16_t* const kFiles[] = {u"setup_premium.exe", u"factura_0423.pdf.exe", u"crack_office2019.exe",
                                  u"update.dll",        u"driver_helper.sys",    u"invoice.scr",
                                  u"keygen.exe",        u"svchost32.exe",        u"instalador_juegos.msi",
                                  u"toolbar.dll"};
const char16_t* const kNames[] = {u"Trojan.Generic.KD.3021",
                                  u"Adware.Agent/Gen",
                                  u"Trj/Downloader.AB",
                                  u"W32/Sality.AA",
                                  u"PUP/Toolbar.Ask",
                                  u"HackTool/NetPass",
                                  u"Trj/GdSda.A",
                                  u"Ransom/WannaCry.B",
                                  u"Spyware/KeyLogger.C",
                                  u"Trojan.Dropper.Agent",
                                  u"Riskware/CoinMiner",
                                  u"Worm/Conficker.B",
                                  u"Trj/CI.A",
                                  u"Adware/OpenCandy",
                                  u"Exploit/CVE-2017-0199",
                                  u"Trojan.Banker.Emotet"};

// A history of two years: mostly neutralised and deleted files of many users, some undone.
std::vector<ST_BLELEMENT> History(int count, std::uint32_t firstId = 0) {
    std::mt19937 random(20261210u + firstId);
    const std::uint64_t now = 134'100'000'000'000'000ULL; // late 2025, as a file time
    const std::uint64_t twoYears = 2ULL * 365 * 24 * 3600 * 10'000'000ULL;
    std::vector<ST_BLELEMENT> elements(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ST_BLELEMENT& e = elements[static_cast<std::size_t>(i)];
        const std::uint32_t n = firstId + static_cast<std::uint32_t>(i);
        for (int b = 0; b < 4; ++b)
            e.identifier[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(n >> (8 * b));
        e.identifier[15] = 0xA5;
        const std::u16string user = kUsers[random() % std::size(kUsers)];
        e.location = u"C:\\Users\\" + user + u"\\" + kFolders[random() % std::size(kFolders)] + u"\\" +
                     kFiles[random() % std::size(kFiles)];
        e.actionTime = now - (random() % (twoYears / 10'000'000ULL)) * 10'000'000ULL;
        e.category = random() % 10 == 0 ? 20 : 100;
        e.itemType = 201 + random() % 6;
        e.detectionId = 9000 + random() % std::size(kNames);
        e.informationId = 70000 + e.detectionId;
        const unsigned kind = random() % 10;
        e.flags = kind < 5 ? blflags::kDeleted : (kind < 8 ? blflags::kUndone : 0);
    }
    return elements;
}

// A controller with a history window showing kRows rows, every name known.
class HistoryScene {
public:
    HistoryScene() {
        f.parent.show();
        f.Pump();
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            f.controller().DetectionNames()[9000 + static_cast<std::uint32_t>(i)].name = kNames[i];
        CBlaItemEx* store = f.controller().ItemStore();
        store->SetResetPending(true);
        store->AppendPage(History(kRows));
        store->SetResetPending(false);
        history = new THistorySuspectsForm(f.window(), &f.controller());
        f.controller().SetHistoryWindow(history);
        history->resize(900, 700);
        history->show();
        const stMessageNumbers& m = f.controller().Messages();
        platform::PostMessage(platform::HandleOf(history), m.WM_RESETVIEWS, 0, 0);
        platform::PostMessage(platform::HandleOf(history), m.WM_FILLDATA, 0, kRows);
        Settle();
    }

    // Runs the fill tick by tick, as the timer would, and keeps the longest tick.
    void FillAll() {
        while (history->FillInProgress()) {
            const auto start = Clock::now();
            history->TimerFillDataTimer();
            Settle();
            const double ms = MsSince(start);
            if (ms > 10 && qEnvironmentVariableIsSet("ZRUN_BENCH_VERBOSE"))
                std::fprintf(stderr, "  fill tick %d: %.2f ms\n", ticks, ms);
            longestTickMs = std::max(longestTickMs, ms);
            totalFillMs += ms;
            ++ticks;
        }
    }

    QLineEdit* search() const { return history->findChild<QLineEdit*>(QStringLiteral("EditSearch")); }
    TAdvStringGrid* grid() const {
        return history->findChild<TAdvStringGrid*>(QStringLiteral("AdvStringGridSuspects"));
    }

    // The display texts of the first three columns, for the peer.
    std::unique_ptr<QStandardItemModel> DisplayTexts() const {
        QAbstractItemModel* model = grid()->model();
        auto copy = std::make_unique<QStandardItemModel>(model->rowCount(), 3);
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < 3; ++c)
                copy->setItem(r, c, new QStandardItem(model->index(r, c).data(Qt::DisplayRole).toString()));
        return copy;
    }

    ControllerFixture f;
    THistorySuspectsForm* history = nullptr;
    double longestTickMs = 0;
    double totalFillMs = 0;
    int ticks = 0;
};

HistoryScene& Scene() {
    static HistoryScene* scene = [] {
        auto* s = new HistoryScene;
        s->FillAll();
        return s;
    }();
    return *scene;
}

// The peer: the same texts in a QStandardItemModel behind a QSortFilterProxyModel in a view.
struct ProxyScene {
    ProxyScene() : source(Scene().DisplayTexts()) {
        proxy.setSourceModel(source.get());
        proxy.setFilterKeyColumn(-1);
        proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
        proxy.setSortLocaleAware(true);
        proxy.setSortCaseSensitivity(Qt::CaseSensitive);
        view.setModel(&proxy);
        view.resize(900, 700);
        view.show();
        Settle();
    }
    std::unique_ptr<QStandardItemModel> source;
    QSortFilterProxyModel proxy;
    QTableView view;
};

ProxyScene& Proxy() {
    static ProxyScene* scene = new ProxyScene;
    return *scene;
}

// Types the query one key at a time, then deletes it. mean_ms and worst_ms: the keystroke
// itself (the search and the grid's new row count); turn_*: with the repaint it causes, the
// whole turn of the event loop.
template <class Step> void Keystrokes(benchmark::State& state, Step step) {
    double total = 0, worst = 0, turnTotal = 0, turnWorst = 0;
    int strokes = 0;
    auto stroke = [&](const QString& text) {
        const auto start = Clock::now();
        step(text);
        const double ms = MsSince(start);
        Settle();
        const double turn = MsSince(start);
        total += ms;
        worst = std::max(worst, ms);
        turnTotal += turn;
        turnWorst = std::max(turnWorst, turn);
        ++strokes;
        if (qEnvironmentVariableIsSet("ZRUN_BENCH_VERBOSE"))
            std::fprintf(stderr, "  \"%s\": %.2f ms, turn %.2f ms\n", qPrintable(text), ms, turn);
    };
    for (auto _ : state) {
        for (int length = 1; length <= kQuery.size(); ++length)
            stroke(kQuery.left(length));
        for (int length = static_cast<int>(kQuery.size()) - 1; length >= 0; --length)
            stroke(kQuery.left(length));
    }
    state.counters["mean_ms"] = total / std::max(strokes, 1);
    state.counters["worst_ms"] = worst;
    state.counters["turn_mean_ms"] = turnTotal / std::max(strokes, 1);
    state.counters["turn_worst_ms"] = turnWorst;
}

void BM_HistoryFill100k(benchmark::State& state) {
    HistoryScene& scene = Scene();
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.history->FillInProgress());
    state.counters["ticks"] = scene.ticks;
    state.counters["mean_tick_ms"] = scene.totalFillMs / std::max(scene.ticks, 1);
    state.counters["longest_tick_ms"] = scene.longestTickMs;
}
BENCHMARK(BM_HistoryFill100k)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_HistorySearchKeystroke(benchmark::State& state) {
    HistoryScene& scene = Scene();
    QLineEdit* edit = scene.search();
    edit->setFocus();
    Settle();
    edit->clear();
    Settle();
    Keystrokes(state, [&](const QString& text) {
        // A key typed or deleted: the box's text changes by one character.
        if (text.size() > edit->text().size())
            QTest::keyClick(edit, text.back().toLatin1());
        else
            QTest::keyClick(edit, Qt::Key_Backspace);
    });
    state.counters["rows"] = scene.grid()->model()->rowCount();
}
BENCHMARK(BM_HistorySearchKeystroke)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ProxySearchKeystroke(benchmark::State& state) {
    ProxyScene& peer = Proxy();
    Keystrokes(state, [&](const QString& text) {
        peer.proxy.setFilterWildcard(text.isEmpty() ? QString() : QLatin1Char('*') + text + QLatin1Char('*'));
    });
    state.counters["rows"] = peer.source->rowCount();
}
BENCHMARK(BM_ProxySearchKeystroke)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_HistorySort3(benchmark::State& state) {
    HistoryScene& scene = Scene();
    scene.search()->clear();
    Settle();
    QHeaderView* header = scene.grid()->horizontalHeader();
    double total = 0, worst = 0;
    int clicks = 0;
    int column = 0;
    for (auto _ : state) {
        // Each click puts another column first, so every sort runs over all three keys.
        const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
        const auto start = Clock::now();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        Settle();
        const double ms = MsSince(start);
        if (clicks == 0)
            state.counters["first_ms"] = ms;
        total += ms;
        worst = std::max(worst, ms);
        ++clicks;
        column = (column + 1) % 3;
    }
    state.counters["ms"] = total / std::max(clicks, 1);
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_HistorySort3)->Iterations(6)->Unit(benchmark::kMillisecond);

void BM_ProxySort1(benchmark::State& state) {
    ProxyScene& peer = Proxy();
    peer.proxy.setFilterWildcard(QString());
    Settle();
    double total = 0;
    int sorts = 0;
    int column = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        peer.proxy.sort(column, sorts % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
        Settle();
        total += MsSince(start);
        ++sorts;
        column = (column + 1) % 3;
    }
    state.counters["ms"] = total / std::max(sorts, 1);
}
BENCHMARK(BM_ProxySort1)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_HistoryFillBatch(benchmark::State& state) {
    HistoryScene& scene = Scene();
    QLineEdit* edit = scene.search();
    edit->setFocus();
    edit->setText(kQuery);
    Settle();
    CBlaItemEx* store = scene.f.controller().ItemStore();
    const stMessageNumbers& m = scene.f.controller().Messages();
    std::uint32_t next = kRows;
    double total = 0, worst = 0, turnTotal = 0, turnWorst = 0;
    int ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Forty more entries arrive, as a page of the service would bring them.
        store->AppendPage(History(kBatch, next));
        next += kBatch;
        platform::PostMessage(platform::HandleOf(scene.history), m.WM_FILLDATA, 0, 0);
        Settle();
        state.ResumeTiming();
        const auto start = Clock::now();
        scene.history->TimerFillDataTimer();
        const double ms = MsSince(start);
        Settle();
        const double turn = MsSince(start);
        total += ms;
        worst = std::max(worst, ms);
        turnTotal += turn;
        turnWorst = std::max(turnWorst, turn);
        ++ticks;
    }
    state.counters["ms"] = total / std::max(ticks, 1);
    state.counters["worst_ms"] = worst;
    state.counters["turn_ms"] = turnTotal / std::max(ticks, 1);
    state.counters["turn_worst_ms"] = turnWorst;
    state.counters["rows"] = static_cast<double>(store->Count());
}
BENCHMARK(BM_HistoryFillBatch)->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
