#include "cli/tail_scan.h"

#include <new>
#include <system_error>
#include <type_traits>
#include <utility>

namespace venmark {

TailScan::TailScan(std::string_view text, std::size_t from, bool count_lines)
    : text_(text), from_(from), count_lines_(count_lines) {
  try {
    thread_.emplace([this] { Run(); });
  } catch (const std::system_error&) {
    // No second thread: Each scans on this one.
  }
}

TailScan::~TailScan() {
  if (thread_ && thread_->joinable()) thread_->join();
}

MacScanner TailScan::Scanner() const {
  MacScanner scanner(text_, from_, std::string_view::npos);
  if (count_lines_) scanner.CountLines(1);
  return scanner;
}

void TailScan::Run() {
  static_assert(std::is_trivially_destructible_v<MacFinding>);
  try {
    MacScanner scanner = Scanner();
    while (const std::optional<MacFinding> finding = scanner.Next()) {
      if (found_.empty() || found_.back().size == kPerChunk) {
        found_.push_back({AllocateBytes(kChunkBytes)});
      }
      Chunk& chunk = found_.back();
      new (chunk.bytes.get() + chunk.size * sizeof(MacFinding))
          MacFinding(*finding);
      ++chunk.size;
    }
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void TailScan::Join() {
  if (thread_->joinable()) thread_->join();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

std::size_t HalfwayLine(std::string_view text) {
  const std::size_t end = text.find('\n', text.size() / 2);
  return end == std::string_view::npos ? text.size() : end + 1;
}

}  // namespace venmark
