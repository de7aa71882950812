#pragma once

#include "consoleoptions.h"
#include "hostobjects.h"
#include "modulelibrary.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class ProtectionService;
class ServiceSender;

// The console's main window: it hosts the suspects window of the module in a panel and
// skins the module's other windows when asked to.
class TConsoleForm final : public QMainWindow {
    Q_OBJECT

public:
    explicit TConsoleForm(const ConsoleOptions& options, QWidget* parent = nullptr);
    ~TConsoleForm() override;

    // Loads the module and its resource library and shows the suspects window. False, with
    // a reason in the status line, when the module cannot be loaded.
    bool StartModule();
    void StopModule();

    QWidget* SuspectsWindow() const { return m_suspectsWindow; }
    ProtectionService* Service() const { return m_service.get(); }
    const QString& LastError() const { return m_lastError; }
    const ConsoleTranslator& Translator() const { return m_translator; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void SkinWindow(QWidget* window);
    void ShowStatus(const QString& text);
    void RefreshStatus();
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
    QLabel* m_status = nullptr;
    bool m_moduleRunning = false;
    std::uint32_t m_skinMessage = 0;
    QString m_lastError;
};
