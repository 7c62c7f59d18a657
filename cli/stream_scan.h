#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/line_writer.h"
#include "cli/pending_listings.h"
#include "cli/whole_input.h"
#include "scan/result.h"

namespace venmark {

// Writes the result lines of a text held whole, in the order its MACs
// stand; a long one is named on a second thread while this one scans.
void ScanWhole(std::string_view text, const ListingSet& listings,
               const ResultFormat& format, Output* out);

// Why an input's scan stopped short.
struct InputProblem {
  enum class Kind {
    kUnreadable,  // the input could not be opened or read: error_number
    kNoListings,  // no listings came to name its MACs (told as they failed)
  };
  Kind kind = Kind::kUnreadable;
  int error_number = 0;
};

// Writes the result lines of the file called name (UTF-8), or of in for
// "-". A regular file of at most whole_limit bytes is read whole and
// scanned as one text. Anything else comes as its text arrives: each piece
// read is scanned, and its lines are flushed whenever the reading has
// caught up with the writer, so a pipe that stays open (tail -f) shows
// each MAC as its line comes; then, at a line's end, listings an update
// has replaced are taken up. UTF-16 with a byte-order mark is decoded
// first. A long regular file is read and scanned while the listings are
// still being read: only naming waits for them.
Result<Done, InputProblem> ScanInput(
    const std::string& name, std::FILE* in, PendingListings* listings,
    const ResultFormat& format, Output* out,
    std::size_t whole_limit = kWholeInputBytes);

}  // namespace venmark
