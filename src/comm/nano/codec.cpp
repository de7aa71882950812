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

namespace {

// The envelope as a reply is decoded: the fields of CNanoMessageBase, with the payload left
// in the received bytes rather than copied into a store of its own.
class EnvelopeInPlace final : public INanoSerializable {
public:
    std::uint32_t moduleId = 0;
    std::uint32_t headerWord = 0;
    const std::uint8_t* payload = nullptr;
    std::size_t payloadSize = 0;

    std::u16string GetClassName() const override { return NanoClassName(CNanoMessageBase::kTypeName); }
    bool Serialize(INanoArchive& ar) const override {
        return nano::WriteU32(ar, moduleId) && nano::WriteU64(ar, headerWord) &&
               nano::WriteU32(ar, static_cast<std::uint32_t>(payloadSize)) &&
               nano::WriteRaw(ar, payload, payloadSize);
    }
    // Needs an archive that lends its bytes: the payload is only pointed at.
    bool Deserialize(INanoArchive& ar) override {
        std::uint32_t length = 0;
        if (!ReadEnvelopeHead(ar, moduleId, headerWord, length))
            return false;
        ar.SetStatus(kNanoFailed);
        if (ar.ReadWindowSize() < length) {
            ar.MarkFailed();
            return false;
        }
        payload = ar.ReadWindow();
        payloadSize = length;
        ar.TakeFromWindow(length);
        ar.SetStatus(kNanoOk);
        return true;
    }
};

} // namespace

std::unique_ptr<ReplyEnvelope> DecodeEnvelope(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<ReplyEnvelope> reply;
    try {
        reply = std::make_unique<ReplyEnvelope>();
    } catch (...) {
        return nullptr;
    }
    try {
        // The received bytes are read where they are; only the decoded values are copied.
        CNanoArchiveView archive(data, data ? size : 0);
        EnvelopeInPlace envelope;
        ReadObject(archive, envelope);
        if (archive.Status() != kNanoOk)
            return reply;
        reply->decoded = true;
        reply->moduleId = envelope.moduleId;
        reply->resultCode = static_cast<std::int32_t>(envelope.headerWord);
        if (envelope.payloadSize == 0)
            return reply;
        CNanoArchiveView payload(envelope.payload, envelope.payloadSize);
        reply->payload = ReadNewObject(payload);
        reply->payloadComplete = reply->payload && !payload.Failed();
    } catch (...) {
        // Out of memory on a hostile reply: what decoded so far stands, the payload does not.
        reply->payloadComplete = false;
    }
    return reply;
}
