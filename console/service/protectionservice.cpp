#include "service/protectionservice.h"

#include "comm/nano/codec.h"

#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// Replies of one service can come from any of these, as from the product's service.
constexpr int kDeliveryThreads = 3;
// Enumerations a client started and never finished or cancelled are forgotten, oldest first.
constexpr std::size_t kMaxEnumerations = 64;

// Handles are unique in the process: a handle of a stopped service is never mistaken for one
// of its successor's.
std::atomic<std::uint32_t> g_lastHandle{0};

std::uint32_t NewHandle() {
    std::uint32_t handle = 0;
    while (handle == 0)
        handle = ++g_lastHandle;
    return handle;
}

std::vector<std::uint8_t> Encode(std::uint32_t moduleId, std::int32_t result,
                                 const INanoSerializable* payload) {
    std::vector<std::uint8_t> bytes = EncodeEnvelope(moduleId, static_cast<std::uint32_t>(result), payload);
    if (bytes.empty() && payload)
        bytes = EncodeEnvelope(moduleId, static_cast<std::uint32_t>(servicecode::kStoreFailed), nullptr);
    return bytes;
}

std::vector<std::uint8_t> StatusOnly(std::uint32_t moduleId, std::int32_t result) {
    return Encode(moduleId, result, nullptr);
}

QString DefaultStorePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/quarantine.sqlite");
}

} // namespace

struct ProtectionService::Request {
    enum class Type { List, Action, DetectionInfo };
    Type type = Type::List;
    std::uint32_t moduleId = 0;
    std::uint32_t kind = 0;
    std::uint32_t listHandle = 0;
    std::int32_t position = 0;
    std::uint32_t actionCode = 0;
    ST_BLELEMENT::Identifier identifier{};
    std::vector<std::uint32_t> detectionIds;
};

struct ProtectionService::Pending {
    Request request;
    ISendToIPCEx::IServerCallback* handler = nullptr;
    Clock::time_point due;
};

struct ProtectionService::Delivery {
    ISendToIPCEx::IServerCallback* handler = nullptr;
    std::vector<std::uint8_t> reply; // empty: NoReply
};

struct ProtectionService::Enumeration {
    std::uint32_t handle = 0;
    std::vector<qint64> rows;
};

std::optional<ProtectionService::Request> ProtectionService::ReadRequest(const std::uint8_t* data,
                                                                         std::uint32_t size) {
    const std::unique_ptr<ReplyEnvelope> envelope = DecodeEnvelope(data, size);
    if (!envelope || !envelope->decoded)
        return std::nullopt;
    Request r;
    r.moduleId = envelope->moduleId;
    if (envelope->moduleId == kListModule) {
        if (const auto* list = envelope->PayloadAs<CMsgModBlaGetList>()) {
            r.type = Request::Type::List;
            r.kind = list->kind;
            r.listHandle = list->listHandle;
            r.position = list->position;
            return r;
        }
        if (const auto* action = envelope->PayloadAs<CMsgModBlaActions>()) {
            r.type = Request::Type::Action;
            r.actionCode = action->actionCode;
            r.identifier = action->element.identifier;
            return r;
        }
        return std::nullopt;
    }
    if (envelope->moduleId == kDetectionInfoModule) {
        if (const auto* info = envelope->PayloadAs<CMsgModAvIemGetInfo>()) {
            r.type = Request::Type::DetectionInfo;
            r.detectionIds = info->identifiers;
            return r;
        }
    }
    return std::nullopt;
}

bool ParseFaultErrorCode(const QString& fault, std::int32_t& code) {
    if (!fault.startsWith(QLatin1String("error:")))
        return false;
    bool ok = false;
    const qlonglong value = fault.mid(6).trimmed().toLongLong(&ok, 0);
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::uint32_t>::max())
        return false;
    code = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return true;
}

