// The controller's item actions (unblock, re-block, remove, remove all), their replies, the
// report of failures, and the detection names.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "forms/uformmessage/uformmessage.h"
#include "module/suspects.h"
#include "support/paths.h"

#include <QCoreApplication>
#include <QPointer>

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

bool CSuspects::SetBusyState(const stItemRef& item, std::int32_t state) {
    return m_itemStore && m_itemStore->SetBusyState(item, state);
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

void CSuspects::Unblock(const stItemRef& item, std::uint32_t layerSelector) {
    auto* handler = new CUnblockMsg(m_receiverHandle, m_messages.WM_REMOVEUNBLOCKIMTEMLAYER,
                                    m_messages.WM_UNBLOCKITEM, item, layerSelector);
    m_statusCode = SendItemAction(kActionUnblock, item.identifier, handler, kUnblockNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    PostToReceiver(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, layerSelector, 0);
    SetBusyState(item, busy::kIdle);
    ReportStatus();
}

void CSuspects::Reblock(const stItemRef& item) {
    auto* handler = new CReblockMsg(m_receiverHandle, m_messages.WM_REMOVEUNBLOCKIMTEMLAYER,
                                    m_messages.WM_REBLOCKITEM, item);
    m_statusCode = SendItemAction(kActionReblock, item.identifier, handler, kReblockNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    PostToReceiver(m_messages.WM_REMOVEUNBLOCKIMTEMLAYER, 1, 0);
    SetBusyState(item, busy::kIdle);
    ReportStatus();
}

void CSuspects::Remove(const stItemRef& item) {
    auto* handler = new CDeleteMsg(m_receiverHandle, m_messages.WM_REMOVEITEM, item);
    m_statusCode = SendItemAction(kActionRemove, item.identifier, handler, kRemoveNotSent);
    if (m_statusCode == 0)
        return;
    delete handler;
    SetBusyState(item, busy::kIdle);
    ReportStatus();
}

bool CSuspects::RemoveAll() {
    auto* handler = new CDeleteAllMsg(m_receiverHandle, m_messages.WM_REMOVEALLITEMS);
    if (SendItemAction(kActionRemoveAll, ST_BLELEMENT::Identifier{}, handler, kRemoveNotSent) != 0) {
        delete handler;
        return false;
    }
    return true;
}

void CSuspects::UnblockReply(const ReplyEnvelope* envelope, const stItemRef& item) {
    m_statusCode = 0;
    if (!Answered(envelope))
        m_statusCode = kUnblockNotSent;
    else if (envelope->resultCode != 0 && envelope->resultCode != 1)
        m_statusCode = kUnblockFailed;
    if (m_statusCode != 0)
        SetBusyState(item, busy::kIdle);
    StartFetch(FetchStart::Always);
    if (m_statusCode != 0)
        ReportStatus();
}

void CSuspects::ReblockReply(const ReplyEnvelope* envelope, const stItemRef& item) {
    m_statusCode = 0;
    if (!Answered(envelope))
        m_statusCode = kReblockNotSent;
    else if (envelope->resultCode != 0)
        m_statusCode = kReblockFailed;
    if (m_statusCode != 0)
        SetBusyState(item, busy::kIdle);
    StartFetch(FetchStart::Always);
    if (m_statusCode != 0)
        ReportStatus();
}

void CSuspects::RemoveReply(const ReplyEnvelope* envelope, const stItemRef& item) {
    m_statusCode = 0;
    if (Answered(envelope) && envelope->resultCode == 0) {
        // The entry of that item, whatever key a refresh gave it since; none when it is gone.
        const std::uint32_t key = m_itemStore ? m_itemStore->KeyOfRef(item) : 0;
        if (key == 0)
            return;
        m_itemStore->Remove(key);
        if (auto* view = SuspectsView())
            view->RemoveItemFromView(key);
        else
            PostToHistory(m_messages.WM_REMOVEHISTORYITEM, key, 0);
        return;
    }
    SetBusyState(item, busy::kIdle);
    if (Answered(envelope) && envelope->resultCode == kRemoveNeedsNoReport)
        return;
    m_statusCode = Answered(envelope) ? kRemoveFailed : kRemoveNotSent;
    ReportStatus();
}

void CSuspects::RemoveAllReply(const ReplyEnvelope* envelope) {
    if (!Answered(envelope) || envelope->resultCode != 0) {
        StartFetch(FetchStart::Always);
        return;
    }
    // Nothing the service removed may stay behind for a window to show or act on.
    m_itemStore->Clear();
    ResetDetectionWaits();
    if (HistoryWindowVisible())
        StartFetch(FetchStart::Always);
}

void CSuspects::ReportStatus() {
    stMessageRequest request;
    request.name = m_productName;
    request.code = m_statusCode;
    request.linkAction = &OpinionLink;
    request.context = nullptr;
    const ZrunTranslationSource* translator = m_translator;
    QPointer<QObject> alive(m_receiver.get());
    // The message window runs a modal loop; from a handler, a window or this controller could
    // go during it with the handler still on the stack. Queued, it runs from the event loop and
    // touches nothing of ours once it returns.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [alive, translator, request]() {
            if (alive)
                ShowCatalogMessage(0, translator, request);
        },
        Qt::QueuedConnection);
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
    m_detectionNames->ApplyReply(requester->InFlight(), reply, [this](std::int32_t key) {
        PostToHistory(m_messages.WM_UPDATEMALWAREINFO, static_cast<std::uintptr_t>(key), 1);
    });
    requester->SetInFlight({});
    RequestDetectionNames();
}
