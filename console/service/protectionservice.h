#pragma once

// The embedded protection service of the console: the other end of the module's sender. It
// reads the module's request bytes, answers from a quarantine kept in SQLite, and calls the
// reply handlers on its own threads, as the product's service would.
//
// List kinds (CMsgModBlaGetList.kind):
//   6  blocked items: neither undone (0x80) nor deleted (0x04); the suspects window's list
//   5  undone items (0x80): the action was undone, the file restored
//   8  deleted items (0x04, not undone)
//   0  every item
// 6, 5 and 8 do not overlap and together make 0. Hidden items (0x400) are listed like any
// other; the module leaves them out. Another kind is a bad request.
//
// Paging: list handle 0 starts an enumeration: the ids of the kind's items are taken once,
// newest action first, under a new handle (never 0, increasing for the life of the process),
// and the page from the request's position is answered; the next position is position +
// page size, or -1 with the last page, after which the handle is gone. A live handle goes on
// at the position asked (the kind of the request is then not read). Position -1 ends the
// enumeration: its handle is dropped (an unknown handle too), result 0, no payload. Items
// removed after the enumeration began are left out of its pages; the others come with their
// flags of the moment.
//
// Result codes (header word of the reply envelope):
//   0      success
//   -1     the list handle is unknown (never given, finished or cancelled); no payload
//   -2     bad request: unknown kind or action code, position below -1
//   -1001  an action on an identifier the store does not hold (gone: perhaps removed by another
//          console on the same store); the module reports it, and the service's clients are
//          told their view is stale
//   -1100  the store failed
// (-1035, a removal the module reports nothing for, is not answered: a removal that finds
// nothing is a view out of step with the store, which the user is told about.)
// Item actions and cancels are answered with no payload. The header word of requests is
// not read.
//
// The send operation answers 0 (accepted), 0xDF000006 (refused) or 0x80004005 (not sent:
// bytes that are no request, an unknown target, no handler, a service not open or stopping).
//
// Stopping: item actions already accepted are carried out (their latency cut short) and
// answered before the store closes; a list or detection request still waiting gets NoReply.
//
// Other processes may share the store: the service looks for their changes (SQLite's
// data_version) every watch interval, and on each one refreshes its counts, raises its store
// generation and calls the change listener.

#include "service/quarantinestore.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>
#include <zrun/suspects.h>

namespace servicecode {
inline constexpr std::uint32_t kAccepted = 0;
inline constexpr std::uint32_t kRefused = 0xDF000006;
inline constexpr std::uint32_t kNotSent = 0x80004005;

inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kUnknownList = -1;
inline constexpr std::int32_t kBadRequest = -2;
inline constexpr std::int32_t kItemNotFound = -1001;
inline constexpr std::int32_t kStoreFailed = -1100;
} // namespace servicecode

// The result code of a fault "error:<code>" (decimal or 0x…, signed or as the unsigned word the
// envelope carries); false when the text after "error:" is no such number.
bool ParseFaultErrorCode(const QString& fault, std::int32_t& code);

struct ServiceSettings {
    QString storePath; // empty: quarantine.sqlite in the application's data folder
    int pageSize = 25;
    int latencyMs = 150;
    // For tests and demos: "refuse" (item actions refused), "silent" (nothing answered until
    // the service stops), "error:<code>" (every request answered with that result code),
    // "no-names" (detection information without names). Anything else: no fault.
    QString fault;
    bool reseed = false;  // start again from the sample quarantine
    int historyItems = 0; // generated history entries a new or reseeded store gets besides
    QDateTime seedClock;  // the moment the sample quarantine is dated from; invalid: now
    int watchMs = 500;    // how often to look for changes made by others; 0: only when asked
};

class ProtectionService final {
public:
    explicit ProtectionService(ServiceSettings settings);
    // Stops: requests not answered yet get NoReply (on the service's threads), then the
    // threads are joined. Must not run on one of the service's threads (inside a handler).
    ~ProtectionService();
    Q_DISABLE_COPY_MOVE(ProtectionService)

    // Opens (creates, seeds on first run) the store and starts the threads. On failure the
    // reason is in OpenError() (and, for people who read logs, in *error).
    bool Open(QString* error);
    StoreOpenError OpenError() const;
    bool IsOpen() const;
    bool SeededOnOpen() const;
    QString StorePath() const;

