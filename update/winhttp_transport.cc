// The transport over WinHTTP: the system's proxy settings and TLS.
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "scan/text_codec.h"
#include "update/transport.h"

namespace venmark {
namespace {

struct Handle {
  HINTERNET handle = nullptr;
  ~Handle() {
    if (handle != nullptr) WinHttpCloseHandle(handle);
  }
};

// What went wrong on the way, with WinHTTP's number for it.
void SetWinHttpError(DWORD error, FetchResult* result) {
  NetworkFailure failure = NetworkFailure::kOther;
  switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      failure = NetworkFailure::kHostNotFound;
      break;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      failure = NetworkFailure::kCannotConnect;
      break;
    case ERROR_WINHTTP_TIMEOUT:
      failure = NetworkFailure::kTimedOut;
      break;
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      failure = NetworkFailure::kCutOff;
      break;
    case ERROR_WINHTTP_REDIRECT_FAILED:
      failure = NetworkFailure::kBadRedirect;
      break;
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
      failure = NetworkFailure::kUntrusted;
      break;
    case ERROR_WINHTTP_SECURE_FAILURE:
      failure = NetworkFailure::kTls;
      break;
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL:
      failure = NetworkFailure::kBadAddress;
      break;
  }
  result->failure = failure;
  result->detail = "WinHTTP " + std::to_string(error);
}

// 1970-based seconds of a SYSTEMTIME in UTC.
std::int64_t UnixSeconds(const SYSTEMTIME& time) {
  FILETIME file;
  if (!SystemTimeToFileTime(&time, &file)) return -1;
  const ULONGLONG ticks =
      (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

FetchResult Failure(DWORD error) {
  FetchResult result;
  result.outcome = FetchOutcome::kNetwork;
  SetWinHttpError(error, &result);
  return result;
}

// What the transfer's thread and the caller share. The thread may outlive
// the call: once the caller has given up on it (abandoned), it hands over
// nothing more.
struct Shared {
  FetchRequest request;
  BodyWriter write;
  std::mutex mutex;
  bool abandoned = false;
  HINTERNET call = nullptr;  // the request, closed by whoever is last
  std::atomic<std::int64_t> received{0};
  std::atomic<std::int64_t> total{-1};  // the answer's Content-Length
  std::atomic<bool> done{false};
  FetchResult result;
};

// A GET of request.url on a session and a connection of their own, with
// its timeouts and redirect rules; null with *error set when it cannot be
// made.
HINTERNET OpenCall(const FetchRequest& request, Handle* session,
                   Handle* connection, DWORD* error) {
  const std::wstring agent = WideFromUtf8(request.user_agent);
  // Windows 8.1 and later pick the system's proxy settings themselves;
  // Windows 7 takes the ones netsh sets.
  for (const DWORD access : {DWORD{WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY},
                             DWORD{WINHTTP_ACCESS_TYPE_DEFAULT_PROXY}}) {
    if (session->handle != nullptr) break;
    session->handle =
        WinHttpOpen(agent.empty() ? nullptr : agent.c_str(), access,
                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  }
  const std::wstring url = WideFromUtf8(request.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (session->handle == nullptr ||
      !WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
    *error = GetLastError();
    return nullptr;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path =
      std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
      std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  const int connect_ms =
      static_cast<int>(request.connect_timeout.count() * 1000);
  const int stall_ms = static_cast<int>(request.low_speed_time.count() * 1000);
  WinHttpSetTimeouts(session->handle, connect_ms, connect_ms, stall_ms,
                     stall_ms);
  connection->handle =
      WinHttpConnect(session->handle, host.c_str(), parts.nPort, 0);
  const HINTERNET call =
      connection->handle == nullptr
          ? nullptr
          : WinHttpOpenRequest(
                connection->handle, L"GET", path.c_str(), nullptr,
                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE
                                                       : 0);
  if (call == nullptr) {
    *error = GetLastError();
    return nullptr;
  }
  DWORD redirects = 5;
  WinHttpSetOption(call, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS,
                   &redirects, sizeof redirects);
  // A redirect never leaves TLS (the default, said outright).
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
  WinHttpSetOption(call, WINHTTP_OPTION_REDIRECT_POLICY, &policy,
                   sizeof policy);
  return call;
}

// The response's status and day into *result, and its length when it
// tells one.
std::optional<std::int64_t> ReadHeaders(HINTERNET call, FetchResult* result) {
  DWORD status = 0, size = sizeof status;
  WinHttpQueryHeaders(
      call, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  result->http_status = static_cast<long>(status);
  SYSTEMTIME modified{};
  size = sizeof modified;
  if (WinHttpQueryHeaders(
          call, WINHTTP_QUERY_LAST_MODIFIED | WINHTTP_QUERY_FLAG_SYSTEMTIME,
          WINHTTP_HEADER_NAME_BY_INDEX, &modified, &size,
          WINHTTP_NO_HEADER_INDEX)) {
    const std::int64_t seconds = UnixSeconds(modified);
    if (seconds >= 0) result->last_modified = seconds;
  }
  DWORD length = 0;
  size = sizeof length;
  if (!WinHttpQueryHeaders(
          call, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
          WINHTTP_HEADER_NAME_BY_INDEX, &length, &size,
          WINHTTP_NO_HEADER_INDEX)) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(length);
}

// Reads the body on to shared->write, within request.max_bytes.
FetchResult ReadBody(HINTERNET call, Shared* shared,
                     std::optional<std::int64_t> length, FetchResult result) {
  std::string buffer(1 << 16, '\0');
  for (;;) {
    DWORD got = 0;
    if (!WinHttpReadData(call, buffer.data(), static_cast<DWORD>(buffer.size()),
                         &got)) {
      return Failure(GetLastError());
    }
    if (got == 0) break;
    if (shared->received + got > shared->request.max_bytes) {
      result.outcome = FetchOutcome::kTooLarge;
      return result;
    }
    {
      std::lock_guard lock(shared->mutex);
      if (shared->abandoned) return result;
      if (!shared->write(std::string_view(buffer.data(), got))) {
        result.outcome = FetchOutcome::kWriteFailed;
        return result;
      }
    }
    shared->received += got;
  }
  // WinHTTP does not itself notice a body that ends before its length.
  if (length && shared->received != *length) {
    return Failure(ERROR_WINHTTP_CONNECTION_ERROR);
  }
  result.outcome = FetchOutcome::kOk;
  return result;
}

// Sends the request and hands the body of a 200 to shared->write.
FetchResult Transfer(Shared* shared) {
  Handle session, connection;
  DWORD error = 0;
  const HINTERNET call =
      OpenCall(shared->request, &session, &connection, &error);
  if (call == nullptr) return Failure(error);
  {
    std::lock_guard lock(shared->mutex);
    if (shared->abandoned) {
      WinHttpCloseHandle(call);
      return {};
    }
    shared->call = call;
  }
  if (!WinHttpSendRequest(call, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(call, nullptr)) {
    return Failure(GetLastError());
  }
  FetchResult result;
  const std::optional<std::int64_t> length = ReadHeaders(call, &result);
  if (result.http_status != 200) {
    result.outcome = FetchOutcome::kHttpStatus;
    return result;
  }
  if (length) shared->total = *length;
  return ReadBody(call, shared, length, std::move(result));
}

class WinHttpTransport : public Transport {
 public:
  // No agent header at all: WinHTTP has no name of its own to give, and
  // the IEEE's server lets requests without one through.
  std::string OwnAgent() const override { return {}; }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    // The transfer runs on a thread of its own, so that this one can ask
    // keep_going every tenth of a second and give up on it at once, however
    // long the server stays silent.
    auto shared = std::make_shared<Shared>();
    shared->request = request;
    shared->write = write;
    std::thread([shared] {
      FetchResult result = Transfer(shared.get());
      std::lock_guard lock(shared->mutex);
      if (shared->call != nullptr) WinHttpCloseHandle(shared->call);
      shared->call = nullptr;
      shared->result = std::move(result);
      shared->done = true;
    }).detach();

    const auto deadline = std::chrono::steady_clock::now() + request.time_limit;
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (shared->done) break;
      const bool cancelled = !keep_going(shared->received, shared->total);
      const bool timed_out =
          !cancelled && std::chrono::steady_clock::now() >= deadline;
      if (!cancelled && !timed_out) continue;
      std::lock_guard lock(shared->mutex);
      if (shared->done) break;
      // Nothing more reaches write; closing the request wakes the thread
      // where the system can.
      shared->abandoned = true;
      if (shared->call != nullptr) WinHttpCloseHandle(shared->call);
      shared->call = nullptr;
      if (timed_out) return Failure(ERROR_WINHTTP_TIMEOUT);
      FetchResult result;
      result.outcome = FetchOutcome::kCancelled;
      return result;
    }
    std::lock_guard lock(shared->mutex);
    return shared->result;
  }
};

}  // namespace

std::unique_ptr<Transport> MakeSystemTransport() {
  return std::make_unique<WinHttpTransport>();
}

}  // namespace venmark
