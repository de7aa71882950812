#include "comm/threadgetsuspectsdata.h"

ThreadGetSuspectsData::ThreadGetSuspectsData(TargetOf target) : m_target(std::move(target)) {}

ThreadGetSuspectsData::~ThreadGetSuspectsData() {
    Stop();
    if (isRunning())
        WaitFor();
}

void ThreadGetSuspectsData::AddJob(const tagJOB& job) {
    std::lock_guard guard(m_queueLock);
    m_jobs.push_back(job);
    if (m_waiting)
        m_wake.Set();
}

void ThreadGetSuspectsData::ClearJobs() {
    std::lock_guard guard(m_queueLock);
    m_jobs.clear();
}

void ThreadGetSuspectsData::Stop() {
    Terminate();
    m_wake.Set();
}

std::size_t ThreadGetSuspectsData::PendingJobs() const {
    std::lock_guard guard(m_queueLock);
    return m_jobs.size();
}

void ThreadGetSuspectsData::Execute() {
    while (!Terminated()) {
        tagJOB job;
        if (TakeJob(job))
            Process(job);
        WaitForWork();
    }
}

bool ThreadGetSuspectsData::TakeJob(tagJOB& job) {
    std::lock_guard guard(m_queueLock);
    if (m_jobs.empty())
        return false;
    job = m_jobs.front();
    m_jobs.pop_front();
    return true;
}

void ThreadGetSuspectsData::Process(const tagJOB& job) {
    switch (job.type) {
    case tagJOB::kNewItems:
        m_currentPosition = job.position;
        m_currentCount = job.count;
        if (m_currentPosition == tagJOB::kFirstPosition) {
            SynchronizeCall([this] {
                if (auto* target = m_target())
                    target->ResetViews();
            });
        }
        SynchronizeCall([this, first = m_currentPosition, end = m_currentCount] {
            if (auto* target = m_target())
                target->FillData(first, end);
        });
        break;
    case tagJOB::kEndOfData:
        SynchronizeCall([this] {
            if (auto* target = m_target())
                target->EndFillData();
        });
        break;
    default:
        break;
    }
}

void ThreadGetSuspectsData::WaitForWork() {
    {
        // Testing the queue and raising the waiting flag in one hold of the lock means a
        // producer either sees the flag and signals, or its job is seen here: no lost wake-up.
        std::lock_guard guard(m_queueLock);
        if (!m_jobs.empty() || Terminated())
            return;
        m_waiting = true;
    }
    m_wake.Wait();
    std::lock_guard guard(m_queueLock);
    m_waiting = false;
    m_wake.Reset();
}