ProtectionService::ProtectionService(ServiceSettings settings)
    : m_settings(std::move(settings)), m_latencyMs(std::max(0, m_settings.latencyMs)) {
    const QString fault = m_settings.fault.trimmed();
    if (fault == QLatin1String("refuse")) {
        m_fault = Fault::Refuse;
    } else if (fault == QLatin1String("silent")) {
        m_fault = Fault::Silent;
    } else if (fault == QLatin1String("no-names")) {
        m_fault = Fault::NoNames;
    } else if (ParseFaultErrorCode(fault, m_faultCode)) {
        m_fault = Fault::Error;
    }
}

ProtectionService::~ProtectionService() {
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
        auto noReply = [this](std::unique_ptr<Pending>& p) {
            auto d = std::make_unique<Delivery>();
            d->handler = p->handler;
            m_deliveries.push_back(std::move(d));
        };
        // An action the service accepted is the user's decision: it is carried out before the
        // store closes. What is only read is not worth the wait.
        std::deque<std::unique_ptr<Pending>> actions;
        for (auto& p : m_pending) {
            if (p->request.type == Request::Type::Action)
                actions.push_back(std::move(p));
            else
                noReply(p);
        }
        for (auto& p : m_held)
            noReply(p);
        m_pending = std::move(actions);
        m_held.clear();
    }
    m_storeWake.notify_all();
    m_deliveryWake.notify_all();
    // The store thread carries out the actions left, then ends.
    if (m_storeThread.joinable())
        m_storeThread.join();
    {
        std::lock_guard lock(m_lock);
        m_deliveriesEnd = true;
    }
    m_deliveryWake.notify_all();
    for (std::thread& t : m_deliveryThreads)
        t.join();
}

bool ProtectionService::Open(QString* error) {
    {
        std::lock_guard lock(m_lock);
        if (m_open)
            return true;
    }
    m_storePath = m_settings.storePath.isEmpty() ? DefaultStorePath() : m_settings.storePath;
    if (m_storePath.isEmpty()) {
        StoreOpenError reason;
        reason.code = StoreOpenError::Code::NoDataFolder;
        {
            std::lock_guard lock(m_lock);
            m_openError = reason;
        }
        if (error)
            *error = StoreOpenErrorText(reason);
        return false;
    }
    auto opened = std::make_shared<std::promise<QString>>();
    std::future<QString> outcome = opened->get_future();
    m_storeThread = std::thread(&ProtectionService::StoreThread, this, opened);
    const QString failure = outcome.get();
    if (!failure.isEmpty()) {
        m_storeThread.join();
        if (error)
            *error = failure;
        return false;
    }
    for (int i = 0; i < kDeliveryThreads; ++i)
        m_deliveryThreads.emplace_back(&ProtectionService::DeliveryThread, this);
    std::lock_guard lock(m_lock);
    m_open = true;
    return true;
}

StoreOpenError ProtectionService::OpenError() const {
    std::lock_guard lock(m_lock);
    return m_openError;
}

bool ProtectionService::IsOpen() const {
    std::lock_guard lock(m_lock);
    return m_open;
}

bool ProtectionService::SeededOnOpen() const {
    std::lock_guard lock(m_lock);
    return m_seeded;
}

QString ProtectionService::StorePath() const {
    return m_storePath;
}

std::uint32_t ProtectionService::Submit(const std::uint8_t* data, std::uint32_t size,
                                        ISendToIPCEx::IServerCallback* handler) {
    if (!handler || (!data && size > 0))
        return servicecode::kNotSent;
    std::optional<Request> request = ReadRequest(data, size);
    if (!request)
        return servicecode::kNotSent;
    if (m_fault == Fault::Refuse && request->type == Request::Type::Action)
        return servicecode::kRefused;

    auto pending = std::make_unique<Pending>();
    pending->request = std::move(*request);
    pending->handler = handler;
    pending->due = Clock::now() + std::chrono::milliseconds(m_latencyMs.load());
    {
        std::lock_guard lock(m_lock);
        if (!m_open || m_stopping)
            return servicecode::kNotSent;
        ++m_unanswered;
        if (m_fault == Fault::Silent) {
            m_held.push_back(std::move(pending));
            return servicecode::kAccepted;
        }
        m_pending.push_back(std::move(pending));
    }
    m_storeWake.notify_one();
    return servicecode::kAccepted;
}

