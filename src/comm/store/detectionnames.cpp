#include "comm/store/detectionnames.h"

#include "comm/nano/messages.h"

#include <algorithm>

std::u16string TMapDetectionID::NameOf(std::uint32_t id, std::int32_t maxAttempts) const {
    const auto it = find(id);
    if (it == end())
        return {};
    const stDetectionName& entry = it->second;
    if (entry.name.empty() && entry.attempts >= maxAttempts && !entry.requested)
        return kUndefined;
    return entry.name;
}

void TMapDetectionID::AddWaitingRow(std::uint32_t id, std::int32_t key) {
    (*this)[id].waitingRows.push_back(key);
}

bool TMapDetectionID::RequestDetectionNames(IDetectionRequester& requester, std::int32_t batchSize,
                                            std::int32_t maxAttempts) {
    if (requester.Busy())
        return true;
    if (std::any_of(begin(), end(), [](const auto& item) { return item.second.requested; }))
        return true;

    const std::size_t limit = static_cast<std::size_t>(std::max(batchSize, 1));
    std::vector<std::uint32_t> batch;
    for (auto& [id, entry] : *this) {
        if (batch.size() == limit)
            break;
        if (entry.name.empty() && entry.attempts < maxAttempts) {
            entry.requested = true;
            ++entry.attempts;
            batch.push_back(id);
        }
    }
    if (batch.empty())
        return false;

    requester.SetInFlight(batch);
    if (requester.Send(batch))
        return true;
    // Refused: nothing is in flight, and the same names are asked for on the next call.
    for (std::uint32_t id : batch)
        (*this)[id].requested = false;
    requester.SetInFlight({});
    return false;
}

void TMapDetectionID::ApplyReply(const std::vector<std::uint32_t>& inFlight,
                                 const RspModAvIemGetInfo* replyOrNull,
                                 const std::function<void(std::int32_t key)>& notifyRow) {
    if (replyOrNull) {
        for (const NSIExMAgent::_TSTResult& result : replyOrNull->results) {
            const auto it = find(result.detectionId);
            // An empty name would turn a received one back into a pending one.
            if (it != end() && !result.name.empty())
                it->second.name = result.name;
        }
    }
    for (std::uint32_t id : inFlight) {
        const auto it = find(id);
        if (it == end())
            continue;
        it->second.requested = false;
        listInt waiting;
        waiting.swap(it->second.waitingRows);
        if (notifyRow)
            for (std::int32_t key : waiting)
                notifyRow(key);
    }
}
