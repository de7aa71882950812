// The module's C entry points. No error leaves them.
#include "module/formvars.h"
#include "module/suspects.h"

#include <QWidget>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif
#include <zrun/suspects.h>

namespace {

// The current controller; at most one exists.
CSuspects* g_controller = nullptr;

// Qt keeps data of the module (meta-objects, font and style caches holding its texts) until
// the application ends, so once started the module must stay mapped even if its host
// releases it.
void KeepLoaded() {
#if !defined(_WIN32)
    static bool kept = false;
    Dl_info info{};
    if (kept || dladdr(reinterpret_cast<const void*>(&KeepLoaded), &info) == 0 || !info.dli_fname)
        return;
    kept = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
#endif
}

} // namespace

extern "C" {

ZRUN_MODULE_API int32_t ZRUN_Initialize(uintptr_t launchContext) {
    try {
        KeepLoaded();
        auto* controller = new CSuspects(launchContext);
        // A second initialisation replaces the controller; the first one must not be left
        // running with its worker and windows.
        delete g_controller;
        g_controller = controller;
        return 1;
    } catch (...) {
        return 0;
    }
}

ZRUN_MODULE_API void* ZRUN_CreateSuspectsForm(void* parent, void* translator, void* sender,
                                              void* configuration, void* hostState, void* resourceLibrary) {
    if (!g_controller)
        return nullptr;
    try {
        g_controller->FirstUseSetup();
        return g_controller->CreateSuspectsForm(
            static_cast<QWidget*>(parent), static_cast<const ZrunTranslationSource*>(translator),
            static_cast<ISendToIPCEx*>(sender), static_cast<IZrunConfiguration*>(configuration),
            static_cast<const ZrunHostState*>(hostState), resourceLibrary);
    } catch (...) {
        return nullptr;
    }
}

ZRUN_MODULE_API int32_t ZRUN_Uninitialize(void) {
    CSuspects* controller = g_controller;
    g_controller = nullptr;
    try {
        delete controller;
    } catch (...) {
    }
    return 1;
}

// The names sibling loaders look up.
#if !defined(_WIN32)
ZRUN_MODULE_API int32_t _ZRUN_Initialize(uintptr_t) __attribute__((alias("ZRUN_Initialize")));
ZRUN_MODULE_API void* _ZRUN_CreateSuspectsForm(void*, void*, void*, void*, void*, void*)
    __attribute__((alias("ZRUN_CreateSuspectsForm")));
ZRUN_MODULE_API int32_t _ZRUN_Uninitialize(void) __attribute__((alias("ZRUN_Uninitialize")));
#endif
}
