// The controller's item actions (unblock, re-block, remove, remove all), their replies, the
// report of failures, and the detection names.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "forms/uformmessage/uformmessage.h"
#include "module/suspects.h"
#include "support/paths.h"

#include <QCoreApplication>

namespace {

// Status codes of failed actions: message catalogue numbers.
constexpr std::uint32_t kRemoveFailed = 5;
constexpr std::uint32_t kRemoveNotSent = 6;
constexpr std::uint32_t kUnblockFailed = 7;
constexpr std::uint32_t kUnblockNotSent = 8;
constexpr std::uint32_t kRefusedBySender = 9;
constexpr std::uint32_t kReblockFailed = 11;
constexpr std::uint32_t kReblockNotSent = 12;

// The service's answer to a removal that needs no report.
constexpr std::int32_t kRemoveNeedsNoReport = -1035;

std::uint32_t ProcessId() {
    return static_cast<std::uint32_t>(QCoreApplication::applicationPid());
}

void FillAction(CMsgModBlaActions& request, std::uint32_t code, const ST_BLELEMENT::Identifier& identifier) {
    request.processId = ProcessId();
    request.actionCode = code;
    request.element.identifier = identifier;
}

bool Answered(const ReplyEnvelope* envelope) {
    return envelope && envelope->decoded;
}

void OpinionLink(void* /*context*/, std::uint32_t extra, const QString& /*anchor*/) {
    LaunchYourOpinion(extra);
}

} // namespace

bool CSuspects::SetBusyStateOfKey(std::uint32_t key, std::int32_t state) {
    if (!m_itemStore)
        return false;
    const int index = m_itemStore->IndexOfKey(key);
    return index >= 0 && m_itemStore->SetBusyStateAt(static_cast<std::size_t>(index), state);
}

std::uint32_t CSuspects::SendItemAction(std::uint32_t code, const ST_BLELEMENT::Identifier& identifier,
                                        ISendToIPCEx::IServerCallback* handler, std::uint32_t notSentCode) {
    if (!m_sender)
        return notSentCode;
    CMsgModBlaActions request;
    FillAction(request, code, identifier);
    const std::uint32_t status = Send(kListModule, request, handler);
    if (status == 0)
        return 0;
    return status == kRefused ? kRefusedBySender : notSentCode;
}

