#include "update/database_update.h"

#include <array>
#include <filesystem>
#include <optional>

#include "lookup/block_db.h"
#include "lookup/listing_file.h"
#include "lookup/listing_set.h"
#include "lookup/system_error.h"
#include "lookup/vendor_db.h"
#include "update/listing_files.h"
#include "update/update_checks.h"

namespace venmark {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kFailed[] = "Не удалось обновить базу: ";

// How close to the update's deadline a failed transfer counts as having
// run out of time.
constexpr std::chrono::milliseconds kTimeSlack{1000};

// One of the four listings the update fetches.
struct Listing {
  std::string title;  // as messages name it
  std::string url;
  std::string target;               // the file it replaces
  bool blocks;                      // read as a block listing, not as MA-L
  std::size_t current_records = 0;  // of the listing it is held to; 0: none
  std::string refused = {};         // why it is not fetched; empty: it is
};

// A listing downloaded and checked, waiting to be put in place.
struct Fetched {
  std::optional<TempFile> file;
  std::size_t records = 0;
  std::string error;  // when file is empty and the update goes on
};

class Updater {
 public:
  Updater(const UpdateOptions& options, Transport& transport,
          const UpdateProgress& progress)
      : options_(options),
        transport_(transport),
        progress_(progress),
        deadline_(Clock::now() + options.time_limit),
        agent_(options.user_agent.empty() ? transport.OwnAgent()
                                          : options.user_agent) {}

  bool cancelled() const { return cancelled_; }

  // Downloads and checks one listing; on cancel returns with cancelled().
  Fetched Fetch(const Listing& listing) {
    for (;;) {
      Fetched fetched = FetchOnce(listing);
      if (!retry_) return fetched;
      retry_ = false;
    }
  }

  // False when the user has asked to stop.
  bool KeepGoing(std::int64_t received) {
    if (progress_ && !progress_(done_ + received)) cancelled_ = true;
    return !cancelled_;
  }

 private:
  // Once with the transport's own agent, and once more with a browser's
  // when the server turns that away.
  bool TryBrowserAgent() {
    if (agent_ == options_.fallback_agent) return false;
    agent_ = options_.fallback_agent;
    retry_ = true;
    return true;
  }

  Fetched Failure(std::string error) {
    Fetched fetched;
    fetched.error = std::move(error);
    return fetched;
  }

  Fetched FetchOnce(const Listing& listing) {
    int error = 0;
    std::optional<TempFile> file =
        TempFile::CreateBeside(listing.target, &error);
    if (!file) {
      return Failure("не удалось создать файл в папке «" +
                     FolderOf(listing.target) +
                     "»: " + DescribeWriteError(error));
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() <= 0) return Failure(TimeLimitText());
    FetchRequest request;
    request.url = listing.url;
    request.user_agent = agent_;
    request.connect_timeout = options_.connect_timeout;
    request.low_speed_bytes = options_.low_speed_bytes;
    request.low_speed_time = options_.low_speed_time;
    request.time_limit = left;
    request.max_bytes = options_.max_bytes;
    std::int64_t written = 0;
    int write_error = 0;
    const FetchResult result = transport_.Fetch(
        request,
        [&](std::string_view part) {
          written += static_cast<std::int64_t>(part.size());
          return file->Write(part, &write_error);
        },
        [&](std::int64_t received) { return KeepGoing(received); });
    switch (result.outcome) {
      case FetchOutcome::kOk:
        break;
      case FetchOutcome::kCancelled:
        cancelled_ = true;
        return {};
      case FetchOutcome::kWriteFailed:
        return Failure("не удалось записать «" + file->path() +
                       "»: " + DescribeWriteError(write_error));
      case FetchOutcome::kTooLarge:
        return Failure("список больше " +
                       std::to_string(options_.max_bytes >> 20) +
                       " МиБ — это не список OUI");
      case FetchOutcome::kHttpStatus:
        if ((result.http_status == 403 || result.http_status == 418) &&
            TryBrowserAgent()) {
          return {};
        }
        return Failure("сервер ответил HTTP " +
                       std::to_string(result.http_status));
      case FetchOutcome::kNetwork:
        // The transfer had the time left as its own limit and may give up
        // a moment before the update's: either way the time ran out.
        if (Clock::now() + kTimeSlack >= deadline_) {
          return Failure(TimeLimitText());
        }
        return Failure(result.error);
    }
    done_ += written;
    if (const int e = file->Finish(listing.target, result.last_modified);
        e != 0) {
      return Failure("не удалось записать «" + file->path() +
                     "»: " + DescribeWriteError(e));
    }
    return Check(listing, std::move(*file));
  }

  // Reads the download back as the program will read it.
  Fetched Check(const Listing& listing, TempFile file) {
    std::vector<char> bytes;
    std::string reason;
    if (!ReadListingFile(file.path(), &bytes, &reason)) {
      return Failure("полученный список не читается: " + reason);
    }
    const std::string_view text(bytes.data(), bytes.size());
    Fetched fetched;
    fetched.records = CountRecords(text, listing.blocks);
    if (fetched.records == 0) {
      if (TryBrowserAgent()) return {};
      return Failure(
          "сервер прислал не список OUI (в полученном файле нет ни одной "
          "записи)");
    }
    if (!EndsWhole(text)) {
      return Failure("соединение оборвалось, список получен не полностью");
    }
    if (std::string error =
            CheckRecordCount(fetched.records, listing.current_records);
        !error.empty()) {
      return Failure(std::move(error));
    }
    fetched.file.emplace(std::move(file));
    return fetched;
  }