void ProtectionService::StoreThread(std::shared_ptr<std::promise<QString>> opened) {
    QuarantineStore store;
    QString error;
    if (!store.Open(m_storePath, m_settings.reseed, m_settings.seedClock, &error, m_settings.historyItems)) {
        {
            std::lock_guard lock(m_lock);
            m_openError = store.OpenError();
        }
        opened->set_value(error.isEmpty() ? StoreOpenErrorText(store.OpenError()) : error);
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_seeded = store.SeededOnOpen();
    }
    RefreshCounts(store);
    opened->set_value(QString());
    RunStore(store);
    // The connection closes with the store, on the thread that opened it.
}

void ProtectionService::RunStore(QuarantineStore& store) {
    const std::chrono::milliseconds watch(std::max(0, m_settings.watchMs));
    const bool watching = watch.count() > 0;
    Clock::time_point nextLook = Clock::now() + watch;
    std::unique_lock lock(m_lock);
    for (;;) {
        if (!m_checks.empty() && !m_stopping) {
            std::vector<std::promise<bool>> checks = std::move(m_checks);
            m_checks.clear();
            lock.unlock();
            const bool changed = LookForOutsideChanges(store);
            for (std::promise<bool>& check : checks)
                check.set_value(changed);
            lock.lock();
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (watching && !m_stopping && now >= nextLook) {
            lock.unlock();
            LookForOutsideChanges(store);
            lock.lock();
            nextLook = Clock::now() + watch;
            continue;
        }
        // Stopping, what is left falls due at once.
        if (!m_pending.empty() && (m_stopping || now >= m_pending.front()->due)) {
            std::unique_ptr<Pending> job = std::move(m_pending.front());
            m_pending.pop_front();
            lock.unlock();
            auto delivery = std::make_unique<Delivery>();
            delivery->handler = job->handler;
            delivery->reply = Execute(store, job->request);
            lock.lock();
            m_deliveries.push_back(std::move(delivery));
            m_deliveryWake.notify_one();
            continue;
        }
        if (m_stopping)
            break;
        std::optional<Clock::time_point> wake;
        if (!m_pending.empty())
            wake = m_pending.front()->due;
        if (watching)
            wake = wake ? std::min(*wake, nextLook) : nextLook;
        if (wake)
            m_storeWake.wait_until(lock, *wake);
        else
            m_storeWake.wait(lock);
    }
    for (std::promise<bool>& check : m_checks)
        check.set_value(false);
    m_checks.clear();
    m_enumerations.clear();
    m_liveEnumerations = 0;
}

void ProtectionService::DeliveryThread() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_deliveryWake.wait(lock, [this] { return !m_deliveries.empty() || m_deliveriesEnd; });
        if (m_deliveries.empty())
            return;
        std::unique_ptr<Delivery> d = std::move(m_deliveries.front());
        m_deliveries.pop_front();
        lock.unlock();
        // The handler may destroy itself in the call: it is not touched afterwards.
        if (d->reply.empty())
            d->handler->NoReply();
        else
            d->handler->Reply(d->reply.data(), static_cast<std::uint32_t>(d->reply.size()));
        lock.lock();
        --m_unanswered;
        m_idle.notify_all();
    }
}

std::vector<std::uint8_t> ProtectionService::Execute(QuarantineStore& store, const Request& request) {
    if (m_fault == Fault::Error)
        return StatusOnly(request.moduleId, m_faultCode);
    switch (request.type) {
    case Request::Type::List:
        return ListPage(store, request);
    case Request::Type::Action:
        return Action(store, request);
    case Request::Type::DetectionInfo:
        return DetectionInfo(store, request);
    }
    return {};
}

