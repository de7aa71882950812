// The controller's list paging: pages of blocked items, one request at a time, into the
// item store, with the worker showing each page as it arrives.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "comm/threadgetsuspectsdata.h"
#include "module/suspects.h"

#include <QCoreApplication>

namespace {

// Set by the first start of a fetch in this module, never cleared.
bool g_fetchStarted = false;

std::uint32_t ProcessId() {
    return static_cast<std::uint32_t>(QCoreApplication::applicationPid());
}

} // namespace

void CSuspects::PostToReceiver(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    platform::PostMessage(m_receiverHandle, msg, wParam, lParam);
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

void CSuspects::StartFetch(FetchStart when) {
    if (!m_setupDone)
        return;
    // The first page of the running fetch has not come yet: a refresh now would only ask
    // the service for the same thing again.
    if (when == FetchStart::IfIdle && g_fetchStarted && m_awaitingFirstPage && m_firstPageClock.isValid() &&
        !m_firstPageClock.hasExpired(kFirstPageGiveUpMs))
        return;
    g_fetchStarted = true;
    m_cancelledListHandle = m_listHandle;
    CancelFetch();
    m_itemStore->SetResetPending(true);
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = HistoryWindowVisible() ? listkind::kAll : listkind::kBlocked;
    m_kindsRequested = m_requestedKind;
    ++m_fetchGeneration;
    m_pageInFlight = false; // a page of an older fetch may still come; it is dropped
    m_awaitingFirstPage = true;
    m_listFetchFailed = false;
    m_firstPageClock.start();
    PostToReceiver(m_messages.WM_GETSUSPECTSDATA, static_cast<std::uintptr_t>(m_fetchGeneration), 0);
    if (auto* view = SuspectsView())
        view->ListFetchStarted();
}

void CSuspects::RequestNextPage(std::uint64_t generation) {
    // A trigger queued before a restart belongs to a fetch that is gone; a second trigger of
    // this one would ask for the same page twice.
    if (!m_setupDone || generation != m_fetchGeneration || m_pageInFlight)
        return;
    m_pageInFlight = true;
    CMsgModBlaGetList request;
    request.processId = ProcessId();
    request.kind = static_cast<std::uint32_t>(m_requestedKind);
    request.listHandle = static_cast<std::uint32_t>(m_listHandle);
    request.position = m_nextPosition;
    m_requestedPosition = m_nextPosition;
    auto* handler = new CGetBlaListMsg(m_receiverHandle, m_messages.WM_GETBLALIST, m_fetchGeneration);
    // No sender is a request that could not be sent.
    if (Send(kListModule, request, handler) != 0) {
        delete handler;
        ListReply(nullptr, m_fetchGeneration);
    }
}

void CSuspects::ResetDetectionWaits() {
    // Rows wait by item key, and keys start again with the new store.
    for (auto& [id, entry] : *m_detectionNames)
        entry.waitingRows.clear();
}

void CSuspects::ListReply(const ReplyEnvelope* envelope, std::uint64_t generation) {
    // A page of an enumeration that was restarted since: its items belong to no store.
    if (generation != m_fetchGeneration)
        return;
    m_pageInFlight = false;
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
    const bool reset = m_itemStore->ResetPending();
    const std::size_t first = reset ? 0 : m_itemStore->Count();
    if (reset)
        ResetDetectionWaits();
    m_itemStore->AppendPage(page->elements);
    if (m_nextPosition == 0)
        m_itemStore->SetResetPending(false);
    m_worker->AddJob({tagJOB::kNewItems, static_cast<std::int32_t>(first),
                      static_cast<std::int32_t>(m_itemStore->Count())});
    const std::int32_t asked = m_requestedPosition;
    m_nextPosition = page->nextPosition;
    m_listHandle = static_cast<std::int32_t>(page->listHandle);
    if (m_nextPosition == -1 || m_listHandle == 0) {
        EndPageFetch();
        return;
    }
    // A service whose next position does not move on would be asked for the same page
    // forever: end here and let it drop the enumeration.
    if (m_nextPosition <= asked) {
        CancelFetch(false);
        m_nextPosition = -1;
        EndPageFetch();
        return;
    }
    PostToReceiver(m_messages.WM_GETSUSPECTSDATA, static_cast<std::uintptr_t>(m_fetchGeneration), 0);
}

void CSuspects::EndPageFetch() {
    m_worker->AddJob({tagJOB::kEndOfData, 0, 0});
    RequestFollowUpKinds();
}

void CSuspects::RequestFollowUpKinds() {
    if (!HistoryWindowVisible())
        return;
    const std::int32_t k = m_kindsRequested;
    if (k == listkind::kAll)
        return;
    if (!((k & 1) && (k & 4)))
        RequestKind(listkind::kUndone);
    else if (!(k & 8))
        RequestKind(listkind::kDeleted);
}

void CSuspects::FailListReply() {
    // No page of this fetch came: whatever the view shows is no answer of the service.
    if (m_itemStore->ResetPending())
        m_listFetchFailed = true;
    // The items received so far stay: their fill jobs run, then the fill cycle ends.
    CancelFetch(false);
    m_nextPosition = 0;
    m_listHandle = kFailedListHandle;
    m_worker->AddJob({tagJOB::kEndOfData, 0, 0});
    // One kind failing is no reason to leave the history without the others.
    RequestFollowUpKinds();
}

void CSuspects::RequestKind(std::int32_t kind) {
    if (m_nextPosition != -1 && m_listHandle != kFailedListHandle)
        return;
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = kind;
    m_kindsRequested |= kind;
    m_pageInFlight = false;
    RequestNextPage(m_fetchGeneration);
}

void CSuspects::ExtendFetchForHistory() {
    const std::int32_t k = m_kindsRequested;
    if (k == listkind::kAll)
        return;
    if ((k & 1) && (k & 4)) {
        if (!(k & 8))
            RequestKind(listkind::kDeleted);
        return;
    }
    RequestKind(listkind::kUndone);
}

void CSuspects::CancelFetch(bool clearJobs) {
    if (m_nextPosition == -1 || m_listHandle == 0 || m_listHandle == kFailedListHandle)
        return;
    m_cancelPending = true;
    CMsgModBlaGetList request;
    request.processId = ProcessId();
    request.kind = 0;
    request.listHandle = static_cast<std::uint32_t>(m_listHandle);
    request.position = -1;
    auto* handler = new CCancelGetSuspectsData(m_receiverHandle, m_messages.WM_CANCELSUSPECTSDATA);
    const bool sent = Send(kListModule, request, handler) == 0;
    if (!sent)
        delete handler;
    if (clearJobs)
        m_worker->ClearJobs();
    // Pending until the service confirms; only then can no page of that enumeration come.
    if (!sent)
        m_cancelPending = false;
}

void CSuspects::GiveUpFirstPage() {
    if (!m_setupDone || !m_awaitingFirstPage)
        return;
    ++m_fetchGeneration;
    m_awaitingFirstPage = false;
    m_pageInFlight = false;
    FailListReply();
}

void CSuspects::CancelReply(const ReplyEnvelope* /*envelope*/) {
    m_cancelPending = false;
}
