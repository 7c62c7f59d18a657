#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/transport.h"

namespace venmark {

// Answers by address from a table, a part of the body at a time.
class FakeTransport : public Transport {
 public:
  struct Answer {
    Answer(int answer_status = 200, std::string answer_body = {})
        : status(answer_status), body(std::move(answer_body)) {}
    int status;
    std::string body;
    std::optional<std::int64_t> last_modified;
  };
  std::map<std::string, Answer> answers;
  // Agents the server lets through; all when empty. The others are turned
  // away with refusal.
  std::string admitted_prefix;
  int refusal = 418;
  std::vector<std::string> agents;
  std::vector<std::chrono::milliseconds> time_limits;  // of each request

  std::string OwnAgent() const override { return "fake/1.0"; }

  FetchResult Fetch(const FetchRequest& request, const BodyWriter& write,
                    const KeepGoing& keep_going) override {
    agents.push_back(request.user_agent);
    time_limits.push_back(request.time_limit);
    FetchResult result;
    const auto found = answers.find(request.url);
    const Answer answer = found != answers.end() ? found->second : Answer{404};
    result.http_status = answer.status;
    if (!request.user_agent.starts_with(admitted_prefix)) {
      result.http_status = refusal;
    }
    if (result.http_status == 0) {  // the connection broke, no answer
      result.outcome = FetchOutcome::kNetwork;
      result.failure = NetworkFailure::kCutOff;
      return result;
    }
    if (result.http_status != 200) {
      result.outcome = FetchOutcome::kHttpStatus;
      return result;
    }
    if (static_cast<std::int64_t>(answer.body.size()) > request.max_bytes) {
      result.outcome = FetchOutcome::kTooLarge;
      return result;
    }
    std::int64_t sent = 0;
    for (std::size_t at = 0; at < answer.body.size(); at += 1000) {
      if (!keep_going(sent, static_cast<std::int64_t>(answer.body.size()))) {
        result.outcome = FetchOutcome::kCancelled;
        return result;
      }
      const std::string_view part =
          std::string_view(answer.body).substr(at, 1000);
      if (!write(part)) {
        result.outcome = FetchOutcome::kWriteFailed;
        return result;
      }
      sent += static_cast<std::int64_t>(part.size());
    }
    result.outcome = FetchOutcome::kOk;
    result.last_modified = answer.last_modified;
    return result;
  }
};

}  // namespace venmark
