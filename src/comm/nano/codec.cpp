#include "comm/nano/codec.h"

#include <new>

std::vector<std::uint8_t> EncodeEnvelope(std::uint32_t moduleId, std::uint32_t headerWord,
                                         const INanoSerializable* payload) {
    try {
        const NanoPtr<CNanoMessageBase> envelope(new CNanoMessageBase(moduleId, headerWord, payload));
        if (payload && envelope->Status() != kNanoOk)
            return {};
        CNanoArchiveStream archive;
        WriteObject(archive, envelope.get());
        if (archive.Status() != kNanoOk)
            return {};
        std::size_t size = 0;
        GetBuffer(archive, nullptr, size);
        std::vector<std::uint8_t> bytes(size);
        if (GetBuffer(archive, bytes.data(), size) != 1)
            return {};
        return bytes;
    } catch (...) {
        // Out of memory: the caller treats empty bytes as a request that could not be sent.
        return {};
    }
}

std::unique_ptr<ReplyEnvelope> DecodeEnvelope(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<ReplyEnvelope> reply;
    try {
        reply = std::make_unique<ReplyEnvelope>();
    } catch (...) {
        return nullptr;
    }
    try {
        CNanoArchiveStream archive(data, data ? size : 0);
        const NanoPtr<CNanoMessageBase> envelope(new CNanoMessageBase());
        ReadObject(archive, *envelope);
        if (archive.Status() != kNanoOk)
            return reply;
        reply->decoded = true;
        reply->moduleId = envelope->ModuleId();
        reply->resultCode = static_cast<std::int32_t>(envelope->HeaderWord());
        if (envelope->Bytes().empty())
            return reply;
        reply->payload = ReadNewObject(*envelope);
        reply->payloadComplete = reply->payload && !envelope->Failed();
    } catch (...) {
        // Out of memory on a hostile reply: what decoded so far stands, the payload does not.
        reply->payloadComplete = false;
    }
    return reply;
}
