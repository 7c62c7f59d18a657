#pragma once

#include <string>

#include "update/listing_update.h"

namespace venmark {

// problem as a test failure shows it: its kind's number and its values.
inline std::string Debug(const UpdateProblem& problem) {
  return "kind " + std::to_string(static_cast<int>(problem.kind)) + " «" +
         problem.path + "» errno " + std::to_string(problem.error_number) +
         " count " + std::to_string(problem.count) + "/" +
         std::to_string(problem.other) + " " + problem.detail;
}

}  // namespace venmark
