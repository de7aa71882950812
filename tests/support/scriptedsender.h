#pragma once

#include "support/wirebytes.h"

#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>
#include <zrun/suspects.h>

// A service sender for tests: records every request, answers with the status a test asks
// for, and calls the reply handlers when and where the test says (by hand, at once inside
// Send, or from threads of its own).
class ScriptedSender final : public ISendToIPCEx {
public:
    enum class Delivery { Manual, Inline, Thread };
    using StatusFor = std::function<std::uint32_t(const wire::Request&)>;
    // The reply bytes for a request, or nothing for "no reply".
    using ReplyFor = std::function<std::optional<wire::Bytes>(const wire::Request&)>;

    struct Sent {
        wire::Bytes bytes;
        wire::Request request;
        IServerCallback* handler = nullptr;
        std::uint32_t status = 0;
        bool answered = false;
    };

    ScriptedSender() = default;
    ~ScriptedSender();
    ScriptedSender(const ScriptedSender&) = delete;
    ScriptedSender& operator=(const ScriptedSender&) = delete;

    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    void Reserved3() override {}
    void Reserved4() override {}
    void Reserved5() override {}
    void Reserved6() override {}
    void Reserved7() override {}
    void Reserved8() override {}
    uint32_t Send(const uint8_t* data, uint32_t size, IServerCallback* handler) override;

    StatusFor status; // default: accept everything
    ReplyFor reply;   // used by Inline and Thread delivery
    Delivery delivery = Delivery::Manual;

    std::size_t Count() const;
    Sent At(std::size_t index) const;
    std::vector<Sent> All() const;
    // Requests whose payload class name is this one (e.g. u"class CMsgModBlaActions *").
    std::vector<Sent> OfKind(const std::u16string& payloadName) const;

    // Manual delivery. False when that request was not accepted or was answered already.
    bool Reply(std::size_t index, const wire::Bytes& bytes);
    bool NoReply(std::size_t index);
    // Answers every unanswered accepted request with the reply function.
    void AnswerPending();
    void WaitForThreads();

private:
    ISendToIPCEx::IServerCallback* TakeHandler(std::size_t index);
    void Deliver(ISendToIPCEx::IServerCallback* handler, const std::optional<wire::Bytes>& bytes);

    mutable std::mutex m_lock;
    std::vector<Sent> m_sent;
    std::vector<std::thread> m_threads;
};
