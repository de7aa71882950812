#include "platform/system.h"

#include <QApplication>
#include <QByteArray>
#include <QCursor>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QWidget>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace platform {
namespace {

int g_cursor = kCursorDefault;
QPointer<QWidget> g_mainWindow;

} // namespace

void SetScreenCursor(int cursor) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (cursor == kCursorHourglass) {
        if (g_cursor == kCursorHourglass)
            return;
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        g_cursor = kCursorHourglass;
        return;
    }
    if (g_cursor == kCursorHourglass)
        QApplication::restoreOverrideCursor();
    g_cursor = kCursorDefault;
}

int ScreenCursor() {
    return g_cursor;
}

QWidget* ApplicationMainWindow() {
    return g_mainWindow.data();
}

void SetApplicationMainWindow(QWidget* window) {
    g_mainWindow = window;
}

QString ModuleFileOf(const void* address) {
#if defined(_WIN32)
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return {};
    wchar_t name[4096];
    const DWORD length = GetModuleFileNameW(module, name, 4096);
    return QString::fromWCharArray(name, static_cast<int>(length));
#else
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    // A program started by a relative path reports that path: make it whole.
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
#endif
}

std::optional<QString> ReadMachineSetting(const QString& organisation, const QString& application,
                                          const QString& name) {
    QSettings settings(QSettings::SystemScope, organisation, application);
    const QVariant value = settings.value(name);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

QString ProductLibraryFileName(const QString& windowsName) {
#if defined(_WIN32)
    return windowsName;
#else
    QString name = windowsName;
    if (name.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QLatin1String(".so");
#endif
}

QChar PathSeparator() {
#if defined(_WIN32)
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

QByteArray FindResourceBytes(void* library, std::u16string_view type, std::uint32_t number) {
    if (!library)
        return {};
    using FindResource = std::int32_t (*)(const char16_t*, std::uint32_t, const void**, std::uint32_t*);
#if defined(_WIN32)
    auto find =
        reinterpret_cast<FindResource>(GetProcAddress(static_cast<HMODULE>(library), "ZRUN_FindResource"));
#else
    auto find = reinterpret_cast<FindResource>(dlsym(library, "ZRUN_FindResource"));
#endif
    if (!find)
        return {};
    const std::u16string typeName(type);
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (find(typeName.c_str(), number, &data, &size) == 0 || !data || size == 0)
        return {};
    return QByteArray::fromRawData(static_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace platform
