#include "update/database_update.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>

#include "lookup/listing_file.h"
#include "lookup/vendor_db.h"

namespace venmark {
namespace {

constexpr char kFailed[] = "Не удалось обновить базу: ";

struct Transfer {
  CURL* curl = nullptr;
  long refused_status = 0;  // the final response was not a 200
  std::FILE* file = nullptr;
  std::int64_t written = 0;
  std::int64_t max_bytes = 0;
  bool too_large = false;
  int write_errno = 0;
  const UpdateProgress* progress = nullptr;
  bool cancelled = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count,
                      void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  // Redirect bodies never reach here, so the first bytes tell whether the
  // final answer is worth downloading at all.
  if (transfer->written == 0) {
    long status = 0;
    curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
      transfer->refused_status = status;
      return 0;
    }
  }
  if (transfer->written + static_cast<std::int64_t>(bytes) >
      transfer->max_bytes) {
    transfer->too_large = true;
    return 0;
  }
  errno = 0;
  const std::size_t put = std::fwrite(data, 1, bytes, transfer->file);
  if (put != bytes) {
    transfer->write_errno = errno != 0 ? errno : EIO;
    return 0;
  }
  transfer->written += static_cast<std::int64_t>(bytes);
  return bytes;
}

int ReportProgress(void* user, curl_off_t download_total,
                   curl_off_t download_now, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (*transfer->progress &&
      !(*transfer->progress)(download_now, download_total)) {
    transfer->cancelled = true;
    return 1;
  }
  return 0;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string MegabytesText(std::int64_t bytes) {
  return std::to_string(bytes >> 20) + " МиБ";
}

// What went wrong in the transfer, in words a user can act on.
std::string DescribeTransferError(CURLcode code, const Transfer& transfer,
                                  const UpdateOptions& options,
                                  const char* detail) {
  if (transfer.too_large || code == CURLE_FILESIZE_EXCEEDED) {
    return "список больше " + MegabytesText(options.max_bytes) +
           " — это не список OUI";
  }
  if (transfer.write_errno != 0) {
    return "не удалось записать «" + options.download +
           "»: " + DescribeSystemError(transfer.write_errno);
  }
  std::string text;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      text = "сервер не найден — проверьте подключение к сети";
      break;
    case CURLE_COULDNT_RESOLVE_PROXY:
      text = "прокси-сервер не найден";
      break;
    case CURLE_COULDNT_CONNECT:
      text = "не удалось подключиться к серверу";
      break;
    case CURLE_OPERATION_TIMEDOUT:
      text = "сервер не отвечает или загрузка остановилась";
      break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      text = "соединение оборвалось, список получен не полностью";
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      text = "сервер перенаправляет запрос слишком много раз";
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
      text = "сервер перенаправил запрос на неподдерживаемый адрес";
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      text = "не удалось установить защищённое соединение с сервером";
      break;
    default:
      text = std::string("ошибка загрузки: ") + curl_easy_strerror(code);
      break;
  }
  if (detail != nullptr && detail[0] != '\0') {
    text += " (" + std::string(detail) + ")";
  }
  return text;
}

// Makes a rename in the folder of path survive a crash.
void SyncFolderOf(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Downloads into options.download; returns an error text, or nothing when
// the body of an HTTP 200 arrived whole and is on disk.
std::optional<std::string> Download(const UpdateOptions& options,
                                    const UpdateProgress& progress,
                                    bool* cancelled) {
  errno = 0;
  std::FILE* file = std::fopen(options.download.c_str(), "wb");
  if (file == nullptr) {
    return "не удалось создать «" + options.download +
           "»: " + DescribeSystemError(errno != 0 ? errno : EIO);
  }
  Transfer transfer;
  transfer.file = file;
  transfer.max_bytes = options.max_bytes;
  transfer.progress = &progress;

  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    std::fclose(file);
    return std::string("не удалось запустить загрузку");
  }
  transfer.curl = curl;
  char detail[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, options.url.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, options.user_agent.c_str());
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT,
                   options.connect_timeout_seconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, options.low_speed_bytes);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.low_speed_seconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                   static_cast<curl_off_t>(options.max_bytes));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

  const CURLcode code = curl_easy_perform(curl);
  long http_status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &http_status);
  curl_easy_cleanup(curl);

  // Flushed and synced before anything can be renamed over the database.
  errno = 0;
  bool written = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
  int write_errno = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    write_errno = errno;
  }

  if (transfer.cancelled) {
    *cancelled = true;
    return std::string();
  }
  if (transfer.refused_status != 0) http_status = transfer.refused_status;
  if (code != CURLE_OK && transfer.refused_status == 0) {
    return DescribeTransferError(code, transfer, options, detail);
  }
  if (http_status != 200) {
    return "сервер ответил HTTP " + std::to_string(http_status);
  }
  if (!written) {
    return "не удалось записать «" + options.download +
           "»: " + DescribeSystemError(write_errno != 0 ? write_errno : EIO);
  }
  return std::nullopt;
}

// Whether the download may replace the database: an error text, or nothing.
std::optional<std::string> CheckListing(const UpdateOptions& options,
                                        std::size_t* records) {
  const std::optional<VendorDb> fresh =
      VendorDb::Load(options.download, nullptr);
  if (!fresh) return std::string("полученный список не читается");
  if (fresh->record_count() == 0) {
    return std::string(
        "сервер прислал не список OUI (в полученном файле нет ни одной "
        "записи)");
  }
  // A listing far shorter than the one in use is truncated or substituted.
  const std::optional<VendorDb> current =
      VendorDb::Load(options.database, nullptr);
  if (current && fresh->record_count() * 2 < current->record_count()) {
    return "список неполон — записей в нём " +
           std::to_string(fresh->record_count()) + ", а в нынешней базе " +
           std::to_string(current->record_count());
  }
  *records = fresh->record_count();
  return std::nullopt;
}

}  // namespace

UpdateResult UpdateDatabase(const UpdateOptions& options,
                            const UpdateProgress& progress) {
  UpdateResult result;
  bool cancelled = false;
  std::optional<std::string> error = Download(options, progress, &cancelled);
  if (!error) error = CheckListing(options, &result.records);
  if (!error &&
      std::rename(options.download.c_str(), options.database.c_str()) != 0) {
    error = "не удалось заменить «" + options.database +
            "»: " + DescribeSystemError(errno);
  }
  if (cancelled || error) {
    std::remove(options.download.c_str());
    result.status =
        cancelled ? UpdateStatus::kCancelled : UpdateStatus::kFailed;
    if (!cancelled) result.message = kFailed + *error;
    result.records = 0;
    return result;
  }
  SyncFolderOf(options.database);
  result.status = UpdateStatus::kUpdated;
  return result;
}

}  // namespace venmark
