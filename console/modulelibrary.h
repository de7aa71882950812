#pragma once

#include <QString>
#include <cstdint>

// A product library opened by its full path and its C entry points, the way any host loads
// the module: nothing but the public header is known about it.
class ModuleLibrary final {
public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    bool Open(const QString& path);
    void Close();
    void* Handle() const { return m_handle; }
    void* Symbol(const char* name) const;
    const QString& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    QString m_error;
};

// The module's three entry points.
struct SuspectsModule {
    using Initialize = std::int32_t (*)(std::uintptr_t);
    using CreateForm = void* (*)(void*, void*, void*, void*, void*, void*);
    using Uninitialize = std::int32_t (*)();

    Initialize initialize = nullptr;
    CreateForm createForm = nullptr;
    Uninitialize uninitialize = nullptr;

    bool Resolve(const ModuleLibrary& library);
};