std::vector<std::uint8_t> ProtectionService::ListPage(QuarantineStore& store, const Request& request) {
    auto publishLive = [this] {
        std::lock_guard lock(m_lock);
        m_liveEnumerations = static_cast<int>(m_enumerations.size());
    };
    auto find = [this](std::uint32_t handle) {
        return std::find_if(m_enumerations.begin(), m_enumerations.end(),
                            [handle](const Enumeration& e) { return e.handle == handle; });
    };

    if (request.position == -1) {
        if (auto it = find(request.listHandle); it != m_enumerations.end())
            m_enumerations.erase(it);
        publishLive();
        return StatusOnly(kListModule, servicecode::kOk);
    }
    if (request.position < -1)
        return StatusOnly(kListModule, servicecode::kBadRequest);

    std::uint32_t handle = request.listHandle;
    if (handle == 0) {
        if (!itemkind::IsKnown(request.kind))
            return StatusOnly(kListModule, servicecode::kBadRequest);
        std::optional<std::vector<qint64>> rows = store.Select(request.kind);
        if (!rows)
            return StatusOnly(kListModule, servicecode::kStoreFailed);
        handle = NewHandle();
        m_enumerations.push_back({handle, std::move(*rows)});
        if (m_enumerations.size() > kMaxEnumerations)
            m_enumerations.erase(m_enumerations.begin());
    }
    auto it = find(handle);
    if (it == m_enumerations.end())
        return StatusOnly(kListModule, servicecode::kUnknownList);

    const std::size_t total = it->rows.size();
    const std::size_t from = std::min(total, static_cast<std::size_t>(request.position));
    const std::size_t pageSize = static_cast<std::size_t>(std::max(1, m_settings.pageSize));
    const std::size_t to = std::min(total, from + pageSize);
    std::optional<std::vector<ST_BLELEMENT>> elements =
        store.Elements(std::vector<qint64>(it->rows.begin() + from, it->rows.begin() + to));
    if (!elements)
        return StatusOnly(kListModule, servicecode::kStoreFailed);

    CRspModBlaGetList page;
    page.listHandle = handle;
    page.elements = std::move(*elements);
    const std::int64_t next =
        static_cast<std::int64_t>(request.position) + static_cast<std::int64_t>(pageSize);
    const bool last =
        next >= static_cast<std::int64_t>(total) || next > std::numeric_limits<std::int32_t>::max();
    page.nextPosition = last ? -1 : static_cast<std::int32_t>(next);
    if (last)
        m_enumerations.erase(it);
    publishLive();
    return Encode(kListModule, servicecode::kOk, &page);
}

std::vector<std::uint8_t> ProtectionService::Action(QuarantineStore& store, const Request& request) {
    using Change = QuarantineStore::Change;
    Change change = Change::Failed;
    switch (request.actionCode) {
    case kActionUnblock:
    case kActionReblock:
        change = store.SetUndone(request.identifier, request.actionCode == kActionUnblock);
        break;
    case kActionRemove:
        change = store.Remove(request.identifier);
        break;
    case kActionRemoveAll:
        change = store.RemoveAllBlocked(nullptr);
        break;
    default:
        return StatusOnly(kListModule, servicecode::kBadRequest);
    }
    if (change == Change::Done)
        RefreshCounts(store);
    // The client acted on an item it still shows and the store no longer holds.
    if (change == Change::NotFound)
        StoreIsStale(store);
    const std::int32_t result = change == Change::Done       ? servicecode::kOk
                                : change == Change::NotFound ? servicecode::kItemNotFound
                                                             : servicecode::kStoreFailed;
    return StatusOnly(kListModule, result);
}

