#pragma once

#include "consoleoptions.h"
#include "hostobjects.h"
#include "modulelibrary.h"
#include "platform/messages.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class TStatusLine;
class ProtectionService;
class ServiceSender;

// The console's main window: it hosts the suspects window of the module in a panel and
// skins the module's other windows when asked to.
class TConsoleForm final : public QMainWindow {
    Q_OBJECT

public:
    explicit TConsoleForm(const ConsoleOptions& options, QWidget* parent = nullptr);
    ~TConsoleForm() override;

    // Opens the embedded service's store. False, with the reason in the status line and in
    // LastError(), when it cannot be opened or created: the console cannot go on.
    bool OpenService();
    // Opens the service when that was not done yet, loads the module and its resource library
    // and shows the suspects window. False, with a reason in the status line, when the store or
    // the module cannot be opened.
    bool StartModule();
    void StopModule();

    QWidget* SuspectsWindow() const { return m_suspectsWindow; }
    ProtectionService* Service() const { return m_service.get(); }
    // A sentence for people, in the console's language.
    const QString& LastError() const { return m_lastError; }
    // The words of the driver or loader behind LastError(), for logs; may be empty.
    const QString& LastErrorDetail() const { return m_lastErrorDetail; }
    // The whole text of the status line (the line itself may show it shortened).
    QString StatusText() const;
    const ConsoleTranslator& Translator() const { return m_translator; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void SkinWindow(QWidget* window);
    void ShowStatus(const QString& text);
    void RefreshStatus();
    void StoreChanged();
    void Fail(const QString& sentence, const QString& detail);
    QString Tr(const QString& key) { return m_translator.Text(key); }
    QString LibraryPath(const QString& file) const;
    void PointProductSettingsHere();

    ConsoleOptions m_options;
    ConsoleTranslator m_translator;
    ZrunTranslationSource m_translationSource{};
    ConsoleConfiguration m_configuration;
    ZrunHostState m_hostState{};
    ModuleLibrary m_moduleLibrary;
    ModuleLibrary m_resourceLibrary;
    SuspectsModule m_module;
    std::unique_ptr<ProtectionService> m_service;
    std::unique_ptr<ServiceSender> m_sender;
    QWidget* m_moduleHost = nullptr;
    QWidget* m_suspectsWindow = nullptr;
    TStatusLine* m_status = nullptr;
    platform::WindowHandle m_suspectsHandle = 0;
    std::uint32_t m_updateMessage = 0;
    bool m_moduleRunning = false;
    std::uint32_t m_skinMessage = 0;
    QString m_lastError;
    QString m_lastErrorDetail;
};
