#include "comm/nano/nanofactory.h"

#include "comm/nano/messages.h"
#include "comm/nano/nanomessagebase.h"

void CNanoFactory::Register(std::u16string className, NanoCreator creator) {
    std::lock_guard guard(m_lock);
    m_creators[std::move(className)] = std::move(creator);
}

NanoPtr<INanoSerializable> CNanoFactory::Create(std::u16string_view className) const {
    NanoCreator creator;
    {
        std::lock_guard guard(m_lock);
        const auto it = m_creators.find(className);
        if (it == m_creators.end())
            return {};
        creator = it->second;
    }
    return NanoPtr<INanoSerializable>(creator ? creator() : nullptr);
}

bool CNanoFactory::Has(std::u16string_view className) const {
    std::lock_guard guard(m_lock);
    return m_creators.find(className) != m_creators.end();
}

CNanoFactory& CNanoFactory::Default() {
    // Both statics are initialised once, under the language's own lock, so the first callers
    // on different sender threads never see a half-filled factory.
    static CNanoFactory factory;
    static const bool filled = [] {
        // Replies the module decodes.
        RegisterNanoClass<CRspModBlaGetList>(factory);
        RegisterNanoClass<RspModAvIemGetInfo>(factory);
        // Requests, which the console's embedded service decodes.
        RegisterNanoClass<CMsgModBlaGetList>(factory);
        RegisterNanoClass<CMsgModBlaActions>(factory);
        RegisterNanoClass<CMsgModAvIemGetInfo>(factory);
        RegisterNanoClass<CSimpleSerializable<int>>(factory);
        RegisterNanoClass<CSimpleSerializable<unsigned long>>(factory);
        RegisterNanoClass<CSimpleSerializable<std::u16string>>(factory);
        return true;
    }();
    (void)filled;
    return factory;
}