std::vector<std::uint8_t> ProtectionService::DetectionInfo(QuarantineStore& store, const Request& request) {
    RspModAvIemGetInfo info;
    if (m_fault != Fault::NoNames) {
        std::optional<std::vector<DetectionNameRow>> names = store.DetectionNames(request.detectionIds);
        if (!names)
            return StatusOnly(kDetectionInfoModule, servicecode::kStoreFailed);
        for (DetectionNameRow& n : *names)
            info.results.push_back({n.id, 0, 0, std::move(n.name)});
    }
    return Encode(kDetectionInfoModule, servicecode::kOk, &info);
}

void ProtectionService::RefreshCounts(QuarantineStore& store) {
    const std::optional<QuarantineCounts> counts = store.Counts();
    if (!counts)
        return;
    std::lock_guard lock(m_lock);
    m_counts = *counts;
}

bool ProtectionService::LookForOutsideChanges(QuarantineStore& store) {
    const std::optional<bool> changed = store.ChangedElsewhere();
    if (!changed || !*changed)
        return false;
    StoreIsStale(store);
    return true;
}

void ProtectionService::StoreIsStale(QuarantineStore& store) {
    RefreshCounts(store);
    {
        std::lock_guard lock(m_lock);
        ++m_storeGeneration;
    }
    if (m_changed)
        m_changed();
}

std::uint64_t ProtectionService::StoreGeneration() const {
    std::lock_guard lock(m_lock);
    return m_storeGeneration;
}

bool ProtectionService::CheckStoreNow(std::chrono::milliseconds timeout) {
    std::future<bool> look;
    {
        std::lock_guard lock(m_lock);
        if (!m_open || m_stopping)
            return false;
        m_checks.emplace_back();
        look = m_checks.back().get_future();
    }
    m_storeWake.notify_one();
    if (look.wait_for(timeout) != std::future_status::ready)
        return false;
    return look.get();
}

QString ProtectionService::FaultName() const {
    return m_fault == Fault::None ? QString() : m_settings.fault.trimmed();
}

QString ProtectionService::StatusText(const std::function<QString(const QString&)>& translate) const {
    auto tr = [&translate](const QString& key) { return translate ? translate(key) : key; };
    std::lock_guard lock(m_lock);
    if (!m_open)
        return tr(QStringLiteral("Protección desactivada"));
    const int shown = m_counts.shown;
    QString text = shown == 0 ? tr(QStringLiteral("Protección activa · ningún elemento bloqueado"))
                   : shown == 1
                       ? tr(QStringLiteral("Protección activa · 1 elemento bloqueado"))
                       : tr(QStringLiteral("Protección activa · %1 elementos bloqueados")).arg(shown);
    if (m_fault != Fault::None)
        text = tr(QStringLiteral("%1 · fallo simulado: %2")).arg(text, m_settings.fault.trimmed());
    return text;
}

int ProtectionService::BlockedCount() const {
    std::lock_guard lock(m_lock);
    return m_counts.shown;
}

QuarantineCounts ProtectionService::Counts() const {
    std::lock_guard lock(m_lock);
    return m_counts;
}

int ProtectionService::CountOf(std::uint32_t kind) const {
    std::lock_guard lock(m_lock);
    switch (kind) {
    case itemkind::kAll:
        return m_counts.all;
    case itemkind::kUndone:
        return m_counts.undone;
    case itemkind::kBlocked:
        return m_counts.blocked;
    case itemkind::kDeleted:
        return m_counts.deleted;
    default:
        return -1;
    }
}

int ProtectionService::LiveEnumerations() const {
    std::lock_guard lock(m_lock);
    return m_liveEnumerations;
}

bool ProtectionService::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_lock);
    return m_idle.wait_for(lock, timeout, [this] {
        return m_unanswered == static_cast<int>(m_held.size()) && m_pending.empty();
    });
}

uint32_t ServiceSender::Send(const uint8_t* data, uint32_t size, IServerCallback* handler) {
    return m_service ? m_service->Submit(data, size, handler) : servicecode::kNotSent;
}