void CSuspects::Unblock(std::uint32_t key, std::uint32_t layerSelector) {
    ST_BLELEMENT::Identifier identifier{};
    if (!m_itemStore || !m_itemStore->IdentifierOfKey(key, identifier)) {
        // Nothing to act on; the asking window must not wait for a reply.
        PostToSuspects(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, layerSelector, 0);
        return;
    }
    auto* window = SuspectsWindow();
    auto* handler =
        new CUnblockMsg(window ? platform::HandleOf(window) : 0, m_messages.WM_REMOVEUNBLOCKIMTEMLAYER,
                        m_messages.WM_UNBLOCKITEM, key, layerSelector);
    m_statusCode = SendItemAction(kActionUnblock, identifier, handler, kUnblockNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    PostToSuspects(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, layerSelector, 0);
    SetBusyStateOfKey(key, 0);
    ReportStatus();
}

void CSuspects::Reblock(std::uint32_t key) {
    ST_BLELEMENT::Identifier identifier{};
    if (!m_itemStore || !m_itemStore->IdentifierOfKey(key, identifier)) {
        PostToSuspects(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, 1, 0);
        return;
    }
    auto* window = SuspectsWindow();
    auto* handler = new CReblockMsg(window ? platform::HandleOf(window) : 0,
                                    m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, m_messages.WM_REBLOCKITEM, key);
    m_statusCode = SendItemAction(kActionReblock, identifier, handler, kReblockNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    PostToSuspects(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, 1, 0);
    SetBusyStateOfKey(key, 0);
    ReportStatus();
}

void CSuspects::Remove(std::uint32_t key, const ST_BLELEMENT& element) {
    auto* window = SuspectsWindow();
    auto* handler = new CDeleteMsg(window ? platform::HandleOf(window) : 0, m_messages.WM_REMOVEITEM, key);
    m_statusCode = SendItemAction(kActionRemove, element.identifier, handler, kRemoveNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    SetBusyStateOfKey(key, 0);
    ReportStatus();
}

bool CSuspects::RemoveAll() {
    auto* window = SuspectsWindow();
    auto* handler = new CDeleteAllMsg(window ? platform::HandleOf(window) : 0, m_messages.WM_REMOVEALLITEMS);
    if (SendItemAction(kActionRemoveAll, ST_BLELEMENT::Identifier{}, handler, kRemoveNotSent) != 0) {
        delete handler;
        return false;
    }
    return true;
}

void CSuspects::UnblockReply(const ReplyEnvelope* envelope, std::uint32_t key) {
    m_statusCode = 0;
    if (!Answered(envelope))
        m_statusCode = kUnblockNotSent;
    else if (envelope->resultCode != 0 && envelope->resultCode != 1)
        m_statusCode = kUnblockFailed;
    if (m_statusCode != 0)
        SetBusyStateOfKey(key, 0);
    StartFetch();
    if (m_statusCode != 0)
        ReportStatus();
}

void CSuspects::ReblockReply(const ReplyEnvelope* envelope, std::uint32_t key) {
    m_statusCode = 0;
    if (!Answered(envelope))
        m_statusCode = kReblockNotSent;
    else if (envelope->resultCode != 0)
        m_statusCode = kReblockFailed;
    if (m_statusCode != 0)
        SetBusyStateOfKey(key, 0);
    StartFetch();
    if (m_statusCode != 0)
        ReportStatus();
}

void CSuspects::RemoveReply(const ReplyEnvelope* envelope, std::uint32_t key) {
    m_statusCode = 0;
    if (Answered(envelope) && envelope->resultCode == 0) {
        if (m_itemStore)
            m_itemStore->Remove(key);
        if (auto* window = SuspectsWindow())
            window->RemoveItemFromView(key);
        return;
    }
    if (Answered(envelope) && envelope->resultCode == kRemoveNeedsNoReport) {
        SetBusyStateOfKey(key, 0);
        return;
    }
    m_statusCode = Answered(envelope) ? kRemoveFailed : kRemoveNotSent;
    SetBusyStateOfKey(key, 0);
    ReportStatus();
}

void CSuspects::RemoveAllReply(const ReplyEnvelope* envelope) {
    if (!Answered(envelope) || envelope->resultCode != 0)
        StartFetch();
}

void CSuspects::ReportStatus() {
    stMessageRequest request;
    request.name = m_textA;
    request.code = m_statusCode;
    request.linkAction = &OpinionLink;
    request.context = this;
    ShowCatalogMessage(0, m_translator, request);
}

bool CSuspects::RequestDetectionNames() {
    if (!m_detectionInfoRequester)
        return false;
    const ZrunHostState& state = HostState();
    return m_detectionNames->RequestDetectionNames(*m_detectionInfoRequester, state.nameBatchSize,
                                                   state.maxNameAttempts);
}

void CSuspects::DetectionInfoReply(CGetDetectionInfoMsg* requester, const ReplyEnvelope* envelope) {
    if (!requester || requester != m_detectionInfoRequester.get())
        return;
    const RspModAvIemGetInfo* reply =
        Answered(envelope) && envelope->resultCode == 0 ? envelope->PayloadAs<RspModAvIemGetInfo>() : nullptr;
    auto* history = HistoryWindow();
    const platform::WindowHandle historyHandle = history ? platform::HandleOf(history) : 0;
    m_detectionNames->ApplyReply(requester->InFlight(), reply, [&](std::int32_t key) {
        platform::PostMessage(historyHandle, m_messages.WM_UPDATEMALWAREINFO,
                              static_cast<std::uintptr_t>(key), 1);
    });
    RequestDetectionNames();
}
