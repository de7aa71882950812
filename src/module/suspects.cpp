#include "module/suspects.h"

#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "comm/threadgetsuspectsdata.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "support/itemicon.h"

#include <QApplication>

namespace {

QString CopyText(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}

// What the windows use when the host hands in no state object.
const ZrunHostState kDefaultHostState{1000, 1, 3, 20};

// The controller's own receiving window: replies and paging triggers are posted here, so that
// they reach the controller whichever windows exist at the time.
class TControllerReceiver final : public QObject {
public:
    explicit TControllerReceiver(CSuspects* controller) : m_controller(controller) {
        setObjectName(QStringLiteral("SuspectsReceiver"));
    }

protected:
    bool event(QEvent* event) override {
        if (auto* message = platform::AsWindowMessage(event)) {
            m_controller->RouteMessage(*message);
            return true;
        }
        return QObject::event(event);
    }

private:
    CSuspects* const m_controller;
};

} // namespace

CSuspects::CSuspects(std::uintptr_t launchContext)
    : m_launchContext(launchContext), m_detectionNames(std::make_unique<TMapDetectionID>()) {}

CSuspects::~CSuspects() {
    // The worker may be inside a synchronised call on the suspects window: stop and join it
    // (joining runs that call) before any window goes.
    if (m_worker) {
        m_worker->Stop();
        m_worker->WaitFor();
        m_worker.reset();
    }
    if (m_detectionInfoRequester)
        m_detectionInfoRequester->Detach();
    m_detectionInfoRequester.reset();
    delete m_historyForm.data();
    DestroySuspectsWindow();
    // Replies still on their way find no receiver and are freed.
    m_receiver.reset();
    if (m_setupDone)
        platform::SetApplicationIdleHook({});
    m_itemStore.reset();
}

TSuspectsForm* CSuspects::SuspectsWindow() const {
    return m_suspectsForm.data();
}

THistorySuspectsForm* CSuspects::HistoryWindow() const {
    return m_historyForm.data();
}

ISuspectsView* CSuspects::SuspectsView() const {
    return m_suspectsForm.data();
}

void CSuspects::SetHistoryWindow(THistorySuspectsForm* window) {
    m_historyForm = window;
}

void CSuspects::PostToHistory(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (auto* history = HistoryWindow())
        platform::PostMessage(platform::HandleOf(history), msg, wParam, lParam);
}

bool CSuspects::RouteMessage(platform::WindowMessage& message) {
    const stMessageNumbers& m = m_messages;
    const std::uint32_t msg = message.Msg();
    if (msg == 0 || !m_setupDone)
        return false;
    if (msg == m.WM_CANCELSUSPECTSDATA) {
        auto envelope = message.TakeOwned<ReplyEnvelope>();
        CancelReply(envelope.get());
    } else if (msg == m.WM_GETBLALIST) {
        auto envelope = message.TakeOwned<ReplyEnvelope>();
        ListReply(envelope.get(), message.WParam());
    } else if (msg == m.WM_REMOVEALLITEMS) {
        auto envelope = message.TakeOwned<ReplyEnvelope>();
        RemoveAllReply(envelope.get());
    } else if (msg == m.WM_REMOVEUNBLOCKIMTEMLAYER) {
        if (message.WParam() == 0) {
            if (auto* view = SuspectsView())
                view->RemoveWaitingLayer();
        } else if (auto* history = HistoryWindow()) {
            history->RemoveWaitingLayer();
        }
    } else if (msg == m.WM_UNBLOCKITEM || msg == m.WM_REBLOCKITEM || msg == m.WM_REMOVEITEM) {
        auto reply = message.TakeOwned<stActionReply>();
        if (!reply)
            return true; // not one of ours: an action reply always names its item
        if (msg == m.WM_UNBLOCKITEM)
            UnblockReply(reply->envelope.get(), reply->item);
        else if (msg == m.WM_REBLOCKITEM)
            ReblockReply(reply->envelope.get(), reply->item);
        else
            RemoveReply(reply->envelope.get(), reply->item);
    } else if (msg == m.WM_GETSUSPECTSDATA) {
        RequestNextPage(message.WParam());
    } else if (msg == m.WM_GETDETECTIONINFO) {
        auto envelope = message.TakeOwned<ReplyEnvelope>();
        DetectionInfoReply(reinterpret_cast<CGetDetectionInfoMsg*>(message.WParam()), envelope.get());
    } else {
        return false;
    }
    return true;
}

