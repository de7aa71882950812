#pragma once

#include "comm/messagetable.h"
#include "comm/nano/messages.h"
#include "comm/threadgetsuspectsdata.h"
#include "platform/messages.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <zrun/suspects.h>

class QWidget;
class TSuspectsForm;
class THistorySuspectsForm;
class CGetDetectionInfoMsg;
class CBlaItemEx;
class TMapDetectionID;
class INanoSerializable;
struct ReplyEnvelope;
struct ST_BLELEMENT;
struct stItemRef;
namespace platform {
class WindowMessage;
}

// Configuration identifiers read from the host, in reading order.
namespace config {
constexpr std::uint32_t kProductName = 0x4009004;    // formatted into the empty text and reports
constexpr std::uint32_t kLabName = 0x4009007;        // who recommends against unblocking or undoing
constexpr std::uint32_t kReservedNumber = 0x4009025; // stored, read no further
constexpr std::uint32_t kReservedText = 0x4009019;   // stored, read no further
constexpr std::uint32_t kActionsEnabled = 0x4009908;
constexpr std::uint32_t kCreateWindow = 0x4009907;
} // namespace config

// What the controller's fetch and actions need of the suspects window: the worker's calls and
// the two things a reply changes in it.
struct ISuspectsView : ThreadGetSuspectsData::Target {
    virtual void RemoveItemFromView(std::uint32_t key) = 0;
    virtual void RemoveWaitingLayer() = 0;
    // A fetch went out: until its first page or its failure, the view has nothing to say
    // about the list.
    virtual void ListFetchStarted() = 0;

protected:
    ~ISuspectsView() = default;
};

// Why a fetch starts: a refresh the user asked for may be dropped while the first page of the
// running one is still awaited; a restart after an action must not be, or the view would keep
// the list from before the action.
enum class FetchStart { IfIdle, Always };

// The module's one controller: owns the windows, the worker, the reply handlers, the item
// store and the detection name cache. Every operation runs on the user-interface thread.
class CSuspects final {
public:
    explicit CSuspects(std::uintptr_t launchContext);
    ~CSuspects();
    Q_DISABLE_COPY_MOVE(CSuspects)

    void FirstUseSetup();
    TSuspectsForm* CreateSuspectsForm(QWidget* parent, const ZrunTranslationSource* translator,
                                      ISendToIPCEx* sender, IZrunConfiguration* configuration,
                                      const ZrunHostState* hostState, void* resourceLibrary);

    const ZrunTranslationSource* Translator() const { return m_translator; }
    void* ResourceLibrary() const { return m_resourceLibrary; }
    std::uintptr_t LaunchContext() const { return m_launchContext; }
    // The host's state, or sensible values when the host gave none.
    const ZrunHostState& HostState() const;
    // Configuration texts: the product's name, the name of who advises against unblocking,
    // and a text and number the module only keeps.
    const QString& ProductName() const { return m_productName; }
    const QString& LabName() const { return m_labName; }
    const QString& ReservedText() const { return m_reservedText; }
    std::int32_t ReservedNumber() const { return m_reservedNumber; }
    bool ActionsEnabled() const { return m_actionsEnabled; }
    const stMessageNumbers& Messages() const { return m_messages; }
    bool SetupDone() const { return m_setupDone; }

    TSuspectsForm* SuspectsWindow() const;
    ISuspectsView* SuspectsView() const;
    THistorySuspectsForm* HistoryWindow() const;
    void SetHistoryWindow(THistorySuspectsForm* window);
    bool HistoryWindowVisible() const;
    CBlaItemEx* ItemStore() const { return m_itemStore.get(); }
    TMapDetectionID& DetectionNames() { return *m_detectionNames; }
    ThreadGetSuspectsData* Worker() const { return m_worker.get(); }
    CGetDetectionInfoMsg* DetectionInfoRequester() const { return m_detectionInfoRequester.get(); }
    ISendToIPCEx* Sender() const { return m_sender; }

    // Replies, next-page triggers and layer ends are posted here, to a receiver that lives as
    // long as the controller, so that none is lost when a window is replaced meanwhile.
    platform::WindowHandle ReceiverHandle() const { return m_receiverHandle; }
    // The controller's part of a window procedure: handles the replies and the paging
    // messages, whichever window received them. False for any other message.
    bool RouteMessage(platform::WindowMessage& message);

    // List paging.
    void StartFetch(FetchStart when = FetchStart::IfIdle);
    // The trigger of one page of the fetch of that generation; a trigger of an older fetch,
    // or one while a page is on its way, asks for nothing.
    void RequestNextPage(std::uint64_t generation);
    void ListReply(const ReplyEnvelope* envelope, std::uint64_t generation);
    void CancelFetch(bool clearJobs = true);
    // The first page of the running fetch is taken as lost: the fetch fails, and a reply that
    // still comes is dropped like one of an older fetch.
    void GiveUpFirstPage();
    void CancelReply(const ReplyEnvelope* envelope);
    void RequestKind(std::int32_t kind);
    // The history window wants the kinds it shows besides the blocked ones.
    void ExtendFetchForHistory();

