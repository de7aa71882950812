// The controller's list paging: pages of blocked items, one request at a time, into the
// item store, with the worker showing each page as it arrives.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/threadgetsuspectsdata.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"

#include <QCoreApplication>

namespace {

// Set by the first start of a fetch in this module, never cleared.
bool g_fetchStarted = false;

std::uint32_t ProcessId() {
    return static_cast<std::uint32_t>(QCoreApplication::applicationPid());
}

} // namespace

void CSuspects::LockPage() {
    m_lock.lock();
    ++m_pageLocks;
}

void CSuspects::UnlockPage() {
    if (m_pageLocks == 0)
        return;
    --m_pageLocks;
    m_lock.unlock();
}

void CSuspects::PostToSuspects(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (auto* window = SuspectsWindow())
        platform::PostMessage(platform::HandleOf(window), msg, wParam, lParam);
}

std::uint32_t CSuspects::Send(std::uint32_t moduleId, INanoSerializable& payload,
                              ISendToIPCEx::IServerCallback* handler) {
    if (!m_sender)
        return kNotSent;
    const std::vector<std::uint8_t> bytes = EncodeEnvelope(moduleId, kRequestHeader, &payload);
    if (bytes.empty())
        return kNotSent;
    return m_sender->Send(bytes.data(), static_cast<std::uint32_t>(bytes.size()), handler);
}

void CSuspects::StartFetch() {
    std::lock_guard guard(m_lock);
    if (!m_setupDone)
        return;
    // The first page of the running fetch has not come yet: a restart now would only ask
    // the service for the same thing again.
    if (g_fetchStarted && m_awaitingFirstPage && m_firstPageClock.isValid() &&
        !m_firstPageClock.hasExpired(kFirstPageGiveUpMs))
        return;
    g_fetchStarted = true;
    m_cancelledListHandle = m_listHandle;
    CancelFetch();
    m_itemStore->SetResetPending(true);
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = HistoryWindowVisible() ? 0 : 6;
    m_kindsRequested = m_requestedKind;
    ++m_fetchGeneration;
    m_awaitingFirstPage = true;
    m_firstPageClock.start();
    PostToSuspects(m_messages.WM_GETSUSPECTSDATA, 0, 0);
}

void CSuspects::RequestNextPage() {
    if (!m_setupDone)
        return;
    LockPage();
    CMsgModBlaGetList request;
    request.processId = ProcessId();
    request.kind = static_cast<std::uint32_t>(m_requestedKind);
    request.listHandle = static_cast<std::uint32_t>(m_listHandle);
    request.position = m_nextPosition;
    m_requestedPosition = m_nextPosition;
    auto* window = SuspectsWindow();
    auto* handler = new CGetBlaListMsg(window ? platform::HandleOf(window) : 0, m_messages.WM_GETBLALIST,
                                       m_fetchGeneration);
    // No sender is a request that could not be sent.
    if (Send(kListModule, request, handler) != 0) {
        delete handler;
        ListReply(nullptr, m_fetchGeneration);
    }
}

void CSuspects::ListReply(const ReplyEnvelope* envelope, std::uint64_t generation) {
    // A page of an enumeration that was restarted since: its items belong to no store.
    if (generation != m_fetchGeneration) {
        UnlockPage();
        return;
    }
    m_awaitingFirstPage = false;
    const CRspModBlaGetList* page = envelope && envelope->decoded && envelope->resultCode == 0
                                        ? envelope->PayloadAs<CRspModBlaGetList>()
                                        : nullptr;
    if (!page) {
        FailListReply();
        return;
    }
    // The job names store positions. Hidden elements are never stored, so the service's
    // position of a page can lie beyond the store's end: the page starts where the store ended.
    const std::size_t first = m_itemStore->ResetPending() ? 0 : m_itemStore->Count();
    m_itemStore->AppendPage(page->elements);
    if (m_nextPosition == 0)
        m_itemStore->SetResetPending(false);
    m_worker->AddJob({0, static_cast<std::int32_t>(first), static_cast<std::int32_t>(m_itemStore->Count())});
    const std::int32_t asked = m_requestedPosition;
    m_nextPosition = page->nextPosition;
    m_listHandle = static_cast<std::int32_t>(page->listHandle);
    // An empty page that does not move on would have the service answer the same request
    // forever: take it as the end.
    const bool stuck = page->elements.empty() && m_nextPosition == asked;
    if (m_nextPosition != -1 && m_listHandle != 0 && !stuck) {
        PostToSuspects(m_messages.WM_GETSUSPECTSDATA, 0, 0);
        UnlockPage();
        return;
    }
    if (stuck)
        m_nextPosition = -1;
    m_worker->AddJob({1, 0, 0});
    if (HistoryWindowVisible()) {
        const std::int32_t k = m_kindsRequested;
        if (!(k == 0 || ((k & 1) && (k & 4))))
            RequestKind(5);
        else if (!(k == 0 || (k & 8)))
            RequestKind(8);
    }
    UnlockPage();
}

void CSuspects::FailListReply() {
    // The items received so far stay: their fill jobs run, then the fill cycle ends.
    CancelFetch(false);
    m_worker->AddJob({1, 0, 0});
    UnlockPage();
    m_nextPosition = 0;
    m_listHandle = -1000;
}

void CSuspects::RequestKind(std::int32_t kind) {
    if (m_nextPosition != -1 && m_listHandle != -1000)
        return;
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = kind;
    m_kindsRequested |= kind;
    RequestNextPage();
}

void CSuspects::ExtendFetchForHistory() {
    const std::int32_t k = m_kindsRequested;
    if (k == 0)
        return;
    if ((k & 1) && (k & 4)) {
        if (!(k & 8))
            RequestKind(8);
        return;
    }
    RequestKind(5);
}

void CSuspects::CancelFetch(bool clearJobs) {
    if (m_nextPosition == -1 || m_listHandle == 0 || m_listHandle == -1000)
        return;
    m_cancelPending = true;
    CMsgModBlaGetList request;
    request.processId = ProcessId();
    request.kind = 0;
    request.listHandle = static_cast<std::uint32_t>(m_listHandle);
    request.position = -1;
    auto* window = SuspectsWindow();
    auto* handler =
        new CCancelGetSuspectsData(window ? platform::HandleOf(window) : 0, m_messages.WM_CANCELSUSPECTSDATA);
    const bool sent = Send(kListModule, request, handler) == 0;
    if (!sent)
        delete handler;
    if (clearJobs)
        m_worker->ClearJobs();
    // Pending until the service confirms; only then can no page of that enumeration come.
    if (!sent)
        m_cancelPending = false;
}

void CSuspects::CancelReply(const ReplyEnvelope* /*envelope*/) {
    m_cancelPending = false;
}
