// The product's utilities library: opens the feedback page and the information page of a
// detection with the desktop's URL handler. The addresses come from the user's settings
// (organisation "Norvik Software", application "ZRUNUtils"), so support can point them
// elsewhere without a new build; "%1" in an address is replaced by the value passed in.
#include <QDesktopServices>
#include <QGuiApplication>
#include <QSettings>
#include <QUrl>
#include <cstdint>

#if defined(_WIN32)
#define ZRUN_UTILS_API extern "C" __declspec(dllexport)
#else
#define ZRUN_UTILS_API extern "C" __attribute__((visibility("default")))
#endif

namespace {

const char kOpinionDefault[] = "https://www.norviksoftware.com/zrun/opinion?source=suspects&context=%1";
const char kMalwareDefault[] = "https://www.norviksoftware.com/zrun/malware-info?detection=%2&context=%1";

// The library is released after every launch: no text handed to Qt may point into it, so
// every string here is a copy, never a literal's static data.
QString Address(const char* key, const char* fallback) {
    QSettings settings(QSettings::UserScope, QString::fromLatin1("Norvik Software"),
                       QString::fromLatin1("ZRUNUtils"));
    const QString value = settings.value(QLatin1String(key)).toString();
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}

void Open(const QString& address) {
    // Opening a page needs the host's GUI application; without one there is nothing to do.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QUrl url(address, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
}

} // namespace

ZRUN_UTILS_API std::int32_t _ZRUN_Initialize(std::uintptr_t) {
    return 1;
}

ZRUN_UTILS_API std::int32_t _ZRUN_Uninitialize() {
    return 1;
}

ZRUN_UTILS_API void ZRUN_LaunchYourOpinionUrl(std::uintptr_t value) {
    QString address = Address("OpinionUrl", kOpinionDefault);
    address.replace(QLatin1String("%1"), QString::number(value));
    Open(address);
}

ZRUN_UTILS_API void ZRUN_LaunchMalwareSpecificInfoUrl(std::uintptr_t hostValue, std::uint32_t detection) {
    QString address = Address("MalwareInfoUrl", kMalwareDefault);
    address.replace(QLatin1String("%1"), QString::number(hostValue));
    address.replace(QLatin1String("%2"), QString::number(detection));
    Open(address);
}
