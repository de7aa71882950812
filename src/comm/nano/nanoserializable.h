#pragma once

#include "comm/nano/nanoarchive.h"
#include "comm/nano/nanofactory.h"
#include "comm/nano/nanointerface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// An object that travels framed by its class name, the tag under which the factory makes it
// again on the other side.
class INanoSerializable : public INanoInterface {
public:
    // "class " and the type name, e.g. "class CMsgModBlaGetList *".
    virtual std::u16string GetClassName() const = 0;
    virtual void PostWrite() const {}
    virtual void PostRead() {}
    // True when every value went through; a false result leaves what was read so far.
    virtual bool Serialize(INanoArchive& ar) const = 0;
    virtual bool Deserialize(INanoArchive& ar) = 0;
};

// Class names are formatted into 260 UTF-16 units, the terminator included.
inline constexpr std::size_t kNanoClassNameUnits = 260;
std::u16string NanoClassName(std::u16string_view typeName);

// Empties the archive and writes the object's class name and body: an archive holds exactly
// one object. Status 0 once everything was written; an absent object leaves it failed.
void WriteObject(INanoArchive& ar, const INanoSerializable* object);
// Reads a class name and, when it is the object's own, the body. Status 0 only when the
// name matched and the body was read to its end; another name leaves the object untouched.
void ReadObject(INanoArchive& ar, INanoSerializable& object);
// Reads a class name and makes an object of that class with the archive's factory (the
// default one when the archive has none; the archive then keeps it), then reads its body.
// Null when no creator is registered under the name. A body that ran out of bytes leaves
// the archive's failed flag set and the status failed; the object is returned as read.
NanoPtr<INanoSerializable> ReadNewObject(INanoArchive& ar);
// With no destination: size := bytes in the store, result 0. With one: 1 and the bytes when
// they fit in size, else 0 and size := the bytes needed.
int GetBuffer(const CNanoArchiveStream& ar, std::uint8_t* destination, std::size_t& size);