    // The send operation. On 0 the handler is called later, exactly once, on a service
    // thread. The bytes are copied before it returns.
    std::uint32_t Submit(const std::uint8_t* data, std::uint32_t size,
                         ISendToIPCEx::IServerCallback* handler);

    // The status line, in Spanish; each text through translate when one is given.
    QString StatusText(const std::function<QString(const QString&)>& translate = {}) const;
    int BlockedCount() const; // items the suspects window shows now (blocked, not hidden)
    QuarantineCounts Counts() const;
    int CountOf(std::uint32_t kind) const; // -1 for a kind the service does not know
    int LiveEnumerations() const;
    // Until every accepted request has been answered, except those a silent service holds.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    // How long requests accepted from now on wait for their answer (demonstrations that want a
    // quick start and then a slow action).
    void SetLatency(int ms) { m_latencyMs.store(std::max(0, ms)); }
    // The fault the service simulates, as it was asked for; empty for none.
    QString FaultName() const;

    // Raised each time the store is found changed by someone else, or an action finds its item
    // gone: what its clients show may be out of date.
    std::uint64_t StoreGeneration() const;
    // Called on the store thread, after the generation has been raised. Set it before Open.
    void SetStoreChangedListener(std::function<void()> listener) { m_changed = std::move(listener); }
    // Looks for changes by others now, on the store thread, and waits for the look; true when
    // one was found (and the generation raised).
    bool CheckStoreNow(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    struct Request;
    struct Pending;
    struct Delivery;
    enum class Fault { None, Refuse, Silent, Error, NoNames };

    // The request in the bytes, or nothing when they are none the service takes.
    static std::optional<Request> ReadRequest(const std::uint8_t* data, std::uint32_t size);
    void StoreThread(std::shared_ptr<std::promise<QString>> opened);
    void RunStore(QuarantineStore& store);
    void DeliveryThread();
    std::vector<std::uint8_t> Execute(QuarantineStore& store, const Request& request);
    std::vector<std::uint8_t> ListPage(QuarantineStore& store, const Request& request);
    std::vector<std::uint8_t> Action(QuarantineStore& store, const Request& request);
    std::vector<std::uint8_t> DetectionInfo(QuarantineStore& store, const Request& request);
    void RefreshCounts(QuarantineStore& store);
    bool LookForOutsideChanges(QuarantineStore& store);
    void StoreIsStale(QuarantineStore& store);

    const ServiceSettings m_settings;
    std::atomic<int> m_latencyMs{0};
    std::function<void()> m_changed;
    Fault m_fault = Fault::None;
    std::int32_t m_faultCode = 0;
    QString m_storePath;

    mutable std::mutex m_lock; // guards everything below it
    std::condition_variable m_storeWake;
    std::condition_variable m_deliveryWake;
    std::condition_variable m_idle;
    bool m_open = false;
    bool m_seeded = false;
    bool m_stopping = false;
    bool m_deliveriesEnd = false;
    std::deque<std::unique_ptr<Pending>> m_pending; // in order of arrival, hence of due time
    std::vector<std::unique_ptr<Pending>> m_held;   // a silent service's requests
    std::deque<std::unique_ptr<Delivery>> m_deliveries;
    int m_unanswered = 0; // accepted and not yet handed to their handler
    QuarantineCounts m_counts;
    int m_liveEnumerations = 0;
    std::uint64_t m_storeGeneration = 0;
    std::vector<std::promise<bool>> m_checks; // asked for by CheckStoreNow
    StoreOpenError m_openError;

    std::thread m_storeThread;
    std::vector<std::thread> m_deliveryThreads;

    // Store thread only.
    struct Enumeration;
    std::vector<Enumeration> m_enumerations;
    std::uint32_t m_lastHandle = 0;
};

// The host's sender: slot 9 hands the bytes to the service.
class ServiceSender final : public ISendToIPCEx {
public:
    explicit ServiceSender(ProtectionService* service) : m_service(service) {}
    Q_DISABLE_COPY_MOVE(ServiceSender)

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

private:
    ProtectionService* m_service;
};
