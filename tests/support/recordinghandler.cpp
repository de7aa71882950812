#include "support/recordinghandler.h"

// The call is recorded last, under the lock, and nothing of the object is touched after it:
// a test may destroy the handler as soon as it sees the call.
void RecordingHandler::NoReply() {
    if (during)
        during();
    std::lock_guard lock(m_lock);
    ++m_noReplies;
    m_thread = std::this_thread::get_id();
    m_called.notify_all();
}

void RecordingHandler::Reply(const uint8_t* data, uint32_t size) {
    if (during)
        during();
    std::lock_guard lock(m_lock);
    ++m_replies;
    m_bytes.assign(data, data + size);
    m_thread = std::this_thread::get_id();
    m_called.notify_all();
}

bool RecordingHandler::WaitForCall(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_lock);
    return m_called.wait_for(lock, timeout, [this] { return m_replies + m_noReplies > 0; });
}

int RecordingHandler::Calls() const {
    std::lock_guard lock(m_lock);
    return m_replies + m_noReplies;
}

int RecordingHandler::Replies() const {
    std::lock_guard lock(m_lock);
    return m_replies;
}

int RecordingHandler::NoReplies() const {
    std::lock_guard lock(m_lock);
    return m_noReplies;
}

wire::Bytes RecordingHandler::Bytes() const {
    std::lock_guard lock(m_lock);
    return m_bytes;
}

std::thread::id RecordingHandler::Thread() const {
    std::lock_guard lock(m_lock);
    return m_thread;
}
