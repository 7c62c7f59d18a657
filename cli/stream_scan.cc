#include "cli/stream_scan.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "app/texts.h"
#include "cli/batched_writer.h"
#include "cli/input_file.h"
#include "cli/scan_naming.h"
#include "cli/second_half.h"
#include "cli/tail_scan.h"
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

// Writes the result lines of text, naming its MACs from the listings
// listings() gives (waiting for them); false when it gives none. A long
// text is scanned while the naming thread waits, its second half on a
// thread of its own.
template <typename Listings>
bool ScanWholeWith(std::string_view text, Listings listings,
                   const ResultFormat& format, Output* out) {
  LineWriter writer(format, out);
  BatchedWriter batched(&writer);
  if (!StartNaming(text.size() >= ListingSet::kLongText, listings, &writer,
                   &batched)) {
    return false;
  }
  const std::size_t half = batched.started() ? HalfwayLine(text) : text.size();
  std::optional<TailScan> tail;
  if (half < text.size()) tail.emplace(text, half, format.carries_lines);
  MacScanner scanner(text, 0, half);
  if (format.carries_lines) scanner.CountLines(1);
  bool going = true;
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    going = batched.started() ? batched.Add(*finding) : writer.Write(*finding);
    if (!going) break;
  }
  if (going && tail) {
    tail->Each([&](const MacFinding& finding) { return batched.Add(finding); });
  }
  try {
    batched.Drain();
  } catch (const NoListingsCame&) {
    return false;
  }
  out->Flush();
  return true;
}

// At the start of the second part, once this scan has read up to it: the
// second part's findings follow this scan's, handed on as they are found.
// True when they run to the input's end; else this scan goes on from
// there, passing over as many of its own findings as were handed on.
template <typename Found>
bool TakeSecondHalf(SecondHalf* half, const InputDecoder& decoder,
                    StreamScanner* scanner, Found& found, PieceNaming* naming,
                    std::size_t* handed_on) {
  // Read in a code page from some byte of the first part on, the second
  // is too: what was found in it as UTF-8 is not what it says.
  if (!decoder.passing_utf8()) return false;
  const std::size_t handed =
      half->Each(scanner->LineAtEnd(), [naming](const MacFinding& finding) {
        naming->NameShared(finding);
        return !naming->failed();
      });
  naming->EndShared();
  // whole() is read only once Each has seen the thread end.
  if (!naming->failed() && half->whole()) {
    // At a line's start nothing is left for the end to decide.
    scanner->Finish(found);
    return true;
  }
  *handed_on = handed;
  return false;
}

// Reads input a piece at a time, with plain reads, after the bytes of
// prelude (what was read of it already); a file that is cut or rewritten
// while it is scanned gives what was read. A regular file of split_from
// bytes or more has its second half read and scanned on a thread of its
// own meanwhile.
ScanResult ScanStream(std::FILE* input, std::string_view prelude,
                      PendingListings* pending, const ResultFormat& format,
                      Output* out, std::uint64_t split_from) {
  constexpr std::size_t kBlock = kPieceBytes;
  std::string block(kBlock, '\0');
  std::string utf8;
  StreamScanner scanner;
  if (format.carries_lines) scanner.CountLines();
  // UTF-8, UTF-16 with its mark, or a Russian code page, read as UTF-8.
  InputDecoder decoder;
  PieceNaming naming(pending, format, out);
  // This scan's own findings the second half handed on already.
  std::size_t handed_on = 0;
  const auto found = [&](const MacFinding& finding) {
    if (handed_on > 0) {
      --handed_on;
    } else {
      naming.Name(finding);
    }
  };
  // A regular file never keeps a read waiting: its first piece is read and
  // scanned while the listings still are.
  std::uint64_t size = 0;
  const bool regular = RegularFileSize(input, &size);
  if (!regular && !naming.WaitForListings()) return NoListings();
  std::optional<SecondHalf> half;
  if (regular && size >= split_from && !HasUtf16Mark(prelude)) {
    half.emplace(input, prelude.size(), format.carries_lines);
    if (!half->started() || half->start() <= prelude.size()) half.reset();
  }
  std::uint64_t read = 0;
  bool first_piece = true, waited = false;
  for (;;) {
    bool ended = false;
    if (half && read == half->start()) {
      ended =
          TakeSecondHalf(&*half, decoder, &scanner, found, &naming, &handed_on);
      half.reset();
    }
    const std::size_t most =
        half ? static_cast<std::size_t>(
                   std::min<std::uint64_t>(kBlock, half->start() - read))
             : kBlock;
    int error = 0;
    long long got = 0;
    if (ended) {
      // Every MAC is handed on.
    } else if (!prelude.empty()) {
      got = static_cast<long long>(std::min(prelude.size(), most));
      std::copy_n(prelude.data(), got, block.data());
      prelude.remove_prefix(static_cast<std::size_t>(got));
    } else {
      got = ReadFrom(input, block.data(), most, &error);
    }
    if (first_piece &&
        !naming.Begin(static_cast<std::size_t>(std::max(got, 0LL)))) {
      return NoListings();
    }
    first_piece = false;
    if (got < 0) {
      // The lines of what was read come out all the same.
      return naming.Drain() ? Unreadable(error) : NoListings();
    }
    read += static_cast<std::uint64_t>(got);
    // Cut short before the second half: that half is of another text.
    if (got == 0) half.reset();
    // More after a wait at a line's end: the moment to take up listings
    // an update has put in place, before the new lines are looked up.
    if (waited && got > 0) naming.TakeUpNewListings();
    std::string_view text;
    if (!ended) {
      const std::string_view bytes(block.data(), static_cast<std::size_t>(got));
      text = got == 0 ? decoder.Finish(&utf8) : decoder.Feed(bytes, &utf8);
      scanner.Feed(text, found);
      if (got == 0) scanner.Finish(found);
    }
    // A short read has caught up with the writer: what it found is shown
    // now, every line of it written. A file read in full pieces is written
    // in large ones.
    const bool caught_up = static_cast<std::size_t>(got) < most;
    if ((caught_up || naming.failed()) && !naming.Drain()) return NoListings();
    if (caught_up) out->Flush();
    // The output is this thread's to look at once the other has drained.
    if (naming.failed() || got == 0 ||
        ((caught_up || !naming.on_second_thread()) && out->failed())) {
      return naming.Drain() ? ScanResult(Done{}) : NoListings();
    }
    waited = caught_up && (text.ends_with('\n') || text.ends_with('\r'));
  }
}

// A regular file of at most whole_limit bytes is read whole and scanned as
// one text; anything else, and UTF-16 text, a piece at a time.
ScanResult ScanFile(std::FILE* file, PendingListings* pending,
                    const ResultFormat& format, Output* out,
                    std::size_t whole_limit) {
  // A file twice as long as one read whole is split in two.
  const std::uint64_t split_from = std::max<std::uint64_t>(
      std::uint64_t{whole_limit} * 2, ListingSet::kLongText);
  const WholeInput input = ReadWholeInput(file, whole_limit);
  const std::string_view text = input.bytes.view();
  if (!input.whole || HasUtf16Mark(text)) {
    return ScanStream(file, text, pending, format, out, split_from);
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
    return ScanStream(file, {}, pending, format, out, split_from);
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