bool CSuspects::HistoryWindowVisible() const {
    auto* history = HistoryWindow();
    return history && history->isVisible();
}

const ZrunHostState& CSuspects::HostState() const {
    return m_hostState ? *m_hostState : kDefaultHostState;
}

void CSuspects::FirstUseSetup() {
    if (m_setupDone)
        return;
    // The idle hook needs the application's event loop; set up without it, later windows
    // would never get their synchronised calls. A later call sets up instead.
    if (!QCoreApplication::instance())
        return;
    platform::SetApplicationIdleHook([this] { IdleHook(); });
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = listkind::kNone;
    m_kindsRequested = listkind::kNone;
    m_cancelledListHandle = 0;
    m_cancelPending = false;
    m_messages = RegisterControllerMessages();
    m_worker = std::make_unique<ThreadGetSuspectsData>(
        [this]() -> ThreadGetSuspectsData::Target* { return m_suspectsForm.data(); });
    m_worker->Start(QThread::LowestPriority);
    m_receiver = std::make_unique<TControllerReceiver>(this);
    m_receiverHandle = platform::HandleOf(m_receiver.get());
    m_detectionInfoRequester = std::make_shared<CGetDetectionInfoMsg>(
        [this](std::uint32_t moduleId, INanoSerializable& payload, ISendToIPCEx::IServerCallback* handler) {
            return Send(moduleId, payload, handler);
        },
        m_receiverHandle, m_messages.WM_GETDETECTIONINFO);
    m_itemStore = std::make_unique<CBlaItemEx>();
    m_itemStore->SetIconLoader(&LoadItemIcon);
    m_setupDone = true;
}

void CSuspects::IdleHook() {
    platform::CheckSynchronize();
}

void CSuspects::ReadConfiguration(IZrunConfiguration* configuration, bool& createWindow) {
    createWindow = true;
    if (!configuration)
        return;
    m_productName = CopyText(configuration->GetText(config::kProductName, 0));
    m_labName = CopyText(configuration->GetText(config::kLabName, 0));
    m_reservedNumber = configuration->GetNumber(config::kReservedNumber, 0);
    m_reservedText = CopyText(configuration->GetText(config::kReservedText, 0));
    m_actionsEnabled = configuration->GetFlag(config::kActionsEnabled, 0) != 0;
    createWindow = configuration->GetFlag(config::kCreateWindow, 0) != 0;
}

TSuspectsForm* CSuspects::CreateSuspectsForm(QWidget* parent, const ZrunTranslationSource* translator,
                                             ISendToIPCEx* sender, IZrunConfiguration* configuration,
                                             const ZrunHostState* hostState, void* resourceLibrary) {
    try {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            throw std::runtime_error("no application");
        m_sender = sender;
        bool createWindow = true;
        ReadConfiguration(configuration, createWindow);
        if (!createWindow)
            throw std::runtime_error("window not wanted");
        m_hostState = hostState;
        m_resourceLibrary = resourceLibrary;
        m_translator = translator;
        DestroySuspectsWindow();
        auto* window = new TSuspectsForm(parent, this);
        m_suspectsForm = window;
        if (parent && window->parentWidget() != parent)
            window->setParent(parent);
        return window;
    } catch (...) {
        DestroySuspectsWindow();
        return nullptr;
    }
}

void CSuspects::DestroySuspectsWindow() {
    // The history window belongs to the suspects window that opened it.
    if (auto* history = m_historyForm.data()) {
        m_historyForm = nullptr;
        SetHistoryWindow(nullptr);
        delete history;
    }
    delete m_suspectsForm.data();
    m_suspectsForm = nullptr;
}
