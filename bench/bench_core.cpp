// Costs of the byte format and the item store at the sizes the module meets: a list page
// request, a page of 1,000 elements with realistic paths, and a store of 100,000 entries.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/store/blaitemex.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

// A path of about 60 characters, different for every element.
std::u16string Path(int i) {
    std::u16string path = u"C:\\Users\\usuario\\AppData\\Local\\Temp\\descargas\\setup_";
    for (char c : std::to_string(100000 + i))
        path.push_back(static_cast<char16_t>(c));
    return path + u".exe";
}

ST_BLELEMENT Element(int i) {
    ST_BLELEMENT e;
    e.identifier.fill(static_cast<std::uint8_t>(i));
    e.location = Path(i);
    e.containerLocation = i % 4 == 0
                              ? std::optional<std::u16string>(u"C:\\Users\\usuario\\correo\\adjunto.zip")
                              : std::optional<std::u16string>(u"");
    e.actionTime = 0x01D9123456789ABCull + static_cast<std::uint64_t>(i);
    e.category = i % 2 ? 20 : 100;
    e.itemType = 201 + static_cast<std::uint32_t>(i % 3);
    e.informationId = static_cast<std::uint32_t>(i);
    e.detectionId = 500 + static_cast<std::uint32_t>(i % 50);
    e.flags = i % 10 == 0 ? 0x80 : 0;
    return e;
}

std::vector<std::uint8_t> ListPageReply(int elements) {
    CRspModBlaGetList page;
    for (int i = 0; i < elements; ++i)
        page.elements.push_back(Element(i));
    page.nextPosition = elements;
    page.listHandle = 7;
    return EncodeEnvelope(kListModule, 0, &page);
}

void BM_EncodeListRequest(benchmark::State& state) {
    CMsgModBlaGetList request;
    request.processId = 0x1234;
    request.kind = 6;
    request.listHandle = 7;
    request.position = 100;
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = EncodeEnvelope(kListModule, kRequestHeader, &request);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeListRequest);

void BM_DecodeListPage(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = ListPageReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto reply = DecodeEnvelope(bytes.data(), bytes.size());
        const auto* page = reply->PayloadAs<CRspModBlaGetList>();
        if (!page || page->elements.size() != static_cast<std::size_t>(state.range(0))) {
            state.SkipWithError("the page did not decode");
            break;
        }
        benchmark::DoNotOptimize(page);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_DecodeListPage)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Decodes and frees the page count times, in one call that an instruction counter can single
// out: valgrind --tool=callgrind --toggle-collect='*DecodeListPages*' bench_core
// --benchmark_filter=BM_DecodeListPageCounted counts exactly 100 decodes.
[[gnu::noinline]] std::size_t DecodeListPages(const std::vector<std::uint8_t>& bytes, int count) {
    std::size_t elements = 0;
    for (int i = 0; i < count; ++i) {
        const auto reply = DecodeEnvelope(bytes.data(), bytes.size());
        if (const auto* page = reply->PayloadAs<CRspModBlaGetList>())
            elements += page->elements.size();
    }
    return elements;
}

void BM_DecodeListPageCounted(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = ListPageReply(1000);
    const int decodes = static_cast<int>(state.range(0));
    for (auto _ : state)
        if (DecodeListPages(bytes, decodes) != static_cast<std::size_t>(decodes) * 1000)
            state.SkipWithError("the page did not decode");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeListPageCounted)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_AppendToStore(benchmark::State& state) {
    std::vector<ST_BLELEMENT> page;
    for (int i = 0; i < 1000; ++i)
        page.push_back(Element(i));
    const int pages = static_cast<int>(state.range(0)) / 1000;
    for (auto _ : state) {
        auto store = std::make_unique<CBlaItemEx>();
        for (int p = 0; p < pages; ++p) {
            store->AppendPage(page);
            store->SetResetPending(false);
        }
        benchmark::DoNotOptimize(store->Count());
        state.PauseTiming(); // destroying the store is not part of appending
        store.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendToStore)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
