#include "cli/stream_scan.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <optional>

#include "app/texts.h"
#include "listings/listing_file.h"
#include "scan/mac_scanner.h"
#include "scan/text_codec.h"

namespace venmark {
namespace {

// Reads what has arrived, up to size bytes, waiting only while nothing
// has: 0 at the end, -1 with errno on an error.
long ReadSome(std::FILE* input, char* buffer, std::size_t size) {
  const int fd = fileno(input);
  for (;;) {
#ifdef _WIN32
    const long got = _read(fd, buffer, static_cast<unsigned>(size));
#else
    const long got = ::read(fd, buffer, size);
#endif
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

// Whether text starts with a UTF-16 byte-order mark, either way round.
bool HasUtf16Mark(std::string_view text) {
  return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

// Every input is read a piece at a time, with plain reads: a file that is
// cut or rewritten while it is scanned gives what was read.
bool ScanStream(std::FILE* input, LiveListings* live, ResultFormat format,
                Output* out, int* error_number) {
  const ListingSet* listings = &live->current();
  constexpr std::size_t kBlock = std::size_t{1} << 18;
  std::string block(kBlock, '\0');
  std::string utf8;
  LineWriter writer(*listings, format, out);
  StreamScanner scanner;
  if (format != ResultFormat::kText) scanner.CountLines();
  std::optional<Utf16Decoder> utf16;
  // A byte-order mark is told by the first two bytes, which may come apart.
  std::string head;
  bool first = true, first_piece = true, waited = false;
  auto found = [&](const MacFinding& finding) { writer.Write(finding); };
  for (;;) {
    errno = 0;
    const long got = ReadSome(input, block.data(), kBlock);
    if (got < 0) {
      *error_number = errno != 0 ? errno : EIO;
      return false;
    }
    // More after a wait at a line's end: the moment to take up listings
    // an update has put in place, before the new lines are looked up.
    if (waited && got > 0 && live->Refresh()) {
      listings = &live->current();
      writer.Use(*listings);
    }
    std::string_view text(block.data(), static_cast<std::size_t>(got));
    if (first) {
      head.append(text);
      if (head.size() < 2 && got > 0) continue;
      first = false;
      text = head;
      if (HasUtf16Mark(text)) {
        utf16.emplace(text[0] == '\xFE');
        text.remove_prefix(2);
      }
    }
    if (utf16) {
      utf8.clear();
      if (got == 0) {
        utf16->Finish(&utf8);
      } else {
        utf16->Feed(text, &utf8);
      }
      text = utf8;
    }
    // A long first piece: a long text is coming.
    if (first_piece && static_cast<std::size_t>(got) >= ListingSet::kLongText) {
      listings->IndexAll();
    }
    first_piece = false;
    scanner.Feed(text, found);
    if (got == 0) scanner.Finish(found);
    // A short read has caught up with the writer: what it found is shown
    // now. A file read in full pieces is written in large ones.
    if (static_cast<std::size_t>(got) < kBlock) out->Flush();
    if (out->failed() || got == 0) return true;  // the caller reports it
    waited = static_cast<std::size_t>(got) < kBlock &&
             (text.ends_with('\n') || text.ends_with('\r'));
  }
}

// Opens the file called name (UTF-8) for reading.
std::FILE* OpenInput(const std::string& name) {
#ifdef _WIN32
  return _wfopen(PathFromUtf8(name).c_str(), L"rb");
#else
  return std::fopen(name.c_str(), "rb");
#endif
}

}  // namespace

LineWriter::LineWriter(const ListingSet& listings, ResultFormat format,
                       Output* out)
    : listings_(&listings),
      style_{format, "\n", &text::ResultLineWords()},
      out_(out) {}

bool LineWriter::Write(const MacFinding& finding) {
  lines_.clear();
  SearchMacBase(*listings_, finding, style_, &lines_, &scratch_);
  out_->Write(lines_);
  return !out_->failed();
}

void Output::Write(std::string_view text) {
  if (error_ != 0 || text.empty()) return;
  held_.append(text);
  if (held_.size() >= kPiece) Hand();
}

void Output::Hand() {
  if (error_ == 0 && !held_.empty()) {
    errno = 0;
    if (std::fwrite(held_.data(), 1, held_.size(), stream_) != held_.size()) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  held_.clear();
}

int Output::Flush() {
  Hand();
  errno = 0;
  if (std::fflush(stream_) != 0 && error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
  }
  return error_;
}

bool ScanInput(const std::string& name, std::FILE* in, LiveListings* listings,
               ResultFormat format, Output* out, int* error_number) {
  if (name == "-") return ScanStream(in, listings, format, out, error_number);
  errno = 0;
  std::FILE* file = OpenInput(name);
  if (file == nullptr) {
    *error_number = errno != 0 ? errno : EIO;
    return false;
  }
  const bool ok = ScanStream(file, listings, format, out, error_number);
  std::fclose(file);
  return ok;
}

}  // namespace venmark
