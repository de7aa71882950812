#pragma once

#include "comm/messagetable.h"

#include <QElapsedTimer>
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
class ThreadGetSuspectsData;
class CGetDetectionInfoMsg;
class CBlaItemEx;
class TMapDetectionID;
class INanoSerializable;
struct ReplyEnvelope;
struct ST_BLELEMENT;

// Configuration identifiers read from the host, in reading order.
namespace config {
constexpr std::uint32_t kTextA = 0x4009004;
constexpr std::uint32_t kTextB = 0x4009007;
constexpr std::uint32_t kNumber = 0x4009025;
constexpr std::uint32_t kTextC = 0x4009019;
constexpr std::uint32_t kActionsEnabled = 0x4009908;
constexpr std::uint32_t kCreateWindow = 0x4009907;
} // namespace config

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
    const QString& ConfigurationTextA() const { return m_textA; }
    const QString& ConfigurationTextB() const { return m_textB; }
    const QString& ConfigurationTextC() const { return m_textC; }
    std::int32_t ConfigurationNumber() const { return m_configurationNumber; }
    bool ActionsEnabled() const { return m_actionsEnabled; }
    const stMessageNumbers& Messages() const { return m_messages; }
    bool SetupDone() const { return m_setupDone; }

    TSuspectsForm* SuspectsWindow() const;
    THistorySuspectsForm* HistoryWindow() const;
    void SetHistoryWindow(THistorySuspectsForm* window);
    bool HistoryWindowVisible() const;
    CBlaItemEx* ItemStore() const { return m_itemStore.get(); }
    TMapDetectionID& DetectionNames() { return *m_detectionNames; }
    ThreadGetSuspectsData* Worker() const { return m_worker.get(); }
    CGetDetectionInfoMsg* DetectionInfoRequester() const { return m_detectionInfoRequester.get(); }
    ISendToIPCEx* Sender() const { return m_sender; }

    // List paging.
    void StartFetch();
    void RequestNextPage();
    void ListReply(const ReplyEnvelope* envelope, std::uint64_t generation);
    void CancelFetch(bool clearJobs = true);
    void CancelReply(const ReplyEnvelope* envelope);
    void RequestKind(std::int32_t kind);
    // The history window wants the kinds it shows besides the blocked ones.
    void ExtendFetchForHistory();

    // Item actions and their replies.
    void Unblock(std::uint32_t key, std::uint32_t layerSelector);
    void Reblock(std::uint32_t key);
    void Remove(std::uint32_t key, const ST_BLELEMENT& element);
    bool RemoveAll();
    void UnblockReply(const ReplyEnvelope* envelope, std::uint32_t key);
    void ReblockReply(const ReplyEnvelope* envelope, std::uint32_t key);
    void RemoveReply(const ReplyEnvelope* envelope, std::uint32_t key);
    void RemoveAllReply(const ReplyEnvelope* envelope);
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

    static constexpr std::uint32_t kNotSent = 0xFFFFFFFFu;
    static constexpr std::uint32_t kRefused = 0xDF000006u;
    // A first page this late is taken as lost, and a restart goes ahead.
    static constexpr qint64 kFirstPageGiveUpMs = 15000;

private:
    void IdleHook();
    void ReadConfiguration(IZrunConfiguration* configuration, bool& createWindow);
    void DestroySuspectsWindow();
    void FailListReply();
    void LockPage();
    void UnlockPage();
    bool SetBusyStateOfKey(std::uint32_t key, std::int32_t state);
    // Sends an item action; 0 when it is on its way, else the status code of the failure.
    std::uint32_t SendItemAction(std::uint32_t code, const std::array<std::uint8_t, 16>& identifier,
                                 ISendToIPCEx::IServerCallback* handler, std::uint32_t notSentCode);
    void PostToSuspects(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    // Fields in the controller's declared order.
    QPointer<TSuspectsForm> m_suspectsForm;
    const ZrunTranslationSource* m_translator = nullptr;
    void* m_resourceLibrary = nullptr;
    ISendToIPCEx* m_sender = nullptr;
    std::uintptr_t m_launchContext = 0;
    std::uint32_t m_statusCode = 0;
    std::int32_t m_requestedKind = 4;
    std::int32_t m_kindsRequested = 4;
    std::int32_t m_listHandle = 0;
    std::int32_t m_cancelledListHandle = 0;
    bool m_cancelPending = false;
    std::unique_ptr<TMapDetectionID> m_detectionNames;
    std::unique_ptr<ThreadGetSuspectsData> m_worker;
    std::recursive_mutex m_lock;
    bool m_setupDone = false;
    std::shared_ptr<CGetDetectionInfoMsg> m_detectionInfoRequester;
    std::int32_t m_nextPosition = 0;
    std::unique_ptr<CBlaItemEx> m_itemStore;
    const ZrunHostState* m_hostState = nullptr;
    QString m_textA;
    QString m_textB;
    std::int32_t m_configurationNumber = 0;
    QString m_textC;
    bool m_actionsEnabled = true;
    QPointer<THistorySuspectsForm> m_historyForm;
    stMessageNumbers m_messages;

    // Each start of a fetch is a new generation; list replies of an older one are stale.
    std::uint64_t m_fetchGeneration = 0;
    bool m_awaitingFirstPage = false;
    QElapsedTimer m_firstPageClock;
    std::int32_t m_requestedPosition = 0;
    int m_pageLocks = 0;
};
