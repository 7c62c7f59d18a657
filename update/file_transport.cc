#include "update/file_transport.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "listings/listing_file.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

FetchResult Failed(NetworkFailure failure, const std::string& path,
                   int error_number) {
  FetchResult result;
  result.outcome = FetchOutcome::kNetwork;
  result.failure = failure;
  result.detail = path;
  result.error_number = error_number;
  return result;
}

class FileTransport : public Transport {
 public:
  std::string OwnAgent() const override { return "file"; }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    const fs::path path = PathFromUtf8(request.url);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
      return Failed(NetworkFailure::kNoFile, request.url, 0);
    }
    if (status.type() != fs::file_type::regular) {
      return Failed(NetworkFailure::kFileUnreadable, request.url,
                    error ? error.value() : EISDIR);
    }
    const auto size = static_cast<std::int64_t>(fs::file_size(path, error));
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      return Failed(NetworkFailure::kFileUnreadable, request.url,
                    errno != 0 ? errno : EACCES);
    }
    FetchResult result;
    if (size > request.max_bytes) {
      result.outcome = FetchOutcome::kTooLarge;
      return result;
    }
    // The file's time stands for the day the IEEE published it, as a
    // server's Last-Modified does.
    const fs::file_time_type modified = fs::last_write_time(path, error);
    if (!error) {
      result.last_modified =
          std::chrono::duration_cast<std::chrono::seconds>(
              std::chrono::file_clock::to_sys(modified).time_since_epoch())
              .count();
    }
    std::string buffer(std::size_t{1} << 18, '\0');
    std::int64_t received = 0;
    for (;;) {
      if (!keep_going(received, size)) {
        result.outcome = FetchOutcome::kCancelled;
        return result;
      }
      file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      const auto got = static_cast<std::size_t>(file.gcount());
      if (got == 0) break;
      received += static_cast<std::int64_t>(got);
      // A file that grows while it is read stops at the limit all the same.
      if (received > request.max_bytes) {
        result.outcome = FetchOutcome::kTooLarge;
        return result;
      }
      if (!write(std::string_view(buffer.data(), got))) {
        result.outcome = FetchOutcome::kWriteFailed;
        return result;
      }
    }
    if (file.bad()) {
      return Failed(NetworkFailure::kFileUnreadable, request.url, EIO);
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
