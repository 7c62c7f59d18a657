#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "update/update_problem.h"

namespace venmark {

// One HTTP GET, redirects followed, the body handed over as it arrives.
struct FetchRequest {
  std::string url;
  std::string user_agent;
  std::chrono::seconds connect_timeout{30};
  // A transfer slower than low_speed_bytes a second for low_speed_time has
  // stalled.
  long low_speed_bytes = 100;
  std::chrono::seconds low_speed_time{60};
  std::chrono::milliseconds time_limit{600000};  // for the whole transfer
  std::int64_t max_bytes = std::int64_t{64} << 20;
};

enum class FetchOutcome {
  kOk,           // the whole body of a 200 was handed over
  kHttpStatus,   // the final answer was not a 200; its body was not kept
  kCancelled,    // keep_going said stop
  kWriteFailed,  // write refused a part of the body
  kTooLarge,     // the body is over max_bytes
  kNetwork,      // anything else on the way; error says what
};

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::kNetwork;
  long http_status = 0;
  // For kNetwork: what failed, and the transport's own detail.
  NetworkFailure failure = NetworkFailure::kOther;
  std::string detail;
  int error_number = 0;  // for a file, the errno value
  // The answer's Last-Modified, in seconds since 1970, when it gave one.
  std::optional<std::int64_t> last_modified;
};

// Takes the next part of the body; false stops the transfer.
using BodyWriter = std::function<bool(std::string_view part)>;
// Told the bytes received so far and the size the answer announced (-1
// while none is known); false cancels the transfer at once, even while the
// server sends nothing.
using KeepGoing =
    std::function<bool(std::int64_t received, std::int64_t total)>;

// How the update reaches a server: libcurl here, WinHTTP on Windows.
class Transport {
 public:
  virtual ~Transport() = default;

  // The agent the transport's own requests are known by ("curl/8.5.0").
  virtual std::string OwnAgent() const = 0;

  virtual FetchResult Fetch(const FetchRequest& request,
                            const BodyWriter& write,
                            const KeepGoing& keep_going) = 0;
};

// The transport of this platform.
std::unique_ptr<Transport> MakeSystemTransport();

}  // namespace venmark
