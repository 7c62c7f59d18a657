#include "update/file_transport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "listings/file_read.h"
#include "listings/paths.h"

namespace venmark {
namespace {

FetchResult Failed(NetworkFailure failure, const std::string& path,
                   int error_number) {
  FetchResult result;
  result.outcome = FetchOutcome::kNetwork;
  result.failure = failure;
  result.detail = path;
  result.error_number = error_number;
  return result;
}

// Why a file of the folder could not be opened, as a failure on the way.
FetchResult NotOpened(const ReadFailure& why, const std::string& path) {
  if (why.kind == ReadFailure::Kind::kNotAFile) {
    return Failed(NetworkFailure::kFileNotRegular, path, 0);
  }
  if (why.kind == ReadFailure::Kind::kSystem &&
      (why.error_number == ENOENT || why.error_number == ENOTDIR)) {
    return Failed(NetworkFailure::kNoFile, path, 0);
  }
  return Failed(NetworkFailure::kFileUnreadable, path, why.error_number);
}

class FileTransport : public Transport {
 public:
  std::string OwnAgent() const override { return "file"; }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    // Opened as listings are: a FIFO or a device is refused without
    // waiting, a file another program holds is told as busy.
    OpenFile file(request.url);
    if (!file.ok()) return NotOpened(file.why(), request.url);
    const FileStamp stamp = file.Stamp();
    FetchResult result;
    std::int64_t size = static_cast<std::int64_t>(stamp.size);
    if (size > request.max_bytes) {
      result.outcome = FetchOutcome::kTooLarge;
      return result;
    }
    // The file's time stands for the day the IEEE published it, as a
    // server's Last-Modified does.
    // (The stamp's time is the system's own, counted from 1601 on Windows.)
    std::error_code no_time;
    const std::filesystem::file_time_type modified =
        std::filesystem::last_write_time(PathFromUtf8(request.url), no_time);
    if (!no_time) {
      result.last_modified =
          std::chrono::duration_cast<std::chrono::seconds>(
              std::chrono::file_clock::to_sys(modified).time_since_epoch())
              .count();
    }
    std::vector<char> buffer(std::size_t{1} << 18);
    std::int64_t received = 0;
    for (;;) {
      // A file that grows while it is read grows its total with it.
      size = std::max(size, received);
      if (!keep_going(received, size)) {
        result.outcome = FetchOutcome::kCancelled;
        return result;
      }
      int error = 0;
      const long long got = file.Read(buffer.data(), buffer.size(), &error);
      if (got < 0) {
        return Failed(NetworkFailure::kFileUnreadable, request.url, error);
      }
      if (got == 0) break;
      received += got;
      // A file that grows while it is read stops at the limit all the same.
      if (received > request.max_bytes) {
        result.outcome = FetchOutcome::kTooLarge;
        return result;
      }
      if (!write(
              std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
        result.outcome = FetchOutcome::kWriteFailed;
        return result;
      }
    }
    result.outcome = FetchOutcome::kOk;
    result.http_status = 200;
    return result;
  }
};

}  // namespace

std::unique_ptr<Transport> MakeFileTransport() {
  return std::make_unique<FileTransport>();
}

}  // namespace venmark
