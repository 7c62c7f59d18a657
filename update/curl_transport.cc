// The transport over libcurl.
#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "update/transport.h"

namespace venmark {
namespace {

struct Transfer {
  CURL* curl = nullptr;
  const BodyWriter* write = nullptr;
  const KeepGoing* keep_going = nullptr;
  std::int64_t max_bytes = 0;
  std::int64_t received = 0;
  long refused_status = 0;  // the final answer was not a 200
  bool too_large = false;
  bool write_failed = false;
  bool cancelled = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count,
                      void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  // Redirect bodies never reach here, so the first bytes tell whether the
  // final answer is worth downloading at all.
  if (transfer->received == 0) {
    long status = 0;
    curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
      transfer->refused_status = status;
      return 0;
    }
  }
  if (transfer->received + static_cast<std::int64_t>(bytes) >
      transfer->max_bytes) {
    transfer->too_large = true;
    return 0;
  }
  if (!(*transfer->write)(std::string_view(data, bytes))) {
    transfer->write_failed = true;
    return 0;
  }
  transfer->received += static_cast<std::int64_t>(bytes);
  return bytes;
}

// Called about once a second even while nothing arrives, so a cancel never
// waits for the server.
int ReportProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (*transfer->keep_going && !(*transfer->keep_going)(transfer->received)) {
    transfer->cancelled = true;
    return 1;
  }
  return 0;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What went wrong on the way, with libcurl's own detail of this error.
std::string DescribeCurlError(CURLcode code, const char* detail) {
  NetworkFailure failure = NetworkFailure::kOther;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      failure = NetworkFailure::kHostNotFound;
      break;
    case CURLE_COULDNT_RESOLVE_PROXY:
      failure = NetworkFailure::kProxyNotFound;
      break;
    case CURLE_COULDNT_CONNECT:
      failure = NetworkFailure::kCannotConnect;
      break;
    case CURLE_OPERATION_TIMEDOUT:
      failure = NetworkFailure::kTimedOut;
      break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      failure = NetworkFailure::kCutOff;
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      failure = NetworkFailure::kTooManyRedirects;
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
      failure = NetworkFailure::kBadRedirect;
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
      failure = NetworkFailure::kUntrusted;
      break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
      failure = NetworkFailure::kTls;
      break;
    case CURLE_URL_MALFORMAT:
      failure = NetworkFailure::kBadAddress;
      break;
    default:
      return DescribeNetworkFailure(NetworkFailure::kOther,
                                    curl_easy_strerror(code));
  }
  return DescribeNetworkFailure(failure, detail != nullptr ? detail : "");
}

class CurlTransport : public Transport {
 public:
  std::string OwnAgent() const override {
    return std::string("curl/") + curl_version_info(CURLVERSION_NOW)->version;
  }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    FetchResult result;
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
      result.error = "не удалось запустить загрузку";
      return result;
    }
    Transfer transfer;
    transfer.curl = curl;
    transfer.write = &write;
    transfer.keep_going = &keep_going;
    transfer.max_bytes = request.max_bytes;
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never leaves TLS once the request started with it.
    curl_easy_setopt(
        curl, CURLOPT_REDIR_PROTOCOLS_STR,
        request.url.starts_with("https:") ? "https" : "http,https");
    // Behind a TLS-inspecting proxy the user names its CA's bundle, as
    // OpenSSL and curl users do; else the system's store serves.
    for (const char* variable : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
      const char* bundle = std::getenv(variable);
      if (bundle != nullptr && bundle[0] != '\0') {
        curl_easy_setopt(curl, CURLOPT_CAINFO, bundle);
        break;
      }
    }
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, request.user_agent.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connect_timeout.count() * 1000));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<std::int64_t>(
                         1, request.time_limit.count())));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, request.low_speed_bytes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(request.low_speed_time.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(request.max_bytes));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.http_status);
    curl_off_t filetime = -1;
    if (curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &filetime) == CURLE_OK &&
        filetime >= 0) {
      result.last_modified = filetime;
    }
    curl_easy_cleanup(curl);

    if (transfer.refused_status != 0)
      result.http_status = transfer.refused_status;
    if (transfer.cancelled) {
      result.outcome = FetchOutcome::kCancelled;
    } else if (transfer.write_failed) {
      result.outcome = FetchOutcome::kWriteFailed;
    } else if (transfer.too_large || code == CURLE_FILESIZE_EXCEEDED) {
      result.outcome = FetchOutcome::kTooLarge;
    } else if (transfer.refused_status != 0 ||
               (code == CURLE_OK && result.http_status != 200)) {
      result.outcome = FetchOutcome::kHttpStatus;
    } else if (code != CURLE_OK) {
      result.outcome = FetchOutcome::kNetwork;
      result.error = DescribeCurlError(code, detail);
    } else {
      result.outcome = FetchOutcome::kOk;
    }
    return result;
  }
};

}  // namespace

std::unique_ptr<Transport> MakeSystemTransport() {
  return std::make_unique<CurlTransport>();
}

}  // namespace venmark
