#pragma once

#include <cstddef>
#include <string>

#include "cli/batched_writer.h"
#include "cli/line_writer.h"
#include "cli/pending_listings.h"
#include "scan/mac_scanner.h"

// The naming side of a scan: where the lines of its findings are looked up
// and written, on a second thread for a long text or on the scanning one.
namespace venmark {

// Thrown on the naming thread when the listings it waited for failed.
struct NoListingsCame {};

// The listings of pending, waiting for them; nullptr when there are none.
inline const ListingSet* ListingsOf(PendingListings* pending) {
  LiveListings* live = pending->Get();
  return live != nullptr ? &live->current() : nullptr;
}

// Readies writer for naming: for a long text on batched's second thread,
// which waits there for the listings listings() gives and indexes them
// whole; else, or where no thread may start, on this one. False when no
// listings came to this one.
template <typename Listings>
bool StartNaming(bool long_text, Listings listings, LineWriter* writer,
                 BatchedWriter* batched) {
  if (long_text) {
    batched->Start([listings, writer] {
      const ListingSet* set = listings();
      if (set == nullptr) throw NoListingsCame();
      set->IndexAll();
      writer->Use(*set);
    });
  }
  if (batched->started()) return true;
  const ListingSet* set = listings();
  if (set == nullptr) return false;
  writer->Use(*set);
  return true;
}

// The naming side of a scan in pieces: on a second thread for a long
// text, which waits there for the listings while this one scans; else on
// this one, once the listings are read.
class PieceNaming {
 public:
  PieceNaming(PendingListings* pending, const ResultFormat& format, Output* out)
      : pending_(pending),
        writer_(format, out),
        batched_(&writer_),
        own_writer_(format, out) {}

  // Before the first piece of got bytes is scanned: false when no
  // listings came.
  bool Begin(std::size_t got);

  // Names finding, here or on the second thread.
  void Name(const MacFinding& finding);

  // Names a finding of many found elsewhere and handed on at once: with
  // a second thread, every other batch of them is named on this one
  // meanwhile, so that both name. EndShared after the last.
  void NameShared(const MacFinding& finding);
  void EndShared();

  // Waits for the listings here; false when none came. Before a read that
  // may wait for ever (a terminal, a pipe that stays open), so that
  // missing listings are told at once.
  bool WaitForListings() { return pending_->Get() != nullptr; }

  // Waits until every line found is written; false when no listings came.
  bool Drain();

  // Takes up listings an update has put in place, once drained.
  void TakeUpNewListings();

  bool failed() const { return failed_; }
  bool on_second_thread() const { return batched_.started(); }

 private:
  // Whether this thread may look up too, the second thread having
  // readied the listings; asked once.
  bool SharingReady();
  // Hands on the lines named here, or ends a group of the other thread's.
  void EndGroup();

  static constexpr std::size_t kGroup = 4096;
  PendingListings* pending_;
  LineWriter writer_;
  BatchedWriter batched_;
  bool failed_ = false;
  // Naming shared with the second thread.
  LineWriter own_writer_;  // names, writes nothing
  bool sharing_asked_ = false, sharing_ = false;
  bool naming_here_ = false;
  std::size_t in_group_ = 0;
  std::string own_lines_;
};

}  // namespace venmark
