#pragma once

#include "comm/nano/codec.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "platform/messages.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>
#include <zrun/suspects.h>

class INanoSerializable;

// What an item action's reply message carries: the item the action was for, and the reply
// (null when none came).
struct stActionReply {
    stItemRef item;
    std::unique_ptr<ReplyEnvelope> envelope;
};

// Reply handlers run on the sender's threads. They only decode the reply and post it to a
// window by handle: a window that is gone makes the post fail and the envelope is freed, so a
// late reply never touches freed memory. Each handler below answers one request and then
// deletes itself, whichever of its two operations the sender calls.
class CReplyHandler : public ISendToIPCEx::IServerCallback {
public:
    CReplyHandler() = default;
    virtual ~CReplyHandler() = default;
    CReplyHandler(const CReplyHandler&) = delete;
    CReplyHandler& operator=(const CReplyHandler&) = delete;

    // Decodes reply bytes into a new envelope; never fails (an unreadable reply is an
    // envelope that did not decode).
    static std::unique_ptr<ReplyEnvelope> Decode(const std::uint8_t* data, std::uint32_t size);
    static bool Post(platform::WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                     std::unique_ptr<ReplyEnvelope> envelope);
};

// One list page request. Its fetch generation travels in the first parameter so that the
// controller can tell the pages of a cancelled enumeration from those of the current one;
// a request that ends without reply posts no envelope, a failed page.
class CGetBlaListMsg final : public CReplyHandler {
public:
    CGetBlaListMsg(platform::WindowHandle window, std::uint32_t msg, std::uint64_t generation)
        : m_window(window), m_msg(msg), m_generation(generation) {}
    void NoReply() override;
    void Reply(const uint8_t* data, uint32_t size) override;

private:
    platform::WindowHandle m_window;
    std::uint32_t m_msg;
    std::uint64_t m_generation;
};

// Unblock: ends the waiting layer of the window that asked (selector 0 the suspects window,
// otherwise the history window), then hands the reply on.
class CUnblockMsg final : public CReplyHandler {
public:
    CUnblockMsg(platform::WindowHandle window, std::uint32_t layerMsg, std::uint32_t msg,
                const stItemRef& item, std::uint32_t layerSelector)
        : m_window(window), m_layerMsg(layerMsg), m_msg(msg), m_item(item), m_layerSelector(layerSelector) {}
    void NoReply() override { Reply(nullptr, 0); }
    void Reply(const uint8_t* data, uint32_t size) override;

private:
    platform::WindowHandle m_window;
    std::uint32_t m_layerMsg;
    std::uint32_t m_msg;
    stItemRef m_item;
    std::uint32_t m_layerSelector;
};

// Re-block (redo) always ends the history window's layer.
class CReblockMsg final : public CReplyHandler {
public:
    CReblockMsg(platform::WindowHandle window, std::uint32_t layerMsg, std::uint32_t msg,
                const stItemRef& item)
        : m_window(window), m_layerMsg(layerMsg), m_msg(msg), m_item(item) {}
    void NoReply() override { Reply(nullptr, 0); }
    void Reply(const uint8_t* data, uint32_t size) override;

private:
    platform::WindowHandle m_window;
    std::uint32_t m_layerMsg;
    std::uint32_t m_msg;
    stItemRef m_item;
};

// Remove: posts the item and the reply; without a reply, the item and no envelope, which the
// controller treats as a missing reply (the item goes back to idle).
class CDeleteMsg final : public CReplyHandler {
public:
    CDeleteMsg(platform::WindowHandle window, std::uint32_t msg, const stItemRef& item)
        : m_window(window), m_msg(msg), m_item(item) {}
    void NoReply() override;
    void Reply(const uint8_t* data, uint32_t size) override;

private:
    platform::WindowHandle m_window;
    std::uint32_t m_msg;
    stItemRef m_item;
};

// Posts (wParam, envelope) for one request; without a reply it posts no envelope, which the
// controller treats as a missing reply (the item goes back to idle, the view is restored).
class CSimpleReplyMsg : public CReplyHandler {
public:
    CSimpleReplyMsg(platform::WindowHandle window, std::uint32_t msg, std::uintptr_t wParam)
        : m_window(window), m_msg(msg), m_wParam(wParam) {}
    void NoReply() override;
    void Reply(const uint8_t* data, uint32_t size) override;

private:
    platform::WindowHandle m_window;
    std::uint32_t m_msg;
    std::uintptr_t m_wParam;
};

class CCancelGetSuspectsData final : public CSimpleReplyMsg {
public:
    CCancelGetSuspectsData(platform::WindowHandle window, std::uint32_t msg)
        : CSimpleReplyMsg(window, msg, 0) {}
};

class CDeleteAllMsg final : public CSimpleReplyMsg {
public:
    CDeleteAllMsg(platform::WindowHandle window, std::uint32_t msg) : CSimpleReplyMsg(window, msg, 0) {}
};

// The detection name requester: one per controller, reused. It keeps the identifiers of the
// request in flight and whether one is in flight. Replies reach it through a small callback
// per request that shares its ownership, so a reply that comes after the controller is gone
// still finds it alive; it then posts to the reply window, which is gone too, and the reply is
// freed.
class CGetDetectionInfoMsg final : public IDetectionRequester,
                                   public std::enable_shared_from_this<CGetDetectionInfoMsg> {
public:
    // Encodes a request for moduleId and hands it to the service; the sender's status.
    using SendFunction = std::function<std::uint32_t(std::uint32_t moduleId, INanoSerializable& payload,
                                                     ISendToIPCEx::IServerCallback* handler)>;

    CGetDetectionInfoMsg(SendFunction send, platform::WindowHandle replyWindow, std::uint32_t msg)
        : m_send(std::move(send)), m_msg(msg), m_replyWindow(replyWindow) {}

    bool Busy() const override { return m_busy.load(); }
    void SetInFlight(std::vector<std::uint32_t> batch) override;
    bool Send(const std::vector<std::uint32_t>& batch) override;

    std::vector<std::uint32_t> InFlight() const;
    // The owner is going away: no more requests.
    void Detach() { m_send = nullptr; }

    void OnReply(std::unique_ptr<ReplyEnvelope> envelope);

private:
    SendFunction m_send;
    std::uint32_t m_msg;
    std::atomic<bool> m_busy{false};
    const platform::WindowHandle m_replyWindow;
    mutable std::mutex m_lock;
    std::vector<std::uint32_t> m_inFlight;
};
