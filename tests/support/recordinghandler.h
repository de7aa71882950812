#pragma once

#include "support/wirebytes.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <zrun/suspects.h>

// A reply handler that records how, how often and on which thread it was called, and lets a
// test wait for the call.
class RecordingHandler final : public ISendToIPCEx::IServerCallback {
public:
    RecordingHandler() = default;
    RecordingHandler(const RecordingHandler&) = delete;
    RecordingHandler& operator=(const RecordingHandler&) = delete;

    void NoReply() override;
    void Reply(const uint8_t* data, uint32_t size) override;

    // True once called; waits at most the timeout.
    bool WaitForCall(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    int Calls() const;
    int Replies() const;
    int NoReplies() const;
    wire::Bytes Bytes() const;
    std::thread::id Thread() const;

    // Runs inside the call, on the caller's (the service's) thread, before the call is recorded.
    std::function<void()> during;

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_called;
    int m_replies = 0;
    int m_noReplies = 0;
    wire::Bytes m_bytes;
    std::thread::id m_thread;
};
