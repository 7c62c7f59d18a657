#include "cli/scan_command.h"

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "app/listing_age.h"
#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "app/version.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/pending_listings.h"
#include "cli/short_input.h"
#include "cli/stream_scan.h"
#include "cli/update_command.h"
#include "listings/listing_index.h"
#include "listings/listing_places.h"
#include "listings/listing_set.h"
#include "listings/live_listings.h"
#include "listings/problem.h"

namespace venmark {
namespace {

// The listings named by --db or found (at path), read by load(path);
// nothing, with the reason told on err, when there are none or they
// cannot be read.
template <typename Load>
auto LoadAndTell(const std::string& path, std::FILE* err, Load&& load)
    -> std::optional<std::remove_cvref_t<decltype(*load(path))>> {
  if (path.empty()) {
    PrintLine(err, text::NoListing(ListingPlaces()));
    return std::nullopt;
  }
  auto listings = load(path);
  if (!listings) {
    PrintLine(err, text::CannotRead(listings.problem()));
    return std::nullopt;
  }
  return std::move(*listings);
}

// A names file's bad line is told, and the rest of the file answers.
void TellBadNames(const ListingSet& listings, std::FILE* err) {
  for (const NamesFileProblem& problem : listings.names_problems()) {
    PrintLine(err, text::NamesFileProblemText(problem));
  }
  for (const BadNameLine& bad : listings.bad_names()) {
    PrintLine(err, text::BadNameLineText(bad));
  }
}

std::optional<LiveListings> LoadListings(const std::string& path,
                                         std::FILE* err) {
  std::optional<LiveListings> listings = LoadAndTell(
      path, err, [](const std::string& at) { return LiveListings::Load(at); });
  if (listings) TellBadNames(listings->current(), err);
  return listings;
}

// At most this many prefixes are looked up record by record in the
// listings as they are read: more are looked up in the whole.
constexpr std::size_t kFewPrefixes = 16;

// A single short regular file: its MACs are found first, and for a few
// prefixes only their records read from the listings. Nothing when the
// input is no such file, and nothing of it was read.
std::optional<int> ScanShortInput(const Options& options, Output* output,
                                  std::FILE* in, std::FILE* err) {
  if (options.inputs.size() != 1) return std::nullopt;
  const ShortInput input = ReadShortInput(options.inputs[0], in);
  if (!input.read) return std::nullopt;
  const std::vector<std::uint32_t> prefixes = PrefixesOf(input.text);
  std::optional<ListingSet> listings = LoadAndTell(
      ChooseListing(options.listing_path), err, [&](const std::string& at) {
        return prefixes.size() <= kFewPrefixes
                   ? ListingSet::LoadFor(at, prefixes)
                   : LoadIndexed(at, ListingIndexPath(at));
      });
  if (!listings) return kExitNoListing;
  TellBadNames(*listings, err);
  ScanWhole(input.text, *listings, *options.format, output);
  if (input.error != 0) {
    PrintLine(err, text::CannotReadInput(options.inputs[0], input.error));
    return kExitUsage;
  }
  return kExitOk;
}

// The version, and which files answer: paths, record counts and dates.
int PrintVersion(const Options& options, Output* out, std::FILE* err) {
  out->Write("venmark-scan " + std::string(kVersion) + "\n");
  // Where updates come from is told even when no listing can be read.
  const OriginSetting origin = UpdateOrigin({});
  if (const std::string line = text::OriginLine(origin); !line.empty()) {
    out->Write(line + "\n");
  }
  for (const SkippedSetting& skipped : origin.skipped) {
    out->Write(text::SkippedSettingText(skipped) + "\n");
  }
  const std::string path = ChooseListing(options.listing_path);
  const std::optional<LiveListings> live = LoadListings(path, err);
  if (!live) return kExitNoListing;
  const ListingSet* listings = &live->current();
  out->Write(std::string(text::kListingsHeading) + "\n");
  for (const ListingFile& file : ListingFiles(path)) {
    if (const auto records = listings->record_count(file.kind)) {
      out->Write(text::ListingLine(KindName(file.kind), file.path, *records,
                                   FileDay(file.path, "%Y-%m-%d")) +
                 "\n");
    }
  }
  for (const auto& [file, names] : listings->names_files()) {
    out->Write(text::NamesFileLine(file, names) + "\n");
  }
  for (const NamesFileProblem& problem : listings->names_problems()) {
    out->Write("  " + text::NamesFileProblemText(problem) + "\n");
  }
  for (const BadNameLine& bad : listings->bad_names()) {
    out->Write("  " + text::BadNameLineText(bad) + "\n");
  }
  return kExitOk;
}

// The table of listing kinds, for the scripts that seed and package the
// listings: kind, IEEE path, Debian's name or "-", ours, required or
// optional.
void PrintKinds(Output* out) {
  for (const ListingKindRow& row : kListingKinds) {
    out->Write(std::string(row.name) + "\t" + std::string(row.ieee_path) +
               "\t" +
               (row.debian_name.empty() ? "-" : std::string(row.debian_name)) +
               "\t" + std::string(row.our_name) + "\t" +
               (row.required ? "required" : "optional") + "\n");
  }
}

// Scans every input against the listings found; the exit status. The
// listings are read while the first input is.
int Scan(const Options& options, Output* output, std::FILE* in,
         std::FILE* err) {
  if (const std::optional<int> status =
          ScanShortInput(options, output, in, err)) {
    return *status;
  }
  PendingListings listings([path = ChooseListing(options.listing_path), err] {
    return LoadListings(path, err);
  });
  int status = kExitOk;
  for (const std::string& input : options.inputs) {
    const Result<Done, InputProblem> scanned =
        ScanInput(input, in, &listings, *options.format, output);
    if (!scanned) {
      if (scanned.problem().kind == InputProblem::Kind::kNoListings) {
        return kExitNoListing;
      }
      PrintLine(err,
                text::CannotReadInput(input, scanned.problem().error_number));
      status = kExitUsage;
    }
    if (output->failed()) break;
  }
  return status;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& args, std::FILE* in,
                   std::FILE* out, std::FILE* err) {
  const Result<Options, std::string> options = ParseArgs(args);
  if (!options) {
    PrintLine(err, options.problem());
    std::fputs((std::string(text::kScanHelpHint) + "\n").c_str(), err);
    return kExitUsage;
  }
  if (options->update) return RunUpdateCommand(*options, err);
  Output output(out);
  int status = kExitOk;
  try {
    if (options->help) {
      output.Write(text::kScanUsage);
    } else if (options->list_kinds) {
      PrintKinds(&output);
    } else if (options->version) {
      status = PrintVersion(*options, &output, err);
    } else {
      status = Scan(*options, &output, in, err);
    }
  } catch (const std::bad_alloc&) {
    PrintLine(err, text::SystemError(ENOMEM));
    return kExitNoListing;
  }
  if (const int error = output.Flush(); error != 0) {
    PrintLine(err, text::CannotWriteOutput(error));
    return kExitUsage;
  }
  return status;
}

}  // namespace venmark
