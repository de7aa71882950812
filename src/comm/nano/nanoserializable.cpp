#include "comm/nano/nanoserializable.h"

#include <cstring>

std::u16string NanoClassName(std::u16string_view typeName) {
    std::u16string name = u"class ";
    name += typeName;
    if (name.size() > kNanoClassNameUnits - 1)
        name.resize(kNanoClassNameUnits - 1);
    return name;
}

void WriteObject(INanoArchive& ar, const INanoSerializable* object) {
    ar.SetStatus(kNanoFailed);
    if (!object)
        return;
    ar.BeginWrite();
    const bool written = nano::WriteText(ar, object->GetClassName()) && object->Serialize(ar);
    object->PostWrite();
    ar.EndAccess();
    ar.SetStatus(written && !ar.Failed() ? kNanoOk : kNanoFailed);
}

void ReadObject(INanoArchive& ar, INanoSerializable& object) {
    ar.SetStatus(kNanoFailed);
    ar.BeginRead();
    std::u16string name;
    bool read = false;
    if (nano::ReadText(ar, name) && name == object.GetClassName()) {
        read = object.Deserialize(ar);
        object.PostRead();
    }
    ar.EndAccess();
    ar.SetStatus(read && !ar.Failed() ? kNanoOk : kNanoFailed);
}

NanoPtr<INanoSerializable> ReadNewObject(INanoArchive& ar) {
    ar.SetStatus(kNanoFailed);
    ar.BeginRead();
    NanoPtr<INanoSerializable> object;
    std::u16string name;
    if (nano::ReadText(ar, name)) {
        if (!ar.Factory())
            ar.SetFactory(&CNanoFactory::Default());
        object = ar.Factory()->Create(name);
        if (object) {
            object->Deserialize(ar);
            object->PostRead();
        }
    }
    ar.EndAccess();
    ar.SetStatus(ar.Failed() ? kNanoFailed : kNanoOk);
    return object;
}

int GetBuffer(const CNanoArchiveStream& ar, std::uint8_t* destination, std::size_t& size) {
    const std::vector<std::uint8_t>& bytes = ar.Bytes();
    if (!destination || bytes.size() > size) {
        size = bytes.size();
        return 0;
    }
    if (!bytes.empty())
        std::memcpy(destination, bytes.data(), bytes.size());
    size = bytes.size();
    return 1;
}
