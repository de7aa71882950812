#pragma once

#include "comm/nano/messages.h"
#include "comm/nano/nanomessagebase.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The bytes of a request: the envelope's class name as wide text, module identifier, header
// word as 64 bits, payload length L, and the L payload bytes (the payload's class name and
// body). No payload gives L = 0. Empty only when the bytes could not be built.
std::vector<std::uint8_t> EncodeEnvelope(std::uint32_t moduleId, std::uint32_t headerWord,
                                         const INanoSerializable* payload);

// What a reply handler posts to a window; owned by the receiver.
struct ReplyEnvelope {
    bool decoded = false;               // began with the envelope's class name and its body read whole
    std::uint32_t moduleId = 0;         // meaningful only when decoded
    std::int32_t resultCode = 0;        // the header word; meaningful only when decoded
    NanoPtr<INanoSerializable> payload; // null without payload or without a creator for its class
    bool payloadComplete = false;       // the payload's body was read without running out of bytes

    // The payload as T; null when it is of another class or did not decode completely.
    template <class T> T* PayloadAs() const {
        if (!decoded || !payloadComplete)
            return nullptr;
        return dynamic_cast<T*>(payload.get());
    }
};

// Decodes a reply (or, on the service's side, a request). Never throws; bytes that are no
// envelope give decoded == false. Null only when not even the result could be allocated.
std::unique_ptr<ReplyEnvelope> DecodeEnvelope(const std::uint8_t* data, std::size_t size);
