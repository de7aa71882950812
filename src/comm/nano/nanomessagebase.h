#pragma once

#include "comm/nano/nanoserializable.h"

#include <cstdint>
#include <string>
#include <string_view>

// The envelope around every request and reply: a target module, a header word (the result
// code in replies) and the encoded payload, held in the envelope's own byte store. The
// envelope is therefore also the archive its payload is read from.
class CNanoMessageBase final : public INanoSerializable, public CNanoArchiveStream {
public:
    static constexpr std::u16string_view kTypeName = u"CNanoMessageBase *";

    CNanoMessageBase() = default;
    // Writes the payload (its class name and body) into the envelope's store; the envelope's
    // status tells whether it went through.
    CNanoMessageBase(std::uint32_t moduleId, std::uint32_t headerWord, const INanoSerializable* payload);

    std::u16string GetClassName() const override { return NanoClassName(kTypeName); }
    // Module identifier, header word as 64 bits (high half 0), payload length L, L bytes.
    bool Serialize(INanoArchive& ar) const override;
    bool Deserialize(INanoArchive& ar) override;

    std::uint32_t ModuleId() const { return m_moduleId; }
    std::uint32_t HeaderWord() const { return m_headerWord; }

private:
    std::uint32_t m_moduleId = 0;
    std::uint32_t m_headerWord = 0;
};

// The envelope's body up to its payload: module identifier, header word and payload length,
// the length checked against the remaining bytes. The payload's bytes come next.
bool ReadEnvelopeHead(INanoArchive& ar, std::uint32_t& moduleId, std::uint32_t& headerWord,
                      std::uint32_t& payloadLength);

// Wire form and type name of each value a CSimpleSerializable can carry.
template <class T> struct NanoSimpleValue;

template <> struct NanoSimpleValue<int> {
    static constexpr std::u16string_view kTypeName = u"CSimpleSerializable<int> *";
    static bool Write(INanoArchive& ar, int value) {
        return nano::WriteI32(ar, static_cast<std::int32_t>(value));
    }
    static bool Read(INanoArchive& ar, int& value) {
        std::int32_t raw = 0;
        if (!nano::ReadI32(ar, raw))
            return false;
        value = raw;
        return true;
    }
};

// unsigned long is 32 bits on the platform the format comes from, and stays 32 bits on the
// wire wherever it is wider.
template <> struct NanoSimpleValue<unsigned long> {
    static constexpr std::u16string_view kTypeName = u"CSimpleSerializable<unsigned long> *";
    static bool Write(INanoArchive& ar, unsigned long value) {
        return nano::WriteU32(ar, static_cast<std::uint32_t>(value));
    }
    static bool Read(INanoArchive& ar, unsigned long& value) {
        std::uint32_t raw = 0;
        if (!nano::ReadU32(ar, raw))
            return false;
        value = raw;
        return true;
    }
};

// The platform's wstring is UTF-16; here it is std::u16string under the same type name.
template <> struct NanoSimpleValue<std::u16string> {
    static constexpr std::u16string_view kTypeName = u"CSimpleSerializable<wstring> *";
    static bool Write(INanoArchive& ar, const std::u16string& value) { return nano::WriteText(ar, value); }
    static bool Read(INanoArchive& ar, std::u16string& value) { return nano::ReadText(ar, value); }
};

// A single value as a message of its own.
template <class T> class CSimpleSerializable final : public INanoSerializable {
public:
    CSimpleSerializable() = default;
    explicit CSimpleSerializable(T initial) : value(std::move(initial)) {}

    T value{};

    std::u16string GetClassName() const override { return NanoClassName(NanoSimpleValue<T>::kTypeName); }
    bool Serialize(INanoArchive& ar) const override { return NanoSimpleValue<T>::Write(ar, value); }
    bool Deserialize(INanoArchive& ar) override { return NanoSimpleValue<T>::Read(ar, value); }
};
