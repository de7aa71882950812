#include "comm/replyhandlers.h"

#include "comm/nano/codec.h"
#include "comm/nano/messages.h"

namespace {

// The callback handed to the sender with one detection name request.
class DetectionInfoTicket final : public ISendToIPCEx::IServerCallback {
public:
    explicit DetectionInfoTicket(std::shared_ptr<CGetDetectionInfoMsg> requester)
        : m_requester(std::move(requester)) {}
    void NoReply() override {
        m_requester->OnReply(nullptr);
        delete this;
    }
    void Reply(const uint8_t* data, uint32_t size) override {
        m_requester->OnReply(CReplyHandler::Decode(data, size));
        delete this;
    }

private:
    std::shared_ptr<CGetDetectionInfoMsg> m_requester;
};

} // namespace

std::unique_ptr<ReplyEnvelope> CReplyHandler::Decode(const std::uint8_t* data, std::uint32_t size) {
    if (!data || size == 0)
        return std::make_unique<ReplyEnvelope>();
    auto envelope = DecodeEnvelope(data, size);
    return envelope ? std::move(envelope) : std::make_unique<ReplyEnvelope>();
}

bool CReplyHandler::Post(platform::WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                         std::unique_ptr<ReplyEnvelope> envelope) {
    if (!envelope)
        return platform::PostMessage(window, msg, wParam, 0);
    return platform::PostMessage(window, msg, wParam, platform::MakeOwnedParam(envelope.release()));
}

void CGetBlaListMsg::NoReply() {
    Post(m_window, m_msg, static_cast<std::uintptr_t>(m_generation), nullptr);
    delete this;
}

void CGetBlaListMsg::Reply(const uint8_t* data, uint32_t size) {
    Post(m_window, m_msg, static_cast<std::uintptr_t>(m_generation), Decode(data, size));
    delete this;
}

namespace {

bool PostAction(platform::WindowHandle window, std::uint32_t msg, const stItemRef& item,
                std::unique_ptr<ReplyEnvelope> envelope) {
    auto* reply = new stActionReply{item, std::move(envelope)};
    return platform::PostMessage(window, msg, item.key, platform::MakeOwnedParam(reply));
}

} // namespace

void CUnblockMsg::Reply(const uint8_t* data, uint32_t size) {
    auto envelope = data ? Decode(data, size) : nullptr;
    platform::PostMessage(m_window, m_layerMsg, m_layerSelector, 0);
    PostAction(m_window, m_msg, m_item, std::move(envelope));
    delete this;
}

void CReblockMsg::Reply(const uint8_t* data, uint32_t size) {
    auto envelope = data ? Decode(data, size) : nullptr;
    platform::PostMessage(m_window, m_layerMsg, 1, 0);
    PostAction(m_window, m_msg, m_item, std::move(envelope));
    delete this;
}

void CDeleteMsg::NoReply() {
    PostAction(m_window, m_msg, m_item, nullptr);
    delete this;
}

void CDeleteMsg::Reply(const uint8_t* data, uint32_t size) {
    PostAction(m_window, m_msg, m_item, Decode(data, size));
    delete this;
}

void CSimpleReplyMsg::NoReply() {
    Post(m_window, m_msg, m_wParam, nullptr);
    delete this;
}

void CSimpleReplyMsg::Reply(const uint8_t* data, uint32_t size) {
    Post(m_window, m_msg, m_wParam, Decode(data, size));
    delete this;
}

void CGetDetectionInfoMsg::SetInFlight(std::vector<std::uint32_t> batch) {
    std::lock_guard guard(m_lock);
    m_inFlight = std::move(batch);
}

std::vector<std::uint32_t> CGetDetectionInfoMsg::InFlight() const {
    std::lock_guard guard(m_lock);
    return m_inFlight;
}

bool CGetDetectionInfoMsg::Send(const std::vector<std::uint32_t>& batch) {
    if (!m_send)
        return false;
    CMsgModAvIemGetInfo request;
    request.identifiers = batch;
    auto* ticket = new DetectionInfoTicket(shared_from_this());
    // Busy before the send: the reply may come on another thread before Send returns.
    m_busy.store(true);
    const std::uint32_t status = m_send(kDetectionInfoModule, request, ticket);
    if (status != 0) {
        m_busy.store(false);
        delete ticket; // a refused request is never answered
        return false;
    }
    return true;
}

void CGetDetectionInfoMsg::OnReply(std::unique_ptr<ReplyEnvelope> envelope) {
    m_busy.store(false);
    CReplyHandler::Post(m_replyWindow, m_msg, reinterpret_cast<std::uintptr_t>(this), std::move(envelope));
}
