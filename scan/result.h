#pragma once

#include <utility>
#include <variant>

// What every floor answers where something can fail: the value, or the
// problem that kept it from being had (a kind, a path, an errno value:
// each floor's problem type says which). Words for a user come later, from
// app/'s catalog.
namespace venmark {

// A problem on its way into a Result: Fail(problem) reads as what it is,
// and a problem type that converts to the value type stays unambiguous.
template <typename Problem>
struct Failure {
  Problem problem;
};

template <typename Problem>
Failure<Problem> Fail(Problem problem) {
  return {std::move(problem)};
}

// A Result with no value to give, only whether it worked.
struct Done {};

// The system refused: its errno value.
struct SystemError {
  int error_number = 0;
};

// Either a T or a Problem; false when it holds the problem.
template <typename T, typename Problem>
class [[nodiscard]] Result {
 public:
  Result(T value) : held_(std::in_place_index<0>, std::move(value)) {}
  template <typename Why>
  Result(Failure<Why> failure)
      : held_(std::in_place_index<1>, Problem(std::move(failure.problem))) {}

  explicit operator bool() const { return held_.index() == 0; }
  bool ok() const { return held_.index() == 0; }

  // The value; only when ok().
  T& operator*() { return std::get<0>(held_); }
  const T& operator*() const { return std::get<0>(held_); }
  T* operator->() { return &std::get<0>(held_); }
  const T* operator->() const { return &std::get<0>(held_); }

  // The problem; only when !ok().
  const Problem& problem() const { return std::get<1>(held_); }

 private:
  std::variant<T, Problem> held_;
};

}  // namespace venmark
