// Filling the suspects window's carousel with 10,000 items, page by page, through the path a
// real service takes: list pages answered from the sender's threads, the worker's synchronised
// calls, the window's FillData. The time of an iteration runs from the start of the fetch to
// the first paint of the carousel with every item in it. Besides it, how long the
// user-interface thread stays busy in one turn of its event loop while the pages arrive: a
// turn over 16 ms is a frame the user sees late.
//
//   QT_QPA_PLATFORM=offscreen build-bench2/bin/bench_carousel
#include "controls/smoothimagelist.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/sync.h"
#include "support/controllerfixture.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <map>
#include <numeric>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kItems = 10000;
constexpr double kFrameMs = 16.0;
const std::u16string kListRequest = u"class CMsgModBlaGetList *";

// Times the turns of the user-interface thread's event loop. A turn starts with the first
// event delivered after the loop last went to wait (or with its waking, whichever the event
// dispatcher reports first) and ends when the loop is about to wait again; the idle hook's
// synchronised calls run just before that, so they count in the turn.
class TurnClock final {
public:
    explicit TurnClock(QAbstractEventDispatcher* dispatcher) {
        // Connected after the controller's idle hook: this one runs last.
        m_awake = QObject::connect(
            dispatcher, &QAbstractEventDispatcher::awake, dispatcher, [this] { TurnStarts(); },
            Qt::DirectConnection);
        m_block = QObject::connect(
            dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [this] { TurnEnds(); },
            Qt::DirectConnection);
        s_current = this;
    }
    ~TurnClock() {
        QObject::disconnect(m_awake);
        QObject::disconnect(m_block);
        if (s_current == this)
            s_current = nullptr;
    }
    TurnClock(const TurnClock&) = delete;
    TurnClock& operator=(const TurnClock&) = delete;

    static TurnClock* Current() { return s_current; }

    void TurnStarts() {
        if (m_busy)
            return;
        m_busy = true;
        m_start = Clock::now();
    }
    void TurnEnds() {
        if (!m_busy)
            return;
        m_busy = false;
        m_turnsMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - m_start).count());
    }
    const std::vector<double>& TurnsMs() const { return m_turnsMs; }

private:
    static inline TurnClock* s_current = nullptr;
    QMetaObject::Connection m_awake;
    QMetaObject::Connection m_block;
    bool m_busy = false;
    Clock::time_point m_start;
    std::vector<double> m_turnsMs;
};

// Sees every event the loop delivers on the user-interface thread, to start the turn clock.
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (m_depth == 0 && QThread::currentThread() == thread())
            if (TurnClock* clock = TurnClock::Current())
                clock->TurnStarts();
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        --m_depth;
        return result;
    }

private:
    int m_depth = 0;
};

// Blocked items as a quarantine of many would hold them: several folders, containers and
// file kinds, a virus suspect now and then.
std::vector<wire::Element> ManyElements(int count) {
    static const char16_t* const kFolders[] = {
        u"C:\\Users\\ana\\Descargas\\", u"C:\\Users\\ana\\AppData\\Local\\Temp\\",
        u"C:\\Program Files (x86)\\Herramientas\\bin\\", u"C:\\ProgramData\\Actualizador\\"};
    static const char16_t* const kExtensions[] = {u".exe", u".dll", u".msi", u".scr", u".sys"};
    std::vector<wire::Element> elements;
    elements.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        wire::Element e;
        for (std::size_t b = 0; b < e.id.size(); ++b)
            e.id[b] = static_cast<std::uint8_t>((i >> (8 * (b % 4))) ^ (0x5A + b));
        e.infoId = 40000 + static_cast<std::uint32_t>(i % 700);
        e.detectionId = 1000 + static_cast<std::uint32_t>(i % 15);
        e.actionTime = 133'900'000'000'000'000ULL - static_cast<std::uint64_t>(i) * 6'000'000'000ULL;
        e.category = i % 10 == 0 ? 20 : 100;
        e.itemType = 201 + static_cast<std::uint32_t>(i % 4);
        const std::u16string number = QString::number(100000 + i).toStdU16String();
        const std::u16string folder = kFolders[i % 4];
        if (i % 7 == 0) {
            e.container = folder + u"paquete_" + number + u".zip";
            e.location = e.container + u"\\setup\\instalador.exe";
        } else {
            e.location = folder + u"programa_" + number + kExtensions[i % 5];
        }
        elements.push_back(std::move(e));
    }
    return elements;
}

