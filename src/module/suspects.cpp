#include "module/suspects.h"

#include "comm/replyhandlers.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"
#include "comm/threadgetsuspectsdata.h"
#include "forms/historysuspectsform/historysuspectsform.h"
#include "forms/suspectsform/suspectsform.h"
#include "platform/sync.h"
#include "support/itemicon.h"

#include <QApplication>

namespace {

QString CopyText(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}

// What the windows use when the host hands in no state object.
const ZrunHostState kDefaultHostState{1000, 1, 3, 20};

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
    platform::SetApplicationIdleHook({});
    m_itemStore.reset();
}

TSuspectsForm* CSuspects::SuspectsWindow() const {
    return m_suspectsForm.data();
}

THistorySuspectsForm* CSuspects::HistoryWindow() const {
    return m_historyForm.data();
}

void CSuspects::SetHistoryWindow(THistorySuspectsForm* window) {
    m_historyForm = window;
    if (m_detectionInfoRequester)
        m_detectionInfoRequester->SetHistoryWindow(window ? platform::HandleOf(window) : 0);
}

bool CSuspects::HistoryWindowVisible() const {
    auto* history = HistoryWindow();
    return history && history->isVisible();
}

const ZrunHostState& CSuspects::HostState() const {
    return m_hostState ? *m_hostState : kDefaultHostState;
}

void CSuspects::FirstUseSetup() {
    std::lock_guard guard(m_lock);
    if (m_setupDone)
        return;
    // The idle hook needs the application's event loop; set up without it, later windows
    // would never get their synchronised calls. A later call sets up instead.
    if (!QCoreApplication::instance())
        return;
    platform::SetApplicationIdleHook([this] { IdleHook(); });
    m_nextPosition = 0;
    m_listHandle = 0;
    m_requestedKind = 4;
    m_kindsRequested = 4;
    m_cancelledListHandle = 0;
    m_cancelPending = false;
    m_messages = RegisterControllerMessages();
    m_worker = std::make_unique<ThreadGetSuspectsData>(
        [this]() -> ThreadGetSuspectsData::Target* { return m_suspectsForm.data(); });
    m_worker->Start(QThread::LowestPriority);
    m_detectionInfoRequester = std::make_shared<CGetDetectionInfoMsg>(this, m_messages.WM_GETDETECTIONINFO);
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
    m_textA = CopyText(configuration->GetText(config::kTextA, 0));
    m_textB = CopyText(configuration->GetText(config::kTextB, 0));
    m_configurationNumber = configuration->GetNumber(config::kNumber, 0);
    m_textC = CopyText(configuration->GetText(config::kTextC, 0));
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