    // Item actions and their replies. An action names the item the user confirmed: the
    // request carries its identifier, and its reply changes that item's entry only.
    void Unblock(const stItemRef& item, std::uint32_t layerSelector);
    void Reblock(const stItemRef& item);
    void Remove(const stItemRef& item);
    bool RemoveAll();
    void UnblockReply(const ReplyEnvelope* envelope, const stItemRef& item);
    void ReblockReply(const ReplyEnvelope* envelope, const stItemRef& item);
    void RemoveReply(const ReplyEnvelope* envelope, const stItemRef& item);
    void RemoveAllReply(const ReplyEnvelope* envelope);
    // Shows the status code in the message window, from the event loop rather than from the
    // handler that found the failure, so no modal loop runs under a handler's feet.
    void ReportStatus();

    // Detection names.
    bool RequestDetectionNames();
    void DetectionInfoReply(CGetDetectionInfoMsg* requester, const ReplyEnvelope* envelope);

    // Encodes the payload into an envelope for moduleId and hands it to the sender. The
    // sender's status, or kNotSent when there is no sender.
    std::uint32_t Send(std::uint32_t moduleId, INanoSerializable& payload,
                       ISendToIPCEx::IServerCallback* handler);

    // Fetch state, for the windows and for tests.
    std::uint32_t StatusCode() const { return m_statusCode; }
    std::int32_t RequestedKind() const { return m_requestedKind; }
    std::int32_t KindsRequested() const { return m_kindsRequested; }
    std::int32_t ListHandle() const { return m_listHandle; }
    std::int32_t CancelledListHandle() const { return m_cancelledListHandle; }
    bool CancelPending() const { return m_cancelPending; }
    std::int32_t NextPosition() const { return m_nextPosition; }
    std::uint64_t FetchGeneration() const { return m_fetchGeneration; }
    bool PageInFlight() const { return m_pageInFlight; }
    bool AwaitingFirstPage() const { return m_awaitingFirstPage; }
    // The last fetch failed before any page of it came: the view holds no answer of the service.
    bool ListFetchFailed() const { return m_listFetchFailed; }

    static constexpr std::uint32_t kNotSent = 0xFFFFFFFFu;
    static constexpr std::uint32_t kRefused = 0xDF000006u;
    // The list handle of a fetch that failed.
    static constexpr std::int32_t kFailedListHandle = -1000;
    // A first page this late is taken as lost, and a restart goes ahead.
    static constexpr qint64 kFirstPageGiveUpMs = 15000;

private:
    void IdleHook();
    void ReadConfiguration(IZrunConfiguration* configuration, bool& createWindow);
    void DestroySuspectsWindow();
    void FailListReply();
    void EndPageFetch();
    void RequestFollowUpKinds();
    void ResetDetectionWaits();
    bool SetBusyState(const stItemRef& item, std::int32_t state);
    // Sends an item action; 0 when it is on its way, else the status code of the failure.
    std::uint32_t SendItemAction(std::uint32_t code, const std::array<std::uint8_t, 16>& identifier,
                                 ISendToIPCEx::IServerCallback* handler, std::uint32_t notSentCode);
    void PostToReceiver(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    void PostToHistory(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    // Fields in the controller's declared order.
    QPointer<TSuspectsForm> m_suspectsForm;
    const ZrunTranslationSource* m_translator = nullptr;
    void* m_resourceLibrary = nullptr;
    ISendToIPCEx* m_sender = nullptr;
    std::uintptr_t m_launchContext = 0;
    std::uint32_t m_statusCode = 0;
    std::int32_t m_requestedKind = listkind::kNone;
    std::int32_t m_kindsRequested = listkind::kNone;
    std::int32_t m_listHandle = 0;
    std::int32_t m_cancelledListHandle = 0;
    bool m_cancelPending = false;
    std::unique_ptr<TMapDetectionID> m_detectionNames;
    std::unique_ptr<ThreadGetSuspectsData> m_worker;
    bool m_setupDone = false;
    std::shared_ptr<CGetDetectionInfoMsg> m_detectionInfoRequester;
    std::int32_t m_nextPosition = 0;
    std::unique_ptr<CBlaItemEx> m_itemStore;
    const ZrunHostState* m_hostState = nullptr;
    QString m_productName;
    QString m_labName;
    std::int32_t m_reservedNumber = 0;
    QString m_reservedText;
    bool m_actionsEnabled = true;
    QPointer<THistorySuspectsForm> m_historyForm;
    stMessageNumbers m_messages;

    // Each start of a fetch is a new generation; list replies of an older one are stale.
    std::uint64_t m_fetchGeneration = 0;
    bool m_awaitingFirstPage = false;
    bool m_listFetchFailed = false;
    QElapsedTimer m_firstPageClock;
    std::int32_t m_requestedPosition = 0;
    // One page request at a time. This stands where a lock was held from a page request to its
    // reply: a reply that never came left it held, and destroyed locked.
    bool m_pageInFlight = false;
    std::unique_ptr<QObject> m_receiver;
    platform::WindowHandle m_receiverHandle = 0;
};
