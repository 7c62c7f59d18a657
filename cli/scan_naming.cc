#include "cli/scan_naming.h"

namespace venmark {

bool PieceNaming::Begin(std::size_t got) {
  // A long first piece: a long text is coming.
  return StartNaming(
      got >= ListingSet::kLongText,
      [pending = pending_] { return ListingsOf(pending); }, &writer_,
      &batched_);
}

void PieceNaming::Name(const MacFinding& finding) {
  if (!batched_.started()) {
    writer_.Write(finding);
  } else if (!batched_.Add(finding)) {
    failed_ = true;  // the output, or no listings came
  }
}

void PieceNaming::NameShared(const MacFinding& finding) {
  if (!batched_.started() || !SharingReady()) {
    Name(finding);
    return;
  }
  if (naming_here_) {
    own_writer_.Name(finding, &own_lines_);
  } else if (!batched_.Add(finding)) {
    failed_ = true;
  }
  if (++in_group_ == kGroup) EndGroup();
}

void PieceNaming::EndShared() {
  if (naming_here_ && in_group_ > 0) EndGroup();
}

bool PieceNaming::Drain() {
  try {
    batched_.Drain();
    return true;
  } catch (const NoListingsCame&) {
    return false;
  }
}

void PieceNaming::TakeUpNewListings() {
  LiveListings* live = pending_->Get();
  if (live != nullptr && live->Refresh()) writer_.Use(live->current());
}

bool PieceNaming::SharingReady() {
  if (!sharing_asked_) {
    sharing_asked_ = true;
    if (batched_.WaitPrepared()) {
      own_writer_.Use(pending_->Get()->current());
      sharing_ = true;
    }
  }
  return sharing_;
}

void PieceNaming::EndGroup() {
  if (naming_here_ && !batched_.AddNamed(&own_lines_)) failed_ = true;
  naming_here_ = !naming_here_;
  in_group_ = 0;
}

}  // namespace venmark
