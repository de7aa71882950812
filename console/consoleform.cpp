#include "consoleform.h"

#include "platform/messages.h"
#include "platform/system.h"
#include "service/protectionservice.h"

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kModuleWidth = 520;
constexpr int kModuleHeight = 233;

// Every size the icon resource holds, so each place picks its own.
QIcon ProductIcon(void* library) {
    QByteArray bytes = platform::FindResourceBytes(library, u"ICON", 131);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QString LabelStyle(int pixels, const char* colour, bool bold = false) {
    return QStringLiteral("color: %1; font-family: Verdana, 'DejaVu Sans'; font-size: %2px; %3")
        .arg(QLatin1String(colour))
        .arg(pixels)
        .arg(bold ? QStringLiteral("font-weight: bold;") : QString());
}

} // namespace

// The status line of a window of fixed size: a text too long for it is shortened with an
// ellipsis (the whole text in its tooltip), never widening the window.
class TStatusLine final : public QLabel {
public:
    explicit TStatusLine(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setMinimumWidth(0);
    }
    void SetFullText(const QString& text) {
        m_fullText = text;
        setToolTip(text);
        Elide();
    }
    const QString& FullText() const { return m_fullText; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide() {
        const int room = contentsRect().width();
        setText(room > 0 ? fontMetrics().elidedText(m_fullText, Qt::ElideRight, room) : m_fullText);
    }
    QString m_fullText;
};

TConsoleForm::TConsoleForm(const ConsoleOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_translator(options.language) {
    setObjectName(QStringLiteral("ConsoleForm"));
    m_translationSource.translator = &m_translator;
    m_translationSource.context = 0;
    m_configuration.productName = options.productName;
    m_configuration.labName = options.labName;
    m_configuration.shortName = options.shortName;
    m_configuration.actionsEnabled = options.actionsEnabled;
    m_configuration.createWindow = options.createWindow;
    m_hostState.unblockWaitMs = options.unblockWaitMs;
    m_hostState.showWaitingLayer = options.showWaitingLayer ? 1 : 0;
    m_hostState.maxNameAttempts = options.maxNameAttempts;
    m_hostState.nameBatchSize = options.nameBatchSize;
    m_skinMessage = platform::RegisterWindowMessage(u"WM_SKINFORM");
    // What F5 in the suspects window posts: the module fetches its list again.
    m_updateMessage = platform::RegisterWindowMessage(u"WM_UPDATEWINDOW");
    platform::HandleOf(this);
    BuildLayout();
}

TConsoleForm::~TConsoleForm() {
    StopModule();
}

void TConsoleForm::BuildLayout() {
    setWindowTitle(m_options.productName);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlConsole"));
    central->setStyleSheet(QStringLiteral("#pnlConsole { background-color: #2d2d2e; }"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* logo = new QLabel(central);
    logo->setObjectName(QStringLiteral("imgProductLogo"));
    logo->setFixedSize(48, 48);
    header->addWidget(logo);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto* title = new QLabel(m_options.productName, central);
    title->setObjectName(QStringLiteral("lblProductName"));
    // The host's name is text, never markup.
    title->setTextFormat(Qt::PlainText);
    title->setStyleSheet(LabelStyle(20, "#ffffff"));
    auto* subtitle = new QLabel(Tr(QStringLiteral("Centro de protección")), central);
    subtitle->setObjectName(QStringLiteral("lblConsoleSection"));
    subtitle->setStyleSheet(LabelStyle(12, "#9fb4d8"));
    titles->addWidget(title);
    titles->addWidget(subtitle);
    header->addLayout(titles, 1);
    layout->addLayout(header);

    auto* card = new QFrame(central);
    card->setObjectName(QStringLiteral("pnlModuleCard"));
    card->setStyleSheet(QStringLiteral(
        "#pnlModuleCard { background-color: #4c4b4b; border: 1px solid #5e5d5d; border-radius: 6px; }"));
    auto* cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(1, 1, 1, 1);
    m_moduleHost = new QWidget(card);
    m_moduleHost->setObjectName(QStringLiteral("pnlModuleHost"));
    m_moduleHost->setFixedSize(kModuleWidth, kModuleHeight);
    cardLayout->addWidget(m_moduleHost);
    layout->addWidget(card, 0, Qt::AlignHCenter);

    m_status = new TStatusLine(central);
    m_status->setObjectName(QStringLiteral("lblServiceStatus"));
    m_status->setStyleSheet(LabelStyle(11, "#b9b9ba"));
    layout->addWidget(m_status);
    setCentralWidget(central);
    adjustSize();
    setFixedSize(sizeHint());
}

QString TConsoleForm::LibraryPath(const QString& file) const {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + file;
}

void TConsoleForm::PointProductSettingsHere() {
    // The module finds the utilities library through the machine setting an installer
    // writes; a console run from its build folder stands in for that installer.
    if (platform::ReadMachineSetting(QStringLiteral("Norvik Software"), QStringLiteral("Setup"),
                                     QStringLiteral("Path")))
        return;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/machine");
    QDir().mkpath(folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, folder);
    QSettings settings(QSettings::SystemScope, QStringLiteral("Norvik Software"), QStringLiteral("Setup"));
    settings.setValue(QStringLiteral("Path"), QCoreApplication::applicationDirPath());
    settings.sync();
}

void TConsoleForm::Fail(const QString& sentence, const QString& detail) {
    m_lastError = sentence;
    m_lastErrorDetail = detail;
    ShowStatus(sentence);
}

bool TConsoleForm::OpenService() {
    if (m_service)
        return true;
    ServiceSettings settings;
    settings.storePath = m_options.storePath;
    settings.pageSize = m_options.pageSize;
    settings.latencyMs = m_options.latencyMs;
    settings.fault = m_options.fault;
    settings.reseed = m_options.reseed;
    settings.historyItems = m_options.historyItems;
    settings.watchMs = m_options.watchMs;
    auto service = std::make_unique<ProtectionService>(settings);
    // Called on the service's store thread; the console is there until the service is gone.
    service->SetStoreChangedListener(
        [this] { QMetaObject::invokeMethod(this, &TConsoleForm::StoreChanged, Qt::QueuedConnection); });
    if (!service->Open(nullptr)) {
        const StoreOpenError reason = service->OpenError();
        Fail(StoreOpenErrorText(reason, [this](const QString& key) { return Tr(key); }), reason.detail);
        return false;
    }
    m_service = std::move(service);
    m_sender = std::make_unique<ServiceSender>(m_service.get());
    return true;
}

bool TConsoleForm::StartModule() {
    if (m_moduleRunning)
        return true;
    PointProductSettingsHere();

    if (m_resourceLibrary.Open(LibraryPath(QStringLiteral("ZRUNResources.so")))) {
        const QIcon icon = ProductIcon(m_resourceLibrary.Handle());
        if (!icon.isNull()) {
            setWindowIcon(icon);
            if (auto* logo = findChild<QLabel*>(QStringLiteral("imgProductLogo")))
                logo->setPixmap(icon.pixmap(QSize(48, 48), devicePixelRatioF()));
        }
    }

    // Without its store the console has nothing to show.
    if (!OpenService())
        return false;

    const QString modulePath = m_options.modulePath.isEmpty() ? LibraryPath(QStringLiteral("ZRUNSuspects.so"))
                                                              : m_options.modulePath;
    if (!m_moduleLibrary.Open(modulePath) || !m_module.Resolve(m_moduleLibrary)) {
        Fail(Tr(QStringLiteral("No se ha podido cargar el módulo %1."))
                 .arg(QDir::toNativeSeparators(modulePath)),
             m_moduleLibrary.Error().isEmpty() ? QStringLiteral("entry points missing")
                                               : m_moduleLibrary.Error());
        return false;
    }
    if (m_module.initialize(m_options.launchContext) != 1) {
        Fail(Tr(QStringLiteral("El módulo %1 no se ha podido iniciar."))
                 .arg(QDir::toNativeSeparators(modulePath)),
             QStringLiteral("ZRUN_Initialize failed"));
        return false;
    }
    m_moduleRunning = true;
    m_suspectsWindow = static_cast<QWidget*>(m_module.createForm(m_moduleHost, &m_translationSource,
                                                                 m_sender.get(), &m_configuration,
                                                                 &m_hostState, m_resourceLibrary.Handle()));
    if (m_suspectsWindow) {
        // By its handle from now on: a window the module destroys takes no message.
        m_suspectsHandle = platform::HandleOf(m_suspectsWindow);
        m_suspectsWindow->move(0, 0);
        m_suspectsWindow->show();
    }
    // The quarantine changes under the user's hands: keep the line in step with it.
    auto* refresh = new QTimer(this);
    refresh->setInterval(1000);
    connect(refresh, &QTimer::timeout, this, &TConsoleForm::RefreshStatus);
    refresh->start();
    RefreshStatus();
    return true;
}

void TConsoleForm::RefreshStatus() {
    if (!m_service)
        return;
    ShowStatus(m_service->StatusText([this](const QString& key) { return Tr(key); }));
}

void TConsoleForm::StoreChanged() {
    // Another console changed the store, or an action found its item gone: the counts and
    // the module's list are fetched again.
    RefreshStatus();
    if (m_moduleRunning && m_suspectsHandle)
        platform::PostMessage(m_suspectsHandle, m_updateMessage, 0, 0);
}

void TConsoleForm::StopModule() {
    if (m_moduleRunning && m_module.uninitialize)
        m_module.uninitialize();
    m_moduleRunning = false;
    m_suspectsWindow = nullptr;
    m_suspectsHandle = 0;
    // The module is gone: replies still under way find no window and are dropped.
    m_sender.reset();
    m_service.reset();
    // The module stays mapped: Qt may still hold metadata of its classes until exit.
}

bool TConsoleForm::event(QEvent* event) {
    if (auto* message = platform::AsWindowMessage(event); message && message->Msg() == m_skinMessage) {
        // The second parameter names the window by its handle, never by its address: a window
        // closed since the message was posted has no live handle and is left alone.
        auto* window = qobject_cast<QWidget*>(
            platform::WindowFromHandle(static_cast<platform::WindowHandle>(message->LParam())));
        if (window)
            SkinWindow(window);
        return true;
    }
    return QMainWindow::event(event);
}

void TConsoleForm::SkinWindow(QWidget* window) {
    // Only the module's own top-level windows: never this one, nor a control inside another.
    if (window == this || !window->isWindow())
        return;
    if (!windowIcon().isNull())
        window->setWindowIcon(windowIcon());
    // The task bar tells which product the window belongs to; asked twice, the title stays.
    const QString context = QStringLiteral(" - ") + m_options.productName;
    const QString title = window->windowTitle();
    if (!m_options.productName.isEmpty() && !title.isEmpty() && !title.endsWith(context))
        window->setWindowTitle(title + context);
    window->setProperty("ConsoleSkin", QStringLiteral("dark"));
}

void TConsoleForm::ShowStatus(const QString& text) {
    if (m_status)
        m_status->SetFullText(text);
}

QString TConsoleForm::StatusText() const {
    return m_status ? m_status->FullText() : QString();
}

void TConsoleForm::closeEvent(QCloseEvent* event) {
    StopModule();
    event->accept();
}
