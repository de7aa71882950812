#pragma once

#include "comm/nano/nanointerface.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

class INanoSerializable;

// Creators of payload objects by class name. A creator returns a new object (count 1).
using NanoCreator = std::function<INanoSerializable*()>;
using NanoFactoryData = std::map<std::u16string, NanoCreator, std::less<>>;

class CNanoFactory final {
public:
    CNanoFactory() = default;
    CNanoFactory(const CNanoFactory&) = delete;
    CNanoFactory& operator=(const CNanoFactory&) = delete;

    // A later registration under the same name replaces the earlier one.
    void Register(std::u16string className, NanoCreator creator);
    // Null when no creator is registered under the name.
    NanoPtr<INanoSerializable> Create(std::u16string_view className) const;
    bool Has(std::u16string_view className) const;

    // The module's factory with the creators of every message class of the protocol. It is
    // filled the first time it is asked for: the framework is a static library, where a
    // registrar object in an otherwise unreferenced file may never be linked in.
    static CNanoFactory& Default();

private:
    mutable std::mutex m_lock;
    NanoFactoryData m_creators;
};

// Registers T under the class name its objects report.
template <class T> void RegisterNanoClass(CNanoFactory& factory) {
    factory.Register(T().GetClassName(), [] { return static_cast<INanoSerializable*>(new T()); });
}
