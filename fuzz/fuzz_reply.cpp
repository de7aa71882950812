// Arbitrary bytes as a service reply (or request): decoding must never crash, read out of
// bounds, allocate without limit or throw; whatever decoded completely must encode again and
// decode to the same shape; decoded pages and names must go into the store and the cache.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/store/blaitemex.h"
#include "comm/store/detectionnames.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Finding(const char* what) {
    std::fprintf(stderr, "fuzz_reply: %s\n", what);
    std::abort();
}

void Check(bool condition, const char* what) {
    if (!condition)
        Finding(what);
}

// Element counts and list fields of the payload classes that carry lists.
bool SameShape(const INanoSerializable& a, const INanoSerializable& b) {
    if (a.GetClassName() != b.GetClassName())
        return false;
    if (const auto* x = dynamic_cast<const CRspModBlaGetList*>(&a)) {
        const auto* y = dynamic_cast<const CRspModBlaGetList*>(&b);
        if (x->elements.size() != y->elements.size() || x->nextPosition != y->nextPosition ||
            x->listHandle != y->listHandle)
            return false;
        for (std::size_t i = 0; i < x->elements.size(); ++i)
            if (x->elements[i].identifier != y->elements[i].identifier ||
                x->elements[i].actionTime != y->elements[i].actionTime ||
                x->elements[i].flags != y->elements[i].flags)
                return false;
    }
    if (const auto* x = dynamic_cast<const RspModAvIemGetInfo*>(&a))
        return x->results == dynamic_cast<const RspModAvIemGetInfo*>(&b)->results;
    if (const auto* x = dynamic_cast<const CMsgModAvIemGetInfo*>(&a))
        return x->identifiers == dynamic_cast<const CMsgModAvIemGetInfo*>(&b)->identifiers;
    return true;
}

void ReEncode(const ReplyEnvelope& reply) {
    const std::vector<std::uint8_t> bytes =
        EncodeEnvelope(reply.moduleId, static_cast<std::uint32_t>(reply.resultCode), reply.payload.get());
    Check(!bytes.empty(), "a decoded envelope does not encode");
    if (!reply.payloadComplete)
        return;
    const auto again = DecodeEnvelope(bytes.data(), bytes.size());
    Check(again && again->decoded && again->payloadComplete, "re-encoded bytes do not decode");
    Check(again->moduleId == reply.moduleId && again->resultCode == reply.resultCode,
          "envelope fields changed");
    Check(SameShape(*reply.payload, *again->payload), "payload changed shape when encoded again");
}

struct NoIcon final : ItemIcon {};

struct Requester final : IDetectionRequester {
    bool busy = false;
    std::vector<std::uint32_t> inFlight;
    bool Busy() const override { return busy; }
    void SetInFlight(std::vector<std::uint32_t> batch) override { inFlight = std::move(batch); }
    bool Send(const std::vector<std::uint32_t>& batch) override {
        busy = batch.size() % 2 == 0; // accept some, refuse others
        return busy;
    }
};

void IntoStore(const CRspModBlaGetList& page) {
    CBlaItemEx store;
    store.SetIconLoader([](const std::u16string&) { return std::make_shared<NoIcon>(); });
    store.AppendPage(page.elements);
    store.SetResetPending(false);
    store.AppendPage(page.elements);
    for (std::size_t i = 0; i < store.Count(); ++i) {
        store.IconFor(i);
        stBlaElements copy;
        Check(store.CopyEntry(i, copy), "entry in range cannot be copied");
        Check(!copy.element.location || copy.element.location->size() <= ST_BLELEMENT::kMaxText,
              "text too long");
    }
    if (store.Count() > 0)
        Check(store.Remove(store.EntryAt(0)->key), "first entry cannot be removed");
}

void IntoCache(const RspModAvIemGetInfo& info) {
    TMapDetectionID cache;
    for (const auto& result : info.results)
        cache.AddWaitingRow(result.detectionId ^ 1u, static_cast<std::int32_t>(result.valueA));
    Requester requester;
    cache.RequestDetectionNames(requester, static_cast<std::int32_t>(info.results.size() % 4), 3);
    cache.ApplyReply(requester.inFlight, &info, [](std::int32_t) {});
    for (const auto& result : info.results)
        cache.NameOf(result.detectionId, 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto reply = DecodeEnvelope(data, size);
    Check(reply != nullptr, "no result");
    if (!reply->decoded) {
        Check(!reply->payload && !reply->payloadComplete, "payload without an envelope");
        return 0;
    }
    Check(!reply->payloadComplete || reply->payload, "complete payload that is absent");
    ReEncode(*reply);
    if (const auto* page = reply->PayloadAs<CRspModBlaGetList>())
        IntoStore(*page);
    if (const auto* info = reply->PayloadAs<RspModAvIemGetInfo>())
        IntoCache(*info);
    return 0;
}
