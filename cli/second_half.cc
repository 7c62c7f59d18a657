#include "cli/second_half.h"

#include <cstring>
#include <new>
#include <string>
#include <system_error>

#include "scan/input_decoder.h"

namespace venmark {
namespace {

constexpr std::size_t kBlock = kPieceBytes;  // as the first part reads
// A line longer than this where the second part would begin: no split.
constexpr std::size_t kLineSought = std::size_t{1} << 16;
// The first part's share, in twentieths. Its findings are named while it
// is scanned, and the second's only after: a smaller first part lets the
// naming catch up while the second is still being scanned.
constexpr std::uint64_t kFirstShare = 8;

}  // namespace

SecondHalf::SecondHalf(std::FILE* file, std::uint64_t read, bool count_lines,
                       std::size_t room)
    : reader_(file), count_lines_(count_lines), room_(room) {
  std::uint64_t size = 0, position = 0;
  if (!reader_.ok() || !RegularFileSize(file, &size) ||
      !FilePosition(file, &position) || position < read || size <= position) {
    return;
  }
  const std::uint64_t middle = position + (size - position) * kFirstShare / 20;
  std::string head(kLineSought, '\0');
  int error = 0;
  const long long got = reader_.Read(middle, head.data(), head.size(), &error);
  const std::size_t line_end = got > 0 ? head.find('\n') : std::string::npos;
  if (line_end == std::string::npos ||
      line_end >= static_cast<std::size_t>(got)) {
    return;
  }
  offset_ = middle + line_end + 1;
  start_ = offset_ - (position - read);
  if (offset_ >= size) return;
  try {
    thread_.emplace([this] { Run(); });
  } catch (const std::system_error&) {
    // No second thread: the first part's scan reads it all.
  }
}

SecondHalf::~SecondHalf() {
  stop_ = true;
  if (thread_ && thread_->joinable()) thread_->join();
}

bool SecondHalf::Keep(const MacFinding& finding) {
  const std::size_t length = finding.candidate_mac.size();
  const std::size_t size = kPackedBytes + length;
  if (length > 0xFF) return false;
  if (chunk_ == nullptr || used_ + size > kChunkBytes) {
    char* next = nullptr;
    {
      const std::lock_guard lock(mutex_);
      if (!spare_.empty()) {
        next = spare_.back();
        spare_.pop_back();
      } else if ((chunks_.size() + 1) * kChunkBytes <= room_) {
        chunks_.push_back(AllocateBytes(kChunkBytes));
        next = chunks_.back().get();
      }
    }
    if (next == nullptr) return false;
    if (chunk_ != nullptr) filled_.push_back({chunk_, used_});
    chunk_ = next;
    used_ = 0;
  }
  char* at = chunk_ + used_;
  *at++ = static_cast<char>(length);
  *at++ = static_cast<char>(finding.notation);
  *at++ = static_cast<char>(finding.source);
  const std::uint64_t line = finding.line;
  std::memcpy(at, &finding.address, sizeof finding.address);
  std::memcpy(at + 8, &line, sizeof line);
  std::memcpy(at + 16, finding.candidate_mac.data(), length);
  used_ += size;
  return true;
}

const char* SecondHalf::Unpack(const char* at, MacFinding* finding) {
  const auto length = static_cast<unsigned char>(at[0]);
  finding->notation = static_cast<Notation>(at[1]);
  finding->source = static_cast<Source>(at[2]);
  std::uint64_t line = 0;
  std::memcpy(&finding->address, at + 3, sizeof finding->address);
  std::memcpy(&line, at + 11, sizeof line);
  finding->line = static_cast<std::size_t>(line);
  finding->candidate_mac = {at + kPackedBytes, length};
  return at + kPackedBytes + length;
}

void SecondHalf::Publish() {
  std::vector<Span> spans;
  const auto from = [this](const char* chunk) {
    return chunk + (chunk == published_chunk_ ? published_used_ : 0);
  };
  for (const Filled& filled : filled_) {
    spans.push_back(
        {from(filled.chunk), filled.chunk + filled.used, filled.chunk, true});
  }
  if (chunk_ != nullptr && from(chunk_) < chunk_ + used_) {
    spans.push_back({from(chunk_), chunk_ + used_, chunk_, false});
  }
  filled_.clear();
  published_chunk_ = chunk_;
  published_used_ = used_;
  if (spans.empty()) return;
  {
    const std::lock_guard lock(mutex_);
    ready_.insert(ready_.end(), spans.begin(), spans.end());
  }
  more_.notify_one();
}

void SecondHalf::TakeBack() {
  const std::lock_guard lock(mutex_);
  for (const Filled& filled : filled_) {
    if (filled.chunk != published_chunk_) spare_.push_back(filled.chunk);
  }
  if (chunk_ != nullptr && chunk_ != published_chunk_) spare_.push_back(chunk_);
  filled_.clear();
  chunk_ = published_chunk_;
  used_ = published_used_;
}

bool SecondHalf::Take(std::vector<Span>* spans) {
  std::unique_lock lock(mutex_);
  more_.wait(lock, [this] { return !ready_.empty() || ended_; });
  spans->clear();
  spans->swap(ready_);
  return !spans->empty();
}

void SecondHalf::GiveBack(char* chunk) {
  const std::lock_guard lock(mutex_);
  spare_.push_back(chunk);
}

void SecondHalf::Run() {
  bool whole = false;
  try {
    ByteBuffer block = AllocateBytes(kBlock);
    std::string room;
    InputDecoder decoder;
    StreamScanner scanner;
    if (count_lines_) scanner.CountLines();
    scanner.StartMidway();
    bool full = false;
    const auto keep = [&](const MacFinding& finding) {
      // Past an unsure verdict, or once the room is full, the findings
      // are left to the first part's scan.
      if (full || scanner.unsure()) return;
      full = !Keep(finding);
    };
    for (std::uint64_t offset = offset_; !stop_;) {
      int error = 0;
      const long long got = reader_.Read(offset, block.get(), kBlock, &error);
      if (got < 0) break;
      const std::string_view text =
          got == 0 ? decoder.Finish(&room)
                   : decoder.Feed({block.get(), static_cast<std::size_t>(got)},
                                  &room);
      scanner.Feed(text, keep);
      if (got == 0) scanner.Finish(keep);
      // What a piece that is no UTF-8 gave is taken back whole.
      if (!decoder.passing_utf8()) {
        TakeBack();
        break;
      }
      Publish();
      if (full || scanner.unsure()) break;
      if (got == 0) {
        whole = true;
        break;
      }
      offset += static_cast<std::uint64_t>(got);
    }
  } catch (const std::bad_alloc&) {
    // What was handed on stands; the first part's scan does the rest.
  }
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    whole_ = whole;
  }
  more_.notify_one();
}

}  // namespace venmark
