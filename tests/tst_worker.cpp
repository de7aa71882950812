// The fetch worker: jobs become synchronised calls on the window, in order, with no lost
// wake-up, and the worker stops promptly whatever it is doing.
#include "comm/threadgetsuspectsdata.h"
#include "platform/sync.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

class RecordingTarget final : public ThreadGetSuspectsData::Target {
public:
    void ResetViews() override { Record(QStringLiteral("reset")); }
    void FillData(std::int32_t first, std::int32_t end) override {
        Record(QStringLiteral("fill %1-%2").arg(first).arg(end));
    }
    void EndFillData() override {
        ++ends;
        Record(QStringLiteral("end"));
    }

    QStringList calls;
    std::atomic<int> ends{0};
    bool allOnMainThread = true;

private:
    void Record(const QString& call) {
        allOnMainThread =
            allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        calls << call;
    }
};

// The controller's idle hook, as the module installs it.
struct IdleHookInstalled {
    IdleHookInstalled() {
        platform::SetApplicationIdleHook([] { platform::CheckSynchronize(); });
    }
    ~IdleHookInstalled() { platform::SetApplicationIdleHook({}); }
};

} // namespace

class TestWorker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void jobsBecomeSynchronisedCallsInOrder();
    void onlyPositionZeroResetsTheViews();
    void unknownJobTypesDoNothing();
    void noLostWakeUpUnderAHammeringProducer();
    void clearJobsDropsWhatIsQueued();
    void stopWhileWaitingEndsPromptly();
    void stopWhileASynchronisedCallIsPendingEndsPromptly();
    void noTargetMeansNoCall();
};

void TestWorker::jobsBecomeSynchronisedCallsInOrder() {
    IdleHookInstalled idle;
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start(QThread::LowestPriority);
    worker.AddJob({0, 0, 3});
    worker.AddJob({0, 3, 5});
    worker.AddJob({1, 0, 0});
    QTRY_COMPARE(target.calls, (QStringList{"reset", "fill 0-3", "fill 3-5", "end"}));
    QVERIFY(target.allOnMainThread);
    worker.Stop();
    worker.WaitFor();
}

void TestWorker::onlyPositionZeroResetsTheViews() {
    IdleHookInstalled idle;
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start();
    worker.AddJob({0, 10, 12});
    worker.AddJob({1, 99, 99});
    QTRY_COMPARE(target.calls, (QStringList{"fill 10-12", "end"}));
    worker.Stop();
    worker.WaitFor();
}

void TestWorker::unknownJobTypesDoNothing() {
    IdleHookInstalled idle;
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start();
    worker.AddJob({7, 0, 0});
    worker.AddJob({-1, 0, 0});
    worker.AddJob({1, 0, 0});
    QTRY_COMPARE(target.calls, (QStringList{"end"}));
    worker.Stop();
    worker.WaitFor();
}

void TestWorker::noLostWakeUpUnderAHammeringProducer() {
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start(QThread::LowestPriority);
    // Each round's job comes just as the worker, having emptied the queue, goes to sleep: a
    // lost wake-up leaves it queued for good. Most jobs are of no known type and cost the
    // worker nothing; every 50th ends a fill, a synchronised call this thread runs while it
    // waits. The rounds are fixed in number, so the test stays short under any sanitizer;
    // only a failure waits for the deadline.
    constexpr int kRounds = 2000;
    constexpr int kEndEvery = 50;
    const auto takenWithin = [&worker](int milliseconds) {
        QDeadlineTimer deadline(milliseconds);
        while (worker.PendingJobs() != 0 && !deadline.hasExpired())
            platform::CheckSynchronize();
        return worker.PendingJobs() == 0;
    };
    for (int round = 1; round <= kRounds; ++round) {
        worker.AddJob({round % kEndEvery == 0 ? 1 : 2, 0, 0});
        QVERIFY2(takenWithin(10000), qPrintable(QStringLiteral("round %1").arg(round)));
    }
    QDeadlineTimer deadline(10000);
    while (target.ends.load() != kRounds / kEndEvery && !deadline.hasExpired())
        platform::CheckSynchronize(std::chrono::milliseconds(10));
    QCOMPARE(target.ends.load(), kRounds / kEndEvery);
    QVERIFY(target.allOnMainThread);
    worker.Stop();
    worker.WaitFor();
}

void TestWorker::clearJobsDropsWhatIsQueued() {
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    // Not started: the jobs stay queued until cleared.
    worker.AddJob({0, 0, 1});
    worker.AddJob({1, 0, 0});
    QCOMPARE(worker.PendingJobs(), std::size_t(2));
    worker.ClearJobs();
    QCOMPARE(worker.PendingJobs(), std::size_t(0));
}

void TestWorker::stopWhileWaitingEndsPromptly() {
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start();
    QTest::qWait(50); // let it reach its wait
    // A worker that missed the wake would keep this join, and the test, from ever ending.
    worker.Stop();
    worker.WaitFor();
    QVERIFY(worker.isFinished());
}

void TestWorker::stopWhileASynchronisedCallIsPendingEndsPromptly() {
    // No idle hook: the worker blocks in its synchronised call until the join runs it.
    RecordingTarget target;
    ThreadGetSuspectsData worker([&] { return &target; });
    worker.Start();
    worker.AddJob({1, 0, 0});
    QTRY_COMPARE(platform::PendingSynchronizeCalls(), 1);
    worker.Stop();
    worker.WaitFor();
    QVERIFY(worker.isFinished());
    QCOMPARE(target.calls, QStringList{"end"});
}

void TestWorker::noTargetMeansNoCall() {
    IdleHookInstalled idle;
    std::atomic<int> asked{0};
    ThreadGetSuspectsData worker([&]() -> ThreadGetSuspectsData::Target* {
        ++asked;
        return nullptr;
    });
    worker.Start();
    worker.AddJob({0, 0, 2});
    QTRY_COMPARE(asked.load(), 2);
    worker.Stop();
    worker.WaitFor();
}

QTEST_MAIN(TestWorker)
#include "tst_worker.moc"
