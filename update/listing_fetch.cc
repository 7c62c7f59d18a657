#include "update/listing_fetch.h"

#include "listings/file_read.h"
#include "listings/paths.h"
#include "update/update_checks.h"

namespace venmark {
namespace {

using Clock = ListingFetcher::Clock;

// How close to the update's deadline a failed transfer counts as having
// run out of time.
constexpr std::chrono::milliseconds kTimeSlack{1000};

// A server's Last-Modified as the listing's day, where it can be one: not
// before the IEEE published listings on the web, not in the future (a
// clock or a proxy gone wrong would make the age warning fire at once, or
// never). Otherwise the day of the download.
std::optional<std::int64_t> Plausible(std::optional<std::int64_t> date) {
  constexpr std::int64_t kEarliest = 946684800;  // 2000-01-01
  const std::int64_t now =
      std::chrono::duration_cast<std::chrono::seconds>(
          std::chrono::system_clock::now().time_since_epoch())
          .count();
  if (!date || *date < kEarliest || *date > now + 24 * 60 * 60) {
    return std::nullopt;
  }
  return date;
}

}  // namespace

ListingFetcher::ListingFetcher(const UpdateOptions& options,
                               Transport& transport,
                               const UpdateProgress& progress)
    : options_(options),
      transport_(transport),
      progress_(progress),
      deadline_(Clock::now() + options.time_limit),
      agent_(options.user_agent.empty() ? transport.OwnAgent()
                                        : options.user_agent) {}

FetchedListing ListingFetcher::Fetch(const ListingToFetch& listing) {
  step_.listing = started_++;
  step_.kind = listing.kind;
  step_.over = false;
  for (;;) {
    step_.received = 0;
    step_.total = -1;
    Attempt attempt = FetchOnce(listing);
    if (attempt.then == Then::kRetry) continue;
    if (attempt.then == Then::kCancelled) cancelled_ = true;
    step_.over = true;
    return std::move(attempt.fetched);
  }
}

bool ListingFetcher::KeepGoing(std::int64_t received, std::int64_t total) {
  step_.received = received;
  step_.total = total;
  return StillWanted();
}

bool ListingFetcher::StillWanted() {
  if (progress_ && !progress_(step_)) cancelled_ = true;
  return !cancelled_;
}

bool ListingFetcher::TryBrowserAgent() {
  if (agent_ == options_.fallback_agent) return false;
  agent_ = options_.fallback_agent;
  return true;
}

FetchRequest ListingFetcher::RequestFor(const ListingToFetch& listing,
                                        std::chrono::milliseconds left) const {
  FetchRequest request;
  request.url = listing.url;
  request.user_agent = agent_;
  request.connect_timeout = options_.connect_timeout;
  request.low_speed_bytes = options_.low_speed_bytes;
  request.low_speed_time = options_.low_speed_time;
  request.time_limit = left;
  request.max_bytes = options_.max_bytes;
  return request;
}

UpdateProblem ListingFetcher::ProblemOf(const FetchResult& result) const {
  switch (result.outcome) {
    case FetchOutcome::kOk:
    case FetchOutcome::kCancelled:
    case FetchOutcome::kWriteFailed:
      break;
    case FetchOutcome::kTooLarge:
      return {.kind = UpdateFailure::kTooLarge, .count = options_.max_bytes};
    case FetchOutcome::kHttpStatus:
      return {.kind = UpdateFailure::kHttpStatus, .count = result.http_status};
    case FetchOutcome::kNetwork:
      // The transfer had the time left as its own limit and may give up
      // a moment before the update's: either way the time ran out.
      if (Clock::now() + kTimeSlack >= deadline_) return TimeLimit();
      switch (result.failure) {
        case NetworkFailure::kNoFile:
          return {.kind = UpdateFailure::kNoFile, .path = result.detail};
        case NetworkFailure::kFileNotRegular:
          return {.kind = UpdateFailure::kFileNotRegular,
                  .path = result.detail};
        case NetworkFailure::kFileUnreadable:
          return {.kind = UpdateFailure::kFileUnreadable,
                  .path = result.detail,
                  .error_number = result.error_number};
        default:
          return {.kind = UpdateFailure::kNetwork,
                  .network = result.failure,
                  .detail = result.detail};
      }
  }
  return {};
}

ListingFetcher::Attempt ListingFetcher::FetchOnce(
    const ListingToFetch& listing) {
  Result<TempFile, SystemError> file = TempFile::CreateBeside(listing.target);
  if (!file) {
    return Failed({.kind = UpdateFailure::kCannotCreate,
                   .path = FolderOf(listing.target),
                   .error_number = file.problem().error_number});
  }
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
  if (left.count() <= 0) return Failed(TimeLimit());
  std::int64_t written = 0;
  int write_error = 0;
  const FetchResult result = transport_.Fetch(
      RequestFor(listing, left),
      [&](std::string_view part) {
        written += static_cast<std::int64_t>(part.size());
        const Result<Done, SystemError> put = file->Write(part);
        if (!put) write_error = put.problem().error_number;
        return put.ok();
      },
      [&](std::int64_t received, std::int64_t total) {
        return KeepGoing(received, total);
      });
  switch (result.outcome) {
    case FetchOutcome::kOk:
      // The whole listing is in: told once more, at its full size (on the
      // wire, where the transport counted that).
      if (const std::int64_t size = step_.total >= 0 ? step_.total : written;
          !KeepGoing(size, size)) {
        return Cancelled();
      }
      break;
    case FetchOutcome::kCancelled:
      return Cancelled();
    case FetchOutcome::kWriteFailed:
      return Failed({.kind = UpdateFailure::kCannotWrite,
                     .path = file->path(),
                     .error_number = write_error});
    case FetchOutcome::kHttpStatus:
      // Turned away: once more with a browser's agent.
      if ((result.http_status == 403 || result.http_status == 418) &&
          TryBrowserAgent()) {
        return Retry();
      }
      return Failed(ProblemOf(result));
    case FetchOutcome::kTooLarge:
    case FetchOutcome::kNetwork:
      return Failed(ProblemOf(result));
  }
  return Finish(listing, std::move(*file), result);
}

ListingFetcher::Attempt ListingFetcher::Finish(const ListingToFetch& listing,
                                               TempFile file,
                                               const FetchResult& result) {
  const Result<bool, SystemError> group_kept =
      file.Finish(listing.target, Plausible(result.last_modified));
  if (!group_kept) {
    return Failed({.kind = UpdateFailure::kCannotWrite,
                   .path = file.path(),
                   .error_number = group_kept.problem().error_number});
  }
  if (!*group_kept) {
    notes_.push_back(
        {.kind = UpdateFailure::kGroupNotKept, .path = listing.target});
  }
  return Check(listing, std::move(file));
}

ListingFetcher::Attempt ListingFetcher::Check(const ListingToFetch& listing,
                                              TempFile file) {
  const Result<FileBytes, ReadFailure> bytes = ReadListingFile(file.path());
  if (!bytes) {
    return Failed(
        {.kind = UpdateFailure::kFetchedUnreadable, .read = bytes.problem()});
  }
  const std::string_view text = bytes->view();
  const std::size_t records = CountRecords(text, listing.kind);
  if (records == 0) {
    // An error page in place of the listing: once more as a browser.
    if (TryBrowserAgent()) return Retry();
    return Failed({.kind = UpdateFailure::kNotAListing});
  }
  // Each listing is only ever replaced by one of its kind, also where
  // there is none to compare with: a folder's files can be mixed up.
  if (const std::optional<ListingKind> kind = KindOfListing(text);
      kind && *kind != listing.kind) {
    return Failed({.kind = UpdateFailure::kWrongKind,
                   .count = static_cast<std::int64_t>(IndexOf(*kind)),
                   .other = static_cast<std::int64_t>(IndexOf(listing.kind))});
  }
  if (!EndsWhole(text)) {
    return Failed({.kind = UpdateFailure::kCutOff});
  }
  if (const Result<Done, UpdateProblem> alike =
          CheckRecordCount(records, listing.current_records);
      !alike) {
    return Failed(alike.problem());
  }
  return Got(Fetched{std::move(file), records});
}

UpdateProblem ListingFetcher::TimeLimit() const {
  return {.kind = UpdateFailure::kTimeLimit,
          .count = static_cast<std::int64_t>(options_.time_limit.count())};
}

}  // namespace venmark
