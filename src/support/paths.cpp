#include "support/paths.h"

#include "platform/loader.h"
#include "platform/system.h"

namespace {

const QString kUtilsLibrary = QStringLiteral("ZRUNUtils.dll");

// Launches run on the clicked window's thread: open, call once, release.
template <class Call> void WithUtilities(const char* entry, Call call) {
    platform::CLoader loader;
    loader.Load(ProductLibraryPath(InstallFolder(), kUtilsLibrary), 0, true);
    if (!loader.Handle())
        return;
    if (void* symbol = loader.Symbol(entry))
        call(symbol);
    loader.Unload();
}

} // namespace

QString ModuleFolder() {
    const QString file = platform::ModuleFileOf(reinterpret_cast<const void*>(&ModuleFolder));
    const qsizetype cut = file.lastIndexOf(platform::PathSeparator());
    return cut < 0 ? QString() : file.left(cut);
}

QString InstallFolder() {
    const auto path = platform::ReadMachineSetting(QStringLiteral("Norvik Software"), QStringLiteral("Setup"),
                                                   QStringLiteral("Path"));
    // The value is at most 260 characters, as the registry value it stands for.
    return path ? path->left(260) : QString();
}

QString ProductLibraryPath(const QString& folder, const QString& windowsFileName) {
    // No folder is no library: the bare separator would name one at the file system root.
    if (folder.isEmpty())
        return {};
    return folder + platform::PathSeparator() + platform::ProductLibraryFileName(windowsFileName);
}

void LaunchYourOpinion(std::uintptr_t value) {
    WithUtilities("ZRUN_LaunchYourOpinionUrl",
                  [value](void* symbol) { reinterpret_cast<void (*)(std::uintptr_t)>(symbol)(value); });
}

void LaunchDetectionInfo(std::uintptr_t hostValue, std::uint32_t detection) {
    WithUtilities("ZRUN_LaunchMalwareSpecificInfoUrl", [hostValue, detection](void* symbol) {
        reinterpret_cast<void (*)(std::uintptr_t, std::uint32_t)>(symbol)(hostValue, detection);
    });
}
