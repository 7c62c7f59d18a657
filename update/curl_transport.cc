// The transport over libcurl, loaded when the first transfer starts: a
// search never needs it, and loading libcurl with the libraries it links
// (TLS, HTTP/2, LDAP, SSH…) costs every start of venmark-scan several
// milliseconds, more than naming one MAC.
#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <type_traits>

#include "update/transport.h"

namespace venmark {
namespace {

// The functions of libcurl this transport calls.
struct Curl {
  decltype(&curl_global_init) global_init;
  decltype(&curl_easy_init) easy_init;
  decltype(&curl_easy_setopt) easy_setopt;
  decltype(&curl_easy_perform) easy_perform;
  decltype(&curl_easy_getinfo) easy_getinfo;
  decltype(&curl_easy_cleanup) easy_cleanup;
  decltype(&curl_easy_strerror) easy_strerror;
  decltype(&curl_version_info) version_info;
};

// libcurl, loaded and initialised once; null when it cannot be loaded.
const Curl* LoadCurl() {
  static const Curl* curl = []() -> const Curl* {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static Curl loaded;
    const auto get = [library](auto& function, const char* name) {
      function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
          dlsym(library, name));
      return function != nullptr;
    };
    if (!get(loaded.global_init, "curl_global_init") ||
        !get(loaded.easy_init, "curl_easy_init") ||
        !get(loaded.easy_setopt, "curl_easy_setopt") ||
        !get(loaded.easy_perform, "curl_easy_perform") ||
        !get(loaded.easy_getinfo, "curl_easy_getinfo") ||
        !get(loaded.easy_cleanup, "curl_easy_cleanup") ||
        !get(loaded.easy_strerror, "curl_easy_strerror") ||
        !get(loaded.version_info, "curl_version_info")) {
      return nullptr;
    }
    loaded.global_init(CURL_GLOBAL_DEFAULT);
    return &loaded;
  }();
  return curl;
}

struct Transfer {
  const Curl* api = nullptr;
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
    transfer->api->easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE,
                                &status);
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
int ReportProgress(void* user, curl_off_t download_total,
                   curl_off_t download_now, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  // libcurl knows the size once the answer's Content-Length has come; it
  // counts the bytes on the wire, compressed or not, and so does the
  // progress then. A redirect's or an error page's size is not the
  // listing's: until a 200 has come, no size is told.
  long status = 0;
  transfer->api->easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
  const bool sized = download_total > 0 && status == 200;
  const auto received =
      sized ? static_cast<std::int64_t>(download_now) : transfer->received;
  // Never more in than the whole: a body longer than it said grows it.
  const std::int64_t total =
      sized ? std::max(static_cast<std::int64_t>(download_total), received)
            : -1;
  if (*transfer->keep_going && !(*transfer->keep_going)(received, total)) {
    transfer->cancelled = true;
    return 1;
  }
  return 0;
}

// What went wrong on the way, with libcurl's own detail of this error.
void SetCurlError(const Curl& api, CURLcode code, const char* detail,
                  FetchResult* result) {
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
      failure = NetworkFailure::kUntrusted;
      break;
    case CURLE_SSL_CACERT_BADFILE:
      failure = NetworkFailure::kNoTrustStore;
      break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
      failure = NetworkFailure::kTls;
      break;
    case CURLE_URL_MALFORMAT:
      failure = NetworkFailure::kBadAddress;
      break;
    default:
      detail = api.easy_strerror(code);
      break;
  }
  result->failure = failure;
  result->detail = detail != nullptr ? detail : "";
}

class CurlTransport : public Transport {
 public:
  std::string OwnAgent() const override {
    const Curl* api = LoadCurl();
    return std::string("curl/") +
           (api != nullptr ? api->version_info(CURLVERSION_NOW)->version : "");
  }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    FetchResult result;
    const Curl* api = LoadCurl();
    CURL* curl = api != nullptr ? api->easy_init() : nullptr;
    if (curl == nullptr) {
      result.failure = api == nullptr ? NetworkFailure::kNoLibrary
                                      : NetworkFailure::kCannotStart;
      if (api == nullptr) result.detail = "libcurl4";
      return result;
    }
    Transfer transfer;
    transfer.api = api;
    transfer.curl = curl;
    transfer.write = &write;
    transfer.keep_going = &keep_going;
    transfer.max_bytes = request.max_bytes;
    char detail[CURL_ERROR_SIZE] = "";
    api->easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    api->easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    api->easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never leaves TLS once the request started with it.
    api->easy_setopt(
        curl, CURLOPT_REDIR_PROTOCOLS_STR,
        request.url.starts_with("https:") ? "https" : "http,https");
    // Behind a TLS-inspecting proxy the user names its CA's bundle, as
    // OpenSSL and curl users do; else the system's store serves.
    for (const char* variable : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
      const char* bundle = std::getenv(variable);
      if (bundle != nullptr && bundle[0] != '\0') {
        api->easy_setopt(curl, CURLOPT_CAINFO, bundle);
        break;
      }
    }
    api->easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    api->easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    api->easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    api->easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    api->easy_setopt(curl, CURLOPT_USERAGENT, request.user_agent.c_str());
    api->easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    api->easy_setopt(curl, CURLOPT_FILETIME, 1L);
    api->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connect_timeout.count() * 1000));
    api->easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<std::int64_t>(
                         1, request.time_limit.count())));
    api->easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, request.low_speed_bytes);
    api->easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(request.low_speed_time.count()));
    api->easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(request.max_bytes));
    api->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    api->easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    api->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    api->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
    api->easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = api->easy_perform(curl);
    api->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.http_status);
    curl_off_t filetime = -1;
    if (api->easy_getinfo(curl, CURLINFO_FILETIME_T, &filetime) == CURLE_OK &&
        filetime >= 0) {
      result.last_modified = filetime;
    }
    api->easy_cleanup(curl);

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
      SetCurlError(*api, code, detail, &result);
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
