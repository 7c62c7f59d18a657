#include "cli/second_half.h"

#include <cstring>
#include <new>
#include <string>
#include <system_error>

#include "scan/input_decoder.h"

namespace venmark {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 18;
// A line longer than this from the middle on: no split.
constexpr std::size_t kLineSought = std::size_t{1} << 16;

}  // namespace

SecondHalf::SecondHalf(std::FILE* file, std::uint64_t read, bool count_lines,
                       std::size_t room)
    : reader_(file), count_lines_(count_lines), room_(room) {
  std::uint64_t size = 0, position = 0;
  if (!reader_.ok() || !RegularFileSize(file, &size) ||
      !FilePosition(file, &position) || position < read || size <= position) {
    return;
  }
  // The first line's start from the middle of what is left to read.
  const std::uint64_t middle = position + (size - position) / 2;
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
    // No second thread: the first half's scan reads it all.
  }
}

SecondHalf::~SecondHalf() {
  stop_ = true;
  if (thread_ && thread_->joinable()) thread_->join();
}

void SecondHalf::Join() {
  if (thread_ && thread_->joinable()) thread_->join();
}

bool SecondHalf::Keep(const MacFinding& finding) {
  const std::size_t length = finding.candidate_mac.size();
  const std::size_t size = kPackedBytes + length;
  if (length > 0xFF) return false;
  if (chunks_.empty() || chunks_.back().used + size > kChunkBytes) {
    if ((chunks_.size() + 1) * kChunkBytes > room_) return false;
    chunks_.push_back({AllocateBytes(kChunkBytes)});
  }
  Chunk& chunk = chunks_.back();
  char* at = chunk.bytes.get() + chunk.used;
  *at++ = static_cast<char>(length);
  *at++ = static_cast<char>(finding.notation);
  *at++ = static_cast<char>(finding.source);
  const std::uint64_t line = finding.line;
  std::memcpy(at, &finding.address, sizeof finding.address);
  std::memcpy(at + 8, &line, sizeof line);
  std::memcpy(at + 16, finding.candidate_mac.data(), length);
  chunk.used += size;
  ++count_;
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

void SecondHalf::Run() {
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
      // are left to the first half's scan.
      if (full || scanner.unsure()) return;
      full = !Keep(finding);
    };
    for (std::uint64_t offset = offset_; !stop_;) {
      int error = 0;
      const long long got = reader_.Read(offset, block.get(), kBlock, &error);
      if (got < 0) return;
      // What a piece that is no UTF-8 gave is taken back whole.
      const std::size_t chunks = chunks_.size(), count = count_;
      const std::size_t used = chunks_.empty() ? 0 : chunks_.back().used;
      const std::string_view text =
          got == 0 ? decoder.Finish(&room)
                   : decoder.Feed({block.get(), static_cast<std::size_t>(got)},
                                  &room);
      scanner.Feed(text, keep);
      if (got == 0) scanner.Finish(keep);
      if (!decoder.passing_utf8() && got != 0) {
        chunks_.resize(chunks);
        if (!chunks_.empty()) chunks_.back().used = used;
        count_ = count;
        return;
      }
      if (full || scanner.unsure()) return;
      if (got == 0) {
        whole_ = decoder.passing_utf8();
        return;
      }
      offset += static_cast<std::uint64_t>(got);
    }
  } catch (const std::bad_alloc&) {
    // What was kept stands; the first half's scan does the rest.
  }
}

}  // namespace venmark
