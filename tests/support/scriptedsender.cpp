#include "support/scriptedsender.h"

ScriptedSender::~ScriptedSender() {
    WaitForThreads();
    // Handlers never answered would leak; end them as a service that goes away does.
    for (std::size_t i = 0; i < Count(); ++i)
        NoReply(i);
}

uint32_t ScriptedSender::Send(const uint8_t* data, uint32_t size, IServerCallback* handler) {
    Sent sent;
    sent.bytes.assign(data, data + size);
    sent.request = wire::ParseRequest(data, size);
    sent.handler = handler;
    sent.status = status ? status(sent.request) : 0;
    const bool accepted = sent.status == 0;
    if (!accepted)
        sent.handler = nullptr; // the module keeps a refused handler
    std::size_t index = 0;
    {
        std::lock_guard guard(m_lock);
        m_sent.push_back(sent);
        index = m_sent.size() - 1;
    }
    if (accepted && delivery != Delivery::Manual && reply) {
        const auto bytes = reply(sent.request);
        ISendToIPCEx::IServerCallback* h = TakeHandler(index);
        if (delivery == Delivery::Inline) {
            Deliver(h, bytes);
        } else {
            std::lock_guard guard(m_lock);
            m_threads.emplace_back([this, h, bytes] { Deliver(h, bytes); });
        }
    }
    return sent.status;
}

std::size_t ScriptedSender::Count() const {
    std::lock_guard guard(m_lock);
    return m_sent.size();
}

ScriptedSender::Sent ScriptedSender::At(std::size_t index) const {
    std::lock_guard guard(m_lock);
    return index < m_sent.size() ? m_sent[index] : Sent{};
}

std::vector<ScriptedSender::Sent> ScriptedSender::All() const {
    std::lock_guard guard(m_lock);
    return m_sent;
}

std::vector<ScriptedSender::Sent> ScriptedSender::OfKind(const std::u16string& payloadName) const {
    std::vector<Sent> out;
    for (const Sent& s : All())
        if (s.request.payloadName == payloadName)
            out.push_back(s);
    return out;
}

ISendToIPCEx::IServerCallback* ScriptedSender::TakeHandler(std::size_t index) {
    std::lock_guard guard(m_lock);
    if (index >= m_sent.size() || m_sent[index].answered || !m_sent[index].handler)
        return nullptr;
    m_sent[index].answered = true;
    return m_sent[index].handler;
}

void ScriptedSender::Deliver(ISendToIPCEx::IServerCallback* handler,
                             const std::optional<wire::Bytes>& bytes) {
    if (!handler)
        return;
    if (bytes)
        handler->Reply(bytes->data(), static_cast<uint32_t>(bytes->size()));
    else
        handler->NoReply();
}

bool ScriptedSender::Reply(std::size_t index, const wire::Bytes& bytes) {
    ISendToIPCEx::IServerCallback* h = TakeHandler(index);
    if (!h)
        return false;
    Deliver(h, bytes);
    return true;
}

bool ScriptedSender::NoReply(std::size_t index) {
    ISendToIPCEx::IServerCallback* h = TakeHandler(index);
    if (!h)
        return false;
    Deliver(h, std::nullopt);
    return true;
}

void ScriptedSender::AnswerPending() {
    for (std::size_t i = 0; i < Count(); ++i) {
        const Sent s = At(i);
        if (s.answered || !s.handler || !reply)
            continue;
        const auto bytes = reply(s.request);
        Deliver(TakeHandler(i), bytes);
    }
}

void ScriptedSender::WaitForThreads() {
    std::vector<std::thread> threads;
    {
        std::lock_guard guard(m_lock);
        threads.swap(m_threads);
    }
    for (auto& t : threads)
        t.join();
}