  std::string TimeLimitText() const {
    const auto seconds = options_.time_limit.count();
    return "обновление не уложилось в " +
           (seconds % 60 == 0 ? std::to_string(seconds / 60) + " мин"
                              : std::to_string(seconds) + " с") +
           " и прервано";
  }

  const UpdateOptions& options_;
  Transport& transport_;
  const UpdateProgress& progress_;
  const Clock::time_point deadline_;
  std::string agent_;
  std::int64_t done_ = 0;  // bytes of the listings already fetched
  bool retry_ = false;
  bool cancelled_ = false;
};

UpdateResult Failed(std::string message) {
  UpdateResult result;
  result.status = UpdateStatus::kFailed;
  result.message = kFailed + std::move(message);
  return result;
}

}  // namespace

UpdateSources IeeeSources(std::string_view origin) {
  const std::string base(origin);
  return {base + "/oui/oui.txt", base + "/oui28/mam.txt",
          base + "/oui36/oui36.txt", base + "/iab/iab.txt"};
}

UpdateResult UpdateDatabase(const UpdateOptions& options, Transport& transport,
                            const UpdateProgress& progress) {
  if (std::string error = CheckSources(options.sources); !error.empty()) {
    return Failed(std::move(error));
  }
  const std::string folder = FolderOf(options.database);
  if (InSystemFolder(options.database)) {
    return Failed("папка «" + folder +
                  "» принадлежит системе, и обновление в неё не пишет; "
                  "обновите списки без --db (они лягут в папку данных "
                  "пользователя) или укажите файл в своей папке");
  }
  int lock_error = 0;
  const std::optional<FolderLock> lock =
      FolderLock::TryTake(folder, &lock_error);
  if (!lock) {
    if (lock_error == 0) return Failed("обновление уже идёт");
    return Failed("не удалось открыть папку «" + folder +
                  "»: " + DescribeWriteError(lock_error));
  }

  std::vector<Listing> listings = {
      {"базу производителей", options.sources.ma_l, options.database, false}};
  const auto references = options.reference.empty()
                              ? std::optional<std::array<CompanionFile, 3>>()
                              : CompanionFiles(options.reference);
  for (const CompanionFile& companion : CompanionFiles(options.database)) {
    const std::string& url =
        companion.kind == BlockKind::kMaM   ? options.sources.ma_m
        : companion.kind == BlockKind::kMaS ? options.sources.ma_s
                                            : options.sources.iab;
    listings.push_back({std::string(CompanionTitle(companion.kind)), url,
                        companion.path, true});
  }
  RemoveLeftovers({listings[0].target, listings[1].target, listings[2].target,
                   listings[3].target});
  // Only a listing is ever replaced, and by one much like it: like the
  // file it replaces or, where there is none, like the listing in use.
  for (std::size_t i = 0; i < listings.size(); ++i) {
    Listing& listing = listings[i];
    const CurrentListing current =
        InspectListing(listing.target, listing.blocks);
    if (!current.error.empty()) {
      if (i == 0) return Failed(current.error);
      listing.refused = current.error;
      continue;
    }
    listing.current_records = current.records;
    if (!current.exists && !options.reference.empty()) {
      const std::string reference =
          i == 0 ? options.reference : (*references)[i - 1].path;
      const CurrentListing in_use = InspectListing(reference, listing.blocks);
      if (in_use.error.empty()) listing.current_records = in_use.records;
    }
  }

  Updater updater(options, transport, progress);
  std::vector<Fetched> fetched;
  for (const Listing& listing : listings) {
    if (!listing.refused.empty()) {
      Fetched kept;
      kept.error = listing.refused;
      fetched.push_back(std::move(kept));
      continue;
    }
    fetched.push_back(updater.Fetch(listing));
    if (updater.cancelled()) return {UpdateStatus::kCancelled, "", 0, {}};
    // The MA-L listing decides: without it nothing is replaced.
    if (fetched.size() == 1 && !fetched[0].file) {
      return Failed(fetched[0].error);
    }
  }
  if (!updater.KeepGoing(0)) return {UpdateStatus::kCancelled, "", 0, {}};

  if (const int error = fetched[0].file->ReplaceTarget(listings[0].target);
      error != 0) {
    return Failed("не удалось заменить «" + listings[0].target +
                  "»: " + DescribeWriteError(error));
  }
  UpdateResult result;
  result.status = UpdateStatus::kUpdated;
  result.records = fetched[0].records;
  for (std::size_t i = 1; i < listings.size(); ++i) {
    std::string error = fetched[i].error;
    if (fetched[i].file) {
      if (const int e = fetched[i].file->ReplaceTarget(listings[i].target);
          e != 0) {
        error = "не удалось заменить файл: " + DescribeWriteError(e);
      }
    }
    if (!error.empty()) {
      result.kept.push_back(listings[i].title + " «" + listings[i].target +
                            "»: " + error);
    }
  }
  SyncFolder(folder);
  return result;
}

}  // namespace venmark
