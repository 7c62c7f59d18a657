#include "cli/stream_scan.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "app/texts.h"
#include "cli/batched_writer.h"
#include "cli/input_file.h"
#include "cli/whole_input.h"
#include "scan/input_decoder.h"
#include "scan/mac_scanner.h"
#include "scan/text_codec.h"

namespace venmark {
namespace {

// Whether text starts with a UTF-16 byte-order mark, either way round.
bool HasUtf16Mark(std::string_view text) {
  return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

using ScanResult = Result<Done, InputProblem>;

ScanResult NoListings() {
  return Fail(InputProblem{InputProblem::Kind::kNoListings});
}

ScanResult Unreadable(int error_number) {
  return Fail(InputProblem{InputProblem::Kind::kUnreadable,
                           error_number != 0 ? error_number : EIO});
}

// Thrown on the naming thread when the listings it waited for failed.
struct NoListingsCame {};

// The listings of pending, waiting for them; nullptr when there are none.
const ListingSet* ListingsOf(PendingListings* pending) {
  LiveListings* live = pending->Get();
  return live != nullptr ? &live->current() : nullptr;
}

// Writes the result lines of text, naming its MACs from the listings
// listings() gives (waiting for them); false when it gives none. A long
// text is scanned while the naming thread waits.
template <typename Listings>
bool ScanWholeWith(std::string_view text, Listings&& listings,
                   const ResultFormat& format, Output* out) {
  MacScanner scanner(text);
  if (format.carries_lines) scanner.CountLines(1);
  LineWriter writer(format, out);
  BatchedWriter batched(&writer);
  if (text.size() >= ListingSet::kLongText) {
    batched.Start([&] {
      const ListingSet* set = listings();
      if (set == nullptr) throw NoListingsCame();
      set->IndexAll();
      writer.Use(*set);
    });
  }
  if (!batched.started()) {
    const ListingSet* set = listings();
    if (set == nullptr) return false;
    writer.Use(*set);
  }
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    if (batched.started() ? !batched.Add(*finding) : !writer.Write(*finding)) {
      break;
    }
  }
  try {
    batched.Drain();
  } catch (const NoListingsCame&) {
    return false;
  }
  out->Flush();
  return true;
}

// Reads input a piece at a time, with plain reads, after the bytes of
// prelude (what was read of it already); a file that is cut or rewritten
// while it is scanned gives what was read.
ScanResult ScanStream(std::FILE* input, std::string_view prelude,
                      PendingListings* pending, const ResultFormat& format,
                      Output* out) {
  LiveListings* live = pending->Get();
  if (live == nullptr) return NoListings();
  const ListingSet* listings = &live->current();
  constexpr std::size_t kBlock = std::size_t{1} << 18;
  std::string block(kBlock, '\0');
  std::string utf8;
  LineWriter writer(*listings, format, out);
  StreamScanner scanner;
  if (format.carries_lines) scanner.CountLines();
  // UTF-8, UTF-16 with its mark, or a Russian code page, read as UTF-8.
  InputDecoder decoder;
  bool first_piece = true, waited = false;
  // A long text is named on a second thread while this one scans.
  BatchedWriter batched(&writer);
  bool output_failed = false;
  auto found = [&](const MacFinding& finding) {
    if (batched.started()) {
      if (!batched.Add(finding)) output_failed = true;
    } else {
      writer.Write(finding);
    }
  };
  for (;;) {
    int error = 0;
    long long got;
    if (!prelude.empty()) {
      got = static_cast<long long>(std::min(prelude.size(), kBlock));
      std::copy_n(prelude.data(), got, block.data());
      prelude.remove_prefix(static_cast<std::size_t>(got));
    } else {
      got = ReadFrom(input, block.data(), kBlock, &error);
    }
    if (got < 0) {
      batched.Drain();  // the lines of what was read come out all the same
      return Unreadable(error);
    }
    // More after a wait at a line's end: the moment to take up listings
    // an update has put in place, before the new lines are looked up.
    if (waited && got > 0 && live->Refresh()) {
      listings = &live->current();
      writer.Use(*listings);
    }
    const std::string_view bytes(block.data(), static_cast<std::size_t>(got));
    const std::string_view text =
        got == 0 ? decoder.Finish(&utf8) : decoder.Feed(bytes, &utf8);
    // A long first piece: a long text is coming.
    if (first_piece && static_cast<std::size_t>(got) >= ListingSet::kLongText) {
      batched.Start([listings] { listings->IndexAll(); });
    }
    first_piece = false;
    scanner.Feed(text, found);
    if (got == 0) scanner.Finish(found);
    // A short read has caught up with the writer: what it found is shown
    // now, every line of it written. A file read in full pieces is written
    // in large ones.
    const bool caught_up = static_cast<std::size_t>(got) < kBlock;
    if (caught_up || output_failed) batched.Drain();
    if (caught_up) out->Flush();
    // The output is this thread's to look at once the other has drained.
    if (output_failed || got == 0 ||
        ((caught_up || !batched.started()) && out->failed())) {
      batched.Drain();
      return Done{};  // an output that failed, the caller reports
    }
    waited = caught_up && (text.ends_with('\n') || text.ends_with('\r'));
  }
}

// A regular file of at most whole_limit bytes is read whole and scanned as
// one text; anything else, and UTF-16 text, a piece at a time.
ScanResult ScanFile(std::FILE* file, PendingListings* pending,
                    const ResultFormat& format, Output* out,
                    std::size_t whole_limit) {
  const WholeInput input = ReadWholeInput(file, whole_limit);
  const std::string_view text = input.bytes.view();
  if (!input.whole || HasUtf16Mark(text)) {
    return ScanStream(file, text, pending, format, out);
  }
  const auto listings = [pending] { return ListingsOf(pending); };
  bool named;
  if (!IsValidUtf8(text)) {
    // A file saved in a Russian code page, read as the same text pasted.
    InputDecoder decoder;
    std::string room;
    std::string utf8(decoder.Feed(text, &room));
    utf8 += decoder.Finish(&room);
    named = ScanWholeWith(utf8, listings, format, out);
  } else {
    named = ScanWholeWith(text, listings, format, out);
  }
  if (!named) return NoListings();
  if (input.error != 0) return Unreadable(input.error);
  // Grown past the limit while it was read: the rest comes in pieces.
  if (text.size() > whole_limit && !out->failed()) {
    return ScanStream(file, {}, pending, format, out);
  }
  return Done{};
}

}  // namespace

void ScanWhole(std::string_view text, const ListingSet& listings,
               const ResultFormat& format, Output* out) {
  ScanWholeWith(
      text, [&listings] { return &listings; }, format, out);
}

Result<Done, InputProblem> ScanInput(const std::string& name, std::FILE* in,
                                     PendingListings* listings,
                                     const ResultFormat& format, Output* out,
                                     std::size_t whole_limit) {
  if (name == "-") return ScanFile(in, listings, format, out, whole_limit);
  errno = 0;
  std::FILE* file = OpenInput(name);
  if (file == nullptr) return Unreadable(errno);
  ScanResult result = ScanFile(file, listings, format, out, whole_limit);
  std::fclose(file);
  return result;
}

}  // namespace venmark
