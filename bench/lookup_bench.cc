// Lookup engine figures on the full IEEE listings from Debian's ieee-data:
// oui.txt with mam.txt, oui36.txt and iab.txt beside it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/result_format.h"
#include "app/texts.h"
#include "bench/sample_text.h"
#include "listings/listing_set.h"
#include "scan/byte_passes.h"
#include "scan/mac_scanner.h"

namespace venmark {
namespace {

std::string ListingPath() {
  const char* path = std::getenv("VENMARK_LISTING");
  return path != nullptr ? path : "/usr/share/ieee-data/oui.txt";
}

// Loads the listings at each round, with the MA-L index alone (what naming
// a few MACs costs) or every index (what a text of many MACs costs before
// its first line).
void BM_LoadListing(benchmark::State& state) {
  const std::string path = ListingPath();
  const bool every_index = state.range(0) != 0;
  for (auto _ : state) {
    Result<ListingSet, ListingProblem> listings = ListingSet::Load(path);
    if (!listings) {
      state.SkipWithError(text::CannotRead(listings.problem()).c_str());
      return;
    }
    if (every_index) listings->IndexAll();
    benchmark::DoNotOptimize(listings->ma_l().record_count());
  }
}
BENCHMARK(BM_LoadListing)
    ->ArgName("every_index")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void BM_SearchText(benchmark::State& state) {
  const Result<ListingSet, ListingProblem> listings =
      ListingSet::Load(ListingPath());
  if (!listings) {
    state.SkipWithError(text::CannotRead(listings.problem()).c_str());
    return;
  }
  const std::string text =
      MakeSampleText(static_cast<std::size_t>(state.range(0)));
  std::size_t lines = 0;
  for (auto _ : state) {
    const std::string results =
        SearchText(text, *listings,
                   {&ResultFormat::kText, kCrLf, &text::ResultLineWords()});
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

// A log with a MAC in 15 % of its lines, scanned whole (as a mapped file)
// and a block at a time (as a pipe): the second pays for the label
// context's pass over every line.
void BM_ScanSyslog(benchmark::State& state) {
  const std::string text = MakeSyslog(std::size_t{64} << 20);
  const bool blockwise = state.range(0) != 0;
  for (auto _ : state) {
    std::size_t found = 0;
    if (blockwise) {
      StreamScanner scanner;
      constexpr std::size_t kBlock = std::size_t{1} << 18;
      for (std::size_t at = 0; at < text.size(); at += kBlock) {
        scanner.Feed(std::string_view(text).substr(at, kBlock),
                     [&](const MacFinding&) { ++found; });
      }
      scanner.Finish([&](const MacFinding&) { ++found; });
    } else {
      MacScanner scanner(text);
      while (scanner.Next()) ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ScanSyslog)
    ->ArgName("blockwise")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The pass that finds where MACs may start, in each build this processor
// runs (0 plain C++, 1 SSE2, 2 AVX2).
void BM_MacStartsPass(benchmark::State& state) {
  const auto simd = static_cast<Simd>(state.range(0));
  const std::vector<Simd> levels = SupportedSimd();
  if (std::find(levels.begin(), levels.end(), simd) == levels.end()) {
    state.SkipWithError("not on this processor");
    return;
  }
  const std::string text = MakeSyslog(std::size_t{64} << 20);
  for (auto _ : state) {
    MacStarts starts(text, simd);
    std::size_t places = 0;
    bool tag = false;
    for (std::size_t at = starts.Next(0, &tag); at != std::string_view::npos;
         at = starts.Next(at + 1, &tag)) {
      ++places;
    }
    benchmark::DoNotOptimize(places);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MacStartsPass)
    ->ArgName("simd")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace venmark

BENCHMARK_MAIN();
