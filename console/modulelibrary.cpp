#include "modulelibrary.h"

#include <dlfcn.h>

ModuleLibrary::~ModuleLibrary() {
    Close();
}

bool ModuleLibrary::Open(const QString& path) {
    Close();
    m_handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = dlerror();
        m_error = error ? QString::fromLocal8Bit(error) : QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    m_error.clear();
    return true;
}

void ModuleLibrary::Close() {
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
}

void* ModuleLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

bool SuspectsModule::Resolve(const ModuleLibrary& library) {
    initialize = reinterpret_cast<Initialize>(library.Symbol("ZRUN_Initialize"));
    createForm = reinterpret_cast<CreateForm>(library.Symbol("ZRUN_CreateSuspectsForm"));
    uninitialize = reinterpret_cast<Uninitialize>(library.Symbol("ZRUN_Uninitialize"));
    return initialize && createForm && uninitialize;
}
