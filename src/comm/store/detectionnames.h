#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <vector>

class RspModAvIemGetInfo;

using listInt = std::list<std::int32_t>;

struct stDetectionName {
    std::int32_t attempts = 0; // times the name has been asked for
    std::u16string name;       // empty until it arrives
    bool requested = false;    // a request for it is in flight
    listInt waitingRows;       // item keys of the history rows that wait for it
};

// Sends the batches of the detection name cache. A request is in flight only once the
// sender accepted it: Send must leave the requester busy when it returns true and not busy
// when it returns false, so that a refused batch is asked for again later.
struct IDetectionRequester {
    virtual bool Busy() const = 0;
    // The identifiers of the request about to be sent, handed back with its reply.
    virtual void SetInFlight(std::vector<std::uint32_t> batch) = 0;
    // True when the request was accepted.
    virtual bool Send(const std::vector<std::uint32_t>& batch) = 0;

protected:
    ~IDetectionRequester() = default;
};

// Detection names by detection identifier, in identifier order. User-interface thread only.
// Entries are never removed; a name, once received, stays.
class TMapDetectionID final : public std::map<std::uint32_t, stDetectionName> {
public:
    inline static const std::u16string kUndefined = u"undefined";

    // The name; "undefined" once the attempts are used up with no request in flight;
    // otherwise, and for an identifier not in the cache, empty.
    std::u16string NameOf(std::uint32_t id, std::int32_t maxAttempts) const;
    // Creates the entry when needed and lets the row of that item key wait for its name.
    void AddWaitingRow(std::uint32_t id, std::int32_t key);
    // Sends the next batch of names to ask for (at most batchSize identifiers, in identifier
    // order; a batch size below 1 counts as 1). Whether a request is in flight after the call.
    bool RequestDetectionNames(IDetectionRequester& requester, std::int32_t batchSize,
                               std::int32_t maxAttempts);
    // Takes the names of a reply (null when the request failed) for identifiers of the cache,
    // ends the request of the in-flight identifiers and hands every row that waited on them to
    // notifyRow, once.
    void ApplyReply(const std::vector<std::uint32_t>& inFlight, const RspModAvIemGetInfo* replyOrNull,
                    const std::function<void(std::int32_t key)>& notifyRow);
};
