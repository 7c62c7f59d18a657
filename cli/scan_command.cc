#include "cli/scan_command.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <string_view>

#include "app/listing_age.h"
#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "app/version.h"
#include "cli/options.h"
#include "cli/short_input.h"
#include "cli/stream_scan.h"
#include "listings/listing_file.h"
#include "listings/listing_places.h"
#include "listings/listing_set.h"
#include "listings/live_listings.h"

namespace venmark {
namespace {

void PrintLine(std::FILE* stream, std::string line) {
  const std::string text = "venmark-scan: " + text::LowerFirst(std::move(line)) + "\n";
  std::fwrite(text.data(), 1, text.size(), stream);
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return ::isatty(::fileno(stream)) != 0;
#endif
}

// The listings named by --db or found (at path), read by load(path,
// &problem); nothing, with the reason told on err, when there are none or
// they cannot be read.
template <typename Load>
auto LoadAndTell(const std::string& path, std::FILE* err, Load&& load)
    -> decltype(load(path, nullptr)) {
  if (path.empty()) {
    PrintLine(err, text::NoListing(ListingPlaces()));
    return std::nullopt;
  }
  ListingProblem problem;
  auto listings = load(path, &problem);
  if (!listings) {
    PrintLine(err, text::CannotRead(problem));
    return listings;
  }
  return listings;
}

// A names file's bad line is told, and the rest of the file answers.
void TellBadNames(const ListingSet& listings, std::FILE* err) {
  for (const BadNameLine& bad : listings.bad_names()) {
    PrintLine(err, text::BadNameLineText(bad));
  }
}

std::optional<LiveListings> LoadListings(const std::string& path,
                                         std::FILE* err) {
  std::optional<LiveListings> listings =
      LoadAndTell(path, err, [](const std::string& at, ListingProblem* why) {
        return LiveListings::Load(at, why);
      });
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
      ChooseListing(options.listing_path), err,
      [&](const std::string& at, ListingProblem* why) {
        return prefixes.size() <= kFewPrefixes
                   ? ListingSet::LoadFor(at, prefixes, why)
                   : ListingSet::Load(at, why);
      });
  if (!listings) return kExitNoListing;
  TellBadNames(*listings, err);
  ScanWhole(input.text, *listings, options.format, output);
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
  if (const std::string origin = text::OriginLine(UpdateOrigin({}));
      !origin.empty()) {
    out->Write(origin + "\n");
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

volatile std::sig_atomic_t stop_signal = 0;

void OnStopSignal(int signal_number) { stop_signal = signal_number; }

// Ctrl+C, SIGTERM and SIGHUP cancel the update cleanly instead of leaving
// a half-written file behind, for as long as the object lives; a signal
// the program was started ignoring (nohup) stays ignored.
class StopSignals {
 public:
  StopSignals() {
    stop_signal = 0;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      previous_[i] = std::signal(kSignals[i], OnStopSignal);
      if (previous_[i] == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
    }
  }
  ~StopSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      std::signal(kSignals[i], previous_[i]);
    }
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
#ifdef SIGHUP
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
  static constexpr int kSignals[] = {SIGINT, SIGTERM};
#endif
  void (*previous_[std::size(kSignals)])(int);
};

// The update's steps on stderr: on a terminal one line redrawn in place (a
// quarter of a megabyte at a time, not once a packet); elsewhere a line for
// each listing, once it is in.
class ProgressLines {
 public:
  ProgressLines(std::FILE* err, bool terminal)
      : err_(err), terminal_(terminal) {}

  void Show(const UpdateStep& step) {
    if (!terminal_) {
      if (last_ && last_->listing != step.listing) {
        Write(text::StepText(*last_) + "\n");
      }
      last_ = step;
      return;
    }
    const std::int64_t quarter = step.received / (256 * 1024);
    if (last_ && last_->listing == step.listing && quarter == shown_ &&
        last_->total == step.total) {
      return;
    }
    shown_ = quarter;
    last_ = step;
    // Blanks over what a longer line before left.
    std::string line = text::StepText(step);
    const std::size_t length = line.size();
    if (length < drawn_) line.append(drawn_ - length, ' ');
    drawn_ = length;
    Write("\r" + line);
  }

  // Ends the last line.
  void Finish() {
    if (last_) Write(terminal_ ? "\n" : text::StepText(*last_) + "\n");
  }

 private:
  void Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), err_);
    std::fflush(err_);
  }

  std::FILE* err_;
  bool terminal_;
  std::optional<UpdateStep> last_;
  std::int64_t shown_ = -1;
  std::size_t drawn_ = 0;
};

// Replaces the listings with fresh IEEE ones.
int RunUpdateCommand(const Options& options, std::FILE* err) {
  UpdateRequest request{options.listing_path, std::nullopt, nullptr};
  // --from, else the settings, read once for the line below and the update.
  request.origin = ParseOrigin(options.from);
  request.origin = UpdateOrigin(request).origin;
  const bool terminal = IsTerminal(err);
  const StopSignals signals;
  const std::string destination = UpdateDestination(request);
  if (destination.empty()) {
    PrintLine(err, text::UpdateFailed({.kind = UpdateFailure::kNoDataFolder}));
    return kExitUpdateFailed;
  }
  PrintLine(err, text::UpdateStarting(destination, *request.origin));
  ProgressLines lines(err, terminal);
  const UpdateResult result = RunUpdate(request, [&](const UpdateStep& step) {
    lines.Show(step);
    return stop_signal == 0;
  });
  lines.Finish();
  switch (result.status) {
    case UpdateStatus::kUpdated:
      PrintLine(err, text::UpdatedListing(destination, result.records));
      for (const KeptListing& kept : result.kept) {
        PrintLine(err, text::KeptLine(kept));
      }
      for (const UpdateProblem& note : result.notes) {
        PrintLine(err, text::UpdateProblemText(note));
      }
      return kExitOk;
    case UpdateStatus::kCancelled:
      PrintLine(err, std::string(text::kUpdateCancelled));
      return 128 + (stop_signal != 0 ? stop_signal : SIGINT);
    case UpdateStatus::kFailed:
      break;
  }
  PrintLine(err, text::UpdateFailed(result.problem));
  return kExitUpdateFailed;
}

// Scans every input against the listings found; the exit status.
int Scan(const Options& options, Output* output, std::FILE* in,
         std::FILE* err) {
  if (const std::optional<int> status =
          ScanShortInput(options, output, in, err)) {
    return *status;
  }
  std::optional<LiveListings> listings =
      LoadListings(ChooseListing(options.listing_path), err);
  if (!listings) return kExitNoListing;
  int status = kExitOk;
  for (const std::string& input : options.inputs) {
    int error_number = 0;
    if (!ScanInput(input, in, &*listings, options.format, output,
                   &error_number)) {
      PrintLine(err, text::CannotReadInput(input, error_number));
      status = kExitUsage;
    }
    if (output->failed()) break;
  }
  return status;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& args, std::FILE* in,
                   std::FILE* out, std::FILE* err) {
  std::string usage_error;
  const std::optional<Options> options = ParseArgs(args, &usage_error);
  if (!options) {
    PrintLine(err, usage_error);
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
