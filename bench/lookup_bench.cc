// Lookup engine figures on the full IEEE listings from Debian's ieee-data:
// oui.txt with mam.txt, oui36.txt and iab.txt beside it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/sample_text.h"
#include "lookup/listing_set.h"
#include "lookup/search.h"

namespace venmark {
namespace {

std::string ListingPath() {
  const char* path = std::getenv("VENMARK_LISTING");
  return path != nullptr ? path : "/usr/share/ieee-data/oui.txt";
}

void BM_LoadListing(benchmark::State& state) {
  const std::string path = ListingPath();
  std::string error;
  for (auto _ : state) {
    std::optional<ListingSet> listings = ListingSet::Load(path, &error);
    if (!listings) {
      state.SkipWithError(error.c_str());
      return;
    }
    benchmark::DoNotOptimize(listings->ma_l().record_count());
  }
}
BENCHMARK(BM_LoadListing)->Unit(benchmark::kMillisecond);

void BM_SearchText(benchmark::State& state) {
  std::string error;
  const std::optional<ListingSet> listings =
      ListingSet::Load(ListingPath(), &error);
  if (!listings) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string text =
      MakeSampleText(static_cast<std::size_t>(state.range(0)));
  std::size_t lines = 0;
  for (auto _ : state) {
    const std::string results = SearchText(text, *listings);
    lines = results.size();
    benchmark::DoNotOptimize(results.data());
  }
  state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["results_MB"] = static_cast<double>(lines) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SearchText)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FindMacs(benchmark::State& state) {
  const std::string text = MakeSampleText(100000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindMacs(text).size());
  }
}
BENCHMARK(BM_FindMacs)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace venmark

BENCHMARK_MAIN();
