#pragma once

#include "platform/sync.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

// One job of the worker.
struct tagJOB {
    static constexpr std::int32_t kNewItems = 0;
    static constexpr std::int32_t kEndOfData = 1;
    // A new-items job from position 0 is the first of a fill: the views are reset before it.
    static constexpr std::int32_t kFirstPosition = 0;

    std::int32_t type = kNewItems;
    std::int32_t position = 0; // type 0: store position of the first new item
    std::int32_t count = 0;    // type 0: items in the store after the page was appended
};

// Turns the controller's jobs into synchronised calls on the suspects window, so that each
// page shows as soon as it arrives while the user-interface thread stays free in between.
class ThreadGetSuspectsData final : public platform::TThread {
public:
    // What the synchronised calls reach: the owner's suspects window at the time of the call.
    struct Target {
        virtual void ResetViews() = 0;
        virtual void FillData(std::int32_t first, std::int32_t end) = 0;
        virtual void EndFillData() = 0;

    protected:
        ~Target() = default;
    };
    using TargetOf = std::function<Target*()>;

    explicit ThreadGetSuspectsData(TargetOf target);
    ~ThreadGetSuspectsData() override;
    Q_DISABLE_COPY_MOVE(ThreadGetSuspectsData)

    void AddJob(const tagJOB& job);
    void ClearJobs();
    // Ask the loop to end and wake it; the caller then joins with WaitFor.
    void Stop();

    std::size_t PendingJobs() const;

protected:
    void Execute() override;

private:
    bool TakeJob(tagJOB& job);
    void Process(const tagJOB& job);
    void WaitForWork();

    TargetOf m_target;
    mutable std::mutex m_queueLock;
    std::deque<tagJOB> m_jobs;
    platform::ManualResetEvent m_wake;
    bool m_waiting = false;
    std::int32_t m_currentPosition = 0;
    std::int32_t m_currentCount = 0;
};