// The service's list pages, by the position they answer.
std::map<std::int32_t, wire::Bytes> PagesOf(const std::vector<wire::Element>& elements, int pageSize) {
    std::map<std::int32_t, wire::Bytes> pages;
    const int count = static_cast<int>(elements.size());
    for (int first = 0; first < count; first += pageSize) {
        const int end = std::min(count, first + pageSize);
        const std::vector<wire::Element> page(elements.begin() + first, elements.begin() + end);
        pages[first] = wire::ListReply(0, 77, page, end < count ? end : -1);
    }
    return pages;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

// Runs the event loop until the fetch is over and nothing is left to deliver.
bool Settle(ControllerFixture& f) {
    const bool settled = QTest::qWaitFor(
        [&] {
            return f.controller().NextPosition() == -1 && f.controller().Worker()->PendingJobs() == 0 &&
                   platform::PendingSynchronizeCalls() == 0;
        },
        10000);
    f.sender.WaitForThreads();
    QTest::qWait(20);
    return settled;
}

void BM_FillCarousel(benchmark::State& state) {
    const int pageSize = static_cast<int>(state.range(0));
    const auto pages = PagesOf(ManyElements(kItems), pageSize);

    ControllerFixture f;
    f.sender.delivery = ScriptedSender::Delivery::Thread;
    f.sender.reply = [&pages](const wire::Request& r) -> std::optional<wire::Bytes> {
        const std::int32_t position = r.BodyI32(3);
        if (r.payloadName != kListRequest || position < 0)
            return wire::StatusReply(0);
        const auto page = pages.find(position);
        return page != pages.end() ? page->second : wire::ListReply(-1, 0, {}, -1);
    };
    f.parent.show();
    if (!QTest::qWaitForWindowExposed(&f.parent)) {
        state.SkipWithError("the window never showed");
        return;
    }
    if (!Settle(f)) {
        state.SkipWithError("the first fetch never ended");
        return;
    }
    auto* carousel = f.window()->findChild<TSmoothImageList*>(QStringLiteral("lwSuspects2"));

    std::vector<double> turnsMs;
    for (auto _ : state) {
        QEventLoop loop;
        bool timedOut = false;
        // Shown: the carousel paints with every item in it.
        struct PaintWatch final : QObject {
            TSmoothImageList* carousel = nullptr;
            QEventLoop* loop = nullptr;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint && carousel->Count() == kItems)
                    loop->quit();
                return false;
            }
        } watch;
        watch.carousel = carousel;
        watch.loop = &loop;
        carousel->installEventFilter(&watch);
        QTimer::singleShot(120000, &loop, [&] {
            timedOut = true;
            loop.quit();
        });

        TurnClock turns(QAbstractEventDispatcher::instance());
        turns.TurnStarts();
        const auto start = Clock::now();
        f.controller().StartFetch();
        loop.exec();
        const auto elapsed = Clock::now() - start;
        turns.TurnEnds();
        carousel->removeEventFilter(&watch);
        if (timedOut) {
            state.SkipWithError("the carousel never showed every item");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        turnsMs.insert(turnsMs.end(), turns.TurnsMs().begin(), turns.TurnsMs().end());
        if (!Settle(f)) {
            state.SkipWithError("the fetch never ended");
            break;
        }
    }

    const double longest = turnsMs.empty() ? 0 : *std::max_element(turnsMs.begin(), turnsMs.end());
    state.counters["max_turn_ms"] = longest;
    state.counters["p99_turn_ms"] = Percentile(turnsMs, 0.99);
    state.counters["p50_turn_ms"] = Percentile(turnsMs, 0.50);
    state.counters["turns_over_16ms"] = static_cast<double>(
        std::count_if(turnsMs.begin(), turnsMs.end(), [](double ms) { return ms > kFrameMs; }));
    // Per fill: how many turns it took and how long the thread was busy in all of them.
    const double fills = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["turns_per_fill"] = static_cast<double>(turnsMs.size()) / fills;
    state.counters["busy_ms_per_fill"] = std::accumulate(turnsMs.begin(), turnsMs.end(), 0.0) / fills;
    state.counters["items"] = carousel->Count();
}
BENCHMARK(BM_FillCarousel)
    ->ArgName("page_size")
    ->Arg(25)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    // Headless unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    // As the console does, so that items get their file type's picture.
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
